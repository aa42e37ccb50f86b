// Choosing the printer model to test. The models come as file entries of a
// printers configuration file (the model's name and the path of its own
// configuration file); the dialog shows the file of the model in the combo
// and hands both back through the caller's pointers.
#pragma once

#include "CString.h"
#include "KalvoNewCfgFileObject.h"

#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

class CNewDialogSelezioneStampante : public QDialog {
    Q_OBJECT
public:
    // `models` is read while the dialog lives; null entries are skipped. The
    // model named by *pModelName (when there is one) is selected at opening.
    // OK writes the model's configuration file and name and sets *pSelected
    // to 1; Cancel empties both and sets it to 0. Any pointer may be null.
    CNewDialogSelezioneStampante(QWidget* parent, const std::vector<std::unique_ptr<CfgFileEntry>>* models,
                                 CString* pCfgFileName, CString* pModelName, int* pSelected);

    // TRUE while the dialog is on screen.
    BOOL Getm_fDialogAttiva() const { return m_fDialogAttiva; }

    QComboBox* Models() const { return m_models; }
    QLineEdit* CfgFileEdit() const { return m_cfgFile; }

    void accept() override;
    void reject() override;
    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void OnModelChanged(int index);

    std::vector<const CfgFileEntry*> m_entries;
    CString* m_pCfgFileName;
    CString* m_pModelName;
    int* m_pSelected;
    QComboBox* m_models = nullptr;
    QLineEdit* m_cfgFile = nullptr;
    QPushButton* m_ok = nullptr;
    BOOL m_fDialogAttiva = FALSE;
};
