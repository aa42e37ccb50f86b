// The test-file builder is the reference the readers and the scrambler are
// checked against, so its own few promises are pinned down here.
#include "PswBuilder.h"

#include <gtest/gtest.h>

using namespace pswtest;

namespace {

TEST(PswBuilderScramble, MatchesTheWorkedBytes) {
    EXPECT_EQ(ScrambleGsi(0x12, 0), 0x12);
    EXPECT_EQ(ScrambleGsi(0x12, 0x34), 0xD9);
    EXPECT_EQ(ScrambleGsi(0xD9, 0x34), 0x12);

    Bytes odd(5, 0x00);
    ScrambleBuffer(odd.data(), odd.size(), 0, 0x01);
    EXPECT_EQ(odd[0], 0xFE);
    EXPECT_EQ(odd[4], 0xFD);

    std::uint8_t even = 0x01;
    ScrambleBuffer(&even, 1, 32, 0x02);
    EXPECT_EQ(even, 0x81);
}

TEST(PswBuilderScramble, RoundTripsAndRepeatsWithItsPeriod) {
    Bytes plain(600);
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i * 31 + 7);
    for (int s : {0x00, 0x01, 0x35, 0xFF, 0x02, 0x80, 0xFE}) {
        SCOPED_TRACE(s);
        Bytes a = plain, b = plain;
        ScrambleBuffer(a.data(), a.size(), 3, static_cast<std::uint8_t>(s));
        if (s != 0) {
            EXPECT_NE(a, plain);
        }
        ScrambleBuffer(b.data(), b.size(), 3 + ((s & 1) ? 32u : 256u), static_cast<std::uint8_t>(s));
        EXPECT_EQ(a, b);
        UnscrambleBuffer(a.data(), a.size(), 3, static_cast<std::uint8_t>(s));
        EXPECT_EQ(a, plain);
    }
}

TEST(PswBuilderLayout, FirstGenerationFileIsHeaderThenScrambledImage) {
    Psw1Builder b;
    b.printer.scrByte = 0x35;
    b.bankSize = 16;
    b.AddBank(7, Bytes{1, 2, 3});
    const int f = b.AddFont({.width = 12, .height = 2, .first = 'A', .last = 'C', .marginLeft = -4});
    EXPECT_EQ(b.Fonts()[0].BlockSize(), 1u * 2 * 3);
    const Bytes file = b.Build();
    ASSERT_EQ(b.HeaderSize(), 32u * 4 + 8);
    ASSERT_EQ(file.size(), b.HeaderSize() + b.BinarySize());
    EXPECT_EQ(b.FontOffset(f), b.HeaderSize() + 16);

    Bytes image(file.begin() + b.HeaderSize(), file.end());
    UnscrambleBuffer(image.data(), image.size(), 0, 0x35);
    EXPECT_EQ(image, b.PlainBinary());
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(image[3], 0xFF);  // bank padded to its size
    EXPECT_EQ(Bytes(image.begin() + 16, image.end()), DefaultFontData(b.Fonts()[0], 0));
}

TEST(PswBuilderLayout, SumsCoverTheRequestedBytes) {
    const Bytes plain{0x01, 0x02, 0xFF, 0x10};
    // Plain: 1 + 2 + 255 = 258; XOR with index: 1 + 3 + 253 = 257.
    EXPECT_EQ(ImageSums(plain, 3), (std::array<std::uint8_t, 4>{0x01, 0x02, 0x01, 0x01}));
}

}  // namespace
