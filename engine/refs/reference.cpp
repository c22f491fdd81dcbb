#include "refs/reference.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "model/document.h"
#include "platform/messages.h"

namespace tovimat {

namespace {

// True when n stands somewhere inside group.
bool encloses(const nucleo* group, const nucleo* n) {
    for (const nucleo* p = n->parent(); p; p = p->parent())
        if (p == group) return true;
    return false;
}

bool inside(const nucleo* n, const aPoint& p) {
    RECT r = n->getRect();
    return PtInRect(&r, POINT(p));
}

}  // namespace

// --- bulk -------------------------------------------------------------------------------------

bulk::bulk(nucleo* value) : core(value) {
    ++aliveCount;
    container* p = value ? value->parent() : nullptr;
    if (!p) return;
    // The value's own place now shows it through the first reference.
    auto* place = new reference();
    place->attachTo(this);
    // Exactly in the value's place: no insertion rule may reshape it there.
    if (!p->_replace(value, place, false)) MessageBeep(0);
    recall(place);
    if (place->getRoot()) place->remeasure();
}

bulk::~bulk() { --aliveCount; }

void bulk::referedBy(reference* r) {
    refs.add(static_cast<nucleo*>(r));  // the reference itself, not its members
    ++refCount;
    assert(refCount == refs.count() && "a value's count of places disagrees with its list of places");
}

void bulk::recall(reference* r) {
    if (!r) return;
    if (!core) {
        // A value taken away: r is the place its new value will be typed in.
        if (r->members() == 0) presentRef = r;
        return;
    }
    if (presentRef == r && core->parent() == r) return;
    if (presentRef && core->parent() == presentRef) {
        presentRef->unhook(core);
    } else if (core->parent()) {
        // The value stands somewhere no reference of ours is: leave it there.
        MessageBeep(0);
        return;
    } else if (presentRef) {
        MessageBeep(0);  // the presenting place had lost it
    }
    presentRef = r;
    if (r->members() > 0) {
        MessageBeep(0);
        return;
    }
    const POINT at = r->valueOrigin();
    core->moveTo(at.x, at.y, false);
    if (core->getRoot() != r->getRoot()) core->setRoot(r->getRoot());
    r->hookLast(core);
}

void bulk::update(HDC dc) {
    std::vector<reference*> all;
    for (nucleo* n : refs) all.push_back(cast<reference>(n));
    for (reference* r : all) r->update(dc);
}

void bulk::remove(reference* r) {
    if (editingRef == r) editingRef = nullptr;
    if (presentRef == r) {
        if (core && core->parent() == r) r->unhook(core);
        presentRef = nullptr;
    }
    [[maybe_unused]] const bool wasPlace = refs.remove(r);
    assert(wasPlace && "removing a place that does not show this value");
    --refCount;
    assert(refCount == refs.count() && "a value's count of places disagrees with its list of places");
    r->value_ = nullptr;
}

void bulk::freeRef(reference* r) {
    const bool wasPresent = presentRef == r;
    remove(r);
    if (refCount == 1) {
        auto* last = cast<reference>(*refs.begin());
        if (last->chained() && last->atached()) return dissolve(last);
    }
    if (refCount == 0) {
        if (pinned) return;
        if (core && !core->parent()) delete core;
        delete this;
        return;
    }
    if (wasPresent) presentElsewhere();
}

void bulk::presentElsewhere() {
    for (nucleo* n : refs) {
        if (!n->atached()) continue;
        recall(cast<reference>(n));
        return;
    }
    // No place shows it for now: the value belongs to no document meanwhile.
    if (core && !core->parent()) core->setRoot(nullptr);
}

void bulk::dissolve(reference* last) {
    remove(last);
    // A value taken away comes back as the empty slot the places showed.
    const bool vacant = core == nullptr;
    nucleo* value = vacant ? new field("") : core;
    core = nullptr;
    // The last place stands inside the value itself (only a damaged file
    // builds that): no document shows the value any more, and it goes
    // together with that place instead of holding itself.
    if (!vacant && !value->parent() && value->isGroup() && encloses(value, last)) {
        delete value;
        if (!pinned) delete this;
        return;
    }
    // A selected place stays selected as the value that takes it.
    protocol* root = last->getRoot();
    selection* chosen = root ? root->selectionList() : nullptr;
    selector* choice = chosen ? chosen->find(last) : nullptr;
    // So does a caret beside the place.
    const bool hadCaret = root && root->focused() == last;
    const bool caretRight = hadCaret && root->caretIndex() != 0;
    // Put back exactly as it is (in parentheses where it binds more loosely
    // than its place), never lifted above or flattened into it.
    if (last->parent()->_replace(last, value, true)) {
        if (choice) choice->retarget(value);
        if (hadCaret && value->getRoot()) {
            if (caretRight)
                value->focusRight();
            else
                value->focusLeft();
        }
        if (!pinned) delete this;
        return;
    }
    // The place refused it: the value stays shared by that reference alone.
    if (vacant) {
        delete value;
    } else if (!value->parent()) {
        core = value;
    }
    last->attachTo(this);
    recall(last);
}

bulk* bulk::forLoading() {
    auto* b = new bulk(nullptr);
    b->pinned = true;
    return b;
}

void bulk::sever() {
    for (nucleo* n : refs) cast<reference>(n)->value_ = nullptr;
    refs.clear();
    refCount = 0;
    presentRef = editingRef = nullptr;
    if (core && core->parent()) core = nullptr;
}

void bulk::unpin() {
    pinned = false;
    if (refCount > 0) return;
    if (core && !core->parent()) delete core;
    delete this;
}

// --- reference: making and sharing -------------------------------------------------------------

reference::reference() : list("", "", "") {}

reference::reference(bulk* b) : reference() { attachTo(b); }

reference::reference(nucleo* value) : reference() {
    if (!value) return;
    if (auto* r = dyn_cast<reference>(value)) {
        attachTo(r->getBulk());
        return;
    }
    // A delimiter is part of its container and never moves: share a copy.
    if (value->parent() && !value->chained()) value = value->copy();
    auto* b = new bulk(value);
    attachTo(b);
    if (!b->presentRef) b->recall(this);
}

reference::~reference() {
    if (value_) value_->freeRef(this);
}

void reference::attachTo(bulk* b) {
    if (!b) return;
    value_ = b;
    b->referedBy(this);
}

container* reference::clone() const { return value_ ? new reference(value_) : new reference(); }

// A copy is another place for the same value, never a second value.
nucleo* reference::copy() const { return clone(); }

void reference::memberJoined(nucleo* n) {
    if (!value_) return;
    if (value_->core && value_->core != n) {
        MessageBeep(0);  // a place shows one value and takes no other
        return;
    }
    value_->core = n;
    value_->presentRef = this;
}

bool reference::accepts(const nucleo* n) const {
    if (n->isRef()) return false;
    // The place showing the value may have it replaced.
    return !value_ || !value_->core || value_->core == n || value_->core->parent() == this;
}

// Until another node takes its place, the value is vacant: every place
// shows an empty slot.
void reference::memberLeft(nucleo* n) {
    if (value_ && value_->core == n && value_->presentRef == this) value_->core = nullptr;
}

// Taking the value out of its place for good (deleting or moving it) leaves
// an empty slot as the value, in every place.
void reference::detachIt(nucleo* n, bool fill) {
    const bool wasValue = value_ && n == value_->core;
    // Without fill the caller puts another node in its place: nothing is
    // laid out meanwhile.
    _detachIt(n, false, !wasValue);
    if (fill && wasValue) vacancyFilled();
}

// --- presenting the value ------------------------------------------------------------------

void reference::setEdit() {
    if (!value_) return;
    value_->editingRef = value_->presentRef;
    value_->savedFocus = nullptr;
    value_->savedIndex = 0;
    if (value_->presentRef && rootDoc) {
        value_->savedFocus = rootDoc->focused();
        value_->savedIndex = rootDoc->caretIndex();
    }
}

void reference::clearEdit() {
    if (value_) value_->editingRef = nullptr;
}

void reference::restoreEdit() {
    if (!value_ || !value_->editingRef) return;
    value_->recall(value_->editingRef);
    nucleo* f = value_->savedFocus;
    protocol* root = f ? f->getRoot() : nullptr;
    // The caret goes back only when the operation moved it.
    if (root && (root->focused() != f || root->caretIndex() != value_->savedIndex))
        f->focusAt(value_->savedIndex);
}

void reference::recall() {
    if (value_ && (value_->presentRef != this || !first()->chained())) value_->recall(this);
}

void reference::updateRefs(HDC dc) {
    if (!value_) return nucleo::update(dc);
    setEdit();
    value_->update(dc);
    recall();
    restoreEdit();
    clearEdit();
}

// --- layout and painting ------------------------------------------------------------------------

void reference::fitDelimiters() {
    nucleo* v = core();
    const bool wrap = v && parentNode && !parentNode->isRef() && parentNode->needsParentheses(v);
    if (wrap == (headNode.getLen() > 0)) return;
    headNode.setText(wrap ? "(" : "", wrap ? 1 : 0);
    tailNode.setText(wrap ? ")" : "", wrap ? 1 : 0);
}

POINT reference::valueOrigin() const {
    return POINT{headNode.getLen() > 0 ? headNode.right() : rect.left, rect.top};
}

// The reference is as large as its value wherever the value stands now,
// plus the parentheses its place may need.
void reference::measure(HDC dc) {
    boxChanging();
    invalidateArea();
    boxChanged();
    const aRect old = rect;
    fitDelimiters();
    nucleo* v = core();
    // A place whose value was taken away is as large as an empty slot.
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    const LONG emptyHeight = std::max<LONG>(15, std::labs(lf.lfHeight));
    const LONG h = v ? v->Height() : emptyHeight;
    LONG x = rect.left;
    LONG bottom = rect.top + h;
    auto delimiter = [&](extremo& d) {
        d.calcFont(std::max<LONG>(h, 1));
        d.moveTo(x, rect.top);
        d.measure(dc);
        x = d.right();
        bottom = std::max(bottom, d.bottom());
    };
    if (headNode.getLen() > 0) delimiter(headNode);
    if (v && v->parent() == this) v->moveTo(x, rect.top, true);
    x += v ? v->Width() : emptyHeight / 3;
    if (tailNode.getLen() > 0) delimiter(tailNode);
    rect.right = x;
    rect.bottom = bottom;
    ascent = v ? v->getAscent() : int(emptyHeight / 2);
    if (rect != old) invalidateArea();
}

// A value that is not shown here was laid out where it stands; it is laid
// out again first, so that this place measures from a fresh box.
void reference::layoutTree(HDC dc) {
    nucleo* v = core();
    if (v && v->parent() != this) layoutTreeOf(v, dc);
    list::layoutTree(dc);
}

void reference::paint(HDC dc, aRect& area) {
    if (!core()) return;
    setEdit();
    recall();
    if (headNode.getLen() > 0) drawInner(headNode, dc, area);
    core()->paintIt(dc, area);
    if (tailNode.getLen() > 0) drawInner(tailNode, dc, area);
    frameIfFocused(dc);
    restoreEdit();
    clearEdit();
}

// --- focus and mouse ---------------------------------------------------------------------------

void reference::focusAt(int index) {
    clearEdit();
    vacancyFilled();
    recall();
    container::focusAt(index);
}

void reference::focusLeft() {
    clearEdit();
    vacancyFilled();
    recall();
    list::focusLeft();
}

void reference::focusRight() {
    clearEdit();
    vacancyFilled();
    recall();
    list::focusRight();
}

// The user reaches a place whose value was taken away: it gets an empty
// slot to type the new value into, shown in every place.
nucleo* reference::vacancyFilled() {
    if (!value_ || value_->core || memberCount > 0) return core();
    auto* empty = new field("");
    if (!_atachIt(empty, &headNode, &tailNode, true)) {
        delete empty;
        return nullptr;
    }
    return empty;
}

// A click on the value leaves the caret in this place; a click on the
// parentheses puts it before or after the reference.
bool reference::click(aPoint& point) {
    if (!inside(this, point)) return false;
    nucleo* v = vacancyFilled();
    if (!v) return false;
    setEdit();
    recall();
    if (v->click(point)) return true;
    restoreEdit();
    if (point.x < valueOrigin().x)
        focusLeft();
    else
        focusRight();
    return true;
}

bool reference::mouseMove(aPoint& point) {
    nucleo* v = core();
    if (!v || !inside(this, point)) return false;
    setEdit();
    recall();
    const bool overValue = v->mouseMove(point);
    restoreEdit();
    // Whatever is under the pointer here is this place, unless the value
    // stayed here to be edited.
    if (!overValue || v->parent() != this) protocol::mouseOn = this;
    return true;
}

// A drag over the value marks the drop place in it, in this place.
bool reference::scanDrag(aPoint& point) {
    nucleo* v = core();
    if (!v || selected() || !inside(this, point)) return false;
    setEdit();
    recall();
    if (v->scanDrag(point)) return true;
    restoreEdit();
    return false;
}

// With the caret before or after the reference, the node goes beside it;
// only a caret inside it hands the node on to the value.
bool reference::drop(nucleo* n) {
    if (!n || n == this) return true;
    const int index = rootDoc ? rootDoc->caretIndex() : 0;
    if (index == 1 && core()) {
        recall();
        return core()->drop(n);
    }
    return list::drop(n);
}

// Inserting into a reference gives it its value; one that shows a value
// already takes no other.
bool reference::entre(nucleo* item, nucleo* after, nucleo* before) {
    if (!item || item == this || item->isRef() || memberCount > 0 || (core() && core() != item)) {
        MessageBeep(0);
        return false;
    }
    if (!value_) attachTo(new bulk(nullptr));
    return _atachIt(item, after, before, true);
}

// --- algebra --------------------------------------------------------------------------------------

// A value that calculates to something else stands in the result as that;
// one that does not stays shared (its operators see it as its value).
results reference::calculate() {
    nucleo* v = core();
    return v ? v->calculate() : results(nullptr, this, 0);
}

bool reference::refers(nucleo* x) {
    nucleo* v = core();
    return v && v->refers(x);
}

// --- loops -----------------------------------------------------------------------------------------

namespace {

// The bulks of the references in n's subtree, not looking inside references.
template <typename F>
void forReferencesIn(const nucleo* n, F f) {
    std::vector<const nucleo*> todo{n};
    while (!todo.empty()) {
        const nucleo* x = todo.back();
        todo.pop_back();
        if (auto* r = dyn_cast<reference>(x)) {
            if (bulk* b = r->getBulk()) f(b);
            continue;
        }
        auto* c = dyn_cast<container>(x);
        if (!c) continue;
        for (nucleo* m = c->first(); m && m->chained(); m = m->next()) todo.push_back(m);
    }
}

}  // namespace

bool reference::wouldLoop(const nucleo* n, const container* place) {
    if (bulk::alive() == 0 || !n) return false;
    std::unordered_set<const bulk*> around;
    for (const nucleo* p = place; p; p = p->parent())
        if (auto* r = dyn_cast<reference>(p))
            if (bulk* b = r->getBulk()) around.insert(b);
    if (around.empty()) return false;
    std::unordered_set<const bulk*> seen;
    std::vector<const nucleo*> values{n};
    bool loops = false;
    while (!values.empty() && !loops) {
        const nucleo* v = values.back();
        values.pop_back();
        forReferencesIn(v, [&](bulk* b) {
            if (around.count(b)) loops = true;
            if (seen.insert(b).second && b->getCore()) values.push_back(b->getCore());
        });
    }
    return loops;
}

bool reference::anyLoop(const std::vector<bulk*>& bulks) {
    // Depth first over "the value of a leads to b", without recursion: a
    // hostile file may chain any number of values.
    enum { Unvisited, Open, Done };
    std::unordered_map<const bulk*, int> state;
    struct Frame {
        const bulk* b;
        std::vector<const bulk*> next;
        size_t at = 0;
    };
    auto frameFor = [](const bulk* b) {
        Frame f{b, {}, 0};
        if (b->getCore()) forReferencesIn(b->getCore(), [&](bulk* n) { f.next.push_back(n); });
        return f;
    };
    for (const bulk* start : bulks) {
        if (state[start] != Unvisited) continue;
        std::vector<Frame> stack{frameFor(start)};
        state[start] = Open;
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.at == top.next.size()) {
                state[top.b] = Done;
                stack.pop_back();
                continue;
            }
            const bulk* n = top.next[top.at++];
            if (state[n] == Open) return true;
            if (state[n] == Done) continue;
            state[n] = Open;
            stack.push_back(frameFor(n));
        }
    }
    return false;
}

// --- selector ------------------------------------------------------------------------------------

// A value shown by a reference is shared as that reference's value.
void selector::mkref() {
    nucleo* t = target;
    if (t->parent() && t->parent()->isRef()) t = t->parent();
    target = new reference(t);
}

}  // namespace tovimat
