#include "KalvoNewComObject.h"

#include "MessageTarget.h"
#include "UiServices.h"

#include <algorithm>
#include <cerrno>
#include <limits>

namespace {

// What the object talks to while no port is open: every operation fails as
// an invalid handle does.
class ClosedPort : public SerialDevice {
public:
    BOOL GetCommState(DCB&) override { return Fail(EBADF); }
    BOOL SetCommState(const DCB&) override { return Fail(EBADF); }
    BOOL GetCommTimeouts(COMMTIMEOUTS&) override { return Fail(EBADF); }
    BOOL SetCommTimeouts(const COMMTIMEOUTS&) override { return Fail(EBADF); }
    BOOL GetCommProperties(COMMPROP&) override { return Fail(EBADF); }
    BOOL GetCommModemStatus(DWORD&) override { return Fail(EBADF); }
    BOOL ClearCommError(DWORD*, COMSTAT*) override { return Fail(EBADF); }
    BOOL PurgeComm(DWORD) override { return Fail(EBADF); }
    IoResult WriteByte(BYTE, DWORD) override {
        Fail(EBADF);
        return IoResult::Rejected;
    }
    IoResult Read(BYTE*, DWORD, DWORD& read, DWORD) override {
        read = 0;
        Fail(EBADF);
        return IoResult::Rejected;
    }
    void CancelIo() override {}
    BOOL Close() override { return Fail(EBADF); }
    bool IsOpen() const override { return false; }
    Clock& GetClock() override { return Clock::Real(); }
};

// Lets the operations write their code without testing for a missing cell.
DWORD& Cell(DWORD* p, DWORD& spare) { return p ? *p : spare; }

const wchar_t* const kSetDcbFailed =
    L"\nGetDefaultConfig() Errore: ERROR_SET_DCB impossibile impostare i valori desiderati per il Device Control "
    L"Block";

}  // namespace

CKalvoNewComObject::CKalvoNewComObject()
    : m_pDebugObj(new CKalvoNewDebugObject(nullptr, nullptr, CString(), CString(), CString(), 1)) {}

// The port is the caller's to release (CloseComPort); a port still open is
// closed here with the object rather than left behind.
CKalvoNewComObject::~CKalvoNewComObject() { delete m_pDebugObj; }

SerialDevice& CKalvoNewComObject::Port() {
    thread_local ClosedPort closed;
    return m_hComPort ? *m_hComPort : closed;
}

Clock& CKalvoNewComObject::GetClock() { return m_hComPort ? m_hComPort->GetClock() : Clock::Real(); }

BOOL CKalvoNewComObject::InitKalvoNewComObject(HWND hMainWnd, void* pMainFrame, const CString& logDir,
                                               const CString& logFileName, const CString& portName, int debugMode,
                                               UINT uiHwHandshake) {
    m_hMainWnd = hMainWnd;
    m_hNotifyWnd = hMainWnd;
    m_strPortName = portName;
    m_uiHwHandshake = uiHwHandshake;
    InitDefault_m_GenericOpzioni();
    MYThrow(pMainFrame != nullptr, L"1) InitKalvoNewComObject(..)", m_ClassName, L"KalvoNewComObject");
    MYThrow(hMainWnd != nullptr, L"2) InitKalvoNewComObject(..)", m_ClassName, L"KalvoNewComObject");
    // A log that cannot be written has said so in its box; the port is no
    // less usable for it.
    m_pDebugObj->InitCKalvoNewDebugObject(hMainWnd, pMainFrame, logDir, logFileName, portName, debugMode);
    return InitComPort(uiHwHandshake);
}

BOOL CKalvoNewComObject::InitComPort(UINT uiHwHandshake) {
    DWORD openError = 0;
    auto port = OpenSerialPort(m_strPortName, openError);
    if (!port) {
        m_pDebugObj->LogToFile(
            CString::Format(L"\nINVALID_HANDLE_VALUE -> Error number: %d su %s. ", openError, m_strPortName),
            L"InitComPort()", 0);
        MessageBox(m_hMainWnd, L"Impossibile inizializzare la porta di comunicazione", L"Errore", MB_ICONERROR);
        return FALSE;
    }
    m_hComPort = std::move(port);

    DWORD code = 0;
    if (!GetDefaultConfig(uiHwHandshake, &code)) {
        m_pDebugObj->LogToFile(CString::Format(L"\nGetDefaultConfig() -> Errore numero: %d su COM1", code),
                               L"InitComPort()", 0);
        // Nothing but CloseComPort could release a handle left open here,
        // and nobody calls that on a port that never opened: close it now,
        // with the setting found put back if ours was already applied.
        if (code == ERROR_GET_DEFAULT_CMMP) m_hComPort->SetCommState(m_dcbOrig);
        m_hComPort->Close();
        m_hComPort.reset();
        return FALSE;
    }
    m_intRW = m_intRWOrig = _IntRW{15, 30};
    m_CComPortInit = TRUE;
    return TRUE;
}

BOOL CKalvoNewComObject::GetDefaultConfig(UINT uiHwHandshake, DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    auto fail = [&](DWORD code, const wchar_t* text) {
        error = code;
        m_pDebugObj->MessageLog(text, L"GetDefaultConfig()", 1);
        return FALSE;
    };
    GetTimeoutSystem(&error);

    m_CTOrig = _CalcoloTimeout{200, 50, 200, 5, 0};
    m_CT = m_CTOrig;
    if (!Port().GetCommState(m_dcbOrig))
        return fail(ERROR_SET_DCB,
                    L"\nGetDefaultConfig() Errore: ERROR_GET_DEFAULT_DCB impossibile caricare i Device Control Block "
                    L"di default");
    if (!Port().GetCommState(m_dcb))
        return fail(ERROR_SET_DCB,
                    L"\nGetDefaultConfig() Errore: ERROR_INIT_DCB impossibile caricare i Device Control Block di "
                    L"default");
    if (uiHwHandshake) {
        m_dcb.fOutxCtsFlow = TRUE;
        m_dcb.fOutxDsrFlow = TRUE;
        m_dcb.fOutX = FALSE;
    } else {
        m_dcb.fOutxCtsFlow = FALSE;
        m_dcb.fOutxDsrFlow = TRUE;
        m_dcb.fOutX = TRUE;
    }
    m_dcb.BaudRate = CBR_9600;
    m_dcb.ByteSize = 8;
    m_dcb.Parity = NOPARITY;
    m_dcb.StopBits = ONESTOPBIT;
    // Computed once, at the default rate: later rate changes keep it.
    m_CT.dwWriteByteTimeout = (20000 / m_dcb.BaudRate) * m_CT.dwWriteMultiplier + m_CT.dwWriteConstant;
    m_CTOrig.dwWriteByteTimeout = m_CT.dwWriteByteTimeout;
    if (!Port().SetCommState(m_dcb)) return fail(ERROR_SET_DCB, kSetDcbFailed);
    if (!Port().GetCommProperties(m_CommProp))
        return fail(ERROR_GET_DEFAULT_CMMP,
                    L"\nGetDefaultConfig() Errore: ERROR_GET_DEFAULT_CMMP impossibile caricare i CMMP.");
    return TRUE;
}

BOOL CKalvoNewComObject::GetTimeoutSystem(DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    if (!Port().GetCommTimeouts(m_toutSystemOrig)) {
        error = ERROR_GET_DEFAULT_TIMEOUT;
        m_pDebugObj->MessageLog(
            L"\nGetDefaultConfig() Errore: ERROR_GET_DEFAULT_TIMEOUT impossibile caricare valori di timeout di "
            L"default.",
            L"GetDefaultConfig()", 1);
        return FALSE;
    }
    m_toutSystem = m_toutSystemOrig;
    if (!Port().SetCommTimeouts(m_toutSystem)) {
        error = ERROR_INIT_TIMEOUT;
        m_pDebugObj->MessageLog(
            L"\nGetDefaultConfig() Errore: ERROR_INIT_TIMEOUT impossibile caricare i valori di timeout dell' "
            L"applicazione.",
            L"GetDefaultConfig()", 1);
        return FALSE;
    }
    error = 0;
    return TRUE;
}

BOOL CKalvoNewComObject::SetDefaultComConfig(DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    m_dcb.BaudRate = CBR_9600;
    m_dcb.ByteSize = 8;
    m_dcb.Parity = NOPARITY;
    m_dcb.StopBits = ONESTOPBIT;
    m_dcb.fOutxCtsFlow = FALSE;
    m_dcb.fOutxDsrFlow = TRUE;
    m_dcb.fOutX = TRUE;
    if (!Port().SetCommState(m_dcb)) {
        error = ERROR_SET_DCB;
        m_pDebugObj->MessageLog(kSetDcbFailed, L"GetDefaultConfig()", 1);
        return FALSE;
    }
    error = 0;
    Set_m_StringComConfig();
    return TRUE;
}

BOOL CKalvoNewComObject::SetBaudRate(DWORD baud) {
    m_dcb.BaudRate = baud;
    if (!Port().SetCommState(m_dcb)) {
        m_pDebugObj->MessageLog(kSetDcbFailed, L"GetDefaultConfig()", 1);
        return FALSE;
    }
    return TRUE;
}

BOOL CKalvoNewComObject::SetComPort(BYTE config) {
    auto log = [&](const CString& text) { m_pDebugObj->LogToFile(text, L"SetComPort()", 0); };
    static constexpr DWORD kBaud[] = {0, CBR_1200, CBR_2400, CBR_4800, CBR_9600, CBR_19200, CBR_38400};
    const unsigned index = config & 0x0F;
    if (index < 1 || index > 6) {
        m_dcb.BaudRate = CBR_9600;
        log(CString::Format(L"\nSetComPort() DEFAULT CASE -> Baud rate = %d", m_dcb.BaudRate));
        return FALSE;
    }
    m_dcb.BaudRate = kBaud[index];
    log(CString::Format(L"\nSetComPort() -> Baud rate = %d", m_dcb.BaudRate));

    m_dcb.ByteSize = (config & 0x10) ? 7 : 8;
    log(CString::Format(L"\nSetComPort() -> numero byte = %d", m_dcb.ByteSize));

    switch (config & 0x60) {
        case 0x00:
            m_dcb.Parity = NOPARITY;
            log(L"\nSetComPort() -> NOPARITY");
            break;
        case 0x20:
            m_dcb.Parity = EVENPARITY;
            log(L"\nSetComPort() -> EVENPARITY");
            break;
        case 0x40:
            m_dcb.Parity = ODDPARITY;
            log(L"\nSetComPort() -> ODDPARITY");
            break;
        default:
            m_dcb.Parity = NOPARITY;
            log(L"\nSetComPort() CASE DEFAULT -> NOPARITY");
            return FALSE;
    }

    if (config & 0x80) {
        m_dcb.fOutxCtsFlow = TRUE;
        m_dcb.fOutxDsrFlow = TRUE;
        m_dcb.fOutX = FALSE;
        log(L"\nSetComPort() Controllo di flusso Hardware");
    } else {
        m_dcb.fOutxCtsFlow = FALSE;
        m_dcb.fOutxDsrFlow = TRUE;
        m_dcb.fOutX = TRUE;
        log(L"\nSetComPort() Controllo di flusso Xon/Xoff");
    }

    if (!Port().SetCommState(m_dcb)) {
        m_pDebugObj->MessageLog(kSetDcbFailed, L"GetDefaultConfig()", 1);
        return FALSE;
    }
    Set_m_StringComConfig();
    return TRUE;
}

BOOL CKalvoNewComObject::Set_m_StringComConfig() {
    wchar_t parity = L'n';
    switch (m_dcb.Parity) {
        case EVENPARITY: parity = L'e'; break;
        case ODDPARITY: parity = L'o'; break;
        case MARKPARITY: parity = L'm'; break;
        case SPACEPARITY: parity = L's'; break;
        default: break;
    }
    const bool software = !m_dcb.fOutxCtsFlow && m_dcb.fOutxDsrFlow && m_dcb.fOutX;
    m_StringComConfig = CString::Format(L"%s, %d, %c, %d, 1, %c", m_strPortName, m_dcb.BaudRate, parity,
                                        m_dcb.ByteSize, software ? L'S' : L'H');
    PostMessage(m_hNotifyWnd, WM_COMCONFIG_CHANGED, 0, 0);
    return TRUE;
}

BOOL CKalvoNewComObject::Set_m_StringComConfig(const CString& text) {
    m_StringComConfig = text;
    PostMessage(m_hNotifyWnd, WM_COMCONFIG_CHANGED, 0, 0);
    return TRUE;
}

BOOL CKalvoNewComObject::InitDefault_m_GenericOpzioni() {
    m_GenericOpzioni = _OpzioniApp{};
    return TRUE;
}

BOOL CKalvoNewComObject::Get_DSR_StatusLine(DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    if (!m_fDTRpresent) {
        error = 0;
        return TRUE;
    }
    DWORD status = 0;
    if (!Port().GetCommModemStatus(status)) {
        error = ERROR_COM_DEVICE_ON_DSR;
        return FALSE;
    }
    if (status & MS_DSR_ON) {
        error = 0;
        return TRUE;
    }
    error = ERROR_MS_DSR_LOW_PWR_DOWN;
    return FALSE;
}

BOOL CKalvoNewComObject::Get_CTS_StatusLine(DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    DWORD status = 0;
    if (!Port().GetCommModemStatus(status)) {
        error = ERROR_COM_DEVICE_ON_CTS;
        return FALSE;
    }
    if (status & MS_CTS_ON) {
        error = 0;
        return TRUE;
    }
    error = ERROR_MS_CTS_LOW_PRN_BUSY;
    return FALSE;
}

BOOL CKalvoNewComObject::GetDCEPowerOn(DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    if (Get_DSR_StatusLine(&error)) {
        error = 0;
        return TRUE;
    }
    if (error == ERROR_MS_DSR_LOW_PWR_DOWN) {
        m_pDebugObj->LogToFile(L"Verify if the printer is tourn-on or the data cable is lacking DTR/DSR line",
                               L"GetDCEPowerOn() error", 1);
    } else if (error == ERROR_COM_DEVICE_ON_DSR) {
        m_pDebugObj->LogToFile(L"Serious error in the comunication phase. Error: ERROR_COM_DEVICE_ON_DSR",
                               L"GetDCEPowerOn() error", 1);
    }
    return FALSE;
}

BOOL CKalvoNewComObject::PurgeOrSay(DWORD flags) {
    if (Port().PurgeComm(flags)) return TRUE;
    MessageBox(m_hMainWnd, L"PurgeComm fallita!!", L"PurgeComm fallita!!", MB_OK);
    return FALSE;
}

BOOL CKalvoNewComObject::WriteBite(BYTE byte, DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    if (m_GenericOpzioni.fCheckDsr && !Get_DSR_StatusLine(&error)) return FALSE;
    if (m_dcb.fOutxCtsFlow && !Get_CTS_StatusLine(&error)) return FALSE;
    if (m_dcb.fOutX) {
        DWORD errors = 0;
        COMSTAT stat;
        if (Port().ClearCommError(&errors, &stat) && stat.fXoffHold) {
            error = ERROR_XOFF_RECIVED;
            return FALSE;
        }
    }

    SerialDevice& port = Port();
    switch (port.WriteByte(byte, m_CT.dwWriteByteTimeout)) {
        case SerialDevice::IoResult::Completed:
            error = 0;
            return TRUE;
        case SerialDevice::IoResult::Rejected:
            // The byte could not even be started: the port is broken or
            // gone, and the caller must stop rather than retry.
            error = ERROR_COM_DEVICE;
            return FALSE;
        case SerialDevice::IoResult::Failed: {
            // The overlapped states keep their numbers; any other system
            // error would be taken for one of the codes above (errno 11, 12,
            // 13 ...), so it is reported as a device failure.
            const DWORD last = port.GetLastError();
            error = (last == ERROR_OPERATION_ABORTED || last == ERROR_IO_INCOMPLETE || last == ERROR_IO_PENDING)
                        ? last
                        : ERROR_COM_DEVICE;
            return FALSE;
        }
        case SerialDevice::IoResult::TimedOut:
            break;
    }

    DWORD last = port.GetLastError();
    DWORD errors = 0;
    COMSTAT stat;
    if (!port.ClearCommError(&errors, &stat)) last = port.GetLastError();
    const DWORD transmit = PURGE_TXABORT | PURGE_TXCLEAR;
    if (m_dcb.fOutX && stat.fXoffHold) {
        error = ERROR_XOFF_RECIVED;
        port.PurgeComm(transmit);
        return FALSE;
    }
    if (m_dcb.fOutxDsrFlow && stat.fDsrHold && m_fDTRpresent) {
        error = ERROR_MS_DSR_LOW_PWR_DOWN;
        port.PurgeComm(transmit);
        return FALSE;
    }
    if (m_dcb.fOutxCtsFlow && stat.fCtsHold) {
        error = ERROR_MS_CTS_LOW_PRN_BUSY;
        port.PurgeComm(transmit);
        return FALSE;
    }
    // The line took nothing within the wait and no hold explains it. The
    // byte itself never went into the queue, so there is nothing of it to
    // abort; what is queued ahead of it was counted as sent, and throwing it
    // away would let a transfer end "complete" with holes in it. Only the
    // receive side is purged; the caller retries the byte until its write
    // interval runs out.
    const DWORD receive = PURGE_RXABORT | PURGE_RXCLEAR;
    auto report = [&](const CString& text) { m_pDebugObj->LogToFile(text, L"WriteToCom()", 1); };
    switch (last) {
        case ERROR_OPERATION_ABORTED:
            error = last;
            report(L"\nWriteBite() CASO DEFAULT -> Errore: ERROR_OPERATION_ABORTED");
            PurgeOrSay(receive);
            break;
        case ERROR_IO_INCOMPLETE:
            error = last;
            report(L"\nWriteBite() CASO DEFAULT -> Errore: ERROR_IO_INCOMPLETE");
            PurgeOrSay(receive);
            break;
        case ERROR_IO_PENDING:
            error = last;
            report(L"\nWriteBite() CASO DEFAULT -> Errore: ERROR_IO_PENDING");
            PurgeOrSay(receive);
            break;
        default:
            error = ERROR_COM_DEVICE;
            report(CString::Format(L"\nWriteBite() CASO DEFAULT -> Errore: GetLastError() = %d ", last));
            PurgeOrSay(transmit);
            break;
    }
    return FALSE;
}

BOOL CKalvoNewComObject::ReadBytes(BYTE* buffer, DWORD* pCount, DWORD* pError) {
    DWORD spare = 0;
    DWORD& error = Cell(pError, spare);
    if (!pCount || (*pCount > 0 && !buffer)) {
        error = ERROR_COM_DEVICE;
        return FALSE;
    }
    const DWORD asked = *pCount;
    const auto scaled = m_dcb.BaudRate ? static_cast<unsigned long long>(asked) * 10000 / m_dcb.BaudRate : 0;
    const auto timeout = static_cast<DWORD>(std::min<unsigned long long>(
        scaled * m_CT.dwReadMultiplier + m_CT.dwReadConstant + 50, std::numeric_limits<DWORD>::max()));
    m_pDebugObj->LogToFile(CString::Format(L"\ndwTimeout = %d", timeout), L"ReadBytes()", 0);

    SerialDevice& port = Port();
    DWORD got = 0;
    const auto result = port.Read(buffer, asked, got, timeout);
    // The bytes that arrived are in the buffer whatever happened; the count
    // says how many, so that no caller takes the rest of the buffer for data.
    *pCount = got;
    switch (result) {
        case SerialDevice::IoResult::Completed:
            if (got == asked) {
                error = 0;
                return TRUE;
            }
            error = ERROR_NO_COMPLETE_READ;
            m_pDebugObj->MessageLog(
                CString::Format(L"\nSystem error: %d. Errore: ERROR_NO_COMPLETE_READ. Letti %d bytes su %d",
                                port.GetLastError(), got, asked),
                L"ReadBytes()", 0);
            return FALSE;
        case SerialDevice::IoResult::Rejected:
            error = ERROR_COM_DEVICE;
            m_pDebugObj->LogToFile(
                CString::Format(
                    L"\nGrave errore sulla porta di comunicazione selezionata. Operazione di Read su %d bytes.", asked),
                L"ReadToCom()", 0);
            return FALSE;
        case SerialDevice::IoResult::Failed:
            m_pDebugObj->LogToFile(CString::Format(L"\nErrore: ERROR_COM_DEVICE a causa di erore di sistema: %d",
                                                   port.GetLastError()),
                                   L"ReadBytes()", 0);
            port.PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR);
            error = ERROR_COM_DEVICE;
            return FALSE;
        case SerialDevice::IoResult::TimedOut:
            break;
    }
    m_pDebugObj->LogToFile(
        CString::Format(L"\nErrore: ERROR_READ_TIMEOUT a causa di erore di sistema: %d", port.GetLastError()),
        L"ReadBytes()", 0);
    if (!port.PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR))
        m_pDebugObj->LogToFile(L"\nPurgeComm fallita!!", L"ReadBytes()", 1);
    GetClock().SleepFor(std::chrono::milliseconds(5));
    error = ERROR_READ_TIMEOUT;
    return TRUE;
}

BOOL CKalvoNewComObject::SetOldConfCom() {
    SerialDevice& port = Port();
    if (!port.SetCommState(m_dcbOrig)) {
        MessageBox(m_hMainWnd,
                   CString::Format(L"Impossibile impostare dati iniziali di comunicazione per COMM 1. Errore numero: %d",
                                   port.GetLastError()),
                   L"SetOldConfCom()", MB_OK);
        return FALSE;
    }
    if (!port.SetCommTimeouts(m_toutSystemOrig)) {
        m_pDebugObj->MessageLog(
            L"\nSetOldConfCom() Errore: ERROR_SET_DEFAULT_TIMEOUT impossibile caricare i valori di timeout dell' "
            L"applicazione.",
            L"SetOldConfCom()", 1);
        return FALSE;
    }
    const BOOL closed = port.Close();
    const DWORD closeError = port.GetLastError();
    // A descriptor is released even when close reports an error, so the
    // port is gone either way.
    m_hComPort.reset();
    m_CComPortInit = FALSE;
    if (!closed) {
        m_pDebugObj->MessageLog(CString::Format(L"\nImpossibile chiudere la risorsa COM1. Errore numero: %d", closeError),
                                L"SetOldConfCom()", 1);
        return FALSE;
    }
    m_StringComConfig = L"Default port: " + m_strPortName;
    PostMessage(m_hNotifyWnd, WM_COMCONFIG_CHANGED, 0, 0);
    return TRUE;
}

BOOL CKalvoNewComObject::CloseComPort() { return SetOldConfCom(); }

BOOL CKalvoNewComObject::PublicSetOldConfCom() { return m_CComPortInit ? SetOldConfCom() : FALSE; }
