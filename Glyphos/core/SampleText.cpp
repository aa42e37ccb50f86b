#include "SampleText.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "CString.h"
#include "CodePageList.h"
#include "KalvoFont.h"

namespace {

// Strict UTF-8: a byte that does not start or continue a well-formed,
// shortest-form sequence gives U+FFFD, which no code page maps.
std::vector<char32_t> DecodeUtf8(const std::string& in) {
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        int extra = b0 < 0x80 ? 0 : (b0 & 0xE0) == 0xC0 ? 1 : (b0 & 0xF0) == 0xE0 ? 2 : (b0 & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = extra == 0 ? b0 : extra == 1 ? (b0 & 0x1F) : extra == 2 ? (b0 & 0x0F) : (b0 & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < in.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(in[i + static_cast<std::size_t>(k)]);
            if ((b & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (b & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (ok && extra > 0 && (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string Describe(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    const bool printable = c > 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && c != 0xFFFD;
    if (!printable) return code;
    return CString(1, static_cast<wchar_t>(c)).ToUtf8() + " (" + code + ")";
}

}  // namespace

std::vector<std::vector<int>> SampleText::MapText(const std::string& utf8, std::uint32_t codePage,
                                                  std::vector<std::string>* unmapped) {
    // The code page read backwards: the first byte that gives a character is
    // its code (a code page that has one character at two codes is rare, and
    // the lower code is the one its tables list first).
    std::map<char32_t, int> codes;
    const CodePageConverter converter(codePage);
    for (int b = 255; b >= 0; --b) {
        if (const auto c = converter.ToUnicode(static_cast<unsigned char>(b))) codes[*c] = b;
    }
    std::vector<std::vector<int>> lines(1);
    std::set<char32_t> named;
    // Bytes that are not UTF-8 come back as U+FFFD, which no code page maps.
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (c == U'\n') {
            lines.emplace_back();
            continue;
        }
        const auto it = codes.find(c);
        if (it != codes.end()) {
            lines.back().push_back(it->second);
            continue;
        }
        lines.back().push_back(kNoCode);
        if (unmapped && named.insert(c).second) unmapped->push_back(Describe(c));
    }
    return lines;
}

int SampleText::CellWidth(const KalvoFont& font) {
    return std::clamp(font.GetWidth(), 0, KalvoFont::kCols);
}

int SampleText::CellHeight(const KalvoFont& font) {
    return std::clamp(font.GetHeight(), 0, KalvoFont::kRows);
}

bool SampleText::DrawChar(const KalvoFont& font, int code, DotImage& image, int x, int y) {
    if (code < font.GetFirstChar() || code > font.GetLastChar() || code < 0 || code >= KalvoFont::kChars) return false;
    const int w = CellWidth(font), h = CellHeight(font);
    for (int row = 0; row < h; ++row) {
        const int py = y + row;
        if (py < 0 || py >= image.height) continue;
        for (int col = 0; col < w; ++col) {
            const int px = x + col;
            if (px >= 0 && px < image.width && font.GetPixel(code, row, col)) image.SetInk(px, py);
        }
    }
    return true;
}

DotImage SampleText::Draw(const KalvoFont& font, const std::vector<std::vector<int>>& lines,
                          std::vector<int>* outside) {
    std::size_t longest = 0;
    for (const auto& l : lines) longest = std::max(longest, l.size());
    const std::int64_t w = static_cast<std::int64_t>(longest) * CellWidth(font);
    const std::int64_t h = static_cast<std::int64_t>(lines.size()) * CellHeight(font);
    if (w == 0 || h == 0 || w * h > kMaxDots) return {};
    DotImage image(static_cast<int>(w), static_cast<int>(h));
    std::set<int> named;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        for (std::size_t i = 0; i < lines[l].size(); ++i) {
            const int code = lines[l][i];
            if (code == kNoCode) continue;
            const bool drawn = DrawChar(font, code, image, static_cast<int>(i) * CellWidth(font),
                                        static_cast<int>(l) * CellHeight(font));
            if (!drawn && outside && named.insert(code).second) outside->push_back(code);
        }
    }
    return image;
}
