// Shows, without letting them change, the time-outs a port works with: the
// five the system applies and the read and write retry intervals.
#pragma once

#include "KalvoNewComObject.h"

#include <QDialog>

class QLineEdit;

class CNewDialogTimeout : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogTimeout(QWidget* parent);

    void GetCurrentSettings(const _IntRW& intRW, const COMMTIMEOUTS& system);
    // 0..4 the system time-outs, 5 the read interval, 6 the write interval.
    QLineEdit* Field(int index) const { return m_field[index]; }

private:
    QLineEdit* m_field[7] = {};
};
