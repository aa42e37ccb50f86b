// Asks for the password of the hidden table-generator command.
#pragma once

#include <QDialog>

class QLineEdit;

class CDialogPassword : public QDialog {
    Q_OBJECT
public:
    explicit CDialogPassword(QWidget* parent = nullptr);

    QString Get_m_Password() const;
    QLineEdit* Edit() const { return m_edit; }

    static constexpr int kMaxChars = 11;

private:
    QLineEdit* m_edit = nullptr;
};
