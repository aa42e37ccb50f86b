// The editor's main window: the multi-document area, the main tool bar, the
// status bar with its eight panes, the three docking palettes ("Draw",
// "Preview", "Actions"), the font preview window, every menu and accelerator,
// and the routing of commands to the active view, its document, its frame,
// this window and the application. Bar settings, the docking state and the
// window placement live in the user's profile.
//
// The class is split by aspect: MainFrm.cpp (creation, placement, profile,
// close), MainFrm_Commands.cpp (actions, menus, routing), MainFrm_Bars.cpp
// (tool bar, palettes, status bar).
#pragma once

#include "CString.h"
#include "CmdTarget.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <map>
#include <optional>
#include <vector>

class CChildFrame;
class CChildPreviewFont;
class CGlyphosApp;
class CGlyphosDoc;
class CPaletteBar;
class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;
class QToolBar;

// Window placement as the profile stores it, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d":
// flags, show command, minimised x, y, maximised x, y, normal left, top,
// right, bottom.
struct WindowPlacement {
    static constexpr unsigned kRestoreToMaximized = 2;  // flag
    static constexpr unsigned kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;

    unsigned flags = 0;
    unsigned showCmd = kShowNormal;
    int minX = -1, minY = -1, maxX = -1, maxY = -1;
    QRect normal;  // left, top, right and bottom; right and bottom exclusive

    // Accepts exactly ten comma-separated integers, nothing else.
    static std::optional<WindowPlacement> Parse(const QString& text);
    QString ToString() const;
};

class CMainFrame : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    enum Pane { PaneMessage, PaneChar, PanePosition, PaneDimension, PaneTool, PaneCaps, PaneNum, PaneScroll };
    static constexpr int kPaneCount = 8;

    explicit CMainFrame(CGlyphosApp* app);
    ~CMainFrame() override;

    // Sizes and places the window, restores the placement, creates the bars
    // and the preview window. False when a bar cannot be created.
    bool Create();
    // Shows the window the way it was left: maximised or normal.
    void ShowRestored();

    // ---- Status bar (the view calls these).
    void SetPositionPane(int x, int y);
    void SetDimensionPane(int w, int h);
    void SetToolPane(const CString& name);
    void SetCharPane(int code);
    QLabel* PaneLabel(Pane p) const { return m_panes[p]; }

    // ---- Parts.
    CChildPreviewFont* GetPreview() const { return m_preview; }
    QDockWidget* PreviewDock() const { return m_previewDock; }
    QToolBar* MainToolBar() const { return m_toolBar; }
    CPaletteBar* DrawBar() const { return m_drawBar; }
    CPaletteBar* PreviewBar() const { return m_previewBar; }
    CPaletteBar* GenericBar() const { return m_genericBar; }
    QMdiArea* MdiArea() const { return m_mdi; }
    CChildFrame* ActiveChild() const;
    CGlyphosDoc* ActiveDocument() const;
    QMenu* Menu(const QString& title) const;

    // ---- Commands.
    QAction* Action(int id) const;
    // Offers the command to the route; true when someone ran it.
    bool RouteCommand(int id);
    // Asks the route for the state of every command now.
    void UpdateCommandUI();
    // The same, soon (once per turn of the event loop).
    void RequestUpdateUI();
    // Shows or hides the menus and items that need a document.
    void UpdateMenusForDocuments();
    // Makes a document window that is not maximised large enough for its
    // view at the view's zoom (within the document area).
    void SizeWindowToView(QMdiSubWindow* window) const;
    // The placement a saved one becomes on the screens there are now: the
    // same when it fits the available area, moved inside when only its
    // place is off, the default one when it is larger.
    QRect PlaceOnScreen(const QRect& saved) const;

    // Writes the bar settings, the docking state and the placement.
    void SaveSettings();

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // MainFrm_Commands.cpp
    void CreateActions();
    void CreateMenus();
    QAction* AddCommand(int id, const QString& text, const QString& tip = {});
    void RebuildRecentFiles();
    void RebuildWindowList();
    void ArrangeIcons();
    // MainFrm_Bars.cpp
    bool CreateToolBar();
    bool CreateStatusBar();
    bool CreatePalettes(QSettings& profile);
    void CreatePreview();
    void UpdateLockIndicators(quint32 nativeModifiers);

    QRect DefaultGeometry() const;
    // The font preview's first place: at the bottom, at most a third of the
    // window high, or at the right when its table is taller than that and
    // the width has room; with a restored layout, no taller than its table.
    void PlacePreview(bool restored);

    CGlyphosApp* m_app;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolBar = nullptr;
    CPaletteBar* m_drawBar = nullptr;
    CPaletteBar* m_previewBar = nullptr;
    CPaletteBar* m_genericBar = nullptr;
    CChildPreviewFont* m_preview = nullptr;
    QDockWidget* m_previewDock = nullptr;
    QLabel* m_panes[kPaneCount] = {};

    std::map<int, QAction*> m_actions;
    std::vector<QAction*> m_docOnly;   // menu items shown only with a document
    std::vector<QMenu*> m_docMenus;    // whole menus shown only with a document
    std::vector<QAction*> m_recent;
    QAction* m_recentEmpty = nullptr;
    QMenu* m_windowMenu = nullptr;
    std::vector<QAction*> m_windowList;
    bool m_updatePending = false;
    bool m_startMaximized = false;
    bool m_scrollLock = false;
};
