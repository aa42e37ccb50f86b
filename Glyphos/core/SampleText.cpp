#include "SampleText.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "CodePageList.h"
#include "KalvoFont.h"

namespace {

std::string Describe(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    const bool printable = c > 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && c != 0xFFFD;
    if (!printable) return code;
    return QString::fromUcs4(&c, 1).toStdString() + " (" + code + ")";
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
    for (const char32_t c : QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toUcs4()) {
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
