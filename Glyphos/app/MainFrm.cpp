#include "MainFrm.h"

#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "EditingView.h"
#include "Glyphos.h"
#include "PaletteBar.h"
#include "SampleTextDock.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <memory>

std::optional<WindowPlacement> WindowPlacement::Parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 10) return std::nullopt;
    long long v[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toLongLong(&ok);
        if (!ok) return std::nullopt;
        // The first two are unsigned; the rest are window coordinates.
        const long long lo = i < 2 ? 0 : -1000000, hi = 1000000;
        if (v[i] < lo || v[i] > hi) return std::nullopt;
    }
    WindowPlacement wp;
    wp.flags = static_cast<unsigned>(v[0]);
    wp.showCmd = static_cast<unsigned>(v[1]);
    wp.minX = static_cast<int>(v[2]);
    wp.minY = static_cast<int>(v[3]);
    wp.maxX = static_cast<int>(v[4]);
    wp.maxY = static_cast<int>(v[5]);
    wp.normal = QRect(QPoint(static_cast<int>(v[6]), static_cast<int>(v[7])),
                      QPoint(static_cast<int>(v[8]) - 1, static_cast<int>(v[9]) - 1));
    return wp;
}

QString WindowPlacement::ToString() const {
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
        .arg(flags)
        .arg(showCmd)
        .arg(minX)
        .arg(minY)
        .arg(maxX)
        .arg(maxY)
        .arg(normal.left())
        .arg(normal.top())
        .arg(normal.right() + 1)
        .arg(normal.bottom() + 1);
}

CMainFrame::CMainFrame(CGlyphosApp* app) : m_app(app) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Glyphos"));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CMainFrame::~CMainFrame() {
    if (qApp) qApp->removeEventFilter(this);
    // The bars, the document area and the menus are destroyed by QWidget's
    // destructor after this object's own part is gone; their last signals
    // (visibility, activation) must not reach it.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

QRect CMainFrame::DefaultGeometry() const {
    // Centred, fourteen fifteenths of the screen each way; of the part that
    // panels leave free, so that the window manager's frame fits around it.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const int w = s.width(), h = s.height();
    return QRect(s.left() + w / 30, s.top() + h / 30, w - w / 15, h - h / 15);
}

QRect CMainFrame::PlaceOnScreen(const QRect& saved) const {
    const QScreen* screen = QGuiApplication::screenAt(saved.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen || !saved.isValid()) return DefaultGeometry();
    // The saved rectangle is the inside of the window: the window manager's
    // frame needs room around it (a title bar above, thin borders).
    const QRect a = screen->availableGeometry();
    const QRect inner = a.adjusted(8, 32, -8, -8);
    if (saved.width() > inner.width() || saved.height() > inner.height()) {
        return QRect(a.left() + a.width() / 30, a.top() + a.height() / 30, a.width() - a.width() / 15,
                     a.height() - a.height() / 15);
    }
    QRect r = saved;
    if (r.right() > inner.right()) r.moveRight(inner.right());
    if (r.bottom() > inner.bottom()) r.moveBottom(inner.bottom());
    if (r.left() < inner.left()) r.moveLeft(inner.left());
    if (r.top() < inner.top()) r.moveTop(inner.top());
    return r;
}

bool CMainFrame::Create() {
    setAcceptDrops(true);
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        // The preview follows the active window's view.
        if (m_preview) {
            if (CChildFrame* child = ActiveChild()) {
                if (m_preview->GetView() != child->GetView()) m_preview->Attach(child->GetDocument(), child->GetView());
            } else if (m_mdi->subWindowList().isEmpty()) {
                m_preview->Attach(nullptr, nullptr);
            }
        }
        UpdateMenusForDocuments();
        RequestUpdateUI();
    });

    setGeometry(DefaultGeometry());
    std::unique_ptr<QSettings> profile = m_app->Profile();
    // A value edited by hand without quotes reads back as a list.
    const QString pos = profile->value(QStringLiteral("Settings/WindowPos")).toStringList().join(QLatin1Char(','));
    if (auto wp = WindowPlacement::Parse(pos)) {
        // A placement saved on another screen (a larger one, a monitor since
        // removed) is brought inside the screen there is now.
        if (wp->normal.isValid()) setGeometry(PlaceOnScreen(wp->normal));
        m_startMaximized = wp->showCmd == WindowPlacement::kShowMaximized ||
                           (wp->showCmd == WindowPlacement::kShowMinimized &&
                            (wp->flags & WindowPlacement::kRestoreToMaximized));
    }

    CreateActions();
    CreateMenus();
    if (!CreateToolBar()) {
        qWarning("Failed to create toolbar\n");
        return false;
    }
    if (!CreateStatusBar()) {
        qWarning("Failed to create status bar\n");
        return false;
    }
    if (!CreatePalettes(*profile)) return false;
    CreatePreview();
    m_docOnly.push_back(CSampleTextDock::Install(this)->toggleViewAction());
    restoreState(profile->value(QStringLiteral("General/BarState")).toByteArray());
    statusBar()->setVisible(profile->value(QStringLiteral("General/StatusBar"), 1).toInt() != 0);

    qApp->installEventFilter(this);
    UpdateMenusForDocuments();
    UpdateCommandUI();
    return true;
}

void CMainFrame::ShowRestored() {
    if (m_startMaximized) showMaximized();
    else show();
    // A palette restored floating before the main window was shown is
    // mapped but never drawn on X11: show it again now, where it was.
    for (CPaletteBar* b : {m_drawBar, m_previewBar, m_genericBar}) {
        if (!b->isFloating() || b->isHidden()) continue;
        const QRect where = b->geometry();
        b->hide();
        b->show();
        b->setGeometry(where);
    }
    // Where the font preview starts, once the layout has settled: see
    // PlacePreview. A layout the user left is kept.
    const bool restored = m_app->Profile()->contains(QStringLiteral("General/BarState"));
    QTimer::singleShot(0, this, [this, restored] { PlacePreview(restored); });
}

void CMainFrame::PlacePreview(bool restored) {
    const QSize table = m_preview->ScrollExtent();
    if (table.isEmpty() || m_previewDock->isFloating()) return;
    const int chromeH = m_previewDock->height() - m_preview->contentsRect().height();
    const int chromeW = m_previewDock->width() - m_preview->contentsRect().width();
    const Qt::DockWidgetArea area = dockWidgetArea(m_previewDock);
    if (restored) {
        // Never more than the table needs; otherwise as the user left it.
        if (area == Qt::BottomDockWidgetArea && m_previewDock->height() > table.height() + chromeH)
            resizeDocks({m_previewDock}, {table.height() + chromeH}, Qt::Vertical);
        return;
    }
    // At the bottom, as tall as its table and at most a third of the
    // window: the editing view gets the rest. A table taller than that goes
    // to the right of the documents when the width allows, so that the whole
    // grid and the whole table show; otherwise it scrolls at the bottom.
    const int third = height() / 3;
    CChildFrame* child = ActiveChild();
    const auto* view = child ? dynamic_cast<IEditingView*>(child->GetView()) : nullptr;
    const int viewWidth = view ? view->WholeSize().width() : 0;
    const int spare = m_mdi->width() - viewWidth;
    if (table.height() + chromeH > third && spare >= table.width() + chromeW) {
        addDockWidget(Qt::RightDockWidgetArea, m_previewDock);
        resizeDocks({m_previewDock}, {table.width() + chromeW}, Qt::Horizontal);
        return;
    }
    resizeDocks({m_previewDock}, {std::min(table.height() + chromeH, third)}, Qt::Vertical);
}

void CMainFrame::SizeWindowToView(QMdiSubWindow* window) const {
    auto* view = window ? dynamic_cast<IEditingView*>(window->widget()) : nullptr;
    if (!view || window->isMaximized() || window->isMinimized()) return;
    // The title bar and borders, as the window's margins say: its layout
    // may not have placed the view at a size just set (by cascading) yet.
    const QSize decoration = window->size() - window->contentsRect().size();
    const QSize area = m_mdi->viewport()->size();
    const QSize wanted = (view->WholeSize() + decoration).boundedTo(area).expandedTo(window->size());
    if (wanted != window->size()) window->resize(wanted);
    // Inside the area, where it can be.
    QPoint at = window->pos();
    at.setX(std::max(0, std::min(at.x(), area.width() - wanted.width())));
    at.setY(std::max(0, std::min(at.y(), area.height() - wanted.height())));
    if (at != window->pos()) window->move(at);
}

CChildFrame* CMainFrame::ActiveChild() const {
    // currentSubWindow, unlike activeSubWindow, keeps answering while a
    // dialog has the focus.
    return m_mdi ? qobject_cast<CChildFrame*>(m_mdi->currentSubWindow()) : nullptr;
}

CGlyphosDoc* CMainFrame::ActiveDocument() const {
    CChildFrame* child = ActiveChild();
    return child ? child->GetDocument() : nullptr;
}

void CMainFrame::SaveSettings() {
    std::unique_ptr<QSettings> profile = m_app->Profile();
    profile->setValue(QStringLiteral("General/BarState"), saveState());
    profile->setValue(QStringLiteral("General/StatusBar"), statusBar()->isVisibleTo(this) ? 1 : 0);
    // Document windows open maximised until the user leaves one restored.
    if (CChildFrame* child = ActiveChild())
        profile->setValue(QStringLiteral("General/ChildMaximized"), child->isMaximized() ? 1 : 0);
    profile->setValue(QStringLiteral("General/DrawToolColumns"), m_drawBar->GetColumns());
    profile->setValue(QStringLiteral("General/PreviewToolColumns"), m_previewBar->GetColumns());
    profile->setValue(QStringLiteral("General/GenericToolColumns"), m_genericBar->GetColumns());
    profile->setValue(QStringLiteral("General/DrawToolColor"), m_drawBar->GetColorImages() ? 1 : 0);
    profile->setValue(QStringLiteral("General/DrawTool_ToolTips"), m_drawBar->GetToolTipsOn() ? 1 : 0);
    profile->setValue(QStringLiteral("General/PreviewToolColor"), m_previewBar->GetColorImages() ? 1 : 0);
    profile->setValue(QStringLiteral("General/PreviewTool_ToolTips"), m_previewBar->GetToolTipsOn() ? 1 : 0);
    profile->setValue(QStringLiteral("General/GenericToolColor"), m_genericBar->GetColorImages() ? 1 : 0);
    profile->setValue(QStringLiteral("General/GenericTool_ToolTips"), m_genericBar->GetToolTipsOn() ? 1 : 0);

    WindowPlacement wp;
    if (isMaximized()) wp.flags |= WindowPlacement::kRestoreToMaximized;
    wp.showCmd = isMinimized()   ? WindowPlacement::kShowMinimized
                 : isMaximized() ? WindowPlacement::kShowMaximized
                                 : WindowPlacement::kShowNormal;
    wp.normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    profile->setValue(QStringLiteral("Settings/WindowPos"), wp.ToString());
    profile->sync();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveSettings();
    if (!m_app->SaveAllModified()) {
        event->ignore();
        return;
    }
    m_app->CloseAllDocuments();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) m_app->OpenDocumentFile(url.toLocalFile());
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_previewDock && event->type() == QEvent::Close) {
        // The preview window stays for the whole session.
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_ScrollLock && !key->isAutoRepeat())
            m_scrollLock = !m_scrollLock;
        UpdateLockIndicators(key->nativeModifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}
