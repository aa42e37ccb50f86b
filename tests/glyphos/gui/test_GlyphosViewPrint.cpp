// Printing of the editing view: the page through the system print dialog to
// a PDF file, the same page from glyphos-cli, the preview, the zoom that
// comes back afterwards, and the print factor dialog.
#include "CliRunner.h"
#include "CommandIds.h"
#include "FontPrinter.h"
#include "GlyphosViewTestHost.h"
#include "PdfRender.h"
#include "PrintZoomFactor.h"

#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>

namespace {

using GlyphosViewPrint = GlyphosViewTest;

struct Zoom {
    int divisor, max, cell;
    bool operator==(const Zoom&) const = default;
};
Zoom ZoomOf(CGlyphosView* v) {
    const DocDisplay& d = GlyphosViewTest::Display(v);
    return {d.ZoomDivisor, d.MaxResolution, d.CellSize};
}

// The dialog's "Print to File (PDF)" with the file name typed in.
void PrintToFileNext(const std::string& path) {
    OnNextModal<QPrintDialog>([path](QPrintDialog* dlg) {
        auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("filename"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        dlg->accept();
    });
}

TEST_F(GlyphosViewPrint, PrintingToAPdfGivesTheCliPageAndPutsTheZoomBack) {
    FakeViewDocument& doc = NewDoc(8, 10);
    CGlyphosView* v = NewView(doc);
    DrawTestGlyph(Font(v), 0x47);  // clipped to 8 x 10
    Font(v).SetPixel(0x41, 3, 3);
    ASSERT_TRUE(doc.GetCore().GoToChar(0x41));
    v->OnCommand(cmd::ZoomX4);
    const Zoom before = ZoomOf(v);

    TempDir dir;
    PrintToFileNext(dir.File("editor.pdf"));
    v->OnCommand(cmd::FilePrint);
    EXPECT_EQ(ZoomOf(v), before);
    const std::vector<QImage> editor = RenderPdfPages(dir.File("editor.pdf"), 100);
    ASSERT_EQ(editor.size(), 1u);
    editor[0].save(QString::fromStdString(std::string(GLYPHOS_BINARY_DIR) + "/print-editor.png"));
    // The outlined cell of 0x41 and its one dot.
    const QRect cell = BoundsOfColor(editor[0], 0x0101FF);
    ASSERT_EQ(cell.size(), QSize(9, 11));
    EXPECT_EQ(editor[0].pixel(cell.left() + 3, cell.top() + 3) & 0xFFFFFF, 0u);

    // The command line draws the same page from the saved font.
    ASSERT_EQ(doc.GetCore().SaveKfnFile(CString::FromUtf8(dir.File("font.kfn"))), 1);
    const CliRun r = RunProgram(BuiltProgram("glyphos-cli"),
                                {"print", dir.File("font.kfn"), dir.File("cli.pdf"), "--char", "65"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<QImage> cli = RenderPdfPages(dir.File("cli.pdf"), 100);
    ASSERT_EQ(cli.size(), 1u);
    // The print dialog may choose another paper than the command's A4: the
    // drawing, from the same top-left corner, must be the same.
    const QRect common = cli[0].rect().intersected(editor[0].rect());
    EXPECT_TRUE(cli[0].copy(common) == editor[0].copy(common));
}

TEST_F(GlyphosViewPrint, ThePreviewShowsThePageAtZoomX2AndClosesBackToTheZoomBefore) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    DrawTestGlyph(Font(v), Char(v));
    const Zoom before = ZoomOf(v);
    ASSERT_EQ(before.max, 1);
    Zoom during{};
    OnNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* dlg) {
        during = ZoomOf(v);
        dlg->resize(900, 700);
        QTest::qWait(0);
        dlg->grab().save(QString::fromStdString(std::string(GLYPHOS_BINARY_DIR) + "/print-preview.png"));
        dlg->reject();
    });
    v->OnCommand(cmd::FilePrintPreview);
    EXPECT_EQ(during.divisor, 2);
    EXPECT_EQ(during.max, 0);
    EXPECT_EQ(ZoomOf(v), before);
}

TEST_F(GlyphosViewPrint, PrintDirectWithoutADefaultPrinterSaysSoAndKeepsTheZoom) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a default printer";
    CGlyphosView* v = NewView(NewDoc(16, 24));
    const Zoom before = ZoomOf(v);
    ui->Answer(IDOK);
    v->OnCommand(cmd::FilePrintDirect);
    ASSERT_EQ(ui->Boxes().size(), 1u);
    EXPECT_EQ(ZoomOf(v), before);
}

TEST_F(GlyphosViewPrint, ThePrintFactorIsTakenFrom1To20) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    EXPECT_EQ(v->GetPrintFactor(), 6);
    // 0 would leave nothing to scale the page by.
    for (const char* bad : {"0", "21", ""}) {
        CPrintZoomFactor dlg(6);
        dlg.show();
        dlg.Edit()->setText(QString::fromLatin1(bad));
        ui->Answer(IDOK);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << bad;
        EXPECT_EQ(dlg.GetFactor(), 6);
    }
    EXPECT_EQ(ui->Boxes()[0].text, CString(L"Please enter an integer between 1 and 20."));
    for (const char* good : {"1", "20"}) {
        OnNextModal<CPrintZoomFactor>([good](CPrintZoomFactor* dlg) {
            dlg->grab().save(QString::fromStdString(std::string(GLYPHOS_BINARY_DIR) + "/dialog-print-factor.png"));
            dlg->Edit()->setText(QString::fromLatin1(good));
            dlg->accept();
        });
        v->OnCommand(cmd::PrintZoomFactor);
        EXPECT_EQ(v->GetPrintFactor(), QByteArray(good).toInt());
    }
    OnNextModal<CPrintZoomFactor>([](CPrintZoomFactor* dlg) { dlg->reject(); });
    v->OnCommand(cmd::PrintZoomFactor);
    EXPECT_EQ(v->GetPrintFactor(), 20);
}

TEST_F(GlyphosViewPrint, AFactorThatCutsTheTableIsToldWithTheLargestThatFits) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    TempDir dir;
    QPrinter a4(QPrinter::HighResolution);
    FontPrinter::SetupPdfPrinter(a4, QString::fromStdString(dir.File("x.pdf")), QPageSize::A4);
    DocDisplay page = Display(v);
    page.SetZoom(2, Font(v));
    const int fits = FontPrinter::LargestFittingFactor(a4, page);
    ASSERT_GT(fits, 1);
    ASSERT_LT(fits, 20);
    EXPECT_TRUE(FontPrinter::PageHoldsTable(a4, page, fits));
    EXPECT_FALSE(FontPrinter::PageHoldsTable(a4, page, fits + 1));

    OnNextModal<CPrintZoomFactor>([](CPrintZoomFactor* dlg) {
        dlg->Edit()->setText("20");
        dlg->accept();
    });
    v->OnCommand(cmd::PrintZoomFactor);
    // The preview (of the set-up printer, a PDF here) says so, then shows.
    ui->Answer(IDOK);
    OnNextModal<QPrintPreviewDialog>([](QPrintPreviewDialog* dlg) { dlg->reject(); });
    v->OnCommand(cmd::FilePrintPreview);
    ASSERT_EQ(ui->Boxes().size(), 1u);
    EXPECT_TRUE(ui.Last().text.Find(L"At print zoom factor 20 the font table does not fit the page") == 0);
    // Print asks, and No prints nothing.
    PrintToFileNext(dir.File("cut.pdf"));
    ui->Answer(IDNO);
    v->OnCommand(cmd::FilePrint);
    ASSERT_EQ(ui->Boxes().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("cut.pdf")));

    // The command line warns the same way and still writes the page.
    ASSERT_EQ(v->GetDocument()->GetCore().SaveKfnFile(CString::FromUtf8(dir.File("font.kfn"))), 1);
    const CliRun r = RunProgram(BuiltProgram("glyphos-cli"),
                                {"print", dir.File("font.kfn"), dir.File("cli.pdf"), "--factor", "20"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("at factor 20 the font table does not fit the page; the largest factor at which it fits is "),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("cli.pdf")));
}

}  // namespace

#include "GuiTestFixture.h"

#include <QPageSetupDialog>

namespace {

using EditorPrintSetup = GuiTest;

TEST_F(EditorPrintSetup, PrintSetupIsOfferedWithOrWithoutADocument) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->Action(cmd::FilePrintSetup)->isEnabled());
    bool shown = false;
    OnNextModal<QPageSetupDialog>([&](QPageSetupDialog* dlg) {
        shown = true;
        dlg->reject();
    });
    EXPECT_TRUE(Frame()->RouteCommand(cmd::FilePrintSetup));
    EXPECT_TRUE(shown);
}

}  // namespace
