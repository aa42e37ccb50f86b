#include "LoadGlyphosCfgFileApp.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class LoadGlyphosCfgFileAppTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(dir.File("DebugFile")); }
    CString Dir() const { return CString::FromUtf8(dir.path() + "/"); }
    ScopedScriptedUi ui;
    TempDir dir;
};

TEST_F(LoadGlyphosCfgFileAppTest, TakesTheThreeEditorKeys) {
    WriteText(dir.File("Glyphos.cfg"),
              "BeginAppCfg\n$Nameavifile=intro.avi\n$DirLog=/var/tmp/\n$HelpFile=manual.html\n$EndAppCfg\n");
    LoadGlyphosCfgFileApp cfg(nullptr, Dir(), L"Glyphos.cfg");
    ASSERT_EQ(cfg.LoadFileAppCfgInfo(), 1);
    EXPECT_EQ(cfg.Get_m_NomeFileAvi(), L"intro.avi");
    EXPECT_EQ(cfg.Get_m_DirLogFile(), L"/var/tmp/");
    EXPECT_EQ(cfg.Get_m_HelpFile(), L"manual.html");
}

TEST_F(LoadGlyphosCfgFileAppTest, AMissingKeyIsReportedAndTheOthersAreStillRead) {
    // No animation file (the editor never uses it), and paths with blanks.
    WriteText(dir.File("Glyphos.cfg"),
              "BeginAppCfg\n$ DirLog = /home/a user/my logs/ \n$HelpFile=Glyphos manual.html\n$EndAppCfg\n");
    LoadGlyphosCfgFileApp cfg(nullptr, Dir(), L"Glyphos.cfg");
    ui->Answer(IDOK);  // the missing key
    ui->Answer(IDOK);  // "Error!"
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(), 0);
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.Find(L"parola chiave:Nameavifile "), -1);
    EXPECT_EQ(boxes[1].caption, L"LoadImportantInfo");
    EXPECT_EQ(cfg.Get_m_DirLogFile(), L"/home/a user/my logs/");
    EXPECT_EQ(cfg.Get_m_HelpFile(), L"Glyphos manual.html");
}

}  // namespace
