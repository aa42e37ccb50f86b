// ostrel-service end to end: the program on a pseudo-terminal with
// ostrel-printer-sim playing the demo printer of the samples.
#include "CliRunner.h"
#include "PrinterSimProcess.h"
#include "SerialDevice.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 20s;
const std::string kSamples = std::string(GLYPHOS_SOURCE_DIR) + "/samples/printers/";

class OstrelServiceTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<PrinterSimProcess> sim;

    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> script;
        std::istringstream in(ReadText(kSamples + "demo-printer.sim"));
        for (std::string l; std::getline(in, l);) script.push_back(l);
        script.insert(script.end(), extra.begin(), extra.end());
        sim = std::make_unique<PrinterSimProcess>(script, GLYPHOS_BINARY_DIR "/bin");
        ASSERT_TRUE(sim->Started()) << sim->Error();
    }
    CliRun Service(std::vector<std::string> args) {
        std::vector<std::string> all = {"--port", sim ? sim->Path() : "/dev/null", "--config",
                                        kSamples + "demo-printer.cfg", "--folder", dir.path(), "--log",
                                        dir.File("service.log")};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(BuiltProgram("ostrel-service"), all, dir.path());
    }
};

TEST_F(OstrelServiceTest, DetectFindsAPrinterAt2400AfterTheFasterRates) {
    Start({"baud 2400"});
    const CliRun r = Service({"detect"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "line 2400 8 n 1\nmodel 42\n");
    for (const char* rate : {"line 38400", "line 19200", "line 9600", "line 4800", "line 2400"})
        EXPECT_TRUE(sim->WaitFor(rate, kPatience)) << rate;

    // At the rate found the printer answers without a search.
    const CliRun release = Service({"--baud", "2400", "release"});
    EXPECT_EQ(release.exitCode, 0) << release.err;
    EXPECT_EQ(release.out, "1.20\n");
}

TEST_F(OstrelServiceTest, CommandsDoWhatThePrinterShows) {
    Start();
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::vector<std::string> events;
    } cases[] = {
        {{"send", "Status"}, "00 00\n", {}},
        {{"status"}, "ready\n", {}},
        {{"print", "Hello printer", "--align", "center"}, "", {"print Hello printer"}},
        {{"feed", "2"}, "", {"print ", "print "}},
        {{"send", "Setcom19200"}, "", {"printer-line 19200 8 n 1"}},
        {{"--baud", "19200", "release"}, "1.20\n", {}},
        {{"--baud", "19200", "defconfig", "Quick"}, "command 1 done\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const CliRun r = Service(c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
        for (const auto& e : c.events) EXPECT_TRUE(sim->WaitFor(e, kPatience)) << e;
    }
}

TEST_F(OstrelServiceTest, FailuresAndWrongArgumentsSaySoInOneLine) {
    Start({"power off"});
    const CliRun silent = Service({"release"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_NE(silent.err.find("ostrel-service: error: the printer did not tell its release\n"), std::string::npos);

    const CliRun missing = Service({"send", "Nothing"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("ostrel-service: error: no command Nothing in "), std::string::npos);

    // The port held by another program.
    DWORD error = 0;
    std::string why;
    auto held = OpenSerialPort(CString::FromUtf8(sim->Path()), error, &why);
    ASSERT_TRUE(held) << why;
    const CliRun busy = Service({"status"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_NE(busy.err.find("ostrel-service: error: port busy: "), std::string::npos) << busy.err;
    held->Close();

    // A question of the configuration is answered from the command line or fails the command.
    WriteText(dir.File("ask.cfg"), std::regex_replace(ReadText(kSamples + "demo-printer.cfg"),
                                                      std::regex("IsR730 = No"), "IsR730 = O ^Small model?^"));
    const std::vector<std::string> ask = {"--port", sim->Path(), "--config", dir.File("ask.cfg"), "--log",
                                          dir.File("ask.log"), "status"};
    const CliRun unanswered = RunProgram(BuiltProgram("ostrel-service"), ask, dir.path());
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_NE(unanswered.err.find("error: a question needs --yes or --no: \"Small model?\""), std::string::npos);
    std::vector<std::string> answered = ask;
    answered.insert(answered.begin(), "--yes");
    EXPECT_EQ(RunProgram(BuiltProgram("ostrel-service"), answered, dir.path()).exitCode, 0);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"fly"}, {"feed", "lots"}, {"print"}, {"detect", "--model", "300"}, {"--align", "up", "print", "x"}}) {
        const CliRun r = Service(args);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(r.err.rfind("ostrel-service: error: ", 0), 0u) << r.err;
    }
    const CliRun help = RunProgram(BuiltProgram("ostrel-service"), {"--help"}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: ostrel-service", 0), 0u);
    EXPECT_EQ(RunProgram(BuiltProgram("ostrel-service"), {"--version"}, dir.path()).out.rfind("ostrel-service ", 0),
              0u);
}

}  // namespace
