#include "NewDialogSelectUpgradeFile.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString SystemChooser(QWidget* parent, const QString& caption, const QString& start, const QString& filter) {
    QFileDialog dlg(parent, caption, start, filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QStringLiteral("psw"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().constFirst();
}

}  // namespace

CNewDialogSelectUpgradeFile::CNewDialogSelectUpgradeFile(QWidget* parent, const CString& fileName)
    : QDialog(parent), m_strNomeFileUpgrade(fileName), m_chooser(SystemChooser) {
    setWindowTitle(QStringLiteral("Selezione del file di upgrade"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("File per upgrade"), this));
    auto* row = new QHBoxLayout;
    m_edit = NewEdit(this, "file");
    m_edit->setText(ToQString(fileName));
    m_edit->setMinimumWidth(320);
    row->addWidget(m_edit, 1);
    auto* change = NewButton(this, "cambia", QStringLiteral("Cambia file"));
    row->addWidget(change);
    layout->addLayout(row);
    AddOkCancel(this, layout);
    connect(change, &QPushButton::clicked, this, [this] { OnCambiaFile(); });
}

void CNewDialogSelectUpgradeFile::OnCambiaFile() {
    // Qt's form of the old "Kalvo Printers Upgrade Files (*.psw)|*.psw|All
    // Files (*.*)|*.*||" filter.
    const QString filter = QStringLiteral("Kalvo Printers Upgrade Files (*.psw);;All Files (*)");
    const QString current = m_edit->text();
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    QString chosen = m_chooser ? m_chooser(this, windowTitle(), start, filter) : QString();
    if (chosen.isEmpty()) return;
    // A name typed without extension means an upgrade file.
    if (QFileInfo(chosen).suffix().isEmpty() && !QFileInfo::exists(chosen)) chosen += QStringLiteral(".psw");
    m_edit->setText(chosen);
}

void CNewDialogSelectUpgradeFile::accept() {
    m_strNomeFileUpgrade = FromQString(m_edit->text().trimmed());
    QDialog::accept();
}
