// The printers object's side of the test report: report lines, summary
// entries and the product record of the serial-number dialog. The report
// object sits in the layer above the printers object, so these members live
// here, in the report layer, where both are in sight.
#include "KalvoNewPrintersObject.h"

#include "KalvoNewReportFileObject.h"
#include "UiServices.h"

#include <algorithm>
#include <string>

void CKalvoNewPrintersObject::ReportLine(const CString& text) {
    if (m_pReportObj) m_pReportObj->ToReportFile(text);
}

void CKalvoNewPrintersObject::ReportEntry(const CString& what, const CString& result) {
    if (m_pReportObj) m_pReportObj->Addm_ReportCollaudo(what, result, m_uiCharLine);
}

// Reads the product record into the request, or (store) writes the request
// back into it; false without a record.
bool CKalvoNewPrintersObject::ReportProductRecord(SerialNumberRequest& request, bool store) {
    _AnagraficaCollaudo* record = m_pReportObj ? m_pReportObj->Get_m_pAnagrCol() : nullptr;
    if (!record) return false;
    if (store) {
        record->strCodiceProdotto = request.productCode;
        record->strNumeroSerie = request.serialNumber;
    } else {
        request.productCode = record->strCodiceProdotto;
        request.serialNumber.Empty();
    }
    return true;
}

BOOL CKalvoNewPrintersObject::SetModelSerialNumber() {
    MYThrow(m_pReportObj != nullptr, L"1) SetModelSerialNumber()", L"CKalvoNewPrintersObject",
            L"KalvoNewPrintersObject");
    m_fContinueTest = TRUE;
    SerialNumberRequest request;
    for (const auto& e : m_arrDefConfig) {
        if (std::find(request.configurations.begin(), request.configurations.end(), e->name) ==
            request.configurations.end())
            request.configurations.push_back(e->name);
    }
    request.configuration = m_NomeDefConfPrn;
    ReportProductRecord(request, false);
    if (UiServices::Get().SerialNumberDialog(m_hMainWnd, request) != IDOK) {
        m_fContinueTest = FALSE;
        return FALSE;
    }
    m_NomeDefConfPrn = request.configuration;
    ReportProductRecord(request, true);
    return TRUE;
}

BOOL CKalvoNewPrintersObject::IntestazReportFile() {
    if (!m_pReportObj) return FALSE;
    const CString start = ClockText(GetClock().WallTime());
    m_pReportObj->Addm_ReportCollaudo(L"Final Test Report");
    m_pReportObj->Addm_ReportCollaudo(m_pReportObj->Get_m_AnagrCollaudo_DataCollaudo());
    m_pReportObj->Addm_ReportCollaudo(L"Init test", start, m_uiCharLine);
    return TRUE;
}

BOOL CKalvoNewPrintersObject::Printm_ReportCollaudo() {
    MYThrow(m_pReportObj != nullptr, L"1) Printm_ReportCollaudo()", L"CKalvoNewPrintersObject",
            L"KalvoNewPrintersObject");
    CKalvoNewReportFileObject& report = *m_pReportObj;
    // A summary line goes out as single-byte characters; an empty one is
    // only its line feed.
    const auto line = [&](int i) {
        const std::string bytes = report.Get_i_esimo_m_ReportCollaudo(i).ToBytes();
        return bytes.empty() ||
               SendCommandToComm(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    };
    if (!NLfOutput(2) || !NewSendCommandToCom(L"Autotest") || !NewSendCommandToCom(L"Centerprntext") ||
        !line(0) || !NLfOutput(1) || !line(1) || !NLfOutput(1) || !NewSendCommandToCom(L"Leftprntext")) {
        return FALSE;
    }
    for (int i = 2; i < report.Get_NumMax_m_ReportCollaudo(); ++i) {
        if (!line(i) || !NLfOutput(1)) return FALSE;
    }
    report.Freem_ReportCollaudo();
    return NLfOutput(4 * m_iFeedCount + 6);
}

void CKalvoNewPrintersObject::Freem_ReportCollaudo() {
    if (m_pReportObj) m_pReportObj->Freem_ReportCollaudo();
}
