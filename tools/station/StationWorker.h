// The station's worker thread side: one test of one printer, phase after
// phase, on a thread of its own so that the window answers while the printer
// is searched, checked and flooded. The window learns what happens through
// queued signals and the library's posted messages.
#pragma once

#include "KalvoNewReportFileObject.h"
#include "QtMessageTarget.h"
#include "StationPrinter.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

class StationUiServices;

// The window's handle for the printers object. What a message refers to
// (the new line-setting text, the description of a transfer) is read when it
// is posted, on the thread that drives the printer, and travels with the
// message: by the time the window handles it the printer may have moved on
// or be gone.
class StationMessageTarget : public QtMessageTarget {
public:
    using Handler = std::function<void(const PostedMessage&, const QString& lineSetting, const _ProgressBarCtrl&)>;
    StationMessageTarget(QWidget* window, Handler handler);

    // The printer whose messages arrive; set and cleared by the thread that
    // drives it.
    void SetSource(CKalvoNewPrintersObject* printer) { m_source = printer; }
    void Post(const PostedMessage& m) override;

private:
    Handler m_handler;
    std::atomic<CKalvoNewPrintersObject*> m_source{nullptr};
};

// What one test needs to know; paths are relative to `folder`, as the
// library wants them.
struct StationJob {
    CString folder;
    CString log;
    CString port;
    CString cfg;
    _AnagraficaCollaudo record;
};

class StationWorker : public QObject {
    Q_OBJECT
public:
    enum Phase {
        kOpen,
        kSerialNumber,
        kReportFile,
        kDetect,
        kModel,
        kRelease,
        kDefaultConfig,
        kFlowTest,
        kJudgement,
        kSummary,
        kReport,
        kPhaseCount
    };
    enum State { kRunning, kPassed, kFailed, kSkipped };
    enum Outcome { kTestPassed, kTestFailed, kTestStopped };

    StationWorker(StationMessageTarget* target, StationUiServices* ui) : m_target(target), m_ui(ui) {}

    // Clears the last test's stop; call it before queuing Run, so that a
    // Stop pressed between the two is not lost.
    void Arm();
    // Runs the test; call it on the worker's thread.
    void Run(const StationJob& job);
    // From any thread: ends a running transfer before its next byte and the
    // test after the phase that runs.
    void Stop();

signals:
    void phase(int phase, int state, const QString& detail);
    // The operator must lift the print-head lever for the flow-control test
    // (show) or the test is past it (hide).
    void leverPrompt(bool show);
    void finished(int outcome, const QString& reportPath, const QString& message);

private:
    bool Stopped() const { return m_stop.load(); }

    StationMessageTarget* m_target;
    StationUiServices* m_ui;
    std::mutex m_lock;  // guards m_printer against Stop from the window
    StationPrinter* m_printer = nullptr;
    std::atomic<bool> m_stop{false};
};
