#include "StationWindow.h"

#include "NewDialogAnagraficaCollaudo.h"
#include "NewDialogEseguireAzione.h"
#include "NewDialogInPassword.h"
#include "NewDialogPortComSelection.h"
#include "NewDialogSelezioneStampante.h"
#include "NewDialogStatoAvanProcesso.h"
#include "QtText.h"
#include "StationUiServices.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char* const kPhaseNames[StationWorker::kPhaseCount] = {
    "Port and configuration", "Serial number",      "Report file",           "Baud-rate search",
    "Model check",            "Release check",      "Default configuration", "Flow-control test",
    "Print quality",          "Summary on printer", "Report printed",
};

const char* const kLeverText =
    "Sollevare la levetta della testina: la stampante non deve stampare finché il suo buffer di ricezione "
    "non è pieno.\n\nLift the print-head lever: the printer must not print until its receive buffer is full.";

// A name as the library wants it: relative to the working folder, which it
// puts in front of every file name it opens.
CString RelativeTo(const fs::path& folder, const fs::path& file) {
    std::error_code ec;
    const fs::path rel = fs::relative(file, folder, ec);
    return CString::FromUtf8((ec || rel.empty() ? file : rel).string());
}

QLabel* ValueLabel(QWidget* parent) {
    auto* l = new QLabel(QStringLiteral("-"), parent);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

StationWindow::StationWindow(const StationOptions& options, std::vector<StationModel> models, StationUiServices* ui)
    : m_options(options),
      m_models(std::move(models)),
      m_ui(ui),
      m_testers(CString::FromUtf8(options.testers.string())) {
    setWindowTitle(QStringLiteral("ostrel-station"));
    for (const StationModel& m : m_models) {
        auto e = std::make_unique<CfgFileEntry>();
        e->name = CString::FromUtf8(m.name);
        // The dialog shows this as the model's file; the folder is known.
        e->path = CString::FromUtf8(m.cfg.filename().string());
        m_entries.push_back(std::move(e));
    }
    if (!m_options.model.empty()) m_modelName = CString::FromUtf8(m_options.model);
    if (!m_options.port.empty()) m_port = CString::FromUtf8(m_options.port);
    m_ui->SetPdfPath(m_options.pdf.empty() ? QString() : QString::fromStdString(m_options.pdf.string()));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* setup = new QGroupBox(QStringLiteral("Station"), central);
    auto* form = new QFormLayout(setup);
    m_tester = ValueLabel(setup);
    m_model = ValueLabel(setup);
    m_portLabel = ValueLabel(setup);
    m_line = ValueLabel(setup);
    m_reportLabel = ValueLabel(setup);
    form->addRow(QStringLiteral("Tester:"), m_tester);
    form->addRow(QStringLiteral("Printer model:"), m_model);
    form->addRow(QStringLiteral("Port:"), m_portLabel);
    form->addRow(QStringLiteral("Line setting:"), m_line);
    form->addRow(QStringLiteral("Report:"), m_reportLabel);
    layout->addWidget(setup);

    m_phases = new QTreeWidget(central);
    m_phases->setObjectName(QStringLiteral("phases"));
    m_phases->setColumnCount(3);
    m_phases->setHeaderLabels({QStringLiteral("Phase"), QStringLiteral("Result"), QStringLiteral("Detail")});
    m_phases->setRootIsDecorated(false);
    m_phases->setSelectionMode(QAbstractItemView::NoSelection);
    for (const char* name : kPhaseNames) new QTreeWidgetItem(m_phases, {QString::fromLatin1(name), QString()});
    m_phases->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_phases->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    layout->addWidget(m_phases, 2);

    m_log = new QPlainTextEdit(central);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(2000);
    layout->addWidget(m_log, 1);

    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(QStringLiteral("&Start test"), central);
    m_start->setObjectName(QStringLiteral("start"));
    m_stop = new QPushButton(QStringLiteral("S&top"), central);
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setEnabled(false);
    m_logout = new QPushButton(QStringLiteral("&Change tester"), central);
    m_logout->setObjectName(QStringLiteral("logout"));
    auto* quit = new QPushButton(QStringLiteral("&Quit"), central);
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_logout);
    buttons->addStretch(1);
    buttons->addWidget(quit);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(640, 560);

    connect(m_start, &QPushButton::clicked, this, [this] { StartTest(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { StopTest(); });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_logout, &QPushButton::clicked, this, [this] {
        if (m_running || m_record.strNome.IsEmpty()) return;
        Say(QStringLiteral("Tester %1 logged out.").arg(m_tester->text()));
        m_record.strNome.Empty();
        m_record.strCognome.Empty();
        ShowSetup();
    });

    m_progress = new CNewDialogStatoAvanProcesso(this);
    m_target = new StationMessageTarget(
        this, [this](const PostedMessage& m, const QString& line, const _ProgressBarCtrl& ctrl) { OnPosted(m, line, ctrl); });
    m_target->setParent(this);
    m_worker = new StationWorker(m_target, m_ui);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &StationWorker::phase, this, &StationWindow::OnPhase);
    connect(m_worker, &StationWorker::leverPrompt, this, &StationWindow::OnLeverPrompt);
    connect(m_worker, &StationWorker::finished, this, &StationWindow::OnFinished);
    m_thread.setObjectName(QStringLiteral("printer"));
    m_thread.start();
    m_ui->SetOnBufferFull([this] {
        if (m_prompt) m_prompt->accept();
        Say(QStringLiteral("The printer's receive buffer is full."));
    });
    // Told through the event queue: the window may be gone when it comes.
    m_ui->SetOnRepeated([window = QPointer<StationWindow>(this)](const QString& line) {
        if (window) window->Say(line);
    });

    ShowSetup();
    Say(QStringLiteral("Printers folder %1: %2 model(s). Press Start test.")
            .arg(QString::fromStdString(m_options.printers.string()))
            .arg(m_models.size()));
}

StationWindow::~StationWindow() {
    m_ui->SetOnBufferFull({});
    m_ui->SetOnRepeated({});
    m_worker->Stop();
    m_thread.quit();
    m_thread.wait();
}

QString StationWindow::LineSetting() const { return m_line->text(); }

void StationWindow::Say(const QString& text) {
    m_log->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + text);
}

void StationWindow::ShowSetup() {
    m_tester->setText(m_record.strNome.IsEmpty()
                          ? QStringLiteral("(not logged in)")
                          : ToQString(m_record.strNome) + QLatin1Char(' ') + ToQString(m_record.strCognome));
    m_model->setText(m_modelName.IsEmpty() ? QStringLiteral("(not chosen)") : ToQString(m_modelName));
    m_portLabel->setText(m_port.IsEmpty() ? QStringLiteral("(not chosen)") : ToQString(m_port));
}

bool StationWindow::Login() {
    if (!m_record.strNome.IsEmpty()) return true;
    for (;;) {
        CNewDialogInPassword dlg(this);
        if (dlg.exec() != QDialog::Accepted) return false;
        // Read at every attempt: a tester registered with ostrel-testers
        // while the station runs can log in at once.
        if (!m_testers.LoadDBaseFromFile()) return false;
        CString nome, cognome;
        // A wrong password gets the database's own "Invalid password" box.
        if (m_testers.GetDataTester(dlg.Get_m_strPassword(), &nome, &cognome)) {
            m_record.strNome = nome;
            m_record.strCognome = cognome;
            Say(QStringLiteral("Tester %1 %2 logged in.").arg(ToQString(nome), ToQString(cognome)));
            return true;
        }
    }
}

bool StationWindow::ChooseModel() {
    if (m_options.model.empty()) {
        // The last model comes preselected: a station tests many of one.
        CString cfg, name = m_modelName;
        int selected = 0;
        CNewDialogSelezioneStampante dlg(this, &m_entries, &cfg, &name, &selected);
        if (dlg.exec() != QDialog::Accepted || !selected) return false;
        m_modelName = name;
    }
    m_cfgPath.Empty();
    for (const StationModel& m : m_models) {
        if (CString::FromUtf8(m.name) == m_modelName) m_cfgPath = CString::FromUtf8(m.cfg.string());
    }
    // The product type is the model's name, as the test record shows it.
    m_record.strTipoProdotto = m_modelName.Upper().Left(25);
    return !m_cfgPath.IsEmpty();
}

bool StationWindow::EnterRecord() {
    CNewDialogAnagraficaCollaudo dlg(this);
    dlg.GetCurrentAnagrafica(m_record);
    if (dlg.exec() != QDialog::Accepted) return false;
    dlg.SetNewAnagrafica(&m_record);
    return true;
}

bool StationWindow::ChoosePort() {
    if (!m_options.port.empty()) return true;
    CNewDialogPortComSelection dlg(this, m_port, 1);
    if (dlg.exec() != QDialog::Accepted || dlg.GetComPort().IsEmpty()) return false;
    m_port = dlg.GetComPort();
    return true;
}

bool StationWindow::StartTest() {
    if (m_running) return false;
    // The window shows each answer as it is given.
    const auto shown = [this](bool ok) {
        ShowSetup();
        return ok;
    };
    const bool ready = shown(Login()) && shown(ChooseModel()) && EnterRecord() && shown(ChoosePort());
    if (!ready) {
        Say(QStringLiteral("Test not started."));
        return false;
    }
    for (int i = 0; i < m_phases->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_phases->topLevelItem(i);
        item->setText(1, QString());
        item->setText(2, QString());
        item->setForeground(1, palette().text());
    }
    StationJob job;
    job.folder = CString::FromUtf8(m_options.reports.string() + "/");
    job.log = RelativeTo(m_options.reports, m_options.log);
    job.port = m_port;
    job.cfg = RelativeTo(m_options.reports, fs::path(m_cfgPath.ToUtf8()));
    job.record = m_record;
    m_running = true;
    m_start->setEnabled(false);
    m_logout->setEnabled(false);
    m_stop->setEnabled(true);
    m_reportLabel->setText(QStringLiteral("-"));
    m_foundLine.clear();
    m_ui->EndRepeats();
    Say(QStringLiteral("Test of a %1 on %2 started.").arg(ToQString(m_modelName), ToQString(m_port)));
    m_worker->Arm();
    QMetaObject::invokeMethod(m_worker, [w = m_worker, job] { w->Run(job); }, Qt::QueuedConnection);
    return true;
}

void StationWindow::StopTest() {
    if (!m_running) return;
    m_worker->Stop();
    Say(QStringLiteral("Stop requested."));
}

void StationWindow::OnPosted(const PostedMessage& m, const QString& lineSetting, const _ProgressBarCtrl& ctrl) {
    switch (m.msg) {
        case WM_COMCONFIG_CHANGED: {
            // The release at the end of a test says only "Default port: ...":
            // the window keeps showing the setting the printer was found at.
            const QString found = FoundSetting(lineSetting);
            if (!found.isEmpty()) m_foundLine = found;
            const bool released = lineSetting.startsWith(QLatin1String("Default port: "));
            m_line->setText(released && !m_foundLine.isEmpty() ? m_foundLine : lineSetting);
            statusBar()->showMessage(lineSetting);
            break;
        }
        case WM_PROGRESS_START:
            if (!m_progress->isVisible()) {
                m_progress->adjustSize();
                ArrangeDialogs();
            }
            m_progress->OnProgressMessage(m, &ctrl);
            Say(QStringLiteral("%1: %2 copies of the test data.").arg(ToQString(ctrl.strTitle)).arg(ctrl.iMax / 10));
            break;
        case WM_PROGRESS_STEP:
        case WM_PROGRESS_END:
            m_progress->OnProgressMessage(m, nullptr);
            break;
        default:
            Say(QStringLiteral("Message 0x%1 from the printer ignored.").arg(m.msg, 4, 16, QLatin1Char('0')));
            break;
    }
}

void StationWindow::OnPhase(int phase, int state, const QString& detail) {
    if (phase < 0 || phase >= m_phases->topLevelItemCount()) return;
    QTreeWidgetItem* item = m_phases->topLevelItem(phase);
    static const char* const texts[] = {"running ...", "OK", "FAILED", "skipped"};
    static const QColor colors[] = {QColor(0x1F, 0x4E, 0x9A), QColor(0x1B, 0x7A, 0x2E), QColor(0xB0, 0x1C, 0x1C),
                                    QColor(0x70, 0x70, 0x70)};
    const int s = state >= 0 && state < 4 ? state : 2;
    item->setText(1, QString::fromLatin1(texts[s]));
    item->setForeground(1, colors[s]);
    item->setText(2, detail);
    if (phase == StationWorker::kReportFile && state == StationWorker::kPassed) m_reportLabel->setText(detail);
    if (state != StationWorker::kRunning)
        Say(QStringLiteral("%1: %2%3").arg(item->text(0), item->text(1),
                                          detail.isEmpty() ? QString() : QStringLiteral(" (") + detail + QLatin1Char(')')));
}

void StationWindow::OnLeverPrompt(bool show) {
    if (show) {
        if (!m_prompt) {
            m_prompt = new CNewDialogEseguireAzione(this, CString::FromUtf8(kLeverText));
            m_prompt->setAttribute(Qt::WA_DeleteOnClose);
            m_prompt->resize(480, 220);
            connect(m_prompt, &CNewDialogEseguireAzione::annullaTest, this, [this] { StopTest(); });
        }
        m_prompt->show();
        ArrangeDialogs();
    } else if (m_prompt) {
        m_prompt->accept();
    }
}

void StationWindow::OnFinished(int outcome, const QString& reportPath, const QString& why) {
    m_ui->EndRepeats();
    QString message = why;
    QString failedPhases;
    if (message.isEmpty() && outcome == StationWorker::kTestFailed) {
        QStringList failed;
        for (int i = 0; i < m_phases->topLevelItemCount(); ++i) {
            if (m_phases->topLevelItem(i)->text(1) == QLatin1String("FAILED")) failed << m_phases->topLevelItem(i)->text(0);
        }
        failedPhases = failed.join(QStringLiteral(", "));
        message = QStringLiteral("failed: ") + failedPhases;
    }
    m_running = false;
    m_start->setEnabled(true);
    m_logout->setEnabled(true);
    m_stop->setEnabled(false);
    if (m_prompt) m_prompt->accept();
    m_reportLabel->setText(reportPath.isEmpty() ? QStringLiteral("-") : reportPath);
    static const char* const outcomes[] = {"PASSED", "FAILED", "STOPPED"};
    // "Test FAILED in: Model check", not "Test FAILED: failed: Model check".
    const QString said = QStringLiteral("Test %1%2")
                             .arg(QString::fromLatin1(outcomes[outcome >= 0 && outcome < 3 ? outcome : 1]),
                                  !failedPhases.isEmpty() ? QStringLiteral(" in: ") + failedPhases
                                  : message.isEmpty()     ? QString()
                                                          : QStringLiteral(": ") + message);
    Say(said);
    statusBar()->showMessage(said);
    // The tester and the product type stay for the next printer.
    m_record.strCodiceProdotto.Empty();
    m_record.strDataCollaudo.Empty();
    m_record.strLottoProduzione.Empty();
    m_record.strNumeroSerie.Empty();
    emit testEnded(outcome, reportPath, message);
    if (m_closing) close();
}

QString StationWindow::FoundSetting(const QString& text) {
    // "PORT, BAUD, P, BITS, 1, H" as the library builds it; the port name
    // itself may hold commas, so the fields are taken from the end.
    const QStringList f = text.split(QStringLiteral(", "));
    if (f.size() < 6) return QString();
    const int n = static_cast<int>(f.size());
    bool ok = false;
    const int baud = f[n - 5].toInt(&ok);
    if (!ok || baud <= 0) return QString();
    return QStringLiteral("%1 %2 %3 %4").arg(baud).arg(f[n - 3], f[n - 4], f[n - 2]);
}

void StationWindow::ArrangeDialogs() {
    // The flow test shows the lever prompt and the progress display at the
    // same time, and the operator needs both: "Annulla Test" of the one and
    // the bar of the other. One above the other, centred on the window and
    // kept on its screen, neither covering the other.
    // The progress display takes its place even before it shows.
    QList<QWidget*> shown;
    if (m_prompt && m_prompt->isVisible()) shown << m_prompt.data();
    shown << m_progress;
    const QRect screen = (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const QPoint centre = isVisible() ? mapToGlobal(rect().center()) : screen.center();
    constexpr int kGap = 12;
    // The frame adds a title bar and borders the widget's own size lacks.
    auto outer = [](QWidget* w) {
        const QSize frame = w->frameGeometry().size() - w->geometry().size();
        const QSize extra(std::max(frame.width(), 8), std::max(frame.height(), 36));
        return w->size() + extra;
    };
    int total = 0;
    for (QWidget* w : shown) total += outer(w).height();
    total += kGap * (static_cast<int>(shown.size()) - 1);
    int top = std::clamp(centre.y() - total / 2, screen.top(), std::max(screen.top(), screen.bottom() - total));
    for (QWidget* w : shown) {
        const QSize o = outer(w);
        const int left = std::clamp(centre.x() - o.width() / 2, screen.left(),
                                    std::max(screen.left(), screen.right() - o.width()));
        w->move(left, top);
        top += o.height() + kGap;
    }
}

void StationWindow::closeEvent(QCloseEvent* e) {
    if (m_running) {
        // The worker ends its transfer first; the window closes when it
        // reports the end.
        m_closing = true;
        StopTest();
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
}
