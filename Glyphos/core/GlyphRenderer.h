// Draws the characters of an installed font into a printer font's grid, one
// dot per pixel: each code is mapped to Unicode through a code page, drawn
// in monochrome into a cell of the font's size, moved and stretched by the
// import placement, and every inked pixel becomes a set dot.
//
// The face is found by fontconfig and drawn by FreeType, the libraries Qt
// itself uses on Linux, without Qt: so that the editor and glyphos-cli
// render the same dots and glyphos-cli needs no Qt GUI to do it.
#pragma once

#include "LogFontRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class KalvoFont;

// A cell of up to 64 x 96 dots, one 64-bit mask per row, column 0 in the
// high bit.
struct GlyphCell {
    int width = 0;
    int height = 0;
    std::array<std::uint64_t, 96> rows{};

    bool Ink(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && ((rows[static_cast<std::size_t>(y)] >> (63 - x)) & 1u);
    }
};

// The face fontconfig chooses for a logical font.
struct FaceChoice {
    std::string family;  // the family name asked for as the face spells it, else its first
    bool named = false;  // the logical font's face name is one of its family names
};

class GlyphRenderer {
public:
    // A renderer for cells of width x height dots (clamped to the grid's
    // 64 x 96).
    GlyphRenderer(const LogFontRecord& lf, std::uint32_t codePage, int width, int height,
                  const ImportPlacement& placement);
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    // Renders one code into the grid (the cell's dots only: the rest of the
    // 64 x 96 store is left alone). A code the code page does not define, or
    // that no installed face can draw, gives an empty character.
    void RenderChar(KalvoFont& font, int code);
    // The unstretched drawing of the last character rendered (w x h).
    const GlyphCell& DirectCell() const { return m_direct; }

    // The whole import: clears all 256 characters, then renders the
    // property record's first .. last. `shown` is called after each code
    // with the direct drawing, for a window that shows the progress.
    using Progress = std::function<void(int code, const GlyphCell& direct)>;
    static void RenderFont(KalvoFont& font, const LogFontRecord& lf, std::uint32_t codePage,
                           const ImportPlacement& placement, const Progress& shown = {});

    // The character height in pixels a logical font's height stands for
    // (negative: the character height; positive: the cell, ascent plus
    // descent of the face; 0: the usual 12 points at 96 dpi).
    static int PixelSize(const LogFontRecord& lf);
    // Every family name of the installed faces, as fontconfig names them,
    // sorted without regard to case, each once.
    static std::vector<std::string> InstalledFamilies();
    // The face fontconfig would draw `lf` with.
    static FaceChoice ChooseFace(const LogFontRecord& lf);

private:
    struct Faces;
    // Draws the code into m_direct; false when nothing can be drawn.
    bool Draw(int code);

    std::unique_ptr<Faces> m_faces;
    std::array<char32_t, 256> m_unicode{};
    int m_width;
    int m_height;
    ImportPlacement m_placement;
    GlyphCell m_direct;
};
