#include "PrinterScript.h"

#include "FileUtil.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

constexpr std::size_t kMaxTrigger = 64;
constexpr std::size_t kMaxAnswer = 4096;
constexpr std::size_t kMaxReplies = 256;
constexpr std::size_t kMaxBuffer = std::size_t(1) << 24;
constexpr std::size_t kMaxLine = 16384;

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits at blanks; "..." is one token (with \\, \", \n, \r, \t and \xHH);
// # outside quotes starts a comment.
bool Tokenize(std::string_view line, std::vector<Token>& out, std::string& why) {
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        Token t;
        if (c == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (i >= line.size()) break;
                    const char e = line[i++];
                    switch (e) {
                        case 'n': d = '\n'; break;
                        case 'r': d = '\r'; break;
                        case 't': d = '\t'; break;
                        case '\\': d = '\\'; break;
                        case '"': d = '"'; break;
                        case 'x': {
                            unsigned v = 0;
                            const char* first = line.data() + i;
                            const std::size_t n = std::min<std::size_t>(2, line.size() - i);
                            const auto r = std::from_chars(first, first + n, v, 16);
                            if (r.ec != std::errc() || r.ptr != first + 2) {
                                why = "bad \\x escape";
                                return false;
                            }
                            i += 2;
                            d = static_cast<char>(v);
                            break;
                        }
                        default: why = std::string("unknown escape \\") + e; return false;
                    }
                }
                t.text += d;
            }
            if (!closed) {
                why = "unterminated string";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
                t.text += line[i++];
        }
        out.push_back(std::move(t));
    }
    return true;
}

bool ParseNumber(const std::string& s, unsigned long long max, unsigned long long& v) {
    int base = 10;
    std::size_t start = 0;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        start = 2;
    }
    const char* first = s.data() + start;
    const char* last = s.data() + s.size();
    const auto r = std::from_chars(first, last, v, base);
    return r.ec == std::errc() && r.ptr == last && first != last && v <= max;
}

// One byte written as hex: "1B" or "0x1B".
bool ParseHexByte(const std::string& s, BYTE& b) {
    std::string_view v(s);
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) v.remove_prefix(2);
    if (v.empty() || v.size() > 2) return false;
    unsigned x = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), x, 16);
    if (r.ec != std::errc() || r.ptr != v.data() + v.size()) return false;
    b = static_cast<BYTE>(x);
    return true;
}

}  // namespace

class PrinterScriptParser {
public:
    static bool ApplyLine(PrinterScript& s, std::string_view line, std::string& why) {
        if (line.size() > kMaxLine) {
            why = "line too long";
            return false;
        }
        std::vector<Token> t;
        if (!Tokenize(line, t, why)) return false;
        if (t.empty()) return true;
        if (t[0].quoted) {
            why = "a setting name is expected";
            return false;
        }
        const std::string& key = t[0].text;
        auto one = [&](std::string& value) {
            if (t.size() != 2) {
                why = "\"" + key + "\" takes one value";
                return false;
            }
            value = t[1].text;
            return true;
        };
        auto number = [&](unsigned long long max, unsigned long long& v) {
            std::string value;
            if (!one(value)) return false;
            if (!ParseNumber(value, max, v)) {
                why = "\"" + key + "\" wants a number up to " + std::to_string(max);
                return false;
            }
            return true;
        };
        auto onOff = [&](bool& v) {
            std::string value;
            if (!one(value)) return false;
            if (value != "on" && value != "off") {
                why = "\"" + key + "\" is on or off";
                return false;
            }
            v = value == "on";
            return true;
        };
        auto threshold = [&](std::size_t& v, bool& set, bool offAllowed) {
            std::string value;
            if (!one(value)) return false;
            set = true;
            if (offAllowed && value == "off") {
                v = PrinterScript::kNever;
                return true;
            }
            unsigned long long n = 0;
            if (!ParseNumber(value, kMaxBuffer, n)) {
                why = "\"" + key + "\" wants a byte count" + (offAllowed ? " or off" : "");
                return false;
            }
            v = static_cast<std::size_t>(n);
            return true;
        };

        if (key == "command" || key == "feed" || key == "clear" || key == "setting")
            return ParseProtocol(s, key, t, why);

        unsigned long long n = 0;
        std::string value;
        if (key == "baud") {
            if (!number(4000000, n)) return false;
            if (n < 50) {
                why = "baud rate too low";
                return false;
            }
            s.baud = static_cast<DWORD>(n);
        } else if (key == "bits") {
            if (!number(8, n)) return false;
            if (n < 5) {
                why = "\"bits\" is 5 to 8";
                return false;
            }
            s.byteSize = static_cast<BYTE>(n);
        } else if (key == "parity") {
            if (!one(value)) return false;
            if (value == "none") {
                s.parity = 0;
            } else if (value == "odd") {
                s.parity = 1;
            } else if (value == "even") {
                s.parity = 2;
            } else {
                why = "\"parity\" is none, even or odd";
                return false;
            }
        } else if (key == "model") {
            if (!one(value)) return false;
            if (!ParseHexByte(value, s.model)) {
                why = "\"model\" wants one byte in hex";
                return false;
            }
        } else if (key == "reply") {
            return ParseReply(s, t, why);
        } else if (key == "echo") {
            return onOff(s.echo);
        } else if (key == "power") {
            return onOff(s.power);
        } else if (key == "lever") {
            if (!one(value)) return false;
            if (value != "up" && value != "down") {
                why = "\"lever\" is up or down";
                return false;
            }
            s.leverUp = value == "up";
            return true;
        } else if (key == "buffer") {
            if (!number(kMaxBuffer, n)) return false;
            if (n == 0) {
                why = "the buffer holds at least one byte";
                return false;
            }
            s.bufferSize = static_cast<std::size_t>(n);
        } else if (key == "print-rate") {
            if (!one(value)) return false;
            if (value == "unlimited") {
                s.printRate = PrinterScript::kUnlimited;
            } else if (ParseNumber(value, 1000000000, n)) {
                s.printRate = static_cast<long>(n);
            } else {
                why = "\"print-rate\" wants bytes per second or unlimited";
                return false;
            }
        } else if (key == "xoff-at") {
            return threshold(s.xoffAt, s.m_xoffSet, true);
        } else if (key == "xon-at") {
            return threshold(s.xonAt, s.m_xonSet, false);
        } else if (key == "busy-at") {
            return threshold(s.busyAt, s.m_busySet, true);
        } else if (key == "ready-at") {
            return threshold(s.readyAt, s.m_readySet, false);
        } else if (key == "flow") {
            if (!one(value)) return false;
            if (value == "xonxoff") {
                s.flow = PrinterScript::Flow::XonXoff;
            } else if (value == "hardware") {
                s.flow = PrinterScript::Flow::Hardware;
            } else if (value == "both") {
                s.flow = PrinterScript::Flow::Both;
            } else {
                why = "\"flow\" is xonxoff, hardware or both";
                return false;
            }
        } else if (key == "latency") {
            if (!number(60000, n)) return false;
            s.latencyMs = static_cast<unsigned>(n);
        } else {
            why = "unknown setting \"" + key + "\"";
            return false;
        }
        return true;
    }

private:
    // command BYTES, feed BYTES, clear BYTES, setting BYTES [-> BYTES] [busy MS]
    static bool ParseProtocol(PrinterScript& s, const std::string& key, const std::vector<Token>& t,
                              std::string& why) {
        std::vector<BYTE> seq, answer;
        unsigned long long busy = 0;
        std::size_t i = 1;
        auto bytes = [&](std::vector<BYTE>& out) {
            for (; i < t.size(); ++i) {
                const Token& k = t[i];
                if (!k.quoted && (k.text == "->" || k.text == "busy")) break;
                if (k.quoted) {
                    out.insert(out.end(), k.text.begin(), k.text.end());
                    continue;
                }
                BYTE b = 0;
                if (!ParseHexByte(k.text, b)) {
                    why = "\"" + k.text + "\" is not a byte in hex or a \"string\"";
                    return false;
                }
                out.push_back(b);
            }
            return true;
        };
        if (!bytes(seq)) return false;
        const bool setting = key == "setting";
        if (setting && i < t.size() && t[i].text == "->" && !t[i].quoted) {
            ++i;
            if (!bytes(answer)) return false;
        }
        if (setting && i < t.size()) {
            if (t[i].text != "busy" || i + 2 != t.size() || !ParseNumber(t[i + 1].text, 600000, busy)) {
                why = "\"setting\" is: setting BYTES [-> BYTES] [busy MS]";
                return false;
            }
            i = t.size();
        }
        if (i != t.size()) {
            why = "\"" + key + "\" takes bytes only";
            return false;
        }
        if (seq.empty() || seq.size() > kMaxTrigger || answer.size() > kMaxAnswer) {
            why = "\"" + key + "\" wants 1 to 64 bytes";
            return false;
        }
        if (s.commands.size() + s.feeds.size() + s.clears.size() + s.settingCommands.size() >= kMaxReplies) {
            why = "at most 256 commands";
            return false;
        }
        if (key == "command") s.commands.push_back(seq);
        if (key == "feed") s.feeds.push_back(seq);
        if (key == "clear") s.clears.push_back(seq);
        if (setting) s.settingCommands.push_back({seq, answer, static_cast<unsigned>(busy)});
        return true;
    }

    // reply BYTES -> BYTES [busy MS]
    static bool ParseReply(PrinterScript& s, const std::vector<Token>& t, std::string& why) {
        PrinterScript::Reply r;
        std::size_t i = 1;
        auto bytes = [&](bool answer) {
            for (; i < t.size(); ++i) {
                const Token& k = t[i];
                if (!k.quoted && (k.text == "->" || k.text == "busy")) break;
                if (k.quoted) {
                    for (const char c : k.text) {
                        if (answer) {
                            r.answer.push_back(static_cast<BYTE>(c));
                        } else {
                            r.trigger.push_back(static_cast<BYTE>(c));
                        }
                    }
                } else if (answer && k.text == "model") {
                    r.answer.push_back(PrinterScript::kModelByte);
                } else {
                    BYTE b = 0;
                    if (!ParseHexByte(k.text, b)) {
                        why = "\"" + k.text + "\" is not a byte in hex, a \"string\"" +
                              (answer ? " or model" : "");
                        return false;
                    }
                    if (answer) {
                        r.answer.push_back(b);
                    } else {
                        r.trigger.push_back(b);
                    }
                }
            }
            return true;
        };
        if (!bytes(false)) return false;
        if (i >= t.size() || t[i].text != "->" || t[i].quoted) {
            why = "\"reply\" is: reply BYTES -> BYTES [busy MS]";
            return false;
        }
        ++i;
        if (!bytes(true)) return false;
        if (i < t.size()) {
            unsigned long long ms = 0;
            if (t[i].text != "busy" || i + 2 != t.size() || !ParseNumber(t[i + 1].text, 600000, ms)) {
                why = "\"reply\" ends with: busy MS";
                return false;
            }
            r.busyMs = static_cast<unsigned>(ms);
        }
        if (r.trigger.empty() || r.trigger.size() > kMaxTrigger) {
            why = "a reply is triggered by 1 to 64 bytes";
            return false;
        }
        if (r.answer.size() > kMaxAnswer) {
            why = "an answer has at most 4096 bytes";
            return false;
        }
        if (s.replies.size() >= kMaxReplies) {
            why = "at most 256 replies";
            return false;
        }
        s.replies.push_back(std::move(r));
        return true;
    }
};

void PrinterScript::DeriveThresholds() {
    if (!m_xoffSet) xoffAt = bufferSize - bufferSize / 8;
    if (!m_xonSet) xonAt = bufferSize / 4;
    if (!m_busySet) busyAt = xoffAt;
    if (!m_readySet) readyAt = xonAt;
}

bool PrinterScript::Check(std::string* error) const {
    auto bad = [&](const char* why) {
        if (error) *error = why;
        return false;
    };
    if (xoffAt != kNever && (xoffAt > bufferSize || xonAt >= xoffAt))
        return bad("xon-at must be below xoff-at, and xoff-at at most the buffer size");
    if (busyAt != kNever && (busyAt > bufferSize || readyAt >= busyAt))
        return bad("ready-at must be below busy-at, and busy-at at most the buffer size");
    return true;
}

bool PrinterScript::Apply(std::string_view line, std::string* error) {
    PrinterScript copy = *this;
    std::string why;
    if (!PrinterScriptParser::ApplyLine(copy, line, why)) {
        if (error) *error = why;
        return false;
    }
    copy.DeriveThresholds();
    if (!copy.Check(error)) return false;
    *this = std::move(copy);
    return true;
}

std::optional<PrinterScript> PrinterScript::Parse(std::string_view text, std::string* error) {
    PrinterScript s;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string why;
        if (!PrinterScriptParser::ApplyLine(s, line, why)) {
            if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
            return std::nullopt;
        }
    }
    s.DeriveThresholds();
    if (!s.Check(error)) return std::nullopt;
    return s;
}

std::optional<PrinterScript> PrinterScript::Load(const std::string& path, std::string* error) {
    std::vector<unsigned char> bytes;
    std::string unread;
    if (!ReadSmallTextFile(CString::FromUtf8(path), bytes, unread)) {
        if (error) *error = "cannot read " + path + ": " + unread;
        return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string why;
    auto s = Parse(text, &why);
    if (!s && error) *error = path + ": " + why;
    return s;
}
