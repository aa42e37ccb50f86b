// The station's own printers class: the test phases built on what the
// library keeps for derived classes. Every call runs on the station's worker
// thread except StopWriter, the one call the window makes while a phase runs.
#pragma once

#include "KalvoNewPrintersObject.h"
#include "KalvoNewReportFileObject.h"

#include <string>

class StationPrinter : public CKalvoNewPrintersObject {
public:
    // Opens the port and loads the model's configuration; `folder` is the
    // working folder every other name is relative to.
    bool Open(HWND window, const CString& folder, const CString& log, const CString& port, const CString& cfg);
    // The report object (made on this printer's log) whose test record the
    // serial-number dialog fills; nothing is written to it yet.
    void AttachReport(CKalvoNewReportFileObject* report) { m_pReportObj = report; }
    // Asks for product code, serial number and default configuration;
    // false when the operator pressed "Stop Collaudo".
    bool AskSerialNumber() { return SetModelSerialNumber() == TRUE; }
    // Creates the report file, named after the record, and turns the report
    // on; the summary starts with its title, date and start time.
    bool StartReport();
    // The chosen default configuration, empty for none.
    CString ChosenConfiguration() const;

    // Baud-rate search; `line` receives the setting found ("9600 8 n").
    bool Detect(std::string& line);
    bool CheckModel() { return GetModelPrinter(TRUE) == TRUE; }
    // The firmware release must be the one the configuration names.
    bool CheckRelease(std::string& release);
    bool SendDefaultConfiguration(const CString& name);
    // The flow-control test with `file` as data: enough copies to fill the
    // printer's receive buffer three times over, in test mode. Passed only
    // when the printer also signalled its full buffer: a transfer that went
    // through without it proves nothing about flow control.
    enum class Flow { kPassed, kFailed, kNeverFull };
    Flow FlowTest(const CString& file);
    bool Judge(const CString& question, const CString& phase) {
        return MessageToCollaudatore(question, phase, MB_YESNOCANCEL) == TRUE;
    }
    // Closes the summary with the end time and the outcome and prints it.
    bool PrintSummary(bool passed);
    void ReportText(const CString& text) { ReportLine(text); }

    DWORD CharsPerLine() const { return m_uiCharLine; }
    DWORD ConfiguredModel() const { return m_uiGsiModel; }
    DWORD ReceiveBuffer() const { return m_uiRxBufDim; }
    const _ProgressBarCtrl& Progress() const { return m_ProgressBarCtrl; }

private:
    int m_frame = 0;  // the library wants a frame; the station's window is Qt's
};
