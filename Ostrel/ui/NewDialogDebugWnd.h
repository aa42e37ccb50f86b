// A modeless window that follows a tool's conversation with the printer line
// by line. Closing it asks first: a tester who closes it by mistake loses the
// lines of the test in progress.
#pragma once

#include "CString.h"

#include <QDialog>

class QLabel;
class QListWidget;

class CNewDialogDebugWnd : public QDialog {
    Q_OBJECT
public:
    explicit CNewDialogDebugWnd(QWidget* parent);

    void InitDebugDialog(const CString& title);
    void InsertDebugString(const CString& text);
    void ClearAllString();
    // The port the lines come from, shown after "Porta di Comunicazione:".
    void SetPortName(const CString& port);

    QListWidget* List() const { return m_list; }

    // A window kept open for a whole shift must not grow without bound: past
    // this many lines (20000 unless set) the oldest go.
    void SetMaxLines(int lines) { m_maxLines = lines > 0 ? lines : 1; }

    // Cancel, Escape and the close box all come here (QDialog routes the
    // close box through reject and keeps the window when it stays visible).
    void reject() override;

private:
    bool ConfirmClose();

    QListWidget* m_list = nullptr;
    QLabel* m_port = nullptr;
    int m_maxLines = 20000;
};
