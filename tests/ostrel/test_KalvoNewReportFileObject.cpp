#include "KalvoNewReportFileObject.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// What a print device was asked to do; it outlives the device, which the
// printing code owns and destroys.
struct PrintRecord {
    struct Text {
        int x, y;
        std::wstring text;
    };
    std::vector<Text> texts;
    std::vector<std::string> calls;
};

// Fixed metrics: lines 10 units apart, 8 units from the left.
class RecordingDevice : public PrintDevice {
public:
    explicit RecordingDevice(PrintRecord& r) : m_r(r) {}
    static constexpr int horz = 1000, vert = 1400;  // 500 x 700 logical units

    int HorzRes() const override { return horz; }
    int VertRes() const override { return vert; }
    bool StartDoc(const CString&) override { return Call("StartDoc"); }
    bool StartPage() override { return Call("StartPage"); }
    bool EndPage() override { return Call("EndPage"); }
    bool EndDoc() override { return Call("EndDoc"); }
    void AbortDoc() override { Call("AbortDoc"); }
    void SetIsotropicMapping(int wx, int wy, int vx, int vy) override {
        EXPECT_EQ(wx, 500);
        EXPECT_EQ(wy, 500);
        EXPECT_EQ(vx, horz);
        EXPECT_EQ(vy, vert);
    }
    CString SelectFont(const CString& face, int height, int) override {
        EXPECT_EQ(face, L"Times New Roman");
        EXPECT_EQ(height, 9);
        return L"Serif Stand-in";
    }
    TextMetrics GetTextMetrics() const override { return {9, 1, 4}; }
    bool TextOut(int x, int y, const CString& text) override {
        m_r.texts.push_back({x, y, text.str()});
        return true;
    }

private:
    bool Call(const char* name) {
        m_r.calls.push_back(name);
        return true;
    }
    PrintRecord& m_r;
};

class ReportFileTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    CKalvoNewDebugObject log{nullptr, nullptr, CString::FromUtf8(dir.path() + "/"), L"test.log", L"test", 1};
    _AnagraficaCollaudo rec{L"Anna", L"Rossi", L"08/12/2026", L"TM-1", L"ABC", L"L7", L"0001"};
    CKalvoNewReportFileObject report{nullptr, CString::FromUtf8(dir.path()), &rec, &log, L"B", L"01/12/2026"};

    void SetUp() override {
        ASSERT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, CString::FromUtf8(dir.path() + "/"), L"test.log",
                                               L"test", 0),
                  1);
    }
    std::string LogText() { return ReadText(dir.File("test.log")); }
    std::string ReportText() { return ReadText(dir.File("ABC0001.rpt")); }
};

TEST_F(ReportFileTest, ReportIsNamedAfterCodeAndSerialAndASecondPrinterReplacesIt) {
    EXPECT_TRUE(report.Get_m_strReportName().IsEmpty());
    ASSERT_EQ(report.CreateReportFile(), TRUE);
    EXPECT_EQ(report.Get_m_strReportName(), L"ABC0001.rpt");
    EXPECT_EQ(report.Get_m_strPathReport().ToUtf8(), dir.File("ABC0001.rpt"));
    ASSERT_EQ(report.ToReportFile(L"\nLa fase: 100% %s OK"), TRUE);
    EXPECT_NE(ReportText().find("\nLa fase: 100% %s OK"), std::string::npos);

    ASSERT_EQ(report.CreateReportFile(), TRUE);
    EXPECT_EQ(ReportText().find("La fase"), std::string::npos);
}

TEST_F(ReportFileTest, HeaderFollowsTheLetterheadInItsFixedOrder) {
    std::tm tm{};
    tm.tm_year = 126, tm.tm_mon = 11, tm.tm_mday = 8, tm.tm_hour = 10, tm.tm_min = 15, tm.tm_isdst = -1;
    VirtualClock clock(std::mktime(&tm));
    report.SetClock(&clock);
    rec.strNome = L"Nicol\u00f2";
    ASSERT_EQ(report.CreateReportFile(), TRUE);
    const std::string text = ReportText();

    const std::size_t body = text.find("\n\nFile di report: ");
    ASSERT_NE(body, std::string::npos);
    const std::string letterhead = text.substr(0, body);
    EXPECT_EQ(std::count(letterhead.begin(), letterhead.end(), '\n'), 7);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    EXPECT_NE(letterhead.find("\nPrinter test report\n"), std::string::npos);
    EXPECT_NE(letterhead.find(std::string("\nTest station: ") + host), std::string::npos);
    EXPECT_NE(letterhead.find("revision B of 01/12/2026"), std::string::npos);

    EXPECT_EQ(text.substr(body),
              "\n\nFile di report: ABC0001.rpt \n"
              "\n\n---------------- FOGLIO DI COLLAUDO ----------------"
              "\n\nNome prodotto: Stampante."
              "\nTipo:          TM-1"
              "\n\n"
              "\nCollaudatore:                 Nicol\xf2 Rossi"
              "\nData di collaudo:             08/12/2026"
              "\nCodice del prodotto:          ABC"
              "\nNumero di serie del prodotto: 0001"
              "\nLotto di produzione:          L7"
              "\n\n"
              "\nOra di inizio collaudo: 10:15:00 \n");
}

TEST_F(ReportFileTest, AFileThatCannotBeCreatedOrASerialWithASlashIsRefused) {
    for (const wchar_t* serial : {L"00/../../x", L"0001"}) {
        rec.strNumeroSerie = serial;
        if (std::wstring(serial) == L"0001") {
            report.InitCKalvoNewReportFileObject(nullptr, CString::FromUtf8(dir.File("missing")), &rec, &log, L"",
                                                 L"");
        }
        ui->Answer(IDOK);
        EXPECT_EQ(report.CreateReportFile(), FALSE);
        const auto box = ui.Last();
        const bool missingFolder = std::wstring(serial) == L"0001";
        EXPECT_EQ(box.text, missingFolder ? L"Impossibile creare il file di Report\nNo such file or directory"
                                          : L"Impossibile creare il file di Report");
        EXPECT_EQ(box.caption, L"Errore creazione report file");
        EXPECT_EQ(box.style & MB_TYPEMASK, MB_OKCANCEL);
        EXPECT_EQ(report.ToReportFile(L"\nlost"), FALSE);
    }
}

TEST_F(ReportFileTest, SummaryEntriesAreExactlyTheWidthOrEmpty) {
    struct Case {
        const wchar_t *first, *second;
        DWORD width;
        const wchar_t* line;
    } const cases[] = {
        {L"Init test", L"10:15:00", 24, L"Init test       10:15:00"},
        {L"Priter model", L"OK", 14, L"Priter modelOK"},
        {L"Flus control", L"NOT PRESENT", 20, L""},
        {L"Drawer", L"NOT PRESENT", 0, L""},
    };
    report.Addm_ReportCollaudo(L"Final Test Report");
    for (const auto& c : cases) EXPECT_EQ(report.Addm_ReportCollaudo(c.first, c.second, c.width), TRUE);
    ASSERT_EQ(report.Get_NumMax_m_ReportCollaudo(), 5);
    EXPECT_EQ(report.Get_i_esimo_m_ReportCollaudo(0), L"Final Test Report");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(report.Get_i_esimo_m_ReportCollaudo(i + 1), cases[i].line);
    EXPECT_TRUE(report.Get_i_esimo_m_ReportCollaudo(5).IsEmpty());
    report.Freem_ReportCollaudo();
    EXPECT_EQ(report.Get_NumMax_m_ReportCollaudo(), 0);
}

TEST_F(ReportFileTest, ResettingTheRecordKeepsTesterAndTypeForTheNextPrinter) {
    report.MiniInitAnagrCollaudo();
    EXPECT_EQ(rec.strNome + rec.strCognome + rec.strTipoProdotto, L"AnnaRossiTM-1");
    EXPECT_EQ(rec.strCodiceProdotto + rec.strNumeroSerie + rec.strLottoProduzione + rec.strDataCollaudo, L"");
    report.InitAnagrCollaudo();
    EXPECT_EQ(rec.strNome + rec.strCognome, L"");
    EXPECT_EQ(report.Get_m_AnagrCollaudo_TipoProdotto(), L"TM-1");
}

TEST_F(ReportFileTest, CancelledPrintDialogsRemindTheOperatorAndComeBack) {
    const std::string path = dir.File("r.rpt");
    WriteText(path, "\nfirst\r\n\nthird");
    PrintRecord r;
    PrintRecord* dc = &r;
    ui->QueuePrintDevice(std::make_unique<RecordingDevice>(r));
    for (int i = 0; i < 3; ++i) {
        ui->Answer(IDCANCEL);
        ui->Answer(IDOK);
    }
    ui->Answer(IDOK);
    ASSERT_EQ(report.PrintReportFile(CString::FromUtf8(path)), TRUE);

    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 7u);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].print, i % 2 == 0) << i;
        if (i % 2) {
            EXPECT_EQ(boxes[i].text, L"Il File di report deve essere stampato comunque.");
            EXPECT_EQ(boxes[i].caption, L"Report file");
        }
    }
    EXPECT_EQ(dc->calls, (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "EndDoc"}));
    ASSERT_EQ(dc->texts.size(), 4u);
    const std::wstring expected[] = {L"", L"first", L"", L"third"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dc->texts[i].text, expected[i]);
        EXPECT_EQ(dc->texts[i].x, 8);
        EXPECT_EQ(dc->texts[i].y, (i + 1) * 10);
    }
    EXPECT_NE(LogText().find("Report font: Serif Stand-in"), std::string::npos);
    EXPECT_NE(LogText().find("\nInviato sulla coda di stampa il file di report: " + path + "."), std::string::npos);
    EXPECT_NE(LogText().find("\nFine stampa del file di report: " + path + "."), std::string::npos);
}

TEST_F(ReportFileTest, UnreadableReportOrNoPrinterFailsInsteadOfPrintingNothing) {
    PrintRecord r;
    PrintRecord* dc = &r;
    ui->QueuePrintDevice(std::make_unique<RecordingDevice>(r));
    ui->Answer(IDOK);
    ui->Answer(IDOK);
    EXPECT_EQ(report.PrintReportFile(CString::FromUtf8(dir.File("none.rpt"))), FALSE);
    EXPECT_EQ(ui.Last().caption, L"Errore apertura file di report");
    EXPECT_EQ(dc->calls.back(), "AbortDoc");
    EXPECT_EQ(LogText().find("Inviato"), std::string::npos);

    // Without a window there is no print dialog: a clear refusal, not a loop.
    std::unique_ptr<PrintDevice> none;
    CString error;
    EXPECT_EQ(HeadlessUiServices().PrintDialog(nullptr, none, error), IDABORT);
    EXPECT_FALSE(error.IsEmpty());
    ui->Answer(IDABORT);
    ui->Answer(IDOK);
    EXPECT_EQ(report.PrintReportFile(CString::FromUtf8(dir.File("none.rpt"))), FALSE);
    EXPECT_EQ(ui.Last().caption, L"Report file");
}

}  // namespace
