#include "NewDialogTimeout.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CNewDialogTimeout::CNewDialogTimeout(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("TimeOut"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const QString labels[7] = {QStringLiteral("Read Interval Timeout[ms]:"),
                               QStringLiteral("Read Total Timeout: Multiplier:"),
                               QStringLiteral("Read Total Timeout Costant[ms]:"),
                               QStringLiteral("Write Total Timeout: Multiplier:"),
                               QStringLiteral("Write Total Timeout Costant[ms]:"),
                               QStringLiteral("Intervallo di attesa durante Read dato [s]:"),
                               QStringLiteral("Intervallo di attesa durante Write dato[s]:")};
    for (int i = 0; i < 7; ++i) {
        m_field[i] = NewEdit(this, QStringLiteral("field%1").arg(i).toLatin1().constData(), true);
        form->addRow(labels[i], m_field[i]);
    }
    layout->addLayout(form);
    AddOkCancel(this, layout, false);
    GetCurrentSettings({}, {});
}

void CNewDialogTimeout::GetCurrentSettings(const _IntRW& intRW, const COMMTIMEOUTS& system) {
    SetIntText(m_field[0], system.ReadIntervalTimeout);
    SetIntText(m_field[1], system.ReadTotalTimeoutMultiplier);
    SetIntText(m_field[2], system.ReadTotalTimeoutConstant);
    SetIntText(m_field[3], system.WriteTotalTimeoutMultiplier);
    SetIntText(m_field[4], system.WriteTotalTimeoutConstant);
    SetIntText(m_field[5], intRW.iReadInterval);
    SetIntText(m_field[6], intRW.iWriteInterval);
}
