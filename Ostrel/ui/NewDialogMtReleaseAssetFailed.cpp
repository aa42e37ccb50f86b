#include "NewDialogMtReleaseAssetFailed.h"

#include "DialogFont.h"
#include "QtText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit* ReadOnlyField(const CString& text, const char* name, QWidget* parent) {
    auto* e = new QLineEdit(ToQString(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setMinimumWidth(320);
    return e;
}
}  // namespace

CNewDialogMtReleaseAssetFailed::CNewDialogMtReleaseAssetFailed(const CString& check, const CString& className,
                                                               const CString& sourceFile, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Error"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Runtime release assertion failed at:"), this));
    m_check = ReadOnlyField(check, "check", this);
    m_class = ReadOnlyField(className, "className", this);
    m_source = ReadOnlyField(sourceFile, "sourceFile", this);
    layout->addWidget(m_check);
    layout->addWidget(m_class);
    layout->addWidget(m_source);
    layout->addWidget(new QLabel(QStringLiteral("The program could not be property running!"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
