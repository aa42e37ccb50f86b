// View > Sample Text in the running editor: the line drawn with the active
// font, following dot edits and the scale, saved as the same PNG as
// `glyphos-cli sample`; a screenshot at 1366 x 768 in <build>/screenshots.
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <filesystem>

#include "ChildFrm.h"
#include "CommandIds.h"
#include "DialogSelectFont.h"
#include "DotPng.h"
#include "GlyphosDoc.h"
#include "GlyphosView.h"
#include "GuiTestFixture.h"
#include "SampleTextDock.h"

namespace {

class SampleTextDockTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
        ASSERT_TRUE(Start());
    }
    CGlyphosDoc* doc = nullptr;
    CGlyphosView* OpenDemo() {
        const std::string path = dir.File("demo.psw");
        std::filesystem::copy_file(std::string(GLYPHOS_SOURCE_DIR) + "/samples/demo.psw", path);
        OnNextModal<CDialogSelectFont>([](CDialogSelectFont* dlg) {
            dlg->List()->setCurrentRow(0);
            dlg->accept();
        });
        doc = app->OpenDocumentFile(QString::fromStdString(path));
        if (!doc) return nullptr;
        CChildFrame* child = doc->Frames().back();
        child->showMaximized();
        QCoreApplication::processEvents();
        return qobject_cast<CGlyphosView*>(child->GetView());
    }
    CSampleTextDock* Dock() const { return Frame()->findChild<CSampleTextDock*>(); }
    static DotImage Expected(const CGlyphosDoc* doc, const QString& text) {
        return SampleText::Draw(doc->GetFont(), SampleText::MapText(text.toStdString(), 1252));
    }
};

TEST_F(SampleTextDockTest, DrawsTheActiveFontFollowsEditsAndSavesThePicture) {
    CSampleTextDock* dock = Dock();
    ASSERT_NE(dock, nullptr);
    EXPECT_FALSE(dock->isVisible());
    QAction* toggle = nullptr;
    for (QAction* a : Frame()->Menu(QStringLiteral("View"))->actions())
        if (a->text() == QStringLiteral("Sample Text")) toggle = a;
    ASSERT_NE(toggle, nullptr);

    CGlyphosView* v = OpenDemo();
    ASSERT_NE(v, nullptr);
    toggle->trigger();
    QCoreApplication::processEvents();
    ASSERT_TRUE(dock->isVisible());
    EXPECT_EQ(dock->TextEdit()->text(), QString::fromLatin1(CSampleTextDock::kDefaultText));
    DotImage want = Expected(doc, dock->TextEdit()->text());
    EXPECT_EQ(dock->Dots().dots, want.dots);
    EXPECT_EQ(dock->Dots().width, 12 * 54);

    // A dot of the space (the current character) edited with the pen: the
    // sample follows.
    Frame()->RouteCommand(cmd::ToolPen);
    const DocDisplay& d = doc->Core().GetDisplay();
    const QPoint scroll(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value());
    QTest::mouseClick(
        v->viewport(), Qt::LeftButton, {},
        QPoint(d.GridOrigin.x + d.Pitch() * 5 + d.Pitch() / 2, d.GridOrigin.y + d.Pitch() * 12 + d.Pitch() / 2) -
            scroll);
    QCoreApplication::processEvents();
    ASSERT_EQ(doc->GetFont().GetPixel(' ', 12, 5), 1);
    want = Expected(doc, dock->TextEdit()->text());
    EXPECT_EQ(dock->Dots().dots, want.dots);
    EXPECT_TRUE(dock->Dots().Ink(3 * 12 + 5, 12));  // the space after "The"

    // Text and scale.
    dock->TextEdit()->setText(QStringLiteral("ABBA"));
    dock->ScaleBox()->setValue(3);
    QCoreApplication::processEvents();
    EXPECT_EQ(dock->Dots().width, 48);
    EXPECT_EQ(dock->PictureLabel()->pixmap().size(), QSize(48 * 3, 24 * 3));

    // Save PNG: the dialog's name, the bytes `sample` would write.
    const QString png = QString::fromStdString(dir.File("abba.png"));
    OnNextModal<QFileDialog>([png](QFileDialog* dlg) {
        dlg->selectFile(png);
        static_cast<QDialog*>(dlg)->accept();
    });
    dock->SaveButton()->click();
    const std::vector<unsigned char> bytes = DotPng::Encode(Expected(doc, QStringLiteral("ABBA")), 3);
    EXPECT_EQ(ReadText(png.toStdString()), std::string(bytes.begin(), bytes.end()));

    // The default text at 1366 x 768, for a look.
    dock->TextEdit()->setText(QString::fromLatin1(CSampleTextDock::kDefaultText));
    dock->ScaleBox()->setValue(2);
    Frame()->showNormal();
    Frame()->setGeometry(0, 0, 1366, 768);
    QCoreApplication::processEvents();
    const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(Frame()->grab().save(folder + QStringLiteral("/sample-text-dock.png")));
}

}  // namespace
