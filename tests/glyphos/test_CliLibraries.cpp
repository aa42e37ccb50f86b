// Which shared libraries each glyphos-cli command loads, as the dynamic
// loader reports them (LD_DEBUG=files names every object it maps, also
// those opened later): the commands that neither draw a page nor show a
// window load no Qt at all, so that they start as fast as the library
// itself; print alone draws with QtGui.
#include "CliRunner.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

class CliLibrariesTest : public ::testing::Test {
protected:
    CliRun Traced(const std::vector<std::string>& args) {
        ::setenv("LD_DEBUG", "files", 1);
        CliRun r = RunProgram(BuiltProgram("glyphos-cli"), args, dir.path());
        ::unsetenv("LD_DEBUG");
        return r;
    }
    TempDir dir;
};

TEST_F(CliLibrariesTest, CommandsThatDrawNoPageLoadNoQt) {
    const std::string demo = std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw";
    const std::string psw = dir.File("copy.psw");
    std::filesystem::copy_file(demo, psw);
    const std::string kfn = dir.File("a.kfn");
    const std::vector<std::vector<std::string>> commands = {
        {"info", demo},
        {"fonts", demo, "--log-dir", dir.path()},
        {"extract", demo, "1", kfn, "--log-dir", dir.path()},
        {"show", kfn, "65"},
        {"export", "c", kfn, dir.File("a.c"), "--items", "16"},
        {"convert", kfn, dir.File("a.bdf")},
        {"replace", psw, kfn, "--font", "1", "--log-dir", dir.path()},
        {"render", "DejaVu Sans", "12", dir.File("r.kfn"), "--first", "65", "--last", "70"},
    };
    for (const auto& c : commands) {
        const CliRun r = Traced(c);
        EXPECT_EQ(r.exitCode, 0) << c[0];
        EXPECT_NE(r.err.find("libc.so"), std::string::npos) << c[0] << ": the loader's report is missing";
        EXPECT_EQ(r.err.find("libQt6"), std::string::npos) << c[0] << " loads Qt";
    }
    const CliRun printed = Traced({"print", kfn, dir.File("a.pdf")});
    EXPECT_EQ(printed.exitCode, 0);
    EXPECT_NE(printed.err.find("libQt6Gui"), std::string::npos) << "print draws with QtGui";
}

}  // namespace
