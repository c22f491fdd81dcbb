// Taking and releasing the caret, moving it through the tree, and toggling
// the selection.
#include "model/document.h"
#include "platform/messages.h"

namespace tovimat {

namespace {

template <typename F>
void forMembers(const container* c, F f) {
    nucleo* m = c->first();
    while (m && m->chained()) {
        nucleo* following = m->next();
        f(m);
        m = following;
    }
}

}  // namespace

// --- taking and dropping the caret -------------------------------------------------------

void nucleo::focusAt(int index) {
    if (rootDoc) rootDoc->caretAt(this, index);
}

void nucleo::focusAt(int index, int x) {
    protocol* root = rootDoc;
    if (!root) return;
    if (nucleo* current = root->focused(); current && current != this) {
        // Letting go validates the pending edit of the node that holds the
        // caret. That may restructure the line around it, delete this node or
        // take it out of the document: then nothing is left to take the caret.
        nodeWatch self(this);
        const bool stood = current->focusOut();
        if (!self.alive() || (!parentNode && this != root->getBase())) return;
        // Otherwise the line has been laid out anew: measure the place again.
        if (!stood && root->focused() != this) return focusAt(index);
    }
    if (root->focused() != this) {
        root->createCaret(3, rect.bottom - rect.top);
        root->setFocused(this);
        root->showCaret();
    }
    if (int* caret = root->caretIndexRef()) *caret = index;
    root->setCaretPos(rect.left + x, rect.top);
}

void nucleo::refocus() {
    if (!rootDoc) return;
    container::settleAll();
    int index = rootDoc->caretIndex();
    killFocus();
    focusAt(index);
}

bool nucleo::focusOut() {
    killFocus();
    return true;
}

void nucleo::killFocus() {
    if (!rootDoc) {
        MessageBoxA(nullptr, "No root!...", "Debug", MB_ICONERROR);
        return;
    }
    if (rootDoc->focused() != this) return;
    rootDoc->hideCaret();
    rootDoc->setFocused(nullptr);
}

// A composite's caret index: 0 before it, 1 inside it when empty, 2 after it.
void container::focusAt(int index) {
    switch (index) {
        case 0: nucleo::focusAt(0, 0); break;
        case 1: nucleo::focusAt(1, headNode.Width()); break;
        default: nucleo::focusAt(2, rect.Width()); break;
    }
}

void container::refocus() {
    if (!rootDoc) return;
    settleAll();
    int index = rootDoc->caretIndex();
    focusOut();
    focusAt(index);
}

bool container::focusOut() {
    killFocus();
    return true;
}

// A focused composite is drawn highlighted, so losing the caret repaints it.
void container::killFocus() {
    nucleo::killFocus();
    if (rootDoc) rootDoc->invalidate(this);
}

// --- caret travel ------------------------------------------------------------------------------

void extremo::focusLeft() {
    if (!readOnly) return nucleo::focusAt(0);
    if (!parentNode) return;
    if (previousNode)
        parentNode->focusRight();
    else
        parentNode->focusLeft();
}

void extremo::focusRight() {
    if (!readOnly) return nucleo::focusAt(getLen());
    if (!parentNode) return;
    if (nextNode)
        parentNode->focusLeft();
    else
        parentNode->focusRight();
}

void container::focusLeft() {
    if (memberCount > 0)
        first()->focusLeft();
    else
        focusAt(0);
}

void container::focusRight() {
    if (memberCount > 0)
        last()->focusRight();
    else
        focusAt(getLen());
}

void list::focusLeft() {
    invalidateArea();
    nucleo::focusAt(0, 0);
}

void list::focusRight() {
    invalidateArea();
    nucleo::focusAt(2, rect.Width());
}

// Inside a function's argument list the caret leaves through the name on the
// left and after the function on the right. An argument list that stands on
// its own (its function was dissolved) is crossed like any composite.
void argument::focusLeft() {
    if (!parentNode || !parentNode->isFunc()) return list::focusLeft();
    if (rootDoc && rootDoc->focused() == first()) {
        parentNode->head()->focusRight();
        return;
    }
    if (memberCount > 0) first()->focusLeft();
}

void argument::focusRight() {
    if (!parentNode || !parentNode->isFunc()) return list::focusRight();
    if (rootDoc && rootDoc->focused() == last()) {
        parentNode->focusRight();
        return;
    }
    if (memberCount > 0) last()->focusRight();
}

// --- selection -----------------------------------------------------------------------------------

void nucleo::unselect() {
    if (rootDoc)
        if (selection* list = rootDoc->selectionList()) list->remove(this);
}

namespace {

// Toggles n in the selection when its box lies inside the rubber band.
bool toggleInside(nucleo* n, protocol* root) {
    aRect* band = root->selectionRect();
    selection* list = root->selectionList();
    if (!band || !list || !band->contains(n->getRect())) return false;
    if (!list->remove(n)) list->add(n);
    return true;
}

}  // namespace

void nucleo::chkSelRect() {
    if (readOnly || !rootDoc) return;
    toggleInside(this, rootDoc);
}

// A container inside the band toggles as a whole and hides its members.
void container::chkSelRect() {
    if (!rootDoc) return;
    if (!readOnly && parentNode && toggleInside(this, rootDoc)) return;
    forMembers(this, [](nucleo* m) { m->chkSelRect(); });
}

void container::parentSel() {
    unselect();
    forMembers(this, [](nucleo* m) { m->parentSel(); });
}

void container::enterSel() {
    forMembers(this, [](nucleo* m) { m->parentSel(); });
}

}  // namespace tovimat
