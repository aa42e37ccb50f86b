#include <gtest/gtest.h>

#include <string>

#include "CodePageList.h"

namespace {

struct ByteCase {
    std::uint32_t codePage;
    unsigned char byte;
    char32_t expected;  // 0xFFFFFFFF: no character
};

class CodePageConverterTest : public ::testing::TestWithParam<ByteCase> {};

TEST_P(CodePageConverterTest, MapsOneByteToOneCharacterOrNone) {
    const ByteCase& c = GetParam();
    const CodePageConverter conv(c.codePage);
    ASSERT_TRUE(conv.IsValid());
    const auto got = conv.ToUnicode(c.byte);
    if (c.expected == 0xFFFFFFFF) {
        EXPECT_FALSE(got.has_value()) << std::hex << static_cast<std::uint32_t>(*got);
    } else {
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(static_cast<std::uint32_t>(*got), static_cast<std::uint32_t>(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, CodePageConverterTest,
    ::testing::Values(ByteCase{437, 0xB3, 0x2502}, ByteCase{437, 0xC4, 0x2500}, ByteCase{1252, 0x80, 0x20AC},
                      ByteCase{1252, 0x81, 0xFFFFFFFF},
                      // Code page 0 is the system's ANSI code page: 1252.
                      ByteCase{0, 0x80, 0x20AC}, ByteCase{65001, 0x41, 'A'}, ByteCase{65001, 0xC3, 0xFFFFFFFF},
                      // A lead byte of a double-byte code page is no character on its own.
                      ByteCase{932, 0x82, 0xFFFFFFFF}, ByteCase{932, 0xB1, 0xFF71},
                      ByteCase{28591, 0xE9, 0xE9}, ByteCase{10000, 0xA5, 0x2022}, ByteCase{866, 0x80, 0x0410}));

TEST(CodePageConverter, UnknownCodePageIsInvalidAndConvertsNothing) {
    const CodePageConverter conv(4242);
    EXPECT_FALSE(conv.IsValid());
    EXPECT_FALSE(conv.ToUnicode('A').has_value());
}

TEST(CodePageList, ListsNamedCodePagesThatIconvOpens) {
    CodePageList list;
    ASSERT_GT(list.GetCount(), 20);
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string name = list.GetName(i);
        EXPECT_EQ(CodePageList::LeadingNumber(name), list.GetCodePage(i)) << name;
        EXPECT_NE(name.find("  ("), std::string::npos) << name;
    }
    EXPECT_EQ(CodePageList::CodePageName(1252), "1252  (ANSI - Latin I)");
    EXPECT_EQ(list.GetName(list.GetCount()), "");
}

TEST(CodePageList, TypeFiltersGoByTheWordsInTheNames) {
    // The list's own filtering (and "other") is driven through the font dialog.
    EXPECT_TRUE(CodePageMatchesType("874  (ANSI/OEM - Thai)", "ANSI"));
    EXPECT_TRUE(CodePageMatchesType("874  (ANSI/OEM - Thai)", "OEM"));
    EXPECT_FALSE(CodePageMatchesType("874  (ANSI/OEM - Thai)", "other"));
    EXPECT_TRUE(CodePageMatchesType("20866  (Russian - KOI8)", "other"));
    EXPECT_TRUE(CodePageMatchesType("20866  (Russian - KOI8)", "All"));
    EXPECT_FALSE(CodePageMatchesType("10000  (MAC - Roman)", "ISO"));
}

TEST(CodePageList, EntryTextGivesItsLeadingDigits) {
    EXPECT_EQ(CodePageList::LeadingNumber("850  (OEM - Multilingual Latin I)"), 850u);
    EXPECT_EQ(CodePageList::LeadingNumber("(none)"), 0u);
    EXPECT_EQ(CodePageList::LeadingNumber("99999999999999999999"), 0u);
}

}  // namespace
