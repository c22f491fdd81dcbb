// Committing an algebra result into the document: a whole line becomes
// "expression = result", a line that already is such a step grows into a
// resolution of steps, a relation result adds a step, and an inner node is
// replaced by its value.
#include "model/document.h"

namespace tovimat {

int protocol::chkPass(results& r) {
    if (r.changes == 0 || !r.value) return 0;
    setModified(true);
    nucleo* focus = focused();
    nucleo* value = r.value;
    if (!focus || !focus->parent()) {
        delete value;
        r.value = nullptr;
        return 0;
    }
    auto* focusGroup = focus->isGroup() ? static_cast<container*>(focus) : nullptr;

    if (value->type() == typeId::equivalence ||
        (value->composition() && focus->type() != typeId::simplification)) {
        if (focusGroup && focusGroup->entre(value, focusGroup->last(), focusGroup->tail())) {
            value->remeasure();
            value->focusRight();
            return r.changes;
        }
        delete value;
        r.value = nullptr;
        return 0;
    }

    container* line = focus->parent();
    if (line->priority() < 5) {
        nucleo* before = focus->previous();
        const aRect at = focus->getRect();
        if (focus->type() == typeId::simplification) {
            // The line becomes a resolution: old step <=> new step.
            auto* steps = new resolution();
            steps->moveTo(at.left, at.top, true);
            focus->focusOut();
            line->_detachIt(focus, false, true);
            steps->linkLast(focus);
            auto* step = new simplification();
            nucleo* lhs = focusGroup->first();
            if (lhs == r.source) {
                step->linkLast(value);
                step->linkLast(focusGroup->last()->copy());
            } else {
                step->linkLast(lhs->copy());
                step->linkLast(value);
            }
            auto* link = new equivalence(step);
            steps->linkLast(link);
            if (!line->entre(steps, before, before->next())) {
                delete steps;
                return 0;
            }
            step->remeasure();
            link->focusRight();
            return r.changes;
        }
        // expression = result
        auto* made = new simplification();
        made->moveTo(at.left, at.top, true);
        focus->focusOut();
        line->_detachIt(focus, false, true);
        made->linkLast(focus);
        auto* pass = new passEqual(value);
        made->linkLast(pass);
        if (!line->entre(made, before, before->next())) {
            delete made;
            return 0;
        }
        made->remeasure();
        value->focusRight();
        return r.changes;
    }

    if (!focus->replaceWith(value)) {
        delete value;
        r.value = nullptr;
        return 0;
    }
    value->remeasure();
    value->focusRight();
    return r.changes;
}

// The algebra of these entry points comes with the rule engine; until then
// they report that nothing changed.
results container::distribute() { return results(nullptr, nullptr, 0); }

results container::applyRules(container*, nucleo*) { return results(nullptr, nullptr, 0); }

void container::useConstants(container*) {}

}  // namespace tovimat
