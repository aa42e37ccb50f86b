// Text drawn with a printer font at the printer's dots: one picture element
// per dot, each character in a cell of the font's width and height, cells
// side by side without a gap, lines one font height apart. The cell holds
// exactly the dots `glyphos-cli show` prints for the character (margins
// included, as the grid keeps them), so what a sample shows is what the
// printer gets. `glyphos-cli sample`, the editor's Sample Text window and the
// simulator's receipt all draw through here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class KalvoFont;

// A picture of dots: 1 is ink.
struct DotImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> dots;  // row by row

    DotImage() = default;
    DotImage(int w, int h) : width(w), height(h), dots(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}
    bool Ink(int x, int y) const {
        return dots[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] != 0;
    }
    void SetInk(int x, int y) {
        dots[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = 1;
    }
};

class SampleText {
public:
    // A character that has no code: its cell stays empty.
    static constexpr int kNoCode = -1;
    // Largest picture drawn, in dots (a longer text is refused rather than
    // taking the machine's memory).
    static constexpr std::int64_t kMaxDots = std::int64_t{64} * 1024 * 1024;

    // UTF-8 text as the font's codes through a Windows code page, one
    // vector per line (a line feed starts the next). A character the code
    // page has no single byte for, or a byte that is not UTF-8, becomes
    // kNoCode and is named once in `unmapped` ("é (U+00E9)").
    static std::vector<std::vector<int>> MapText(const std::string& utf8, std::uint32_t codePage,
                                                 std::vector<std::string>* unmapped = nullptr);

    // The cell of a character: the font's width and height as far as the
    // grid goes (64 x 96).
    static int CellWidth(const KalvoFont& font);
    static int CellHeight(const KalvoFont& font);

    // Sets the ink of character `code` into `image` with the cell's top-left
    // corner at (x, y), cut at the picture's edges. False (nothing drawn)
    // for a code outside the font's range.
    static bool DrawChar(const KalvoFont& font, int code, DotImage& image, int x, int y);

    // The whole text: as wide as its longest line, as high as its lines.
    // Codes outside the font leave their cells empty and are named once in
    // `outside`. An empty picture when the text has no character or would
    // be larger than kMaxDots.
    static DotImage Draw(const KalvoFont& font, const std::vector<std::vector<int>>& lines,
                         std::vector<int>* outside = nullptr);
};
