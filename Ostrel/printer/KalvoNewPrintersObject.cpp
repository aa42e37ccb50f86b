#include "KalvoNewPrintersObject.h"

#include "FileUtil.h"
#include "MessageTarget.h"
#include "UiServices.h"

#include <cstring>
#include <ctime>

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A retried byte waits this long first: a printer that is busy or off
// answers at once, and retrying without a pause would only burn the CPU
// until the deadline.
constexpr milliseconds kRetryPause{10};

DWORD& Cell(DWORD* p, DWORD& spare) { return p ? *p : spare; }

}  // namespace

CKalvoNewPrintersObject::CKalvoNewPrintersObject() = default;

CKalvoNewPrintersObject::~CKalvoNewPrintersObject() {
    if (m_hComPort && m_CComPortInit && !SetOldConfCom())
        m_pDebugObj->MessageLog(L"\nImpossibile ripristinare configurazione iniziale sulla porta di comunicazione",
                                L"~CMainFrame()", 1);
}

BOOL CKalvoNewPrintersObject::InitCKalvoNewPrintersObject(HWND hMainWnd, void* pMainFrame, const CString& folder,
                                                          const CString& logFileName, const CString& portName,
                                                          int debugMode, const CString& cfgFileName,
                                                          const CString& aviFileName, UINT uiHwHandshake) {
    m_strAviPath = (folder.IsEmpty() ? folder : WithTrailingSlash(folder)) + aviFileName;
    MYThrow(pMainFrame != nullptr, L"1) InitCKalvoNewPrintersObject(..)", L"CKalvoNewPrintersObject",
            L"KalvoNewPrintersObject");
    MYThrow(hMainWnd != nullptr, L"2) InitCKalvoNewPrintersObject(..)", L"CKalvoNewPrintersObject",
            L"KalvoNewPrintersObject");
    if (!InitCKalvoNewCfgFileObject(hMainWnd, pMainFrame, folder, logFileName, portName, debugMode, cfgFileName,
                                    uiHwHandshake))
        return FALSE;
    int present = 0;
    if (!GetOptionPrintersToTest(L"IsR730", &present)) return FALSE;
    m_fIsR730 = present;
    if (!GetOptionPrintersToTest(L"DTRpresent", &present)) return FALSE;
    m_fDTRpresent = present;
    if (!GetOptionPrintersToTest(L"Rxbufdim", &m_uiRxBufDim)) return FALSE;
    if (!GetOptionPrintersToTest(L"Dot/line", &m_uiDotLine)) return FALSE;
    if (!GetOptionPrintersToTest(L"Char/line", &m_uiCharLine)) return FALSE;
    if (!GetOptionPrintersToTest(L"GSImodel", &m_uiGsiModel)) return FALSE;
    DWORD release = 0;
    if (!GetOptionPrintersToTest(L"GSIrelease", &release)) return FALSE;
    m_fGsiRelease = static_cast<float>(release) / 100.0f;
    Set_m_StringComConfig();
    return TRUE;
}

void CKalvoNewPrintersObject::StopWriter() { m_evStopWriter.Set(); }

BOOL CKalvoNewPrintersObject::ComPortConfig() {
    DCB edited = m_dcb;
    if (UiServices::Get().PortSettingsDialog(m_hMainWnd, m_strPortName, &edited) != IDOK) return TRUE;
    m_dcb = edited;
    if (m_hComPort && !m_hComPort->SetCommState(m_dcb)) {
        m_pDebugObj->MessageLog(CString::Format(L"Impossibile richiamare finestra di configurazione per COM1. "
                                                L"Errore numero: %d",
                                                m_hComPort->GetLastError()),
                                L"OnCom1Config()", 1);
        return FALSE;
    }
    Set_m_StringComConfig();
    return TRUE;
}

// ---- Options ---------------------------------------------------------------

BOOL CKalvoNewPrintersObject::GetOptionPrintersToTest(const CString& name, DWORD* value) {
    return CKalvoNewCfgFileObject::GetOptionPrintersToTest(name, value);
}

BOOL CKalvoNewPrintersObject::GetOptionPrintersToTest(const CString& name, char* state, DWORD* value) {
    return CKalvoNewCfgFileObject::GetOptionPrintersToTest(name, state, value);
}

BOOL CKalvoNewPrintersObject::GetOptionPrintersToTest(const CString& name, int* present) {
    const CfgOptionEntry* option = nullptr;
    for (const auto& e : m_arrOptions) {
        if (e->name == name) {
            option = e.get();
            break;
        }
    }
    if (!option) {
        m_pDebugObj->MessageLog(L"\nImposibile trovare parola chiave:" + name +
                                    L" verificare integrità file di configurazione: " + m_strPathCfg,
                                L"GetOptionPrintersToTest()", 1);
        if (present) *present = -1;
        return FALSE;
    }
    int result = 1;
    switch (option->state) {
        case L'N': case L'n': case L'A': case L'a': result = 0; break;
        case L'O': case L'o':
            if (MessageBox(m_hMainWnd, option->text, L"Opzione presente ?", MB_YESNO | MB_ICONQUESTION) == IDNO) {
                result = 0;
                if (m_pReportObj) {
                    ReportEntry(name == L"Cassetto" ? CString(L"Drawer") : name, L"NOT PRESENT");
                    ReportLine(L"\nL'opzione " + name + L" NON è presente");
                }
            }
            break;
        default: break;
    }
    if (present) *present = result;
    return TRUE;
}

// ---- Model and line setting ------------------------------------------------

BOOL CKalvoNewPrintersObject::GetModelPrinter(BYTE expectedModel, BOOL report) {
    BYTE reply[1] = {0};
    DWORD got = 0;
    if (NewSendCommandToCom(L"Cmodel", reply, sizeof reply, &got) != 1) return FALSE;
    m_pDebugObj->LogToFile(CString::Format(L"\n Stampante -> Modello stampante = %d", reply[0]),
                           L"GetModelPrinter()", 0);
    m_pDebugObj->LogToFile(CString::Format(L"\n File di configurazione -> Modello stampante = %d", expectedModel),
                           L"GetModelPrinter()", 0);
    if (reply[0] == expectedModel) {
        if (report && ReportOn()) {
            ReportLine(L"\nLa fase: Verifica coincidenza modello stampante       OK");
            ReportEntry(L"Priter model", L"OK");
        }
        return TRUE;
    }
    if (report) {
        m_pDebugObj->MessageLog(CString::Format(L"\n Warning the model printer isn't correct. The printer id number "
                                                L"is %d but the  printer id number in  *.psw file is %d . The number "
                                                L"isn't identical.",
                                                reply[0], expectedModel),
                                L"Errore in rilevazione versione stampante", 1);
        if (ReportOn()) ReportLine(L"\nLa fase: Verifica coincidenza modello stampante       NOOK");
    } else {
        m_pDebugObj->MessageLog(CString::Format(L"\n Attenzione non coincidenza sul numero di identificazione "
                                                L"stampante %d con quello presente nel file di configurazione %d  ",
                                                reply[0], expectedModel),
                                L"GetModelPrinter()", 0);
    }
    return FALSE;
}

BOOL CKalvoNewPrintersObject::GetModelPrinter(BOOL report) {
    char state = 0;
    DWORD model = 0;
    if (!GetOptionPrintersToTest(L"GSImodel", &state, &model)) return FALSE;
    return GetModelPrinter(static_cast<BYTE>(model), report);
}

BOOL CKalvoNewPrintersObject::VerificaComToPrn(BYTE expectedModel) {
    for (int i = 0; i < 6; ++i) {
        if (!GetModelPrinter(expectedModel, FALSE)) return FALSE;
    }
    return TRUE;
}

BOOL CKalvoNewPrintersObject::VerificaComToPrn() {
    for (int i = 0; i < 6; ++i) {
        if (!GetModelPrinter(FALSE)) return FALSE;
    }
    return TRUE;
}

BOOL CKalvoNewPrintersObject::AutodetectBaudRate(BYTE expectedModel) { return Autodetect(&expectedModel); }

BOOL CKalvoNewPrintersObject::AutodetectBaudRate() { return Autodetect(nullptr); }

BOOL CKalvoNewPrintersObject::Autodetect(const BYTE* expectedModel) {
    const DWORD rateBefore = m_dcb.BaudRate;
    Set_m_StringComConfig(L"Autodetecting...");
    PostMessage(m_hNotifyWnd, WM_COMCONFIG_CHANGED, 0, 0);
    bool found = false;
    for (DWORD baud = CBR_38400;; baud /= 2) {
        if (!SetBaudRate(baud)) break;
        if (expectedModel ? VerificaComToPrn(*expectedModel) : VerificaComToPrn()) {
            NewSendCommandToCom(L"Noprintoutput");
            found = true;
            break;
        }
        if (baud == CBR_300) break;
    }
    if (!found) {
        // A search that found nothing must not leave the port at 300 baud
        // under "Autodetecting...": the rate it had comes back, and the
        // status text says so.
        if (rateBefore != 0) SetBaudRate(rateBefore);
        Set_m_StringComConfig();
        if (m_bfIsUpgrade) {
            if (expectedModel)
                MessageBox(m_hMainWnd, L"Impossible send data to printer. Verify if the model printer is correct.",
                           L"Comunication data error.", MB_ICONERROR);
            else
                MessageBox(m_hMainWnd,
                           L"Attenzione impossibile dialogare con la stampante: verificare che il modello della "
                           L"stampante sia corretto.",
                           L"Errore di comunicazione con la stampante", MB_ICONERROR);
        }
        return FALSE;
    }
    const CString who = expectedModel ? L"AutodetectBaudRate(_GSI)" : L"AutodetectBaudRate()";
    auto log = [&](const CString& text) { m_pDebugObj->LogToFile(text, L"AutodetectBaudRate()", 0); };
    log(CString::Format(L"\nAutodetectBaudRate() -> Baud rate = %d", m_dcb.BaudRate));
    log(CString::Format(L"\nAutodetectBaudRate() -> numero byte = %d", m_dcb.ByteSize));
    const wchar_t* parity = m_dcb.Parity == EVENPARITY  ? L"EVENPARITY"
                            : m_dcb.Parity == ODDPARITY ? L"ODDPARITY"
                                                        : L"NOPARITY";
    log(L"\n" + who + L" -> " + parity);
    const bool software = !m_dcb.fOutxCtsFlow && m_dcb.fOutxDsrFlow && m_dcb.fOutX;
    log(L"\n" + who + (software ? L" -> Controllo di flusso Xon/Xoff" : L" -> Controllo di flusso Hardware"));
    Set_m_StringComConfig();
    return TRUE;
}

BOOL CKalvoNewPrintersObject::SetAutomaticComPort(const CString& commandName) {
    BYTE bytes[CfgCommandEntry::kMaxBytes] = {};
    DWORD count = 0, replies = 0;
    if (!GetCommandPrintersToTest(commandName, bytes, &count, &replies)) return FALSE;
    NewSendCommandToCom(commandName);
    SetComPort(bytes[4]);
    if (GetModelPrinter(FALSE) || AutodetectBaudRate()) return TRUE;
    m_pDebugObj->LogToFile(L"\nSetAutomaticComPort() -> Impossibile determinare giusta configurazione per porta di "
                           L"comunicazione stampante ",
                           L"SetAutomaticComPort()", 0);
    return FALSE;
}

// ---- Sending ---------------------------------------------------------------

BOOL CKalvoNewPrintersObject::PrinterOff() {
    m_pDebugObj->MessageLog(L"\nStampante spenta! Collaudo abortito", L"Stampante spenta", 1);
    if (ReportOn()) ReportLine(L"\nCollaudo abortito: stampante spenta");
    return FALSE;
}

BOOL CKalvoNewPrintersObject::SendCommandToComm(const BYTE* bytes, DWORD count) {
    DWORD error = 0;
    if (!GetDCEPowerOn(&error)) return PrinterOff();
    if (!WriteToCom(bytes, count, FALSE)) {
        m_pDebugObj->LogToFile(L"\nSendCommandToComm(): Errore procedura di invio dati !! Operazione abortita",
                               L"SendCommandToComm()", 0);
        return FALSE;
    }
    return TRUE;
}

BOOL CKalvoNewPrintersObject::SendCommandToComm(const char* text) {
    if (!text) return FALSE;
    return SendCommandToComm(reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text)));
}

BOOL CKalvoNewPrintersObject::SendCommandToComm(const BYTE* bytes, DWORD count, BYTE* reply, DWORD* pReplyCount,
                                                DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    if (!GetDCEPowerOn(&error)) return PrinterOff();
    Port().PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR);
    if (!WriteToCom(bytes, count, FALSE)) {
        error = ERROR_SEND_COMMAND;
        return FALSE;
    }
    return ReadBytes(reply, pReplyCount, &error);
}

BOOL CKalvoNewPrintersObject::NewSendCommandToCom(const CString& commandName) {
    BYTE bytes[CfgCommandEntry::kMaxBytes] = {};
    DWORD count = 0, replies = 0;
    if (!GetCommandPrintersToTest(commandName, bytes, &count, &replies)) return FALSE;
    return SendCommandToComm(bytes, count);
}

DWORD CKalvoNewPrintersObject::NewSendCommandToCom(const CString& commandName, BYTE* reply, DWORD* pReplyCount) {
    return NewSendCommandToCom(commandName, reply, 0xFFFFFFFFu, pReplyCount);
}

DWORD CKalvoNewPrintersObject::NewSendCommandToCom(const CString& commandName, BYTE* reply, DWORD capacity,
                                                   DWORD* pReplyCount) {
    DWORD spareCount = 0;
    DWORD& got = Cell(pReplyCount, spareCount);
    got = 0;
    BYTE bytes[CfgCommandEntry::kMaxBytes] = {};
    DWORD count = 0, replies = 0;
    if (!GetCommandPrintersToTest(commandName, bytes, &count, &replies)) return 0;
    if (replies > capacity) {
        m_pDebugObj->LogToFile(CString::Format(L"\nIl comando: %s dichiara %d bytes di risposta, il buffer ne contiene "
                                               L"%d. Comando non inviato.",
                                               commandName, replies, capacity),
                               L"NewSendCommandToCom()", 0);
        return 0;
    }
    DWORD n = replies, error = 0;
    if (!SendCommandToComm(bytes, count, reply, &n, &error)) return 0;
    got = n;
    return n;
}

// ---- The byte-stream writer ------------------------------------------------

BOOL CKalvoNewPrintersObject::WriteToCom(const BYTE* bytes, DWORD count, BOOL testFlag, UINT /*unused*/) {
    if (!Port().PurgeComm(PURGE_TXABORT)) MessageBox(m_hMainWnd, L"Errore su PurgeComm(hComPort, PURGE_TXABORT)",
                                                     L"InitCom()", MB_OK);
    if (count > 0 && !bytes) return FALSE;
    auto log = [&](const CString& text) { m_pDebugObj->LogToFile(text, L"WriteToCom()", 0); };
    auto say = [&](const CString& text, const CString& caption) { m_pDebugObj->MessageLog(text, caption, 1); };
    Clock& clock = GetClock();

    // A failure streak: from its first failing attempt the same byte may be
    // retried for the write interval, with a log line about every 3 s.
    bool inStreak = false;
    std::time_t deadline = 0, nextReport = 0;
    // Under the streak rule: logs when due; false once the time is up.
    auto streak = [&](const wchar_t* timeLine, const CString& errorLine) {
        const std::time_t now = clock.WallTime();
        if (!inStreak) {
            inStreak = true;
            deadline = now + m_intRW.iWriteInterval;
            nextReport = now;
        }
        if (now > nextReport) {
            log(timeLine + ClockText(now));
            log(errorLine);
            nextReport += 3;
        }
        if (now > deadline) {
            log(L"\n BREAK TRASMISSIONE. Interrotto trasmissione dati per Time Out alle ore: " + ClockText(now));
            return false;
        }
        clock.SleepFor(kRetryPause);
        return true;
    };

    DWORD sent = 0;
    while (sent < count) {
        const BYTE b = bytes[sent];
        if (m_evStopWriter.Wait(milliseconds(0))) {
            log(CString::Format(L"\nWriteToCom() Processo invio dati interrotto dall'utente dopo %d byte di dati "
                                L"inviati alla stampante. Byte non inviato: %c",
                                sent, b));
            // A few bytes may still wait for the line; a stop means none of
            // them is wanted any more.
            Port().PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR);
            return FALSE;
        }
        DWORD error = 0;
        if (WriteBite(b, &error)) {
            ++sent;
            inStreak = false;
            continue;
        }
        auto fatal = [&](const wchar_t* fmt) {
            say(CString::Format(fmt, error, sent, b), L"WriteToCom()");
            return FALSE;
        };
        switch (error) {
            case ERROR_COM_DEVICE_ON_CTS:
                return fatal(L"\nWriteToCom() Errore: WriteByte() -> ERROR_COM_DEVICE_ON_CTS = %d dopo %d byte di dati "
                             L"inviati alla stampante. Byte non inviato: %c. Processo trasmissione dati abortito");
            case ERROR_COM_DEVICE_ON_DSR:
                return fatal(L"\nWriteToCom() Errore: WriteByte() -> ERROR_COM_DEVICE_ON_DSR = %d dopo %d byte di dati "
                             L"inviati alla stampante. Byte non inviato: %c. Processo trasmissione dati abortito");
            case ERROR_SET_EVENT:
                return fatal(L"WriteToCom() Errore: WriteBite() -> ERROR_SET_EVENT = %d dopo %d byte di dati inviati "
                             L"alla stampante. Byte non inviato: %c. Processo trasmissione dati abortito");
            case ERROR_COM_DEVICE:
                return fatal(L"\nWriteToCom() Errore: WriteByte() -> ERROR_COM_DEVICE = %d dopo %d byte di dati "
                             L"inviati alla stampante. Byte non inviato: %c. Processo trasmissione dati abortito");
            case ERROR_MS_DSR_LOW_PWR_DOWN:
                if (!streak(L"\nStampante Spenta alle ore: ",
                            CString::Format(L"\nWriteToCom() Stampante spenta. Errore: WriteByte() -> "
                                            L"ERROR_MS_DSR_LOW_PWR_DOWN = %d dopo %d byte di dati inviati alla "
                                            L"stampante. Byte non inviato: %c",
                                            error, sent, b)))
                    return FALSE;
                break;
            case ERROR_MS_CTS_LOW_PRN_BUSY:
                if (testFlag) {
                    if (!m_fBufferTestDone) {
                        const CString entry = L"Data flow";
                        BufferFull(&entry);
                    }
                    clock.SleepFor(kRetryPause);
                    break;
                }
                if (!streak(L"\nStampante in Busy alle ore: ",
                            CString::Format(L"\nWriteToCom() Stampante in Busy. Errore: WriteByte() -> "
                                            L"ERROR_MS_CTS_LOW_PRN_BUSY = %d dopo %d byte di dati inviati alla "
                                            L"stampante. Byte non inviato: %c",
                                            error, sent, b)))
                    return FALSE;
                break;
            case ERROR_XOFF_RECIVED:
                if (!testFlag) {
                    if (!streak(L"\nXOFF ricevuto alle ore: ",
                                CString::Format(L"\nWriteToCom() XOFF ricevuto alle ore:. Errore: WriteByte() -> "
                                                L"ERROR_XOFF_RECIVED = %d dopo %d byte di dati inviati alla "
                                                L"stampante. Byte non inviato: %c",
                                                error, sent, b)))
                        return FALSE;
                    break;
                }
                if (!m_fBufferTestDone) {
                    if (m_fIsR730) {
                        BufferFull(nullptr);
                    } else {
                        DWORD cts = 0;
                        if (Get_CTS_StatusLine(&cts)) {
                            // Full buffer but CTS still high: the cable does
                            // not carry the busy line.
                            const CString text =
                                L"\nWriteToCom() Errore di CTS. Verificare che il cavo utilizzato sia corretto";
                            say(text, L"Errore linea dati CTS");
                            if (ReportOn()) ReportLine(text);
                            return FALSE;
                        }
                        if (cts == ERROR_MS_CTS_LOW_PRN_BUSY) {
                            const CString entry = L"Flus control";
                            BufferFull(&entry);
                        } else {
                            const CString text = L"\nWriteToCom() Errore: ERROR_COM_DEVICE_ON_CTS. Processo di "
                                                 L"trasmissione dati interrotto";
                            say(text, L"Errore linea dati CTS");
                            if (ReportOn()) ReportLine(text);
                            m_fBufferTestDone = TRUE;
                            return FALSE;
                        }
                    }
                }
                clock.SleepFor(kRetryPause);
                break;
            case ERROR_OPERATION_ABORTED:
            case ERROR_IO_INCOMPLETE:
            case ERROR_IO_PENDING: {
                DWORD errors = 0;
                COMSTAT stat;
                Port().ClearCommError(&errors, &stat);
                if (!streak(L"\nErrore di I/O: ",
                            CString::Format(L"\nWriteToCom() Errore: WriteByte() -> WAIT_TIMEOUT GetLastError() = %d "
                                            L"dopo %d byte di dati inviati alla stampante. Byte non inviato: %c",
                                            error, sent, b)))
                    return FALSE;
                break;
            }
            default:
                log(CString::Format(L"WriteToCom() WriteByte() -> Errore: CASO DEFAULT = %d (default case in switch) "
                                    L"dopo %d byte di dati inviati alla stampante. Byte non inviato: %c",
                                    error, sent, b));
                log(L"\nWriteToCom() WriteByte() -> Errore: default case in switch");
                // Bounded like the other retries: an error that never
                // clears must not hold the caller for ever.
                if (!streak(L"\nErrore di I/O: ", CString())) return FALSE;
                break;
        }
    }
    return TRUE;
}

void CKalvoNewPrintersObject::BufferFull(const CString* entry) {
    MessageBox(m_hMainWnd, L"\nWriteToCom() Buffer di ricezione pieno. Abbassare la levetta della testina.",
               L"Test buffer di ricezione", MB_ICONWARNING);
    const CString line = L"\nLa fase: Verifica buffer di ricezione pieno:    OK";
    if (ReportOn()) ReportLine(line);
    m_pDebugObj->LogToFile(line, L"WriteToCom()", 0);
    if (entry) ReportEntry(*entry, L"OK");
    m_fBufferTestDone = TRUE;
}

// ---- Queries ---------------------------------------------------------------

BOOL CKalvoNewPrintersObject::GetStatusPrinter() {
    DWORD error = 0;
    bool on = false;
    for (int i = 0; i < 6 && !on; ++i) on = GetDCEPowerOn(&error);
    if (!on) return FALSE;
    for (int i = 0; i < 5; ++i) {
        if (i > 0) GetClock().SleepFor(milliseconds(700));
        if (Get_CTS_StatusLine(&error)) return TRUE;
        if (error == ERROR_MS_CTS_LOW_PRN_BUSY) {
            const CString text = L"\nWriteToCom() Errore di CTS. Verify if the data cable is correct!";
            m_pDebugObj->MessageLog(text, L"CTS error line", 1);
            m_pDebugObj->LogToFile(text, L"GetStatusPrinter()", 0);
        } else {
            const CString text = L"\nWriteToCom() Error: ERROR_COM_DEVICE_ON_CTS. Data transfer interrupted";
            m_pDebugObj->MessageLog(text, L"CTS error line", 1);
            if (ReportOn()) ReportLine(text);
            return FALSE;
        }
    }
    return FALSE;
}

CString CKalvoNewPrintersObject::GetReleaseSwStampante() {
    BYTE reply[5] = {};
    DWORD got = 0;
    if (NewSendCommandToCom(L"Crelease", reply, sizeof reply, &got) != 4) return CString();
    if (reply[3] == ' ') reply[3] = '0';
    return CString::FromBytes(reply, 4);
}

// ---- Default configurations ------------------------------------------------

BOOL CKalvoNewPrintersObject::SendCommandDefConfigPrn(const BYTE* bytes, DWORD count) {
    DWORD error = 0;
    if (!GetDCEPowerOn(&error)) return PrinterOff();
    Port().PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR);
    if (!WriteToCom(bytes, count, FALSE)) return FALSE;
    BYTE ack = 0;
    DWORD n = 1;
    if (!ReadBytes(&ack, &n, &error) || n != 1 || ack != ASCII_ACK) {
        m_pDebugObj->LogToFile(L"\nNon ricevuto messaggio di ACK dopo spedizione comando di configurazione",
                               L"SendCommandDefConfigPrn()", 0);
        return FALSE;
    }
    // The printer resets after the acknowledgement; it is back when CTS is.
    for (int i = 0; i < 4; ++i) {
        GetClock().SleepFor(seconds(5));
        if (Get_CTS_StatusLine(&error)) return TRUE;
    }
    m_pDebugObj->LogToFile(L"\nErrore di non pronto a ricevere della stampante dopo suo reset",
                           L"SendCommandDefConfigPrn()", 0);
    return FALSE;
}

BOOL CKalvoNewPrintersObject::NewSendCommandDefConfigPrn(const CString& configName, DWORD* pIndex, DWORD* pStatus) {
    DWORD spareIndex = 0, spareStatus = 0;
    DWORD& index = Cell(pIndex, spareIndex);
    DWORD& status = Cell(pStatus, spareStatus);
    BYTE bytes[CfgCommandEntry::kMaxBytes] = {};
    DWORD count = 0, replies = 0;
    if (!GetCommandDefConfigPrn(configName, &index, bytes, &count, &replies)) {
        status = 1;
        return FALSE;
    }
    if (!SendCommandDefConfigPrn(bytes, count)) {
        m_pDebugObj->MessageLog(CString::Format(L"\nErrore nel caricamento dell'%u-iesimo comando di configurazione. "
                                                L"Configurazione: %s",
                                                index, configName),
                                L"Errore caricamento comando di configurazione", 1);
        status = 2;
        return FALSE;
    }
    if (bytes[2] == 2) {
        // The printer took its new setting but the port cannot follow: the
        // walk must not read this as a command done.
        if (!SetComPort(bytes[4])) {
            status = 2;
            return FALSE;
        }
        m_pDebugObj->LogToFile(L"\nComando di impostazione di default per la porta seriale eseguito correttamente",
                               L"NewSendCommandDefConfigPrn()", 0);
    }
    status = 0;
    m_pDebugObj->LogToFile(L"\nComando di impostazione configurazone di default eseguito correttamente",
                           L"NewSendCommandDefConfigPrn()", 0);
    GetClock().SleepFor(milliseconds(250));
    return TRUE;
}

// ---- Text printing ---------------------------------------------------------

BOOL CKalvoNewPrintersObject::PrintLineToPrn(const CString& text, int alignment) {
    const wchar_t* align = alignment == 1 ? L"Centerprntext" : alignment == 2 ? L"Rightprntext" : L"Leftprntext";
    if (!NewSendCommandToCom(align)) return FALSE;
    const std::string bytes = text.ToBytes();
    if (!bytes.empty() && !SendCommandToComm(reinterpret_cast<const BYTE*>(bytes.data()),
                                             static_cast<DWORD>(bytes.size())))
        return FALSE;
    if (!NewSendCommandToCom(L"LF")) return FALSE;
    return NewSendCommandToCom(L"Leftprntext");
}

BOOL CKalvoNewPrintersObject::NLfOutput(int count) {
    for (int i = 0; i < count; ++i) {
        if (!NewSendCommandToCom(L"LF")) return FALSE;
    }
    return TRUE;
}
