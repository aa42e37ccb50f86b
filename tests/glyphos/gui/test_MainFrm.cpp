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

// The first screen on a 1600 x 1000 display with the demo font, as a new
// user meets it and again with the profile that start left: the whole grid
// of a 12 x 24 character at Zoom x 2 and the whole font table, no scrolling.
TEST_F(MainFrmTest, FirstScreenShowsTheWholeGridAndTheWholeTable) {
    const std::string psw = dir.File("demo.psw");
    std::filesystem::copy_file(GLYPHOS_SOURCE_DIR "/samples/demo.psw", psw);
    Profile()->setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,0,0,1600,1000");
    for (const char* shot : {"first_screen_new_profile", "first_screen_saved_profile"}) {
        SCOPED_TRACE(shot);
        OnNextModal<CDialogSelectFont>([](CDialogSelectFont* dlg) { dlg->accept(); });
        ASSERT_TRUE(Start({QString::fromStdString(psw)}));
        QCoreApplication::processEvents();
        CChildFrame* child = Frame()->ActiveChild();
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isMaximized());
        auto* v = qobject_cast<CGlyphosView*>(child->GetView());
        ASSERT_NE(v, nullptr);
        ASSERT_TRUE(Frame()->RouteCommand(cmd::ZoomX2));
        QCoreApplication::processEvents();
        const DocDisplay& d = v->GetDocument()->GetCore().GetDisplay();
        const QRect grid(d.GridOrigin.x, d.GridOrigin.y, d.Pitch() * 12, d.Pitch() * 24);
        EXPECT_TRUE(v->viewport()->rect().contains(grid)) << v->viewport()->size().height();
        EXPECT_EQ(v->verticalScrollBar()->value(), 0);
        CChildPreviewFont* preview = Frame()->GetPreview();
        EXPECT_EQ(preview->ScrollExtent(), QSize(12 * 17 + 2 * CChildPreviewFont::kOrigin, 24 * 17 + 2 * CChildPreviewFont::kOrigin));
        EXPECT_GE(preview->contentsRect().height(), preview->ScrollExtent().height());
        EXPECT_GE(preview->contentsRect().width(), preview->ScrollExtent().width());
        // No taller than the table needs.
        EXPECT_LE(preview->contentsRect().height(), preview->ScrollExtent().height() + 2);
        const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        EXPECT_TRUE(Frame()->grab().save(folder + QLatin1Char('/') + QLatin1String(shot) + QStringLiteral(".png")));
        EXPECT_TRUE(Frame()->close());
        app.reset();
    }
}

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
    Profile()->setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,40,50,740,650");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->geometry(), QRect(40, 50, 700, 600));
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
    // All three palettes on the left, in a row: Actions, Preview, Draw.
    EXPECT_EQ(Frame()->dockWidgetArea(draw), Qt::LeftDockWidgetArea);
    EXPECT_LT(Frame()->GenericBar()->x(), Frame()->PreviewBar()->x());
    EXPECT_LT(Frame()->PreviewBar()->x(), draw->x());
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
    for (int id : {cmd::EditUndo})
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
    EXPECT_EQ(Frame()->Action(cmd::FileOpenPsw)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
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
