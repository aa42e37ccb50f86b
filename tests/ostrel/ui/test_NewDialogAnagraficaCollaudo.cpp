#include "NewDialogAnagraficaCollaudo.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class NewDialogAnagraficaCollaudoTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        record.strNome = L"Anna";
        record.strCognome = L"Bianchi";
        record.strTipoProdotto = L"kp300";
        record.strCodiceProdotto = L"A1";
        record.strLottoProduzione = L"4711";
        record.strNumeroSerie = L"SN1";
    }
    void Load(CNewDialogAnagraficaCollaudo& d) {
        d.SetToday(QDate(2026, 3, 7));
        d.GetCurrentAnagrafica(record);
    }
    _AnagraficaCollaudo record;
};

TEST_F(NewDialogAnagraficaCollaudoTest, LoadsTheRecordWithTodaysDate) {
    CNewDialogAnagraficaCollaudo dlg(nullptr);
    Load(dlg);
    QStringList shown;
    for (int i = 0; i < 6; ++i) shown << dlg.Field(i)->text();
    EXPECT_EQ(shown, (QStringList{"Anna", "Bianchi", "07/03/2026", "KP300", "4711", "A1"}));
    EXPECT_TRUE(dlg.Field(3)->isReadOnly());
}

TEST_F(NewDialogAnagraficaCollaudoTest, EveryRequiredFieldLeftEmptyKeepsTheDialogOpen) {
    for (int field : {0, 1, 2, 4, 5}) {
        ScopedScriptedUi ui;
        CNewDialogAnagraficaCollaudo dlg(nullptr);
        Load(dlg);
        dlg.show();
        dlg.Field(field)->setText(" ");
        ui->Answer(IDOK);
        QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible()) << field;
        EXPECT_EQ(ui.Last().text, L"Compilare tutti i campi della scheda.") << field;
        EXPECT_EQ(ui.Last().caption, L"Compilare ogni campo");
        _AnagraficaCollaudo out = record;
        dlg.SetNewAnagrafica(&out);
        EXPECT_EQ(out.strCodiceProdotto, L"A1") << "nothing written back";
    }
}

TEST_F(NewDialogAnagraficaCollaudoTest, TypingFollowsTheFieldRules) {
    CNewDialogAnagraficaCollaudo dlg(nullptr);
    Load(dlg);
    dlg.show();
    dlg.Field(4)->clear();
    QTest::keyClicks(dlg.Field(4), QStringLiteral("12a34-5678"));
    EXPECT_EQ(dlg.Field(4)->text(), QStringLiteral("123456"));
    dlg.Field(5)->clear();
    QTest::keyClicks(dlg.Field(5), QStringLiteral("blk-edition-2026x"));
    EXPECT_EQ(dlg.Field(5)->text(), QStringLiteral("BLK-EDITION-202"));
    dlg.Field(0)->clear();
    QTest::keyClicks(dlg.Field(0), QString(30, QLatin1Char('n')));
    EXPECT_EQ(dlg.Field(0)->text().size(), 25);
}

TEST_F(NewDialogAnagraficaCollaudoTest, OkWritesTheRecordAndTheTypeGoesOnlyOnceIntoTheCode) {
    _AnagraficaCollaudo out = record;
    for (int round = 0; round < 2; ++round) {
        CNewDialogAnagraficaCollaudo dlg(nullptr);
        dlg.SetToday(QDate(2026, 12, 24));
        dlg.GetCurrentAnagrafica(out);
        dlg.Field(4)->setText("815");
        dlg.accept();
        dlg.SetNewAnagrafica(&out);
        EXPECT_EQ(out.strCodiceProdotto, L"KP300-A1") << "round " << round;
    }
    EXPECT_EQ(out.strDataCollaudo, L"24/12/2026");
    EXPECT_EQ(out.strLottoProduzione, L"815");
    EXPECT_EQ(out.strTipoProdotto, L"kp300");
    EXPECT_EQ(out.strNumeroSerie, L"SN1");
}

}  // namespace
