#include "NewDialogNumeroDiSerie.h"
#include "QtTestSupport.h"
#include "QtText.h"
#include "QtUiServices.h"
#include "TestUi.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>

namespace {

class NewDialogNumeroDiSerieTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        // Two configurations of two and one commands.
        for (const wchar_t* n : {L"Italia", L"Italia", L"Export"}) {
            auto e = std::make_unique<CfgCommandEntry>();
            e->name = n;
            entries.push_back(std::move(e));
        }
    }
    static QStringList Items(QComboBox* c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
        return out;
    }
    std::vector<std::unique_ptr<CfgCommandEntry>> entries;
    const CString longCode = L"STAMPANTE TERMICA 80MM-KP300BLACKEDITION";  // 40 characters
};

TEST_F(NewDialogNumeroDiSerieTest, ListsEachConfigurationOnceAndKeepsTheLastChoice) {
    CString chosen = L"Export";
    CNewDialogNumeroDiSerie dlg(nullptr, &entries, &chosen);
    EXPECT_EQ(Items(dlg.Configurations()), (QStringList{"Italia", "Export", "Nessuna"}));
    EXPECT_EQ(dlg.Configurations()->currentText(), QStringLiteral("Export"));
    CString unknown = L"Gone";
    CNewDialogNumeroDiSerie fresh(nullptr, &entries, &unknown);
    EXPECT_EQ(fresh.Configurations()->currentText(), QStringLiteral("Nessuna"));
}

TEST_F(NewDialogNumeroDiSerieTest, RefusesAnEmptySerialNumberThenHandsBackCodeAndNumber) {
    ScopedScriptedUi ui;
    CString chosen;
    CNewDialogNumeroDiSerie dlg(nullptr, &entries, &chosen);
    dlg.SetProductCode(longCode);
    EXPECT_TRUE(dlg.SerialEdit()->text().isEmpty());
    dlg.show();
    dlg.SerialEdit()->setText("   ");
    ui->Answer(IDOK);
    QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ui.Last().text, L"Inserire il numero di serie della stampante.");
    EXPECT_EQ(ui.Last().caption, L"Inserimento numero serie");
    EXPECT_TRUE(chosen.IsEmpty());

    dlg.Configurations()->setCurrentIndex(0);
    QTest::keyClicks(dlg.SerialEdit(), QString(40, QLatin1Char('7')));
    EXPECT_EQ(dlg.SerialEdit()->text().size(), 30);
    QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(chosen, L"Italia");
    EXPECT_EQ(dlg.Get_m_strNumeroSerie(), CString(30, L'7'));
    EXPECT_EQ(dlg.Get_m_strCodiceProdotto(), longCode) << "the long product code is not cut";
}

TEST_F(NewDialogNumeroDiSerieTest, StopCollaudoClearsTheChoiceAndWritesNothing) {
    CString chosen = L"Italia";
    CNewDialogNumeroDiSerie dlg(nullptr, &entries, &chosen);
    dlg.SetProductCode(longCode);
    dlg.show();
    dlg.SerialEdit()->setText("123");
    QTest::mouseClick(dlg.findChild<QPushButton*>("stop"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(chosen.IsEmpty());
    EXPECT_TRUE(dlg.Get_m_strNumeroSerie().IsEmpty());
}

TEST_F(NewDialogNumeroDiSerieTest, TheTestRecordGetsCodeAndSerialNumberOnlyAfterOk) {
    _AnagraficaCollaudo record;
    record.strCodiceProdotto = longCode;
    record.strNumeroSerie = L"old";
    record.strNome = L"Anna";
    for (const char* button : {"stop", "ok"}) {
        CString chosen;
        CNewDialogNumeroDiSerie dlg(nullptr, &entries, &chosen);
        dlg.GetCurrentSerialNumber(record);
        EXPECT_EQ(dlg.ProductEdit()->text(), ToQString(longCode)) << button;
        EXPECT_TRUE(dlg.SerialEdit()->text().isEmpty()) << button;
        dlg.show();
        dlg.SerialEdit()->setText("SN9");
        QTest::mouseClick(dlg.findChild<QPushButton*>(button), Qt::LeftButton);
        dlg.SetNewCurrentSerialNumber(&record);
        EXPECT_EQ(record.strNumeroSerie, button == std::string("ok") ? L"SN9" : L"old");
    }
    EXPECT_EQ(record.strCodiceProdotto, longCode) << "the long product code is not cut";
    EXPECT_EQ(record.strNome, L"Anna");
}

TEST_F(NewDialogNumeroDiSerieTest, TheQtProviderAnswersThePrintersObjectsRequestWithTheDialog) {
    QtUiServices qt;
    UiServices* previous = UiServices::Install(&qt);
    SerialNumberRequest request;
    request.configurations = {L"Italia", L"Export"};
    request.configuration = L"Export";
    request.productCode = L"KP300-A1";
    request.serialNumber = L"stale";
    OnNextModal<CNewDialogNumeroDiSerie>([](CNewDialogNumeroDiSerie* d) {
        EXPECT_EQ(d->ProductEdit()->text(), QStringLiteral("KP300-A1"));
        EXPECT_TRUE(d->SerialEdit()->text().isEmpty());
        QTest::keyClicks(d->SerialEdit(), QStringLiteral("SN0042"));
        QTest::mouseClick(d->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    EXPECT_EQ(UiServices::Get().SerialNumberDialog(nullptr, request), IDOK);
    EXPECT_EQ(request.serialNumber, L"SN0042");
    EXPECT_EQ(request.configuration, L"Export");
    EXPECT_EQ(request.productCode, L"KP300-A1");

    OnNextModal<CNewDialogNumeroDiSerie>([](CNewDialogNumeroDiSerie* d) {
        QTest::mouseClick(d->findChild<QPushButton*>("stop"), Qt::LeftButton);
    });
    EXPECT_EQ(UiServices::Get().SerialNumberDialog(nullptr, request), IDCANCEL);
    EXPECT_TRUE(request.configuration.IsEmpty());
    UiServices::Install(previous);
}

}  // namespace
