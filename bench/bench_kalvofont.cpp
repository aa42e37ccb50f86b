// Unpacking the largest font the editor holds (256 characters of 64 x 96
// dots) is the font's share of opening it from a PSW file (target: the whole
// open under 5 ms). Margins and reversed rows make every row take the slow
// path.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "KalvoFont.h"

namespace {

void Setup(KalvoFont& font, int left, int right, int byteOrder) {
    font.SetWidth(64 - left - right);
    font.SetHeight(96);
    font.SetFirstChar(0);
    font.SetLastChar(255);
    font.SetMarginLeft(left);
    font.SetMarginRight(right);
    font.SetByteOrder(byteOrder);
}

std::vector<unsigned char> RandomBlock(std::size_t n) {
    std::vector<unsigned char> block(n);
    std::mt19937 rng(1);
    for (auto& b : block) b = static_cast<unsigned char>(rng());
    return block;
}

void BM_UnpackFont64x96x256(benchmark::State& state) {
    auto font = std::make_unique<KalvoFont>();
    Setup(*font, static_cast<int>(state.range(0)), 0, static_cast<int>(state.range(1)));
    const auto block = RandomBlock(font->GetFontBlockSize());
    const int bpr = font->GetFontBytesPerRow();
    for (auto _ : state) {
        font->UnpackFontBlock(block.data(), block.size(), bpr, 96, font->GetMarginLeft(), 0, 0, 255,
                              font->GetByteOrder());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_UnpackFont64x96x256)->Args({0, 0})->Args({3, 1})->Unit(benchmark::kMicrosecond);

void BM_PackFont64x96x256(benchmark::State& state) {
    auto font = std::make_unique<KalvoFont>();
    Setup(*font, 3, 0, 1);
    std::vector<unsigned char> block = RandomBlock(font->GetFontBlockSize());
    font->UnpackFontBlock(block.data(), block.size(), font->GetFontBytesPerRow(), 96, 3, 0, 0, 255, 1);
    for (auto _ : state) {
        font->PackFontBlock(block.data(), block.size(), font->GetFontBytesPerRow(), 96, 3, 0, 0, 255, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PackFont64x96x256)->Unit(benchmark::kMicrosecond);

}  // namespace
