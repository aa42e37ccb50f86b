// Printer fonts through BDF and PSF and back, foreign fonts in, and the
// files that must be refused.
#include "BdfFile.h"
#include "CliRunner.h"
#include "FontConverter.h"
#include "GlyphosDocCore.h"
#include "Gzip.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

void WriteBytes(const std::string& path, const std::vector<unsigned char>& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// A font whose record uses every field: margins that widen the packed row,
// reversed byte order, a partial range, and dots in every stored column.
void MakeFont(CGlyphosDocCore& doc, int generation, unsigned seed) {
    unsigned char rec[30] = {};
    std::mt19937 rng(seed);
    for (unsigned char& b : rec) b = static_cast<unsigned char>(rng());
    if (generation == 0) {
        const unsigned char v1[16] = {'F', 3, 5, 12, 20, 33, 200, 0, 1, 2, 'H', 2, 0xFF, 1, 0, 1};
        std::copy(v1, v1 + 16, rec);
    } else {
        rec[0] = 'f';
        rec[3] = 8, rec[4] = 16, rec[5] = 0, rec[6] = 255;
        rec[12] = 0xFD, rec[13] = 3, rec[16] = 0;  // left -3, right 3
    }
    doc.ApplyPropertyRecord(rec, generation, CString::FromUtf8(generation ? "" : "2) Font 12 x \"20\""));
    KalvoFont& f = doc.GetFont();
    const int cols = f.GetFontBytesPerRow() * 8;
    for (int c = f.GetFirstChar(); c <= f.GetLastChar(); ++c)
        for (int r = 0; r < f.GetHeight(); ++r)
            for (int col = 0; col < cols; ++col)
                if (rng() % 3 == 0) f.SetPixel(c, r, col);
}

std::vector<unsigned char> Psf2Header(std::uint32_t headerSize, std::uint32_t count, std::uint32_t charSize,
                                      std::uint32_t h, std::uint32_t w) {
    std::vector<unsigned char> v = {0x72, 0xB5, 0x4A, 0x86};
    for (std::uint32_t x : {0u, headerSize, 0u, count, charSize, h, w})
        for (int i = 0; i < 4; ++i) v.push_back(static_cast<unsigned char>(x >> (8 * i)));
    return v;
}

class FontConverterTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedScriptedUi ui;
};

TEST_F(FontConverterTest, ExportedFontsComeBackWithEveryDotNameRangeAndRecord) {
    struct Case {
        const char* file;
        int generation;
        int codePage;
    } cases[] = {
        {"a.bdf", 0, 0}, {"b.bdf", 1, 0}, {"c.psf", 0, 0},   {"d.psf", 1, 0},
        {"e.psf.gz", 0, 0}, {"f.bdf.gz", 1, 0}, {"g.bdf", 0, 437}, {"h.psf", 1, 850},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CGlyphosDocCore doc;
        MakeFont(doc, c.generation, 7);
        FontConvertOptions out;
        out.codePage = c.codePage;
        std::string error;
        ASSERT_TRUE(FontConverter::Export(doc, CString::FromUtf8(dir.File(c.file)), out, error)) << error;
        CGlyphosDocCore back;
        ASSERT_TRUE(FontConverter::Import(CString::FromUtf8(dir.File(c.file)), {}, back, error)) << error;
        EXPECT_EQ(back.StoreKfn(), doc.StoreKfn());
    }
    // The code page shows in the file: CP437's 0x80 is U+00C7.
    EXPECT_NE(ReadText(dir.File("g.bdf")).find("ENCODING 199\n"), std::string::npos);
}

TEST_F(FontConverterTest, ForeignBdfGlyphsArePlacedByTheirBoxAndMappedThroughTheCodePage) {
    const std::string bdf =
        "STARTFONT 2.1\nFONT -x-Tiny-Medium-R-Normal--10-100-75-75-C-80-%s\n"
        "FONTBOUNDINGBOX 8 10 0 -2\nSTARTPROPERTIES 1\nCHARSET_REGISTRY \"%s\"\nENDPROPERTIES\nCHARS 1\n"
        "STARTCHAR x\nENCODING %d\nBBX 3 2 1 0\nBITMAP\nE0\nA0\nENDCHAR\nENDFONT\n";
    struct Case {
        const char* registry;
        int encoding;
        int codePage;
        int code;
    } cases[] = {{"ISO8859", 65, 0, 65}, {"ISO10646", 199, 0, 199}, {"ISO10646", 199, 437, 128}, {"ISO10646", 0x2591, 437, 176}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        char text[512];
        std::snprintf(text, sizeof text, bdf.c_str(), c.registry, c.registry, c.encoding);
        WriteText(dir.File("t.bdf"), text);
        CGlyphosDocCore doc;
        FontConvertOptions o;
        o.codePage = c.codePage;
        std::string error;
        ASSERT_TRUE(FontConverter::Import(CString::FromUtf8(dir.File("t.bdf")), o, doc, error)) << error;
        const KalvoFont& f = doc.GetFont();
        EXPECT_EQ(f.GetWidth(), 8);
        EXPECT_EQ(f.GetHeight(), 10);
        EXPECT_EQ(f.GetFirstChar(), c.code);
        EXPECT_EQ(f.GetLastChar(), c.code);
        EXPECT_EQ(f.GetFontName().ToUtf8(), std::string("-x-Tiny-Medium-R-Normal--10-100-75-75-C-80-") + c.registry);
        // Baseline at row 8; the 2-row glyph sits on it, one column in.
        EXPECT_EQ(f.GetGridByte(c.code, 6, 0), 0x70);
        EXPECT_EQ(f.GetGridByte(c.code, 7, 0), 0x50);
        EXPECT_EQ(f.GetInkRect(c.code, 63, 10).top, 6);
    }
}

TEST_F(FontConverterTest, DamagedOversizedAndForeignFilesAreRefusedAndLeaveTheDocument) {
    const std::string bdfHead = "STARTFONT 2.1\nFONTBOUNDINGBOX 8 8 0 0\nCHARS 1\n";
    std::vector<unsigned char> psfShort = Psf2Header(32, 256, 8, 8, 8);
    psfShort.resize(32 + 255 * 8);
    std::vector<unsigned char> psfTable = Psf2Header(32, 1, 8, 8, 8);
    psfTable[12] = 1;  // has a Unicode table, which is missing
    psfTable.resize(40);
    std::vector<unsigned char> gz = GzipCompress(Psf2Header(32, 1, 8, 8, 8));
    gz.resize(gz.size() / 2);
    struct Case {
        const char* file;
        std::vector<unsigned char> data;
        const char* why;
    } cases[] = {
        {"big.bdf", std::vector<unsigned char>{}, "65 x 10 dots are larger than the printer's 64 x 96"},
        {"big.psf", Psf2Header(32, 1, 130, 10, 65), "65 x 10 dots are larger than the printer's 64 x 96"},
        {"tall.psf", {0x36, 0x04, 0x00, 97}, "8 x 97 dots are larger"},
        {"cut.bdf", {}, "ends inside a glyph"},
        {"noend.bdf", {}, "ends before ENDFONT"},
        {"hex.bdf", {}, "bad bitmap row"},
        {"short.psf", psfShort, "shorter than its glyphs"},
        {"header.psf", Psf2Header(0xFFFFFFF0u, 1, 8, 8, 8), "header size"},
        {"size.psf", Psf2Header(32, 1, 9, 8, 8), "no valid glyphs"},
        {"table.psf", psfTable, "Unicode table is cut short"},
        {"half.psf.gz", gz, "damaged or cut short"},
        {"text.psf", {'h', 'i', '\n', 0}, "not a PSF font"},
        {"empty.bdf", {}, "not a BDF file"},
        {"font.ttf", {}, "import reads .bdf and .psf"},
        {"wide.bdf", {}, "line 6: glyphs of 65 x 8 dots are larger than the printer's 64 x 96"},
        {"many.bdf", {}, "more than 65536 glyphs"},
        {"rec0.bdf", {}, "GLYPHOS_RECORD describes a font of 0 x 8 dots"},
        {"rec97.bdf", {}, "8 x 97 dots"},
        {"range.bdf", {}, "characters 66..65"},
        {"many.psf", {}, "Unicode table names more than 65536 characters"},
    };
    const auto text = [](const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); };
    cases[0].data = text("STARTFONT 2.1\nFONTBOUNDINGBOX 65 10 0 0\nENDFONT\n");
    cases[3].data = text(bdfHead + "STARTCHAR a\nENCODING 65\nBBX 8 8 0 0\nBITMAP\nFF\n");
    cases[4].data = text(bdfHead + "STARTCHAR a\nENCODING 65\nBBX 8 1 0 0\nBITMAP\nFF\nENDCHAR\n");
    cases[5].data = text(bdfHead + "STARTCHAR a\nENCODING 65\nBBX 8 1 0 0\nBITMAP\nFG\nENDCHAR\nENDFONT\n");
    cases[14].data = text(bdfHead + "STARTCHAR a\nENCODING 65\nBBX 65 8 0 0\nBITMAP\nENDCHAR\nENDFONT\n");
    std::string many = bdfHead;
    for (int g = 0; g <= 65536; ++g) many += "STARTCHAR\nENCODING 1\nBITMAP\nENDCHAR\n";
    cases[15].data = text(many + "ENDFONT\n");
    // Our record (16 bytes): width, height, first and last at bytes 3..6.
    const auto withRecord = [&](const char* record) {
        return text("STARTFONT 2.1\nFONTBOUNDINGBOX 8 8 0 0\nGLYPHOS_GENERATION 0\nGLYPHOS_RECORD \"" +
                    std::string(record) + "\"\nENDFONT\n");
    };
    cases[16].data = withRecord("46000000084142000000480000000000");
    cases[17].data = withRecord("46000008614142000000480000000000");
    cases[18].data = withRecord("46000008084241000000480000000000");
    // One glyph named by 65537 code points in its Unicode table.
    std::vector<unsigned char> manyPsf = Psf2Header(32, 1, 1, 1, 8);
    manyPsf[12] = 1;
    manyPsf.push_back(0x80);
    for (std::uint32_t u = 0x10000; u <= 0x10000 + 65536; ++u) {
        manyPsf.push_back(static_cast<unsigned char>(0xF0 | u >> 18));
        manyPsf.push_back(static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F)));
        manyPsf.push_back(static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
        manyPsf.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
    }
    manyPsf.push_back(0xFF);
    cases[19].data = manyPsf;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteBytes(dir.File(c.file), c.data);
        CGlyphosDocCore doc;
        const std::vector<unsigned char> before = doc.StoreKfn();
        std::string error;
        EXPECT_FALSE(FontConverter::Import(CString::FromUtf8(dir.File(c.file)), {}, doc, error));
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        EXPECT_EQ(doc.StoreKfn(), before);
    }
}

TEST_F(FontConverterTest, RandomlyDamagedFilesNeverCrashTheReaders) {
    CGlyphosDocCore doc;
    MakeFont(doc, 1, 5);
    std::mt19937 rng(42);
    for (const char* name : {"r.bdf", "r.psf", "r.psf.gz"}) {
        std::string error;
        ASSERT_TRUE(FontConverter::Export(doc, CString::FromUtf8(dir.File(name)), {.codePage = 850}, error)) << error;
        const std::string text = ReadText(dir.File(name));
        const std::vector<unsigned char> good(text.begin(), text.end());
        for (int round = 0; round < 150; ++round) {
            std::vector<unsigned char> bad = good;
            if (round % 3 == 0) bad.resize(rng() % bad.size());
            for (int k = 0; k < 4 && !bad.empty(); ++k) bad[rng() % bad.size()] = static_cast<unsigned char>(rng());
            WriteBytes(dir.File(name), bad);
            CGlyphosDocCore back;
            FontConverter::Import(CString::FromUtf8(dir.File(name)), {}, back, error);  // either answer, no crash
        }
    }
}

TEST_F(FontConverterTest, DebianConsoleFontGivesTheConsolesA) {
    const std::string path = "/usr/share/consolefonts/Lat15-VGA16.psf.gz";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "console-setup-linux is not installed";
    CGlyphosDocCore doc;
    std::string error;
    ASSERT_TRUE(FontConverter::Import(CString::FromUtf8(path), {}, doc, error)) << error;
    const KalvoFont& f = doc.GetFont();
    EXPECT_EQ(f.GetWidth(), 8);
    EXPECT_EQ(f.GetHeight(), 16);
    EXPECT_EQ(f.GetFontName().ToUtf8(), "Lat15-VGA16");
    // The font's glyphs are not in code order: "A" is found through its
    // Unicode table. Its bitmap as the console draws it:
    const unsigned char a[16] = {0, 0, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0, 0, 0, 0};
    for (int r = 0; r < 16; ++r) EXPECT_EQ(f.GetGridByte('A', r, 0), a[r]) << "row " << r;
}

TEST_F(FontConverterTest, BdftopcfAcceptsOurBdf) {
    if (!std::filesystem::exists("/usr/bin/bdftopcf")) GTEST_SKIP() << "xfonts-utils is not installed";
    CGlyphosDocCore doc;
    MakeFont(doc, 0, 3);
    std::string error;
    for (int cp : {0, 1252}) {
        FontConvertOptions o;
        o.codePage = cp;
        ASSERT_TRUE(FontConverter::Export(doc, CString::FromUtf8(dir.File("x.bdf")), o, error)) << error;
        const CliRun run = RunProgram("/usr/bin/bdftopcf", {"-o", dir.File("x.pcf"), dir.File("x.bdf")}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_GT(std::filesystem::file_size(dir.File("x.pcf")), 1000u);
    }
}

TEST_F(FontConverterTest, ConvertCommandRoundTripsAndRefusesWhatItCannotDo) {
    CGlyphosDocCore doc;
    MakeFont(doc, 0, 11);
    ASSERT_TRUE(doc.SaveKfnFile(CString::FromUtf8(dir.File("in.kfn"))));
    const auto cli = [&](std::vector<std::string> args) {
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    };
    EXPECT_EQ(cli({"convert", dir.File("in.kfn"), dir.File("mid.psf")}).exitCode, 0);
    EXPECT_EQ(cli({"convert", dir.File("mid.psf"), dir.File("out.kfn")}).exitCode, 0);
    EXPECT_EQ(ReadText(dir.File("out.kfn")), ReadText(dir.File("in.kfn")));
    // A narrower range is what the copy holds.
    EXPECT_EQ(cli({"convert", dir.File("in.kfn"), dir.File("part.kfn"), "--first", "65", "--last", "90"}).exitCode, 0);
    CGlyphosDocCore part;
    ASSERT_TRUE(part.LoadKfnFile(CString::FromUtf8(dir.File("part.kfn"))));
    EXPECT_EQ(part.GetFont().GetFirstChar(), 65);
    EXPECT_EQ(part.GetFont().GetLastChar(), 90);
    for (int r = 0; r < 20; ++r) EXPECT_EQ(part.GetFont().GetGridByte(70, r, 1), doc.GetFont().GetGridByte(70, r, 1));

    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* says;
    } cases[] = {
        {{"convert", dir.File("in.kfn"), dir.File("out.txt")}, 2, "OUT must end in"},
        {{"convert", dir.File("in.kfn"), dir.File("o.bdf"), "--first", "90", "--last", "65"}, 2, "--first"},
        {{"convert", dir.File("in.kfn"), dir.File("o.bdf"), "--codepage", "x"}, 2, "--codepage"},
        {{"convert", dir.File("in.kfn"), dir.File("o.psf"), "--psf1"}, 1, "8 dots wide; this one is 16"},
        {{"convert", dir.File("in.kfn"), dir.File("o.bdf"), "--codepage", "9999"}, 1, "code page 9999"},
        {{"convert", dir.File("none.bdf"), dir.File("o.kfn")}, 1, "none.bdf"},
        {{"convert", dir.File("in.kfn"), dir.File("in.kfn")}, 2, "OUT is the input file itself"},
        {{"convert", dir.File("in.kfn"), dir.path() + "/./in.kfn"}, 2, "OUT is the input file itself"},
        {{"convert", dir.File("in.kfn"), dir.File("hard.kfn")}, 2, "OUT is the input file itself"},
        {{"convert", dir.File("in.kfn"), dir.File("soft.kfn")}, 2, "OUT is the input file itself"},
    };
    std::filesystem::create_hard_link(dir.File("in.kfn"), dir.File("hard.kfn"));
    std::filesystem::create_symlink(dir.File("in.kfn"), dir.File("soft.kfn"));
    for (const Case& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exit) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.psf")));
    EXPECT_EQ(ReadText(dir.File("in.kfn")), ReadText(dir.File("out.kfn")));
}

// What a file says but the conversion cannot keep is told, and the work done.
TEST_F(FontConverterTest, ConvertWarnsOfARecordOverruledAndOfAUnicodeTableLeftBehind) {
    // The record says 8 x 16, the glyphs were drawn in 8 x 8: the box wins.
    WriteText(dir.File("rec.bdf"), "STARTFONT 2.1\nFONTBOUNDINGBOX 8 8 0 0\nGLYPHOS_GENERATION 0\n"
                                   "GLYPHOS_RECORD \"46010108104141000000480000000000\"\nSTARTCHAR A\nENCODING 65\n"
                                   "BBX 8 8 0 0\nBITMAP\nFF\n00\n00\n00\n00\n00\n00\nFF\nENDCHAR\nENDFONT\n");
    std::vector<unsigned char> psf = Psf2Header(32, 1, 8, 8, 8);
    psf[12] = 1;
    psf.insert(psf.end(), 8, 0xFF);
    psf.insert(psf.end(), {'A', 0xFF});
    WriteBytes(dir.File("console.psf"), psf);
    const auto cli = [&](std::vector<std::string> args) {
        return RunProgram(BuiltProgram("glyphos-cli"), std::move(args), dir.path());
    };
    CliRun r = cli({"convert", dir.File("rec.bdf"), dir.File("rec.kfn")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("warning: " + dir.File("rec.bdf") +
                         ": GLYPHOS_RECORD gives 8 x 16 dots, FONTBOUNDINGBOX 8 x 8: the bounding box is taken"),
              std::string::npos)
        << r.err;
    CGlyphosDocCore doc;
    ASSERT_TRUE(doc.LoadKfnFile(CString::FromUtf8(dir.File("rec.kfn"))));
    EXPECT_EQ(doc.GetFont().GetHeight(), 8);
    EXPECT_EQ(doc.GetFont().GetGridByte('A', 7, 0), 0xFF);

    struct Case {
        const char* out;
        std::vector<std::string> more;
        bool warns;
    } cases[] = {{"c.kfn", {}, true}, {"c.psf", {}, true}, {"c.bdf", {"--codepage", "437"}, false}};
    for (const Case& c : cases) {
        std::vector<std::string> args = {"convert", dir.File("console.psf"), dir.File(c.out)};
        args.insert(args.end(), c.more.begin(), c.more.end());
        r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("its Unicode table is not kept") != std::string::npos, c.warns) << c.out << ": " << r.err;
    }
}

}  // namespace
