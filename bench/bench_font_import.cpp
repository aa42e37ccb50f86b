// Drawing an installed font into the largest font the editor holds: 224
// characters (0x20 .. 0xFF) of 64 x 96 dots, the work the import does while
// its window is shown (target: under 10 ms). The first iteration also pays
// for the face's glyph cache; the figure is the steady state, as a second
// import with other placement factors sees it; the last case loads every
// outline afresh, as the first import of a face does.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <memory>

#include "GlyphRenderer.h"
#include "KalvoFont.h"

namespace {

void EnsureGuiApp() {
    static int argc = 3;
    static char arg0[] = "bench_font_import";
    static char arg1[] = "-platform";
    static char arg2[] = "offscreen";
    static char* argv[] = {arg0, arg1, arg2, nullptr};
    if (!QCoreApplication::instance()) new QGuiApplication(argc, argv);
}

void BM_Import224Chars64x96(benchmark::State& state) {
    EnsureGuiApp();
    auto font = std::make_unique<KalvoFont>();
    font->SetWidth(64);
    font->SetHeight(96);
    font->SetFirstChar(0x20);
    font->SetLastChar(0xFF);
    LogFontRecord lf;
    lf.lfFaceName = state.range(0) ? L"DejaVu Sans Mono" : L"DejaVu Sans";
    lf.lfHeight = -72;
    ImportPlacement placement;
    placement.fx = state.range(1) / 100.0f;
    placement.fy = placement.fx;
    const bool cold = state.range(2) != 0;
    for (auto _ : state) {
        if (cold) GlyphRenderer::ClearOutlineCache();
        GlyphRenderer::RenderFont(*font, lf, 437, placement);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 224);
}
// Arguments: monospaced face, stretch in percent, outlines loaded afresh.
BENCHMARK(BM_Import224Chars64x96)
    ->Args({0, 100, 0})
    ->Args({1, 100, 0})
    ->Args({1, 50, 0})
    ->Args({1, 100, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
