// Registers new testers in the station's database, one after another: the
// fields stay filled after each "Aggiungi" so that a similar tester is quick
// to type, and "OK" becomes available once someone has been added.
#pragma once

#include <QDialog>

class CDBCollaudatori;
class QLineEdit;
class QPushButton;

class CDialogRegistraCollaudatore : public QDialog {
    Q_OBJECT
public:
    // The database is not owned.
    CDialogRegistraCollaudatore(QWidget* parent, CDBCollaudatori* db);

    QLineEdit* NomeEdit() const { return m_nome; }
    QLineEdit* CognomeEdit() const { return m_cognome; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* AggiungiButton() const { return m_aggiungi; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void OnAggiungi();

    CDBCollaudatori* m_db;
    QLineEdit* m_nome = nullptr;
    QLineEdit* m_cognome = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_aggiungi = nullptr;
    QPushButton* m_ok = nullptr;
};
