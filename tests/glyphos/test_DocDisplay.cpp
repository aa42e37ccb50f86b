#include "DocDisplay.h"

#include "KalvoFont.h"

#include <gtest/gtest.h>

namespace {

class DocDisplayTest : public ::testing::Test {
protected:
    void SetFont(int width, int height, int left = 0, int right = 0) {
        font.SetWidth(width);
        font.SetHeight(height);
        font.SetMarginLeft(left);
        font.SetMarginRight(right);
    }

    KalvoFont font;
    DocDisplay d;
};

TEST_F(DocDisplayTest, MaxResolutionFitsTheWidthIn352PixelsAndLetsTheHeightScroll) {
    SetFont(12, 24);
    d.SetMaxResolution(font);
    EXPECT_EQ(d.CellSize, 29);
    EXPECT_EQ(d.GridRect, (DisplayRect{20, 20, 20 + 348, 20 + 696}));
    EXPECT_EQ(d.ScrollSize.y, 60 + 696);

    SetFont(64, 96);
    d.SetMaxResolution(font);
    EXPECT_EQ(d.CellSize, 5);
    EXPECT_EQ(d.GridRect.Width(), 320);
    EXPECT_EQ(d.GridRect.Height(), 480);

    SetFont(1, 96);
    d.SetMaxResolution(font);
    EXPECT_EQ(d.CellSize, 352);
    EXPECT_EQ(d.ZoomDivisor, 1);
    EXPECT_EQ(d.MaxResolution, 1);
}

TEST_F(DocDisplayTest, MaxResolutionPrefersTheCandidateWithTheLeastSlack) {
    // Width limit 100, height limit 400, font 30 x 10: 400/10 and 400/30 do
    // not fit or leave more slack than 100/30 = 3 (slack 10).
    EXPECT_EQ(DocDisplay::MaxResolutionCellSize(30, 10, 100, 400), 3);
    // A width limit of 40 with a 20 x 40 font: 40/40 = 1 (slack 20) loses to
    // 40/20 = 2 (slack 0).
    EXPECT_EQ(DocDisplay::MaxResolutionCellSize(20, 40, 40, 40), 2);
}

TEST_F(DocDisplayTest, AFontOfNoDotsStillHasAPitch) {
    SetFont(0, 0);
    d.SetMaxResolution(font);
    EXPECT_GE(d.Pitch(), 1);
    EXPECT_EQ(d.PointToCell(25, 25), (DisplayPoint{5 / d.Pitch(), 5 / d.Pitch()}));
}

TEST_F(DocDisplayTest, ZoomsFitOnlyFontsUpToTheirSize) {
    EXPECT_TRUE(DocDisplay::ZoomFits(2, 32, 48));
    EXPECT_FALSE(DocDisplay::ZoomFits(2, 33, 48));
    EXPECT_FALSE(DocDisplay::ZoomFits(2, 32, 49));
    EXPECT_TRUE(DocDisplay::ZoomFits(1, 16, 24));
    EXPECT_FALSE(DocDisplay::ZoomFits(1, 17, 24));
    EXPECT_FALSE(DocDisplay::ZoomFits(1, 16, 25));

    SetFont(16, 24);
    d.SetZoom(2, font);
    EXPECT_EQ(d.Pitch(), 11);
    EXPECT_EQ(d.MaxResolution, 0);
    EXPECT_EQ(d.GridRect.Width(), 176);
}

TEST_F(DocDisplayTest, NegativeMarginsNarrowTheEditRectOnly) {
    SetFont(16, 24, -2, -3);
    d.SetZoom(1, font);
    EXPECT_EQ(d.GridRect, (DisplayRect{20, 20, 20 + 352, 20 + 528}));
    EXPECT_EQ(d.EditRect, (DisplayRect{20 + 44, 20, 20 + 352 - 66, 20 + 528}));
    EXPECT_FALSE(d.IsOnGrid(20 + 43, 30));
    EXPECT_TRUE(d.IsOnGrid(20 + 44, 30));
    EXPECT_FALSE(d.IsOnGrid(20 + 352 - 66, 30));

    // Positive margins are blank columns of the packed row, not of the grid.
    SetFont(16, 24, 2, 3);
    d.SetZoom(1, font);
    EXPECT_EQ(d.EditRect, d.GridRect);
}

TEST_F(DocDisplayTest, PointToCellDividesByThePitch) {
    SetFont(16, 24);
    d.SetZoom(2, font);
    EXPECT_EQ(d.PointToCell(20, 20), (DisplayPoint{0, 0}));
    EXPECT_EQ(d.PointToCell(20 + 10, 20 + 11), (DisplayPoint{0, 1}));
    EXPECT_EQ(d.LastHitCell, (DisplayPoint{0, 1}));
    EXPECT_EQ(d.CellRect(2, 3), (DisplayRect{42, 53, 53, 64}));
}

TEST_F(DocDisplayTest, PreviewIsCentredInItsFrameAndGrowsWithTheMode) {
    SetFont(10, 20);
    d.SetMaxResolution(font);
    EXPECT_EQ(d.PreviewFrame, (DisplayRect{472, 20, 600, 212}));
    EXPECT_EQ(d.PreviewZone, (DisplayRect{472 + 59, 20 + 86, 472 + 69, 20 + 106}));
    EXPECT_EQ(d.ScrollSize.x, 620);
    EXPECT_EQ(d.PrintTableRect, (DisplayRect{20, 20 * 35 + 40, 10 * 17 + 20, 20 * 35 + 20 * 17 + 40}));

    d.SetPreviewMode(DocDisplay::kPreviewDoubleHeight);
    EXPECT_EQ(d.PreviewZone, (DisplayRect{531, 96, 541, 136}));
    EXPECT_EQ(d.PreviewDotRect(1, 2), (DisplayRect{532, 100, 533, 102}));
    d.SetPreviewMode(DocDisplay::kPreviewDoubleBoth);
    EXPECT_EQ(d.PreviewZone, (DisplayRect{526, 96, 546, 136}));
    EXPECT_EQ(d.PreviewDotRect(1, 2), (DisplayRect{528, 100, 530, 102}));
    d.SetPreviewMode(7);
    EXPECT_EQ(d.PreviewZone, d.BasePreviewZone);
    EXPECT_EQ(d.PreviewDotRect(1, 2), (DisplayRect{532, 108, 533, 109}));

    d.SetPreviewMode(DocDisplay::kPreviewDoubleWidth);
    d.SetZoom(2, font);
    EXPECT_EQ(d.PreviewMode, DocDisplay::kPreviewNormal);
    EXPECT_EQ(d.PreviewZone, d.BasePreviewZone);
}

}  // namespace
