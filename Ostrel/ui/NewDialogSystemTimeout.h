// Edits the five time-outs the system applies to the port. They are locked
// at first: wrong values here can make every read or write on the line fail,
// so the user must ask to change them and read the warning first. Applying
// the values to the port is the caller's.
#pragma once

#include "SerialDevice.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class CNewDialogSystemTimeout : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogSystemTimeout(QWidget* parent);

    // `atOpening` are the values the port had when it was opened ("Defaul"
    // puts them back); `current` the values in force, shown now.
    void GetCurrentSettings(const COMMTIMEOUTS& atOpening, const COMMTIMEOUTS* current);
    // After OK, the edited values; otherwise `out` is left as it is.
    void SetNewSettings(COMMTIMEOUTS* out) const;

    QLineEdit* Field(int index) const { return m_field[index]; }
    QPushButton* Button(const char* name) const;
    bool Unlocked() const { return m_unlocked; }

    void accept() override;

private:
    void Show(const COMMTIMEOUTS& t);
    void OnModifica();

    static constexpr int kFields = 5;
    QLineEdit* m_field[kFields] = {};
    COMMTIMEOUTS m_atOpening;
    COMMTIMEOUTS m_shownAtStart;
    COMMTIMEOUTS m_values;
    bool m_unlocked = false;
};
