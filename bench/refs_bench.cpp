// The cost of showing one value in many places: a keystroke in the value
// (every place is laid out again) and painting the document (the value moves
// into each place as it is painted), for 1 to 16,000 places of one line each.
// The baseline is the same keystroke in the same value shown in one place;
// counter "per_place" is the time divided by the number of places, which stays
// flat while the cost grows linearly.
#include <benchmark/benchmark.h>

#include "model/document.h"
#include "platform/vkeys.h"
#include "refs/reference.h"
#include "support/headless_host.h"

using namespace tovimat;

namespace {

// A line c·R where R shows 2·a + b/c.
struct Document {
    explicit Document(int places) {
        container* base = host.getBase();
        auto* value = new sum(*new multiplication(*new nominal(2.0), *new literal("a")),
                              *new quocient(*new literal("b"), *new literal("c")));
        value->moveTo(10, 10);
        base->linkLast(value);
        host.remeasureOn(base);
        for (int i = 1; i < places; ++i) {
            selector again(value);  // after the first, the value's place is a reference
            again.mkref();
            auto* line = new multiplication(*new literal("c"), *again.getTarget());
            line->moveTo(10, 10 + 20 * i);
            base->linkLast(line);
        }
        host.remeasureOn(base);
        // The name b holds the caret at its end.
        auto* q = static_cast<container*>(value->last());
        edited = static_cast<field*>(q->first());
        edited->focusAt(1);
    }
    velmor::support::HeadlessHost host;
    field* edited;
};

void perPlace(benchmark::State& state) {
    state.counters["per_place"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_KeystrokeInSharedValue(benchmark::State& state) {
    Document doc(int(state.range(0)));
    for (auto _ : state) {
        doc.host.type('X', 'x');    // b -> bx
        doc.host.type(VK_BACK, 8);  // bx -> b
    }
    state.SetItemsProcessed(state.iterations() * 2);
    perPlace(state);
}

void BM_PaintDocument(benchmark::State& state) {
    Document doc(int(state.range(0)));
    aRect all(0, 0, 1 << 20, 1 << 20);
    for (auto _ : state) {
        NominalDC dc;
        doc.host.paint(&dc, all);
        benchmark::DoNotOptimize(dc.texts().size());
    }
    perPlace(state);
}

}  // namespace

void places(benchmark::internal::Benchmark* b) {
    for (int n : {1, 10, 100, 1000, 2000, 4000, 8000, 16000}) b->Arg(n);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_KeystrokeInSharedValue)->Apply(places);
BENCHMARK(BM_PaintDocument)->Apply(places);
