// Every program answers --help and --version, the editor without needing a
// display for either.
#include "CliRunner.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(ProgramOptions, EveryProgramAnswersHelpAndVersion) {
    TempDir dir;
    // No window system: the editor must answer before it would need one.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const std::string saved = platform ? platform : "";
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("DISPLAY");
    for (const std::string name : {"glyphos-cli", "glyphos", "ostrel-printer-sim", "ostrel-selfcheck"}) {
        SCOPED_TRACE(name);
        const std::string program = BuiltProgram(name);
        if (!std::filesystem::exists(program)) continue;  // a build without the editor
        const CliRun version = RunProgram(program, {"--version"}, dir.path());
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, name + " " GLYPHOS_VERSION "\n");
        const CliRun help = RunProgram(program, {"--help"}, dir.path());
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.rfind("usage: " + name, 0), 0u) << help.out;
    }
    if (platform) setenv("QT_QPA_PLATFORM", saved.c_str(), 1);
    else unsetenv("QT_QPA_PLATFORM");
}

}  // namespace
