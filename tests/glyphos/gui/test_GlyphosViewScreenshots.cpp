// Pictures of the editing view for people to look at: a character at each
// zoom and with a floating block, saved as PNG files in
// <build>/screenshots. The test checks only that each picture was written
// and shows the character's dots.
#include "CommandIds.h"
#include "GlyphosViewTestHost.h"

#include <QDir>

#include <string>

namespace {

class GlyphosViewScreenshots : public GlyphosViewTest {
protected:
    void SetUp() override {
        GlyphosViewTest::SetUp();
        QDir().mkpath(Dir());
    }

    static QString Dir() { return QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots"); }

    void Save(CGlyphosView* v, const char* name) {
        QCoreApplication::processEvents();
        const QString path = Dir() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
        ASSERT_TRUE(v->grab().save(path)) << path.toStdString();
        const QImage saved(path);
        ASSERT_FALSE(saved.isNull());
        // The inside of the top-left inked cell is black on the picture.
        const DocDisplay& d = Display(v);
        const QPoint dot(d.GridOrigin.x + d.Pitch() * 5 + d.Pitch() / 2, d.GridOrigin.y + d.Pitch() * 2 + d.Pitch() / 2);
        EXPECT_EQ(saved.pixel(v->viewport()->mapTo(v, dot)) & 0xFFFFFF, 0u) << name;
    }
};

TEST_F(GlyphosViewScreenshots, ACharacterAtEachZoomAndWithAFloatingBlock) {
    FakeViewDocument& doc = NewDoc(16, 24, 0x20, 0x7F, -1, 0);
    CGlyphosView* v = NewView(doc, QSize(700, 640));
    v->OnCommand(cmd::NextChar);
    DrawTestGlyph(Font(v), Char(v));
    Save(v, "view_max_resolution");
    v->OnCommand(cmd::ZoomX2);
    v->OnCommand(cmd::PreviewDoubleBoth);
    Save(v, "view_zoom_x2_double_preview");
    v->OnCommand(cmd::ZoomX4);
    Save(v, "view_zoom_x4");

    v->OnCommand(cmd::ZoomX2);
    v->OnCommand(cmd::ToolSelect);
    Drag(v, {1, 9}, {7, 14});
    v->OnCommand(cmd::EditCopy);
    v->OnCommand(cmd::EditPaste);
    Press(v, 2, 1);
    for (int c = 3; c <= 9; ++c) DragTo(v, c, 1);
    Release(v, 9, 1);
    Save(v, "view_floating_block");
    EXPECT_EQ(v->GetTool(), CGlyphosView::MoveSelection);
}

}  // namespace
