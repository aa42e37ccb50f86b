// Glyph Bitmap Distribution Format (BDF 2.1), the X11 bitmap-font source
// format: read into and written from a BitmapFont.
#pragma once

#include "BitmapFont.h"

#include <string>
#include <vector>

class BdfFile {
public:
    // Parses a BDF text. The cell is the font bounding box; each glyph is
    // placed in it by its own bounding box and the baseline. On failure
    // returns false with a one-line reason in `error` (`out` is then
    // unspecified). What was read but not taken as written (a property
    // record that disagrees with the bounding box) is told in `warnings`.
    // Glyphs larger than the printer's grid, and more than
    // BitmapFont::kMaxGlyphs of them, are refused.
    static bool Read(const std::vector<unsigned char>& data, BitmapFont& out, std::string& error,
                     std::vector<std::string>* warnings = nullptr);
    // Every glyph as a full cell. Keys are written as they are, or as their
    // Unicode code points when `unicodeOf` is filled (codes without one, or
    // whose code point another code took first, as "ENCODING -1 code").
    static std::string Write(const BitmapFont& font);
};
