// Formulas in and out as text: a page of about 100,000 nodes of sums,
// products, quotients, powers, numbers and names written as LaTeX, MathML
// and linear text, and its lines read back from LaTeX and linear text.
//
// The .vlm save and load of the same page run first: every other benchmark
// reports its time as a multiple of them (x_vlm_save for the writers,
// x_vlm_load for the readers), which says more across machines than the
// absolute figures.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "../tests/test_host.h"
#include "core/linear_text.h"
#include "model/document.h"
#include "platform/messages.h"
#include "store/stream.h"
#include "text/latex_reader.h"
#include "text/latex_writer.h"
#include "text/linear_reader.h"
#include "text/mathml_writer.h"

using namespace tovimat;
using tovimat::testing::TestHost;

namespace {

constexpr long targetNodes = 100'000;

// A small deterministic generator, so that every run builds the same page.
class Rng {
public:
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return std::uint32_t(state_ >> 32);
    }
    int below(int n) { return int(next() % std::uint32_t(n)); }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

nucleo* leafNode(Rng& rng) {
    static const char* const names[] = {"x", "y", "z", "a", "b", "t", "alpha", "omega", "n", "k"};
    switch (rng.below(4)) {
        case 0:
            return new nominal(double(rng.below(1000)));
        case 1:
            return new nominal(rng.below(10000) / 100.0);
        default:
            return new literal(names[rng.below(10)]);
    }
}

// An expression no deeper than depth; inner levels stop early now and then.
nucleo* expression(Rng& rng, int depth, bool top = true) {
    if (depth <= 1 || (!top && rng.below(5) == 0)) return leafNode(rng);
    container* c = nullptr;
    int operands = 2;
    switch (rng.below(4)) {
        case 0:
            c = new sum();
            operands = 2 + rng.below(3);
            break;
        case 1:
            c = new multiplication();
            operands = 2 + rng.below(2);
            break;
        case 2:
            c = new quocient();
            break;
        default:
            c = new power();
            break;
    }
    for (int i = 0; i < operands; ++i) {
        nucleo* operand =
            (c->type() == typeId::power && i == 1) ? leafNode(rng) : expression(rng, depth - 1, false);
        c->add(*operand);
    }
    return c;
}

long countNodes(const nucleo& n) {
    long count = 1;
    if (n.isGroup()) {
        auto& c = static_cast<const container&>(n);
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) count += countNodes(*m);
    }
    return count;
}

struct Fixture {
    Fixture() {
        Rng rng;
        auto* base = new page(1, false);
        long count = 1;
        while (count < targetNodes) {
            nucleo* line = expression(rng, 3 + rng.below(4));
            count += countNodes(*line);
            base->add(*line);
        }
        host = std::make_unique<TestHost>(base);
        host->remeasureOn(base);
        nodes = countNodes(*base);
        memStor s;
        host->save(s);
        bytes = s.bytes();
        for (const nucleo* m = base->first(); m && m->chained(); m = m->next()) {
            latexLines.push_back(latexOf(*m));
            linearLines.push_back(velmor::linearText(*m));
        }
    }

    MessageRecorder quiet;
    std::unique_ptr<TestHost> host;
    long nodes = 0;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> latexLines;
    std::vector<std::string> linearLines;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Seconds per iteration of the .vlm save and load, once they have run.
double vlmSaveSeconds = 0;
double vlmLoadSeconds = 0;

// Processor time of this thread: a busy machine slows every benchmark alike
// and leaves the ratios as they are.
double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

enum class Against { nothing, save, load };

// Runs body once an iteration and reports nodes per second, the size of
// what was written or read, and the multiple of the .vlm time it is
// measured against; answers the processor seconds an iteration took.
template <typename Body>
double measure(benchmark::State& state, Against against, Body body) {
    Fixture& f = fixture();
    size_t size = 0;
    const double start = cpuSeconds();
    for (auto _ : state) size = body(f);
    const double seconds = (cpuSeconds() - start) / double(state.iterations());
    state.counters["nodes"] = double(f.nodes);
    state.counters["nodes_per_s"] =
        benchmark::Counter(double(f.nodes) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["text_bytes"] = double(size);
    const double reference = against == Against::save ? vlmSaveSeconds : vlmLoadSeconds;
    if (against != Against::nothing && reference > 0)
        state.counters[against == Against::save ? "x_vlm_save" : "x_vlm_load"] = seconds / reference;
    return seconds;
}

void BM_VlmSave(benchmark::State& state) {
    vlmSaveSeconds = measure(state, Against::nothing, [](Fixture& f) {
        memStor s;
        f.host->save(s);
        benchmark::DoNotOptimize(s.bytes().data());
        return s.bytes().size();
    });
}

// Loading into a new document each time; taking it down again is included,
// as it is for the readers' trees.
void BM_VlmLoad(benchmark::State& state) {
    vlmLoadSeconds = measure(state, Against::nothing, [&state](Fixture& f) {
        memStor in(f.bytes);
        TestHost host;
        if (!host.load(in)) state.SkipWithError("the document did not load");
        return f.bytes.size();
    });
}

void BM_LatexWrite(benchmark::State& state) {
    measure(state, Against::save, [](Fixture& f) {
        const std::string text = latexDocument(*f.host->getBase());
        benchmark::DoNotOptimize(text.data());
        return text.size();
    });
}

void BM_MathmlWrite(benchmark::State& state) {
    measure(state, Against::save, [](Fixture& f) {
        const std::string text = mathmlDocument(*f.host->getBase());
        benchmark::DoNotOptimize(text.data());
        return text.size();
    });
}

void BM_LinearWrite(benchmark::State& state) {
    measure(state, Against::save, [](Fixture& f) {
        const std::string text = velmor::linearLines(*f.host->getBase());
        benchmark::DoNotOptimize(text.data());
        return text.size();
    });
}

void BM_LatexRead(benchmark::State& state) {
    measure(state, Against::load, [&state](Fixture& f) {
        size_t size = 0;
        for (const std::string& line : f.latexLines) {
            latexReading r = readLatex(line);
            if (!r) state.SkipWithError(("a line did not read: " + r.reason).c_str());
            size += line.size();
        }
        return size;
    });
}

void BM_LinearRead(benchmark::State& state) {
    measure(state, Against::load, [&state](Fixture& f) {
        size_t size = 0;
        for (const std::string& line : f.linearLines) {
            linearReading r = readLinear(line);
            if (!r) state.SkipWithError(("a line did not read: " + r.reason).c_str());
            size += line.size();
        }
        return size;
    });
}

BENCHMARK(BM_VlmSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_VlmLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LatexWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MathmlWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LinearWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LatexRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LinearRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
