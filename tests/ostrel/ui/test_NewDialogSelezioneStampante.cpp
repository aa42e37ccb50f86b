#include "NewDialogSelezioneStampante.h"
#include "QtTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class NewDialogSelezioneStampanteTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        for (const auto& [name, path] : {std::pair{L"KP300", L"/opt/cfg/kp300.cfg"}, {L"KP80", L"/opt/cfg/kp80.cfg"}}) {
            auto e = std::make_unique<CfgFileEntry>();
            e->name = name;
            e->path = path;
            models.push_back(std::move(e));
        }
        models.insert(models.begin() + 1, nullptr);  // a hole in the array is skipped
    }
    std::vector<std::unique_ptr<CfgFileEntry>> models;
    CString cfgFile = L"stale.cfg";
    CString model = L"KP80";
    int selected = -1;
};

TEST_F(NewDialogSelezioneStampanteTest, OkHandsBackTheShownModelAndItsFile) {
    CNewDialogSelezioneStampante dlg(nullptr, &models, &cfgFile, &model, &selected);
    ASSERT_EQ(dlg.Models()->count(), 2);
    EXPECT_EQ(dlg.Models()->currentText(), QStringLiteral("KP80")) << "the caller's model is selected";
    EXPECT_EQ(dlg.CfgFileEdit()->text(), QStringLiteral("/opt/cfg/kp80.cfg"));
    EXPECT_TRUE(dlg.CfgFileEdit()->isReadOnly());
    EXPECT_FALSE(dlg.Getm_fDialogAttiva());
    dlg.show();
    EXPECT_TRUE(dlg.Getm_fDialogAttiva());
    dlg.Models()->setCurrentIndex(0);
    EXPECT_EQ(dlg.CfgFileEdit()->text(), QStringLiteral("/opt/cfg/kp300.cfg"));
    QDir().mkpath(QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots"));
    dlg.grab().save(QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots/NewDialogSelezioneStampante.png"));
    QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_FALSE(dlg.Getm_fDialogAttiva());
    EXPECT_EQ(cfgFile, L"/opt/cfg/kp300.cfg");
    EXPECT_EQ(model, L"KP300");
    EXPECT_EQ(selected, 1);
}

TEST_F(NewDialogSelezioneStampanteTest, CancelOrNoModelAtAllLeavesNoChoice) {
    {
        CNewDialogSelezioneStampante dlg(nullptr, &models, &cfgFile, &model, &selected);
        dlg.show();
        QTest::mouseClick(dlg.findChild<QPushButton*>("cancel"), Qt::LeftButton);
        EXPECT_TRUE(cfgFile.IsEmpty());
        EXPECT_TRUE(model.IsEmpty());
        EXPECT_EQ(selected, 0);
    }
    const std::vector<std::unique_ptr<CfgFileEntry>> none;
    selected = -1;
    CNewDialogSelezioneStampante dlg(nullptr, &none, &cfgFile, &model, &selected);
    EXPECT_TRUE(dlg.CfgFileEdit()->text().isEmpty());
    EXPECT_FALSE(dlg.findChild<QPushButton*>("ok")->isEnabled());
    dlg.accept();  // as the Enter key would
    EXPECT_EQ(selected, -1) << "no choice is reported as made";
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

}  // namespace
