#include "QtPortSettingsDialog.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const DWORD kBauds[] = {CBR_1200, CBR_2400, CBR_4800, CBR_9600, CBR_19200, CBR_38400, CBR_57600, CBR_115200};

QComboBox* NewCombo(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

}  // namespace

QtPortSettingsDialog::QtPortSettingsDialog(QWidget* parent, const CString& portName, DCB* dcb)
    : QDialog(parent), m_dcb(dcb) {
    setWindowTitle(ToQString(portName) + QStringLiteral(" Properties"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Port Settings"), this);
    auto* form = new QFormLayout(group);
    auto* baud = NewCombo(group, "baud");
    for (DWORD b : kBauds) baud->addItem(QString::number(b), QVariant::fromValue<uint>(b));
    auto* bits = NewCombo(group, "bits");
    for (int b = 5; b <= 8; ++b) bits->addItem(QString::number(b), b);
    auto* parity = NewCombo(group, "parity");
    parity->addItem(QStringLiteral("None"), NOPARITY);
    parity->addItem(QStringLiteral("Odd"), ODDPARITY);
    parity->addItem(QStringLiteral("Even"), EVENPARITY);
    parity->addItem(QStringLiteral("Mark"), MARKPARITY);
    parity->addItem(QStringLiteral("Space"), SPACEPARITY);
    auto* stop = NewCombo(group, "stop");
    stop->addItem(QStringLiteral("1"), ONESTOPBIT);
    stop->addItem(QStringLiteral("1.5"), ONE5STOPBITS);
    stop->addItem(QStringLiteral("2"), TWOSTOPBITS);
    auto* flow = NewCombo(group, "flow");
    flow->addItem(QStringLiteral("Xon / Xoff"), FlowXonXoff);
    flow->addItem(QStringLiteral("Hardware"), FlowHardware);
    flow->addItem(QStringLiteral("None"), FlowNone);
    form->addRow(QStringLiteral("Bits per second:"), baud);
    form->addRow(QStringLiteral("Data bits:"), bits);
    form->addRow(QStringLiteral("Parity:"), parity);
    form->addRow(QStringLiteral("Stop bits:"), stop);
    form->addRow(QStringLiteral("Flow control:"), flow);
    layout->addWidget(group);
    AddOkCancel(this, layout);

    if (!m_dcb) return;
    // A rate outside the list (a port left at 300 baud) is shown as it is.
    if (baud->findData(QVariant::fromValue<uint>(m_dcb->BaudRate)) < 0)
        baud->addItem(QString::number(m_dcb->BaudRate), QVariant::fromValue<uint>(m_dcb->BaudRate));
    baud->setCurrentIndex(baud->findData(QVariant::fromValue<uint>(m_dcb->BaudRate)));
    bits->setCurrentIndex(std::max(0, bits->findData(int(m_dcb->ByteSize))));
    parity->setCurrentIndex(std::max(0, parity->findData(int(m_dcb->Parity))));
    stop->setCurrentIndex(std::max(0, stop->findData(int(m_dcb->StopBits))));
    m_flowAtStart = m_dcb->fOutxCtsFlow ? FlowHardware : m_dcb->fOutX ? FlowXonXoff : FlowNone;
    flow->setCurrentIndex(flow->findData(m_flowAtStart));
}

QComboBox* QtPortSettingsDialog::Combo(const char* name) const {
    return findChild<QComboBox*>(QString::fromLatin1(name));
}

void QtPortSettingsDialog::accept() {
    if (m_dcb) {
        m_dcb->BaudRate = Combo("baud")->currentData().toUInt();
        m_dcb->ByteSize = static_cast<BYTE>(Combo("bits")->currentData().toInt());
        m_dcb->Parity = static_cast<BYTE>(Combo("parity")->currentData().toInt());
        m_dcb->fParity = m_dcb->Parity != NOPARITY;
        m_dcb->StopBits = static_cast<BYTE>(Combo("stop")->currentData().toInt());
        const int flow = Combo("flow")->currentData().toInt();
        if (flow != m_flowAtStart) {
            // The two flow controls the printers know: hardware watches CTS
            // and DSR, Xon/Xoff the XOFF byte with DSR still showing power.
            m_dcb->fOutxCtsFlow = flow == FlowHardware;
            m_dcb->fOutxDsrFlow = flow != FlowNone;
            m_dcb->fOutX = flow == FlowXonXoff;
        }
    }
    QDialog::accept();
}
