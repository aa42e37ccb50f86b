#include "DialogSelectFont.h"
#include "QtTestSupport.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class DialogSelectFontTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQApp(); }

    static QPushButton* Button(CDialogSelectFont& dlg, const char* name) {
        return dlg.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static void ClickRow(QListWidget* list, int row) {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    std::vector<CString> lines{L"1) Font 12 x 24", L"2) Font 08 x 16", L"3) Font 16 x 32"};
};

TEST_F(DialogSelectFontTest, ShowsTheLinesInOrderWithOnlyAnOkButton) {
    CDialogSelectFont dlg(nullptr, &lines);
    dlg.show();
    ASSERT_EQ(dlg.List()->count(), 3);
    EXPECT_EQ(dlg.List()->item(0)->text(), QStringLiteral("1) Font 12 x 24"));
    EXPECT_EQ(dlg.List()->item(2)->text(), QStringLiteral("3) Font 16 x 32"));
    EXPECT_TRUE(Button(dlg, "ok")->isVisible());
    EXPECT_TRUE(Button(dlg, "ok")->isDefault());
    EXPECT_FALSE(Button(dlg, "cancel")->isVisible());
    EXPECT_FALSE(Button(dlg, "cancel")->isEnabled());
    EXPECT_EQ(dlg.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(dlg.font().pixelSize(), 14);
}

TEST_F(DialogSelectFontTest, OkWithoutTouchingTheListChoosesTheFirstFont) {
    CDialogSelectFont dlg(nullptr, &lines);
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* d) { QTest::keyClick(d->List(), Qt::Key_Return); });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.Get_m_NumFontSel(), 0);

    // Also when nothing is highlighted at all.
    CDialogSelectFont cleared(nullptr, &lines);
    cleared.List()->setCurrentRow(-1);
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* d) { QTest::mouseClick(d->findChild<QPushButton*>("ok"), Qt::LeftButton); });
    EXPECT_EQ(cleared.exec(), QDialog::Accepted);
    EXPECT_EQ(cleared.Get_m_NumFontSel(), 0);
}

TEST_F(DialogSelectFontTest, ReportsTheLineChosenWithMouseOrKeys) {
    CDialogSelectFont dlg(nullptr, &lines);
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* d) {
        ClickRow(d->List(), 2);
        QTest::mouseClick(d->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.Get_m_NumFontSel(), 2);

    CDialogSelectFont keys(nullptr, &lines);
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* d) {
        QTest::keyClick(d->List(), Qt::Key_Down);
        QTest::keyClick(d->List(), Qt::Key_Return);
    });
    EXPECT_EQ(keys.exec(), QDialog::Accepted);
    EXPECT_EQ(keys.Get_m_NumFontSel(), 1);
}

TEST_F(DialogSelectFontTest, EmptyListStillClosesWithIndexZero) {
    std::vector<CString> none;
    CDialogSelectFont dlg(nullptr, &none);
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* d) { QTest::keyClick(d, Qt::Key_Return); });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.List()->count(), 0);
    EXPECT_EQ(dlg.Get_m_NumFontSel(), 0);
}

TEST_F(DialogSelectFontTest, EscapeCancelsEvenThoughNoCancelButtonShows) {
    CDialogSelectFont dlg(nullptr, &lines);
    OnNextModal<CDialogSelectFont>([](CDialogSelectFont* d) {
        ClickRow(d->List(), 1);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
}

}  // namespace
