// The view's messages: mouse, keyboard, focus, painting and the document's
// hints. The commands are in view_commands.cpp.
#include "core/velmor_view.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "algebra/step_notes.h"
#include "core/velmor_doc.h"
#include "platform/messages.h"
#include "platform/vkeys.h"

using namespace tovimat;
using velmor::MK_ALT;
using velmor::MK_CONTROL;
using velmor::MK_LBUTTON;
using velmor::MK_RBUTTON;
using velmor::MK_SHIFT;

namespace {

// Takes the nodes of one document out of the selection all documents share.
void forgetSelected(selection& list, const protocol* root) {
    for (bool again = true; again;) {
        again = false;
        for (selector& s : list)
            if (s.getTarget()->getRoot() == root) {
                list.remove(s.getTarget());
                again = true;
                break;
            }
    }
}

RECT normalized(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

bool isInside(const nucleo* n, const nucleo* ancestor) {
    for (const container* p = n->parent(); p; p = p->parent())
        if (p == ancestor) return true;
    return false;
}

}  // namespace

CVelmorView::CVelmorView(CVelmorDoc& doc, CViewWindow& window) : doc_(&doc), window_(window) {
    doc.addView(this);
}

CVelmorView::~CVelmorView() {
    onDestroy();
    if (doc_) doc_->removeView(this);
}

CVelmorProtocol* CVelmorView::root() const { return doc_ ? doc_->root() : nullptr; }

container* CVelmorView::base() const { return doc_ ? doc_->base() : nullptr; }

selection& CVelmorView::selectionList() const { return CVelmorProtocol::sharedSelection(); }

void CVelmorView::forgetEditingPosition() {
    focused_ = nullptr;
    caretIndex_ = 0;
    keyPassed_ = false;
    window_.hideCaret();
}

void CVelmorView::detachDocument() {
    forgetEditingPosition();
    doc_ = nullptr;
}

void CVelmorView::makeActive() {
    if (CVelmorProtocol* r = root()) r->setActiveView(this);
}

POINT CVelmorView::toDocument(POINT p) const {
    POINT s = window_.scrollPosition();
    return POINT{p.x + s.x, p.y + s.y};
}

RECT CVelmorView::toClient(const RECT& r) const {
    POINT s = window_.scrollPosition();
    return RECT{r.left - s.x, r.top - s.y, r.right - s.x, r.bottom - s.y};
}

// --- what the document root asks of the view ---------------------------------------------

// The caret stays visible: when it leaves the client area the view scrolls so
// that it stands a fifth of the client size inside the edge it crossed.
void CVelmorView::placeCaret(int x, int y) {
    POINT s = window_.scrollPosition();
    const SIZE client = window_.clientSize();
    auto delta = [](int v, int start, int extent) {
        const int margin = extent / 5;
        if (v > start + extent) return margin + (v - (start + extent));
        if (v < start) return v - margin - start;
        return 0;
    };
    const int dx = delta(x, s.x, client.cx);
    const int dy = delta(y, s.y, client.cy);
    if (dx != 0 || dy != 0) {
        window_.scrollToPosition(POINT{s.x + dx, s.y + dy});
        s = window_.scrollPosition();
    }
    window_.setCaretPos(POINT{x - s.x, y - s.y});
}

// Room for the whole tree and a margin: at least 100 by 100, plus 80 on the
// right.
void CVelmorView::recalcScrollRange() {
    container* b = base();
    const LONG right = b ? b->right() : 0;
    const LONG bottom = b ? b->bottom() : 0;
    const SIZE total{std::max<LONG>(right, 100) + 80, std::max<LONG>(bottom, 100)};
    const SIZE now = window_.totalSize();
    if (total.cx != now.cx || total.cy != now.cy) window_.setScrollSizes(total);
}

void CVelmorView::onUpdate(int hint, nucleo* node) {
    switch (hint) {
        case velmor::hint::Invalidate:
            if (node) window_.invalidateRect(toClient(node->getRect()), true);
            break;
        case velmor::hint::Validate:
            if (node) window_.validateRect(toClient(node->getRect()));
            break;
        case velmor::hint::FocusFrame:
            // At the node's place on the screen, like the selection frames
            // the view inverts itself, so that either erases the other.
            if (node) window_.drawFocusRect(toClient(node->getRect()));
            break;
        case velmor::hint::Closing:
            // The window goes with the document: its frames need no erasing,
            // and what other documents have selected stays selected.
            forgetSelected(selectionList(), root());
            if (focused_) focused_->focusOut();
            break;
        case velmor::hint::ScrollRange:
            recalcScrollRange();
            break;
        default:
            break;
    }
}

// --- tools ----------------------------------------------------------------------------------

void CVelmorView::setMode(int m) {
    if (m == NewItemMode || m == EditMode) dropSelection();
    if (m == SelectorMode && focused_) focused_->focusOut();
    protocol::mode = m;
}

void CVelmorView::toggleSelectionFrames() {
    for (selector& s : selectionList()) window_.drawFocusRect(toClient(s.getRect()));
}

void CVelmorView::dropSelection() {
    toggleSelectionFrames();
    selectionList().clear();
}

// --- mouse ------------------------------------------------------------------------------------

void CVelmorView::onLButtonDown(UINT flags, POINT clientPoint) {
    if (!base()) return;
    // A new item and the typing that follows it are one step.
    const bool newItem = protocol::mode == NewItemMode;
    Step step(*this, "Typing", newItem);
    makeActive();
    window_.setCapture();
    dragged_ = false;
    dragShift_ = POINT{0, 0};
    const POINT p = toDocument(clientPoint);
    switch (protocol::mode) {
        case NewItemMode:
            newItemAt(p);
            break;
        case EditMode:
            clickAt(p);
            break;
        case RegionMode:
            if (flags & MK_CONTROL) {
                protocol::mode = RubberBandMode;
                startRubberBand(clientPoint);
                break;
            }
            protocol::mode = SelectorMode;
            if (!selectionList().empty()) {
                dragAnchor_ = aPoint(p);
                break;
            }
            [[fallthrough]];
        case SelectorMode:
            selectAt(flags, p);
            break;
        default:
            break;
    }
}

// The edit tool's click. The pending edit is validated first: that may lay
// the line out anew and replace the node under the point, so the point is
// looked up again before the click goes to the node found there.
void CVelmorView::clickAt(POINT p) {
    if (focused_ && !focused_->isGroup()) focused_->revalidate();
    aPoint at(p);
    container* b = base();
    if (!b->mouseMove(at)) protocol::mouseOn = b;
    if (nucleo* on = protocol::mouseOn; on && on->getRoot() == root()) on->click(at);
}

// A new item: an empty name at the point, last member of the root container,
// with the caret; the edit tool takes over.
void CVelmorView::newItemAt(POINT p) {
    container* b = base();
    auto made = std::make_unique<literal>();
    literal* item = made.get();
    item->moveTo(p.x, p.y);
    if (!b->lput(std::move(made))) return;
    item->update();
    item->focusLeft();
    setMode(EditMode);
    root()->setModified(true);
}

void CVelmorView::selectAt(UINT flags, POINT p) {
    nucleo* on = protocol::mouseOn;
    if (!on || on == base() || on->getRoot() != root()) {
        protocol::mode = RubberBandMode;
        startRubberBand(POINT{p.x - window_.scrollPosition().x, p.y - window_.scrollPosition().y});
        return;
    }
    if (!(flags & MK_CONTROL)) dropSelection();
    if (on->isReadOnly()) return;
    selection& list = selectionList();
    if (list.find(on)) {
        list.remove(on);
    } else {
        list.add(on);
        if (on->isGroup()) {
            // Members selected before lose their selection, and their frames.
            std::vector<RECT> dropped;
            for (selector& s : list)
                if (isInside(s.getTarget(), on)) dropped.push_back(s.getRect());
            cast<container>(on)->enterSel();
            for (const RECT& r : dropped) window_.drawFocusRect(toClient(r));
        }
    }
    on->drawSelection();
    if (focused_) focused_->killFocus();
    protocol::mouseOn = nullptr;
    dragAnchor_ = aPoint(p);
}

void CVelmorView::startRubberBand(POINT clientPoint) {
    band_ = RECT{clientPoint.x, clientPoint.y, clientPoint.x, clientPoint.y};
    window_.drawFocusRect(normalized(band_));
}

void CVelmorView::onMouseMove(UINT flags, POINT clientPoint) {
    if (protocol::mode == RubberBandMode) {
        if (!root() || root()->activeView() != this) return;
        window_.drawFocusRect(normalized(band_));
        band_.right = clientPoint.x;
        band_.bottom = clientPoint.y;
        window_.drawFocusRect(normalized(band_));
        return;
    }
    container* b = base();
    if (!b) return;
    Step step(*this, nullptr);
    makeActive();
    const POINT p = toDocument(clientPoint);
    aPoint at(p);
    if (!b->mouseMove(at)) protocol::mouseOn = b;
    // Only a move with the button held drags the selection.
    if (protocol::mode == SelectorMode && !selectionList().empty() && !(flags & MK_CONTROL) &&
        (flags & MK_LBUTTON))
        dragStep(p);
}

void CVelmorView::dragStep(POINT p) {
    dragged_ = true;
    selection& list = selectionList();
    toggleSelectionFrames();
    for (selector& s : list) s.slide(p.x - dragAnchor_.x, p.y - dragAnchor_.y);
    dragShift_.x += p.x - dragAnchor_.x;
    dragShift_.y += p.y - dragAnchor_.y;
    dragAnchor_ = aPoint(p);
    // A selected node is no place to drop.
    if (focused_ && list.find(focused_)) {
        focused_->focusOut();
        focused_ = nullptr;
    }
    aPoint at(p);
    if (!base()->scanDrag(at) || !protocol::mouseOn) {
        if (focused_) focused_->killFocus();
        focused_ = nullptr;
    }
    toggleSelectionFrames();
    base()->update();
}

void CVelmorView::onLButtonUp(UINT flags, POINT clientPoint) {
    window_.releaseCapture();
    if (!base()) return;
    Step step(*this, "Drag and Drop");
    if (protocol::mode == RubberBandMode) endRubberBand();
    const bool wasDragged = dragged_;
    dragged_ = false;
    if (protocol::mode == SelectorMode && !selectionList().empty() && !(flags & MK_CONTROL) && wasDragged)
        drop(flags, toDocument(clientPoint));
}

void CVelmorView::endRubberBand() {
    RECT r = normalized(band_);
    window_.drawFocusRect(r);
    window_.invalidateRect(r, true);
    const POINT s = window_.scrollPosition();
    selRect_ = aRect(r.left + s.x, r.top + s.y, r.right + s.x, r.bottom + s.y);
    base()->chkSelRect();
    if (focused_) focused_->focusOut();
    protocol::mode = RegionMode;
}

// Drops the dragged selection where the caret marks it: Shift copies, Alt
// shares (both places show one value), the right button held cancels,
// otherwise the nodes move.
void CVelmorView::drop(UINT flags, POINT p) {
    selection& list = selectionList();
    container* b = base();
    if (focused_ && list.find(focused_)) {
        focused_->focusOut();
        return;
    }
    if (flags & MK_RBUTTON) {
        for (selector& s : list) {
            window_.invalidateRect(toClient(s.getRect()), true);
            s.getTarget()->update();
        }
        dropSelection();
    }

    // A node dragged together with one of its selected ancestors travels
    // inside that ancestor: moving it on its own as well could leave the
    // ancestor emptied and deleted under its own selector.
    for (bool pruned = true; pruned;) {
        pruned = false;
        for (selector& s : list) {
            for (nucleo* up = s.getTarget()->parent(); up && !pruned; up = up->parent())
                if (list.find(up)) {
                    list.remove(s.getTarget());
                    pruned = true;
                }
            if (pruned) break;
        }
    }

    // A drop cancelled with the right button left nothing to move.
    if (!list.empty()) root()->setModified(true);
    nucleo* target = focused_;
    protocol::dropTarget = target;
    // Validating a pending edit may replace the node that marked the place.
    if (target && !target->focusOut()) protocol::dropTarget = target = nullptr;

    toggleSelectionFrames();
    for (selector& s : list) {
        window_.invalidateRect(toClient(s.getTarget()->getRect()), true);
        window_.invalidateRect(toClient(s.getRect()), true);
    }

    const int dx = p.x - dragAnchor_.x;
    const int dy = p.y - dragAnchor_.y;
    for (selector& s : list) {
        if (flags & MK_ALT) {
            // The old place keeps the value through a reference; the
            // dragged node becomes another reference to it.
            s.mkref();
        } else if (flags & MK_SHIFT) {
            s.copy();
        } else {
            nucleo* moved = s.getTarget();
            if (target && moved->parent() == target)
                cast<container>(target)->detachIt(moved, false);
            else
                moved->detach();
        }
        s.slide(dx, dy);
    }

    for (selector& s : list) {
        // A node that found its place may have been merged into it (a sum
        // dropped into a sum), so it is not looked at again.
        nucleo* moved = s.getTarget();
        bool placed = false;
        if (protocol::dropTarget) {
            placed = protocol::dropTarget->drop(moved);
        } else {
            moved->moveTo(s.getRect().left, s.getRect().top);
            placed = moved->parent() == b || b->entre(moved, b->last(), b->tail());
        }
        // Nothing dropped may be lost: what found no place is a new item
        // where it was let go.
        if (placed) continue;
        if (!moved->atached()) moved->moveTo(s.getRect().left, s.getRect().top);
        b->lput(adopt(moved));
    }

    protocol::dropTarget = nullptr;
    for (selector& s : list) window_.invalidateRect(toClient(s.getRect()), true);
    list.clear();
    b->update();
}

// --- keyboard -----------------------------------------------------------------------------------

void CVelmorView::onKeyDown(int key) {
    const bool erases = key == VK_BACK || key == VK_DELETE;
    Step step(*this, erases ? "Delete" : "Typing", !erases);
    switch (protocol::mode) {
        case EditMode:
            if (focused_) {
                // A key that changed the tree marks the document, as a
                // character does (a caret move leaves the flag alone).
                const std::uint64_t before = nucleo::layoutEpoch();
                keyPassed_ = focused_->putKey(key);
                if (nucleo::layoutEpoch() != before && root()) root()->setModified(true);
            } else {
                keyPassed_ = false;
                MessageBeep(0);
            }
            break;
        case SelectorMode:
        case RubberBandMode:
        case RegionMode:
            keyPassed_ = false;
            if (key == VK_DELETE && !selectionList().empty()) deleteSelection();
            break;
        default:
            keyPassed_ = false;
            MessageBeep(0);
            break;
    }
}

// Only a character that changed the tree marks the document modified: one
// that was refused (a beep) or only moved the caret leaves the flag alone.
// Every change of the tree moves some node's box.
void CVelmorView::onChar(int c) {
    if (!focused_ || !keyPassed_ || !root()) return;
    CVelmorProtocol* r = root();
    Step step(*this, c == VK_BACK ? "Delete" : "Typing", c != VK_BACK);
    const std::uint64_t before = nucleo::layoutEpoch();
    focused_->putChar(c);
    if (nucleo::layoutEpoch() != before) r->setModified(true);
}

void CVelmorView::deleteSelection() {
    if (focused_) focused_->focusOut();
    keyPassed_ = false;
    if (!root()) return;
    selection& list = selectionList();
    // Every document shares the selection; only this document's nodes go,
    // and the others stay selected in theirs.
    auto firstOfMine = [&]() -> nucleo* {
        for (selector& s : list)
            if (s.getTarget()->getRoot() == root()) return s.getTarget();
        return nullptr;
    };
    toggleSelectionFrames();
    // A node inside another selected node goes with it.
    std::vector<nucleo*> selected;
    for (selector& s : list)
        if (s.getTarget()->getRoot() == root()) selected.push_back(s.getTarget());
    for (nucleo* n : selected)
        if (std::any_of(selected.begin(), selected.end(), [n](nucleo* other) { return isInside(n, other); }))
            list.remove(n);
    // Deleting one node may change another selected one (the last other
    // place of a shared value becomes the value itself): the list says what
    // is still to go.
    bool deleted = false;
    while (nucleo* n = firstOfMine()) {
        list.remove(n);
        if (protocol::mouseOn == n || (protocol::mouseOn && isInside(protocol::mouseOn, n)))
            protocol::mouseOn = nullptr;
        delete n;
        deleted = true;
    }
    toggleSelectionFrames();
    if (deleted && root()) root()->setModified(true);
}

// --- focus, destruction, painting ---------------------------------------------------------------

void CVelmorView::onSetFocus() { makeActive(); }

void CVelmorView::onKillFocus() {
    if (CVelmorProtocol* r = root()) r->forgetView(this);
}

void CVelmorView::onDestroy() {
    if (CVelmorProtocol* r = root()) r->forgetView(this);
}

void CVelmorView::onDraw(HDC dc, const aRect& area, bool printing) {
    CVelmorProtocol* r = root();
    if (!r || !r->getBase()) return;
    aRect part = area;
    r->paint(dc, part);
    if (printing) return;
    for (selector& s : selectionList())
        if (s.getTarget()->getRoot() == r) window_.paintSelectionFrame(dc, s.getRect());
}

void CVelmorView::onInitialUpdate() { window_.setScrollSizes(doc_ ? doc_->getDocSize() : SIZE{150, 50}); }
