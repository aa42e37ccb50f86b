// The editing view's geometry, zoom, painting, navigation, status panes,
// activation and its talk with the preview window.
#include "CommandIds.h"
#include "GlyphosViewTestHost.h"

#include <QColorDialog>

namespace {

using GlyphosViewDisplay = GlyphosViewTest;

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

TEST_F(GlyphosViewDisplay, ANewDocumentIsShownAtMaxResolution) {
    struct Case {
        int width, height, cell;
    };
    for (const Case c : {Case{12, 24, 29}, Case{64, 96, 5}, Case{1, 96, 352}}) {
        FakeViewDocument& doc = NewDoc(c.width, c.height);
        CGlyphosView* v = NewView(doc);
        EXPECT_EQ(Display(v).CellSize, c.cell) << c.width << " x " << c.height;
        EXPECT_TRUE(Checked(v, cmd::ZoomMaxResolution));
    }
    // 1 x 96 at 352 pixels a dot is far taller than the window: it scrolls.
    EXPECT_GT(docs.back()->views.back()->verticalScrollBar()->maximum(), 30000);
}

TEST_F(GlyphosViewDisplay, ZoomCommandsAreOfferedOnlyToFontsThatFit) {
    CGlyphosView* big = NewView(NewDoc(33, 48));
    EXPECT_FALSE(Enabled(big, cmd::ZoomX2));
    EXPECT_FALSE(Enabled(big, cmd::ZoomX4));
    big->OnCommand(cmd::ZoomX2);
    EXPECT_EQ(Display(big).MaxResolution, 1);

    CGlyphosView* mid = NewView(NewDoc(17, 24));
    EXPECT_TRUE(Enabled(mid, cmd::ZoomX2));
    EXPECT_FALSE(Enabled(mid, cmd::ZoomX4));
    EXPECT_FALSE(Checked(mid, cmd::ZoomX2));
    mid->OnCommand(cmd::ZoomX2);
    EXPECT_TRUE(Checked(mid, cmd::ZoomX2));
    EXPECT_FALSE(Checked(mid, cmd::ZoomMaxResolution));
    EXPECT_EQ(Display(mid).Pitch(), 11);
    mid->OnCommand(cmd::ZoomMaxResolution);
    EXPECT_FALSE(Checked(mid, cmd::ZoomX2));
    EXPECT_EQ(Display(mid).CellSize, 352 / 17);

    // 16 x 24 at "Max Resolution" has the pitch of Zoom x 4, but only one
    // of the two is checked.
    CGlyphosView* small = NewView(NewDoc(16, 24));
    EXPECT_TRUE(Enabled(small, cmd::ZoomX4));
    EXPECT_FALSE(Checked(small, cmd::ZoomX4));
    small->OnCommand(cmd::ZoomX4);
    EXPECT_TRUE(Checked(small, cmd::ZoomX4));
    EXPECT_FALSE(Checked(small, cmd::ZoomMaxResolution));
}

TEST_F(GlyphosViewDisplay, AZoomRescalesTheToolSquaresAndEveryViewOfTheDocument) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* a = NewView(doc);
    CGlyphosView* b = NewView(doc);
    a->OnCommand(cmd::ToolEraser);
    EXPECT_EQ(a->GetEraserExtent(), 22 * 3);
    a->OnCommand(cmd::ZoomX2);
    EXPECT_EQ(a->GetEraserExtent(), 11 * 3);
    EXPECT_EQ(b->GetBrushExtent(), 11 * 2);
    EXPECT_EQ(b->verticalScrollBar()->maximum(), std::max(0, 60 + 264 - b->viewport()->height()));
}

TEST_F(GlyphosViewDisplay, PaintingShowsFrameGridInkedDotsAndTheTrueSizePreview) {
    FakeViewDocument& doc = NewDoc(8, 10);
    CGlyphosView* v = NewView(doc);
    KalvoFont& f = Font(v);
    f.SetPixel(Char(v), 2, 3);
    f.SetPixel(Char(v), 9, 7);
    const DocDisplay& d = Display(v);
    const int p = d.Pitch();  // 44
    const QImage img = v->RenderAll();

    EXPECT_EQ(Pixel(img, 20, 20), 0x646464u);                     // frame
    EXPECT_EQ(Pixel(img, 20 + 8 * p, 20 + 5), 0x646464u);         // right edge of the frame
    EXPECT_EQ(Pixel(img, 20 + p, 20 + 5), 0xC0C0C0u);             // a grid line
    EXPECT_EQ(Pixel(img, 20 + 3 * p + 1, 20 + 2 * p + 1), 0u);    // inside an inked cell
    EXPECT_EQ(Pixel(img, 20 + 4 * p - 1, 20 + 3 * p - 1), 0u);
    EXPECT_EQ(Pixel(img, 20 + 2 * p + 5, 20 + 2 * p + 5), 0xFFFFFFu);  // a blank cell
    EXPECT_EQ(Pixel(img, 20 + 7 * p + 3, 20 + 9 * p + 3), 0u);

    const DisplayRect& z = d.PreviewZone;
    EXPECT_EQ(Pixel(img, z.left + 3, z.top + 2), 0u);
    EXPECT_EQ(Pixel(img, z.left + 4, z.top + 2), 0xFFFFFFu);
    EXPECT_EQ(Pixel(img, d.PreviewFrame.left, d.PreviewFrame.top + 50), 0u);

    v->OnCommand(cmd::PreviewDoubleBoth);
    const QImage twice = v->RenderAll();
    const DisplayRect& zz = d.PreviewZone;
    for (int dx : {0, 1})
        for (int dy : {0, 1}) EXPECT_EQ(Pixel(twice, zz.left + 6 + dx, zz.top + 4 + dy), 0u);
    EXPECT_EQ(Pixel(twice, zz.left + 8, zz.top + 4), 0xFFFFFFu);
    EXPECT_TRUE(Checked(v, cmd::PreviewDoubleBoth));
    EXPECT_FALSE(Checked(v, cmd::PreviewNormal));
}

TEST_F(GlyphosViewDisplay, ColumnsOfNegativeMarginsAreShadedAndNotEditable) {
    FakeViewDocument& doc = NewDoc(10, 12, 0x20, 0x7F, -2, -1);
    CGlyphosView* v = NewView(doc);
    const int p = Display(v).Pitch();
    const QImage img = v->RenderAll();
    EXPECT_EQ(Pixel(img, 20 + p / 2, 20 + p / 2), 0xF1ECC9u);
    EXPECT_EQ(Pixel(img, 20 + 9 * p + p / 2, 20 + p / 2), 0xF1ECC9u);
    EXPECT_EQ(Pixel(img, 20 + 2 * p + p / 2, 20 + p / 2), 0xFFFFFFu);

    v->OnCommand(cmd::ToolPen);
    Click(v, 1, 3);
    Click(v, 9, 3);
    EXPECT_FALSE(Dot(v, 1, 3));
    EXPECT_FALSE(Dot(v, 9, 3));
    EXPECT_FALSE(doc.modified);
    Click(v, 2, 3);
    EXPECT_TRUE(Dot(v, 2, 3));
}

TEST_F(GlyphosViewDisplay, UpdateHintsRepaintOnlyTheAreasTheyName) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    const DocDisplay& d = Display(v);
    const QRect edit(d.EditRect.left, d.EditRect.top, d.EditRect.Width() + 1, d.EditRect.Height() + 1);
    const QRect zone(d.PreviewZone.left, d.PreviewZone.top, d.PreviewZone.Width() + 1, d.PreviewZone.Height() + 1);
    v->TakeRequestedRepaint();
    v->OnUpdate(CGlyphosView::kHintGrid);
    EXPECT_EQ(v->TakeRequestedRepaint(), QRegion(edit));
    v->OnUpdate(CGlyphosView::kHintPreview);
    EXPECT_EQ(v->TakeRequestedRepaint(), QRegion(zone));
    v->OnUpdate(CGlyphosView::kHintGridAndPreview);
    EXPECT_EQ(v->TakeRequestedRepaint(), QRegion(edit) + zone);
    doc.core.SetRedrawHint(10);
    v->OnUpdate(10);
    EXPECT_EQ(doc.core.GetRedrawHint(), 0);
}

TEST_F(GlyphosViewDisplay, KeysStepThroughTheCharactersAndTheTableFollows) {
    FakeViewDocument& doc = NewDoc(8, 8, 0x20, 0x7F);
    CGlyphosView* v = NewView(doc);
    v->setFocus();
    using A = QAbstractSlider::SliderAction;
    Key(v, Qt::Key_Right);
    EXPECT_EQ(Char(v), 0x21);
    EXPECT_EQ(frame.charPane, 0x21);
    Key(v, Qt::Key_Down);
    EXPECT_EQ(Char(v), 0x31);
    Key(v, Qt::Key_Up);
    Key(v, Qt::Key_Up);  // 0x11 is below the first character: no move
    EXPECT_EQ(Char(v), 0x21);
    Key(v, Qt::Key_End);
    EXPECT_EQ(Char(v), 0x7F);
    Key(v, Qt::Key_Right);
    EXPECT_EQ(Char(v), 0x7F);
    Key(v, Qt::Key_Home);
    EXPECT_EQ(Char(v), 0x20);
    Key(v, Qt::Key_Left);
    EXPECT_EQ(Char(v), 0x20);
    const std::vector<std::pair<Qt::Orientation, A>> expected = {
        {Qt::Horizontal, A::SliderPageStepAdd}, {Qt::Vertical, A::SliderPageStepAdd},
        {Qt::Vertical, A::SliderPageStepSub},   {Qt::Vertical, A::SliderPageStepSub},
        {Qt::Vertical, A::SliderToMaximum},     {Qt::Horizontal, A::SliderPageStepAdd},
        {Qt::Vertical, A::SliderToMinimum},     {Qt::Horizontal, A::SliderPageStepSub}};
    EXPECT_EQ(frame.scrolls, expected);

    v->OnCommand(cmd::LastChar);
    EXPECT_EQ(Char(v), 0x7F);
    v->OnCommand(cmd::PrevChar);
    v->OnCommand(cmd::PrevChar);
    EXPECT_EQ(Char(v), 0x7D);
    v->OnCommand(cmd::FirstChar);
    v->OnCommand(cmd::NextChar);
    EXPECT_EQ(Char(v), 0x21);
}

TEST_F(GlyphosViewDisplay, ChangingTheCharacterForgetsTheUndoSteps) {
    FakeViewDocument& doc = NewDoc(8, 8);
    CGlyphosView* v = NewView(doc);
    CGlyphosView* other = NewView(doc);
    v->OnCommand(cmd::ToolPen);
    other->OnCommand(cmd::ToolPen);
    Click(v, 1, 1);
    Click(other, 2, 2);
    EXPECT_TRUE(Enabled(v, cmd::EditUndo));
    EXPECT_TRUE(Enabled(other, cmd::EditUndo));
    v->OnCommand(cmd::NextChar);
    EXPECT_FALSE(Enabled(v, cmd::EditUndo));
    EXPECT_EQ(v->GetUndoDepth(), 0);
    // The ring is shared: the other view's steps went with it.
    EXPECT_FALSE(Enabled(other, cmd::EditUndo));
    v->OnCommand(cmd::PrevChar);
    other->OnCommand(cmd::EditUndo);
    EXPECT_TRUE(Dot(v, 2, 2));
}

TEST_F(GlyphosViewDisplay, TheStatusBarShowsTheCellUnderTheMouseAndTheTool) {
    FakeViewDocument& doc = NewDoc(16, 24);
    CGlyphosView* v = NewView(doc);
    Hover(v, At(v, 3, 4));
    EXPECT_EQ(frame.position, QPoint(3, 4));
    Hover(v, QPoint(5, 5));
    EXPECT_EQ(frame.position, QPoint(-1, -1));

    v->OnCommand(cmd::ToolPen);
    EXPECT_EQ(frame.toolPane, CString(L"pen"));
    v->OnCommand(cmd::ToolSelect);
    EXPECT_EQ(frame.toolPane, CString(L"selection"));
    v->OnCommand(cmd::ToolBrush);
    EXPECT_EQ(frame.toolPane, CString(L"brush"));
    v->OnCommand(cmd::ToolEraser);
    EXPECT_EQ(frame.toolPane, CString(L"eraser"));
    v->OnCommand(cmd::ToolPointer);
    EXPECT_EQ(frame.toolPane, CString(L"none"));
    EXPECT_EQ(v->GetTool(), CGlyphosView::None);
}

TEST_F(GlyphosViewDisplay, MouseAutoActivationFollowsItsMode) {
    CGlyphosView* v = NewView(NewDoc(16, 24));
    v->OnCommand(cmd::MouseActivateNone);
    EXPECT_TRUE(Checked(v, cmd::MouseActivateNone));
    Hover(v, At(v, 1, 1));
    EXPECT_TRUE(frame.activated.empty());

    v->OnCommand(cmd::MouseActivateGrid);
    EXPECT_TRUE(Checked(v, cmd::MouseActivateGrid));
    EXPECT_FALSE(Checked(v, cmd::MouseActivateNone));
    Hover(v, QPoint(5, 5));
    EXPECT_TRUE(frame.activated.empty());
    Hover(v, At(v, 1, 1));
    ASSERT_EQ(frame.activated.size(), 1u);
    EXPECT_EQ(frame.activated[0], v);

    v->OnCommand(cmd::MouseActivateView);
    Hover(v, QPoint(5, 5));
    EXPECT_EQ(frame.activated.size(), 2u);
}

TEST_F(GlyphosViewDisplay, ThePreviewWindowFollowsTheViewWithTheFocus) {
    FakeViewDocument& a = NewDoc(8, 8);
    a.title = L"A.kfn";
    FakeViewDocument& b = NewDoc(8, 8);
    b.title = L"B.kfn";
    CGlyphosView* va = NewView(a);
    EXPECT_EQ(frame.previewDoc, &a);
    EXPECT_EQ(frame.current, &a);
    // The first paint names the window once.
    EXPECT_EQ(frame.previewTitle, CString(L"A.kfn"));
    CGlyphosView* vb = NewView(b);
    EXPECT_EQ(frame.previewDoc, &b);
    EXPECT_EQ(frame.previewTitle, CString(L"B.kfn"));

    windows[0]->activateWindow();
    va->setFocus();
    QTRY_COMPARE(va->hasFocus(), true);
    EXPECT_EQ(frame.previewDoc, &a);
    va->repaint();
    EXPECT_EQ(frame.current, &a);

    delete vb;
    docs[1]->views.clear();
    EXPECT_EQ(frame.previewDoc, &a);
    delete va;
    docs[0]->views.clear();
    EXPECT_EQ(frame.previewDoc, nullptr);
    EXPECT_EQ(frame.current, nullptr);
}

TEST_F(GlyphosViewDisplay, GridAndBorderColoursComeFromTheColourDialog) {
    CGlyphosView* v = NewView(NewDoc(8, 8));
    OnNextModal<QColorDialog>([](QColorDialog* dlg) {
        EXPECT_EQ(dlg->currentColor(), QColor(Qt::black));
        dlg->setCurrentColor(QColor(10, 200, 30));
        dlg->accept();
    });
    v->OnCommand(cmd::GridColor);
    EXPECT_EQ(Display(v).GridColor, 0x0AC81Eu);
    EXPECT_EQ(Pixel(v->RenderAll(), 20 + Display(v).Pitch(), 25), 0x0AC81Eu);

    OnNextModal<QColorDialog>([](QColorDialog* dlg) { dlg->reject(); });
    v->OnCommand(cmd::BorderGridColor);
    EXPECT_EQ(Display(v).BorderColor, 0x646464u);
}

TEST_F(GlyphosViewDisplay, ClearPixelEmptiesTheCharacterAndUndoGivesItBack) {
    FakeViewDocument& doc = NewDoc(8, 8);
    CGlyphosView* v = NewView(doc);
    Font(v).SetBlock(Char(v), 0, 0, 8);
    Font(v).SetPixel(Char(v) + 1, 0, 0);
    v->OnCommand(cmd::ClearPixel);
    EXPECT_EQ(Font(v).GetInkRect(Char(v), 63, 96).top, 96);
    EXPECT_TRUE(Font(v).GetPixel(Char(v) + 1, 0, 0));
    EXPECT_TRUE(doc.modified);
    ASSERT_TRUE(Enabled(v, cmd::EditUndo));
    v->OnCommand(cmd::EditUndo);
    EXPECT_TRUE(Font(v).GetPixel(Char(v), 7, 7));
}

}  // namespace
