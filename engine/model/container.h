// container: a node that holds other nodes. Its members form a doubly linked
// chain between two read-only delimiters, and it carries three texts: the
// opening text (head delimiter), the separator or operator text, and the
// closing text (tail delimiter).
//
//   head <-> m1 <-> m2 <-> ... <-> mN <-> tail
//
// The head has no previous node and the tail no next one, so every real member
// is chained and a walk along the chain stops at the first unchained node.
// The container owns its members.
#pragma once

#include "model/leaves.h"

namespace tovimat {

// The two halves of a field split at the caret: new fields, owned by the caller.
struct splited {
    std::unique_ptr<field> left;
    std::unique_ptr<field> right;
};

// For one edge of the union of a container's member boxes (left, top, right
// or bottom): the outermost value, how many members reach it, and the next
// value inward with its count (0 when that value is not known).
struct EdgeTally {
    LONG best = 0;
    int bestCount = 0;
    LONG second = 0;
    int secondCount = 0;
};

class container : public nucleo {
    friend class protocol;

public:
    container() : container("", "", "") {}
    container(const char* opening, const char* separator, const char* closing);
    ~container() override;

    // --- constant answers -----------------------------------------------------------
    int type() const override { return typeId::container; }
    Priority priority() const override { return Priority::container; }
    bool isGroup() const override { return true; }
    int distributive() const override { return 1; }
    double complexity() const override;

    // "Wraps": both delimiters are visible, so the members are enclosed.
    virtual bool envolv() const;
    // A new, empty container of the same class with the same texts.
    virtual container* clone() const;
    virtual int maxMembers() const { return 2147483647; }
    virtual int minMembers() const { return 0; }
    virtual bool canDelete(nucleo* n);
    // Plain membership: some member equals key (contem also takes sub-groups).
    virtual bool contains(nucleo* key);
    // The key that opens this operator: the separator's first byte as a
    // signed char, 0 without separator.
    virtual int openingKey() const;
    // A directive that takes relations of this type id into its chain.
    virtual bool canConjugate(int) const { return false; }
    // Commutative: members in another order still make an equal group.
    virtual bool comut() const { return true; }
    // The neutral element, newly allocated for the caller; null when none.
    virtual nucleo* neutral() const { return nullptr; }
    // Numeric kernel of a two-operand evaluation; null when none.
    virtual nucleo* eval(nucleo*, nucleo*) { return nullptr; }

    // --- algebra entry points of the commands ---------------------------------------
    virtual results distribute();
    // Applies a rule set loaded from a rule file.
    virtual results applyRules(container* rules, nucleo* extra);
    // Substitutes the constants defined in a rule set, in place.
    virtual void useConstants(container* rules);

    // --- algebra ---
    bool igualA(nucleo* x) override;
    bool refere(nucleo* x) override;
    // Membership, or multiset containment when x is a group.
    bool contem(nucleo* x) override;
    results calculate() override;
    results simplify(int budget) override;
    int colectRefs(nucleo* var, refCol& found) override;
    // Rewrites the pair of operands a, b of this operator; null when no rule applies.
    virtual nucleo* rule(nucleo* a, nucleo* b);
    // Applies this rule (pattern, relation, replacement) to target.
    virtual results applyRule(nucleo* target, nucleo* exclude);
    // Puts the bound values in place of the variables of this replacement.
    void replaceVars(container* bindings);
    results distributeSub();
    // A clone of this member of an operator O, holding a copy of O for each
    // of this member's members, with that member in this one's place.
    container* distributeIt();
    container* distributeIt(container* group);
    // Intersection: adds to out the members of the smaller group that the
    // larger contains, each once; answers out.
    container* intercepcao(container* b, container* out);
    // Union: adds to out the members of this group, then those of b, each
    // member once; answers out.
    container* uniao(container* b, container* out);
    // Links n between after and before as it is, never flattened or lifted;
    // a loosely binding composite is wrapped in a new parentesis first. A
    // new node goes in owned, and comes back when refused (see placement).
    bool placeAt(nucleo* n, nucleo* after, nucleo* before);
    placement placeAt(std::unique_ptr<nucleo> n, nucleo* after, nucleo* before);

    // --- structure -------------------------------------------------------------------
    virtual void detachIt(nucleo* n, bool fill) { _detachIt(n, fill, true); }
    // A composite that binds more loosely than this container and does not
    // delimit itself needs parentheses as a member here: (a + b)·c.
    bool needsParentheses(const nucleo* n) const;
    // Inserts item between after and before, applying this class's rules.
    // The raw form, which each class's rules refine: true when item was
    // placed (it may be gone, merged into this container); false leaves item
    // alive, and the caller's to delete unless it is attached somewhere.
    // New nodes go in through insert(), which says so in its type.
    virtual bool entre(nucleo* item, nucleo* after, nucleo* before);
    // Inserts n between after and before with this class's rules.
    placement insert(std::unique_ptr<nucleo> n, nucleo* after, nucleo* before);

    // --- character acceptance and validation ----------------------------------------
    // Asked by a child holding the caret: false when the character was
    // consumed here (structure built or swallowed), true when it is text.
    virtual bool validChar(container* child, int c);
    virtual bool validChar(field* child, int c);
    // False when the key was handled here; true lets the child process it.
    virtual bool validKey(nucleo* child, int key);
    // Asked of a prototype: true when it took the character.
    using nucleo::chkChar;
    bool chkChar(field* f, int c) const override;
    virtual bool chkChar(container* x, int c) const;
    // Turns a field's text into structure; answers the node now in its place,
    // or nullptr when a refused replacement left nothing there.
    virtual nucleo* validate(field* f);
    virtual bool joinPrevious(field* f);
    virtual bool joinNext(field* f);
    splited split(field* f);
    // Dissolves this container into its parent. With `anchor`, answers the
    // node that now stands just before the container's former members.
    bool dropOnParent(nucleo** anchor = nullptr);
    // Replaces every node equal to pattern in the subtree by a copy of replacement.
    void replaceAll(nucleo* pattern, nucleo* replacement);

    // --- keyboard, mouse, focus, selection ------------------------------------------
    bool putKey(int key) override;
    bool putChar(int c) override;
    using nucleo::focusAt;
    void focusAt(int index) override;
    void focusLeft() override;
    void focusRight() override;
    void refocus() override;
    bool focusOut() override;
    void killFocus() override;
    bool mouseMove(aPoint& point) override;
    using nucleo::click;
    bool click(aPoint& point) override;
    bool scanDrag(aPoint& point) override;
    bool drop(nucleo* n) override;
    void chkSelRect() override;
    void parentSel() override;
    // Clears the selection of the members' subtrees; the container's own stays.
    virtual void enterSel();

    // --- fonts -----------------------------------------------------------------------
    void setFont(HFONT f) override;
    virtual void zoom(int percent);
    void fixedFont(const char* face);

    // --- state passed down -----------------------------------------------------------------
    void setRoot(protocol* root) override;
    void setReadOnly(bool b) override;
    bool slide(int dx, int dy, bool invalidate = false) override;
    // While an update climbs to the root, a container that is moved moves
    // only its own box and owes the same move to everything inside it; the
    // debt is paid when the climb ends, or before anything reads those boxes,
    // so that each box moves once however many ancestors moved.
    struct DeferredSlides {
        DeferredSlides() { ++depth; }
        ~DeferredSlides();
        static inline int depth = 0;
    };
    // Pays every debt of moves (the highest containers first).
    static void settleAll();
    // Pays this container's debt of moves; done before it is laid out.
    void settle();
    nucleo* revalidate() override;
    bool refers(nucleo* x) override;

    nucleo* copy() const override;
    void copyTo(container* target) const;
    using nucleo::measure;
    void measure(HDC dc) override;
    using nucleo::remeasure;
    void remeasure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;
    void drawRect(HDC dc, COLORREF color);
    void drawRect(HDC dc) { drawRect(dc, color); }
    // Told by an update that one member was re-measured from box `before`;
    // the next measure may then adjust the union instead of walking all members.
    void memberRemeasured(nucleo* m, const aRect& before, std::uint64_t start);
    // Told by a member just before its box or alignment line may change,
    // other than by this container placing it.
    void memberChanging(nucleo* m);
    // Reached by an update from the value a reference shows: every place that
    // shows it is laid out again. Other containers are never asked.
    virtual void updateRefs(HDC) {}
    bool save(algStor& s) const override;
    bool load(algStor& s) override;

    // --- chain access ------------------------------------------------------------------------
    nucleo* first() const { return headNode.nextNode; }
    nucleo* last() const { return tailNode.previousNode; }
    extremo* head() { return &headNode; }
    extremo* tail() { return &tailNode; }
    const extremo* head() const { return &headNode; }
    const extremo* tail() const { return &tailNode; }
    const field* separator() const { return &separatorNode; }
    int members() const { return memberCount; }
    nucleo* operator[](int i) const;
    nucleo* findNext(nucleo* key, nucleo* start);

    // --- insertion ---------------------------------------------------------------------------
    using nucleo::_putAfter;
    using nucleo::_putBefore;
    using nucleo::putAfter;
    using nucleo::putBefore;
    bool fput(nucleo& n) { return entre(&n, &headNode, first()); }
    bool lput(nucleo& n) { return entre(&n, last(), &tailNode); }
    bool add(nucleo& n) { return lput(n); }
    placement lput(std::unique_ptr<nucleo> n) { return insert(std::move(n), last(), &tailNode); }
    bool _lput(nucleo& n) { return atachIt(&n, last(), &tailNode, true); }
    bool putAfter(nucleo* n, nucleo* x) { return entre(n, x, x->nextNode); }
    bool putBefore(nucleo* n, nucleo* x) { return entre(n, x->previousNode, x); }
    bool _putAfter(nucleo* n, nucleo* x) { return atachIt(n, x, x->nextNode, true); }
    bool _putBefore(nucleo* n, nucleo* x) { return atachIt(n, x->previousNode, x, true); }
    // Links n at the end exactly as it is, without any structural rule.
    bool linkLast(nucleo* n) { return _atachIt(n, last(), &tailNode, false); }
    // Whether n's subtree placed here would nest deeper than
    // maxNestingDepth, which every link refuses; asked without a message.
    bool wouldNestTooDeep(const nucleo* n) const;

    void fill(int count, const nucleo& proto);
    void fill(const nucleo& proto);
    void fill();

    void chainAfter(nucleo* after, container* source);
    void chainAfter(nucleo* after);
    void insertAfterFrom(nucleo* after, nucleo* from, int count);
    void flush();

    bool replace(nucleo* old, nucleo* n, bool deleteOld);
    // n takes the place of the member old, which is deleted once n is let
    // in (see nucleo::replaceWith).
    placement replace(nucleo* old, std::unique_ptr<nucleo> n);
    bool _replace(nucleo* old, nucleo* n, bool deleteOld);

    // Link with relation conjugation and parenthesis wrapping.
    bool atachIt(nucleo* n, nucleo* a, nucleo* b, bool update);
    // Unlink n; with fill, a container left below its minimum is padded,
    // collapsed into its last member, or dissolved into its parent.
    void _detachIt(nucleo* n, bool fill, bool update);

protected:
    // Gives the three inner nodes the container's current colour.
    void init();
    void layoutTree(HDC dc) override;
    // Lays out n's subtree bottom-up, n being any node.
    static void layoutTreeOf(nucleo* n, HDC dc) { n->layoutTree(dc); }
    // Power and radical lay out their second member before their first.
    virtual bool layoutLastFirst() const { return false; }
    // A focused container frames its box in its own colour.
    void frameIfFocused(HDC dc);
    // Draws a delimiter or the separator.
    void drawInner(nucleo& inner, HDC dc, aRect& area) { inner.paintIt(dc, area); }
    // Zeroes the separator's box, measures it and answers its width.
    int separatorWidth(HDC dc);
    // Raw link of n between a and b.
    bool _atachIt(nucleo* n, nucleo* a, nucleo* b, bool update);
    // Reads N member records and appends them as they were saved; with
    // positions, each record is preceded by the member's left and top.
    bool loadMembers(algStor& s, bool withPositions);
    bool saveMembers(algStor& s, bool withPositions) const;
    // A wrapper that could not be placed lets its content go again; false.
    static bool giveBack(container* wrapper, nucleo* n);
    // Unlinks n when it stands anywhere inside wrapper; true when it did.
    static bool takeOut(container* wrapper, nucleo* n);
    // Link n at the end, or take it out, exactly as it is: no rule, no layout,
    // no change of root or focus. For a value moving between the places that
    // show it.
    void hookLast(nucleo* n);
    void unhook(nucleo* n) { unlink(n); }
    // Told after a member joined or left the chain through the ordinary
    // linking operations (not hookLast/unhook).
    virtual void memberJoined(nucleo*) {}
    virtual void memberLeft(nucleo*) {}
    // False when n may not become a member here at all.
    virtual bool accepts(const nucleo*) const { return true; }
    // Replaces the text of a delimiter or the separator.
    void setHeadText(const char* s, int n) { headNode.setText(s, n); }

    // Before the inner nodes, next to the node's links: a walk reads the
    // count and the head's link to the first member together.
    int memberCount = 0;
    // At least the number of levels of this subtree, itself included: raised
    // as members join anywhere below, never lowered by a member leaving, so
    // that the nesting check walks a subtree only when it may be too deep.
    mutable int heightBound = 1;
    extremo headNode;
    field separatorNode;
    extremo tailNode;

    // The union of the members' boxes as the container rule last computed it.
    struct MemberUnion {
        std::uint64_t epoch = ~std::uint64_t(0);  // layout epoch right after it was computed
        EdgeTally edge[4];
        nucleo* changed = nullptr;  // the member an update re-measured
        aRect before;               // that member's box before
        std::uint64_t start = 0;    // when that update began
    };
    MemberUnion unionState;
    bool unionFromChange();
    void unionFromScratch();

    // What changed among the members since a row rule (members side by side
    // on one alignment line) last placed them all: a few members changed,
    // joined or left, all after the node `from`. The next layout then places
    // only the members after `from` and keeps the others where they are.
    struct RowChange {
        nucleo* member = nullptr;
        bool placed = false;  // it stood here at the last layout, with these extents
        int ascent = 0;
        int descent = 0;
    };
    struct RowState {
        static constexpr int maxChanges = 4;
        bool valid = false;    // false: the next layout places every member
        bool placing = false;  // members move because this container moves them
        nucleo* from = nullptr;
        int count = 0;
        RowChange changes[maxChanges];
        EdgeTally ascent, descent;  // the members' greatest ascent and descent
        int gap = 0;                // the separator width the members were placed with
    };
    RowState rowState;

    // The move this container's inner nodes still owe (see DeferredSlides).
    POINT owed{0, 0};
    bool owing = false;
    // The row rules' two halves. The first answers false when every member
    // must be placed again; gapBefore(m) tells whether a separator gap
    // precedes member m when it is not the first.
    template <typename Gap>
    bool placeRowChanges(int gap, Gap gapBefore);
    template <typename Gap>
    void placeRow(int gap, Gap gapBefore);
    void rowMemberJoined(nucleo* m);
    void rowMemberLeaving(nucleo* m);

private:
    // Shows the auto-derivation message and answers true when n is this
    // container or one of its ancestors.
    bool refusesCycle(const nucleo* n) const;
    // Shows why and answers true when n's subtree placed here would nest
    // deeper than maxNestingDepth.
    bool nestsTooDeep(const nucleo* n) const;
    // Raises the height bounds of this container and its ancestors for a
    // member that has just joined it.
    void raiseHeightBound(const nucleo* joined);
    static int heightBoundOf(const nucleo* n);
    void unlink(nucleo* n);
    void collapseInto(nucleo* last);
    void dissolveInto(container* p);
    // Moves every member, in order, to just before `following` in p with
    // p's linking rules; a member that finds no place there is deleted.
    void moveMembersInto(container* p, nucleo* following);
    bool flatten(container* n, nucleo* before);
    bool lift(container* n, nucleo* before);
    bool replaceMember(nucleo* old, nucleo* n, bool deleteOld, bool withRules);
};

// n goes just after (before) x, with the rules of x's container; refused
// when x stands in no container.
placement insertAfter(std::unique_ptr<nucleo> n, nucleo* x);
placement insertBefore(std::unique_ptr<nucleo> n, nucleo* x);

}  // namespace tovimat
