#include "NewDialogEseguireAzione.h"

#include "DialogFont.h"
#include "QtText.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CNewDialogEseguireAzione::CNewDialogEseguireAzione(QWidget* parent, const CString& text) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Eseguire azione ..."));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setReadOnly(true);
    layout->addWidget(m_text, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Annulla Test"), this);
    cancel->setObjectName(QStringLiteral("annulla"));
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, &CNewDialogEseguireAzione::reject);
    resize(380, 200);
    SetText(text);
}

void CNewDialogEseguireAzione::SetText(const CString& text) { m_text->setPlainText(ToQString(text)); }

void CNewDialogEseguireAzione::reject() {
    if (!m_fAnnullaTest) {
        m_fAnnullaTest = TRUE;
        emit annullaTest();
    }
    QDialog::reject();
}
