// The simulated printer's receipt: lines wrapped on the strip, the fonts it
// prints with, and end to end over a pseudo-terminal with ostrel-service
// sending the line (and the upgrade that brings an edited font).
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "CliRunner.h"
#include "GlyphosDocCore.h"
#include "PrinterSimProcess.h"
#include "ReceiptStrip.h"
#include "TestFonts.h"
#include "TestUi.h"

namespace {

using namespace std::chrono_literals;
const std::string kDemo = std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw";
const std::string kPrinters = std::string(GLYPHOS_SOURCE_DIR) + "/samples/printers/";

struct PickFirst : IDocChoices {
    int SelectFont(const std::vector<FontChoice>& c) override { return c.empty() ? -1 : 0; }
};

// Rows of '#' and '.' of a character of a font, as `show` prints them.
std::string Glyph(const KalvoFont& f, int code) {
    std::string out;
    for (int r = 0; r < f.GetHeight(); ++r) {
        for (int c = 0; c < f.GetWidth(); ++c) out += f.GetPixel(code, r, c) ? '#' : '.';
        out += '\n';
    }
    return out;
}

std::string Cell(const QImage& image, int x0, int y0, int w, int h) {
    std::string out;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) out += qGray(image.pixel(x0 + c, y0 + r)) < 128 ? '#' : '.';
        out += '\n';
    }
    return out;
}

TEST(ReceiptStrip, WrapsLinesAtTheEdgeOfThePaper) {
    CGlyphosDocCore doc;
    ApplyTestFont(doc, 10, 4, 'A', 'C', L"T");
    for (int ch = 'A'; ch <= 'C'; ++ch)
        for (int r = 0; r < 4; ++r) doc.GetFont().SetPixel(ch, r, ch - 'A');
    struct Case {
        int paper;
        std::vector<std::string> lines;
        int rows;  // character rows on the strip
    } cases[] = {
        {30, {"ABC"}, 1}, {30, {"ABCA"}, 2}, {30, {"ABCABCA"}, 3}, {30, {"", "A"}, 2}, {5, {"AB"}, 2},
    };
    for (const Case& c : cases) {
        ReceiptStrip strip(c.paper);
        for (const auto& l : c.lines) strip.Print(doc.GetFont(), l);
        const DotImage p = strip.Picture();
        EXPECT_EQ(p.width, c.paper);
        EXPECT_EQ(p.height, 4 * c.rows) << c.paper << " " << c.lines.back();
    }
    // The fourth character starts the second row at the left edge.
    ReceiptStrip strip(30);
    strip.Print(doc.GetFont(), "ABCB");
    const DotImage p = strip.Picture();
    EXPECT_TRUE(p.Ink(1, 4));
    EXPECT_TRUE(p.Ink(22, 0));
    EXPECT_FALSE(p.Ink(11, 4));
}

TEST(PrinterFonts, ReadTheFontANameOrNumberSays) {
    TempDir dir;
    struct Case {
        std::string fontArg;
        int width;  // 0: refused
    } cases[] = {
        {kDemo, 12},
        {kDemo + ":2", 8},
        {kDemo + ":3", 0},
        {kDemo + ":0", 0},
        {dir.File("x.kfn:2"), 0},
        {dir.File("none.kfn"), 0},
        {dir.File("f.txt"), 0},
    };
    for (const Case& c : cases) {
        CGlyphosDocCore doc;
        std::string error;
        const bool ok = PrinterFonts::Load(c.fontArg, CString::FromUtf8(dir.path()), doc, error);
        EXPECT_EQ(ok, c.width != 0) << c.fontArg << ": " << error;
        if (ok) {
            EXPECT_EQ(doc.GetFont().GetWidth(), c.width) << c.fontArg;
        } else {
            EXPECT_FALSE(error.empty()) << c.fontArg;
        }
    }
    CGlyphosDocCore builtin;
    PrinterFonts::LoadBuiltin(builtin);
    EXPECT_EQ(builtin.GetFont().GetWidth(), 12);
    EXPECT_EQ(builtin.GetFont().GetHeight(), 24);
    EXPECT_NE(Glyph(builtin.GetFont(), 'A'), Glyph(builtin.GetFont(), ' '));
}

class SimReceiptTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<PrinterSimProcess> sim;

    void Start(std::vector<std::string> extra, std::vector<std::string> options) {
        std::vector<std::string> script;
        std::istringstream in(ReadText(kPrinters + "demo-printer.sim"));
        for (std::string l; std::getline(in, l);) script.push_back(l);
        script.insert(script.end(), extra.begin(), extra.end());
        sim = std::make_unique<PrinterSimProcess>(script, GLYPHOS_BINARY_DIR "/bin", 20s, options);
        ASSERT_TRUE(sim->Started()) << sim->Error();
    }
    CliRun Service(std::vector<std::string> args) {
        std::vector<std::string> all = {"--port",   sim->Path(), "--config", kPrinters + "demo-printer.cfg",
                                        "--folder", dir.path(),  "--log",    dir.File("service.log")};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(BuiltProgram("ostrel-service"), all, dir.path());
    }
    // The line of characters at dot row `top` of the receipt, cell by cell.
    void ExpectLine(const QImage& receipt, int top, const KalvoFont& f, const std::string& text) {
        const int w = f.GetWidth(), h = f.GetHeight();
        for (std::size_t i = 0; i < text.size(); ++i)
            EXPECT_EQ(Cell(receipt, static_cast<int>(i) * w, top, w, h), Glyph(f, text[i])) << "cell " << i;
        // Nothing after the text.
        const int end = static_cast<int>(text.size()) * w;
        std::string blank;
        for (int r = 0; r < h; ++r) blank += std::string(static_cast<std::size_t>(receipt.width() - end), '.') + "\n";
        EXPECT_EQ(Cell(receipt, end, top, receipt.width() - end, h), blank);
    }
};

TEST_F(SimReceiptTest, APrintedLineIsDrawnWithTheFontGiven) {
    // The demo's small font, so that the receipt is not the built-in one.
    CGlyphosDocCore font;
    ASSERT_EQ(RunProgram(BuiltProgram("glyphos-cli"),
                         {"extract", kDemo, "2", dir.File("f.kfn"), "--log-dir", dir.path()}, dir.path())
                  .exitCode,
              0);
    ASSERT_TRUE(font.LoadKfnFile(CString::FromUtf8(dir.File("f.kfn"))));
    const std::string receipt = dir.File("r.png");
    Start({}, {"--font", dir.File("f.kfn"), "--receipt", receipt, "--paper-dots", "200"});
    ASSERT_EQ(Service({"detect"}).exitCode, 0);
    const CliRun r = Service({"print", "BAAB"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(sim->WaitFor("print BAAB", 20s));
    const QImage image(QString::fromStdString(receipt));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 200);
    EXPECT_EQ(image.height(), 16);
    ExpectLine(image, 0, font.GetFont(), "BAAB");
    sim->Stop();
}

TEST_F(SimReceiptTest, AnUpgradeOfThePrintersModelBringsItsEditedFont) {
    // The demo file with its letter A turned into a frame.
    const std::string psw = dir.File("edited.psw");
    std::filesystem::copy_file(kDemo, psw);
    CGlyphosDocCore doc;
    doc.SetLogDir(CString::FromUtf8(dir.path()));
    PickFirst first;
    ASSERT_EQ(doc.OpenFromPsw(CString::FromUtf8(psw), first), 1);
    KalvoFont& f = doc.GetFont();
    f.ClearChar('A');
    for (int i = 0; i < 12; ++i) {
        f.SetPixel('A', 0, i);
        f.SetPixel('A', 23, i);
    }
    ASSERT_EQ(doc.SaveIntoPsw(CString::FromUtf8(psw), first), 1);

    const std::string receipt = dir.File("r.png");
    Start({"model 0x50", "baud 38400", "buffer 65536"}, {"--receipt", receipt});
    const CliRun up = Service({"upgrade", psw});
    ASSERT_EQ(up.exitCode, 0) << up.err;
    ASSERT_TRUE(sim->WaitFor("font DEMO-80:1 12x24", 20s));
    const CliRun r = Service({"--baud", "38400", "print", "BA"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(sim->WaitFor("print BA", 20s));
    const QImage image(QString::fromStdString(receipt));
    ASSERT_EQ(image.height(), 24);
    ExpectLine(image, 0, f, "BA");
    sim->Stop();
}

TEST(PrinterFonts, OnlyAWholeUpgradeFileOfThePrintersModelBringsAFont) {
    TempDir dir;
    const std::string text = ReadText(kDemo);
    // The file twice, as the flow-control test sends it: prefixes of it.
    const std::vector<unsigned char> file = [&] {
        std::vector<unsigned char> twice(text.begin(), text.end());
        twice.insert(twice.end(), text.begin(), text.end());
        return twice;
    }();
    const std::size_t once = text.size();
    struct Case {
        std::size_t length;
        unsigned model;
        bool font;
    } cases[] = {{once, 80, true}, {once, 42, false}, {once / 2, 80, false}, {40, 80, false}, {2 * once, 80, false}};
    for (const Case& c : cases) {
        CGlyphosDocCore doc;
        const std::vector<unsigned char> data(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(c.length));
        EXPECT_EQ(PrinterFonts::FromUpgrade(data, c.model, dir.path(), doc), c.font) << c.length << " " << c.model;
        if (c.font) {
            EXPECT_EQ(doc.GetFont().GetWidth(), 12);
        }
    }
}

}  // namespace
