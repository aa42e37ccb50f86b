#include "PrinterSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;

bool Executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

std::string FindSimulator(const std::string& binDir) {
    const char* name = "/ostrel-printer-sim";
    if (const char* env = std::getenv("GLYPHOS_BIN_DIR"); env && *env && Executable(env + std::string(name)))
        return env + std::string(name);
    if (!binDir.empty() && Executable(binDir + name)) return binDir + name;
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string dir(self, static_cast<std::size_t>(n));
        dir.erase(dir.rfind('/'));
        if (Executable(dir + name)) return dir + name;
    }
    return {};
}

}  // namespace

PrinterSimProcess::PrinterSimProcess(const std::vector<std::string>& scriptLines, const std::string& binDir,
                                     std::chrono::milliseconds startup, const std::vector<std::string>& options) {
    const std::string program = FindSimulator(binDir);
    if (program.empty()) {
        m_error = "ostrel-printer-sim not found (set GLYPHOS_BIN_DIR)";
        return;
    }
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> args{program};
    for (const auto& line : scriptLines) {
        args.emplace_back("-e");
        args.push_back(line);
    }
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        m_error = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid < 0) {
        m_error = std::string("fork: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        ::dup2(fds[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) ::dup2(null, STDIN_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    m_out = fds[0];
    ::fcntl(m_out, F_SETFL, ::fcntl(m_out, F_GETFL) | O_NONBLOCK);
    if (auto first = NextLine(startup); first && !first->empty() && (*first)[0] == '/') {
        m_path = *first;
    } else {
        m_error = first ? "unexpected first line: " + *first : "no terminal path from " + program;
    }
}

PrinterSimProcess::~PrinterSimProcess() { Stop(); }

std::optional<std::string> PrinterSimProcess::NextLine(std::chrono::milliseconds timeout) {
    const auto deadline = Steady::now() + timeout;
    for (;;) {
        if (const auto nl = m_pending.find('\n'); nl != std::string::npos) {
            std::string line = m_pending.substr(0, nl);
            m_pending.erase(0, nl + 1);
            return line;
        }
        if (m_out < 0 || m_eof) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{m_out, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (r < 0 && errno != EINTR) return std::nullopt;
        if (r <= 0) continue;
        char buf[4096];
        const ssize_t n = ::read(m_out, buf, sizeof buf);
        if (n > 0) {
            m_pending.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            m_eof = true;
        }
    }
}

std::optional<std::string> PrinterSimProcess::WaitFor(const std::string& prefix, std::chrono::milliseconds timeout) {
    const auto deadline = Steady::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
        if (left.count() <= 0) return std::nullopt;
        auto line = NextLine(left);
        if (!line) return std::nullopt;
        if (line->rfind(prefix, 0) == 0) return line;
    }
}

void PrinterSimProcess::Signal(int sig) {
    if (m_pid > 0) ::kill(m_pid, sig);
}

std::string PrinterSimProcess::Stop() {
    std::string last;
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        pid_t done = 0;
        const auto deadline = Steady::now() + std::chrono::seconds(5);
        while ((done = ::waitpid(m_pid, &status, WNOHANG)) == 0 && Steady::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (done == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
        // What it printed on the way out.
        while (auto line = NextLine(std::chrono::milliseconds(200))) last = *line;
    }
    if (m_out >= 0) {
        ::close(m_out);
        m_out = -1;
    }
    return last;
}
