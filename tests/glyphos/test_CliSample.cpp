// glyphos-cli sample end to end: the picture's cells hold exactly the dots
// `show` prints, at any scale; what cannot be drawn leaves an empty cell and
// says so.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>

#include "CliRunner.h"
#include "GlyphosDocCore.h"
#include "TestFonts.h"
#include "TestUi.h"

namespace {

const std::string kDemo = std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw";

// A cell of the picture as `show` prints a character: rows of '#' and '.',
// one character per dot of `scale` x `scale` pixels that must all agree.
std::string Cell(const QImage& image, int x0, int y0, int w, int h, int scale) {
    std::string out;
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            const bool ink = qGray(image.pixel((x0 + col) * scale, (y0 + row) * scale)) < 128;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    if ((qGray(image.pixel((x0 + col) * scale + dx, (y0 + row) * scale + dy)) < 128) != ink)
                        return "dot " + std::to_string(col) + "," + std::to_string(row) + " is not one colour";
            out += ink ? '#' : '.';
        }
        out += '\n';
    }
    return out;
}

class CliSampleTest : public ::testing::Test {
protected:
    CliRun Cli(std::vector<std::string> args) {
        args.push_back("--log-dir");
        args.push_back(dir.path());
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    }
    // A 10 x 5 font, characters A and B, with a left margin: the margin's
    // column is part of the cell as `show` prints it.
    std::string MakeKfn() {
        CGlyphosDocCore doc;
        ApplyTestFont(doc, 10, 5, 'A', 'B', L"Margins", 1, 0);
        KalvoFont& f = doc.GetFont();
        for (int r = 0; r < 5; ++r) {
            f.SetPixel('A', r, 0);
            f.SetPixel('A', r, 9);
            f.SetPixel('B', r, r);
        }
        const std::string path = dir.File("m.kfn");
        EXPECT_TRUE(doc.SaveKfnFile(CString::FromUtf8(path)));
        return path;
    }
    TempDir dir;
};

TEST_F(CliSampleTest, EachCellHoldsExactlyTheDotsShowPrintsAtEveryScale) {
    ASSERT_EQ(Cli({"extract", kDemo, "2", dir.File("demo2.kfn")}).exitCode, 0);
    struct Case {
        std::string font;
        std::vector<std::string> options;
        std::string kfn;  // the same font, for show
        int scale;
    } cases[] = {
        {MakeKfn(), {}, dir.File("m.kfn"), 1},
        {MakeKfn(), {"--scale", "3"}, dir.File("m.kfn"), 3},
        {kDemo, {}, dir.File("demo2.kfn"), 1},  // default: font 1 (12 x 24)
        {kDemo, {"--font", "2", "--scale", "3"}, dir.File("demo2.kfn"), 3},
    };
    ASSERT_EQ(Cli({"extract", kDemo, "1", dir.File("demo1.kfn")}).exitCode, 0);
    cases[2].kfn = dir.File("demo1.kfn");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font + " scale " + std::to_string(c.scale));
        std::vector<std::string> args = {"sample", c.font, "ABBA", dir.File("out.png")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun r = Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::string a = Cli({"show", c.kfn, "65"}).out, b = Cli({"show", c.kfn, "66"}).out;
        const int w = static_cast<int>(a.find('\n')), h = static_cast<int>(std::count(a.begin(), a.end(), '\n'));
        const QImage image(QString::fromStdString(dir.File("out.png")));
        ASSERT_FALSE(image.isNull());
        // Four cells side by side, one line high: nothing beside or below them.
        EXPECT_EQ(image.width(), 4 * w * c.scale);
        EXPECT_EQ(image.height(), h * c.scale);
        const std::string expected[] = {a, b, b, a};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Cell(image, i * w, 0, w, h, c.scale), expected[i]) << "cell " << i;
    }
}

TEST_F(CliSampleTest, WhatCannotBeDrawnLeavesAnEmptyCellAndAWarning) {
    const std::string kfn = MakeKfn();
    struct Case {
        std::string text;
        std::vector<std::string> options;
        std::string warning;
        int emptyCell;
        int lines;
    } cases[] = {
        {"A\xC3\xA9"
         "B",
         {"--codepage", "20127"},
         "warning: code page 20127 has no code for \xC3\xA9 (U+00E9)",
         1,
         1},
        {"AZB", {}, "warning: character 90 is outside the font (65..66)", 1, 1},
        {"AB\n\xFF", {}, "warning: code page 1252 has no code for U+FFFD", 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> args = {"sample", kfn, c.text, dir.File("out.png")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun r = Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("glyphos-cli: " + c.warning), std::string::npos) << r.err;
        const QImage image(QString::fromStdString(dir.File("out.png")));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.height(), 5 * c.lines);
        const int cell = c.emptyCell;
        const int x = (c.lines == 1 ? cell : 0) * 10, y = (c.lines == 1 ? 0 : 5);
        std::string blank;
        for (int r = 0; r < 5; ++r) blank += "..........\n";
        EXPECT_EQ(Cell(image, x, y, 10, 5, 1), blank);
    }
}

TEST_F(CliSampleTest, WrongArgumentsExitTwoAndFailuresOne) {
    const std::string kfn = MakeKfn();
    const std::string png = dir.File("out.png");
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string says;
    } cases[] = {
        {{"sample", kfn, "AB"}, 2, "missing argument"},
        {{"sample", kfn, "AB", png, "--scale", "17"}, 2, "option --scale needs a whole number from 1 to 16"},
        {{"sample", kfn, "AB", png, "--font", "2"}, 2, "--font goes with a .psw file"},
        {{"sample", kfn, "AB", dir.File("out.bmp")}, 2, "OUT must be a .png file"},
        {{"sample", dir.File("f.txt"), "AB", png}, 2, "FONT must end in"},
        {{"sample", kfn, "\n", png}, 2, "TEXT has no character to draw"},
        {{"sample", kfn, "AB", png, "--codepage", "3"}, 2, "code page 3 is not known here"},
        {{"sample", dir.File("none.kfn"), "AB", png}, 1, "cannot read the font file"},
        {{"sample", kDemo, "AB", png, "--font", "9"}, 1, "font 9 is not among the fonts offered"},
        {{"sample", kfn, "AB", dir.File("no/such/dir/out.png")}, 1, "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_NE(r.err.find("glyphos-cli: error: " + c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(png));
}

}  // namespace
