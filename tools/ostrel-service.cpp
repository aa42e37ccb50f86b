// ostrel-service: a service tool for one printer on one serial port, built
// the way production tools use the library: a class derived from the
// printers object reaches its protected operations, a message target takes
// the posted notifications, and a second thread stops a running transfer
// with StopWriter when the user presses Ctrl+C.
#include "CliText.h"
#include "FileUtil.h"
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "KalvoNewPrintersObject.h"
#include "MessageTarget.h"
#include "TransferProgress.h"
#include "UiServices.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <condition_variable>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

enum Exit { kOk = 0, kFailure = 1, kUsage = 2 };

const char* const kUsageText =
    "usage: ostrel-service --port DEV --config FILE [--folder DIR] [--log FILE] [--baud N]\n"
    "                      [--yes|--no] [--verbose] COMMAND [ARGUMENTS]\n"
    "\n"
    "Talks to a printer through its printers configuration file.\n"
    "  --port DEV     the serial port: a path (/dev/ttyUSB0, a pseudo-terminal) or COMn\n"
    "  --config FILE  the printer model's configuration file\n"
    "  --folder DIR   working folder: the files of the configuration are named from it and the\n"
    "                 library writes its DebugFile/ dumps there (default: the configuration's folder)\n"
    "  --log FILE     the library's debug log (default: ~/.cache/ostrel/ostrel-service.log)\n"
    "  --baud N       talk at N baud instead of 9600 (not needed by detect, which searches)\n"
    "  --yes, --no    the answer to the questions of the configuration (an optional device\n"
    "                 marked O); without one a question fails the command. --yes also\n"
    "                 takes flowtest's prompt to lower the lever as read\n"
    "  --verbose      tell every change of the line setting on stderr\n"
    "  --version      print the version and exit\n"
    "\n"
    "commands:\n"
    "  detect [--model N]    search the printer's baud rate from 38400 down to 300 and check its\n"
    "                        model (N, else GSImodel of the configuration); prints\n"
    "                        \"line BAUD BITS PARITY STOP\" and \"model N\"\n"
    "  release               print the printer's firmware release\n"
    "  status                check the modem lines only: printer on (DSR, for a model with\n"
    "                        DTRpresent) and not busy (CTS); nothing is sent, so a port whose\n"
    "                        lines read on with nothing attached (a pseudo-terminal) is ready\n"
    "  send NAME             send command NAME of the configuration; print its reply in hex\n"
    "  defconfig NAME        put the printer into default configuration NAME (every command,\n"
    "                        each followed by the printer's reset)\n"
    "  print TEXT [--align left|center|right]   print one line of text\n"
    "  feed N                feed N lines\n"
    "  upgrade FILE.psw      show the upgrade file's printer, releases and model, find the\n"
    "                        printer's rate expecting that model, and send the file once\n"
    "  flowtest FILE [--total N]   the flow-control test: send FILE in copies enough to fill\n"
    "                        a receive buffer of N bytes (default: the Rxbufdim option) three\n"
    "                        times over; when the printer's buffer is full the operator lowers\n"
    "                        the print-head lever and presses Enter (--yes: no Enter; with\n"
    "                        neither --yes nor a terminal the test stops there and fails)\n"
    "\n"
    "A transfer shows its progress on stderr: on a terminal a bar with percentage, bytes,\n"
    "bytes per second and time left, else a line \"progress P% N/TOTAL bytes\" at every tenth.\n"
    "Ctrl+C stops it and fails the command with the number of bytes sent.\n"
    "\n"
    "Exit status: 0 done, 1 failed (one error line on stderr), 2 wrong arguments.\n";

struct UsageError {
    std::string what;
};
struct Failure {
    std::string what;
};

void PrintError(const std::string& message) {
    std::fprintf(stderr, "ostrel-service: error: %s\n", TerminalSafe(message, true).c_str());
}

// Set once Ctrl+C, or any other signal that ends the program, came (see
// StopOnSignal).
std::atomic<bool> g_interrupted{false};

// Boxes go to stderr, summed up when the command ends (see Summarize); a
// Yes/No question is answered from the command line, and remembered when it
// could not be.
class ServiceUi : public HeadlessUiServices {
public:
    std::optional<bool> answer;
    std::string unanswered;

    int MessageBox(HWND, const CString& text, const CString& caption, UINT style) override {
        // After Ctrl+C the library only complains of the I/O that the
        // interrupt cut short (a rate search then "finds no printer"): that
        // would bury the one line saying what happened.
        if (g_interrupted) return DefaultButton(style);
        if (caption == L"Test buffer di ricezione") return LeverPrompt(text);
        const UINT buttons = style & MB_TYPEMASK;
        if (buttons != MB_YESNO && buttons != MB_YESNOCANCEL) {
            Note(text, caption);
            return DefaultButton(style);
        }
        if (answer) return *answer ? IDYES : IDNO;
        if (unanswered.empty()) unanswered = text.ToUtf8();
        return buttons == MB_YESNOCANCEL ? IDCANCEL : IDNO;
    }

    // The library's boxes, once the command has ended: one rate search can
    // raise the same box at every rate, and a dozen lines would bury the
    // one that says what happened. The first box is told with its count,
    // the others only counted; the debug log keeps every text.
    void Summarize(const std::string& logPath) {
        std::lock_guard l(m_lock);
        if (m_seen.empty()) return;
        const Seen& first = m_seen.front();
        std::fprintf(stderr, "ostrel-service: warning: %s\n", BoxLine(first.text, first.caption, first.times).c_str());
        std::size_t others = 0;
        for (std::size_t i = 1; i < m_seen.size(); ++i) others += m_seen[i].times;
        if (others > 0)
            std::fprintf(stderr, "ostrel-service: warning: %zu more message%s of the library in %s\n", others,
                         others == 1 ? "" : "s", logPath.c_str());
        m_seen.clear();
    }

private:
    struct Seen {
        CString text, caption;
        std::size_t times = 0;
    };
    void Note(const CString& text, const CString& caption) {
        std::lock_guard l(m_lock);
        for (Seen& s : m_seen) {
            if (s.text == text && s.caption == caption) {
                ++s.times;
                return;
            }
        }
        m_seen.push_back({text, caption, 1});
    }
    std::mutex m_lock;
    std::vector<Seen> m_seen;

    // The flow test's request to lower the print-head lever: the transfer
    // waits for the printer anyway, so the prompt only has to be seen.
    int LeverPrompt(const CString& text);
};

// The tool's own printers class: what the library keeps for derived classes
// is reached from here.
class ServicePrinter : public CKalvoNewPrintersObject {
public:
    using CKalvoNewPrintersObject::AutodetectBaudRate;
    using CKalvoNewPrintersObject::GetCommandPrintersToTest;
    using CKalvoNewPrintersObject::GetModelPrinter;
    using CKalvoNewPrintersObject::GetReleaseSwStampante;
    using CKalvoNewPrintersObject::GetStatusPrinter;
    using CKalvoNewPrintersObject::NewSendCommandDefConfigPrn;
    using CKalvoNewPrintersObject::NewSendCommandToCom;
    using CKalvoNewPrintersObject::NLfOutput;
    using CKalvoNewPrintersObject::PrintLineToPrn;
    using CKalvoNewPrintersObject::SetBaudRate;

    using CKalvoNewPrintersObject::WriteFileToCom;

    const DCB& LineSetting() const { return m_dcb; }
    DWORD ConfiguredModel() const { return m_uiGsiModel; }
    DWORD ReceiveBufferSize() const { return m_uiRxBufDim; }
    CKalvoNewDebugObject* Debug() const { return m_pDebugObj; }

    // Bytes that left in the current transfer, for the progress display.
    std::atomic<std::uint64_t> sent{0};

    // From the signal thread. StopWriter alone is seen before the next byte
    // only: a reply awaited in the rate search, or a byte the printer holds
    // back, would keep the program waiting until its time-out ran out. The
    // port is published once open, since the handle is not the signal
    // thread's to read while the object sets it up.
    void Interrupt() {
        StopWriter();
        if (SerialDevice* port = m_openPort.load()) port->CancelIo();
    }
    void PortIsOpen() { m_openPort = GetPortHandle(); }

protected:
    std::atomic<SerialDevice*> m_openPort{nullptr};

    BOOL WriteBite(BYTE byte, DWORD* pError) override {
        const BOOL ok = CKalvoNewPrintersObject::WriteBite(byte, pError);
        if (ok) sent.fetch_add(1, std::memory_order_relaxed);
        return ok;
    }
};

struct Options {
    std::string port, config, folder, log, command;
    std::optional<long> baud, model, feed, total;
    std::optional<bool> yes;
    bool verbose = false;
    int align = 0;
    std::vector<std::string> args;
};

long Number(const std::string& option, const std::string& text, long min, long max) {
    long long v = 0;
    if (!ParseWholeNumber(text, v) || v < min || v > max)
        throw UsageError{option + " wants a number from " + std::to_string(min) + " to " + std::to_string(max)};
    return static_cast<long>(v);
}

Options Parse(int argc, char** argv) {
    Options o;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); eq != std::string::npos) {
            inlineValue = a.substr(eq + 1);
            a = a.substr(0, eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= argc) throw UsageError{a + " wants a value"};
            return argv[++i];
        };
        if (a == "--port") o.port = value();
        else if (a == "--config") o.config = value();
        else if (a == "--folder") o.folder = value();
        else if (a == "--log") o.log = value();
        else if (a == "--baud") o.baud = Number(a, value(), 50, 4000000);
        else if (a == "--model") o.model = Number(a, value(), 0, 255);
        else if (a == "--total") o.total = Number(a, value(), 0, 0xFFFFFFFFL);
        else if (a == "--yes") o.yes = true;
        else if (a == "--no") o.yes = false;
        else if (a == "--verbose") o.verbose = true;
        else if (a == "--align") {
            const std::string v = value();
            if (v == "left") o.align = 0;
            else if (v == "center") o.align = 1;
            else if (v == "right") o.align = 2;
            else throw UsageError{"--align is left, center or right"};
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
    if (positional.empty()) throw UsageError{"no command given"};
    o.command = positional.front();
    o.args.assign(positional.begin() + 1, positional.end());
    if (o.port.empty()) throw UsageError{"--port is required"};
    if (o.config.empty()) throw UsageError{"--config is required"};

    struct Command {
        const char* name;
        std::size_t args;
    };
    static const Command commands[] = {{"detect", 0}, {"release", 0},   {"status", 0}, {"send", 1},
                                       {"defconfig", 1}, {"print", 1}, {"feed", 1}, {"upgrade", 1},
                                       {"flowtest", 1}};
    const Command* found = nullptr;
    for (const Command& c : commands) {
        if (o.command == c.name) found = &c;
    }
    if (!found) throw UsageError{"unknown command \"" + o.command + "\""};
    if (o.args.size() != found->args)
        throw UsageError{o.command + (found->args ? " takes one argument" : " takes no argument")};
    if (o.model && o.command != "detect") throw UsageError{"--model goes with detect"};
    if (o.total && o.command != "flowtest") throw UsageError{"--total goes with flowtest"};
    if (o.command == "feed") o.feed = Number("feed", o.args[0], 0, 1000);
    return o;
}

// A path as the library wants it: relative to the working folder, which it
// puts in front of every file name.
CString FromFolder(const std::filesystem::path& folder, const std::filesystem::path& file) {
    std::error_code ec;
    const auto rel = std::filesystem::relative(std::filesystem::absolute(file), folder, ec);
    return CString::FromUtf8((ec || rel.empty() ? std::filesystem::absolute(file) : rel).string());
}

std::string Hex(const BYTE* bytes, DWORD n) {
    std::string out;
    char buf[4];
    for (DWORD i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i) out += ' ';
        out += buf;
    }
    return out;
}

// Where the library's boxes can be read in full.
std::string g_logPath = "the debug log";

// Ctrl+C: a thread of its own waits for the signal and from then on stops
// every transfer before its first byte (StopWriter is the one call that may
// come from another thread). The printer is reached under a lock, since it
// goes away when the command ends. The pipe wakes a wait for the operator.
std::mutex g_printerLock;
ServicePrinter* g_printer = nullptr;
int g_interruptPipe[2] = {-1, -1};

// Every signal whose default would end the program is taken here, not only
// Ctrl+C: a closed terminal (SIGHUP), Ctrl+\\ (SIGQUIT) or a dropped session
// must also leave the port with the setting it had and not exclusive, which
// only the printer's own release does. The set is blocked before any other
// thread starts, so that every thread inherits it.
void StopOnSignal() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF,
                          SIGXCPU, SIGXFSZ, SIGIO, SIGPWR})
        sigaddset(&set, sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    if (pipe2(g_interruptPipe, O_CLOEXEC) != 0) g_interruptPipe[0] = g_interruptPipe[1] = -1;
    std::thread([set] {
        int sig = 0;
        if (sigwait(&set, &sig) != 0) return;
        g_interrupted = true;
        if (g_interruptPipe[1] >= 0) close(g_interruptPipe[1]);
        for (;;) {
            {
                std::lock_guard l(g_printerLock);
                if (g_printer) g_printer->Interrupt();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }).detach();
}

int ServiceUi::LeverPrompt(const CString& text) {
    CString line = text;
    line.Trim();
    std::fprintf(stderr, "\nostrel-service: %s\n", TerminalSafe(line.ToUtf8(), true).c_str());
    if (answer == true) return IDOK;
    if (isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "ostrel-service: press Enter once the lever is down\n");
        // Ctrl+C ends the wait too (the pipe's end closes): the transfer then
        // stops before its next byte.
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {g_interruptPipe[0], POLLIN, 0}};
        while (poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        if (fds[0].revents && !g_interrupted) {
            std::string ignored;
            std::getline(std::cin, ignored);
        }
        return IDOK;
    }
    // Nobody to lower the lever: end the transfer instead of waiting for ever.
    if (unanswered.empty()) unanswered = line.ToUtf8();
    std::lock_guard l(g_printerLock);
    if (g_printer) g_printer->StopWriter();
    return IDOK;
}

// Shows a transfer's progress from the bytes that actually left: on a
// terminal a bar redrawn in place, otherwise a line at every tenth.
class Progress {
public:
    Progress(const ServicePrinter& printer, std::uint64_t total)
        : m_printer(printer), m_total(total), m_lines(total) {
        m_tty = isatty(STDERR_FILENO);
        m_thread = std::thread([this] { Loop(); });
    }
    ~Progress() {
        {
            std::lock_guard l(m_lock);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
        Show(true);
        if (m_tty) std::fputc('\n', stderr);
    }

private:
    void Loop() {
        std::unique_lock l(m_lock);
        while (!m_wake.wait_for(l, std::chrono::milliseconds(m_tty ? 200 : 100), [this] { return m_done; })) Show(false);
    }
    void Show(bool last) {
        const std::uint64_t n = m_printer.sent.load(std::memory_order_relaxed);
        if (!m_tty) {
            std::fputs(m_lines.Update(n, last).c_str(), stderr);
            return;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        // Asked at every redraw: the window may have been resized.
        winsize size{};
        const int columns = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col ? size.ws_col : 80;
        // Erase to the end of the line: the new text may be shorter.
        std::fprintf(stderr, "\r%s\033[K", ProgressBar(n, m_total, seconds, columns).c_str());
    }

    const ServicePrinter& m_printer;
    const std::uint64_t m_total;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    bool m_tty = false;
    bool m_done = false;
    ProgressLines m_lines;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::thread m_thread;
};

// The upgrade file's identity, from its headers.
struct UpgradeFile {
    std::string printer, swRelease, hwRelease;
    BYTE model = 0;
    std::uint64_t size = 0;
};

UpgradeFile ReadUpgradeFile(const std::string& path, CKalvoNewDebugObject* log) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw Failure{"cannot read the upgrade file " + path};
    const CString name = CString::FromUtf8(std::filesystem::absolute(path).string());
    UpgradeFile f;
    f.size = std::filesystem::file_size(path, ec);
    auto text = [](CString s) { return s.Trim().ToUtf8(); };
    CHeaderPsw first(log);
    if (!first.Init(name)) throw Failure{path + " is not a readable PSW file: its headers could not be read"};
    if (!first.IsPSWII()) {
        CHeaderPrnPsw* prn = first.Get_cHeaderPrnPsw();
        f.printer = text(prn->GetNomeStampante());
        f.swRelease = text(prn->GetReleaseSw());
        f.hwRelease = text(prn->GetReleaseHw());
        f.model = prn->GetGsiModel();
        return f;
    }
    CHeaderPsw2 second(log);
    if (!second.Init(name)) throw Failure{path + " is not a readable PSW2 file: a header block is missing or damaged"};
    CHeaderPrinterPsw2* prn = second.Get_cHeaderPrnPsw2();
    f.printer = text(prn->GetNomeStampante());
    f.swRelease = text(prn->GetReleaseSw());
    f.hwRelease = text(prn->GetReleaseHw());
    f.model = second.GetGsiModel();
    return f;
}

struct PrinterInReach {
    explicit PrinterInReach(ServicePrinter& p) {
        std::lock_guard l(g_printerLock);
        g_printer = &p;
    }
    ~PrinterInReach() {
        std::lock_guard l(g_printerLock);
        g_printer = nullptr;
    }
};

int Run(const Options& o, ServiceUi& ui) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(o.config, ec)) throw Failure{"cannot read the configuration file " + o.config};
    // A bare file name is in the current folder.
    const fs::path configFolder = fs::path(o.config).parent_path();
    const fs::path folder =
        fs::absolute(!o.folder.empty() ? fs::path(o.folder) : configFolder.empty() ? fs::current_path() : configFolder);
    if (!fs::is_directory(folder, ec)) throw Failure{"no folder " + folder.string()};
    fs::path log = o.log;
    if (log.empty()) {
        const std::string cache = UserCacheDir();
        const fs::path base = cache.empty() ? fs::path("/tmp/.cache") : fs::path(cache);
        fs::create_directories(base / "ostrel", ec);
        log = base / "ostrel" / "ostrel-service.log";
    }
    g_logPath = log.string();

    // The window outlives the printer: releasing the port at the printer's
    // end still posts the restored line setting to it.
    const ServicePrinter* announcing = nullptr;
    CallbackMessageTarget window([&](const PostedMessage& m) {
        if (o.verbose && announcing && m.msg == WM_COMCONFIG_CHANGED)
            std::fprintf(stderr, "ostrel-service: line setting: %s\n", announcing->GetStrComConfig().ToUtf8().c_str());
    });
    ServicePrinter printer;
    announcing = &printer;
    const PrinterInReach reach(printer);
    int frame = 0;  // the library wants a frame; this tool has none

    const CString portName = CString::FromUtf8(o.port);
    if (!printer.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(folder.string() + "/"),
                                             FromFolder(folder, log), portName, 1,
                                             FromFolder(folder, o.config), L"", 0)) {
        if (!printer.Get_m_CComPortInit()) {
            DWORD error = 0;
            std::string why;
            if (!OpenSerialPort(portName, error, &why)) throw Failure{why};
            throw Failure{"cannot open " + o.port};
        }
        if (!ui.unanswered.empty()) throw Failure{"the configuration asks \"" + ui.unanswered + "\": answer with --yes or --no"};
        throw Failure{"cannot use the configuration file " + o.config};
    }
    printer.PortIsOpen();
    if (o.baud && !printer.SetBaudRate(static_cast<DWORD>(*o.baud)))
        throw Failure{"the port does not take " + std::to_string(*o.baud) + " baud"};

    auto check = [&](bool ok, const std::string& why) {
        if (g_interrupted) throw Failure{"interrupted"};
        if (!ui.unanswered.empty()) throw Failure{"a question needs --yes or --no: \"" + ui.unanswered + "\""};
        if (!ok) throw Failure{why};
    };

    if (o.command == "detect") {
        const bool found = o.model ? printer.AutodetectBaudRate(static_cast<BYTE>(*o.model))
                                   : printer.AutodetectBaudRate();
        check(found, "no printer of the model answered at any rate from 38400 down to 300 baud");
        const DCB& d = printer.LineSetting();
        const char parity = d.Parity == EVENPARITY ? 'e' : d.Parity == ODDPARITY ? 'o' : 'n';
        std::printf("line %u %u %c 1\nmodel %ld\n", static_cast<unsigned>(d.BaudRate),
                    static_cast<unsigned>(d.ByteSize), parity, o.model ? *o.model : long(printer.ConfiguredModel()));
    } else if (o.command == "release") {
        const CString release = printer.GetReleaseSwStampante();
        check(!release.IsEmpty(), "the printer did not tell its release");
        std::printf("%s\n", TerminalSafe(release.ToUtf8()).c_str());
    } else if (o.command == "status") {
        check(printer.GetStatusPrinter(), "the printer is not ready (switched off, busy or not connected)");
        std::printf("ready\n");
    } else if (o.command == "send") {
        const CString name = CString::FromUtf8(o.args[0]);
        BYTE bytes[CfgCommandEntry::kMaxBytes];
        DWORD count = 0, replies = 0;
        check(printer.GetCommandPrintersToTest(name, bytes, &count, &replies),
              "no command " + o.args[0] + " in " + o.config);
        if (replies == 0) {
            check(printer.NewSendCommandToCom(name), "the printer did not take " + o.args[0]);
        } else {
            std::vector<BYTE> reply(replies);
            DWORD got = 0;
            printer.NewSendCommandToCom(name, reply.data(), replies, &got);
            if (got) std::printf("%s\n", Hex(reply.data(), got).c_str());
            check(got == replies, "the printer answered " + std::to_string(got) + " of " + std::to_string(replies) +
                                      " bytes");
        }
    } else if (o.command == "defconfig") {
        const CString name = CString::FromUtf8(o.args[0]);
        DWORD index = 0, status = 0;
        int sent = 0;
        while (printer.NewSendCommandDefConfigPrn(name, &index, &status)) {
            ++sent;
            ++index;
            std::printf("command %d done\n", sent);
            std::fflush(stdout);
        }
        check(status != 2, "the printer did not take command " + std::to_string(sent + 1) + " of " + o.args[0]);
        check(status == 1 && sent > 0, "no default configuration " + o.args[0] + " in " + o.config);
    } else if (o.command == "print") {
        printer.sent = 0;
        const bool ok = printer.PrintLineToPrn(CString::FromUtf8(o.args[0]), o.align);
        check(ok, "the printer did not take the line: " + std::to_string(printer.sent.load()) +
                      " bytes sent, the text is " + std::to_string(o.args[0].size()) + " bytes");
    } else if (o.command == "feed") {
        check(printer.NLfOutput(static_cast<int>(*o.feed)), "the printer did not take the line feeds");
    } else if (o.command == "upgrade" || o.command == "flowtest") {
        const bool upgrade = o.command == "upgrade";
        const std::string& path = o.args[0];
        std::uint64_t size = 0;
        if (upgrade) {
            const UpgradeFile f = ReadUpgradeFile(path, printer.Debug());
            std::printf("printer %s\nsoftware release %s\nhardware release %s\nmodel %u\n", TerminalSafe(f.printer).c_str(),
                        TerminalSafe(f.swRelease).c_str(), TerminalSafe(f.hwRelease).c_str(),
                        static_cast<unsigned>(f.model));
            std::fflush(stdout);
            size = f.size;
            // A mismatch then names the file's model next to the printer's.
            printer.Set_m_bfIsUpgrade(TRUE);
            const bool found = printer.AutodetectBaudRate(f.model);
            if (g_interrupted) throw Failure{"interrupted: 0 of " + std::to_string(size) + " bytes sent"};
            check(found,
                  "no printer of model " + std::to_string(f.model) + " answered at any rate from 38400 down to 300 baud");
        } else {
            std::error_code ec;
            if (!fs::is_regular_file(path, ec)) throw Failure{"cannot read " + path};
            size = fs::file_size(path, ec);
        }
        const UINT total = upgrade ? 0 : static_cast<UINT>(o.total ? *o.total : printer.ReceiveBufferSize());
        if (!upgrade && total != 0 && size == 0) throw Failure{path + " is empty"};
        const std::uint64_t copies = total ? total / size + 3 : 1;
        const CString file = CString::FromUtf8(fs::absolute(path).string());
        BOOL ok = FALSE;
        printer.sent = 0;
        {
            const Progress progress(printer, copies * size);
            ok = printer.WriteFileToCom(file, total,
                                        (upgrade ? L"\nAggiornamento firmware con il file: " : L"\nTest controllo di flusso con il file: ") + file,
                                        upgrade ? FALSE : TRUE);
        }
        const std::string sent = std::to_string(printer.sent.load()) + " of " + std::to_string(copies * size) + " bytes sent";
        if (g_interrupted) throw Failure{"interrupted: " + sent};
        check(ok, "the transfer failed: " + sent + " (see the debug log)");
        std::printf("sent %llu bytes\n", static_cast<unsigned long long>(printer.sent.load()));
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsageText, stdout);
            return kOk;
        }
        if (a == "--version") {
            std::printf("ostrel-service %s\n", GLYPHOS_VERSION);
            return kOk;
        }
    }
    static ServiceUi ui;
    UiServices::Install(&ui);
    StopOnSignal();
    Options options;
    try {
        options = Parse(argc, argv);
    } catch (const UsageError& e) {
        PrintError(e.what);
        std::fputs("usage: ostrel-service --port DEV --config FILE [OPTIONS] COMMAND (see --help)\n", stderr);
        return kUsage;
    }
    ui.answer = options.yes;
    std::string error;
    try {
        const int result = Run(options, ui);
        ui.Summarize(g_logPath);
        return result;
    } catch (const Failure& e) {
        error = e.what;
    } catch (int) {
        // The library's release assertion.
        error = "the library stopped at a failed check (see the debug log)";
    } catch (const std::exception& e) {
        error = e.what();
    }
    ui.Summarize(g_logPath);
    PrintError(error);
    return kFailure;
}
