#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "KalvoFont.h"

namespace {

using Bytes = std::vector<unsigned char>;

class KalvoFontTest : public ::testing::Test {
protected:
    // A first-generation record with the given geometry.
    void Record(int width, int height, int first, int last, int left, int right, int byteOrder) {
        font.SetHeaderGeneration(0);
        font.SetTag('F');
        font.SetWidth(width);
        font.SetHeight(height);
        font.SetFirstChar(first);
        font.SetLastChar(last);
        font.SetMarginLeft(left);
        font.SetMarginRight(right);
        font.SetByteOrder(byteOrder);
    }
    Bytes GridRow(int ch, int row) const {
        Bytes out;
        for (int b = 0; b < KalvoFont::kRowBytes; ++b) out.push_back(font.GetGridByte(ch, row, b));
        return out;
    }
    Bytes Pack(int first, int last, std::size_t length) {
        Bytes block(length, 0xEE);
        EXPECT_EQ(font.PackFontBlock(block.data(), block.size(), font.GetFontBytesPerRow(), font.GetHeight(),
                                     font.GetMarginLeft(), font.GetMarginRight(), first, last, font.GetByteOrder()),
                  1);
        return block;
    }
    void Unpack(const Bytes& block, int first, int last) {
        EXPECT_EQ(font.UnpackFontBlock(block.data(), block.size(), font.GetFontBytesPerRow(), font.GetHeight(),
                                       font.GetMarginLeft(), font.GetMarginRight(), first, last, font.GetByteOrder()),
                  1);
    }

    KalvoFont font;
};

// ---- Grid ----------------------------------------------------------------

TEST_F(KalvoFontTest, StartsEmptyInTheFirstGeneration) {
    for (int ch = 0; ch < KalvoFont::kChars; ++ch)
        for (int row = 0; row < KalvoFont::kRows; ++row) ASSERT_EQ(GridRow(ch, row), Bytes(8, 0));
    EXPECT_EQ(font.GetUndoIndex(), 0);
    EXPECT_EQ(font.GetHeaderGeneration(), 0);
    EXPECT_TRUE(font.GetFontName().IsEmpty());
    EXPECT_EQ(font.IsCopyBufferAllocated(), 0);
    EXPECT_EQ(font.GetCopyBuffer(), nullptr);
}

TEST_F(KalvoFontTest, ColumnsReadFromTheHighBitOfTheFirstByte) {
    font.SetPixel(65, 0, 9);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0x00, 0x40, 0, 0, 0, 0, 0, 0}));
    font.SetPixel(65, 0, 0);
    font.SetPixel(65, 0, 63);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0x80, 0x40, 0, 0, 0, 0, 0, 0x01}));
    EXPECT_EQ(font.GetPixel(65, 0, 9), 1);
    font.TogglePixel(65, 0, 9);
    font.ClearPixel(65, 0, 0);
    EXPECT_EQ(font.GetPixel(65, 0, 9), 0);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x01}));
}

TEST_F(KalvoFontTest, CoordinatesOutsideTheGridChangeNothing) {
    font.SetPixel(0, 0, 64);  // would be byte 0 of row 1
    font.SetPixel(0, 96, 0);  // would be character 1
    font.SetPixel(256, 0, 0);
    font.SetPixel(-1, 0, 0);
    font.SetBlock(255, 62, 94, 4);  // cut at the last row and column of the store
    font.SetGridByte(0, 0, 8, 0xFF);
    EXPECT_EQ(GridRow(0, 1), Bytes(8, 0));
    EXPECT_EQ(GridRow(1, 0), Bytes(8, 0));
    EXPECT_EQ(font.GetPixel(0, 0, 64), 0);
    EXPECT_EQ(font.GetPixel(300, 0, 0), 0);
    EXPECT_EQ(font.GetCharBits(256), nullptr);
    EXPECT_EQ(GridRow(255, 94), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x03}));
    EXPECT_EQ(GridRow(255, 95), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x03}));
    EXPECT_EQ(GridRow(255, 93), Bytes(8, 0));
}

TEST_F(KalvoFontTest, SquaresAndRectanglesCoverTheirEndsIncluded) {
    font.SetBlock(7, 6, 2, 3);  // columns 6..8, rows 2..4
    EXPECT_EQ(GridRow(7, 2), (Bytes{0x03, 0x80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(7, 4), (Bytes{0x03, 0x80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(7, 5), Bytes(8, 0));
    font.ToggleBlock(7, 7, 3, 2);  // columns 7..8, rows 3..4 flip
    EXPECT_EQ(GridRow(7, 3), (Bytes{0x02, 0x00, 0, 0, 0, 0, 0, 0}));
    font.ClearBlock(7, 6, 2, 1);
    EXPECT_EQ(GridRow(7, 2), (Bytes{0x01, 0x80, 0, 0, 0, 0, 0, 0}));

    font.SetBlock(8, 0, 0, 10);
    font.ClearRect(8, 2, 1, 8, 3);  // columns 2..8 of rows 1..3
    EXPECT_EQ(GridRow(8, 0), (Bytes{0xFF, 0xC0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(8, 1), (Bytes{0xC0, 0x40, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(8, 3), (Bytes{0xC0, 0x40, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(8, 4), (Bytes{0xFF, 0xC0, 0, 0, 0, 0, 0, 0}));
    font.ClearChar(8);
    EXPECT_EQ(GridRow(8, 0), Bytes(8, 0));
    EXPECT_EQ(GridRow(7, 3), (Bytes{0x02, 0x00, 0, 0, 0, 0, 0, 0}));
    font.ClearAllChars();
    EXPECT_EQ(GridRow(7, 3), Bytes(8, 0));
}

TEST_F(KalvoFontTest, InkRectOfAnEmptyCharacterIsTheInvertedFrame) {
    const InkRect ink = font.GetInkRect(40, 16, 24);
    EXPECT_EQ(ink.left, 16);
    EXPECT_EQ(ink.top, 24);
    EXPECT_EQ(ink.right, 0);
    EXPECT_EQ(ink.bottom, 0);
}

TEST_F(KalvoFontTest, InkRectBoundsTheDotsInsideTheScannedArea) {
    font.SetPixel(40, 3, 5);
    font.SetPixel(40, 10, 2);
    font.SetPixel(40, 7, 12);
    font.SetPixel(40, 20, 1);  // below the scanned rows
    font.SetPixel(40, 4, 17);  // right of the scanned columns
    const InkRect ink = font.GetInkRect(40, 16, 20);
    EXPECT_EQ(ink.left, 2);
    EXPECT_EQ(ink.top, 3);
    EXPECT_EQ(ink.right, 12);
    EXPECT_EQ(ink.bottom, 10);

    font.SetPixel(41, 95, 63);  // the store's last dot, scanned with out-of-store limits
    const InkRect corner = font.GetInkRect(41, 100, 200);
    EXPECT_EQ(corner.left, 63);
    EXPECT_EQ(corner.top, 95);
    EXPECT_EQ(corner.right, 63);
    EXPECT_EQ(corner.bottom, 95);
}

// ---- Undo ring -----------------------------------------------------------

TEST_F(KalvoFontTest, FifthUndoSaveOverwritesTheFirstSlot) {
    for (int save = 1; save <= 5; ++save) {
        font.ClearChar(33);
        font.SetPixel(33, save, 0);  // save n marks row n
        font.PushUndo(33);
    }
    EXPECT_EQ(font.GetUndoIndex(), 1);
    const int expectedRow[4] = {5, 2, 3, 4};
    for (int slot = 0; slot < 4; ++slot) {
        font.RestoreUndo(34, slot);
        const InkRect ink = font.GetInkRect(34, 63, 96);
        EXPECT_EQ(ink.top, expectedRow[slot]) << "slot " << slot;
        EXPECT_EQ(ink.bottom, expectedRow[slot]) << "slot " << slot;
    }
}

TEST_F(KalvoFontTest, RestoringASlotReplacesTheWholeBitmap) {
    font.SetPixel(50, 95, 63);
    font.PushUndo(50);
    font.SetBlock(51, 0, 0, 64);
    font.RestoreUndo(51, 0);
    EXPECT_EQ(GridRow(51, 0), Bytes(8, 0));
    EXPECT_EQ(font.GetPixel(51, 95, 63), 1);
    font.RestoreUndo(51, 4);  // no such slot
    font.RestoreUndo(51, -1);
    EXPECT_EQ(font.GetPixel(51, 95, 63), 1);
}

TEST_F(KalvoFontTest, ClearingTheUndoSlotTouchesOnlyTheSlotAtTheIndex) {
    font.SetPixel(50, 0, 0);
    font.PushUndo(50);  // slot 0
    font.PushUndo(50);  // slot 1
    font.PushUndo(50);  // slot 2; index now 3
    font.PushUndo(50);  // slot 3; index back to 0
    font.ClearUndoSlot();
    font.RestoreUndo(60, 0);
    EXPECT_EQ(font.GetPixel(60, 0, 0), 0);
    font.RestoreUndo(60, 1);
    EXPECT_EQ(font.GetPixel(60, 0, 0), 1);
    font.ClearUndoRing();
    font.RestoreUndo(60, 1);
    EXPECT_EQ(font.GetPixel(60, 0, 0), 0);
    EXPECT_EQ(font.GetUndoIndex(), 0);
}

// ---- Copy buffer ---------------------------------------------------------

TEST_F(KalvoFontTest, BufferPixelBeforeAllocationAnswersTwo) {
    EXPECT_EQ(font.GetBufferPixel(0, 0), 2);
    ASSERT_EQ(font.AllocCopyBuffer(2, 1, 5), 1);
    EXPECT_EQ(font.GetBufferPixel(0, 0), 0);
    font.FreeCopyBuffer();
    EXPECT_EQ(font.GetBufferPixel(0, 0), 2);
}

TEST_F(KalvoFontTest, CopiedRectangleStartsEveryRowOnANewByte) {
    // Columns 3..12 (10 dots, 2 bytes a row) of rows 5..7.
    font.SetPixel(70, 5, 3);
    font.SetPixel(70, 5, 12);
    font.SetPixel(70, 6, 11);
    font.SetPixel(70, 7, 2);  // left of the rectangle
    font.SetPixel(70, 8, 3);  // below it
    ASSERT_EQ(font.AllocCopyBuffer(3, 2, 10), 1);
    EXPECT_EQ(font.IsCopyBufferFilled(), 0);
    ASSERT_EQ(font.CopyRectToBuffer(70, 3, 5, 12, 7), 1);
    EXPECT_EQ(font.IsCopyBufferFilled(), 1);
    EXPECT_EQ(font.GetCopyBufferColumns(), 10);
    const Bytes packed(font.GetCopyBuffer(), font.GetCopyBuffer() + font.GetCopyBufferLength());
    EXPECT_EQ(packed, (Bytes{0x80, 0x40, 0x00, 0x80, 0x00, 0x00}));
    EXPECT_EQ(font.GetBufferPixel(0, 9), 1);
    EXPECT_EQ(font.GetBufferPixel(1, 8), 1);
    EXPECT_EQ(font.GetBufferPixel(3, 0), 0);  // past the last row
}

TEST_F(KalvoFontTest, CopyStaysInsideABufferSmallerThanTheRectangle) {
    font.SetBlock(70, 0, 0, 20);
    ASSERT_EQ(font.AllocCopyBuffer(2, 1, 8), 1);
    ASSERT_EQ(font.CopyRectToBuffer(70, 0, 0, 19, 19), 1);
    EXPECT_EQ(font.GetCopyBufferColumns(), 20);
    const Bytes packed(font.GetCopyBuffer(), font.GetCopyBuffer() + font.GetCopyBufferLength());
    EXPECT_EQ(packed, (Bytes{0xFF, 0xFF}));
}

TEST_F(KalvoFontTest, FreeingTheBufferForgetsItsSizesAndImpossibleSizesAreRefused) {
    font.SetBytesPerRow(3);
    EXPECT_EQ(font.GetBytesPerRow(), 3);
    ASSERT_EQ(font.AllocCopyBuffer(4, 2, 12), 1);
    EXPECT_EQ(font.GetBytesPerRow(), 2);
    EXPECT_EQ(font.GetCopyBufferLength(), 8);
    EXPECT_EQ(font.GetCopyBufferRows(), 4);
    const unsigned char src[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(font.SetBufferBytes(src), 1);
    EXPECT_EQ(font.IsCopyBufferFilled(), 1);
    EXPECT_EQ(font.GetCopyBuffer()[7], 8);
    font.FreeCopyBuffer();
    EXPECT_EQ(font.GetBytesPerRow(), 0);
    EXPECT_EQ(font.GetCopyBufferLength(), 0);
    EXPECT_EQ(font.GetCopyBufferRows(), 0);
    EXPECT_EQ(font.GetCopyBufferColumns(), 0);
    EXPECT_EQ(font.IsCopyBufferFilled(), 0);
    EXPECT_EQ(font.SetBufferBytes(src), 0);
    EXPECT_EQ(font.CopyRectToBuffer(70, 0, 0, 3, 3), 0);

    EXPECT_EQ(font.AllocCopyBuffer(0, 1, 1), 0);
    EXPECT_EQ(font.AllocCopyBuffer(4, -1, 1), 0);
    EXPECT_EQ(font.AllocCopyBuffer(1 << 20, 1 << 12, 1), 0);  // length would not fit 32 bits
    EXPECT_EQ(font.IsCopyBufferAllocated(), 0);
    EXPECT_EQ(font.GetCopyBuffer(), nullptr);
}

// ---- Font blocks ---------------------------------------------------------

TEST_F(KalvoFontTest, PositiveLeftMarginMovesTheGlyphToColumnZero) {
    Record(14, 1, 65, 65, 2, 0, 0);
    ASSERT_EQ(font.GetFontBytesPerRow(), 2);
    Unpack({0x3F, 0xFC}, 65, 65);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0xFF, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Pack(65, 65, 2), (Bytes{0x3F, 0xFC}));
}

TEST_F(KalvoFontTest, NegativeLeftMarginLeavesBlankColumnsAtTheLeft) {
    Record(11, 1, 65, 65, -3, 0, 0);  // 8 dots a packed row
    Unpack({0xFF}, 65, 65);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0x1F, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(KalvoFontTest, ByteOrderOneReversesEachPackedRow) {
    Record(16, 2, 65, 65, 0, 0, 1);
    Unpack({0x01, 0x80, 0x0F, 0xF0}, 65, 65);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0x80, 0x01, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(65, 1), (Bytes{0xF0, 0x0F, 0, 0, 0, 0, 0, 0}));
}

TEST_F(KalvoFontTest, ReversedRowsArePackedByShiftingBeforeReversing) {
    // Reversing first and shifting after would give 1F 1F here, which
    // unpacks to F8 F8: the dots of the font would change on every save.
    Record(13, 1, 65, 65, 3, 0, 1);
    for (int c = 0; c < 13; ++c) font.SetPixel(65, 0, c);
    EXPECT_EQ(Pack(65, 65, 2), (Bytes{0xFF, 0x1F}));
}

TEST_F(KalvoFontTest, MarginComesFromTheRecordInForce) {
    Record(14, 1, 65, 65, 0, 0, 0);
    font.SetHeaderGeneration(1);
    font.SetMarginLeft(2);
    const Bytes block{0x3F, 0xFC};
    // The argument says no margin; the second-generation record says 2.
    ASSERT_EQ(font.UnpackFontBlock(block.data(), block.size(), 2, 1, 0, 0, 65, 65, 0), 1);
    EXPECT_EQ(GridRow(65, 0), (Bytes{0xFF, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(block, (Bytes{0x3F, 0xFC}));  // the caller's block is not changed
}

TEST_F(KalvoFontTest, UnpackingLeavesTheRestOfTheGridAlone) {
    Record(8, 2, 66, 67, 0, 0, 0);
    font.SetGridByte(66, 0, 3, 0xAA);
    font.SetGridByte(66, 2, 0, 0x55);  // below the font's height
    font.SetGridByte(65, 0, 0, 0x11);  // before the first character
    Unpack({0x01, 0x02, 0x03, 0x04}, 66, 67);
    EXPECT_EQ(GridRow(66, 0), (Bytes{0x01, 0, 0, 0xAA, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(66, 2), (Bytes{0x55, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(67, 1), (Bytes{0x04, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(65, 0), (Bytes{0x11, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(KalvoFontTest, RowsWiderThanTheGridKeepTheirStrideInTheBlock) {
    // 64 dots with margins of 15 and 15: 12 bytes a packed row.
    Record(64, 2, 0, 1, 15, 15, 0);
    ASSERT_EQ(font.GetFontBytesPerRow(), 12);
    Bytes block(48, 0);
    for (int i = 0; i < 4; ++i) {
        block[i * 12 + 1] = 0x01;                                   // bit 15: glyph column 0
        block[i * 12 + 2] = static_cast<unsigned char>(0x80 >> i);  // glyph column 1 + i
        block[i * 12 + 9] = 0x02;                                   // bit 78: glyph column 63
    }
    Unpack(block, 0, 1);
    EXPECT_EQ(GridRow(0, 0), (Bytes{0xC0, 0, 0, 0, 0, 0, 0, 0x01}));
    EXPECT_EQ(GridRow(1, 1), (Bytes{0x88, 0, 0, 0, 0, 0, 0, 0x01}));
    EXPECT_EQ(Pack(0, 1, 48), block);
}

TEST_F(KalvoFontTest, ShortBlocksAreReadAsZeroAndWrittenOnlyAsFarAsTheyGo) {
    Record(16, 2, 65, 66, 0, 0, 0);
    const Bytes full{0x11, 0x12, 0x21, 0x22, 0x31, 0x32, 0x41, 0x42};
    const Bytes shortBlock(full.begin(), full.begin() + 5);  // ends inside row 0 of the second character
    font.SetGridByte(66, 1, 0, 0x99);
    Unpack(shortBlock, 65, 66);
    EXPECT_EQ(GridRow(65, 1), (Bytes{0x21, 0x22, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(66, 0), (Bytes{0x31, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(66, 1), (Bytes{0x99, 0, 0, 0, 0, 0, 0, 0}));  // never reached

    Unpack(full, 65, 66);
    Bytes out(5, 0xEE);
    ASSERT_EQ(font.PackFontBlock(out.data(), out.size(), 2, 2, 0, 0, 65, 66, 0), 1);
    EXPECT_EQ(out, shortBlock);
}

TEST_F(KalvoFontTest, HostileRecordsStayInsideTheGrid) {
    // Height 200 and a range past 255 from an untrusted file: only the
    // grid's 96 rows and characters up to 255 are stored.
    Bytes block(static_cast<std::size_t>(200) * 2, 0xFF);
    ASSERT_EQ(font.UnpackFontBlock(block.data(), block.size(), 1, 200, 0, 0, 254, 400, 0), 1);
    EXPECT_EQ(GridRow(254, 95), (Bytes{0xFF, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GridRow(255, 95), (Bytes{0xFF, 0, 0, 0, 0, 0, 0, 0}));
    // Rows below the 96th pack as blank dots.
    Bytes out(400, 0xEE);
    ASSERT_EQ(font.PackFontBlock(out.data(), out.size(), 1, 200, 0, 0, 254, 255, 0), 1);
    EXPECT_EQ(out[95], 0xFF);
    EXPECT_EQ(out[96], 0x00);
    EXPECT_EQ(out[399], 0x00);

    EXPECT_EQ(font.UnpackFontBlock(block.data(), block.size(), 0, 1, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(font.UnpackFontBlock(block.data(), block.size(), 65, 1, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(font.PackFontBlock(out.data(), out.size(), 0, 1, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(font.UnpackFontBlock(block.data(), block.size(), 1, 1, 0, 0, 5, 4, 0), 1);  // empty range
}

TEST_F(KalvoFontTest, MarginShiftsAgreeWithTheLibraryShifts) {
    std::mt19937 rng(11);
    for (int bpr = 1; bpr <= 12; ++bpr) {
        for (int margin = -20; margin <= 20; ++margin) {
            Record(8, 1, 0, 0, margin, 0, 0);
            Bytes packed(bpr);
            for (auto& b : packed) b = static_cast<unsigned char>(rng());
            Bytes expected = packed;
            if (margin > 0) font.NShiftBufferLeft(expected.data(), bpr, margin);
            if (margin < 0) font.NShiftBufferRight(expected.data(), bpr, -margin);
            expected.resize(8, 0);
            font.ClearChar(0);
            ASSERT_EQ(font.UnpackFontBlock(packed.data(), packed.size(), bpr, 1, margin, 0, 0, 0, 0), 1);
            ASSERT_EQ(GridRow(0, 0), expected) << "bytes " << bpr << " margin " << margin;
        }
    }
}

// Packing what was unpacked gives the block back for any byte order and
// margin, as long as the block has no dots where no grid column can hold
// them (the margin columns a positive margin drops, the tail a negative
// margin pushes out, anything past the 64th column).
TEST_F(KalvoFontTest, PackingUndoesUnpackingForEveryByteOrderAndMargin) {
    std::mt19937 rng(7);
    const int widths[] = {1, 5, 13, 16, 40, 64};
    const int rights[] = {-4, 0, 3, 15};
    for (int byteOrder = 0; byteOrder <= 2; ++byteOrder) {
        for (int width : widths) {
            for (int left = -15; left <= 15; ++left) {
                for (int right : rights) {
                    const int bpr = BytesForBits(width + left + right);
                    if (bpr == 0) continue;
                    Record(width, 3, 200, 202, left, right, byteOrder);
                    const int bits = bpr * 8;
                    const int gridBits = std::min(bpr, 8) * 8;
                    Bytes block(static_cast<std::size_t>(bpr) * 3 * 3, 0);
                    for (std::size_t rowStart = 0; rowStart < block.size(); rowStart += bpr) {
                        Bytes logical(bpr, 0);
                        for (int p = 0; p < bits; ++p) {
                            const int col = p - left;
                            if (col >= 0 && col < gridBits && (rng() & 1)) logical[p / 8] |= 0x80 >> (p % 8);
                        }
                        if (byteOrder == 1) std::reverse(logical.begin(), logical.end());
                        std::copy(logical.begin(), logical.end(), block.begin() + static_cast<long>(rowStart));
                    }
                    font.ClearAllChars();
                    Unpack(block, 200, 202);
                    ASSERT_EQ(Pack(200, 202, block.size()), block)
                        << "byte order " << byteOrder << " width " << width << " margins " << left << "/" << right;
                }
            }
        }
    }
}

// ---- Property records ----------------------------------------------------

TEST_F(KalvoFontTest, AccessorsReadTheRecordOfTheGenerationInForce) {
    _headerFont v1{};
    v1.Tag = 'F';
    v1.Width = 16;
    v1.Height = 24;
    v1.FirstChar = 32;
    v1.LastChar = 255;
    v1.IndFont[0] = 0x01;
    v1.IndFont[1] = 0x02;
    v1.IndFont[2] = 0x03;
    v1.MarginLeft = -2;
    v1.MarginRight = 3;
    font.GetHeaderFont() = v1;
    _headerFont2 v2{};
    v2.Tag = 'f';
    v2.Width = 12;
    v2.Height = 20;
    v2.FirstChar = 'A';
    v2.LastChar = 'A';
    v2.IndFont[0] = 0x80;
    v2.IndFont[3] = 0x04;
    v2.MarginUp = -1;
    v2.ByteOrder = 1;
    v2.Extra1b = 0x5A;
    font.GetHeaderFont2() = v2;

    EXPECT_EQ(font.GetHeaderSize(), 16);
    EXPECT_EQ(font.GetTag(), 'F');
    EXPECT_EQ(font.GetWidth(), 16);
    EXPECT_EQ(font.GetMarginLeft(), -2);
    EXPECT_EQ(font.GetFontPosition(), 0x010203u);
    EXPECT_EQ(font.GetFontBytesPerRow(), 3);  // 17 dots
    EXPECT_EQ(font.GetFontBlockSize(), 3u * 24 * 224);

    font.SetHeaderGeneration(1);
    EXPECT_EQ(font.GetHeaderSize(), 30);
    EXPECT_EQ(font.GetHeaderBytes()[29], 0x5A);
    EXPECT_EQ(font.GetTag(), 'f');
    EXPECT_EQ(font.GetWidth(), 12);
    EXPECT_EQ(font.GetMarginUp(), -1);
    EXPECT_EQ(font.GetByteOrder(), 1);
    EXPECT_EQ(font.GetFontPosition(), 0x80000004u);
    EXPECT_EQ(font.GetFontBlockSize(), 2u * 20 * 1);

    font.SetMarginRight(-15);
    font.SetByteOrder(10);
    EXPECT_EQ(font.GetHeaderBytes()[13], static_cast<unsigned char>(-15));
    EXPECT_EQ(font.GetHeaderBytes()[16], 10);
    EXPECT_EQ(font.GetHeaderFont().MarginRight, 3);  // the other record is untouched

    font.SetLastChar(10);  // below the first
    EXPECT_EQ(font.GetFontBlockSize(), 0u);
}

}  // namespace
