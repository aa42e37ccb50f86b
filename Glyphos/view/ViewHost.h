// What the editing view needs of the windows around it, kept to two small
// interfaces so that the view does not depend on how the document and the
// main frame are built: the document of the font it edits, and the frame
// that owns the status bar, the font preview window, the palettes and the
// application-wide clipboard.
#pragma once

#include <QString>

#include "CString.h"

#include <QAbstractSlider>
#include <Qt>

class CGlyphosDocCore;
class GYCopyPaste;
class QAction;
class QWidget;

class IViewDocument {
public:
    virtual ~IViewDocument() = default;
    // The font, its display settings and the current character.
    virtual CGlyphosDocCore& GetCore() = 0;
    virtual CString GetTitle() const = 0;
    // The file the document's dialogs start beside (empty: none, use home).
    virtual QString DialogFolderPath() const { return {}; }
    virtual void SetModifiedFlag(bool modified = true) = 0;
    // Every view of the document but `sender` (none: all of them) updates
    // with the hint: 10 grid and preview, 20 grid only, 30 preview only,
    // 0 everything.
    virtual void UpdateAllViews(int hint, QWidget* sender = nullptr) = 0;
};

class IViewFrame {
public:
    virtual ~IViewFrame() = default;

    // ---- Status bar panes.
    virtual void SetCharPane(int code) = 0;
    // Shown as x + 1, y + 1; (-1, -1) when the mouse is off the grid.
    virtual void SetPositionPane(int x, int y) = 0;
    // Shown as w + 1, h + 1.
    virtual void SetDimensionPane(int w, int h) = 0;
    // Shown after "Tool selected: ".
    virtual void SetToolPane(const CString& name) = 0;

    // ---- Application.
    virtual GYCopyPaste& GetCopyPaste() = 0;
    // The document the application treats as current (the one the preview
    // window and the font commands work on).
    virtual IViewDocument* GetCurrentDocument() = 0;
    virtual void SetCurrentDocument(IViewDocument* doc) = 0;
    // "Mouse Auto Activate View": 1 none, 2 on the grid, 4 on the whole view.
    virtual int GetMouseActivateMode() const = 0;
    virtual void SetMouseActivateMode(int mode) = 0;
    // Makes the child window of the view the active one.
    virtual void ActivateView(QWidget* view) = 0;
    // The tool, the selection, the clipboard or the undo state changed:
    // menus and palettes ask the view again for what is enabled.
    virtual void CommandStateChanged() = 0;
    // The frame's action of a command (for the context menus), or null when
    // the frame has none; the view then makes its own.
    virtual QAction* CommandAction(int /*id*/) { return nullptr; }

    // ---- Font preview window.
    virtual IViewDocument* PreviewDocument() = 0;
    // Shows the document (refreshing the window) or detaches it (null).
    virtual void PreviewAttach(IViewDocument* doc, QWidget* view) = 0;
    virtual void PreviewRefresh() = 0;
    virtual void PreviewSetTitle(const CString& title) = 0;
    // Repaints the current character's cell of the table.
    virtual void PreviewInvalidateChar() = 0;
    // The table follows a key of the view: one scroll action on one bar.
    virtual void PreviewScroll(Qt::Orientation bar, QAbstractSlider::SliderAction action) = 0;
};
