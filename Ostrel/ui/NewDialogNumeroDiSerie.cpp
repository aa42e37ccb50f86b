#include "NewDialogNumeroDiSerie.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"
#include "UiServices.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

std::vector<CString> UniqueNames(const std::vector<std::unique_ptr<CfgCommandEntry>>* entries) {
    std::vector<CString> names;
    if (!entries) return names;
    for (const auto& e : *entries) {
        if (e && std::find(names.begin(), names.end(), e->name) == names.end()) names.push_back(e->name);
    }
    return names;
}

}  // namespace

CNewDialogNumeroDiSerie::CNewDialogNumeroDiSerie(QWidget* parent,
                                                 const std::vector<std::unique_ptr<CfgCommandEntry>>* defConfigs,
                                                 CString* pConfigName)
    : QDialog(parent), m_pConfigName(pConfigName) {
    Build(UniqueNames(defConfigs));
}

CNewDialogNumeroDiSerie::CNewDialogNumeroDiSerie(QWidget* parent, const std::vector<CString>& configNames,
                                                 CString* pConfigName)
    : QDialog(parent), m_pConfigName(pConfigName) {
    Build(configNames);
}

void CNewDialogNumeroDiSerie::Build(const std::vector<CString>& names) {
    setWindowTitle(QStringLiteral("Numero di serie e configurazione di defaul"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    // The product code is type, "-" and model code and may be longer than
    // the thirty characters the serial number gets; it is shown whole and
    // handed back as it was loaded, never cut to the field.
    m_product = NewEdit(this, "product", true);
    m_serial = NewEdit(this, "serial", false, 30);
    m_configs = new QComboBox(this);
    m_configs->setObjectName(QStringLiteral("configurations"));
    for (const CString& n : names) m_configs->addItem(ToQString(n));
    m_configs->addItem(QString::fromWCharArray(NoConfiguration()));
    form->addRow(QStringLiteral("Codice prodotto"), m_product);
    form->addRow(QStringLiteral("Numero di serie"), m_serial);
    form->addRow(QStringLiteral("Configurazione ..."), m_configs);
    layout->addLayout(form);

    auto* group = new QGroupBox(QStringLiteral("Interrompe collaudo"), this);
    auto* groupLayout = new QHBoxLayout(group);
    auto* stop = NewButton(group, "stop", QStringLiteral("Stop Collaudo"));
    groupLayout->addWidget(stop);
    groupLayout->addStretch(1);
    layout->addWidget(group);
    AddOkCancel(this, layout, false);
    setMinimumWidth(380);

    // The configuration chosen last time stays chosen; otherwise none, so
    // that a printer is never configured by an OK pressed in haste.
    const int current = m_pConfigName ? m_configs->findText(ToQString(*m_pConfigName)) : -1;
    m_configs->setCurrentIndex(current >= 0 ? current : m_configs->count() - 1);
    connect(stop, &QPushButton::clicked, this, [this] { OnStopCollaudo(); });
    m_serial->setFocus();
}

void CNewDialogNumeroDiSerie::GetCurrentSerialNumber(const _AnagraficaCollaudo& record) {
    SetProductCode(record.strCodiceProdotto);
}

void CNewDialogNumeroDiSerie::SetProductCode(const CString& code) {
    m_strCodiceProdotto = code;
    m_product->setText(ToQString(code));
    m_product->setCursorPosition(0);
    m_serial->clear();
    m_strNumeroSerie.Empty();
}

void CNewDialogNumeroDiSerie::accept() {
    const QString serial = m_serial->text().trimmed();
    if (serial.isEmpty()) {
        RefuseField(m_serial, L"Inserire il numero di serie della stampante.", L"Inserimento numero serie");
        return;
    }
    m_strNumeroSerie = FromQString(serial);
    if (m_pConfigName) *m_pConfigName = FromQString(m_configs->currentText());
    QDialog::accept();
}

void CNewDialogNumeroDiSerie::OnStopCollaudo() {
    if (m_pConfigName) m_pConfigName->Empty();
    QDialog::reject();
}

void CNewDialogNumeroDiSerie::SetNewCurrentSerialNumber(_AnagraficaCollaudo* record) const {
    if (!record || result() != QDialog::Accepted) return;
    record->strCodiceProdotto = m_strCodiceProdotto;
    record->strNumeroSerie = m_strNumeroSerie;
}
