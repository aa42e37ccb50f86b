#include "StationWorker.h"

#include "QtText.h"
#include "SerialDevice.h"
#include "StationUiServices.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <ctime>
#include <memory>

StationMessageTarget::StationMessageTarget(QWidget* window, Handler handler)
    : QtMessageTarget(window), m_handler(std::move(handler)) {}

void StationMessageTarget::Post(const PostedMessage& m) {
    QString line;
    _ProgressBarCtrl ctrl;
    if (CKalvoNewPrintersObject* source = m_source.load()) {
        if (m.msg == WM_COMCONFIG_CHANGED) line = ToQString(source->GetStrComConfig());
        if (m.msg == WM_PROGRESS_START) ctrl = *source->Getm_ProgressBarCtrl();
    }
    QMetaObject::invokeMethod(
        this, [this, m, line, ctrl] { m_handler(m, line, ctrl); }, Qt::QueuedConnection);
}

namespace {

// Test data for the flow-control test: lines of the printable characters,
// each shifted by one, as wide as the printer prints, so that a lost or
// doubled byte shows on paper.
bool WriteFlowPattern(QTemporaryFile& file, DWORD width) {
    if (!file.open()) return false;
    QByteArray data;
    const int columns = width ? static_cast<int>(width) : 32;
    for (int row = 0; row < 24; ++row) {
        for (int c = 0; c < columns; ++c) data.append(static_cast<char>(0x21 + (row + c) % 94));
        data.append('\n');
    }
    const bool ok = file.write(data) == data.size() && file.flush();
    file.close();
    return ok;
}

// The revision of the station's test procedure, printed in every report's
// letterhead: change it with the phases.
const wchar_t* const kProcedureRevision = L"1.00";
const wchar_t* const kProcedureDate = L"08/12/2026";

}  // namespace

void StationWorker::Stop() {
    m_stop = true;
    std::lock_guard l(m_lock);
    if (m_printer) m_printer->StopWriter();
}

void StationWorker::Arm() {
    m_stop = false;
    m_ui->ResetInterrupted();
}

void StationWorker::Run(const StationJob& job) {
    _AnagraficaCollaudo record = job.record;
    Outcome outcome = kTestPassed;
    QString message, reportPath;
    bool reportStarted = false;

    auto begin = [&](Phase p) { emit phase(p, kRunning, QString()); };
    auto end = [&](Phase p, bool ok, const QString& detail = QString()) {
        emit phase(p, ok ? kPassed : kFailed, detail);
        if (!ok && outcome == kTestPassed) outcome = kTestFailed;
        return ok;
    };
    // The operator's stop (the window's Stop, "Annulla Test", or OK to
    // "Si vuole interrompere il collaudo?") ends the test between phases.
    auto stopped = [&] {
        if (outcome == kTestStopped) return true;
        if (!m_stop.load() && !m_ui->Interrupted()) return false;
        outcome = kTestStopped;
        return true;
    };

    {
        // The printer goes (and its port is released) before the window
        // hears the test is over; its release still posts to the target.
        StationPrinter printer;
        m_target->SetSource(&printer);
        {
            std::lock_guard l(m_lock);
            m_printer = &printer;
            // A stop pressed before the printer existed still counts.
            if (m_stop) printer.StopWriter();
        }
        std::unique_ptr<CKalvoNewReportFileObject> report;
        try {
            begin(kOpen);
            const bool open = printer.Open(m_target->Handle(), job.folder, job.log, job.port, job.cfg);
            end(kOpen, open, ToQString(job.port));
            if (!open && !printer.Get_m_CComPortInit()) {
                // Opened again only to learn why: busy, missing, no access.
                DWORD error = 0;
                std::string why;
                message = OpenSerialPort(job.port, error, &why) ? QStringLiteral("cannot open %1").arg(ToQString(job.port))
                                                                : QString::fromStdString(why);
            } else if (!open) {
                message = QStringLiteral("cannot use the model's configuration %1 (see the debug log)").arg(ToQString(job.cfg));
            }

            if (open && !stopped()) {
                begin(kSerialNumber);
                report = std::make_unique<CKalvoNewReportFileObject>(m_target->Handle(), job.folder, &record,
                                                                     printer.Get_m_pDebugObj(), kProcedureRevision,
                                                                     kProcedureDate);
                printer.AttachReport(report.get());
                if (!printer.AskSerialNumber()) {
                    emit phase(kSerialNumber, kSkipped, QStringLiteral("Stop Collaudo"));
                    outcome = kTestStopped;
                } else {
                    end(kSerialNumber, true,
                        ToQString(record.strCodiceProdotto) + QLatin1Char(' ') + ToQString(record.strNumeroSerie));
                }
            }
            if (open && !stopped()) {
                begin(kReportFile);
                reportStarted = printer.StartReport();
                const QString path = ToQString(report->Get_m_strPathReport());
                end(kReportFile, reportStarted, path);
                if (reportStarted) reportPath = path;
                else message = QStringLiteral("cannot create the report file %1").arg(path);
            }

            bool found = false;
            if (reportStarted && !stopped()) {
                begin(kDetect);
                std::string line;
                const bool ok = printer.Detect(line);
                found = end(kDetect, ok, QString::fromStdString(line));
                if (!found) message = QStringLiteral("no printer of the model answered at any rate");
            }
            bool model = false;
            if (found && !stopped()) {
                begin(kModel);
                const bool ok = printer.CheckModel();
                model = end(kModel, ok, QStringLiteral("model %1").arg(printer.ConfiguredModel()));
                if (!model) message = QStringLiteral("the printer is not the model chosen");
            }
            if (model && !stopped()) {
                begin(kRelease);
                std::string release;
                const bool ok = printer.CheckRelease(release);
                end(kRelease, ok, QString::fromStdString(release));
            }
            if (model && !stopped()) {
                const CString config = printer.ChosenConfiguration();
                if (config.IsEmpty()) {
                    emit phase(kDefaultConfig, kSkipped, QStringLiteral("Nessuna"));
                } else {
                    begin(kDefaultConfig);
                    end(kDefaultConfig, printer.SendDefaultConfiguration(config), ToQString(config));
                }
            }
            if (model && !stopped()) {
                begin(kFlowTest);
                QTemporaryFile data(QDir(ToQString(job.folder)).filePath(QStringLiteral("flowtest-XXXXXX.txt")));
                if (!WriteFlowPattern(data, printer.CharsPerLine())) {
                    end(kFlowTest, false, QStringLiteral("cannot write the test data"));
                } else {
                    emit leverPrompt(true);
                    const StationPrinter::Flow flow = printer.FlowTest(FromQString(data.fileName()));
                    emit leverPrompt(false);
                    if (flow == StationPrinter::Flow::kFailed && m_stop.load()) {
                        emit phase(kFlowTest, kFailed, QStringLiteral("stopped"));
                        outcome = kTestStopped;
                    } else if (flow == StationPrinter::Flow::kNeverFull) {
                        end(kFlowTest, false, QStringLiteral("the printer never signalled a full buffer"));
                    } else if (flow == StationPrinter::Flow::kFailed) {
                        end(kFlowTest, false, QStringLiteral("the transfer failed (see the report)"));
                    } else {
                        end(kFlowTest, true, QStringLiteral("%1 bytes buffer").arg(printer.ReceiveBuffer()));
                    }
                }
            }
            if (model && !stopped()) {
                begin(kJudgement);
                const bool ok = printer.Judge(
                    L"Il test di stampa è stampato correttamente (righe complete, nessun carattere mancante)?",
                    L"Verifica qualità di stampa");
                if (!ok && m_ui->Interrupted()) {
                    emit phase(kJudgement, kFailed, QStringLiteral("Annulla"));
                    outcome = kTestStopped;
                } else {
                    end(kJudgement, ok);
                }
            }
            if (outcome == kTestStopped && reportStarted && !m_ui->Interrupted()) {
                printer.ReportText(L"\nCollaudo interrotto dall'operatore alle ore: " + ClockText(std::time(nullptr)));
            }
            if (model && outcome != kTestStopped) {
                begin(kSummary);
                end(kSummary, printer.PrintSummary(outcome == kTestPassed));
            }
            if (reportStarted) {
                printer.ReportText(outcome == kTestPassed ? CString(L"\n\nEsito del collaudo: OK\n")
                                                          : CString(L"\n\nEsito del collaudo: NON OK\n"));
                // The report is printed whatever happened: it is the record
                // of this printer's test.
                begin(kReport);
                m_ui->SetSuggestedPdf(QString(reportPath).replace(QRegularExpression(QStringLiteral("\\.rpt$")),
                                                                  QStringLiteral(".pdf")));
                const bool printed = report->PrintReportFile(report->Get_m_strPathReport());
                end(kReport, printed, m_ui->LastPdf());
                if (!printed && message.isEmpty()) message = QStringLiteral("the report was not printed");
            }
        } catch (int) {
            // The library's release assertion; its dialog has been shown.
            if (outcome != kTestStopped) outcome = kTestFailed;
            message = QStringLiteral("the library stopped at a failed check (see the debug log)");
        }
        {
            std::lock_guard l(m_lock);
            m_printer = nullptr;
        }
        printer.AttachReport(nullptr);
    }
    m_target->SetSource(nullptr);
    if (outcome == kTestStopped && message.isEmpty()) message = QStringLiteral("stopped by the operator");
    emit finished(outcome, reportPath, message);
}
