// Saving and loading a large document: a page of about a million nodes
// (containers and leaves; delimiters are not counted) made of sums,
// products, quotients, powers, numbers and names, written to and read from
// memory.
//
// Two baselines run first on the same document and bytes: a walk over the
// tree and a plain copy of the file bytes. Save and load report their time
// as a multiple of each (x_walk, x_copy), which says more across machines
// than the absolute figures; load also as a multiple of save (x_save). Load also reports the heap it keeps per loaded
// node and the process's peak resident size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/document.h"
#include "platform/messages.h"
#include "store/stream.h"
#include "support/headless_host.h"

using namespace tovimat;
using velmor::support::HeadlessHost;

namespace {

constexpr long targetNodes = 1'000'000;

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
        if (i > 0 && c->type() == typeId::sum && rng.below(4) == 0) operand = new negation(operand);
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

long textBytes(const nucleo& n) {
    long bytes = n.getLen();
    if (n.isGroup()) {
        auto& c = static_cast<const container&>(n);
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) bytes += textBytes(*m);
    }
    return bytes;
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
        host = std::make_unique<HeadlessHost>(base);
        host->remeasureOn(base);
        nodes = countNodes(*base);
        memStor s;
        host->save(s);
        bytes = s.bytes();
    }

    MessageRecorder quiet;
    std::unique_ptr<HeadlessHost> host;
    long nodes = 0;
    std::vector<std::uint8_t> bytes;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Seconds per iteration of the two baselines, once they have run.
double walkSeconds = 0;
double copySeconds = 0;
double saveSeconds = 0;

// Processor time of this thread, as the library measures it: a busy machine
// slows every benchmark alike and leaves the ratios as they are.
double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void reportRates(benchmark::State& state, long nodes, size_t bytes, double secondsPerIteration) {
    state.counters["nodes"] = double(nodes);
    state.counters["nodes_per_s"] =
        benchmark::Counter(double(nodes) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_bytes"] = double(bytes);
    state.SetBytesProcessed(std::int64_t(bytes) * std::int64_t(state.iterations()));
    if (walkSeconds > 0) state.counters["x_walk"] = secondsPerIteration / walkSeconds;
    if (copySeconds > 0) state.counters["x_copy"] = secondsPerIteration / copySeconds;
}

size_t heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0) return std::stol(line.substr(n + 1));
    return 0;
}

void BM_BaselineWalk(benchmark::State& state) {
    Fixture& f = fixture();
    double start = cpuSeconds();
    for (auto _ : state) {
        long n = countNodes(*f.host->getBase()) + textBytes(*f.host->getBase());
        benchmark::DoNotOptimize(n);
    }
    walkSeconds = (cpuSeconds() - start) / double(state.iterations());
    reportRates(state, f.nodes, f.bytes.size(), walkSeconds);
}

void BM_BaselineCopy(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::uint8_t> target(f.bytes.size());
    double start = cpuSeconds();
    for (auto _ : state) {
        std::memcpy(target.data(), f.bytes.data(), f.bytes.size());
        benchmark::ClobberMemory();
    }
    copySeconds = (cpuSeconds() - start) / double(state.iterations());
    reportRates(state, f.nodes, f.bytes.size(), copySeconds);
}

void BM_Save(benchmark::State& state) {
    Fixture& f = fixture();
    double seconds = 0;
    for (auto _ : state) {
        double start = cpuSeconds();
        memStor s;
        f.host->save(s);
        benchmark::DoNotOptimize(s.bytes().data());
        seconds += (cpuSeconds() - start);
    }
    saveSeconds = seconds / double(state.iterations());
    reportRates(state, f.nodes, f.bytes.size(), saveSeconds);
}

// Each iteration loads into a new, empty document; taking the loaded tree
// down again is not timed.
void BM_Load(benchmark::State& state) {
    Fixture& f = fixture();
    memStor in(f.bytes);
    double seconds = 0;
    double heapPerNode = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const size_t heapBefore = heapInUse();
        auto host = std::make_unique<HeadlessHost>();
        in.rewind();
        state.ResumeTiming();

        double start = cpuSeconds();
        bool loaded = host->load(in);
        seconds += (cpuSeconds() - start);

        state.PauseTiming();
        if (!loaded || countNodes(*host->getBase()) != f.nodes)
            state.SkipWithError("the document did not load whole");
        heapPerNode = double(heapInUse() - heapBefore) / double(f.nodes);
        host.reset();
        state.ResumeTiming();
    }
    reportRates(state, f.nodes, f.bytes.size(), seconds / double(state.iterations()));
    if (saveSeconds > 0) state.counters["x_save"] = seconds / double(state.iterations()) / saveSeconds;
    state.counters["heap_B_per_node"] = heapPerNode;
    state.counters["peak_rss_MiB"] = double(statusKiB("VmHWM")) / 1024.0;
}

BENCHMARK(BM_BaselineWalk)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BaselineCopy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
