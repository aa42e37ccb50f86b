#include "NewDialogCheckDefaultPrnSetup.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

CNewDialogCheckDefaultPrnSetup::CNewDialogCheckDefaultPrnSetup(QWidget* parent, int* pShowAlways)
    : QDialog(parent), m_pShowAlways(pShowAlways) {
    setWindowTitle(QStringLiteral("Impostazioni di default"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Impostare per la stampante i seguenti valori di default:"), this));
    for (const char* line : {"Handshaking: Xon/Xoff", "Data length: 8 bit", "Parity: None"}) {
        auto* l = new QLabel(QString::fromLatin1(line), this);
        l->setIndent(24);
        layout->addWidget(l);
    }
    m_check = new QCheckBox(QStringLiteral("Mostra sempre questo messaggio"), this);
    m_check->setObjectName(QStringLiteral("showAlways"));
    m_check->setChecked(m_pShowAlways && *m_pShowAlways != 0);
    layout->addWidget(m_check);
    AddOkCancel(this, layout);
}

void CNewDialogCheckDefaultPrnSetup::HiddenCheckBox(int hide) { m_check->setVisible(hide == 0); }

void CNewDialogCheckDefaultPrnSetup::accept() {
    if (m_pShowAlways) *m_pShowAlways = m_check->isChecked() ? 1 : 0;
    QDialog::accept();
}
