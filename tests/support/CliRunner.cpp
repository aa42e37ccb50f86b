#include "CliRunner.h"

#include "TestUi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

std::string BuiltProgram(const std::string& name) {
    const char* dir = std::getenv("GLYPHOS_BIN_DIR");
#ifdef GLYPHOS_BINARY_DIR
    const std::string fallback = GLYPHOS_BINARY_DIR "/bin";
#else
    const std::string fallback = "bin";
#endif
    return (dir && *dir ? std::string(dir) : fallback) + "/" + name;
}

CliRun RunProgram(const std::string& program, std::vector<std::string> args, const std::string& scratchDir,
                  const std::string& stdinPath) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = scratchDir + "/run.stdout", errPath = scratchDir + "/run.stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdinPath.empty()) posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    CliRun r;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "cannot run " << argv[0];
        return r;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.signalled = WIFSIGNALED(status);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadText(outPath);
    r.err = ReadText(errPath);
    return r;
}

RunningProgram::RunningProgram(const std::string& program, std::vector<std::string> args, const std::string& scratchDir,
                               bool onTerminal) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    m_outPath = scratchDir + "/running.stdout";
    m_errPath = scratchDir + "/running.stderr";
    int terminalSide = -1;
    if (onTerminal) {
        m_terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_terminal < 0 || grantpt(m_terminal) != 0 || unlockpt(m_terminal) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        // Held open here until the program has it, so that the master side
        // reports the end (EIO) only once the program has gone.
        terminalSide = open(ptsname(m_terminal), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (terminalSide < 0) {
            ADD_FAILURE() << "cannot open " << ptsname(m_terminal);
            return;
        }
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (terminalSide >= 0) {
        posix_spawn_file_actions_adddup2(&actions, terminalSide, 0);
        posix_spawn_file_actions_adddup2(&actions, terminalSide, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, 1, m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (terminalSide >= 0) close(terminalSide);
    if (rc != 0) {
        ADD_FAILURE() << "cannot run " << argv[0];
        return;
    }
    m_pid = pid;
    // Through syscall: Debian 12's <sys/pidfd.h> declares pidfd_open without
    // C linkage.
    m_pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (m_pidfd < 0) ADD_FAILURE() << "pidfd_open: " << std::strerror(errno);
    if (m_terminal >= 0) {
        m_reader = std::thread([this] {
            char buf[4096];
            for (;;) {
                const ssize_t n = read(m_terminal, buf, sizeof buf);
                if (n < 0 && errno == EINTR) continue;
                std::lock_guard l(m_lock);
                if (n > 0) {
                    m_terminalText.append(buf, static_cast<std::size_t>(n));
                } else {
                    m_terminalClosed = true;  // EIO: every writer has gone
                }
                m_terminalChanged.notify_all();
                if (m_terminalClosed) return;
            }
        });
    }
}

RunningProgram::~RunningProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_reader.joinable()) m_reader.join();
    if (m_terminal >= 0) close(m_terminal);
    if (m_pidfd >= 0) close(m_pidfd);
}

void RunningProgram::Signal(int sig) {
    if (m_pid > 0) kill(m_pid, sig);
}

std::optional<CliRun> RunningProgram::Wait(std::chrono::milliseconds limit) {
    if (m_pid <= 0 || m_pidfd < 0) return std::nullopt;
    pollfd ended{m_pidfd, POLLIN, 0};
    int r = 0;
    while ((r = poll(&ended, 1, static_cast<int>(limit.count()))) < 0 && errno == EINTR) {
    }
    if (r <= 0) return std::nullopt;
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    CliRun run;
    run.signalled = WIFSIGNALED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(m_outPath);
    if (m_reader.joinable()) {
        m_reader.join();
        std::lock_guard l(m_lock);
        run.err = m_terminalText;
    } else {
        run.err = ReadText(m_errPath);
    }
    return run;
}

bool RunningProgram::WaitForTerminalText(const std::string& text, std::chrono::milliseconds limit) {
    std::unique_lock l(m_lock);
    return m_terminalChanged.wait_for(l, limit, [&] {
        return m_terminalText.find(text) != std::string::npos || m_terminalClosed;
    }) && m_terminalText.find(text) != std::string::npos;
}
