// Printing of the editing view: File > Print (the system print dialog, to a
// printer or a PDF file), Print Direct (the default printer, no dialog),
// Print Preview, and the print factor that sets how large the page comes out.
// The page itself is drawn by FontPrinter, which glyphos-cli shares.
//
// The page is laid out at "Zoom x 2" whatever the screen shows: the zoom in
// force is saved when printing begins and put back when it ends, also when a
// preview is closed, so the user finds the zoom they left.
#include "CommandIds.h"
#include "FontPrinter.h"
#include "GlyphosDocCore.h"
#include "GlyphosView.h"
#include "PrintSetup.h"
#include "PrintZoomFactor.h"
#include "UiServices.h"

#include "QtText.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

void CGlyphosView::BeginPrinting() {
    const DocDisplay& d = Display();
    m_savedZoom = d.ZoomDivisor;
    m_savedMaxResolution = d.MaxResolution;
    Display().SetZoom(2, Font());
    AfterZoom();
}

void CGlyphosView::EndPrinting() {
    if (m_savedMaxResolution) {
        Display().SetMaxResolution(Font());
    } else {
        Display().SetZoom(m_savedZoom, Font());
    }
    AfterZoom();
}

bool CGlyphosView::PrintTo(QPrinter& printer) {
    BeginPrinting();
    const bool printed = FontPrinter::PrintPage(printer, Font(), Display(), CurrentChar(), m_printFactor);
    EndPrinting();
    if (!printed) MessageBox(nullptr, L"Failed to start print job.", L"Glyphos", MB_OK | MB_ICONEXCLAMATION);
    return printed;
}

bool CGlyphosView::WarnIfTableCut(QPrinter& printer, bool askToGoOn) {
    // The page is laid out at "Zoom x 2", whatever the screen shows.
    DocDisplay page = Display();
    page.SetZoom(2, Font());
    if (FontPrinter::PageHoldsTable(printer, page, m_printFactor)) return true;
    const int fits = FontPrinter::LargestFittingFactor(printer, page);
    CString text = CString::Format(L"At print zoom factor %d the font table does not fit the page and is cut.\n",
                                   m_printFactor);
    text += fits > 0 ? CString::Format(L"The whole table fits up to factor %d (File > Print Preview zoom factor).", fits)
                     : CString(L"The whole table fits this page at no factor.");
    if (!askToGoOn) {
        MessageBox(nullptr, text, L"Glyphos", MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    return MessageBox(nullptr, text + L"\n\nPrint anyway?", L"Glyphos", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void CGlyphosView::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrintSetup(printer);
    printer.setDocName(ToQString(m_doc->GetTitle()));
    // Printing to a file starts beside the document (else in home): the
    // dialog proposes its file in the working folder, or takes the name set.
    const QString docPath = m_doc->DialogFolderPath();
    const QString folder = docPath.isEmpty() ? QDir::homePath() : QFileInfo(docPath).absolutePath();
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        printer.setOutputFileName(QDir(folder).filePath(QFileInfo(ToQString(m_doc->GetTitle())).completeBaseName() +
                                                        QStringLiteral(".pdf")));
    const QString workingBefore = QDir::currentPath();
    QDir::setCurrent(folder);
    QPrintDialog dlg(&printer, this);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    const int answer = dlg.exec();
    QDir::setCurrent(workingBefore);
    if (answer != QDialog::Accepted) return;
    if (!WarnIfTableCut(printer, true)) return;
    PrintTo(printer);
}

void CGlyphosView::OnFilePrintDirect() {
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrintSetup(printer);
    // Without a printer of its own a QPrinter writes a PDF, and without a
    // file name that prints nothing.
    if (printer.outputFormat() != QPrinter::NativeFormat) {
        MessageBox(nullptr, L"No default printer is installed: choose a printer or a PDF file with Print.",
                   L"Glyphos", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!WarnIfTableCut(printer, true)) return;
    PrintTo(printer);
}

void CGlyphosView::OnFilePrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrintSetup(printer);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        FontPrinter::PrintPage(*p, Font(), Display(), CurrentChar(), m_printFactor);
    });
    WarnIfTableCut(printer, false);
    BeginPrinting();
    preview.exec();
    EndPrinting();
}

void CGlyphosView::OnPrintZoomFactor() {
    CPrintZoomFactor dlg(m_printFactor, this);
    if (dlg.exec() == QDialog::Accepted) m_printFactor = dlg.GetFactor();
}

bool CGlyphosView::OnPrintCommand(int id) {
    switch (id) {
        case cmd::FilePrint: OnFilePrint(); return true;
        case cmd::FilePrintDirect: OnFilePrintDirect(); return true;
        case cmd::FilePrintPreview: OnFilePrintPreview(); return true;
        case cmd::PrintZoomFactor: OnPrintZoomFactor(); return true;
        default: return false;
    }
}
