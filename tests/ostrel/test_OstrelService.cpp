// ostrel-service end to end: the program on a pseudo-terminal with
// ostrel-printer-sim playing the demo printer of the samples.
#include "CliRunner.h"
#include "PrinterSimProcess.h"
#include "SerialDevice.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

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
    std::vector<std::string> ServiceArgs(std::vector<std::string> args) {
        std::vector<std::string> all = {"--port", sim ? sim->Path() : "/dev/null", "--config",
                                        kSamples + "demo-printer.cfg", "--folder", dir.path(), "--log",
                                        dir.File("service.log")};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
    CliRun Service(std::vector<std::string> args) {
        return RunProgram(BuiltProgram("ostrel-service"), ServiceArgs(std::move(args)), dir.path());
    }
};

// As the simulator prints it: CRC-32 in lower-case hex.
std::string Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(~crc));
    return hex;
}

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

// A log that cannot be written costs a warning, never the command; what the
// file says reaches the terminal with its control characters escaped.
TEST_F(OstrelServiceTest, AnUnwritableLogIsAWarningAndFileTextIsPrintedEscaped) {
    Start();
    std::vector<std::string> args = {"--port", sim->Path(), "--config", kSamples + "demo-printer.cfg", "--folder",
                                     dir.path(), "--log", dir.File("no/such/folder/service.log"), "status"};
    const CliRun r = RunProgram(BuiltProgram("ostrel-service"), args, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ready\n");
    EXPECT_NE(r.err.find("Impossibile inizializzare il file di log: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no/such/folder/service.log (No such file or directory)"), std::string::npos) << r.err;

    // The demo file with a printer name (bytes 1..8) that clears the screen.
    std::string psw = ReadText(std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw");
    psw.replace(1, 8, "K\x1B[2J\rXY");
    WriteText(dir.File("esc.psw"), psw);
    const CliRun up = Service({"upgrade", dir.File("esc.psw")});
    EXPECT_EQ(up.out.rfind("printer K\\x1B[2J\\x0DXY\n", 0), 0u) << up.out << up.err;
    EXPECT_EQ(up.out.find('\x1B'), std::string::npos);
}

// The man page keeps up with --help: each command there is an entry of the
// page, each option is named in it.
TEST(OstrelServiceHelp, TheManPageHasEveryCommandAndOptionOfTheHelp) {
    TempDir dir;
    const std::string help = RunProgram(BuiltProgram("ostrel-service"), {"--help"}, dir.path()).out;
    const std::string man = std::regex_replace(
        ReadText(std::string(GLYPHOS_SOURCE_DIR) + "/packaging/man/ostrel-service.1"), std::regex(R"(\\-)"), "-");
    const std::regex option("--[a-z]+");
    for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it)
        EXPECT_NE(man.find(it->str()), std::string::npos) << it->str();
    const std::string commands = help.substr(help.find("\ncommands:\n"));
    const std::regex command("\n  ([a-z]+) ");
    int count = 0;
    for (std::sregex_iterator it(commands.begin(), commands.end(), command), end; it != end; ++it, ++count)
        EXPECT_TRUE(std::regex_search(man, std::regex("\n\\.B[IR]? \"?" + (*it)[1].str() + "\\b"))) << (*it)[1];
    EXPECT_EQ(count, 9);
}

// An upgrade finds the printer with the file's model and sends the file
// once, every byte in order: the printer's count and CRC-32 of what came
// after the detection must be the file's.
TEST_F(OstrelServiceTest, AnUpgradeSendsTheWholeFileInOrderToAPrinterOfItsModel) {
    Start({"model 0x50", "baud 38400", "buffer 65536"});
    const std::string psw = std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw";
    const CliRun r = Service({"upgrade", psw});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string file = ReadText(psw);
    EXPECT_EQ(r.out, "printer DEMO-80\nsoftware release 210\nhardware release 01\nmodel 80\nsent " +
                         std::to_string(file.size()) + " bytes\n");
    // Not a terminal: plain progress lines, the last at the end.
    EXPECT_NE(r.err.find("progress 100% " + std::to_string(file.size())), std::string::npos) << r.err;
    const std::string summary = sim->Stop();
    EXPECT_NE(summary.find(" data " + std::to_string(file.size()) + " " + Crc32(file)), std::string::npos) << summary;

    // A printer of another model gets nothing.
    Start();
    const CliRun other = Service({"upgrade", psw});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_NE(other.err.find("ostrel-service: error: no printer of model 80 answered"), std::string::npos) << other.err;
    EXPECT_EQ(Service({"--total", "5", "upgrade", psw}).exitCode, 2);
}

// Ctrl+C in each phase of an upgrade ends it at once with exit 1 and the
// count sent, and what reached the printer is the start of the file, in
// order. The limit is only a safety net for slow sanitizer builds: the time
// from the signal to the end is recorded for the record.
TEST_F(OstrelServiceTest, CtrlCEndsAnUpgradeAtOnceWithTheCountSent) {
    const std::string psw = std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw";
    const std::string file = ReadText(psw);
    struct Case {
        const char* phase;
        std::vector<std::string> script;
        const char* cue;  // the simulator's event that says the phase has come
        bool terminal;    // stderr on a terminal: the bar rather than lines
    } cases[] = {
        // A printer that listens at 300 baud only: the search has far to go.
        {"search", {"model 0x50", "baud 300"}, "line 4800", false},
        // The demo printer prints 800 bytes a second: after its first XON
        // several seconds of the file are still to go.
        {"transfer", {"model 0x50", "baud 38400"}, "xon", true},
        // The lever is up: the printer's XOFF holds the line for good.
        {"held line", {"model 0x50", "baud 38400", "lever up"}, "xoff", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        Start(c.script);
        RunningProgram service(BuiltProgram("ostrel-service"), ServiceArgs({"upgrade", psw}), dir.path(), c.terminal);
        ASSERT_TRUE(service.Started());
        ASSERT_TRUE(sim->WaitFor(c.cue, kPatience));
        const auto signalled = std::chrono::steady_clock::now();
        service.Signal(SIGINT);
        const std::optional<CliRun> r = service.Wait(10s);
        ASSERT_TRUE(r) << "still running 10 s after Ctrl+C";
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signalled).count();
        RecordProperty(std::string("ctrl_c_to_exit_ms_") + (c.phase[0] == 'h' ? "held" : c.phase), std::to_string(ms));
        std::printf("[ measured ] Ctrl+C during the %s: ended %lld ms after the signal\n", c.phase,
                    static_cast<long long>(ms));

        EXPECT_EQ(r->exitCode, 1) << r->err;
        std::smatch m;
        ASSERT_TRUE(
            std::regex_search(r->err, m, std::regex("ostrel-service: error: interrupted: (\\d+) of (\\d+) bytes sent")))
            << r->err;
        const std::size_t sent = std::stoul(m[1]);
        EXPECT_EQ(m[2], std::to_string(file.size()));
        // One error line: not the library's complaints about the cut I/O.
        EXPECT_EQ(r->err.find("error: "), r->err.rfind("error: ")) << r->err;
        EXPECT_LT(sent, file.size());
        if (c.terminal) {
            EXPECT_NE(r->err.find("\r[#"), std::string::npos) << r->err;
            EXPECT_NE(r->err.find(" B/s "), std::string::npos);
            EXPECT_EQ(r->err.find("progress "), std::string::npos);
        }
        const std::string summary = sim->Stop();
        if (std::string(c.phase) == "search") continue;  // bytes at a wrong rate arrive garbled
        ASSERT_TRUE(std::regex_search(summary, m, std::regex(" data (\\d+) ([0-9a-f]{8})"))) << summary;
        const std::size_t received = std::stoul(m[1]);
        EXPECT_GT(received, 0u);
        EXPECT_LE(received, sent);
        EXPECT_EQ(m[2], Crc32(std::string_view(file).substr(0, received)));
    }
}

// At the flow test's prompt on a terminal the program waits for Enter, and
// Ctrl+C must end that wait as well as a transfer.
TEST_F(OstrelServiceTest, CtrlCEndsTheWaitForTheLever) {
    Start({"buffer 256", "lever up", "baud 38400"});
    WriteText(dir.File("xoff.cfg"),
              std::regex_replace(ReadText(kSamples + "demo-printer.cfg"), std::regex("IsR730 = No"), "IsR730 = Yes"));
    WriteText(dir.File("flow.txt"), std::string(100, 'f'));
    RunningProgram service(BuiltProgram("ostrel-service"),
                           {"--port", sim->Path(), "--config", dir.File("xoff.cfg"), "--log", dir.File("flow.log"),
                            "--baud", "38400", "flowtest", dir.File("flow.txt"), "--total", "256"},
                           dir.path(), true);
    ASSERT_TRUE(service.WaitForTerminalText("press Enter once the lever is down", kPatience));
    const auto signalled = std::chrono::steady_clock::now();
    service.Signal(SIGINT);
    const std::optional<CliRun> r = service.Wait(10s);
    ASSERT_TRUE(r) << "still waiting 10 s after Ctrl+C";
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signalled).count();
    RecordProperty("ctrl_c_to_exit_ms_lever", std::to_string(ms));
    std::printf("[ measured ] Ctrl+C at the lever prompt: ended %lld ms after the signal\n",
                static_cast<long long>(ms));
    EXPECT_EQ(r->exitCode, 1);
    EXPECT_TRUE(std::regex_search(r->err, std::regex("error: interrupted: \\d+ of 500 bytes sent"))) << r->err;
}

// The flow test fills the buffer of a printer whose lever is up, tells the
// operator to lower it, and completes once the printer prints again.
TEST_F(OstrelServiceTest, TheFlowTestWaitsForTheLeverAndThenSendsEveryCopy) {
    Start({"buffer 256", "lever up", "baud 38400"});
    // A pseudo-terminal has no CTS: only a model that signals a full buffer
    // by XOFF alone passes the test on it.
    WriteText(dir.File("xoff.cfg"),
              std::regex_replace(ReadText(kSamples + "demo-printer.cfg"), std::regex("IsR730 = No"), "IsR730 = Yes"));
    WriteText(dir.File("flow.txt"), std::string(100, 'f'));
    CliRun r;
    std::thread service([&] {
        r = RunProgram(BuiltProgram("ostrel-service"),
                       {"--port", sim->Path(), "--config", dir.File("xoff.cfg"), "--log", dir.File("flow.log"),
                        "--baud", "38400", "--yes", "flowtest", dir.File("flow.txt"), "--total", "256"},
                       dir.path());
    });
    EXPECT_TRUE(sim->WaitFor("xoff", kPatience));
    sim->Signal(SIGUSR1);
    EXPECT_TRUE(sim->WaitFor("lever down", kPatience));
    service.join();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "sent 500 bytes\n");  // 256 / 100 + 3 copies
    EXPECT_NE(r.err.find("Buffer di ricezione pieno. Abbassare la levetta della testina."), std::string::npos) << r.err;
    EXPECT_EQ(sim->Stop().rfind("received 500 ", 0), 0u);
}

}  // namespace

namespace {

// Configuration files written otherwise than the sample: each must load as
// the printer needs it, or fail in a few lines of stderr. The debug log keeps
// every box; stderr keeps one error line and at most two warnings.
TEST_F(OstrelServiceTest, ConfigurationsWrittenOtherwiseDetectOrFailBriefly) {
    Start({"baud 4800"});
    const std::string sample = ReadText(kSamples + "demo-printer.cfg");
    struct Case {
        const char* name;
        std::string text;
        int exit;
    } cases[] = {
        {"upper-case numeric option", std::regex_replace(sample, std::regex(R"(\$Rxbufdim = 2048)"), "$RXBUFDIM=2048"), 0},
        {"an entry named like the end keyword",
         std::regex_replace(sample, std::regex(R"(#BeginCommand\n)"),
                            "#BeginCommand\n$SendCommand & 1 \xA3 0 % 41\n"),
         0},
        {"no Cmodel", std::regex_replace(sample, std::regex(R"(\$Cmodel[^\n]*\n)"), ""), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(dir.File("model.cfg"), c.text);
        // A bare file name: the configuration is in the current folder.
        const std::string command = "cd '" + dir.path() + "' && exec '" + BuiltProgram("ostrel-service") +
                                    "' --port '" + sim->Path() + "' --config model.cfg --log '" +
                                    dir.File("model.log") + "' detect";
        const CliRun r = RunProgram("/bin/sh", {"-c", command}, dir.path());
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        if (c.exit == 0) {
            EXPECT_EQ(r.out, "line 4800 8 n 1\nmodel 42\n");
            EXPECT_TRUE(r.err.empty()) << r.err;
            continue;
        }
        const auto lines = std::count(r.err.begin(), r.err.end(), '\n');
        EXPECT_LE(lines, 3) << r.err;
        EXPECT_EQ(r.err.find("error: "), r.err.rfind("error: ")) << r.err;
        EXPECT_NE(r.err.find("Imposibile trovare parola chiave:Cmodel"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(" times)"), std::string::npos) << r.err;
    }
}

// A printer that stops reading in the middle of a line: the transfer ends
// in failure after the write deadline, with the count sent, rather than
// throwing bytes away and calling the line printed. The kernel keeps about
// 20 KiB between the two ends of a pseudo-terminal, which the writer cannot
// see, so the line is longer than that; the rate only makes the test short.
TEST_F(OstrelServiceTest, ALineThePrinterStopsTakingFailsWithTheCountSent) {
    Start();
    sim->Signal(SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    const CliRun r = Service({"--baud", "38400", "print", std::string(30000, 'p')});
    const auto took = std::chrono::steady_clock::now() - start;
    sim->Signal(SIGCONT);
    std::printf("[ measured ] print to a stopped printer ended after %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_LT(took, 60s);
    EXPECT_TRUE(std::regex_search(r.err, std::regex("error: the printer did not take the line: \\d+ bytes sent")))
        << r.err;
    EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 3) << r.err;
}

// Opens the port as another user would: a privileged process is let through
// an exclusive terminal, so as root the open runs in a child that has given
// up its privileges.
bool OpensForAnotherUser(const std::string& path) {
    auto tryOpen = [&] {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    };
    if (::geteuid() != 0) return tryOpen();
    ::chmod(path.c_str(), 0666);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(tryOpen() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string TerminalSetting(const std::string& path, const std::string& scratch) {
    return RunProgram("/bin/stty", {"-g", "-F", path}, scratch).out;
}

// A closed terminal or Ctrl+\ in the middle of a rate search: the port gets
// back the setting it had and is free for the next program.
TEST_F(OstrelServiceTest, HangupAndQuitLeaveThePortAsItWasAndFree) {
    for (const int sig : {SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(sig);
        Start({"baud 300"});
        const std::string before = TerminalSetting(sim->Path(), dir.path());
        ASSERT_FALSE(before.empty());
        RunningProgram service(BuiltProgram("ostrel-service"), ServiceArgs({"detect"}), dir.path());
        ASSERT_TRUE(service.Started());
        ASSERT_TRUE(sim->WaitFor("line 9600", kPatience));
        service.Signal(sig);
        const std::optional<CliRun> r = service.Wait(20s);
        ASSERT_TRUE(r) << "still running 20 s after the signal";
        EXPECT_EQ(r->exitCode, 1) << r->err;
        EXPECT_FALSE(r->signalled);
        EXPECT_EQ(TerminalSetting(sim->Path(), dir.path()), before);
        EXPECT_TRUE(OpensForAnotherUser(sim->Path()));
        sim->Stop();
    }
}

}  // namespace

namespace {

// With the lever up the paper does not move: the line comes out after the
// lever goes down, never before.
TEST_F(OstrelServiceTest, ALineSentWithTheLeverUpIsPrintedWhenItComesDown) {
    Start({"lever up"});
    const CliRun r = Service({"print", "Held line"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    sim->Signal(SIGUSR1);
    EXPECT_TRUE(sim->WaitFor("lever down", kPatience));
    EXPECT_TRUE(sim->WaitFor("print Held line", kPatience));
}

}  // namespace
