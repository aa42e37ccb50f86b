// A C table of the largest font (256 characters of 64 x 96 dots, byte
// items) is written in under 20 ms, file included. The file is replaced in
// one step and synced, so the *Text runs show the generator's own share
// apart from the disk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>

#include "KalvoFont.h"
#include "TableGenerator.h"
#include "UiServices.h"

namespace {

// The success message of every run is answered without a word.
class SilentUi : public UiServices {
public:
    int MessageBox(HWND, const CString&, const CString&, UINT style) override { return DefaultButton(style); }
    int AssertionDialog(const CString&, const CString&, const CString&) override { return IDOK; }
};

std::unique_ptr<KalvoFont> FullFont() {
    auto font = std::make_unique<KalvoFont>();
    font->SetWidth(64);
    font->SetHeight(96);
    font->SetFirstChar(0);
    font->SetLastChar(255);
    std::mt19937 rng(5);
    for (int ch = 0; ch < 256; ++ch)
        for (int r = 0; r < 96; ++r)
            for (int b = 0; b < 8; ++b) font->SetGridByte(ch, r, b, static_cast<unsigned char>(rng()));
    return font;
}

void Run(benchmark::State& state, int cMode) {
    SilentUi ui;
    UiServices* previous = UiServices::Install(&ui);
    const auto font = FullFont();
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / (cMode ? "bench_table_generator.c" : "bench_table_generator.asm");
    TableSettings s;
    s.fileName = CString::FromUtf8(file.string());
    s.itemsPerLine = 16;
    s.fontName = L"Bench 64 x 96";
    s.cMode = cMode;
    TableGenerator gen(*font, font->GetFontBytesPerRow());
    for (auto _ : state) {
        if (!gen.Generate(s)) state.SkipWithError("generation failed");
    }
    std::filesystem::remove(file);
    UiServices::Install(previous);
}

void BM_CTableText64x96x256(benchmark::State& state) {
    const auto font = FullFont();
    TableSettings s;
    s.itemsPerLine = 16;
    s.fontName = L"Bench 64 x 96";
    TableGenerator gen(*font, font->GetFontBytesPerRow());
    std::string text;
    for (auto _ : state) {
        gen.Build(s, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_CTableText64x96x256)->Unit(benchmark::kMillisecond);

void BM_CTable64x96x256(benchmark::State& state) {
    Run(state, 1);
}
void BM_AsmTable64x96x256(benchmark::State& state) {
    Run(state, 0);
}
BENCHMARK(BM_CTable64x96x256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsmTable64x96x256)->Unit(benchmark::kMillisecond);

}  // namespace
