// The printers object's side of the test report: report lines, summary
// entries and the product record of the serial-number dialog. The report
// object sits in the layer above the printers object, so these members live
// here, in the report layer, where both are in sight. Until the report
// object's header is part of the library they write nothing.
#include "KalvoNewPrintersObject.h"

#include "UiServices.h"

#include <algorithm>

#if __has_include("KalvoNewReportFileObject.h")
#include "KalvoNewReportFileObject.h"
#define OSTREL_HAS_REPORT 1
#else
#define OSTREL_HAS_REPORT 0
#endif

void CKalvoNewPrintersObject::ReportLine(const CString& text) {
#if OSTREL_HAS_REPORT
    if (m_pReportObj) m_pReportObj->ToReportFile(text);
#else
    (void)text;
#endif
}

void CKalvoNewPrintersObject::ReportEntry(const CString& what, const CString& result) {
#if OSTREL_HAS_REPORT
    if (m_pReportObj) m_pReportObj->Addm_ReportCollaudo(what, result, m_uiCharLine);
#else
    (void)what;
    (void)result;
#endif
}

// Reads the product record into the request, or (store) writes the request
// back into it; false without a record.
bool CKalvoNewPrintersObject::ReportProductRecord(SerialNumberRequest& request, bool store) {
#if OSTREL_HAS_REPORT
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
#else
    (void)request;
    (void)store;
    return false;
#endif
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
