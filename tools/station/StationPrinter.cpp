#include "StationPrinter.h"

#include "KalvoNewDebugObject.h"
#include "NewDialogNumeroDiSerie.h"

#include <cmath>
#include <cstdio>
#include <ctime>

bool StationPrinter::Open(HWND window, const CString& folder, const CString& log, const CString& port,
                          const CString& cfg) {
    return InitCKalvoNewPrintersObject(window, &m_frame, folder, log, port, 1, cfg, L"", 0) == TRUE;
}

bool StationPrinter::StartReport() {
    if (!m_pReportObj || !m_pReportObj->CreateReportFile()) return false;
    m_fReportOn = TRUE;
    return IntestazReportFile() == TRUE;
}

CString StationPrinter::ChosenConfiguration() const {
    return m_NomeDefConfPrn == CNewDialogNumeroDiSerie::NoConfiguration() ? CString() : m_NomeDefConfPrn;
}

bool StationPrinter::Detect(std::string& line) {
    if (!AutodetectBaudRate()) {
        ReportLine(L"\nLa fase: Ricerca velocità di comunicazione       NOOK");
        return false;
    }
    const char parity = m_dcb.Parity == EVENPARITY ? 'e' : m_dcb.Parity == ODDPARITY ? 'o' : 'n';
    char buf[48];
    std::snprintf(buf, sizeof buf, "%u %u %c", static_cast<unsigned>(m_dcb.BaudRate),
                  static_cast<unsigned>(m_dcb.ByteSize), parity);
    line = buf;
    ReportLine(L"\nLa fase: Ricerca velocità di comunicazione       OK (" + CString::FromUtf8(line) + L")");
    ReportEntry(L"Baud rate", CString::Format(L"%u", static_cast<unsigned>(m_dcb.BaudRate)));
    return true;
}

bool StationPrinter::CheckRelease(std::string& release) {
    const CString text = GetReleaseSwStampante();
    release = text.ToUtf8();
    // Releases are hundredths ("1.20" is 120 in the configuration): compare
    // them as such, never as floats that 1.2 and 1.20 might split.
    char* end = nullptr;
    const double value = std::strtod(release.c_str(), &end);
    const bool ok = !release.empty() && end && *end == '\0' &&
                    std::lround(value * 100) == std::lround(static_cast<double>(m_fGsiRelease) * 100);
    ReportLine(L"\nLa fase: Verifica release firmware " + (text.IsEmpty() ? CString(L"?") : text) +
               (ok ? L"       OK" : L"       NOOK"));
    if (ok) ReportEntry(L"Release " + text, L"OK");
    return ok;
}

bool StationPrinter::SendDefaultConfiguration(const CString& name) {
    DWORD index = 0, status = 0;
    int sent = 0;
    while (NewSendCommandDefConfigPrn(name, &index, &status)) {
        ++sent;
        ++index;
    }
    const bool ok = status == 1 && sent > 0;
    ReportLine(L"\nLa fase: Configurazione di default " + name + (ok ? L"       OK" : L"       NOOK"));
    if (ok) ReportEntry(L"Config. " + name, L"OK");
    return ok;
}

StationPrinter::Flow StationPrinter::FlowTest(const CString& file) {
    if (!WriteFileToCom(file, m_uiRxBufDim, L"\nTest controllo di flusso con il file: " + file, TRUE))
        return Flow::kFailed;
    if (m_fBufferTestDone) return Flow::kPassed;
    const CString line = L"\nLa fase: Verifica buffer di ricezione pieno:    NOOK (buffer pieno mai segnalato)";
    ReportLine(line);
    m_pDebugObj->LogToFile(line, L"FlowTest()", 0);
    return Flow::kNeverFull;
}

bool StationPrinter::PrintSummary(bool passed) {
    if (!m_pReportObj) return false;
    ReportEntry(L"End test", ClockText(GetClock().WallTime()));
    ReportEntry(L"Result", passed ? L"OK" : L"NOOK");
    return Printm_ReportCollaudo() == TRUE;
}
