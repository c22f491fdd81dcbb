#include "model/container.h"

#include <cassert>
#include <vector>

#include "model/document.h"
#include "platform/messages.h"

namespace tovimat {

namespace {

std::vector<container*>& owingContainers() {
    static std::vector<container*> all;
    return all;
}

}  // namespace

container::container(const char* opening, const char* separator, const char* closing)
    : headNode(opening), separatorNode(separator), tailNode(closing) {
    color = 255;
    headNode.nextNode = &tailNode;
    tailNode.previousNode = &headNode;
    for (nucleo* inner : {static_cast<nucleo*>(&headNode), static_cast<nucleo*>(&separatorNode),
                          static_cast<nucleo*>(&tailNode)})
        inner->parentNode = this;
    init();
}

container::~container() {
    if (owing) std::erase(owingContainers(), this);
    // Members go first; nothing is re-measured on the way out.
    while (memberCount > 0) {
        nucleo* m = first();
        _detachIt(m, false, false);
        delete m;
    }
    // The delimiters are parts of this object: unhook them so that their own
    // destructors find no parent to detach from.
    for (nucleo* inner : {static_cast<nucleo*>(&headNode), static_cast<nucleo*>(&separatorNode),
                          static_cast<nucleo*>(&tailNode)})
        inner->parentNode = nullptr;
}

void container::init() {
    headNode.setColor(color);
    separatorNode.setColor(color);
    tailNode.setColor(color);
}

double container::complexity() const {
    double c = 1.0;
    for (nucleo* m = first(); m && m->chained(); m = m->next()) c += m->complexity();
    return c;
}

bool container::envolv() const { return headNode.getLen() > 0 && tailNode.getLen() > 0; }

container* container::clone() const { return new container("", "", ""); }

bool container::canDelete(nucleo* n) { return minMembers() < memberCount && n && n->chained(); }

bool container::contains(nucleo* key) {
    for (nucleo* m = first(); m && m->chained(); m = m->next())
        if (*key == *m) return true;
    return false;
}

int container::openingKey() const {
    if (separatorNode.getLen() == 0) return 0;
    return static_cast<signed char>(separatorNode.getText()[0]);
}

nucleo* container::operator[](int i) const {
    if (i < 0 || i >= memberCount) {
        MessageBeep(0);
        return nullptr;
    }
    nucleo* m = first();
    while (i-- > 0) m = m->next();
    return m;
}

nucleo* container::findNext(nucleo* key, nucleo* start) {
    for (nucleo* n = start; n && n->chained() && n->atached(); n = n->next())
        if (*key == *n) return n;
    return nullptr;
}

// --- state passed down -----------------------------------------------------------------

void container::setRoot(protocol* root) {
    // A subtree always shares one root, so there is nothing below to change.
    if (root == rootDoc) return;
    nucleo::setRoot(root);
    headNode.setRoot(root);
    separatorNode.setRoot(root);
    tailNode.setRoot(root);
    for (nucleo* m = first(); m && m->chained(); m = m->next()) m->setRoot(root);
}

void container::setReadOnly(bool b) {
    nucleo::setReadOnly(b);
    if (b) return;
    for (nucleo* m = first(); m && m->chained(); m = m->next()) m->setReadOnly(false);
}

container::DeferredSlides::~DeferredSlides() {
    if (--depth == 0) settleAll();
}

void container::settleAll() {
    std::vector<container*>& all = owingContainers();
    // Containers join the list as the climb moves them, from the changed
    // node upward: the last are the highest.
    while (!all.empty()) {
        container* c = all.back();
        all.pop_back();
        c->owing = false;
        c->settle();
    }
}

void container::settle() {
    if (owed.x == 0 && owed.y == 0) return;
    const POINT d = owed;
    owed = POINT{0, 0};
    rowState.placing = true;
    for (nucleo* n = &headNode; n; n = n->next()) {
        n->nucleo::slide(d.x, d.y, false);
        auto* c = dyn_cast<container>(n);
        if (!c) continue;
        c->owed.x += d.x;
        c->owed.y += d.y;
        c->settle();
    }
    rowState.placing = false;
}

bool container::slide(int dx, int dy, bool invalidate) {
    if (dx == 0 && dy == 0) return true;
    nucleo::slide(dx, dy, invalidate);
    if (DeferredSlides::depth > 0) {
        owed.x += dx;
        owed.y += dy;
        if (!owing) owingContainers().push_back(this);
        owing = true;
        return true;
    }
    // The members keep their places relative to each other.
    rowState.placing = true;
    for (nucleo* n = &headNode; n; n = n->next()) n->slide(dx, dy, false);
    rowState.placing = false;
    return true;
}

nucleo* container::revalidate() {
    nucleo* m = first();
    while (m && m->chained()) {
        nucleo* following = m->next();
        m->revalidate();
        m = following;
    }
    return this;
}

bool container::refers(nucleo* x) {
    for (nucleo* m = first(); m && m->chained(); m = m->next())
        if (m->refers(x)) return true;
    return false;
}

// --- copying -------------------------------------------------------------------------------

nucleo* container::copy() const {
    container* c = clone();
    copyTo(c);
    return c;
}

// A copy is linked exactly as the original stands: insertion rules such as a
// directive's new left-hand side must not make the copy differ from it.
void container::copyTo(container* target) const {
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        nucleo* c = m->copy();
        if (!target->linkLast(c)) delete c;
    }
}

// --- filling and moving chains -----------------------------------------------------------------

void container::fill(int count, const nucleo& proto) {
    for (int i = 0; i < count; ++i) lput(adopt(proto.copy()));
}

void container::fill(const nucleo& proto) {
    if (memberCount < minMembers()) fill(minMembers() - memberCount, proto);
}

void container::fill() {
    field empty("");
    fill(empty);
}

void container::unlink(nucleo* n) {
    assert(n && n->parentNode == this && n->chained() && "unlinking a node that is not a member of this chain");
    rowMemberLeaving(n);
    n->previousNode->nextNode = n->nextNode;
    n->nextNode->previousNode = n->previousNode;
    n->previousNode = n->nextNode = nullptr;
    n->parentNode = nullptr;
    --memberCount;
}

void container::chainAfter(nucleo* after, container* source) {
    if (!source || source->memberCount == 0) return;
    // Moving an enclosing container's members into this one would make a cycle.
    for (const nucleo* p = this; p; p = p->parentNode)
        if (p == source) return;
    if (!after || after->parentNode != this || after == &tailNode) return;
    if (long(memberCount) + source->memberCount > maxMembers()) return;
    nucleo* at = after;
    while (source->memberCount > 0) {
        nucleo* m = source->first();
        source->unlink(m);
        source->memberLeft(m);
        m->previousNode = at;
        m->nextNode = at->nextNode;
        at->nextNode->previousNode = m;
        at->nextNode = m;
        m->parentNode = this;
        ++memberCount;
        raiseHeightBound(m);
        rowMemberJoined(m);
        m->setRoot(rootDoc);
        memberJoined(m);
        at = m;
    }
}

void container::chainAfter(nucleo* after) {
    if (after && after->parentNode) after->parentNode->chainAfter(after, this);
}

void container::insertAfterFrom(nucleo* after, nucleo* from, int count) {
    if (!after || !after->nextNode) return;
    nucleo* following = after->nextNode;
    // Copy first: the range may lie in the chain the copies go into.
    std::vector<std::unique_ptr<nucleo>> copies;
    for (nucleo* n = from; n && n->chained() && count > 0; n = n->next(), --count)
        copies.push_back(adopt(n->copy()));
    for (std::unique_ptr<nucleo>& c : copies) insertBefore(std::move(c), following);
}

void container::flush() {
    while (memberCount > 0) {
        nucleo* m = first();
        detachIt(m, false);
        delete m;
    }
}

}  // namespace tovimat
