#include "CliText.h"

#include <charconv>
#include <cstdio>

bool ParseWholeNumber(std::string_view text, long long& value) {
    int base = 10;
    std::string_view digits = text;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
        // from_chars would take a sign after the prefix.
        if (digits.front() == '-' || digits.front() == '+') return false;
    }
    if (digits.empty()) return false;
    long long v = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return false;
    value = v;
    return true;
}

std::string TerminalSafe(std::string_view utf8, bool keepLineFeeds) {
    std::string out;
    out.reserve(utf8.size());
    char buf[8];
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned code = 0x100;  // none
        if ((c < 0x20 && !(c == '\n' && keepLineFeeds)) || c == 0x7F) {
            code = c;
        } else if (c == 0xC2 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                code = next;
                ++i;
            }
        }
        if (code == 0x100) {
            out += static_cast<char>(c);
            continue;
        }
        std::snprintf(buf, sizeof buf, "\\x%02X", code);
        out += buf;
    }
    return out;
}

std::string OneLine(std::string_view utf8) {
    std::string out;
    for (const char c : utf8) {
        const bool blank = c == '\n' || c == '\r' || c == ' ' || c == '\t';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return TerminalSafe(out);
}
