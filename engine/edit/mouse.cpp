// The mouse: which node is under the pointer, where a click puts the caret,
// where dragged nodes would land, and dropping them there.
#include <vector>

#include "model/document.h"
#include "render/line_index.h"

namespace tovimat {

namespace {

bool inside(const nucleo* n, const aPoint& p) {
    RECT r = n->getRect();
    return PtInRect(&r, POINT(p));
}

int selectedCount(protocol* root) {
    selection* list = root ? root->selectionList() : nullptr;
    return list ? list->count() : 0;
}

bool hasRoomFor(const container* c, int count) { return c->maxMembers() >= long(c->members()) + count; }

}  // namespace

// --- hover --------------------------------------------------------------------------------

bool nucleo::mouseMove(aPoint& point) {
    if (!inside(this, point)) return false;
    protocol::mouseOn = this;
    return true;
}

// A member that does not hold the point answers false and changes nothing,
// so the root of a long document asks only the lines on the point's row.
bool container::mouseMove(aPoint& point) {
    if (!inside(this, point)) return false;
    if (const lineIndex* lines = lineIndex::of(this)) {
        std::vector<nucleo*> onRow;
        lines->near(point.y, point.y, 0, onRow);
        for (nucleo* m : onRow)
            if (m->mouseMove(point)) return true;
    } else {
        for (nucleo* m = first(); m && m->chained(); m = m->next())
            if (m->mouseMove(point)) return true;
    }
    protocol::mouseOn = this;
    return true;
}

// --- clicks -----------------------------------------------------------------------------------

bool nucleo::click(aPoint& point) { return rootDoc ? rootDoc->clickOn(this, point) : false; }

// The caret goes to the character boundary nearest to the click; ties go to
// the right.
bool nucleo::click(HDC dc, aPoint& point) {
    if (!inside(this, point)) return false;
    const int b = point.x - rect.left;
    HGDIOBJ old = SelectObject(dc, font);
    auto width = [&](int n) {
        SIZE s{0, 0};
        GetTextExtentPoint32A(dc, getText(), n, &s);
        return int(s.cx);
    };
    const int len = getLen();
    int index = 0, x = 0;
    bool placed = false;
    for (int n = len; n >= 1 && !placed; --n) {
        int wn = width(n);
        if (wn >= b) continue;
        placed = true;
        if (n == len) {
            index = n;
            x = wn;
        } else {
            int wNext = width(n + 1);
            bool right = (wNext - b) <= (b - wn);
            index = right ? n + 1 : n;
            x = right ? wNext : wn;
        }
    }
    if (!placed && len > 0) {
        int w1 = width(1);
        index = b < w1 / 2.0 ? 0 : 1;
        x = index ? w1 : 0;
    }
    if (old) SelectObject(dc, old);
    focusAt(index, x);
    return true;
}

bool field::click(aPoint& point) {
    if (!inside(this, point)) return false;
    if (length > 0) return nucleo::click(point);
    focusLeft();
    return true;
}

// The document level: a click in the gap before a member puts the caret at
// that member's start; a click outside everything at the document's end.
bool container::click(aPoint& point) {
    if (!inside(this, point)) {
        if (!parentNode) focusRight();
        return false;
    }
    if (memberCount == 0) {
        focusLeft();
        return true;
    }
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        if (m->click(point)) return true;
        if (!m->selected() && m->left() > point.x) {
            m->focusLeft();
            return true;
        }
    }
    focusLeft();
    return true;
}

bool list::click(aPoint& point) {
    if (!inside(this, point)) return false;
    for (nucleo* m = first(); m && m->chained(); m = m->next())
        if (m->click(point)) return true;
    if (memberCount == 0) {
        nucleo::focusAt(1, rect.Width() / 2);
    } else if (point.x < first()->left()) {
        focusLeft();
    } else if (point.x >= last()->right()) {
        focusRight();
    }
    return true;
}

// --- dragging -------------------------------------------------------------------------------------

bool nucleo::scanDrag(aPoint& point) {
    if (selected() || !inside(this, point)) return false;
    if (getLen() > 0 && parentNode && parentNode->members() >= parentNode->maxMembers()) return false;
    if (point.x < rect.left + rect.Width() / 2)
        focusLeft();
    else
        focusRight();
    return true;
}

bool container::scanDrag(aPoint& point) {
    if (selected()) return false;
    if (!hasRoomFor(this, selectedCount(rootDoc)) || !inside(this, point)) return false;
    for (nucleo* m = first(); m && m->chained(); m = m->next())
        if (m->scanDrag(point)) return true;
    if (!readOnly && memberCount == 0) {
        focusAt(1);
        return true;
    }
    return false;
}

// When the point is inside the composite but over no member, the caret goes
// after the last member and the drop is accepted there when the composite
// has room.
bool list::scanDrag(aPoint& point) {
    if (selected()) {
        if (rootDoc && rootDoc->focused() == this) focusOut();
        return false;
    }
    if (container::scanDrag(point)) return true;
    if (!inside(this, point)) return false;
    const int count = selectedCount(rootDoc);
    if (headNode.getLen() > 0 && point.x < headNode.right()) {
        if (point.x < headNode.left() + headNode.Width() / 2 && !readOnly) {
            focusLeft();
            return parentNode && hasRoomFor(parentNode, count);
        }
        if (memberCount > 0 && !first()->selected()) {
            first()->focusLeft();
            return hasRoomFor(this, count);
        }
        return false;
    }
    if (tailNode.getLen() > 0 && point.x > tailNode.left()) {
        if (point.x >= tailNode.left() + tailNode.Width() / 2 && !readOnly) {
            focusRight();
            return parentNode && hasRoomFor(parentNode, count);
        }
        if (memberCount > 0 && !last()->selected()) {
            last()->focusRight();
            return hasRoomFor(this, count);
        }
        return false;
    }
    if (memberCount == 0) {
        if (readOnly) return false;
        focusAt(1);
        return true;
    }
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        if (point.y < m->top() || point.y >= m->bottom()) continue;
        const int centre = m->left() + m->Width() / 2;
        if (point.x >= m->left() - m->Width() / 2 && point.x < centre) {
            m->focusLeft();
            return true;
        }
        if (point.x >= centre && point.x <= m->right() + m->Width() / 2) {
            m->focusRight();
            return true;
        }
    }
    last()->focusRight();
    return hasRoomFor(this, count);
}

// --- dropping --------------------------------------------------------------------------------------

// An empty field is a placeholder: the first dropped node replaces it and
// becomes the drop target, so the following ones land after it in order.
// A drop answers whether n found its place; once it has, n may have been
// merged into its new container and must not be used again.
bool field::drop(nucleo* n) {
    if (!n || n == this) return true;
    if (length == 0) {
        protocol::dropTarget = n;
        if (replaceWith(n)) return true;  // laid out as it joined the document
        protocol::dropTarget = this;
        return false;
    }
    int index = rootDoc ? rootDoc->caretIndex() : 0;
    if (index != 0) return nextNode == n || n->putAfter(this);
    return previousNode == n || n->putBefore(this);
}

bool container::drop(nucleo* n) {
    if (!n || n == this) return true;
    int index = rootDoc ? rootDoc->caretIndex() : 0;
    if (parentNode) {
        if (index == 1) {
            protocol::dropTarget = n;
            if (entre(n, &headNode, headNode.next())) return true;
            protocol::dropTarget = this;
            return false;
        }
        if (index == 2) return nextNode == n || n->putAfter(this);
        return previousNode == n || n->putBefore(this);
    }
    if (index != 0) return last() == n || entre(n, last(), &tailNode);
    return first() == n || entre(n, &headNode, first());
}

}  // namespace tovimat
