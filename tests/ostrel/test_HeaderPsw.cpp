#include "HeaderPsw.h"
#include "PswTestFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

using pswtest::Bytes;
using pswtest::Psw1Builder;

namespace {

class HeaderPswTest : public PswReaderTest {
protected:
    // Three banks, two logos, two fonts, scrambled.
    Psw1Builder Typical() {
        Psw1Builder b;
        b.printer.name = "KP300";
        b.printer.hwRelease = "A1";
        b.printer.swRelease = "205";
        b.printer.date = "311224";
        b.printer.initBank = 2;
        b.printer.gsiModel = 0x12;
        b.printer.portType = 3;
        b.printer.scrByte = 0x34;
        b.bankSize = 0x100;
        b.AddBank(4);
        b.AddBank(5);
        b.AddBank(6);
        b.AddLogo({.prop1 = {1, 2}, .prop2 = {3, 4}, .colours = 1, .data = Bytes(40, 0xAA)});
        b.AddLogo({.prop1 = {}, .prop2 = {}, .colours = 2, .data = Bytes(24, 0x55)});
        b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
        b.AddFont({.width = 8, .height = 8, .first = 0, .last = 255});
        return b;
    }
    CString Boxless(const Psw1Builder& b) { return Write(b.Build()); }
};

TEST_F(HeaderPswTest, LoadsEveryFirstGenerationHeader) {
    const Psw1Builder b = Typical();
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Boxless(b)), 1);
    EXPECT_EQ(h.IsPSWII(), 0);
    EXPECT_EQ(h.GetNomestampante(), L"KP300   ");
    EXPECT_EQ(h.GetReleaseHw(), L"A1");
    EXPECT_EQ(h.GetReleaseSw(), L"205");
    EXPECT_EQ(h.GetData(), L"311224");
    EXPECT_EQ(h.Get_ScrByte(), 0x34);
    EXPECT_EQ(h.GetuiDimHeaderPsw(), 32u * (3 + 2 + 2 + 1) + 8);
    EXPECT_EQ(h.GetuiDimHeaderPsw(), b.HeaderSize());

    CHeaderPrnPsw* prn = h.Get_cHeaderPrnPsw();
    EXPECT_EQ(prn->GetnumBancoInitUp(), 2);
    EXPECT_EQ(prn->GetIndDatiBin(), 2);
    EXPECT_EQ(prn->GetGsiModel(), 0x12);  // stored as 0xD9
    EXPECT_EQ(static_cast<unsigned char>(FileBytes()[21]), 0xD9);
    EXPECT_EQ(prn->GetTipoComPort(), 3);
    EXPECT_EQ(prn->Getm_tDataLoad(), 1);

    CHeaderSwPsw* sw = h.Get_cHeaderSwPsw();
    ASSERT_EQ(sw->GetNumTotBanchi(), 3);
    EXPECT_EQ(sw->GetNumBanco(0), 4);
    EXPECT_EQ(sw->GetNumBanco(2), 6);  // the number of block i, not of block 0
    unsigned char pos[3] = {};
    sw->GetIndBancoInBinFile(pos, 1);
    EXPECT_EQ(pos[0] * 65536 + pos[1] * 256 + pos[2], 0x100);

    CHeaderLoghiPsw* logos = h.Get_cHeaderLoghiPsw();
    ASSERT_EQ(logos->GetNumTotLoghi(), 2);
    EXPECT_EQ(logos->GetNumLogo(1), 2);
    EXPECT_EQ(logos->GetNumColoriLogo(1), 2);
    logos->GetIndLogoInBinFile(pos, 1);
    EXPECT_EQ(pos[0] * 65536 + pos[1] * 256 + pos[2], 3 * 0x100 + 40);
    EXPECT_EQ(logos->GetIesimLogoStruct(0)->Prop2[1], 4);

    EXPECT_EQ(h.Get_cHeaderFontPsw()->GetNumTotFont(), 2);

    CHeaderBinPsw* bin = h.Get_cHeaderBinPsw();
    EXPECT_EQ(bin->GetuiDimFileBin(), b.BinarySize());
    EXPECT_EQ(bin->GetuiNumBanchi(), 3u);
    EXPECT_EQ(bin->GetNumBanchi(), 3);
    EXPECT_EQ(bin->GetuiDimBancoBin(), 0x100u);
    EXPECT_EQ(Log(), "");
}

TEST_F(HeaderPswTest, FontPositionPlusHeaderSizeIsTheDataOffset) {
    Psw1Builder b;
    b.bankSize = 0x800;
    b.AddBank(0);
    b.AddBank(1);
    b.AddLogo({.colours = 1});
    for (int i = 0; i < 3; ++i) b.AddFont({.width = 8, .height = 8, .first = 'A', .last = 'B'});
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    ASSERT_EQ(h.GetuiDimHeaderPsw(), 232u);
    const _headerFont* f = h.Get_cHeaderFontPsw()->GetIesimFontStruct(0);
    EXPECT_EQ(f->IndFont[0], 0x00);
    EXPECT_EQ(f->IndFont[1], 0x10);
    EXPECT_EQ(f->IndFont[2], 0x00);
    EXPECT_EQ(f->IndFont[1] * 256u + h.GetuiDimHeaderPsw(), 4328u);
    EXPECT_EQ(b.FontOffset(0), 4328u);
}

TEST_F(HeaderPswTest, EmptyLogoBlockStillCountsInTheHeaderSize) {
    Psw1Builder b;
    b.AddBank(1);
    b.AddFont({});
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    EXPECT_EQ(h.Get_cHeaderLoghiPsw()->GetNumTotLoghi(), 0);
    EXPECT_EQ(h.Get_cHeaderLoghiPsw()->Getm_tDataLoad(), 1);
    EXPECT_EQ(h.GetuiDimHeaderPsw(), 32u * (1 + 1 + 1 + 1) + 8);
}

TEST_F(HeaderPswTest, FontBlockAtTheLogoPlaceMeansNoLogosButOneBlockIsCounted) {
    Psw1Builder b;
    b.emptyLogoBlock = false;
    b.AddBank(1);
    b.AddFont({});
    b.extraBlocks.push_back(Bytes{'C'});  // takes the place counted for the missing logo block
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    EXPECT_EQ(h.Get_cHeaderLoghiPsw()->GetNumTotLoghi(), 0);
    EXPECT_EQ(h.Get_cHeaderLoghiPsw()->Getm_tDataLoad(), 0);
    EXPECT_EQ(h.GetuiDimHeaderPsw(), b.HeaderSize());
    EXPECT_EQ(Log(), "\nIl file: " + dir.File("file.psw") + " non contiene dati relativi a loghi");
}

TEST_F(HeaderPswTest, SecondGenerationMarkerStopsAfterThePrinterBlock) {
    Psw1Builder b = Typical();
    Bytes bytes = b.Build();
    bytes[24] = '2';
    bytes[32] = 'X';  // would be a version error if the software reader ran
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(bytes)), 1);
    EXPECT_EQ(h.IsPSWII(), 1);
    EXPECT_EQ(h.GetuiDimHeaderPsw(), 0u);
    EXPECT_EQ(h.GetNomestampante(), L"KP300   ");
    EXPECT_EQ(h.Get_cHeaderSwPsw()->Getm_tDataLoad(), 0);
}

TEST_F(HeaderPswTest, BinarySizesAreBigEndian24BitNumbers) {
    Psw1Builder b;
    b.AddBank(1);
    Bytes bytes = b.Build();
    const std::size_t at = b.BlockOffset('@');
    bytes[at + 1] = 0x01, bytes[at + 2] = 0x02, bytes[at + 3] = 0x03;
    bytes[at + 4] = 9;
    bytes[at + 5] = 0x00, bytes[at + 6] = 0x80, bytes[at + 7] = 0x01;
    CHeaderBinPsw bin(&log);
    ASSERT_EQ(bin.Init(Write(bytes), 1, 1, 0), 1);
    EXPECT_EQ(bin.GetuiDimFileBin(), 66051u);
    EXPECT_EQ(bin.GetuiNumBanchi(), 9u);
    EXPECT_EQ(bin.GetuiDimBancoBin(), 32769u);
}

TEST_F(HeaderPswTest, SoftwareCountZeroPutsTheLogoHeaderRightAfterThePrinterBlock) {
    Psw1Builder b;
    b.AddLogo({.colours = 4});
    CHeaderLoghiPsw logos(&log);
    ASSERT_EQ(logos.Init(Write(b.Build()), 0), 1);
    ASSERT_EQ(logos.GetNumTotLoghi(), 1);
    EXPECT_EQ(logos.GetNumColoriLogo(0), 4);
}

// ---- Rejections ---------------------------------------------------------

TEST_F(HeaderPswTest, MissingFileIsReportedByTheMarkerCheckAndThePrinterReader) {
    CHeaderPsw h(&log);
    ui->Answer(IDOK);
    ui->Answer(IDOK);
    EXPECT_EQ(h.Init(Path("absent.psw")), 0);
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"Error open file: " + Path("absent.psw"));
    EXPECT_EQ(boxes[0].caption, L"Error");
    EXPECT_EQ(boxes[0].style & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(boxes[1].text, L"\nErrore apertura file: " + Path("absent.psw"));
    EXPECT_EQ(boxes[1].caption, L"Errore apertura file");
    EXPECT_EQ(h.Getm_bfValid(), 0);
}

TEST_F(HeaderPswTest, DirectoryIsNotOpenedAsAFile) {
    CHeaderPrnPsw prn(&log);
    ui->Answer(IDOK);
    EXPECT_EQ(prn.Init(Dir()), 0);
    EXPECT_EQ(ui.Last().caption, L"Errore apertura file");
}

TEST_F(HeaderPswTest, WrongTagsGiveTheVersionError) {
    const Psw1Builder b = Typical();
    const std::size_t tagAt[] = {0, b.BlockOffset('S'), b.BlockOffset('L'), b.BlockOffset('@')};
    for (std::size_t at : tagAt) {
        SCOPED_TRACE(at);
        Bytes bytes = b.Build();
        bytes[at] = 'Z';
        const CString path = Write(bytes);
        CHeaderPsw h(&log);
        ui->Answer(IDOK);
        EXPECT_EQ(h.Init(path), 0);
        EXPECT_EQ(ui.Last().text, L"\nIl file: " + path +
                                      L" non è una versione corretta e non contiene dati utili per l'operazione in "
                                      L"corso");
        EXPECT_EQ(ui.Last().caption, L"Errore versione file");
        EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONWARNING);
        EXPECT_EQ(h.Getm_bfValid(), 0);
    }
    EXPECT_NE(Log().find("non è una versione corretta"), std::string::npos);  // and to the log
}

TEST_F(HeaderPswTest, FirstLogoBlockMustHoldNumberOne) {
    const Psw1Builder b = Typical();
    Bytes bytes = b.Build();
    bytes[b.BlockOffset('L') + 1] = 2;
    CHeaderPsw h(&log);
    EXPECT_MYTHROW(ui, h.Init(Write(bytes)));
    EXPECT_LAST_ASSERTION(ui, L"3) LoaderData()", L"CHeaderLoghiPsw");
    EXPECT_EQ(ui.Last().sourceFile, L"HeaderLoghiPsw");
    // What was read before the failing step stays.
    EXPECT_EQ(h.Get_cHeaderSwPsw()->GetNumTotBanchi(), 3);
}

TEST_F(HeaderPswTest, TruncationInsideEachBlockStopsWithTheNamedCheck) {
    const Psw1Builder b = Typical();
    const Bytes full = b.Build();
    struct Cut {
        std::size_t length;
        const wchar_t* check;
        const wchar_t* cls;
    };
    const Cut cuts[] = {
        {0, L"1) LoaderData()", L"CHeaderPrnPsw"},
        {5, L"2) LoaderData()", L"CHeaderPrnPsw"},
        {23, L"9) LoaderData()", L"CHeaderPrnPsw"},
        {33, L"3) LoaderData()", L"CHeaderSwPsw"},
        {b.BlockOffset('S', 2) + 4, L"5) LoadStruct()", L"CHeaderSwPsw"},
        {b.BlockOffset('L') + 2, L"4) LoaderData()", L"CHeaderLoghiPsw"},
        {b.BlockOffset('L', 1) + 9, L"7) LoadStruct()", L"CHeaderLoghiPsw"},
        {b.BlockOffset('F', 1) + 8, L"8) LoadStruct()", L"CHeaderFontPsw"},
        {b.BlockOffset('@') + 6, L"5) LoaderData()", L"CHeaderBinPsw"},
    };
    for (const Cut& c : cuts) {
        SCOPED_TRACE(c.length);
        const CString path = Write(Bytes(full.begin(), full.begin() + static_cast<long>(c.length)));
        CHeaderPsw h(&log);
        EXPECT_MYTHROW(ui, h.Init(path));
        EXPECT_LAST_ASSERTION(ui, c.check, c.cls);
    }
}

TEST_F(HeaderPswTest, IndexAccessorsCheckTheirIndex) {
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(Typical().Build())), 1);
    unsigned char pos[3];
    EXPECT_MYTHROW(ui, h.Get_cHeaderSwPsw()->GetNumBanco(3));
    EXPECT_LAST_ASSERTION(ui, L"GetNumBanco(int i)", L"CHeaderSwPsw");
    EXPECT_MYTHROW(ui, h.Get_cHeaderSwPsw()->GetIndBancoInBinFile(pos, -1));
    EXPECT_MYTHROW(ui, h.Get_cHeaderLoghiPsw()->GetNumLogo(2));
    EXPECT_MYTHROW(ui, h.Get_cHeaderLoghiPsw()->GetIndLogoInBinFile(pos, 2));
    EXPECT_MYTHROW(ui, h.Get_cHeaderLoghiPsw()->GetNumColoriLogo(2));
}

// ---- Byte patches -------------------------------------------------------

TEST_F(HeaderPswTest, PatchesWriteOneByteOfThePrinterBlock) {
    const Bytes original = Typical().Build();
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(original)), 1);
    EXPECT_EQ(h.SetScrByteInToPswFile(0x77), 1);
    EXPECT_EQ(h.SetGsiByteNotDecodedInToPswFile(0x5A), 1);
    Bytes expected = original;
    expected[23] = 0x77;
    expected[21] = 0x5A;
    EXPECT_EQ(FileBytes(), std::string(expected.begin(), expected.end()));
}

TEST_F(HeaderPswTest, PatchesRefuseMissingAndForeignFilesAndLeaveThemAlone) {
    CHeaderPsw h(&log);
    ASSERT_EQ(h.Init(Write(Typical().Build())), 1);
    std::remove(dir.File("file.psw").c_str());
    ui->Answer(IDOK);
    EXPECT_EQ(h.SetScrByteInToPswFile(1), 0);
    EXPECT_EQ(ui.Last().text, L"Error open file: " + Path());
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONERROR);

    // Too short to hold the byte: the file must not grow.
    for (const std::string& content : {std::string("X123456789012345678901234"), std::string("P")}) {
        WriteText(dir.File("file.psw"), content);
        ui->Answer(IDOK);
        EXPECT_EQ(h.SetGsiByteNotDecodedInToPswFile(1), 0);
        EXPECT_EQ(ui.Last().text, L"Il file: " + Path() + L" it is not a just version and not contain usable data");
        EXPECT_EQ(FileBytes(), content);
    }
}

}  // namespace
