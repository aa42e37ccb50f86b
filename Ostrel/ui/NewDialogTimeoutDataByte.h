// Edits how long the printers object keeps retrying a read and a write, and
// the multipliers and constants each single-byte time-out is computed from.
// The read interval is shown only: the printers' replies are timed by the
// firmware, not by the tool.
#pragma once

#include "KalvoNewComObject.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class CNewDialogTimeoutDataByte : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogTimeoutDataByte(QWidget* parent);

    // The defaults are what "Defaul" puts back (the values of the port at
    // opening); the current values are shown and "Ripristina" returns to them.
    void GetCurrentSettings(const _IntRW& defIntRW, const _IntRW* curIntRW, const _CalcoloTimeout& defCT,
                            const _CalcoloTimeout* curCT, const CString& portName);
    // After OK writes the two intervals and the four multipliers and
    // constants; the computed single-byte write time-out stays as it is.
    void SetNewSettings(_IntRW* intRW, _CalcoloTimeout* ct) const;

    // 0 read interval, 1 write interval, 2 read multiplier, 3 read constant,
    // 4 write multiplier, 5 write constant, 6 port name.
    QLineEdit* Field(int index) const { return m_field[index]; }
    QPushButton* Button(const char* name) const;

    void accept() override;

private:
    void Show(const _IntRW& rw, const _CalcoloTimeout& ct);

    QLineEdit* m_field[7] = {};
    _IntRW m_defRW, m_startRW, m_newRW;
    _CalcoloTimeout m_defCT, m_startCT, m_newCT;
    std::int32_t m_shownReadInterval = 0;
};
