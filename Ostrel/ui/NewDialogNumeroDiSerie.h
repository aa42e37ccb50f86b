// Asks for the serial number of the printer under test and the default
// configuration to put it in. The printers object opens it (through the UI
// services) before the printer is configured; "Stop Collaudo" gives the
// test up.
#pragma once

#include "CString.h"
#include "KalvoNewCfgFileObject.h"
#include "KalvoNewReportFileObject.h"

#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;

class CNewDialogNumeroDiSerie : public QDialog {
    Q_OBJECT
public:
    // The configuration entries are the printers object's default
    // configurations (several entries share a name: one per command); the
    // name they are chosen into receives the choice on OK and is emptied by
    // "Stop Collaudo". Neither is owned.
    CNewDialogNumeroDiSerie(QWidget* parent, const std::vector<std::unique_ptr<CfgCommandEntry>>* defConfigs,
                            CString* pConfigName);
    // The same with the configuration names themselves.
    CNewDialogNumeroDiSerie(QWidget* parent, const std::vector<CString>& configNames, CString* pConfigName);

    // Shows the record's product code and an empty serial number.
    void GetCurrentSerialNumber(const _AnagraficaCollaudo& record);
    void SetProductCode(const CString& code);
    // After OK: the product code as loaded (never cut to the field) and the
    // serial number typed.
    CString Get_m_strCodiceProdotto() const { return m_strCodiceProdotto; }
    CString Get_m_strNumeroSerie() const { return m_strNumeroSerie; }
    // After OK only: the code as loaded and the serial number typed.
    void SetNewCurrentSerialNumber(_AnagraficaCollaudo* record) const;

    // The entry of the combo that chooses no configuration.
    static const wchar_t* NoConfiguration() { return L"Nessuna"; }

    QLineEdit* ProductEdit() const { return m_product; }
    QLineEdit* SerialEdit() const { return m_serial; }
    QComboBox* Configurations() const { return m_configs; }

    void accept() override;

private:
    void Build(const std::vector<CString>& names);
    void OnStopCollaudo();

    CString* m_pConfigName;
    CString m_strCodiceProdotto;
    CString m_strNumeroSerie;
    QLineEdit* m_product = nullptr;
    QLineEdit* m_serial = nullptr;
    QComboBox* m_configs = nullptr;
};
