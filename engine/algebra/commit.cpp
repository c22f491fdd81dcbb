// Committing an algebra result into the document: a whole line becomes
// "expression = result", a line that already is such a step grows into a
// resolution of steps, a relation result adds a step, and an inner node is
// replaced by its value.
//
// The insertion rules may flatten the inserted node into its new container
// (a sum into a sum: the inserted sum is deleted) or lift it; so after an
// insertion the value is used only once it is known to be still in the tree.
#include "algebra/support.h"
#include "model/step_origin.h"

namespace tovimat {

namespace {

// After an insertion: the node that stands for the value. That is the value
// itself while it is still in the tree, or else the last of its former
// members, which a flattening moves on unchanged.
nucleo* standingFor(const container* base, nucleo* value, nucleo* lastMember) {
    if (alg::holds(base, value)) return value;
    if (lastMember && alg::holds(base, lastMember)) return lastMember;
    return nullptr;
}

// Would the insertion rules lift n above c? Then the algebra puts the
// parentheses itself, so that n keeps its meaning in c's place.
bool wouldLift(const container* c, const nucleo* n) {
    if (!n->isGroup() || n->type() == typeId::negation || n->isLogic() || n->type() == c->type()) return false;
    // These classes place what they receive themselves.
    if (isa<parentesis>(c) || c->type() == typeId::quocient || c->isFunc()) return false;
    auto* g = cast<container>(n);
    const bool generic =
        (c->parent() || n->priority() <= c->priority()) && (!c->envolv() || n->priority() < Priority::sum);
    return generic && c->parent() && n->priority() < c->priority() && g->head()->getLen() == 0;
}

}  // namespace

int protocol::chkPass(results& r) {
    // The value leaves the record whatever happens: what finds no place in
    // the document goes with `owned`.
    std::unique_ptr<nucleo> owned = std::move(r.value);
    nucleo* value = owned.get();
    if (r.changes == 0 || !value) return 0;
    setModified(true);
    nucleo* focus = focused();
    if (!focus || !focus->parent()) return 0;
    alg::settle(value);
    auto* focusGroup = alg::asGroup(focus);

    // A further step of a resolution or relation chain.
    if (isa<equivalence>(value) || (value->composition() && !isa<simplification>(focus))) {
        if (!focusGroup) return 0;
        nucleo* lastMember = value->isGroup() ? static_cast<container*>(value)->last() : nullptr;
        if (!focusGroup->lput(std::move(owned))) return 0;
        if (nucleo* now = standingFor(base, value, lastMember)) {
            if (now == value) stepOriginScope::made(value);
            now->remeasure();
            now->focusRight();
        }
        return r.changes;
    }

    container* line = focus->parent();
    // The focused line goes into a new group that takes its place. The group
    // joins the document's root first, so the line's subtree keeps its root
    // on the way instead of being walked to lose it and walked again to get
    // it back. The group is laid out when it is inserted.
    auto moveInto = [this, line, focus](container* group) {
        group->setRoot(this);
        line->unlink(focus);
        line->memberLeft(focus);
        group->linkLast(focus);
    };
    // When the group finds no place, the line goes back as it was.
    auto putBack = [line, focus](container* group, nucleo* before) {
        group->_detachIt(focus, false, false);
        group->setRoot(nullptr);
        delete group;
        line->atachIt(focus, before, before->next(), true);
    };
    if (line->priority() <= Priority::list) {
        nucleo* before = focus->previous();
        const aRect at = focus->getRect();
        if (focus->isGroup())
            focus->focusOut();
        else
            focus->killFocus();
        if (isa<simplification>(focus)) {
            // The line becomes a resolution: old step <=> new step.
            nucleo* lhs = focusGroup->first();
            nucleo* step;
            if (r.source == focus) {
                // The whole step was decided or rewritten: the value is the new step.
                step = owned.release();
            } else if (lhs == r.source) {
                step = alg::group(*focusGroup, {owned.release(), alg::rawCopy(focusGroup->last())});
            } else {
                step = alg::group(*focusGroup, {alg::rawCopy(lhs), owned.release()});
            }
            auto* steps = new resolution();
            steps->moveTo(at.left, at.top, true);
            moveInto(steps);
            auto* link = new equivalence();
            link->placeAt(step, link->head(), link->tail());
            steps->linkLast(link);
            if (!line->entre(steps, before, before->next())) {
                putBack(steps, before);
                return 0;
            }
            stepOriginScope::made(link);
            link->focusRight();
            return r.changes;
        }
        // expression = result
        auto* made = new simplification();
        made->moveTo(at.left, at.top, true);
        moveInto(made);
        auto* pass = new passEqual();
        pass->placeAt(std::move(owned), pass->head(), pass->tail());
        made->linkLast(pass);
        if (!line->entre(made, before, before->next())) {
            putBack(made, before);
            return 0;
        }
        stepOriginScope::made(pass);
        if (pass->members() > 0) pass->last()->focusRight();
        return r.changes;
    }

    // An inner node: the value takes its place, in parentheses when it binds
    // more loosely than its new container.
    std::unique_ptr<nucleo> placed = std::move(owned);
    if (alg::bindsLooser(line, value, focus->previous() == line->head()) || wouldLift(line, value)) {
        auto p = std::make_unique<parentesis>();
        p->linkLast(placed.release());
        placed = std::move(p);
    }
    nucleo* lastMember = value->isGroup() ? static_cast<container*>(value)->last() : nullptr;
    if (!focus->replaceWith(std::move(placed))) return 0;
    if (nucleo* now = standingFor(base, value, lastMember)) {
        // The insertion may have restructured the old container: the step
        // around the part is found from the value.
        if (nucleo* holder = now->parent()) stepOriginScope::changedIn(holder, base);
        now->remeasure();
        now->focusRight();
    }
    return r.changes;
}

}  // namespace tovimat
