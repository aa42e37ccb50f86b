// The font property records of the two PSW generations, kept byte for byte
// as the readers hold them in memory. The editor copies them into its font and
// writes them back, so their layout is part of the library's interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#pragma pack(push, 1)

// First generation: the 16 bytes at the start of an "F" block, in file order.
struct _headerFont {
    unsigned char Tag;          // "F"
    unsigned char NumFont;      // 1 for the first block
    unsigned char NumTotFont;   // number of fonts (meaningful in the first block)
    unsigned char Width;        // dots, 1..64
    unsigned char Height;       // dots, 1..96
    unsigned char FirstChar;
    unsigned char LastChar;
    unsigned char IndFont[3];   // data position in the binary image, 24-bit big-endian
    unsigned char Orientation;  // "V" vertical, anything else horizontal
    signed char MarginLeft;
    signed char MarginRight;
    signed char MarginUp;
    signed char MarginBottom;
    unsigned char ByteOrder;    // 1: the bytes of each packed row are reversed
};

// Second generation: the 30 bytes of an "f" block. In memory the single byte
// that follows the 8-byte field in the file stands before it.
struct _headerFont2 {
    unsigned char Tag;          // "f"
    unsigned char NumFont;
    unsigned char NumTotFont;
    unsigned char Width;
    unsigned char Height;
    unsigned char FirstChar;
    unsigned char LastChar;
    unsigned char IndFont[4];   // absolute file offset of the data block, 32-bit big-endian
    unsigned char Orientation;
    signed char MarginLeft;
    signed char MarginRight;
    signed char MarginUp;
    signed char MarginBottom;
    unsigned char ByteOrder;
    unsigned char Extra1;       // file offset 25
    unsigned char Extra8[8];    // file offsets 17..24
    unsigned char Extra3[3];    // file offsets 26..28
    unsigned char Extra1b;      // file offset 29

    static constexpr std::size_t kFileBytes = 30;
    // File order <-> memory order.
    void FromFile(const unsigned char* f) {
        std::memcpy(this, f, 17);
        std::memcpy(Extra8, f + 17, 8);
        Extra1 = f[25];
        std::memcpy(Extra3, f + 26, 3);
        Extra1b = f[29];
    }
    void ToFile(unsigned char* f) const {
        std::memcpy(f, this, 17);
        std::memcpy(f + 17, Extra8, 8);
        f[25] = Extra1;
        std::memcpy(f + 26, Extra3, 3);
        f[29] = Extra1b;
    }
};

// Proportional fonts of the second generation: the 32 bytes of a "C" block.
struct _headerPropFont {
    unsigned char Tag;          // "C"
    unsigned char NumFont;
    unsigned char NumTotFont;
    unsigned char Prop1[4];     // four single-byte properties (file 3..6)
    unsigned char Prop4[4];     // four-byte property (file 7..10)
    unsigned char IndFont[4];   // data offset as stored (file 11..14)
    unsigned char Prop2[4];     // four single-byte properties (file 15..18)
    unsigned char Extra1;       // file offset 27
    unsigned char Extra8[8];    // file offsets 19..26
    unsigned char Extra3[3];    // file offsets 28..30
    unsigned char Extra1b;      // file offset 31

    static constexpr std::size_t kFileBytes = 32;
    void FromFile(const unsigned char* f) {
        std::memcpy(this, f, 19);
        std::memcpy(Extra8, f + 19, 8);
        Extra1 = f[27];
        std::memcpy(Extra3, f + 28, 3);
        Extra1b = f[31];
    }
    void ToFile(unsigned char* f) const {
        std::memcpy(f, this, 19);
        std::memcpy(f + 19, Extra8, 8);
        f[27] = Extra1;
        std::memcpy(f + 28, Extra3, 3);
        f[31] = Extra1b;
    }
};

#pragma pack(pop)

static_assert(sizeof(_headerFont) == 16);
static_assert(sizeof(_headerFont2) == 30);
static_assert(sizeof(_headerPropFont) == 32);
static_assert(offsetof(_headerFont2, Extra1) == 17 && offsetof(_headerFont2, Extra8) == 18);
static_assert(offsetof(_headerPropFont, Extra1) == 19 && offsetof(_headerPropFont, Extra8) == 20);

// Bytes of a packed row: width plus the signed margins, in whole bytes.
inline int BytesForBits(int n) { return n <= 0 ? 0 : n / 8 + (n % 8 != 0 ? 1 : 0); }
