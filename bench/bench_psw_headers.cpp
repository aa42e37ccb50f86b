// Reading the headers of a PSW2 file with 64 fonts and 32 modules, the way
// the editor does when it opens a file: the first-generation reader for the
// printer block and the generation, then the PSW2 reader. Target: < 1 ms.
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "KalvoNewDebugObject.h"
#include "PswBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string MakeFile() {
    pswtest::Psw2Builder b;
    b.printer.scrByte = 0x35;
    b.supported.push_back({});
    b.supported.push_back({});
    b.bootLoader = pswtest::PayloadSpec{.data = pswtest::Bytes(1024, 0)};
    b.software.data = pswtest::Bytes(64 * 1024, 0x5A);
    for (int i = 0; i < 64; ++i) {
        b.AddFont({.width = static_cast<std::uint8_t>(8 + i % 24), .height = 24, .first = 32, .last = 127});
    }
    b.AddSoftwareModule("1x23");
    for (int i = 1; i < 32; ++i) {
        b.AddModule({.type = 'f', .number = static_cast<std::uint8_t>(i), .count = 31,
                     .data = pswtest::Bytes(256, static_cast<std::uint8_t>(i))});
    }
    const std::string path = "/tmp/bench_psw_headers_" + std::to_string(::getpid()) + ".psw";
    b.Write(path);
    return path;
}

void BM_ReadPsw2Headers(benchmark::State& state) {
    const std::string path = MakeFile();
    const CString file = CString::FromUtf8(path);
    // Disabled: the benchmark measures the readers, not the log file.
    CKalvoNewDebugObject log(nullptr, nullptr, CString(), CString(), L"bench", 0);
    for (auto _ : state) {
        CHeaderPsw first(&log);
        CHeaderPsw2 second(&log);
        if (!first.Init(file) || !first.IsPSWII() || !second.Init(file)) {
            state.SkipWithError("the file did not load");
            break;
        }
        benchmark::DoNotOptimize(second.GetuiDimHeaderPsw2());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadPsw2Headers)->Unit(benchmark::kMicrosecond);

}  // namespace
