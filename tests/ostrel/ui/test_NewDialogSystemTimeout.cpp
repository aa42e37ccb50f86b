#include "NewDialogSystemTimeout.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class NewDialogSystemTimeoutTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQApp(); }
    static COMMTIMEOUTS T(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e) { return {a, b, c, d, e}; }
    static std::vector<long long> Shown(const CNewDialogSystemTimeout& d) {
        std::vector<long long> v;
        for (int i = 0; i < 5; ++i) v.push_back(d.Field(i)->text().toLongLong());
        return v;
    }
    static void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    static void Unlock(CNewDialogSystemTimeout& d, ScopedScriptedUi& ui) {
        ui->Answer(IDOK);
        Click(d.Button("modifica"));
    }

    const COMMTIMEOUTS atOpening = T(1, 2, 3, 4, 5);
    const COMMTIMEOUTS inForce = T(10, 20, 30, 40, 50);
};

TEST_F(NewDialogSystemTimeoutTest, FieldsStayLockedUntilTheWarningWasShown) {
    ScopedScriptedUi ui;
    CNewDialogSystemTimeout dlg(nullptr);
    dlg.GetCurrentSettings(atOpening, &inForce);
    EXPECT_EQ(Shown(dlg), (std::vector<long long>{10, 20, 30, 40, 50}));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(dlg.Field(i)->isReadOnly());

    Unlock(dlg, ui);
    EXPECT_EQ(ui.Last().caption, L"Settaggio Time Out");
    EXPECT_EQ(ui.Last().text, L"La modifica di questi parametri \u00e8 molto critica e potrebbe compromettere il "
                              L"funzionamento del programma");
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(dlg.Field(i)->isReadOnly());
}

TEST_F(NewDialogSystemTimeoutTest, RipristinaAndDefaulBringBackTheirValues) {
    ScopedScriptedUi ui;
    CNewDialogSystemTimeout dlg(nullptr);
    dlg.GetCurrentSettings(atOpening, &inForce);
    Unlock(dlg, ui);
    dlg.Field(2)->setText("999");
    Click(dlg.Button("defaul"));
    EXPECT_EQ(Shown(dlg), (std::vector<long long>{1, 2, 3, 4, 5}));
    dlg.Field(4)->setText("777");
    Click(dlg.Button("ripristina"));
    EXPECT_EQ(Shown(dlg), (std::vector<long long>{10, 20, 30, 40, 50}));

    // "Defaul" on a locked dialog is what OK hands back.
    CNewDialogSystemTimeout locked(nullptr);
    locked.GetCurrentSettings(atOpening, &inForce);
    Click(locked.Button("defaul"));
    locked.accept();
    COMMTIMEOUTS out = inForce;
    locked.SetNewSettings(&out);
    EXPECT_EQ(out.WriteTotalTimeoutConstant, 5u);
    EXPECT_EQ(out.ReadIntervalTimeout, 1u);
}

TEST_F(NewDialogSystemTimeoutTest, RefusesValuesOutsideTheRangeAndStaysOpen) {
    struct Case {
        int field;
        const char* text;
    };
    for (const Case& c : {Case{0, "-1"}, Case{1, "32001"}, Case{4, "abc"}, Case{3, ""}}) {
        ScopedScriptedUi ui;
        CNewDialogSystemTimeout dlg(nullptr);
        dlg.GetCurrentSettings(atOpening, &inForce);
        dlg.show();
        Unlock(dlg, ui);
        dlg.Field(c.field)->setText(QString::fromLatin1(c.text));
        ui->Answer(IDOK);
        Click(dlg.findChild<QPushButton*>("ok"));
        EXPECT_TRUE(dlg.isVisible()) << c.text;
        EXPECT_EQ(ui.Last().text, L"Please enter an integer between 0 and 32000.") << c.text;
        COMMTIMEOUTS out = atOpening;
        dlg.SetNewSettings(&out);
        EXPECT_EQ(out.ReadIntervalTimeout, 1u) << "nothing written back before OK";
    }
}

TEST_F(NewDialogSystemTimeoutTest, OkHandsBackTheEditedValuesAtTheEdgesOfTheRange) {
    ScopedScriptedUi ui;
    CNewDialogSystemTimeout dlg(nullptr);
    dlg.GetCurrentSettings(atOpening, &inForce);
    Unlock(dlg, ui);
    dlg.Field(0)->setText("0");
    dlg.Field(4)->setText("32000");
    dlg.accept();
    COMMTIMEOUTS out;
    dlg.SetNewSettings(&out);
    EXPECT_EQ(out.ReadIntervalTimeout, 0u);
    EXPECT_EQ(out.ReadTotalTimeoutMultiplier, 20u);
    EXPECT_EQ(out.WriteTotalTimeoutConstant, 32000u);
}

TEST_F(NewDialogSystemTimeoutTest, ALockedDialogClosesOverAPortValueAboveTheEditRange) {
    ScopedScriptedUi ui;
    const COMMTIMEOUTS wide = T(0xFFFFFFFFu, 0, 0, 0, 0);
    CNewDialogSystemTimeout dlg(nullptr);
    dlg.GetCurrentSettings(wide, &wide);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    COMMTIMEOUTS out;
    dlg.SetNewSettings(&out);
    EXPECT_EQ(out.ReadIntervalTimeout, 0xFFFFFFFFu);
}

}  // namespace
