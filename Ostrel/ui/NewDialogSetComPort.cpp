#include "NewDialogSetComPort.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const wchar_t* const kPortNames[3] = {L"COM1", L"COM2", L"LPT1"};
}

CNewDialogSetComPort::CNewDialogSetComPort(QWidget* parent, const CString& currentPort) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Selezione Port. Com."));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* groupLayout = new QVBoxLayout(group);
    const QString labels[3] = {QStringLiteral("COM 1"), QStringLiteral("COM 2"), QStringLiteral("LPT 1")};
    for (int i = 0; i < 3; ++i) {
        m_radio[i] = new QRadioButton(labels[i], group);
        m_radio[i]->setObjectName(QStringLiteral("port%1").arg(i));
        groupLayout->addWidget(m_radio[i]);
    }
    m_radio[2]->setEnabled(false);
    layout->addWidget(group);
    AddOkCancel(this, layout);

    // Anything but a known serial port starts on COM 1, the usual cable.
    const CString current = currentPort.Upper();
    m_radio[current == kPortNames[1] ? 1 : 0]->setChecked(true);
}

CString CNewDialogSetComPort::GetComPort() const {
    for (int i = 0; i < 3; ++i) {
        if (m_radio[i]->isChecked()) return kPortNames[i];
    }
    return kPortNames[0];
}
