#include "NewDialogStatoAvanProcesso.h"
#include "ProgressAnimation.h"
#include "QtTestSupport.h"

#include <QLabel>
#include <QProgressBar>

namespace {

class NewDialogStatoAvanProcessoTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        ctrl.strTitle = L"Test controllo di flusso";
        ctrl.strText1 = L"Attendere prego ...";
        ctrl.iMin = 0;
        ctrl.iMax = 30;
        ctrl.iStep = 10;
    }
    static PostedMessage Msg(UINT m) { return {m, 0, 0}; }
    static constexpr UINT WM_PROGRESS_START = 0x0982, WM_PROGRESS_STEP = 0x098C, WM_PROGRESS_END = 0x0996;
    _ProgressBarCtrl ctrl;
};

TEST_F(NewDialogStatoAvanProcessoTest, PostedMessagesOpenAdvanceAndCloseItAtTheEndOfTheRange) {
    CNewDialogStatoAvanProcesso dlg(nullptr);
    EXPECT_TRUE(dlg.OnProgressMessage(Msg(WM_PROGRESS_START), &ctrl));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Test controllo di flusso"));
    EXPECT_EQ(dlg.Text(0)->text(), QStringLiteral("Attendere prego ..."));
    EXPECT_TRUE(dlg.Animation()->IsPlaying());

    dlg.OnProgressMessage(Msg(WM_PROGRESS_STEP), &ctrl);
    dlg.OnProgressMessage(Msg(WM_PROGRESS_STEP), &ctrl);
    EXPECT_EQ(dlg.Bar()->value(), 20);
    EXPECT_TRUE(dlg.isVisible());
    dlg.OnProgressMessage(Msg(WM_PROGRESS_STEP), &ctrl);
    EXPECT_FALSE(dlg.isVisible()) << "closes itself at iMax";
    EXPECT_FALSE(dlg.Animation()->IsPlaying());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    // The end message that follows, and stray steps, change nothing.
    EXPECT_TRUE(dlg.OnProgressMessage(Msg(WM_PROGRESS_STEP), &ctrl));
    EXPECT_TRUE(dlg.OnProgressMessage(Msg(WM_PROGRESS_END), &ctrl));
    EXPECT_EQ(dlg.Bar()->value(), 30);
    EXPECT_FALSE(dlg.OnProgressMessage(Msg(0x09BE), &ctrl));
}

TEST_F(NewDialogStatoAvanProcessoTest, AnInterruptedTransferClosesOnItsEndMessage) {
    CNewDialogStatoAvanProcesso dlg(nullptr);
    dlg.OnProgressMessage(Msg(WM_PROGRESS_START), &ctrl);
    dlg.OnProgressMessage(Msg(WM_PROGRESS_STEP), &ctrl);
    dlg.OnProgressMessage(Msg(WM_PROGRESS_END), &ctrl);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.Bar()->value(), 10);

    // A second transfer starts over from the description.
    ctrl.iMax = 5;
    ctrl.iStep = 4;
    dlg.OnProgressMessage(Msg(WM_PROGRESS_START), &ctrl);
    EXPECT_EQ(dlg.Bar()->value(), 0);
    dlg.NewStep(L"Copia 2", L"");
    EXPECT_EQ(dlg.Text(0)->text(), QStringLiteral("Copia 2"));
    dlg.NewStep();
    EXPECT_EQ(dlg.Bar()->value(), 5) << "the last step stops at iMax";
    EXPECT_FALSE(dlg.isVisible());
}

}  // namespace
