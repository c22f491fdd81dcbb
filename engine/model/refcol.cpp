#include "model/refcol.h"

#include "model/container.h"

namespace tovimat {

refCol::refCol() : sentinel_{&sentinel_, &sentinel_, nullptr} {}

refCol::~refCol() { clear(); }

void refCol::add(nucleo* n) {
    cell* c = new cell{&sentinel_, sentinel_.prev, n};
    sentinel_.prev->next = c;
    sentinel_.prev = c;
    ++count_;
}

void refCol::add(container* c) {
    for (nucleo* m = c->first(); m && m->chained(); m = m->next()) add(m);
}

void refCol::copyTo(container* target) const {
    for (nucleo* n : *this) target->lput(adopt(n->copy()));
}

bool refCol::remove(const nucleo* n) {
    for (cell* c = sentinel_.next; c != &sentinel_; c = c->next) {
        if (c->node != n) continue;
        c->prev->next = c->next;
        c->next->prev = c->prev;
        delete c;
        --count_;
        return true;
    }
    return false;
}

void refCol::clear() {
    cell* c = sentinel_.next;
    while (c != &sentinel_) {
        cell* next = c->next;
        delete c;
        c = next;
    }
    sentinel_.next = sentinel_.prev = &sentinel_;
    count_ = 0;
}

}  // namespace tovimat
