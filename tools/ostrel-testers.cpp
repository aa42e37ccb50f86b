// ostrel-testers: the station administrator's tool for the testers database.
// It works through CDBCollaudatori, so the file it writes is the one the
// station reads; the library's boxes become this program's error lines.
#include "CliText.h"
#include "DBCollaudatori.h"
#include "FileUtil.h"
#include "UiServices.h"

#include <csignal>
#include <signal.h>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

enum Exit { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

const char kUsage[] =
    "usage: ostrel-testers DB.dat COMMAND [ARGUMENTS]\n"
    "       ostrel-testers --help | --version\n"
    "\n"
    "commands:\n"
    "  list\n"
    "      print the testers' first and last names, one tester a line\n"
    "  add FIRST LAST\n"
    "      register a tester (the file is created when missing)\n"
    "  check\n"
    "      print the names of the tester who has the password\n"
    "  remove FIRST LAST\n"
    "      remove the tester with these names\n"
    "\n"
    "Passwords are read from the terminal without echo, or as one line from\n"
    "standard input when it is not a terminal. \"--\" ends the options: the\n"
    "names after it are taken as they are.\n";

void PrintError(const std::string& message) {
    std::fprintf(stderr, "ostrel-testers: error: %s\n", TerminalSafe(message, true).c_str());
}

// Keeps the library's error boxes for this program's one error line; other
// boxes (the confirmation of a registration) need no answer here.
class ToolUi : public UiServices {
public:
    int MessageBox(HWND, const CString& text, const CString&, UINT style) override {
        if ((style & MB_ICONMASK) == MB_ICONERROR && m_error.empty()) {
            // One line: the library's text and the reason below it.
            for (const char c : text.ToUtf8()) {
                if (c != '\n') {
                    m_error += c;
                } else if (!m_error.empty() && m_error.back() != ' ') {
                    m_error += ' ';
                }
            }
        }
        return DefaultButton(style);
    }
    int AssertionDialog(const CString& check, const CString&, const CString&) override {
        m_error = "internal check failed: " + check.ToUtf8();
        return IDOK;
    }
    std::string TakeError(const std::string& fallback) {
        std::string e = m_error.empty() ? fallback : m_error;
        m_error.clear();
        return e;
    }

private:
    std::string m_error;
};

termios g_savedTerm;
volatile std::sig_atomic_t g_echoOff = 0;

void RestoreTerminal() {
    if (g_echoOff) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerm);
        g_echoOff = 0;
    }
}

// Every signal that ends the program by default: none may leave the
// terminal without echo, nor a half-written database beside the real one.
const int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGUSR1, SIGUSR2, SIGALRM,
                              SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL};

void OnSignal(int sig) {
    RestoreTerminal();
    RemoveLiveTempFiles();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void InstallSignalHandlers() {
    for (const int sig : kEndingSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        ::sigaction(sig, &sa, nullptr);
    }
}

// One line from the terminal without echo, or from standard input.
bool ReadPassword(const char* prompt, std::string& out) {
    out.clear();
    const bool tty = ::isatty(STDIN_FILENO) == 1;
    if (tty) {
        if (::tcgetattr(STDIN_FILENO, &g_savedTerm) != 0) return false;
        termios t = g_savedTerm;
        t.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        t.c_lflag |= ECHONL;
        if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &t) != 0) return false;
        g_echoOff = 1;
        std::fputs(prompt, stderr);
        std::fflush(stderr);
    }
    const bool got = static_cast<bool>(std::getline(std::cin, out));
    RestoreTerminal();
    if (!out.empty() && out.back() == '\r') out.pop_back();
    return got || !out.empty();
}

// Text from the command line or standard input is UTF-8; the database keeps
// one byte per character, so anything beyond Latin-1 would be stored as a
// different character and is refused instead.
bool ToStored(const std::string& utf8, const char* what, CString& out) {
    out = CString::FromUtf8(utf8);
    for (wchar_t c : out.str()) {
        if (static_cast<unsigned long>(c) > 0xFF) {
            PrintError(std::string(what) + " holds a character the testers database cannot store");
            return false;
        }
    }
    return true;
}

int Run(const std::vector<std::string>& args, ToolUi& ui) {
    const std::string& file = args[0];
    const std::string& command = args[1];
    const std::size_t extra = args.size() - 2;
    const bool named = command == "add" || command == "remove";
    if (command != "list" && command != "check" && !named) {
        PrintError("unknown command \"" + command + "\" (see ostrel-testers --help)");
        return kExitUsage;
    }
    if (extra != (named ? 2u : 0u)) {
        PrintError("\"" + command + "\" takes " + (named ? "FIRST LAST" : "no arguments"));
        std::fprintf(stderr, "usage: ostrel-testers DB.dat %s%s\n", command.c_str(), named ? " FIRST LAST" : "");
        return kExitUsage;
    }

    const CString path = CString::FromUtf8(file);
    // The library would refuse it too, but only with its "not created" box;
    // a FIFO, a socket or a folder deserves its own words.
    if (const char* kind = NonRegularFileKind(path)) {
        PrintError(file + ": it is " + kind + ", not a file");
        return kExitFailure;
    }
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(ToPath(path), ec); !ec && size > CDBCollaudatori::kMaxFileBytes) {
        PrintError(file + ": " + std::to_string(size) + " bytes is far more than a testers database holds");
        return kExitFailure;
    }
    // An add or a remove reads, changes and replaces the file: another
    // writer waits until this one has written (readers do not lock).
    FileLock lock;
    std::string why;
    if (named && !lock.Acquire(path, &why)) {
        PrintError(why);
        return kExitFailure;
    }
    CDBCollaudatori db(path);
    if (FileExists(path)) {
        if (!db.LoadDBaseFromFile()) {
            PrintError(file + ": " + ui.TakeError("cannot be read"));
            return kExitFailure;
        }
    } else if (command != "add") {
        PrintError(file + ": no such testers database");
        return kExitFailure;
    }

    if (command == "list") {
        for (UINT i = 0; i < db.Get_m_uiNumTesters(); ++i) {
            const auto& t = db.GetTester(i);
            // A tab, which no typed name holds, keeps "Anna Maria" "Rossi"
            // apart from "Anna" "Maria Rossi".
            std::printf("%s\t%s\n", TerminalSafe(t.strNome.ToUtf8()).c_str(), TerminalSafe(t.strCognome.ToUtf8()).c_str());
        }
        return kExitOk;
    }
    if (command == "check") {
        std::string pw;
        ReadPassword("Password: ", pw);
        CString password, nome, cognome;
        if (!ToStored(pw, "the password", password)) return kExitFailure;
        if (!db.GetDataTester(password, &nome, &cognome)) {
            PrintError(ui.TakeError("Invalid password"));
            return kExitFailure;
        }
        std::printf("%s %s\n", TerminalSafe(nome.ToUtf8()).c_str(), TerminalSafe(cognome.ToUtf8()).c_str());
        return kExitOk;
    }

    CString nome, cognome;
    if (!ToStored(args[2], "FIRST", nome) || !ToStored(args[3], "LAST", cognome)) return kExitFailure;
    if (command == "add") {
        std::string pw;
        ReadPassword("Password: ", pw);
        if (::isatty(STDIN_FILENO) == 1) {
            std::string again;
            ReadPassword("Password again: ", again);
            if (again != pw) {
                PrintError("the two passwords differ");
                return kExitFailure;
            }
        }
        CString password;
        if (!ToStored(pw, "the password", password)) return kExitFailure;
        if (!db.RegistraCollaudatore(nome, cognome, password)) {
            PrintError(ui.TakeError("Operation Failed!"));
            return kExitFailure;
        }
    } else if (db.RemoveCollaudatore(nome, cognome) == 0) {
        PrintError("no tester named " + args[2] + " " + args[3]);
        return kExitFailure;
    }
    if (!db.SaveDBaseToFile()) {
        PrintError(file + ": " + ui.TakeError("cannot be written"));
        // Already reported: the destructor must not try again.
        db.Set_m_bDirty(FALSE);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    static ToolUi ui;
    UiServices::Install(&ui);
    InstallSignalHandlers();
    std::vector<std::string> args(argv + 1, argv + argc);
    for (auto it = args.begin(); it != args.end(); ++it) {
        const std::string& a = *it;
        if (a == "--") {
            args.erase(it);
            break;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (a == "--version") {
            std::printf("ostrel-testers %s\n", GLYPHOS_VERSION);
            return kExitOk;
        }
    }
    if (args.size() < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    try {
        return Run(args, ui);
    } catch (int) {
        PrintError(ui.TakeError("internal check failed"));
        return kExitFailure;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return kExitFailure;
    }
}
