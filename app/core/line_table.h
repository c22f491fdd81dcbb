// The lines of one document as the history sees them: a number for every
// line (member of the base container), and the stored records of every line
// as they stood after the last step. A step tells which lines were touched
// (the document root reports every node it lays out or repaints); at its end
// only those lines are written again and compared, so that recording a step
// costs what the step changed, not the size of the document.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/history.h"
#include "model/container.h"

namespace velmor {

class LineTable {
public:
    // Forgets every line (a new or opened document).
    void clear();
    bool started() const { return base_ != nullptr; }
    // Numbers every line of base and stores its records.
    void start(tovimat::container* base);

    // What the document root reports while a step runs.
    void touched(tovimat::nucleo* node);
    void laidOutAll() { all_ = all_ || inStep_; }
    void beginStep() { inStep_ = true; }
    // The change since the last step (the lines touched and the lines of the
    // nodes given), stored as the current state; empty when nothing changed.
    LinesChange endStep(const std::vector<tovimat::nucleo*>& alsoTouched);

    // Puts the lines of one side of a change in place of the other's:
    // backward takes the change back. The caret and the selection must have
    // been let go of before.
    void apply(const LinesChange& change, bool backward);

    LineId idOf(const tovimat::nucleo* line) const;
    tovimat::nucleo* line(LineId id) const;
    // The line, or the base container for 0.
    tovimat::nucleo* placeOf(LineId id) const { return id == 0 ? base_ : line(id); }
    tovimat::container* base() const { return base_; }
    // The member of the base container that holds n (n itself for a line);
    // null when n is not in the document.
    tovimat::nucleo* lineOf(const tovimat::nucleo* n) const;

    // For tests: true when the stored records are those of the lines as they
    // stand (nothing changed outside a step, or unseen by one).
    bool upToDate() const;

private:
    LineId number(tovimat::nucleo* line);
    // The lines that must be stored with these (they share values with
    // them), on either side; the removed ones go to gone. Without present,
    // every numbered line is still in the document.
    void closeOver(std::vector<tovimat::nucleo*>& lines, std::vector<LineId>& gone,
                   const std::unordered_set<LineId>* present) const;
    GroupPtr store(const std::vector<tovimat::nucleo*>& lines) const;
    std::vector<LineId> order() const;
    void forgetLine(LineId id);

    tovimat::container* base_ = nullptr;
    std::array<long, 2> baseAt_{};
    std::unordered_map<const tovimat::nucleo*, LineId> ids_;
    std::unordered_map<LineId, tovimat::nucleo*> lines_;
    std::unordered_map<LineId, GroupPtr> groups_;
    std::vector<LineId> order_;
    std::unordered_set<const tovimat::nucleo*> touched_;
    int members_ = 0;
    bool structure_ = false;  // lines may have come or gone
    bool all_ = false;        // every line was laid out again
    bool inStep_ = false;
    LineId next_ = 0;
};

}  // namespace velmor
