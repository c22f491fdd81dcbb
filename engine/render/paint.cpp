// Painting a measured tree. Painting decides no layout except where the
// separator glyph goes: one separator node is moved into every gap between
// operands and drawn there. Only what meets the update rectangle is drawn:
// a container's box holds everything drawn for it and its members, so a
// subtree whose box misses the rectangle is passed over whole.
#include <vector>

#include "model/document.h"
#include "render/line_index.h"

namespace tovimat {

namespace {

constexpr UINT textFormat = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;

template <typename F>
void forMembers(const container* c, F f) {
    for (nucleo* m = c->first(); m && m->chained(); m = m->next()) f(m);
}

// Glyphs may reach a little past the box they were measured into (italic
// overhang, smoothed strokes): the box is widened by a margin that grows
// with its height before it is compared with the update rectangle.
bool misses(const aRect& box, const aRect& area) {
    const LONG margin = 2 + box.Height() / 4;
    return box.right + margin < area.left || box.left - margin > area.right ||
           box.bottom + margin < area.top || box.top - margin > area.bottom;
}

}  // namespace

void protocol::paint(HDC dc, aRect& area) {
    if (base) base->paintIt(dc, area);
}

// A node whose font or pen cannot be selected draws nothing, and nothing
// below it. The document's root node is always drawn, whatever its box says.
void nucleo::paintIt(HDC dc, aRect& area) {
    if (parentNode && misses(rect, area)) return;
    HGDIOBJ oldFont = SelectObject(dc, font);
    if (!oldFont) return;
    SetTextColor(dc, color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : nullptr;
    if (oldPen) {
        paint(dc, area);
        SelectObject(dc, oldPen);
    }
    if (pen) DeleteObject(pen);
    SelectObject(dc, oldFont);
}

// Text at the box's top-left corner; an empty slot shows as a black frame.
void nucleo::paint(HDC dc, aRect&) {
    SetBkMode(dc, TRANSPARENT);
    RECT box = rect;
    DrawTextA(dc, getText(), getLen(), &box, textFormat);
    if (getLen() == 0) FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void nucleo::drawSelection() {
    if (rootDoc) rootDoc->drawFocusFrame(this);
}

// Drawing the XOR frame a second time removes it.
void nucleo::clearSelection() {
    if (rootDoc) rootDoc->drawFocusFrame(this);
}

void container::drawRect(HDC dc, COLORREF c) {
    HBRUSH brush = CreateSolidBrush(c);
    if (!brush) return;
    RECT box = rect;
    FrameRect(dc, &box, brush);
    DeleteObject(brush);
}

void container::frameIfFocused(HDC dc) {
    if (rootDoc && rootDoc->focused() == this) drawRect(dc);
}

// The root of a long document draws only the lines near the update
// rectangle: every line farther away than the widest margin misses it.
void container::paint(HDC dc, aRect& area) {
    if (const lineIndex* lines = lineIndex::of(this)) {
        std::vector<nucleo*> shown;
        lines->near(area.top, area.bottom, 2 + lines->tallest() / 4, shown);
        for (nucleo* m : shown) m->paintIt(dc, area);
    } else {
        forMembers(this, [&](nucleo* m) { m->paintIt(dc, area); });
    }
    frameIfFocused(dc);
}

// Separators sit on the list's bottom edge.
void list::paint(HDC dc, aRect& area) {
    LONG x = rect.left;
    if (headNode.getLen() > 0) {
        drawInner(headNode, dc, area);
        x = headNode.right();
    }
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember) {
            separatorNode.moveTo(x, separatorNode.top() + rect.bottom - separatorNode.bottom(), false);
            drawInner(separatorNode, dc, area);
        }
        firstMember = false;
        m->paintIt(dc, area);
        x = m->right();
    });
    if (tailNode.getLen() > 0) drawInner(tailNode, dc, area);
    frameIfFocused(dc);
}

// Separators sit on the operator's alignment line.
void operat::paint(HDC dc, aRect& area) {
    LONG x = rect.left;
    if (headNode.getLen() > 0) {
        drawInner(headNode, dc, area);
        x = headNode.right();
    }
    const bool separated = separatorNode.getLen() > 0;
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember && separated) {
            separatorNode.moveTo(x, rect.top + ascent - separatorNode.getAscent(), false);
            drawInner(separatorNode, dc, area);
        }
        firstMember = false;
        m->paintIt(dc, area);
        x = m->right();
    });
    if (tailNode.getLen() > 0) drawInner(tailNode, dc, area);
    frameIfFocused(dc);
}

void sum::paint(HDC dc, aRect& area) {
    nucleo* previous = nullptr;
    forMembers(this, [&](nucleo* m) {
        if (previous && !m->isSign()) {
            separatorNode.moveTo(previous->right(), rect.top + ascent - separatorNode.getAscent(), false);
            drawInner(separatorNode, dc, area);
        }
        m->paintIt(dc, area);
        previous = m;
    });
    frameIfFocused(dc);
}

// The prefix (sign, relation glyph) and then the operand.
void unaryOp::paint(HDC dc, aRect& area) {
    drawInner(headNode, dc, area);
    if (memberCount > 0) first()->paintIt(dc, area);
    frameIfFocused(dc);
}

// A function draws like a prefix: its name, then its argument.
void function::paint(HDC dc, aRect& area) {
    drawInner(headNode, dc, area);
    if (memberCount > 0) first()->paintIt(dc, area);
    frameIfFocused(dc);
}

// No glyph: a power shows only by the raised position of its exponent.
void binaryOp::paint(HDC dc, aRect& area) {
    if (memberCount >= 1) first()->paintIt(dc, area);
    if (memberCount >= 2) first()->next()->paintIt(dc, area);
    frameIfFocused(dc);
}

void groupRel::paint(HDC dc, aRect& area) {
    if (memberCount >= 1) {
        first()->paintIt(dc, area);
        separatorNode.moveTo(first()->right(), rect.top + ascent - separatorNode.getAscent(), false);
    }
    drawInner(separatorNode, dc, area);
    if (memberCount >= 2) first()->next()->paintIt(dc, area);
    frameIfFocused(dc);
}

void logaritm::paint(HDC dc, aRect& area) {
    drawInner(headNode, dc, area);
    if (memberCount >= 1) first()->paintIt(dc, area);
    if (memberCount >= 2) last()->paintIt(dc, area);
    frameIfFocused(dc);
}

// The bar lies in the gap above each denominator and spans the whole width.
void quocient::paint(HDC dc, aRect& area) {
    bool firstMember = true;
    forMembers(this, [&](nucleo* m) {
        if (!firstMember) {
            MoveToEx(dc, rect.left, m->top() - 1, nullptr);
            LineTo(dc, rect.right, m->top() - 1);
        }
        firstMember = false;
        m->paintIt(dc, area);
    });
    frameIfFocused(dc);
}

// The operands, then the root sign as one polyline: a tick on the alignment
// line, down to the bottom, up to the radicand's corner, the bar over it and
// a short hook at its right end.
void radical::paint(HDC dc, aRect& area) {
    if (memberCount >= 1) first()->paintIt(dc, area);
    if (memberCount >= 2) first()->next()->paintIt(dc, area);
    if (memberCount >= 1) {
        const nucleo* r = last();
        const int x0 = rect.left + indexOffset;
        const int w = r->left() - x0;
        const int y0 = rect.top + ascent;
        MoveToEx(dc, x0 + 1, y0, nullptr);
        LineTo(dc, int(x0 + 0.1 * w + 2), y0);
        LineTo(dc, int(x0 + 0.6 * w), rect.bottom - 1);
        LineTo(dc, r->left() - 1, r->top() - 1);
        LineTo(dc, rect.right - 2, r->top() - 1);
        LineTo(dc, rect.right - 2, int(r->top() + 0.1 * w));
    }
    frameIfFocused(dc);
}

// A page is always framed.
void page::paint(HDC dc, aRect& area) {
    container::paint(dc, area);
    drawRect(dc);
}

}  // namespace tovimat
