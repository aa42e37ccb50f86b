// The port's line-setting dialog a tool opens to change speed, frame and
// flow control by hand (the printers object asks for it through the UI
// services). It edits a DCB in place and touches only what the user changed:
// flags it has no control for (input flow, DTR and RTS handling, the DSR
// output check of the Xon/Xoff setting) keep their values.
#pragma once

#include "CString.h"
#include "SerialDevice.h"

#include <QDialog>

class QComboBox;

class QtPortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `dcb` is read now and written on OK; not owned.
    QtPortSettingsDialog(QWidget* parent, const CString& portName, DCB* dcb);

    enum Flow { FlowXonXoff = 0, FlowHardware = 1, FlowNone = 2 };
    QComboBox* Combo(const char* name) const;

    void accept() override;

private:
    DCB* m_dcb;
    int m_flowAtStart = FlowNone;
};
