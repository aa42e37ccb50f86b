// The main frame's actions, menus and accelerators, and the route that
// carries a command to whoever handles it.
#include "ChildFrm.h"
#include "CommandIds.h"
#include "Glyphos.h"
#include "GlyphosDoc.h"
#include "MainFrm.h"
#include "PaletteBar.h"
#include "ToolIcons.h"
#include "UiServices.h"

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <new>

namespace {

// Commands whose item shows a check mark (tools, modes, bar toggles).
bool IsCheckable(int id) {
    switch (id) {
        case cmd::ViewToolBar:
        case cmd::ViewStatusBar:
        case cmd::ViewDrawTools:
        case cmd::ViewPreviewTools:
        case cmd::ViewGenericTools:
        case cmd::MouseActivateNone:
        case cmd::MouseActivateGrid:
        case cmd::MouseActivateView:
        case cmd::PreviewNormal:
        case cmd::PreviewDoubleWidth:
        case cmd::PreviewDoubleHeight:
        case cmd::PreviewDoubleBoth:
        case cmd::ZoomX2:
        case cmd::ZoomX4:
        case cmd::ZoomMaxResolution:
        case cmd::ToolEraser:
        case cmd::ToolPen:
        case cmd::ToolSelect:
        case cmd::ToolBrush:
        case cmd::ToolPointer: return true;
        default: return false;
    }
}

}  // namespace

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& tip) {
    auto* a = new QAction(text, this);
    a->setData(id);
    a->setObjectName(QStringLiteral("cmd%1").arg(id));
    a->setCheckable(IsCheckable(id));
    QString t = tip.isEmpty() ? text : tip;
    t.remove(QLatin1Char('&'));
    a->setToolTip(t);
    a->setStatusTip(t);
    a->setEnabled(false);
    connect(a, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    // Added to the window itself so that accelerators work whether or not
    // the item is in a menu.
    addAction(a);
    m_actions[id] = a;
    return a;
}

QAction* CMainFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions() {
    using K = QKeySequence;
    AddCommand(cmd::FileNew, tr("&New"))->setShortcut(K(Qt::CTRL | Qt::Key_N));
    AddCommand(cmd::FileOpen, tr("&Open..."))->setShortcut(K(Qt::CTRL | Qt::Key_O));
    // Ctrl+W closes, as everywhere on the desktop, and Ctrl+F4 as it always
    // did; the menu shows the first.
    AddCommand(cmd::FileOpenPsw, tr("Open *.ps&w"))->setShortcut(K(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    AddCommand(cmd::FileClose, tr("&Close"))->setShortcuts({K(Qt::CTRL | Qt::Key_W), K(Qt::CTRL | Qt::Key_F4)});
    AddCommand(cmd::FileSave, tr("&Save (*.kfn)"))->setShortcut(K(Qt::CTRL | Qt::Key_S));
    AddCommand(cmd::FileSaveAs, tr("Save &As (*.kfn)"));
    AddCommand(cmd::FileSaveInPsw, tr("Save In (*.ps&w) File"));
    AddCommand(cmd::FileImportFont, tr("&Import Font (BDF, PSF)..."));
    AddCommand(cmd::FileExportFont, tr("&Export Font (BDF, PSF)..."));
    AddCommand(cmd::PrintZoomFactor, tr("Print Preview zoom factor"));
    AddCommand(cmd::FilePrint, tr("&Print..."))->setShortcut(K(Qt::CTRL | Qt::Key_P));
    AddCommand(cmd::FilePrintDirect, tr("Print &Direct"));
    AddCommand(cmd::FilePrintPreview, tr("Print Pre&view"));
    AddCommand(cmd::FilePrintSetup, tr("P&rint Setup..."));
    AddCommand(cmd::AppExit, tr("E&xit"));

    AddCommand(cmd::EditUndo, tr("&Undo"))->setShortcuts({K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)});
    AddCommand(cmd::EditRedo, tr("&Redo"))->setShortcuts({K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    AddCommand(cmd::EditCut, tr("Cu&t"))->setShortcuts({K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)});
    AddCommand(cmd::EditCopy, tr("&Copy"))->setShortcuts({K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)});
    AddCommand(cmd::EditPaste, tr("&Paste"))->setShortcuts({K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)});
    AddCommand(cmd::SelectAllPixel, tr("Select &All Pixel"))->setShortcut(K(Qt::CTRL | Qt::Key_A));

    AddCommand(cmd::ViewToolBar, tr("&Tool Bar"));
    AddCommand(cmd::ViewStatusBar, tr("&Status Bar"));
    AddCommand(cmd::ViewDrawTools, tr("&Draw Tools"));
    AddCommand(cmd::ViewPreviewTools, tr("Preview Tools"));
    AddCommand(cmd::ViewGenericTools, tr("Generic Tools"));
    AddCommand(cmd::MouseActivateNone, tr("None"));
    AddCommand(cmd::MouseActivateGrid, tr("On Grid"));
    AddCommand(cmd::MouseActivateView, tr("On View"));

    AddCommand(cmd::PreviewNormal, tr("Normal Preview"));
    AddCommand(cmd::PreviewDoubleWidth, tr("Double Width Preview"));
    AddCommand(cmd::PreviewDoubleHeight, tr("Double Height Preview"));
    AddCommand(cmd::PreviewDoubleBoth, tr("Double Height And Double Width Preview"));

    AddCommand(cmd::GridColor, tr("Grid color"));
    AddCommand(cmd::BorderGridColor, tr("Border grid"));
    AddCommand(cmd::ZoomX2, tr("Zoom  x 2"));
    AddCommand(cmd::ZoomX4, tr("Zoom  x 4"));
    AddCommand(cmd::ZoomMaxResolution, tr("Max Resolution"));
    AddCommand(cmd::FontProperties, tr("Font Properties"))->setShortcut(K(Qt::SHIFT | Qt::Key_F));
    AddCommand(cmd::ImportWindowsFont, tr("Import &Windows Font"));
    AddCommand(cmd::CorrectiveFontPosition, tr("Set Corrective Font Position Factor"));

    AddCommand(cmd::WindowNew, tr("&New Window"));
    AddCommand(cmd::WindowCascade, tr("&Cascade"));
    AddCommand(cmd::WindowTile, tr("&Tile"));
    AddCommand(cmd::WindowArrange, tr("&Arrange Icons"));
    AddCommand(cmd::NextPane, tr("Next Pane"))->setShortcut(K(Qt::Key_F6));
    AddCommand(cmd::PrevPane, tr("Previous Pane"))->setShortcut(K(Qt::SHIFT | Qt::Key_F6));

    AddCommand(cmd::HtmlHelp, tr("Html Help"))->setShortcut(K(Qt::Key_F1));
    AddCommand(cmd::AppAbout, tr("&About Glyphos..."));
    AddCommand(cmd::WebLink, tr("&Web Link"), tr("Kalvo on the web"));
    AddCommand(cmd::TableGenerator, tr("Table Generator"))
        ->setShortcut(K(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_M));

    AddCommand(cmd::FirstChar, tr("First char"));
    AddCommand(cmd::PrevChar, tr("Previous char"));
    AddCommand(cmd::NextChar, tr("Next char"));
    AddCommand(cmd::LastChar, tr("Last char"));

    AddCommand(cmd::ToolEraser, tr("Eraser"));
    AddCommand(cmd::ToolPen, tr("Pen"));
    AddCommand(cmd::ToolSelect, tr("Select mode"));
    AddCommand(cmd::ToolBrush, tr("Brush"));
    AddCommand(cmd::ToolPointer, tr("Pointer mode"));
    AddCommand(cmd::RefreshView, tr("Refresh view"));
    AddCommand(cmd::ClearPixel, tr("Clear pixel"));

    for (int i = 0; i < cmd::FileMruCount; ++i) {
        const int id = cmd::FileMruFirst + i;
        auto* a = new QAction(this);
        a->setData(id);
        a->setObjectName(QStringLiteral("cmd%1").arg(id));
        connect(a, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        m_actions[id] = a;
        m_recent.push_back(a);
    }
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    const auto docItem = [this](QMenu* m, int id) {
        m->addAction(Action(id));
        m_docOnly.push_back(Action(id));
    };

    QMenu* file = bar->addMenu(tr("&File"));
    file->addAction(Action(cmd::FileNew));
    file->addAction(Action(cmd::FileOpen));
    docItem(file, cmd::FileOpenPsw);
    docItem(file, cmd::FileClose);
    m_docOnly.push_back(file->addSeparator());
    docItem(file, cmd::FileSave);
    docItem(file, cmd::FileSaveAs);
    docItem(file, cmd::FileSaveInPsw);
    docItem(file, cmd::FileImportFont);
    docItem(file, cmd::FileExportFont);
    m_docOnly.push_back(file->addSeparator());
    docItem(file, cmd::PrintZoomFactor);
    docItem(file, cmd::FilePrint);
    docItem(file, cmd::FilePrintPreview);
    file->addAction(Action(cmd::FilePrintSetup));
    file->addSeparator();
    for (QAction* a : m_recent) file->addAction(a);
    m_recentEmpty = file->addAction(tr("Recent File"));
    m_recentEmpty->setEnabled(false);
    file->addSeparator();
    file->addAction(Action(cmd::AppExit));
    connect(file, &QMenu::aboutToShow, this, [this] { RebuildRecentFiles(); });

    QMenu* edit = bar->addMenu(tr("&Edit"));
    edit->addAction(Action(cmd::EditUndo));
    edit->addAction(Action(cmd::EditRedo));
    edit->addSeparator();
    edit->addAction(Action(cmd::EditCut));
    edit->addAction(Action(cmd::EditCopy));
    edit->addAction(Action(cmd::EditPaste));
    edit->addSeparator();
    edit->addAction(Action(cmd::SelectAllPixel));
    m_docMenus.push_back(edit);

    QMenu* view = bar->addMenu(tr("&View"));
    view->addAction(Action(cmd::ViewToolBar));
    view->addAction(Action(cmd::ViewStatusBar));
    docItem(view, cmd::ViewDrawTools);
    docItem(view, cmd::ViewPreviewTools);
    docItem(view, cmd::ViewGenericTools);
    m_docOnly.push_back(view->addSeparator());
    QMenu* mouse = new QMenu(tr("Mouse Auto Activate View"), view);
    mouse->addAction(Action(cmd::MouseActivateNone));
    mouse->addAction(Action(cmd::MouseActivateGrid));
    mouse->addAction(Action(cmd::MouseActivateView));
    m_docOnly.push_back(view->addMenu(mouse));

    QMenu* preview = bar->addMenu(tr("&Preview"));
    for (int id : {cmd::PreviewNormal, cmd::PreviewDoubleWidth, cmd::PreviewDoubleHeight, cmd::PreviewDoubleBoth})
        preview->addAction(Action(id));
    m_docMenus.push_back(preview);

    QMenu* colors = bar->addMenu(tr("&Colors"));
    colors->addAction(Action(cmd::GridColor));
    colors->addAction(Action(cmd::BorderGridColor));
    m_docMenus.push_back(colors);

    QMenu* zoom = bar->addMenu(tr("&Zoom"));
    zoom->addAction(Action(cmd::ZoomX2));
    zoom->addAction(Action(cmd::ZoomX4));
    zoom->addAction(Action(cmd::ZoomMaxResolution));
    m_docMenus.push_back(zoom);

    QMenu* font = bar->addMenu(tr("F&ont"));
    font->addAction(Action(cmd::FontProperties));
    font->addAction(Action(cmd::ImportWindowsFont));
    font->addAction(Action(cmd::CorrectiveFontPosition));
    m_docMenus.push_back(font);

    m_windowMenu = bar->addMenu(tr("&Window"));
    m_windowMenu->addAction(Action(cmd::WindowNew));
    m_windowMenu->addAction(Action(cmd::WindowCascade));
    m_windowMenu->addAction(Action(cmd::WindowTile));
    m_windowMenu->addAction(Action(cmd::WindowArrange));
    m_windowMenu->addSeparator();
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] { RebuildWindowList(); });
    m_docMenus.push_back(m_windowMenu);

    QMenu* help = bar->addMenu(tr("&?"));
    help->addAction(Action(cmd::HtmlHelp));
    help->addAction(Action(cmd::AppAbout));
    help->addAction(Action(cmd::WebLink));

    for (QMenu* m : bar->findChildren<QMenu*>())
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    RebuildRecentFiles();
}

QMenu* CMainFrame::Menu(const QString& title) const {
    for (QAction* a : menuBar()->actions()) {
        QString t = a->text();
        if (t.remove(QLatin1Char('&')) == title) return a->menu();
    }
    return nullptr;
}

void CMainFrame::UpdateMenusForDocuments() {
    const bool hasDoc = m_mdi && !m_mdi->subWindowList().isEmpty();
    for (QAction* a : m_docOnly) a->setVisible(hasDoc);
    for (QMenu* m : m_docMenus) m->menuAction()->setVisible(hasDoc);
}

void CMainFrame::RebuildRecentFiles() {
    const QStringList files = m_app->RecentFiles();
    for (int i = 0; i < cmd::FileMruCount; ++i) {
        QAction* a = m_recent[static_cast<std::size_t>(i)];
        const bool used = i < files.size();
        a->setVisible(used);
        a->setEnabled(used);
        if (used) a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]));
    }
    m_recentEmpty->setVisible(files.isEmpty());
}

void CMainFrame::RebuildWindowList() {
    for (QAction* a : m_windowList) delete a;
    m_windowList.clear();
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* w = windows[i];
        QString title = w->windowTitle();
        title.remove(QStringLiteral("[*]"));
        QAction* a = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        a->setCheckable(true);
        a->setChecked(w == m_mdi->currentSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { m_mdi->setActiveSubWindow(w); });
        m_windowList.push_back(a);
    }
}

void CMainFrame::ArrangeIcons() {
    // Lines the minimised windows up along the bottom of the area.
    int x = 0;
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, m_mdi->viewport()->height() - w->height());
        x += w->width();
    }
}

bool CMainFrame::RouteCommand(int id) {
    bool done = false;
    // The last line of defence of every command: what a broken file makes
    // the library throw ends the command, never the editor (an exception
    // must not cross Qt's event loop).
    try {
        if (CChildFrame* child = ActiveChild()) {
            if (auto* view = dynamic_cast<CCmdTarget*>(child->widget())) done = view->OnCmdMsg(id);
            if (!done && child->GetDocument()) done = child->GetDocument()->OnCmdMsg(id);
            if (!done) done = child->OnCmdMsg(id);
        }
        if (!done) done = OnCmdMsg(id);
        if (!done) done = m_app->OnCmdMsg(id);
    } catch (int) {
        // MYThrow has shown its dialog.
        done = true;
    } catch (const std::bad_alloc&) {
        MessageBox(nullptr, L"There was not enough memory to complete the operation.", L"Error", MB_ICONSTOP);
        done = true;
    }
    RequestUpdateUI();
    return done;
}

void CMainFrame::UpdateCommandUI() {
    m_updatePending = false;
    CChildFrame* child = ActiveChild();
    CCmdTarget* view = child ? dynamic_cast<CCmdTarget*>(child->widget()) : nullptr;
    CGlyphosDoc* doc = child ? child->GetDocument() : nullptr;
    for (const auto& [id, action] : m_actions) {
        CCmdUI ui(id);
        const bool handled = (view && view->OnUpdateCmdUI(ui)) || (doc && doc->OnUpdateCmdUI(ui)) ||
                             (child && child->OnUpdateCmdUI(ui)) || OnUpdateCmdUI(ui) ||
                             m_app->OnUpdateCmdUI(ui);
        action->setEnabled(handled && ui.m_enabled);
        if (action->isCheckable()) action->setChecked(handled && ui.m_checkSet && ui.m_checked);
    }
}

void CMainFrame::RequestUpdateUI() {
    if (m_updatePending) return;
    m_updatePending = true;
    QTimer::singleShot(0, this, [this] { UpdateCommandUI(); });
}

bool CMainFrame::OnCmdMsg(int id) {
    QWidget* bar = nullptr;
    switch (id) {
        case cmd::ViewToolBar: bar = m_toolBar; break;
        case cmd::ViewStatusBar: bar = statusBar(); break;
        case cmd::ViewDrawTools: bar = m_drawBar; break;
        case cmd::ViewPreviewTools: bar = m_previewBar; break;
        case cmd::ViewGenericTools: bar = m_genericBar; break;
        case cmd::WindowCascade:
            m_mdi->cascadeSubWindows();
            // Qt's cascade gives every window the same small size; each
            // gets what its grid needs instead.
            for (QMdiSubWindow* w : m_mdi->subWindowList()) SizeWindowToView(w);
            return true;
        case cmd::WindowTile: m_mdi->tileSubWindows(); return true;
        case cmd::WindowArrange: ArrangeIcons(); return true;
        default: return false;
    }
    bar->setVisible(!bar->isVisibleTo(this));
    return true;
}

bool CMainFrame::OnUpdateCmdUI(CCmdUI& ui) {
    QWidget* bar = nullptr;
    switch (ui.m_nID) {
        case cmd::ViewToolBar: bar = m_toolBar; break;
        case cmd::ViewStatusBar: bar = statusBar(); break;
        case cmd::ViewDrawTools: bar = m_drawBar; break;
        case cmd::ViewPreviewTools: bar = m_previewBar; break;
        case cmd::ViewGenericTools: bar = m_genericBar; break;
        case cmd::WindowCascade:
        case cmd::WindowTile:
        case cmd::WindowArrange: ui.Enable(!m_mdi->subWindowList().isEmpty()); return true;
        default: return false;
    }
    ui.SetCheck(bar && bar->isVisibleTo(this));
    return true;
}
