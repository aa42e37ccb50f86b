#include "QtPrintDevice.h"

#include "QtText.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

QtPrintDevice::QtPrintDevice(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)) {}

QtPrintDevice::~QtPrintDevice() {
    if (m_painter.isActive()) m_painter.end();
}

int QtPrintDevice::HorzRes() const { return m_printer->width(); }

int QtPrintDevice::VertRes() const { return m_printer->height(); }

bool QtPrintDevice::StartDoc(const CString& documentName) {
    m_printer->setDocName(ToQString(documentName));
    return !m_painter.isActive();
}

bool QtPrintDevice::StartPage() {
    // The painter starts the document and its first page together.
    if (!m_painter.isActive()) return m_painter.begin(m_printer.get());
    return m_printer->newPage();
}

bool QtPrintDevice::EndPage() { return m_painter.isActive(); }

bool QtPrintDevice::EndDoc() { return m_painter.isActive() && m_painter.end(); }

void QtPrintDevice::AbortDoc() {
    if (!m_painter.isActive()) return;
    m_printer->abort();
    m_painter.end();
}

void QtPrintDevice::SetIsotropicMapping(int windowX, int windowY, int viewportX, int viewportY) {
    const double sx = windowX > 0 ? double(viewportX) / windowX : 1.0;
    const double sy = windowY > 0 ? double(viewportY) / windowY : 1.0;
    m_scale = std::max(1e-6, std::min(sx, sy));
}

CString QtPrintDevice::SelectFont(const CString& face, int height, int weight) {
    QFont f(ToQString(face));
    // A serif face of variable pitch at its best quality, as asked for;
    // without ligatures, so the paper shows the report's characters one by
    // one, as they are in the file.
    f.setStyleHint(QFont::Serif, QFont::StyleStrategy(QFont::PreferQuality | QFont::PreferNoShaping));
    f.setFixedPitch(false);
    f.setPixelSize(std::max(1, int(std::lround(height * m_scale))));
    f.setWeight(QFont::Weight(std::clamp(weight, 1, 1000)));
    m_font = f;
    if (m_painter.isActive()) m_painter.setFont(m_font);
    return FromQString(QFontInfo(m_font).family());
}

PrintDevice::TextMetrics QtPrintDevice::GetTextMetrics() const {
    const QFontMetricsF fm(m_font, m_printer.get());
    TextMetrics tm;
    tm.tmHeight = int(std::lround(fm.height() / m_scale));
    tm.tmExternalLeading = std::max(0, int(std::lround(fm.leading() / m_scale)));
    tm.tmAveCharWidth = int(std::lround(fm.averageCharWidth() / m_scale));
    return tm;
}

bool QtPrintDevice::TextOut(int x, int y, const CString& text) {
    if (!m_painter.isActive()) return false;
    m_painter.setFont(m_font);
    const QFontMetricsF fm(m_font, m_printer.get());
    // Text hangs below its point, as the old device contexts place it.
    m_painter.drawText(QPointF(x * m_scale, y * m_scale + fm.ascent()), ToQString(text));
    return true;
}
