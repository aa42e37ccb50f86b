// The editing window of a font document: the current character as an
// enlarged grid of dots with its true-size preview beside it. The mouse
// edits dots with the pen, the eraser and the brush, selects a rectangle and
// moves, copies, cuts or pastes it; four edits can be undone; the keys step
// through the characters.
//
// The tool is a small state machine: None is the resting state; a tool
// command enters its tool; a completed selection leaves Select with a
// floating block, and a button down inside it enters MoveSelection, which
// lasts until the block is committed. Changing the character leaves the tool
// and a floating block as they are, so a block can be carried to another
// character.
//
// The class is split by aspect: GlyphosView.cpp (creation, focus, updates,
// scrolling), GlyphosView_Paint.cpp (painting and what edits repaint),
// GlyphosView_Mouse.cpp (mouse, keys, tools), GlyphosView_Edit.cpp
// (selection, clipboard, undo), GlyphosView_Commands.cpp (the commands and
// their menu states).
#pragma once

#include "CString.h"
#include "CmdTarget.h"
#include "DocDisplay.h"
#include "EditingView.h"
#include "LogFontRecord.h"
#include "ViewHost.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <vector>

class CGlyphosDocCore;
class KalvoFont;
class QMenu;
class QPainter;
class QPrinter;

class CGlyphosView : public QAbstractScrollArea, public CCmdTarget, public IEditingView {
    Q_OBJECT
public:
    enum DrawTool { None = 0, Eraser = 1, Pen = 2, Select = 3, Brush = 4, MoveSelection = 20 };
    static constexpr int kUndoSteps = 4;
    static constexpr int kHintAll = 0;
    static constexpr int kHintGridAndPreview = 10;
    static constexpr int kHintGrid = 20;
    static constexpr int kHintPreview = 30;

    CGlyphosView(IViewDocument* doc, IViewFrame* frame, QWidget* parent = nullptr);
    ~CGlyphosView() override;

    IViewDocument* GetDocument() const { return m_doc; }

    // ---- Commands (GlyphosView_Commands.cpp). OnCommand runs a command and
    // answers whether the view handles it; UpdateCommand answers the same
    // and sets whether the command is enabled and checked.
    bool OnCommand(int id);
    bool UpdateCommand(int id, bool& enabled, bool& checked);
    // The same for the main frame's command route.
    bool OnCmdMsg(int id) override { return OnCommand(id); }
    bool OnUpdateCmdUI(CCmdUI& ui) override;
    // The "Actions" context menu for the tool in force (with the tool sizes
    // for the eraser and the brush).
    QMenu* CreateContextMenu(QWidget* parent);

    // ---- From the document.
    // Scroll sizes, then a repaint of what the hint names.
    void OnUpdate(int hint) override;
    // Forgets the undo steps (the current character is about to change).
    void ClearUndoState() override;
    void FitZoom(const QSize& available) override;
    QSize WholeSize() const override;
    // Whether the view still picks its zoom by its size: until a zoom is
    // chosen by hand, a view that fills its window follows the window.
    bool IsZoomFollowingSize() const { return m_zoomFollowsSize; }

    // ---- Tools (GlyphosView_Mouse.cpp).
    // Puts a lifted block down and lets the old tool go, then enters the tool.
    void ChooseTool(DrawTool tool);
    // Back to None: capture, selection and copy buffer are let go.
    void CancelTool();
    DrawTool GetTool() const { return m_tool; }
    int GetEraserSize() const { return m_eraserSize; }
    int GetBrushSize() const { return m_brushSize; }
    // Side of the eraser and brush squares in pixels.
    int GetEraserExtent() const { return m_eraserExtent; }
    int GetBrushExtent() const { return m_brushExtent; }
    static CString ToolStatusText(DrawTool tool);

    // ---- Selection (GlyphosView_Edit.cpp). Cells are (column, row).
    bool HasSelection() const { return m_selMade != 0; }
    bool IsSelectionFloating() const { return m_selFloating != 0; }
    bool IsLiftPending() const { return m_liftPending != 0; }
    QPoint SelectionFirst() const { return m_selFirst; }
    QPoint SelectionLast() const { return m_selLast; }
    // The marquee in view coordinates (before scrolling), its edges on the
    // grid lines around the cells; empty without a selection.
    QRect MarqueeRect() const;
    // Sets the floating block into the current character and frees the
    // copy buffer.
    void CommitSelection();
    // A block whose dots are out of the character: being moved, or pasted
    // and still floating. Leaving the tool puts it down instead of losing it.
    bool IsBlockLifted() const { return m_selFloating && (m_tool == MoveSelection || !m_liftPending); }

    // ---- Undo.
    int GetUndoDepth() const { return m_undoDepth; }
    int IsUndoAvailable() const { return m_undoAvailable; }
    int GetUndoTaken() const { return m_undoTaken; }
    bool CanUndo() const;
    // Redo gives back what Undo took, step by step, until a new edit.
    bool CanRedo() const;

    // ---- Painting (GlyphosView_Paint.cpp).
    // The whole view as it is now, unscrolled (tests and benchmarks).
    QImage RenderAll() const;
    // Everything asked to repaint since the last call (benchmarks, tests),
    // in view coordinates.
    QRegion TakeRequestedRepaint();

    // ---- Printing (GlyphosView_Print.cpp).
    // Printer dots per logical unit of the printed page.
    int GetPrintFactor() const { return m_printFactor; }
    // Prints the page on a printer that is ready (chosen, or a PDF file);
    // the zoom is "Zoom x 2" meanwhile and comes back after. False, with a
    // message, when the printer cannot be started.
    bool PrintTo(QPrinter& printer);
    // ---- Import of an installed font (GlyphosView_Import.cpp). The
    // commands only choose; the drawing runs on the next repaint.
    void OnImportWindowsFont();
    void OnCorrectiveFactor();
    bool IsImportPending() const { return m_importPending != 0; }
    void SetImportPending() { m_importPending = 1; }
    // Draws the document's typeface into the font when an import waits.
    void RunPendingImport();
    ImportPlacement GetImportPlacement() const { return {m_importX, m_importY, m_importFx, m_importFy}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // GlyphosView.cpp
    CGlyphosDocCore& Core() const;
    KalvoFont& Font() const;
    DocDisplay& Display() const;
    int CurrentChar() const;
    QPoint ScrollPos() const;
    // A mouse point in view coordinates.
    QPoint ToView(const QPointF& widgetPoint) const;
    void UpdateScrollSizes();
    void SetStatusTool();
    void RecomputeExtents();
    void Navigate(bool (CGlyphosDocCore::*step)());

    // GlyphosView_Paint.cpp
    void PaintGrid(QPainter& p, const QRect& exposed) const;
    void PaintPreview(QPainter& p) const;
    void PaintSelection(QPainter& p) const;
    // Asks for a repaint of a rectangle given in view coordinates.
    void Invalidate(const QRect& viewRect);
    void InvalidateRegion(const QRegion& viewRegion);
    void InvalidateCells(int col0, int row0, int col1, int row1);
    void InvalidatePreviewDots(int col0, int row0, int col1, int row1);
    void InvalidateMarquee();
    void InvalidateEraserSquare();
    void OnFirstPaint();
    void UpdateCursor();

    // GlyphosView_Mouse.cpp
    void OnLeftDown(const QPoint& pt, Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
    void OnLeftUp(const QPoint& pt);
    void OnMove(const QPoint& pt, Qt::MouseButtons buttons);
    void ApplySquare(DrawTool tool, const DisplayPoint& cell);
    void TogglePenCell(const DisplayPoint& cell);
    void MoveEraserSquare(const DisplayPoint& cell);
    void ReleaseCapture();
    DisplayPoint ClampToCharacter(const DisplayPoint& cell) const;

    // GlyphosView_Edit.cpp
    void StartRubberBand(const DisplayPoint& cell);
    void TrackRubberBand(const DisplayPoint& cell);
    void EndRubberBand(const DisplayPoint& cell);
    // Makes cells first..last the floating selection and copies its dots
    // into the copy buffer; false (tool cancelled) when that fails.
    bool TakeSelection(const QPoint& first, const QPoint& last);
    void StartMove(const DisplayPoint& cell);
    void TrackMove(const DisplayPoint& cell);
    void ResetSelection();
    bool InsideMarquee(const QPoint& pt) const;
    void SaveUndoStep();
    void OnUndo();
    void OnRedo();
    // Forgets the steps Redo could give back and the whole-font step.
    void ForgetRedoAndFontSteps();
    // count characters from first, 768 bytes each, out of the grid and in.
    static void ReadChars(const KalvoFont& font, int first, int count, std::vector<unsigned char>& out);
    static void WriteChars(KalvoFont& font, int first, const std::vector<unsigned char>& bytes);
    void OnCopy();
    void OnCut();
    void OnPaste();
    void OnSelectAll();
    // The clipboard into the copy buffer; false when that fails.
    bool CopySelectionToClipboard();
    void PlaceClipboard(bool floating);

    // GlyphosView_Commands.cpp
    void OnZoom(int divisor);
    void OnMaxResolution();
    void OnPreviewMode(int mode);
    void OnChooseColor(bool grid);
    void OnToolSize(int size);
    void OnUserToolSize();
    void OnClearPixel();
    void OnRefreshView();
    void AfterZoom();

    // GlyphosView_Print.cpp
    bool OnPrintCommand(int id);
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    void OnPrintZoomFactor();
    // Tells the user when the table does not fit the page at the print
    // factor, naming the largest that fits; with askToGoOn, false when they
    // would rather not print.
    bool WarnIfTableCut(QPrinter& printer, bool askToGoOn);
    void BeginPrinting();
    void EndPrinting();

    // GlyphosView_Properties.cpp
    void OnFontProperties();

    IViewDocument* m_doc;
    IViewFrame* m_frame;

    DrawTool m_tool = None;
    int m_eraserSize = 3;
    int m_brushSize = 2;
    int m_eraserExtent = 0;
    int m_brushExtent = 0;
    DisplayPoint m_lastEraserCell{-1, -1};
    DisplayPoint m_lastBrushCell{-1, -1};
    QRect m_eraserCursorRect;
    int m_eraserCursorDrawn = 0;
    int m_capture = 0;
    bool m_onGrid = false;
    QPoint m_lastMouse{-1, -1};
    int m_cursorShape = -1;

    // Selection: cells first..last (columns and rows, both ends included).
    QPoint m_selFirst{-1, -1};
    QPoint m_selLast{-1, -1};
    // The cell where a rubber band started; -1 when none is being dragged.
    QPoint m_bandStart{-1, -1};
    int m_selMade = 0;
    int m_selFloating = 0;
    int m_liftPending = 1;
    QPoint m_dragAnchor{-1, -1};
    bool m_dragging = false;
    QSize m_selSize;

    int m_undoDepth = 0;
    int m_undoAvailable = 0;
    int m_undoTaken = 0;
    // The character the undo steps were saved from.
    int m_undoChar = -1;
    // What Undo replaced, newest last: one character's 96 x 8 bytes, or the
    // whole font's grid when Undo took back a rendering of an installed font.
    struct RedoStep {
        bool wholeFont = false;
        std::vector<unsigned char> bytes;
    };
    std::vector<RedoStep> m_redo;
    // The whole grid as it was before the last rendering of an installed
    // font (empty when there is none): the step below the ring's, since a
    // rendering rewrites every character and the ring holds only one.
    std::vector<unsigned char> m_fontUndo;
    // The document's font logic as last seen: opening another font into
    // the document replaces it, and with it the undo ring and copy buffer.
    const CGlyphosDocCore* m_core = nullptr;

    bool m_zoomFollowsSize = true;

    int m_printFactor = 6;
    // The zoom in force before printing began.
    int m_savedZoom = 2;
    int m_savedMaxResolution = 0;
    // Where imported characters land in their cells.
    int m_importX = 0;
    int m_importY = 0;
    float m_importFx = 1.0f;
    float m_importFy = 1.0f;
    int m_importPending = 0;

    int m_hasFocus = 0;
    int m_previewAttached = 0;
    QRegion m_requested;
};
