// Relations, set relations and the two directive containers.
//
// An equality or order relation is a prefix of its right-hand side; the
// left-hand side is the node before it in the enclosing directive:
//
//   a = b = c          simplification[a, equal[b], equal[c]]
//   e1 <=> e2          resolution[e1, equivalence[e2]]
//   A subset of B      contains[A, B]   (set relations are infix)
#pragma once

#include "model/operators.h"

namespace tovimat {

class resolution;

// A relation that prefixes its right-hand side.
class compos : public unaryOp {
public:
    Priority priority() const override { return Priority::comparison; }
    bool composition() const override { return true; }
    container* conjugacao() const override;
    // "<", "=" and ">" are swallowed; anything else beeps.
    bool putChar(int c) override;

    // --- algebra ---
    results distribute() override;
    // A relation is decided by its directive, never combined with a neighbour.
    nucleo* eval(nucleo* a, nucleo* b) override;

protected:
    compos(const char* opening, const char* separator, const char* closing);
    // Turns this relation into `replacement` inside the new directive `target`.
    void xform(std::unique_ptr<resolution> target, std::unique_ptr<unaryOp> replacement);
    // A relation character typed at the start of the right-hand side, right
    // after the operator, rewrites the relation into a Relation inside a new
    // Directive; false when child is not there.
    template <class Directive, class Relation>
    bool rewriteAtStart(nucleo* child) {
        if (child != first() || child->getIndex() != 0) return false;
        xform(std::make_unique<Directive>(), std::make_unique<Relation>());
        return true;
    }
    // Inserts the right-hand side.
    void attachSide(nucleo* n);
};

class equal : public compos {
public:
    equal();
    explicit equal(nucleo* n);
    int type() const override { return typeId::equal; }
    container* clone() const override { return new equal(); }
    bool putChar(int c) override;
    bool validChar(container* child, int c) override;
    bool validChar(field* child, int c) override;

    // --- algebra ---
    nucleo* rule(nucleo* a, nucleo* b) override;
    nucleo* eval(nucleo* a, nucleo* b) override;
};

// The equality that Calculate puts in front of a computed result.
class passEqual : public equal {
public:
    passEqual() = default;
    explicit passEqual(nucleo* n) : equal(n) {}
    int type() const override { return typeId::passEqual; }
    container* clone() const override { return new passEqual(); }
};

class greater : public compos {
public:
    greater();
    explicit greater(nucleo* n);
    int type() const override { return typeId::greater; }
    container* clone() const override { return new greater(); }
    bool putChar(int c) override;
    bool validChar(container* child, int c) override;
    bool validChar(field* child, int c) override;
};

class lessThan : public compos {
public:
    lessThan();
    explicit lessThan(nucleo* n);
    int type() const override { return typeId::lessThan; }
    container* clone() const override { return new lessThan(); }
    bool validChar(container* child, int c) override;
    bool validChar(field* child, int c) override;
};

class greatOrEqual : public compos {
public:
    greatOrEqual();
    explicit greatOrEqual(nucleo* n);
    int type() const override { return typeId::greatOrEqual; }
    container* clone() const override { return new greatOrEqual(); }
};

class lessOrEqual : public compos {
public:
    lessOrEqual();
    explicit lessOrEqual(nucleo* n);
    int type() const override { return typeId::lessOrEqual; }
    container* clone() const override { return new lessOrEqual(); }
    bool validChar(container* child, int c) override;
    bool validChar(field* child, int c) override;
};

class notEqual : public compos {
public:
    notEqual();
    explicit notEqual(nucleo* n);
    int type() const override { return typeId::notEqual; }
    container* clone() const override { return new notEqual(); }
};

// A step of reasoning: implication or equivalence, holding up to two members.
class relation : public compos {
public:
    Priority priority() const override { return Priority::relation; }
    bool composed() const override { return true; }
    container* conjugacao() const override;
    int maxMembers() const override { return 2; }

protected:
    relation(const char* opening, const char* separator, const char* closing);
};

class implication : public relation {
public:
    implication();
    explicit implication(nucleo* n);
    int type() const override { return typeId::implication; }
    container* clone() const override { return new implication(); }
    bool putChar(int c) override;
};

class equivalence : public relation {
public:
    equivalence();
    explicit equivalence(nucleo* n);
    int type() const override { return typeId::equivalence; }
    container* clone() const override { return new equivalence(); }
    bool putKey(int key) override;
};

// A relation between two sets (or an element and a set), written infix.
class groupRel : public binaryOp {
public:
    Priority priority() const override { return Priority::setRelation; }
    void paint(HDC dc, aRect& area) override;
    // Set relations are never typed next to a composite.
    using container::chkChar;
    bool chkChar(container*, int) const override { return false; }

    // --- algebra ---
    results distribute() override;
    // The set predicate or operation of the subclass, chosen by its type id.
    nucleo* eval(nucleo* a, nucleo* b) override;

protected:
    explicit groupRel(const char* separator);
};

#define TOVIMAT_GROUP_RELATION(NAME, GLYPH, COMMUTES)                                  \
    class NAME : public groupRel {                                                     \
    public:                                                                            \
        NAME() : groupRel(GLYPH) {}                                                    \
        int type() const override { return typeId::NAME; }                             \
        container* clone() const override { return new NAME(); }                      \
        bool comut() const override { return COMMUTES; }                                \
    };

TOVIMAT_GROUP_RELATION(contains, "\xCC", false)      // proper subset
TOVIMAT_GROUP_RELATION(contained, "\xC9", false)     // proper superset
TOVIMAT_GROUP_RELATION(notContain, "\xCB", false)    // not a subset
TOVIMAT_GROUP_RELATION(refers, "\xCD", false)        // subset or equal; b nowhere in a
TOVIMAT_GROUP_RELATION(refered, "\xCA", false)       // superset or equal; a nowhere in b
TOVIMAT_GROUP_RELATION(belongs, "\xCE", false)       // element of
TOVIMAT_GROUP_RELATION(notBelong, "\xCF", false)     // not an element of
TOVIMAT_GROUP_RELATION(junction, "\xC8", true)       // union
TOVIMAT_GROUP_RELATION(intersection, "\xC7", true)   // intersection

#undef TOVIMAT_GROUP_RELATION

// A statement followed by a chain of implications or equivalences.
class resolution : public operat {
public:
    resolution();
    explicit resolution(nucleo* n);

    int type() const override { return typeId::resolution; }
    Priority priority() const override { return Priority::resolution; }
    bool composed() const override { return true; }
    container* clone() const override { return new resolution(); }
    // The statement the chain starts from can never be deleted.
    bool canDelete(nucleo* n) override;
    bool canConjugate(int t) const override { return t >= typeId::implication && t <= typeId::equivalence; }
    // A new, empty relation of the kind this directive uses by default.
    virtual container* getDefConjugat() const;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

    // --- algebra ---
    results calculate() override;
    results applyRule(nucleo* target, nucleo* exclude) override;
    results applyRules(container* rules, nucleo* exclude) override;
    results distribute() override;

protected:
    void attachFirst(nucleo* n);
};

// An expression followed by a chain of equalities or order relations.
class simplification : public resolution {
public:
    simplification() = default;
    explicit simplification(nucleo* n) { attachFirst(n); }

    int type() const override { return typeId::simplification; }
    Priority priority() const override { return Priority::simplification; }
    container* clone() const override { return new simplification(); }
    bool canConjugate(int t) const override { return t >= typeId::equal && t <= typeId::notEqual; }
    container* getDefConjugat() const override;

    // --- algebra ---
    results simplify(int budget) override;
    results calculate() override;
    nucleo* rule(nucleo* lhs, nucleo* relation) override;
    results applyRule(nucleo* target, nucleo* exclude) override;
    results applyRules(container* rules, nucleo* exclude) override;
    results distribute() override;
};

}  // namespace tovimat
