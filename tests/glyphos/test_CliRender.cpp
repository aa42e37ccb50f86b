// End-to-end: glyphos-cli render draws an installed font into a font file.
#include "CliRunner.h"
#include "GlyphosDocCore.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

class CliRenderTest : public ::testing::Test {
protected:
    CliRun Cli(std::vector<std::string> args) {
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    TempDir dir;
};

TEST_F(CliRenderTest, WritesAFontFileThatShowOpens) {
    const std::string out = dir.File("mono.kfn");
    CliRun r = Cli({"render", "DejaVu Sans Mono", "12", out, "--codepage", "437", "--first", "0x41", "--last", "90",
                    "--width", "12", "--height", "20", "--name", "Mono 12"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    CGlyphosDocCore doc;
    ASSERT_EQ(doc.LoadKfnFile(CString::FromUtf8(out)), 1);
    const KalvoFont& f = doc.GetFont();
    EXPECT_EQ(f.GetFontName(), CString(L"Mono 12"));
    EXPECT_EQ(f.GetWidth(), 12);
    EXPECT_EQ(f.GetHeight(), 20);
    EXPECT_EQ(f.GetFirstChar(), 0x41);
    EXPECT_EQ(f.GetLastChar(), 90);
    r = Cli({"show", out, "65"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find('#'), std::string::npos);
    EXPECT_EQ(r.out.find("############"), std::string::npos);  // a letter, not a filled box
}

TEST_F(CliRenderTest, ArgumentsOutsideWhatTheDialogsAllowAreUsageErrors) {
    const std::string out = dir.File("x.kfn");
    const std::vector<std::vector<std::string>> bad = {
        {"--stretch", "4.01,1"}, {"--stretch", "1,0.2"}, {"--stretch", "1"}, {"--origin", "11,0"},
        {"--origin", "0,-11"},   {"--width", "65"},      {"--height", "0"},  {"--first", "0x100"},
        {"--first", "66", "--last", "65"}, {"--style", "oblique"}, {"--codepage", "4242"}};
    for (const auto& extra : bad) {
        std::vector<std::string> args = {"render", "DejaVu Sans", "12", out};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << extra[0] << " " << extra[1] << ": " << r.err;
    }
    EXPECT_EQ(Cli({"render", "DejaVu Sans", "0", out}).exitCode, 2);
    EXPECT_EQ(Cli({"render", "DejaVu Sans", "12", dir.File("x.psw")}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(out));
}

// fontconfig's answer is kept for the next run, which then reads no
// configuration at all, and given up as soon as what fontconfig read
// changes: a font removed from its folder, the configuration rewritten.
TEST_F(CliRenderTest, AKeptFaceFollowsTheFontConfiguration) {
    const std::string face = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(face)) GTEST_SKIP() << face << " is not installed";
    // The configuration in a folder of its own: fontconfig makes its cache
    // folder beside, which would change the configuration's folder.
    const std::string fonts = dir.File("fonts"), empty = dir.File("empty"), conf = dir.File("conf/fonts.conf");
    for (const std::string& d : {fonts, empty, dir.File("conf")}) std::filesystem::create_directories(d);
    std::filesystem::copy_file(face, fonts + "/a.ttf");
    const auto configure = [&](const std::string& folder) {
        WriteText(conf, "<fontconfig><dir>" + folder + "</dir><cachedir>" + dir.File("fc-cache") +
                            "</cachedir></fontconfig>");
    };
    configure(fonts);
    ::setenv("FONTCONFIG_FILE", conf.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", dir.File("cache").c_str(), 1);
    // Answers are kept only from files older than the run that read them.
    const auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    const auto render = [&] { return Cli({"render", "DejaVu Sans", "12", dir.File("r.kfn"), "--last", "66"}); };
    settle();
    EXPECT_EQ(render().exitCode, 0);
    ::setenv("LD_DEBUG", "files", 1);
    CliRun r = render();
    ::unsetenv("LD_DEBUG");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("libfreetype"), std::string::npos) << "the loader's report is missing";
    EXPECT_EQ(r.err.find("libfontconfig"), std::string::npos) << "the kept answer was not used";

    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"font removed", [&] { std::filesystem::rename(fonts + "/a.ttf", dir.File("a.ttf")); }},
        {"configuration rewritten", [&] { configure(empty); }},
    };
    for (const auto& [what, change] : changes) {
        settle();
        EXPECT_EQ(render().exitCode, 0) << what;  // kept again
        change();
        r = render();
        EXPECT_EQ(r.exitCode, 1) << what;
        EXPECT_NE(r.err.find("not installed"), std::string::npos) << what << ": " << r.err;
        if (std::filesystem::exists(dir.File("a.ttf"))) std::filesystem::rename(dir.File("a.ttf"), fonts + "/a.ttf");
        configure(fonts);
    }
    ::unsetenv("FONTCONFIG_FILE");
    ::unsetenv("XDG_CACHE_HOME");
}

TEST_F(CliRenderTest, AFamilyThatIsNotInstalledIsRefusedWithTheNearestOne) {
    const std::string out = dir.File("none.kfn");
    const CliRun r = Cli({"render", "No Such Family Anywhere", "12", out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("\"No Such Family Anywhere\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nearest: \""), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Every family `fc-list : family` prints is drawn, and the font is named
// after it as fontconfig spells it.
TEST_F(CliRenderTest, EveryFamilyFontconfigListsIsRenderedUnderItsName) {
    std::vector<std::string> families;
    if (std::FILE* p = popen("fc-list : family", "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, p)) {
            std::string names(line);
            names.erase(names.find_last_not_of("\r\n") + 1);
            for (std::size_t start = 0; start <= names.size();) {
                const std::size_t comma = std::min(names.find(',', start), names.size());
                if (comma > start) families.push_back(names.substr(start, comma - start));
                start = comma + 1;
            }
        }
        pclose(p);
    }
    ASSERT_FALSE(families.empty());
    for (const std::string& family : families) {
        const std::string out = dir.File("f.kfn");
        const CliRun r = Cli({"render", family, "12", out, "--first", "65", "--last", "66"});
        ASSERT_EQ(r.exitCode, 0) << family << ": " << r.err;
        CGlyphosDocCore doc;
        ASSERT_EQ(doc.LoadKfnFile(CString::FromUtf8(out)), 1);
        EXPECT_EQ(doc.GetFont().GetFontName(), CString::FromUtf8(family));
    }
    const CliRun lower = Cli({"render", "dejavu sans mono", "12", dir.File("l.kfn"), "--first", "65", "--last", "65"});
    ASSERT_EQ(lower.exitCode, 0) << lower.err;
    CGlyphosDocCore doc;
    ASSERT_EQ(doc.LoadKfnFile(CString::FromUtf8(dir.File("l.kfn"))), 1);
    EXPECT_EQ(doc.GetFont().GetFontName(), CString(L"DejaVu Sans Mono"));
}

}  // namespace
