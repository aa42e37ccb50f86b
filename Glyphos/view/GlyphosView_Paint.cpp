// Painting of the editing view, and the small rectangles that edits ask to
// repaint. The order is fixed: frame, zones of negative margins, grid lines,
// inked dots, eraser square, true-size preview, marquee, lifted block.
//
// Lines and squares are drawn as filled pixel rectangles rather than with
// pens, so that every edge lands on exactly the pixel it must whatever the
// paint engine does with pen widths.
#include "GlyphosView.h"

#include "GlyphosDocCore.h"

#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace {

QColor Rgb(std::uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// A one-pixel outline whose edges lie on left..right and top..bottom, both
// ends included; each corner is touched once, so an inverting outline drawn
// twice leaves nothing behind.
void Outline(QPainter& p, const QRect& r, const QColor& color) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    if (r.height() > 1) p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    if (r.height() > 2) {
        p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), color);
        if (r.width() > 1) p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), color);
    }
}

// The old graphics call Rectangle(l, t, r, b): an outline on l..r-1 and
// t..b-1 filled inside.
void GdiRectangle(QPainter& p, int l, int t, int r, int b, const QColor& pen, const QColor& brush) {
    if (r <= l || b <= t) return;
    const QRect rect(l, t, r - l, b - t);
    p.fillRect(rect, brush);
    Outline(p, rect, pen);
}

QRect ToQRect(const DisplayRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

void CGlyphosView::paintEvent(QPaintEvent* event) {
    OnFirstPaint();
    QPainter p(viewport());
    const QPoint scroll = ScrollPos();
    const QRect exposed = event->rect().translated(scroll);
    p.translate(-scroll);
    p.fillRect(exposed, Qt::white);
    PaintGrid(p, exposed);
    PaintPreview(p);
    PaintSelection(p);
    // An import waiting for this repaint runs right after it, outside the
    // paint event, since it opens a window of its own.
    if (m_importPending) QTimer::singleShot(0, this, [this] { RunPendingImport(); });
}

QImage CGlyphosView::RenderAll() const {
    const DisplayPoint size = Display().ScrollSize;
    QImage image(std::max(1, size.x), std::max(1, size.y), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintGrid(p, image.rect());
    PaintPreview(p);
    PaintSelection(p);
    return image;
}

void CGlyphosView::PaintGrid(QPainter& p, const QRect& exposed) const {
    const DocDisplay& d = Display();
    const KalvoFont& font = Font();
    const int width = std::max(0, font.GetWidth());
    const int height = std::max(0, font.GetHeight());
    const int pitch = d.Pitch();
    const int ox = d.GridOrigin.x;
    const int oy = d.GridOrigin.y;
    const DisplayRect& grid = d.GridRect;

    // Frame, white inside.
    GdiRectangle(p, grid.left, grid.top, grid.right + 1, grid.bottom + 1, Rgb(d.BorderColor), Qt::white);

    // Columns of negative margins: the character has no dots there.
    const QColor margin = Rgb(d.MarginColor);
    if (font.GetMarginLeft() < 0)
        GdiRectangle(p, grid.left + 1, grid.top + 1, d.EditRect.left, grid.bottom, margin, margin);
    if (font.GetMarginRight() < 0)
        GdiRectangle(p, d.EditRect.right + 1, d.EditRect.top + 1, grid.right, grid.bottom, margin, margin);

    if (width == 0 || height == 0) return;
    // Only the lines and dots that reach the exposed area.
    const int col0 = std::clamp((exposed.left() - ox) / pitch - 1, 0, width - 1);
    const int col1 = std::clamp((exposed.right() - ox) / pitch + 1, 0, width - 1);
    const int row0 = std::clamp((exposed.top() - oy) / pitch - 1, 0, height - 1);
    const int row1 = std::clamp((exposed.bottom() - oy) / pitch + 1, 0, height - 1);

    const QColor line = Rgb(d.GridColor);
    const int divisor = std::max(1, d.ZoomDivisor);
    for (int k = std::max(1, row0); k <= std::min(height - 1, row1 + 1); ++k) {
        const int y = oy + d.CellSize * k / divisor;
        p.fillRect(QRect(ox + 1, y, grid.right - ox - 1, 1), line);
    }
    for (int k = std::max(1, col0); k <= std::min(width - 1, col1 + 1); ++k) {
        const int x = ox + d.CellSize * k / divisor;
        p.fillRect(QRect(x, oy + 1, 1, grid.bottom - oy - 1), line);
    }

    // Inked dots: the inside of the cell inverted.
    const int ch = CurrentChar();
    const int lastRow = std::min(row1, KalvoFont::kRows - 1);
    const int lastCol = std::min(col1, KalvoFont::kCols - 1);
    if (pitch > 1) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        for (int r = row0; r <= lastRow; ++r) {
            for (int c = col0; c <= lastCol; ++c) {
                if (font.GetPixel(ch, r, c)) p.fillRect(ox + pitch * c + 1, oy + pitch * r + 1, pitch - 1, pitch - 1, Qt::black);
            }
        }
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    if (m_tool == Eraser && m_eraserCursorDrawn && !m_eraserCursorRect.isEmpty()) {
        p.fillRect(m_eraserCursorRect, Qt::white);
        Outline(p, m_eraserCursorRect, line);
    }
}

void CGlyphosView::PaintPreview(QPainter& p) const {
    const DocDisplay& d = Display();
    const KalvoFont& font = Font();
    const DisplayRect& f = d.PreviewFrame;
    Outline(p, QRect(f.left, f.top, f.Width() + 1, f.Height() + 1), Qt::black);
    const DisplayRect& z = d.PreviewZone;
    GdiRectangle(p, z.left, z.top, z.right, z.bottom, QColor(100, 100, 100), Qt::white);

    const int ch = CurrentChar();
    const int rows = std::clamp(font.GetHeight(), 0, KalvoFont::kRows);
    const int cols = std::clamp(font.GetWidth(), 0, KalvoFont::kCols);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (font.GetPixel(ch, r, c)) p.fillRect(ToQRect(d.PreviewDotRect(c, r)), Qt::black);
        }
    }
}

void CGlyphosView::PaintSelection(QPainter& p) const {
    if (m_selFirst.x() < 0) return;
    const DocDisplay& d = Display();
    const KalvoFont& font = Font();
    const int pitch = d.Pitch();

    // The floating block: its dots are out of the character (or carried to
    // another one) until it is committed.
    if (m_selFloating && font.IsCopyBufferAllocated() && pitch > 1) {
        const int rows = std::min({m_selSize.height(), font.GetCopyBufferRows(), std::max(0, font.GetHeight())});
        const int cols = std::min(m_selSize.width(), font.GetCopyBufferColumns());
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < cols; ++j) {
                if (font.GetBufferPixel(i, j) != 1) continue;
                const DisplayRect cell = d.CellRect(m_selFirst.x() + j, m_selFirst.y() + i);
                p.fillRect(cell.left + 1, cell.top + 1, pitch - 1, pitch - 1, Qt::black);
            }
        }
    }

    if (m_tool == Select || m_tool == MoveSelection) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        Outline(p, MarqueeRect(), Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

QRect CGlyphosView::MarqueeRect() const {
    if (m_selFirst.x() < 0 || m_selLast.x() < 0) return {};
    const DisplayRect r = Display().CellsRect(m_selFirst.x(), m_selFirst.y(), m_selLast.x(), m_selLast.y());
    return ToQRect(r);
}

// ---------------------------------------------------------------- repaints

void CGlyphosView::Invalidate(const QRect& viewRect) {
    if (viewRect.isEmpty()) return;
    m_requested += viewRect;
    viewport()->update(viewRect.translated(-ScrollPos()));
}

void CGlyphosView::InvalidateRegion(const QRegion& viewRegion) {
    if (viewRegion.isEmpty()) return;
    m_requested += viewRegion;
    viewport()->update(viewRegion.translated(-ScrollPos()));
}

QRegion CGlyphosView::TakeRequestedRepaint() {
    QRegion r = m_requested;
    m_requested = QRegion();
    return r;
}

void CGlyphosView::InvalidateCells(int col0, int row0, int col1, int row1) {
    const DocDisplay& d = Display();
    const int pitch = d.Pitch();
    const DisplayRect first = d.CellRect(col0, row0);
    // The insides of the cells and the grid lines between them.
    Invalidate(QRect(first.left + 1, first.top + 1, pitch * (col1 - col0 + 1) - 1, pitch * (row1 - row0 + 1) - 1));
}

void CGlyphosView::InvalidatePreviewDots(int col0, int row0, int col1, int row1) {
    const DocDisplay& d = Display();
    const QRect a = ToQRect(d.PreviewDotRect(col0, row0));
    const QRect b = ToQRect(d.PreviewDotRect(col1, row1));
    Invalidate(a.united(b));
}

void CGlyphosView::InvalidateMarquee() {
    const QRect r = MarqueeRect();
    if (r.isEmpty()) return;
    // Only the outline changes.
    QRegion edges(QRect(r.left(), r.top(), r.width(), 1));
    edges += QRect(r.left(), r.bottom(), r.width(), 1);
    edges += QRect(r.left(), r.top(), 1, r.height());
    edges += QRect(r.right(), r.top(), 1, r.height());
    InvalidateRegion(edges);
}

void CGlyphosView::InvalidateEraserSquare() {
    if (!m_eraserCursorRect.isEmpty()) Invalidate(m_eraserCursorRect);
}

// ---------------------------------------------------------------- cursors

namespace {

QCursor MakeCursor(void (*draw)(QPainter&), int hotX, int hotY) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    draw(p);
    p.end();
    return QCursor(pm, hotX, hotY);
}

void DrawPen(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 220, 90));
    const QPointF body[] = {{3, 28}, {4, 22}, {22, 4}, {27, 9}, {9, 27}};
    p.drawPolygon(body, 5);
    p.setBrush(Qt::black);
    const QPointF tip[] = {{1, 30}, {3, 25}, {6, 28}};
    p.drawPolygon(tip, 3);
}

void DrawEraser(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 160, 170));
    p.drawRect(1, 1, 14, 9);
    p.setBrush(Qt::white);
    p.drawRect(1, 10, 14, 5);
}

void DrawBrush(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(150, 100, 60));
    const QPointF handle[] = {{10, 14}, {14, 10}, {29, 25}, {25, 29}};
    p.drawPolygon(handle, 4);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(6, 6), 5.5, 5.5);
}

}  // namespace

void CGlyphosView::UpdateCursor() {
    // The tool's cursor over the grid (and while a drag holds the mouse),
    // the arrow elsewhere.
    int shape = None;
    if (m_onGrid || m_capture) shape = m_tool;
    if (shape == Select && m_selFloating && InsideMarquee(m_lastMouse)) shape = MoveSelection;
    if (shape == m_cursorShape) return;
    m_cursorShape = shape;
    switch (shape) {
        case Pen: viewport()->setCursor(MakeCursor(DrawPen, 1, 30)); break;
        case Eraser: viewport()->setCursor(MakeCursor(DrawEraser, 1, 1)); break;
        case Brush: viewport()->setCursor(MakeCursor(DrawBrush, 1, 1)); break;
        case Select: viewport()->setCursor(Qt::CrossCursor); break;
        case MoveSelection: viewport()->setCursor(Qt::SizeAllCursor); break;
        default: viewport()->setCursor(Qt::ArrowCursor); break;
    }
}
