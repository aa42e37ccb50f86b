#include "CliCommon.h"

#include "CliText.h"
#include "FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CliArgs::CliArgs(const std::vector<std::string>& args, std::set<std::string> flags, std::set<std::string> valued) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            m_positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        if (flags.count(name)) {
            if (eq != std::string::npos) throw CliUsageError("option " + name + " takes no value");
            m_flags.insert(name);
        } else if (valued.count(name)) {
            if (eq != std::string::npos) {
                m_values.emplace_back(name, a.substr(eq + 1));
            } else if (i + 1 < args.size()) {
                m_values.emplace_back(name, args[++i]);
            } else {
                throw CliUsageError("option " + name + " needs a value");
            }
        } else {
            throw CliUsageError("unknown option " + name);
        }
    }
}

bool CliArgs::Has(const std::string& option) const { return m_flags.count(option) != 0 || Value(option).has_value(); }

std::optional<std::string> CliArgs::Value(const std::string& option) const {
    // The last one given wins, as with most tools.
    for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
        if (it->first == option) return it->second;
    }
    return std::nullopt;
}

std::optional<long long> CliArgs::IntValue(const std::string& option, long long min, long long max) const {
    const auto text = Value(option);
    if (!text) return std::nullopt;
    return WholeNumberArg(*text, "option " + option, min, max);
}

long long WholeNumberArg(const std::string& text, const std::string& what, long long min, long long max) {
    long long v = 0;
    if (!ParseWholeNumber(text, v) || v < min || v > max) {
        throw CliUsageError(what + " needs a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
                            " (decimal or 0x..), not \"" + TerminalSafe(text) + "\"");
    }
    return v;
}

void CliArgs::ExpectPositional(std::size_t min, std::size_t max) const {
    if (m_positional.size() < min) throw CliUsageError("missing argument");
    if (m_positional.size() > max) throw CliUsageError("unexpected argument \"" + m_positional[max] + "\"");
}

void PrintError(const std::string& message) {
    std::fprintf(stderr, "glyphos-cli: error: %s\n", TerminalSafe(message, true).c_str());
}

void PrintWarning(const std::string& message) {
    std::fprintf(stderr, "glyphos-cli: warning: %s\n", TerminalSafe(message, true).c_str());
}

std::unique_ptr<CKalvoNewDebugObject> MakeCliLog() {
    return std::make_unique<CKalvoNewDebugObject>(nullptr, nullptr, CString(), CString(), L"glyphos-cli", 1);
}

namespace {
std::string OneLine(const CString& text) { return ::OneLine(text.ToUtf8()); }
}  // namespace

int CliBoxes::MessageBox(HWND, const CString& text, const CString&, UINT style) {
    std::string line = OneLine(text);
    if (!line.empty() && std::find(m_texts.begin(), m_texts.end(), line) == m_texts.end()) m_texts.push_back(line);
    return DefaultButton(style);
}

int CliBoxes::AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) {
    m_texts.push_back("Runtime release assertion failed at: " + OneLine(check) + " | " + OneLine(className) + " | " +
                      OneLine(sourceFile));
    return IDOK;
}

std::string CliBoxes::ErrorLine(const std::string& message) const {
    std::string extra;
    for (const std::string& t : m_texts) {
        if (message.find(t) != std::string::npos) continue;
        extra += (extra.empty() ? "" : " | ") + t;
    }
    return extra.empty() ? message : message + " [" + extra + "]";
}

std::string SystemReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return std::string(": ") + std::strerror(EISDIR);
    // Never open a FIFO to find out why it could not be read: that open
    // would wait for a writer.
    if (const char* kind = NonRegularFileKind(CString::FromUtf8(path)))
        return std::string(": it is ") + kind + ", not a file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::string(": ") + std::strerror(errno);
    ::close(fd);
    return {};
}
