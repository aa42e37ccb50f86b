#include "AboutDlg.h"

#include "DialogFont.h"
#include "QtText.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const CString& version, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Glyphos"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    row->addWidget(icon);
    auto* text = new QVBoxLayout;
    auto* name = new QLabel(QStringLiteral("Glyphos Ver.: ") + ToQString(version), this);
    name->setObjectName(QStringLiteral("version"));
    text->addWidget(name);
    text->addWidget(new QLabel(QStringLiteral("Bitmap font editor for Kalvo printers"), this));
    row->addLayout(text, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    // Every control of the box takes the dialog font.
    ApplyDialogFont(this);
}
