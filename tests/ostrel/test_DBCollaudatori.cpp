#include "DBCollaudatori.h"
#include "FileUtil.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

    void ExpectErrorBox(const wchar_t* text) {
        const auto box = ui.Last();
        EXPECT_EQ(box.text, text);
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
}

TEST_F(DBCollaudatoriTest, MissingFileAndUnwritableFolderFailWithTheirBoxes) {
    CDBCollaudatori db(CString::FromUtf8(dir.File("no/such/dir/t.dat")));
    ui->Answer(IDOK);
    EXPECT_EQ(db.LoadDBaseFromFile(), FALSE);
    ExpectErrorBox(L"No data base testers file succesfully created!");

    db.AddCollaudatore(L"Anna", L"Rossi", L"pw");
    ui->Answer(IDOK);
    EXPECT_EQ(db.SaveDBaseToFile(), FALSE);
    ExpectErrorBox(L"No data base testers file succesfully created!");
    EXPECT_EQ(db.Get_m_uiNumTesters(), 1u);
    // The destructor's second attempt reports on stderr, not in a box.
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

}  // namespace
