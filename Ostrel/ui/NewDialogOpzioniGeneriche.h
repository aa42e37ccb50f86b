// The production tool's options. Only the options the library or the test
// sequences act on are written back to the record; the debug and log boxes
// belong to the tool, which sets them before and reads them after.
#pragma once

#include "KalvoNewComObject.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CNewDialogOpzioniGeneriche : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogOpzioniGeneriche(QWidget* parent);

    void GetCurrentOptions(const _OpzioniApp& options);
    // After OK writes the DSR check, the beep count, the cut count and the
    // maximum number of temperature-test lines; nothing else.
    void SetNewOptions(_OpzioniApp* options) const;

    BOOL Get_m_fDebugMode() const;
    void Set_m_fDebugMode(BOOL on);
    BOOL Get_m_fCancellaLog() const;
    void Set_m_fCancellaLog(BOOL on);

    QCheckBox* Check(const char* name) const;
    QLineEdit* Field(const char* name) const;

    void accept() override;

private:
    _OpzioniApp m_new;
};
