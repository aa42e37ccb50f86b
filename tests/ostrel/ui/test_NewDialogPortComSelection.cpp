#include "NewDialogPortComSelection.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <filesystem>

namespace {

class NewDialogPortComSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        for (const char* n : {"ttyS0", "ttyS1", "ttyUSB0", "lp0"}) {
            std::filesystem::create_directories(dir.File("dev"));
            WriteText(dir.File(std::string("dev/") + n), "");
        }
        for (const char* n : {"ttyS0", "ttyS1"}) {
            std::filesystem::create_directories(dir.File(std::string("sys/class/tty/") + n));
            WriteText(dir.File(std::string("sys/class/tty/") + n + "/type"), "4");
        }
    }
    static QStringList Items(CNewDialogPortComSelection& d) {
        QStringList out;
        for (int i = 0; i < d.List()->count(); ++i) out << d.List()->item(i)->text();
        return out;
    }
    TempDir dir;
};

TEST_F(NewDialogPortComSelectionTest, ListsTheSystemPortsAndPreselectsTheCurrentOne) {
    ScopedScriptedUi ui;
    // The tools' "COM2" is the second on-board port.
    CNewDialogPortComSelection serial(nullptr, L"COM2", 1, dir.path());
    EXPECT_EQ(Items(serial), (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}));
    EXPECT_EQ(serial.List()->currentRow(), 1);
    EXPECT_TRUE(serial.SelectedEdit()->isReadOnly());

    CNewDialogPortComSelection any(nullptr, L"", 0, dir.path());
    EXPECT_EQ(Items(any).last(), QStringLiteral("/dev/lp0"));
}

TEST_F(NewDialogPortComSelectionTest, TheChosenLineBecomesThePort) {
    ScopedScriptedUi ui;
    CNewDialogPortComSelection dlg(nullptr, L"COM1", 1, dir.path());
    dlg.show();
    EXPECT_EQ(dlg.GetComPort(), L"COM1");  // untouched: what the tool gave
    const QRect r = dlg.List()->visualItemRect(dlg.List()->item(2));
    QTest::mouseClick(dlg.List()->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(dlg.SelectedEdit()->text(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(dlg.GetComPort(), L"/dev/ttyUSB0");
}

TEST_F(NewDialogPortComSelectionTest, FailedEnumerationSaysSoAndLeavesTheListEmpty) {
    ScopedScriptedUi ui;
    ui->Answer(IDOK);
    CNewDialogPortComSelection dlg(nullptr, L"COM1", 1, dir.File("missing"));
    EXPECT_EQ(dlg.List()->count(), 0);
    EXPECT_EQ(ui.Last().text, L"Impossibile determinare le porte di comunicazione configurate");
    EXPECT_EQ(ui.Last().caption, L"Errore");
}

}  // namespace
