#include "NewDialogDebugWnd.h"

#include "DialogFont.h"
#include "QtText.h"
#include "UiServices.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CNewDialogDebugWnd::CNewDialogDebugWnd(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Debuggin window..."));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lines"));
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Porta di Comunicazione:"), this));
    m_port = new QLabel(this);
    m_port->setObjectName(QStringLiteral("port"));
    row->addWidget(m_port, 1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, &CNewDialogDebugWnd::reject);
    resize(480, 320);
}

void CNewDialogDebugWnd::InitDebugDialog(const CString& title) { setWindowTitle(ToQString(title)); }

void CNewDialogDebugWnd::InsertDebugString(const CString& text) {
    m_list->addItem(ToQString(text));
    while (m_list->count() > m_maxLines) delete m_list->takeItem(0);
    m_list->scrollToBottom();
}

void CNewDialogDebugWnd::ClearAllString() { m_list->clear(); }

void CNewDialogDebugWnd::SetPortName(const CString& port) { m_port->setText(ToQString(port)); }

bool CNewDialogDebugWnd::ConfirmClose() {
    return MessageBox(nullptr, L"Vuoi chiudere la finestra di Debug ?", L"Fine di Debug Dialog..",
                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CNewDialogDebugWnd::reject() {
    if (ConfirmClose()) QDialog::reject();
}
