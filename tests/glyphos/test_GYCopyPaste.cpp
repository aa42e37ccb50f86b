#include <gtest/gtest.h>

#include <vector>

#include "GYCopyPaste.h"
#include "KalvoFont.h"
#include "TestUi.h"

namespace {

class GYCopyPasteTest : public ::testing::Test {
protected:
    std::vector<unsigned char> Data() const { return {clip.GetData(), clip.GetData() + clip.GetLength()}; }

    ScopedScriptedUi ui;
    GYCopyPaste clip;
};

TEST_F(GYCopyPasteTest, AllocationIsZeroFilledAndNotYetFilled) {
    ASSERT_EQ(clip.Alloc(3, 2, 10), 1);
    EXPECT_EQ(clip.IsAllocated(), 1);
    EXPECT_EQ(clip.IsFilled(), 0);
    EXPECT_EQ(clip.GetLength(), 6);
    EXPECT_EQ(clip.GetRows(), 3);
    EXPECT_EQ(clip.GetBytesPerRow(), 2);
    EXPECT_EQ(clip.GetColumns(), 10);
    EXPECT_EQ(Data(), std::vector<unsigned char>(6, 0));
}

TEST_F(GYCopyPasteTest, FillTakesABlockOfTheAllocatedShape) {
    const unsigned char src[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(clip.Alloc(3, 2, 10), 1);
    EXPECT_EQ(clip.Fill(src, 3, 2), 1);
    EXPECT_EQ(clip.IsFilled(), 1);
    EXPECT_EQ(Data(), (std::vector<unsigned char>{1, 2, 3, 4, 5, 6}));
}

TEST_F(GYCopyPasteTest, FillOfAnotherShapeIsRefusedWithAMessage) {
    const unsigned char src[8] = {};
    ASSERT_EQ(clip.Alloc(3, 2, 10), 1);
    ui->Answer(IDOK);
    EXPECT_EQ(clip.Fill(src, 4, 2), 0);  // fresh allocation: nothing filled yet
    EXPECT_EQ(ui.Last().text, L"The copy operation was not possible !");
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONSTOP);

    ASSERT_EQ(clip.Fill(src, 3, 2), 1);
    ui->Answer(IDOK);
    EXPECT_EQ(clip.Fill(src, 3, 1), 1);  // the filled flag comes back unchanged

    clip.Free();
    ui->Answer(IDOK);
    EXPECT_EQ(clip.Fill(src, 0, 0), 0);  // nothing allocated: no shape matches
    EXPECT_EQ(clip.IsFilled(), 0);
}

TEST_F(GYCopyPasteTest, FreeForgetsTheDataAndEverySize) {
    const unsigned char src[2] = {0xAA, 0x55};
    ASSERT_EQ(clip.Alloc(1, 2, 16), 1);
    ASSERT_EQ(clip.Fill(src, 1, 2), 1);
    clip.Free();
    EXPECT_EQ(clip.GetData(), nullptr);
    EXPECT_EQ(clip.IsAllocated(), 0);
    EXPECT_EQ(clip.IsFilled(), 0);
    EXPECT_EQ(clip.GetLength(), 0);
    EXPECT_EQ(clip.GetRows(), 0);
    EXPECT_EQ(clip.GetColumns(), 0);
    EXPECT_EQ(clip.GetBytesPerRow(), 0);
    EXPECT_EQ(clip.Alloc(0, 2, 16), 0);
    EXPECT_EQ(clip.IsAllocated(), 0);
}

// Copy in one font, paste into another: the block travels with its shape.
TEST_F(GYCopyPasteTest, CarriesARectangleFromOneFontToAnother) {
    KalvoFont from;
    KalvoFont to;
    from.SetPixel(65, 2, 4);
    from.SetPixel(65, 3, 13);
    ASSERT_EQ(from.AllocCopyBuffer(2, BytesForBits(10), 10), 1);
    ASSERT_EQ(from.CopyRectToBuffer(65, 4, 2, 13, 3), 1);

    ASSERT_EQ(clip.Alloc(from.GetCopyBufferRows(), from.GetBytesPerRow(), from.GetCopyBufferColumns()), 1);
    ASSERT_EQ(clip.Fill(from.GetCopyBuffer(), from.GetCopyBufferRows(), from.GetBytesPerRow()), 1);
    from.FreeCopyBuffer();

    ASSERT_EQ(to.AllocCopyBuffer(clip.GetRows(), clip.GetBytesPerRow(), clip.GetColumns()), 1);
    ASSERT_EQ(to.SetBufferBytes(clip.GetData()), 1);
    EXPECT_EQ(to.GetBufferPixel(0, 0), 1);
    EXPECT_EQ(to.GetBufferPixel(1, 9), 1);
    EXPECT_EQ(to.GetBufferPixel(1, 8), 0);
    EXPECT_EQ(to.GetCopyBufferColumns(), 10);
}

}  // namespace
