#include "StationUiServices.h"

#include "QtPrintDevice.h"
#include "QtText.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrinter>
#include <QThread>

namespace {

std::unique_ptr<PrintDevice> PdfDevice(const QString& path) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return std::make_unique<QtPrintDevice>(std::move(printer));
}

}  // namespace

void StationUiServices::SetPdfPath(const QString& path) {
    std::lock_guard l(m_lock);
    m_pdf = path;
}

QString StationUiServices::PdfPath() const {
    std::lock_guard l(m_lock);
    return m_pdf;
}

QString StationUiServices::LastPdf() const {
    std::lock_guard l(m_lock);
    return m_lastPdf;
}

void StationUiServices::SetSuggestedPdf(const QString& path) {
    std::lock_guard l(m_lock);
    m_suggestedPdf = path;
}

void StationUiServices::SetOnBufferFull(std::function<void()> fn) {
    std::lock_guard l(m_lock);
    m_onBufferFull = std::move(fn);
}

int StationUiServices::MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) {
    std::function<void()> onBufferFull;
    if (caption == L"Test buffer di ricezione") {
        std::lock_guard l(m_lock);
        onBufferFull = m_onBufferFull;
    }
    // Queued ahead of the box, so the prompt is gone when it shows.
    if (onBufferFull && qApp) QMetaObject::invokeMethod(qApp, onBufferFull, Qt::QueuedConnection);
    const int answer = QtUiServices::MessageBox(owner, text, caption, style);
    if (caption == L"Interruzione collaudo" && answer == IDOK) m_interrupted = true;
    return answer;
}

int StationUiServices::PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error) {
    const QString pdf = PdfPath();
    {
        std::lock_guard l(m_lock);
        m_lastPdf = pdf;
    }
    if (!pdf.isEmpty()) {
        device = PdfDevice(pdf);
        return IDOK;
    }
    const int answer = QtUiServices::PrintDialog(owner, device, error);
    if (answer != IDABORT || !qApp) return answer;
    // No printer on this system: the operator saves the report as PDF.
    QString chosen;
    QString suggested;
    {
        std::lock_guard l(m_lock);
        suggested = m_suggestedPdf;
    }
    auto ask = [&] {
        chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Save the report as PDF"),
                                              suggested, QStringLiteral("PDF files (*.pdf)"));
    };
    if (QThread::currentThread() == qApp->thread()) ask();
    else QMetaObject::invokeMethod(qApp, ask, Qt::BlockingQueuedConnection);
    if (chosen.isEmpty()) return IDCANCEL;
    if (!chosen.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) chosen += QStringLiteral(".pdf");
    {
        std::lock_guard l(m_lock);
        m_lastPdf = chosen;
    }
    device = PdfDevice(chosen);
    return IDOK;
}
