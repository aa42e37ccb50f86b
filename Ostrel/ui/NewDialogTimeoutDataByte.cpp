#include "NewDialogTimeoutDataByte.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "QtText.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr long long kMax = 32000;
}

CNewDialogTimeoutDataByte::CNewDialogTimeoutDataByte(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Time Out di Read & Write"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    m_field[0] = NewEdit(this, "readInterval", true);
    m_field[1] = NewEdit(this, "writeInterval");
    top->addRow(QStringLiteral("Intervallo di attesa durante Read dato [s]:"), m_field[0]);
    top->addRow(QStringLiteral("Intervallo di attesa durante Write dato[s]:"), m_field[1]);
    layout->addLayout(top);

    auto* group = new QGroupBox(QStringLiteral("Calcolo timeout nel caso di operazione pendente su 1 Byte."), this);
    auto* form = new QFormLayout(group);
    const char* names[4] = {"readMultiplier", "readConstant", "writeMultiplier", "writeConstant"};
    const QString labels[4] = {QStringLiteral("Moltiplicatore su Read Timeout [ms]:"),
                               QStringLiteral("Costante su Read Timeout [ms]:"),
                               QStringLiteral("Moltiplicatore su Write Timeout [ms]:"),
                               QStringLiteral("Costante su Write Timeout [ms]:")};
    for (int i = 0; i < 4; ++i) {
        m_field[2 + i] = NewEdit(group, names[i]);
        form->addRow(labels[i], m_field[2 + i]);
    }
    layout->addWidget(group);

    auto* bottom = new QFormLayout;
    // The whole name: paths under /dev/serial/by-id are far longer than
    // the thirty characters of a COM name, and a cut one names nothing.
    m_field[6] = NewEdit(this, "port", true);
    bottom->addRow(QStringLiteral("Porta di comunicazione:"), m_field[6]);
    layout->addLayout(bottom);

    auto* row = new QHBoxLayout;
    row->addWidget(NewButton(this, "ripristina", QStringLiteral("Ripristina")));
    row->addWidget(NewButton(this, "defaul", QStringLiteral("Defaul")));
    layout->addLayout(row);
    AddOkCancel(this, layout);

    connect(Button("ripristina"), &QPushButton::clicked, this, [this] { Show(m_startRW, m_startCT); });
    connect(Button("defaul"), &QPushButton::clicked, this, [this] { Show(m_defRW, m_defCT); });
    Show(m_startRW, m_startCT);
}

QPushButton* CNewDialogTimeoutDataByte::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void CNewDialogTimeoutDataByte::GetCurrentSettings(const _IntRW& defIntRW, const _IntRW* curIntRW,
                                                   const _CalcoloTimeout& defCT, const _CalcoloTimeout* curCT,
                                                   const CString& portName) {
    m_defRW = defIntRW;
    m_defCT = defCT;
    m_startRW = curIntRW ? *curIntRW : defIntRW;
    m_startCT = curCT ? *curCT : defCT;
    const QString port = ToQString(portName);
    m_field[6]->setText(port);
    m_field[6]->setMinimumWidth(
        std::min(m_field[6]->fontMetrics().horizontalAdvance(port) + 4 * m_field[6]->fontMetrics().averageCharWidth(),
                 640));
    m_field[6]->setCursorPosition(0);
    Show(m_startRW, m_startCT);
}

void CNewDialogTimeoutDataByte::Show(const _IntRW& rw, const _CalcoloTimeout& ct) {
    m_shownReadInterval = rw.iReadInterval;
    SetIntText(m_field[0], rw.iReadInterval);
    SetIntText(m_field[1], rw.iWriteInterval);
    SetIntText(m_field[2], ct.dwReadMultiplier);
    SetIntText(m_field[3], ct.dwReadConstant);
    SetIntText(m_field[4], ct.dwWriteMultiplier);
    SetIntText(m_field[5], ct.dwWriteConstant);
}

void CNewDialogTimeoutDataByte::accept() {
    long long v[6] = {};
    // The read interval cannot be edited here: whatever it holds goes back
    // unchanged, so a value the range would refuse cannot lock OK.
    v[0] = m_shownReadInterval;
    if (!ReadIntInRange(m_field[1], 0, kMax, v[1])) return;
    for (int i = 2; i < 6; ++i) {
        if (!ReadIntInRange(m_field[i], 1, kMax, v[i])) return;
    }
    m_newRW.iReadInterval = static_cast<std::int32_t>(v[0]);
    m_newRW.iWriteInterval = static_cast<std::int32_t>(v[1]);
    m_newCT.dwReadMultiplier = static_cast<DWORD>(v[2]);
    m_newCT.dwReadConstant = static_cast<DWORD>(v[3]);
    m_newCT.dwWriteMultiplier = static_cast<DWORD>(v[4]);
    m_newCT.dwWriteConstant = static_cast<DWORD>(v[5]);
    QDialog::accept();
}

void CNewDialogTimeoutDataByte::SetNewSettings(_IntRW* intRW, _CalcoloTimeout* ct) const {
    if (result() != QDialog::Accepted) return;
    if (intRW) *intRW = m_newRW;
    if (ct) {
        ct->dwReadMultiplier = m_newCT.dwReadMultiplier;
        ct->dwReadConstant = m_newCT.dwReadConstant;
        ct->dwWriteMultiplier = m_newCT.dwWriteMultiplier;
        ct->dwWriteConstant = m_newCT.dwWriteConstant;
    }
}
