#include "DialogPassword.h"

#include "DialogFont.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDialogPassword::CDialogPassword(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dialog"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Insert password"), this);
    auto* inner = new QVBoxLayout(group);
    m_edit = new QLineEdit(group);
    m_edit->setObjectName(QStringLiteral("password"));
    m_edit->setMaxLength(kMaxChars);
    m_edit->setEchoMode(QLineEdit::Password);
    inner->addWidget(m_edit);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CDialogPassword::Get_m_Password() const { return m_edit->text(); }
