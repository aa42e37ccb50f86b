// Writing byte by byte through the termios backend to ostrel-printer-sim on
// a pseudo-terminal: the CPU spent per byte must stay far below a byte's
// time on the line (87 us at 115200 baud), so that the line is never held
// up by us. Reported as cpu_us_per_byte (this process, all threads).
#include "KalvoNewComObject.h"
#include "MessageTarget.h"
#include "PrinterSimProcess.h"
#include "TermiosSerialDevice.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

constexpr int kBytes = 100000;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs `writeAll` (which writes kBytes bytes and returns the failures) once
// per iteration and reports the CPU per byte.
template <typename WriteAll>
void Measure(benchmark::State& state, WriteAll writeAll) {
    double cpu = 0;
    long long bytes = 0;
    long long failures = 0;
    for (auto _ : state) {
        const double start = ProcessCpuSeconds();
        failures += writeAll();
        cpu += ProcessCpuSeconds() - start;
        bytes += kBytes;
    }
    state.counters["cpu_us_per_byte"] = cpu * 1e6 / static_cast<double>(bytes);
    state.counters["failed_writes"] = static_cast<double>(failures);
    state.SetItemsProcessed(bytes);
}

void BM_TermiosWriteByte(benchmark::State& state) {
    PrinterSimProcess sim({});
    if (!sim.Started()) return state.SkipWithError(sim.Error().c_str());
    auto opened = TermiosSerialDevice::Open(sim.Path());
    if (!opened.device) return state.SkipWithError(opened.message.c_str());
    SerialDevice& port = *opened.device;
    DCB d;
    port.GetCommState(d);
    d.BaudRate = 115200;
    d.ByteSize = 8;
    d.Parity = NOPARITY;
    d.fOutX = 1;
    d.fOutxDsrFlow = 1;
    d.fOutxCtsFlow = 0;
    if (!port.SetCommState(d)) return state.SkipWithError("cannot set 115200 baud");
    Measure(state, [&] {
        long long failed = 0;
        for (int i = 0; i < kBytes; ++i)
            if (port.WriteByte(static_cast<BYTE>('A' + i % 26), 300) != SerialDevice::IoResult::Completed) ++failed;
        return failed;
    });
}

class BenchComObject : public CKalvoNewComObject {
public:
    using CKalvoNewComObject::SetBaudRate;
    using CKalvoNewComObject::WriteBite;
};

// The same through the port object, with its checks around every byte
// (Xon/Xoff flow control, as opened by default).
void BM_ComObjectWriteBite(benchmark::State& state) {
    PrinterSimProcess sim({"baud 115200"});
    if (!sim.Started()) return state.SkipWithError(sim.Error().c_str());
    std::string dir = (std::filesystem::temp_directory_path() / "bench-serial-XXXXXX").string();
    if (!mkdtemp(dir.data())) return state.SkipWithError("no temporary folder");
    QueuedMessageTarget window;
    int frame = 0;
    {
        BenchComObject com;
        if (!com.InitKalvoNewComObject(&window, &frame, CString::FromUtf8(dir + "/"), L"bench.log",
                                       CString::FromUtf8(sim.Path()), 0, 0) ||
            !com.SetBaudRate(115200)) {
            state.SkipWithError("cannot open the port");
        } else {
            Measure(state, [&] {
                long long failed = 0;
                DWORD code = 0;
                for (int i = 0; i < kBytes; ++i)
                    if (!com.WriteBite(static_cast<BYTE>('A' + i % 26), &code)) ++failed;
                return failed;
            });
            com.CloseComPort();
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

BENCHMARK(BM_TermiosWriteByte)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ComObjectWriteBite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
