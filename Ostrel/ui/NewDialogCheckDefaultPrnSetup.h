// Reminds the operator of the line setting a printer must have before the
// tool talks to it. The check box lets the operator stop the reminder; its
// state is kept in the caller's int.
#pragma once

#include <QDialog>

class QCheckBox;

class CNewDialogCheckDefaultPrnSetup : public QDialog {
    Q_OBJECT
public:
    // `pShowAlways` (may be null) gives the box's first state and receives
    // its state when the dialog closes with OK.
    CNewDialogCheckDefaultPrnSetup(QWidget* parent, int* pShowAlways);

    // Non-zero hides the check box (for tools that always show the reminder).
    void HiddenCheckBox(int hide);
    QCheckBox* CheckBox() const { return m_check; }

    void accept() override;

private:
    int* m_pShowAlways;
    QCheckBox* m_check = nullptr;
};
