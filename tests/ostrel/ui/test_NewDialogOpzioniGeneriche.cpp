#include "NewDialogOpzioniGeneriche.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class NewDialogOpzioniGenericheTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        options.fCheckDsr = FALSE;
        options.iNumBeepDrawer = 5;
        options.iNumPartialCuts = 6;
        options.strModelPrinter = L"KP-300";
        options.fTempLim1 = 1.5f;
        options.fTempLim2 = 6.0f;
        options.iNumMaxRowTemp = 120;
        options.iReserved = 7;
    }
    _OpzioniApp options;
};

TEST_F(NewDialogOpzioniGenericheTest, OkWritesBackOnlyTheFourFieldsTheToolActsOn) {
    CNewDialogOpzioniGeneriche dlg(nullptr);
    dlg.GetCurrentOptions(options);
    EXPECT_EQ(dlg.Field("model")->text(), QStringLiteral("KP-300"));
    EXPECT_TRUE(dlg.Field("temp1")->isReadOnly());
    EXPECT_FALSE(dlg.Field("temp2")->isReadOnly());

    dlg.Check("checkDtr")->setChecked(true);
    dlg.Field("beeps")->setText("15");
    dlg.Field("cuts")->setText("3");
    dlg.Field("maxRows")->setText("300");
    dlg.Field("temp2")->setText("9.5");
    dlg.Set_m_fDebugMode(TRUE);
    dlg.accept();

    _OpzioniApp out = options;
    dlg.SetNewOptions(&out);
    EXPECT_EQ(out.fCheckDsr, TRUE);
    EXPECT_EQ(out.iNumBeepDrawer, 15);
    EXPECT_EQ(out.iNumPartialCuts, 3);
    EXPECT_EQ(out.iNumMaxRowTemp, 300);
    EXPECT_EQ(out.fTempLim2, 6.0f);
    EXPECT_EQ(out.strModelPrinter, L"KP-300");
    EXPECT_EQ(out.iReserved, 7);
    EXPECT_EQ(dlg.Get_m_fDebugMode(), TRUE);
    EXPECT_EQ(dlg.Get_m_fCancellaLog(), FALSE);
}

TEST_F(NewDialogOpzioniGenericheTest, RefusesCountsOutsideTheirRanges) {
    struct Case {
        const char* field;
        const char* text;
        const wchar_t* message;
    };
    for (const Case& c : {Case{"beeps", "2", L"Please enter an integer between 3 and 15."},
                          Case{"beeps", "16", L"Please enter an integer between 3 and 15."},
                          Case{"cuts", "2", L"Please enter an integer between 3 and 15."},
                          Case{"maxRows", "-1", L"Please enter an integer between 0 and 300."},
                          Case{"maxRows", "301", L"Please enter an integer between 0 and 300."},
                          Case{"temp3", "hot", L"Please enter a number."}}) {
        ScopedScriptedUi ui;
        CNewDialogOpzioniGeneriche dlg(nullptr);
        dlg.GetCurrentOptions(options);
        dlg.show();
        dlg.Field(c.field)->setText(QString::fromLatin1(c.text));
        ui->Answer(IDOK);
        QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible()) << c.field << " " << c.text;
        EXPECT_EQ(ui.Last().text, c.message) << c.field << " " << c.text;
        _OpzioniApp out = options;
        dlg.SetNewOptions(&out);
        EXPECT_EQ(out.iNumBeepDrawer, 5);
    }
}

TEST_F(NewDialogOpzioniGenericheTest, CancelWritesNothing) {
    CNewDialogOpzioniGeneriche dlg(nullptr);
    dlg.GetCurrentOptions(options);
    dlg.Field("beeps")->setText("9");
    dlg.reject();
    _OpzioniApp out = options;
    dlg.SetNewOptions(&out);
    EXPECT_EQ(out.iNumBeepDrawer, 5);
}

}  // namespace
