// Runs a built program of ours (glyphos-cli by default) as a separate
// process and collects its exit status and output.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct CliRun {
    int exitCode = -1;
    bool signalled = false;
    std::string out, err;
};

// The folder of the built programs: GLYPHOS_BIN_DIR (set by ctest) or the
// build tree's bin folder.
std::string BuiltProgram(const std::string& name);

// Runs the program with the arguments; stdout and stderr go through files
// in `scratchDir`. Standard input is the file `stdinPath` when given.
CliRun RunProgram(const std::string& program, std::vector<std::string> args, const std::string& scratchDir,
                  const std::string& stdinPath = {});

// A program of ours started without waiting for it, for tests that signal it
// while it runs. Killed and reaped when dropped before it ended.
class RunningProgram {
public:
    // With `onTerminal` the program's stdin and stderr are a new
    // pseudo-terminal (so that it takes them for a terminal, with nobody
    // typing) and what it writes there is err.
    RunningProgram(const std::string& program, std::vector<std::string> args, const std::string& scratchDir,
                   bool onTerminal = false);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_pid > 0; }
    void Signal(int sig);
    // Waits at most `limit` for the program to end: its run, or nothing
    // when it was still running (it is then left running).
    std::optional<CliRun> Wait(std::chrono::milliseconds limit);
    // Waits at most `limit` for `text` on the terminal.
    bool WaitForTerminalText(const std::string& text, std::chrono::milliseconds limit);

private:
    int m_pid = -1;
    int m_pidfd = -1;
    std::string m_outPath, m_errPath;
    int m_terminal = -1;  // the pseudo-terminal's master side
    std::string m_terminalText;
    bool m_terminalClosed = false;
    std::mutex m_lock;  // guards the two above
    std::condition_variable m_terminalChanged;
    std::thread m_reader;
};
