#include "PsfFile.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char kMagic1[2] = {0x36, 0x04};
constexpr unsigned char kMagic2[4] = {0x72, 0xB5, 0x4A, 0x86};
constexpr unsigned kPsf1Mode512 = 0x01, kPsf1ModeHasTab = 0x02, kPsf1ModeHasSeq = 0x04;
constexpr unsigned kPsf2HasUnicodeTable = 0x01;
constexpr std::size_t kPsf2HeaderBytes = 32;
constexpr int kGlyphs = 256;
// Our block in the gap that a version 2 header may leave before the glyphs
// (readers start the glyphs at the header size, so they skip it).
constexpr unsigned char kOwnTag[4] = {'K', 'F', 'N', '1'};

std::uint32_t LE32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
void PutLE32(std::vector<unsigned char>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<unsigned char>(x >> (8 * i)));
}

void PutUtf8(std::vector<unsigned char>& v, std::uint32_t u) {
    if (u < 0x80) {
        v.push_back(static_cast<unsigned char>(u));
    } else if (u < 0x800) {
        v.push_back(static_cast<unsigned char>(0xC0 | u >> 6));
        v.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
        v.push_back(static_cast<unsigned char>(0xE0 | u >> 12));
        v.push_back(static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
        v.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
    } else {
        v.push_back(static_cast<unsigned char>(0xF0 | u >> 18));
        v.push_back(static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F)));
        v.push_back(static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
        v.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
    }
}

// One UTF-8 character at p (p < end); 0 bytes used when it is malformed.
std::size_t GetUtf8(const unsigned char* p, const unsigned char* end, std::uint32_t& u) {
    const unsigned char c = *p;
    std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || static_cast<std::size_t>(end - p) < n) return 0;
    u = n == 1 ? c : c & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        u = u << 6 | (p[i] & 0x3F);
    }
    return n;
}

BitmapFont::Rows GlyphRows(const unsigned char* g, int width, int height) {
    const int rowBytes = (width + 7) / 8;
    BitmapFont::Rows rows(static_cast<std::size_t>(height), 0);
    for (int r = 0; r < height; ++r) {
        std::uint64_t v = 0;
        for (int b = 0; b < rowBytes; ++b) v |= std::uint64_t{g[r * rowBytes + b]} << (56 - 8 * b);
        // Bits past the width are padding.
        if (width < 64) v &= ~(~std::uint64_t{0} >> width);
        rows[static_cast<std::size_t>(r)] = v;
    }
    return rows;
}

// Our block: tag, generation, record length and record, name length and name.
void ReadOwnBlock(const unsigned char* p, std::size_t n, BitmapFont& out) {
    if (n < 6 || std::memcmp(p, kOwnTag, 4) != 0) return;
    const int generation = p[4];
    const std::size_t recordBytes = p[5];
    if ((generation != 0 || recordBytes != 16) && (generation != 1 || recordBytes != 30)) return;
    if (n < 6 + recordBytes + 1 || n < 6 + recordBytes + 1 + p[6 + recordBytes]) return;
    BitmapFont::Printer printer;
    printer.generation = generation;
    printer.record.assign(p + 6, p + 6 + recordBytes);
    out.name.assign(reinterpret_cast<const char*>(p + 7 + recordBytes), p[6 + recordBytes]);
    out.printer = std::move(printer);
}

}  // namespace

bool PsfFile::IsPsf(const std::vector<unsigned char>& data) {
    return (data.size() >= 4 && std::memcmp(data.data(), kMagic1, 2) == 0) ||
           (data.size() >= kPsf2HeaderBytes && std::memcmp(data.data(), kMagic2, 4) == 0);
}

bool PsfFile::Read(const std::vector<unsigned char>& data, BitmapFont& out, std::string& error) {
    out = BitmapFont{};
    const unsigned char* d = data.data();
    const std::uint64_t size = data.size();
    std::uint64_t headerSize = 0, count = 0, charSize = 0;
    int width = 0, height = 0;
    bool hasTable = false, wide = false;
    if (size >= 4 && std::memcmp(d, kMagic1, 2) == 0) {
        headerSize = 4;
        count = (d[2] & kPsf1Mode512) ? 512 : 256;
        hasTable = (d[2] & (kPsf1ModeHasTab | kPsf1ModeHasSeq)) != 0;
        width = 8;
        height = d[3];
        charSize = d[3];
    } else if (size >= kPsf2HeaderBytes && std::memcmp(d, kMagic2, 4) == 0) {
        wide = true;
        headerSize = LE32(d + 8);
        hasTable = (LE32(d + 12) & kPsf2HasUnicodeTable) != 0;
        count = LE32(d + 16);
        charSize = LE32(d + 20);
        const std::uint32_t h = LE32(d + 24), w = LE32(d + 28);
        if (w > BitmapFont::kMaxWidth || h > BitmapFont::kMaxHeight) {
            error = BitmapFont::TooLarge(std::min<std::uint32_t>(w, 1u << 30), std::min<std::uint32_t>(h, 1u << 30));
            return false;
        }
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        if (headerSize < kPsf2HeaderBytes || headerSize > size) {
            error = "the PSF header size is wrong";
            return false;
        }
    } else {
        error = "not a PSF font";
        return false;
    }
    if (height > BitmapFont::kMaxHeight) {
        error = BitmapFont::TooLarge(width, height);
        return false;
    }
    if (width < 1 || height < 1 || count < 1 || count > 65536 ||
        charSize != static_cast<std::uint64_t>(height) * static_cast<std::uint64_t>((width + 7) / 8)) {
        error = "the PSF header describes no valid glyphs";
        return false;
    }
    if (headerSize + count * charSize > size) {
        error = "the file is shorter than its glyphs";
        return false;
    }
    out.width = width;
    out.height = height;
    out.ascent = height - height / 4;
    if (wide) ReadOwnBlock(d + kPsf2HeaderBytes, headerSize - kPsf2HeaderBytes, out);
    const unsigned char* glyphs = d + headerSize;

    // A file of ours stores code n in glyph n: its table is only for others.
    if (!hasTable || out.printer) {
        for (std::uint64_t n = 0; n < count; ++n)
            out.glyphs[static_cast<std::uint32_t>(n)] = GlyphRows(glyphs + n * charSize, width, height);
        return true;
    }
    out.unicode = true;
    // Each code point of the table gets its own copy of its glyph: a few
    // bytes of table could otherwise ask for a cell each a million times.
    const auto Add = [&](std::uint32_t u, const BitmapFont::Rows& rows) {
        if (out.glyphs.size() >= BitmapFont::kMaxGlyphs && !out.glyphs.count(u)) {
            error = "the Unicode table names more than " + std::to_string(BitmapFont::kMaxGlyphs) + " characters";
            return false;
        }
        out.glyphs.try_emplace(u, rows);
        return true;
    };
    const unsigned char* p = glyphs + count * charSize;
    const unsigned char* end = d + size;
    for (std::uint64_t n = 0; n < count; ++n) {
        const BitmapFont::Rows rows = GlyphRows(glyphs + n * charSize, width, height);
        // Single code points up to the terminator; sequences (combining
        // forms) after the start marker are skipped.
        bool inSequence = false;
        for (;;) {
            if (!wide) {
                if (end - p < 2) {
                    error = "the Unicode table is cut short";
                    return false;
                }
                const std::uint32_t u = p[0] | p[1] << 8;
                p += 2;
                if (u == 0xFFFF) break;
                if (u == 0xFFFE) inSequence = true;
                else if (!inSequence && !Add(u, rows)) return false;
            } else {
                if (p >= end) {
                    error = "the Unicode table is cut short";
                    return false;
                }
                if (*p == 0xFF) {
                    ++p;
                    break;
                }
                if (*p == 0xFE) {
                    inSequence = true;
                    ++p;
                    continue;
                }
                std::uint32_t u = 0;
                const std::size_t used = GetUtf8(p, end, u);
                if (used == 0) {
                    error = "the Unicode table is damaged";
                    return false;
                }
                p += used;
                if (!inSequence && !Add(u, rows)) return false;
            }
        }
    }
    return true;
}

bool PsfFile::Write(const BitmapFont& font, int version, std::vector<unsigned char>& out, std::string& error) {
    out.clear();
    const int width = font.width, height = font.height;
    if (width < 1 || height < 1 || width > BitmapFont::kMaxWidth || height > BitmapFont::kMaxHeight) {
        error = "the font has no valid size";
        return false;
    }
    if (version == 1 && width != 8) {
        error = "a PSF version 1 font is 8 dots wide; this one is " + std::to_string(width) + " (write version 2)";
        return false;
    }
    const bool table = !font.unicodeOf.empty();
    const int rowBytes = (width + 7) / 8;
    const std::size_t charSize = static_cast<std::size_t>(rowBytes * height);
    if (version == 1) {
        out = {kMagic1[0], kMagic1[1], static_cast<unsigned char>(table ? kPsf1ModeHasTab : 0),
               static_cast<unsigned char>(height)};
    } else {
        std::vector<unsigned char> own(kOwnTag, kOwnTag + 4);
        if (font.printer) {
            own.push_back(static_cast<unsigned char>(font.printer->generation));
            own.push_back(static_cast<unsigned char>(font.printer->record.size()));
            own.insert(own.end(), font.printer->record.begin(), font.printer->record.end());
            const std::size_t nameBytes = std::min<std::size_t>(font.name.size(), 254);
            own.push_back(static_cast<unsigned char>(nameBytes));
            own.insert(own.end(), font.name.begin(), font.name.begin() + static_cast<std::ptrdiff_t>(nameBytes));
            while (own.size() % 4) own.push_back(0);
        } else {
            own.clear();
        }
        out.assign(kMagic2, kMagic2 + 4);
        PutLE32(out, 0);
        PutLE32(out, static_cast<std::uint32_t>(kPsf2HeaderBytes + own.size()));
        PutLE32(out, table ? kPsf2HasUnicodeTable : 0);
        PutLE32(out, kGlyphs);
        PutLE32(out, static_cast<std::uint32_t>(charSize));
        PutLE32(out, static_cast<std::uint32_t>(height));
        PutLE32(out, static_cast<std::uint32_t>(width));
        out.insert(out.end(), own.begin(), own.end());
    }
    for (int code = 0; code < kGlyphs; ++code) {
        const auto g = font.glyphs.find(static_cast<std::uint32_t>(code));
        for (int r = 0; r < height; ++r) {
            const std::uint64_t v =
                (g != font.glyphs.end() && r < static_cast<int>(g->second.size())) ? g->second[static_cast<std::size_t>(r)] : 0;
            for (int b = 0; b < rowBytes; ++b) out.push_back(static_cast<unsigned char>(v >> (56 - 8 * b)));
        }
    }
    if (table) {
        for (int code = 0; code < kGlyphs; ++code) {
            const auto u = font.unicodeOf.find(static_cast<std::uint32_t>(code));
            if (version == 1) {
                if (u != font.unicodeOf.end() && u->second < 0xFFFE) {
                    out.push_back(static_cast<unsigned char>(u->second));
                    out.push_back(static_cast<unsigned char>(u->second >> 8));
                }
                out.push_back(0xFF);
                out.push_back(0xFF);
            } else {
                if (u != font.unicodeOf.end()) PutUtf8(out, u->second);
                out.push_back(0xFF);
            }
        }
    }
    return true;
}
