#include "FontPrinter.h"

#include "DocDisplay.h"
#include "KalvoFont.h"

#include <QFont>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace {

QColor Rgb(std::uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// An outline one unit wide on the edges l..r-1 and t..b-1, filled inside:
// the old graphics Rectangle(l, t, r, b). Lines are filled rectangles rather
// than pens so that a one-unit line covers exactly one unit at any scale.
void Rectangle(QPainter& p, int l, int t, int r, int b, const QColor& pen, const QColor& brush) {
    if (r <= l || b <= t) return;
    p.fillRect(QRect(l, t, r - l, b - t), brush);
    p.fillRect(QRect(l, t, r - l, 1), pen);
    p.fillRect(QRect(l, b - 1, r - l, 1), pen);
    p.fillRect(QRect(l, t, 1, b - t), pen);
    p.fillRect(QRect(r - 1, t, 1, b - t), pen);
}

int Clamp(int v, int hi) { return std::clamp(v, 0, hi); }

}  // namespace

namespace FontPrinter {

void SetupPage(QPainter& p, int printFactor) {
    const int factor = std::clamp(printFactor, kMinPrintFactor, kMaxPrintFactor);
    p.scale(factor, factor);
}

void PaintGrid(QPainter& p, const KalvoFont& font, const DocDisplay& d, int ch) {
    const DisplayRect& grid = d.GridRect;
    Rectangle(p, grid.left, grid.top, grid.right + 1, grid.bottom + 1, Rgb(d.BorderColor), Qt::white);
    const QColor margin = Rgb(d.MarginColor);
    if (font.GetMarginLeft() < 0) Rectangle(p, grid.left + 1, grid.top + 1, d.EditRect.left, grid.bottom, margin, margin);
    if (font.GetMarginRight() < 0)
        Rectangle(p, d.EditRect.right + 1, d.EditRect.top + 1, grid.right, grid.bottom, margin, margin);

    const int width = std::max(0, font.GetWidth());
    const int height = std::max(0, font.GetHeight());
    const int divisor = std::max(1, d.ZoomDivisor);
    const int ox = d.GridOrigin.x;
    const int oy = d.GridOrigin.y;
    const QColor line = Rgb(d.GridColor);
    for (int k = 1; k < height; ++k) p.fillRect(QRect(ox + 1, oy + d.CellSize * k / divisor, grid.right - ox - 1, 1), line);
    for (int k = 1; k < width; ++k) p.fillRect(QRect(ox + d.CellSize * k / divisor, oy + 1, 1, grid.bottom - oy - 1), line);

    // On screen a dot inverts the inside of its cell; a page has no
    // destination to invert, and the inside of a cell is white, so it is
    // filled black.
    const int pitch = d.Pitch();
    if (pitch < 2) return;
    const int rows = Clamp(height, KalvoFont::kRows);
    const int cols = Clamp(width, KalvoFont::kCols);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (font.GetPixel(ch, r, c)) p.fillRect(QRect(ox + pitch * c + 1, oy + pitch * r + 1, pitch - 1, pitch - 1), Qt::black);
        }
    }
}

void PaintTable(QPainter& p, const KalvoFont& font, const DocDisplay& d, int ch) {
    const DisplayRect& t = d.PrintTableRect;
    const int width = std::max(1, font.GetWidth());
    const int height = std::max(1, font.GetHeight());
    const QColor grey = Rgb(kTableLineColor);
    Rectangle(p, t.left, t.top, t.right, t.bottom, grey, Qt::white);
    for (int k = 1; k <= 16; ++k) {
        p.fillRect(QRect(t.left + width * k, t.top, 1, t.Height()), grey);
        p.fillRect(QRect(t.left, t.top + height * k, t.Width(), 1), grey);
    }

    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(width);
    labelFont.setStyleStrategy(QFont::NoAntialias);
    p.save();
    p.setFont(labelFont);
    p.setPen(Rgb(kLabelColor));
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    const QString digits = QStringLiteral("0123456789ABCDEF");
    for (int k = 1; k <= 16; ++k) {
        const QString label = digits.mid(k - 1, 1);
        p.drawText(QRect(t.left + width * k + 1, t.top + 1, width * 2, height * 2), Qt::AlignLeft | Qt::AlignTop, label);
        p.drawText(QRect(t.left + 1, t.top + height * k + 1, width * 2, height * 2), Qt::AlignLeft | Qt::AlignTop, label);
    }
    p.restore();

    const int rows = Clamp(height, KalvoFont::kRows);
    const int cols = Clamp(width, KalvoFont::kCols);
    for (int k = 0; k < KalvoFont::kChars; ++k) {
        const int x = t.left + width * (k % 16 + 1);
        const int y = t.top + height * (k / 16 + 1);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                if (font.GetPixel(k, r, c)) p.fillRect(QRect(x + c, y + r, 1, 1), Qt::black);
            }
        }
    }

    if (ch < 0 || ch >= KalvoFont::kChars) return;
    const QColor blue = Rgb(kHighlightColor);
    const int x = t.left + width * (ch % 16 + 1);
    const int y = t.top + height * (ch / 16 + 1);
    p.fillRect(QRect(x, y, width, 1), blue);
    p.fillRect(QRect(x, y, 1, height), blue);
    p.fillRect(QRect(x, y + height, width, 1), blue);
    p.fillRect(QRect(x + width, y, 1, height + 1), blue);
}

void PaintPage(QPainter& p, const KalvoFont& font, const DocDisplay& display, int ch) {
    PaintGrid(p, font, display, ch);
    PaintTable(p, font, display, ch);
}

void SetupPdfPrinter(QPrinter& printer, const QString& path, QPageSize::PageSizeId paper) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(paper));
    printer.setPageOrientation(QPageLayout::Portrait);
}

bool PrintPage(QPrinter& printer, const KalvoFont& font, const DocDisplay& display, int ch, int printFactor) {
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setResolution(kPdfResolution);
    QPainter p;
    if (!p.begin(&printer)) return false;
    SetupPage(p, printFactor);
    PaintPage(p, font, display, ch);
    return p.end();
}

bool PageHoldsTable(QPrinter& printer, const DocDisplay& display, int printFactor) {
    const int dpi = printer.outputFormat() == QPrinter::PdfFormat ? kPdfResolution : printer.resolution();
    // What the painter may draw on: the page less its margins.
    const QRect page = printer.pageLayout().paintRectPixels(dpi);
    const int factor = std::clamp(printFactor, kMinPrintFactor, kMaxPrintFactor);
    const DisplayRect& t = display.PrintTableRect;
    return static_cast<long long>(t.right) * factor <= page.width() &&
           static_cast<long long>(t.bottom) * factor <= page.height();
}

int LargestFittingFactor(QPrinter& printer, const DocDisplay& display) {
    for (int f = kMaxPrintFactor; f >= kMinPrintFactor; --f) {
        if (PageHoldsTable(printer, display, f)) return f;
    }
    return 0;
}

QByteArray PdfPage(const KalvoFont& font, const DocDisplay& display, int ch, int printFactor,
                   QPageSize::PageSizeId paper) {
    QPrinter printer(QPrinter::HighResolution);
    SetupPdfPrinter(printer, QString(), paper);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QPdfWriter writer(&buffer);
    writer.setPageLayout(printer.pageLayout());
    writer.setResolution(kPdfResolution);
    QPainter p;
    if (!p.begin(&writer)) return {};
    SetupPage(p, printFactor);
    PaintPage(p, font, display, ch);
    if (!p.end()) return {};
    return bytes;
}

}  // namespace FontPrinter
