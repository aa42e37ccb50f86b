#include "DialogToolPixelSize.h"

#include "QtTestSupport.h"
#include "TestUi.h"

#include <QLineEdit>
#include <QTest>

namespace {

class DialogToolPixelSizeTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQApp(); }
    ScopedScriptedUi ui;
};

TEST_F(DialogToolPixelSizeTest, TheLabelNamesTheTool) {
    EXPECT_EQ(CDialogToolPixelSize(CDialogToolPixelSize::Eraser, 3).GetLabel(), "Eraser size (pixel):");
    EXPECT_EQ(CDialogToolPixelSize(CDialogToolPixelSize::Brush, 2).GetLabel(), "Brush size (pixel):");
    CDialogToolPixelSize other(CDialogToolPixelSize::Other, 0);
    EXPECT_EQ(other.GetLabel(), "");
    EXPECT_EQ(other.Edit()->text(), "0");
    EXPECT_EQ(other.windowTitle(), "Tool pixel size");
}

TEST_F(DialogToolPixelSizeTest, SizesOutside2To15AreRefusedAndTheDialogStaysOpen) {
    for (const char* bad : {"1", "16", "", "0"}) {
        CDialogToolPixelSize dlg(CDialogToolPixelSize::Brush, 2);
        dlg.show();
        dlg.Edit()->setText(QString::fromLatin1(bad));
        ui->Answer(IDOK);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << bad;
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(dlg.GetSize(), 2);
        EXPECT_EQ(ui.Last().caption, CString(L"Glyphos"));
        EXPECT_EQ(ui.Last().style, MB_OK | MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(ui->Boxes()[0].text, CString(L"Please enter an integer between 2 and 15."));
    EXPECT_EQ(ui->Boxes()[2].text, CString(L"Please enter an integer."));
}

TEST_F(DialogToolPixelSizeTest, SizesFrom2To15AreTaken) {
    for (int size : {2, 15}) {
        CDialogToolPixelSize dlg(CDialogToolPixelSize::Eraser, 3);
        dlg.Edit()->setText(QString::number(size));
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.GetSize(), size);
    }
}

TEST_F(DialogToolPixelSizeTest, TheEditTakesDigitsOnly) {
    CDialogToolPixelSize dlg(CDialogToolPixelSize::Eraser, 3);
    dlg.show();
    dlg.Edit()->clear();
    QTest::keyClicks(dlg.Edit(), "a-1x2");
    EXPECT_EQ(dlg.Edit()->text(), "12");
}

}  // namespace
