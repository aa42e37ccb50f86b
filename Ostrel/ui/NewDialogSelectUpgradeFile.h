// Confirms or changes the firmware upgrade file before an upload.
#pragma once

#include "CString.h"

#include <QDialog>

#include <functional>

class QLineEdit;

class CNewDialogSelectUpgradeFile : public QDialog {
    Q_OBJECT
public:
    CNewDialogSelectUpgradeFile(QWidget* parent, const CString& fileName);

    // The path in the edit when OK was pressed; the path given at
    // construction otherwise.
    CString Get_m_strNomeFileUpgrade() const { return m_strNomeFileUpgrade; }
    QLineEdit* FileEdit() const { return m_edit; }

    // What "Cambia file" asks: (parent, caption, start path, filter) -> the
    // chosen path or an empty string. The system file dialog by default;
    // tests answer without a window.
    using FileChooser = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    void accept() override;

private:
    void OnCambiaFile();

    CString m_strNomeFileUpgrade;
    QLineEdit* m_edit = nullptr;
    FileChooser m_chooser;
};
