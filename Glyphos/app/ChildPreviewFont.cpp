#include "ChildPreviewFont.h"

#include "EditingView.h"
#include "Glyphos.h"
#include "GlyphosDoc.h"
#include "QtText.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {
const QColor kGridColor(190, 190, 190);
const QColor kLabelColor(17, 17, 255);
const QColor kHighlightColor(1, 1, 255);
const QColor kBackground(152, 194, 111);
const QString kTitle = QStringLiteral("Font preview: ");
}  // namespace

CChildPreviewFont::CChildPreviewFont(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("FontPreview"));
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(kTitle);
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, kBackground);
    p.setColor(QPalette::Base, kBackground);
    viewport()->setPalette(p);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setSingleStep(kLineStep);
    verticalScrollBar()->setSingleStep(kLineStep);
    setMinimumHeight(120);
}

void CChildPreviewFont::Attach(CGlyphosDoc* doc, QWidget* view) {
    if (m_view) disconnect(m_view, nullptr, this, nullptr);
    if (m_doc) disconnect(m_doc, nullptr, this, nullptr);
    m_doc = doc;
    m_view = view;
    if (view) {
        // A view that goes takes its document out of the window with it.
        connect(view, &QObject::destroyed, this, [this] {
            m_doc = nullptr;
            Refresh();
        });
    }
    if (doc) {
        connect(doc, &CGlyphosDoc::titleChanged, this, [this] { UpdateTitle(); });
        Refresh();
    } else {
        UpdateTitle();
        Layout();
        viewport()->update();
    }
}

void CChildPreviewFont::Refresh() {
    UpdateTitle();
    Layout();
    viewport()->update();
}

void CChildPreviewFont::SetDocument(CGlyphosDoc* doc) {
    m_doc = doc;
    Layout();
    viewport()->update();
}

void CChildPreviewFont::SetTitle(const QString& text) {
    if (m_doc) setWindowTitle(kTitle + text);
}

void CChildPreviewFont::UpdateTitle() {
    setWindowTitle(kTitle + (m_doc ? ToQString(m_doc->GetTitle()) : QStringLiteral("No font selected")));
}

CGlyphosDoc* CChildPreviewFont::GetDocument() const { return m_doc.data(); }

QPoint CChildPreviewFont::ScrollPos() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect CChildPreviewFont::CellRect(int code) const {
    if (!m_doc) return {};
    const int w = m_doc->GetFont().GetWidth(), h = m_doc->GetFont().GetHeight();
    return QRect(m_table.left() + (code % 16 + 1) * w, m_table.top() + (code / 16 + 1) * h, w, h);
}

QSize CChildPreviewFont::sizeHint() const {
    // Room for a table of 8 x 16 characters with its margins.
    return QSize(17 * 8 + 2 * kOrigin, 17 * 16 + 2 * kOrigin);
}

void CChildPreviewFont::InvalidateHighlight() {
    if (!m_doc) {
        viewport()->update();
        return;
    }
    // One pixel more each way for the outline's longer right edge.
    viewport()->update(CellRect(m_doc->GetCurrentChar()).adjusted(-1, -1, 2, 2).translated(-ScrollPos()));
}

void CChildPreviewFont::Layout() {
    if (!m_doc) {
        m_table = QRect();
        m_extent = QSize();
    } else {
        const int w = m_doc->GetFont().GetWidth(), h = m_doc->GetFont().GetHeight();
        m_table = QRect(kOrigin, kOrigin, 17 * w, 17 * h);
        m_extent = QSize(m_table.width() + 2 * kOrigin, m_table.height() + 2 * kOrigin);
        horizontalScrollBar()->setPageStep(std::max(1, w));
        verticalScrollBar()->setPageStep(std::max(1, h));
    }
    horizontalScrollBar()->setRange(0, m_extent.width());
    verticalScrollBar()->setRange(0, m_extent.height());
    UpdateScrollBars();
}

void CChildPreviewFont::UpdateScrollBars() {
    // A bar shows only when the window is narrower (lower) than the table
    // with its margins.
    const QSize room = contentsRect().size();
    const bool h = m_doc && room.width() < m_extent.width();
    const bool v = m_doc && room.height() < m_extent.height();
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void CChildPreviewFont::resizeEvent(QResizeEvent* event) {
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    QAbstractScrollArea::resizeEvent(event);
}

void CChildPreviewFont::scrollContentsBy(int dx, int dy) { viewport()->scroll(dx, dy); }

void CChildPreviewFont::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    if (!m_doc) {
        UpdateTitle();
        return;
    }
    const KalvoFont& font = m_doc->GetFont();
    const int w = font.GetWidth(), h = font.GetHeight();
    if (w <= 0 || h <= 0) return;
    p.translate(-ScrollPos());

    // Table, grid and dots in one image at one pixel per dot.
    QImage table(m_table.width() + 1, m_table.height() + 1, QImage::Format_RGB32);
    table.fill(Qt::white);
    const QRgb grid = kGridColor.rgb(), black = qRgb(0, 0, 0);
    for (int k = 0; k <= 17; ++k) {
        const int x = std::min(k * w, table.width() - 1), y = std::min(k * h, table.height() - 1);
        for (int yy = 0; yy < table.height(); ++yy) table.setPixel(x, yy, grid);
        for (int xx = 0; xx < table.width(); ++xx) table.setPixel(xx, y, grid);
    }
    const int rows = std::min(h, KalvoFont::kRows), cols = std::min(w, KalvoFont::kCols);
    for (int code = 0; code < KalvoFont::kChars; ++code) {
        const unsigned char* bits = font.GetCharBits(code);
        const int x0 = (code % 16 + 1) * w, y0 = (code / 16 + 1) * h;
        for (int r = 0; r < rows; ++r) {
            const unsigned char* row = bits + r * KalvoFont::kRowBytes;
            auto* line = reinterpret_cast<QRgb*>(table.scanLine(y0 + r));
            for (int c = 0; c < cols; ++c) {
                if (row[c / 8] & (0x80 >> (c % 8))) line[x0 + c] = black;
            }
        }
    }
    p.drawImage(m_table.topLeft(), table);

    QFont labels(QStringLiteral("Arial"));
    labels.setPixelSize(std::max(1, w));
    p.setFont(labels);
    p.setPen(kLabelColor);
    p.setBackground(Qt::white);
    p.setBackgroundMode(Qt::OpaqueMode);
    static const char kDigits[] = "0123456789ABCDEF";
    for (int k = 1; k <= 16; ++k) {
        const QString label(QChar::fromLatin1(kDigits[k - 1]));
        p.drawText(QRect(kOrigin + 1 + w * k, kOrigin + 1, w, h), Qt::AlignLeft | Qt::AlignTop, label);
        p.drawText(QRect(kOrigin + 1, kOrigin + 1 + h * k, w, h), Qt::AlignLeft | Qt::AlignTop, label);
    }

    const QRect cell = CellRect(m_doc->GetCurrentChar());
    p.setPen(QPen(kHighlightColor, 0));
    p.drawLine(cell.left(), cell.top(), cell.left() + w, cell.top());
    p.drawLine(cell.left(), cell.top(), cell.left(), cell.top() + h);
    p.drawLine(cell.left(), cell.top() + h, cell.left() + w, cell.top() + h);
    p.drawLine(cell.left() + w, cell.top(), cell.left() + w, cell.top() + h + 1);
}

void CChildPreviewFont::ClearViewUndo() {
    if (auto* view = dynamic_cast<IEditingView*>(m_view.data())) view->ClearUndoState();
}

void CChildPreviewFont::mousePressEvent(QMouseEvent* event) {
    if (!m_doc || event->button() != Qt::LeftButton) return;
    const QPoint pt = event->position().toPoint() + ScrollPos();
    if (!m_table.contains(pt)) return;
    const int w = m_doc->GetFont().GetWidth(), h = m_doc->GetFont().GetHeight();
    const int col = (pt.x() - kOrigin) / w - 1;
    const int row = (pt.y() - kOrigin) / h - 1;
    if (col < 0 || row < 0) return;  // the label row or column
    const int code = row * 16 + col;
    const KalvoFont& font = m_doc->GetFont();
    if (code < font.GetFirstChar() || code > font.GetLastChar()) return;
    ClearViewUndo();
    m_doc->SelectChar(code);
}

void CChildPreviewFont::keyPressEvent(QKeyEvent* event) {
    if (!m_doc) return;
    QScrollBar* bar = nullptr;
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    void (CGlyphosDoc::*step)() = nullptr;
    switch (event->key()) {
        case Qt::Key_End:
            step = &CGlyphosDoc::LastChar;
            bar = verticalScrollBar();
            action = QAbstractSlider::SliderToMaximum;
            break;
        case Qt::Key_Home:
            step = &CGlyphosDoc::FirstChar;
            bar = verticalScrollBar();
            action = QAbstractSlider::SliderToMinimum;
            break;
        case Qt::Key_Left:
            step = &CGlyphosDoc::PrevChar;
            bar = horizontalScrollBar();
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_Up:
            step = &CGlyphosDoc::SixteenBack;
            bar = verticalScrollBar();
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_Right:
            step = &CGlyphosDoc::NextChar;
            bar = horizontalScrollBar();
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_Down:
            step = &CGlyphosDoc::SixteenForward;
            bar = verticalScrollBar();
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    ClearViewUndo();
    (m_doc->*step)();
    bar->triggerAction(action);
}

void CChildPreviewFont::focusInEvent(QFocusEvent* event) {
    CGlyphosApp* app = CGlyphosApp::Instance();
    if (!app || !app->GetActiveDoc() || app->GetActiveDoc() != m_doc) Refresh();
    QAbstractScrollArea::focusInEvent(event);
}

void CChildPreviewFont::closeEvent(QCloseEvent* event) { event->ignore(); }
