// Asks a tester for the password that identifies them in the testers
// database. The text is masked and never kept beyond the dialog's life.
#pragma once

#include "CString.h"

#include <QDialog>

class QLineEdit;

class CNewDialogInPassword : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogInPassword(QWidget* parent);

    CString Get_m_strPassword() const;
    QLineEdit* PasswordEdit() const { return m_edit; }

private:
    QLineEdit* m_edit = nullptr;
};
