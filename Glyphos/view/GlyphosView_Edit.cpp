// Selection, moving a block, Copy, Cut, Paste and Undo of the editing view.
//
// The selected dots live in the font's copy buffer while they float over
// the grid; the application's clipboard carries them between characters and
// fonts. The undo steps are the font's four-slot ring, shared by the views
// of a document; each view keeps its own counters.
#include "GlyphosView.h"

#include "GYCopyPaste.h"
#include "GlyphosDocCore.h"
#include "PswRecords.h"
#include "UiServices.h"

#include <algorithm>

namespace {

const wchar_t* const kNoMemory = L"No sufficent memory avaible";
const wchar_t* const kNoMemoryPaste = L"No sufficent memory avaible for paste operation.";
const wchar_t* const kIncompatible =
    L"The font size aren't compatible whit pixel from the paste operation.\n"
    L"If You continue the operation, not all pixell whill be pastedd.\n"
    L"Do You want continue?";

}  // namespace

// ---------------------------------------------------------------- selection

void CGlyphosView::ResetSelection() {
    m_selFirst = {-1, -1};
    m_selLast = {-1, -1};
    m_bandStart = {-1, -1};
    m_selMade = 0;
    m_selFloating = 0;
    m_liftPending = 1;
    m_dragAnchor = {-1, -1};
    m_dragging = false;
    m_selSize = QSize();
    if (m_frame) m_frame->CommandStateChanged();
}

bool CGlyphosView::InsideMarquee(const QPoint& pt) const {
    const QRect r = MarqueeRect();
    return !r.isEmpty() && r.contains(pt);
}

void CGlyphosView::StartRubberBand(const DisplayPoint& cell) {
    m_doc->SetModifiedFlag();
    if (m_selMade) m_doc->UpdateAllViews(kHintGrid);
    m_bandStart = {cell.x, cell.y};
    m_selFirst = m_bandStart;
    m_selLast = m_bandStart;
    m_capture = 1;
    m_dragging = true;
    InvalidateMarquee();
    if (m_frame) m_frame->SetDimensionPane(0, 0);
}

void CGlyphosView::TrackRubberBand(const DisplayPoint& cell) {
    // The rectangle spans the start cell and the cell under the mouse,
    // whichever way the mouse went.
    const QPoint first(std::min(m_bandStart.x(), cell.x), std::min(m_bandStart.y(), cell.y));
    const QPoint last(std::max(m_bandStart.x(), cell.x), std::max(m_bandStart.y(), cell.y));
    if (first == m_selFirst && last == m_selLast) return;
    InvalidateMarquee();
    m_selFirst = first;
    m_selLast = last;
    InvalidateMarquee();
    if (m_frame) m_frame->SetDimensionPane(last.x() - first.x(), last.y() - first.y());
}

void CGlyphosView::EndRubberBand(const DisplayPoint& cell) {
    TrackRubberBand(cell);
    m_bandStart = {-1, -1};
    m_dragging = false;
    ReleaseCapture();
    TakeSelection(m_selFirst, m_selLast);
}

bool CGlyphosView::TakeSelection(const QPoint& first, const QPoint& last) {
    const int cols = last.x() - first.x() + 1;
    const int rows = last.y() - first.y() + 1;
    InvalidateMarquee();
    m_selFirst = first;
    m_selLast = last;
    m_selMade = 1;
    m_selFloating = 1;
    m_liftPending = 1;
    m_selSize = QSize(cols, rows);
    KalvoFont& font = Font();
    if (!font.AllocCopyBuffer(rows, BytesForBits(cols), cols)) {
        MessageBox(nullptr, kNoMemory, L"Error", MB_OK | MB_ICONSTOP);
        CancelTool();
        return false;
    }
    font.CopyRectToBuffer(CurrentChar(), first.x(), first.y(), last.x(), last.y());
    InvalidateMarquee();
    if (m_frame) m_frame->CommandStateChanged();
    return true;
}

void CGlyphosView::StartMove(const DisplayPoint& cell) {
    m_tool = MoveSelection;
    m_capture = 1;
    m_dragging = true;
    m_dragAnchor = {cell.x, cell.y};
    UpdateCursor();
    if (m_frame) m_frame->CommandStateChanged();
}

void CGlyphosView::TrackMove(const DisplayPoint& cell) {
    const QPoint to(cell.x, cell.y);
    if (to == m_dragAnchor) return;
    const QRect before = MarqueeRect();
    const int ch = CurrentChar();
    if (m_liftPending) {
        // The first move takes the dots out of the character.
        SaveUndoStep();
        Font().ClearRect(ch, m_selFirst.x(), m_selFirst.y(), m_selLast.x(), m_selLast.y());
        m_selSize = QSize(m_selLast.x() - m_selFirst.x() + 1, m_selLast.y() - m_selFirst.y() + 1);
        m_liftPending = 0;
        m_doc->SetModifiedFlag();
        Invalidate(QRect(Display().PreviewZone.left, Display().PreviewZone.top, Display().PreviewZone.Width(),
                         Display().PreviewZone.Height()));
        m_doc->UpdateAllViews(kHintGridAndPreview, this);
        if (m_frame) m_frame->PreviewInvalidateChar();
    }
    const QPoint offset = to - m_dragAnchor;
    const QPoint first = m_selFirst + offset;
    const QPoint last = m_selLast + offset;
    // Only where the whole block stays inside the character.
    if (first.x() >= 0 && first.y() >= 0 && last.x() < Font().GetWidth() && last.y() < Font().GetHeight()) {
        m_selFirst = first;
        m_selLast = last;
    }
    m_dragAnchor = to;
    Invalidate(before);
    Invalidate(MarqueeRect());
}

void CGlyphosView::CommitSelection() {
    KalvoFont& font = Font();
    if (m_selFloating && m_selFirst.x() >= 0 && font.IsCopyBufferAllocated()) {
        const int ch = CurrentChar();
        const int rows = font.GetCopyBufferRows();
        const int cols = font.GetCopyBufferColumns();
        // A block larger than the character (a pasted one) is cut at its
        // edges, so that nothing lands where the font cannot show or save it.
        const int width = std::min(font.GetWidth(), KalvoFont::kCols);
        const int height = std::min(font.GetHeight(), KalvoFont::kRows);
        bool changed = false;
        for (int i = 0; i < rows; ++i) {
            const int r = m_selFirst.y() + i;
            if (r < 0 || r >= height) continue;
            for (int j = 0; j < cols; ++j) {
                const int c = m_selFirst.x() + j;
                if (c < 0 || c >= width || font.GetBufferPixel(i, j) != 1 || font.GetPixel(ch, r, c)) continue;
                font.SetPixel(ch, r, c);
                changed = true;
            }
        }
        if (changed) {
            m_doc->SetModifiedFlag();
            m_doc->UpdateAllViews(kHintGridAndPreview, this);
            if (m_frame) m_frame->PreviewInvalidateChar();
        }
        Invalidate(MarqueeRect());
        const DisplayRect& z = Display().PreviewZone;
        Invalidate(QRect(z.left, z.top, z.Width(), z.Height()));
    }
    font.FreeCopyBuffer();
    m_selFloating = 0;
    if (m_frame) m_frame->CommandStateChanged();
}

void CGlyphosView::OnSelectAll() {
    const KalvoFont& font = Font();
    const int width = std::clamp(font.GetWidth(), 0, KalvoFont::kCols);
    const int height = std::clamp(font.GetHeight(), 0, KalvoFont::kRows);
    if (width == 0 || height == 0) return;
    // The character's own columns only: dots a square left beyond its width
    // are not part of it.
    const InkRect ink = font.GetInkRect(CurrentChar(), width - 1, height);
    if (ink.top >= height) return;
    ChooseTool(Select);
    TakeSelection({ink.left, ink.top}, {ink.right, ink.bottom});
}

// ---------------------------------------------------------------- undo

void CGlyphosView::ReadChars(const KalvoFont& font, int first, int count, std::vector<unsigned char>& out) {
    out.assign(static_cast<std::size_t>(count) * KalvoFont::kCharBytes, 0);
    for (int i = 0; i < count; ++i) {
        if (const unsigned char* bits = font.GetCharBits(first + i))
            std::copy(bits, bits + KalvoFont::kCharBytes, out.begin() + static_cast<std::ptrdiff_t>(i) * KalvoFont::kCharBytes);
    }
}

void CGlyphosView::WriteChars(KalvoFont& font, int first, const std::vector<unsigned char>& bytes) {
    const int count = static_cast<int>(bytes.size() / KalvoFont::kCharBytes);
    for (int i = 0; i < count; ++i) {
        for (int r = 0; r < KalvoFont::kRows; ++r) {
            for (int b = 0; b < KalvoFont::kRowBytes; ++b)
                font.SetGridByte(first + i, r, b,
                                 bytes[static_cast<std::size_t>(i * KalvoFont::kCharBytes + r * KalvoFont::kRowBytes + b)]);
        }
    }
}

bool CGlyphosView::CanUndo() const {
    if (m_undoChar != CurrentChar()) return false;
    return (m_undoAvailable == 1 && m_undoDepth > 0 && m_undoDepth <= kUndoSteps) || !m_fontUndo.empty();
}

bool CGlyphosView::CanRedo() const { return !m_redo.empty() && m_undoChar == CurrentChar(); }

void CGlyphosView::ForgetRedoAndFontSteps() {
    m_redo.clear();
    m_fontUndo.clear();
}

void CGlyphosView::SaveUndoStep() {
    const int ch = CurrentChar();
    // Steps saved from another character cannot be given back to this one.
    if (m_undoChar != ch) {
        m_undoDepth = 0;
        m_undoTaken = 0;
        m_fontUndo.clear();
    }
    // A new edit starts a new line of history: what was undone stays undone.
    m_redo.clear();
    m_undoDepth = std::min(m_undoDepth + 1, kUndoSteps);
    Font().PushUndo(ch);
    m_undoAvailable = 1;
    m_undoTaken = 0;
    m_undoChar = ch;
    if (m_frame) m_frame->CommandStateChanged();
}

void CGlyphosView::OnUndo() {
    if (!CanUndo()) return;
    m_undoTaken = std::min(m_undoTaken, kUndoSteps);
    // Pointer mode first: a moved block goes down where it is.
    if (IsBlockLifted()) CommitSelection();
    CancelTool();
    const int ch = CurrentChar();
    RedoStep step;
    if (m_undoAvailable == 1 && m_undoDepth > 0) {
        ReadChars(Font(), ch, 1, step.bytes);
        const int slot = ((Font().GetUndoIndex() - m_undoTaken - 1) % kUndoSteps + kUndoSteps) % kUndoSteps;
        Font().RestoreUndo(ch, slot);
        m_undoDepth = std::max(0, m_undoDepth - 1);
        ++m_undoTaken;
    } else {
        step.wholeFont = true;
        ReadChars(Font(), 0, KalvoFont::kChars, step.bytes);
        WriteChars(Font(), 0, m_fontUndo);
        m_fontUndo.clear();
    }
    m_redo.push_back(std::move(step));
    m_doc->SetModifiedFlag();
    m_doc->UpdateAllViews(kHintGridAndPreview);
    if (m_frame) {
        if (m_redo.back().wholeFont) m_frame->PreviewRefresh();
        else m_frame->PreviewInvalidateChar();
        m_frame->CommandStateChanged();
    }
}

void CGlyphosView::OnRedo() {
    if (!CanRedo()) return;
    // Putting a lifted block down is an edit of its own, which ends redo.
    if (IsBlockLifted()) CommitSelection();
    CancelTool();
    if (m_redo.empty()) return;
    RedoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    if (step.wholeFont) {
        ReadChars(Font(), 0, KalvoFont::kChars, m_fontUndo);
        WriteChars(Font(), 0, step.bytes);
    } else {
        // The ring still holds the state this step came from: Undo takes it
        // again from the same slot.
        WriteChars(Font(), CurrentChar(), step.bytes);
        m_undoTaken = std::max(0, m_undoTaken - 1);
        m_undoDepth = std::min(m_undoDepth + 1, kUndoSteps);
        m_undoAvailable = 1;
    }
    m_doc->SetModifiedFlag();
    m_doc->UpdateAllViews(kHintGridAndPreview);
    if (m_frame) {
        if (step.wholeFont) m_frame->PreviewRefresh();
        else m_frame->PreviewInvalidateChar();
        m_frame->CommandStateChanged();
    }
}

// ---------------------------------------------------------------- clipboard

bool CGlyphosView::CopySelectionToClipboard() {
    if (!m_frame) return false;
    GYCopyPaste& clip = m_frame->GetCopyPaste();
    const KalvoFont& font = Font();
    if (clip.IsAllocated()) clip.Free();
    const int rows = font.GetCopyBufferRows();
    const int cols = font.GetCopyBufferColumns();
    const int bytesPerRow = rows > 0 ? font.GetCopyBufferLength() / rows : 0;
    if (!font.IsCopyBufferAllocated() || !clip.Alloc(rows, bytesPerRow, cols)) {
        MessageBox(nullptr, kNoMemory, L"Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!clip.Fill(font.GetCopyBuffer(), rows, bytesPerRow)) {
        clip.Free();
        return false;
    }
    m_frame->CommandStateChanged();
    return true;
}

void CGlyphosView::OnCopy() {
    if (!m_selFloating || m_tool == MoveSelection) return;
    if (!CopySelectionToClipboard()) return;
    CancelTool();
}

void CGlyphosView::OnCut() {
    if (!m_selFloating) return;
    SaveUndoStep();
    if (!CopySelectionToClipboard()) return;
    // A block already lifted out of the character took its dots with it;
    // what lies under it now is not part of it and stays.
    if (m_liftPending) {
        Font().ClearRect(CurrentChar(), m_selFirst.x(), m_selFirst.y(), m_selLast.x(), m_selLast.y());
        m_doc->SetModifiedFlag();
        m_doc->UpdateAllViews(kHintGridAndPreview, this);
        if (m_frame) m_frame->PreviewInvalidateChar();
    }
    Invalidate(MarqueeRect());
    CancelTool();
}

void CGlyphosView::OnPaste() {
    if (!m_frame) return;
    GYCopyPaste& clip = m_frame->GetCopyPaste();
    if (!clip.IsFilled()) return;
    if (IsBlockLifted()) CommitSelection();
    SaveUndoStep();
    const KalvoFont& font = Font();
    if (clip.GetColumns() <= font.GetWidth() && clip.GetRows() <= font.GetHeight()) {
        PlaceClipboard(true);
        return;
    }
    if (MessageBox(nullptr, kIncompatible, L"Error", MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        PlaceClipboard(false);
    } else {
        if (clip.IsAllocated()) clip.Free();
        m_frame->CommandStateChanged();
    }
}

void CGlyphosView::PlaceClipboard(bool floating) {
    GYCopyPaste& clip = m_frame->GetCopyPaste();
    // Whatever the tool held goes; the block arrives with Select.
    if (m_tool == Eraser) {
        InvalidateEraserSquare();
        m_eraserCursorDrawn = 0;
    }
    Invalidate(MarqueeRect());
    ResetSelection();
    m_capture = 0;
    m_tool = Select;
    SetStatusTool();
    m_selMade = 1;
    KalvoFont& font = Font();
    font.FreeCopyBuffer();
    if (!font.AllocCopyBuffer(clip.GetRows(), clip.GetBytesPerRow(), clip.GetColumns())) {
        MessageBox(nullptr, kNoMemoryPaste, L"Error", MB_OK | MB_ICONSTOP);
        CancelTool();
        return;
    }
    font.SetBufferBytes(clip.GetData(), static_cast<std::size_t>(std::max(0, clip.GetLength())));
    m_selFirst = {0, 0};
    m_selLast = {clip.GetColumns() - 1, clip.GetRows() - 1};
    m_selSize = QSize(clip.GetColumns(), clip.GetRows());
    m_selFloating = 1;
    m_liftPending = 0;
    if (floating) {
        Invalidate(MarqueeRect());
        UpdateCursor();
        m_frame->CommandStateChanged();
        return;
    }
    CommitSelection();
    CancelTool();
}
