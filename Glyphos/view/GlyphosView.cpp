// Creation, focus and activation, updates from the document, scrolling and
// character navigation of the editing view.
#include "GlyphosView.h"

#include "GlyphosDocCore.h"

#include <QFocusEvent>
#include <QResizeEvent>
#include <QFont>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

CGlyphosView::CGlyphosView(IViewDocument* doc, IViewFrame* frame, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_frame(frame) {
    setObjectName(QStringLiteral("GlyphosView"));
    // The dialog font of the editor; the view itself writes no text.
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(14);
    f.setWeight(QFont::Normal);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The view paints every pixel of what it is asked to repaint, so Qt
    // need not clear it first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_core = &Core();
    RecomputeExtents();
    UpdateScrollSizes();
    if (m_frame) {
        m_frame->SetCurrentDocument(m_doc);
        m_frame->PreviewAttach(m_doc, this);
    }
}

CGlyphosView::~CGlyphosView() {
    if (!m_frame) return;
    // Leave nothing behind that points at this view or its document.
    if (m_frame->GetCurrentDocument() == m_doc) m_frame->SetCurrentDocument(nullptr);
    if (m_frame->PreviewDocument() == m_doc) m_frame->PreviewAttach(nullptr, nullptr);
    m_frame->PreviewRefresh();
}

CGlyphosDocCore& CGlyphosView::Core() const { return m_doc->GetCore(); }

KalvoFont& CGlyphosView::Font() const { return m_doc->GetCore().GetFont(); }

DocDisplay& CGlyphosView::Display() const { return m_doc->GetCore().GetDisplay(); }

int CGlyphosView::CurrentChar() const { return m_doc->GetCore().GetCurrentChar(); }

QPoint CGlyphosView::ScrollPos() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QPoint CGlyphosView::ToView(const QPointF& widgetPoint) const { return widgetPoint.toPoint() + ScrollPos(); }

void CGlyphosView::UpdateScrollSizes() {
    const DisplayPoint total = Display().ScrollSize;
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, total.x - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, total.y - page.height()));
    horizontalScrollBar()->setPageStep(std::max(1, page.width()));
    verticalScrollBar()->setPageStep(std::max(1, page.height()));
    // A line is a tenth of a page, as scrolling views have always done.
    horizontalScrollBar()->setSingleStep(std::max(1, page.width() / 10));
    verticalScrollBar()->setSingleStep(std::max(1, page.height() / 10));
}

void CGlyphosView::OnUpdate(int hint) {
    if (m_core != &Core()) {
        // Another font was loaded into the document: the selection's copy
        // buffer and the saved steps went with the old one.
        m_core = &Core();
        if (m_tool == Select || m_tool == MoveSelection) {
            ResetSelection();
            m_tool = None;
            SetStatusTool();
        }
        m_eraserCursorDrawn = 0;
        m_undoChar = -1;
        ForgetRedoAndFontSteps();
        // The new font starts at the zoom that shows all of it.
        const QWidget* window = parentWidget();
        if (m_zoomFollowsSize && window && window->isMaximized()) FitZoom(contentsRect().size());
    }
    // Another view (or the preview window) moved to another character and
    // emptied the shared ring: these counters point at nothing any more.
    if (m_undoChar != CurrentChar()) {
        m_undoDepth = 0;
        m_undoAvailable = 0;
        m_undoTaken = 0;
        m_undoChar = -1;
        ForgetRedoAndFontSteps();
    }
    RecomputeExtents();
    UpdateScrollSizes();
    const DocDisplay& d = Display();
    const auto rect = [](const DisplayRect& r) { return QRect(r.left, r.top, r.Width() + 1, r.Height() + 1); };
    switch (hint) {
        case kHintGridAndPreview:
            Invalidate(rect(d.EditRect));
            Invalidate(rect(d.PreviewZone));
            break;
        case kHintGrid: Invalidate(rect(d.EditRect)); break;
        case kHintPreview: Invalidate(rect(d.PreviewZone)); break;
        default:
            m_requested += QRect(QPoint(0, 0), QSize(d.ScrollSize.x, d.ScrollSize.y));
            viewport()->update();
            break;
    }
    Core().SetRedrawHint(0);
    if (m_frame) m_frame->CommandStateChanged();
}

void CGlyphosView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // A view that fills the document area (its window maximised) takes the
    // zoom its size allows, until the user picks one; a window of its own
    // size (cascaded, tiled) is sized to the zoom instead.
    const QWidget* window = parentWidget();
    if (m_zoomFollowsSize && window && !event->size().isEmpty()) {
        if (window->isMaximized()) {
            FitZoom(contentsRect().size());
        } else {
            // While the document area is laid out again (a dock moved beside
            // it) its maximised window is briefly not maximised: look again
            // once the layout has settled.
            QTimer::singleShot(0, this, [this] {
                const QWidget* w = parentWidget();
                if (m_zoomFollowsSize && w && w->isMaximized()) {
                    FitZoom(contentsRect().size());
                    UpdateScrollSizes();
                }
            });
        }
    }
    UpdateScrollSizes();
}

void CGlyphosView::scrollContentsBy(int, int) { viewport()->update(); }

void CGlyphosView::SetStatusTool() {
    if (m_frame) {
        m_frame->SetToolPane(ToolStatusText(m_tool));
        m_frame->CommandStateChanged();
    }
}

void CGlyphosView::RecomputeExtents() {
    const int pitch = Display().Pitch();
    m_eraserExtent = pitch * m_eraserSize;
    m_brushExtent = pitch * m_brushSize;
}

void CGlyphosView::ClearUndoState() {
    Font().ClearUndoRing();
    m_undoDepth = 0;
    m_undoAvailable = 0;
    m_undoTaken = 0;
    m_undoChar = -1;
    ForgetRedoAndFontSteps();
    if (m_frame) m_frame->CommandStateChanged();
}

void CGlyphosView::Navigate(bool (CGlyphosDocCore::*step)()) {
    ClearUndoState();
    (Core().*step)();
}

void CGlyphosView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_hasFocus = 1;
    if (m_frame && m_frame->PreviewDocument() != m_doc) {
        m_frame->PreviewAttach(m_doc, this);
        m_frame->PreviewRefresh();
    }
    viewport()->update();
}

void CGlyphosView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    // A context menu takes the focus only for a moment: the tool stays.
    if (event->reason() != Qt::PopupFocusReason) {
        if (IsBlockLifted()) CommitSelection();
        if (m_tool != None) CancelTool();
    }
    if (m_frame && m_frame->PreviewDocument() != m_doc) {
        m_frame->PreviewAttach(m_doc, this);
        m_frame->PreviewRefresh();
    }
    m_hasFocus = 0;
}

void CGlyphosView::OnFirstPaint() {
    if (!m_frame) return;
    if (!m_previewAttached && !m_doc->GetTitle().IsEmpty()) {
        m_frame->PreviewSetTitle(m_doc->GetTitle());
        m_previewAttached = 1;
    }
    if (m_hasFocus && m_frame->GetCurrentDocument() != m_doc) {
        m_frame->SetCurrentDocument(m_doc);
        m_frame->PreviewAttach(m_doc, this);
        m_frame->PreviewRefresh();
        m_frame->SetCharPane(CurrentChar());
        m_hasFocus = 0;
    }
}
