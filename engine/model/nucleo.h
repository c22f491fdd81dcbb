// nucleo: the root of every node class. A node has a box on the page, a colour
// and a font, an alignment line (ascent), links to its two neighbours in its
// container's member chain, its container, the document root it reports to,
// and a read-only flag.
#pragma once

#include <cstdint>
#include <memory>

#include "model/geometry.h"
#include "model/priority.h"
#include "model/type_ids.h"
#include "platform/gdi.h"

namespace tovimat {

// Nodes nest at most this many levels below a document's base container.
// Walks over trees recurse (layout, painting, saving, copying, algebra,
// destruction), and this depth keeps every one of them within the stack of
// every build, the sanitized one included.
constexpr int maxNestingDepth = 2000;

class algStor;
class container;
class field;
class protocol;
struct placement;
struct results;

class nucleo {
    friend class container;
    friend class protocol;

public:
    explicit nucleo(protocol* root = nullptr);
    nucleo(const nucleo&) = delete;
    nucleo& operator=(const nucleo&) = delete;
    virtual ~nucleo();

    // --- identity and constant answers -------------------------------------
    virtual bool isRef() const { return false; }
    virtual int type() const { return typeId::nucleo; }
    virtual Priority priority() const { return Priority::leaf; }
    virtual bool isGroup() const { return false; }
    virtual bool composition() const { return false; }
    virtual bool composed() const { return false; }
    // "Conjugation": a new, empty container that must hold this node and the
    // one before it (a relation's directive, a sum for a negation); null if none.
    virtual container* conjugacao() const { return nullptr; }
    virtual bool isLogic() const { return false; }
    virtual bool isSign() const { return false; }
    virtual bool isFunc() const { return false; }
    virtual int distributive() const { return 0; }
    virtual double complexity() const { return 1.0; }

    // --- text --------------------------------------------------------------
    // Never null; not zero-terminated: use with getLen().
    virtual const char* getText() const { return ""; }
    virtual int getLen() const;

    // --- state passed along the tree ---------------------------------------
    virtual void setReadOnly(bool b);
    virtual void setRoot(protocol* root);
    virtual bool slide(int dx, int dy, bool invalidate = false);

    // --- copying -----------------------------------------------------------
    // A deep copy with no parent, no neighbours and no root.
    virtual nucleo* copy() const = 0;

    // --- persistence -------------------------------------------------------
    // Writes the whole record: type id, font, then the class part.
    virtual bool save(algStor& s) const;
    // Reads the class part only; the loader has read the type id and font.
    virtual bool load(algStor&) { return true; }
    // Reads the 60-byte font of a record and gives it to the node.
    bool loadFont(algStor& s);

    // --- fonts ---------------------------------------------------------------
    // The node takes ownership of f and releases the font it held.
    virtual void setFont(HFONT f);
    void setStaticFont(HFONT f);
    void copyFont(HFONT f);
    void copyFont(const nucleo* n) { copyFont(n->getFont()); }
    void defineFont(const char* face);
    void calcFont(int height);
    void zoom(int percent);

    // --- layout ---------------------------------------------------------------
    // Lays the node out with the device context: sets rect and ascent.
    virtual void measure(HDC dc) = 0;
    // Lays out the whole subtree again, then the path up to the root.
    virtual void remeasure(HDC dc);
    void update(HDC dc);
    void update();
    // Counts every change of any node's box, so that a container can tell
    // whether anything moved since it last laid itself out.
    static std::uint64_t layoutEpoch() { return layoutEpoch_; }
    static void boxChanged() { ++layoutEpoch_; }
    // Every layout rule calls this before it changes the node's box or
    // alignment line: the parent keeps track of what changed among its members.
    void boxChanging();
    void measure();
    void remeasure();

    // --- painting ----------------------------------------------------------------
    // Selects the node's font and pen, paints, and restores both.
    void paintIt(HDC dc, aRect& area);
    // The class's drawing rule; leaves draw their text.
    virtual void paint(HDC dc, aRect& area);
    void drawSelection();
    void clearSelection();

    // --- focus ---------------------------------------------------------------
    virtual void focusAt(int index);
    void focusAt(int index, int x);
    // Caret at the node's left or right end.
    virtual void focusLeft() { focusAt(0); }
    virtual void focusRight() { focusAt(getLen()); }
    virtual void refocus();
    virtual bool focusOut();
    virtual void killFocus();
    nucleo* getFocus() const;
    void hideFocus();
    void showFocus();
    int getIndex() const;

    // --- keyboard and mouse ------------------------------------------------------
    // False when the key was consumed; true lets the character follow.
    virtual bool putKey(int key);
    // True when the character was consumed by inserting something.
    virtual bool putChar(int c);
    // A closing bracket typed with the caret at this node: the pending edit
    // is validated and the caret goes right after the innermost bracket pair
    // around it that c closes; with none, a beep and nothing else. False
    // when c is not a closing bracket.
    bool closeBracket(int c);
    // Hover: sets protocol::mouseOn to the deepest node under the point.
    virtual bool mouseMove(aPoint& point);
    virtual bool click(aPoint& point);
    // Places the caret at the character boundary nearest to the point.
    bool click(HDC dc, aPoint& point);
    // While selected nodes are dragged: marks a drop position with the caret.
    virtual bool scanDrag(aPoint& point);
    // Inserts n at the drop position marked by the caret.
    virtual bool drop(nucleo* n) = 0;

    // --- selection ------------------------------------------------------------------
    // Toggles the selection of the nodes inside the root's rubber band.
    virtual void chkSelRect();
    // Clears the selection of the subtree.
    virtual void parentSel() { unselect(); }
    void unselect();

    // --- algebra hooks with model-level defaults ------------------------------
    // x equals this node or, in a group, some node below; unlike refere, a
    // group is not compared itself and a variable answers for its value.
    virtual bool refers(nucleo* x);
    virtual nucleo* revalidate() { return this; }
    virtual results simplify(int budget);
    virtual results calculate();
    virtual bool chkChar(field*, int) const { return true; }
    // "Equal to", reached through operator==: literal identity by default;
    // leaves and groups compare by content.
    virtual bool igualA(nucleo* x) { return x == this; }

    bool operator==(nucleo& x);
    bool operator!=(nucleo& x) { return !(*this == x); }

    // --- algebra ---
    // Matches this pattern leaf against target, binding names into bindings.
    virtual bool chkRule(nucleo* target, container& bindings, nucleo* exclude);
    // Collects the nodes of this subtree equal to var; answers how many.
    virtual int colectRefs(nucleo* var, class refCol& found);
    // "Less than": numbers by value, names by text, others by type id and
    // then by address.
    virtual bool menorQue(nucleo* x);
    // This node is x, or (for a group) mentions x somewhere below; not the
    // same test as refers.
    virtual bool refere(nucleo* x);
    // "Contains": for a leaf, equality; containers answer membership.
    virtual bool contem(nucleo* x);

    // --- chain position ---------------------------------------------------------
    bool chained() const { return previousNode != nullptr && nextNode != nullptr; }
    bool atached() const { return parentNode != nullptr; }
    nucleo* expression();
    int level() const;
    nucleo* predecessor();
    nucleo* successor();

    bool putAfter(nucleo* x);
    bool putBefore(nucleo* x);
    bool _putAfter(nucleo* x);
    bool _putBefore(nucleo* x);
    bool detach();
    // Raw forms, for a node that stands in a tree and moves, or that the
    // caller keeps owning whatever happens: see placement for new nodes.
    bool replaceWith(nucleo* n);
    bool _replaceWith(nucleo* n);
    // n takes this node's place with the container's rules. Once n is let in
    // (this node stands in a chain, n would make no cycle), this node is
    // deleted, even when the rules then find no place for n.
    placement replaceWith(std::unique_ptr<nucleo> n);
    void moveTo(int x, int y, bool invalidate = false);

    // Puts copies of this node's siblings around anchor, in their order.
    void copychain(nucleo* anchor);
    // A new copy of this node's parent with n in this node's place (n itself
    // when there is no parent).
    nucleo* addchain(nucleo* n);

    bool selected() const;

    // --- accessors -----------------------------------------------------------------
    aRect& getRect() { return rect; }
    const aRect& getRect() const { return rect; }
    LONG left() const { return rect.left; }
    LONG top() const { return rect.top; }
    LONG right() const { return rect.right; }
    LONG bottom() const { return rect.bottom; }
    LONG Width() const { return rect.Width(); }
    LONG Height() const { return rect.Height(); }
    COLORREF getColor() const { return color; }
    void setColor(COLORREF c) { color = c; }
    HFONT getFont() const { return font; }
    int getAscent() const { return ascent; }
    int getDescent() const { return rect.Height() - ascent; }
    nucleo* previous() const { return previousNode; }
    nucleo* next() const { return nextNode; }
    container* parent() const { return parentNode; }
    protocol* getRoot() const { return rootDoc; }
    bool getReadOnly() const { return readOnly; }
    bool isReadOnly() const { return readOnly; }

protected:
    // Replaces the node's font without any further effect; releases the old one.
    void replaceFont(HFONT f);
    void setAscent(int a) { ascent = a; }
    // update() from a member: `changed` was re-measured from box `before`
    // in the same chain of updates, which started at layout epoch `start`.
    void updateFrom(HDC dc, nucleo* changed, const aRect& before, std::uint64_t start);
    void invalidateArea();
    // Measures the subtree bottom-up without climbing to the root.
    virtual void layoutTree(HDC dc) { measure(dc); }

    // The links first: a walk along a tree reads them, and the member count
    // of a container that follows these fields, in the node's first bytes.
    nucleo* previousNode = nullptr;
    nucleo* nextNode = nullptr;
    container* parentNode = nullptr;
    protocol* rootDoc;
    // Held, not owned alone: nodes of one description share one font.
    HFONT font;
    aRect rect;
    COLORREF color = 0;
    int ascent = 0;
    bool readOnly = false;

private:
    static inline std::uint64_t layoutEpoch_ = 0;
    // Set once the step-origin table has held an entry for this node: only
    // such nodes look the table up when they are deleted.
    mutable bool originOnRecord_ = false;
    friend void markOrigin(const nucleo* step);
};

// The outcome of putting a new node into the tree with a container's rules
// (container::insert, lput, replace, nucleo::replaceWith, insertAfter,
// insertBefore). The rules may link the node as it is, wrap it, merge its
// members into the container and delete it, or lift it above the container.
//   placed:  the node went where it was asked; the tree owns it (or it is
//            gone, merged): use it only once it is known to be in the tree.
//   refused: the node found no place at all and is the caller's again;
//            letting the outcome go deletes it.
// Neither: the rules left the node elsewhere in the tree, which owns it.
struct placement {
    bool placed = false;
    std::unique_ptr<nucleo> refused;
    explicit operator bool() const { return placed; }

    // The outcome of a raw insertion of n that answered `placed`: n goes
    // back to the caller only when it was refused and stands nowhere.
    static placement of(nucleo* n, bool placed);
};

// Takes ownership of a node just built: adopt(n->copy()), adopt(clone()).
template <typename T>
std::unique_ptr<T> adopt(T* n) {
    return std::unique_ptr<T>(n);
}

// What calculate, simplify, distribute and rule application return: the
// number of rewrites, the node the result stands for, and the newly built
// node that replaces it, owned by the record.
struct results {
    int changes = 0;
    nucleo* source = nullptr;
    std::unique_ptr<nucleo> value;

    results() = default;
    // Takes ownership of value.
    results(nucleo* value_, nucleo* source_, int changes_) : changes(changes_), source(source_), value(value_) {}
};

// Shows a message box through the node's document root when it has one, and
// directly otherwise.
int nodeMessage(const nucleo* n, const char* text, const char* caption, UINT style);

// Tells whether a node outlives a step that may delete it, such as the
// validation of a pending edit, which can restructure the whole line: the
// node's destructor clears every watch on it. Watches live on the stack and
// end in the reverse order of their start.
class nodeWatch {
public:
    explicit nodeWatch(const nucleo* n);
    ~nodeWatch();
    nodeWatch(const nodeWatch&) = delete;
    nodeWatch& operator=(const nodeWatch&) = delete;
    bool alive() const { return node != nullptr; }
    // Called by the destructor of n.
    static void forget(const nucleo* n);

private:
    const nucleo* node;
    nodeWatch* outer;
    static nodeWatch* innermost;
};


}  // namespace tovimat

// isa<T>, cast<T> and dyn_cast<T>, which need the whole of nucleo.
#include "model/casting.h"
