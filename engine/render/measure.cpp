// Measuring: every node gets its box and its alignment line (ascent). Layout
// is bottom-up: a container never measures its members, it reads the boxes
// they already have, moves them into place and computes its own box. Each
// rule asks the root to repaint the old area before the box changes and the
// new one afterwards.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "model/document.h"
#include "render/line_index.h"

namespace tovimat {

namespace {

LONG fontHeight(HFONT f) {
    LOGFONTA lf{};
    GetObjectA(f, sizeof lf, &lf);
    return std::labs(lf.lfHeight);
}

// Invalidates the node's area now and again when it goes out of scope:
// always, or only when one of the four edges changed.
class BoxChange {
public:
    enum When { Always, IfChanged };
    BoxChange(nucleo* n, When when) : n_(n), old_(n->getRect()), when_(when) {
        n->boxChanging();
        nucleo::boxChanged();
        invalidate();
    }
    ~BoxChange() {
        if (when_ == Always || n_->getRect() != old_) invalidate();
    }
    const aRect& old() const { return old_; }

private:
    void invalidate() {
        if (protocol* root = n_->getRoot()) root->invalidate(n_);
    }
    nucleo* n_;
    aRect old_;
    When when_;
};

template <typename F>
void forMembers(const container* c, F f) {
    for (nucleo* m = c->first(); m && m->chained(); m = m->next()) f(m);
}

int maxAscent(const container* c) {
    int a = 0;
    forMembers(c, [&](nucleo* m) { a = std::max(a, m->getAscent()); });
    return a;
}

int maxDescent(const container* c) {
    int d = 0;
    forMembers(c, [&](nucleo* m) { d = std::max(d, m->getDescent()); });
    return d;
}

}  // namespace

void nucleo::invalidateArea() {
    if (rootDoc) rootDoc->invalidate(this);
}

void nucleo::boxChanging() {
    if (auto* c = dyn_cast<container>(this)) c->settle();
    if (parentNode) parentNode->memberChanging(this);
}

// --- text ----------------------------------------------------------------------------

// A text is as large as its extent; an empty slot is as high as the font (at
// least 15) and a third as wide.
void field::measure(HDC dc) {
    boxChanging();
    invalidateArea();
    boxChanged();
    aRect old = rect;
    if (length > 0) {
        HGDIOBJ previous = SelectObject(dc, font);
        SetTextColor(dc, color);
        SIZE extent{0, 0};
        GetTextExtentPoint32A(dc, getText(), length, &extent);
        rect.right = rect.left + extent.cx;
        rect.bottom = rect.top + extent.cy;
        if (previous) SelectObject(dc, previous);
    } else {
        LONG h = fontHeight(font);
        if (h <= 15) h = 15;
        rect.bottom = rect.top + h;
        rect.right = rect.left + h / 3;
    }
    if (rect != old && rootDoc) {
        rootDoc->invalidate(this);
        bool moved = rect.Height() != old.Height() || rect.left != old.left || rect.top != old.top;
        if (moved && rootDoc->focused() == this) refocus();
    }
    ascent = rect.Height() / 2;
}

// --- remeasuring ------------------------------------------------------------------------

void nucleo::remeasure(HDC dc) {
    measure(dc);
    update(dc);
}

// The subtree is laid out bottom-up once, then the path to the root; a
// container moved by its parent moves its inner boxes once at the end.
void container::remeasure(HDC dc) {
    DeferredSlides deferred;
    layoutTree(dc);
    update(dc);
}

void container::layoutTree(HDC dc) {
    if (layoutLastFirst() && memberCount == 2) {
        last()->layoutTree(dc);
        first()->layoutTree(dc);
    } else {
        forMembers(this, [&](nucleo* m) { m->layoutTree(dc); });
    }
    measure(dc);
}

int container::separatorWidth(HDC dc) {
    separatorNode.getRect().setEmpty();
    separatorNode.measure(dc);
    return separatorNode.right();
}

// --- containers ----------------------------------------------------------------------------

void container::memberRemeasured(nucleo* m, const aRect& before, std::uint64_t start) {
    unionState.changed = m;
    unionState.before = before;
    unionState.start = start;
}

namespace {

// Edges 0 and 1 (left, top) are outermost when smallest, 2 and 3 when largest.
bool outward(int edge, LONG a, LONG b) { return edge < 2 ? a < b : a > b; }

void tallyAdd(EdgeTally& t, int edge, LONG v, bool knowsSecond) {
    if (t.bestCount == 0 || outward(edge, v, t.best)) {
        if (t.bestCount > 0) {
            t.second = t.best;
            t.secondCount = t.bestCount;
        }
        t.best = v;
        t.bestCount = 1;
    } else if (v == t.best) {
        ++t.bestCount;
    } else if (t.secondCount > 0 || knowsSecond) {
        if (t.secondCount == 0 || outward(edge, v, t.second)) {
            t.second = v;
            t.secondCount = 1;
        } else if (v == t.second) {
            ++t.secondCount;
        }
    }
}

// Takes one member's value away; false when the edge can no longer be known
// without looking at every member.
bool tallyRemove(EdgeTally& t, LONG v) {
    if (v == t.best) {
        if (--t.bestCount > 0) return true;
        if (t.secondCount == 0) return false;
        t.best = t.second;
        t.bestCount = t.secondCount;
        t.secondCount = 0;
        return true;
    }
    if (t.secondCount > 0 && v == t.second) --t.secondCount;
    return true;
}

}  // namespace


// --- rows: members side by side -----------------------------------------------------------

namespace {

// The earlier of two nodes of one chain, when one is found a few steps
// after the other; null otherwise.
nucleo* earlier(nucleo* a, nucleo* b) {
    constexpr int reach = 8;
    if (a == b || !a->previous()) return a;
    if (!b->previous()) return b;
    nucleo* n = a;
    for (int i = 0; i < reach && n; ++i, n = n->next())
        if (n == b) return a;
    n = b;
    for (int i = 0; i < reach && n; ++i, n = n->next())
        if (n == a) return b;
    return nullptr;
}

}  // namespace

void container::memberChanging(nucleo* m) {
    if (!parentNode) lineIndex::rootChanged();
    RowState& r = rowState;
    if (!r.valid || r.placing || !m->chained() || m->parent() != this) return;
    for (int i = 0; i < r.count; ++i)
        if (r.changes[i].member == m) return;
    if (r.count == RowState::maxChanges) {
        r.valid = false;
        return;
    }
    r.changes[r.count++] = RowChange{m, true, m->getAscent(), m->getDescent()};
    r.from = r.from ? earlier(r.from, m->previous()) : m->previous();
    if (!r.from) r.valid = false;
}

void container::rowMemberJoined(nucleo* m) {
    if (!parentNode) lineIndex::rootChanged();
    RowState& r = rowState;
    if (!r.valid) return;
    if (r.count == RowState::maxChanges) {
        r.valid = false;
        return;
    }
    r.changes[r.count++] = RowChange{m, false, 0, 0};
    r.from = r.from ? earlier(r.from, m->previous()) : m->previous();
    if (!r.from) r.valid = false;
}

// A member that leaves takes its extents out of the tallies, as they were
// when it was placed.
void container::rowMemberLeaving(nucleo* m) {
    if (!parentNode) lineIndex::rootChanged();
    RowState& r = rowState;
    if (!r.valid) return;
    RowChange left{m, true, m->getAscent(), m->getDescent()};
    for (int i = 0; i < r.count; ++i) {
        if (r.changes[i].member != m) continue;
        left = r.changes[i];
        r.changes[i] = r.changes[--r.count];
        break;
    }
    if (left.placed && !(tallyRemove(r.ascent, left.ascent) && tallyRemove(r.descent, left.descent))) {
        r.valid = false;
        return;
    }
    nucleo* before = m->previous();
    if (r.from == m) r.from = before;
    r.from = r.from ? earlier(r.from, before) : before;
    if (!r.from) r.valid = false;
}

// Places every member: left to right after the head, on the greatest
// ascent; the extents are tallied for later changes.
template <typename Gap>
void container::placeRow(int gap, Gap gapBefore) {
    RowState& r = rowState;
    r.ascent = EdgeTally();
    r.descent = EdgeTally();
    forMembers(this, [&](nucleo* m) {
        tallyAdd(r.ascent, 2, m->getAscent(), true);
        tallyAdd(r.descent, 2, m->getDescent(), true);
    });
    ascent = r.ascent.bestCount > 0 ? int(r.ascent.best) : 0;
    rect.bottom = rect.top + ascent + (r.descent.bestCount > 0 ? int(r.descent.best) : 0);
    r.placing = true;
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember && gapBefore(m)) rect.right += gap;
        firstMember = false;
        m->moveTo(rect.right, rect.top + ascent - m->getAscent(), true);
        rect.right = m->right();
    });
    r.placing = false;
    r.valid = true;
    r.count = 0;
    r.from = nullptr;
    r.gap = gap;
}

// When the members' greatest ascent and descent and the gap are as before,
// the members up to `from` stay where they are; the others follow it.
template <typename Gap>
bool container::placeRowChanges(int gap, Gap gapBefore) {
    RowState& r = rowState;
    if (!r.valid || gap != r.gap || memberCount == 0) return false;
    EdgeTally up = r.ascent, down = r.descent;
    for (int i = 0; i < r.count; ++i) {
        const RowChange& c = r.changes[i];
        if (c.placed && !(tallyRemove(up, c.ascent) && tallyRemove(down, c.descent))) return false;
    }
    for (int i = 0; i < r.count; ++i) {
        tallyAdd(up, 2, r.changes[i].member->getAscent(), false);
        tallyAdd(down, 2, r.changes[i].member->getDescent(), false);
    }
    if (up.bestCount == 0 || down.bestCount == 0) return false;
    if (up.best != ascent || up.best + down.best != rect.Height()) return false;
    nucleo* from = r.from ? r.from : last();
    LONG x = from->chained() ? from->right() : rect.left;
    bool firstMember = !from->chained();
    r.placing = true;
    for (nucleo* m = from->next(); m && m->chained(); m = m->next()) {
        if (!firstMember && gapBefore(m)) x += gap;
        firstMember = false;
        m->moveTo(x, rect.top + ascent - m->getAscent(), true);
        x = m->right();
    }
    r.placing = false;
    rect.right = x;
    r.ascent = up;
    r.descent = down;
    r.count = 0;
    r.from = nullptr;
    return true;
}

void container::unionFromScratch() {
    for (EdgeTally& t : unionState.edge) t = EdgeTally();
    forMembers(this, [&](nucleo* m) {
        const aRect& r = m->getRect();
        const LONG v[4] = {r.left, r.top, r.right, r.bottom};
        for (int i = 0; i < 4; ++i) tallyAdd(unionState.edge[i], i, v[i], true);
    });
    if (memberCount == 0) {
        // No members: an empty box where the container stands, rather than
        // an inverted one that the layout of its parent would overflow on.
        rect = aRect(rect.left, rect.top, rect.left, rect.top);
        return;
    }
    rect = aRect(unionState.edge[0].best, unionState.edge[1].best, unionState.edge[2].best, unionState.edge[3].best);
}

// When the only change since the union was computed is one member's new box,
// the union follows from the edge tallies without walking the other members.
bool container::unionFromChange() {
    const MemberUnion& u = unionState;
    if (!u.changed || u.changed->parent() != this || u.epoch != u.start || memberCount == 0) return false;
    const aRect& was = u.before;
    const aRect& now = u.changed->getRect();
    const LONG oldEdge[4] = {was.left, was.top, was.right, was.bottom};
    const LONG newEdge[4] = {now.left, now.top, now.right, now.bottom};
    EdgeTally next[4];
    for (int i = 0; i < 4; ++i) {
        next[i] = u.edge[i];
        if (!tallyRemove(next[i], oldEdge[i])) return false;
        tallyAdd(next[i], i, newEdge[i], false);
    }
    for (int i = 0; i < 4; ++i) unionState.edge[i] = next[i];
    rect = aRect(next[0].best, next[1].best, next[2].best, next[3].best);
    return true;
}

// The union of the members' boxes; nothing is moved.
void container::measure(HDC) {
    BoxChange change(this, BoxChange::IfChanged);
    if (!unionFromChange()) unionFromScratch();
    unionState.changed = nullptr;
    ascent = rect.Height() / 2;
    boxChanged();
    unionState.epoch = layoutEpoch();
}

// Members side by side, bottom-aligned; brackets grow with the content.
void list::measure(HDC dc) {
    BoxChange change(this, BoxChange::IfChanged);
    rect.right = rect.left;
    if (memberCount > 0) {
        int h = 0;
        forMembers(this, [&](nucleo* m) { h = std::max(h, int(m->Height())); });
        rect.bottom = rect.top + h + 1;
    } else {
        rect.bottom = rect.top + fontHeight(font);
    }
    const int H = rect.Height();
    if (headNode.getLen() > 0) {
        headNode.moveTo(rect.left, rect.top, true);
        headNode.calcFont(H);
        headNode.measure(dc);
        rect.right += headNode.Width();
    }
    if (tailNode.getLen() > 0) tailNode.calcFont(H);
    const int s = separatorNode.getLen() > 0 ? separatorWidth(dc) : 0;
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember) rect.right += s;
        firstMember = false;
        m->moveTo(rect.right, rect.bottom - m->Height(), true);
        rect.right = m->right();
    });
    if (tailNode.getLen() > 0) {
        tailNode.moveTo(rect.right, rect.top, true);
        tailNode.measure(dc);
        rect.right += tailNode.Width();
        rect.bottom = std::max(rect.bottom, tailNode.bottom());
    }
    ascent = rect.Height() / 2;
}

// Operands side by side, aligned on their alignment lines.
void operat::measure(HDC dc) {
    BoxChange change(this, BoxChange::Always);
    const bool separated = separatorNode.getLen() > 0;
    const int s = separated ? separatorWidth(dc) : 0;
    auto gapBefore = [separated](nucleo*) { return separated; };
    const bool delimited = headNode.getLen() > 0 || tailNode.getLen() > 0;
    if (!delimited && placeRowChanges(s, gapBefore)) return;
    rect.right = rect.left;
    if (!delimited && memberCount > 0) {
        placeRow(s, gapBefore);
        return;
    }
    rowState.valid = false;
    if (memberCount > 0) {
        ascent = maxAscent(this);
        rect.bottom = rect.top + ascent + maxDescent(this);
    } else {
        rect.bottom = rect.top + fontHeight(font);
    }
    const int H = rect.Height();
    if (headNode.getLen() > 0) {
        headNode.moveTo(rect.left, rect.top, true);
        headNode.calcFont(H);
        headNode.measure(dc);
        rect.right += headNode.Width();
    }
    if (tailNode.getLen() > 0) tailNode.calcFont(H);
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember && separated) rect.right += s;
        firstMember = false;
        m->moveTo(rect.right, rect.top + ascent - m->getAscent(), true);
        rect.right = m->right();
    });
    if (tailNode.getLen() > 0) {
        tailNode.moveTo(rect.right, rect.top, true);
        tailNode.measure(dc);
        rect.right += tailNode.Width();
        rect.bottom = std::max(rect.bottom, tailNode.bottom());
    }
    if (memberCount == 0) ascent = rect.Height() / 2;
}

// A prefix glyph followed by its operand; the glyph does not enlarge the box.
void unaryOp::measure(HDC dc) {
    BoxChange change(this, BoxChange::Always);
    rect.right = rect.left;
    ascent = 0;
    if (memberCount > 0) {
        rect.bottom = rect.top;
        forMembers(this, [&](nucleo* m) {
            ascent = std::max(ascent, m->getAscent());
            if (m->getDescent() > rect.bottom - rect.top - ascent) rect.bottom = rect.top + ascent + m->getDescent();
        });
    } else {
        LONG h = fontHeight(font);
        rect.bottom = rect.top + h;
        ascent = int(h / 2);
    }
    headNode.measure(dc);
    headNode.moveTo(rect.left, rect.top + ascent - headNode.getAscent(), true);
    rect.right += headNode.Width();
    forMembers(this, [&](nucleo* m) {
        m->moveTo(rect.right, rect.top + ascent - m->getAscent(), true);
        rect.right = m->right();
    });
}

// Terms side by side; a signed term brings its own sign and gets no "+".
void sum::measure(HDC dc) {
    BoxChange change(this, BoxChange::IfChanged);
    const int s = separatorWidth(dc);
    auto gapBefore = [](nucleo* m) { return !m->isSign(); };
    if (placeRowChanges(s, gapBefore)) return;
    rect.right = rect.left;
    placeRow(s, gapBefore);
    if (memberCount == 0) ascent = rect.Height() / 2;
}

// Numerator over denominator, centred, 3 units apart to hold the bar.
void quocient::measure(HDC) {
    BoxChange change(this, BoxChange::Always);
    rect.bottom = rect.top;
    int W = 0;
    forMembers(this, [&](nucleo* m) { W = std::max(W, int(m->Width())); });
    rect.right = rect.left + W;
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember) rect.bottom += 3;
        firstMember = false;
        m->moveTo(rect.left + W / 2 - m->Width() / 2, rect.bottom, true);
        rect.bottom = m->bottom();
    });
    ascent = memberCount > 0 ? first()->bottom() - rect.top + 1 : rect.Height() / 2;
}

// The exponent sits at the top, overlapping the base's upper half; after a
// function's name when the base is a function.
void power::measure(HDC dc) {
    if (memberCount != 2) return;
    BoxChange change(this, BoxChange::Always);
    nucleo* base = first();
    nucleo* exponent = last();
    const int h = std::min(base->Height() / 2, exponent->Height() / 2);
    base->moveTo(rect.left, rect.top + exponent->Height() - h, true);
    int x = base->right();
    if (base->isFunc()) {
        base->measure(dc);
        x = cast<container>(base)->head()->right();
    }
    exponent->moveTo(x, rect.top, true);
    rect.bottom = base->bottom();
    rect.right = base->isFunc() ? base->right() : exponent->right();
    ascent = base->top() - rect.top + base->getAscent();
}

// k is the slant width of the root sign.
void radical::measure(HDC) {
    if (memberCount == 0) return;
    BoxChange change(this, BoxChange::Always);
    nucleo* radicand = last();
    const int k = int(5 + 0.2 * radicand->Height());
    if (memberCount == 1) {
        rect.right = rect.left + radicand->Width() + k + 2;
        radicand->moveTo(rect.left + k, rect.top + 2, true);
        indexOffset = 0;
        ascent = radicand->Height() / 2;
        rect.bottom = radicand->bottom() + 1;
        return;
    }
    nucleo* index = first();
    rect.right = rect.left + radicand->Width() + k + 2 + index->Width();
    index->moveTo(rect.left + 1, rect.top + 1, true);
    ascent = std::max(int(index->Height()), radicand->Height() / 2 + 1) + 1;
    indexOffset = index->Width() - k / 2;
    radicand->moveTo(rect.right - radicand->Width() - 1, rect.top + 2 + ascent - radicand->Height() / 2, true);
    rect.bottom = radicand->bottom();
}

// Name, a gap of 3, then the argument; as a power's base, room for the
// exponent between name and argument.
void function::measure(HDC dc) {
    BoxChange change(this, BoxChange::Always);
    if (memberCount > 0) {
        ascent = 0;
        rect.bottom = rect.top;
        forMembers(this, [&](nucleo* m) {
            ascent = std::max(ascent, m->getAscent());
            if (m->getDescent() > rect.bottom - rect.top - ascent) rect.bottom = rect.top + ascent + m->getDescent();
        });
    } else {
        LONG h = fontHeight(font);
        rect.bottom = rect.top + h;
        ascent = int(h / 2);
    }
    rect.right = rect.left;
    headNode.measure(dc);
    headNode.moveTo(rect.left, rect.top + ascent - headNode.getAscent(), true);
    rect.right += headNode.Width() + 3;
    if (parentNode && parentNode->type() == typeId::power && nextNode) rect.right += nextNode->Width();
    forMembers(this, [&](nucleo* m) {
        m->moveTo(rect.right, rect.top + ascent - m->getAscent(), true);
        rect.right = m->right();
    });
}

// "log", the base hanging below the alignment line, then the argument.
void logaritm::measure(HDC dc) {
    if (memberCount != 2) return;
    BoxChange change(this, BoxChange::Always);
    nucleo* base = first();
    nucleo* argument = last();
    rect.right = rect.left;
    headNode.measure(dc);
    ascent = std::max(argument->getAscent(), headNode.getAscent());
    headNode.moveTo(rect.left, rect.top + ascent - headNode.getAscent(), true);
    base->moveTo(headNode.right(), rect.top + ascent, true);
    argument->moveTo(base->right() + 3, rect.top, true);
    rect.right = argument->right();
    rect.bottom = std::max(base->bottom(), argument->bottom());
}

// Lines stacked 3 apart, indented by 5.
void page::measure(HDC) {
    BoxChange change(this, BoxChange::Always);
    rect.bottom = rect.top;
    int W = 0;
    forMembers(this, [&](nucleo* m) { W = std::max(W, int(m->Width())); });
    rect.right = rect.left + W + 6;
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember) rect.bottom += 3;
        firstMember = false;
        m->moveTo(rect.left + 5, rect.bottom, true);
        rect.bottom = m->bottom();
    });
    ascent = memberCount > 0 ? first()->bottom() - rect.top : rect.Height() / 2;
}

}  // namespace tovimat
