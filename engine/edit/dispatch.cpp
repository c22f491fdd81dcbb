// Keys and characters that reach a composite holding the caret. A composite's
// caret index is 0 before it, 1 inside it when it is empty, 2 after it.
#include <cctype>

#include "model/document.h"
#include "platform/messages.h"
#include "platform/vkeys.h"

namespace tovimat {

namespace {

void markModified(nucleo* n) {
    if (protocol* root = n->getRoot()) root->setModified(true);
}

// Moves the caret to the leaf before or after in document order, keeping
// the column as a character index.
void caretVertically(nucleo* n, int key, int at) {
    nucleo* target = key == VK_UP ? n->predecessor() : n->successor();
    if (target)
        target->focusAt(std::min(at, target->getLen()));
    else if (key == VK_UP)
        n->focusLeft();
    else
        n->focusRight();
}

}  // namespace

// --- plain containers and pages ---------------------------------------------------------------

bool container::putKey(int key) {
    const int at = getIndex();
    switch (key) {
        case VK_END:
            if (at == 2 && parentNode)
                parentNode->focusRight();
            else
                focusRight();
            return false;
        case VK_HOME:
            if (at == 0 && parentNode)
                parentNode->focusLeft();
            else
                focusLeft();
            return false;
        case VK_LEFT:
            headNode.next()->focusLeft();
            return false;
        case VK_RIGHT:
            tailNode.previous()->focusRight();
            return false;
        default:
            return true;
    }
}

bool container::putChar(int c) {
    if (closeBracket(c)) return false;
    MessageBeep(MB_ICONERROR);
    return false;
}

// --- composites --------------------------------------------------------------------------------

bool list::putKey(int key) {
    const int at = getIndex();
    if (at != 1 && parentNode && !parentNode->validKey(this, key)) return false;
    switch (key) {
        case VK_LEFT:
            if (at == 0) {
                if (previousNode) previousNode->focusRight();
            } else if (at == 1) {
                focusLeft();
            } else if (memberCount > 0) {
                last()->focusRight();
            } else {
                focusAt(1);
            }
            return false;
        case VK_RIGHT:
            if (at == 0) {
                if (memberCount > 0)
                    first()->focusLeft();
                else
                    focusAt(1);
            } else if (at == 1) {
                focusRight();
            } else if (nextNode) {
                nextNode->focusLeft();
            }
            return false;
        case VK_HOME:
            if (at == 0 && parentNode)
                parentNode->focusLeft();
            else
                focusLeft();
            return false;
        case VK_END:
            if (at == 2 && parentNode)
                parentNode->focusRight();
            else
                focusRight();
            return false;
        case VK_UP:
        case VK_DOWN:
            caretVertically(this, key, at);
            return false;
        case VK_BACK:
            if (at != 2) {
                MessageBeep(MB_ICONERROR);
                return false;
            }
            if (readOnly) {
                MessageBeep(0);
                return true;
            }
            return deleteWhole(true);
        case VK_DELETE:
            if (readOnly) {
                MessageBeep(0);
                return true;
            }
            if (at == 0 && chained()) return deleteWhole(false);
            MessageBeep(MB_ICONERROR);
            return false;
        default:
            return true;
    }
}

// The neighbour on the side the key points away from takes the caret; an
// only member leaves an empty slot behind.
bool list::deleteWhole(bool backspace) {
    markModified(this);
    container* p = parentNode;
    if (!p) return false;
    nucleo* before = previousNode;
    nucleo* after = nextNode;
    // The caret moves before this list goes: deleting it may reshape what
    // stands around it (a shared value it showed elsewhere may go back to
    // being a plain node, the neighbour included).
    if (p->members() > p->minMembers()) {
        if (backspace && before)
            before->focusRight();
        else if (!backspace && after)
            after->focusLeft();
        delete this;
        return false;
    }
    nucleo* first = backspace ? before : after;
    nucleo* second = backspace ? after : before;
    for (nucleo* n : {first, second}) {
        if (n && n->chained()) {
            if (n == before)
                n->focusRight();
            else
                n->focusLeft();
            delete this;
            return false;
        }
    }
    auto empty = std::make_unique<field>("");
    field* slot = empty.get();
    if (replaceWith(std::move(empty))) slot->focusRight();
    return false;
}

bool list::putChar(int c) {
    if (closeBracket(c)) return false;
    const int at = getIndex();
    if (at == 1) {
        auto slot = std::make_unique<field>("");
        field* f = slot.get();
        if (!lput(std::move(slot))) return true;
        f->copyFont(this);
        f->focusLeft();
        f->putChar(c);
        return true;
    }
    if (at == 0 && std::isalpha(static_cast<unsigned char>(c)) && parentNode) {
        // A letter before a composite starts the name of a user function
        // whose argument is the composite.
        auto made = std::make_unique<userFunc>();
        userFunc* fn = made.get();
        nucleo* before = previousNode;
        container* p = parentNode;
        p->_detachIt(this, false, true);
        fn->moveTo(rect.left, rect.top, false);
        fn->entre(this, fn->last(), fn->tail());
        if (!insertAfter(std::move(made), before)) return true;
        fn->head()->update();
        update();
        fn->head()->focusLeft();
        fn->head()->putChar(c);
        return true;
    }
    // A character that no operator takes next to a composite would be text,
    // and a composite has none.
    if (!parentNode || parentNode->validChar(this, c)) MessageBeep(0);
    return false;
}

// Right before a function the caret steps into its name.
bool userFunc::putKey(int key) {
    if (getIndex() == 0 && key == VK_RIGHT) {
        headNode.focusLeft();
        return true;
    }
    return list::putKey(key);
}

// --- relations -------------------------------------------------------------------------------------

// The relation's right-hand side moves into the replacement, which becomes
// the first member of the new directive; the left-hand side follows when the
// old directive held only the two of them, and the new directive then takes
// the old one's place.
void compos::xform(std::unique_ptr<resolution> target, std::unique_ptr<unaryOp> replacement) {
    nucleo* side = first();
    bool hasSide = side && side->chained();
    // A side still being typed moves as it is: validating it on the way
    // would put another node in its place, the one the caret is meant for.
    auto* pending = hasSide ? dyn_cast<field>(side) : nullptr;
    const bool wasChanged = pending && pending->isChanged();
    if (pending) pending->setChanged(false);
    if (hasSide) detachIt(side, false);
    if (hasSide) replacement->atachIt(side, replacement->head(), replacement->first(), true);
    if (target->atachIt(replacement.get(), target->head(), target->first(), true)) replacement.release();
    nucleo* toReplace = this;
    container* p = parentNode;
    if (p && p->members() == 2) {
        nucleo* lhs = p->first();
        p->detachIt(lhs, false);
        target->entre(lhs, target->head(), target->first());
        target->moveTo(p->left(), p->top(), true);
        toReplace = p;
    }
    if (!toReplace->replaceWith(std::move(target))) return;
    if (pending) pending->setChanged(wasChanged);
    if (hasSide) {
        side->update();
        side->focusLeft();
    }
}

bool compos::putChar(int c) {
    if (c == '<' || c == '=' || c == '>') {
        // No pair that this relation makes with c.
        MessageBeep(0);
        return false;
    }
    return container::putChar(c);
}

// Right before the operator, a second relation character rewrites it:
// "<" before "=" makes less-or-equal, ">" before "=" greater-or-equal.
bool equal::putChar(int c) {
    if (getIndex() == 0 && c == '<') {
        xform(std::make_unique<simplification>(), std::make_unique<lessOrEqual>());
        return false;
    }
    if (getIndex() == 0 && c == '>') {
        xform(std::make_unique<simplification>(), std::make_unique<greatOrEqual>());
        return false;
    }
    return compos::putChar(c);
}

bool greater::putChar(int c) {
    if (getIndex() == 0 && c == '<') {
        xform(std::make_unique<simplification>(), std::make_unique<notEqual>());
        return false;
    }
    return compos::putChar(c);
}

bool implication::putChar(int c) {
    if (getIndex() == 0 && c == '<') {
        xform(std::make_unique<resolution>(), std::make_unique<equivalence>());
        return false;
    }
    return compos::putChar(c);
}

// Delete before "<=>" leaves "=>".
bool equivalence::putKey(int key) {
    if (key == VK_DELETE && getIndex() == 0) {
        xform(std::make_unique<resolution>(), std::make_unique<implication>());
        return false;
    }
    return list::putKey(key);
}

}  // namespace tovimat
