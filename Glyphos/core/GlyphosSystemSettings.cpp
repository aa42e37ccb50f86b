#include "GlyphosSystemSettings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// XDG_CONFIG_DIRS in order; /etc/xdg when it names none.
std::vector<std::string> ConfigDirs() {
    std::vector<std::string> dirs;
    if (const char* env = std::getenv("XDG_CONFIG_DIRS")) {
        std::stringstream list(env);
        for (std::string dir; std::getline(list, dir, ':');) {
            if (!dir.empty()) dirs.push_back(dir);
        }
    }
    if (dirs.empty()) dirs.emplace_back("/etc/xdg");
    return dirs;
}

// The files QSettings looks in, first to last: the application's file in
// every folder, then the organisation's.
std::vector<std::string> SettingsFiles() {
    std::vector<std::string> files;
    const std::vector<std::string> dirs = ConfigDirs();
    const std::string org = GlyphosSystemSettings::kOrganization;
    for (const std::string& d : dirs) files.push_back(d + "/" + org + "/" + GlyphosSystemSettings::kApplication + ".ini");
    for (const std::string& d : dirs) files.push_back(d + "/" + org + ".ini");
    return files;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, unsigned long c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | ((c >> 12) & 0x0F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A group or key name as written: %XX stands for a byte, %UXXXX for a
// character.
std::string UnescapedName(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else if (s[i] == '%' && i + 5 < s.size() && s[i + 1] == 'U') {
            unsigned long c = 0;
            bool ok = true;
            for (std::size_t k = 2; k < 6; ++k) {
                const int d = HexDigit(s[i + k]);
                ok = ok && d >= 0;
                c = c * 16 + static_cast<unsigned long>(d < 0 ? 0 : d);
            }
            if (!ok) {
                out += s[i];
                continue;
            }
            AppendUtf8(out, c);
            i += 5;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// A value as written: quoted pieces keep their spaces, commas and
// semicolons; outside quotes a semicolon starts a comment and a comma makes
// a list. Backslash escapes as in C.
std::optional<std::string> UnescapedValue(const std::string& raw) {
    std::string out;
    bool quoted = false;
    std::size_t i = 0;
    std::string pendingSpace;  // spaces outside quotes count only between text
    for (; i < raw.size(); ++i) {
        const char c = raw[i];
        if (!quoted && c == ';') break;
        if (!quoted && c == ',') return std::nullopt;
        if (c == '"') {
            out += pendingSpace;
            pendingSpace.clear();
            quoted = !quoted;
            continue;
        }
        if (!quoted && (c == ' ' || c == '\t')) {
            pendingSpace += c;
            continue;
        }
        if (!out.empty() || quoted) out += pendingSpace;
        pendingSpace.clear();
        if (c != '\\' || i + 1 >= raw.size()) {
            out += c;
            continue;
        }
        const char e = raw[++i];
        switch (e) {
            case 'a': out += '\a'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'v': out += '\v'; break;
            case 'x': {
                unsigned long v = 0;
                while (i + 1 < raw.size() && HexDigit(raw[i + 1]) >= 0) v = v * 16 + static_cast<unsigned long>(HexDigit(raw[++i]));
                AppendUtf8(out, v & 0xFFFF);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned long v = static_cast<unsigned long>(e - '0');
                    while (i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7') v = v * 8 + static_cast<unsigned long>(raw[++i] - '0');
                    AppendUtf8(out, v & 0xFFFF);
                } else {
                    out += e;
                }
        }
    }
    // A leading @ names another type ("@ByteArray(...)", "@Variant(...)");
    // "@@" is a plain @.
    if (!out.empty() && out[0] == '@' && raw.find('"') != 0) {
        if (out.size() > 1 && out[1] == '@') return out.substr(1);
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::optional<std::string> GlyphosSystemSettings::IniString(const std::string& contents, const std::string& group,
                                                            const std::string& key) {
    std::string text = contents;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    // Lines that end in a backslash go on in the next line.
    std::vector<std::string> lines;
    std::stringstream in(text);
    std::string joined;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.back() == '\\') {
            line.pop_back();
            joined += line;
            continue;
        }
        lines.push_back(joined + line);
        joined.clear();
    }
    if (!joined.empty()) lines.push_back(joined);

    std::optional<std::string> found;
    bool inGroup = false;
    for (const std::string& raw : lines) {
        const std::string line = Trimmed(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const auto end = line.find(']');
            inGroup = end != std::string::npos && UnescapedName(line.substr(1, end - 1)) == group;
            continue;
        }
        const auto eq = line.find('=');
        if (!inGroup || eq == std::string::npos) continue;
        if (UnescapedName(Trimmed(line.substr(0, eq))) != key) continue;
        // The last of repeated keys counts, whatever its type.
        found = UnescapedValue(Trimmed(line.substr(eq + 1)));
    }
    return found;
}

std::optional<CString> GlyphosSystemSettings::ProgramPath() {
    for (const std::string& file : SettingsFiles()) {
        std::ifstream in(file, std::ios::binary);
        if (!in) continue;
        std::stringstream contents;
        contents << in.rdbuf();
        const auto value = IniString(contents.str(), "App. settings", "Path");
        if (!value) continue;
        if (value->empty()) return std::nullopt;
        // The configuration reader joins folder and file name as they are.
        std::string path = *value;
        if (path.back() != '/') path += '/';
        return CString::FromUtf8(path);
    }
    return std::nullopt;
}

CString GlyphosSystemSettings::KeyDescription() {
    return CString::FromUtf8(SettingsFiles().front()) + L" [App. settings] Path";
}
