// The view's side of the undo history: every handler that may change the
// document opens a Step; when the outermost one ends, the lines it touched
// are compared with those the history holds and the difference becomes one
// undoable step. Undo and Redo put the lines of a step back in place, then
// the caret and the selection.
#include <algorithm>
#include <utility>

#include "algebra/step_notes.h"
#include "core/commands.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"

using namespace tovimat;
namespace cmd = velmor::cmd;

namespace {

// Steps of the chain from the head delimiter to n.
int chainIndex(const nucleo* n) {
    int i = 0;
    for (const nucleo* p = n->previous(); p; p = p->previous()) ++i;
    return i;
}

nucleo* resolve(nucleo* line, const std::vector<int>& path) {
    nucleo* n = line;
    for (int index : path) {
        if (!n || !n->isGroup()) return nullptr;
        nucleo* m = static_cast<container*>(n)->head();
        for (int i = 0; i < index && m; ++i) m = m->next();
        n = m;
    }
    return n;
}

// n's line and the way down to it; false when n cannot be reached through
// the chains (a node outside the document, or inside a shared value shown
// elsewhere).
bool placeOf(const velmor::LineTable& lines, nucleo* n, velmor::NodePlace& place) {
    place = velmor::NodePlace{};
    if (n == lines.base()) return true;  // line 0: the base container itself
    nucleo* line = lines.lineOf(n);
    if (!line) return false;
    for (nucleo* at = n; at != line; at = at->parent()) {
        if (!at->parent()) return false;
        place.path.push_back(chainIndex(at));
    }
    std::reverse(place.path.begin(), place.path.end());
    place.line = lines.idOf(line);
    return place.line != 0 && resolve(line, place.path) == n;
}

}  // namespace

CVelmorView::Step::Step(CVelmorView& view, const char* label, bool typing)
    : view_(view), label_(label), typing_(typing), outer_(view.stepDepth_++ == 0) {
    if (!outer_) return;
    view_.stepLabel_ = label;
    view_.ruleMatch_ = std::make_unique<ruleMatchNote>();
    view_.beginStep();
}

CVelmorView::Step::~Step() {
    --view_.stepDepth_;
    if (!outer_) return;
    view_.endStep(label_, typing_);
    view_.ruleMatch_.reset();
    view_.ruleFileInUse_.clear();
    view_.stepLabel_ = nullptr;
}

velmor::EditingState CVelmorView::editingState() const {
    velmor::EditingState e;
    e.mode = protocol::mode;
    if (!doc_ || !base()) return e;
    const velmor::LineTable& lines = doc_->lines();
    if (focused_ && focused_->getRoot() == root()) {
        e.hasCaret = placeOf(lines, focused_, e.caret);
        e.caretIndex = e.hasCaret ? caretIndex_ : 0;
    }
    for (selector& s : selectionList()) {
        if (s.getTarget()->getRoot() != root()) continue;
        velmor::EditingState::Selected sel;
        if (!placeOf(lines, s.getTarget(), sel.node)) continue;
        const aRect& r = s.getRect();
        sel.rect = {r.left, r.top, r.right, r.bottom};
        e.selection.push_back(std::move(sel));
    }
    return e;
}

// The nodes whose lines a step may change without laying them out: where the
// caret, the selection and the drop position are.
std::vector<nucleo*> CVelmorView::editingNodes() const {
    std::vector<nucleo*> nodes{focused_, protocol::dropTarget, protocol::mouseOn};
    for (selector& s : selectionList())
        if (s.getTarget()->getRoot() == root()) nodes.push_back(s.getTarget());
    std::erase_if(nodes, [this](nucleo* n) { return !n || n->getRoot() != root(); });
    return nodes;
}

void CVelmorView::beginStep() {
    if (!doc_ || !base()) return;
    velmor::History& h = doc_->history();
    velmor::LineTable& lines = doc_->lines();
    if (!lines.started()) {
        h.clear();
        lines.start(base());
    }
    if (!h.started())
        h.start(editingState());
    else
        h.moveEditing(editingState());
    lines.beginStep();
    for (nucleo* n : editingNodes()) lines.touched(n);
    stepFromSaved_ = !doc_->isModified();
}

void CVelmorView::endStep(const char* label, bool typing) {
    if (!doc_ || !base() || !doc_->lines().started()) return;
    velmor::History& h = doc_->history();
    velmor::LinesChange change = doc_->lines().endStep(editingNodes());
    if (change.empty()) {
        h.moveEditing(editingState());
        // Nodes laid out again or put back where they were: what a save
        // would write is what it wrote last.
        if (stepFromSaved_) doc_->setModifiedFlag(false);
        return;
    }
    // A step without a name (a mouse move) changes the document only by
    // validating the pending edit: it belongs to the typing before it.
    h.record(label ? label : "Typing", std::move(change), editingState(), typing || !label);
}

void CVelmorView::releaseEditing() {
    if (!doc_) return;
    for (CDocView* v : doc_->views()) v->forgetEditingPosition();
    toggleSelectionFrames();
    selection& list = selectionList();
    for (bool again = true; again;) {
        again = false;
        for (selector& s : list)
            if (s.getTarget()->getRoot() == root()) {
                list.remove(s.getTarget());
                again = true;
                break;
            }
    }
}

void CVelmorView::restoreEditing(const velmor::EditingState& state) {
    makeActive();
    protocol::mode = state.mode;
    const velmor::LineTable& lines = doc_->lines();
    if (state.hasCaret)
        if (nucleo* n = resolve(lines.placeOf(state.caret.line), state.caret.path)) {
            n->focusAt(state.caretIndex);
            // The caret goes back exactly where it was, even where taking
            // it would have moved it on.
            focused_ = n;
            caretIndex_ = state.caretIndex;
        }
    selection& list = selectionList();
    for (const velmor::EditingState::Selected& sel : state.selection) {
        nucleo* n = resolve(lines.placeOf(sel.node.line), sel.node.path);
        if (!n || list.find(n)) continue;
        list.add(n);
        selector* s = list.find(n);
        s->slide(int(sel.rect[0] - s->getRect().left), int(sel.rect[1] - s->getRect().top));
    }
    toggleSelectionFrames();
    const SIZE client = window_.clientSize();
    window_.invalidateRect(RECT{0, 0, client.cx, client.cy}, true);
}

void CVelmorView::onUndo() {
    if (!doc_ || !doc_->history().canUndo()) return;
    velmor::History& h = doc_->history();
    releaseEditing();
    const velmor::History::Step* s = h.undo();
    doc_->lines().apply(s->change, true);
    restoreEditing(s->before);
    doc_->setModifiedFlag(!h.atSavedState());
    doc_->updateAllViews(velmor::hint::ScrollRange, nullptr);
}

void CVelmorView::onRedo() {
    if (!doc_ || !doc_->history().canRedo()) return;
    velmor::History& h = doc_->history();
    releaseEditing();
    const velmor::History::Step* s = h.redo();
    doc_->lines().apply(s->change, false);
    restoreEditing(s->after);
    doc_->setModifiedFlag(!h.atSavedState());
    doc_->updateAllViews(velmor::hint::ScrollRange, nullptr);
}

bool CVelmorView::placesOf(const std::vector<nucleo*>& nodes, std::vector<velmor::NodePlace>& places) const {
    places.clear();
    if (!doc_ || !base() || !doc_->lines().started()) return false;
    for (nucleo* n : nodes) {
        velmor::NodePlace place;
        if (n == base() || !placeOf(doc_->lines(), n, place)) return false;
        places.push_back(std::move(place));
    }
    return true;
}

bool CVelmorView::removeFormulas(const std::vector<velmor::NodePlace>& places) {
    if (!doc_ || !base() || !doc_->lines().started() || places.empty()) return false;
    std::vector<nucleo*> nodes;
    for (const velmor::NodePlace& place : places) {
        nucleo* n = place.line == 0 ? nullptr : resolve(doc_->lines().placeOf(place.line), place.path);
        if (!n || n->getRoot() != root() || n->isReadOnly()) return false;
        nodes.push_back(n);
    }
    Step step(*this, "Drag and Drop");
    makeActive();
    dropSelection();
    selection& list = selectionList();
    for (nucleo* n : nodes)
        if (!list.find(n)) list.add(n);
    // Shown, so that deleting them takes their frames away.
    toggleSelectionFrames();
    deleteSelection();
    base()->update();
    doc_->updateAllViews(velmor::hint::ScrollRange, nullptr);
    return true;
}

// Each command's step is named after its menu entry.
const char* CVelmorView::stepLabel(int id) {
    struct Label {
        int id;
        const char* label;
    };
    static constexpr Label kLabels[] = {
        {cmd::Calculate, "Calculate"},
        {cmd::CalculateAll, "Calculate All"},
        {cmd::Simplify, "Simplify"},
        {cmd::TestRule, "Test Rule"},
        {cmd::UseConstants, useConstantsCommand},
        {cmd::Font, "Font"},
        {cmd::InsertTrue, "Insert True"},
        {cmd::InsertFalse, "Insert False"},
        {cmd::InsertPlusInfinity, "Insert +Infinity"},
        {cmd::InsertMinusInfinity, "Insert \u2212Infinity"},
        {cmd::InsertSin, "Insert Sin"},
        {cmd::InsertCos, "Insert Cos"},
        {cmd::InsertTan, "Insert Tan"},
        {cmd::InsertASin, "Insert Asin"},
        {cmd::InsertACos, "Insert Acos"},
        {cmd::InsertATan, "Insert Atan"},
        {cmd::InsertLog, "Insert Log"},
        {cmd::InsertRoot, "Insert Root"},
        {cmd::InsertPower, "Insert Power"},
        {cmd::InsertIntersection, "Insert Intersection"},
        {cmd::InsertUnion, "Insert Union"},
        {cmd::InsertContained, "Insert Contained"},
        {cmd::InsertNotContain, "Insert Not Contain"},
        {cmd::InsertBelongs, "Insert Belongs"},
        {cmd::InsertNotBelong, "Insert Not Belongs"},
        {cmd::InsertContains, "Insert Contains"},
    };
    for (const Label& l : kLabels)
        if (l.id == id) return l.label;
    // The tools change no formula: what they validate belongs to the typing.
    return "Typing";
}
