#include "DBCollaudatori.h"
#include "DialogRegistraCollaudatore.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(DialogRegistraCollaudatoreTest, AddsTestersOneAfterAnotherAndEnablesOkAfterTheFirst) {
    EnsureQApp();
    ScopedScriptedUi ui;
    TempDir dir;
    CDBCollaudatori db(CString::FromUtf8(dir.File("t.dat")));
    CDialogRegistraCollaudatore dlg(nullptr, &db);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Registra Collaudatore"));
    EXPECT_EQ(dlg.findChild<QGroupBox*>()->title(), QStringLiteral("Anagrafica collaudatore"));
    EXPECT_EQ(dlg.PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dlg.OkButton()->isEnabled());

    QTest::keyClicks(dlg.NomeEdit(), QStringLiteral("Anna"));
    QTest::keyClicks(dlg.CognomeEdit(), QStringLiteral("Rossi"));
    ui->Answer(IDOK);
    QTest::mouseClick(dlg.AggiungiButton(), Qt::LeftButton);
    EXPECT_EQ(ui.Last().text, L"Do no insert a empty field!");
    EXPECT_FALSE(dlg.OkButton()->isEnabled());

    QTest::keyClicks(dlg.PasswordEdit(), QStringLiteral("pw"));
    ui->Answer(IDOK);
    QTest::mouseClick(dlg.AggiungiButton(), Qt::LeftButton);
    EXPECT_EQ(ui.Last().text, L"Operation succesfully completed!");
    EXPECT_TRUE(dlg.OkButton()->isEnabled());
    // The fields stay for the next tester; the same password is refused.
    EXPECT_EQ(dlg.NomeEdit()->text(), QStringLiteral("Anna"));
    ui->Answer(IDOK);
    QTest::mouseClick(dlg.AggiungiButton(), Qt::LeftButton);
    EXPECT_EQ(ui.Last().text, L"Password already in use");

    ASSERT_EQ(db.Get_m_uiNumTesters(), 1u);
    EXPECT_EQ(db.GetTester(0).strCognome, L"Rossi");
    EXPECT_EQ(db.GetTester(0).strPassword, L"pw");
}

}  // namespace
