// The pen, eraser and brush of the editing view, the tool state machine, the
// tool sizes and the context menus.
#include "CommandIds.h"
#include "DialogToolPixelSize.h"
#include "GlyphosViewTestHost.h"

#include <QLineEdit>
#include <QMenu>

namespace {

using GlyphosViewTools = GlyphosViewTest;

std::vector<int> RowDots(CGlyphosView* v, int row, int cols) {
    std::vector<int> dots;
    for (int c = 0; c < cols; ++c)
        if (GlyphosViewTest::Font(v).GetPixel(GlyphosViewTest::Char(v), row, c)) dots.push_back(c);
    return dots;
}

TEST_F(GlyphosViewTools, ThePenTogglesEachDotOncePerEntryIntoItsCell) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    v->OnCommand(cmd::ToolPen);
    Font(v).SetPixel(Char(v), 2, 4);

    Press(v, 1, 2);
    for (int c = 2; c <= 6; ++c) DragTo(v, c, 2);
    // Small moves inside one cell change nothing.
    QTest::mouseMove(v->viewport(), At(v, 6, 2) + QPoint(1, 1));
    for (int c = 5; c >= 4; --c) DragTo(v, c, 2);
    Release(v, 4, 2);
    // 1..6 toggled once (4 was set: now clear), then 5 and 4 again.
    EXPECT_EQ(RowDots(v, 2, 16), (std::vector<int>{1, 2, 3, 4, 6}));
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(v->GetUndoDepth(), 1);

    Click(v, 3, 2);
    EXPECT_FALSE(Dot(v, 3, 2));
    EXPECT_EQ(v->GetUndoDepth(), 2);
    v->OnCommand(cmd::EditUndo);
    EXPECT_TRUE(Dot(v, 3, 2));
}

TEST_F(GlyphosViewTools, AStrokeThatStartsOffTheGridDrawsNothing) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    v->OnCommand(cmd::ToolPen);
    QTest::mousePress(v->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    DragTo(v, 1, 1);
    DragTo(v, 2, 1);
    Release(v, 2, 1);
    EXPECT_TRUE(RowDots(v, 1, 16).empty());
    EXPECT_FALSE(doc.modified);
    EXPECT_FALSE(Enabled(v, cmd::EditUndo));
}

TEST_F(GlyphosViewTools, ThePenRepaintsOnlyTheCellsItChanged) {
    CGlyphosView* v = NewView(NewDoc(64, 96));
    v->OnCommand(cmd::ToolPen);
    const DocDisplay& d = Display(v);
    const int p = d.Pitch();
    v->TakeRequestedRepaint();
    Press(v, 10, 10);
    DragTo(v, 11, 10);
    Release(v, 11, 10);
    QRegion expected(QRect(20 + 10 * p + 1, 20 + 10 * p + 1, p - 1, p - 1));
    expected += QRect(20 + 11 * p + 1, 20 + 10 * p + 1, p - 1, p - 1);
    expected += QRect(d.PreviewZone.left + 10, d.PreviewZone.top + 10, 2, 1);
    EXPECT_EQ(v->TakeRequestedRepaint(), expected);
}

TEST_F(GlyphosViewTools, AnEraserOnTheLastColumnClearsOnlyDotsInsideTheStore) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    KalvoFont& f = Font(v);
    for (int r = 0; r < 24; ++r)
        for (int c = 0; c < 20; ++c) f.SetPixel(Char(v), r, c);
    v->OnCommand(cmd::ToolEraser);
    EXPECT_EQ(v->GetEraserSize(), 3);
    Click(v, 15, 5);
    for (int r = 4; r <= 8; ++r)
        for (int c = 14; c <= 18; ++c)
            EXPECT_EQ(f.GetPixel(Char(v), r, c) != 0, !(r >= 5 && r <= 7 && c >= 15 && c <= 17)) << r << "," << c;

    // At the corner of the 64 x 96 store nothing outside it is touched.
    FakeViewDocument& wide = NewDoc(64, 96);
    CGlyphosView* w = NewView(wide);
    Font(w).SetBlock(Char(w), 60, 92, 4);
    Font(w).SetPixel(Char(w) + 1, 0, 0);
    w->OnCommand(cmd::ToolEraser);
    w->verticalScrollBar()->setValue(w->verticalScrollBar()->maximum());
    Click(w, 63, 95);
    EXPECT_FALSE(Font(w).GetPixel(Char(w), 95, 63));
    EXPECT_TRUE(Font(w).GetPixel(Char(w), 95, 62));
    EXPECT_TRUE(Font(w).GetPixel(Char(w) + 1, 0, 0));
}

TEST_F(GlyphosViewTools, TheEraserWorksWithTheLeftButtonAloneAndShowsItsSquare) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    Font(v).SetBlock(Char(v), 0, 0, 10);
    v->OnCommand(cmd::ToolEraser);
    Press(v, 2, 2, Qt::ShiftModifier);
    Release(v, 2, 2);
    EXPECT_TRUE(Dot(v, 2, 2));
    EXPECT_FALSE(doc.modified);

    const int p = Display(v).Pitch();
    v->TakeRequestedRepaint();
    Hover(v, At(v, 4, 4));
    const QRect square(20 + 4 * p, 20 + 4 * p, 3 * p + 1, 3 * p + 1);
    EXPECT_EQ(v->TakeRequestedRepaint(), QRegion(square));
    const QImage img = v->RenderAll();
    EXPECT_EQ(img.pixel(20 + 5 * p + 2, 20 + 5 * p + 2) & 0xFFFFFF, 0xFFFFFFu);  // white under the square
    EXPECT_EQ(img.pixel(20 + 4 * p, 20 + 5 * p + 2) & 0xFFFFFF, 0xC0C0C0u);

    Press(v, 4, 4);
    DragTo(v, 5, 4);
    Release(v, 5, 4);
    EXPECT_FALSE(Dot(v, 7, 6));
    EXPECT_TRUE(Dot(v, 8, 6));
    EXPECT_EQ(v->GetUndoDepth(), 1);
}

TEST_F(GlyphosViewTools, TheBrushSetsSquaresOfItsSize) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    v->OnCommand(cmd::ToolBrush);
    EXPECT_EQ(v->GetBrushSize(), 2);
    Click(v, 3, 3);
    EXPECT_EQ(RowDots(v, 3, 16), (std::vector<int>{3, 4}));
    EXPECT_EQ(RowDots(v, 4, 16), (std::vector<int>{3, 4}));
    EXPECT_TRUE(RowDots(v, 5, 16).empty());

    v->OnCommand(cmd::ToolSize5);
    EXPECT_TRUE(Checked(v, cmd::ToolSize5));
    EXPECT_EQ(v->GetBrushExtent(), 5 * Display(v).Pitch());
    Press(v, 0, 10);
    DragTo(v, 1, 10);
    Release(v, 1, 10);
    EXPECT_EQ(RowDots(v, 14, 16), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(RowDots(v, 15, 16).empty());
    // The eraser keeps its own size.
    v->OnCommand(cmd::ToolEraser);
    EXPECT_EQ(v->GetEraserSize(), 3);
    v->OnCommand(cmd::ToolPen);
    v->OnCommand(cmd::ToolSize7);
    EXPECT_EQ(v->GetEraserSize(), 3);
    EXPECT_EQ(v->GetBrushSize(), 5);
}

TEST_F(GlyphosViewTools, UserSizeAsksTheToolPixelSizeDialog) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    v->OnCommand(cmd::ToolEraser);
    OnNextModal<CDialogToolPixelSize>([](CDialogToolPixelSize* dlg) {
        EXPECT_EQ(dlg->GetLabel(), QStringLiteral("Eraser size (pixel):"));
        EXPECT_EQ(dlg->Edit()->text(), QStringLiteral("3"));
        dlg->Edit()->setText(QStringLiteral("9"));
        dlg->accept();
    });
    v->OnCommand(cmd::ToolSizeUser);
    EXPECT_EQ(v->GetEraserSize(), 9);
    EXPECT_EQ(v->GetTool(), CGlyphosView::Eraser);

    OnNextModal<CDialogToolPixelSize>([](CDialogToolPixelSize* dlg) {
        dlg->Edit()->setText(QStringLiteral("12"));
        dlg->reject();
    });
    v->OnCommand(cmd::ToolSizeUser);
    EXPECT_EQ(v->GetEraserSize(), 9);
}

TEST_F(GlyphosViewTools, ClickingWithoutAToolChangesNothing) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    Click(v, 3, 3);
    Drag(v, {1, 1}, {4, 4});
    EXPECT_TRUE(RowDots(v, 3, 16).empty());
    EXPECT_FALSE(doc.modified);
    EXPECT_FALSE(v->HasSelection());
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(GlyphosViewTools, EachToolHasItsOwnCursorOverTheGrid) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    std::vector<QCursor> seen;
    for (int id : {cmd::ToolPen, cmd::ToolEraser, cmd::ToolBrush, cmd::ToolSelect}) {
        v->OnCommand(id);
        Hover(v, At(v, 2, 2));
        seen.push_back(v->viewport()->cursor());
        Hover(v, QPoint(3, 3));
        EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);
    }
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_NE(seen[i].shape(), Qt::ArrowCursor);
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(seen[i].shape() == seen[j].shape() && seen[i].shape() != Qt::BitmapCursor) << i << j;
    }
    EXPECT_FALSE(seen[0].pixmap().toImage() == seen[1].pixmap().toImage());
    EXPECT_FALSE(seen[1].pixmap().toImage() == seen[2].pixmap().toImage());
}

TEST_F(GlyphosViewTools, EscapeAndPointerModeReturnToNone) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    for (int id : {cmd::ToolPen, cmd::ToolEraser, cmd::ToolBrush, cmd::ToolSelect}) {
        v->OnCommand(id);
        Key(v, Qt::Key_Escape);
        EXPECT_EQ(v->GetTool(), CGlyphosView::None) << id;
        EXPECT_EQ(frame.toolPane, CString(L"none"));
    }
    v->OnCommand(cmd::ToolSelect);
    Drag(v, {1, 1}, {3, 3});
    ASSERT_TRUE(v->IsSelectionFloating());
    v->OnCommand(cmd::ToolPointer);
    EXPECT_FALSE(v->HasSelection());
    EXPECT_FALSE(Font(v).IsCopyBufferAllocated());
    EXPECT_TRUE(Checked(v, cmd::ToolPointer));
}

TEST_F(GlyphosViewTools, TheContextMenuOffersTheToolSizesOnlyForEraserAndBrush) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    const auto texts = [](QMenu* m) {
        QStringList t;
        for (QAction* a : m->actions())
            if (!a->isSeparator()) t << a->text();
        return t;
    };
    v->OnCommand(cmd::ToolPen);
    std::unique_ptr<QMenu> plain(v->CreateContextMenu(v));
    EXPECT_EQ(plain->objectName(), QStringLiteral("ActionsMenu139"));
    EXPECT_EQ(texts(plain.get()), (QStringList{"Refresh View", "Select All Pixel", "Clear Pixel", "Eraser", "Pen",
                                               "Select mode", "Brush", "Pointer mode"}));

    v->OnCommand(cmd::ToolBrush);
    std::unique_ptr<QMenu> sized(v->CreateContextMenu(v));
    EXPECT_EQ(sized->objectName(), QStringLiteral("ActionsMenu140"));
    QMenu* sizes = sized->actions().last()->menu();
    ASSERT_NE(sizes, nullptr);
    EXPECT_EQ(sized->actions().last()->text(), QStringLiteral("Selected Tool Size"));
    EXPECT_EQ(texts(sizes), (QStringList{"2 pixel", "3 pixel", "5 pixel", "7 pixel", "User size"}));
    sizes->actions()[3]->trigger();
    EXPECT_EQ(v->GetBrushSize(), 7);
    EXPECT_TRUE(sizes->actions()[0]->isEnabled());
}

}  // namespace
