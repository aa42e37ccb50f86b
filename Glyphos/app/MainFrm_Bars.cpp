// The main frame's tool bar, palettes, status bar and preview window.
#include "ChildPreviewFont.h"
#include "CommandIds.h"
#include "MainFrm.h"
#include "PaletteBar.h"
#include "QtText.h"
#include "ToolIcons.h"

#include <QAction>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

QLabel* NewPane(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setContentsMargins(2, 0, 2, 0);
    return l;
}

// The lock keys of the X11 core protocol's modifier state; other platforms
// do not report them with key events.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumLockMask = 0x10;

}  // namespace

bool CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(tr("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("Toolbar"));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    const int layout[] = {cmd::FileNew,   cmd::FileOpen, cmd::FileSave, 0,           cmd::EditCut,
                          cmd::EditCopy,  cmd::EditPaste, 0,           cmd::EditUndo, cmd::EditRedo, 0,
                          cmd::FilePrint, 0,             cmd::WebLink, cmd::AppAbout, 0,
                          cmd::FirstChar, cmd::PrevChar, cmd::NextChar, cmd::LastChar};
    for (int id : layout) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QToolButton* b = CreateCommandButton(Action(id), m_toolBar);
        b->setIcon(CommandIcon(id));
        m_toolBar->addWidget(b);
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_panes[PaneMessage] = new QLabel(tr("Ready"), bar);
    bar->addWidget(m_panes[PaneMessage], 1);
    m_panes[PaneChar] = NewPane(QStringLiteral("Char: 0X00, 000"), bar);
    m_panes[PanePosition] = NewPane(QStringLiteral("Position:          "), bar);
    m_panes[PaneDimension] = NewPane(QStringLiteral("Dimension:          "), bar);
    m_panes[PaneTool] = NewPane(QStringLiteral("Tool selected: none."), bar);
    m_panes[PaneCaps] = NewPane(QStringLiteral("CAP"), bar);
    m_panes[PaneNum] = NewPane(QStringLiteral("NUM"), bar);
    m_panes[PaneScroll] = NewPane(QStringLiteral("SCRL"), bar);
    for (int p = PaneChar; p < kPaneCount; ++p) bar->addPermanentWidget(m_panes[p]);
    for (int p = PaneCaps; p <= PaneScroll; ++p) m_panes[p]->setEnabled(false);
    return true;
}

void CMainFrame::UpdateLockIndicators(quint32 nativeModifiers) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_panes[PaneCaps]->setEnabled(nativeModifiers & kX11LockMask);
        m_panes[PaneNum]->setEnabled(nativeModifiers & kX11NumLockMask);
    }
    m_panes[PaneScroll]->setEnabled(m_scrollLock);
}

void CMainFrame::SetPositionPane(int x, int y) {
    m_panes[PanePosition]->setText(
        ToQString(CString(L"Position: ") + CString::Format(L"X: %.2d, Y: %.2d", x + 1, y + 1)));
}

void CMainFrame::SetDimensionPane(int w, int h) {
    m_panes[PaneDimension]->setText(
        ToQString(CString(L"Dimension: ") + CString::Format(L"X: %.2d, Y: %.2d", w + 1, h + 1)));
}

void CMainFrame::SetToolPane(const CString& name) {
    m_panes[PaneTool]->setText(ToQString(CString(L"Tool selected: ") + name));
}

void CMainFrame::SetCharPane(int code) {
    // "%.0d" prints nothing for 0; code 0 reads as the pane's first text.
    const CString text = code == 0 ? CString(L"0X00, 000") : CString::Format(L"0X%.2X, %.0d", code, code);
    m_panes[PaneChar]->setText(ToQString(CString(L"Char: ") + text));
}

bool CMainFrame::CreatePalettes(QSettings& profile) {
    const auto flag = [&profile](const char* key) {
        return profile.value(QStringLiteral("General/") + QLatin1String(key), 1).toInt() != 0;
    };
    const auto columns = [&profile](const char* key) {
        return profile.value(QStringLiteral("General/") + QLatin1String(key), 3).toInt();
    };
    const auto actions = [this](std::initializer_list<int> ids) {
        std::vector<QAction*> v;
        for (int id : ids) v.push_back(Action(id));
        return v;
    };

    m_drawBar = new CPaletteBar(tr("Draw"), QStringLiteral("DrawBar"),
                                actions({cmd::ToolEraser, cmd::ToolPen, cmd::ToolSelect, cmd::ToolBrush,
                                         cmd::ToolPointer}),
                                this);
    m_previewBar = new CPaletteBar(tr("Preview"), QStringLiteral("PreviewBar"),
                                   actions({cmd::PreviewNormal, cmd::PreviewDoubleWidth, cmd::PreviewDoubleHeight,
                                            cmd::PreviewDoubleBoth}),
                                   this);
    m_genericBar = new CPaletteBar(tr("Actions"), QStringLiteral("GenericBar"),
                                   actions({cmd::SelectAllPixel, cmd::RefreshView, cmd::ClearPixel}), this);
    m_drawBar->SetColorImages(flag("DrawToolColor"));
    m_drawBar->SetToolTipsOn(flag("DrawTool_ToolTips"));
    m_previewBar->SetColorImages(flag("PreviewToolColor"));
    m_previewBar->SetToolTipsOn(flag("PreviewTool_ToolTips"));
    m_genericBar->SetColorImages(flag("GenericToolColor"));
    m_genericBar->SetToolTipsOn(flag("GenericTool_ToolTips"));
    m_drawBar->SetColumns(columns("DrawToolColumns"));
    m_previewBar->SetColumns(columns("PreviewToolColumns"));
    m_genericBar->SetColumns(columns("GenericToolColumns"));

    // Left side, one narrow column: Draw, Preview, Actions from the top.
    // Side by side they made a column as wide as all three, empty below
    // them down to the font preview.
    addDockWidget(Qt::LeftDockWidgetArea, m_drawBar);
    splitDockWidget(m_drawBar, m_previewBar, Qt::Vertical);
    splitDockWidget(m_previewBar, m_genericBar, Qt::Vertical);
    for (CPaletteBar* b : {m_drawBar, m_previewBar, m_genericBar})
        connect(b, &QDockWidget::visibilityChanged, this, [this] { RequestUpdateUI(); });
    return true;
}

void CMainFrame::CreatePreview() {
    m_preview = new CChildPreviewFont(this);
    m_previewDock = new QDockWidget(QStringLiteral("Font preview: "), this);
    m_previewDock->setObjectName(QStringLiteral("FontPreview"));
    // Movable and floatable, never closable: the table is always there.
    m_previewDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_previewDock->setWidget(m_preview);
    m_previewDock->installEventFilter(this);
    connect(m_preview, &QWidget::windowTitleChanged, m_previewDock, &QWidget::setWindowTitle);
    addDockWidget(Qt::BottomDockWidgetArea, m_previewDock);
    m_preview->UpdateTitle();
}
