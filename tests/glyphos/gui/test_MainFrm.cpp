#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "CommandIds.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "DialogSelectFont.h"
#include "GlyphosView.h"
#include "GuiTestFixture.h"
#include "PaletteBar.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

// A view whose command fails the way the library fails on a broken file.
class ThrowingView : public QWidget, public CCmdTarget {
public:
    bool OnCmdMsg(int id) override {
        if (id == cmd::FontProperties) throw 0;
        return false;
    }
    bool OnUpdateCmdUI(CCmdUI& ui) override { return ui.m_nID == cmd::FontProperties; }
};

class MainFrmTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
    }
    QRect DefaultRect() const {
        const QRect s = QGuiApplication::primaryScreen()->geometry();
        return QRect(s.width() / 30, s.height() / 30, s.width() - s.width() / 15, s.height() - s.height() / 15);
    }
    int ProfileInt(const char* key) { return Profile()->value(QString::fromLatin1(key), -1).toInt(); }
};

// The first screen with the demo font is tested on a laptop's screen in
// screen/test_FirstScreen.cpp.

TEST_F(MainFrmTest, AFloatedPaletteIsAsLargeAsItsButtonsAndComesBackWhereItWas) {
    ASSERT_TRUE(Start());
    CPaletteBar* draw = Frame()->DrawBar();
    draw->setFloating(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(draw->size(), draw->sizeHint());
    draw->setGeometry(300, 200, draw->width() + 30, draw->height() + 20);
    const QRect where = draw->geometry();
    ASSERT_TRUE(Frame()->close());
    app.reset();

    ASSERT_TRUE(Start());
    QCoreApplication::processEvents();
    draw = Frame()->DrawBar();
    EXPECT_TRUE(draw->isFloating());
    EXPECT_TRUE(draw->isVisible());
    EXPECT_EQ(draw->geometry(), where);
}

TEST_F(MainFrmTest, FirstStartCoversFourteenFifteenthsOfTheScreenCentred) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), DefaultRect());
}

TEST_F(MainFrmTest, PlacementWithTenNumbersIsRestoredAndWithNineIgnored) {
    Profile()->setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,40,50,740,580");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), QRect(40, 50, 700, 530));
    EXPECT_FALSE(Frame()->isMaximized());
    app.reset();

    Profile()->setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,40,50,740");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), DefaultRect());
    app.reset();

    Profile()->setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,40,50,740,650,7");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), DefaultRect());
    app.reset();

    Profile()->setValue("Settings/WindowPos", "2,3,-1,-1,-1,-1,40,50,740,650");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame()->isMaximized());
}

TEST_F(MainFrmTest, PlacementParsingAcceptsExactlyTenIntegers) {
    const auto wp = WindowPlacement::Parse(" 2, 3,-1,-1,-1,-1,10,20,110,220");
    ASSERT_TRUE(wp.has_value());
    EXPECT_EQ(wp->flags, 2u);
    EXPECT_EQ(wp->showCmd, 3u);
    EXPECT_EQ(wp->normal, QRect(10, 20, 100, 200));
    EXPECT_EQ(wp->ToString(), QStringLiteral("2,3,-1,-1,-1,-1,10,20,110,220"));
    EXPECT_FALSE(WindowPlacement::Parse("").has_value());
    EXPECT_FALSE(WindowPlacement::Parse("0,1,-1,-1,-1,-1,10,20,110,2x0").has_value());
    EXPECT_FALSE(WindowPlacement::Parse("-1,1,-1,-1,-1,-1,10,20,110,220").has_value());
    EXPECT_FALSE(WindowPlacement::Parse("0,1,-1,-1,-1,-1,10,20,110,99999999999").has_value());
}

TEST_F(MainFrmTest, ClosingStoresBarSettingsAndPlacementInTheProfile) {
    ASSERT_TRUE(Start());
    Frame()->setGeometry(30, 40, 700, 600);
    // Grey images for the preview palette, chosen from its context menu.
    Frame()->PreviewBar()->ColorAction()->trigger();
    Frame()->GenericBar()->ToolTipsAction()->trigger();
    Frame()->DrawBar()->findChild<QAction*>("columns2")->trigger();
    EXPECT_FALSE(Frame()->PreviewBar()->GetColorImages());
    EXPECT_TRUE(Frame()->close());

    EXPECT_EQ(ProfileInt("General/PreviewToolColor"), 0);
    EXPECT_EQ(ProfileInt("General/DrawToolColor"), 1);
    EXPECT_EQ(ProfileInt("General/GenericToolColor"), 1);
    EXPECT_EQ(ProfileInt("General/DrawTool_ToolTips"), 1);
    EXPECT_EQ(ProfileInt("General/PreviewTool_ToolTips"), 1);
    EXPECT_EQ(ProfileInt("General/GenericTool_ToolTips"), 0);
    EXPECT_EQ(ProfileInt("General/DrawToolColumns"), 2);
    EXPECT_EQ(ProfileInt("General/PreviewToolColumns"), 3);
    EXPECT_EQ(ProfileInt("General/GenericToolColumns"), 3);
    EXPECT_EQ(Profile()->value("Settings/WindowPos").toString(), QStringLiteral("0,1,-1,-1,-1,-1,30,40,730,640"));
    EXPECT_FALSE(Profile()->value("General/BarState").toByteArray().isEmpty());
    app.reset();

    // The next start comes back the same way.
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), QRect(30, 40, 700, 600));
    EXPECT_FALSE(Frame()->PreviewBar()->GetColorImages());
    EXPECT_TRUE(Frame()->DrawBar()->GetColorImages());
    EXPECT_FALSE(Frame()->GenericBar()->GetToolTipsOn());
    EXPECT_EQ(Frame()->DrawBar()->GetColumns(), 2);
}

TEST_F(MainFrmTest, DockingStateAndHiddenBarsSurviveARestart) {
    ASSERT_TRUE(Start());
    Frame()->Action(cmd::ViewToolBar)->trigger();
    Frame()->Action(cmd::ViewStatusBar)->trigger();
    Frame()->Action(cmd::ViewDrawTools)->trigger();
    EXPECT_FALSE(Frame()->MainToolBar()->isVisibleTo(Frame()));
    EXPECT_FALSE(Frame()->DrawBar()->isVisibleTo(Frame()));
    Frame()->close();
    app.reset();

    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame()->MainToolBar()->isVisibleTo(Frame()));
    EXPECT_FALSE(Frame()->statusBar()->isVisibleTo(Frame()));
    EXPECT_FALSE(Frame()->DrawBar()->isVisibleTo(Frame()));
    EXPECT_TRUE(Frame()->PreviewBar()->isVisibleTo(Frame()));
    Frame()->UpdateCommandUI();
    EXPECT_FALSE(Frame()->Action(cmd::ViewToolBar)->isChecked());
    EXPECT_TRUE(Frame()->Action(cmd::ViewPreviewTools)->isChecked());
}

TEST_F(MainFrmTest, PalettesHoldTheirButtonsInTheChosenColumns) {
    Profile()->setValue("General/DrawToolColumns", 2);
    Profile()->setValue("General/GenericToolColumns", 0);  // nonsense: one column at least
    ASSERT_TRUE(Start());
    CPaletteBar* draw = Frame()->DrawBar();
    EXPECT_EQ(draw->windowTitle(), QStringLiteral("Draw"));
    EXPECT_EQ(Frame()->PreviewBar()->windowTitle(), QStringLiteral("Preview"));
    EXPECT_EQ(Frame()->GenericBar()->windowTitle(), QStringLiteral("Actions"));
    ASSERT_EQ(draw->ButtonCount(), 5);
    EXPECT_EQ(Frame()->PreviewBar()->ButtonCount(), 4);
    EXPECT_EQ(Frame()->GenericBar()->ButtonCount(), 3);
    EXPECT_EQ(Frame()->GenericBar()->GetColumns(), 1);
    // Two columns: the third button starts the second row.
    EXPECT_EQ(draw->Button(0)->y(), draw->Button(1)->y());
    EXPECT_GT(draw->Button(2)->y(), draw->Button(0)->y());
    EXPECT_EQ(draw->Button(2)->x(), draw->Button(0)->x());
    // All three palettes on the left, in one narrow column: Draw, Preview,
    // Actions from the top, each as wide as the widest needs.
    EXPECT_EQ(Frame()->dockWidgetArea(draw), Qt::LeftDockWidgetArea);
    EXPECT_LT(draw->y(), Frame()->PreviewBar()->y());
    EXPECT_LT(Frame()->PreviewBar()->y(), Frame()->GenericBar()->y());
    EXPECT_EQ(draw->x(), Frame()->GenericBar()->x());
    EXPECT_LE(draw->width(), std::max({draw->sizeHint().width(), Frame()->PreviewBar()->sizeHint().width(),
                                       Frame()->GenericBar()->sizeHint().width()}) + 2);
}

TEST_F(MainFrmTest, StatusBarHasItsEightPanesWithTheirFormats) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0X20, 32"));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PanePosition)->text(), QStringLiteral("Position:          "));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneDimension)->text(), QStringLiteral("Dimension:          "));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneTool)->text(), QStringLiteral("Tool selected: none."));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneCaps)->text(), QStringLiteral("CAP"));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneNum)->text(), QStringLiteral("NUM"));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneScroll)->text(), QStringLiteral("SCRL"));

    Frame()->SetPositionPane(4, 0);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PanePosition)->text(), QStringLiteral("Position: X: 05, Y: 01"));
    Frame()->SetDimensionPane(11, 122);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneDimension)->text(), QStringLiteral("Dimension: X: 12, Y: 123"));
    Frame()->SetToolPane(L"pen");
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneTool)->text(), QStringLiteral("Tool selected: pen"));
    Frame()->SetCharPane(0xAB);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0XAB, 171"));
    Frame()->SetCharPane(0);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0X00, 000"));
}

TEST_F(MainFrmTest, MenusWithoutADocumentAreTheShortOnes) {
    ASSERT_TRUE(Start());
    // Close the new font of the start.
    Frame()->Action(cmd::FileClose)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app->GetDocTemplate()->Documents().empty());
    const auto visibleMenus = [this] {
        QStringList titles;
        for (QAction* a : Frame()->menuBar()->actions())
            if (a->isVisible()) titles << a->text().remove('&');
        return titles;
    };
    EXPECT_EQ(visibleMenus(), (QStringList{"File", "View", "?"}));
    const auto visibleItems = [](QMenu* m) {
        QStringList items;
        for (QAction* a : m->actions())
            if (a->isVisible() && !a->isSeparator()) items << a->text();
        return items;
    };
    EXPECT_EQ(visibleItems(Frame()->Menu("File")),
              (QStringList{"&New", "&Open...", "P&rint Setup...", "Recent File", "E&xit"}));
    EXPECT_EQ(visibleItems(Frame()->Menu("View")), (QStringList{"&Tool Bar", "&Status Bar"}));
    EXPECT_EQ(visibleItems(Frame()->Menu("?")), (QStringList{"Html Help", "&About Glyphos...", "&Web Link"}));

    // Ctrl+N brings a document and the long menus back.
    QTest::keyClick(Frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(app->GetDocTemplate()->Documents().size(), 1u);
    EXPECT_EQ(visibleMenus(), (QStringList{"File", "Edit", "View", "Preview", "Colors", "Zoom", "Font", "Window", "?"}));
    EXPECT_EQ(visibleItems(Frame()->Menu("File")),
              (QStringList{"&New", "&Open...", "Open *.ps&w", "&Close", "&Save (*.kfn)", "Save &As (*.kfn)",
                           "Save In (*.ps&w) File", "&Import Font (BDF, PSF)...", "&Export Font (BDF, PSF)...",
                           "Print Preview zoom factor", "&Print...", "Print Pre&view",
                           "P&rint Setup...", "Recent File", "E&xit"}));
    EXPECT_EQ(visibleItems(Frame()->Menu("Zoom")), (QStringList{"Zoom  x 2", "Zoom  x 4", "Max Resolution"}));
}

TEST_F(MainFrmTest, CommandsOfPartsStillToComeAreShownDisabled) {
    ASSERT_TRUE(Start());
    Frame()->UpdateCommandUI();
    for (int id : {cmd::EditUndo, cmd::EditRedo})
        EXPECT_FALSE(Frame()->Action(id)->isEnabled()) << id;
    for (int id : {cmd::FileNew, cmd::FileOpen, cmd::FileClose, cmd::WindowNew, cmd::WindowTile, cmd::HtmlHelp,
                   cmd::AppAbout, cmd::NextChar, cmd::ZoomX2, cmd::ToolPen, cmd::PreviewNormal, cmd::GridColor,
                   cmd::FontProperties, cmd::FilePrint, cmd::FilePrintDirect, cmd::FilePrintPreview,
                   cmd::PrintZoomFactor, cmd::FilePrintSetup, cmd::ImportWindowsFont, cmd::CorrectiveFontPosition})
        EXPECT_TRUE(Frame()->Action(id)->isEnabled()) << id;
    // The palettes' buttons follow their commands.
    EXPECT_TRUE(Frame()->DrawBar()->Button(1)->isEnabled());
    EXPECT_EQ(Frame()->Action(cmd::EditUndo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}));
    EXPECT_EQ(Frame()->Action(cmd::FileOpenPsw)->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    EXPECT_EQ(Frame()->Action(cmd::EditRedo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    EXPECT_EQ(Frame()->Action(cmd::FontProperties)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F));
}

TEST_F(MainFrmTest, ToolBarNavigatesTheCurrentCharacter) {
    ASSERT_TRUE(Start());
    Frame()->UpdateCommandUI();
    CGlyphosDoc* doc = Frame()->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    auto* next = Frame()->MainToolBar()->findChild<QToolButton*>(QStringLiteral("cmd%1").arg(cmd::NextChar));
    auto* last = Frame()->MainToolBar()->findChild<QToolButton*>(QStringLiteral("cmd%1").arg(cmd::LastChar));
    ASSERT_TRUE(next && last);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(doc->GetCurrentChar(), 33);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0X21, 33"));
    QTest::mouseClick(last, Qt::LeftButton);
    EXPECT_EQ(doc->GetCurrentChar(), 255);
    QTest::mouseClick(next, Qt::LeftButton);  // nothing after the last
    EXPECT_EQ(doc->GetCurrentChar(), 255);
}

TEST_F(MainFrmTest, WindowMenuOpensASecondWindowOnTheSameDocument) {
    ASSERT_TRUE(Start());
    Frame()->Action(cmd::WindowNew)->trigger();
    ASSERT_EQ(Frame()->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(Frame()->MdiArea()->subWindowList()[0]->windowTitle(), QStringLiteral("Glyphos1:1[*]"));
    EXPECT_EQ(Frame()->MdiArea()->subWindowList()[1]->windowTitle(), QStringLiteral("Glyphos1:2[*]"));
    Frame()->MdiArea()->subWindowList()[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Frame()->MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(Frame()->MdiArea()->subWindowList()[0]->windowTitle(), QStringLiteral("Glyphos1[*]"));
}

TEST_F(MainFrmTest, CtrlWAndCtrlF4CloseTheActiveDocumentWindow) {
    ASSERT_TRUE(Start());
    QAction* close = Frame()->Action(cmd::FileClose);
    EXPECT_EQ(close->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_W),
                                                        QKeySequence(Qt::CTRL | Qt::Key_F4)}));
    EXPECT_TRUE(Frame()->Menu("File")->actions().contains(close));
    for (QKeyCombination key : {Qt::CTRL | Qt::Key_W, Qt::CTRL | Qt::Key_F4}) {
        if (Frame()->MdiArea()->subWindowList().isEmpty()) QTest::keyClick(Frame(), Qt::Key_N, Qt::ControlModifier);
        QCoreApplication::processEvents();
        ASSERT_EQ(Frame()->MdiArea()->subWindowList().size(), 1);
        QWidget* target = Frame()->ActiveChild()->GetView();
        target->setFocus();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(Frame()->MdiArea()->subWindowList().isEmpty()) << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(MainFrmTest, ASavedPlacementIsBroughtInsideTheScreen) {
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    // Saved on a larger screen: the default placement of this one.
    Profile()->setValue("Settings/WindowPos", QStringLiteral("0,1,-1,-1,-1,-1,64,36,%1,%2")
                                                  .arg(64 + avail.width() * 2)
                                                  .arg(36 + avail.height() * 2));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), DefaultRect());
    app.reset();
    // Small enough but partly off the screen: moved inside, its size kept.
    Profile()->setValue("Settings/WindowPos", QStringLiteral("0,1,-1,-1,-1,-1,%1,%2,%3,%4")
                                                  .arg(avail.right() - 100)
                                                  .arg(avail.bottom() - 50)
                                                  .arg(avail.right() + 400)
                                                  .arg(avail.bottom() + 450));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->size(), QSize(500, 500));
    EXPECT_TRUE(avail.contains(Frame()->geometry()));
}

TEST_F(MainFrmTest, ThePreviewTakesAtMostAThirdOfTheWindowAndKeepsTheUsersHeight) {
    ASSERT_TRUE(Start());
    QCoreApplication::processEvents();
    QDockWidget* dock = Frame()->PreviewDock();
    if (Frame()->dockWidgetArea(dock) == Qt::BottomDockWidgetArea) {
        EXPECT_LE(dock->height(), Frame()->height() / 3 + 2);
    } else {
        // At the right: the whole table shows and the documents keep their width.
        EXPECT_EQ(Frame()->dockWidgetArea(dock), Qt::RightDockWidgetArea);
        EXPECT_GE(Frame()->GetPreview()->contentsRect().height(), Frame()->GetPreview()->ScrollExtent().height());
    }
    Frame()->addDockWidget(Qt::BottomDockWidgetArea, dock);
    Frame()->resizeDocks({dock}, {120}, Qt::Vertical);
    QCoreApplication::processEvents();
    const int left = dock->height();
    ASSERT_TRUE(Frame()->close());
    app.reset();
    ASSERT_TRUE(Start());
    QCoreApplication::processEvents();
    EXPECT_EQ(Frame()->dockWidgetArea(Frame()->PreviewDock()), Qt::BottomDockWidgetArea);
    EXPECT_NEAR(Frame()->PreviewDock()->height(), left, 2);
}

TEST_F(MainFrmTest, ANewFontStartsAtTheLargestZoomShowingItsWholeGridUntilOneIsChosen) {
    ASSERT_TRUE(Start());
    QCoreApplication::processEvents();
    auto* v = qobject_cast<CGlyphosView*>(Frame()->ActiveChild()->GetView());
    ASSERT_NE(v, nullptr);
    const DocDisplay& d = v->GetDocument()->GetCore().GetDisplay();
    const KalvoFont& f = v->GetDocument()->GetCore().GetFont();
    const QSize room = v->contentsRect().size();
    const auto fits = [&](int pitch) {
        return d.GridOrigin.x * 2 + f.GetWidth() * pitch <= room.width() &&
               d.GridOrigin.y * 2 + f.GetHeight() * pitch <= room.height();
    };
    const int pitches[] = {DocDisplay::MaxResolutionCellSize(f.GetWidth(), f.GetHeight(), d.MaxGridWidth, d.MaxGridHeight),
                           DocDisplay::kBaseCellSize, DocDisplay::kBaseCellSize / 2};
    ASSERT_TRUE(fits(d.Pitch())) << d.Pitch();
    EXPECT_EQ(v->verticalScrollBar()->value(), 0);
    for (int p : pitches) {
        if (p > d.Pitch() && (p != DocDisplay::kBaseCellSize || DocDisplay::ZoomFits(1, f.GetWidth(), f.GetHeight()))) {
            EXPECT_FALSE(fits(p)) << "a larger zoom fits: " << p;
        }
    }
    // A zoom chosen by hand stays whatever the window does.
    ASSERT_TRUE(Frame()->RouteCommand(cmd::ZoomMaxResolution));
    const int chosen = d.Pitch();
    Frame()->resize(Frame()->width() - 40, Frame()->height() - 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.Pitch(), chosen);
    EXPECT_EQ(d.MaxResolution, 1);
}

TEST_F(MainFrmTest, CascadedWindowsAreAsLargeAsTheirGridsNeed) {
    ASSERT_TRUE(Start());
    QTest::keyClick(Frame(), Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::processEvents();  // the preview takes its place
    ASSERT_TRUE(Frame()->RouteCommand(cmd::WindowCascade));
    QCoreApplication::processEvents();
    const QSize area = Frame()->MdiArea()->viewport()->size();
    for (QMdiSubWindow* w : Frame()->MdiArea()->subWindowList()) {
        auto* v = qobject_cast<CGlyphosView*>(w->widget());
        ASSERT_NE(v, nullptr);
        EXPECT_FALSE(w->isMaximized());
        const QSize need = v->WholeSize().boundedTo(area - (w->size() - v->size()));
        EXPECT_GE(v->width(), need.width());
        EXPECT_GE(v->height(), need.height()) << "window " << w->height() << " area " << area.height() << " whole "
                                              << v->WholeSize().height();
    }
}

TEST_F(MainFrmTest, TheFontSelectionDialogIsWideEnoughForItsTitle) {
    const std::string psw = dir.File("demo.psw");
    std::filesystem::copy_file(GLYPHOS_SOURCE_DIR "/samples/demo.psw", psw);
    int width = 0, needed = 0;
    OnNextModal<CDialogSelectFont>([&](CDialogSelectFont* dlg) {
        width = dlg->width();
        needed = dlg->fontMetrics().horizontalAdvance(dlg->windowTitle()) + 100;
        dlg->accept();
    });
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    EXPECT_GE(width, needed);
}

TEST_F(MainFrmTest, RedoStandsBesideUndoInTheMenuAndTheToolBar) {
    ASSERT_TRUE(Start());
    const QList<QAction*> edit = Frame()->Menu("Edit")->actions();
    ASSERT_GE(edit.size(), 2);
    EXPECT_EQ(edit[0], Frame()->Action(cmd::EditUndo));
    EXPECT_EQ(edit[1], Frame()->Action(cmd::EditRedo));
    int undoAt = -1, redoAt = -1, i = 0;
    for (QToolButton* b : Frame()->MainToolBar()->findChildren<QToolButton*>()) {
        if (b->objectName() == QStringLiteral("cmd%1").arg(cmd::EditUndo)) undoAt = i;
        if (b->objectName() == QStringLiteral("cmd%1").arg(cmd::EditRedo)) redoAt = i;
        ++i;
    }
    ASSERT_GE(undoAt, 0);
    EXPECT_EQ(redoAt, undoAt + 1);
}

TEST_F(MainFrmTest, ACommandThatThrowsEndsWithoutTakingTheEditorDown) {
    ASSERT_TRUE(Start());
    app->GetDocTemplate()->SetViewFactory([](CGlyphosDoc*) { return new ThrowingView; });
    app->OnFileNew();
    Frame()->UpdateCommandUI();
    ASSERT_TRUE(Frame()->Action(cmd::FontProperties)->isEnabled());
    EXPECT_NO_THROW(QTest::keyClick(Frame(), Qt::Key_F, Qt::ShiftModifier));
    EXPECT_TRUE(Frame()->RouteCommand(cmd::FontProperties));
    EXPECT_EQ(app->GetDocTemplate()->Documents().size(), 2u);
    EXPECT_TRUE(Frame()->isVisible());
}

}  // namespace
