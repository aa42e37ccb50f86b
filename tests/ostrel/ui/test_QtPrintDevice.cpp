#include "CliRunner.h"
#include "KalvoNewReportFileObject.h"
#include "QtPrintDevice.h"
#include "QtTestSupport.h"
#include "QtUiServices.h"
#include "TestUi.h"

#include <QImage>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Prints reports into a PDF file and reads it back with poppler's tools, the
// way a person would see the paper.
class QtPrintDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        ASSERT_EQ(log.InitCKalvoNewDebugObject(nullptr, nullptr, CString::FromUtf8(dir.path() + "/"), L"t.log",
                                               L"test", 0),
                  1);
    }

    // Prints the report file through the UI services, the dialog answered
    // with a PDF printer.
    void PrintToPdf(const std::string& reportPath) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(pdf));
        printer->setPageSize(QPageSize(QPageSize::A4));
        ui->QueuePrintDevice(std::make_unique<QtPrintDevice>(std::move(printer)));
        ui->Answer(IDOK);
        ASSERT_EQ(report.PrintReportFile(CString::FromUtf8(reportPath)), TRUE);
    }
    CliRun Tool(const std::string& name, std::vector<std::string> args) {
        return RunProgram("/usr/bin/" + name, std::move(args), dir.path());
    }
    // Renders a page and keeps a copy under the build tree to look at.
    QImage Page(int n) {
        const std::string prefix = dir.File("page");
        Tool("pdftoppm", {"-r", "60", "-png", "-f", std::to_string(n), "-l", std::to_string(n), "-singlefile",
                          pdf, prefix});
        const std::string out = std::string(GLYPHOS_BINARY_DIR) + "/test-output";
        std::filesystem::create_directories(out);
        const std::string keep = out + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                 "-page" + std::to_string(n) + ".png";
        std::filesystem::copy_file(prefix + ".png", keep, std::filesystem::copy_options::overwrite_existing);
        return QImage(QString::fromStdString(prefix + ".png"));
    }
    // The top left corner of the ink on a page.
    static QPoint InkCorner(const QImage& img) {
        int top = -1, left = img.width();
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                if (qGray(img.pixel(x, y)) < 128) {
                    if (top < 0) top = y;
                    left = std::min(left, x);
                }
            }
        }
        return {left, top};
    }

    ScopedScriptedUi ui;
    TempDir dir;
    std::string pdf = dir.File("report.pdf");
    CKalvoNewDebugObject log{nullptr, nullptr, L"", L"", L"test", 1};
    _AnagraficaCollaudo rec{L"Anna", L"Rossi", L"08/12/2026", L"TM-1", L"ABC", L"L7", L"0001"};
    CKalvoNewReportFileObject report{nullptr, CString::FromUtf8(dir.path()), &rec, &log, L"B", L"01/12/2026"};
};

TEST_F(QtPrintDeviceTest, PrintedReportShowsItsHeaderAndPhases) {
    ASSERT_EQ(report.CreateReportFile(), TRUE);
    report.ToReportFile(L"\nLa fase: Verifica coincidenza modello stampante       OK");
    report.ToReportFile(L"\nL'opzione Cassetto NON \u00e8 presente");
    PrintToPdf(report.Get_m_strPathReport().ToUtf8());

    const std::string text = Tool("pdftotext", {pdf, "-"}).out;
    for (const char* expected : {"Printer test report", "FOGLIO DI COLLAUDO", "Collaudatore:", "Anna Rossi",
                                 "Verifica coincidenza modello stampante", "NON \xc3\xa8 presente"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    const QImage page = Page(1);
    ASSERT_FALSE(page.isNull());
    const QPoint ink = InkCorner(page);
    // Two average characters in from the left, one line down from the top.
    EXPECT_GT(ink.x(), 0);
    EXPECT_LT(ink.x(), page.width() / 20);
    EXPECT_GT(ink.y(), 0);
    EXPECT_LT(ink.y(), page.height() / 20);
    const std::string logText = ReadText(dir.File("t.log"));
    const std::size_t at = logText.find("\nReport font: ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(logText.compare(at, 16, "\nReport font:  ("), 0) << "the face used is named";
}

TEST_F(QtPrintDeviceTest, LongReportContinuesOnFurtherPagesWithEveryLine) {
    std::string lines;
    for (int i = 1; i <= 150; ++i) lines += "Line " + std::to_string(i) + " of the long report\n";
    WriteText(dir.File("long.rpt"), lines);
    PrintToPdf(dir.File("long.rpt"));

    const std::string info = Tool("pdfinfo", {pdf}).out;
    const std::size_t at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos);
    const int pages = std::stoi(info.substr(at + 6));
    EXPECT_GE(pages, 2);
    const std::string text = Tool("pdftotext", {pdf, "-"}).out;
    for (int i = 1; i <= 150; ++i) {
        EXPECT_NE(text.find("Line " + std::to_string(i) + " of the long report"), std::string::npos) << i;
    }
    // Every page starts with "Line": the same ink corner (to a pixel of
    // rasterising) means the same margins.
    const QPoint first = InkCorner(Page(1)), second = InkCorner(Page(2));
    EXPECT_LE(std::abs(first.x() - second.x()), 1);
    EXPECT_LE(std::abs(first.y() - second.y()), 1);
    EXPECT_GE(second.y(), 0);
}

TEST_F(QtPrintDeviceTest, QtPrintDialogOffersAllPagesOnlyOrRefusesWithoutPrinters) {
    QPrinter printer;
    std::unique_ptr<QPrintDialog> dlg(QtUiServices::CreatePrintDialog(nullptr, &printer));
    EXPECT_FALSE(dlg->testOption(QAbstractPrintDialog::PrintToFile));
    EXPECT_FALSE(dlg->testOption(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(dlg->testOption(QAbstractPrintDialog::PrintPageRange));
    EXPECT_EQ(dlg->printRange(), QAbstractPrintDialog::AllPages);

    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "this machine has printers";
    QtUiServices qt;
    std::unique_ptr<PrintDevice> device;
    CString error;
    EXPECT_EQ(qt.PrintDialog(nullptr, device, error), IDABORT);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(error, L"No printer is installed on this system");
}

}  // namespace
