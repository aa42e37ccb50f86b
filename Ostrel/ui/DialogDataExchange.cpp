#include "DialogDataExchange.h"

#include "QtText.h"
#include "UiServices.h"

#include <QBoxLayout>
#include <QApplication>
#include <QPalette>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The standard refusals carry the program's name as caption.
CString AppCaption() {
    const QString name = QCoreApplication::applicationName();
    return FromQString(name.isEmpty() ? QStringLiteral("Ostrel") : name);
}

}  // namespace

QLineEdit* NewEdit(QWidget* parent, const char* objectName, bool readOnly, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(objectName));
    SetEditReadOnly(e, readOnly);
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

void SetEditReadOnly(QLineEdit* edit, bool readOnly) {
    edit->setReadOnly(readOnly);
    QPalette p = QApplication::palette(edit);
    if (readOnly) p.setColor(QPalette::Base, p.color(QPalette::Window));
    edit->setPalette(p);
}

void SetIntText(QLineEdit* edit, long long value) { edit->setText(QString::number(value)); }

void SetFloatText(QLineEdit* edit, double value) { edit->setText(QString::number(value, 'g', 6)); }

void RefuseField(QLineEdit* edit, const CString& text, const CString& caption) {
    MessageBox(nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

bool ReadIntInRange(QLineEdit* edit, long long min, long long max, long long& out) {
    bool ok = false;
    const long long v = edit->text().trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max) {
        RefuseField(edit, CString::Format(L"Please enter an integer between %d and %d.", min, max), AppCaption());
        return false;
    }
    out = v;
    return true;
}

bool ReadFloat(QLineEdit* edit, float& out) {
    bool ok = false;
    const float v = edit->text().trimmed().toFloat(&ok);
    if (!ok) {
        RefuseField(edit, L"Please enter a number.", AppCaption());
        return false;
    }
    out = v;
    return true;
}

QPushButton* NewButton(QWidget* parent, const char* objectName, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAutoDefault(false);
    return b;
}

QPushButton* AddOkCancel(QDialog* dialog, QBoxLayout* layout, bool withCancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    row->addWidget(ok);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    if (withCancel) {
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
        cancel->setObjectName(QStringLiteral("cancel"));
        row->addWidget(cancel);
        QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    }
    layout->addLayout(row);
    return ok;
}
