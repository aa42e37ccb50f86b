// The mouse, the keys and the tools of the editing view.
//
// Qt keeps sending moves to the view while a button that was pressed in it
// is held, also outside it; the capture flag only records what the tools
// would hold the mouse for (and which cursor shows). A stroke of the pen,
// eraser or brush goes on only while it started on the grid, so that no dot
// changes without the undo step its button down saved.
#include "GlyphosView.h"

#include "GlyphosDocCore.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <memory>

CString CGlyphosView::ToolStatusText(DrawTool tool) {
    switch (tool) {
        case Eraser: return L"eraser";
        case Pen: return L"pen";
        case Select:
        case MoveSelection: return L"selection";
        case Brush: return L"brush";
        case None: break;
    }
    return L"none";
}

void CGlyphosView::ChooseTool(DrawTool tool) {
    if (IsBlockLifted()) CommitSelection();
    if (m_tool != None) CancelTool();
    m_tool = tool;
    m_lastEraserCell = {-1, -1};
    m_lastBrushCell = {-1, -1};
    RecomputeExtents();
    SetStatusTool();
    UpdateCursor();
}

void CGlyphosView::CancelTool() {
    switch (m_tool) {
        case Eraser:
            InvalidateEraserSquare();
            m_eraserCursorDrawn = 0;
            m_eraserCursorRect = QRect();
            break;
        case Pen:
        case Brush: ReleaseCapture(); break;
        case Select:
        case MoveSelection:
            ReleaseCapture();
            Invalidate(MarqueeRect());
            ResetSelection();
            Font().FreeCopyBuffer();
            m_doc->UpdateAllViews(kHintGrid, this);
            break;
        case None: break;
    }
    m_dragging = false;
    m_tool = None;
    SetStatusTool();
    OnUpdate(kHintGridAndPreview);
    UpdateCursor();
}

void CGlyphosView::ReleaseCapture() {
    m_capture = 0;
    UpdateCursor();
}

DisplayPoint CGlyphosView::ClampToCharacter(const DisplayPoint& cell) const {
    // The editable cells: the columns of negative margins are not among them.
    const DocDisplay& d = Display();
    const int pitch = d.Pitch();
    const int firstCol = (d.EditRect.left - d.GridOrigin.x) / pitch;
    const int lastCol = std::max(firstCol, (d.EditRect.right - d.GridOrigin.x) / pitch - 1);
    const int lastRow = std::max(0, Font().GetHeight() - 1);
    return {std::clamp(cell.x, firstCol, lastCol), std::clamp(cell.y, 0, lastRow)};
}

// ---------------------------------------------------------------- mouse

void CGlyphosView::mousePressEvent(QMouseEvent* event) {
    const QPoint pt = ToView(event->position());
    if (event->button() == Qt::LeftButton) {
        OnLeftDown(pt, event->modifiers(), event->buttons());
    } else if (event->button() == Qt::RightButton) {
        if (m_capture && Display().IsOnGrid(pt.x(), pt.y())) ReleaseCapture();
    }
    event->accept();
}

void CGlyphosView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLeftUp(ToView(event->position()));
    event->accept();
}

void CGlyphosView::mouseMoveEvent(QMouseEvent* event) {
    OnMove(ToView(event->position()), event->buttons());
    event->accept();
}

void CGlyphosView::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    if (m_dragging) return;
    if (m_onGrid && m_frame) m_frame->SetPositionPane(-1, -1);
    m_onGrid = false;
    if (m_tool == Eraser && m_eraserCursorDrawn) {
        InvalidateEraserSquare();
        m_eraserCursorDrawn = 0;
    }
    UpdateCursor();
}

void CGlyphosView::OnLeftDown(const QPoint& pt, Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    m_lastMouse = pt;
    DocDisplay& d = Display();
    const bool onGrid = d.IsOnGrid(pt.x(), pt.y());
    const DisplayPoint cell = d.PointToCell(pt.x(), pt.y());
    switch (m_tool) {
        case Pen:
            if (!onGrid) return;
            m_doc->SetModifiedFlag();
            SaveUndoStep();
            m_capture = 1;
            m_dragging = true;
            TogglePenCell(cell);
            break;
        case Eraser:
        case Brush:
            if (!onGrid) return;
            // The eraser works with the left button alone.
            if (m_tool == Eraser && (mods != Qt::NoModifier || buttons != Qt::LeftButton)) return;
            m_doc->SetModifiedFlag();
            SaveUndoStep();
            m_dragging = true;
            if (m_tool == Brush) m_capture = 1;
            ApplySquare(m_tool, cell);
            break;
        case Select:
            if (m_selFloating) {
                if (InsideMarquee(pt)) {
                    StartMove(ClampToCharacter(cell));
                } else {
                    CommitSelection();
                    CancelTool();
                }
            } else if (onGrid && mods == Qt::NoModifier) {
                StartRubberBand(cell);
            }
            break;
        case MoveSelection:
            if (InsideMarquee(pt)) {
                StartMove(ClampToCharacter(cell));
            } else {
                CommitSelection();
                CancelTool();
            }
            break;
        case None: break;
    }
    UpdateCursor();
}

void CGlyphosView::OnLeftUp(const QPoint& pt) {
    m_lastMouse = pt;
    if (m_bandStart.x() >= 0) {
        const DisplayPoint cell = Display().PointToCell(pt.x(), pt.y());
        EndRubberBand(ClampToCharacter(cell));
    }
    m_dragging = false;
    UpdateCursor();
}

void CGlyphosView::OnMove(const QPoint& pt, Qt::MouseButtons buttons) {
    m_lastMouse = pt;
    DocDisplay& d = Display();
    const bool onGrid = d.IsOnGrid(pt.x(), pt.y());
    const bool left = (buttons & Qt::LeftButton) != 0;
    // A button released outside the window never reached the view.
    if (!left && m_dragging) OnLeftUp(pt);

    if (m_frame) {
        const int mode = m_frame->GetMouseActivateMode();
        if ((mode & 4) || ((mode & 2) && onGrid)) m_frame->ActivateView(this);
    }

    if (onGrid) {
        const DisplayPoint cell = d.PointToCell(pt.x(), pt.y());
        m_onGrid = true;
        if (m_frame) m_frame->SetPositionPane(cell.x, cell.y);
        switch (m_tool) {
            case Pen:
                m_capture = 1;
                if (m_dragging && !(cell == d.LastPenCell)) TogglePenCell(cell);
                break;
            case Brush:
                m_capture = 1;
                if (m_dragging && !(cell == m_lastBrushCell)) ApplySquare(Brush, cell);
                break;
            case Eraser:
                MoveEraserSquare(cell);
                if (m_dragging && !(cell == m_lastEraserCell)) ApplySquare(Eraser, cell);
                break;
            case Select:
                if (!m_selMade) m_capture = 1;
                if (m_bandStart.x() >= 0) TrackRubberBand(cell);
                break;
            case MoveSelection:
                m_capture = 1;
                if (m_dragging) TrackMove(cell);
                break;
            case None: break;
        }
    } else {
        if (m_onGrid && m_frame) m_frame->SetPositionPane(-1, -1);
        m_onGrid = false;
        if (m_tool == Eraser && m_eraserCursorDrawn) {
            InvalidateEraserSquare();
            m_eraserCursorDrawn = 0;
        } else if (m_capture && m_bandStart.x() < 0 && !m_dragging) {
            ReleaseCapture();
        }
        // A selection dragged off the grid follows along its edge.
        const DisplayPoint cell = ClampToCharacter(d.PointToCell(pt.x(), pt.y()));
        if (m_bandStart.x() >= 0) TrackRubberBand(cell);
        if (m_tool == MoveSelection && m_dragging) TrackMove(cell);
    }
    UpdateCursor();
}

void CGlyphosView::TogglePenCell(const DisplayPoint& cell) {
    Font().TogglePixel(CurrentChar(), cell.y, cell.x);
    Display().LastPenCell = cell;
    InvalidateCells(cell.x, cell.y, cell.x, cell.y);
    InvalidatePreviewDots(cell.x, cell.y, cell.x, cell.y);
    m_doc->UpdateAllViews(kHintGridAndPreview, this);
    if (m_frame) m_frame->PreviewInvalidateChar();
}

void CGlyphosView::ApplySquare(DrawTool tool, const DisplayPoint& cell) {
    const int n = tool == Eraser ? m_eraserSize : m_brushSize;
    if (tool == Eraser) {
        Font().ClearBlock(CurrentChar(), cell.x, cell.y, n);
        m_lastEraserCell = cell;
    } else {
        Font().SetBlock(CurrentChar(), cell.x, cell.y, n);
        m_lastBrushCell = cell;
    }
    // Dots beyond the character's size change in the store but show nowhere.
    const int lastCol = std::min(cell.x + n - 1, std::max(0, Font().GetWidth() - 1));
    const int lastRow = std::min(cell.y + n - 1, std::max(0, Font().GetHeight() - 1));
    InvalidateCells(cell.x, cell.y, lastCol, lastRow);
    InvalidatePreviewDots(cell.x, cell.y, lastCol, lastRow);
    m_doc->UpdateAllViews(kHintGridAndPreview, this);
    if (m_frame) m_frame->PreviewInvalidateChar();
}

void CGlyphosView::MoveEraserSquare(const DisplayPoint& cell) {
    const DocDisplay& d = Display();
    const DisplayRect cells = d.CellsRect(cell.x, cell.y, cell.x + m_eraserSize - 1, cell.y + m_eraserSize - 1);
    const QRect grid(d.GridRect.left, d.GridRect.top, d.GridRect.Width() + 1, d.GridRect.Height() + 1);
    const QRect square = QRect(cells.left, cells.top, cells.Width(), cells.Height()).intersected(grid);
    if (m_eraserCursorDrawn && square == m_eraserCursorRect) return;
    InvalidateEraserSquare();
    m_eraserCursorRect = square;
    m_eraserCursorDrawn = 1;
    InvalidateEraserSquare();
}

// ---------------------------------------------------------------- keys

void CGlyphosView::keyPressEvent(QKeyEvent* event) {
    using Step = bool (CGlyphosDocCore::*)();
    Step step = nullptr;
    Qt::Orientation bar = Qt::Vertical;
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (event->key()) {
        case Qt::Key_End:
            step = &CGlyphosDocCore::LastChar;
            action = QAbstractSlider::SliderToMaximum;
            break;
        case Qt::Key_Home:
            step = &CGlyphosDocCore::FirstChar;
            action = QAbstractSlider::SliderToMinimum;
            break;
        case Qt::Key_Left:
            step = &CGlyphosDocCore::PrevChar;
            bar = Qt::Horizontal;
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_Up:
            step = &CGlyphosDocCore::Back16;
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_Right:
            step = &CGlyphosDocCore::NextChar;
            bar = Qt::Horizontal;
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_Down:
            step = &CGlyphosDocCore::Forward16;
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_Escape:
            if (m_tool != None) {
                if (IsBlockLifted()) CommitSelection();
                CancelTool();
            }
            event->accept();
            return;
        default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    Navigate(step);
    // The font table follows, whether or not the character moved.
    if (m_frame) m_frame->PreviewScroll(bar, action);
    event->accept();
}

// ---------------------------------------------------------------- context menu

void CGlyphosView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(CreateContextMenu(this));
    menu->exec(event->globalPos());
}
