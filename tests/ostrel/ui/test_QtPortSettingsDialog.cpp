#include "QtPortSettingsDialog.h"
#include "QtTestSupport.h"

#include <QComboBox>

namespace {

class QtPortSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        dcb.BaudRate = 9600;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fOutX = 1;
        dcb.fOutxDsrFlow = 1;
        dcb.fInX = 1;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    }
    DCB dcb;
};

TEST_F(QtPortSettingsDialogTest, OkChangesOnlyWhatTheUserChanged) {
    QtPortSettingsDialog dlg(nullptr, L"/dev/ttyUSB0", &dcb);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("/dev/ttyUSB0 Properties"));
    EXPECT_EQ(dlg.Combo("flow")->currentText(), QStringLiteral("Xon / Xoff"));
    dlg.Combo("baud")->setCurrentText(QStringLiteral("38400"));
    dlg.Combo("parity")->setCurrentText(QStringLiteral("Even"));
    dlg.Combo("bits")->setCurrentText(QStringLiteral("7"));
    dlg.accept();
    EXPECT_EQ(dcb.BaudRate, 38400u);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.fParity, 1u);
    EXPECT_EQ(dcb.ByteSize, 7);
    // Flow untouched: input flow and the DSR check stay as they were.
    EXPECT_EQ(dcb.fOutX, 1u);
    EXPECT_EQ(dcb.fInX, 1u);
    EXPECT_EQ(dcb.fOutxDsrFlow, 1u);
    EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_ENABLE);
}

TEST_F(QtPortSettingsDialogTest, FlowChoicesSetTheOutputFlowFlags) {
    struct Case {
        const char* text;
        DWORD cts, dsr, xon;
    };
    for (const Case& c : {Case{"Hardware", 1, 1, 0}, Case{"None", 0, 0, 0}}) {
        DCB d = dcb;
        QtPortSettingsDialog dlg(nullptr, L"COM1", &d);
        dlg.Combo("flow")->setCurrentText(QString::fromLatin1(c.text));
        dlg.accept();
        EXPECT_EQ(d.fOutxCtsFlow, c.cts) << c.text;
        EXPECT_EQ(d.fOutxDsrFlow, c.dsr) << c.text;
        EXPECT_EQ(d.fOutX, c.xon) << c.text;
        EXPECT_EQ(d.fInX, 1u) << c.text;
    }
    // Back from hardware to Xon/Xoff.
    DCB hw = dcb;
    hw.fOutX = 0;
    hw.fOutxCtsFlow = 1;
    QtPortSettingsDialog dlg(nullptr, L"COM1", &hw);
    EXPECT_EQ(dlg.Combo("flow")->currentText(), QStringLiteral("Hardware"));
    dlg.Combo("flow")->setCurrentText(QStringLiteral("Xon / Xoff"));
    dlg.accept();
    EXPECT_EQ(hw.fOutxCtsFlow, 0u);
    EXPECT_EQ(hw.fOutX, 1u);
    EXPECT_EQ(hw.fOutxDsrFlow, 1u);
}

TEST_F(QtPortSettingsDialogTest, AnUnlistedRateIsShownAndKeptAndCancelWritesNothing) {
    dcb.BaudRate = 300;
    QtPortSettingsDialog dlg(nullptr, L"COM1", &dcb);
    EXPECT_EQ(dlg.Combo("baud")->currentText(), QStringLiteral("300"));
    dlg.Combo("stop")->setCurrentText(QStringLiteral("2"));
    dlg.reject();
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    dlg.accept();
    EXPECT_EQ(dcb.BaudRate, 300u);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
}

}  // namespace
