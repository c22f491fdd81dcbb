// The undo history of one document. A step holds what one change did to
// the document's lines: the stored records of the lines it touched as they
// were before and after (so that shared values come back shared), the order
// of the lines when it changed, and where the caret and the selection stood
// on either side. The history knows nothing of nodes or views: the document's
// line table takes the changes and puts them back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace velmor {

// A line of the document (a member of its base container) keeps its number
// across undo and redo, while its node is rebuilt from records.
using LineId = std::uint64_t;

// A node named by its line and the way down from it: at each level the
// node's place in its container's chain, the head delimiter counting 0.
struct NodePlace {
    LineId line = 0;
    std::vector<int> path;
    bool operator==(const NodePlace&) const = default;
};

// Where the caret and the selection stand, and the tool.
struct EditingState {
    bool hasCaret = false;
    NodePlace caret;
    int caretIndex = 0;
    struct Selected {
        NodePlace node;
        std::array<long, 4> rect{};  // left, top, right, bottom
        bool operator==(const Selected&) const = default;
    };
    std::vector<Selected> selection;
    int mode = 0;

    bool operator==(const EditingState&) const = default;
};

// Lines stored together: the record of a plain container holding them, in
// their order in the document. Lines that share a value are always stored in
// one group, since a stored value is numbered within its stream.
struct LineGroup {
    std::vector<LineId> ids;
    std::vector<std::uint8_t> bytes;
    // Which place shows each shared value: positions in the order the
    // references of the lines are met, a value's own inside it after its
    // first place. The place may move without changing the records; the
    // group then keeps up with it.
    mutable std::vector<std::int32_t> presenting;
};
using GroupPtr = std::shared_ptr<const LineGroup>;

// What a step did to the lines: the groups it replaced and those that took
// their place, and, when lines came, went or moved, the whole order of the
// lines on either side.
struct LinesChange {
    std::vector<GroupPtr> before, after;
    bool reordered = false;
    std::vector<LineId> orderBefore, orderAfter;
    // Where the base container stood on either side, which an empty one
    // keeps.
    std::array<long, 2> baseBefore{}, baseAfter{};

    bool empty() const { return before.empty() && after.empty() && !reordered; }
    std::size_t cost() const;
    // This change followed by next, as one.
    void extend(LinesChange next);
};

class History {
public:
    static constexpr std::size_t kMaxSteps = 1000;
    static constexpr std::size_t kMaxBytes = std::size_t(64) << 20;

    struct Step {
        std::string label;
        bool typing = false;
        LinesChange change;
        EditingState before, after;
        std::uint64_t beforeSerial = 0, afterSerial = 0;
    };

    // Forgets every step (a new or opened document): the state it starts
    // from next is the saved one.
    void clear();
    bool started() const { return started_; }
    void start(EditingState editing);
    // The caret or the selection moved without changing the document: the
    // steps on either side of the current state keep the new place, and
    // typing from there starts a new step.
    void moveEditing(const EditingState& editing);
    const EditingState& editing() const { return editing_; }

    // Records a change made from the current state. A typing step that
    // follows a typing step with the caret where that one left it extends
    // it. Steps that were undone are gone.
    void record(std::string label, LinesChange change, EditingState after, bool typing);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // "Typing", "Calculate"...; empty when there is nothing to undo/redo.
    std::string undoLabel() const;
    std::string redoLabel() const;
    // Steps back or forward; answers the step to take back (its change
    // backwards, then its before state) or to make again, or null.
    const Step* undo();
    const Step* redo();

    // The current state is the one in the file.
    void markSaved();
    bool atSavedState() const { return currentSerial_ == savedSerial_; }

    std::size_t steps() const { return steps_.size(); }
    // How many of them are done (can be undone).
    std::size_t done() const { return done_; }
    std::size_t bytesHeld() const { return bytes_; }

private:
    static std::size_t cost(const Step& s) { return s.change.cost() + sizeof(Step); }
    void dropOldest();

    std::deque<Step> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are done
    std::size_t bytes_ = 0;
    bool started_ = false;
    EditingState editing_;
    std::uint64_t currentSerial_ = 0;
    std::uint64_t savedSerial_ = 0;
    std::uint64_t nextSerial_ = 0;
    // The last step is typing that more typing may extend.
    bool typingOpen_ = false;
};

}  // namespace velmor
