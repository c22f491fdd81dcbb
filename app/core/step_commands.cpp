// The Tools commands that add steps to a line: Calculate, Calculate All and
// Simplify. Each step goes into the document through the document root's
// commit, like every result of the algebra.
#include <string>

#include "algebra/refusal.h"
#include "core/linear_text.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "platform/codepages.h"
#include "platform/messages.h"

using namespace tovimat;

namespace {

// Calculate All stops after this many steps: a chain of rewrites that never
// settles would otherwise grow the line for ever.
constexpr int kMaxCalculateSteps = 100;


void sayNothingTo(const char* what, const nucleo& n) {
    const std::string text = std::string("nothing to ") + what + " in " + utf8ToCp1252(velmor::linearText(n));
    SetMessageText(text.c_str());
}

}  // namespace

// What could not be calculated (a division by zero, a result too large)
// stays as written, and the status bar says why; a calculation that changes
// nothing says so too.
void CVelmorView::onCalculate() {
    nucleo* f = focused_;
    if (!f || !f->isGroup()) return;
    refusalNote why;
    const StepOutcome outcome = calculateStep();
    if (why.reason())
        SetMessageText(why.reason());
    else if (outcome == StepOutcome::NothingToDo)
        sayNothingTo("calculate", *f);
}

CVelmorView::StepOutcome CVelmorView::calculateStep() {
    nucleo* f = focused_;
    if (!f || !f->isGroup()) return StepOutcome::NothingToDo;
    results r = f->calculate();
    const char* detail = nullptr;
    if (r.changes == 0) {
        r.value.reset();
        r = cast<container>(f)->distribute();
        detail = "distribution";
    }
    if (r.changes == 0) {
        r.value.reset();
        return StepOutcome::NothingToDo;
    }
    return commitResult(std::move(r), detail) ? StepOutcome::Committed : StepOutcome::NotPlaced;
}

// Calculate again and again on the newest step, one step per change, until
// a calculation changes nothing, the newest value is no longer a formula, or
// something could not be calculated.
void CVelmorView::onCalculateAll() {
    nucleo* start = focused_;
    if (!start || !start->isGroup()) return;
    refusalNote why;
    int steps = 0;
    while (steps < kMaxCalculateSteps) {
        nucleo* f = focused_;
        if (!f || !f->isGroup()) break;
        const StepOutcome outcome = calculateStep();
        if (outcome == StepOutcome::NothingToDo && steps == 0 && !why.reason()) {
            // Nothing changed: f is still in the document as it was.
            sayNothingTo("calculate", *f);
            return;
        }
        if (outcome != StepOutcome::Committed || why.reason()) break;
        ++steps;
    }
    if (why.reason())
        SetMessageText(why.reason());
    else if (steps == kMaxCalculateSteps)
        SetMessageText(("Calculate All stopped after " + std::to_string(steps) + " steps").c_str());
}

// The library's simplifier: one rewrite per command, committed as a step
// like a calculation.
void CVelmorView::onSimplify() {
    nucleo* f = focused_;
    if (!f || !f->isGroup()) return;
    results r = f->simplify(1);
    if (r.changes == 0) {
        r.value.reset();
        sayNothingTo("simplify", *f);
        return;
    }
    commitResult(std::move(r));
}
