// Line reading shared by the two configuration readers of the printer side
// (the printers configuration file and the info files): single-byte text,
// one byte per character, lines cut at a fixed length.
#pragma once

#include "CString.h"
#include "FileUtil.h"

#include <string>
#include <vector>

namespace cfgtext {

// The whole file as bytes; false with the reason when it does not open, is
// no regular file, or is larger than such a file ever is (refused before it
// is read).
inline bool Load(const CString& path, std::string& bytes, std::string& why) {
    std::vector<unsigned char> raw;
    if (!ReadSmallTextFile(path, raw, why)) return false;
    bytes.assign(raw.begin(), raw.end());
    return true;
}

// The next line from pos, at most maxChars characters of it, without its
// line end. The rest of a longer line is skipped: taken for a line of its
// own, the tail of an over-long command could read as an entry.
inline bool ReadLine(const std::string& bytes, std::size_t& pos, std::size_t maxChars, CString& line) {
    if (pos >= bytes.size()) return false;
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    const std::size_t n = std::min(end - pos, maxChars);
    line = CString::FromBytes(std::string_view(bytes).substr(pos, n));
    pos = end < bytes.size() ? end + 1 : end;
    return true;
}

// Drops blanks and line-end characters.
inline CString Clean(const CString& text) {
    std::wstring out;
    for (const wchar_t c : text.str()) {
        if (c != L' ' && c != L'\t' && c != L'\r' && c != L'\n') out += c;
    }
    return CString(out);
}

// " (the reason)" for a message about a file that could not be read.
inline CString Reason(const std::string& why) { return why.empty() ? CString() : L" (" + CString::FromUtf8(why) + L")"; }

inline CString WithoutLineEnd(CString text) {
    text.Remove(L'\r');
    text.Remove(L'\n');
    return text;
}

// Case-insensitive substring search.
inline bool Contains(const CString& text, const CString& what) { return text.Upper().Find(what.Upper()) >= 0; }

// A decimal number as the old runtime's atoi read it: leading blanks, a
// sign, digits up to the first other character; 0 when there are none.
inline long long Decimal(const CString& text) {
    const std::wstring& s = text.str();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) negative = s[i++] == L'-';
    long long v = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        if (v < 100000000000LL) v = v * 10 + (s[i] - L'0');
    }
    return negative ? -v : v;
}

}  // namespace cfgtext
