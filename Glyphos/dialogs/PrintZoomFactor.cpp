#include "PrintZoomFactor.h"

#include "DialogFields.h"
#include "DialogFont.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

CPrintZoomFactor::CPrintZoomFactor(int factor, QWidget* parent) : QDialog(parent), m_factor(factor) {
    setWindowTitle(QStringLiteral("Print Zoom Factor"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select the default zoom factor for the system print work."), this));
    auto* form = new QFormLayout;
    m_edit = new QLineEdit(QString::number(factor), this);
    m_edit->setObjectName(QStringLiteral("factor"));
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), m_edit));
    form->addRow(QStringLiteral("Zoom factor:"), m_edit);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CPrintZoomFactor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CPrintZoomFactor::accept() {
    if (ReadIntField(m_edit, kMinFactor, kMaxFactor, m_factor)) QDialog::accept();
}
