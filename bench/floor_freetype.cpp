// The floor of `glyphos-cli render`: FreeType alone, without fontconfig or
// anything of ours, drawing the same glyphs in monochrome into cells of
// 64 x 96 from the font file. bench_process_ratios runs it beside the real
// command; its time is what loading a face and drawing the glyphs costs at
// the least.
//
//   floor_freetype FONTFILE PIXELS [FIRST LAST]
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: floor_freetype FONTFILE PIXELS [FIRST LAST]\n");
        return 2;
    }
    const int pixels = std::atoi(argv[2]);
    const long first = argc > 4 ? std::strtol(argv[3], nullptr, 0) : 0x20;
    const long last = argc > 4 ? std::strtol(argv[4], nullptr, 0) : 0xFF;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, argv[1], 0, &face) ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels))) {
        std::fprintf(stderr, "floor_freetype: cannot open %s\n", argv[1]);
        return 1;
    }
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    std::uint64_t sum = 0;
    for (long c = first; c <= last; ++c) {
        std::array<std::uint64_t, 96> cell{};
        if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        for (unsigned r = 0; r < bm.rows; ++r) {
            const int y = ascent - face->glyph->bitmap_top + static_cast<int>(r);
            if (y < 0 || y >= 96) continue;
            for (unsigned k = 0; k < bm.width; ++k) {
                const int x = face->glyph->bitmap_left + static_cast<int>(k);
                if (x >= 0 && x < 64 && ((bm.buffer[r * static_cast<unsigned>(bm.pitch) + k / 8] >> (7 - k % 8)) & 1))
                    cell[static_cast<std::size_t>(y)] |= std::uint64_t{1} << (63 - x);
            }
        }
        for (std::uint64_t row : cell) sum = sum * 31 + row;
    }
    std::printf("%016llx\n", static_cast<unsigned long long>(sum));
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return 0;
}
