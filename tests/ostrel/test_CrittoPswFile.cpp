#include "CrittoPswFile.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using pswtest::Bytes;

class CrittoProbe : public CCrittoPswFile {
public:
    using CCrittoPswFile::CCrittoPswFile;
    using CCrittoPswFile::RandomScrByte;
};

Bytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(gen());
    return b;
}

class CrittoPswFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir.File(name); }
    ScopedScriptedUi ui;
    TempDir dir;
};

TEST_F(CrittoPswFileTest, WorkedValuesOfBothAlgorithms) {
    CCrittoPswFile c;
    unsigned char b = 0x00;
    c.CrittoBufferFromPswFile(&b, 0, 1, 0x01);
    EXPECT_EQ(b, 0xFE);
    b = 0x00;
    c.CrittoBufferFromPswFile(&b, 4, 1, 0x01);
    EXPECT_EQ(b, 0xFD);
    b = 0x01;
    c.CrittoBufferFromPswFile(&b, 32, 1, 0x02);
    EXPECT_EQ(b, 0x81);
    EXPECT_EQ(c.Get_m_ScrByte(), 0x02);
    EXPECT_EQ(c.CrittoGSI(0x12, 0x34), 0xD9);
    EXPECT_EQ(c.DeCrittoGSI(0xD9, 0x34), 0x12);
}

TEST_F(CrittoPswFileTest, AgreesWithAnIndependentScramblerForEveryByteAndStart) {
    CCrittoPswFile c;
    const Bytes plain = RandomBytes(700, 7);
    for (int s = 0; s < 256; ++s) {
        for (std::uint32_t start : {0u, 3u, 31u, 255u, 1000u}) {
            Bytes ours = plain, theirs = plain;
            c.CrittoBufferFromPswFile(ours.data(), static_cast<int>(start), static_cast<int>(ours.size()),
                                      static_cast<unsigned char>(s));
            pswtest::ScrambleBuffer(theirs.data(), theirs.size(), start, static_cast<std::uint8_t>(s));
            ASSERT_EQ(ours, theirs) << "s=" << s << " start=" << start;
            c.DeCrittoBufferFromPswFile(ours.data(), static_cast<int>(start), static_cast<int>(ours.size()),
                                        static_cast<unsigned char>(s));
            ASSERT_EQ(ours, plain) << "round trip s=" << s << " start=" << start;
        }
    }
}

TEST_F(CrittoPswFileTest, RotationPeriodsAre32And256) {
    CCrittoPswFile c;
    const Bytes plain = RandomBytes(64, 3);
    for (auto [s, period] : {std::pair{0x35, 32}, std::pair{0x36, 256}}) {
        Bytes a = plain, b = plain;
        c.CrittoBufferFromPswFile(a.data(), 5, 64, static_cast<unsigned char>(s));
        c.CrittoBufferFromPswFile(b.data(), 5 + period, 64, static_cast<unsigned char>(s));
        EXPECT_EQ(a, b) << "s=" << s;
    }
    Bytes zero = plain;
    c.CrittoBufferFromPswFile(zero.data(), 0, 64, 0);
    EXPECT_EQ(zero, plain);
}

TEST_F(CrittoPswFileTest, RandomScrByteIsNeverZeroAndVaries) {
    CrittoProbe c;
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int b = c.RandomScrByte();
        ASSERT_NE(b, 0);
        seen.insert(b);
    }
    EXPECT_GT(seen.size(), 100u);
}

TEST_F(CrittoPswFileTest, HeaderPatchesReadAndWriteTheTwoBytes) {
    pswtest::Psw1Builder b;
    b.printer.scrByte = 0x35;
    b.printer.gsiModel = 0x41;
    b.AddBank(0);
    b.Write(Path("a.psw"));
    CCrittoPswFile c;
    ASSERT_EQ(c.InitCCrittoPswFile(CString::FromUtf8(Path("a.psw"))), 1);
    EXPECT_EQ(c.Get_m_ScrByte(), 0x35);
    unsigned char gsi = 0;
    ASSERT_EQ(c.GetGsiByteFromPswFile(&gsi, 0x35), 1);
    EXPECT_EQ(gsi, 0x41);
    ASSERT_EQ(c.SetScrByteInToPswFile(0x77), 1);
    ASSERT_EQ(c.SetGsiByteInToPswFile(0x41, 0x77), 1);
    const std::string bytes = ReadText(Path("a.psw"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[23]), 0x77);
    EXPECT_EQ(static_cast<unsigned char>(bytes[21]), pswtest::ScrambleGsi(0x41, 0x77));
}

TEST_F(CrittoPswFileTest, PatchesRefuseAFileThatIsNotPsw) {
    WriteText(Path("x.psw"), std::string(64, 'Z'));
    CCrittoPswFile c(CString::FromUtf8(Path("x.psw")));
    ui->Answer(IDOK);
    EXPECT_EQ(c.SetScrByteInToPswFile(0x10), 0);
    EXPECT_EQ(ui.Last().text, L"Il file: " + CString::FromUtf8(Path("x.psw")) +
                                  L" it is not a just version and not contain usable data");
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ReadText(Path("x.psw")), std::string(64, 'Z'));
    ui->Answer(IDOK);
    CCrittoPswFile missing(CString::FromUtf8(Path("none.psw")));
    unsigned char s = 9;
    EXPECT_EQ(missing.GetScrByteFromPswFile(&s), 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(ui.Last().text, L"Error open file: " + CString::FromUtf8(Path("none.psw")));
}

// Re-scrambling keeps every plain byte and every model byte, for both
// generations and any old scramble byte.
TEST_F(CrittoPswFileTest, ScambleFileKeepsContentsAndModelsUnderANewByte) {
    for (std::uint8_t s0 : {0x00, 0x35, 0x36}) {
        pswtest::Psw2Builder b;
        b.printer.scrByte = s0;
        b.printer.gsiModel = 0x5A;
        b.supported.push_back({});
        b.supported.push_back({.name = "KP320", .gsiModel = 0x66});
        b.AddFont({.width = 12, .height = 16, .first = 65, .last = 70});
        b.AddSoftwareModule("1x23");
        b.order = "PsQfm?";  // supported printers away from offset 32
        b.Write(Path("b.psw"));
        const Bytes plainBefore = b.PlainBinary();

        CCrittoPswFile c(CString::FromUtf8(Path("b.psw")));
        ASSERT_EQ(c.ScambleFilePsw(), 1);
        const std::string after = ReadText(Path("b.psw"));
        const auto s1 = static_cast<std::uint8_t>(after[23]);
        EXPECT_NE(s1, 0);
        EXPECT_EQ(pswtest::ScrambleGsi(static_cast<std::uint8_t>(after[21]), s1), 0x5A);
        for (int i = 0; i < 2; ++i) {
            const auto q = b.BlockOffset('Q', i);
            EXPECT_EQ(pswtest::ScrambleGsi(static_cast<std::uint8_t>(after[q + 23]), s1), i == 0 ? 0x42 : 0x66);
        }
        Bytes contents(after.begin() + b.HeaderSize(), after.end());
        pswtest::UnscrambleBuffer(contents.data(), contents.size(), 0, s1);
        EXPECT_EQ(contents, plainBefore) << "s0=" << int(s0);
        // The block at offset 32 (the software block here) is untouched.
        const Bytes built = b.Build();
        EXPECT_EQ(after.substr(32, 32), std::string(built.begin() + 32, built.begin() + 64));
    }
}

}  // namespace
