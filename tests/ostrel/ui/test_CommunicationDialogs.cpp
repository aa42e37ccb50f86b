// The smaller dialogs of the printer side, and a picture of every dialog
// (in <build>/screenshots) to look at.
#include "NewDialogCheckDefaultPrnSetup.h"
#include "NewDialogDebugWnd.h"
#include "NewDialogEseguireAzione.h"
#include "NewDialogInPassword.h"
#include "NewDialogOpzioniGeneriche.h"
#include "NewDialogPortComSelection.h"
#include "NewDialogProgressLoadSaveToFile.h"
#include "NewDialogSelectUpgradeFile.h"
#include "NewDialogSetComPort.h"
#include "NewDialogSystemTimeout.h"
#include "NewDialogTimeout.h"
#include "NewDialogTimeoutDataByte.h"
#include "ProgressAnimation.h"
#include "QtPortSettingsDialog.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class CommunicationDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQApp(); }
    static QPushButton* Button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(QString::fromLatin1(name));
    }
};

TEST_F(CommunicationDialogsTest, SetComPortOffersTheTwoSerialPortsOnly) {
    CNewDialogSetComPort dlg(nullptr, L"com2");
    EXPECT_TRUE(dlg.Radio(1)->isChecked());
    EXPECT_FALSE(dlg.Radio(2)->isEnabled());
    EXPECT_EQ(dlg.GetComPort(), L"COM2");
    dlg.Radio(0)->click();
    EXPECT_EQ(dlg.GetComPort(), L"COM1");
    CNewDialogSetComPort unknown(nullptr, L"LPT1");
    EXPECT_EQ(unknown.GetComPort(), L"COM1");
}

TEST_F(CommunicationDialogsTest, DefaultSetupReminderKeepsItsCheckBoxInTheCallersInt) {
    int show = 1;
    CNewDialogCheckDefaultPrnSetup dlg(nullptr, &show);
    dlg.show();
    EXPECT_TRUE(dlg.CheckBox()->isChecked());
    dlg.CheckBox()->click();
    dlg.reject();
    EXPECT_EQ(show, 1) << "Cancel leaves the int alone";
    dlg.accept();
    EXPECT_EQ(show, 0);

    dlg.HiddenCheckBox(1);
    EXPECT_FALSE(dlg.CheckBox()->isVisible());
}

TEST_F(CommunicationDialogsTest, UpgradeFileComesFromTheEditOrTheFileChooser) {
    CNewDialogSelectUpgradeFile dlg(nullptr, L"/srv/fw/old.psw");
    QString filterSeen;
    QString answer = QStringLiteral("/srv/fw/new");
    dlg.SetFileChooser([&](QWidget*, const QString&, const QString& start, const QString& filter) {
        filterSeen = filter;
        EXPECT_EQ(start, QStringLiteral("/srv/fw"));
        return answer;
    });
    QTest::mouseClick(Button(&dlg, "cambia"), Qt::LeftButton);
    EXPECT_EQ(filterSeen, QStringLiteral("Kalvo Printers Upgrade Files (*.psw);;All Files (*)"));
    EXPECT_EQ(dlg.FileEdit()->text(), QStringLiteral("/srv/fw/new.psw"));
    EXPECT_EQ(dlg.Get_m_strNomeFileUpgrade(), L"/srv/fw/old.psw") << "not before OK";

    answer.clear();  // the chooser was cancelled
    QTest::mouseClick(Button(&dlg, "cambia"), Qt::LeftButton);
    EXPECT_EQ(dlg.FileEdit()->text(), QStringLiteral("/srv/fw/new.psw"));
    dlg.accept();
    EXPECT_EQ(dlg.Get_m_strNomeFileUpgrade(), L"/srv/fw/new.psw");
}

TEST_F(CommunicationDialogsTest, PasswordIsMaskedAndReturnedAsTyped) {
    CNewDialogInPassword dlg(nullptr);
    dlg.show();
    QTest::keyClicks(dlg.PasswordEdit(), QStringLiteral("s3gr3t0 "));
    EXPECT_EQ(dlg.PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.Get_m_strPassword(), L"s3gr3t0 ");
}

TEST_F(CommunicationDialogsTest, FileProgressStopsAtItsEnd) {
    CNewDialogProgressLoadSaveToFile dlg(nullptr, L"Lettura file...", 10, 4);
    for (int i = 0; i < 3; ++i) dlg.NewStep();
    EXPECT_EQ(dlg.Bar()->value(), 10);
    dlg.InitObject(L"Scrittura file...", 0, 1);
    EXPECT_EQ(dlg.Bar()->value(), dlg.Bar()->maximum()) << "nothing to do is done";
    EXPECT_EQ(dlg.Text()->text(), QStringLiteral("Scrittura file..."));
}

TEST_F(CommunicationDialogsTest, DebugWindowAsksBeforeClosingAndKeepsItsLinesBounded) {
    ScopedScriptedUi ui;
    CNewDialogDebugWnd dlg(nullptr);
    dlg.InitDebugDialog(L"Debug KP-300");
    dlg.SetMaxLines(40);
    dlg.show();
    for (int i = 0; i < 45; ++i) dlg.InsertDebugString(CString::Format(L"line %d", i));
    EXPECT_EQ(dlg.List()->count(), 40);
    EXPECT_EQ(dlg.List()->item(0)->text(), QStringLiteral("line 5"));

    ui->Answer(IDNO);
    QTest::mouseClick(Button(&dlg, "cancel"), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ui.Last().text, L"Vuoi chiudere la finestra di Debug ?");
    EXPECT_EQ(ui.Last().caption, L"Fine di Debug Dialog..");
    ui->Answer(IDNO);
    dlg.close();
    EXPECT_TRUE(dlg.isVisible()) << "the close box asks too";
    ui->Answer(IDYES);
    dlg.close();
    EXPECT_FALSE(dlg.isVisible());
    dlg.ClearAllString();
    EXPECT_EQ(dlg.List()->count(), 0);
}

TEST_F(CommunicationDialogsTest, OperatorPromptReportsAnnullaTestOnce) {
    CNewDialogEseguireAzione dlg(nullptr, L"Aprire il coperchio\ne premere il tasto FEED.");
    EXPECT_TRUE(dlg.TextBox()->isReadOnly());
    int emitted = 0;
    QObject::connect(&dlg, &CNewDialogEseguireAzione::annullaTest, [&] { ++emitted; });
    dlg.show();
    QTest::mouseClick(Button(&dlg, "annulla"), Qt::LeftButton);
    dlg.reject();
    EXPECT_EQ(dlg.Get_m_fAnnullaTest(), TRUE);
    EXPECT_EQ(emitted, 1);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(CommunicationDialogsTest, AnimationLoopsThroughItsFramesWhilePlaying) {
    ProgressAnimation anim;
    anim.resize(anim.sizeHint());
    const QImage first = anim.grab().toImage();
    anim.Play();
    anim.Play();
    EXPECT_TRUE(anim.IsPlaying());
    for (int i = 0; i < ProgressAnimation::kFrames / 2; ++i) anim.Advance();
    EXPECT_NE(anim.grab().toImage(), first) << "the picture moves";
    for (int i = 0; i < ProgressAnimation::kFrames / 2; ++i) anim.Advance();
    EXPECT_EQ(anim.Frame(), 0);
    anim.Stop();
    EXPECT_FALSE(anim.IsPlaying());
}

// Not a check: pictures of every dialog, filled as a tool would fill them.
TEST_F(CommunicationDialogsTest, Screenshots) {
    ScopedScriptedUi ui;
    const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    auto shoot = [&](QWidget& w, const char* name) {
        w.show();
        QApplication::processEvents();
        EXPECT_TRUE(w.grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
        w.hide();
    };
    CNewDialogSetComPort setCom(nullptr, L"COM1");
    shoot(setCom, "NewDialogSetComPort");
    TempDir root;
    QDir().mkpath(QString::fromStdString(root.File("dev/serial/by-id")));
    for (const char* n : {"dev/ttyUSB0", "dev/ttyACM0", "dev/serial/by-id/usb-Kalvo_KP-300_0042-if00"})
        WriteText(root.File(n), "");
    CNewDialogPortComSelection ports(nullptr, L"/dev/ttyUSB0", 1, root.path());
    shoot(ports, "NewDialogPortComSelection");
    CNewDialogSystemTimeout sys(nullptr);
    const COMMTIMEOUTS t{0, 0, 0, 0, 0};
    sys.GetCurrentSettings(t, &t);
    shoot(sys, "NewDialogSystemTimeout");
    CNewDialogTimeout view(nullptr);
    view.GetCurrentSettings({15, 30}, t);
    shoot(view, "NewDialogTimeout");
    CNewDialogTimeoutDataByte data(nullptr);
    const _IntRW rw{15, 30};
    const _CalcoloTimeout ct{200, 50, 200, 5, 300};
    data.GetCurrentSettings(rw, &rw, ct, &ct, L"/dev/ttyUSB0");
    shoot(data, "NewDialogTimeoutDataByte");
    CNewDialogOpzioniGeneriche opt(nullptr);
    _OpzioniApp o;
    o.strModelPrinter = L"KP-300";
    opt.GetCurrentOptions(o);
    shoot(opt, "NewDialogOpzioniGeneriche");
    int showAlways = 1;
    CNewDialogCheckDefaultPrnSetup check(nullptr, &showAlways);
    shoot(check, "NewDialogCheckDefaultPrnSetup");
    CNewDialogSelectUpgradeFile upgrade(nullptr, L"/srv/fw/KP300_v2_14.psw");
    shoot(upgrade, "NewDialogSelectUpgradeFile");
    CNewDialogInPassword password(nullptr);
    password.PasswordEdit()->setText(QStringLiteral("secret"));
    shoot(password, "NewDialogInPassword");
    CNewDialogProgressLoadSaveToFile progress(nullptr, L"Caricamento file in corso...", 10, 3);
    progress.NewStep();
    shoot(progress, "NewDialogProgressLoadSaveToFile");
    CNewDialogDebugWnd debug(nullptr);
    debug.SetPortName(L"/dev/ttyUSB0");
    for (const wchar_t* line : {L"Invio comando: 1B 76", L"Ricevuti 1 bytes: 20", L"Stampante pronta"})
        debug.InsertDebugString(line);
    shoot(debug, "NewDialogDebugWnd");
    DCB dcb;
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.fOutX = 1;
    QtPortSettingsDialog line(nullptr, L"/dev/ttyUSB0", &dcb);
    shoot(line, "QtPortSettingsDialog");
    CNewDialogEseguireAzione prompt(nullptr, L"Aprire il coperchio della stampante.");
    shoot(prompt, "NewDialogEseguireAzione");
}

}  // namespace
