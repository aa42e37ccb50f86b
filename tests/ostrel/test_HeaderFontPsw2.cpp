#include "BigEndian.h"
#include "HeaderFontPsw2.h"
#include "HeaderPropFont.h"
#include "PswTestFixture.h"

#include <gtest/gtest.h>

#include <cstring>

using pswtest::Bytes;
using pswtest::Psw2Builder;

namespace {

class HeaderFontPsw2Test : public PswReaderTest {
protected:
    CHeaderFontPsw2 Load(const Psw2Builder& b) {
        CHeaderFontPsw2 fonts(&log);
        fonts.SetHeaderFontsPosition(b.BlockOffset('f'));
        EXPECT_EQ(fonts.Init(Write(b.Build())), 1);
        return fonts;
    }
};

TEST_F(HeaderFontPsw2Test, RecordKeepsTheSingleByteBeforeTheEightByteField) {
    Psw2Builder b;
    pswtest::FontSpec font{.width = 10, .height = 20, .first = 65, .last = 90, .orientation = 'V',
                           .marginLeft = -1, .marginRight = 2, .marginUp = 3, .marginBottom = -4, .byteOrder = 1};
    for (int k = 0; k < 8; ++k) font.carried[static_cast<std::size_t>(k)] = 'A';  // file bytes 17..24
    font.carried[8] = 0x07;                                                     // file byte 25
    font.carried[9] = 0x10, font.carried[10] = 0x11, font.carried[11] = 0x12;   // 26..28
    font.carried[12] = 0x13;                                                    // 29
    b.AddFont(font);
    b.AddFont({});
    b.AddSoftwareModule("2x00");
    CHeaderFontPsw2 fonts(&log);
    fonts.SetHeaderFontsPosition(b.BlockOffset('f'));
    ASSERT_EQ(fonts.Init(Write(b.Build())), 1);
    ASSERT_EQ(fonts.GetNumTotFont(), 2);
    EXPECT_EQ(fonts.Getm_bfDataLoad(), 1);

    const _headerFont2* r = fonts.GetIesimFontStruct(0);
    const auto* mem = reinterpret_cast<const unsigned char*>(r);
    EXPECT_EQ(mem[17], 0x07);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mem + 18), 8), "AAAAAAAA");
    EXPECT_EQ(mem[26], 0x10);
    EXPECT_EQ(mem[28], 0x12);
    EXPECT_EQ(mem[29], 0x13);
    EXPECT_EQ(r->Tag, 'f');
    EXPECT_EQ(r->NumTotFont, 2);
    EXPECT_EQ(r->Width, 10);
    EXPECT_EQ(r->Height, 20);
    EXPECT_EQ(r->FirstChar, 65);
    EXPECT_EQ(r->LastChar, 90);
    EXPECT_EQ(r->Orientation, 'V');
    EXPECT_EQ(r->MarginLeft, -1);
    EXPECT_EQ(r->MarginRight, 2);
    EXPECT_EQ(r->MarginUp, 3);
    EXPECT_EQ(r->MarginBottom, -4);
    EXPECT_EQ(r->ByteOrder, 1);

    // Written back in file order it is the block as stored.
    const Bytes file = b.Build();
    unsigned char back[30];
    r->ToFile(back);
    EXPECT_EQ(std::memcmp(back, file.data() + b.BlockOffset('f'), 30), 0);

    unsigned char pos[4] = {};
    fonts.GetIndFontInPSWFile(pos, 1);
    EXPECT_EQ(GetBE32(pos), b.FontOffset(1));
    EXPECT_EQ(fonts.GetNumFont(1), 2);
}

TEST_F(HeaderFontPsw2Test, BlockSizeCountsSignedMarginsInWholeBytes) {
    Psw2Builder b;
    b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1, .marginRight = 0});
    b.AddFont({.width = 8, .height = 1, .first = 0, .last = 0});
    b.AddFont({.width = 8, .height = 1, .first = 0, .last = 0, .marginLeft = -1});
    b.AddFont({.width = 8, .height = 1, .first = 0, .last = 0, .marginRight = 1});
    b.AddFont({.width = 8, .height = 3, .first = 'B', .last = 'A', .data = Bytes(1)});  // empty range
    b.AddFont({.width = 64, .height = 96, .first = 0, .last = 255, .marginLeft = 127, .marginRight = 127});
    b.AddSoftwareModule("1x00");
    CHeaderFontPsw2 fonts = Load(b);
    EXPECT_EQ(fonts.GetDimFontBlock(0), 24u * 96 * 2);
    EXPECT_EQ(fonts.GetDimFontBlock(0), 4608u);
    EXPECT_EQ(fonts.GetDimFontBlock(1), 1u);
    EXPECT_EQ(fonts.GetDimFontBlock(2), 1u);
    EXPECT_EQ(fonts.GetDimFontBlock(3), 2u);
    EXPECT_EQ(fonts.GetDimFontBlock(4), 0u);
    EXPECT_EQ(fonts.GetDimFontBlock(5), 96u * 256 * 40);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(fonts.GetDimFontBlock(i), b.Fonts()[static_cast<std::size_t>(i)].BlockSize());
}

TEST_F(HeaderFontPsw2Test, RejectsWrongTagFirstNumberAndShortRecords) {
    Psw2Builder b;
    b.AddFont({});
    b.AddFont({});
    b.AddSoftwareModule("1x00");
    const Bytes full = b.Build();
    const unsigned long at = b.BlockOffset('f');
    CHeaderFontPsw2 fonts(&log);

    fonts.SetHeaderFontsPosition(at + 32 * 2);  // the module block after the fonts
    EXPECT_EQ(fonts.Init(Write(full)), 0);
    EXPECT_EQ(fonts.Getm_bfDataLoad(), 0);

    Bytes second = full;
    second[at + 1] = 2;
    fonts.SetHeaderFontsPosition(at);
    EXPECT_EQ(fonts.Init(Write(second)), 0);
    EXPECT_EQ(fonts.GetNumTotFont(), 0);

    EXPECT_EQ(fonts.Init(Write(Bytes(full.begin(), full.begin() + static_cast<long>(at) + 32 + 29))), 0);
    EXPECT_EQ(fonts.GetNumTotFont(), 0);
    EXPECT_NE(Log().find("ends inside its header"), std::string::npos);

    EXPECT_EQ(fonts.Init(Path("none.psw")), 0);
    EXPECT_NE(Log().find("not open. Veryfy if the path file is correct."), std::string::npos);
}

TEST_F(HeaderFontPsw2Test, IndexAccessorsCheckTheirIndex) {
    Psw2Builder b;
    b.AddFont({});
    b.AddSoftwareModule("1x00");
    CHeaderFontPsw2 fonts = Load(b);
    unsigned char pos[4];
    EXPECT_MYTHROW(ui, fonts.GetNumFont(1));
    EXPECT_LAST_ASSERTION(ui, L"GetNumFont(int i)", L"CHeaderFontPsw2");
    EXPECT_MYTHROW(ui, fonts.GetIesimFontStruct(1));
    EXPECT_MYTHROW(ui, fonts.GetIndFontInPSWFile(pos, -1));
    EXPECT_MYTHROW(ui, fonts.GetDimFontBlock(5));
}

// ---- Proportional fonts -------------------------------------------------

TEST_F(HeaderFontPsw2Test, PropFontRecordKeepsItsBytesInMemoryOrder) {
    Psw2Builder b;
    pswtest::PropFontSpec c{.props1 = {1, 2, 3, 4}, .prop4 = {5, 6, 7, 8}, .props2 = {9, 10, 11, 12}};
    for (std::size_t k = 0; k < 8; ++k) c.carried[k] = static_cast<std::uint8_t>('a' + k);  // file 19..26
    c.carried[8] = 0xEE;                                                                 // file 27
    c.carried[12] = 0xFF;                                                                // file 31
    c.data = Bytes(6, 0x5A);
    b.propFonts.push_back(c);
    b.propFonts.push_back({});
    b.propFonts.push_back({});
    b.AddSoftwareModule("1x00");
    CHeaderPropFont fonts(&log);
    fonts.SetHeaderPropFontsPosition(b.BlockOffset('C'));
    ASSERT_EQ(fonts.Init(Write(b.Build())), 1);
    ASSERT_EQ(fonts.GetNumTotPropFont(), 3);
    EXPECT_EQ(fonts.GetNumPropFont(2), 3);

    const auto* mem = reinterpret_cast<const unsigned char*>(fonts.GetIesimFontStruct(0));
    EXPECT_EQ(mem[0], 'C');
    EXPECT_EQ(mem[2], 3);
    EXPECT_EQ(mem[3], 1);
    EXPECT_EQ(mem[10], 8);
    EXPECT_EQ(mem[15], 9);
    EXPECT_EQ(mem[18], 12);
    EXPECT_EQ(mem[19], 0xEE);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mem + 20), 8), "abcdefgh");
    EXPECT_EQ(mem[31], 0xFF);
    unsigned char pos[4] = {};
    fonts.GetIndPropFontInPSWFile(pos, 0);
    EXPECT_EQ(GetBE32(pos), b.PropFontOffset(0));

    unsigned char back[32];
    fonts.GetIesimFontStruct(0)->ToFile(back);
    EXPECT_EQ(std::memcmp(back, b.Build().data() + b.BlockOffset('C'), 32), 0);

    EXPECT_MYTHROW(ui, fonts.GetNumPropFont(3));
    EXPECT_LAST_ASSERTION(ui, L"GetNumPropFont(int i)", L"CHeaderPropFont");
}

TEST_F(HeaderFontPsw2Test, PropFontReaderRejectsLikeTheFontReader) {
    Psw2Builder b;
    b.propFonts.push_back({});
    b.AddSoftwareModule("1x00");
    Bytes bytes = b.Build();
    const unsigned long at = b.BlockOffset('C');
    CHeaderPropFont fonts(&log);
    fonts.SetHeaderPropFontsPosition(at + 1);
    EXPECT_EQ(fonts.Init(Write(bytes)), 0);
    fonts.SetHeaderPropFontsPosition(at);
    bytes[at + 1] = 0;
    EXPECT_EQ(fonts.Init(Write(bytes)), 0);
    bytes[at + 1] = 1;
    bytes.resize(at + 31);
    EXPECT_EQ(fonts.Init(Write(bytes)), 0);
    EXPECT_EQ(fonts.Getm_bfDataLoad(), 0);
}

}  // namespace
