#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "GlyphRenderer.h"
#include "KalvoFont.h"
#include "LogFontQFont.h"

namespace {

void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "glyphos-tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QGuiApplication(argc, argv);
}

class GlyphRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApp();
        Record(16, 24, 32, 255);
        lf.lfFaceName = L"DejaVu Sans Mono";
        lf.lfHeight = -20;
    }
    void Record(int width, int height, int first, int last) {
        font.SetHeaderGeneration(0);
        font.SetWidth(width);
        font.SetHeight(height);
        font.SetFirstChar(first);
        font.SetLastChar(last);
    }
    void Render(ImportPlacement placement = {}, std::uint32_t codePage = 1252) {
        GlyphRenderer::RenderFont(font, lf, codePage, placement);
    }
    int Ink(int ch, const std::function<bool(int row, int col)>& where = {}) const {
        int n = 0;
        for (int r = 0; r < KalvoFont::kRows; ++r)
            for (int c = 0; c < KalvoFont::kCols; ++c)
                if (font.GetPixel(ch, r, c) && (!where || where(r, c))) ++n;
        return n;
    }

    LogFontRecord lf;
    KalvoFont font;
};

TEST_F(GlyphRendererTest, LetterFillsTheMiddleOfItsCellAndNothingOutside) {
    Render();
    EXPECT_GT(Ink('A', [](int, int c) { return c >= 6 && c <= 9; }), 0);
    EXPECT_EQ(Ink('A', [](int r, int c) { return r >= 24 || c >= 16; }), 0);
    EXPECT_GT(Ink('A'), 20);
}

TEST_F(GlyphRendererTest, OriginMovesTheDotsAndStretchOneIsTheDirectDrawing) {
    Render();
    KalvoFont plain;
    for (int r = 0; r < 24; ++r)
        for (int c = 0; c < 16; ++c)
            if (font.GetPixel('A', r, c)) plain.SetPixel('A', r, c);

    // The unstretched drawing of the last character is what the grid holds.
    GlyphRenderer direct(lf, 1252, 16, 24, {});
    direct.RenderChar(font, 'A');
    for (int r = 0; r < 24; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(font.GetPixel('A', r, c) != 0, direct.DirectCell().Ink(c, r)) << r << "," << c;

    Render({2, 0, 1.0f, 1.0f});
    for (int r = 0; r < 24; ++r) {
        EXPECT_EQ(font.GetPixel('A', r, 0) + font.GetPixel('A', r, 1), 0);
        for (int c = 0; c + 2 < 16; ++c) ASSERT_EQ(font.GetPixel('A', r, c + 2), plain.GetPixel('A', r, c)) << r << "," << c;
    }
}

TEST_F(GlyphRendererTest, HalfStretchLeavesTheBottomAndRightHalvesEmpty) {
    Render({0, 0, 0.5f, 0.5f});
    EXPECT_GT(Ink('W'), 0);
    EXPECT_EQ(Ink('W', [](int r, int c) { return r >= 12 || c >= 8; }), 0);
    // A shrunk glyph keeps its thin strokes: the stroke of "l" survives.
    EXPECT_GT(Ink('l'), 0);
}

TEST_F(GlyphRendererTest, OnlyTheRangeIsRenderedAndEverythingElseCleared) {
    font.SetBlock(0, 0, 0, 8);
    font.SetBlock(200, 0, 0, 8);
    Record(16, 24, 65, 90);
    Render();
    int inked = 0;
    for (int ch = 0; ch < 256; ++ch) {
        if (ch >= 65 && ch <= 90) {
            inked += Ink(ch) > 0;
        } else {
            ASSERT_EQ(Ink(ch), 0) << ch;
        }
    }
    EXPECT_EQ(inked, 26);
}

TEST_F(GlyphRendererTest, BoxDrawingOfCodePage437SpansTheLineAndTheAdvance) {
    const QFontMetrics fm(ToQFont(lf));
    const int lineHeight = std::min(24, fm.ascent() + fm.descent());
    const int advance = std::min(16, fm.horizontalAdvance(QChar(0x2500)));
    Render({}, 437);
    bool vertical = false;
    for (int c = 0; c < 16 && !vertical; ++c) {
        int run = 0;
        for (int r = 0; r < lineHeight; ++r) run += font.GetPixel(0xB3, r, c);
        vertical = run == lineHeight;
    }
    EXPECT_TRUE(vertical) << "no column inked over the " << lineHeight << " rows of the line";
    bool horizontal = false;
    for (int r = 0; r < 24 && !horizontal; ++r) {
        int run = 0;
        for (int c = 0; c < advance; ++c) run += font.GetPixel(0xC4, r, c);
        horizontal = run == advance;
    }
    EXPECT_TRUE(horizontal) << "no row inked over the advance of " << advance;
}

TEST_F(GlyphRendererTest, CodesWithoutACharacterRenderEmpty) {
    struct Case {
        std::uint32_t codePage;
        int code;
    };
    for (const Case& c : {Case{1252, 0x81}, Case{65001, 0xE9}, Case{437, 0x01}, Case{1252, 0x20}}) {
        font.SetBlock(c.code, 0, 0, 16);
        Record(16, 24, c.code, c.code);
        Render({}, c.codePage);
        EXPECT_EQ(Ink(c.code), 0) << c.codePage << ":" << c.code;
    }
}

TEST_F(GlyphRendererTest, LargeGlyphsGiveTheDotsOfQtsOwnTextDrawing) {
    // Glyphs this large are drawn from their outlines as designed, as Qt
    // draws them: the dots are Qt's, but for a dot right on an outline,
    // which FreeType's rasterizer and Qt's may round either way.
    lf.lfHeight = -72;
    for (const wchar_t* face : {L"DejaVu Sans", L"DejaVu Sans Mono"}) {
        lf.lfFaceName = face;
        GlyphRenderer renderer(lf, 1252, 64, 96, {});
        const QFont qfont = ToQFont(lf);
        for (char c : {'A', 'g', '@'}) {
            KalvoFont again;
            renderer.RenderChar(again, c);
            renderer.RenderChar(font, c);  // the same dots every time
            QImage qt(64, 96, QImage::Format_RGB32);
            qt.fill(Qt::white);
            QPainter p(&qt);
            p.setFont(qfont);
            p.setPen(Qt::black);
            p.drawText(QPointF(0, std::lround(QFontMetricsF(qfont).ascent())), QString(QChar(c)));
            p.end();
            const auto qtBlack = [&](int k, int r) {
                return k >= 0 && r >= 0 && k < 64 && r < 96 && qt.pixel(k, r) == 0xFF000000u;
            };
            int differ = 0;
            int inked = 0;
            for (int r = 0; r < 96; ++r)
                for (int k = 0; k < 64; ++k) {
                    const bool black = qtBlack(k, r);
                    ASSERT_TRUE(black || qt.pixel(k, r) == 0xFFFFFFFFu) << "antialiased pixel";
                    ASSERT_EQ(font.GetPixel(c, r, k), again.GetPixel(c, r, k));
                    inked += black;
                    if (black == (font.GetPixel(c, r, k) != 0)) continue;
                    ++differ;
                    // On the outline: Qt's drawing has both colours beside it.
                    bool edge = false;
                    for (int dr = -1; dr <= 1; ++dr)
                        for (int dk = -1; dk <= 1; ++dk) edge = edge || qtBlack(k + dk, r + dr) != black;
                    EXPECT_TRUE(edge) << c << " differs inside a stroke at " << k << "," << r;
                }
            EXPECT_LE(differ * 50, inked) << c;  // 2 % at most
            EXPECT_GT(inked, 100) << c;
        }
    }
}

TEST_F(GlyphRendererTest, HeightsAreCharacterOrCellHeightsInPixels) {
    EXPECT_EQ(LogFontRecord::HeightForPoints(11), -15);
    EXPECT_EQ(LogFontRecord::HeightForPoints(12), -16);
    lf.lfHeight = -15;
    EXPECT_EQ(ToQFont(lf).pixelSize(), 15);
    // A positive height is the cell: the character height is smaller.
    lf.lfHeight = 24;
    const QFont cell = ToQFont(lf);
    EXPECT_LT(cell.pixelSize(), 24);
    EXPECT_NEAR(QFontMetrics(cell).height(), 24, 1);
}

// The slant of a character: how far right the ink of its upper half lies of
// the ink of its lower half, in dots.
double Slant(const KalvoFont& font, int ch) {
    double top = 0, bottom = 0;
    int nTop = 0, nBottom = 0, first = -1, last = -1;
    for (int r = 0; r < KalvoFont::kRows; ++r)
        for (int c = 0; c < KalvoFont::kCols; ++c)
            if (font.GetPixel(ch, r, c)) {
                if (first < 0) first = r;
                last = r;
            }
    for (int r = first; r >= 0 && r <= last; ++r)
        for (int c = 0; c < KalvoFont::kCols; ++c)
            if (font.GetPixel(ch, r, c)) {
                if (r < (first + last) / 2) {
                    top += c;
                    ++nTop;
                } else {
                    bottom += c;
                    ++nBottom;
                }
            }
    return nTop && nBottom ? top / nTop - bottom / nBottom : 0;
}

// Rows of a character with at least `dots` set dots.
std::vector<int> FullRows(const KalvoFont& font, int ch, int dots) {
    std::vector<int> rows;
    for (int r = 0; r < KalvoFont::kRows; ++r) {
        int n = 0;
        for (int c = 0; c < KalvoFont::kCols; ++c) n += font.GetPixel(ch, r, c);
        if (n >= dots) rows.push_back(r);
    }
    return rows;
}

TEST_F(GlyphRendererTest, BoldItalicUnderlineAndStrikeOutShowInTheDots) {
    Record(16, 24, 32, 126);
    Render();
    const int regularInk = Ink('H');
    const double regularSlant = Slant(font, 'l');
    EXPECT_EQ(Ink(' '), 0);

    lf.lfWeight = 700;
    Render();
    EXPECT_GT(Ink('H'), regularInk + 10) << "bold";
    lf.lfWeight = 400;
    lf.lfItalic = 1;
    Render();
    EXPECT_GT(Slant(font, 'l'), regularSlant + 1.5) << "italic";
    lf.lfItalic = 0;

    // On a space the lines are all there is: across the advance (12 dots
    // at this size), the underline below the baseline, the strike-out
    // around the middle of the letters.
    lf.lfUnderline = 1;
    Render();
    const std::vector<int> under = FullRows(font, ' ', 10);
    ASSERT_FALSE(under.empty()) << "underline";
    EXPECT_GE(under.front(), 18);
    lf.lfUnderline = 0;
    lf.lfStrikeOut = 1;
    Render();
    const std::vector<int> through = FullRows(font, ' ', 10);
    ASSERT_FALSE(through.empty()) << "strike-out";
    EXPECT_GE(through.front(), 8);
    EXPECT_LE(through.back(), 15);
}

// The editor's font dialog lists fontconfig's family names, and each finds
// its own faces again: no foundry tags, no family refused.
TEST(GlyphRendererFacesTest, EveryInstalledFamilyIsFoundUnderItsOwnName) {
    const std::vector<std::string> families = GlyphRenderer::InstalledFamilies();
    EXPECT_NE(std::find(families.begin(), families.end(), "DejaVu Sans Mono"), families.end());
    LogFontRecord lf;
    for (const std::string& family : families) {
        EXPECT_EQ(family.find('['), std::string::npos) << family;
        lf.lfFaceName = CString::FromUtf8(family).GetString();
        const FaceChoice face = GlyphRenderer::ChooseFace(lf);
        EXPECT_TRUE(face.named) << family << " found as " << face.family;
        EXPECT_EQ(face.family, family);
    }
    lf.lfFaceName = L"dejavu sans MONO";
    EXPECT_EQ(GlyphRenderer::ChooseFace(lf).family, "DejaVu Sans Mono");
    lf.lfFaceName = L"No Such Family Anywhere";
    const FaceChoice missing = GlyphRenderer::ChooseFace(lf);
    EXPECT_FALSE(missing.named);
    EXPECT_FALSE(missing.family.empty());
}

}  // namespace
