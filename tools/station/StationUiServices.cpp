#include "StationUiServices.h"

#include "QtPrintDevice.h"
#include "QtText.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
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

void StationUiServices::SetOnRepeated(std::function<void(const QString&)> fn) {
    std::lock_guard l(m_lock);
    m_onRepeated = std::move(fn);
}

QString StationUiServices::ForOperator(const CString& text) {
    QString t = ToQString(text).trimmed();
    static const QRegularExpression function(QStringLiteral("^[A-Za-z_][A-Za-z0-9_:]*\\(\\)\\s*(->\\s*)?"));
    t.remove(function);
    return t;
}

void StationUiServices::EndRepeats() {
    std::function<void(const QString&)> tell;
    QString line;
    {
        std::lock_guard l(m_lock);
        if (m_repeats > 0) {
            line = QStringLiteral("%1: %2 (%3 times)")
                       .arg(ToQString(m_lastCaption), ForOperator(m_lastText))
                       .arg(m_repeats + 1);
            tell = m_onRepeated;
        }
        m_repeats = 0;
        m_lastText.Empty();
        m_lastCaption.Empty();
        m_lastStyle = 0;
    }
    if (tell && qApp) QMetaObject::invokeMethod(qApp, [tell, line] { tell(line); }, Qt::QueuedConnection);
}

int StationUiServices::MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) {
    // A box with nothing to choose that repeats the one before is counted,
    // not shown again.
    if ((style & MB_TYPEMASK) == MB_OK) {
        std::lock_guard l(m_lock);
        if (text == m_lastText && caption == m_lastCaption && style == m_lastStyle) {
            ++m_repeats;
            return IDOK;
        }
    }
    EndRepeats();
    if ((style & MB_TYPEMASK) == MB_OK) {
        std::lock_guard l(m_lock);
        m_lastText = text;
        m_lastCaption = caption;
        m_lastStyle = style;
    }
    std::function<void()> onBufferFull;
    if (caption == L"Test buffer di ricezione") {
        std::lock_guard l(m_lock);
        onBufferFull = m_onBufferFull;
    }
    // Queued ahead of the box, so the prompt is gone when it shows.
    if (onBufferFull && qApp) QMetaObject::invokeMethod(qApp, onBufferFull, Qt::QueuedConnection);
    const int answer = QtUiServices::MessageBox(owner, CString(FromQString(ForOperator(text))), caption, style);
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
        // One PDF per report: in the folder of the file given, under the
        // report's own name, so that the printers of one session do not
        // overwrite each other's record.
        QString path = pdf;
        QString suggested;
        {
            std::lock_guard l(m_lock);
            suggested = m_suggestedPdf;
        }
        if (!suggested.isEmpty()) path = QFileInfo(pdf).dir().filePath(QFileInfo(suggested).fileName());
        {
            std::lock_guard l(m_lock);
            m_lastPdf = path;
        }
        device = PdfDevice(path);
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
