#include "NewDialogSelezioneStampante.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

CNewDialogSelezioneStampante::CNewDialogSelezioneStampante(QWidget* parent,
                                                           const std::vector<std::unique_ptr<CfgFileEntry>>* models,
                                                           CString* pCfgFileName, CString* pModelName, int* pSelected)
    : QDialog(parent), m_pCfgFileName(pCfgFileName), m_pModelName(pModelName), m_pSelected(pSelected) {
    setWindowTitle(QStringLiteral("Selezione stampante"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_models = new QComboBox(this);  // a drop-down list: no text of its own
    m_models->setObjectName(QStringLiteral("models"));
    m_models->setEditable(false);
    m_cfgFile = NewEdit(this, "cfgFile", true);
    form->addRow(QStringLiteral("Modelli stampante"), m_models);
    form->addRow(QStringLiteral("Nome file di configurazione"), m_cfgFile);
    layout->addLayout(form);
    m_ok = AddOkCancel(this, layout);
    setMinimumWidth(360);

    if (models) {
        for (const auto& e : *models) {
            if (!e) continue;
            m_entries.push_back(e.get());
            m_models->addItem(ToQString(e->name));
        }
    }
    const int current =
        m_pModelName && !m_pModelName->IsEmpty() ? std::max(0, m_models->findText(ToQString(*m_pModelName))) : 0;
    connect(m_models, &QComboBox::currentIndexChanged, this, &CNewDialogSelezioneStampante::OnModelChanged);
    m_models->setCurrentIndex(m_entries.empty() ? -1 : current);
    OnModelChanged(m_models->currentIndex());
    // With no model to choose, OK would report a choice that was never made.
    m_ok->setEnabled(!m_entries.empty());
}

void CNewDialogSelezioneStampante::OnModelChanged(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        m_cfgFile->clear();
        return;
    }
    m_cfgFile->setText(ToQString(m_entries[index]->path));
    m_cfgFile->setCursorPosition(0);
}

void CNewDialogSelezioneStampante::accept() {
    const int index = m_models->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_entries.size())) return;
    if (m_pCfgFileName) *m_pCfgFileName = m_entries[index]->path;
    if (m_pModelName) *m_pModelName = m_entries[index]->name;
    if (m_pSelected) *m_pSelected = 1;
    QDialog::accept();
}

void CNewDialogSelezioneStampante::reject() {
    if (m_pCfgFileName) m_pCfgFileName->Empty();
    if (m_pModelName) m_pModelName->Empty();
    if (m_pSelected) *m_pSelected = 0;
    QDialog::reject();
}

void CNewDialogSelezioneStampante::showEvent(QShowEvent* e) {
    m_fDialogAttiva = TRUE;
    QDialog::showEvent(e);
}

void CNewDialogSelezioneStampante::done(int r) {
    m_fDialogAttiva = FALSE;
    QDialog::done(r);
}
