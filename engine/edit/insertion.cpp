// Insertion with the structural rules of each class: operator precedence is
// enforced here. A relation arrives inside the directive it needs, a node of
// the container's own class is flattened into it, a node that binds more
// loosely is lifted above it, and a loosely binding composite that cannot be
// lifted is wrapped in parentheses.
#include "model/document.h"

namespace tovimat {

namespace {

bool selfDelimiting(const nucleo* n) {
    const auto* c = dyn_cast<container>(n);
    return c && c->envolv();
}

container* asGroup(nucleo* n) { return dyn_cast<container>(n); }

}  // namespace

bool container::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (!n || !a || !b || refusesCycle(n)) return false;

    // x = 1 typed into a plain container: the relation and its left-hand
    // side go into a new simplification.
    if (n->composition() && (!composed() || !canConjugate(n->type()))) {
        container* k = n->conjugacao();
        if (k && k->type() == type()) {
            delete k;
        } else if (k) {
            const aRect was = n->getRect();
            k->atachIt(n, k->last(), k->tail(), true);
            if (b != first() && parentNode && memberCount > minMembers()) {
                nucleo* lhs = a;
                nucleo* beforeLhs = lhs->previous();
                _detachIt(lhs, false, true);
                k->atachIt(lhs, k->head(), k->first(), true);
                nucleo* lhsNow = k->first();
                while (isa<container>(lhsNow) && cast<container>(lhsNow)->members() > 0)
                    lhsNow = cast<container>(lhsNow)->last();
                if (!entre(k, beforeLhs, b)) {
                    // The left-hand side goes back where it stood.
                    if (takeOut(k, lhs)) _atachIt(lhs, beforeLhs, beforeLhs->next(), true);
                    return giveBack(k, n);
                }
                lhsNow->update();
                lhsNow->focusRight();
                return true;
            }
            // The insertion may lift k above this container, which is then gone.
            const bool documentLevel = rootDoc && !parentNode;
            if (documentLevel) k->moveTo(was.left, was.top, true);
            if (!entre(k, a, b)) return giveBack(k, n);
            if (documentLevel) k->remeasure();
            return true;
        }
    }

    container* g = asGroup(n);
    if (g && n->type() != typeId::negation && (parentNode || n->priority() <= priority()) &&
        (!envolv() || n->priority() < Priority::sum)) {
        // a + (b + c) is a + b + c: the members of a node of our own class
        // join ours, unless it is closed by a tail text.
        if (n->type() == type() && long(memberCount) + g->members() < maxMembers() &&
            g->tail()->getLen() == 0)
            return flatten(g, b);
        if (parentNode && !n->isLogic() && n->priority() < priority() && g->head()->getLen() == 0)
            return lift(g, b);
        if ((!parentNode || n->isLogic()) && !isa<parentesis>(this) && !isa<parentesis>(n) && !envolv() &&
            !selfDelimiting(n)) {
            auto* p = new parentesis(n);
            return atachIt(p, a, b, true) || giveBack(p, n);
        }
    }
    return atachIt(n, a, b, true);
}

// A wrapper that could not be placed lets its content go again, wherever
// the wrapper's own insertion rules put it (a parenthesis of its own, a
// directive around a relation), so that a failed insertion never takes the
// node with it.
bool container::giveBack(container* wrapper, nucleo* n) {
    takeOut(wrapper, n);
    delete wrapper;
    return false;
}

bool container::takeOut(container* wrapper, nucleo* n) {
    for (container* p = n->parent(); p; p = p->parent())
        if (p == wrapper) {
            n->parent()->_detachIt(n, false, false);
            return true;
        }
    return false;
}

bool container::flatten(container* n, nucleo* b) {
    if (rootDoc && rootDoc->focused() == n) {
        int at = rootDoc->caretIndex();
        if (at != 0)
            n->last()->focusRight();
        else
            n->first()->focusLeft();
    }
    while (n->members() > 0) {
        nucleo* m = n->first();
        n->_detachIt(m, false, false);
        if (!atachIt(m, b->previous(), b, true)) {
            // Keep what could not move where it was, so nothing is lost.
            if (!m->atached()) n->linkLast(m);
            return false;
        }
    }
    delete n;
    return true;
}

// n binds more loosely than this container and goes above it: typing "+"
// after b in a·b makes the sum of a·b and a new empty term.
bool container::lift(container* n, nucleo* b) {
    container* p = parentNode;
    if ((n->composed() && composed()) || maxMembers() == 1) {
        if (n->members() > 1) {
            // Attached without this class's lifting rules, which could move
            // this very container while it is being lifted.
            nucleo* nf = n->first();
            n->_detachIt(nf, false, false);
            if (!atachIt(nf, last(), &tailNode, true) && !nf->atached()) n->linkLast(nf);
        }
        nucleo* before = previousNode;
        n->moveTo(rect.left, rect.top, true);
        p->_detachIt(this, false, true);
        if (!n->atachIt(this, n->head(), n->first(), true)) {
            // n has no room for this container: it stays where it was.
            p->_atachIt(this, before, before->next(), true);
            return false;
        }
        return n->putAfter(before);
    }

    // Every part moved below is placed with the rules of the container it
    // goes into, or else linked there as it is: nothing may be left hanging
    // outside the document.
    auto settle = [](container* into, nucleo* m, nucleo* a, nucleo* b) {
        return into->atachIt(m, a, b, true) || m->atached() || into->_atachIt(m, a, b, true);
    };
    container* left = clone();
    container* right = clone();
    const bool nHadMembers = n->members() > 0;
    if (nHadMembers) {
        if (b != first()) {
            nucleo* nf = n->first();
            n->_detachIt(nf, false, false);
            while (first() != b && memberCount > 0) {
                nucleo* m = first();
                _detachIt(m, false, false);
                left->linkLast(m);
            }
            // Where the left part is full, the operand stays in n.
            if (!left->entre(nf, left->last(), left->tail()) && !nf->atached() && !left->linkLast(nf))
                n->_atachIt(nf, n->head(), n->first(), true);
            if (settle(n, left, n->head(), n->first())) left = nullptr;
        } else {
            delete left;
            left = nullptr;
        }
        if (memberCount > 0) {
            while (memberCount > 0) {
                nucleo* m = last();
                _detachIt(m, false, false);
                if (!settle(right, m, right->head(), right->first())) delete m;
            }
            if (n->composed()) {
                auto* lastRel = asGroup(n->last());
                if (lastRel && lastRel->members() > 0) {
                    nucleo* inner = lastRel->first();
                    lastRel->_detachIt(inner, false, false);
                    // What the right part refuses stays where it was.
                    if (!right->atachIt(inner, right->head(), right->first(), true) && !inner->atached())
                        lastRel->_atachIt(inner, lastRel->head(), lastRel->first(), false);
                    if (settle(lastRel, right, lastRel->head(), lastRel->first())) right = nullptr;
                }
            } else if (n->members() > 1) {
                nucleo* nl = n->last();
                n->_detachIt(nl, false, false);
                if (!settle(right, nl, right->head(), right->first())) n->linkLast(nl);
                if (settle(n, right, n->last(), n->tail())) right = nullptr;
            }
        }
    }
    delete left;
    if (right && right->members() > 0 && nHadMembers && settle(n, right, n->last(), n->tail()))
        right = nullptr;  // keep the rest of this container rather than lose it
    delete right;
    // n may itself be flattened into p, and so may its last member (a sum
    // ending in a sum that p merges): keep what is needed afterwards, and
    // put the caret only on a member that is still there.
    protocol* root = rootDoc;
    nucleo* caretTarget = n->members() > 0 ? n->last() : nullptr;
    const nodeWatch caretStays(caretTarget);
    if (!p->replace(this, n, true)) return false;
    if (root) root->remeasureOn(root->getBase());
    if (caretTarget && caretStays.alive()) caretTarget->focusRight();
    return true;
}

// --- class rules -------------------------------------------------------------------------------------

bool parentesis::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (memberCount < maxMembers()) return atachIt(n, a, b, true);
    return container::entre(n, a, b);
}

bool quocient::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (n && n->priority() >= Priority::sum) return atachIt(n, a, b, true);
    return container::entre(n, a, b);
}

bool power::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (!n) return false;
    if (n->isFunc()) return atachIt(n, a, b, true);
    if (memberCount == 1 && isa<parentesis>(b) && b->chained()) {
        // (x) as the exponent's neighbour gives way to its content.
        auto* par = cast<parentesis>(b);
        nucleo* content = par->first();
        if (content && content->chained()) {
            par->_detachIt(content, false, false);
            // The content may arrive wrapped again (a logic operand gets new
            // parentheses): what now follows a stands in the parentheses' place.
            replace(par, content, true);
            b = a->next();
        }
    }
    if (memberCount <= 1 && a == &headNode && n->priority() < priority() && n->isGroup()) {
        auto* wrapped = new parentesis(n);
        return container::entre(wrapped, a, b) || giveBack(wrapped, n);
    }
    return container::entre(n, a, b);
}

// -(a + b) typed as "-a+b": the sum takes the negation's place, the
// negation keeps only the first term.
bool negation::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (auto* s = dyn_cast<sum>(n)) {
        if (!parentNode) {
            auto* wrapped = new parentesis(n);
            return container::entre(wrapped, a, b) || giveBack(wrapped, n);
        }
        // Only a negation with room takes the first term.
        if (s->members() > 0 && memberCount < maxMembers()) {
            container* p = parentNode;
            nucleo* before = previousNode;
            nucleo* after = nextNode;
            s->moveTo(rect.left, rect.top, true);
            p->_detachIt(this, false, true);
            nucleo* term = s->first();
            s->_detachIt(term, false, false);
            if (!atachIt(term, last(), &tailNode, true) && !term->atached()) s->linkLast(term);
            s->atachIt(this, s->head(), s->first(), true);
            return p->entre(s, before, after);
        }
    }
    return container::entre(n, a, b);
}

// A second value for a function gathers both into an argument list. What
// cannot be placed leaves the function as it was.
bool function::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (!n) return false;
    nucleo* item = n->isGroup() && !selfDelimiting(n) ? new parentesis(n) : n;
    bool placed;
    if (memberCount == 1 && isa<argument>(first())) {
        auto* args = cast<argument>(first());
        placed = a == args ? args->entre(item, args->last(), args->tail())
                           : args->entre(item, args->head(), args->first());
    } else if (memberCount == 1) {
        nucleo* old = first();
        const bool after = a == old;
        _detachIt(old, false, false);
        auto* args = new argument();
        args->linkLast(after ? old : item);
        args->linkLast(after ? item : old);
        placed = atachIt(args, &headNode, &tailNode, true);
        if (!placed) {
            args->_detachIt(old, false, false);
            if (item->parent() == args) args->_detachIt(item, false, false);
            delete args;
            linkLast(old);
        }
    } else {
        placed = atachIt(item, a, b, true);
    }
    if (!placed && item != n) giveBack(static_cast<container*>(item), n);
    return placed;
}

// A user function always holds its values in an argument list.
bool userFunc::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (!n) return false;
    if (isa<argument>(n)) return container::entre(n, a, b);
    if (memberCount == 1 && isa<argument>(first())) {
        auto* args = cast<argument>(first());
        return a == first() ? args->entre(n, args->last(), args->tail())
                            : args->entre(n, args->head(), args->first());
    }
    auto* args = new argument();
    args->entre(n, args->last(), args->tail());
    return container::entre(args, a, b) || giveBack(args, n);
}

// A relation put at the front of a directive gets an empty left-hand side.
bool resolution::entre(nucleo* n, nucleo* a, nucleo* b) {
    if (n && a == &headNode && n->composition() && canConjugate(n->type())) {
        if (!atachIt(n, a, b, true)) return false;
        auto* lhs = new field("");
        atachIt(lhs, &headNode, n, true);
        if (rootDoc) first()->focusLeft();
        return true;
    }
    return container::entre(n, a, b);
}

}  // namespace tovimat
