// Picks one of the two on-board serial ports. "LPT 1" is shown for the
// tools that remember it, but the printers speak only over a serial line.
#pragma once

#include "CString.h"

#include <QDialog>

class QRadioButton;

class CNewDialogSetComPort : public QDialog {
    Q_OBJECT
public:
    CNewDialogSetComPort(QWidget* parent, const CString& currentPort);

    // "COM1", "COM2" or "LPT1".
    CString GetComPort() const;
    QRadioButton* Radio(int index) const { return m_radio[index]; }

private:
    QRadioButton* m_radio[3] = {};
};
