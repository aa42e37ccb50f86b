// A bitmap font as the interchange formats (BDF, PSF) carry it: fixed cells
// of width x height dots, glyphs keyed by a code that is either the font's
// own character code or a Unicode code point, and, when the file was written
// by us, the printer font's property record so that nothing of it is lost on
// the way out and back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct BitmapFont {
    // The printer's grid is at most this large; bigger glyphs are refused.
    static constexpr int kMaxWidth = 64;
    static constexpr int kMaxHeight = 96;
    // A printer font has 256 characters and a Unicode console font a few
    // thousand; every glyph costs a whole cell in memory, so readers stop here.
    static constexpr std::size_t kMaxGlyphs = 65536;

    // One row of dots: column c is bit 63 - c, so column 0 is the high bit as
    // in the printer font's grid.
    using Rows = std::vector<std::uint64_t>;

    int width = 0;
    int height = 0;
    // Rows of the cell above the baseline (BDF places glyphs by it).
    int ascent = 0;
    std::string name;  // single-byte characters
    // true: glyph keys are Unicode code points; false: the font's own codes.
    bool unicode = false;
    std::map<std::uint32_t, Rows> glyphs;
    // Glyphs that have no key in the font's encoding, by the font's own code
    // (BDF "ENCODING -1 code"); only files of ours are read back this way.
    std::map<std::uint32_t, Rows> unmapped;
    // Writing: the Unicode code point of a font code, when the codes were
    // mapped through a code page (the keys of `glyphs` stay font codes).
    std::map<std::uint32_t, std::uint32_t> unicodeOf;

    // What a file of ours carries besides the dots.
    struct Printer {
        int generation = 0;                 // 0: 16-byte record, 1: 30-byte record
        std::vector<unsigned char> record;  // in memory order
        int codePage = 0;                   // the code page keys were mapped through, 0 for none
    };
    std::optional<Printer> printer;

    static std::uint64_t Bit(int col) { return std::uint64_t{1} << (63 - col); }

    // Why glyphs of w x h dots are refused.
    static std::string TooLarge(long long w, long long h) {
        return "glyphs of " + std::to_string(w) + " x " + std::to_string(h) + " dots are larger than the printer's " +
               std::to_string(kMaxWidth) + " x " + std::to_string(kMaxHeight);
    }
};
