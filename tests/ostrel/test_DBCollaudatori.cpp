#include "DBCollaudatori.h"
#include "FileUtil.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

class DBCollaudatoriTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    std::string path = dir.File("testers.dat");
    CString Path() const { return CString::FromUtf8(path); }

    // The library's text; a failed file adds its reason on a second line.
    void ExpectErrorBox(const wchar_t* text) {
        const auto box = ui.Last();
        const int end = box.text.Find(L'\n');
        EXPECT_EQ(end < 0 ? box.text : box.text.Left(end), text);
        EXPECT_EQ(box.caption, L"Error");
        EXPECT_EQ(box.owner, nullptr);
    }
};

TEST(CodeCStringTest, StoresInvertedRotatedLowBytesAndDecodesThemBack) {
    CConversioni c;
    struct Case {
        std::wstring plain;
        std::wstring coded;
        std::wstring decoded;
    };
    const Case cases[] = {
        {L"AB", {0xBE, 0x7B}, L"AB"},
        // Only the low byte of a wide character is kept.
        {L"\u0141", {0xBE}, L"A"},
        // Position 8 rotates by 0 again.
        {L"AAAAAAAAA", {0xBE, 0x7D, 0xFA, 0xF5, 0xEB, 0xD7, 0xAF, 0x5F, 0xBE}, L"AAAAAAAAA"},
        {L"", L"", L""},
    };
    for (const auto& c0 : cases) {
        const CString coded = c.CodeCString(c0.plain);
        EXPECT_EQ(coded.str(), c0.coded);
        EXPECT_EQ(c.DeCodeCString(coded).str(), c0.decoded);
    }
}

TEST_F(DBCollaudatoriTest, FileHoldsCountAndEncodedWideStringsWithTheLongLengthForm) {
    const CString longName(300, L'x');
    {
        CDBCollaudatori db(Path());
        db.AddCollaudatore(L"AB", longName, L"pw");
        EXPECT_EQ(db.SaveDBaseToFile(), TRUE);
    }
    std::vector<unsigned char> file;
    ASSERT_TRUE(ReadWholeFile(Path(), file));
    const Bytes head = {1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0xBE, 0, 0x7B, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01};
    ASSERT_EQ(file.size(), 4u + 8u + (6u + 600u) + (4u + 4u));
    EXPECT_EQ(Str(Bytes(file.begin(), file.begin() + head.size())), Str(head));

    CDBCollaudatori back(Path());
    ASSERT_EQ(back.LoadDBaseFromFile(), TRUE);
    ASSERT_EQ(back.Get_m_uiNumTesters(), 1u);
    EXPECT_EQ(back.GetTester(0).strNome, L"AB");
    EXPECT_EQ(back.GetTester(0).strCognome, longName);
    EXPECT_EQ(back.GetTester(0).strPassword, L"pw");
}

TEST_F(DBCollaudatoriTest, DestructionWritesOnlyAfterAChangeAndANewFileIsPrivate) {
    {
        CDBCollaudatori db(Path());
        db.AddCollaudatore(L"Anna", L"Rossi", L"secret");
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A file in the single-byte string form loads, and closing the database
    // without changes must not rewrite it in the wide form.
    const Bytes narrow = {1, 0, 0, 0, 1, 0xBE, 1, 0xBE, 1, 0xBE};
    WriteText(path, Str(narrow));
    {
        CDBCollaudatori db(Path());
        ASSERT_EQ(db.LoadDBaseFromFile(), TRUE);
        EXPECT_EQ(db.GetTester(0).strNome, L"A");
    }
    EXPECT_EQ(ReadText(path), Str(narrow));
}

TEST_F(DBCollaudatoriTest, LookUpIsExactAndFindsTheFirstOfTwoWithOnePassword) {
    CDBCollaudatori db(Path());
    db.AddCollaudatore(L"Anna", L"Rossi", L"pw");
    db.AddCollaudatore(L"Bruno", L"Bianchi", L"pw");
    CString nome, cognome;
    ASSERT_EQ(db.GetDataTester(L"pw", &nome, &cognome), TRUE);
    EXPECT_EQ(nome + L" " + cognome, L"Anna Rossi");

    ui->Answer(IDOK);
    EXPECT_EQ(db.GetDataTester(L"PW", &nome, &cognome), FALSE);
    ExpectErrorBox(L"Invalid password");
    db.FreeMemoryRecord();
}

TEST_F(DBCollaudatoriTest, DamagedFilesAreRefusedWholeAndKeepWhatWasLoaded) {
    const Bytes cases[] = {
        {},                                      // no count
        {1, 0, 0},                               // short count
        {2, 0, 0, 0, 1, 'a', 1, 'b', 1, 'c'},    // count beyond the file
        {0xFF, 0xFF, 0xFF, 0x7F, 1, 'a'},        // huge count
        {1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 5, 'a'},  // string past the end
        {1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 1, 0, 0, 0},   // marker twice
        {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'},    // 32-bit length past the end
    };
    CDBCollaudatori db(Path());
    db.AddCollaudatore(L"Anna", L"Rossi", L"pw");
    for (const auto& bytes : cases) {
        WriteText(path, Str(bytes));
        ui->Answer(IDOK);
        EXPECT_EQ(db.LoadDBaseFromFile(), FALSE) << bytes.size();
        ExpectErrorBox(L"No file data base testers not load!");
        EXPECT_EQ(db.Get_m_uiNumTesters(), 1u);
    }
    // Nor does the save at the end write over a file it cannot read: the
    // testers in it would be lost.
    ui->Answer(IDOK);
}

TEST_F(DBCollaudatoriTest, MissingFileAndUnwritableFolderFailWithTheirBoxes) {
    {
        CDBCollaudatori db(CString::FromUtf8(dir.File("no/such/dir/t.dat")));
        ui->Answer(IDOK);
        EXPECT_EQ(db.LoadDBaseFromFile(), FALSE);
        ExpectErrorBox(L"No data base testers file succesfully created!");
        EXPECT_NE(ui.Last().text.Find(L"No such file or directory"), -1);

        db.AddCollaudatore(L"Anna", L"Rossi", L"pw");
        ui->Answer(IDOK);
        EXPECT_EQ(db.SaveDBaseToFile(), FALSE);
        ExpectErrorBox(L"No data base testers file succesfully created!");
        EXPECT_EQ(db.Get_m_uiNumTesters(), 1u);
        // The destructor's second attempt is shown too: a station's
        // operator must learn that the tester was not kept.
        ui->Answer(IDOK);
    }
    ExpectErrorBox(L"No data base testers file succesfully created!");
}

// The station reloads at each login: the file's testers replace those in
// memory. A save applies this object's own additions and removals to the
// file as another program left it, and the list in memory becomes that.
TEST_F(DBCollaudatoriTest, LoadReplacesTheListAndSaveMergesWithAnotherWriter) {
    const auto names = [](const CDBCollaudatori& db) {
        std::string out;
        for (UINT i = 0; i < db.Get_m_uiNumTesters(); ++i) out += db.GetTester(i).strNome.ToUtf8() + " ";
        return out;
    };
    {
        CDBCollaudatori first(Path());
        first.AddCollaudatore(L"Anna", L"Rossi", L"a");
        first.AddCollaudatore(L"Bruno", L"Bianchi", L"b");
    }
    CDBCollaudatori station(Path());
    ASSERT_EQ(station.LoadDBaseFromFile(), TRUE);
    station.AddCollaudatore(L"Carla", L"Verdi", L"c");  // not saved yet
    {
        CDBCollaudatori tool(Path());
        ASSERT_EQ(tool.LoadDBaseFromFile(), TRUE);
        EXPECT_EQ(tool.RemoveCollaudatore(L"Bruno", L"Bianchi"), 1);
        tool.AddCollaudatore(L"Dario", L"Neri", L"d");
    }
    ASSERT_EQ(station.LoadDBaseFromFile(), TRUE);
    EXPECT_EQ(names(station), "Anna Dario Carla ");
    // The tester removed from the file no longer logs in.
    ui->Answer(IDOK);
    EXPECT_EQ(station.GetDataTester(L"b", nullptr, nullptr), FALSE);
    EXPECT_EQ(station.RemoveCollaudatore(L"Anna", L"Rossi"), 1);
    {
        CDBCollaudatori tool(Path());
        ASSERT_EQ(tool.LoadDBaseFromFile(), TRUE);
        tool.AddCollaudatore(L"Elena", L"Gialli", L"e");
    }
    ASSERT_EQ(station.SaveDBaseToFile(), TRUE);
    EXPECT_EQ(names(station), "Dario Elena Carla ");
    CDBCollaudatori check(Path());
    ASSERT_EQ(check.LoadDBaseFromFile(), TRUE);
    EXPECT_EQ(names(check), "Dario Elena Carla ");
    EXPECT_EQ(check.Get_m_bDirty(), FALSE);
}

TEST_F(DBCollaudatoriTest, RegistrationRefusesEmptyFieldsAndATakenPassword) {
    CDBCollaudatori db(Path());
    struct Case {
        const wchar_t *nome, *cognome, *password;
        BOOL ok;
        const wchar_t* box;
    } const cases[] = {
        {L"Anna", L"Rossi", L"pw", TRUE, L"Operation succesfully completed!"},
        {L"", L"Rossi", L"x", FALSE, L"Do no insert a empty field!"},
        {L"Bruno", L"Bianchi", L"", FALSE, L"Do no insert a empty field!"},
        {L"Bruno", L"Bianchi", L"pw", FALSE, L"Password already in use"},
        // The file keeps one byte a character: such a tester could never log in.
        {L"J\u0151zsef", L"Nagy", L"pw3", FALSE, L"The testers database cannot store a character of this name or password."},
        {L"Carla", L"Verdi", L"\u20AC", FALSE, L"The testers database cannot store a character of this name or password."},
        {L"Bruno", L"Bianchi", L"pw2", TRUE, L"Operation succesfully completed!"},
    };
    for (const auto& c : cases) {
        ui->Answer(IDOK);
        EXPECT_EQ(db.RegistraCollaudatore(c.nome, c.cognome, c.password), c.ok) << c.password;
        EXPECT_EQ(ui.Last().text, c.box);
    }
    EXPECT_EQ(ui.Last().caption, L"Operation Ok");
    EXPECT_EQ(db.Get_m_uiNumTesters(), 2u);
    EXPECT_EQ(db.RemoveCollaudatore(L"Anna", L"Rossi"), 1);
    EXPECT_EQ(db.RemoveCollaudatore(L"Anna", L"Rossi"), 0);
    EXPECT_EQ(db.Get_m_uiNumTesters(), 1u);
}

// A FIFO would block the load until something wrote to it; a socket or a
// folder is no database either. Each is refused at once and stays what it
// was: a save never replaces it.
TEST_F(DBCollaudatoriTest, AnythingButARegularFileIsRefusedAtOnceAndLeftAsItIs) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const int sock = BindSocketFile(dir.File("sock"));
    ASSERT_GE(sock, 0);
    std::filesystem::create_directory(dir.File("folder"));
    for (const char* name : {"fifo", "sock", "folder"}) {
        SCOPED_TRACE(name);
        const auto type = std::filesystem::status(dir.File(name)).type();
        const auto start = std::chrono::steady_clock::now();
        CDBCollaudatori db(CString::FromUtf8(dir.File(name)));
        ui->Answer(IDOK);
        EXPECT_EQ(db.LoadDBaseFromFile(), FALSE);
        ExpectErrorBox(L"No data base testers file succesfully created!");
        db.AddCollaudatore(L"Anna", L"Rossi", L"pw");
        ui->Answer(IDOK);
        EXPECT_EQ(db.SaveDBaseToFile(), FALSE);
        ExpectErrorBox(L"No data base testers file succesfully created!");
        db.Set_m_bDirty(FALSE);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(std::filesystem::status(dir.File(name)).type(), type);
    }
    ::close(sock);
    EXPECT_EQ(OtherFiles(dir.path(), {"fifo", "sock", "folder"}), std::vector<std::string>{});
}

// Two gigabytes of empty names would be millions of testers in memory: a
// file far beyond any station's is refused before it is read.
TEST_F(DBCollaudatoriTest, AHugeFileIsRefusedUnread) {
    WriteText(path, std::string("\xff\xff\xff\x7f", 4));
    std::filesystem::resize_file(path, std::uint64_t{2} << 30);
    CDBCollaudatori db(Path());
    ui->Answer(IDOK);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(db.LoadDBaseFromFile(), FALSE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ExpectErrorBox(L"No data base testers file succesfully created!");
    EXPECT_EQ(db.Get_m_uiNumTesters(), 0u);
}

// The disk failing at any step of a save (any piece of the write, the flush,
// the rename) leaves the old file byte for byte and the addition in memory
// for the next save, or the new file whole; nothing is left beside it.
TEST_F(DBCollaudatoriTest, ASaveThatFailsAtAnyStepLeavesTheOldFileOrTheNewOneWhole) {
    CDBCollaudatori db(Path());
    // Enough testers for a file of two pieces of the writer.
    for (int i = 0; i < 1500; ++i)
        db.AddCollaudatore(L"Tester" + CString(std::to_wstring(i)), L"Surname", L"pw" + CString(std::to_wstring(i)));
    ASSERT_EQ(db.SaveDBaseToFile(), TRUE);
    ASSERT_GT(ReadText(path).size(), kAtomicWriteChunk);
    const struct {
        AtomicWriteStep step;
        std::size_t index;
        BOOL saved;
    } faults[] = {{AtomicWriteStep::Write, 0, FALSE}, {AtomicWriteStep::Write, 1, FALSE},
                  {AtomicWriteStep::Write, 2, TRUE},  // the file has only two pieces
                  {AtomicWriteStep::Sync, 0, FALSE},  {AtomicWriteStep::Rename, 0, FALSE}};
    for (const auto& f : faults) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(f.step) << " " << f.index);
        const std::string old = ReadText(path);
        const UINT count = db.Get_m_uiNumTesters() + 1;
        db.AddCollaudatore(L"New", L"Tester", L"pw-new" + CString(std::to_wstring(count)));
        BOOL saved = FALSE;
        {
            ScopedWriteFault fault(f.step, f.index);
            if (!f.saved) ui->Answer(IDOK);
            saved = db.SaveDBaseToFile();
        }
        EXPECT_EQ(saved, f.saved);
        EXPECT_EQ(OtherFiles(dir.path(), {"testers.dat"}), std::vector<std::string>{});
        CDBCollaudatori check(Path());
        ASSERT_EQ(check.LoadDBaseFromFile(), TRUE);
        if (!saved) {
            EXPECT_EQ(ReadText(path), old);
            ExpectErrorBox(L"No data base testers file succesfully created!");
            EXPECT_EQ(check.Get_m_uiNumTesters(), count - 1);
            EXPECT_EQ(db.Get_m_bDirty(), TRUE);
            ASSERT_EQ(db.SaveDBaseToFile(), TRUE);  // the disk is back: the addition goes out now
            CDBCollaudatori again(Path());
            ASSERT_EQ(again.LoadDBaseFromFile(), TRUE);
            EXPECT_EQ(again.Get_m_uiNumTesters(), count);
        } else {
            EXPECT_EQ(check.Get_m_uiNumTesters(), count);
            EXPECT_EQ(check.GetTester(count - 1).strPassword, L"pw-new" + CString(std::to_wstring(count)));
        }
    }
}

}  // namespace
