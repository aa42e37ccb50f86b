// Selecting, moving, copying, cutting and pasting blocks of dots in the
// editing view, and the four-step Undo.
#include "CommandIds.h"
#include "GlyphosViewTestHost.h"

namespace {

using GlyphosViewSelection = GlyphosViewTest;

// The set dots of rows 0..rows-1, columns 0..cols-1 of the current character
// as text, one line per row.
std::string Picture(CGlyphosView* v, int cols, int rows) {
    std::string s;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) s += GlyphosViewTest::Dot(v, c, r) ? '#' : '.';
        s += '\n';
    }
    return s;
}

// A small "L" of dots with its corner at (col, row).
void DrawL(KalvoFont& f, int ch, int col, int row) {
    f.SetPixel(ch, row, col);
    f.SetPixel(ch, row + 1, col);
    f.SetPixel(ch, row + 2, col);
    f.SetPixel(ch, row + 2, col + 1);
}

TEST_F(GlyphosViewSelection, ADragSelectsTheSameRectangleInEveryDirection) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    DrawL(Font(v), Char(v), 3, 4);
    const std::pair<QPoint, QPoint> drags[] = {
        {{2, 3}, {6, 8}}, {{6, 8}, {2, 3}}, {{2, 8}, {6, 3}}, {{6, 3}, {2, 8}}};
    for (const auto& [from, to] : drags) {
        v->OnCommand(cmd::ToolSelect);
        Press(v, from.x(), from.y());
        DragTo(v, (from.x() + to.x()) / 2, to.y());
        DragTo(v, to.x(), to.y());
        EXPECT_EQ(frame.dimension, QPoint(4, 5));
        Release(v, to.x(), to.y());
        EXPECT_EQ(v->SelectionFirst(), QPoint(2, 3)) << from.x() << "," << from.y();
        EXPECT_EQ(v->SelectionLast(), QPoint(6, 8));
        EXPECT_TRUE(v->IsSelectionFloating());
        EXPECT_EQ(Font(v).GetCopyBufferColumns(), 5);
        EXPECT_EQ(Font(v).GetCopyBufferRows(), 6);
        EXPECT_EQ(Font(v).GetBufferPixel(1, 1), 1);
        EXPECT_EQ(Font(v).GetBufferPixel(3, 2), 1);
        EXPECT_EQ(Font(v).GetBufferPixel(3, 3), 0);
        EXPECT_TRUE(Enabled(v, cmd::EditCopy));
        EXPECT_TRUE(Enabled(v, cmd::EditCut));
        v->OnCommand(cmd::ToolPointer);
    }
    // Selecting alone leaves the character as it was.
    EXPECT_EQ(Font(v).GetInkRect(Char(v), 15, 24).left, 3);
    EXPECT_TRUE(Dot(v, 4, 6));
}

TEST_F(GlyphosViewSelection, ADragOffTheGridEndsOnItsEdge) {
    CGlyphosView* v = NewView(NewDoc(8, 10));
    v->OnCommand(cmd::ToolSelect);
    Press(v, 5, 6);
    QTest::mouseMove(v->viewport(), QPoint(700, 540));
    QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, QPoint(700, 540));
    EXPECT_EQ(v->SelectionFirst(), QPoint(5, 6));
    EXPECT_EQ(v->SelectionLast(), QPoint(7, 9));
}

TEST_F(GlyphosViewSelection, SelectAllPixelTakesTheInkRectangle) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    v->OnCommand(cmd::SelectAllPixel);
    EXPECT_FALSE(v->HasSelection());
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);

    DrawL(Font(v), Char(v), 3, 4);
    Font(v).SetPixel(Char(v), 10, 9);
    // A dot left beyond the character's width by a square is not part of it.
    Font(v).SetPixel(Char(v), 0, 16);
    v->OnCommand(cmd::SelectAllPixel);
    EXPECT_EQ(v->GetTool(), CGlyphosView::Select);
    EXPECT_EQ(v->SelectionFirst(), QPoint(3, 4));
    EXPECT_EQ(v->SelectionLast(), QPoint(9, 10));
    EXPECT_TRUE(v->IsSelectionFloating());
    EXPECT_EQ(Font(v).GetCopyBufferColumns(), 7);
}

TEST_F(GlyphosViewSelection, AMovedBlockStopsAtItsLastValidPlace) {
    FakeViewDocument& doc = NewDoc(12, 16);
    CGlyphosView* v = NewView(doc);
    DrawL(Font(v), Char(v), 2, 2);
    v->OnCommand(cmd::ToolSelect);
    Drag(v, {2, 2}, {3, 4});
    doc.modified = false;

    Press(v, 2, 3);
    EXPECT_EQ(v->GetTool(), CGlyphosView::MoveSelection);
    EXPECT_FALSE(Enabled(v, cmd::EditCopy));
    EXPECT_TRUE(Enabled(v, cmd::EditCut));
    for (int c = 3; c <= 11; ++c) DragTo(v, c, 3);
    // The last column of the block is the character's last: 10..11.
    EXPECT_EQ(v->SelectionFirst(), QPoint(10, 2));
    EXPECT_EQ(v->SelectionLast(), QPoint(11, 4));
    // Lifting cleared the old place and saved one undo step.
    EXPECT_FALSE(Dot(v, 2, 2));
    EXPECT_EQ(v->GetUndoDepth(), 1);
    EXPECT_TRUE(doc.modified);
    // Back left by two cells from where the mouse is now.
    DragTo(v, 9, 3);
    Release(v, 9, 3);
    EXPECT_EQ(v->SelectionFirst(), QPoint(8, 2));

    // A second drag moves on from there; above the top it stops.
    Press(v, 8, 3);
    DragTo(v, 8, 2);
    DragTo(v, 8, 1);
    DragTo(v, 8, 0);
    Release(v, 8, 0);
    EXPECT_EQ(v->SelectionFirst(), QPoint(8, 0));
    EXPECT_EQ(v->GetUndoDepth(), 1);

    // A click outside commits the block there.
    Click(v, 1, 12);
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);
    EXPECT_EQ(Picture(v, 12, 4),
              "........#...\n"
              "........#...\n"
              "........##..\n"
              "............\n");
    EXPECT_FALSE(Font(v).IsCopyBufferAllocated());
}

TEST_F(GlyphosViewSelection, EscapeDropsAMovedBlockWhereItIs) {
    CGlyphosView* v = NewView(NewDoc(12, 16));
    DrawL(Font(v), Char(v), 0, 0);
    v->OnCommand(cmd::SelectAllPixel);
    Press(v, 0, 0);
    DragTo(v, 1, 1);
    DragTo(v, 2, 1);
    Release(v, 2, 1);
    EXPECT_EQ(Picture(v, 4, 4), "....\n....\n....\n....\n");
    Key(v, Qt::Key_Escape);
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);
    EXPECT_EQ(Picture(v, 4, 4), "....\n..#.\n..#.\n..##\n");
}

TEST_F(GlyphosViewSelection, AFloatingBlockIsCarriedToAnotherCharacter) {
    CGlyphosView* v = NewView(NewDoc(12, 16));
    const int a = Char(v);
    DrawL(Font(v), a, 4, 4);
    v->OnCommand(cmd::SelectAllPixel);
    Press(v, 4, 5);
    DragTo(v, 5, 5);
    Release(v, 5, 5);
    Key(v, Qt::Key_Right);
    EXPECT_EQ(Char(v), a + 1);
    EXPECT_EQ(v->GetTool(), CGlyphosView::MoveSelection);
    EXPECT_EQ(v->SelectionFirst(), QPoint(5, 4));
    // Painted over the new character before it is committed.
    const int p = Display(v).Pitch();
    EXPECT_EQ(v->RenderAll().pixel(20 + 5 * p + 2, 20 + 4 * p + 2) & 0xFFFFFF, 0u);
    v->OnCommand(cmd::ToolPointer);
    EXPECT_TRUE(Dot(v, 5, 4));
    EXPECT_TRUE(Dot(v, 6, 6));
    EXPECT_EQ(Font(v).GetInkRect(a, 11, 16).top, 16);
}

TEST_F(GlyphosViewSelection, CopyInOneDocumentAndPasteInAnotherFloatsAtTheTopLeft) {
    FakeViewDocument& from = NewDoc(24, 24);
    CGlyphosView* a = NewView(from);
    DrawL(Font(a), Char(a), 10, 5);
    Font(a).SetPixel(Char(a), 5, 19);
    a->OnCommand(cmd::ToolSelect);
    Drag(a, {9, 5}, {19, 7});
    EXPECT_FALSE(Enabled(a, cmd::EditPaste));
    a->OnCommand(cmd::EditCopy);
    EXPECT_EQ(a->GetTool(), CGlyphosView::None);
    EXPECT_TRUE(frame.clipboard.IsFilled());
    EXPECT_EQ(frame.clipboard.GetColumns(), 11);
    EXPECT_EQ(frame.clipboard.GetBytesPerRow(), 2);
    EXPECT_TRUE(Dot(a, 10, 5));
    EXPECT_TRUE(Enabled(a, cmd::EditPaste));

    FakeViewDocument& to = NewDoc(16, 20);
    CGlyphosView* b = NewView(to);
    b->OnCommand(cmd::NextChar);
    b->OnCommand(cmd::EditPaste);
    EXPECT_TRUE(ui->Boxes().empty());
    EXPECT_EQ(b->GetTool(), CGlyphosView::Select);
    EXPECT_EQ(frame.toolPane, CString(L"selection"));
    EXPECT_TRUE(b->IsSelectionFloating());
    EXPECT_EQ(b->SelectionFirst(), QPoint(0, 0));
    EXPECT_EQ(b->SelectionLast(), QPoint(10, 2));
    EXPECT_FALSE(Dot(b, 1, 0));  // floating, not yet in the character
    EXPECT_EQ(b->GetUndoDepth(), 1);

    Press(b, 1, 1);
    DragTo(b, 3, 2);
    Release(b, 3, 2);
    Click(b, 14, 18);
    EXPECT_EQ(Picture(b, 13, 4),
              ".............\n"
              "...#........#\n"
              "...#.........\n"
              "...##........\n");
    // The clipboard stays for further pastes.
    EXPECT_TRUE(Enabled(b, cmd::EditPaste));
}

TEST_F(GlyphosViewSelection, ABlockLargerThanTheCharacterPastesOnlyWhenTheUserAgrees) {
    CGlyphosView* a = NewView(NewDoc(24, 32));
    Font(a).SetBlock(Char(a), 0, 0, 24);
    Font(a).SetBlock(Char(a), 0, 8, 24);
    a->OnCommand(cmd::SelectAllPixel);
    EXPECT_EQ(a->SelectionLast(), QPoint(23, 31));
    a->OnCommand(cmd::EditCopy);

    FakeViewDocument& small = NewDoc(16, 24);
    CGlyphosView* b = NewView(small);
    ui->Answer(IDOK);
    b->OnCommand(cmd::EditPaste);
    ASSERT_EQ(ui->Boxes().size(), 1u);
    EXPECT_EQ(ui->Boxes()[0].text,
              CString(L"The font size aren't compatible whit pixel from the paste operation.\nIf You continue the "
                      L"operation, not all pixell whill be pastedd.\nDo You want continue?"));
    EXPECT_EQ(ui->Boxes()[0].caption, CString(L"Error"));
    EXPECT_EQ(ui->Boxes()[0].style, MB_OKCANCEL | MB_ICONQUESTION);
    // Committed at once and cut at the character's edges.
    EXPECT_EQ(b->GetTool(), CGlyphosView::None);
    EXPECT_TRUE(Dot(b, 15, 23));
    EXPECT_FALSE(Font(b).GetPixel(Char(b), 0, 16));
    EXPECT_FALSE(Font(b).GetPixel(Char(b), 24, 0));
    EXPECT_TRUE(small.modified);

    b->OnCommand(cmd::NextChar);
    ui->Answer(IDCANCEL);
    b->OnCommand(cmd::EditPaste);
    EXPECT_EQ(ui->Boxes().size(), 2u);
    EXPECT_FALSE(frame.clipboard.IsFilled());
    EXPECT_FALSE(Enabled(b, cmd::EditPaste));
    EXPECT_EQ(Font(b).GetInkRect(Char(b), 63, 96).top, 96);
    EXPECT_EQ(b->GetTool(), CGlyphosView::None);
}

TEST_F(GlyphosViewSelection, ABlockOfExactlyTheCharactersSizePastesWithoutAQuestion) {
    CGlyphosView* a = NewView(NewDoc(16, 24));
    Font(a).SetPixel(Char(a), 0, 0);
    Font(a).SetPixel(Char(a), 23, 15);
    a->OnCommand(cmd::SelectAllPixel);
    a->OnCommand(cmd::EditCopy);
    CGlyphosView* b = NewView(NewDoc(16, 24));
    b->OnCommand(cmd::EditPaste);
    EXPECT_TRUE(ui->Boxes().empty());
    EXPECT_TRUE(b->IsSelectionFloating());
    // Taking another tool puts the pasted block down.
    b->OnCommand(cmd::ToolPen);
    EXPECT_TRUE(Dot(b, 15, 23));
    EXPECT_TRUE(Dot(b, 0, 0));
}

TEST_F(GlyphosViewSelection, CutMovesTheDotsToTheClipboardAndCanBeUndone) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    DrawL(Font(v), Char(v), 3, 3);
    Font(v).SetPixel(Char(v), 10, 10);
    v->OnCommand(cmd::ToolSelect);
    Drag(v, {2, 2}, {5, 6});
    v->OnCommand(cmd::EditCut);
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);
    EXPECT_EQ(Font(v).GetInkRect(Char(v), 15, 24).top, 10);
    EXPECT_TRUE(frame.clipboard.IsFilled());
    EXPECT_EQ(frame.clipboard.GetRows(), 5);
    v->OnCommand(cmd::EditUndo);
    EXPECT_TRUE(Dot(v, 4, 5));
}

TEST_F(GlyphosViewSelection, CuttingAMovedBlockLeavesWhatLiesUnderIt) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    Font(v).SetPixel(Char(v), 0, 0);
    Font(v).SetPixel(Char(v), 0, 5);
    v->OnCommand(cmd::ToolSelect);
    Drag(v, {0, 0}, {1, 1});
    Press(v, 0, 0);
    for (int c = 1; c <= 4; ++c) DragTo(v, c, 0);
    Release(v, 4, 0);
    v->OnCommand(cmd::EditCut);
    EXPECT_FALSE(Dot(v, 0, 0));
    EXPECT_TRUE(Dot(v, 5, 0));
    EXPECT_EQ(frame.clipboard.GetColumns(), 2);
}

TEST_F(GlyphosViewSelection, FiveEditsAndFiveUndosGiveBackFourStates) {
    FakeViewDocument& doc = NewDoc(8, 8);
    CGlyphosView* v = NewView(doc);
    v->OnCommand(cmd::ToolPen);
    std::vector<std::string> before;
    for (int edit = 0; edit < 5; ++edit) {
        before.push_back(Picture(v, 8, 8));
        Click(v, edit, edit);
    }
    EXPECT_EQ(v->GetUndoDepth(), 4);
    for (int undo = 4; undo >= 1; --undo) {
        ASSERT_TRUE(Enabled(v, cmd::EditUndo)) << undo;
        v->OnCommand(cmd::EditUndo);
        EXPECT_EQ(Picture(v, 8, 8), before[undo]) << "undo back to before edit " << undo + 1;
    }
    EXPECT_EQ(v->GetUndoDepth(), 0);
    EXPECT_FALSE(Enabled(v, cmd::EditUndo));
    v->OnCommand(cmd::EditUndo);
    EXPECT_EQ(Picture(v, 8, 8), before[1]);
    // Undo enters pointer mode.
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);

    // A new edit after undoing starts counting again.
    v->OnCommand(cmd::ToolPen);
    Click(v, 7, 7);
    v->OnCommand(cmd::EditUndo);
    EXPECT_EQ(Picture(v, 8, 8), before[1]);
}

TEST_F(GlyphosViewSelection, RedoGivesBackWhatUndoTookUntilTheNextEdit) {
    CGlyphosView* v = NewView(NewDoc(8, 8));
    v->OnCommand(cmd::ToolPen);
    std::vector<std::string> states;
    for (int edit = 0; edit < 6; ++edit) {
        states.push_back(Picture(v, 8, 8));
        Click(v, edit, edit);
    }
    states.push_back(Picture(v, 8, 8));
    EXPECT_FALSE(Enabled(v, cmd::EditRedo));
    // Four steps back, four forward: the ring keeps four.
    for (int i = 0; i < 5; ++i) v->OnCommand(cmd::EditUndo);
    EXPECT_EQ(Picture(v, 8, 8), states[2]);
    for (int i = 3; i <= 6; ++i) {
        ASSERT_TRUE(Enabled(v, cmd::EditRedo)) << i;
        v->OnCommand(cmd::EditRedo);
        EXPECT_EQ(Picture(v, 8, 8), states[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_FALSE(Enabled(v, cmd::EditRedo));
    // Undo and Redo alternate over the same step.
    v->OnCommand(cmd::EditUndo);
    v->OnCommand(cmd::EditUndo);
    v->OnCommand(cmd::EditRedo);
    v->OnCommand(cmd::EditUndo);
    EXPECT_EQ(Picture(v, 8, 8), states[4]);

    // A new edit ends it; so does moving to another character.
    v->OnCommand(cmd::ToolPen);
    Click(v, 7, 0);
    EXPECT_FALSE(Enabled(v, cmd::EditRedo));
    v->OnCommand(cmd::EditUndo);
    ASSERT_TRUE(Enabled(v, cmd::EditRedo));
    v->OnCommand(cmd::NextChar);
    EXPECT_FALSE(Enabled(v, cmd::EditRedo));
}

TEST_F(GlyphosViewSelection, UndoWhileMovingPutsTheBlockDownThenGoesBack) {
    CGlyphosView* v = NewView(NewDoc(12, 12));
    DrawL(Font(v), Char(v), 1, 1);
    const std::string original = Picture(v, 12, 12);
    v->OnCommand(cmd::SelectAllPixel);
    Press(v, 1, 1);
    DragTo(v, 2, 1);
    Release(v, 2, 1);
    v->OnCommand(cmd::EditUndo);
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);
    EXPECT_FALSE(Font(v).IsCopyBufferAllocated());
    EXPECT_EQ(Picture(v, 12, 12), original);
}

TEST_F(GlyphosViewSelection, TheMarqueeRepaintsOnlyItsOutlineWhileDragging) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    v->OnCommand(cmd::ToolSelect);
    Press(v, 2, 2);
    DragTo(v, 4, 4);
    const int p = Display(v).Pitch();
    v->TakeRequestedRepaint();
    DragTo(v, 5, 4);
    const QRegion repainted = v->TakeRequestedRepaint();
    // The inside of the rectangle is left alone.
    EXPECT_FALSE(repainted.contains(QPoint(20 + 3 * p + p / 2, 20 + 3 * p + p / 2)));
    EXPECT_TRUE(repainted.contains(QPoint(20 + 2 * p, 20 + 3 * p)));
    EXPECT_TRUE(repainted.contains(QPoint(20 + 6 * p, 20 + 3 * p)));
    Release(v, 5, 4);
}

}  // namespace
