// Linking nodes into member chains and taking them out again.
#include <algorithm>
#include <cassert>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/document.h"
#include "platform/messages.h"
#include "refs/reference.h"

namespace tovimat {

namespace {

// True when n is c itself or one of its ancestors: linking n into c would
// make the tree a cycle.
bool encloses(const nucleo* n, const container* c) {
    for (const nucleo* p = c; p; p = p->parent())
        if (p == n) return true;
    return false;
}

}  // namespace

// Linking n into c, or into anything below c, would make the tree a cycle;
// a delimiter or separator is part of its container and never moves.
bool container::refusesCycle(const nucleo* n) const {
    if (n->parent() && !n->chained()) return true;
    if (!accepts(n)) {
        MessageBeep(0);
        return true;
    }
    // A shared value shown inside itself is a cycle as well.
    if (!encloses(n, this) && !reference::wouldLoop(n, this)) return false;
    nodeMessage(this, "container::atachIt => Auto-Derivation", "Debug", MB_ICONERROR);
    return true;
}

namespace {

bool isInside(const nucleo* n, const nucleo* ancestor) {
    for (const nucleo* p = n->parent(); p; p = p->parent())
        if (p == ancestor) return true;
    return false;
}

bool selfDelimiting(const nucleo* n) {
    const auto* c = dyn_cast<container>(n);
    return c && c->envolv();
}

}  // namespace

bool container::needsParentheses(const nucleo* n) const {
    return !envolv() && n->priority() < priority() && n->isGroup() && !selfDelimiting(n);
}

namespace {

// The levels of n's subtree, counted without recursion and without a list
// of its own: the walk follows the members' links down and back up.
int heightOf(const nucleo* n) {
    int height = 1;
    int level = 1;
    const nucleo* m = n;
    for (;;) {
        const auto* c = dyn_cast<container>(m);
        if (c && c->members() > 0) {
            m = c->first();
            height = std::max(height, ++level);
            continue;
        }
        while (m != n && !m->next()->chained()) {
            m = m->parent();
            --level;
        }
        if (m == n) return height;
        m = m->next();
    }
}

}  // namespace

int container::heightBoundOf(const nucleo* n) {
    const auto* c = dyn_cast<container>(n);
    return c ? c->heightBound : 1;
}

bool container::wouldNestTooDeep(const nucleo* n) const {
    const int room = maxNestingDepth - level();
    if (heightBoundOf(n) <= room) return false;
    // The bound may have stayed high after members left: count.
    const int height = heightOf(n);
    if (const auto* c = dyn_cast<container>(n)) c->heightBound = height;
    return height > room;
}

bool container::nestsTooDeep(const nucleo* n) const {
    if (!wouldNestTooDeep(n)) return false;
    static const std::string why = "An expression may nest at most " + std::to_string(maxNestingDepth) + " levels.";
    nodeMessage(this, why.c_str(), "Velmor", MB_ICONWARNING);
    return true;
}

void container::raiseHeightBound(const nucleo* joined) {
    int height = heightBoundOf(joined) + 1;
    for (container* c = this; c && c->heightBound < height; c = c->parentNode, ++height) c->heightBound = height;
}

void container::hookLast(nucleo* n) {
    assert(n && !n->parentNode && "hooking a node that already stands somewhere");
    nucleo* a = tailNode.previousNode;
    a->nextNode = n;
    tailNode.previousNode = n;
    n->previousNode = a;
    n->nextNode = &tailNode;
    n->parentNode = this;
    ++memberCount;
    raiseHeightBound(n);
    rowMemberJoined(n);
}

bool container::_atachIt(nucleo* n, nucleo* a, nucleo* b, bool update) {
    if (!n || !a || !b || a == n || b == n) return false;
    const bool movingWithin = n->parentNode == this;
    if (!movingWithin && memberCount >= maxMembers()) {
        nodeMessage(this, "operator overload", "Debug", MB_ICONERROR);
        return false;
    }
    if (refusesCycle(n)) return false;
    if (nestsTooDeep(n)) return false;
    // A node moving within this chain leaves it without collapsing it.
    if (movingWithin)
        _detachIt(n, false, false);
    else if (n->parentNode)
        n->detach();
    if (a->parentNode != this || b->parentNode != this || a->nextNode != b) return false;
    if (n->readOnly) setReadOnly(true);

    a->nextNode = n;
    b->previousNode = n;
    n->previousNode = a;
    n->nextNode = b;
    n->parentNode = this;
    n->setRoot(rootDoc);
    ++memberCount;
    raiseHeightBound(n);
    rowMemberJoined(n);
    memberJoined(n);

    if (update) {
        // A node that joins a document may never have been laid out (it was
        // built without a root): lay out its whole subtree, then the path up.
        nucleo* now = n->revalidate();
        if (rootDoc && now) now->remeasure();
    }
    return true;
}

bool container::atachIt(nucleo* n, nucleo* a, nucleo* b, bool update) {
    if (!n || refusesCycle(n)) return false;
    // A relation outside a directive that accepts it arrives inside the
    // directive its kind needs: x = 1 becomes simplification[x, equal[1]].
    if (n->composition() && (!composed() || !canConjugate(n->type()))) {
        if (container* k = n->conjugacao()) {
            k->atachIt(n, k->last(), k->tail(), update);
            // The directive is placed as any member is: in parentheses
            // where it binds more loosely than this container.
            return atachIt(k, a, b, update) || giveBack(k, n);
        }
    }
    // A composite that binds more loosely than this container and does not
    // delimit itself is wrapped in parentheses: (a + b)·c.
    if (!isRef() && needsParentheses(n)) {
        auto* p = new parentesis(n);
        return entre(p, a, b) || giveBack(p, n);
    }
    return _atachIt(n, a, b, update);
}

void container::_detachIt(nucleo* n, bool fill, bool update) {
    if (memberCount == 0) MessageBeep(0);
    if (!n || n->parentNode != this || !n->chained()) return;
    if (rootDoc && rootDoc->focused() == n) n->killFocus();

    nucleo* before = n->previousNode;
    nucleo* after = n->nextNode;
    unlink(n);
    memberLeft(n);
    n->setRoot(nullptr);

    if (fill && memberCount < minMembers()) {
        if (!parentNode || readOnly) {
            atachIt(new field(""), before, after, update);
        } else {
            if (protocol::dropTarget == this) protocol::dropTarget = memberCount == 0 ? nextNode : first();
            if (memberCount == 1) {
                collapseInto(first());
                return;  // this container no longer exists
            }
            container* p = parentNode;
            if (p->maxMembers() >= long(memberCount) + p->memberCount) {
                dissolveInto(p);
                return;  // this container no longer exists
            }
        }
    }
    if (update && rootDoc) nucleo::update();
}

// The last operand takes the place of its operator, which is deleted. It is
// linked in without the parent's insertion rules, which could lift it above
// the parent or flatten it into it while this container is being removed.
void container::collapseInto(nucleo* d) {
    // A place that may not hold the operand (a shared value is never the
    // value of another) leaves the operator as it is.
    if (!parentNode->accepts(d)) return;
    bool hadCaret = rootDoc && rootDoc->focused() == d;
    int index = hadCaret ? rootDoc->caretIndex() : 0;
    protocol* root = rootDoc;
    _detachIt(d, false, false);
    d->moveTo(rect.left, rect.top, true);
    if (!parentNode->_replace(this, d, true)) return;
    if (root) d->update();
    if (hadCaret) d->focusAt(index);
}

// Every remaining member moves, in order, to just before this container in
// p, which then deletes it.
void container::dissolveInto(container* p) {
    // An emptied member of an operator that needs it (the base of a power
    // whose parenthesised content was deleted) leaves an empty place, not a
    // hole: the operator keeps its operands.
    if (memberCount == 0 && p->memberCount <= p->minMembers()) {
        nucleo* before = previousNode;
        nucleo* after = nextNode;
        p->_detachIt(this, false, false);
        auto* hole = new field("");
        hole->moveTo(rect.left, rect.top, true);
        placement::of(hole, p->atachIt(hole, before, after, true));  // a refused one is freed
        delete this;
        return;
    }
    while (memberCount > 0) {
        nucleo* m = first();
        _detachIt(m, false, false);
        m->moveTo(rect.left, rect.top, true);
        // A member that finds no place in p goes with the outcome.
        placement::of(m, p->atachIt(m, previousNode, this, false));
    }
    p->_detachIt(this, false, true);
    delete this;
}

bool container::replace(nucleo* old, nucleo* n, bool deleteOld) {
    return replaceMember(old, n, deleteOld, true);
}

bool container::_replace(nucleo* old, nucleo* n, bool deleteOld) {
    return replaceMember(old, n, deleteOld, false);
}

// --- taking ownership of new nodes ----------------------------------------------------------------

placement placement::of(nucleo* n, bool placed) {
    placement p;
    p.placed = placed;
    if (!placed && n && !n->atached()) p.refused.reset(n);
    return p;
}

placement container::insert(std::unique_ptr<nucleo> n, nucleo* after, nucleo* before) {
    nucleo* raw = n.release();
    return placement::of(raw, entre(raw, after, before));
}

placement container::replace(nucleo* old, std::unique_ptr<nucleo> n) {
    nucleo* raw = n.release();
    return placement::of(raw, replace(old, raw, true));
}

placement nucleo::replaceWith(std::unique_ptr<nucleo> n) {
    nucleo* raw = n.release();
    return placement::of(raw, replaceWith(raw));
}

placement insertAfter(std::unique_ptr<nucleo> n, nucleo* x) {
    nucleo* raw = n.release();
    return placement::of(raw, raw && raw->putAfter(x));
}

placement insertBefore(std::unique_ptr<nucleo> n, nucleo* x) {
    nucleo* raw = n.release();
    return placement::of(raw, raw && raw->putBefore(x));
}

bool container::replaceMember(nucleo* old, nucleo* n, bool deleteOld, bool withRules) {
    if (!old || !n || old->parentNode != this || !old->chained()) {
        // Not one of our members: its neighbours are another chain's.
        MessageBeep(0);
        return false;
    }
    if (n == old) return true;
    if (refusesCycle(n)) return false;
    if (n->parentNode) {
        // A node taken from inside the one it replaces must not collapse it.
        if (isInside(n, old))
            n->parentNode->_detachIt(n, false, false);
        else
            n->detach();
        if (old->parentNode != this) return false;
    }
    nucleo* before = old->previousNode;
    nucleo* after = old->nextNode;
    detachIt(old, false);
    n->moveTo(old->left(), old->top(), true);
    if (deleteOld) delete old;
    return withRules ? entre(n, before, after) : atachIt(n, before, after, false);
}

// --- splitting, joining, dissolving ------------------------------------------------------------

splited container::split(field* f) {
    splited halves;
    const int at = std::min(std::max(f->getIndex(), 0), f->getLen());
    if (f->isStatic()) {
        std::unique_ptr<field> whole(cast<field>(f->copy()));
        auto empty = std::make_unique<field>("");
        halves.left = at != 0 ? std::move(whole) : std::move(empty);
        halves.right = at != 0 ? std::move(empty) : std::move(whole);
        return halves;
    }
    halves.left = std::make_unique<field>(f->getText(), at);
    halves.right = std::make_unique<field>(f->getText() + at, f->getLen() - at);
    halves.left->copyFont(f);
    halves.right->copyFont(f);
    return halves;
}

namespace {

// A truth value or an infinity shows a fixed text that no typing joins.
bool isStaticLeaf(nucleo* n) {
    auto* f = dynamic_cast<field*>(n);
    return f && f->isStatic();
}

}  // namespace

// Backspace at the start of a chain member f.
bool container::joinPrevious(field* f) {
    nucleo* p = f->previous();
    const bool prevIsMember = p && p->chained();
    if (f->getLen() > 0 && prevIsMember) {
        if ((isa<nominal>(p) && !isa<nominal>(f)) || isStaticLeaf(p)) {
            MessageBeep(0);
            return false;
        }
        const int plen = p->getLen();
        f->insert(p->getText(), plen, 0);
        // f is measured with its longer text before p leaves, so the lines
        // that close up behind p are laid out around f's new width.
        f->update();
        f->focusAt(plen);
        delete p;
        return true;
    }
    if (f->getLen() > 0) {
        auto* pred = dyn_cast<field>(f->predecessor());
        if (!pred) return false;
        if (pred->isStatic()) {
            MessageBeep(0);
            return false;
        }
        const int oldLen = pred->getLen();
        pred->insert(f->getText(), f->getLen(), oldLen);
        // Validating the joined text may validate f as well, or fold the
        // line so that f's leaving takes the joined node with it.
        nodeWatch fStays(f);
        nucleo* now = pred->validate();
        // The caret moves before f goes: deleting f may reshape what stands
        // around it, now included.
        if (now) {
            now->update();
            now->focusAt(std::min(oldLen, now->getLen()));
        }
        if (fStays.alive()) delete f;
        return true;
    }
    if (prevIsMember) {
        p->focusRight();
        delete f;
        return true;
    }
    if (nucleo* n = f->next(); n && n->chained()) {
        n->focusLeft();
        delete f;
        return true;
    }
    MessageBeep(0);
    return false;
}

// Delete at the end of a field that has a previous node.
bool container::joinNext(field* f) {
    nucleo* n = f->next();
    const bool nextIsMember = n && n->chained();
    if (f->getLen() > 0 && isStaticLeaf(nextIsMember && !n->isGroup() ? n : f->successor())) {
        MessageBeep(0);
        return false;
    }
    if (f->getLen() > 0 && nextIsMember && !n->isGroup()) {
        f->insert(n->getText(), n->getLen());
        delete n;
        return true;
    }
    if (f->getLen() > 0) {
        nucleo* succ = f->successor();
        if (!succ) return false;
        const int oldLen = f->getLen();
        f->insert(succ->getText(), succ->getLen(), oldLen);
        // As in joinPrevious: validation may take f or succ with it.
        nodeWatch succStays(succ);
        if (nucleo* now = f->validate()) {
            now->update();
            now->focusAt(std::min(oldLen, now->getLen()));
        }
        if (succStays.alive()) delete succ;
        return true;
    }
    if (nextIsMember) {
        n->focusLeft();
        delete f;
        return true;
    }
    if (nucleo* p = f->previous(); p && p->chained()) {
        p->focusRight();
        delete f;
        return true;
    }
    MessageBeep(0);
    return false;
}

// This container's members take its place in its parent.
bool container::dropOnParent(nucleo** anchor) {
    container* p = parentNode;
    if (!p || long(memberCount) + p->members() > long(p->maxMembers()) - 1) {
        MessageBeep(0);
        return false;
    }
    nucleo* following = nextNode;
    if (anchor) *anchor = previousNode;
    p->_detachIt(this, false, true);
    moveMembersInto(p, following);
    delete this;
    return true;
}

void container::moveMembersInto(container* p, nucleo* following) {
    while (memberCount > 0) {
        nucleo* m = first();
        _detachIt(m, false, false);
        // A member that finds no place in p goes with the outcome.
        placement::of(m, p->atachIt(m, following->previous(), following, true));
    }
}

void container::replaceAll(nucleo* pattern, nucleo* replacement) {
    nucleo* m = first();
    while (m && m->chained()) {
        nucleo* following = m->next();
        if (*m == *pattern)
            replace(m, adopt(replacement->copy()));
        else if (auto* g = dyn_cast<container>(m))
            g->replaceAll(pattern, replacement);
        m = following;
    }
}

}  // namespace tovimat
