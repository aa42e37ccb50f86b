// The operator prompt of a test station: a read-only text saying what to do
// at the printer ("insert paper", "open the cover" ...) while the test waits,
// and "Annulla Test" to give the test up. Modeless: the test keeps running
// and closes the prompt when the printer shows the action was done.
#pragma once

#include "CString.h"
#include "WinTypes.h"

#include <QDialog>

class QPlainTextEdit;

class CNewDialogEseguireAzione : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogEseguireAzione(QWidget* parent, const CString& text = CString());

    void SetText(const CString& text);
    // TRUE once the operator pressed "Annulla Test" (or closed the window).
    BOOL Get_m_fAnnullaTest() const { return m_fAnnullaTest; }
    QPlainTextEdit* TextBox() const { return m_text; }

    void reject() override;

signals:
    void annullaTest();

private:
    QPlainTextEdit* m_text = nullptr;
    BOOL m_fAnnullaTest = FALSE;
};
