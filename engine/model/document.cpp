#include "model/document.h"

namespace tovimat {

int protocol::mode = 0;
nucleo* protocol::mouseOn = nullptr;
nucleo* protocol::dropTarget = nullptr;

// --- selection ------------------------------------------------------------------------

selection::selection() : first_(&end_), end_{nullptr, &first_, nullptr} {}

selection::~selection() { clear(); }

void selection::add(nucleo* n) {
    // New cells go in front of the end cell.
    cell* c = new cell{&end_, end_.back, new selector(n)};
    *end_.back = c;
    end_.back = &c->next;
}

void selection::unlinkCell(cell* c) {
    *c->back = c->next;
    c->next->back = c->back;
    delete c->sel;
    delete c;
}

bool selection::remove(const nucleo* n) {
    for (cell* c = first_; c->next; c = c->next) {
        if (c->sel->getTarget() == n) {
            unlinkCell(c);
            return true;
        }
    }
    return false;
}

selector* selection::find(const nucleo* n) const {
    for (cell* c = first_; c->next; c = c->next)
        if (c->sel->getTarget() == n) return c->sel;
    return nullptr;
}

void selection::clear() {
    while (first_ != &end_) unlinkCell(first_);
}

int selection::count() const {
    int n = 0;
    for (cell* c = first_; c->next; c = c->next) ++n;
    return n;
}

// --- protocol ------------------------------------------------------------------------------

protocol::protocol(container* base_) : base(base_) {
    if (!base) return;
    base->setRoot(this);
    base->setReadOnly(true);
}

protocol::~protocol() {
    if (!base) return;
    // The host operations of the derived class are gone by now: take the
    // tree off this root without calling any of them, then delete it.
    forgetRoot(base);
    delete base;
    base = nullptr;
}

void protocol::forgetRoot(nucleo* n) {
    n->rootDoc = nullptr;
    auto* c = dyn_cast<container>(n);
    if (!c) return;
    c->headNode.rootDoc = c->separatorNode.rootDoc = c->tailNode.rootDoc = nullptr;
    for (nucleo* m = c->first(); m && m->chained(); m = m->next()) forgetRoot(m);
}

container* protocol::releaseBase() {
    container* b = base;
    base = nullptr;
    if (b) b->setRoot(nullptr);
    return b;
}

// --- page and sentence ---------------------------------------------------------------------

page::page(int minimum_, bool fillIt) : container("", "\r", ""), minimum(minimum_) {
    if (fillIt) fill();
}

sentence::sentence() : list("", " ", "") {
    color = 0xFFC6C6;
    init();
}

}  // namespace tovimat
