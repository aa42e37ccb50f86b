// One printer's test report: a plain-text file that every test phase appends
// to, a short summary kept in memory for the tested printer to print, and the
// test record (tester and product) that the station's dialogs fill.
#pragma once

#include "Clock.h"
#include "Conversioni.h"
#include "KalvoNewDebugObject.h"
#include "UiServices.h"

#include <cstdio>
#include <vector>

struct _AnagraficaCollaudo {
    CString strNome;             // tester's first name
    CString strCognome;          // tester's last name
    CString strDataCollaudo;     // test date
    CString strTipoProdotto;     // product type
    CString strCodiceProdotto;   // product code
    CString strLottoProduzione;  // production lot
    CString strNumeroSerie;      // serial number
};

class OSTREL_API CKalvoNewReportFileObject : public CConversioni {
public:
    // A font as the report's device contexts select it.
    struct ReportFont {
        const wchar_t* face;
        int height;
        int weight;
    };

    CKalvoNewReportFileObject() = default;
    CKalvoNewReportFileObject(HWND mainWnd, const CString& folder, _AnagraficaCollaudo* anagr,
                              CKalvoNewDebugObject* debugObj, const CString& revDoc, const CString& dataRevDoc);
    ~CKalvoNewReportFileObject() override;
    CKalvoNewReportFileObject(const CKalvoNewReportFileObject&) = delete;
    CKalvoNewReportFileObject& operator=(const CKalvoNewReportFileObject&) = delete;

    BOOL InitCKalvoNewReportFileObject(HWND mainWnd, const CString& folder, _AnagraficaCollaudo* anagr,
                                       CKalvoNewDebugObject* debugObj, const CString& revDoc,
                                       const CString& dataRevDoc);

    // Names the file after the product code and serial number, creates it
    // in the folder (replacing an earlier one) and writes the header.
    BOOL CreateReportFile();
    // Appends the text as it is (no format interpretation).
    BOOL ToReportFile(const CString& text);
    // Writes the header into the open report stream.
    BOOL IntestazReportFile();

    BOOL Addm_ReportCollaudo(const CString& text);
    // A line of exactly `width` characters: the first string, blanks, the
    // second string at the right end; an empty line when they do not fit.
    BOOL Addm_ReportCollaudo(const CString& first, const CString& second, DWORD width);
    int Get_NumMax_m_ReportCollaudo() const { return static_cast<int>(m_ReportCollaudo.size()); }
    CString Get_i_esimo_m_ReportCollaudo(int index) const;
    void Freem_ReportCollaudo() { m_ReportCollaudo.clear(); }

    _AnagraficaCollaudo* Get_m_pAnagrCol() const { return m_pAnagrCol; }
    CString Get_m_AnagrCollaudo_DataCollaudo() const;
    CString Get_m_AnagrCollaudo_TipoProdotto() const;
    // Empties every field but the type.
    void InitAnagrCollaudo();
    // Empties the product's fields; the tester and the type stay for the
    // next printer.
    void MiniInitAnagrCollaudo();

    // Prints the report file on a system printer. The operator cannot skip
    // it: every cancelled print dialog is answered with a reminder and the
    // dialog again.
    BOOL PrintReportFile(const CString& reportPath);
    // Draws the report file on the device: 500 x 500 logical units over the
    // printable area, one line per report line, further pages as needed.
    BOOL PrintTheReport(PrintDevice* dc, int horzRes, int vertRes, const CString& reportPath);

    void Setm_RevDocReport(const CString& s) { m_RevDocReport = s; }
    void Setm_DataRevDocReport(const CString& s) { m_DataRevDocReport = s; }
    const CString& Get_m_strReportName() const { return m_strReportName; }
    const CString& Get_m_strPathReport() const { return m_strPathReport; }
    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }
    // The time source of the header's start time (the real clock unless set).
    void SetClock(Clock* clock) { m_pClock = clock ? clock : &Clock::Real(); }

protected:
    void Log(const CString& text, const CString& caption, int show);

    const CString m_ClassName = L"CKalvoNewReportFileObject";
    const CString m_Version = L"1.00";
    HWND m_hMainWnd = nullptr;
    std::FILE* m_pFileReport = nullptr;
    CString m_strFolder;
    CString m_strReportName;
    CString m_strPathReport;
    _AnagraficaCollaudo* m_pAnagrCol = nullptr;
    std::vector<CString> m_ReportCollaudo;
    CString m_RevDocReport;
    CString m_DataRevDocReport;
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    // The screen fonts of the station's dialogs and the printing font.
    const ReportFont m_SystemFont{L"System", 0, 400};
    const ReportFont m_CourierFont{L"Courier New", 14, 400};
    const ReportFont m_CenturyFont{L"Century Gothic", 14, 600};
    const ReportFont m_PrintFont{L"Times New Roman", 9, 400};
    Clock* m_pClock = &Clock::Real();
};
