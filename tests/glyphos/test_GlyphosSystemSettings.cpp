// The installation folder's setting is read without Qt, from the file
// QSettings writes: for every way of writing the key, the reader must find
// what QSettings finds.
#include "GlyphosSystemSettings.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QVariant>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(GlyphosSystemSettingsTest, ReadsThePathAsQSettingsDoes) {
    const char* const files[] = {
        "[App.%20settings]\nPath=/opt/glyphos/\n",
        "\xEF\xBB\xBF[App.%20settings]\r\nPath = /with/bom  \r\n",
        "[App. settings]\nPath=/literal/space\n",
        "[App.%20settings]\nPath = /x ;comment\n",
        "[App.%20settings]\nPath=\"  /quoted ; kept, too\"\n",
        "[App.%20settings]\nPath=/a\\\\b\\x41\\n\n",
        "[App.%20settings]\nPath=/first\nPath=/second\n",
        "[App.%20settings]\nPath=@@at\n",
        "[App.%20settings]\nPath=@ByteArray(bytes)\n",
        "[App.%20settings]\nPath=/a, /b\n",
        "[App.%20settings]\nPath=/a \\\n  /b\n",
        "[app.%20settings]\nPath=/other/case\n",
        "[App.%20settings]\nPa%74h=/escaped/key\n",
        "[App.%20settings]\nPath=/caf\xC3\xA9\n",
        "[App.%20settings]\nPath=\"\"\n",
        "[Other]\nPath=/elsewhere\n[App.%20settings]\n; Path=/commented\n",
        "[App.%20settings]\nPath\n",
        "",
    };
    TempDir dir;
    const std::string path = dir.File("Glyphos.ini");
    for (const char* text : files) {
        WriteText(path, text);
        const QSettings qt(QString::fromStdString(path), QSettings::IniFormat);
        const QVariant v = qt.value(QStringLiteral("App. settings/Path"));
        const std::optional<std::string> ours = GlyphosSystemSettings::IniString(text, "App. settings", "Path");
        if (v.isValid() && v.typeId() == QMetaType::QString) {
            ASSERT_TRUE(ours.has_value()) << text;
            EXPECT_EQ(*ours, v.toString().toStdString()) << text;
        } else {
            EXPECT_FALSE(ours.has_value()) << text;
        }
    }
}

// The folders of XDG_CONFIG_DIRS are looked in in order, the application's
// file before the organisation's.
TEST(GlyphosSystemSettingsTest, TheFirstFileThatHasTheKeyNamesTheFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("a/Kalvo"));
    std::filesystem::create_directories(dir.File("b/Kalvo"));
    WriteText(dir.File("a/Kalvo/Glyphos.ini"), "[General]\nother=1\n");
    WriteText(dir.File("b/Kalvo/Glyphos.ini"), "[App.%20settings]\nPath=/from/b\n");
    WriteText(dir.File("a/Kalvo.ini"), "[App.%20settings]\nPath=/from/org\n");
    ::setenv("XDG_CONFIG_DIRS", (dir.File("a") + ":" + dir.File("b")).c_str(), 1);
    const auto path = GlyphosSystemSettings::ProgramPath();
    const CString description = GlyphosSystemSettings::KeyDescription();
    ::unsetenv("XDG_CONFIG_DIRS");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, CString(L"/from/b/"));
    EXPECT_EQ(description, CString::FromUtf8(dir.File("a/Kalvo/Glyphos.ini") + " [App. settings] Path"));
}

}  // namespace
