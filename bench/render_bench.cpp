// Layout, painting and hit-testing of a document of N nodes, N = 1k, 10k,
// 100k and 1M: lines of 100 members each (numbers and names alternating in a
// sum), one under the other, as a long loaded document has them.
//
//   Relayout      the whole document measured again
//   PaintAll      the whole document painted (the update rectangle holds it all)
//   PaintWindow   a screen-sized update rectangle (1024 x 768) in the middle
//   Click         the node under a point in the middle: the hover walk the view
//                 makes, then the caret placed in the leaf found
//
// Every benchmark reports its time as a multiple of one walk over all the
// nodes of the same document (counter "x_walk"), so runs on different
// machines compare; a repaint that follows the screen shows as x_walk falling
// with N.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "cpu_clock.h"
#include "model/document.h"
#include "platform/nominal_dc.h"
#include "support/headless_host.h"

namespace {

using namespace tovimat;
using Clock = velmor::bench::ThreadCpuClock;

constexpr int membersPerLine = 100;

struct Document {
    explicit Document(int nodes) {
        container* base = host.getBase();
        const int lines = std::max(1, nodes / (membersPerLine + 1));
        for (int l = 0; l < lines; ++l) {
            auto* s = new sum();
            for (int i = 0; i < membersPerLine; ++i) {
                if (i % 2)
                    s->linkLast(new literal(("x" + std::to_string(i)).c_str()));
                else
                    s->linkLast(new nominal(double(i + l)));
            }
            base->linkLast(s);
        }
        NominalDC dc;
        base->remeasure(&dc);
        int y = 10;
        for (nucleo* m = base->first(); m && m->chained(); m = m->next()) {
            m->moveTo(20, y, false);
            y = m->bottom() + 12;
        }
        base->measure(&dc);
    }
    velmor::support::HeadlessHost host;
};

// Counts the nodes below n, delimiters left out.
long walk(const nucleo* n) {
    long count = 1;
    if (auto* c = dyn_cast<container>(n))
        for (nucleo* m = c->first(); m && m->chained(); m = m->next()) count += walk(m);
    return count;
}

double walkTime(const Document& doc) {
    double best = 1e300;
    for (int i = 0; i < 5; ++i) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(walk(doc.host.getBase()));
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

// A rectangle the size of a screen around the middle of the document.
aRect window(const Document& doc) {
    const aRect& r = doc.host.getBase()->getRect();
    const int midY = (r.top + r.bottom) / 2;
    return aRect(0, midY - 384, 1024, midY + 384);
}

template <typename Body>
void timed(benchmark::State& state, const Document& doc, Body body) {
    const double baseline = walkTime(doc);
    double total = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        body();
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(t);
        total += t;
    }
    state.counters["x_walk"] = total / double(state.iterations()) / baseline;
    state.counters["nodes"] = double(walk(doc.host.getBase()));
}

void Relayout(benchmark::State& state) {
    Document doc(int(state.range(0)));
    timed(state, doc, [&] {
        NominalDC dc;
        doc.host.getBase()->remeasure(&dc);
    });
}

void PaintAll(benchmark::State& state) {
    Document doc(int(state.range(0)));
    aRect all(0, 0, 1 << 30, 1 << 30);
    timed(state, doc, [&] {
        NominalDC dc;
        doc.host.paint(&dc, all);
        benchmark::DoNotOptimize(dc.texts().size());
    });
}

void PaintWindow(benchmark::State& state) {
    Document doc(int(state.range(0)));
    aRect area = window(doc);
    long drawn = 0;
    timed(state, doc, [&] {
        NominalDC dc;
        doc.host.paint(&dc, area);
        drawn = long(dc.texts().size());
    });
    state.counters["texts"] = double(drawn);
}

// A point inside the line nearest to the middle of the document.
aPoint middlePoint(const Document& doc) {
    const container* base = doc.host.getBase();
    const int midY = (base->top() + base->bottom()) / 2;
    const nucleo* line = base->first();
    while (line->next()->chained() && line->bottom() < midY) line = line->next();
    return aPoint(line->left() + line->Width() / 3, (line->top() + line->bottom()) / 2);
}

void Click(benchmark::State& state) {
    Document doc(int(state.range(0)));
    aPoint at = middlePoint(doc);
    container* base = doc.host.getBase();
    NominalDC dc;
    timed(state, doc, [&] {
        protocol::mouseOn = nullptr;
        if (!base->mouseMove(at)) protocol::mouseOn = base;
        protocol::mouseOn->click(&dc, at);
    });
    if (protocol::mouseOn == base) state.SkipWithError("the click found no node");
    protocol::mouseOn = nullptr;
}

void sizes(benchmark::internal::Benchmark* b) {
    for (int n : {1000, 10000, 100000, 1000000}) b->Arg(n);
    b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(Relayout)->Apply(sizes);
BENCHMARK(PaintAll)->Apply(sizes);
BENCHMARK(PaintWindow)->Apply(sizes);
BENCHMARK(Click)->Apply(sizes);
