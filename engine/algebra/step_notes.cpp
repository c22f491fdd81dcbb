#include "algebra/step_notes.h"

#include <algorithm>

#include "algebra/support.h"

namespace tovimat {

namespace {

thread_local ruleMatchNote* openMatchNote = nullptr;
thread_local constantNote* openConstantNote = nullptr;

}  // namespace

ruleMatchNote::ruleMatchNote() : outer_(openMatchNote) { openMatchNote = this; }

ruleMatchNote::~ruleMatchNote() { openMatchNote = outer_; }

void ruleMatchNote::reset() {
    rule_ = nullptr;
    bindings_.clear();
}

void ruleMatchNote::note(const container* rule, const container& bindings) {
    ruleMatchNote* open = openMatchNote;
    if (!open) return;
    // The search stops at the match it takes, so the last match noted is the
    // one that gave the result (a watch may let earlier ones go).
    open->reset();
    open->rule_ = rule;
    for (nucleo* v = bindings.first(); v && v->chained(); v = v->next()) {
        auto* bound = dyn_cast<variable>(v);
        if (!bound) continue;
        std::unique_ptr<nucleo> value(bound->getValue() ? alg::rawCopy(bound->getValue()) : nullptr);
        open->bindings_.emplace_back(std::string(v->getText(), size_t(v->getLen())), std::move(value));
    }
}

constantNote::constantNote() : outer_(openConstantNote) { openConstantNote = this; }

constantNote::~constantNote() { openConstantNote = outer_; }

void constantNote::note(const nucleo* definition) {
    constantNote* open = openConstantNote;
    if (!open || std::find(open->used_.begin(), open->used_.end(), definition) != open->used_.end()) return;
    open->used_.push_back(definition);
}

}  // namespace tovimat
