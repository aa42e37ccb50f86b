#include "NewDialogOpzioniGeneriche.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CNewDialogOpzioniGeneriche::CNewDialogOpzioniGeneriche(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Opzioni Programma"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    const std::pair<const char*, QString> checks[3] = {
        {"debugMode", QStringLiteral("Debug Mode on/off")},
        {"checkDtr", QStringLiteral("Verifica segnale DTR Si/No")},
        {"deleteLog", QStringLiteral("Cancellazione file di log programma.")}};
    for (const auto& [name, text] : checks) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(QString::fromLatin1(name));
        layout->addWidget(c);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Numero beep test cassetto:"), NewEdit(this, "beeps"));
    form->addRow(QStringLiteral("Numero tagli parzili cutter:"), NewEdit(this, "cuts"));
    // The first limit is the head's reference temperature, fixed by the
    // firmware; the other three are the tool's tolerances.
    form->addRow(QStringLiteral("Temperatura testina, limite 1:"), NewEdit(this, "temp1", true));
    form->addRow(QStringLiteral("Temperatura testina, limite 2:"), NewEdit(this, "temp2"));
    form->addRow(QStringLiteral("Temperatura testina, limite 3:"), NewEdit(this, "temp3"));
    form->addRow(QStringLiteral("Temperatura testina, limite 4:"), NewEdit(this, "temp4"));
    form->addRow(QStringLiteral("Numero massimo righe test temp. testina:"), NewEdit(this, "maxRows"));
    form->addRow(QStringLiteral("Modello stampante"), NewEdit(this, "model", true));
    layout->addLayout(form);
    AddOkCancel(this, layout);
    GetCurrentOptions(_OpzioniApp{});
}

QCheckBox* CNewDialogOpzioniGeneriche::Check(const char* name) const {
    return findChild<QCheckBox*>(QString::fromLatin1(name));
}

QLineEdit* CNewDialogOpzioniGeneriche::Field(const char* name) const {
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}

void CNewDialogOpzioniGeneriche::GetCurrentOptions(const _OpzioniApp& o) {
    m_new = o;
    Check("checkDtr")->setChecked(o.fCheckDsr != 0);
    SetIntText(Field("beeps"), o.iNumBeepDrawer);
    SetIntText(Field("cuts"), o.iNumPartialCuts);
    SetFloatText(Field("temp1"), o.fTempLim1);
    SetFloatText(Field("temp2"), o.fTempLim2);
    SetFloatText(Field("temp3"), o.fTempLim3);
    SetFloatText(Field("temp4"), o.fTempLim4);
    SetIntText(Field("maxRows"), o.iNumMaxRowTemp);
    Field("model")->setText(ToQString(o.strModelPrinter));
}

BOOL CNewDialogOpzioniGeneriche::Get_m_fDebugMode() const { return Check("debugMode")->isChecked() ? TRUE : FALSE; }
void CNewDialogOpzioniGeneriche::Set_m_fDebugMode(BOOL on) { Check("debugMode")->setChecked(on != 0); }
BOOL CNewDialogOpzioniGeneriche::Get_m_fCancellaLog() const { return Check("deleteLog")->isChecked() ? TRUE : FALSE; }
void CNewDialogOpzioniGeneriche::Set_m_fCancellaLog(BOOL on) { Check("deleteLog")->setChecked(on != 0); }

void CNewDialogOpzioniGeneriche::accept() {
    long long beeps = 0, cuts = 0, rows = 0;
    float temp = 0;
    if (!ReadIntInRange(Field("beeps"), 3, 15, beeps)) return;
    if (!ReadIntInRange(Field("cuts"), 3, 15, cuts)) return;
    for (const char* t : {"temp2", "temp3", "temp4"}) {
        if (!ReadFloat(Field(t), temp)) return;
    }
    if (!ReadIntInRange(Field("maxRows"), 0, 300, rows)) return;
    m_new.fCheckDsr = Check("checkDtr")->isChecked() ? TRUE : FALSE;
    m_new.iNumBeepDrawer = static_cast<int>(beeps);
    m_new.iNumPartialCuts = static_cast<int>(cuts);
    m_new.iNumMaxRowTemp = static_cast<int>(rows);
    QDialog::accept();
}

void CNewDialogOpzioniGeneriche::SetNewOptions(_OpzioniApp* options) const {
    if (!options || result() != QDialog::Accepted) return;
    options->fCheckDsr = m_new.fCheckDsr;
    options->iNumBeepDrawer = m_new.iNumBeepDrawer;
    options->iNumPartialCuts = m_new.iNumPartialCuts;
    options->iNumMaxRowTemp = m_new.iNumMaxRowTemp;
}
