// A firmware upgrade through the printers object's upload path.
//
// On the simulated line, on its virtual clock, through a UART's 16-byte FIFO
// and through a USB adapter whose transfers take 1 ms each: the upload must
// keep the line busy (line_rate_pct, the share of the line's own rate that
// the 256 KiB reach, at least 95), and after the printer's XOFF at most 64
// more bytes may reach it (after_xoff). These are the write pacing's two
// promises, measured with the rule the termios backend uses.
//
// Through the termios backend to ostrel-printer-sim on a pseudo-terminal:
// the CPU the upload path spends per byte (cpu_us_per_byte, this process,
// all threads), which must stay under 5 us, and the rate it reaches
// (line_rate_pct: the pseudo-terminal has no line, the port keeps its pace);
// and the same at 9600, 38400 and 115200 baud, byte by byte and as a whole
// upload, with a CPU-bound process beside (at least 97 % of the line rate,
// at most 10 us of CPU per byte).
#include "KalvoNewPrintersObject.h"
#include "MessageTarget.h"
#include "PrinterSimProcess.h"
#include "SimulatedPrinterLine.h"
#include "TestUi.h"

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

using Transmitter = SimulatedPrinterLine::Transmitter;
constexpr std::size_t kUpgrade = 256 * 1024;
constexpr std::size_t kXoffAt = 4096;

class BenchPrinters : public CKalvoNewPrintersObject {
public:
    using CKalvoNewPrintersObject::SetBaudRate;
    using CKalvoNewPrintersObject::WriteBite;
    using CKalvoNewPrintersObject::WriteFileToCom;
};

// Upgrade data that none of the demo printer's commands can be found in.
std::string UpgradeBytes(std::size_t size = kUpgrade) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 26);
    return bytes;
}

// A printers object on `port` at `baud`, with the demo printer's
// configuration and the upgrade file in `dir`.
bool Prepare(BenchPrinters& prn, QueuedMessageTarget& window, int& frame, const TempDir& dir, const CString& port,
             DWORD baud, std::size_t size = kUpgrade) {
    WriteText(dir.File("demo.cfg"), ReadText(std::string(GLYPHOS_SOURCE_DIR) + "/samples/printers/demo-printer.cfg"));
    WriteText(dir.File("upgrade.psw"), UpgradeBytes(size));
    return prn.InitCKalvoNewPrintersObject(&window, &frame, CString::FromUtf8(dir.path()), L"bench.log", port, 0,
                                           L"demo.cfg", L"", 0) &&
           prn.SetBaudRate(baud);
}

// The demo printer on the simulated line at `baud`, reached through
// `transmitter`, and a printers object ready to upload to it.
struct SimulatedRig {
    SimulatedRig(const std::string& extraScript, Transmitter transmitter, DWORD baud)
        : line(*PrinterScript::Parse("baud " + std::to_string(baud) + "\nbuffer 1048576\n" + extraScript, nullptr)) {
        line.SetTransmitter(transmitter);
        line.Attach(L"BENCHSIM");
        ready = Prepare(prn, window, frame, dir, L"BENCHSIM", baud);
    }
    SimulatedPrinterLine line;
    TempDir dir;
    QueuedMessageTarget window;
    int frame = 0;
    BenchPrinters prn;
    bool ready = false;
};

const char* Name(Transmitter t) { return t == Transmitter::Fifo ? "16-byte FIFO" : "USB adapter"; }

// state.range(0): 0 FIFO, 1 USB adapter; state.range(1): baud rate.
void BM_UpgradeOnSimulatedLine(benchmark::State& state) {
    const Transmitter transmitter = state.range(0) == 0 ? Transmitter::Fifo : Transmitter::UsbAdapter;
    const auto baud = static_cast<DWORD>(state.range(1));
    double pct = 0;
    bool intact = false;
    for (auto _ : state) {
        SimulatedRig rig("", transmitter, baud);
        if (!rig.ready) return state.SkipWithError("cannot open the line");
        auto& line = rig.line;
        auto& prn = rig.prn;
        const TempDir& dir = rig.dir;
        VirtualClock& clock = line.GetClock();
        const auto start = clock.Now();
        if (!prn.WriteFileToCom(CString::FromUtf8(dir.File("upgrade.psw")), 0, L"", FALSE))
            return state.SkipWithError("the upload failed");
        // Until the last byte has reached the printer, to a character.
        DCB d = line.LineSetting();
        const auto character = WritePacingRule::For(d).character;
        while (line.InFlight() > 0) clock.SleepFor(character);
        const double seconds = std::chrono::duration<double>(clock.Now() - start).count();
        const double lineRate = static_cast<double>(baud) / BitsPerCharacter(d);
        pct = 100.0 * (static_cast<double>(kUpgrade) / seconds) / lineRate;
        const auto got = line.Received();
        intact = std::string(got.begin(), got.end()) == UpgradeBytes();
        prn.CloseComPort();
    }
    state.counters["line_rate_pct"] = pct;
    state.counters["intact"] = intact ? 1 : 0;
    std::printf("upgrade of 256 KiB at %6u baud through the %-12s: %.2f %% of the line rate%s\n", baud,
                Name(transmitter), pct, intact ? "" : " (DATA DAMAGED)");
}

// The printer's buffer fills with its lever up; XOFF at 4096 bytes.
void BM_XoffDuringUpgrade(benchmark::State& state) {
    const Transmitter transmitter = state.range(0) == 0 ? Transmitter::Fifo : Transmitter::UsbAdapter;
    const auto baud = static_cast<DWORD>(state.range(1));
    long long after = 0;
    for (auto _ : state) {
        SimulatedRig rig("lever up\nflow xonxoff\nxon-at 1024\nxoff-at " + std::to_string(kXoffAt) + "\n",
                         transmitter, baud);
        if (!rig.ready) return state.SkipWithError("cannot open the line");
        auto& line = rig.line;
        auto& prn = rig.prn;
        const TempDir& dir = rig.dir;
        // Held for the whole write interval, the transfer gives up.
        if (prn.WriteFileToCom(CString::FromUtf8(dir.File("upgrade.psw")), 0, L"", FALSE))
            return state.SkipWithError("the printer never held the upload");
        line.GetClock().SleepFor(std::chrono::milliseconds(100));
        after = static_cast<long long>(line.Received().size()) - static_cast<long long>(kXoffAt);
        prn.CloseComPort();
    }
    state.counters["after_xoff"] = static_cast<double>(after);
    std::printf("XOFF at %6u baud through the %-12s: %lld more bytes reached the printer\n", baud, Name(transmitter),
                after);
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A pseudo-terminal carries bytes at the rate the port paces them, the
// line's: 64 KiB take about 6 s at 115200 baud.
void BM_UpgradeCpuThroughTermios(benchmark::State& state) {
    constexpr std::size_t kSize = 64 * 1024;
    PrinterSimProcess sim({"baud 115200", "buffer 1048576"});
    if (!sim.Started()) return state.SkipWithError(sim.Error().c_str());
    TempDir dir;
    QueuedMessageTarget window;
    int frame = 0;
    double cpu = 0, seconds = 0;
    long long bytes = 0;
    {
        BenchPrinters prn;
        if (!Prepare(prn, window, frame, dir, CString::FromUtf8(sim.Path()), 115200, kSize))
            return state.SkipWithError("cannot open the pseudo-terminal");
        const CString path = CString::FromUtf8(dir.File("upgrade.psw"));
        for (auto _ : state) {
            const double start = ProcessCpuSeconds();
            const auto began = std::chrono::steady_clock::now();
            if (!prn.WriteFileToCom(path, 0, L"", FALSE)) return state.SkipWithError("the upload failed");
            cpu += ProcessCpuSeconds() - start;
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            bytes += static_cast<long long>(kSize);
        }
        prn.CloseComPort();
    }
    const std::string summary = sim.Stop();
    const double perByte = cpu * 1e6 / static_cast<double>(bytes);
    const double pct = 100.0 * (static_cast<double>(bytes) / seconds) / (115200.0 / 10);
    state.counters["cpu_us_per_byte"] = perByte;
    state.counters["line_rate_pct"] = pct;
    state.SetItemsProcessed(bytes);
    std::printf("upgrade through termios to ostrel-printer-sim at 115200 baud: %.3f us of CPU per byte, %.1f %% of "
                "the line rate (simulator: %s)\n",
                perByte, pct, summary.c_str());
}

BENCHMARK(BM_UpgradeOnSimulatedLine)
    ->ArgsProduct({{0, 1}, {9600, 38400, 115200}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XoffDuringUpgrade)
    ->ArgsProduct({{0, 1}, {9600, 38400, 115200}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpgradeCpuThroughTermios)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// A process that keeps one core busy for as long as it lives, as a build or
// another tool beside the upload would.
class BusyNeighbour {
public:
    BusyNeighbour() {
        m_pid = fork();
        if (m_pid == 0) {
            unsigned long n = 0;
            for (;;) benchmark::DoNotOptimize(++n);
        }
    }
    ~BusyNeighbour() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    BusyNeighbour(const BusyNeighbour&) = delete;
    BusyNeighbour& operator=(const BusyNeighbour&) = delete;

private:
    pid_t m_pid = -1;
};

// Through the termios backend to ostrel-printer-sim on a pseudo-terminal,
// with a CPU-bound process beside: byte by byte through the port
// (state.range(0) 0) and as a whole upload through the printers object (1),
// at state.range(1) baud. The port must keep the line's pace (line_rate_pct
// at least 97) while waking seldom enough to spend at most 10 us of CPU per
// byte (cpu_us_per_byte, this process, all threads).
void BM_PtyLineRateBesideABusyProcess(benchmark::State& state) {
    const bool upload = state.range(0) != 0;
    const auto baud = static_cast<DWORD>(state.range(1));
    const std::size_t size = baud * 3 / 10;  // three seconds of line
    PrinterSimProcess sim({"baud " + std::to_string(baud), "buffer 1048576"});
    if (!sim.Started()) return state.SkipWithError(sim.Error().c_str());
    TempDir dir;
    QueuedMessageTarget window;
    int frame = 0;
    double cpu = 0, seconds = 0;
    long long bytes = 0;
    BenchPrinters prn;
    if (!Prepare(prn, window, frame, dir, CString::FromUtf8(sim.Path()), baud, size))
        return state.SkipWithError("cannot open the pseudo-terminal");
    const CString path = CString::FromUtf8(dir.File("upgrade.psw"));
    const std::string data = UpgradeBytes(size);
    BusyNeighbour busy;
    for (auto _ : state) {
        const double start = ProcessCpuSeconds();
        const auto began = std::chrono::steady_clock::now();
        if (upload) {
            if (!prn.WriteFileToCom(path, 0, L"", FALSE)) return state.SkipWithError("the upload failed");
        } else {
            DWORD code = 0;
            for (char c : data) {
                if (!prn.WriteBite(static_cast<BYTE>(c), &code)) return state.SkipWithError("a write failed");
            }
        }
        cpu += ProcessCpuSeconds() - start;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        bytes += static_cast<long long>(size);
    }
    prn.CloseComPort();
    sim.Stop();
    const double perByte = cpu * 1e6 / static_cast<double>(bytes);
    const double pct = 100.0 * (static_cast<double>(bytes) / seconds) / (baud / 10.0);
    state.counters["cpu_us_per_byte"] = perByte;
    state.counters["line_rate_pct"] = pct;
    state.SetItemsProcessed(bytes);
    std::printf("%s through termios beside a busy process at %u baud: %.2f us of CPU per byte, %.1f %% of the line "
                "rate\n",
                upload ? "whole upload" : "single-byte writes", static_cast<unsigned>(baud), perByte, pct);
}

BENCHMARK(BM_PtyLineRateBesideABusyProcess)
    ->ArgsProduct({{0, 1}, {9600, 38400, 115200}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
