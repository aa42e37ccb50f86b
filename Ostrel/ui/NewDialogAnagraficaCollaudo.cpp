#include "NewDialogAnagraficaCollaudo.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"
#include "UiServices.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// Upper-case fields turn what is typed to capitals as it is typed.
void MakeUpperCase(QLineEdit* e) {
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        const QString upper = t.toUpper();
        if (upper != t) {
            const int pos = e->cursorPosition();
            e->setText(upper);
            e->setCursorPosition(pos);
        }
    });
}

}  // namespace

CNewDialogAnagraficaCollaudo::CNewDialogAnagraficaCollaudo(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Anagrafica collaudo"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Collaudatore"), this);
    auto* groupForm = new QFormLayout(group);
    m_field[0] = NewEdit(group, "nome", false, 25);
    m_field[1] = NewEdit(group, "cognome", false, 35);
    groupForm->addRow(QStringLiteral("Nome:"), m_field[0]);
    groupForm->addRow(QStringLiteral("Cognome:"), m_field[1]);
    layout->addWidget(group);

    auto* form = new QFormLayout;
    m_field[2] = NewEdit(this, "data", false, 20);
    m_field[3] = NewEdit(this, "tipo", true, 25);
    m_field[4] = NewEdit(this, "lotto", false, 6);
    m_field[4]->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_field[5] = NewEdit(this, "modello", false, 15);
    MakeUpperCase(m_field[5]);
    form->addRow(QStringLiteral("Data collaudo"), m_field[2]);
    form->addRow(QStringLiteral("Tipo prodotto"), m_field[3]);
    form->addRow(QStringLiteral("Lotto di produzione"), m_field[4]);
    form->addRow(QStringLiteral("Codifica modello"), m_field[5]);
    layout->addLayout(form);
    AddOkCancel(this, layout);
    setMinimumWidth(360);
}

void CNewDialogAnagraficaCollaudo::GetCurrentAnagrafica(const _AnagraficaCollaudo& r) {
    m_field[0]->setText(ToQString(r.strNome));
    m_field[1]->setText(ToQString(r.strCognome));
    m_field[2]->setText(m_today.toString(QStringLiteral("dd/MM/yyyy")));
    const QString type = ToQString(r.strTipoProdotto).toUpper();
    m_field[3]->setText(type);
    m_field[4]->setText(ToQString(r.strLottoProduzione));
    // OK stores the product code as type-model; a record that already went
    // through this dialog carries that form, and showing it again as the
    // model code would put the type in front a second time on the next OK.
    QString code = ToQString(r.strCodiceProdotto).toUpper();
    const QString prefix = type + QLatin1Char('-');
    if (!type.isEmpty() && code.startsWith(prefix)) code = code.mid(prefix.size());
    m_field[5]->setText(code);
}

void CNewDialogAnagraficaCollaudo::accept() {
    for (int i : {0, 1, 2, 4, 5}) {
        if (m_field[i]->text().trimmed().isEmpty()) {
            RefuseField(m_field[i], L"Compilare tutti i campi della scheda.", L"Compilare ogni campo");
            return;
        }
    }
    m_new.strNome = FromQString(m_field[0]->text().trimmed());
    m_new.strCognome = FromQString(m_field[1]->text().trimmed());
    m_new.strDataCollaudo = FromQString(m_field[2]->text().trimmed());
    m_new.strLottoProduzione = FromQString(m_field[4]->text().trimmed());
    m_new.strCodiceProdotto = FromQString(m_field[3]->text() + QLatin1Char('-') + m_field[5]->text().trimmed());
    QDialog::accept();
}

void CNewDialogAnagraficaCollaudo::SetNewAnagrafica(_AnagraficaCollaudo* record) const {
    if (!record || result() != QDialog::Accepted) return;
    record->strNome = m_new.strNome;
    record->strCognome = m_new.strCognome;
    record->strDataCollaudo = m_new.strDataCollaudo;
    record->strLottoProduzione = m_new.strLottoProduzione;
    record->strCodiceProdotto = m_new.strCodiceProdotto;
}
