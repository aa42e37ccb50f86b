#include "NewDialogPortComSelection.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"
#include "SerialDevice.h"
#include "SerialPortList.h"
#include "UiServices.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

CNewDialogPortComSelection::CNewDialogPortComSelection(QWidget* parent, const CString& currentPort, int onlyCom,
                                                       const std::string& root)
    : QDialog(parent), m_strComPort(currentPort) {
    setWindowTitle(QStringLiteral("Selezione porta di comunicazione"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Porte disponibili"), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ports"));
    layout->addWidget(m_list);
    auto* form = new QFormLayout;
    m_selected = NewEdit(this, "selected", true);
    form->addRow(QStringLiteral("Porta selezionata"), m_selected);
    layout->addLayout(form);
    AddOkCancel(this, layout);
    resize(360, 280);

    std::vector<CString> names;
    if (!EnumSerialPorts(root, onlyCom != 0, names)) {
        MessageBox(nullptr, L"Impossibile determinare le porte di comunicazione configurate", L"Errore",
                   MB_OK | MB_ICONERROR);
    }
    // The current port may be given in the tools' "COM1" form: it is the
    // same device as the listed /dev/ttyS0.
    const std::string currentPath = currentPort.IsEmpty() ? std::string() : SerialPortPath(currentPort);
    for (const CString& n : names) {
        m_list->addItem(ToQString(n));
        if (n.ToUtf8() == currentPath) m_list->setCurrentRow(m_list->count() - 1);
    }
    m_selected->setText(ToQString(m_strComPort));
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { OnSelChange(); });
    connect(m_list, &QListWidget::itemActivated, this, [this] { accept(); });
}

void CNewDialogPortComSelection::OnSelChange() {
    if (QListWidgetItem* item = m_list->currentItem()) {
        m_strComPort = FromQString(item->text());
        m_selected->setText(item->text());
    }
}
