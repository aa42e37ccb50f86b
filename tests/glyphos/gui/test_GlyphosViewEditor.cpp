// The editing view inside the running editor: commands through the main
// frame's route and its palettes, the status bar, the application clipboard
// between two open fonts, an edit written into a PSW file and read back, and
// screenshots of the whole editor in <build>/screenshots.
#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "CommandIds.h"
#include "DialogSelectFont.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GlyphosView.h"
#include "GuiTestFixture.h"
#include "PswBuilder.h"
#include "ViewTestHost.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMdiArea>
#include <QPointer>
#include <QScrollBar>

namespace {

class GlyphosViewEditor : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
        ASSERT_TRUE(Start());
    }

    // A first-generation PSW file with one font of the given size.
    std::string WritePsw(const char* name, int width, int height) {
        pswtest::Psw1Builder w;
        w.printer.scrByte = 0x35;
        w.bankSize = 256;
        w.AddBank(0);
        w.AddFont({.width = static_cast<std::uint8_t>(width), .height = static_cast<std::uint8_t>(height),
                   .first = 32, .last = 127});
        w.Write(dir.File(name));
        return dir.File(name);
    }

    // Opens a PSW file, choosing its first font, in a maximised window.
    CGlyphosView* Open(const std::string& path) {
        OnNextModal<CDialogSelectFont>([](CDialogSelectFont* dlg) {
            dlg->List()->setCurrentRow(0);
            dlg->accept();
        });
        CGlyphosDoc* doc = app->OpenDocumentFile(QString::fromStdString(path));
        if (!doc) return nullptr;
        CChildFrame* child = doc->Frames().back();
        child->showMaximized();
        QCoreApplication::processEvents();
        return qobject_cast<CGlyphosView*>(child->GetView());
    }

    QPoint At(CGlyphosView* v, int col, int row) const {
        const DocDisplay& d = v->GetDocument()->GetCore().GetDisplay();
        const int p = d.Pitch();
        const QPoint scroll(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value());
        return QPoint(d.GridOrigin.x + p * col + p / 2, d.GridOrigin.y + p * row + p / 2) - scroll;
    }
    void Click(CGlyphosView* v, int col, int row) {
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, At(v, col, row));
    }
    void Drag(CGlyphosView* v, QPoint from, QPoint to) {
        QTest::mousePress(v->viewport(), Qt::LeftButton, {}, At(v, from.x(), from.y()));
        QTest::mouseMove(v->viewport(), At(v, to.x(), to.y()));
        QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, At(v, to.x(), to.y()));
    }
    static int Dot(CGlyphosView* v, int col, int row) {
        CGlyphosDocCore& core = v->GetDocument()->GetCore();
        return core.GetFont().GetPixel(core.GetCurrentChar(), row, col);
    }
    void Command(int id) {
        ASSERT_TRUE(Frame()->RouteCommand(id)) << id;
        Frame()->UpdateCommandUI();
    }
    QString Pane(CMainFrame::Pane p) const { return Frame()->PaneLabel(p)->text(); }

    void Screenshot(const char* name) {
        QCoreApplication::processEvents();
        const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        EXPECT_TRUE(Frame()->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }
};

TEST_F(GlyphosViewEditor, AnEditSavedIntoThePswFileIsThereWhenItIsOpenedAgain) {
    const std::string path = WritePsw("demo.psw", 16, 24);
    CGlyphosView* v = Open(path);
    ASSERT_NE(v, nullptr);
    const int a = Dot(v, 3, 4), b = Dot(v, 5, 6);
    Command(cmd::ToolPen);
    Click(v, 3, 4);
    Click(v, 5, 6);
    ASSERT_NE(Dot(v, 3, 4), a);

    OnNextModal<QFileDialog>([&path](QFileDialog* dlg) {
        dlg->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dlg)->accept();
    });
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* dlg) { dlg->accept(); });
    ui->Answer(IDOK);
    Command(cmd::FileSaveInPsw);
    EXPECT_EQ(ui.Last().caption, CString(L"Data font saved"));

    // The view is read afresh: the old one is gone (a new one may well be
    // allocated where it was).
    const QPointer<CGlyphosView> old(v);
    app->CloseAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    CGlyphosView* again = Open(path);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(Dot(again, 3, 4), a);
    EXPECT_NE(Dot(again, 5, 6), b);
}

TEST_F(GlyphosViewEditor, ExitSavesAnEditedPswFontThroughSaveAsAndEnds) {
    CGlyphosView* v = Open(WritePsw("demo.psw", 16, 24));
    ASSERT_NE(v, nullptr);
    Command(cmd::ToolPen);
    Click(v, 3, 4);
    const int edited = Dot(v, 3, 4);
    const int code = v->GetDocument()->GetCore().GetCurrentChar();

    // Yes, then Cancel in the Save As dialog: the editor stays.
    OnNextModal<QFileDialog>([](QFileDialog* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
    ui->Answer(IDYES);
    Frame()->Action(cmd::AppExit)->trigger();
    EXPECT_EQ(ui.Last().text, L"Save changes to demo.psw?");
    EXPECT_TRUE(Frame()->isVisible());

    // Yes and a name: the font is saved and the editor ends.
    const std::string kfn = dir.File("kept.kfn");
    QString proposed;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
        proposed = edit->text();
        edit->setText(QString::fromStdString(kfn));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    ui->Answer(IDYES);
    Frame()->Action(cmd::AppExit)->trigger();
    EXPECT_EQ(proposed, QStringLiteral("demo1) Font 16 x 24.kfn"));
    EXPECT_FALSE(Frame()->isVisible());
    CGlyphosDocCore saved;
    ASSERT_EQ(saved.LoadKfnFile(CString::FromUtf8(kfn)), 1);
    EXPECT_EQ(saved.GetFont().GetPixel(code, 4, 3), edited);
}

TEST_F(GlyphosViewEditor, TheFrameShowsTheViewsToolsStatesAndPanes) {
    CGlyphosView* v = Open(WritePsw("wide.psw", 17, 24));
    ASSERT_NE(v, nullptr);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->Action(cmd::ZoomX2)->isEnabled());
    EXPECT_FALSE(Frame()->Action(cmd::ZoomX4)->isEnabled());
    // The zoom that shows the whole grid in this window is checked.
    EXPECT_NE(Frame()->Action(cmd::ZoomMaxResolution)->isChecked(), Frame()->Action(cmd::ZoomX2)->isChecked());
    EXPECT_FALSE(Frame()->Action(cmd::EditUndo)->isEnabled());

    Command(cmd::ToolPen);
    EXPECT_TRUE(Frame()->Action(cmd::ToolPen)->isChecked());
    EXPECT_FALSE(Frame()->Action(cmd::ToolEraser)->isChecked());
    EXPECT_EQ(Pane(CMainFrame::PaneTool), QStringLiteral("Tool selected: pen"));
    Click(v, 2, 3);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->Action(cmd::EditUndo)->isEnabled());
    EXPECT_TRUE(Frame()->GetPreview()->GetDocument() != nullptr);

    QMouseEvent hover(QEvent::MouseMove, At(v, 6, 7), v->viewport()->mapToGlobal(At(v, 6, 7)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(v->viewport(), &hover);
    EXPECT_EQ(Pane(CMainFrame::PanePosition), QStringLiteral("Position: X: 07, Y: 08"));

    Command(cmd::NextChar);
    EXPECT_EQ(Pane(CMainFrame::PaneChar), QStringLiteral("Char: 0X21, 33"));
    EXPECT_FALSE(Frame()->Action(cmd::EditUndo)->isEnabled());
    Command(cmd::ToolSelect);
    Drag(v, {1, 1}, {4, 2});
    EXPECT_EQ(Pane(CMainFrame::PaneDimension), QStringLiteral("Dimension: X: 04, Y: 02"));
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->Action(cmd::EditCopy)->isEnabled());
    EXPECT_FALSE(Frame()->Action(cmd::EditPaste)->isEnabled());
    Command(cmd::EditCopy);
    EXPECT_TRUE(Frame()->Action(cmd::EditPaste)->isEnabled());
    EXPECT_TRUE(Frame()->Action(cmd::ToolPointer)->isChecked());
}

TEST_F(GlyphosViewEditor, TheContextMenuShowsItsOwnTextsAndRunsTheFramesCommands) {
    CGlyphosView* v = Open(WritePsw("menu.psw", 8, 8));
    ASSERT_NE(v, nullptr);
    Command(cmd::ToolPen);
    std::unique_ptr<QMenu> menu(v->CreateContextMenu(v));
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Refresh View", "Select All Pixel", "Clear Pixel", "Eraser", "Pen", "Select mode",
                                  "Brush", "Pointer mode"}));
    EXPECT_TRUE(menu->actions()[5]->isChecked());  // the pen
    menu->actions()[4]->trigger();
    EXPECT_EQ(Pane(CMainFrame::PaneTool), QStringLiteral("Tool selected: eraser"));
}

TEST_F(GlyphosViewEditor, ABlockCopiedInOneFontIsPastedIntoAnother) {
    CGlyphosView* from = Open(WritePsw("a.psw", 16, 24));
    ASSERT_NE(from, nullptr);
    CGlyphosDocCore& a = from->GetDocument()->GetCore();
    a.GetFont().ClearChar(a.GetCurrentChar());
    a.GetFont().SetBlock(a.GetCurrentChar(), 5, 5, 3);
    Command(cmd::SelectAllPixel);
    Command(cmd::EditCopy);

    CGlyphosView* to = Open(WritePsw("b.psw", 8, 8));
    ASSERT_NE(to, nullptr);
    ASSERT_NE(to, from);
    CGlyphosDocCore& b = to->GetDocument()->GetCore();
    b.GetFont().ClearChar(b.GetCurrentChar());
    Command(cmd::EditPaste);
    EXPECT_EQ(to->GetTool(), CGlyphosView::Select);
    EXPECT_EQ(to->SelectionLast(), QPoint(2, 2));
    Command(cmd::ToolPointer);
    EXPECT_EQ(Dot(to, 0, 0), 1);
    EXPECT_EQ(Dot(to, 2, 2), 1);
    EXPECT_EQ(Dot(to, 3, 3), 0);
}

TEST_F(GlyphosViewEditor, ScreenshotsOfTheEditorAtEachZoomAndWithAFloatingBlock) {
    // Room for the whole grid and the preview beside it.
    Frame()->resize(1180, 900);
    CGlyphosView* v = Open(WritePsw("shots.psw", 16, 24));
    ASSERT_NE(v, nullptr);
    Command(cmd::NextChar);
    DrawTestGlyph(v->GetDocument()->GetCore().GetFont(), v->GetDocument()->GetCore().GetCurrentChar());
    Command(cmd::RefreshView);
    Screenshot("editor_max_resolution");
    Command(cmd::ZoomX2);
    Command(cmd::PreviewDoubleBoth);
    Screenshot("editor_zoom_x2");
    Command(cmd::ZoomX4);
    Screenshot("editor_zoom_x4");
    Command(cmd::ZoomX2);
    Command(cmd::ToolSelect);
    Drag(v, {2, 2}, {9, 12});
    Command(cmd::EditCopy);
    Command(cmd::EditPaste);
    QTest::mousePress(v->viewport(), Qt::LeftButton, {}, At(v, 1, 1));
    for (int c = 2; c <= 6; ++c) QTest::mouseMove(v->viewport(), At(v, c, c + 5));
    QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, At(v, 6, 11));
    EXPECT_EQ(v->SelectionFirst(), QPoint(5, 10));
    Screenshot("editor_floating_block");
}

}  // namespace
