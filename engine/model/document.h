// The document root and what hangs off it: `protocol` with the host
// operations through which every node reaches its window, the selection
// types, and the two top-level container classes `page` and `sentence`.
#pragma once

#include "model/relations.h"

namespace tovimat {

class algStor;

// One selected node and its rectangle at the moment it was selected.
class selector {
public:
    explicit selector(nucleo* n) : rect(n->getRect()), target(n) {}
    explicit selector(nucleo& n) : selector(&n) {}

    nucleo* getTarget() const { return target; }
    const aRect& getRect() const { return rect; }
    void slide(int dx, int dy) { rect.OffsetRect(POINT{dx, dy}); }
    bool operator==(const nucleo& n) const { return target == &n; }
    bool operator==(const selector& s) const { return target == s.target; }
    // Points the selector at a fresh, unattached copy of its target.
    void copy() { target = target->copy(); }
    // The node that took the target's place is selected in its stead.
    void retarget(nucleo* n) { target = n; }
    // Points the selector at a new reference to its target's value: the
    // target's place shows the value through a reference from now on.
    void mkref();

private:
    aRect rect;
    nucleo* target;
};

// The list of selectors that make up the current selection. A walk goes from
// the first cell until it reaches the end cell, the one without next. The list
// owns its cells and their selectors, never the nodes.
class selection {
public:
    struct cell {
        cell* next;
        cell** back;  // the previous cell's forward link
        selector* sel;
    };

    selection();
    selection(const selection&) = delete;
    selection& operator=(const selection&) = delete;
    ~selection();

    void add(nucleo* n);
    // Removes the selector of n, if any; answers whether there was one.
    bool remove(const nucleo* n);
    selector* find(const nucleo* n) const;
    void clear();
    bool empty() const { return first_ == &end_; }
    int count() const;

    class iterator {
    public:
        explicit iterator(cell* c) : c_(c) {}
        selector& operator*() const { return *c_->sel; }
        selector* operator->() const { return c_->sel; }
        iterator& operator++() {
            c_ = c_->next;
            return *this;
        }
        bool operator!=(const iterator& o) const { return c_ != o.c_; }

    private:
        cell* c_;
    };
    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(const_cast<cell*>(&end_)); }

private:
    void unlinkCell(cell* c);
    cell* first_;
    cell end_;
};

// The document root. It owns the base container; the application derives a
// class from it that implements the host operations for its windows.
class protocol {
public:
    explicit protocol(container* base);
    protocol(const protocol&) = delete;
    protocol& operator=(const protocol&) = delete;
    virtual ~protocol();

    container* getBase() const { return base; }
    // Hands the base container over to the caller; the root keeps none.
    container* releaseBase();
    static int getMode() { return mode; }
    static nucleo* getDropTarget() { return dropTarget; }

    bool save(algStor& s);
    bool load(algStor& s);
    // True when the last load was abandoned: the records could not all be
    // read and the document is the empty one that stands in for them.
    bool loadAborted() const { return aborted; }
    // Paints the whole tree.
    void paint(HDC dc, aRect& area);
    // Commits an algebra result into the document (despite the name it does
    // more than check): appends it to the focused line or chain, or puts it
    // in the focused node's place, and moves the caret. Answers the number
    // of changes; r.value is taken over.
    int chkPass(results& r);

    // --- host operations, implemented by the application ---------------------------
    virtual void invalidate(nucleo* node) = 0;
    virtual void createCaret(int width, int height) = 0;
    virtual void setCaretPos(int x, int y) = 0;
    virtual void hideCaret() = 0;
    virtual void showCaret() = 0;
    virtual void drawFocusFrame(nucleo* node) = 0;
    virtual void setModified(bool modified) = 0;
    virtual int message(const char* text, const char* caption, UINT style) = 0;
    virtual void measureOn(nucleo* node) = 0;
    virtual void updateOn(nucleo* node) = 0;
    virtual void remeasureOn(nucleo* node) = 0;
    virtual void caretAt(nucleo* node, int index) = 0;
    virtual selection* selectionList() = 0;
    virtual bool clickOn(nucleo* node, aPoint& point) = 0;
    virtual void setFocused(nucleo* node) = 0;
    virtual int caretIndex() = 0;
    virtual nucleo* focused() = 0;
    virtual int* caretIndexRef() = 0;
    virtual aRect* selectionRect() = 0;

    // Process-wide interaction state shared by every document.
    static int mode;
    static nucleo* mouseOn;
    static nucleo* dropTarget;

protected:
    container* base;

private:
    bool aborted = false;

    static void forgetRoot(nucleo* n);
    // Drops every reference the shared state keeps into tree, and detaches
    // tree from this root, before it is deleted.
    void forgetNodesOf(container* tree);
};

// A page of lines: one member per line, separated by carriage returns.
class page : public container {
public:
    page(int minimum = 1, bool fill = false);

    int type() const override { return typeId::page; }
    Priority priority() const override { return Priority::page; }
    int minMembers() const override { return minimum; }
    container* clone() const override { return new page(1, false); }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

private:
    int minimum;
};

class sentence : public list {
public:
    sentence();

    int type() const override { return typeId::sentence; }
    Priority priority() const override { return Priority::sentence; }
    int minMembers() const override { return 1; }
    bool envolv() const override { return true; }
    container* clone() const override { return new sentence(); }
};

}  // namespace tovimat
