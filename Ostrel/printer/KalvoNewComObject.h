// The serial port to a printer, for the maker's production and service tools:
// the root of the printer-communication chain (the configuration-file and
// printers objects derive from it, and the tools derive from those). It opens
// the port with a fixed default setting, keeps the setting and time-outs it
// found so it can put them back on release, writes one byte at a time with
// the modem lines and the XOFF state examined around every byte, and reads
// blocks with time-outs scaled to the baud rate. Every step goes to the
// debug log, which this object creates and owns.
#pragma once

#include "Clock.h"
#include "Conversioni.h"
#include "KalvoNewDebugObject.h"
#include "SerialDevice.h"

#include <cstdint>
#include <memory>

// Posted to the notify window whenever the line-setting text changes; the
// host reads the text with GetStrComConfig().
inline constexpr UINT WM_COMCONFIG_CHANGED = 0x09BE;

// Error codes stored in the error cell of the port operations.
inline constexpr DWORD ERROR_COM_DEVICE_ON_CTS = 10;
inline constexpr DWORD ERROR_COM_DEVICE_ON_DSR = 11;
inline constexpr DWORD ERROR_MS_DSR_LOW_PWR_DOWN = 12;
inline constexpr DWORD ERROR_MS_CTS_LOW_PRN_BUSY = 13;
inline constexpr DWORD ERROR_SET_EVENT = 15;
inline constexpr DWORD ERROR_COM_DEVICE = 16;
inline constexpr DWORD ERROR_GET_DEFAULT_TIMEOUT = 29;
inline constexpr DWORD ERROR_INIT_TIMEOUT = 31;
inline constexpr DWORD ERROR_SET_DCB = 32;
inline constexpr DWORD ERROR_GET_DEFAULT_CMMP = 35;
inline constexpr DWORD ERROR_XOFF_RECIVED = 39;
inline constexpr DWORD ERROR_NO_COMPLETE_READ = 40;
inline constexpr DWORD ERROR_READ_TIMEOUT = 41;

// Retry intervals in seconds: how long a read, then a write, may keep
// retrying (used by the printers object).
struct _IntRW {
    std::int32_t iReadInterval = 0;
    std::int32_t iWriteInterval = 0;
};

// Per-byte time-out parameters, in milliseconds.
struct _CalcoloTimeout {
    DWORD dwWriteConstant = 0;     // added to every single-byte write time-out
    DWORD dwWriteMultiplier = 0;   // per unit of 20000 / baud
    DWORD dwReadConstant = 0;      // added to every read time-out
    DWORD dwReadMultiplier = 0;    // per unit of (bytes x 10000) / baud
    DWORD dwWriteByteTimeout = 0;  // time allowed for one written byte
};

// Options of the production tool; the library reads only fCheckDsr.
struct _OpzioniApp {
    BOOL fCheckDsr = 1;
    int iNumBeepDrawer = 3;
    int iNumPartialCuts = 3;
    CString strModelPrinter;
    float fTempLim1 = 0.0f;
    float fTempLim2 = 5.0f;
    float fTempLim3 = 50.0f;
    float fTempLim4 = 5.0f;
    int iNumMaxRowTemp = 200;
    int iReserved = 1;
};

class OSTREL_API CKalvoNewComObject : public CConversioni {
public:
    CKalvoNewComObject();
    ~CKalvoNewComObject() override;
    CKalvoNewComObject(const CKalvoNewComObject&) = delete;
    CKalvoNewComObject& operator=(const CKalvoNewComObject&) = delete;

    // Opens the port (the third string names it) after initialising the log
    // with the window, the frame, the three strings and the int; hw
    // selects the default flow control (0 Xon/Xoff, else hardware).
    BOOL InitKalvoNewComObject(HWND hMainWnd, void* pMainFrame, const CString& logDir, const CString& logFileName,
                               const CString& portName, int debugMode, UINT uiHwHandshake);
    BOOL CloseComPort();
    BOOL PublicSetOldConfCom();

    SerialDevice* GetPortHandle() const { return m_hComPort.get(); }
    CString GetPortName() const { return m_strPortName; }
    BOOL Get_m_CComPortInit() const { return m_CComPortInit; }
    CKalvoNewDebugObject* Get_m_pDebugObj() const { return m_pDebugObj; }
    CString GetStrComConfig() const { return m_StringComConfig; }
    void Set_m_hMainWnd(HWND hWnd) { m_hMainWnd = hWnd; }
    void SetStrComConfig(const CString& text) { m_StringComConfig = text; }
    BOOL Set_m_StringComConfig(const CString& text);

    _IntRW Ret_m_intRW() const { return m_intRW; }
    _IntRW Ret_m_intRWOrig() const { return m_intRWOrig; }
    COMMTIMEOUTS Ret_m_toutSystem() const { return m_toutSystem; }
    COMMTIMEOUTS Ret_m_toutSystemOrig() const { return m_toutSystemOrig; }
    _CalcoloTimeout Ret_m_CTOrig() const { return m_CTOrig; }
    DCB Ret_m_dcbOrig() const { return m_dcbOrig; }
    _IntRW* LPm_intRW() { return &m_intRW; }
    COMMTIMEOUTS* LPm_toutSystem() { return &m_toutSystem; }
    COMMTIMEOUTS* LPm_toutSystemOrig() { return &m_toutSystemOrig; }
    _CalcoloTimeout* LPm_CT() { return &m_CT; }
    DCB* LPm_dcb() { return &m_dcb; }

protected:
    BOOL InitComPort(UINT uiHwHandshake);
    BOOL GetDefaultConfig(UINT uiHwHandshake, DWORD* pError);
    BOOL GetTimeoutSystem(DWORD* pError);
    BOOL SetDefaultComConfig(DWORD* pError);
    // Applies a configuration byte as the printers report it: bits 0-3 baud
    // index (1 = 1200 ... 6 = 38400), bit 4 seven data bits, bits 5-6 parity
    // (0x20 even, 0x40 odd), bit 7 hardware flow control.
    BOOL SetComPort(BYTE config);
    BOOL SetBaudRate(DWORD baud);
    BOOL SetOldConfCom();
    BOOL Set_m_StringComConfig();
    BOOL InitDefault_m_GenericOpzioni();

    BOOL Get_DSR_StatusLine(DWORD* pError);
    BOOL Get_CTS_StatusLine(DWORD* pError);
    BOOL GetDCEPowerOn(DWORD* pError);

    BOOL WriteBite(BYTE byte, DWORD* pError);
    // Reads *pCount bytes; on return *pCount is the number of bytes that
    // arrived in the buffer, whatever the result.
    BOOL ReadBytes(BYTE* buffer, DWORD* pCount, DWORD* pError);

    // The time the port runs on (a simulated line's virtual clock), or the
    // real clock while no port is open: for waits between operations.
    Clock& GetClock();
    // The open port, or a stand-in that fails every operation with EBADF.
    SerialDevice& Port();

    const CString m_ClassName = L"CKalvoNewComObject";
    const CString m_Version = L"1.00";
    std::unique_ptr<SerialDevice> m_hComPort;
    COMMPROP m_CommProp;
    DCB m_dcb;
    DCB m_dcbOrig;
    COMMTIMEOUTS m_toutSystem;
    COMMTIMEOUTS m_toutSystemOrig;
    _IntRW m_intRWOrig;
    _IntRW m_intRW;
    _CalcoloTimeout m_CTOrig;
    _CalcoloTimeout m_CT;
    BOOL m_CComPortInit = FALSE;
    CString m_strPortName;
    BOOL m_fDTRpresent = FALSE;
    CString m_StringComConfig = L"No com. config.";
    HWND m_hMainWnd = nullptr;
    HWND m_hNotifyWnd = nullptr;
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    _OpzioniApp m_GenericOpzioni;
    UINT m_uiHwHandshake = 0;

private:
    BOOL PurgeOrSay(DWORD flags);
};
