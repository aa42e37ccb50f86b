#include "DialogRegistraCollaudatore.h"

#include "DBCollaudatori.h"
#include "QtText.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDialogRegistraCollaudatore::CDialogRegistraCollaudatore(QWidget* parent, CDBCollaudatori* db)
    : QDialog(parent), m_db(db) {
    setWindowTitle(QStringLiteral("Registra Collaudatore"));
    auto* group = new QGroupBox(QStringLiteral("Anagrafica collaudatore"), this);
    auto* form = new QFormLayout(group);
    m_nome = new QLineEdit(group);
    m_cognome = new QLineEdit(group);
    m_password = new QLineEdit(group);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Nome:"), m_nome);
    form->addRow(QStringLiteral("Cognome:"), m_cognome);
    form->addRow(QStringLiteral("Password:"), m_password);

    m_aggiungi = new QPushButton(QStringLiteral("Aggiungi"), this);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setEnabled(false);
    m_aggiungi->setDefault(true);
    connect(m_aggiungi, &QPushButton::clicked, this, &CDialogRegistraCollaudatore::OnAggiungi);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_aggiungi);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void CDialogRegistraCollaudatore::OnAggiungi() {
    if (!m_db) return;
    if (m_db->RegistraCollaudatore(FromQString(m_nome->text()), FromQString(m_cognome->text()),
                                   FromQString(m_password->text()))) {
        m_ok->setEnabled(true);
    }
}
