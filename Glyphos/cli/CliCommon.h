// What every glyphos-cli command shares: exit codes, the two errors a
// command raises, argument parsing, error lines and the debug object the
// library reports through.
//
// A new command is one file (Cli<Name>.cpp) defining
//   int Cli<Name>(const std::vector<std::string>& args)
// plus one line in the command table of main.cpp.
#pragma once

#include "KalvoNewDebugObject.h"
#include "UiServices.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

enum CliExit { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Wrong arguments: exit 2 with the message and the command's usage.
struct CliUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The command could not do its work (unreadable file...): exit 1.
struct CliFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Options are "--name" (flags), "--name VALUE" or "--name=VALUE" (valued);
// "--" ends the options. Anything else is positional.
class CliArgs {
public:
    CliArgs(const std::vector<std::string>& args, std::set<std::string> flags, std::set<std::string> valued = {});

    bool Has(const std::string& option) const;
    std::optional<std::string> Value(const std::string& option) const;
    // A whole number within [min, max] (see WholeNumberArg); CliUsageError
    // otherwise.
    std::optional<long long> IntValue(const std::string& option, long long min, long long max) const;
    const std::vector<std::string>& Positional() const { return m_positional; }
    // CliUsageError unless there are between min and max positional arguments.
    void ExpectPositional(std::size_t min, std::size_t max) const;

private:
    std::set<std::string> m_flags;
    std::vector<std::pair<std::string, std::string>> m_values;
    std::vector<std::string> m_positional;
};

// A whole number argument within [min, max] (decimal, or hexadecimal after
// "0x"); CliUsageError naming `what` otherwise.
long long WholeNumberArg(const std::string& text, const std::string& what, long long min, long long max);

// "glyphos-cli: error: <message>" on stderr, control characters escaped
// (the line ends the message means stay).
void PrintError(const std::string& message);
// "glyphos-cli: warning: <message>" on stderr, the same way.
void PrintWarning(const std::string& message);

// The UI provider of a command: the boxes the library shows while the
// command runs are kept, one line each, and answered with their default
// button. A failing command reduces them and its own message to one error
// line; the library's debug log keeps every text in full.
class CliBoxes : public UiServices {
public:
    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;
    // `message` followed by the kept texts it does not already hold, in
    // brackets, separated by " | ".
    std::string ErrorLine(const std::string& message) const;
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    std::vector<std::string> m_texts;
};

// Why the system refuses `path` as a file to read (": Permission denied",
// ": Is a directory", ": it is a FIFO, not a file"...), or "" when it opens.
std::string SystemReason(const std::string& path);

// The library's log object for a command: enabled, without a log file, so
// that what the readers would show in a box reaches stderr through the
// headless UI provider.
std::unique_ptr<CKalvoNewDebugObject> MakeCliLog();
