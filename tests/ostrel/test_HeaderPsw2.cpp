#include "BigEndian.h"
#include "HeaderPsw2.h"
#include "PswTestFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using pswtest::Bytes;
using pswtest::ModuleSpec;
using pswtest::PayloadSpec;
using pswtest::Psw2Builder;

namespace {

class HeaderPsw2Test : public PswReaderTest {
protected:
    // Two supported printers, three fonts, a boot loader but no USB loader,
    // two modules.
    static Psw2Builder Typical() {
        Psw2Builder b;
        b.printer.name = "KP410";
        b.printer.hwRelease = "B2";
        b.printer.swRelease = "301";
        b.printer.date = "150624";
        b.printer.gsiModel = 0x12;
        b.printer.scrByte = 0x34;
        b.printer.initBank = 1;
        b.printer.portType = 2;
        b.supported.push_back({.name = "KP411", .gsiModel = 0x21});
        b.supported.push_back({.name = "KP412", .gsiModel = 0x22});
        b.software.data = Bytes(16, 0x11);
        b.bootLoader = PayloadSpec{.carried3 = {1, 2, 3}, .carried1 = 4, .data = Bytes(8, 0x22)};
        b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
        b.AddFont({.width = 8, .height = 16});
        b.AddFont({.width = 16, .height = 32, .first = 48, .last = 57});
        b.AddSoftwareModule("1x23");
        b.AddModule({.type = 'f', .number = 1, .count = 1, .data = Bytes(10, 0x33)});
        return b;
    }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
};

TEST_F(HeaderPsw2Test, LoadsEveryBlockOfATypicalFile) {
    const Psw2Builder b = Typical();
    CHeaderPsw2 h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    EXPECT_EQ(h.GetPrinterName(), L"KP410   ");
    EXPECT_EQ(h.GetHwRelease(), L"B2");
    EXPECT_EQ(h.GetSwRelease(), L"301");
    EXPECT_EQ(h.GetData(), L"150624");
    EXPECT_EQ(h.Get_ScrByte(), 0x34);
    EXPECT_EQ(h.GetGsiModel(), 0x12);
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), 32u * (2 + 0 + 1 + 3 + 0 + 0 + 2 + 2) + 5);
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), 325u);
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), b.HeaderSize());
    EXPECT_EQ(h.GetuiDimFileBin(), b.BinarySize());
    EXPECT_EQ(h.GetSoftwareModuleRelease(), L"1.23");

    CHeaderPrinterPsw2* prn = h.Get_cHeaderPrnPsw2();
    EXPECT_EQ(prn->GetnumBancoInitUp(), 1);
    EXPECT_EQ(prn->GetTipoComPort(), 2);
    EXPECT_EQ(prn->GetPswVersion(), '2');

    ASSERT_EQ(h.Get_bfHeaderSupportedPrinterPresent(), 1);
    CHeaderSupportedPrinterPsw2* q = h.Get_cHeaderSupportedPrinterPsw2();
    ASSERT_EQ(q->GetNumTotHeader(), 2);
    EXPECT_EQ(q->GetNumHeader(1), 2);
    EXPECT_EQ(CString::FromBytes(q->GetIesimHeaderStruct(1)->NomeStampante, 8), L"KP412   ");
    EXPECT_EQ(q->GetIesimHeaderStruct(0)->GsiModel, 0x21);  // unscrambled with the file's byte
    EXPECT_EQ(q->GetIesimHeaderStruct(1)->GsiModel, 0x22);

    unsigned char pos[4] = {};
    h.Get_cHeaderSwPsw2()->GetIndSWInPSWFile(pos);
    EXPECT_EQ(GetBE32(pos), b.PayloadOffset('s'));
    h.Get_cHeaderBootLoader()->GetIndBLInPSWFile(pos);
    EXPECT_EQ(GetBE32(pos), b.PayloadOffset('b'));
    EXPECT_EQ(h.Get_cHeaderBootLoader()->GetHeaderStruct()->Carried3[2], 3);
    EXPECT_EQ(h.Get_cHeaderBootLoader()->GetHeaderStruct()->Carried1, 4);
    EXPECT_EQ(h.Get_cHeaderUsbLoader()->Getm_bfDataLoad(), 0);

    EXPECT_EQ(h.Get_cHeaderFontPsw2()->GetNumTotFont(), 3);
    EXPECT_EQ(h.Get_cHeaderModule()->GetNumTotModule(), 2u);
    EXPECT_EQ(h.GetModuleAddress('s', 1), b.ModuleAddress(0));
    EXPECT_EQ(h.GetModuleSize('s', 1), 32u);
    EXPECT_EQ(h.GetModuleAddress('f', 1), b.ModuleAddress(1));
    EXPECT_EQ(h.GetModuleSize('f', 1), 10u);
    EXPECT_EQ(h.ModulePresent('f'), 1);
    EXPECT_EQ(h.GetNumModuleOfType('s'), 1u);

    // Absent optional blocks are only logged.
    EXPECT_TRUE(Logged("Header Usb Loader not present into PSW2 file"));
    EXPECT_TRUE(Logged("Header Generic Data not present into PSW2 file"));
    EXPECT_TRUE(Logged("Header Proportional Font not present into PSW2 file"));
    EXPECT_FALSE(Logged("Header Fonts"));
}

TEST_F(HeaderPsw2Test, BlocksAreFoundByTagInAnyOrder) {
    Psw2Builder b = Typical();
    b.order = "PmCsdQfub?";
    b.usbLoader = PayloadSpec{.data = Bytes(4, 0x44)};
    b.genericData.push_back({.data = Bytes(3, 1)});
    b.genericData.push_back({.carried3 = {7, 8, 9}, .data = Bytes(5, 2)});
    b.propFonts.push_back({.data = Bytes(12, 3)});
    CHeaderPsw2 h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    EXPECT_EQ(h.GetHeaderPosition('m'), b.BlockOffset('m'));
    EXPECT_EQ(h.GetHeaderPosition('f'), b.BlockOffset('f'));
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), 32u * (2 + 1 + 1 + 3 + 1 + 2 + 2 + 2) + 5);
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), b.HeaderSize());
    EXPECT_EQ(h.GetSoftwareModuleRelease(), L"1.23");

    CHeaderGenericData* d = h.Get_cHeaderGenericData();
    ASSERT_EQ(d->GetNumTotGenericData(), 2);
    EXPECT_EQ(d->GetNumGenericData(1), 2);
    unsigned char pos[4] = {};
    d->GetIndBloccoInPSWFile(pos, 1);
    EXPECT_EQ(GetBE32(pos), b.PayloadOffset('d', 1));
    EXPECT_EQ(d->GetIesimGenericDataStruct(1)->Carried3[0], 7);
    h.Get_cHeaderUsbLoader()->GetIndULInPSWFile(pos);
    EXPECT_EQ(GetBE32(pos), b.PayloadOffset('u'));
    EXPECT_EQ(h.Get_cHeaderPropFontPsw2()->GetNumTotPropFont(), 1);
}

TEST_F(HeaderPsw2Test, BlocksAfterTheBinBlockAreNeverSeen) {
    Psw2Builder b = Typical();
    b.order = "PQsbm?f";
    CHeaderPsw2 h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    EXPECT_EQ(h.IsHeaderPresent('f'), 0);
    EXPECT_EQ(h.Get_cHeaderFontPsw2()->GetNumTotFont(), 0);
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), 32u * (2 + 1 + 2 + 2) + 5);
    EXPECT_TRUE(Logged("Header Fonts not present into PSW2 file"));
}

TEST_F(HeaderPsw2Test, ModuleAndBinNumbersAreBigEndian32Bit) {
    Psw2Builder b = Typical();
    b.modules.clear();
    b.AddModule({.type = 'x', .number = 2, .count = 2, .address = 65568u, .size = 0x01020304u});
    Bytes bytes = b.Build();
    const std::size_t bin = b.BlockOffset('?');
    bytes[bin + 1] = 0x00, bytes[bin + 2] = 0x02, bytes[bin + 3] = 0x00, bytes[bin + 4] = 0x00;
    CHeaderPsw2 h(&log);
    ASSERT_EQ(h.Init(Write(bytes)), 1);
    EXPECT_EQ(h.GetModuleAddress('x', 2), 65568u);
    EXPECT_EQ(h.GetModuleSize('x', 2), 16909060u);
    EXPECT_EQ(h.GetuiDimFileBin(), 131072u);
    EXPECT_EQ(h.GetNumModuleOfType('x'), 2u);
    // No such module: 0, and no release text without a software module.
    EXPECT_EQ(h.GetModuleAddress('x', 1), 0u);
    EXPECT_EQ(h.GetModuleAddress('s', 1), 0u);
    EXPECT_EQ(h.GetModuleSize('q', 1), 0u);
    EXPECT_EQ(h.ModulePresent('s'), 0);
    EXPECT_EQ(h.GetNumModuleOfType('s'), 0u);
    EXPECT_EQ(h.GetSoftwareModuleRelease(), L"");
    EXPECT_MYTHROW(ui, h.GetModuleAddress('x', 0));
    EXPECT_LAST_ASSERTION(ui, L"GetModuleAddress(unsigned char type, unsigned int n)", L"CHeaderModule");
}

TEST_F(HeaderPsw2Test, SoftwareModuleReleaseIsThePlainTextUnderAnyScrambleByte) {
    for (int s : {0x00, 0x01, 0x34, 0xFF}) {
        SCOPED_TRACE(s);
        Psw2Builder b = Typical();
        b.printer.scrByte = static_cast<std::uint8_t>(s);
        b.modules.clear();
        b.AddModule({.type = 'f', .data = Bytes(40, 0)});  // moves the release to another position
        b.AddSoftwareModule("9?87");
        CHeaderPsw2 h(&log);
        ASSERT_EQ(h.Init(Write(b.Build())), 1);
        EXPECT_EQ(h.GetSoftwareModuleRelease(), L"9.87");
    }
}

TEST_F(HeaderPsw2Test, FirstModuleOfATypeAndNumberWins) {
    Psw2Builder b = Typical();
    b.AddModule({.type = 's', .number = 1, .count = 9, .address = 1234u, .size = 1u});
    CHeaderPsw2 h(&log);
    ASSERT_EQ(h.Init(Write(b.Build())), 1);
    EXPECT_EQ(h.GetModuleAddress('s', 1), b.ModuleAddress(0));
    EXPECT_EQ(h.GetNumModuleOfType('s'), 1u);
    EXPECT_EQ(h.Get_cHeaderModule()->GetIesimModuleStruct(2)->NumTot, 9);
}

TEST_F(HeaderPsw2Test, EachRequiredBlockIsNeeded) {
    const struct {
        const char* order;
        const char* message;
    } cases[] = {
        {"QsfPm?", nullptr},  // "P" need not be first: found by tag
        {"PQfbm?", "Header Software not present into PSW2 file"},
        {"PQsfb?", "Headers Modules not present into PSW2 file"},
        {"PQsfbm", "Header Bin not present into PSW2 file"},  // the scan stops at the end of the file
        {"Qsfm?", "Header Printer not present into PSW2 file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        ResetLog();
        Psw2Builder b = Typical();
        b.order = c.order;
        Bytes bytes = b.Build();
        // Only the header: the binary contents might hold a "?" at a block start.
        bytes.resize(b.HeaderSize());
        CHeaderPsw2 h(&log);
        EXPECT_EQ(h.Init(Write(bytes)), c.message ? 0 : 1);
        if (c.message) {
            EXPECT_TRUE(Logged(c.message));
        }
    }
}

TEST_F(HeaderPsw2Test, UnreadableFilesFailWithALogLineAndNoBox) {
    CHeaderPsw2 h(&log);
    EXPECT_EQ(h.Init(Path("absent.psw")), 0);
    EXPECT_TRUE(Logged("File: " + dir.File("absent.psw") + " not open. Veryfy if the path file is correct."));
    EXPECT_EQ(h.Init(Dir()), 0);
    EXPECT_EQ(h.Init(Write(Bytes{})), 0);
    Bytes garbage(4000);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 73 + 5);
    garbage[0] = 'P';
    EXPECT_EQ(h.Init(Write(garbage)), 0);
    EXPECT_EQ(h.GetuiDimHeaderPsw2(), 0u);
}

TEST_F(HeaderPsw2Test, FileEndingInsideTheBinBlockFails) {
    const Psw2Builder b = Typical();
    Bytes bytes = b.Build();
    bytes.resize(b.BlockOffset('?') + 3);
    CHeaderPsw2 h(&log);
    EXPECT_EQ(h.Init(Write(bytes)), 0);
    EXPECT_TRUE(Logged("ends inside its header"));
}

TEST_F(HeaderPsw2Test, RecordCountsBeyondTheFileFail) {
    for (char tag : {'Q', 'f', 'd', 'C'}) {
        SCOPED_TRACE(tag);
        Psw2Builder b = Typical();
        b.genericData.push_back({});
        b.propFonts.push_back({});
        b.order = "PsmQfdC?";
        Bytes bytes = b.Build();
        ASSERT_GT(b.BlockOffset(tag) + 250u * 32, bytes.size());
        bytes[b.BlockOffset(tag) + 2] = 250;
        CHeaderPsw2 h(&log);
        EXPECT_EQ(h.Init(Write(bytes)), 0);
    }
}

TEST_F(HeaderPsw2Test, FirstRecordNumberMustBeOne) {
    for (char tag : {'Q', 'f', 'C'}) {
        SCOPED_TRACE(tag);
        Psw2Builder b = Typical();
        b.propFonts.push_back({});
        Bytes bytes = b.Build();
        bytes[b.BlockOffset(tag) + 1] = 2;
        CHeaderPsw2 h(&log);
        EXPECT_EQ(h.Init(Write(bytes)), 0);
        EXPECT_TRUE(Logged("is not a right version and does not contain the  needed informations."));
    }
}

TEST_F(HeaderPsw2Test, ShowWarningFlagReachesTheFontReaders) {
    CHeaderPsw2 h(&log);
    EXPECT_EQ(h.Get_cHeaderFontPsw2()->Getm_ShowWarningMessage(), 1);
    ASSERT_EQ(h.Init(Write(Typical().Build()), 0), 1);
    EXPECT_EQ(h.Get_cHeaderFontPsw2()->Getm_ShowWarningMessage(), 0);
    EXPECT_EQ(h.Get_cHeaderPropFontPsw2()->Getm_ShowWarningMessage(), 0);
}

TEST_F(HeaderPsw2Test, VersionIsReadFromAnyPswFile) {
    CHeaderPsw2 h(&log);
    unsigned char version = 0;
    ASSERT_EQ(h.GetPSWVersionFromFile(Write(Typical().Build()), &log, &version), 1);
    EXPECT_EQ(version, '2');
    pswtest::Psw1Builder first;
    ASSERT_EQ(h.GetPSWVersionFromFile(Write(first.Build()), nullptr, &version), 1);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(h.GetPSWVersionFromFile(Write(Bytes(40, 'Q')), &log, &version), 0);
    EXPECT_EQ(h.GetPSWVersionFromFile(Write(Bytes{'P', 1}), &log, &version), 0);
    EXPECT_EQ(h.GetPSWVersionFromFile(Path("none"), &log, &version), 0);
}

// ---- Each reader on its own -------------------------------------------

TEST_F(HeaderPsw2Test, ReadersRefuseAWrongTagAndAShortBlock) {
    Psw2Builder b = Typical();
    b.usbLoader = PayloadSpec{};
    b.genericData.push_back({});
    b.order = "PQsfubdCm?";
    const Bytes full = b.Build();
    struct Reader {
        char tag;
        std::size_t used;  // bytes of the block the reader reads
        std::function<int(unsigned long, const CString&)> init;
    };
    CHeaderPrinterPsw2 prn(&log);
    CHeaderSupportedPrinterPsw2 q(&log);
    CHeaderSwPsw2 sw(&log);
    CHeaderUsbLoader usb(&log);
    CHeaderBootLoader boot(&log);
    CHeaderGenericData data(&log);
    CHeaderModule mod(&log);
    CHeaderBin2 bin(&log);
    const Reader readers[] = {
        {'P', 26, [&](unsigned long p, const CString& f) { prn.SetHeaderPrinterPosition(p); return prn.Init(f); }},
        {'s', 11, [&](unsigned long p, const CString& f) { sw.SetHeaderSoftwarePosition(p); return sw.Init(f); }},
        {'u', 9, [&](unsigned long p, const CString& f) { usb.SetHeaderUsbLoaderPosition(p); return usb.Init(f); }},
        {'b', 9, [&](unsigned long p, const CString& f) { boot.SetHeaderBootLoaderPosition(p); return boot.Init(f); }},
        {'d', 11, [&](unsigned long p, const CString& f) { data.SetHeaderGenericDataPosition(p); return data.Init(f); }},
        {'m', 12, [&](unsigned long p, const CString& f) { mod.SetHeaderModulePosition(p); return mod.Init(f); }},
        {'?', 5, [&](unsigned long p, const CString& f) { bin.SetHeaderBinPosition(p); return bin.Init(f); }},
        {'Q', 26, [&](unsigned long p, const CString& f) {
             q.SetHeaderSupportedPrinterPosition(p);
             return q.Init(f);
         }},
    };
    for (const Reader& r : readers) {
        SCOPED_TRACE(r.tag);
        const unsigned long at = b.BlockOffset(r.tag);
        EXPECT_EQ(r.init(at, Write(full)), 1);
        EXPECT_EQ(r.init(at + 1, Write(full)), 0);  // not a block start: wrong tag
        // The only block of its kind, cut one byte short.
        Bytes cut(full.begin(), full.begin() + static_cast<long>(at + r.used - 1));
        EXPECT_EQ(r.init(at, Write(cut)), 0);
    }
    EXPECT_TRUE(Logged("The file " + dir.File("file.psw") +
                       " is not a right version and does not contain the  needed informations."));
    EXPECT_EQ(prn.Getm_bfDataLoad(), 0);
}

// ---- Byte patches -------------------------------------------------------

TEST_F(HeaderPsw2Test, PatchesWriteOneByteAndReportRefusalsInBoxes) {
    const Bytes original = Typical().Build();
    CHeaderPsw2 h(&log);
    ASSERT_EQ(h.Init(Write(original)), 1);
    EXPECT_EQ(h.SetScrByteInToPsw2File(0x99), 1);
    EXPECT_EQ(h.SetGsiByteNotDecodedInToPsw2File(0x42), 1);
    Bytes expected = original;
    expected[23] = 0x99;
    expected[21] = 0x42;
    EXPECT_EQ(FileBytes(), std::string(expected.begin(), expected.end()));

    WriteText(dir.File("file.psw"), "not a psw file at all, long enough");
    ui->Answer(IDOK);
    EXPECT_EQ(h.SetScrByteInToPsw2File(1), 0);
    EXPECT_EQ(ui.Last().text, L"The file " + Path() +
                                  L" is not a right version and does not contain the  needed informations.");
    EXPECT_EQ(ui.Last().caption, L"Varnock.dll Error");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(FileBytes(), "not a psw file at all, long enough");

    std::remove(dir.File("file.psw").c_str());
    ui->Answer(IDOK);
    EXPECT_EQ(h.SetGsiByteNotDecodedInToPsw2File(1), 0);
    EXPECT_EQ(ui.Last().text, L"File: " + Path() + L" not open. Veryfy if the path file is correct.");
}

}  // namespace
