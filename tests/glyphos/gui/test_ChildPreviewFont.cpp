#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "CommandIds.h"
#include "EditingView.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GuiTestFixture.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QScrollBar>
#include <QTest>

namespace {

class ChildPreviewFontTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
        ASSERT_TRUE(Start());
        doc = Frame()->ActiveDocument();
        ASSERT_NE(doc, nullptr);
        preview = Frame()->GetPreview();
        Frame()->resizeDocks({Frame()->PreviewDock()}, {360}, Qt::Vertical);
        QCoreApplication::processEvents();
    }

    // An 8 x 16 font of the codes 0x20 .. 0x7F.
    void UseSmallFont() {
        KalvoFont& f = doc->GetFont();
        f.SetWidth(8);
        f.SetHeight(16);
        f.SetFirstChar(0x20);
        f.SetLastChar(0x7F);
        doc->Core().PropertiesChanged();
        doc->FirstChar();
        preview->Refresh();
    }

    void ClickCell(int code) {
        const QPoint at = preview->CellRect(code).center() - preview->ScrollPos();
        QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, at);
    }

    CGlyphosDoc* doc = nullptr;
    CChildPreviewFont* preview = nullptr;
};

TEST_F(ChildPreviewFontTest, TableAndScrollSizesFollowTheCharacterSize) {
    UseSmallFont();
    EXPECT_EQ(preview->GetDocument(), doc);
    EXPECT_EQ(preview->TableRect(), QRect(20, 20, 136, 272));
    EXPECT_EQ(preview->ScrollExtent(), QSize(176, 312));
    EXPECT_EQ(preview->horizontalScrollBar()->maximum(), 176);
    EXPECT_EQ(preview->verticalScrollBar()->maximum(), 312);
    EXPECT_EQ(preview->horizontalScrollBar()->pageStep(), 8);
    EXPECT_EQ(preview->verticalScrollBar()->pageStep(), 16);
    EXPECT_EQ(preview->CellRect(0x41), QRect(20 + 2 * 8, 20 + 5 * 16, 8, 16));
}

TEST_F(ChildPreviewFontTest, ClickPicksOnlyCodesOfTheFontsRange) {
    UseSmallFont();
    ClickCell(0x41);
    EXPECT_EQ(doc->GetCurrentChar(), 0x41);
    // The editing view has repainted with the hint and used it up.
    EXPECT_EQ(doc->GetUpdateHint(), 0);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0X41, 65"));
    ClickCell(0x10);
    EXPECT_EQ(doc->GetCurrentChar(), 0x41);
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0X41, 65"));
    // The label row and column pick nothing.
    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, QPoint(20 + 3 * 8 + 2, 22) - preview->ScrollPos());
    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, QPoint(22, 20 + 4 * 16 + 2) - preview->ScrollPos());
    EXPECT_EQ(doc->GetCurrentChar(), 0x41);
}

TEST_F(ChildPreviewFontTest, UpMovesSixteenBackWhenItCanAndAlwaysScrollsAPage) {
    UseSmallFont();
    QScrollBar* v = preview->verticalScrollBar();
    ASSERT_TRUE(doc->SelectChar(0x25));
    v->setValue(100);
    QTest::keyClick(preview, Qt::Key_Up);
    EXPECT_EQ(doc->GetCurrentChar(), 0x25);  // 0x15 is below the font's first code
    EXPECT_EQ(v->value(), 84);

    ASSERT_TRUE(doc->SelectChar(0x35));
    QTest::keyClick(preview, Qt::Key_Up);
    EXPECT_EQ(doc->GetCurrentChar(), 0x25);
    EXPECT_EQ(v->value(), 68);
}

TEST_F(ChildPreviewFontTest, ArrowHomeAndEndKeysStepThroughTheFont) {
    UseSmallFont();
    QScrollBar* h = preview->horizontalScrollBar();
    QScrollBar* v = preview->verticalScrollBar();
    QTest::keyClick(preview, Qt::Key_Right);
    EXPECT_EQ(doc->GetCurrentChar(), 0x21);
    EXPECT_EQ(h->value(), 8);
    QTest::keyClick(preview, Qt::Key_Down);
    EXPECT_EQ(doc->GetCurrentChar(), 0x31);
    EXPECT_EQ(v->value(), 16);
    QTest::keyClick(preview, Qt::Key_Left);
    EXPECT_EQ(doc->GetCurrentChar(), 0x30);
    EXPECT_EQ(h->value(), 0);
    QTest::keyClick(preview, Qt::Key_End);
    EXPECT_EQ(doc->GetCurrentChar(), 0x7F);
    EXPECT_EQ(v->value(), 312);
    QTest::keyClick(preview, Qt::Key_Down);  // past the last: stays, and the bar is already at its end
    EXPECT_EQ(doc->GetCurrentChar(), 0x7F);
    EXPECT_EQ(v->value(), 312);
    QTest::keyClick(preview, Qt::Key_Home);
    EXPECT_EQ(doc->GetCurrentChar(), 0x20);
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(preview, Qt::Key_Left);
    EXPECT_EQ(doc->GetCurrentChar(), 0x20);
}

TEST_F(ChildPreviewFontTest, ScrollBarsShowOnlyWhenTheTableDoesNotFit) {
    UseSmallFont();
    preview->resize(400, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(preview->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(preview->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    Frame()->PreviewDock()->setFloating(true);
    Frame()->PreviewDock()->resize(120, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(preview->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(preview->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(ChildPreviewFontTest, CloseBoxLeavesTheWindowOpen) {
    ASSERT_TRUE(preview->isVisible());
    EXPECT_FALSE(Frame()->PreviewDock()->close());
    EXPECT_FALSE(preview->close());
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(Frame()->PreviewDock()->isVisible());
    EXPECT_FALSE(Frame()->PreviewDock()->features() & QDockWidget::DockWidgetClosable);
}

TEST_F(ChildPreviewFontTest, TitleNamesTheDocumentShownOrNone) {
    EXPECT_EQ(Frame()->PreviewDock()->windowTitle(), QStringLiteral("Font preview: Glyphos1"));
    preview->SetTitle(QStringLiteral("other"));
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Font preview: other"));
    Frame()->Action(cmd::FileClose)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(preview->GetDocument(), nullptr);
    EXPECT_EQ(Frame()->PreviewDock()->windowTitle(), QStringLiteral("Font preview: No font selected"));
    // Without a document nothing reacts.
    QTest::keyClick(preview, Qt::Key_Right);
    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, QPoint(40, 100));
    preview->SetTitle(QStringLiteral("ignored"));
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Font preview: No font selected"));
}

TEST_F(ChildPreviewFontTest, PaintsDotsLabelsAndTheHighlight) {
    UseSmallFont();
    doc->GetFont().SetPixel(0x41, 0, 0);
    doc->GetFont().SetPixel(0x41, 15, 7);
    ASSERT_TRUE(doc->SelectChar(0x42));
    preview->verticalScrollBar()->setValue(0);
    preview->horizontalScrollBar()->setValue(0);
    const QImage img = preview->viewport()->grab().toImage();
    const QRect a = preview->CellRect(0x41);
    EXPECT_EQ(img.pixelColor(a.topLeft()), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(a.left() + 7, a.top() + 15), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(a.left() + 3, a.top() + 8), QColor(Qt::white));
    // Grid lines, the highlight of the current character and the window's own colour outside the table.
    EXPECT_EQ(img.pixelColor(20 + 8, 20 + 100), QColor(190, 190, 190));
    const QRect b = preview->CellRect(0x42);
    EXPECT_EQ(img.pixelColor(b.left() + 4, b.top()), QColor(1, 1, 255));
    EXPECT_EQ(img.pixelColor(5, 5), QColor(152, 194, 111));
}

}  // namespace
