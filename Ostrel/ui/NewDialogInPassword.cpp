#include "NewDialogInPassword.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

CNewDialogInPassword::CNewDialogInPassword(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Insert password"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Insert Your password"), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_edit = NewEdit(group, "password");
    m_edit->setEchoMode(QLineEdit::Password);
    groupLayout->addWidget(m_edit);
    layout->addWidget(group);
    AddOkCancel(this, layout);
    setMinimumWidth(260);
    m_edit->setFocus();
}

CString CNewDialogInPassword::Get_m_strPassword() const { return FromQString(m_edit->text()); }
