// The object a production or service tool drives to talk to one printer on
// one serial port: it finds the line setting the printer uses, checks the
// model, sends the named commands of the model's configuration file and reads
// their replies, pushes byte streams with flow-control supervision, puts the
// printer into a named default configuration and prints text lines on it.
//
// Tools derive their own test classes from it and reach the protected
// members. One thread drives an object; StopWriter is the one call another
// thread (the tool's user interface) may make while a transfer runs.
#pragma once

#include "Event.h"
#include "KalvoNewCfgFileObject.h"
#include "UiServices.h"

class CKalvoNewReportFileObject;

// Added to the port's error codes: a command with a reply could not be sent.
inline constexpr DWORD ERROR_SEND_COMMAND = 42;
inline constexpr BYTE ASCII_ACK = 0x06;

// The progress display of a file transfer, for the host window.
struct _ProgressBarCtrl {
    CString strTitle;
    CString strText1;
    CString strText2;
    int iMin = 0;
    int iMax = 0;
    int iStep = 0;
    int iReserved = 0;
    CString strAviPath;
};

class OSTREL_API CKalvoNewPrintersObject : public CKalvoNewCfgFileObject {
public:
    CKalvoNewPrintersObject();
    ~CKalvoNewPrintersObject() override;

    // Opens the port (9600 baud), loads the configuration file and reads the
    // model's options ("IsR730", "DTRpresent", "Rxbufdim", "Dot/line",
    // "Char/line", "GSImodel", "GSIrelease"); FALSE at the first that fails.
    BOOL InitCKalvoNewPrintersObject(HWND hMainWnd, void* pMainFrame, const CString& folder,
                                     const CString& logFileName, const CString& portName, int debugMode,
                                     const CString& cfgFileName, const CString& aviFileName, UINT uiHwHandshake);
    // The port's settings dialog; cancelling it is no failure.
    BOOL ComPortConfig();
    // Asks a running (or the next) transfer to stop before its next byte.
    void StopWriter();

    CString GetIDPrintersObjectNomeClasse() const { return m_PrnClassName; }
    CString GetIDPrintersObjectVersClasse() const { return m_PrnVersion; }
    void Set_m_bfIsUpgrade(int v) { m_bfIsUpgrade = v; }
    void Set_m_fTestFeedKey(int v) { m_fTestFeedKey = v; }
    void Set_m_fAbortTestFeedKey(int v) { m_fAbortTestFeedKey = v; }
    void Set_m_fTestPrintKey(int v) { m_fTestPrintKey = v; }
    void Set_m_fAbortTestPrintKey(int v) { m_fAbortTestPrintKey = v; }
    _ProgressBarCtrl Getm_ProgressBarCtrl() const { return m_ProgressBarCtrl; }

protected:
    // Six model answers in a row.
    BOOL VerificaComToPrn(BYTE expectedModel);
    BOOL VerificaComToPrn();
    // Tries 38400 baud and halves down to 300 until the model answers.
    BOOL AutodetectBaudRate(BYTE expectedModel);
    BOOL AutodetectBaudRate();
    // Sends a command that changes the printer's line setting (configuration
    // byte at offset 4), follows it, and searches the rate if that fails.
    BOOL SetAutomaticComPort(const CString& commandName);
    BOOL GetModelPrinter(BYTE expectedModel, BOOL report);
    BOOL GetModelPrinter(BOOL report);
    BOOL GetStatusPrinter();
    // The printer's firmware release ("1.20"), or empty.
    CString GetReleaseSwStampante();

    BOOL SendCommandToComm(const BYTE* bytes, DWORD count);
    BOOL SendCommandToComm(const char* text);
    // Sends and reads *pReplyCount bytes into reply (the count becomes what
    // arrived). A read that timed out is TRUE with code 41 in the cell.
    BOOL SendCommandToComm(const BYTE* bytes, DWORD count, BYTE* reply, DWORD* pReplyCount, DWORD* pError);
    BOOL NewSendCommandToCom(const CString& commandName);
    // Sends the command and reads the reply count of its entry into reply,
    // which must hold that many bytes. Returns the number of bytes read (0
    // on failure), also stored in *pReplyCount.
    DWORD NewSendCommandToCom(const CString& commandName, BYTE* reply, DWORD* pReplyCount);
    // The same for a reply buffer of known size: an entry that declares more
    // reply bytes than it holds fails without sending.
    DWORD NewSendCommandToCom(const CString& commandName, BYTE* reply, DWORD capacity, DWORD* pReplyCount);

    // Sends the bytes one by one, supervising flow control; with testFlag a
    // full receive buffer is the receive-buffer test and is waited out.
    BOOL WriteToCom(const BYTE* bytes, DWORD count, BOOL testFlag, UINT unused = 0);

    // Sends one default-configuration command, waits for its ACK and for the
    // printer to come back from the reset that follows.
    BOOL SendCommandDefConfigPrn(const BYTE* bytes, DWORD count);
    // *pStatus: 0 sent, 1 no entry at or after *pIndex, 2 the printer failed.
    BOOL NewSendCommandDefConfigPrn(const CString& configName, DWORD* pIndex, DWORD* pStatus);
    BOOL SetModelSerialNumber();

    BOOL PrintLineToPrn(const CString& text, int alignment);
    BOOL NLfOutput(int count);

    BOOL GetOptionPrintersToTest(const CString& name, DWORD* value) override;
    BOOL GetOptionPrintersToTest(const CString& name, int* present) override;
    BOOL GetOptionPrintersToTest(const CString& name, char* state, DWORD* value) override;

    // The test report, when a derived class has attached one and turned it on.
    bool ReportOn() const { return m_fReportOn && m_pReportObj; }
    void ReportLine(const CString& text);
    void ReportEntry(const CString& what, const CString& result);
    // The summary's first entries: title, test date and start time.
    virtual BOOL IntestazReportFile();
    // Prints the report's summary on the printer under test, then empties it.
    BOOL Printm_ReportCollaudo();
    void Freem_ReportCollaudo();

    const CString m_PrnClassName = L"CKalvoNewPrintersObject";
    const CString m_PrnVersion = L"1.00";
    Event m_evStopWriter{false, false};
    BOOL m_fIsR730 = FALSE;
    int m_iFeedCount = 0;
    BOOL m_fBufferTestDone = FALSE;
    DWORD m_uiRxBufDim = 0;
    DWORD m_uiDotLine = 0;
    DWORD m_uiCharLine = 0;
    DWORD m_uiGsiModel = 0;
    float m_fGsiRelease = 0.0f;
    BOOL m_fContinueTest = TRUE;
    BOOL m_fTestFeedKey = FALSE;
    BOOL m_fTestPrintKey = FALSE;
    _ProgressBarCtrl m_ProgressBarCtrl;
    CKalvoNewReportFileObject* m_pReportObj = nullptr;
    BOOL m_fReportOn = FALSE;
    BOOL m_bfIsUpgrade = FALSE;
    CString m_strAviPath;
    BOOL m_fAbortTestFeedKey = FALSE;
    BOOL m_fAbortTestPrintKey = FALSE;

private:
    BOOL Autodetect(const BYTE* expectedModel);
    BOOL PrinterOff();
    // The buffer-full answer of the receive-buffer test.
    void BufferFull(const CString* entry);
    bool ReportProductRecord(SerialNumberRequest& request, bool store);
};
