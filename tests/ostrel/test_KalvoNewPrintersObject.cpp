#include "KalvoNewPrintersObject.h"
#include "KalvoNewReportFileObject.h"
#include "MessageTarget.h"
#include "SimulatedPrinterLine.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <regex>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Op = SimulatedPrinterLine::Op;

class ToolPrinters : public CKalvoNewPrintersObject {
public:
    using CKalvoNewPrintersObject::AutodetectBaudRate;
    using CKalvoNewPrintersObject::GetReleaseSwStampante;
    using CKalvoNewPrintersObject::GetStatusPrinter;
    using CKalvoNewPrintersObject::m_bfIsUpgrade;
    using CKalvoNewPrintersObject::m_dcb;
    using CKalvoNewPrintersObject::m_fBufferTestDone;
    using CKalvoNewPrintersObject::m_fDTRpresent;
    using CKalvoNewPrintersObject::m_fGsiRelease;
    using CKalvoNewPrintersObject::m_fIsR730;
    using CKalvoNewPrintersObject::m_strAviPath;
    using CKalvoNewPrintersObject::m_uiCharLine;
    using CKalvoNewPrintersObject::m_uiGsiModel;
    using CKalvoNewPrintersObject::m_uiRxBufDim;
    using CKalvoNewPrintersObject::NewSendCommandDefConfigPrn;
    using CKalvoNewPrintersObject::NewSendCommandToCom;
    using CKalvoNewPrintersObject::NLfOutput;
    using CKalvoNewPrintersObject::PrintLineToPrn;
    using CKalvoNewPrintersObject::SendCommandToComm;
    using CKalvoNewPrintersObject::SetAutomaticComPort;
    using CKalvoNewPrintersObject::SetModelSerialNumber;
    using CKalvoNewPrintersObject::VerificaComToPrn;
    using CKalvoNewPrintersObject::WriteToCom;
    using CKalvoNewPrintersObject::IntestazReportFile;
    using CKalvoNewPrintersObject::m_fReportOn;
    using CKalvoNewPrintersObject::m_iFeedCount;
    using CKalvoNewPrintersObject::m_pReportObj;
    using CKalvoNewPrintersObject::Printm_ReportCollaudo;
    using CKalvoNewComObject::SetBaudRate;
};

// A virtual clock on which another thread calls StopWriter at a chosen
// moment: the first reading of the clock at or past that moment waits until
// the other thread has made its call. The request lands in the middle of
// whatever runs then, as a tool's user interface makes it, and always at
// the same place for one seed.
class StopAtClock : public VirtualClock {
public:
    explicit StopAtClock(std::function<void()> stop) : m_stop(std::move(stop)), m_thread([this] { Serve(); }) {}
    ~StopAtClock() override {
        {
            std::lock_guard l(m_lock);
            m_quit = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    void StopAt(duration t) { m_at = t.count(); }
    void Disarm() { m_at = kOff; }
    int Fired() const { return m_fired; }

    time_point Now() const override {
        const time_point now = VirtualClock::Now();
        long long at = m_at.load();
        if (at != kOff && now.time_since_epoch().count() >= at && m_at.compare_exchange_strong(at, kOff)) {
            std::unique_lock l(m_lock);
            m_request = true;
            m_cv.notify_all();
            m_cv.wait(l, [this] { return !m_request; });
            ++m_fired;
        }
        return now;
    }

private:
    void Serve() {
        std::unique_lock l(m_lock);
        for (;;) {
            m_cv.wait(l, [this] { return m_request || m_quit; });
            if (m_quit) return;
            m_stop();
            m_request = false;
            m_cv.notify_all();
        }
    }

    static constexpr long long kOff = LLONG_MAX;
    std::function<void()> m_stop;
    mutable std::atomic<long long> m_at{kOff};
    mutable std::mutex m_lock;
    mutable std::condition_variable m_cv;
    mutable bool m_request = false;
    mutable int m_fired = 0;
    bool m_quit = false;
    std::thread m_thread;
};

const std::string kSamples = std::string(GLYPHOS_SOURCE_DIR) + "/samples/printers/";

class KalvoNewPrintersObjectTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    QueuedMessageTarget window;
    int frame = 0;
    // The clock of the next line, when a test brings its own; it outlives
    // the lines and the object on them.
    std::unique_ptr<VirtualClock> clock;
    // Lines replaced in a test stay until the objects on them are gone.
    std::vector<std::unique_ptr<SimulatedPrinterLine>> retired;
    std::unique_ptr<SimulatedPrinterLine> line;
    ToolPrinters prn;

    // The demo printer of the samples (or another script) with some lines of
    // script on top, and the demo configuration file (or another).
    void Printer(std::vector<std::string> extra = {}, const std::string& cfg = "", const std::string& sim = "") {
        std::string error;
        auto s = PrinterScript::Parse(sim.empty() ? ReadText(kSamples + "demo-printer.sim") : sim, &error);
        ASSERT_TRUE(s) << error;
        if (line) retired.push_back(std::move(line));
        for (const auto& l : extra) ASSERT_TRUE(s->Apply(l, &error)) << l << ": " << error;
        line = std::make_unique<SimulatedPrinterLine>(*s, clock.get());
        line->Attach(L"SIM1");
        WriteText(dir.File("demo.cfg"), cfg.empty() ? ReadText(kSamples + "demo-printer.cfg") : cfg);
    }
    BOOL Init(UINT hw = 0) {
        return prn.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"prn.log", L"SIM1",
                                               0, L"demo.cfg", L"clip.avi", hw);
    }
    void Ready(std::vector<std::string> extra = {}, UINT hw = 0) {
        Printer(std::move(extra));
        ASSERT_TRUE(Init(hw));
        window.TakeAll();
    }
    std::string Log() const { return ReadText(dir.File("prn.log")); }
    std::size_t Count(const std::string& text) const {
        const std::string log = Log();
        std::size_t n = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }
    // The read time-outs in the log: each tells the rate the read ran at.
    std::vector<int> ReadTimeouts() const {
        std::vector<int> out;
        const std::string log = Log();
        static const std::regex re("dwTimeout = ([0-9]+)");
        for (auto it = std::sregex_iterator(log.begin(), log.end(), re); it != std::sregex_iterator(); ++it)
            out.push_back(std::stoi((*it)[1]));
        return out;
    }
    Clock::duration Now() const { return line->GetClock().Elapsed(); }
};

TEST_F(KalvoNewPrintersObjectTest, InitialisationReadsTheModelOptionsAndAsksAboutOptionalOnes) {
    const std::string cfg = std::regex_replace(ReadText(kSamples + "demo-printer.cfg"), std::regex("IsR730 = No"),
                                               "IsR730 = O ^Is it the small model?^");
    Printer({}, cfg);
    ui->Answer(IDYES);
    ASSERT_TRUE(Init());
    EXPECT_EQ(ui.Last().text, L"Is it the small model?");
    EXPECT_EQ(ui.Last().caption, L"Opzione presente ?");
    EXPECT_TRUE(prn.m_fIsR730);
    EXPECT_FALSE(prn.m_fDTRpresent);
    EXPECT_EQ(prn.m_uiRxBufDim, 2048u);
    EXPECT_EQ(prn.m_uiCharLine, 32u);
    EXPECT_EQ(prn.m_uiGsiModel, 42u);
    EXPECT_FLOAT_EQ(prn.m_fGsiRelease, 1.2f);
    EXPECT_EQ(prn.m_strAviPath, CString::FromUtf8(dir.path() + "/clip.avi"));
    EXPECT_EQ(prn.GetStrComConfig(), L"SIM1, 9600, n, 8, 1, S");
    EXPECT_EQ(prn.GetIDPrintersObjectNomeClasse(), L"CKalvoNewPrintersObject");

    // A model file without one of the options the object needs is refused.
    ToolPrinters other;
    Printer({}, std::regex_replace(cfg, std::regex("\\$Char/line = 32\n"), ""));
    ui->Answer(IDNO);
    EXPECT_FALSE(other.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"other.log",
                                                   L"SIM1", 0, L"demo.cfg", L"clip.avi", 0));
    EXPECT_EQ(ui.Last().caption, L"GetOptionPrintersToTest()");
    ui->Clear();
}

// Each read's time-out tells the rate it ran at: 250 ms at 38400 and 19200,
// 255 at 9600, 260 at 4800, 270 at 2400, 290 at 1200, 330 at 600, 415 at 300.
TEST_F(KalvoNewPrintersObjectTest, TheBaudRateSearchGoesDownUntilSixAnswersInARow) {
    struct Case {
        const char* name;
        std::vector<std::string> script;
        int failReadAfter;  // the read after this many fails, or -1
        bool silent;        // no answer to the model query
        bool found;
        std::vector<int> timeouts;
    } cases[] = {
        {"printer at 2400", {"baud 2400"}, -1, false, true, {250, 250, 255, 260, 270, 270, 270, 270, 270, 270}},
        {"five answers at 9600, then none",
         {},
         7,
         false,
         false,
         {250, 250, 255, 255, 255, 255, 255, 255, 260, 270, 290, 330, 415}},
        {"a silent printer", {}, -1, true, false, {250, 250, 255, 260, 270, 290, 330, 415}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolPrinters p;
        const std::string sample = ReadText(kSamples + "demo-printer.sim");
        Printer(c.script, "", c.silent ? std::regex_replace(sample, std::regex("reply 1D 49 01 -> model"), "") : sample);
        ASSERT_TRUE(p.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"prn.log",
                                                  L"SIM1", 0, L"demo.cfg", L"clip.avi", 0));
        window.TakeAll();
        if (c.failReadAfter >= 0) line->Fail(Op::ReadStart, EIO, 1, c.failReadAfter);
        p.m_bfIsUpgrade = TRUE;
        EXPECT_EQ(p.AutodetectBaudRate(), c.found);
        EXPECT_EQ(ReadTimeouts(), c.timeouts);
        if (c.found) {
            EXPECT_EQ(p.GetStrComConfig(), L"SIM1, 2400, n, 8, 1, S");
            EXPECT_EQ(Count("\nAutodetectBaudRate() -> Baud rate = 2400"), 1u);
            EXPECT_EQ(Count("\nAutodetectBaudRate() -> Controllo di flusso Xon/Xoff"), 1u);
            EXPECT_EQ(ui->Count(), 0u);
        } else {
            // Back at the rate of before the search, and told so.
            EXPECT_EQ(p.GetStrComConfig(), L"SIM1, 9600, n, 8, 1, S");
            EXPECT_EQ(line->LineSetting().BaudRate, 9600u);
            ASSERT_EQ(ui->Count(), 1u);
            EXPECT_EQ(ui.Last().caption, L"Errore di comunicazione con la stampante");
        }
        // "Autodetecting..." is told twice; the setting found, or the one
        // restored, once more.
        EXPECT_EQ(window.TakeAll().size(), 3u);
        ui->Clear();
    }
}

TEST_F(KalvoNewPrintersObjectTest, ASettingCommandMovesPrinterAndPortTogether) {
    Ready();
    ASSERT_TRUE(prn.SetAutomaticComPort(L"Setcom19200"));
    EXPECT_EQ(line->PrinterSetting().BaudRate, 19200u);
    EXPECT_EQ(line->LineSetting().BaudRate, 19200u);
    EXPECT_EQ(ReadTimeouts(), std::vector<int>{250});  // one model check, no search
    EXPECT_TRUE(prn.VerificaComToPrn(42));
    EXPECT_FALSE(prn.VerificaComToPrn(43));
}

TEST_F(KalvoNewPrintersObjectTest, ABusyPrinterStopsATransferAfterTheWriteInterval) {
    Ready({}, 1);  // hardware flow control: the writer sees CTS
    line->SetBusy(true);
    const std::vector<BYTE> data(100, 'x');
    const auto start = Now();
    EXPECT_FALSE(prn.WriteToCom(data.data(), 100, FALSE));
    const auto took = Now() - start;
    EXPECT_GE(took, 30s);
    EXPECT_LT(took, 32s);
    // A line at 1 s, then every 3 s up to the break at 31 s.
    EXPECT_EQ(Count("\nStampante in Busy alle ore: "), 11u);
    EXPECT_EQ(Count("ERROR_MS_CTS_LOW_PRN_BUSY = 13 dopo 0 byte di dati inviati alla stampante. Byte non inviato: x"),
              11u);
    EXPECT_EQ(Count("\n BREAK TRASMISSIONE. Interrotto trasmissione dati per Time Out alle ore: "), 1u);
    EXPECT_TRUE(line->Received().empty());
}

TEST_F(KalvoNewPrintersObjectTest, TheReceiveBufferTestShowsItsBoxOnceAndWaitsWithoutLimit) {
    // A printer that prints slowly: XOFF and CTS low at 56 bytes, back at 16.
    Ready({"buffer 64", "print-rate 8"});
    const std::vector<BYTE> data(200, 'y');
    ui->Answer(IDOK);
    EXPECT_TRUE(prn.WriteToCom(data.data(), 200, TRUE));
    EXPECT_GT(Now(), 15s);  // it waited for the printer every time
    ASSERT_EQ(ui->Count(), 1u);
    EXPECT_EQ(ui.Last().caption, L"Test buffer di ricezione");
    EXPECT_TRUE(prn.m_fBufferTestDone);
    EXPECT_EQ(line->Received().size(), 200u);
    ui->Clear();

    // Head lifted: nothing is printed any more, only StopWriter ends it.
    line->SetBusy(false);
    ToolPrinters stuck;
    Printer({"buffer 64", "print-rate 0"});
    ASSERT_TRUE(stuck.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"prn.log", L"SIM1",
                                                  0, L"demo.cfg", L"clip.avi", 0));
    ui->Answer(IDOK);
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        while (!done && line->GetClock().Elapsed() < 100s) std::this_thread::yield();
        stuck.StopWriter();
    });
    EXPECT_FALSE(stuck.WriteToCom(data.data(), 300, TRUE));
    done = true;
    stopper.join();
    EXPECT_GE(Now(), 100s);  // far beyond the write interval
    EXPECT_EQ(ui->Count(), 1u);
    EXPECT_EQ(Count("Processo invio dati interrotto dall'utente dopo "), 1u);
    ui->Clear();
}

TEST_F(KalvoNewPrintersObjectTest, StopWriterBeforeATransferStopsItBeforeTheFirstByte) {
    Ready();
    prn.StopWriter();
    const BYTE data[] = {'a', 'b'};
    EXPECT_FALSE(prn.WriteToCom(data, 2, FALSE));
    EXPECT_TRUE(line->Received().empty());
    EXPECT_TRUE(prn.WriteToCom(data, 2, FALSE));  // the request was used up
}

TEST_F(KalvoNewPrintersObjectTest, TheReleaseIsFourCharactersWithATrailingBlankReadAsZero) {
    struct Case {
        const char* answer;
        const char* entry;  // the Crelease line of the configuration file
        const wchar_t* release;
        bool sent;
    } cases[] = {
        {"\"1.2 \"", "$$Crelease&3\xa3" "4%1D,49,02", L"1.20", true},
        {"\"2.31\"", "$$Crelease&3\xa3" "4%1D,49,02", L"2.31", true},
        {"\"1.2\"", "$$Crelease&3\xa3" "4%1D,49,02", L"", true},
        // More reply bytes than the reply buffer holds: not even sent.
        {"\"1.2 \"", "$$Crelease&3\xa3" "6%1D,49,02", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ToolPrinters p;
        const std::string cfg = std::regex_replace(ReadText(kSamples + "demo-printer.cfg"),
                                                   std::regex("\\$Crelease[^\n]*"), c.entry);
        const std::string sim = std::regex_replace(ReadText(kSamples + "demo-printer.sim"),
                                                   std::regex("reply 1D 49 02 -> \"1.2 \""),
                                                   std::string("reply 1D 49 02 -> ") + c.answer);
        Printer({}, cfg, sim);
        ASSERT_TRUE(p.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"prn.log",
                                                  L"SIM1", 0, L"demo.cfg", L"clip.avi", 0));
        EXPECT_EQ(p.GetReleaseSwStampante(), c.release);
        EXPECT_EQ(line->Received().empty(), !c.sent);
    }
    // The model query refuses the same way.
    ToolPrinters p;
    Printer({}, std::regex_replace(ReadText(kSamples + "demo-printer.cfg"), std::regex("\\$Cmodel[^\n]*"),
                                   "$$Cmodel&3\xa3" "2%1D,49,01"));
    ASSERT_TRUE(p.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"prn.log", L"SIM1", 0,
                                              L"demo.cfg", L"clip.avi", 0));
    EXPECT_FALSE(p.VerificaComToPrn(42));
    EXPECT_TRUE(line->Received().empty());
}

TEST_F(KalvoNewPrintersObjectTest, ADefaultConfigurationSendsEveryCommandAndWaitsOutEachReset) {
    Ready();
    DWORD index = 0, status = 9;
    int sent = 0;
    const auto start = Now();
    while (prn.NewSendCommandDefConfigPrn(L"Shop", &index, &status)) {
        EXPECT_EQ(status, 0u);
        ++sent;
        ++index;
    }
    EXPECT_EQ(status, 1u);
    EXPECT_EQ(sent, 3);
    // Busy 5.5 s after each ACK: the first look at CTS after 5 s finds it low.
    EXPECT_GE(Now() - start, 3 * 10s);
    const std::vector<BYTE> expected = {0x1D, 0x43, 0x00, 0x01, 0x1D, 0x43, 0x00, 0x02, 0x1D, 0x28, 0x02, 0x00, 0x04};
    EXPECT_EQ(line->Received(), expected);
    EXPECT_EQ(Count("\nComando di impostazione di default per la porta seriale eseguito correttamente"), 1u);

    // A printer that does not acknowledge fails the command.
    index = 0;
    line->Fail(Op::ReadStart, EIO);
    EXPECT_FALSE(prn.NewSendCommandDefConfigPrn(L"Quick", &index, &status));
    EXPECT_EQ(status, 2u);
    EXPECT_EQ(ui.Last().caption, L"Errore caricamento comando di configurazione");
    ui->Clear();
}

TEST_F(KalvoNewPrintersObjectTest, TextLinesArePrintedWithTheirAlignmentCommand) {
    Ready();
    const struct {
        int alignment;
        BYTE command;
    } cases[] = {{0, 0x00}, {1, 0x01}, {2, 0x02}, {7, 0x00}};
    for (const auto& c : cases) {
        const std::size_t before = line->Received().size();
        ASSERT_TRUE(prn.PrintLineToPrn(L"Caf\u00e9 " + CString(std::to_wstring(c.alignment)), c.alignment));
        const auto got = line->Received();
        ASSERT_GT(got.size(), before + 3);
        EXPECT_EQ(got[before + 2], c.command);
    }
    ASSERT_TRUE(prn.NLfOutput(2));
    EXPECT_EQ(line->PrintedLines(),
              (std::vector<std::string>{"Caf\xe9 0", "Caf\xe9 1", "Caf\xe9 2", "Caf\xe9 7", "", ""}));
}

TEST_F(KalvoNewPrintersObjectTest, ASwitchedOffPrinterIsToldAndNothingIsSent) {
    Ready({"power off"});
    prn.m_fDTRpresent = TRUE;
    EXPECT_FALSE(prn.NewSendCommandToCom(L"LF"));
    EXPECT_FALSE(prn.GetStatusPrinter());
    EXPECT_EQ(ui.Last().caption, L"GetDCEPowerOn() error");
    EXPECT_EQ(Count("\nStampante spenta! Collaudo abortito"), 1u);
    ui->Clear();
    line->SetPower(true);
    EXPECT_TRUE(prn.GetStatusPrinter());
}

// Ten thousand transfers and status queries while the printer misbehaves at
// random (busy, XOFF, power off, garbled answers, failing reads) and stop
// requests come now and then, from this thread between operations and from
// another thread at random moments inside them: none outlasts the write
// interval, a transfer that succeeds has delivered every byte and one that
// fails has delivered only a beginning, and the object still talks to the
// printer afterwards.
TEST_F(KalvoNewPrintersObjectTest, RandomFaultsDuringTransfersAndQueriesEndInBound) {
    auto* stopper = new StopAtClock([this] { prn.StopWriter(); });
    clock.reset(stopper);
    Ready({}, 1);
    // A write interval of 3 s instead of 30 keeps the run short (a failing
    // streak retries every 10 ms); the bound follows it.
    prn.LPm_intRW()->iWriteInterval = 3;
    constexpr auto kBound = 3s + 2s;  // a streak ends in the second after the interval
    std::mt19937 gen(16);
    const auto healthy = [&] {
        line->SetBusy(false);
        line->SetPower(true);
        line->SendFromPrinter({0x11});
    };
    std::vector<BYTE> data(64);
    // A stop request no transfer has used up yet stops the next one before
    // its first byte.
    bool pending = false;
    int succeeded = 0, cutByStop = 0;
    for (int op = 0; op < 10000; ++op) {
        switch (gen() % 24) {
            case 0: line->SetBusy(true); break;
            case 1: line->SendFromPrinter({0x13}); break;
            case 2: line->SetPower(false); break;
            case 3: line->SendFromPrinter({static_cast<BYTE>(gen()), static_cast<BYTE>(gen())}); break;
            case 4: line->Fail(Op::ReadWait, EIO); break;
            case 5:
                prn.StopWriter();
                pending = true;
                break;
            default: healthy(); break;
        }
        // A 64-byte transfer takes 67 ms at 9600 baud.
        if (gen() % 3 == 0) stopper->StopAt(Now() + std::chrono::microseconds(gen() % 80000));
        const int fired = stopper->Fired();
        const auto before = Now();
        if (gen() % 2) {
            for (auto& b : data) b = static_cast<BYTE>('a' + gen() % 26);
            const std::size_t had = line->Received().size();
            const BOOL ok = prn.WriteToCom(data.data(), static_cast<DWORD>(data.size()), FALSE);
            ASSERT_LE(Now() - before, kBound) << "operation " << op;
            stopper->Disarm();
            const auto got = line->Received();
            const std::size_t n = got.size() - had;
            ASSERT_TRUE(ok ? n == data.size() : n < data.size()) << "operation " << op << ": " << n << " bytes";
            ASSERT_TRUE(std::equal(got.begin() + static_cast<std::ptrdiff_t>(had), got.end(), data.begin()))
                << "operation " << op;
            if (pending) {
                ASSERT_FALSE(ok) << "operation " << op;
                ASSERT_EQ(n, 0u) << "operation " << op;
            }
            // A request made while bytes were still to go stops the transfer;
            // one made during its last byte waits for the next.
            const bool stopped = stopper->Fired() > fired;
            pending = stopped && ok;
            succeeded += ok;
            cutByStop += stopped && !ok && n > 0;
        } else {
            prn.GetStatusPrinter();
            ASSERT_LE(Now() - before, kBound) << "operation " << op;
            stopper->Disarm();
            pending = pending || stopper->Fired() > fired;
        }
        ui->Clear();  // the boxes of a switched-off printer are part of the run
    }
    // The faults and the stops really happened, many in the middle of a transfer.
    EXPECT_GT(succeeded, 300);
    EXPECT_GT(cutByStop, 100);
    healthy();
    line->GetClock().SleepFor(5s);
    prn.StopWriter();  // a request left over from the run is used up here
    prn.WriteToCom(data.data(), 1, FALSE);
    const std::size_t before = line->Received().size();
    EXPECT_TRUE(prn.WriteToCom(data.data(), static_cast<DWORD>(data.size()), FALSE));
    EXPECT_EQ(line->Received().size(), before + data.size());
    EXPECT_TRUE(prn.GetStatusPrinter());
    ui->Clear();
}

// Three thousand baud-rate searches and model checks against a printer at 2400
// baud that misbehaves at random: busy, XOFF, switched off, noise on the
// line, the port left at a rate where the printer's answers arrive garbled
// (twice off) or not at all (four times off), failing reads. Each ends
// within its bound (a model check: six queries and at most one write
// interval, spent when a byte cannot go; a search: that at each of its eight
// rates) with FALSE, or with TRUE at the printer's own rate; on a healthy
// printer a search always finds it, and the object works normally after.
TEST_F(KalvoNewPrintersObjectTest, RandomFaultsDuringDetectionEndInBoundAndNeverSettleOnAWrongRate) {
    Ready({"baud 2400"});
    prn.m_bfIsUpgrade = TRUE;
    // A write interval of 1 s instead of 30 keeps the run short (a failing
    // streak retries every 10 ms); the bounds follow it.
    prn.LPm_intRW()->iWriteInterval = 1;
    constexpr auto kQuery = 1s;  // three bytes and a one-byte reply with its time-out, even at 300 baud
    constexpr auto kCheck = 6 * kQuery + 1s + 2s;  // a streak ends in the second after the interval
    const auto healthy = [&] {
        line->SetBusy(false);
        line->SetPower(true);
        line->Fail(Op::ReadWait, 0, 0);  // a failing read not reached yet
        ASSERT_TRUE(prn.SetBaudRate(2400));  // where the printer's XON reaches the port
        line->SendFromPrinter({0x11});
        line->GetClock().SleepFor(1s);
    };
    std::mt19937 gen(17);
    std::map<std::string, int> outcomes;
    for (int op = 0; op < 3000; ++op) {
        const unsigned phase = gen() % 12;
        switch (phase) {
            case 0: line->SetBusy(true); break;
            case 1: line->SendFromPrinter({0x13}); break;
            case 2: line->SetPower(false); break;
            case 3: line->SendFromPrinter({BYTE(gen()), BYTE(gen()), BYTE(gen())}); break;
            case 4: ASSERT_TRUE(prn.SetBaudRate(gen() % 2 ? 4800 : 1200)); break;  // answers garbled
            case 5: ASSERT_TRUE(prn.SetBaudRate(gen() % 2 ? 9600 : 600)); break;   // no answer at all
            case 6: line->Fail(Op::ReadWait, EIO, 1, static_cast<int>(gen() % 6)); break;
            default: healthy(); break;
        }
        const bool search = gen() % 2, withModel = gen() % 2;
        const auto before = Now();
        const DWORD rateBefore = line->LineSetting().BaudRate;
        const BOOL ok = search ? (withModel ? prn.AutodetectBaudRate(42) : prn.AutodetectBaudRate())
                               : (withModel ? prn.VerificaComToPrn(42) : prn.VerificaComToPrn());
        ASSERT_LE(Now() - before, search ? 8 * kCheck : kCheck) << "operation " << op;
        if (ok) {
            ASSERT_EQ(line->LineSetting().BaudRate, 2400u) << "operation " << op;
            if (search) {
                ASSERT_EQ(prn.GetStrComConfig(), L"SIM1, 2400, n, 8, 1, S") << "operation " << op;
            }
        } else if (search) {
            ASSERT_EQ(line->LineSetting().BaudRate, rateBefore) << "operation " << op;
            ASSERT_NE(prn.GetStrComConfig().Find(CString::Format(L", %d, ", rateBefore)), -1) << "operation " << op;
            ASSERT_EQ(ui.Last().caption,
                      withModel ? L"Comunication data error." : L"Errore di comunicazione con la stampante")
                << "operation " << op;
        }
        if (phase > 6) {
            ASSERT_TRUE(ok) << "operation " << op;
        }
        ++outcomes[std::string(search ? "search " : "check ") + (ok ? "found" : "failed")];
        ui->Clear();  // boxes of a switched-off printer and of failed searches
        window.TakeAll();
    }
    for (const char* outcome : {"search found", "search failed", "check found", "check failed"})
        EXPECT_GT(outcomes[outcome], 50) << outcome;
    healthy();
    ASSERT_TRUE(prn.SetBaudRate(300));
    EXPECT_TRUE(prn.AutodetectBaudRate(42));
    EXPECT_TRUE(prn.VerificaComToPrn());
    const BYTE data[] = {'o', 'k'};
    const std::size_t sent = line->Received().size();
    EXPECT_TRUE(prn.WriteToCom(data, 2, FALSE));
    EXPECT_EQ(line->Received().size(), sent + 2);
    window.TakeAll();
}

TEST_F(KalvoNewPrintersObjectTest, DialogsThatNobodyAnswersCountAsCancelled) {
    Ready();
    EXPECT_TRUE(prn.ComPortConfig());
    EXPECT_EQ(line->LineSetting().BaudRate, 9600u);
    EXPECT_MYTHROW(ui, prn.SetModelSerialNumber());  // no report attached
}

TEST_F(KalvoNewPrintersObjectTest, TheSummaryIsPrintedOnThePrinterUnderTestAndEmptied) {
    Ready();
    EXPECT_MYTHROW(ui, prn.Printm_ReportCollaudo());  // no report attached
    _AnagraficaCollaudo rec;
    rec.strDataCollaudo = L"08/12/2026";
    CKalvoNewReportFileObject report(nullptr, CString::FromUtf8(dir.path()), &rec, nullptr, L"", L"");
    prn.m_pReportObj = &report;
    prn.m_fReportOn = TRUE;
    prn.m_uiCharLine = 24;
    prn.m_iFeedCount = 1;
    ASSERT_TRUE(prn.IntestazReportFile());
    report.Addm_ReportCollaudo(L"Priter model", L"OK", 24);
    const std::string init = report.Get_i_esimo_m_ReportCollaudo(2).ToBytes();
    EXPECT_EQ(init.size(), 24u);
    EXPECT_EQ(init.rfind("Init test ", 0), 0u);

    const std::size_t before = line->PrintedLines().size();
    ASSERT_TRUE(prn.Printm_ReportCollaudo());
    const auto printed = line->PrintedLines();
    std::vector<std::string> expected = {"", "", "Final Test Report", "08/12/2026", init,
                                         "Priter model          OK"};
    expected.resize(expected.size() + 4 * 1 + 6);
    EXPECT_EQ(std::vector<std::string>(printed.begin() + static_cast<std::ptrdiff_t>(before), printed.end()),
              expected);
    EXPECT_EQ(report.Get_NumMax_m_ReportCollaudo(), 0);
    prn.m_pReportObj = nullptr;
}

}  // namespace
