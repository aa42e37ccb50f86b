#include "DialogToolPixelSize.h"

#include "DialogFields.h"
#include "DialogFont.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

CDialogToolPixelSize::CDialogToolPixelSize(Tool tool, int size, QWidget* parent)
    : QDialog(parent), m_size(size) {
    setWindowTitle(QStringLiteral("Tool pixel size"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    QString label;
    if (tool == Eraser) label = QStringLiteral("Eraser size (pixel):");
    if (tool == Brush) label = QStringLiteral("Brush size (pixel):");
    m_label = new QLabel(label.left(kMaxLabelChars), this);
    m_label->setObjectName(QStringLiteral("label"));
    m_edit = new QLineEdit(QString::number(size), this);
    m_edit->setObjectName(QStringLiteral("size"));
    // Digits only; the range is checked on OK so that the user is told.
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_edit));
    form->addRow(m_label, m_edit);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogToolPixelSize::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CDialogToolPixelSize::GetLabel() const { return m_label->text(); }

void CDialogToolPixelSize::accept() {
    if (ReadIntField(m_edit, kMinSize, kMaxSize, m_size)) QDialog::accept();
}
