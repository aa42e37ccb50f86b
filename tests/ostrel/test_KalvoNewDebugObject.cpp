#include "KalvoNewDebugObject.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class KalvoNewDebugObjectTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    CString Dir() const { return CString::FromUtf8(dir.path() + "/"); }
};

TEST_F(KalvoNewDebugObjectTest, DisabledObjectNeitherLogsNorShows) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 0);
    ASSERT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"a.log", L"test", 1), 1);
    EXPECT_EQ(log.MessageLog(L"\nhello", L"Caption", 1), 1);
    EXPECT_EQ(ui->Count(), 0u);
    EXPECT_EQ(ReadText(dir.File("a.log")), "");
}

TEST_F(KalvoNewDebugObjectTest, TextIsAppendedUnchangedPercentSignsIncluded) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 1);
    ASSERT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"a.log", L"test", 0), 1);
    EXPECT_EQ(log.Get_m_bfDebugObjInit(), 1);
    log.MessageLog(L"\n100% done %s %d", L"", 0);
    log.MessageLog(L"\nsecond", L"", 0);
    EXPECT_EQ(ReadText(dir.File("a.log")), "\n100% done %s %d\nsecond");
}

TEST_F(KalvoNewDebugObjectTest, ShowFlagOpensAWarningBox) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 1);
    ui->Answer(IDOK);
    log.MessageLog(L"\nErrore apertura file: x", L"Errore apertura file", 1);
    const auto box = ui.Last();
    EXPECT_EQ(box.text, L"\nErrore apertura file: x");
    EXPECT_EQ(box.caption, L"Errore apertura file");
    EXPECT_EQ(box.style & MB_ICONMASK, MB_ICONWARNING);
}

TEST_F(KalvoNewDebugObjectTest, BeforeInitNothingIsWrittenButBoxesStillAppear) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 1);
    ui->Answer(IDOK);
    log.MessageLog(L"\nlost", L"C", 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.log")));
    EXPECT_EQ(ui->Count(), 1u);
}

TEST_F(KalvoNewDebugObjectTest, SecondInitEmptiesTheLog) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 1);
    log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"a.log", L"test", 0);
    log.MessageLog(L"\nline", L"", 0);
    log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"a.log", L"test", 0);
    EXPECT_EQ(ReadText(dir.File("a.log")), "");
}

// A log that cannot be made is one warning with the system's reason; the
// host goes on without it.
TEST_F(KalvoNewDebugObjectTest, FailedInitReportsOneBoxWithTheReasonAndKeepsLoggingOff) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 1);
    ui->Answer(IDOK);
    const CString missing = Dir() + L"no/such/dir/";
    EXPECT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, missing, L"a.log", L"t", 0), 0);
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              L"\nImpossibile inizializzare il file di log: " + missing + L"a.log (No such file or directory)");
    EXPECT_EQ(boxes[0].caption, L"Errore");
    EXPECT_EQ(boxes[0].style & MB_TYPEMASK, MB_OKCANCEL);
    EXPECT_EQ(log.Get_m_bfDebugObjInit(), 0);
}

// A run that logs nothing leaves no empty file; the first line makes it.
TEST_F(KalvoNewDebugObjectTest, TheLogFileAppearsWithItsFirstLine) {
    CKalvoNewDebugObject log(nullptr, nullptr, Dir(), L"a.log", L"test", 1);
    ASSERT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, Dir(), L"a.log", L"test", 0), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.log")));
    log.MessageLog(L"\nfirst", L"", 0);
    EXPECT_EQ(ReadText(dir.File("a.log")), "\nfirst");
}

}  // namespace
