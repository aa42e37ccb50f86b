// The station's window: who tests, which model on which port, the phases of
// the test as they pass, and Start / Stop. The dialogs before a test run
// here (login, model, test record, port); the test itself runs on the worker
// thread, and the window only shows what it is told, so it never waits for
// the printer.
#pragma once

#include "DBCollaudatori.h"
#include "KalvoNewCfgFileObject.h"
#include "KalvoNewReportFileObject.h"
#include "NewDialogEseguireAzione.h"
#include "StationOptions.h"
#include "StationWorker.h"

#include <QMainWindow>
#include <QPointer>
#include <QThread>

#include <memory>
#include <vector>

class CNewDialogStatoAvanProcesso;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class StationUiServices;

class StationWindow : public QMainWindow {
    Q_OBJECT
public:
    // `ui` must be the installed provider and outlive the window.
    StationWindow(const StationOptions& options, std::vector<StationModel> models, StationUiServices* ui);
    // Waits for the worker thread: destroy the window between tests (closing
    // it during one stops the test first and closes when it has ended).
    ~StationWindow() override;

    // Login (once), model, test record and port, each asked unless the
    // options gave it, then the test on the worker thread. False when a
    // dialog was cancelled or a test runs already.
    bool StartTest();
    // Ends the running transfer before its next byte and the test after
    // the phase that runs.
    void StopTest();
    bool Running() const { return m_running; }

    QPushButton* StartButton() const { return m_start; }
    QPushButton* StopButton() const { return m_stop; }
    QTreeWidget* Phases() const { return m_phases; }
    CNewDialogStatoAvanProcesso* ProgressDialog() const { return m_progress; }
    CNewDialogEseguireAzione* LeverPrompt() const { return m_prompt; }
    QString LineSetting() const;

signals:
    // outcome: StationWorker::Outcome.
    void testEnded(int outcome, const QString& reportPath, const QString& message);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool Login();
    bool ChooseModel();
    bool EnterRecord();
    bool ChoosePort();
    void OnPosted(const PostedMessage& m, const QString& lineSetting, const _ProgressBarCtrl& ctrl);
    void OnPhase(int phase, int state, const QString& detail);
    void OnLeverPrompt(bool show);
    void OnFinished(int outcome, const QString& reportPath, const QString& message);
    void Say(const QString& text);
    void ShowSetup();
    // Puts the lever prompt and the progress display one above the other.
    void ArrangeDialogs();
    // "4800 8 n 1" from the library's line-setting text; empty for any
    // other text ("Autodetecting...", "Default port: ...").
    static QString FoundSetting(const QString& text);

    StationOptions m_options;
    std::vector<StationModel> m_models;
    std::vector<std::unique_ptr<CfgFileEntry>> m_entries;
    StationUiServices* m_ui;
    CDBCollaudatori m_testers;
    _AnagraficaCollaudo m_record;
    CString m_modelName;
    CString m_cfgPath;
    CString m_port;
    bool m_running = false;
    bool m_closing = false;
    QString m_foundLine;  // the last line setting the printer was used at

    QThread m_thread;
    StationMessageTarget* m_target = nullptr;
    StationWorker* m_worker = nullptr;
    CNewDialogStatoAvanProcesso* m_progress = nullptr;
    QPointer<CNewDialogEseguireAzione> m_prompt;

    QLabel* m_tester = nullptr;
    QLabel* m_model = nullptr;
    QLabel* m_portLabel = nullptr;
    QLabel* m_line = nullptr;
    QLabel* m_reportLabel = nullptr;
    QTreeWidget* m_phases = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_logout = nullptr;
};
