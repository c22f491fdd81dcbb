#include "core/history.h"

#include <algorithm>
#include <utility>

namespace velmor {

std::size_t LinesChange::cost() const {
    std::size_t n = (orderBefore.size() + orderAfter.size()) * sizeof(LineId);
    for (const GroupPtr& g : before) n += g->bytes.size() + g->ids.size() * sizeof(LineId);
    for (const GroupPtr& g : after) n += g->bytes.size() + g->ids.size() * sizeof(LineId);
    return n;
}

// The groups next replaced are those this change left (the same objects) or
// ones it did not touch: the former cancel out, the latter join the before side.
void LinesChange::extend(LinesChange next) {
    auto in = [](const std::vector<GroupPtr>& list, const GroupPtr& g) {
        return std::find(list.begin(), list.end(), g) != list.end();
    };
    std::vector<GroupPtr> kept;
    for (GroupPtr& g : after)
        if (!in(next.before, g)) kept.push_back(std::move(g));
    for (GroupPtr& g : next.before)
        if (!in(after, g)) before.push_back(std::move(g));
    for (GroupPtr& g : next.after) kept.push_back(std::move(g));
    after = std::move(kept);
    baseAfter = next.baseAfter;
    if (next.reordered) {
        if (!reordered) orderBefore = std::move(next.orderBefore);
        orderAfter = std::move(next.orderAfter);
        reordered = true;
    }
}

void History::clear() {
    steps_.clear();
    done_ = 0;
    bytes_ = 0;
    started_ = false;
    editing_ = EditingState{};
    currentSerial_ = savedSerial_ = ++nextSerial_;
    typingOpen_ = false;
}

void History::start(EditingState editing) {
    if (started_) return;
    started_ = true;
    editing_ = std::move(editing);
}

void History::moveEditing(const EditingState& editing) {
    if (editing_ == editing) return;
    editing_ = editing;
    if (done_ > 0) steps_[done_ - 1].after = editing;
    if (done_ < steps_.size()) steps_[done_].before = editing;
    typingOpen_ = false;
}

void History::record(std::string label, LinesChange change, EditingState after, bool typing) {
    while (steps_.size() > done_) {
        bytes_ -= cost(steps_.back());
        steps_.pop_back();
    }
    if (typing && typingOpen_ && !steps_.empty() && steps_.back().typing) {
        Step& last = steps_.back();
        bytes_ -= cost(last);
        last.change.extend(std::move(change));
        last.after = after;
        last.afterSerial = ++nextSerial_;
        bytes_ += cost(last);
    } else {
        Step s;
        s.label = std::move(label);
        s.typing = typing;
        s.change = std::move(change);
        s.before = editing_;
        s.after = after;
        s.beforeSerial = currentSerial_;
        s.afterSerial = ++nextSerial_;
        bytes_ += cost(s);
        steps_.push_back(std::move(s));
        ++done_;
    }
    editing_ = std::move(after);
    currentSerial_ = steps_.back().afterSerial;
    typingOpen_ = typing;
    while (steps_.size() > kMaxSteps || (bytes_ > kMaxBytes && steps_.size() > 1)) dropOldest();
}

void History::dropOldest() {
    bytes_ -= cost(steps_.front());
    steps_.pop_front();
    if (done_ > 0) --done_;
}

std::string History::undoLabel() const { return canUndo() ? steps_[done_ - 1].label : std::string(); }

std::string History::redoLabel() const { return canRedo() ? steps_[done_].label : std::string(); }

const History::Step* History::undo() {
    if (!canUndo()) return nullptr;
    const Step& s = steps_[--done_];
    editing_ = s.before;
    currentSerial_ = s.beforeSerial;
    typingOpen_ = false;
    return &s;
}

const History::Step* History::redo() {
    if (!canRedo()) return nullptr;
    const Step& s = steps_[done_++];
    editing_ = s.after;
    currentSerial_ = s.afterSerial;
    typingOpen_ = false;
    return &s;
}

void History::markSaved() {
    savedSerial_ = currentSerial_;
    typingOpen_ = false;
}

}  // namespace velmor
