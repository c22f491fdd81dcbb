// What the undo history adds to a keystroke in a large document. The
// document has lines of ten nodes each; the caret stands in a name of the
// middle line. BM_Keystroke types a letter and deletes it again through the
// engine alone (two keystrokes). BM_KeystrokeRecordedAndUndone types the
// letter through the view, which records the step (the records of the one
// line it touched), then undoes it (the line read back from its records).
// The recording and the undo should cost about what a keystroke costs, and
// follow the size of the line, not of the document: compare 10,000 nodes
// with 100,000. BM_RecordingOneLine and BM_UndoAndRedo take the two parts
// apart.
#include <benchmark/benchmark.h>

#include "core/script.h"
#include "core/velmor_doc.h"
#include "core/velmor_protocol.h"
#include "core/velmor_view.h"
#include "model/document.h"
#include "platform/vkeys.h"

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
        session.newDocument();
        container* base = session.doc().base();
        const int lines = std::max(1, nodes / 10);
        for (int i = 0; i < lines; ++i) base->linkLast(line(i));
        session.doc().root()->remeasureOn(base);
        session.view().setMode(CVelmorView::EditMode);
        // The name b of the middle line holds the caret at its end.
        auto* middle = static_cast<container*>((*base)[lines / 2]);
        auto* q = static_cast<container*>(middle->first()->next());
        static_cast<field*>(q->first())->focusAt(1);
    }
    // A key as the view gets it: key-down, then the character when passed on.
    void type(int key, int c) {
        CVelmorView& v = session.view();
        v.onKeyDown(key);
        if (v.keyPassed()) v.onChar(c);
    }
    velmor::HeadlessSession session;
};

void BM_Keystroke(benchmark::State& state) {
    Document doc(int(state.range(0)));
    CVelmorView& v = doc.session.view();
    for (auto _ : state) {
        if (v.focused()->putKey('X')) v.focused()->putChar('x');    // b -> bx
        if (v.focused()->putKey(VK_BACK)) v.focused()->putChar(8);  // bx -> b
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void BM_KeystrokeRecordedAndUndone(benchmark::State& state) {
    Document doc(int(state.range(0)));
    // The history takes the document's records once, at its first step.
    doc.type('X', 'x');
    doc.session.view().onUndo();
    for (auto _ : state) {
        doc.type('X', 'x');  // b -> bx, recorded
        doc.session.view().onUndo();
    }
    if (doc.session.doc().history().steps() != 1) state.SkipWithError("the keystroke made no single step");
    state.SetItemsProcessed(state.iterations());
}

// The recording alone: the edited line written again and compared with its
// records, as at the end of every step.
void BM_RecordingOneLine(benchmark::State& state) {
    Document doc(int(state.range(0)));
    doc.type('X', 'x');
    velmor::LineTable& lines = doc.session.doc().lines();
    nucleo* edited = doc.session.view().focused();
    for (auto _ : state) {
        lines.beginStep();
        lines.touched(edited);
        benchmark::DoNotOptimize(lines.endStep({}));
    }
}

// Undo and Redo of the keystroke's step: the line read back from its
// records twice, and the caret put back.
void BM_UndoAndRedo(benchmark::State& state) {
    Document doc(int(state.range(0)));
    doc.type('X', 'x');
    CVelmorView& v = doc.session.view();
    for (auto _ : state) {
        v.onUndo();
        v.onRedo();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

}  // namespace

BENCHMARK(BM_Keystroke)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeRecordedAndUndone)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordingOneLine)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UndoAndRedo)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
