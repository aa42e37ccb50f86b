// The rules of the PSW layout that code outside the readers needs: how big a
// font's data block is, where it starts, where the bank sums stand and how
// they are computed, and which fonts one printer stores with their byte
// pairs exchanged. Written once here so that the editor, glyphos-cli and the
// readers cannot disagree about them.
#pragma once

#include "BigEndian.h"
#include "CString.h"
#include "HeaderModule.h"
#include "PswRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace psw {

// A font's data block: whole bytes per row (width and both side margins),
// rows of the font's height, one glyph per character of the range. A range
// whose last character comes before its first holds no characters.
inline std::uint32_t FontBlockSize(int width, int marginLeft, int marginRight, int height, int first, int last) {
    const int chars = last >= first ? last - first + 1 : 0;
    return static_cast<std::uint32_t>(BytesForBits(width + marginLeft + marginRight)) *
           static_cast<std::uint32_t>(height < 0 ? 0 : height) * static_cast<std::uint32_t>(chars);
}
template <typename Record>
std::uint32_t FontBlockSize(const Record& r) {
    return FontBlockSize(r.Width, r.MarginLeft, r.MarginRight, r.Height, r.FirstChar, r.LastChar);
}

// The position field of a font record as stored: 24 bits in the first
// generation, 32 in the second.
inline std::uint32_t RecordFontPosition(const _headerFont& r) { return GetBE24(r.IndFont); }
inline std::uint32_t RecordFontPosition(const _headerFont2& r) { return GetBE32(r.IndFont); }
inline void SetRecordFontPosition(_headerFont& r, std::uint32_t v) { PutBE24(r.IndFont, v & 0xFFFFFF); }
inline void SetRecordFontPosition(_headerFont2& r, std::uint32_t v) { PutBE32(r.IndFont, v); }

// Where a font's data starts in the file. A first-generation record counts
// from the end of the header; a second-generation record holds the file
// offset itself.
inline std::uint64_t FontDataOffset(const _headerFont& r, std::uint32_t headerSize) {
    return std::uint64_t{RecordFontPosition(r)} + headerSize;
}
inline std::uint64_t FontDataOffset(const _headerFont2& r) { return RecordFontPosition(r); }

// A font record carried into the other generation's layout by meaning: the
// seven fields before the position and the six after it are the same in
// both; the position is the caller's.
inline _headerFont2 AsSecondGeneration(const _headerFont& r1, std::uint32_t position) {
    _headerFont2 r{};
    std::memcpy(&r, &r1, 7);
    SetRecordFontPosition(r, position);
    std::memcpy(&r.Orientation, &r1.Orientation, 6);
    return r;
}
inline _headerFont AsFirstGeneration(const _headerFont2& r2, std::uint32_t position) {
    _headerFont r{};
    std::memcpy(&r, &r2, 7);
    SetRecordFontPosition(r, position);
    std::memcpy(&r.Orientation, &r2.Orientation, 6);
    return r;
}

// A module record's address and size in the file.
inline std::uint32_t ModuleAddress(const _headerModule& r) { return GetBE32(r.Address); }
inline std::uint32_t ModuleSize(const _headerModule& r) { return GetBE32(r.Size); }

// A first-generation header: one 32-byte block per software bank, logo and
// font, one for the binary contents, and 8 bytes more.
inline std::uint32_t HeaderSize1(unsigned softwareBlocks, unsigned logoBlocks, unsigned fontBlocks) {
    return (softwareBlocks + logoBlocks + fontBlocks + 1) * 32 + 8;
}

// Every count of header blocks is one byte, so a header has a largest size
// and a tag found nowhere in it is found nowhere: searches for a block stop
// there instead of walking the rest of a file that may be gigabytes long.
// First generation: the "F" block comes after the printer block and at
// most 255 software and 255 logo blocks.
inline constexpr std::uint64_t kLastFontBlock1 = 1 + 255 + 255;
// Second generation: "P", "s", "u" and "b" once each, at most 255 blocks of
// each of "Q", "f", "C", "d" and "m"; the "?" block comes after them all.
inline constexpr std::uint64_t kLastHeaderBlock2 = 4 + 5 * 255;

// The printer block of a first-generation file keeps two 16-bit sums of the
// banks' plain contents at offset 26: the byte sum, then the sum of each
// byte exclusive-or its position's low byte.
inline constexpr std::size_t kSumsOffset = 26;
inline constexpr std::size_t kSumsBytes = 4;

inline std::pair<std::uint16_t, std::uint16_t> BankSums(const unsigned char* plain, std::uint64_t covered) {
    std::uint16_t sum = 0, xsum = 0;
    for (std::uint64_t i = 0; i < covered; ++i) {
        sum = static_cast<std::uint16_t>(sum + plain[i]);
        xsum = static_cast<std::uint16_t>(xsum + (plain[i] ^ static_cast<unsigned char>(i & 0xFF)));
    }
    return {sum, xsum};
}
// Writes the sums into a file image long enough to hold them.
inline bool PutBankSums(std::vector<unsigned char>& image, std::pair<std::uint16_t, std::uint16_t> sums) {
    if (image.size() < kSumsOffset + kSumsBytes) return false;
    PutBE16(&image[kSumsOffset], sums.first);
    PutBE16(&image[kSumsOffset + 2], sums.second);
    return true;
}

// The QLM736 stores three of its fonts (0-based slots 21, 26 and 30) with
// the bytes of every pair exchanged; `printer` is the name with its padding
// removed.
inline bool FontBytePairsExchanged(const CString& printer, int slot) {
    return printer == L"QLM736" && (slot == 21 || slot == 26 || slot == 30);
}
inline void ExchangeBytePairs(std::vector<unsigned char>& block) {
    for (std::size_t i = 0; i + 1 < block.size(); i += 2) std::swap(block[i], block[i + 1]);
}

}  // namespace psw
