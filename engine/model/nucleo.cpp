#include "model/nucleo.h"

#include <cstring>
#include <stdexcept>

#include "model/container.h"
#include "model/document.h"
#include "model/step_origin.h"
#include "platform/messages.h"

namespace tovimat {

int nodeMessage(const nucleo* n, const char* text, const char* caption, UINT style) {
    if (n && n->getRoot()) return n->getRoot()->message(text, caption, style);
    return MessageBoxA(nullptr, text, caption, style);
}

nodeWatch* nodeWatch::innermost = nullptr;

nodeWatch::nodeWatch(const nucleo* n) : node(n), outer(innermost) { innermost = this; }

nodeWatch::~nodeWatch() { innermost = outer; }

void nodeWatch::forget(const nucleo* n) {
    for (nodeWatch* w = innermost; w; w = w->outer)
        if (w->node == n) w->node = nullptr;
}

nucleo::nucleo(protocol* root) : rootDoc(root), font(stockDefaultFont()) {
    if (!font) throw std::runtime_error("the platform has no device-default font");
}

nucleo::~nucleo() {
    // Nothing shared may go on pointing at a deleted node.
    if (protocol::mouseOn == this) protocol::mouseOn = nullptr;
    if (protocol::dropTarget == this) protocol::dropTarget = nullptr;
    nodeWatch::forget(this);
    if (originOnRecord_) dropOrigin(this);
    if (rootDoc) {
        rootDoc->invalidate(this);
        if (rootDoc->focused() == this) killFocus();
        if (selection* list = rootDoc->selectionList()) list->remove(this);
    }
    DeleteObject(font);
    font = nullptr;
    if (parentNode) detach();
}

int nucleo::getLen() const { return int(std::strlen(getText())); }

// Read-only spreads upward; an ancestor that already is read-only has
// spread it further already (and a user function's name would otherwise
// bounce it back and forth with its function).
void nucleo::setReadOnly(bool b) {
    readOnly = b;
    if (b && parentNode && !parentNode->readOnly) parentNode->setReadOnly(true);
}

void nucleo::setRoot(protocol* root) {
    if (rootDoc && rootDoc->focused() == this) killFocus();
    rootDoc = root;
}

bool nucleo::slide(int dx, int dy, bool invalidate) {
    if (invalidate && rootDoc && dx != 0 && dy != 0) rootDoc->invalidate(this);
    if (dx != 0 || dy != 0) {
        if (parentNode) parentNode->memberChanging(this);
        boxChanged();
    }
    rect.OffsetRect(POINT{dx, dy});
    return true;
}

void nucleo::update(HDC dc) {
    container::DeferredSlides deferred;
    updateFrom(dc, nullptr, aRect(), layoutEpoch());
}

void nucleo::updateFrom(HDC dc, nucleo* changed, const aRect& before, std::uint64_t start) {
    const aRect mine = rect;
    auto* self = changed ? dyn_cast<container>(this) : nullptr;
    if (self) self->memberRemeasured(changed, before, start);
    measure(dc);
    if (self) self->memberRemeasured(nullptr, aRect(), 0);
    // Inside a shared value the climb goes on from every place showing it.
    if (parentNode && parentNode->isRef())
        parentNode->updateRefs(dc);
    else if (parentNode)
        parentNode->updateFrom(dc, this, mine, start);
    else
        container::settleAll();
    if (rootDoc && rootDoc->focused() == this) refocus();
}

void nucleo::update() {
    if (rootDoc) rootDoc->updateOn(this);
}

void nucleo::measure() {
    if (rootDoc) rootDoc->measureOn(this);
}

void nucleo::remeasure() {
    if (rootDoc)
        rootDoc->remeasureOn(this);
    else
        MessageBeep(0);
}

bool nucleo::refers(nucleo* x) { return *x == *this; }

results nucleo::simplify(int) { return results(copy(), nullptr, 0); }

results nucleo::calculate() { return results(copy(), nullptr, 0); }

bool nucleo::operator==(nucleo& x) {
    if (x.type() == typeId::typeProbe) return x.igualA(this);
    return igualA(&x);
}

nucleo* nucleo::expression() {
    nucleo* n = this;
    while (n->parentNode && n->parentNode->parentNode) n = n->parentNode;
    return n;
}

int nucleo::level() const {
    int depth = 0;
    for (const container* p = parentNode; p; p = p->parentNode) ++depth;
    return depth;
}

nucleo* nucleo::predecessor() {
    nucleo* cur = this;
    while (cur->parentNode) {
        nucleo* p = cur->previousNode;
        if (p && p->chained()) {
            auto* g = dyn_cast<container>(p);
            if (!g) return p;
            cur = g->tail();
        } else {
            cur = cur->parentNode;
        }
    }
    return nullptr;
}

nucleo* nucleo::successor() {
    nucleo* cur = this;
    while (cur->parentNode) {
        nucleo* n = cur->nextNode;
        if (n && n->chained()) {
            auto* g = dyn_cast<container>(n);
            if (!g) return n;
            cur = g->head();
        } else {
            cur = cur->parentNode;
        }
    }
    return nullptr;
}

bool nucleo::putAfter(nucleo* x) {
    if (!x || !x->parentNode) return false;
    return x->parentNode->entre(this, x, x->nextNode);
}

bool nucleo::putBefore(nucleo* x) {
    if (!x || !x->parentNode) return false;
    return x->parentNode->entre(this, x->previousNode, x);
}

bool nucleo::_putAfter(nucleo* x) {
    if (!x || !x->parentNode) return false;
    return x->parentNode->atachIt(this, x, x->nextNode, true);
}

bool nucleo::_putBefore(nucleo* x) {
    if (!x || !x->parentNode) return false;
    return x->parentNode->atachIt(this, x->previousNode, x, true);
}

bool nucleo::detach() {
    if (!chained() || !atached()) return false;
    parentNode->detachIt(this, true);
    return true;
}

bool nucleo::replaceWith(nucleo* n) {
    if (!chained() || !atached()) {
        MessageBeep(0);
        return false;
    }
    return parentNode->replace(this, n, true);
}

bool nucleo::_replaceWith(nucleo* n) {
    if (!parentNode) return false;
    return parentNode->_replace(this, n, true);
}

void nucleo::moveTo(int x, int y, bool invalidate) { slide(x - rect.left, y - rect.top, invalidate); }

// Copies of this node's siblings go around the anchor in their own order, so
// that a non-commutative parent (a quotient, a power) keeps its operands in
// place. They are inserted against the anchor's neighbours of the moment the
// call starts, which stay put whatever the insertion rules do to the copies.
void nucleo::copychain(nucleo* anchor) {
    if (!anchor || !anchor->chained()) return;
    nucleo* following = anchor->nextNode;
    nucleo* preceding = anchor->previousNode;
    for (nucleo* s = nextNode; s && s->chained(); s = s->nextNode) insertBefore(adopt(s->copy()), following);
    for (nucleo* s = previousNode; s && s->chained(); s = s->previousNode) insertAfter(adopt(s->copy()), preceding);
}

nucleo* nucleo::addchain(nucleo* n) {
    if (!parentNode) return n;
    container* clone = parentNode->clone();
    clone->entre(n, clone->last(), clone->tail());
    copychain(clone->first());
    return clone;
}

int nucleo::getIndex() const {
    if (!rootDoc) {
        MessageBoxA(nullptr, "no root", "Debug", MB_ICONERROR);
        return 0;
    }
    return rootDoc->caretIndex();
}

nucleo* nucleo::getFocus() const { return rootDoc ? rootDoc->focused() : nullptr; }

void nucleo::hideFocus() {
    if (rootDoc) rootDoc->hideCaret();
}

void nucleo::showFocus() {
    if (rootDoc) rootDoc->showCaret();
}

bool nucleo::selected() const {
    if (!rootDoc) return false;
    selection* list = rootDoc->selectionList();
    return list && list->find(this) != nullptr;
}

}  // namespace tovimat
