#include "KalvoNewReportFileObject.h"

#include "FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>

namespace {
const wchar_t* const kSourceFile = L"KalvoNewReportFileObject";

// Writes the text as single bytes; false when the stream refused some.
bool Put(std::FILE* f, const CString& text) {
    const std::string bytes = text.ToBytes();
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

CString HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return L"(unknown)";
    return CString::FromUtf8(name);
}

CString SystemName() {
    utsname u{};
    if (::uname(&u) != 0) return L"(unknown)";
    return CString::FromUtf8(std::string(u.sysname) + " " + u.release);
}

// The report file's lines as a fixed 350-byte line buffer reads them: a
// longer line continues as the next one.
bool ReadReportLines(const CString& path, std::vector<CString>& lines) {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, data)) return false;
    constexpr std::size_t kMaxLine = 349;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = start;
        while (end < data.size() && end - start < kMaxLine && data[end] != '\n') ++end;
        if (end < data.size() && data[end] == '\n' && end - start < kMaxLine) ++end;
        std::string line(data.begin() + static_cast<std::ptrdiff_t>(start), data.begin() + static_cast<std::ptrdiff_t>(end));
        std::erase(line, '\n');
        std::erase(line, '\r');
        lines.push_back(CString::FromBytes(line));
        start = end;
    }
    return true;
}
}  // namespace

CKalvoNewReportFileObject::CKalvoNewReportFileObject(HWND mainWnd, const CString& folder,
                                                     _AnagraficaCollaudo* anagr, CKalvoNewDebugObject* debugObj,
                                                     const CString& revDoc, const CString& dataRevDoc) {
    InitCKalvoNewReportFileObject(mainWnd, folder, anagr, debugObj, revDoc, dataRevDoc);
}

CKalvoNewReportFileObject::~CKalvoNewReportFileObject() {
    if (m_pFileReport) std::fclose(m_pFileReport);
}

BOOL CKalvoNewReportFileObject::InitCKalvoNewReportFileObject(HWND mainWnd, const CString& folder,
                                                              _AnagraficaCollaudo* anagr,
                                                              CKalvoNewDebugObject* debugObj, const CString& revDoc,
                                                              const CString& dataRevDoc) {
    m_hMainWnd = mainWnd;
    m_strFolder = folder;
    m_pAnagrCol = anagr;
    m_pDebugObj = debugObj;
    m_RevDocReport = revDoc;
    m_DataRevDocReport = dataRevDoc;
    m_strReportName.Empty();
    m_strPathReport.Empty();
    return TRUE;
}

void CKalvoNewReportFileObject::Log(const CString& text, const CString& caption, int show) {
    if (m_pDebugObj) {
        m_pDebugObj->MessageLog(text, caption, show);
    } else if (show) {
        MessageBox(m_hMainWnd, text, caption, MB_OK | MB_ICONWARNING);
    }
}

BOOL CKalvoNewReportFileObject::CreateReportFile() {
    MYThrow(m_pAnagrCol != nullptr, L"1) CreateReportFile()", m_ClassName, kSourceFile);
    m_strReportName = m_pAnagrCol->strCodiceProdotto + m_pAnagrCol->strNumeroSerie + L".rpt";
    m_strPathReport = WithTrailingSlash(m_strFolder) + m_strReportName;
    // The reason, when the system gave one, goes on a second line.
    const auto fail = [&](int error) {
        CString text = L"Impossibile creare il file di Report";
        if (error != 0) text += L"\n" + CString::FromUtf8(std::strerror(error));
        MessageBox(m_hMainWnd, text, L"Errore creazione report file", MB_OKCANCEL | MB_ICONERROR);
        return FALSE;
    };
    // The code and the serial number are typed by the operator: a separator
    // in them would put the report outside its folder.
    if (m_strReportName.Find(L'/') >= 0 || m_strReportName.Find(L'\0') >= 0) return fail(0);
    m_pFileReport = std::fopen(ToPath(m_strPathReport).c_str(), "wb");
    if (!m_pFileReport) return fail(errno);
    errno = 0;
    const BOOL written = IntestazReportFile() && std::fflush(m_pFileReport) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(m_pFileReport) == 0;
    const int closeError = errno;
    m_pFileReport = nullptr;
    if (!written) return fail(writeError ? writeError : EIO);
    if (!closed) return fail(closeError ? closeError : EIO);
    return TRUE;
}

BOOL CKalvoNewReportFileObject::IntestazReportFile() {
    if (!m_pFileReport || !m_pAnagrCol) return FALSE;
    const _AnagraficaCollaudo& a = *m_pAnagrCol;
    const CString texts[] = {
        // The letterhead: who made the station and what produced this file.
        L"\nKalvo - serial receipt and ticket printers",
        L"\nPrinter test report",
        CString::Format(L"\nTest station: %s", HostName()),
        CString::Format(L"\nLibrary: Ostrel %s", m_Version),
        CString::Format(L"\nTest document: revision %s of %s", m_RevDocReport, m_DataRevDocReport),
        CString::Format(L"\nSystem: %s", SystemName()),
        CString::Format(L"\nReport folder: %s", m_strFolder),
        CString::Format(L"\n\nFile di report: %s \n", m_strReportName),
        L"\n\n---------------- FOGLIO DI COLLAUDO ----------------",
        L"\n\nNome prodotto: Stampante.",
        CString::Format(L"\nTipo:          %s", a.strTipoProdotto),
        L"\n\n",
        CString::Format(L"\nCollaudatore:                 %s %s", a.strNome, a.strCognome),
        CString::Format(L"\nData di collaudo:             %s", a.strDataCollaudo),
        CString::Format(L"\nCodice del prodotto:          %s", a.strCodiceProdotto),
        CString::Format(L"\nNumero di serie del prodotto: %s", a.strNumeroSerie),
        CString::Format(L"\nLotto di produzione:          %s", a.strLottoProduzione),
        L"\n\n",
        CString::Format(L"\nOra di inizio collaudo: %s \n", ClockText(m_pClock->WallTime())),
    };
    for (const CString& t : texts) {
        if (!Put(m_pFileReport, t)) return FALSE;
    }
    return TRUE;
}

BOOL CKalvoNewReportFileObject::ToReportFile(const CString& text) {
    if (m_strPathReport.IsEmpty()) return FALSE;
    std::FILE* f = std::fopen(ToPath(m_strPathReport).c_str(), "ab");
    if (!f) return FALSE;
    const bool ok = Put(f, text);
    return (std::fclose(f) == 0 && ok) ? TRUE : FALSE;
}

BOOL CKalvoNewReportFileObject::Addm_ReportCollaudo(const CString& text) {
    m_ReportCollaudo.push_back(text);
    return TRUE;
}

BOOL CKalvoNewReportFileObject::Addm_ReportCollaudo(const CString& first, const CString& second, DWORD width) {
    CString line = FormatMessageW(CString(), first, second, width);
    if (static_cast<DWORD>(line.GetLength()) != width) line.Empty();
    m_ReportCollaudo.push_back(line);
    return TRUE;
}

CString CKalvoNewReportFileObject::Get_i_esimo_m_ReportCollaudo(int index) const {
    if (index < 0 || index >= Get_NumMax_m_ReportCollaudo()) return {};
    return m_ReportCollaudo[static_cast<std::size_t>(index)];
}

CString CKalvoNewReportFileObject::Get_m_AnagrCollaudo_DataCollaudo() const {
    return m_pAnagrCol ? m_pAnagrCol->strDataCollaudo : CString();
}

CString CKalvoNewReportFileObject::Get_m_AnagrCollaudo_TipoProdotto() const {
    return m_pAnagrCol ? m_pAnagrCol->strTipoProdotto : CString();
}

void CKalvoNewReportFileObject::InitAnagrCollaudo() {
    if (!m_pAnagrCol) return;
    const CString tipo = m_pAnagrCol->strTipoProdotto;
    *m_pAnagrCol = _AnagraficaCollaudo{};
    m_pAnagrCol->strTipoProdotto = tipo;
}

void CKalvoNewReportFileObject::MiniInitAnagrCollaudo() {
    if (!m_pAnagrCol) return;
    m_pAnagrCol->strCodiceProdotto.Empty();
    m_pAnagrCol->strDataCollaudo.Empty();
    m_pAnagrCol->strLottoProduzione.Empty();
    m_pAnagrCol->strNumeroSerie.Empty();
}

BOOL CKalvoNewReportFileObject::PrintReportFile(const CString& reportPath) {
    std::unique_ptr<PrintDevice> dc;
    for (;;) {
        CString error;
        const int answer = UiServices::Get().PrintDialog(m_hMainWnd, dc, error);
        if (answer == IDOK && dc) break;
        if (answer == IDCANCEL) {
            MessageBox(m_hMainWnd, L"Il File di report deve essere stampato comunque.", L"Report file",
                       MB_OK | MB_ICONWARNING);
            continue;
        }
        // No printer can be had here at all: insisting would never end.
        Log(L"\n" + (error.IsEmpty() ? CString(L"No printer was chosen") : error) + L": " + reportPath,
            L"Report file", 1);
        return FALSE;
    }
    const int horzRes = dc->HorzRes();
    const int vertRes = dc->VertRes();
    const int slash = reportPath.ReverseFind(L'/');
    if (!dc->StartDoc(slash >= 0 ? reportPath.Mid(slash + 1) : reportPath) || !dc->StartPage()) {
        dc->AbortDoc();
        Log(CString::Format(L"\nStampa del file di report non avviata: %s.", reportPath), L"Report file", 1);
        return FALSE;
    }
    // A report that cannot be read must not come out as an empty page
    // reported as printed.
    if (!PrintTheReport(dc.get(), horzRes, vertRes, reportPath)) {
        dc->AbortDoc();
        return FALSE;
    }
    Log(CString::Format(L"\nInviato sulla coda di stampa il file di report: %s.", reportPath), L"", 0);
    BOOL ok = TRUE;
    if (!dc->EndPage()) {
        dc->AbortDoc();
        ok = FALSE;
    } else if (!dc->EndDoc()) {
        ok = FALSE;
    }
    Log(CString::Format(L"\nFine stampa del file di report: %s.", reportPath), L"", 0);
    return ok;
}

BOOL CKalvoNewReportFileObject::PrintTheReport(PrintDevice* dc, int horzRes, int vertRes,
                                               const CString& reportPath) {
    std::vector<CString> lines;
    if (!dc || !ReadReportLines(reportPath, lines)) {
        Log(CString::Format(L"\nFile di report: %s non aperto. Impossibile caricare dati di configurazione "
                            L"stampante.",
                            reportPath),
            L"Errore apertura file di report", 1);
        return FALSE;
    }
    constexpr int kLogical = 500;
    // A new page may start with fresh device attributes: set everything
    // again for each one.
    PrintDevice::TextMetrics tm;
    const auto setUpPage = [&] {
        dc->SetIsotropicMapping(kLogical, kLogical, horzRes, vertRes);
        const CString face = dc->SelectFont(m_PrintFont.face, m_PrintFont.height, m_PrintFont.weight);
        tm = dc->GetTextMetrics();
        return face;
    };
    const CString face = setUpPage();
    Log(CString::Format(L"\nReport font: %s (the nearest installed face to %s).", face, m_PrintFont.face), L"", 0);
    const int lineHeight = std::max(1, tm.tmHeight + tm.tmExternalLeading);
    const int left = 2 * tm.tmAveCharWidth;
    // The logical units the printable height covers under the isotropic
    // mapping; the line at (i + 1) line heights must end inside it.
    const int shorter = std::max(1, std::min(horzRes, vertRes));
    const long long pageHeight = static_cast<long long>(std::max(vertRes, 1)) * kLogical / shorter;
    const int perPage = static_cast<int>(std::max<long long>(1, pageHeight / lineHeight - 1));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i % static_cast<std::size_t>(perPage));
        if (i > 0 && row == 0) {
            if (!dc->EndPage() || !dc->StartPage()) return FALSE;
            setUpPage();
        }
        if (!dc->TextOut(left, (row + 1) * lineHeight, lines[i])) return FALSE;
    }
    return TRUE;
}
