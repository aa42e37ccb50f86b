// Both generations' readers on many randomly damaged files: every load ends
// with a result or the release assertion, never with a crash, a read past a
// buffer (the sanitizer build watches) or a loop that does not end.
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <random>

using pswtest::Bytes;

namespace {

Bytes FirstGeneration() {
    pswtest::Psw1Builder b;
    b.printer.scrByte = 0x21;
    b.AddBank(1);
    b.AddBank(2);
    b.AddLogo({.colours = 2, .data = Bytes(8, 1)});
    b.AddFont({.width = 8, .height = 8, .first = 'A', .last = 'D'});
    b.AddFont({.width = 12, .height = 4, .first = '0', .last = '1'});
    return b.Build();
}

Bytes SecondGeneration() {
    pswtest::Psw2Builder b;
    b.printer.scrByte = 0x44;
    b.supported.push_back({});
    b.bootLoader = pswtest::PayloadSpec{};
    b.usbLoader = pswtest::PayloadSpec{};
    b.genericData.push_back({});
    b.propFonts.push_back({});
    b.AddFont({.width = 8, .height = 8, .first = 'A', .last = 'D'});
    b.AddFont({.width = 12, .height = 4, .first = '0', .last = '1'});
    b.AddSoftwareModule("1x23");
    b.AddModule({.type = 'f', .data = Bytes(8, 2)});
    return b.Build();
}

TEST(PswDamagedFiles, EveryLoadEndsWithAResultOrTheAssertion) {
    // Boxes and assertion dialogs are answered and not checked here.
    ScriptedUiServices quiet;
    UiServices* previous = UiServices::Install(&quiet);
    TempDir dir;
    const CString path = CString::FromUtf8(dir.File("damaged.psw"));
    CKalvoNewDebugObject log(nullptr, nullptr, CString(), CString(), L"fuzz", 0);
    const Bytes originals[] = {FirstGeneration(), SecondGeneration()};
    const unsigned char tags[] = {'P', 'S', 'L', 'F', 'C', '@', 'Q', 's', 'f', 'u', 'b', 'd', 'm', '?', 1, 2, 0xFF};

    std::mt19937 rng(20240131);
    int loaded = 0, refused = 0, asserted = 0;
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = originals[round % 2];
        const std::size_t header = std::min<std::size_t>(bytes.size(), 16 * 32);
        const int changes = 1 + static_cast<int>(rng() % 6);
        for (int c = 0; c < changes; ++c) {
            std::size_t at = rng() % header;
            if (rng() % 2) at -= at % 32;  // often a tag
            bytes[at] = (rng() % 2) ? tags[rng() % sizeof tags] : static_cast<unsigned char>(rng());
        }
        if (rng() % 3 == 0) bytes.resize(rng() % bytes.size());
        pswtest::WriteBytes(dir.File("damaged.psw"), bytes);
        try {
            CHeaderPsw first(&log);
            int ok = first.Init(path);
            if (ok && first.IsPSWII()) {
                CHeaderPsw2 second(&log);
                ok = second.Init(path);
                if (ok) {
                    // What a loaded file reports stays within its records.
                    CHeaderFontPsw2* fonts = second.Get_cHeaderFontPsw2();
                    for (int i = 0; i < fonts->GetNumTotFont(); ++i) fonts->GetDimFontBlock(i);
                }
            } else if (ok) {
                CHeaderFontPsw* fonts = first.Get_cHeaderFontPsw();
                for (int i = 0; i < fonts->GetNumTotFont(); ++i) fonts->GetIesimFontStruct(i);
            }
            (ok ? loaded : refused)++;
        } catch (int) {
            ++asserted;
        }
    }
    UiServices::Install(previous);
    // The damage is varied enough to reach every outcome.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
    EXPECT_GT(asserted, 0);
}

}  // namespace
