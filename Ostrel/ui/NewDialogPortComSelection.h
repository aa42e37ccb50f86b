// Lets the user pick the port the printer hangs on from the ports the system
// has (see EnumSerialPorts). The selected name is what the port object opens.
#pragma once

#include "CString.h"

#include <QDialog>

#include <string>

class QLineEdit;
class QListWidget;

class CNewDialogPortComSelection : public QDialog {
    Q_OBJECT
public:
    // With onlyCom non-zero only serial ports are listed. `root` is where the
    // system's dev/ and sys/ folders are looked for.
    CNewDialogPortComSelection(QWidget* parent, const CString& currentPort, int onlyCom,
                               const std::string& root = "/");

    CString GetComPort() const { return m_strComPort; }
    QListWidget* List() const { return m_list; }
    QLineEdit* SelectedEdit() const { return m_selected; }

private:
    void OnSelChange();

    CString m_strComPort;
    QListWidget* m_list = nullptr;
    QLineEdit* m_selected = nullptr;
};
