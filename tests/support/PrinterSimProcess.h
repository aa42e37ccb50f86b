// ostrel-printer-sim as a child process of a test or a benchmark: started
// with script lines, its terminal path read from its first output line, its
// event lines readable with deadlines, and always stopped and reaped, also
// when the test fails half-way (and killed by the kernel if this process
// dies first).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class PrinterSimProcess {
public:
    // The program is looked for in $GLYPHOS_BIN_DIR, then in binDir, then
    // beside the running program. Waits up to `startup` for the path.
    // `options` follow the script lines on the command line.
    explicit PrinterSimProcess(const std::vector<std::string>& scriptLines, const std::string& binDir = "",
                               std::chrono::milliseconds startup = std::chrono::seconds(20),
                               const std::vector<std::string>& options = {});
    ~PrinterSimProcess();
    PrinterSimProcess(const PrinterSimProcess&) = delete;
    PrinterSimProcess& operator=(const PrinterSimProcess&) = delete;

    bool Started() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }

    // The next output line, or nothing when none came in time.
    std::optional<std::string> NextLine(std::chrono::milliseconds timeout);
    // Skips lines until one starts with `prefix`.
    std::optional<std::string> WaitFor(const std::string& prefix, std::chrono::milliseconds timeout);
    // Stops the simulator (SIGTERM, then SIGKILL after a few seconds),
    // reaps it, and returns its last output line (the summary).
    std::string Stop();
    // Sends the simulator a signal (SIGUSR1 lowers its print-head lever).
    void Signal(int sig);

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_path;
    std::string m_error;
    std::string m_pending;  // read but not yet returned
    bool m_eof = false;
};
