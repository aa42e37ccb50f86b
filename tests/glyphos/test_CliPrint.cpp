// End-to-end: glyphos-cli print, the page read back from the PDF.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "GlyphosDocCore.h"
#include "PdfRender.h"
#include "TestFonts.h"
#include "TestUi.h"

namespace {

constexpr QRgb kBlue = 0x0101FF;

// An 8 x 10 font of 0x20..0x7F; 'A' (0x41) is a frame with a dot inside.
class CliPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        CGlyphosDocCore doc;
        ApplyTestFont(doc, 8, 10, 0x20, 0x7F, L"Proof");
        KalvoFont& f = doc.GetFont();
        for (int c = 0; c < 8; ++c) {
            f.SetPixel(0x41, 0, c);
            f.SetPixel(0x41, 9, c);
        }
        for (int row = 0; row < 10; ++row) {
            f.SetPixel(0x41, row, 0);
            f.SetPixel(0x41, row, 7);
        }
        f.SetPixel(0x41, 4, 3);
        f.SetPixel(0x42, 5, 5);
        ASSERT_EQ(doc.SaveKfnFile(CString::FromUtf8(kfn)), 1);
    }
    CliRun Cli(std::vector<std::string> args) {
        args.insert(args.begin(), "print");
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    // The one page of a PDF at 100 dpi: with factor 6 at 600 dpi one
    // logical unit is one pixel.
    QImage Page(const std::string& pdf) {
        std::vector<QImage> pages = RenderPdfPages(pdf, 100);
        EXPECT_EQ(pages.size(), 1u);
        return pages.empty() ? QImage() : pages[0];
    }

    TempDir dir;
    const std::string kfn = dir.File("proof.kfn");
};

TEST_F(CliPrintTest, ThePageShowsTheCharacterOutlinedInTheTableWithItsDots) {
    const std::string pdf = dir.File("proof.pdf");
    CliRun r = Cli({kfn, pdf, "--char", "0x41"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage page = Page(pdf);
    ASSERT_FALSE(page.isNull());
    page.save(QString::fromStdString(dir.File("proof.png")));

    // The outline of the cell of 0x41 covers its edges: one unit more than
    // the 8 x 10 cell each way.
    const QRect cell = BoundsOfColor(page, kBlue);
    ASSERT_EQ(cell.size(), QSize(9, 11));
    // Ink exactly where the character has dots (inside the outline).
    for (int row = 1; row < 9; ++row) {
        for (int c = 1; c < 7; ++c) {
            const bool ink = (page.pixel(cell.left() + c, cell.top() + row) & 0xFFFFFF) == 0;
            EXPECT_EQ(ink, row == 4 && c == 3) << row << "," << c;
        }
    }
    // The neighbour 0x42 sits one cell to the right, its dot at (5, 5).
    EXPECT_EQ(page.pixel(cell.left() + 8 + 5, cell.top() + 5) & 0xFFFFFF, 0u);
    // The enlarged grid above the table, at "Zoom x 2": 11 units a dot,
    // framed in the border colour; the dot (row 4, column 3) is filled.
    const QRect grid = BoundsOfColor(page, 0x646464);
    ASSERT_EQ(grid.size(), QSize(8 * 11 + 1, 10 * 11 + 1));
    EXPECT_EQ(page.pixel(grid.left() + 11 * 3 + 5, grid.top() + 11 * 4 + 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(page.pixel(grid.left() + 11 * 2 + 5, grid.top() + 11 * 4 + 5) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(CliPrintTest, TheFactorScalesThePage) {
    ASSERT_EQ(Cli({kfn, dir.File("f6.pdf")}).exitCode, 0);
    ASSERT_EQ(Cli({kfn, dir.File("f12.pdf"), "--factor", "12", "--paper", "letter"}).exitCode, 0);
    const QRect at6 = BoundsOfColor(Page(dir.File("f6.pdf")), 0xBEBEBE);
    const QRect at12 = BoundsOfColor(Page(dir.File("f12.pdf")), 0xBEBEBE);
    ASSERT_FALSE(at6.isEmpty());
    EXPECT_EQ(at6.size(), QSize(17 * 8, 17 * 10));
    EXPECT_EQ(at12.size(), at6.size() * 2);
}

TEST_F(CliPrintTest, RefusalsLeaveNoFile) {
    const std::string pdf = dir.File("out.pdf");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{kfn, pdf, "--factor", "0"}, 2},
        {{kfn, pdf, "--factor", "21"}, 2},
        {{kfn, pdf, "--paper", "a3"}, 2},
        {{kfn, pdf, "--char", "300"}, 2},
        {{kfn}, 2},
        {{kfn, pdf, "--char", "0x10"}, 1},  // outside 0x20..0x7F
        {{dir.File("none.kfn"), pdf}, 1},
        {{kfn, dir.File("no/such/folder/out.pdf")}, 1},
    };
    for (const Case& c : cases) {
        CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << r.err;
        EXPECT_NE(r.err.find("glyphos-cli: error:"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(pdf));
    // Nothing left behind beside the target either.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().extension() == ".pdf", false) << e.path();
}

}  // namespace
