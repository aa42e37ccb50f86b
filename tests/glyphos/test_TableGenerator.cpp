#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include "CliRunner.h"
#include "KalvoFont.h"
#include "TableGenerator.h"
#include "TestUi.h"

namespace {

// "Tiny": two characters of 10 x 2 dots, 2-byte rows, no margins.
std::unique_ptr<KalvoFont> TinyFont() {
    auto f = std::make_unique<KalvoFont>();
    f->SetWidth(10);
    f->SetHeight(2);
    f->SetFirstChar(0x41);
    f->SetLastChar(0x42);
    const unsigned char rows[2][2][2] = {{{0x1F, 0x80}, {0xC0, 0x40}}, {{0xFF, 0xC0}, {0x00, 0x00}}};
    for (int ch = 0; ch < 2; ++ch)
        for (int r = 0; r < 2; ++r)
            for (int b = 0; b < 2; ++b) f->SetGridByte(0x41 + ch, r, b, rows[ch][r][b]);
    return f;
}

// "Wide 3": three characters of 20 x 1 dots in the second generation, with
// margins of 2 dots and reversed rows: 3-byte rows, packed 00 00 3F,
// 04 00 00, 04 00 20.
std::unique_ptr<KalvoFont> WideFont() {
    auto f = std::make_unique<KalvoFont>();
    f->SetHeaderGeneration(1);
    f->SetWidth(20);
    f->SetHeight(1);
    f->SetFirstChar(0x30);
    f->SetLastChar(0x32);
    f->SetMarginLeft(2);
    f->SetMarginRight(2);
    f->SetByteOrder(1);
    for (int c = 0; c < 6; ++c) f->SetPixel(0x30, 0, c);
    f->SetPixel(0x31, 0, 19);
    f->SetPixel(0x32, 0, 0);
    f->SetPixel(0x32, 0, 19);
    return f;
}

// "One": a single character 0x41 of 9 x 1 dots, packed 1F 80.
std::unique_ptr<KalvoFont> OneFont() {
    auto f = std::make_unique<KalvoFont>();
    f->SetWidth(9);
    f->SetHeight(1);
    f->SetFirstChar(0x41);
    f->SetLastChar(0x41);
    f->SetGridByte(0x41, 0, 0, 0x1F);
    f->SetGridByte(0x41, 0, 1, 0x80);
    return f;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

class TableGeneratorTest : public ::testing::Test {
protected:
    TableSettings Settings(const std::string& file, int items) {
        TableSettings s;
        s.fileName = CString::FromUtf8(dir.File(file));
        s.itemsPerLine = items;
        s.fontName = L"Tiny";
        s.note = L"two letters";
        return s;
    }
    TableSettings Asm(const std::string& file, int items) {
        TableSettings s = Settings(file, items);
        s.cMode = 0;
        return s;
    }
    std::string Build(const KalvoFont& font, const TableSettings& s) {
        std::string out;
        EXPECT_EQ(TableGenerator(font, font.GetFontBytesPerRow()).Build(s, out), 1);
        return out;
    }

    ScopedScriptedUi ui;
    TempDir dir;
};

// ---- Whole files against expected files written by hand ------------------

struct ExpectedTable {
    const char* file;
    std::unique_ptr<KalvoFont> (*font)();
    const wchar_t* fontName;
    const wchar_t* note;
    int cMode, dataSize, items, commentType, dialect;
};

class TableGeneratorFileTest : public TableGeneratorTest, public ::testing::WithParamInterface<ExpectedTable> {};

TEST_P(TableGeneratorFileTest, WritesTheExpectedFile) {
    const ExpectedTable& e = GetParam();
    auto font = e.font();
    TableSettings s = Settings(e.file, e.items);
    s.fontName = e.fontName;
    s.note = e.note;
    s.cMode = e.cMode;
    s.dataSize = e.dataSize;
    s.commentType = e.commentType;
    s.dialect = e.dialect;
    ui->Answer(IDOK);
    ASSERT_EQ(TableGenerator(*font, font->GetFontBytesPerRow()).Generate(s), 1);
    EXPECT_EQ(ReadText(dir.File(e.file)),
              ReadText(std::string(GLYPHOS_SOURCE_DIR) + "/tests/glyphos/tables/" + e.file));
}

const wchar_t* const kNote76 = L"NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn";

INSTANTIATE_TEST_SUITE_P(
    SmallFonts, TableGeneratorFileTest,
    ::testing::Values(ExpectedTable{"tiny_c_bytes_3.c", TinyFont, L"Tiny", L"two letters", 1, 1, 3, 0, 1},
                      ExpectedTable{"tiny_c_bytes_2.c", TinyFont, L"Tiny", L"two letters", 1, 1, 2, 0, 1},
                      ExpectedTable{"tiny_asm_fcb_star_bytes_3.asm", TinyFont, L"Tiny", L"two letters", 0, 1, 3, 0, 1},
                      ExpectedTable{"tiny_asm_mcuez_star_words_2.asm", TinyFont, L"Tiny", L"two letters", 0, 2, 2, 0,
                                    0},
                      ExpectedTable{"wide_c_words_2.c", WideFont, L"Wide 3", L"", 1, 2, 2, 0, 1},
                      ExpectedTable{"wide_c_dwords_4.c", WideFont, L"Wide 3", L"", 1, 3, 4, 0, 1},
                      ExpectedTable{"wide_asm_mcuez_semicolon_bytes_2.asm", WideFont, L"Wide 3", L"", 0, 1, 2, 1, 0},
                      ExpectedTable{"one_asm_fcb_semicolon_bytes_3.asm", OneFont, L"One", kNote76, 0, 1, 3, 1, 1}),
    [](const ::testing::TestParamInfo<ExpectedTable>& info) {
        std::string name = info.param.file;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

// ---- Line rules ----------------------------------------------------------

TEST_F(TableGeneratorTest, CTableLeavesAnEmptyLineAfterABlockThatFillsItsLines) {
    KalvoFont font;  // 24-byte blocks: 2 bytes x 12 rows
    font.SetWidth(16);
    font.SetHeight(12);
    font.SetFirstChar(0x20);
    font.SetLastChar(0x21);
    const auto c = Lines(Build(font, Settings("t.c", 12)));
    ASSERT_EQ(c.size(), 10u + 2 * 4 + 1);
    EXPECT_EQ(c[11], "0X00,0X00,0X00,0X00,0X00,0X00,0X00,0X00,0X00,0X00,0X00,0X00,");
    EXPECT_EQ(c[13], "");
    EXPECT_NE(c[14].find("char: 0X21"), std::string::npos);

    const auto a = Lines(Build(font, Asm("t.asm", 12)));
    ASSERT_EQ(a.size(), 10u + 2 * 3 + 1);
    EXPECT_EQ(a[12], "    FCB    $00,$00,$00,$00,$00,$00,$00,$00,$00,$00,$00,$00");
    EXPECT_NE(a[13].find("char: 0X21"), std::string::npos);
}

TEST_F(TableGeneratorTest, NoteOfSeventySixCharactersFitsTheCTable) {
    auto font = OneFont();
    TableSettings s = Settings("t.c", 3);
    s.note = kNote76;
    EXPECT_EQ(Lines(Build(*font, s))[6], "/*" + CString(kNote76).ToBytes() + "*/");
    s.note = CString(kNote76) + L"XYZ";  // the dialog's edit takes no more than 76
    EXPECT_EQ(Lines(Build(*font, s))[6], "/*" + CString(kNote76).ToBytes() + "*/");
}

TEST_F(TableGeneratorTest, LongFontNamesOverflowTheCLineAndAreCutInTheAssemblerLine) {
    auto font = OneFont();
    const std::string name(85, 'x');
    TableSettings s = Settings("t.c", 3);
    s.fontName = CString::FromUtf8(name);
    EXPECT_EQ(Lines(Build(*font, s))[1], std::string("/*").append(name).append("*/"));
    s.cMode = 0;
    EXPECT_EQ(Lines(Build(*font, s))[1], std::string("*").append(name, 0, 79));
}

TEST_F(TableGeneratorTest, CTableTextGoesThroughTheAnsiCodePageAndAssemblerHeadersKeepLowBytes) {
    auto font = OneFont();
    TableSettings s = Settings("t.c", 3);
    s.fontName = L"Caf\u00E9 \u20AC\u4E2D";
    const std::string c = Lines(Build(*font, s))[1];
    EXPECT_NE(c.find("Caf\xE9 \x80?"), std::string::npos);
    s.cMode = 0;
    const std::string a = Lines(Build(*font, s))[1];
    EXPECT_NE(a.find("Caf\xE9 \xAC\x2D"), std::string::npos);
}

TEST_F(TableGeneratorTest, ProgressCountsEveryFullDataLine) {
    auto font = TinyFont();
    std::vector<int> steps;
    std::string out;
    TableGenerator gen(*font, 2);
    ASSERT_EQ(gen.Build(Settings("t.c", 2), out, [&](int n) { steps.push_back(n); }), 1);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4}));
    steps.clear();
    ASSERT_EQ(gen.Build(Asm("t.asm", 3), out, [&](int n) { steps.push_back(n); }), 1);
    EXPECT_EQ(steps, (std::vector<int>{1, 2}));  // the unfinished lines are no step
}

// ---- Checks and messages -------------------------------------------------

TEST_F(TableGeneratorTest, SuccessIsReportedWithTheCaptionOfTheTableKind) {
    auto font = TinyFont();
    TableGenerator gen(*font, 2);
    ui->Answer(IDOK);
    ASSERT_EQ(gen.Generate(Settings("font.c", 8)), 1);
    EXPECT_EQ(ui.Last().text, L"Table successfully created !");
    EXPECT_EQ(ui.Last().caption, L"Table created");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONEXCLAMATION);

    ui->Answer(IDOK);
    ASSERT_EQ(gen.Generate(Asm("FONT.ASM", 8)), 1);  // extensions compare in lower case
    EXPECT_EQ(ui.Last().caption, L"Table \"Asm\" created");
    EXPECT_TRUE(std::filesystem::exists(dir.File("FONT.ASM")));
}

TEST_F(TableGeneratorTest, RefusedRequestsWriteNoFile) {
    auto font = TinyFont();
    TableGenerator gen(*font, 2);
    ui->Answer(IDOK);
    EXPECT_EQ(gen.Generate(Settings("font.c", 0)), 0);
    EXPECT_EQ(ui.Last().text, L"Insert appropriate number of columns data table!");
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONSTOP);

    ui->Answer(IDOK);
    EXPECT_EQ(gen.Generate(Asm("font.txt", 8)), 0);
    EXPECT_EQ(ui.Last().text, L"The exension file selected isn't correct!");
    ui->Answer(IDOK);
    EXPECT_EQ(gen.Generate(Asm("font.c", 8)), 0);  // an assembler table wants ".asm"

    TableSettings dword = Asm("font.asm", 8);
    dword.dataSize = 3;
    EXPECT_EQ(gen.Generate(dword), 0);  // never offered for the assembler table
    EXPECT_EQ(ui->Count(), 3u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(TableGeneratorTest, AFileThatCannotBeCreatedIsNamedInTheMessage) {
    auto font = TinyFont();
    const TableSettings s = Settings("missing/font.c", 8);
    ui->Answer(IDOK);
    EXPECT_EQ(TableGenerator(*font, 2).Generate(s), 0);
    EXPECT_EQ(ui.Last().text,
              L"Error open file: " + s.fileName + L"\ncannot write " + s.fileName + L": No such file or directory");
    EXPECT_EQ(ui.Last().caption, L"Error");
}

// The disk failing at any step of writing a table (any piece of the write,
// the flush, the rename) leaves the table that was there byte for byte, or
// the new one whole; nothing is left beside it. The largest font makes a
// table of many pieces.
TEST_F(TableGeneratorTest, AWriteThatFailsAtAnyStepLeavesTheOldTableOrTheNewOneWhole) {
    KalvoFont font;
    font.SetWidth(64);
    font.SetHeight(96);
    font.SetFirstChar(0);
    font.SetLastChar(255);
    for (int ch = 0; ch < 256; ch += 3) font.SetPixel(ch, ch % 96, ch % 64);
    TableGenerator gen(font, font.GetFontBytesPerRow());
    for (const char* file : {"big.c", "big.asm"}) {
        TableSettings s = std::string(file) == "big.c" ? Settings(file, 16) : Asm(file, 16);
        s.note = L"old";
        ui->Answer(IDOK);
        ASSERT_EQ(gen.Generate(s), 1);
        const std::string old = ReadText(dir.File(file));
        s.note = L"new";
        const std::string fresh = Build(font, s);
        ASSERT_TRUE(fresh != old);
        const std::size_t pieces = (fresh.size() + kAtomicWriteChunk - 1) / kAtomicWriteChunk;
        ASSERT_GT(pieces, 2u);
        const struct {
            AtomicWriteStep step;
            std::size_t index;
        } faults[] = {{AtomicWriteStep::Write, 0},          {AtomicWriteStep::Write, pieces / 2},
                      {AtomicWriteStep::Write, pieces - 1}, {AtomicWriteStep::Sync, 0},
                      {AtomicWriteStep::Rename, 0},         {AtomicWriteStep::Write, pieces}};
        for (const auto& f : faults) {
            SCOPED_TRACE(testing::Message() << file << " " << static_cast<int>(f.step) << " " << f.index);
            const bool fails = f.index < pieces;
            ui->Answer(IDOK);
            int written = 0;
            {
                ScopedWriteFault fault(f.step, f.index);
                written = gen.Generate(s);
            }
            EXPECT_EQ(written, fails ? 0 : 1);
            // The failed step's reason follows on a second line.
            const CString text = ui.Last().text;
            EXPECT_EQ(text.Find(L'\n') < 0 ? text : text.Left(text.Find(L'\n')),
                      fails ? L"Error open file: " + s.fileName : CString(L"Table successfully created !"));
            EXPECT_TRUE(ReadText(dir.File(file)) == (fails ? old : fresh));
            EXPECT_EQ(OtherFiles(dir.path(), {"big.c", "big.asm"}), std::vector<std::string>{});
        }
    }
}

// A name or note is comment text, whatever it holds: the C table compiles
// (checked by the system's compiler) and every line of an assembler table is
// a comment, a directive or empty.
TEST_F(TableGeneratorTest, NamesAndNotesCannotLeaveTheirComment) {
    if (!std::filesystem::exists("/usr/bin/cc")) GTEST_SKIP() << "no C compiler";
    const auto font = TinyFont();
    const wchar_t* const texts[] = {L"a */ b ( c", L"*/", L"line\nend ( */ x", L"cr\r*/\x1B[2J", L"\u010A( */"};
    for (const wchar_t* text : texts) {
        SCOPED_TRACE(CString(text).ToUtf8());
        for (const bool asName : {true, false}) {
            TableSettings s = Settings("t.c", 4);
            (asName ? s.fontName : s.note) = text;
            WriteText(dir.File("t.c"), "const unsigned char table[] = {\n" + Build(*font, s) + "};\n");
            const CliRun cc = RunProgram("/usr/bin/cc", {"-c", "-o", dir.File("t.o"), dir.File("t.c")}, dir.path());
            EXPECT_EQ(cc.exitCode, 0) << cc.err;
            for (const int comment : {0, 1}) {
                TableSettings a = Asm("t.asm", 4);
                a.commentType = comment;
                (asName ? a.fontName : a.note) = text;
                for (const std::string& line : Lines(Build(*font, a))) {
                    EXPECT_TRUE(line.empty() || line[0] == (comment ? ';' : '*') || line.rfind("/*", 0) == 0 ||
                                line.rfind("    FCB", 0) == 0)
                        << line;
                }
            }
        }
    }
}

}  // namespace
