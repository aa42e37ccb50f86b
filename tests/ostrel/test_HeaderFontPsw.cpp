#include "HeaderFontPsw.h"
#include "PswTestFixture.h"

#include <gtest/gtest.h>

using pswtest::Bytes;
using pswtest::Psw1Builder;

namespace {

class HeaderFontPswTest : public PswReaderTest {
protected:
    // Inline files: a printer block, then 32-byte blocks with the given
    // first bytes.
    CString Blocks(std::initializer_list<Bytes> blocks) {
        Bytes out(32, 0);
        out[0] = 'P';
        for (const Bytes& b : blocks) {
            Bytes block = b;
            block.resize(32, 0);
            out.insert(out.end(), block.begin(), block.end());
        }
        return Write(out);
    }
};

TEST_F(HeaderFontPswTest, LoadsEveryRecordInFileOrder) {
    Psw1Builder b;
    b.AddBank(1);
    b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .orientation = 'V', .marginLeft = -2,
               .marginRight = 3, .marginUp = -1, .marginBottom = 4, .byteOrder = 1});
    b.AddFont({.width = 16, .height = 16});
    b.AddFont({.width = 5, .height = 7, .first = 48, .last = 57});
    CHeaderFontPsw fonts(&log);
    ASSERT_EQ(fonts.Init(Write(b.Build()), 1, 1), 1);
    EXPECT_EQ(fonts.Getm_tDataLoad(), 1);
    EXPECT_EQ(fonts.GetIndHeaderFont(), b.BlockOffset('F'));
    ASSERT_EQ(fonts.GetNumTotFont(), 3);
    EXPECT_EQ(fonts.GetNumFont(0), 1);
    EXPECT_EQ(fonts.GetNumFont(2), 3);

    const _headerFont* f = fonts.GetIesimFontStruct(0);
    EXPECT_EQ(f->Tag, 'F');
    EXPECT_EQ(f->NumTotFont, 3);
    EXPECT_EQ(f->Width, 12);
    EXPECT_EQ(f->Height, 24);
    EXPECT_EQ(f->FirstChar, 32);
    EXPECT_EQ(f->LastChar, 127);
    EXPECT_EQ(f->Orientation, 'V');
    EXPECT_EQ(f->MarginLeft, -2);
    EXPECT_EQ(f->MarginRight, 3);
    EXPECT_EQ(f->MarginUp, -1);
    EXPECT_EQ(f->MarginBottom, 4);
    EXPECT_EQ(f->ByteOrder, 1);

    for (int i = 0; i < 3; ++i) {
        unsigned char pos[3] = {};
        fonts.GetIndFontInBinFile(pos, i);
        EXPECT_EQ(pos[0] * 65536u + pos[1] * 256u + pos[2], b.FontPosition(i)) << i;
    }
    EXPECT_EQ(fonts.GetIesimFontStruct(2)->Width, 5);
}

TEST_F(HeaderFontPswTest, FirstBlockMustHoldNumberOne) {
    CHeaderFontPsw fonts(&log);
    const CString path = Blocks({{'S', 1, 1}, {'F', 2, 1}, {'@'}});
    EXPECT_MYTHROW(ui, fonts.Init(path, 1, 1));
    EXPECT_LAST_ASSERTION(ui, L"3) LoaderData()", L"CHeaderFontPsw");
}

TEST_F(HeaderFontPswTest, SearchTakesTheFirstFAtAThirtyTwoByteStepWhereverItIs) {
    // No font block in the header; an "F" in the binary image at a 32-byte
    // step is taken for one.
    CHeaderFontPsw fonts(&log);
    const CString path = Blocks({{'S', 1, 1}, {'@', 0, 0, 0x40}, {'x', 'F'}, {'F', 1, 1, 9, 9}, {0}});
    EXPECT_EQ(fonts.GetIndHeaderFontInPswFile(path), 128u);
    ASSERT_EQ(fonts.Init(path, 1, 0), 1);
    ASSERT_EQ(fonts.GetNumTotFont(), 1);
    EXPECT_EQ(fonts.GetIesimFontStruct(0)->Width, 9);
}

TEST_F(HeaderFontPswTest, FileOfOneBlockOrLessHasNoFontHeaderAndFailsQuietly) {
    CHeaderFontPsw fonts(&log);
    EXPECT_EQ(fonts.Init(Write(Bytes(32, 'F')), 0, 0), 0);
    EXPECT_EQ(fonts.Init(Write(Bytes{'P'}), 0, 0), 0);
    EXPECT_EQ(fonts.Getm_tDataLoad(), 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(HeaderFontPswTest, ProportionalOrBinaryBlockWhereTheSearchEndsMeansNoFonts) {
    for (unsigned char tag : {'C', '@'}) {
        CHeaderFontPsw fonts(&log);
        // The walk ends on the last whole step, which holds the tag.
        const CString path = Blocks({{'S', 1, 1}, {tag}});
        ASSERT_EQ(fonts.Init(path, 1, 0), 1);
        EXPECT_EQ(fonts.GetNumTotFont(), 0);
        EXPECT_EQ(fonts.Getm_tDataLoad(), 0);
    }
    EXPECT_NE(Log().find("non contiene dati relativi a font"), std::string::npos);
}

TEST_F(HeaderFontPswTest, AnyOtherByteWhereTheSearchEndsIsAVersionError) {
    CHeaderFontPsw fonts(&log);
    const CString path = Blocks({{'S', 1, 1}, {'L', 1, 0}, {'x'}});
    ui->Answer(IDOK);
    EXPECT_EQ(fonts.Init(path, 1, 1), 0);
    EXPECT_EQ(ui.Last().caption, L"Errore versione file");
    EXPECT_EQ(fonts.Getm_tDataLoad(), 0);
}

TEST_F(HeaderFontPswTest, NonPsWFileIsAVersionError) {
    CHeaderFontPsw fonts(&log);
    Bytes bytes(96, 0);
    bytes[32] = 'F';
    bytes[33] = 1;
    ui->Answer(IDOK);
    EXPECT_EQ(fonts.Init(Write(bytes), 0, 0), 0);
    EXPECT_EQ(ui.Last().caption, L"Errore versione file");
}

TEST_F(HeaderFontPswTest, CountBeyondTheFileStopsInsideTheRecordLoad) {
    CHeaderFontPsw fonts(&log);
    // Claims 200 fonts; the file ends after the second block.
    const CString path = Blocks({{'F', 1, 200, 8, 8}, {'F', 2, 200}});
    EXPECT_MYTHROW(ui, fonts.Init(path, 0, 0));
    EXPECT_LAST_ASSERTION(ui, L"1) LoadStruct()", L"CHeaderFontPsw");
    EXPECT_EQ(ui.Last().sourceFile, L"HeaderFontPsw");
}

TEST_F(HeaderFontPswTest, OpenFailureIsShown) {
    CHeaderFontPsw fonts(&log);
    ui->Answer(IDOK);
    EXPECT_EQ(fonts.Init(Path("none.psw"), 0, 0), 0);
    EXPECT_EQ(ui.Last().text, L"\nErrore apertura file: " + Path("none.psw"));
    EXPECT_EQ(ui.Last().caption, L"Errore apertura file");
}

TEST_F(HeaderFontPswTest, IndexAccessorsCheckTheirIndex) {
    CHeaderFontPsw fonts(&log);
    ASSERT_EQ(fonts.Init(Blocks({{'F', 1, 1, 8, 8}, {'@'}}), 0, 0), 1);
    unsigned char pos[3];
    EXPECT_MYTHROW(ui, fonts.GetNumFont(1));
    EXPECT_LAST_ASSERTION(ui, L"GetNumFont(int i)", L"CHeaderFontPsw");
    EXPECT_MYTHROW(ui, fonts.GetIesimFontStruct(-1));
    EXPECT_MYTHROW(ui, fonts.GetIndFontInBinFile(pos, 1));
}

}  // namespace
