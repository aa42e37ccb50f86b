#include "FileUtil.h"
#include "GlyphosDocCore.h"
#include "KalvoNewDebugObject.h"
#include "PswBuilder.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <cstring>

#include <ctime>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <random>

namespace {

using pswtest::Bytes;

// Answers the font selection with a fixed index and remembers the list.
struct Pick : IDocChoices {
    explicit Pick(int i) : index(i) {}
    int SelectFont(const std::vector<FontChoice>& c) override {
        seen = c;
        return index;
    }
    int index;
    std::vector<FontChoice> seen;
};

Bytes RandomData(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(gen());
    return b;
}

class GlyphosDocCoreTest : public ::testing::Test {
protected:
    void SetUp() override { doc.SetLogDir(CString::FromUtf8(dir.path())); }
    CString P(const std::string& name) const { return CString::FromUtf8(dir.File(name)); }
    ScopedScriptedUi ui;
    TempDir dir;
    CGlyphosDocCore doc;
};

TEST_F(GlyphosDocCoreTest, NewDocumentHoldsTheDefaultFont) {
    const KalvoFont& f = doc.GetFont();
    EXPECT_EQ(f.GetTag(), 'F');
    EXPECT_EQ(f.GetWidth(), 16);
    EXPECT_EQ(f.GetHeight(), 24);
    EXPECT_EQ(f.GetFirstChar(), 32);
    EXPECT_EQ(f.GetLastChar(), 255);
    EXPECT_EQ(f.GetOrientation(), 'H');
    EXPECT_EQ(f.GetFontName(), L"No name font");
    EXPECT_EQ(doc.GetBytesPerRow(), 2);
    EXPECT_EQ(doc.GetNewFont(), 1);
    EXPECT_EQ(doc.GetFullRange(), 1);
    EXPECT_EQ(doc.GetCurrentChar(), 32);
}

TEST_F(GlyphosDocCoreTest, PathsAreClassifiedAfterLowerCasing) {
    EXPECT_EQ(CGlyphosDocCore::ClassifyPath(L"/a/FONT.PSW"), CGlyphosDocCore::PathKind::Psw);
    EXPECT_EQ(CGlyphosDocCore::ClassifyPath(L"/a/NAME.KFN"), CGlyphosDocCore::PathKind::Kfn);
    EXPECT_EQ(CGlyphosDocCore::ClassifyPath(L"/a/name.txt"), CGlyphosDocCore::PathKind::Unknown);
}

TEST_F(GlyphosDocCoreTest, SaveAsProposalsAndRefusals) {
    EXPECT_EQ(CGlyphosDocCore::ProposeSaveAsName(L"demo.psw2) Font 08 x 16", L"2) Font 08 x 16"),
              L"demo2) Font 08 x 16.kfn");
    EXPECT_EQ(CGlyphosDocCore::ProposeSaveAsName(L"1) Font 16 x 24", L"x"), L"1) Font 16 x 24.kfn");
    EXPECT_EQ(CGlyphosDocCore::ProposeSaveAsName(L"Untitled", L"No name font"), L"UntitledNo name font.kfn");
    ui->Answer(IDOK);
    EXPECT_EQ(CGlyphosDocCore::CheckSaveAsPath(L"/x/font.psw"), 0);
    EXPECT_EQ(ui.Last().text, L"Save as operation was possible if also the file extension is *.kfn .\nPlese repaet "
                              L"save as operation with just file extension !");
    ui->Answer(IDOK);
    EXPECT_EQ(CGlyphosDocCore::CheckSaveAsPath(L"/x/font.txt"), 0);
    EXPECT_EQ(ui.Last().text, L"The exension file selected isn't correct!");
    EXPECT_EQ(CGlyphosDocCore::CheckSaveAsPath(L"/x/font.KFN"), 1);
}

// Opening font N of a file gives exactly the dots that were put in, for
// plain, odd and even scramble bytes and both generations.
TEST_F(GlyphosDocCoreTest, OpensTheChosenFontOfEitherGeneration) {
    for (std::uint8_t s : {0x00, 0x35, 0x36}) {
        for (int gen = 1; gen <= 2; ++gen) {
            pswtest::FontSpec a{.width = 8, .height = 8, .first = 32, .last = 40};
            pswtest::FontSpec b{.width = 16, .height = 10, .first = 65, .last = 90};
            b.data = RandomData(b.BlockSize(), s + gen);
            const std::string path = dir.File("f" + std::to_string(gen) + ".psw");
            if (gen == 1) {
                pswtest::Psw1Builder w;
                w.printer.scrByte = s;
                w.AddBank(0);
                w.AddFont(a);
                w.AddFont(b);
                w.Write(path);
            } else {
                pswtest::Psw2Builder w;
                w.printer.scrByte = s;
                w.AddSoftwareModule("1x23");
                w.AddFont(a);
                w.AddFont(b);
                w.Write(path);
            }
            CGlyphosDocCore d;
            d.SetLogDir(CString::FromUtf8(dir.path()));
            Pick pick(1);
            ASSERT_EQ(d.OpenFromPsw(CString::FromUtf8(path), pick), 1) << "gen " << gen << " s " << int(s);
            ASSERT_EQ(pick.seen.size(), 2u);
            EXPECT_EQ(pick.seen[0].line, L"1) Font 08 x 08");
            EXPECT_EQ(pick.seen[1].line, L"2) Font 16 x 10");
            const KalvoFont& f = d.GetFont();
            EXPECT_EQ(f.GetHeaderGeneration(), gen - 1);
            EXPECT_EQ(f.GetFontName(), L"2) Font 16 x 10");
            EXPECT_EQ(d.GetNewFont(), 0);
            std::size_t k = 0;
            for (int ch = 65; ch <= 90; ++ch)
                for (int row = 0; row < 10; ++row)
                    for (int byte = 0; byte < 2; ++byte, ++k)
                        ASSERT_EQ(f.GetGridByte(ch, row, byte), b.data[k]) << ch << "/" << row << "/" << byte;
        }
    }
}

TEST_F(GlyphosDocCoreTest, CancellingTheSelectionKeepsTheDefaultFont) {
    pswtest::Psw2Builder w;
    w.AddSoftwareModule("1x23");
    w.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    w.Write(dir.File("c.psw"));
    Pick cancel(-1);
    EXPECT_EQ(doc.OpenFromPsw(P("c.psw"), cancel), 0);
    EXPECT_EQ(doc.GetFont().GetHeaderGeneration(), 0);
    EXPECT_EQ(doc.GetFont().GetWidth(), 16);
    EXPECT_EQ(doc.GetNewFont(), 1);
}

TEST_F(GlyphosDocCoreTest, ALogOfTheSameSecondIsNeverEmptiedAndADocumentKeepsItsLog) {
    pswtest::Psw1Builder w;
    w.AddBank(0);
    w.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    w.Write(dir.File("l.psw"));
    // Logs of other documents, named for this second and the next.
    std::vector<std::string> others;
    for (std::time_t t = std::time(nullptr), end = t + 2; t < end; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        char stamp[64] = {};
        std::strftime(stamp, sizeof stamp, "%H_%M_%S_%d_%m_%Y_", &local);
        others.push_back(dir.File(std::string(stamp) + ".log"));
        WriteText(others.back(), "kept");
    }
    Pick pick(0);
    ASSERT_EQ(doc.OpenFromPsw(P("l.psw"), pick), 1);
    for (const std::string& o : others) EXPECT_EQ(ReadText(o), "kept");

    CGlyphosDocCore next;
    next.SetLogDir(CString::FromUtf8(dir.path()));
    next.ShareLog(doc);
    ASSERT_EQ(next.OpenFromPsw(P("l.psw"), pick), 1);
    EXPECT_EQ(next.GetLog(), doc.GetLog());
    // The file itself appears with the first line.
    doc.GetLog()->MessageLog(L"\nline", L"", 0);
    std::size_t logs = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) logs += e.path().extension() == ".log";
    EXPECT_EQ(logs, others.size() + 1);
}

TEST_F(GlyphosDocCoreTest, OneModelStoresThreeFontsWithPairsExchanged) {
    pswtest::Psw1Builder w;
    w.printer.name = "QLM 736";
    w.AddBank(0);
    for (int i = 0; i < 22; ++i) w.AddFont({.width = 8, .height = 2, .first = 65, .last = 65});
    w.Write(dir.File("q.psw"));
    const Bytes data = pswtest::DefaultFontData(w.Fonts()[21], 21);
    Pick pick(21);
    ASSERT_EQ(doc.OpenFromPsw(P("q.psw"), pick), 1);
    EXPECT_EQ(doc.GetFont().GetGridByte(65, 0, 0), data[1]);
    EXPECT_EQ(doc.GetFont().GetGridByte(65, 1, 0), data[0]);
    Pick other(20);
    ASSERT_EQ(doc.OpenFromPsw(P("q.psw"), other), 1);
    const Bytes data20 = pswtest::DefaultFontData(w.Fonts()[20], 20);
    EXPECT_EQ(doc.GetFont().GetGridByte(65, 0, 0), data20[0]);
}

// Saving an edited font back: the edited dots come back, the sums are the
// sums of the plain banks, the scramble byte is new and every byte outside
// the font's block means what it meant.
TEST_F(GlyphosDocCoreTest, SavingIntoAFirstGenerationFileRewritesBlockSumsAndScrambling) {
    pswtest::Psw1Builder w;
    w.printer.scrByte = 0x35;
    w.printer.gsiModel = 0x41;
    w.bankSize = 256;
    w.AddBank(0, RandomData(256, 1));
    w.AddBank(1, RandomData(256, 2));
    w.AddFont({.width = 12, .height = 16, .first = 48, .last = 57, .marginLeft = 2, .byteOrder = 1});
    w.Write(dir.File("s.psw"));
    const Bytes plainBefore = w.PlainBinary();

    Pick first(0);
    ASSERT_EQ(doc.OpenFromPsw(P("s.psw"), first), 1);
    doc.GetFont().TogglePixel(50, 3, 5);
    const int dot = doc.GetFont().GetPixel(50, 3, 5);
    ASSERT_EQ(doc.SaveIntoPsw(P("s.psw"), first), 1);

    const std::string after = ReadText(dir.File("s.psw"));
    const auto s1 = static_cast<std::uint8_t>(after[23]);
    EXPECT_NE(s1, 0);
    EXPECT_EQ(pswtest::ScrambleGsi(static_cast<std::uint8_t>(after[21]), s1), 0x41);
    Bytes plainAfter(after.begin() + w.HeaderSize(), after.end());
    pswtest::UnscrambleBuffer(plainAfter.data(), plainAfter.size(), 0, s1);
    const auto sums = pswtest::ImageSums(plainAfter, 512);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<std::uint8_t>(after[26 + i]), sums[static_cast<std::size_t>(i)]);
    const std::size_t from = w.FontPosition(0), to = from + w.Fonts()[0].BlockSize();
    ASSERT_EQ(plainAfter.size(), plainBefore.size());
    for (std::size_t i = 0; i < plainAfter.size(); ++i) {
        if (i < from || i >= to) {
            ASSERT_EQ(plainAfter[i], plainBefore[i]) << "contents byte " << i;
        }
    }
    const Bytes built = w.Build();
    EXPECT_EQ(after.substr(32, w.HeaderSize() - 32), std::string(built.begin() + 32, built.begin() + w.HeaderSize()));

    CGlyphosDocCore again;
    again.SetLogDir(CString::FromUtf8(dir.path()));
    ASSERT_EQ(again.OpenFromPsw(P("s.psw"), first), 1);
    EXPECT_EQ(again.GetFont().GetPixel(50, 3, 5), dot);
    for (int ch = 48; ch <= 57; ++ch)
        for (int row = 0; row < 16; ++row)
            for (int b = 0; b < 8; ++b)
                ASSERT_EQ(again.GetFont().GetGridByte(ch, row, b), doc.GetFont().GetGridByte(ch, row, b));
}

// The disk failing at any step of a save (any piece of the write, the flush,
// the rename) leaves the old file byte for byte, or the new one whole, and
// nothing beside it.
AtomicWriteStep g_failStep;
std::size_t g_failIndex;
bool FailOneStep(AtomicWriteStep step, std::size_t index) { return step == g_failStep && index == g_failIndex; }

TEST_F(GlyphosDocCoreTest, ASaveThatFailsAtAnyStepLeavesTheOldFileOrTheNewOneWhole) {
    pswtest::Psw1Builder w;
    w.bankSize = 3 * kAtomicWriteChunk / 2;
    w.AddBank(0, RandomData(w.bankSize, 4));
    w.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    w.Write(dir.File("s.psw"));
    Pick first(0);
    ASSERT_EQ(doc.OpenFromPsw(P("s.psw"), first), 1);
    ASSERT_EQ(doc.SaveKfnFile(P("f.kfn")), 1);
    doc.GetFont().TogglePixel(33, 2, 2);
    const int dot = doc.GetFont().GetPixel(33, 2, 2);
    const struct {
        AtomicWriteStep step;
        std::size_t index;
    } faults[] = {{AtomicWriteStep::Write, 0}, {AtomicWriteStep::Write, 1}, {AtomicWriteStep::Write, 2},
                  {AtomicWriteStep::Sync, 0},  {AtomicWriteStep::Rename, 0}};
    for (const auto& f : faults) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(f.step) << " " << f.index);
        const std::string oldPsw = ReadText(dir.File("s.psw")), oldKfn = ReadText(dir.File("f.kfn"));
        g_failStep = f.step;
        g_failIndex = f.index;
        SetAtomicWriteFault(FailOneStep);
        const int savedPsw = doc.SaveIntoPsw(P("s.psw"), first);
        const int savedKfn = doc.SaveKfnFile(P("f.kfn"));
        SetAtomicWriteFault(nullptr);
        ui->Clear();  // a failed save says so in a box
        if (!savedPsw) {
            EXPECT_EQ(ReadText(dir.File("s.psw")), oldPsw);
        }
        if (!savedKfn) {
            EXPECT_EQ(ReadText(dir.File("f.kfn")), oldKfn);
        }
        CGlyphosDocCore check;
        check.SetLogDir(CString::FromUtf8(dir.path()));
        ASSERT_EQ(check.OpenFromPsw(P("s.psw"), first), 1);
        EXPECT_EQ(check.GetFont().GetPixel(33, 2, 2), savedPsw ? dot : 1 - dot);
        ASSERT_EQ(check.LoadKfnFile(P("f.kfn")), 1);
        EXPECT_EQ(check.GetFont().GetPixel(33, 2, 2), savedKfn ? dot : 1 - dot);
        // The log of this fixture and the two files: no temporary left.
        std::size_t others = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            others += name != "s.psw" && name != "f.kfn" && name.find(".log") == std::string::npos;
        }
        EXPECT_EQ(others, 0u);
        if (savedPsw || savedKfn) {  // the old contents back for the next step
            doc.GetFont().TogglePixel(33, 2, 2);
            ASSERT_EQ(doc.SaveIntoPsw(P("s.psw"), first), 1);
            ASSERT_EQ(doc.SaveKfnFile(P("f.kfn")), 1);
            doc.GetFont().TogglePixel(33, 2, 2);
        }
    }
}

TEST_F(GlyphosDocCoreTest, FontsMoveBetweenGenerationsIntoCompatibleSlots) {
    const pswtest::FontSpec shape{.width = 10, .height = 12, .first = 32, .last = 64, .marginRight = 1};
    pswtest::Psw1Builder one;
    one.AddBank(0);
    one.AddFont(shape);
    one.Write(dir.File("one.psw"));
    pswtest::Psw2Builder two;
    two.printer.scrByte = 0x81;
    two.AddSoftwareModule("1x23");
    two.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    two.AddFont(shape);
    two.Write(dir.File("two.psw"));

    Pick pick0(0), pick1(1);
    ASSERT_EQ(doc.OpenFromPsw(P("one.psw"), pick0), 1);
    doc.GetFont().SetPixel(33, 0, 0);
    ASSERT_EQ(doc.SaveIntoPsw(P("two.psw"), pick0), 1);
    ASSERT_EQ(pick0.seen.size(), 1u);
    EXPECT_EQ(pick0.seen[0].line, L"2) Font 10 x 12");
    EXPECT_EQ(pick0.seen[0].position, 2);
    const std::string twoAfter = ReadText(dir.File("two.psw"));
    const Bytes twoBuilt = two.Build();
    EXPECT_EQ(twoAfter.substr(26, 4), std::string(twoBuilt.begin() + 26, twoBuilt.begin() + 30));  // no sums in PSW2

    CGlyphosDocCore d2;
    d2.SetLogDir(CString::FromUtf8(dir.path()));
    ASSERT_EQ(d2.OpenFromPsw(P("two.psw"), pick1), 1);
    EXPECT_EQ(d2.GetFont().GetPixel(33, 0, 0), 1);
    d2.GetFont().ClearPixel(33, 0, 0);
    ASSERT_EQ(d2.SaveIntoPsw(P("one.psw"), pick0), 1);
    CGlyphosDocCore d1;
    d1.SetLogDir(CString::FromUtf8(dir.path()));
    ASSERT_EQ(d1.OpenFromPsw(P("one.psw"), pick0), 1);
    EXPECT_EQ(d1.GetFont().GetPixel(33, 0, 0), 0);
}

// Opening a font from a PSW2 file and writing it back each read the file
// once: the headers, the scramble byte and the font come from one reading,
// so they cannot disagree when the file changes meanwhile.
TEST_F(GlyphosDocCoreTest, OpeningFromAndSavingIntoAPswFileEachReadItOnce) {
    pswtest::Psw2Builder two;
    two.printer.scrByte = 0x81;
    two.AddSoftwareModule("1x23");
    two.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    two.Write(dir.File("two.psw"));
    const int fd = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_GE(inotify_add_watch(fd, dir.File("two.psw").c_str(), IN_OPEN), 0);
    const auto opens = [fd] {
        int count = 0;
        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) {
            for (char* p = buf; p < buf + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                count += (reinterpret_cast<inotify_event*>(p)->mask & IN_OPEN) != 0;
        }
        return count;
    };
    Pick pick(0);
    ASSERT_EQ(doc.OpenFromPsw(P("two.psw"), pick), 1);
    EXPECT_EQ(opens(), 1);
    ASSERT_EQ(doc.SaveIntoPsw(P("two.psw"), pick), 1);
    // The new contents go to a temporary file renamed over this one.
    EXPECT_EQ(opens(), 1);
    ::close(fd);
}

TEST_F(GlyphosDocCoreTest, AnIncompatibleFileIsRefusedAndLeftAsItWas) {
    pswtest::Psw1Builder w;
    w.printer.scrByte = 0x11;
    w.AddBank(0);
    w.AddFont({.width = 8, .height = 8, .first = 32, .last = 40});
    w.Write(dir.File("i.psw"));
    const std::string before = ReadText(dir.File("i.psw"));
    Pick pick(0);
    ui->Answer(IDOK);
    EXPECT_EQ(doc.SaveIntoPsw(P("i.psw"), pick), 0);
    EXPECT_EQ(ui.Last().text, L"It's Impossible to replace the font in psw file selected.");
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ReadText(dir.File("i.psw")), before);
}

TEST_F(GlyphosDocCoreTest, KfnRoundTripsByteForByteInBothLayouts) {
    for (const char* file : {"one.psw", "two.psw"}) {
        const pswtest::FontSpec shape{.width = 12, .height = 5, .first = 65, .last = 67, .marginLeft = -1};
        if (std::string(file) == "one.psw") {
            pswtest::Psw1Builder w;
            w.AddBank(0);
            w.AddFont(shape);
            w.Write(dir.File(file));
        } else {
            pswtest::Psw2Builder w;
            w.AddSoftwareModule("1x23");
            pswtest::FontSpec s = shape;
            for (std::size_t i = 0; i < s.carried.size(); ++i) s.carried[i] = static_cast<std::uint8_t>(0xA0 + i);
            w.AddFont(s);
            w.Write(dir.File(file));
        }
        Pick pick(0);
        ASSERT_EQ(doc.OpenFromPsw(P(file), pick), 1);
        const Bytes stored = doc.StoreKfn();
        ASSERT_FALSE(stored.empty());
        EXPECT_EQ(stored[0], std::string(file) == "one.psw" ? 'F' : 'f');
        CGlyphosDocCore other;
        ASSERT_EQ(other.LoadKfn(stored.data(), stored.size()), 1);
        EXPECT_EQ(other.StoreKfn(), stored) << file;
        EXPECT_EQ(other.GetFont().GetFontName(), L"1) Font 12 x 05");
        EXPECT_EQ(other.GetNewFont(), 0);
    }
}

// A record whose tag was edited to the other generation's letter is stored
// in the layout a reader expects for that letter, its fields kept by meaning.
TEST_F(GlyphosDocCoreTest, KfnOfARetaggedRecordKeepsItsFieldsInTheOtherLayout) {
    const pswtest::FontSpec shape{.width = 12, .height = 5, .first = 65, .last = 67, .marginLeft = -1};
    pswtest::Psw1Builder one;
    one.AddBank(0);
    one.AddFont(shape);
    one.Write(dir.File("one.psw"));
    pswtest::Psw2Builder two;
    two.AddSoftwareModule("1x23");
    two.AddFont(shape);
    two.Write(dir.File("two.psw"));
    for (const auto& [file, newTag] : {std::pair{"one.psw", 'f'}, std::pair{"two.psw", 'F'}}) {
        SCOPED_TRACE(file);
        CGlyphosDocCore d;
        d.SetLogDir(CString::FromUtf8(dir.path()));
        Pick pick(0);
        ASSERT_EQ(d.OpenFromPsw(P(file), pick), 1);
        const std::uint32_t position = d.GetFont().GetFontPosition();
        d.GetFont().SetTag(newTag);
        const Bytes stored = d.StoreKfn();
        ASSERT_FALSE(stored.empty());
        CGlyphosDocCore other;
        ASSERT_EQ(other.LoadKfn(stored.data(), stored.size()), 1);
        const KalvoFont& f = other.GetFont();
        EXPECT_EQ(f.GetTag(), newTag);
        EXPECT_EQ(f.GetHeaderGeneration(), newTag == 'f' ? 1 : 0);
        EXPECT_EQ(f.GetWidth(), 12);
        EXPECT_EQ(f.GetHeight(), 5);
        EXPECT_EQ(f.GetFirstChar(), 65);
        EXPECT_EQ(f.GetLastChar(), 67);
        EXPECT_EQ(f.GetMarginLeft(), -1);
        EXPECT_EQ(f.GetFontPosition(), position);
    }
}

TEST_F(GlyphosDocCoreTest, KfnLayoutIsTheArchiveForm) {
    doc.GetFont().SetPixel(32, 0, 0);  // grid byte 0x80
    const Bytes kfn = doc.StoreKfn();
    // 16 record bytes, name "No name font", bytes per row 2 (LE), pairs.
    ASSERT_GT(kfn.size(), 16u + 13u + 4u + 3u);
    EXPECT_EQ(kfn[16], 12);
    EXPECT_EQ(std::string(kfn.begin() + 17, kfn.begin() + 29), "No name font");
    EXPECT_EQ(Bytes(kfn.begin() + 29, kfn.begin() + 33), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(Bytes(kfn.begin() + 33, kfn.begin() + 39), (Bytes{2, '8', '0', 2, '0', '0'}));
    EXPECT_EQ(kfn.size(), 33u + 224u * 24u * 2u * 3u);
}

TEST_F(GlyphosDocCoreTest, KfnEndingInsideTheLastCharacterLoadsButEarlierDoesNot) {
    doc.GetFont().SetPixel(255, 0, 0);
    doc.GetFont().SetPixel(254, 0, 0);
    Bytes kfn = doc.StoreKfn();
    Bytes cut(kfn.begin(), kfn.end() - 3 * 10);
    CGlyphosDocCore other;
    ASSERT_EQ(other.LoadKfn(cut.data(), cut.size()), 1);
    EXPECT_EQ(other.GetFont().GetPixel(255, 0, 0), 1);
    EXPECT_EQ(other.GetFont().GetPixel(254, 0, 0), 1);

    Bytes early(kfn.begin(), kfn.end() - 3 * 24 * 2 - 3);
    CGlyphosDocCore third;
    third.GetFont().SetPixel(40, 1, 1);
    EXPECT_EQ(third.LoadKfn(early.data(), early.size()), 0);
    EXPECT_EQ(third.GetFont().GetPixel(40, 1, 1), 1);  // untouched
    for (std::size_t n : {0ul, 1ul, 10ul, 20ul, 31ul}) EXPECT_EQ(third.LoadKfn(kfn.data(), n), 0) << n;
}

// A file is read a window at a time; what it gives must be what reading
// the same bytes whole gives: whole, cut and damaged files of the largest
// font, and a name longer than the window.
TEST_F(GlyphosDocCoreTest, KfnFilesReadAsTheirBytesDo) {
    KalvoFont& f = doc.GetFont();
    f.SetWidth(64);
    f.SetHeight(96);
    f.SetFirstChar(0x20);
    f.SetLastChar(0xFF);
    doc.PropertiesChanged();
    for (int ch = 0x20; ch <= 0xFF; ++ch) f.SetPixel(ch, ch % 96, (ch * 7) % 64);
    const Bytes kfn = doc.StoreKfn();
    const std::size_t dots = kfn.size() - std::size_t{224} * 96 * 8 * 3;
    f.SetFontName(CString::FromUtf8(std::string(70000, 'n')));
    const Bytes longName = doc.StoreKfn();
    const auto changed = [&](std::size_t at, std::uint8_t v) {
        Bytes b = kfn;
        b[at] = v;
        return b;
    };
    const std::vector<Bytes> cases = {
        kfn,
        longName,
        Bytes(kfn.begin(), kfn.end() - 3),              // inside the last character
        Bytes(kfn.begin(), kfn.end() - 3 * 8 * 96 - 3),  // before it
        Bytes(kfn.begin(), kfn.begin() + 70000),
        Bytes(kfn.begin(), kfn.begin() + static_cast<long>(dots) + 1),
        Bytes(kfn.begin(), kfn.begin() + 10),
        Bytes(longName.begin(), longName.begin() + 65600),
        changed(dots + 3 * 70000, 7),     // a string of 7 in the dots
        changed(dots + 3 * 70000, 0xFF),  // a long length in the dots
        changed(dots + 3 * 70001, 3),
        changed(dots + 3 * 21845 + 1, 'z'),  // a character that counts as 15, at a window's edge
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        WriteText(dir.File("c.kfn"), std::string(cases[i].begin(), cases[i].end()));
        CGlyphosDocCore fromBytes, fromFile;
        const int expected = fromBytes.LoadKfn(cases[i].data(), cases[i].size());
        if (!expected) ui->Answer(IDOK);
        ASSERT_EQ(fromFile.LoadKfnFile(P("c.kfn")), expected) << "case " << i;
        if (!expected) {
            EXPECT_NE(ui.Last().text.Find(L"is not a Glyphos font file or is damaged"), -1) << "case " << i;
            continue;
        }
        const KalvoFont &a = fromBytes.GetFont(), &b = fromFile.GetFont();
        EXPECT_EQ(a.GetFontName(), b.GetFontName()) << "case " << i;
        EXPECT_EQ(std::memcmp(a.GetHeaderBytes(), b.GetHeaderBytes(), static_cast<std::size_t>(a.GetHeaderSize())), 0);
        for (int ch = 0; ch < 256; ++ch)
            ASSERT_EQ(std::memcmp(a.GetCharBits(ch), b.GetCharBits(ch), KalvoFont::kRows * KalvoFont::kRowBytes), 0)
                << "case " << i << ", character " << ch;
    }
}

// A property record no font can have makes the file damaged; the document
// keeps what it had. Record bytes 3..6: width, height, first, last.
TEST_F(GlyphosDocCoreTest, KfnWithARecordOutsideTheFontRangesIsRefused) {
    const Bytes good = doc.StoreKfn();
    struct Case {
        int width, height, first, last;
        bool loads;
    } const cases[] = {{0, 24, 32, 255, false},  {65, 24, 32, 255, false}, {64, 24, 32, 255, true},
                       {16, 0, 32, 255, false},  {16, 97, 32, 255, false}, {16, 96, 65, 66, true},
                       {16, 24, 100, 99, false}, {16, 24, 65, 65, true},   {1, 1, 0, 255, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.first << ".." << c.last);
        Bytes kfn = good;
        kfn[3] = static_cast<std::uint8_t>(c.width);
        kfn[4] = static_cast<std::uint8_t>(c.height);
        kfn[5] = static_cast<std::uint8_t>(c.first);
        kfn[6] = static_cast<std::uint8_t>(c.last);
        CGlyphosDocCore other;
        other.GetFont().SetPixel(40, 1, 1);
        EXPECT_EQ(other.LoadKfn(kfn.data(), kfn.size()), c.loads ? 1 : 0);
        if (!c.loads) {
            EXPECT_EQ(other.GetFont().GetPixel(40, 1, 1), 1);
        }
    }
    // The shortest file there is: a record, a name and a row length, all zero.
    const Bytes zeros(21, 0);
    EXPECT_EQ(doc.LoadKfn(zeros.data(), zeros.size()), 0);
}

TEST_F(GlyphosDocCoreTest, NavigationStaysInsideTheRange) {
    EXPECT_FALSE(doc.PrevChar());
    EXPECT_FALSE(doc.Back16());
    EXPECT_TRUE(doc.Forward16());
    EXPECT_EQ(doc.GetCurrentChar(), 48);
    EXPECT_EQ(doc.GetRedrawHint(), 10);
    EXPECT_TRUE(doc.Back16());
    EXPECT_TRUE(doc.LastChar());
    EXPECT_FALSE(doc.NextChar());
    EXPECT_FALSE(doc.Forward16());
    EXPECT_TRUE(doc.PrevChar());
    EXPECT_EQ(doc.GetCurrentChar(), 254);
}

}  // namespace
