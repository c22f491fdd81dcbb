// The Edit menu: its enabling rules, and Cut, Copy, Paste and Select All
// through the program's clipboard. Undo and Redo are in view_history.cpp.
#include <algorithm>

#include "core/clipboard.h"
#include "core/commands.h"
#include "core/linear_text.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "platform/messages.h"
#include "text/linear_reader.h"

using namespace tovimat;
namespace cmd = velmor::cmd;

namespace {

// Room left between a line and a formula pasted after it.
constexpr int kPasteGap = 10;

bool isInside(const nucleo* n, const nucleo* ancestor) {
    for (const container* p = n->parent(); p; p = p->parent())
        if (p == ancestor) return true;
    return false;
}

// The member of the root container that holds n; null for the root itself.
nucleo* lineOf(nucleo* n, const container* base) {
    while (n && n->parent() != base) n = n->parent();
    return n;
}

// An empty leaf or an empty group: a place a formula may take.
bool isEmptyPlace(const nucleo* n) {
    if (n->isReadOnly() || !n->parent()) return false;
    if (n->isGroup()) return static_cast<const container*>(n)->members() == 0;
    return n->getLen() == 0;
}

}  // namespace

bool CVelmorView::editEnabled(int id) const {
    if (!doc_ || !base()) return false;
    switch (id) {
        case cmd::Undo:
            return doc_->history().canUndo();
        case cmd::Redo:
            return doc_->history().canRedo();
        case cmd::Copy:
        case cmd::Cut:
            return !copiedNodes().empty();
        case cmd::Paste:
            return !velmor::Clipboard::instance().empty();
        case cmd::PasteText:
            return true;
        case cmd::SelectAll:
            return base()->members() > 0;
        default:
            return false;
    }
}

bool CVelmorView::executeEdit(int id) {
    switch (id) {
        case cmd::Undo:
            onUndo();
            return true;
        case cmd::Redo:
            onRedo();
            return true;
        case cmd::Copy:
            onCopy();
            return true;
        case cmd::Cut:
            onCut();
            return true;
        case cmd::Paste:
            onPaste();
            return true;
        case cmd::SelectAll:
            onSelectAll();
            return true;
        default:
            return false;
    }
}

std::vector<nucleo*> CVelmorView::draggedNodes() const {
    std::vector<nucleo*> nodes;
    container* b = base();
    if (!b) return nodes;
    for (selector& s : selectionList())
        if (s.getTarget()->getRoot() == root() && s.getTarget() != b) nodes.push_back(s.getTarget());
    // A node inside another selected one goes with it.
    std::erase_if(nodes, [&](nucleo* n) {
        return std::any_of(nodes.begin(), nodes.end(), [n](nucleo* other) { return isInside(n, other); });
    });
    return nodes;
}

std::vector<nucleo*> CVelmorView::copiedNodes() const {
    std::vector<nucleo*> nodes = draggedNodes();
    container* b = base();
    if (!b) return nodes;
    if (nodes.empty() && focused_ && focused_->getRoot() == root())
        if (nucleo* line = lineOf(focused_, b)) nodes.push_back(line);
    return nodes;
}

void CVelmorView::onCopy() {
    const std::vector<nucleo*> nodes = copiedNodes();
    if (nodes.empty()) {
        MessageBeep(0);
        return;
    }
    std::string text;
    for (nucleo* n : nodes) text += (text.empty() ? "" : "\n") + velmor::linearText(*n);
    velmor::Clipboard::instance().setFormulas(
        velmor::writeFormulas(std::vector<const nucleo*>(nodes.begin(), nodes.end())), std::move(text));
}

void CVelmorView::onCut() {
    Step step(*this, "Cut");
    container* b = base();
    if (!b) return;
    bool selected = false;
    for (selector& s : selectionList()) selected = selected || s.getTarget()->getRoot() == root();
    if (selected) {
        onCopy();
        deleteSelection();
        return;
    }
    if (!focused_) return;
    // The pending edit is validated first, so that what goes on the
    // clipboard is what the line holds; that may rebuild the line.
    int index = 0;
    for (nucleo* m = lineOf(focused_, b); m && m->previous(); m = m->previous()) ++index;
    focused_->focusOut();
    nucleo* line = b->head();
    for (int i = 0; i < index && line; ++i) line = line->next();
    if (!line || line->parent() != b || !line->chained()) return;
    velmor::Clipboard::instance().setFormulas(velmor::writeFormulas({line}), velmor::linearText(*line));
    if (protocol::mouseOn == line || (protocol::mouseOn && isInside(protocol::mouseOn, line)))
        protocol::mouseOn = nullptr;
    delete line;
    b->update();
    root()->setModified(true);
}

void CVelmorView::onPaste() {
    Step step(*this, "Paste");
    const velmor::Clipboard& clip = velmor::Clipboard::instance();
    if (clip.hasFormulas()) {
        std::vector<std::unique_ptr<nucleo>> nodes = velmor::readFormulas(clip.formulas());
        if (nodes.empty()) {
            MessageBeep(0);
            return;
        }
        placeFormulas(std::move(nodes));
    } else if (clip.hasText()) {
        onPasteText(clip.text());
    } else {
        MessageBeep(0);
    }
}

void CVelmorView::onPasteText(std::string_view text) {
    Step step(*this, "Paste");
    linearReading reading = readLinear(text);
    if (!reading) {
        MessageBeep(0);
        return;
    }
    std::vector<std::unique_ptr<nucleo>> nodes;
    nodes.push_back(std::move(reading.tree));
    placeFormulas(std::move(nodes));
}

bool CVelmorView::placeFormulas(std::vector<std::unique_ptr<nucleo>> nodes) {
    Step step(*this, "Paste");
    container* b = base();
    if (!b || nodes.empty()) {
        MessageBeep(0);
        return false;
    }
    nucleo* f = focused_ && focused_->getRoot() == root() && protocol::mode == EditMode ? focused_ : nullptr;

    // One formula takes the empty place that holds the caret, as a drop does.
    if (f && nodes.size() == 1 && isEmptyPlace(f)) {
        nucleo* target = f;
        if (target->focusOut()) {
            nucleo* n = nodes.front().get();
            nodeWatch alive(n);
            protocol::dropTarget = target;
            const bool placed = target->drop(n);
            protocol::dropTarget = nullptr;
            // A formula merged into its place (a sum into a sum) is gone.
            if (!alive.alive() || n->atached()) nodes.front().release();
            if (!placed) {
                MessageBeep(0);
                return false;
            }
            if (alive.alive() && n->getRoot() == root()) n->focusRight();
            b->update();
            root()->setModified(true);
            return true;
        }
        f = focused_;
    }

    // Otherwise new items, one after another, after the caret's line.
    LONG x = 10, y = b->members() > 0 ? b->bottom() + kPasteGap : 10;
    if (nucleo* line = f ? lineOf(f, b) : nullptr) {
        x = line->right() + kPasteGap;
        y = line->top();
    }
    if (focused_) focused_->focusOut();
    nucleo* last = nullptr;
    for (std::unique_ptr<nucleo>& owned : nodes) {
        nucleo* n = owned.get();
        n->moveTo(x, y);
        nodeWatch alive(n);
        const bool placed = b->entre(n, b->last(), b->tail());
        if (!alive.alive() || n->atached()) owned.release();
        if (!placed || !alive.alive()) continue;
        n->update();
        x = n->right() + kPasteGap;
        last = n;
    }
    if (!last) {
        MessageBeep(0);
        return false;
    }
    setMode(EditMode);
    last->focusRight();
    root()->setModified(true);
    return true;
}

// --- drag and drop between documents ---------------------------------------------------------------

void CVelmorView::cancelDrag() {
    window_.releaseCapture();
    if (!dragged_) return;
    dragged_ = false;
    toggleSelectionFrames();
    for (selector& s : selectionList()) s.slide(-dragShift_.x, -dragShift_.y);
    dragAnchor_ = aPoint(dragOrigin());
    dragShift_ = POINT{0, 0};
    // The caret marked a drop place here: there is none now.
    if (focused_) focused_->killFocus();
    focused_ = nullptr;
    toggleSelectionFrames();
    if (container* b = base()) b->update();
}

bool CVelmorView::dropFormulas(std::vector<std::unique_ptr<nucleo>> nodes, POINT clientPoint,
                               const std::vector<POINT>& offsets) {
    Step step(*this, "Drag and Drop");
    container* b = base();
    if (!b || nodes.empty()) {
        MessageBeep(0);
        return false;
    }
    makeActive();
    if (focused_) focused_->focusOut();
    focused_ = nullptr;

    // The place a drag marks under the pointer, as a drag in this document
    // finds it.
    const POINT p = toDocument(clientPoint);
    aPoint at(p);
    if (!b->mouseMove(at)) protocol::mouseOn = b;
    nucleo* target = b->scanDrag(at) && protocol::mouseOn ? focused_ : nullptr;
    // The place is known as the drop target before the caret leaves it, so
    // that an empty place stays; validating a pending edit may still
    // replace the node that marked it.
    protocol::dropTarget = target;
    if (target && !target->focusOut()) target = nullptr;
    protocol::dropTarget = nullptr;
    focused_ = nullptr;

    // Each formula goes where the drop target is now: taking an empty place
    // replaces the node that marked it, and the engine keeps the target up
    // to date.
    protocol::dropTarget = target;
    bool any = false;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        nucleo* n = nodes[i].get();
        const POINT offset = i < offsets.size() ? offsets[i] : POINT{0, 0};
        const LONG x = p.x + offset.x, y = p.y + offset.y;
        nodeWatch alive(n);
        bool placed = false;
        if (protocol::dropTarget) {
            placed = protocol::dropTarget->drop(n);
        } else {
            n->moveTo(x, y);
            placed = b->entre(n, b->last(), b->tail());
        }
        // A formula merged into its place (a sum into a sum) is gone.
        if (!alive.alive() || n->atached()) nodes[i].release();
        // Nothing dropped may be lost: what found no place is a new item
        // where it was let go.
        if (!placed && nodes[i]) {
            n->moveTo(x, y);
            placed = bool(b->lput(std::move(nodes[i])));
        }
        any = any || placed;
    }
    protocol::dropTarget = nullptr;
    b->update();
    if (!any) {
        MessageBeep(0);
        return false;
    }
    root()->setModified(true);
    const SIZE client = window_.clientSize();
    window_.invalidateRect(RECT{0, 0, client.cx, client.cy}, true);
    doc_->updateAllViews(velmor::hint::ScrollRange, nullptr);
    return true;
}

void CVelmorView::onSelectAll() {
    Step step(*this, "Select All");
    container* b = base();
    if (!b) return;
    setMode(SelectorMode);
    dropSelection();
    selection& list = selectionList();
    for (nucleo* m = b->first(); m && m->chained(); m = m->next())
        if (!m->isReadOnly()) list.add(m);
    toggleSelectionFrames();
}
