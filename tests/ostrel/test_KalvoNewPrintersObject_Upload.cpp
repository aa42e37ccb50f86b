#include "KalvoNewPrintersObject.h"
#include "MessageTarget.h"
#include "SimulatedPrinterLine.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class UploadPrinters : public CKalvoNewPrintersObject {
public:
    using CKalvoNewPrintersObject::m_fBufferTestDone;
    using CKalvoNewPrintersObject::m_strAviPath;
    using CKalvoNewPrintersObject::MessageToCollaudatore;
    using CKalvoNewPrintersObject::SetBaudRate;
    using CKalvoNewPrintersObject::WriteFileToCom;
};

const std::string kSamples = std::string(GLYPHOS_SOURCE_DIR) + "/samples/printers/";

// The demo printer on the simulated line; the window records what it is
// posted and may act on it (the way a host calls StopWriter).
class PrintersUploadTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    std::vector<UINT> posted;
    std::function<void(UINT)> onPost;
    CallbackMessageTarget window{[this](const PostedMessage& m) {
        posted.push_back(m.msg);
        if (onPost) onPost(m.msg);
    }};
    int frame = 0;
    std::unique_ptr<SimulatedPrinterLine> line;
    UploadPrinters prn;

    void Ready(std::vector<std::string> extra = {}, UINT hw = 0) {
        std::string error;
        auto s = PrinterScript::Parse(ReadText(kSamples + "demo-printer.sim"), &error);
        ASSERT_TRUE(s) << error;
        for (const auto& l : extra) ASSERT_TRUE(s->Apply(l, &error)) << l << ": " << error;
        line = std::make_unique<SimulatedPrinterLine>(*s);
        line->Attach(L"SIM1");
        WriteText(dir.File("demo.cfg"), ReadText(kSamples + "demo-printer.cfg"));
        ASSERT_TRUE(prn.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"prn.log",
                                                    L"SIM1", 0, L"demo.cfg", L"clip.avi", hw));
        posted.clear();
    }
    CString File(const std::string& name, std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 1);
        WriteText(dir.File(name), bytes);
        return CString::FromUtf8(dir.File(name));
    }
    std::size_t Count(const std::string& text) const {
        const std::string log = ReadText(dir.File("prn.log"));
        std::size_t n = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }
};

std::vector<UINT> Transfer(int steps) {
    std::vector<UINT> out{WM_PROGRESS_START};
    out.insert(out.end(), static_cast<std::size_t>(steps), WM_PROGRESS_STEP);
    out.push_back(WM_PROGRESS_END);
    return out;
}

TEST_F(PrintersUploadTest, AFileGoesOutAsStoredOnceOrInEnoughCopiesToFloodTheBuffer) {
    struct Case {
        UINT total;
        std::size_t size;
        int copies;
    } cases[] = {{0, 1000, 1}, {4096, 1000, 7}, {999, 1000, 3}, {0, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "total " << c.total << ", file " << c.size);
        Ready({"buffer 65536"});
        const CString path = File("data.bin", c.size);
        EXPECT_TRUE(prn.WriteFileToCom(path, c.total, L"\nInvio file di prova", FALSE));
        EXPECT_EQ(posted, Transfer(c.copies));
        const _ProgressBarCtrl* bar = prn.Getm_ProgressBarCtrl();
        EXPECT_EQ(bar->iMax, c.copies * 10);
        EXPECT_EQ(bar->iMin, 0);
        EXPECT_EQ(bar->iStep, 10);
        EXPECT_EQ(bar->strTitle, L"Test controllo di flusso");
        EXPECT_EQ(bar->strText1, L"Attendere prego ...");
        EXPECT_EQ(bar->strAviPath, prn.m_strAviPath);
        const std::string file = ReadText(dir.File("data.bin"));
        std::string expected;
        for (int i = 0; i < c.copies; ++i) expected += file;
        const auto got = line->Received();
        EXPECT_EQ(std::string(got.begin(), got.end()), expected);
        EXPECT_EQ(Count("\nWriteToCom(): Inviati "), static_cast<std::size_t>(c.copies));
        EXPECT_EQ(Count("\nFine procedura di invio dati"), 1u);
        EXPECT_EQ(Count("\nInvio file di prova"), 1u);
    }
}

TEST_F(PrintersUploadTest, AStopDuringTheThirdCopyEndsTheTransferUnfinished) {
    Ready({"buffer 65536"});
    int steps = 0;
    onPost = [&](UINT m) {
        if (m == WM_PROGRESS_STEP && ++steps == 2) prn.StopWriter();
    };
    EXPECT_FALSE(prn.WriteFileToCom(File("data.bin", 1000), 4096, L"", FALSE));
    EXPECT_EQ(posted, Transfer(2));
    EXPECT_EQ(line->Received().size(), 2000u);
    EXPECT_EQ(Count("\nWriteToCom(): Inviati 2000 bytes alla stampante"), 1u);
    EXPECT_EQ(Count("\nFine procedura di invio dati"), 0u);
}

// Through a USB adapter the last bytes of a copy are still queued when
// WriteToCom returns: closing the port right after must send them, a stop
// must throw them away.
TEST_F(PrintersUploadTest, QueuedBytesGoOutWhenThePortClosesButNotAfterAStop) {
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "closed");
        Ready({"buffer 65536", "baud 115200"});
        ASSERT_TRUE(prn.SetBaudRate(115200));
        line->SetTransmitter(SimulatedPrinterLine::Transmitter::UsbAdapter);
        if (stop) {
            onPost = [&](UINT m) {
                if (m == WM_PROGRESS_STEP) prn.StopWriter();
            };
        }
        const CString path = File("data.bin", 1000);
        EXPECT_EQ(prn.WriteFileToCom(path, stop ? 4096 : 0, L"", FALSE), !stop);
        const std::string file = ReadText(dir.File("data.bin"));
        const auto got = line->Received();
        const std::string received(got.begin(), got.end());
        if (stop) {
            EXPECT_EQ(line->Queued(), 0u);
            line->GetClock().SleepFor(std::chrono::milliseconds(100));
            const auto after = line->Received();
            EXPECT_LT(after.size(), file.size());
            EXPECT_EQ(std::string(after.begin(), after.end()), file.substr(0, after.size()));
        } else {
            EXPECT_LT(received.size(), file.size());  // the tail is on its way
            EXPECT_TRUE(prn.CloseComPort());
            line->GetClock().SleepFor(std::chrono::milliseconds(50));  // the adapter's own FIFO empties
            const auto all = line->Received();
            EXPECT_TRUE(std::string(all.begin(), all.end()) == file) << all.size() << " bytes arrived";
        }
    }
}

TEST_F(PrintersUploadTest, AFileThatCannotBeSentIsReportedAndNothingIsPosted) {
    Ready();
    const CString empty = File("empty.bin", 0);
    for (int i = 0; i < 3; ++i) ui->Answer(IDOK);
    EXPECT_FALSE(prn.WriteFileToCom(CString::FromUtf8(dir.File("missing.psw")), 0, L"", FALSE));
    EXPECT_FALSE(prn.WriteFileToCom(CString::FromUtf8(dir.path()), 0, L"", FALSE));
    // Copies of an empty file could never fill the buffer.
    EXPECT_FALSE(prn.WriteFileToCom(empty, 4096, L"", TRUE));
    EXPECT_TRUE(posted.empty());
    EXPECT_TRUE(line->Received().empty());
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"\nErrore apertura file: " + CString::FromUtf8(dir.File("missing.psw")) + L" Errore: 2");
    EXPECT_EQ(boxes[1].text.Left(23), L"\nErrore apertura file: ");
    EXPECT_GE(boxes[2].text.Find(L"vuoto: " + empty), 0);
    for (const auto& b : boxes) EXPECT_EQ(b.caption, L"WriteFileToCom()");
    ui->Clear();
}

TEST_F(PrintersUploadTest, TheFlowTestPromptsOnceWhenTheBufferFillsAndCompletesWhenThePrinterPrintsAgain) {
    // XOFF with CTS low (a well-wired cable) and CTS low alone (hardware
    // handshake): either is the full buffer the test waits for. The operator
    // lowers the lever once told to.
    struct Case {
        const char* flow;
        UINT hw;
    } cases[] = {{"both", 0}, {"hardware", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flow);
        Ready({"buffer 64", "print-rate 800", "lever up", std::string("flow ") + c.flow}, c.hw);
        prn.m_fBufferTestDone = FALSE;
        ui->Answer(IDOK);
        std::thread operatorHand([&] {
            while (ui->Count() == 0) std::this_thread::yield();
            line->SetLever(false);
        });
        const CString file = File("flow.bin", 100);
        const BOOL done = prn.WriteFileToCom(file, 64, L"\nTest di flusso", TRUE);
        operatorHand.join();
        EXPECT_TRUE(done);
        ASSERT_EQ(ui->Count(), 1u);
        EXPECT_EQ(ui.Last().text, L"\nWriteToCom() Buffer di ricezione pieno. Abbassare la levetta della testina.");
        EXPECT_EQ(posted, Transfer(3));
        EXPECT_EQ(line->Received().size(), 300u);
        EXPECT_EQ(Count("\nLa fase: Verifica buffer di ricezione pieno:    OK"), 1u);
        ui->Clear();
    }
}

TEST_F(PrintersUploadTest, TheOperatorJudgesAPhaseAndMayAbortTheTest) {
    struct Case {
        const char* name;
        UINT style;
        std::vector<int> answers;
        BOOL result;
        const char* logged;
        const wchar_t* lastCaption;
    } cases[] = {
        {"acknowledged", MB_OK, {IDOK}, TRUE, "\nAvanzamento carta", L"Avanzamento carta"},
        {"passed", MB_YESNO, {IDYES}, TRUE, "\nLa fase: Avanzamento carta :    OK", L"Avanzamento carta"},
        {"failed", MB_YESNO, {IDNO}, FALSE, "\nLa fase: Avanzamento carta :    NON OK", L"Avanzamento carta"},
        // Withdrawing the abort shows the same message again.
        {"cancel withdrawn", MB_YESNOCANCEL, {IDCANCEL, IDCANCEL, IDYES}, TRUE, "Avanzamento carta :    OK",
         L"Avanzamento carta"},
        {"aborted", MB_YESNOCANCEL, {IDCANCEL, IDOK, IDOK}, FALSE, "\nCollaudo stampante interrotto dall'utente",
         L"Collaudo interrotto"},
        {"unknown answer", MB_OK, {IDABORT, IDOK}, FALSE, "\nCaso default in switch MessageToCollaudatore()",
         L"MessageToCollaudatore()"},
    };
    Ready();
    std::size_t before = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int a : c.answers) ui->Answer(a);
        const std::size_t logged = Count(c.logged);
        EXPECT_EQ(prn.MessageToCollaudatore(L"Premere il tasto di avanzamento", L"Avanzamento carta", c.style),
                  c.result);
        EXPECT_EQ(Count(c.logged), logged + 1);
        const auto boxes = ui->Boxes();
        ASSERT_EQ(boxes.size(), before + c.answers.size());
        EXPECT_EQ(boxes[before].caption, L"Avanzamento carta");
        EXPECT_EQ(boxes[before].style, c.style | MB_ICONEXCLAMATION);
        EXPECT_EQ(boxes[before].owner, static_cast<HWND>(&window));
        EXPECT_EQ(boxes.back().caption, c.lastCaption);
        if (c.answers.size() > 1 && c.answers[0] == IDCANCEL) {
            EXPECT_EQ(boxes[before + 1].text, L"Si vuole interrompere il collaudo?");
            EXPECT_EQ(boxes[before + 1].caption, L"Interruzione collaudo");
            EXPECT_EQ(boxes[before + 1].style, MB_OKCANCEL | MB_ICONQUESTION);
        }
        before = boxes.size();
    }
    ui->Clear();
}

}  // namespace
