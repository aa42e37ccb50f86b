#include "CString.h"
#include "CliText.h"
#include "Event.h"
#include "FileUtil.h"
#include "KalvoNewCfgFileObject.h"
#include "LoadCfgFileApp.h"
#include "LoadInfoFile.h"
#include "MessageTarget.h"
#include "PrinterScript.h"
#include "TestUi.h"
#include "UiServices.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <filesystem>
#include <functional>
#include <thread>

namespace {

TEST(CStringTest, FormatTakesWideStringsForPercentS) {
    const CString path = L"/tmp/font.psw";
    EXPECT_EQ(CString::Format(L"\nErrore apertura file: %s", path), L"\nErrore apertura file: /tmp/font.psw");
    EXPECT_EQ(CString::Format(L"%d) Font %.2d x %.2d", 3, 8, 16), L"3) Font 08 x 16");
    EXPECT_EQ(CString::Format(L"0X%02X %u%%", 0x41u, 7u), L"0X41 7%");
    EXPECT_EQ(CString::Format(L"%s and %s", L"a"), L"a and ");  // a missing argument prints nothing
}

TEST(CStringTest, TextRoundTripsThroughUtf8AndSingleBytes) {
    const CString s = L"integrità";
    EXPECT_EQ(CString::FromUtf8(s.ToUtf8()), s);
    EXPECT_EQ(CString::FromBytes(s.ToBytes()), s);
    // Bytes that are not UTF-8 are kept as Latin-1 characters.
    EXPECT_EQ(CString::FromUtf8("a\xE0z"), L"a\u00E0z");
}

TEST(UiServicesTest, DefaultButtonFollowsTheStyle) {
    EXPECT_EQ(DefaultButton(MB_OK), IDOK);
    EXPECT_EQ(DefaultButton(MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(DefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
}

TEST(UiServicesTest, ScriptedProviderAnswersInOrderAndFlagsUnexpectedBoxes) {
    ScriptedUiServices ui;
    UiServices* old = UiServices::Install(&ui);
    ui.Answer(IDNO);
    EXPECT_EQ(MessageBox(nullptr, L"Save?", L"Glyphos", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, L"Oops", L"Error", MB_OKCANCEL | MB_ICONERROR), IDOK);
    UiServices::Install(old);
    EXPECT_EQ(ui.Count(), 2u);
    EXPECT_EQ(ui.UnexpectedCount(), 1u);
    EXPECT_EQ(&UiServices::Get(), old);
}

// A flood of one box (a rate search failing the same way at every rate)
// reads as one line with its count; questions are printed at once.
TEST(UiServicesTest, HeadlessProviderPrintsARepeatedBoxOnceWithItsCount) {
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    {
        HeadlessUiServices ui(out);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(ui.MessageBox(nullptr, L"\nNo model", L"Check", MB_ICONERROR), IDOK);
        ui.MessageBox(nullptr, L"Other", L"Check", MB_ICONERROR);
        EXPECT_EQ(ui.MessageBox(nullptr, L"Go on?", L"Ask", MB_YESNO | MB_ICONQUESTION), IDYES);
        ui.MessageBox(nullptr, L"Go on?", L"Ask", MB_YESNO | MB_ICONQUESTION);
        ui.MessageBox(nullptr, L"Last", L"Check", MB_ICONWARNING);
        ui.MessageBox(nullptr, L"Last", L"Check", MB_ICONWARNING);
    }  // the held-back box goes out when the provider does
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
    std::fclose(out);
    EXPECT_EQ(text, "error: Check: No model (8 times)\nerror: Check: Other\nquestion: Ask: Go on?\n"
                    "question: Ask: Go on?\nwarning: Check: Last (2 times)\n");
}

TEST(MessageTargetTest, PostingNeverBlocksAndKeepsOrder) {
    QueuedMessageTarget target;
    EXPECT_EQ(PostMessage(nullptr, 0x09BE, 0, 0), FALSE);
    std::thread t([&] {
        for (int i = 0; i < 100; ++i) PostMessage(&target, 0x098C, static_cast<WPARAM>(i), 0);
    });
    t.join();
    const auto all = target.TakeAll();
    ASSERT_EQ(all.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(all[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i));
}

TEST(EventTest, AutoResetReleasesOneWaitAndManualStaysSet) {
    using namespace std::chrono_literals;
    Event autoEv;
    EXPECT_FALSE(autoEv.Wait(0ms));
    autoEv.Set();
    EXPECT_TRUE(autoEv.Wait(0ms));
    EXPECT_FALSE(autoEv.Wait(0ms));

    Event manual(true);
    manual.Set();
    EXPECT_TRUE(manual.Wait(0ms));
    EXPECT_TRUE(manual.Wait(0ms));
    manual.Reset();
    EXPECT_FALSE(manual.IsSet());

    Event crossThread;
    std::thread t([&] { crossThread.Set(); });
    EXPECT_TRUE(crossThread.Wait(5s));
    t.join();
}

TEST(FileUtilTest, AtomicWriteReplacesContentsAndKeepsPermissions) {
    TempDir dir;
    const std::string p = dir.File("f.bin");
    WriteText(p, "old contents");
    ::chmod(p.c_str(), 0640);
    std::string err;
    ASSERT_TRUE(WriteFileAtomically(CString::FromUtf8(p), "new", 3, &err)) << err;
    EXPECT_EQ(ReadText(p), "new");
    struct stat st {};
    ::stat(p.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Nothing left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileUtilTest, AtomicWriteIntoAMissingFolderFailsWithAReason) {
    TempDir dir;
    std::string err;
    EXPECT_FALSE(WriteFileAtomically(CString::FromUtf8(dir.File("no/f.bin")), "x", 1, &err));
    EXPECT_FALSE(err.empty());
}

TEST(FileUtilTest, BinaryFileRefusesDirectoriesAndReportsShortReads) {
    TempDir dir;
    BinaryFile f;
    EXPECT_FALSE(f.Open(CString::FromUtf8(dir.path()), BinaryFile::Mode::Read));
    WriteText(dir.File("three"), "abc");
    ASSERT_TRUE(f.Open(CString::FromUtf8(dir.File("three")), BinaryFile::Mode::Read));
    EXPECT_EQ(f.Length(), 3);
    char buf[8];
    ASSERT_TRUE(f.Seek(1));
    EXPECT_EQ(f.Read(buf, 8), 2u);
}

// A FIFO with no writer would block open() forever; a socket or a device
// never ends. Each reader of user files refuses them at once.
TEST(FileUtilTest, OnlyRegularFilesAreReadAndNothingElseBlocks) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const int sock = BindSocketFile(dir.File("sock"));
    ASSERT_GE(sock, 0);
    const std::pair<std::string, const char*> cases[] = {
        {dir.File("fifo"), "a FIFO"}, {dir.File("sock"), "a socket"}, {"/dev/zero", "a device"},
        {dir.path(), "a directory"}};
    for (const auto& [path, kind] : cases) {
        SCOPED_TRACE(path);
        const CString p = CString::FromUtf8(path);
        ASSERT_NE(NonRegularFileKind(p), nullptr);
        EXPECT_STREQ(NonRegularFileKind(p), kind);
        BinaryFile f;
        EXPECT_FALSE(f.Open(p, BinaryFile::Mode::Read));
        std::vector<unsigned char> bytes;
        EXPECT_FALSE(ReadWholeFile(p, bytes));
        MappedFile m;
        EXPECT_FALSE(m.Map(p));
    }
    ::close(sock);
    WriteText(dir.File("ten"), "0123456789");
    EXPECT_EQ(NonRegularFileKind(CString::FromUtf8(dir.File("ten"))), nullptr);
    EXPECT_EQ(NonRegularFileKind(CString::FromUtf8(dir.File("absent"))), nullptr);
}

TEST(FileUtilTest, AFileLongerThanItsFormatAllowsIsRefusedUnread) {
    TempDir dir;
    WriteText(dir.File("ten"), "0123456789");
    const CString p = CString::FromUtf8(dir.File("ten"));
    std::vector<unsigned char> bytes;
    errno = 0;
    EXPECT_FALSE(ReadWholeFile(p, bytes, 9));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(ReadWholeFile(p, bytes, 10));
    MappedFile m;
    ASSERT_TRUE(m.Map(p));
    EXPECT_EQ(std::string(m.data(), m.data() + m.size()), "0123456789");
    WriteText(dir.File("empty"), "");
    EXPECT_TRUE(m.Map(CString::FromUtf8(dir.File("empty"))));
    EXPECT_EQ(m.size(), 0u);
}

// Configuration, info and script files are a few KiB: a huge one (here
// 300 MB, sparse) is refused before a byte is read, and its size is named.
TEST(FileUtilTest, HandWrittenTextFilesOverOneMebibyteAreRefusedUnreadNamingTheirSize) {
    ScopedScriptedUi ui;
    TempDir dir;
    const std::string big = dir.File("big.cfg");
    WriteText(big, "");
    std::filesystem::resize_file(big, 300000000);
    const CString path = CString::FromUtf8(big);
    const std::string size = "300000000 bytes, more than the 1048576";
    std::vector<unsigned char> bytes;
    std::string why;
    EXPECT_FALSE(ReadSmallTextFile(path, bytes, why));
    EXPECT_EQ(why, size + " such a file may hold");

    struct PrintersCfg : CKalvoNewCfgFileObject {
        using CKalvoNewCfgFileObject::LoadCfgFile;
    } printers;
    CLoadInfoFile info;
    info.InitInfoFile(CString::FromUtf8(dir.path()), L"big.cfg", L"BeginInfo", L"EndInfo");
    CLoadCfgFileApp app(nullptr, CString::FromUtf8(dir.path() + "/"), L"big.cfg");
    const std::function<bool()> readers[] = {
        [&] { return printers.LoadCfgFile(path) != 0; },
        [&] { return info.LoadInfoFile() != 0; },
        [&] { return app.LoadFileAppCfgInfo(path) != 0; },
    };
    for (const auto& read : readers) {
        ui->Clear();
        EXPECT_FALSE(read());
        ASSERT_GE(ui->Count(), 1u);
        EXPECT_NE(ui->Boxes()[0].text.ToUtf8().find(size), std::string::npos) << ui->Boxes()[0].text.ToUtf8();
    }
    ui->Clear();
    std::string error;
    EXPECT_FALSE(PrinterScript::Load(big, &error));
    EXPECT_NE(error.find(size), std::string::npos) << error;
}

TEST(CliTextTest, NumbersAreDecimalUnlessTheyBeginWith0x) {
    const struct {
        const char* text;
        bool ok;
        long long value;
    } cases[] = {{"65", true, 65},  {"0101", true, 101}, {"010", true, 10},  {"0x41", true, 65}, {"0X1f", true, 31},
                 {"-3", true, -3},  {"0", true, 0},      {"", false, 0},     {"0x", false, 0},   {"0x-1", false, 0},
                 {"1e3", false, 0}, {" 7", false, 0},    {"+7", false, 0},   {"08x", false, 0},
                 {"99999999999999999999", false, 0}};
    for (const auto& c : cases) {
        long long v = -12345;
        EXPECT_EQ(ParseWholeNumber(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(CliTextTest, ControlCharactersReachTheTerminalEscaped) {
    EXPECT_EQ(TerminalSafe("KP\x1B[2J300"), "KP\\x1B[2J300");
    EXPECT_EQ(TerminalSafe("a\tb\nc\x7F"), "a\\x09b\\x0Ac\\x7F");
    EXPECT_EQ(TerminalSafe("a\nb", true), "a\nb");
    // U+009B (CSI) is a control too; other characters pass whole.
    EXPECT_EQ(TerminalSafe("\xC2\x9B" "2J caf\xC3\xA8 \xC2\xA0"), "\\x9B2J caf\xC3\xA8 \xC2\xA0");
}

}  // namespace
