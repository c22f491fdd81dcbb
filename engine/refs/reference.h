// References: one value shown in several places of a document.
//
// The shared value is held by a `bulk`; every place that shows it is a
// `reference` node pointing to that bulk. There is a single copy of the
// value's tree (the core). It lives inside one reference at a time, the
// presenting one, and is moved into whichever reference is about to be
// painted, clicked, dragged over or edited:
//
//   sum[ reference -> bulk{core: a + b} ]      the presenting place holds core
//   multiplication[ c, reference -> bulk ]     the other place holds nothing,
//                                              but measures as core does
//
// Editing the value through any reference re-lays out every place.
#pragma once

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/operators.h"
#include "model/refcol.h"

namespace tovimat {

class reference;

class bulk {
    friend class reference;

public:
    bulk(const bulk&) = delete;
    bulk& operator=(const bulk&) = delete;

    void referedBy(reference* r);
    // Called as a reference goes: the last but one hands the value back to
    // its place as a plain node, the last one takes the bulk with it.
    void freeRef(reference* r);
    // Moves the core into r.
    void recall(reference* r);
    // Re-lays out every place that shows the value.
    void update(HDC dc);

    nucleo* getCore() const { return core; }
    reference* present() const { return presentRef; }
    reference* editing() const { return editingRef; }
    int count() const { return refCount; }
    const refCol& references() const { return refs; }

    // How many bulks exist in the process; none means no node can be shared.
    static int alive() { return aliveCount; }

    // A value being read from a file: it stays while the file is read even
    // when no reference holds it yet (or any more); unpin() ends that.
    static bulk* forLoading();
    void unpin();
    // Every reference lets go of this bulk; the value stays where it stands.
    void sever();

protected:
    // A value inside a document is replaced there by the bulk's first
    // reference, which presents it from then on.
    explicit bulk(nucleo* value);
    ~bulk();

private:
    void remove(reference* r);
    // Gives the core to the first remaining reference that stands in a tree.
    void presentElsewhere();
    // The value goes back to the last reference's place as a plain node.
    void dissolve(reference* last);

    refCol refs;
    nucleo* savedFocus = nullptr;
    int savedIndex = 0;
    nucleo* core;
    reference* presentRef = nullptr;
    reference* editingRef = nullptr;
    int refCount = 0;
    bool pinned = false;

    static inline int aliveCount = 0;
};

class reference : public list {
    friend class bulk;

public:
    // A reference to no value yet (the loader gives it one).
    reference();
    // Another place for an existing value.
    explicit reference(bulk* b);
    // Shares value: when value stands in a document, its place now holds the
    // bulk's first reference and this one is for the caller to place.
    explicit reference(nucleo* value);
    ~reference() override;

    int type() const override { return typeId::reference; }
    Priority priority() const override { return Priority::reference; }
    int maxMembers() const override { return 1; }
    // Closed like a parenthesis: whatever stands around it, the value is
    // one operand (the place adds its own parentheses where needed).
    bool envolv() const override { return true; }
    bool isRef() const override { return true; }
    container* clone() const override;
    nucleo* copy() const override;
    // The same shared value.
    bool operator==(const reference& r) const { return value_ && value_ == r.value_; }

    bulk* getBulk() const { return value_; }
    nucleo* core() const { return value_ ? value_->core : nullptr; }
    nucleo* getValue() const { return core(); }
    reference* present() const { return value_ ? value_->presentRef : nullptr; }
    reference* editing() const { return value_ ? value_->editingRef : nullptr; }

    // Around an operation on another place: setEdit remembers the place the
    // user edits in and the caret, restoreEdit gives the value and the caret
    // back to them, clearEdit forgets them.
    void setEdit();
    void clearEdit();
    void restoreEdit();
    // Moves the value into this place.
    void recall();
    void updateRefs(HDC dc) override;

    // --- layout and painting -------------------------------------------------------
    using container::measure;
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    // --- focus and mouse -------------------------------------------------------------
    using container::focusAt;
    void focusAt(int index) override;
    void focusLeft() override;
    void focusRight() override;
    using container::click;
    bool click(aPoint& point) override;
    bool mouseMove(aPoint& point) override;
    bool scanDrag(aPoint& point) override;
    bool drop(nucleo* n) override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;
    void detachIt(nucleo* n, bool fill) override;

    // --- algebra: a reference stands for its value ---------------------------------
    results calculate() override;
    bool refers(nucleo* x) override;

    bool save(algStor& s) const override;
    bool load(algStor& s) override;

    // True when placing n (or anything inside it) into place would show a
    // value inside itself: place lies within the value of a reference that n
    // leads to, directly or through other shared values.
    static bool wouldLoop(const nucleo* n, const container* place);
    // True when the values of the given bulks lead back to themselves.
    static bool anyLoop(const std::vector<bulk*>& bulks);
    // Ends the reading of a file's shared values: false when a number had no
    // value or the values lead back to themselves. Unpins them either way.
    static bool finishLoading(algStor& s, bool check);

protected:
    void layoutTree(HDC dc) override;
    // Editing may replace the value inside its place (a collapse, a
    // validation): the node that takes its place is the value from then on.
    void memberJoined(nucleo* n) override;
    void memberLeft(nucleo* n) override;
    // A place takes its own value, or a new one when the value was taken
    // away; never a reference.
    bool accepts(const nucleo* n) const override;

private:
    void attachTo(bulk* b);
    // Parentheses around the value where its place binds more tightly:
    // (a + b) as a factor.
    void fitDelimiters();
    // Where the value's box starts inside this reference.
    POINT valueOrigin() const;
    // The value, after giving a place whose value was taken away an empty slot.
    nucleo* vacancyFilled();

    bulk* value_ = nullptr;
};

}  // namespace tovimat
