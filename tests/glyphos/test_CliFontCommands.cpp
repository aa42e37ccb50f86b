// End-to-end: glyphos-cli's font commands (fonts, extract, replace, show) on
// files made by the PSW builder.
#include "CliRunner.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

using pswtest::Bytes;

class CliFontCommandsTest : public ::testing::Test {
protected:
    CliRun Cli(std::vector<std::string> args) {
        args.push_back("--log-dir");
        args.push_back(dir.path());
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    CliRun CliNoLog(std::vector<std::string> args) {
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    // Two fonts of 8 x 8 and one of 12 x 4 whose character "A" is a frame.
    std::string MakePsw(const std::string& name, std::uint8_t scrByte) {
        pswtest::Psw1Builder b;
        b.printer.scrByte = scrByte;
        b.AddBank(0);
        b.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
        pswtest::FontSpec frame{.width = 12, .height = 4, .first = 65, .last = 66};
        frame.data = Bytes(frame.BlockSize(), 0);
        const Bytes a = {0xFF, 0xF0, 0x80, 0x10, 0x80, 0x10, 0xFF, 0xF0};
        std::copy(a.begin(), a.end(), frame.data.begin());
        b.AddFont(frame);
        b.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
        b.Write(dir.File(name));
        return dir.File(name);
    }
    TempDir dir;
};

TEST_F(CliFontCommandsTest, ListsExtractsAndShowsAFont) {
    const std::string psw = MakePsw("a.psw", 0x35);
    CliRun r = Cli({"fonts", psw});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1) Font 08 x 08\n2) Font 12 x 04\n3) Font 08 x 08\n");

    r = Cli({"extract", psw, "2", dir.File("a.kfn")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = CliNoLog({"show", dir.File("a.kfn"), "0x41"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "############\n#..........#\n#..........#\n############\n");
    r = CliNoLog({"show", dir.File("a.kfn"), "66"});
    EXPECT_EQ(r.out, "............\n............\n............\n............\n");
    // A leading zero is still decimal: 065 is "A", not 53.
    r = CliNoLog({"show", dir.File("a.kfn"), "065"});
    EXPECT_EQ(r.out, "############\n#..........#\n#..........#\n############\n") << r.err;
}

// A log folder that cannot be written in is one warning; the work is done.
TEST_F(CliFontCommandsTest, ALogThatCannotBeWrittenIsOneWarning) {
    const std::string psw = MakePsw("w.psw", 0);
    WriteText(dir.File("not-a-folder"), "");
    ::setenv("XDG_CONFIG_DIRS", dir.File("no-config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", dir.File("not-a-folder").c_str(), 1);
    const CliRun r = CliNoLog({"fonts", psw});
    ::unsetenv("XDG_CONFIG_DIRS");
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1) Font 08 x 08\n2) Font 12 x 04\n3) Font 08 x 08\n");
    EXPECT_EQ(r.err.rfind("glyphos-cli: warning: Impossibile inizializzare il file di log: " +
                              dir.File("not-a-folder/glyphos/logs/"), 0),
              0u)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(CliFontCommandsTest, ReplaceWritesIntoTheOnlyCompatibleFontOrTheOneNamed) {
    const std::string psw = MakePsw("b.psw", 0x36);
    ASSERT_EQ(Cli({"extract", psw, "2", dir.File("f.kfn")}).exitCode, 0);
    CliRun r = Cli({"replace", psw, dir.File("f.kfn")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Cli({"extract", psw, "2", dir.File("g.kfn")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadText(dir.File("g.kfn")), ReadText(dir.File("f.kfn")));

    // Fonts 1 and 3 have the same shape: without --font the command names both.
    ASSERT_EQ(Cli({"extract", psw, "1", dir.File("one.kfn")}).exitCode, 0);
    r = Cli({"replace", psw, dir.File("one.kfn")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("1) Font 08 x 08"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3) Font 08 x 08"), std::string::npos) << r.err;
    EXPECT_EQ(Cli({"replace", psw, dir.File("one.kfn"), "--font", "3"}).exitCode, 0);
}

TEST_F(CliFontCommandsTest, AnIncompatibleFontLeavesTheFileAsItWas) {
    const std::string psw = MakePsw("c.psw", 0x11);
    ASSERT_EQ(Cli({"extract", psw, "1", dir.File("one.kfn")}).exitCode, 0);
    const std::string before = ReadText(psw);
    CliRun r = Cli({"replace", psw, dir.File("one.kfn"), "--font", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("It's Impossible to replace the font in psw file selected."), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(psw), before);
}

TEST_F(CliFontCommandsTest, BadArgumentsAndBadFilesExitCleanly) {
    const std::string psw = MakePsw("d.psw", 0);
    EXPECT_EQ(Cli({"extract", psw, "x", dir.File("o.kfn")}).exitCode, 2);
    EXPECT_EQ(Cli({"extract", psw, "1", dir.File("o.txt")}).exitCode, 2);
    EXPECT_EQ(Cli({"extract", psw, "9", dir.File("o.kfn")}).exitCode, 1);
    EXPECT_EQ(CliNoLog({"show", dir.File("none.kfn"), "65"}).exitCode, 1);
    EXPECT_EQ(CliNoLog({"show", psw, "300"}).exitCode, 2);
    WriteText(dir.File("junk.psw"), "P garbage that ends early");
    CliRun r = Cli({"fonts", dir.File("junk.psw")});
    EXPECT_FALSE(r.signalled);
    EXPECT_EQ(r.exitCode, 1);
    WriteText(dir.File("junk.kfn"), "F\x01\x02");
    r = CliNoLog({"show", dir.File("junk.kfn"), "65"});
    EXPECT_FALSE(r.signalled);
    EXPECT_EQ(r.exitCode, 1);
}

// Whatever the library says on the way, a failure is one line that carries
// the system's reason and the library's own words.
TEST_F(CliFontCommandsTest, AFileThatCannotBeReadGivesOneErrorLineWithItsReason) {
    const std::string psw = MakePsw("r.psw", 0);
    ASSERT_EQ(Cli({"extract", psw, "1", dir.File("r.kfn")}).exitCode, 0);
    const std::string folder = dir.File("folder.psw");
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(dir.File("folder.kfn"));
    struct Case {
        std::vector<std::string> args;
        std::string reason, library;
    };
    std::vector<Case> cases = {
        {{"show", dir.File("none.kfn"), "65"}, "No such file or directory", "Error open file"},
        {{"fonts", folder}, "Is a directory", "not load! Verify the name or format file."},
        {{"extract", folder, "1", dir.File("o.kfn")}, "Is a directory", "Error open file"},
        {{"replace", folder, dir.File("r.kfn")}, "Is a directory", "not load!"},
        {{"replace", psw, dir.File("folder.kfn")}, "Is a directory", "Error open file"},
    };
    // Permissions do not stop root.
    if (::geteuid() != 0) {
        WriteText(dir.File("locked.psw"), ReadText(psw));
        std::filesystem::permissions(dir.File("locked.psw"), std::filesystem::perms::none);
        cases.push_back({{"fonts", dir.File("locked.psw")}, "Permission denied", "Error open file"});
    }
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args);
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(r.exitCode, 1);
        ASSERT_EQ(r.err.rfind("glyphos-cli: error: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.library), std::string::npos) << r.err;
    }
}

// Without --log-dir the log goes where the installed editor's configuration
// says.
TEST_F(CliFontCommandsTest, KeepsItsLogInTheEditorsLogFolder) {
    const std::string psw = MakePsw("e.psw", 0);
    std::filesystem::create_directories(dir.File("xdg/Kalvo"));
    std::filesystem::create_directories(dir.File("prog/DebugFile"));
    std::filesystem::create_directories(dir.File("logs"));
    WriteText(dir.File("xdg/Kalvo/Glyphos.ini"), "[App.%20settings]\nPath=" + dir.File("prog") + "/\n");
    WriteText(dir.File("prog/Glyphos.cfg"), "BeginAppCfg\n$Nameavifile=a.avi\n$DirLog=" + dir.File("logs") +
                                                "/\n$HelpFile=h.html\n$EndAppCfg\n");
    ::setenv("XDG_CONFIG_DIRS", dir.File("xdg").c_str(), 1);
    const CliRun r = CliNoLog({"fonts", psw});
    // A run that logs nothing leaves no empty log; one that fails logs why.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("logs")), {}), 0);
    WriteText(dir.File("bad.psw"), std::string(3000, 'x'));
    EXPECT_EQ(CliNoLog({"fonts", dir.File("bad.psw")}).exitCode, 1);
    ::unsetenv("XDG_CONFIG_DIRS");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto logs = std::distance(std::filesystem::directory_iterator(dir.File("logs")), {});
    EXPECT_EQ(logs, 1);
}

// The editor's configuration is only a hint for the log folder here: when it
// is a FIFO it is passed over at once, not waited on.
TEST_F(CliFontCommandsTest, AnEditorConfigurationThatIsAFifoIsPassedOver) {
    const std::string psw = MakePsw("f.psw", 0);
    std::filesystem::create_directories(dir.File("xdg/Kalvo"));
    std::filesystem::create_directories(dir.File("prog"));
    WriteText(dir.File("xdg/Kalvo/Glyphos.ini"), "[App.%20settings]\nPath=" + dir.File("prog") + "/\n");
    ASSERT_EQ(::mkfifo(dir.File("prog/Glyphos.cfg").c_str(), 0600), 0);
    ::setenv("XDG_CONFIG_DIRS", dir.File("xdg").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", dir.File("cache").c_str(), 1);
    const CliRun r = CliNoLog({"fonts", psw});
    ::unsetenv("XDG_CONFIG_DIRS");
    ::unsetenv("XDG_CACHE_HOME");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("cache/glyphos/logs")));
}

}  // namespace
