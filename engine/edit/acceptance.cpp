// Whether a typed character is text or an operator that builds structure.
// The parent of the node holding the caret decides (validChar); operators are
// found by offering the character to every composite prototype in order
// (chkChar), and a prototype that takes it builds a copy of itself into the tree.
#include <string_view>

#include "model/document.h"
#include "model/shared.h"
#include "platform/messages.h"
#include "platform/vkeys.h"

namespace tovimat {

namespace {

int caretOf(const nucleo* n) {
    protocol* root = n->getRoot();
    return root ? root->caretIndex() : 0;
}

std::string_view textOf(const nucleo* n) { return {n->getText(), size_t(n->getLen())}; }

bool selfDelimiting(const nucleo* n) {
    const auto* c = dyn_cast<container>(n);
    return c && c->envolv();
}

// The leaf at one end of a subtree. Leaves that have been validated keep
// their identity when the insertion rules move, flatten or lift their
// containers, so they are what an edit holds on to across such moves.
nucleo* edgeLeaf(nucleo* n, bool rightEnd) {
    while (auto* c = dyn_cast<container>(n)) {
        if (c->members() == 0) break;
        n = rightEnd ? c->last() : c->first();
    }
    return n;
}

// Wraps a loosely binding composite in parentheses before it becomes the
// operand of an operator that does not delimit itself.
nucleo* operandFor(const container* op, nucleo* x) {
    if (x->isGroup() && !selfDelimiting(x) && !op->envolv() && x->priority() < op->priority())
        return new parentesis(x);
    return x;
}

}  // namespace

// --- the prototype scan ------------------------------------------------------------------------

bool container::validChar(field* child, int c) {
    const list& protos = shared::prototypeList();
    for (nucleo* p = protos.first(); p && p->chained(); p = p->next())
        if (auto* g = dyn_cast<container>(p); g && g->chkChar(child, c)) return false;
    return true;
}

bool container::validChar(container* child, int c) {
    const list& protos = shared::prototypeList();
    for (nucleo* p = protos.first(); p && p->chained(); p = p->next())
        if (auto* g = dyn_cast<container>(p); g && g->chkChar(child, c)) return false;
    return true;
}

// Typing a composite's own separator adds a member instead of nesting:
// "+" inside a term of a sum adds a term, "," inside a list an element.
bool list::validChar(field* f, int c) {
    if (separatorNode.getLen() > 0 && c == (unsigned char)separatorNode.getText()[0] &&
        long(memberCount) + 1 < maxMembers()) {
        // The halves may be validated into other nodes as they go in: find
        // the right one again by its place.
        splited halves = split(f);
        nucleo* following = f->next();
        insertBefore(std::move(halves.left), f);
        replace(f, std::move(halves.right));
        nucleo::update();
        following->previous()->focusLeft();
        return false;
    }
    return container::validChar(f, c);
}

bool list::validChar(container* x, int c) {
    if (separatorNode.getLen() > 0 && c == (unsigned char)separatorNode.getText()[0] &&
        long(memberCount) + 1 < maxMembers()) {
        const int at = caretOf(x);
        if (at == 1) {
            MessageBeep(MB_ICONERROR);
            return false;
        }
        auto slot = std::make_unique<field>("");
        field* typed = slot.get();
        if (!(at == 2 ? insertAfter(std::move(slot), x) : insertBefore(std::move(slot), x))) return false;
        typed->focusLeft();
        return false;
    }
    return container::validChar(x, c);
}

// --- closing brackets ------------------------------------------------------------------------------

namespace {

// The composite after which a closing bracket c puts the caret when c is
// typed inside `inside`, having come up from its member `from`: a
// parenthesis, or the argument list of a function (then the caret goes after
// the whole function); a bracketed list; a set.
container* closedBy(container* inside, const nucleo* from, int c) {
    switch (c) {
        case ')':
            if (isa<parentesis>(inside) || isa<argument>(inside)) {
                container* owner = inside->parent();
                return owner && owner->isFunc() ? owner : inside;
            }
            // A user function without an argument list draws the parentheses
            // itself; its name is not inside them.
            if (isa<userFunc>(inside) && from != inside->head()) return inside;
            return nullptr;
        case ']':
            return inside->type() == typeId::list ? inside : nullptr;
        case '}':
            return isa<enumSet>(inside) ? inside : nullptr;
        default:
            return nullptr;
    }
}

// The innermost composite around the caret at n that c closes. A composite
// with the caret inside its empty member chain counts as around it.
container* enclosingClosedBy(nucleo* n, int c) {
    const nucleo* from = n;
    container* inside = n->parent();
    if (isa<container>(n) && n->getIndex() == 1) {
        from = nullptr;
        inside = cast<container>(n);
    }
    for (; inside; from = inside, inside = inside->parent())
        if (container* closed = closedBy(inside, from, c)) return closed;
    return nullptr;
}

}  // namespace

bool nucleo::closeBracket(int c) {
    if (c != ')' && c != ']' && c != '}') return false;
    protocol* root = rootDoc;
    if (!root || !enclosingClosedBy(this, c)) {
        MessageBeep(0);
        return true;
    }
    // Validation may put another node in this one's place, and gives it the
    // caret when it can: the search starts again from there.
    nucleo* now = isGroup() ? this : revalidate();
    if (nucleo* focus = root->focused()) now = focus;
    if (!now) return true;
    if (container* closed = enclosingClosedBy(now, c)) closed->focusRight();
    return true;
}

// --- a prototype taking a character typed in a field ----------------------------------------------

bool container::chkChar(field* f, int c) const {
    const std::string_view head = headNode.view();
    const int n = int(head.size());
    const int at = caretOf(f);

    // "log", "sin"... followed by a space (or a completed name).
    if (n > 1) {
        if ((c == 0 || c == openingKey()) && n <= at && textOf(f).substr(0, size_t(n)) == head) {
            std::unique_ptr<container> built(clone());
            container* made = built.get();
            made->copyFont(f);
            container* owner = f->parent();
            if (!f->previous()) {
                // The editable name of a user function: its members move over.
                f->killFocus();
                made->insertAfterFrom(made->head(), owner->first(), owner->members());
                if (!owner->replaceWith(std::move(built))) return true;
                made->remeasure();
                made->first()->focusLeft();
                return true;
            }
            made->lput(owner->split(f).right);
            if (!f->replaceWith(std::move(built))) return true;
            while (made->members() < made->minMembers()) {
                auto slot = std::make_unique<field>("");
                field* empty = slot.get();
                if (!made->lput(std::move(slot))) break;
                empty->update();
            }
            if (made->members() > 0) made->first()->focusLeft();
            return true;
        }
        return false;
    }
    // A field outside a chain (the editable name of a user function) takes
    // every character as text: no operator is built there.
    if (!f->chained()) return false;
    container* owner = f->parent();

    // A one-character opening: "(", "[", "{", "-"... and the relations.
    if (n == 1 && c == (unsigned char)head[0]) {
        std::unique_ptr<container> directive(conjugacao());
        if (!directive && at != 0) return false;
        std::unique_ptr<container> made(clone());
        made->copyFont(f);
        splited halves = owner->split(f);
        if (directive) {
            made->lput(std::move(halves.right));
            nucleo* rhs = edgeLeaf(made->first(), false);
            directive->lput(std::move(halves.left));
            nucleo* lhs = edgeLeaf(directive->first(), true);
            // Refused, the field stays as it was.
            if (!directive->lput(std::move(made))) return true;
            if (!f->replaceWith(std::move(directive))) return true;
            lhs->update();
            rhs->update();
            rhs->focusAt(0);
            return true;
        }
        made->lput(std::move(halves.right));
        nucleo* inner = edgeLeaf(made->first(), false);
        if (!owner->replace(f, std::move(made))) return true;
        inner->update();
        inner->focusAt(0);
        return true;
    }

    // An infix operator: the text before the caret becomes the left operand.
    if (n == 0 && c == openingKey()) {
        std::unique_ptr<container> made(clone());
        made->copyFont(f);
        splited halves = owner->split(f);
        const bool leftHasText = halves.left->getLen() > 0;
        made->lput(std::move(halves.left));
        made->lput(std::move(halves.right));
        nucleo* leftEnd = edgeLeaf(made->first(), true);
        nucleo* rightStart = edgeLeaf(made->last(), false);
        if (!owner->replace(f, std::move(made))) return true;
        leftEnd->update();
        rightStart->update();
        if (leftHasText)
            rightStart->focusLeft();
        else
            leftEnd->focusRight();
        return true;
    }
    return false;
}

// --- a prototype taking a character typed next to a composite ---------------------------------------

bool container::chkChar(container* x, int c) const {
    const std::string_view head = headNode.view();
    const int at = caretOf(x);
    container* owner = x->parent();
    if (!owner) return false;

    if (!head.empty() && c == (unsigned char)head[0]) {
        if (head.size() > 1) return false;
        if (priority() < owner->priority() && (x != owner->last() || at != 2)) {
            // No place for an operator this loose here: the key is refused.
            MessageBeep(0);
            return true;
        }
        if (at == 2 && separatorNode.getLen() == 0) {
            std::unique_ptr<container> directive(conjugacao());
            if (!directive) return false;
            std::unique_ptr<container> made(clone());
            auto slot = std::make_unique<field>("");
            field* typed = slot.get();
            made->lput(std::move(slot));
            nucleo* before = x->previous();
            directive->moveTo(x->left(), x->top(), true);
            owner->_detachIt(x, false, true);
            directive->entre(x, directive->last(), directive->tail());
            directive->lput(std::move(made));
            if (!insertAfter(std::move(directive), before)) return true;
            typed->focusLeft();
            return true;
        }
        if (at == 0) {
            std::unique_ptr<container> made(clone());
            nucleo* before = x->previous();
            made->moveTo(x->left(), x->top(), true);
            owner->_detachIt(x, false, true);
            made->entre(x, made->last(), made->tail());
            if (!insertAfter(std::move(made), before)) return true;
            x->focusLeft();
            return true;
        }
        MessageBeep(0);
        return false;
    }

    if (head.empty() && c == openingKey()) {
        if (at != 0 && at != 2) return false;
        std::unique_ptr<container> made(clone());
        auto slot = std::make_unique<field>("");
        field* typed = slot.get();
        nucleo* before = x->previous();
        made->moveTo(x->left(), x->top(), true);
        owner->_detachIt(x, false, true);
        nucleo* operand = operandFor(made.get(), x);
        if (at == 2) {
            made->entre(operand, made->last(), made->tail());
            made->lput(std::move(slot));
        } else {
            made->lput(std::move(slot));
            made->entre(operand, made->last(), made->tail());
        }
        if (!insertAfter(std::move(made), before)) return true;
        if (at == 2)
            typed->focusRight();
        else
            typed->focusLeft();
        return true;
    }
    return false;
}

// --- class-specific acceptance -----------------------------------------------------------------------

// "-" makes a negated term: a-b becomes the sum of a and the negation of b.
bool negation::chkChar(field* f, int c) const {
    if (c != (unsigned char)headNode.getText()[0] || headNode.getLen() == 0) return false;
    if (!f->chained()) {
        // The editable name of a user function takes no sign.
        MessageBeep(0);
        return true;
    }
    container* owner = f->parent();
    std::unique_ptr<container> made(clone());
    made->copyFont(f);
    splited halves = owner->split(f);
    made->lput(std::move(halves.right));
    nucleo* operand = edgeLeaf(made->first(), false);
    std::unique_ptr<container> replacement;
    if (halves.left->getLen() > 0) {
        replacement.reset(conjugacao());
        replacement->lput(std::move(halves.left));
        replacement->lput(std::move(made));
    } else {
        made->moveTo(f->left(), f->top(), true);
        replacement = std::move(made);
    }
    if (!f->replaceWith(std::move(replacement))) return true;
    operand->update();
    operand->focusAt(0);
    return true;
}

bool negation::toPlusOrMinus(nucleo* child, int c) {
    if (c != '/' || child->getIndex() != 0 || child != first()) return false;
    if (isa<plusOrMinus>(this) || !chained()) {
        // Already plus-or-minus, or not in a line: nothing to turn into.
        MessageBeep(0);
        return true;
    }
    // The operand moves as it was typed, keeping the caret: a pending edit
    // is validated when the caret leaves it, not as it moves here (which
    // would put another node in its place).
    auto* pending = dyn_cast<field>(child);
    const bool wasChanged = pending && pending->isChanged();
    if (pending) pending->setChanged(false);
    _detachIt(child, false, true);
    auto pm = std::make_unique<plusOrMinus>();
    pm->entre(child, pm->last(), pm->tail());
    if (!replaceWith(std::move(pm))) return true;
    if (pending) pending->setChanged(wasChanged);
    child->focusLeft();
    return true;
}

bool negation::validChar(field* child, int c) {
    return toPlusOrMinus(child, c) ? false : list::validChar(child, c);
}

bool negation::validChar(container* child, int c) {
    return toPlusOrMinus(child, c) ? false : list::validChar(child, c);
}

// "(" after a name makes a user function of that name; before text, parentheses.
bool parentesis::chkChar(field* f, int c) const {
    if (c != '(') return false;
    if (!f->chained()) {
        MessageBeep(MB_ICONERROR);
        return true;
    }
    if (caretOf(f) == 0) return container::chkChar(f, c);
    container* owner = f->parent();
    splited halves = owner->split(f);
    auto made = std::make_unique<userFunc>(halves.left->getText(), halves.left->getLen());
    userFunc* fn = made.get();
    fn->lput(std::move(halves.right));
    if (!f->replaceWith(std::move(made))) return true;
    protocol* root = fn->getRoot();
    if (root) {
        fn->remeasure();
        nucleo* lastMember = fn->last();
        if (lastMember->chained() && isa<argument>(lastMember))
            cast<argument>(lastMember)->first()->focusLeft();
        else
            fn->focusRight();
    }
    // A known name ("sin") turns the function into its own class, which
    // then takes the "(" as typed.
    field* name = fn->nameField();
    if (fn->validate(name) != name && root)
        if (nucleo* now = root->focused()) now->putChar('(');
    return true;
}

// --- relation pairs: a second character right after the operator ------------------------------------

bool equal::validChar(field* child, int c) {
    if (c == '>' && rewriteAtStart<resolution, implication>(child)) return false;
    return list::validChar(child, c);
}

bool equal::validChar(container* child, int c) {
    if (c == '>' && rewriteAtStart<resolution, implication>(child)) return false;
    return list::validChar(child, c);
}

bool greater::validChar(field* child, int c) {
    if (c == '=' && rewriteAtStart<simplification, greatOrEqual>(child)) return false;
    return list::validChar(child, c);
}

bool greater::validChar(container* child, int c) {
    if (c == '=' && rewriteAtStart<simplification, greatOrEqual>(child)) return false;
    return list::validChar(child, c);
}

bool lessThan::validChar(field* child, int c) {
    if (c == '=' && rewriteAtStart<simplification, lessOrEqual>(child)) return false;
    if (c == '>' && rewriteAtStart<simplification, notEqual>(child)) return false;
    return list::validChar(child, c);
}

bool lessThan::validChar(container* child, int c) {
    if (c == '=' && rewriteAtStart<simplification, lessOrEqual>(child)) return false;
    if (c == '>' && rewriteAtStart<simplification, notEqual>(child)) return false;
    return list::validChar(child, c);
}

bool lessOrEqual::validChar(field* child, int c) {
    if (c == '>' && rewriteAtStart<resolution, equivalence>(child)) return false;
    return list::validChar(child, c);
}

bool lessOrEqual::validChar(container* child, int c) {
    if (c == '>' && rewriteAtStart<resolution, equivalence>(child)) return false;
    return list::validChar(child, c);
}

// --- Backspace and Delete at the edges of the first and last member ------------------------------------

bool container::validKey(nucleo* x, int key) {
    const int at = caretOf(x);
    const bool backspace = key == VK_BACK;
    if (backspace) {
        if (at != 0 || x != first() || headNode.getLen() == 0) return true;
        if (readOnly) return false;
    } else if (key == VK_DELETE) {
        if (x != last() || tailNode.getLen() == 0 || at != x->getLen()) return true;
    } else {
        return true;
    }

    if (memberCount == 1 && !x->isGroup()) {
        if (x->getLen() == 0) {
            // An empty only member: the whole node goes.
            nucleo* before = predecessor();
            nucleo* after = successor();
            delete this;
            nucleo* first = backspace ? before : after;
            nucleo* second = backspace ? after : before;
            if (first)
                (first == before) ? first->focusRight() : first->focusLeft();
            else if (second)
                (second == before) ? second->focusRight() : second->focusLeft();
            return false;
        }
        if (composition()) {
            auto* f = cast<field>(x);
            if (backspace ? joinPrevious(f) : joinNext(f)) return false;
        }
    } else if (parentNode && parentNode->composed()) {
        MessageBeep(0);
        return false;
    }

    // Dissolve this node into its parent: the delimiter goes, the content stays.
    container* p = parentNode;
    if (!p) return true;
    if (long(p->members()) + memberCount - 1 > p->maxMembers()) {
        MessageBeep(0);
        return false;
    }
    // The caret goes to the first leaf of what moved, found again from the
    // node before it (moving may validate members into other nodes).
    const bool landsInside = x->previous() && x->previous()->successor();
    nucleo* before = x->predecessor();
    nucleo* following = nextNode;
    nucleo* anchor = previousNode;
    p->_detachIt(this, false, true);
    moveMembersInto(p, following);
    delete this;
    nucleo* landing = landsInside && anchor ? anchor->successor() : nullptr;
    if (landing)
        landing->focusLeft();
    else if (before)
        before->focusRight();
    return false;
}

}  // namespace tovimat
