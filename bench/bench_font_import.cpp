// Drawing an installed font into the largest font the editor holds: 224
// characters (0x20 .. 0xFF) of 64 x 96 dots, the work the import does while
// its window is shown (target: under 10 ms, the first import of a face in
// the process included). Every iteration opens the face afresh, as every
// import does. BM_FirstImportInProcess reports the first import of a face
// in the process (first_import_ms), once fontconfig has read its
// configuration, as Qt has made it do in the editor before any import
// (fontconfig_start_ms: what that costs a process that starts it itself).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "GlyphRenderer.h"
#include "KalvoFont.h"

namespace {

std::unique_ptr<KalvoFont> LargestFont() {
    auto font = std::make_unique<KalvoFont>();
    font->SetWidth(64);
    font->SetHeight(96);
    font->SetFirstChar(0x20);
    font->SetLastChar(0xFF);
    return font;
}

LogFontRecord Face(bool mono) {
    LogFontRecord lf;
    lf.lfFaceName = mono ? L"DejaVu Sans Mono" : L"DejaVu Sans";
    lf.lfHeight = -72;
    return lf;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Both run before any benchmark of the program touches a font.
const double kFontconfigStartMs = [] {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(GlyphRenderer::ChooseFace(Face(false)));
    return MsSince(start);
}();
const double kFirstImportMs = [] {
    auto font = LargestFont();
    const auto start = std::chrono::steady_clock::now();
    GlyphRenderer::RenderFont(*font, Face(true), 437, {});
    return MsSince(start);
}();

void BM_FirstImportInProcess(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(kFirstImportMs);
    state.counters["first_import_ms"] = kFirstImportMs;
    state.counters["fontconfig_start_ms"] = kFontconfigStartMs;
}
BENCHMARK(BM_FirstImportInProcess)->Iterations(1);

void BM_Import224Chars64x96(benchmark::State& state) {
    auto font = LargestFont();
    const LogFontRecord lf = Face(state.range(0) != 0);
    ImportPlacement placement;
    placement.fx = static_cast<float>(state.range(1)) / 100.0f;
    placement.fy = placement.fx;
    for (auto _ : state) {
        GlyphRenderer::RenderFont(*font, lf, 437, placement);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 224);
}
// Arguments: monospaced face, stretch in percent.
BENCHMARK(BM_Import224Chars64x96)->Args({0, 100})->Args({1, 100})->Args({1, 50})->Unit(benchmark::kMillisecond);

}  // namespace
