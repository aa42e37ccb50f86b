#include "DBCollaudatori.h"
#include "NewDialogAnagraficaCollaudo.h"
#include "NewDialogEseguireAzione.h"
#include "NewDialogInPassword.h"
#include "NewDialogNumeroDiSerie.h"
#include "NewDialogSelezioneStampante.h"
#include "NewDialogStatoAvanProcesso.h"
#include "PdfRender.h"
#include "QtTestSupport.h"
#include "SimulatedPrinterLine.h"
#include "StationUiServices.h"
#include "StationWindow.h"
#include "TestUi.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

// Readable QString values in assertion failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

namespace fs = std::filesystem;

const std::string kSamples = std::string(GLYPHOS_SOURCE_DIR) + "/samples/printers/";
const QString kShots = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots/station/");

// Plays the tester at the station: answers every window the test opens, the
// way a person would, and photographs each screen as it first appears.
class Operator : public QObject {
public:
    bool lowerLever = true;  // at the buffer-full prompt
    SimulatedPrinterLine* line = nullptr;
    QWidget* mainWindow = nullptr;
    std::vector<QString> seen;  // window titles, in order
    int shot = 0;
    QString prefix;  // of the screenshots' names
    bool bufferFullAnswered = false;
    QString lineDuringFlow;  // the window's line setting at the buffer-full prompt
    bool stopAtSerialNumber = false;
    QString serial = QStringLiteral("0001");
    QString bufferFullText;  // as the operator read it
    std::optional<bool> bothInSight;  // lever prompt and progress apart and on the screen
    QString password = QStringLiteral("segreto");
    std::function<void()> onRefusedPassword;
    std::map<QString, QMessageBox::StandardButton> answers;  // by box title; else Yes or the only button

    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        if (e->type() != QEvent::Show || !w || !w->isWindow() || w == mainWindow) return false;
        // Modeless windows are photographed as they open (the test may be
        // past them a moment later); modal ones are answered from their own
        // event loop.
        if (qobject_cast<CNewDialogEseguireAzione*>(w) || qobject_cast<CNewDialogStatoAvanProcesso*>(w)) {
            seen.push_back(w->windowTitle());
            // The lever prompt and the progress display open together; the
            // operator needs "Annulla Test" of the one and the bar of the other.
            auto* station = static_cast<StationWindow*>(mainWindow);
            if (qobject_cast<CNewDialogStatoAvanProcesso*>(w) && station->LeverPrompt() &&
                station->LeverPrompt()->isVisible()) {
                const QRect screen = w->screen()->availableGeometry();
                const QRect prompt = station->LeverPrompt()->frameGeometry();
                const QRect progress = w->frameGeometry();
                bothInSight = !prompt.intersects(progress) && screen.contains(prompt) && screen.contains(progress);
            }
            Shot(w, qobject_cast<CNewDialogEseguireAzione*>(w) ? "lever-prompt" : "progress");
            return false;
        }
        QPointer<QWidget> p(w);
        QTimer::singleShot(0, this, [this, p] {
            if (p) Answer(p);
        });
        return false;
    }

    void Shot(QWidget* w, const char* name) {
        QDir().mkpath(kShots);
        w->grab().save(kShots + prefix + QStringLiteral("%1-%2.png").arg(++shot, 2, 10, QLatin1Char('0')).arg(QLatin1String(name)));
    }

private:

    void Answer(QWidget* w) {
        seen.push_back(w->windowTitle());
        if (auto* d = qobject_cast<CNewDialogInPassword*>(w)) {
            QTest::keyClicks(d->PasswordEdit(), password);
            Shot(d, "login");
            d->accept();
        } else if (auto* d = qobject_cast<CNewDialogSelezioneStampante*>(w)) {
            d->Models()->setCurrentIndex(d->Models()->findText(QStringLiteral("demo-printer")));
            Shot(d, "model");
            d->accept();
        } else if (auto* d = qobject_cast<CNewDialogAnagraficaCollaudo*>(w)) {
            QTest::keyClicks(d->Field(4), QStringLiteral("000123"));
            QTest::keyClicks(d->Field(5), QStringLiteral("r1"));
            Shot(d, "record");
            d->accept();
        } else if (auto* d = qobject_cast<CNewDialogNumeroDiSerie*>(w)) {
            if (stopAtSerialNumber) {
                QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("stop")), Qt::LeftButton);
                return;
            }
            QTest::keyClicks(d->SerialEdit(), serial);
            d->Configurations()->setCurrentIndex(d->Configurations()->findText(QStringLiteral("Quick")));
            Shot(d, "serial-number");
            d->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
            Shot(box, box->windowTitle() == QStringLiteral("Test buffer di ricezione") ? "buffer-full" : "box");
            if (box->text() == QStringLiteral("Invalid password") && onRefusedPassword) onRefusedPassword();
            if (box->windowTitle() == QStringLiteral("Test buffer di ricezione")) {
                Shot(mainWindow, "window-during-flow-test");
                lineDuringFlow = static_cast<StationWindow*>(mainWindow)->LineSetting();
                bufferFullText = box->text();
                if (lowerLever) line->SetLever(false);
                bufferFullAnswered = true;
            }
            const auto chosen = answers.find(box->windowTitle());
            QAbstractButton* b = box->button(chosen != answers.end() ? chosen->second : QMessageBox::Yes);
            QTest::mouseClick(b ? b : box->buttons().front(), Qt::LeftButton);
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            ADD_FAILURE() << "unexpected window " << w->windowTitle().toStdString();
            d->reject();
        }
    }
};

class StationTest : public ::testing::Test {
protected:
    TempDir dir;
    StationUiServices ui;
    UiServices* previous = nullptr;
    std::unique_ptr<SimulatedPrinterLine> line;
    std::unique_ptr<StationWindow> window;
    Operator hand;

    void SetUp() override {
        EnsureQApp();
        previous = UiServices::Install(&ui);
        fs::create_directories(dir.File("printers"));
        for (const char* cfg : {"demo-printer.cfg", "demo-xonxoff.cfg"})
            fs::copy_file(kSamples + cfg, dir.File("printers/") + cfg);
        {
            CDBCollaudatori db(CString::FromUtf8(dir.File("testers.dat")));
            db.AddCollaudatore(L"Anna", L"Rossi", L"segreto");
            ASSERT_TRUE(db.SaveDBaseToFile());
        }
        Printer({"baud 2400", "lever up"});
        const StationOptions options = ParseStationOptions(
            {"--port", "SIMSTATION", "--printers", dir.File("printers"), "--testers", dir.File("testers.dat"),
             "--reports", dir.File("reports"), "--pdf", dir.File("report.pdf")});
        CheckStationOptions(options);
        window = std::make_unique<StationWindow>(options, ListStationModels(options.printers), &ui);
        window->show();
        hand.mainWindow = window.get();
        qApp->installEventFilter(&hand);
    }
    void TearDown() override {
        qApp->removeEventFilter(&hand);
        window.reset();
        UiServices::Install(previous);
    }

    // The demo printer with these script lines, on the station's port.
    void Printer(const std::vector<std::string>& extra) {
        line.reset();  // its name goes with it
        std::string error;
        auto script = PrinterScript::Parse(ReadText(kSamples + "demo-printer.sim"), &error);
        ASSERT_TRUE(script) << error;
        for (const std::string& l : extra) ASSERT_TRUE(script->Apply(l, &error)) << error;
        line = std::make_unique<SimulatedPrinterLine>(*script);
        line->Attach(L"SIMSTATION");
        hand.line = line.get();
    }
    // Starts a test and waits for its end; returns the outcome.
    int RunTest(QString* reportPath = nullptr) {
        QSignalSpy ended(window.get(), &StationWindow::testEnded);
        if (!window->StartTest()) return -1;
        if (!ended.wait(60000)) return -2;
        if (reportPath) *reportPath = ended.at(0).at(1).toString();
        return ended.at(0).at(0).toInt();
    }
    QString Result(int phase) const { return window->Phases()->topLevelItem(phase)->text(1); }
};

TEST_F(StationTest, ATestGoesFromLoginToPrintedReport) {
    // A password nobody has yet: refused, and the dialog comes back. The
    // tester is registered while the station runs, and his next try passes.
    hand.password = QStringLiteral("nuovo");
    hand.onRefusedPassword = [this] {
        CDBCollaudatori db(CString::FromUtf8(dir.File("testers.dat")));
        ASSERT_TRUE(db.LoadDBaseFromFile());
        db.AddCollaudatore(L"Bruno", L"Verdi", L"nuovo");
        ASSERT_TRUE(db.SaveDBaseToFile());
    };
    QString report;
    ASSERT_EQ(RunTest(&report), StationWorker::kTestPassed);
    hand.Shot(window.get(), "window-at-end");

    // Every screen came in its order: the refused password, the printer's
    // questions on the worker thread among them.
    const std::vector<QString> expected = {
        "Insert password", "Error", "Insert password", "Selezione stampante", "Anagrafica collaudo",
        "Numero di serie e configurazione di defaul", "Eseguire azione ...", "Test controllo di flusso",
        "Test buffer di ricezione", "Verifica qualità di stampa"};
    EXPECT_EQ(hand.seen, expected);
    for (int p = 0; p < StationWorker::kPhaseCount; ++p) EXPECT_EQ(Result(p), "OK") << p;
    EXPECT_EQ(window->Phases()->topLevelItem(StationWorker::kDetect)->text(2), "2400 8 n");
    EXPECT_EQ(window->Phases()->topLevelItem(StationWorker::kRelease)->text(2), "1.20");
    EXPECT_FALSE(window->LeverPrompt());
    EXPECT_FALSE(window->ProgressDialog()->isVisible());
    EXPECT_EQ(hand.bothInSight, true);
    EXPECT_TRUE(hand.lineDuringFlow.startsWith("SIMSTATION, 2400, n, 8, 1")) << hand.lineDuringFlow.toStdString();

    // The report file: named after product code and serial number, holding
    // the record and every phase.
    EXPECT_EQ(fs::path(report.toStdString()).filename(), "DEMO-PRINTER-R10001.rpt");
    const std::string text = ReadText(report.toStdString());
    for (const char* want : {"\nCollaudatore:                 Bruno Verdi", "\nCodice del prodotto:          DEMO-PRINTER-R1",
                             "\nNumero di serie del prodotto: 0001", "\nLotto di produzione:          000123",
                             "\nLa fase: Ricerca velocit\xE0 di comunicazione       OK (2400 8 n)",
                             "\nLa fase: Verifica coincidenza modello stampante       OK",
                             "\nLa fase: Verifica release firmware 1.20       OK",
                             "\nLa fase: Configurazione di default Quick       OK",
                             "\nLa fase: Verifica buffer di ricezione pieno:    OK",
                             "\nLa fase: Verifica qualit\xE0 di stampa :    OK", "\n\nEsito del collaudo: OK\n"})
        EXPECT_NE(text.find(want), std::string::npos) << want;

    // The summary came out of the printer, the report out of the PDF printer.
    std::string printed;
    for (const std::string& l : line->PrintedLines()) printed += l + "\n";
    for (const char* want : {"Final Test Report", "Priter model", "Flus control", "Release 1.20", "Result"})
        EXPECT_NE(printed.find(want), std::string::npos) << want << " in\n" << printed;
    // One PDF per report, beside the file given, under the report's name.
    const auto pages = RenderPdfPages(dir.File("DEMO-PRINTER-R10001.pdf"), 60);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].save(kShots + QStringLiteral("report-page.png")));
    EXPECT_FALSE(fs::exists(dir.File("report.pdf")));

    // After the test the window shows the setting the printer was found
    // at, not the released port; the operator read a sentence.
    EXPECT_EQ(window->LineSetting(), "2400 8 n 1");
    EXPECT_EQ(hand.bufferFullText, "Buffer di ricezione pieno. Abbassare la levetta della testina.");

    // The next printer of the session gets its own PDF; the first stays.
    const auto firstPdf = fs::file_size(dir.File("DEMO-PRINTER-R10001.pdf"));
    Printer({"baud 4800", "lever up"});
    hand.serial = QStringLiteral("0002");
    ASSERT_EQ(RunTest(&report), StationWorker::kTestPassed);
    EXPECT_EQ(fs::path(report.toStdString()).filename(), "DEMO-PRINTER-R10002.rpt");
    EXPECT_EQ(RenderPdfPages(dir.File("DEMO-PRINTER-R10002.pdf"), 60).size(), 1u);
    EXPECT_EQ(fs::file_size(dir.File("DEMO-PRINTER-R10001.pdf")), firstPdf);
    EXPECT_EQ(window->LineSetting(), "4800 8 n 1");
}

TEST_F(StationTest, TheWindowAnswersDuringATransferAndStopEndsIt) {
    // The lever stays up: the transfer waits for the printer without end,
    // as it does in the flow test until the operator acts.
    hand.lowerLever = false;
    hand.prefix = QStringLiteral("stop-");
    QSignalSpy ended(window.get(), &StationWindow::testEnded);
    ASSERT_TRUE(window->StartTest());
    ASSERT_TRUE(QTest::qWaitFor([&] { return hand.bufferFullAnswered; }, 60000));

    // The event loop turns while the worker is busy with the printer.
    qint64 slowest = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
        slowest = std::max(slowest, t.elapsed());
    }
    ASSERT_TRUE(window->Running());
    ASSERT_TRUE(ended.isEmpty());
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(window->StopButton(), Qt::LeftButton);
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 stopAnswer = t.elapsed();
    RecordProperty("slowest_event_loop_turn_ms", static_cast<int>(slowest));
    RecordProperty("stop_answer_ms", static_cast<int>(stopAnswer));
    EXPECT_LT(slowest, 100);
    EXPECT_LT(stopAnswer, 100);

    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(ended.at(0).at(0).toInt(), StationWorker::kTestStopped);
    hand.Shot(window.get(), "window-after-stop");
    EXPECT_EQ(Result(StationWorker::kFlowTest), "FAILED");
    EXPECT_EQ(window->Phases()->topLevelItem(StationWorker::kFlowTest)->text(2), "stopped");
    EXPECT_EQ(Result(StationWorker::kJudgement), "") << "no phase after the stop";
    EXPECT_EQ(Result(StationWorker::kSummary), "");
    EXPECT_EQ(Result(StationWorker::kReport), "OK") << "the report is printed whatever happened";
    EXPECT_FALSE(window->ProgressDialog()->isVisible()) << "the end message closed the progress display";

    const std::string log = ReadText(dir.File("reports/ostrel-station.log"));
    EXPECT_NE(log.find("Processo invio dati interrotto dall'utente dopo"), std::string::npos);
    EXPECT_EQ(log.find("Fine procedura di invio dati"), std::string::npos);
    const std::string report = ReadText(ended.at(0).at(1).toString().toStdString());
    EXPECT_NE(report.find("\nCollaudo interrotto dall'operatore alle ore: "), std::string::npos);
    EXPECT_NE(report.find("\n\nEsito del collaudo: NON OK\n"), std::string::npos);
}

TEST_F(StationTest, TheOperatorMayEndTheTestAtItsQuestions) {
    // "Stop Collaudo" at the serial number: nothing is tested, no report
    // is made for a printer without a serial number.
    hand.stopAtSerialNumber = true;
    QString report;
    EXPECT_EQ(RunTest(&report), StationWorker::kTestStopped);
    EXPECT_TRUE(report.isEmpty());
    EXPECT_EQ(Result(StationWorker::kSerialNumber), "skipped");
    for (int p = StationWorker::kReportFile; p < StationWorker::kPhaseCount; ++p) EXPECT_EQ(Result(p), "") << p;
    for (const auto& f : fs::directory_iterator(dir.File("reports"))) EXPECT_NE(f.path().extension(), ".rpt");

    // Cancel at the judgement, then OK to "interrupt the test?": the test is
    // stopped, not failed, and the summary is not printed; the report is.
    hand.stopAtSerialNumber = false;
    hand.answers = {{"Verifica qualit\u00e0 di stampa", QMessageBox::Cancel}, {"Interruzione collaudo", QMessageBox::Ok}};
    hand.seen.clear();
    EXPECT_EQ(RunTest(&report), StationWorker::kTestStopped);
    ASSERT_GE(hand.seen.size(), 2u);
    EXPECT_EQ(hand.seen.end()[-2], "Interruzione collaudo");
    EXPECT_EQ(hand.seen.back(), "Collaudo interrotto");
    EXPECT_EQ(Result(StationWorker::kJudgement), "FAILED");
    EXPECT_EQ(Result(StationWorker::kSummary), "");
    EXPECT_EQ(Result(StationWorker::kReport), "OK");
    const std::string text = ReadText(report.toStdString());
    EXPECT_NE(text.find("\nCollaudo interrotto alla fase: Verifica qualit\xE0 di stampa"), std::string::npos);
    EXPECT_EQ(text.find("dall'operatore"), std::string::npos) << "the library already said who stopped";
    EXPECT_NE(text.find("\n\nEsito del collaudo: NON OK\n"), std::string::npos);
    for (const std::string& l : line->PrintedLines()) EXPECT_EQ(l.find("Final Test Report"), std::string::npos);
}

TEST_F(StationTest, AFlowTestWithoutAFullBufferFails) {
    // A buffer the test data cannot fill: every byte goes through, but the
    // printer's flow control was never put to the test.
    Printer({"buffer 65536"});
    QSignalSpy ended(window.get(), &StationWindow::testEnded);
    QString report;
    EXPECT_EQ(RunTest(&report), StationWorker::kTestFailed);
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.at(0).at(2).toString(), "failed: Flow-control test") << "the message names what failed";
    EXPECT_EQ(window->statusBar()->currentMessage(), "Test FAILED in: Flow-control test");
    EXPECT_EQ(Result(StationWorker::kFlowTest), "FAILED");
    EXPECT_EQ(window->Phases()->topLevelItem(StationWorker::kFlowTest)->text(2),
              "the printer never signalled a full buffer");
    EXPECT_EQ(Result(StationWorker::kSummary), "OK") << "the summary tells the failure";
    const std::string text = ReadText(report.toStdString());
    EXPECT_NE(text.find("\nLa fase: Verifica buffer di ricezione pieno:    NOOK"), std::string::npos);
    EXPECT_NE(text.find("\n\nEsito del collaudo: NON OK\n"), std::string::npos);
}

TEST_F(StationTest, APortInUseEndsTheTestWithTheReasonAndNoReport) {
    DWORD error = 0;
    auto holder = line->Open(error);
    ASSERT_TRUE(holder);
    QSignalSpy ended(window.get(), &StationWindow::testEnded);
    ASSERT_TRUE(window->StartTest());
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(ended.at(0).at(0).toInt(), StationWorker::kTestFailed);
    EXPECT_TRUE(ended.at(0).at(1).toString().isEmpty());
    EXPECT_TRUE(ended.at(0).at(2).toString().contains(QLatin1String("busy"))) << ended.at(0).at(2).toString().toStdString();
    EXPECT_EQ(Result(StationWorker::kOpen), "FAILED");
    EXPECT_EQ(Result(StationWorker::kSerialNumber), "");
    EXPECT_TRUE(window->StartButton()->isEnabled()) << "ready for the next try";
}

// A box the library repeats (a printer that stays off) is shown once; the
// window is told the count, and the operator reads a sentence.
TEST(StationUiServicesTest, ARepeatedBoxShowsOnceAndTheWindowHearsItsCount) {
    EnsureQApp();
    StationUiServices ui;
    QString told;
    ui.SetOnRepeated([&](const QString& line) { told = line; });
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        if (shown.isEmpty()) {
            OnNextModal<QMessageBox>([&](QMessageBox* box) {
                shown << box->text();
                QTest::keyClick(box, Qt::Key_Return);
            });
        }
        EXPECT_EQ(ui.MessageBox(nullptr, L"\nGetDCEPowerOn() -> Stampante spenta", L"Stampante", MB_ICONERROR), IDOK);
    }
    ui.EndRepeats();
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, QStringList{"Stampante spenta"});
    EXPECT_EQ(told, "Stampante: Stampante spenta (3 times)");
}

TEST(OstrelStationProgram, AnswersItsCommandLineBeforeAnyWindow) {
    TempDir dir;
    WriteText(dir.File("x.cfg"), "");
    struct Case {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{"--version"}, 0, "ostrel-station " GLYPHOS_VERSION},
        {{"--help"}, 0, "usage: ostrel-station"},
        {{"--porto", "x"}, 2, "ostrel-station: error: unknown option --porto"},
        {{"--port"}, 2, "ostrel-station: error: --port wants a value"},
        {{"stray"}, 2, "ostrel-station: error: unexpected argument \"stray\""},
        {{"--printers", QString::fromStdString(dir.path() + "/none")}, 1, "cannot read the printers folder"},
        {{"--printers", QString::fromStdString(dir.path()), "--model", "y"}, 1, "no model y (y.cfg)"},
        {{"--printers", QString::fromStdString(dir.path()), "--testers", QString::fromStdString(dir.File("t.dat"))},
         1,
         "no testers database"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(QStringLiteral(GLYPHOS_BINARY_DIR "/bin/ostrel-station"), c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), c.code);
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        EXPECT_TRUE(out.contains(QLatin1String(c.says))) << out.toStdString();
        if (c.code) {
            EXPECT_EQ(out.count(QLatin1Char('\n')), c.code == 2 ? 2 : 1) << "one error line";
        }
    }
}

}  // namespace
