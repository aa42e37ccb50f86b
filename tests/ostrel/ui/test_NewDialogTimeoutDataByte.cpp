#include "NewDialogTimeoutDataByte.h"
#include "QtTestSupport.h"
#include "QtText.h"
#include "TestUi.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class NewDialogTimeoutDataByteTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        defCT = {200, 50, 200, 5, 300};
        curCT = {400, 60, 250, 7, 300};
    }
    void Load(CNewDialogTimeoutDataByte& d) { d.GetCurrentSettings(defRW, &curRW, defCT, &curCT, port); }
    static QStringList Shown(const CNewDialogTimeoutDataByte& d) {
        QStringList v;
        for (int i = 0; i < 6; ++i) v << d.Field(i)->text();
        return v;
    }

    _IntRW defRW{15, 30};
    _IntRW curRW{20, 40};
    _CalcoloTimeout defCT, curCT;
    CString port = L"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A600abcd-if00-port0";
};

TEST_F(NewDialogTimeoutDataByteTest, ShowsTheCurrentValuesAndTheWholePortName) {
    CNewDialogTimeoutDataByte dlg(nullptr);
    Load(dlg);
    // read interval, write interval, read mult., read const., write mult., write const.
    EXPECT_EQ(Shown(dlg), (QStringList{"20", "40", "7", "250", "60", "400"}));
    EXPECT_TRUE(dlg.Field(0)->isReadOnly());
    EXPECT_EQ(dlg.Field(6)->text(), ToQString(port));
    dlg.show();
    EXPECT_GE(dlg.Field(6)->width(), dlg.Field(6)->fontMetrics().horizontalAdvance(ToQString(port)));
}

// The read interval is shown, not edited: a value beyond what the other
// fields take must not make OK impossible, and it goes back unchanged.
TEST_F(NewDialogTimeoutDataByteTest, TheReadOnlyReadIntervalIsNotRangeChecked) {
    ScopedScriptedUi ui;
    curRW = {40000, 40};
    CNewDialogTimeoutDataByte dlg(nullptr);
    Load(dlg);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    _IntRW rw;
    _CalcoloTimeout ct = curCT;
    dlg.SetNewSettings(&rw, &ct);
    EXPECT_EQ(rw.iReadInterval, 40000);
    EXPECT_EQ(ui->Count(), 0u);
}

TEST_F(NewDialogTimeoutDataByteTest, DefaulAndRipristinaBringBackTheirValues) {
    CNewDialogTimeoutDataByte dlg(nullptr);
    Load(dlg);
    dlg.Field(1)->setText("1");
    dlg.Field(5)->setText("2");
    QTest::mouseClick(dlg.Button("defaul"), Qt::LeftButton);
    EXPECT_EQ(Shown(dlg), (QStringList{"15", "30", "5", "200", "50", "200"}));
    QTest::mouseClick(dlg.Button("ripristina"), Qt::LeftButton);
    EXPECT_EQ(Shown(dlg), (QStringList{"20", "40", "7", "250", "60", "400"}));
}

TEST_F(NewDialogTimeoutDataByteTest, RefusesValuesOutsideEachFieldsRange) {
    struct Case {
        int field;
        const char* text;
        const wchar_t* message;
    };
    const wchar_t* const interval = L"Please enter an integer between 0 and 32000.";
    const wchar_t* const factor = L"Please enter an integer between 1 and 32000.";
    for (const Case& c : {Case{1, "-1", interval}, Case{1, "32001", interval}, Case{2, "0", factor},
                          Case{3, "0", factor}, Case{4, "32001", factor}, Case{5, "x", factor}}) {
        ScopedScriptedUi ui;
        CNewDialogTimeoutDataByte dlg(nullptr);
        Load(dlg);
        dlg.show();
        dlg.Field(c.field)->setText(QString::fromLatin1(c.text));
        ui->Answer(IDOK);
        QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible()) << c.field << " " << c.text;
        EXPECT_EQ(ui.Last().text, c.message) << c.field << " " << c.text;
        EXPECT_TRUE(dlg.Field(c.field)->hasFocus() || !QApplication::focusWidget());
    }
}

TEST_F(NewDialogTimeoutDataByteTest, OkWritesTheSixValuesButNotTheComputedWriteByteTimeout) {
    CNewDialogTimeoutDataByte dlg(nullptr);
    Load(dlg);
    dlg.Field(1)->setText("0");
    dlg.Field(2)->setText("1");
    dlg.Field(5)->setText("32000");
    _IntRW rw;
    _CalcoloTimeout ct = curCT;
    dlg.SetNewSettings(&rw, &ct);
    EXPECT_EQ(rw.iWriteInterval, 0) << "nothing before OK";
    EXPECT_EQ(ct.dwReadMultiplier, 7u);

    dlg.accept();
    dlg.SetNewSettings(&rw, &ct);
    EXPECT_EQ(rw.iReadInterval, 20);
    EXPECT_EQ(rw.iWriteInterval, 0);
    EXPECT_EQ(ct.dwReadMultiplier, 1u);
    EXPECT_EQ(ct.dwReadConstant, 250u);
    EXPECT_EQ(ct.dwWriteMultiplier, 60u);
    EXPECT_EQ(ct.dwWriteConstant, 32000u);
    EXPECT_EQ(ct.dwWriteByteTimeout, 300u);
}

}  // namespace
