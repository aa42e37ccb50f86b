// Scrambling throughput and opening a large font from a PSW file.
#include "CrittoPswFile.h"
#include "GlyphosDocCore.h"
#include "PswBuilder.h"
#include "UiServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <unistd.h>

namespace {

// Unscrambling plus scrambling a 16 MiB buffer, as re-scrambling a file
// does; the byte rate is reported per pass over the buffer.
void BM_UnscrambleAndScramble16MiB(benchmark::State& state) {
    const auto s = static_cast<unsigned char>(state.range(0));
    std::vector<unsigned char> buf(16u << 20);
    std::mt19937 gen(1);
    for (auto& b : buf) b = static_cast<unsigned char>(gen());
    CCrittoPswFile c;
    for (auto _ : state) {
        c.DeCrittoBufferFromPswFile(buf.data(), 0, static_cast<int>(buf.size()), s);
        c.CrittoBufferFromPswFile(buf.data(), 0, static_cast<int>(buf.size()), 0x35);
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(buf.size()));
}
BENCHMARK(BM_UnscrambleAndScramble16MiB)->Arg(0x35)->Arg(0x36)->Unit(benchmark::kMillisecond);

struct PickFirst : IDocChoices {
    int SelectFont(const std::vector<FontChoice>&) override { return 0; }
};

// Opening a 64 x 96 font of 256 characters from a scrambled PSW file:
// headers, block read, descrambling and unpacking.
void BM_OpenLargeFontFromPsw(benchmark::State& state) {
    char tmpl[] = "/tmp/glyphos-bench-XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    pswtest::Psw1Builder b;
    b.printer.scrByte = 0x35;
    b.AddBank(0);
    b.AddFont({.width = 64, .height = 96, .first = 0, .last = 255});
    b.Write(dir + "/big.psw");
    ScriptedUiServices quiet;
    UiServices::Install(&quiet);
    CGlyphosDocCore doc;
    doc.SetLogDir(CString::FromUtf8(dir));
    PickFirst pick;
    for (auto _ : state) {
        if (!doc.OpenFromPsw(CString::FromUtf8(dir + "/big.psw"), pick)) state.SkipWithError("open failed");
    }
    UiServices::Install(nullptr);
    std::string cmd = "rm -rf " + dir;
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cleanup failed");
}
BENCHMARK(BM_OpenLargeFontFromPsw)->Unit(benchmark::kMillisecond);

}  // namespace
