// The engine time of one keystroke in a large document: key-down and
// character into a name in the middle of the document, validation, relayout
// of the path to the root with nominal metrics. The document has lines of
// ten nodes each; the time should follow the depth of the edited line, not
// the size of the document. The baseline is laying out the edited line alone.
#include <benchmark/benchmark.h>

#include "model/document.h"
#include "platform/vkeys.h"
#include "support/headless_host.h"

using namespace tovimat;

namespace {

// 2·a + b/c - d: ten nodes.
nucleo* line(int i) {
    auto* s = new sum(*new multiplication(*new nominal(2.0), *new literal("a")),
                      *new quocient(*new literal("b"), *new literal("c")));
    s->lput(*new negation(new literal("d")));
    s->moveTo(10, 10 + 20 * i);
    return s;
}

struct Document {
    explicit Document(int nodes) {
        container* base = host.getBase();
        const int lines = std::max(1, nodes / 10);
        for (int i = 0; i < lines; ++i) base->linkLast(line(i));
        host.remeasureOn(base);
        // The name b of the middle line holds the caret at its end.
        auto* middle = static_cast<container*>((*base)[lines / 2]);
        auto* q = static_cast<container*>(middle->first()->next());
        edited = static_cast<field*>(q->first());
        edited->focusAt(1);
    }
    velmor::support::HeadlessHost host;
    field* edited;
};

void BM_Keystroke(benchmark::State& state) {
    Document doc(int(state.range(0)));
    for (auto _ : state) {
        doc.host.type('X', 'x');    // b -> bx
        doc.host.type(VK_BACK, 8);  // bx -> b
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// Lays a subtree out bottom-up, as a relayout of the whole line would.
void layOut(nucleo* n, HDC dc) {
    if (n->isGroup()) {
        auto* c = static_cast<container*>(n);
        for (nucleo* m = c->first(); m && m->chained(); m = m->next()) layOut(m, dc);
    }
    n->measure(dc);
}

void BM_BaselineLayoutOfOneLine(benchmark::State& state) {
    Document doc(int(state.range(0)));
    NominalDC dc;
    container* lineNode = doc.edited->parent()->parent();
    for (auto _ : state) layOut(lineNode, &dc);
}

// A keystroke at the end of one line of n terms 1 + 1 + ... + 1: typing a
// digit into the last term and deleting it again. The time should not grow
// with n; compare the 100,000-term line with the 100-term one.
struct LongLine {
    explicit LongLine(int terms) {
        auto* line = new sum(*new nominal(1.0), *new nominal(1.0));
        for (int i = 2; i < terms; ++i) line->linkLast(new nominal(1.0));
        line->moveTo(10, 10);
        host.getBase()->linkLast(line);
        host.remeasureOn(host.getBase());
        last = static_cast<field*>(line->last());
        last->focusAt(1);
    }
    velmor::support::HeadlessHost host;
    field* last;
};

void BM_KeystrokeAtTheEndOfALongLine(benchmark::State& state) {
    LongLine doc(int(state.range(0)));
    for (auto _ : state) {
        doc.host.type('2', '2');   // 1 -> 12
        doc.host.type(VK_BACK, 8);  // 12 -> 1
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// A document of one number inside `depth` nested parentheses. A keystroke in
// the number lays out every level on its way to the root, so its time grows
// with the depth, but no faster: compare the time per level at 1,000 and at
// 10,000 levels. Laying the whole document out is likewise linear.
struct Nested {
    explicit Nested(int depth) {
        number = new nominal(1.0);
        nucleo* inner = number;
        for (int i = 0; i < depth; ++i) {
            auto* p = new parentesis();
            p->linkLast(inner);
            inner = p;
        }
        inner->moveTo(10, 10);
        host.getBase()->linkLast(inner);
        host.remeasureOn(host.getBase());
        number->focusAt(1);
    }
    velmor::support::HeadlessHost host;
    field* number;
};

void BM_KeystrokeAtTheBottomOfNesting(benchmark::State& state) {
    Nested doc(int(state.range(0)));
    for (auto _ : state) {
        doc.host.type('2', '2');
        doc.host.type(VK_BACK, 8);
    }
    state.counters["per_level"] =
        benchmark::Counter(double(state.iterations() * 2) * double(state.range(0)), benchmark::Counter::kIsRate |
                                                                                     benchmark::Counter::kInvert);
}

void BM_LayoutOfNesting(benchmark::State& state) {
    Nested doc(int(state.range(0)));
    for (auto _ : state) doc.host.remeasureOn(doc.host.getBase());
    state.counters["per_level"] = benchmark::Counter(double(state.iterations()) * double(state.range(0)),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_BaselineLayoutOfOneLine)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Keystroke)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeAtTheEndOfALongLine)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeAtTheBottomOfNesting)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutOfNesting)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
