#include "Conversioni.h"
#include "NewDialogMtReleaseAssetFailed.h"
#include "QtTestSupport.h"
#include "QtText.h"
#include "QtUiServices.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

class QtUiServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        m_previous = UiServices::Install(&ui);
    }
    void TearDown() override { UiServices::Install(m_previous); }

    static QAbstractButton* ButtonNamed(QMessageBox* box, const QString& text) {
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == text) return b;
        }
        return nullptr;
    }

    QtUiServices ui;
    UiServices* m_previous = nullptr;
};

TEST_F(QtUiServicesTest, BoxCarriesCaptionPlainTextIconAndButtonsOfItsStyle) {
    std::unique_ptr<QMessageBox> box(
        QtUiServices::CreateBox(nullptr, L"<b>Save</b>\nchanges?", L"Glyphos", MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Glyphos"));
    EXPECT_EQ(box->text(), QStringLiteral("<b>Save</b>\nchanges?"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);  // markup in a file name must show as typed
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));

    std::unique_ptr<QMessageBox> stop(QtUiServices::CreateBox(nullptr, L"x", L"Error", MB_ICONSTOP));
    EXPECT_EQ(stop->icon(), QMessageBox::Critical);
    EXPECT_EQ(stop->standardButtons(), QMessageBox::Ok);
    std::unique_ptr<QMessageBox> warn(
        QtUiServices::CreateBox(nullptr, L"x", L"Warning", MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2));
    EXPECT_EQ(warn->icon(), QMessageBox::Warning);
    EXPECT_EQ(warn->defaultButton(), warn->button(QMessageBox::Cancel));
    std::unique_ptr<QMessageBox> info(
        QtUiServices::CreateBox(nullptr, L"x", L"", MB_ABORTRETRYIGNORE | MB_ICONINFORMATION));
    EXPECT_EQ(info->icon(), QMessageBox::Information);
    EXPECT_EQ(info->standardButtons(), QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    std::unique_ptr<QMessageBox> retry(QtUiServices::CreateBox(nullptr, L"x", L"", MB_RETRYCANCEL));
    EXPECT_EQ(retry->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(retry->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
}

TEST_F(QtUiServicesTest, ShownBoxAnswersTheButtonThePersonPresses) {
    OnNextModal<QMessageBox>([](QMessageBox* box) { QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton); });
    EXPECT_EQ(MessageBox(nullptr, L"Save changes?", L"Glyphos", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);

    OnNextModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(MessageBox(nullptr, L"Go on?", L"Glyphos", MB_OKCANCEL), IDCANCEL);

    OnNextModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(MessageBox(nullptr, L"Try again?", L"Glyphos", MB_RETRYCANCEL), IDRETRY);

    OnNextModal<QMessageBox>([](QMessageBox* box) { QTest::mouseClick(ButtonNamed(box, "&Ignore"), Qt::LeftButton); });
    EXPECT_EQ(MessageBox(nullptr, L"Line busy", L"COM", MB_ABORTRETRYIGNORE), IDIGNORE);
}

TEST_F(QtUiServicesTest, AssertionDialogShowsWhereTheCheckFailedAndReportsTheButton) {
    OnNextModal<CNewDialogMtReleaseAssetFailed>([](CNewDialogMtReleaseAssetFailed* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Error"));
        QStringList labels;
        for (QLabel* l : dlg->findChildren<QLabel*>()) labels << l->text();
        EXPECT_TRUE(labels.contains("Runtime release assertion failed at:"));
        EXPECT_TRUE(labels.contains("The program could not be property running!"));
        EXPECT_EQ(dlg->CheckField()->text(), QStringLiteral("2) LoaderData()"));
        EXPECT_EQ(dlg->ClassField()->text(), QStringLiteral("CHeaderPrnPsw"));
        EXPECT_EQ(dlg->SourceField()->text(), QStringLiteral("HeaderPrnPsw"));
        EXPECT_TRUE(dlg->CheckField()->isReadOnly());
        EXPECT_TRUE(dlg->ClassField()->isReadOnly());
        EXPECT_TRUE(dlg->SourceField()->isReadOnly());
        QPushButton* cancel = nullptr;
        for (QPushButton* b : dlg->findChildren<QPushButton*>()) {
            if (b->text() == "Cancel") cancel = b;
        }
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_EQ(ui.AssertionDialog(L"2) LoaderData()", L"CHeaderPrnPsw", L"HeaderPrnPsw"), IDCANCEL);

    // MYThrow throws whichever button closes the dialog.
    OnNextModal<CNewDialogMtReleaseAssetFailed>(
        [](CNewDialogMtReleaseAssetFailed* dlg) { QTest::keyClick(dlg, Qt::Key_Return); });
    CConversioni conv;
    EXPECT_THROW(conv.MYThrow(0, L"1) Init()", L"CHeaderPsw", L"HeaderPsw"), int);
}

TEST_F(QtUiServicesTest, BoxAskedFromAWorkerThreadRunsOnTheGuiThread) {
    QThread* boxThread = nullptr;
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        boxThread = box->thread();
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    });
    std::atomic<int> answer{0};
    QEventLoop loop;
    std::thread worker([&] {
        answer = MessageBox(nullptr, L"Upload?", L"Printer", MB_YESNO);
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    EXPECT_EQ(answer.load(), IDYES);
    EXPECT_EQ(boxThread, QCoreApplication::instance()->thread());
}

}  // namespace
