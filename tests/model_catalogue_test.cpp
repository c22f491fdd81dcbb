// The composite classes side by side: which binds more tightly than which,
// what gets parentheses where, and how each class clones and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "model/document.h"
#include "model/dump.h"
#include "model/relations.h"

namespace tovimat {
namespace testing {
void expectChainSound(const container& c);  // model_chain_test.cpp
}

namespace {

using Factory = std::function<container*()>;

template <class T>
container* make() {
    return new T();
}

std::string textOf(const nucleo* n) { return std::string(n->getText(), size_t(n->getLen())); }

std::string nameOf(const container& c) { return className(c); }

// --- binding -------------------------------------------------------------------------------------

// Loosest first: every class of a rung binds more tightly than every class
// of the rungs before it, and as tightly as the others of its own rung.
const std::vector<std::vector<Factory>>& ladder() {
    static const std::vector<std::vector<Factory>> rungs = {
        {make<container>},  // the document's lines
        {[] { return new page(1, false); }},
        {make<sentence>},
        {make<list>, make<enumSet>},
        {make<resolution>},  // the steps of a derivation
        {make<implication>, make<equivalence>},
        {make<logicOr>},
        {make<logicAnd>},
        {make<simplification>},  // one line: an expression and its relation
        {make<equal>, make<passEqual>, make<greater>, make<lessThan>, make<greatOrEqual>, make<lessOrEqual>,
         make<notEqual>},
        {make<contains>, make<contained>, make<notContain>, make<refers>, make<refered>, make<belongs>,
         make<notBelong>, make<junction>, make<intersection>},
        {make<sum>},
        {make<negation>, make<plusOrMinus>},
        {make<multiplication>, make<fracao>, make<quocient>},
        {make<power>, make<radical>, make<logaritm>},
    };
    return rungs;
}

TEST(Binding, ArithmeticBindsTighterThanSetsRelationsLogicAndLines) {
    int previous = -1;
    std::string previousName;
    for (const auto& rung : ladder()) {
        std::unique_ptr<container> first(rung.front()());
        for (const Factory& f : rung) {
            std::unique_ptr<container> c(f());
            EXPECT_EQ(c->priority(), first->priority()) << nameOf(*c) << " beside " << nameOf(*first);
        }
        EXPECT_GT(first->priority(), previous) << nameOf(*first) << " over " << previousName;
        previous = first->priority();
        previousName = nameOf(*first);
    }
}

TEST(Binding, SelfDelimitingClassesBindTighterThanAnyOperator) {
    std::unique_ptr<container> tightestOperator(ladder().back().front()());
    for (const Factory& f : std::vector<Factory>{make<parentesis>, make<argument>, make<algSin>, make<algATan>,
                                                 [] { return new userFunc("f"); }}) {
        std::unique_ptr<container> c(f());
        EXPECT_GT(c->priority(), tightestOperator->priority()) << nameOf(*c);
    }
}

// `outer` holding a, then `inner` placed after it by the insertion rules
// (only `inner` for a one-operand class). The member that stands in the
// last place: inner itself, or parentheses around it.
std::string placedAfter(container* outer, container* inner) {
    std::unique_ptr<container> owner(outer);
    if (outer->maxMembers() > 1) outer->linkLast(new literal("a"));
    inner->linkLast(new literal("b"));
    inner->linkLast(new literal("c"));
    if (!outer->lput(*inner) && !inner->atached()) delete inner;
    const nucleo* last = outer->last();
    if (last->type() == typeId::parentesis) {
        const nucleo* enclosed = static_cast<const container*>(last)->first();
        return enclosed == inner ? "(inner)" : "(?)";
    }
    return last == inner ? "inner" : "?";
}

TEST(Binding, ALooserOperandIsPutInParentheses) {
    // a·(b + c), a + b·c
    EXPECT_EQ(placedAfter(new multiplication(), new sum()), "(inner)");
    EXPECT_EQ(placedAfter(new sum(), new multiplication()), "inner");
    // a / (b + c) written on one line, a + b / c
    EXPECT_EQ(placedAfter(new fracao(), new sum()), "(inner)");
    EXPECT_EQ(placedAfter(new sum(), new fracao()), "inner");
    // -(b + c), but -(b·c) needs none
    EXPECT_EQ(placedAfter(new negation(), new sum()), "(inner)");
    EXPECT_EQ(placedAfter(new negation(), new multiplication()), "inner");
    // a and (b or c), a or b and c
    EXPECT_EQ(placedAfter(new logicAnd(), new logicOr()), "(inner)");
    EXPECT_EQ(placedAfter(new logicOr(), new logicAnd()), "inner");
    // a ∪ (b and c): logic binds more loosely than a set relation
    EXPECT_EQ(placedAfter(new junction(), new logicAnd()), "(inner)");
    EXPECT_EQ(placedAfter(new junction(), new multiplication()), "inner");
    // A function's argument, when it is an operation: sin (b·c)
    EXPECT_EQ(placedAfter(new algSin(), new sum()), "(inner)");
    EXPECT_EQ(placedAfter(new algSin(), new multiplication()), "(inner)");
}

TEST(Binding, AnEnclosingClassNeedsNoParentheses) {
    // A stacked quotient, a power and a list enclose their members by their
    // drawing: nothing binds too loosely inside them.
    EXPECT_EQ(placedAfter(new quocient(), new sum()), "inner");
    EXPECT_EQ(placedAfter(new power(), new sum()), "inner");
    EXPECT_EQ(placedAfter(new list(), new logicOr()), "inner");
    // The right side of a relation is never put in parentheses.
    EXPECT_EQ(placedAfter(new equal(), new sum()), "inner");
}

TEST(Binding, OnlyTheArithmeticAndLogicOperatorsHaveANeutralElement) {
    auto neutralOf = [](container* c) {
        std::unique_ptr<container> owner(c);
        std::unique_ptr<nucleo> n(c->neutral());
        return n ? textOf(n.get()) : std::string("none");
    };
    EXPECT_EQ(neutralOf(new sum()), "0");
    EXPECT_EQ(neutralOf(new multiplication()), "1");
    std::unique_ptr<nucleo> truth(new booleano(true)), falsity(new booleano(false));
    EXPECT_EQ(neutralOf(new logicAnd()), textOf(truth.get()));
    EXPECT_EQ(neutralOf(new logicOr()), textOf(falsity.get()));
    for (container* c : {static_cast<container*>(new quocient()), static_cast<container*>(new power()),
                         static_cast<container*>(new enumSet()), static_cast<container*>(new equal())})
        EXPECT_EQ(neutralOf(c), "none") << nameOf(*c);
}

// --- clone and copy ------------------------------------------------------------------------------

// Every composite class. The last five have no clone of their own.
const std::vector<Factory>& everyClass() {
    static const std::vector<Factory> all = {
        make<container>, make<list>, make<enumSet>, [] { return new page(3, false); }, make<sentence>,
        make<parentesis>, make<power>, make<radical>, make<sum>, make<multiplication>, make<fracao>,
        make<quocient>, make<negation>, make<plusOrMinus>, make<logaritm>, make<logicAnd>, make<logicOr>,
        make<argument>, make<algSin>, make<algCos>, make<algTan>, make<algCotan>, make<algASin>, make<algACos>,
        make<algATan>, [] { return new userFunc("f"); }, make<equal>, make<passEqual>, make<greater>,
        make<lessThan>, make<greatOrEqual>, make<lessOrEqual>, make<notEqual>, make<implication>,
        make<equivalence>, make<contains>, make<contained>, make<notContain>, make<refers>, make<refered>,
        make<belongs>, make<notBelong>, make<junction>, make<intersection>, make<resolution>, make<simplification>,
        make<infinitGroup>, make<naturals>, make<conjunto_pares>, make<conjunto_impares>, make<sequencia>,
    };
    return all;
}

bool clonesAsList(const container& c) {
    return dynamic_cast<const infinitGroup*>(&c) || dynamic_cast<const naturals*>(&c) ||
           dynamic_cast<const conjunto_pares*>(&c) || dynamic_cast<const conjunto_impares*>(&c) ||
           dynamic_cast<const sequencia*>(&c);
}

TEST(Catalogue, CloneIsEmptyAndCopyIsDeep) {
    const list aList;
    for (const Factory& f : everyClass()) {
        std::unique_ptr<container> c(f());
        SCOPED_TRACE(nameOf(*c));
        const int wanted = std::max(c->minMembers(), std::min(c->maxMembers(), 2));
        for (int i = c->members(); i < wanted; ++i) c->lput(*new literal(i == 0 ? "p" : "q"));
        ASSERT_EQ(c->members(), wanted);

        // A clone looks like the original (or like an empty list), empty.
        const container& like = clonesAsList(*c) ? static_cast<const container&>(aList) : *c;
        std::unique_ptr<container> clone(c->clone());
        EXPECT_EQ(typeid(*clone), typeid(like));
        EXPECT_EQ(clone->members(), 0);
        EXPECT_EQ(textOf(clone->head()), textOf(like.head()));
        EXPECT_EQ(textOf(clone->separator()), textOf(like.separator()));
        EXPECT_EQ(textOf(clone->tail()), textOf(like.tail()));

        // A copy owns copies of the members.
        std::unique_ptr<nucleo> copy(c->copy());
        EXPECT_EQ(typeid(*copy), typeid(like));
        auto* cc = static_cast<container*>(copy.get());
        EXPECT_EQ(textOf(cc->head()), textOf(like.head()));
        ASSERT_EQ(cc->members(), c->members());
        for (int i = 0; i < c->members(); ++i) {
            EXPECT_NE((*cc)[i], (*c)[i]);
            EXPECT_EQ(textOf((*cc)[i]), textOf((*c)[i]));
        }
        testing::expectChainSound(*cc);
        testing::expectChainSound(*c);
    }
}

//   res
//   ├── a
//   └── equivalence
//       └── b
TEST(Catalogue, ADirectiveNeverLosesItsStatement) {
    for (container* d : {static_cast<container*>(new resolution()), static_cast<container*>(new simplification())}) {
        SCOPED_TRACE(d->type());
        std::unique_ptr<container> owner(d);
        d->lput(*new literal("a"));
        d->lput(*new literal("b"));
        d->lput(*new literal("c"));
        EXPECT_FALSE(d->canDelete(d->first()));
        EXPECT_TRUE(d->canDelete((*d)[1]));
        EXPECT_TRUE(d->canDelete(d->last()));
        EXPECT_FALSE(d->canDelete(nullptr));
        literal stranger("s");
        EXPECT_FALSE(d->canDelete(&stranger));
    }
    resolution r(new literal("a"));
    r.lput(*new equivalence(new literal("b")));
    EXPECT_EQ(r.members(), 2);
    EXPECT_EQ(r.last()->type(), typeId::equivalence) << "an equivalence goes into a resolution as it is";
    EXPECT_FALSE(r.canDelete(r.first()));
    EXPECT_TRUE(r.canDelete(r.last()));
}

TEST(Catalogue, UserFunctionNameSurvivesCloneAndCopy) {
    userFunc f("gamma");
    f.lput(*new literal("x"));
    EXPECT_EQ(f.name(), "gamma");
    std::unique_ptr<container> clone(f.clone());
    EXPECT_EQ(static_cast<userFunc*>(clone.get())->name(), "gamma");
    EXPECT_FALSE(clone->head()->getReadOnly());
    std::unique_ptr<nucleo> copy(f.copy());
    EXPECT_EQ(static_cast<userFunc*>(copy.get())->name(), "gamma");
    EXPECT_EQ(static_cast<userFunc*>(copy.get())->members(), 1);
}

}  // namespace
}  // namespace tovimat
