// Costs of the platform calls that layout and drawing make per text run.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/codepages.h"
#include "platform/gdi.h"
#include "platform/nominal_dc.h"

namespace {

using namespace tovimat;

std::string sampleBytes(size_t n) {
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i) s[i] = char(0x20 + (i * 37) % 0xE0);
    return s;
}

void BM_Cp1252ToUtf8(benchmark::State& state) {
    std::string text = sampleBytes(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(cp1252ToUtf8(text.data(), int(text.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Cp1252ToUtf8)->Arg(8)->Arg(256);

void BM_SymbolToUtf8(benchmark::State& state) {
    std::string text = sampleBytes(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(symbolToUtf8(text.data(), int(text.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_SymbolToUtf8)->Arg(8)->Arg(256);

// Select a font, measure, draw and select the previous font back: the
// sequence every leaf of an expression runs when it is laid out and drawn.
void BM_NominalMeasureAndDraw(benchmark::State& state) {
    LOGFONTA lf{};
    lf.lfHeight = -14;
    HFONT font = CreateFontIndirectA(&lf);
    NominalDC dc;
    RECT box{0, 0, 100, 20};
    for (auto _ : state) {
        HGDIOBJ old = SelectObject(&dc, font);
        SIZE s;
        GetTextExtentPoint32A(&dc, "x+1", 3, &s);
        DrawTextA(&dc, "x+1", 3, &box, DT_SINGLELINE | DT_NOCLIP);
        SelectObject(&dc, old);
        benchmark::DoNotOptimize(s);
        if (dc.texts().size() > 4096) dc.clearRecord();
    }
    DeleteObject(font);
}
BENCHMARK(BM_NominalMeasureAndDraw);

}  // namespace
