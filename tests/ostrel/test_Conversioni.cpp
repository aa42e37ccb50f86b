#include "Conversioni.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Exposes the protected GSI pair.
class ConversioniProbe : public CConversioni {
public:
    using CConversioni::CrittoGSIByte;
    using CConversioni::DeCrittoGSIByte;
};

class ConversioniTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    ConversioniProbe c;
};

TEST_F(ConversioniTest, MYThrowWithTrueConditionReturnsOneAndShowsNothing) {
    EXPECT_EQ(c.MYThrow(1, L"1) Step()", L"CClass", L"Class"), 1);
    EXPECT_EQ(ui->Count(), 0u);
}

TEST_F(ConversioniTest, MYThrowWithFalseConditionShowsTheThreeTextsAndThrowsZero) {
    ui->Answer(IDCANCEL);
    try {
        c.MYThrow(0, L"2) LoaderData()", L"CHeaderPrnPsw", L"HeaderPrnPsw");
        FAIL() << "no exception";
    } catch (int v) {
        EXPECT_EQ(v, 0);
    }
    const auto box = ui.Last();
    EXPECT_TRUE(box.assertion);
    EXPECT_EQ(box.check, L"2) LoaderData()");
    EXPECT_EQ(box.className, L"CHeaderPrnPsw");
    EXPECT_EQ(box.sourceFile, L"HeaderPrnPsw");
}

TEST_F(ConversioniTest, HexPairsUseFifteenForAnythingButDigitsAndAtoE) {
    EXPECT_EQ(c.CStrExadecByteToInt(L"7f"), 127);
    EXPECT_EQ(c.CStrExadecByteToInt(L"00"), 0);
    EXPECT_EQ(c.CStrExadecByteToInt(L"0a"), 10);
    EXPECT_EQ(c.CStrExadecByteToInt(L"FF"), 255);
    EXPECT_EQ(c.CStrExadecByteToInt(L"G1"), 241);
    EXPECT_EQ(c.CStrExadecByteToInt(L"eE"), 238);
}

TEST_F(ConversioniTest, HexPairOfWrongLengthRaisesTheAssertion) {
    EXPECT_MYTHROW(ui, c.CStrExadecByteToInt(L"7"));
    EXPECT_MYTHROW(ui, c.CStrExadecByteToInt(L"123"));
    EXPECT_EQ(ui.Last().check, L"CStrExadecByteToInt(CString _exadec)");
}

TEST_F(ConversioniTest, SingleBitShiftsCarryAcrossByteBoundaries) {
    unsigned char a[] = {0x01, 0x80};
    c.ShiftBufferLeft(a, 2);
    EXPECT_EQ(a[0], 0x03);
    EXPECT_EQ(a[1], 0x00);
    unsigned char b[] = {0x01, 0x80};
    c.ShiftBufferRight(b, 2);
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[1], 0xC0);
}

TEST_F(ConversioniTest, MultiBitShiftsEqualRepeatedSingleShifts) {
    const std::vector<unsigned char> start = {0xA5, 0x3C, 0xF0, 0x0F, 0x81};
    for (int shifts = 0; shifts <= 44; ++shifts) {
        auto fast = start, slow = start;
        c.NShiftBufferLeft(fast.data(), 5, shifts);
        for (int i = 0; i < shifts; ++i) c.ShiftBufferLeft(slow.data(), 5);
        EXPECT_EQ(fast, slow) << "left by " << shifts;
        fast = start;
        slow = start;
        c.NShiftBufferRight(fast.data(), 5, shifts);
        for (int i = 0; i < shifts; ++i) c.ShiftBufferRight(slow.data(), 5);
        EXPECT_EQ(fast, slow) << "right by " << shifts;
    }
    unsigned char two[] = {0x12, 0x34};
    c.NShiftBufferLeft(two, 2, 8);
    EXPECT_EQ(two[0], 0x34);
    EXPECT_EQ(two[1], 0x00);
}

TEST_F(ConversioniTest, ReversBytesLeavesTheMiddleOfAnOddCount) {
    unsigned char b[] = {1, 2, 3, 4, 5};
    c.ReversBytes(b, 5);
    EXPECT_EQ(std::vector<unsigned char>(b, b + 5), (std::vector<unsigned char>{5, 4, 3, 2, 1}));
}

TEST_F(ConversioniTest, RotationsWrapAround) {
    EXPECT_EQ(c.ByteRotateSx(0x81, 1), 0x03);
    EXPECT_EQ(c.ByteRotateDx(0x81, 1), 0xC0);
    EXPECT_EQ(c.ByteRotateSx(0x5A, 8), 0x5A);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(c.ByteRotateDx(c.ByteRotateSx(0x37, k), k), 0x37);
}

TEST_F(ConversioniTest, InitVectorMakesATextOfZeros) {
    unsigned char b[4] = {9, 9, 9, 9};
    EXPECT_EQ(c.InitVector(b, 4), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(b), "000");
}

TEST_F(ConversioniTest, CopiesStopAtZeroAndPadStrings) {
    unsigned char dst[6];
    std::fill(dst, dst + 6, 0xEE);
    const unsigned char src[] = {'a', 'b', 0, 'c'};
    c.CstrCpy(dst, src, 4, 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(dst), "ab");
    EXPECT_EQ(dst[3], 0xEE);

    unsigned char name[8];
    c.CstrCpy(name, CString(L"AB\u0141"), 5);  // U+0141 keeps its low byte 0x41
    EXPECT_EQ(std::vector<unsigned char>(name, name + 5), (std::vector<unsigned char>{'A', 'B', 0x41, 0, 0}));
    EXPECT_MYTHROW(ui, c.CstrCpy(name, CString(L"TOOLONG"), 3));
    EXPECT_EQ(c.CstrCpy(CString(L"Hello"), 2), L"He");
    EXPECT_EQ(c.CleanCString(L"a b$c=d", L" $="), L"abcd");
}

TEST_F(ConversioniTest, CentredLinePutsTheOddBlankBeforeTheTail) {
    EXPECT_EQ(c.FormatMessageW(L"AB", L"*", L"*", 10), L"*   AB   *");
    EXPECT_EQ(c.FormatMessageW(L"AB", L"*", L"*", 9), L"*  AB   *");
    EXPECT_EQ(c.FormatMessageW(L"TOO LONG", L"*", L"*", 4), L"*TOO LONG*");
}

TEST_F(ConversioniTest, RuledLineIsExactlyTheWidthOrEmpty) {
    EXPECT_EQ(c.FormatMessageW(6, L"-", L"[", L"]"), L"[----]");
    EXPECT_EQ(c.FormatMessageW(1, L"-", L"[", L"]"), L"");
    EXPECT_MYTHROW(ui, c.FormatMessageW(6, L"--", L"[", L"]"));
}

TEST_F(ConversioniTest, NarrowLinesReportTheirLengthAndNeverOverrun) {
    DWORD len = 0;
    unsigned char* p = c.FormatMessageG(L"AB", L"*", L"*", 10, &len);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(p), "*   AB   *");
    EXPECT_EQ(len, 11u);
    std::free(p);

    // A text far longer than the width is returned whole (under a sanitizer
    // build an overrun here fails the run).
    const CString longText(200, L'x');
    p = c.FormatMessageG(longText, L"/*", L"*/", 10, &len);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(len, 205u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p)), "/*" + std::string(200, 'x') + "*/");
    std::free(p);

    p = c.FormatMessageG(6, L"=", L"[", L"]", &len);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(p), "[====]");
    EXPECT_EQ(len, 7u);
    std::free(p);
    EXPECT_EQ(c.FormatMessageG(2, L"=", L"[[", L"]]", &len), nullptr);
    EXPECT_EQ(len, 0u);
}

TEST_F(ConversioniTest, GsiByteIsItsOwnInverseAndUnchangedUnderZero) {
    EXPECT_EQ(c.CrittoGSIByte(0x12, 0), 0x12);
    EXPECT_EQ(c.CrittoGSIByte(0x12, 0x34), 0xD9);
    EXPECT_EQ(c.DeCrittoGSIByte(0xD9, 0x34), 0x12);
}

}  // namespace
