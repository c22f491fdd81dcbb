// Calculate: folding numbers, the guards that leave an operation as written,
// deciding relations and sets, and committing results into a document.
#include <gtest/gtest.h>

#include <cmath>

#include "algebra/refusal.h"
#include "algebra_trees.h"
#include "platform/messages.h"
#include "test_host.h"

namespace tovimat {
namespace {

using namespace testing::trees;
using testing::TestHost;

// Calculate of a tree built for the purpose; the tree itself must not change.
results calc(nucleo* n) {
    owned tree(n);
    const std::string before = dump(tree.get());
    results r = tree->calculate();
    EXPECT_EQ(before, dump(tree.get())) << "calculate changed the tree it read";
    return r;
}

::testing::AssertionResult folds(nucleo* n, nucleo* expected, int changes = -1) {
    results r = calc(n);
    if (r.changes == 0) {
        delete expected;
        return ::testing::AssertionFailure() << "nothing changed";
    }
    if (changes >= 0 && r.changes != changes) {
        delete expected;
        return ::testing::AssertionFailure() << r.changes << " changes, meant " << changes;
    }
    return sameTree(r.value.release(), expected);
}

::testing::AssertionResult stays(nucleo* n) {
    results r = calc(n);
    if (r.changes == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "changed into:\n" << dump(r.value.get());
}

TEST(AlgebraCalculate, FoldsNumbersInMemberOrder) {
    EXPECT_TRUE(folds(S(N(2), N(3)), N(5), 1));
    EXPECT_TRUE(folds(S(L("x"), N(2), L("y"), N(3)), S(L("x"), N(5), L("y")), 1));
    EXPECT_TRUE(folds(S(N(2), L("x"), N(3)), S(N(5), L("x"))));
    EXPECT_TRUE(folds(S(Neg(N(3)), N(5)), N(2)));
    EXPECT_TRUE(folds(M_(N(2), N(3), N(4)), N(24), 2));
    EXPECT_TRUE(folds(Q(N(6), N(3)), N(2)));
    EXPECT_TRUE(folds(P(N(2), N(3)), N(8)));
    EXPECT_TRUE(folds(Log(N(2), N(8)), N(3)));
    EXPECT_TRUE(folds(Log(N(10), N(1000)), N(3))) << "an exact logarithm stays whole";
    EXPECT_TRUE(folds(R(N(9)), N(3)));
    EXPECT_TRUE(folds(R(N(3), N(8)), N(2)));
    EXPECT_TRUE(folds(R(N(3), N(-8)), N(-2))) << "an odd root of a negative number is real";
    EXPECT_TRUE(folds(Sin(N(0)), N(0)));
    EXPECT_TRUE(folds(Cot(N(0)), new infinit(true)));
    // Members that did not fold are copied, not calculated, in the same pass.
    EXPECT_TRUE(folds(S(M_(N(2), N(3)), N(4), N(5)), S(M_(N(2), N(3)), N(9)), 1));
}

TEST(AlgebraCalculate, GuardsLeaveOperationsAsWritten) {
    EXPECT_TRUE(stays(Q(N(6), N(0))));
    EXPECT_TRUE(stays(Q(N(0), N(0))));
    EXPECT_TRUE(stays(Q(N(6), Neg(N(0)))));
    EXPECT_TRUE(stays(P(N(10), N(3))));
    EXPECT_TRUE(stays(R(N(10), N(5))));
    EXPECT_TRUE(stays(R(N(0), S(N(2), N(3))))) << "nothing under a zero index is calculated";
    // Outside an operation's domain nothing is evaluated either.
    EXPECT_TRUE(stays(ASin(N(2))));
    EXPECT_TRUE(stays(R(N(-4))));
    EXPECT_TRUE(stays(Log(N(2), N(0))));
    EXPECT_TRUE(stays(P(N(0), N(-1))));
}

// Numbers are read as the decimals they show; a result is that decimal
// exactly, not the binary arithmetic's neighbour of it.
TEST(AlgebraCalculate, DecimalsGiveTheirExactDecimalResults) {
    EXPECT_TRUE(folds(S(N(0.1), N(0.2)), N(0.3))) << "not 0.30000000000000004";
    EXPECT_TRUE(folds(S(N(0.7), N(0.1)), N(0.8))) << "not 0.7999999999999999";
    EXPECT_TRUE(folds(S(N(1), Neg(N(0.9))), N(0.1))) << "not 0.09999999999999998";
    EXPECT_TRUE(folds(S(N(1), N(0.5)), N(1.5)));
    EXPECT_TRUE(folds(S(N(0.1), N(0.2), N(0.3)), N(0.6), 2)) << "each step of a fold";
    EXPECT_TRUE(folds(M_(N(2), N(0.5)), N(1)));
    EXPECT_TRUE(folds(M_(N(1.1), N(1.1)), N(1.21)));
    EXPECT_TRUE(folds(M_(N(0.1), N(3)), N(0.3)));
    EXPECT_TRUE(folds(P(N(1.1), N(2)), N(1.21)));
    EXPECT_TRUE(folds(Q(N(0.3), N(0.1)), N(3))) << "not 2.9999999999999996";
    EXPECT_TRUE(folds(Q(N(6), N(0.2), N(0.1)), N(300))) << "the divisors multiply exactly";
    EXPECT_TRUE(folds(Fr(N(3.3), N(1.1)), N(3)));
    // What has no short decimal keeps every digit the double holds.
    EXPECT_TRUE(folds(Q(N(1), N(3)), N(1.0 / 3)));
    EXPECT_TRUE(folds(Q(N(2), N(3)), N(2.0 / 3)));
    EXPECT_TRUE(folds(S(N(0.1234567890123), N(1e6)), N(1000000.1234567890123)));
    EXPECT_TRUE(folds(M_(N(123456789.5), N(123456789.5)), N(123456789.5 * 123456789.5)));
    EXPECT_TRUE(folds(P(N(1.1), N(0.5)), N(std::pow(1.1, 0.5))));
    EXPECT_TRUE(folds(Sin(N(1)), N(std::sin(1.0))));
}

// Calculate says why it left something as written; the first reason of a
// calculation is the one kept.
TEST(AlgebraCalculate, RefusalsAreNotedWithTheirReason) {
    auto reasonFor = [](nucleo* n) -> std::string {
        refusalNote why;
        calc(n);
        return why.reason() ? why.reason() : "";
    };
    EXPECT_EQ(reasonFor(Q(N(1), N(0))), refusalNote::divisionByZero);
    EXPECT_EQ(reasonFor(Q(N(0), N(0))), refusalNote::divisionByZero);
    EXPECT_EQ(reasonFor(Fr(N(1), Neg(N(0)))), refusalNote::divisionByZero);
    EXPECT_EQ(reasonFor(P(N(9), N(999))), refusalNote::tooLarge);
    EXPECT_EQ(reasonFor(M_(N(1e300), N(1e300))), refusalNote::tooLarge);
    EXPECT_EQ(reasonFor(ASin(N(2))), refusalNote::undefined);
    EXPECT_EQ(reasonFor(R(N(-4))), refusalNote::undefined);
    EXPECT_EQ(reasonFor(Log(N(2), N(0))), refusalNote::undefined);
    EXPECT_EQ(reasonFor(P(N(0), N(-1))), refusalNote::undefined);
    EXPECT_EQ(reasonFor(R(N(0), N(5))), refusalNote::zeroIndex);
    EXPECT_EQ(reasonFor(S(Q(N(1), N(0)), P(N(9), N(999)))), refusalNote::divisionByZero);
    // Parts that could be done are done all the same.
    {
        refusalNote why;
        EXPECT_TRUE(folds(S(Q(N(1), N(0)), M_(N(2), N(3))), S(Q(N(1), N(0)), N(6))));
        EXPECT_STREQ(why.reason(), refusalNote::divisionByZero);
    }
    EXPECT_EQ(reasonFor(S(N(1), N(2))), "");
    EXPECT_EQ(reasonFor(P(N(10), N(400))), "") << "10^n stays as written on purpose";

    // Without an open note nothing is kept; an inner note hides the outer one.
    calc(Q(N(1), N(0)));
    refusalNote outer;
    {
        refusalNote inner;
        calc(Q(N(1), N(0)));
        EXPECT_STREQ(inner.reason(), refusalNote::divisionByZero);
    }
    EXPECT_EQ(outer.reason(), nullptr);
}

TEST(AlgebraCalculate, FractionsDivideAndListsOnlyHoldValues) {
    EXPECT_TRUE(folds(Fr(N(6), N(3)), N(2))) << "an in-line fraction divides";
    EXPECT_TRUE(stays(Fr(N(6), N(0))));
    EXPECT_TRUE(stays(Args(N(2), N(3)))) << "an argument list is not a sum";
    EXPECT_TRUE(stays(Fn("f", Args(N(2), N(3)))));
    // After the numerator every member divides: x/6/2 is x/12.
    EXPECT_TRUE(folds(Q(L("x"), N(6), N(2)), Q(L("x"), N(12))));
    EXPECT_TRUE(folds(Q(N(6), N(2), N(3)), N(1)));
    EXPECT_TRUE(folds(Q(N(6), N(0), N(2)), Q(N(3), N(0))));
}

TEST(AlgebraCalculate, SignsAndParentheses) {
    EXPECT_TRUE(folds(Neg(Neg(L("x"))), L("x"), 1));
    EXPECT_TRUE(folds(Pm(Neg(L("x"))), Pm(L("x")))) << "plus-or-minus keeps its double sign";
    EXPECT_TRUE(folds(M_(Par(S(N(2), N(3))), L("a")), M_(N(5), L("a"))));
    EXPECT_TRUE(stays(M_(Par(S(L("a"), L("b"))), L("c"))));
    EXPECT_TRUE(folds(M_(Par(S(N(2), N(3), L("x"))), L("a")), M_(Par(S(N(5), L("x"))), L("a"))));
    EXPECT_TRUE(folds(S(Par(S(L("a"), L("b"))), L("c")), S(L("a"), L("b"), L("c")))) << "a sum in a sum needs none";
    EXPECT_TRUE(folds(P(Par(S(N(1), N(1), L("x"))), N(2)), P(Par(S(N(2), L("x"))), N(2))));
}

TEST(AlgebraCalculate, LogicAndSets) {
    EXPECT_TRUE(folds(Or(B(true), L("x")), B(true)));
    EXPECT_TRUE(folds(Or(B(false), L("x")), L("x")));
    EXPECT_TRUE(folds(Or(L("x"), L("x")), L("x")));
    EXPECT_TRUE(folds(And(L("x"), B(false)), B(false)));
    EXPECT_TRUE(folds(And(B(true), L("y")), L("y")));
    EXPECT_TRUE(stays(Or(L("x"), L("y"))));
    EXPECT_TRUE(folds(Rel<intersection>(Set(N(1), N(2), N(2), N(3)), Set(N(2), N(3), N(4))), Set(N(2), N(3))));
    EXPECT_TRUE(folds(Rel<belongs>(N(2), Set(N(1), N(2))), B(true)));
    EXPECT_TRUE(folds(Rel<notBelong>(N(2), Set(N(1), N(2))), B(false)));
    EXPECT_TRUE(folds(Rel<contains>(Set(N(1), N(2)), Set(N(2))), B(true)));
    EXPECT_TRUE(stays(Rel<belongs>(N(2), N(3))));
}

// A union lists every member once, whichever operand brought it.
TEST(AlgebraCalculate, UnionListsEachMemberOnce) {
    EXPECT_TRUE(folds(Rel<junction>(Set(N(1), N(2)), Set(N(2), N(3))), Set(N(1), N(2), N(3))));
    EXPECT_TRUE(folds(Rel<junction>(Set(N(1), N(1)), Set(N(1))), Set(N(1))));
    EXPECT_TRUE(folds(Rel<junction>(Set(L("x"), S(L("a"), L("b"))), Set(S(L("b"), L("a")), L("y"))),
                      Set(L("x"), S(L("a"), L("b")), L("y"))))
        << "a + b and b + a are one member";
    EXPECT_TRUE(folds(Rel<junction>(Set(N(1), N(2)), Set(Set(N(1)), N(2))), Set(N(1), N(2), Set(N(1)))))
        << "a set member is not taken apart";
    EXPECT_TRUE(folds(Rel<junction>(Lst(N(1), N(2)), Lst(N(2), N(3))), Lst(N(1), N(2), N(3))))
        << "two lists give a list";
    EXPECT_TRUE(folds(Rel<junction>(Set(N(1)), Lst(N(1), N(2))), Set(N(1), N(2))));
    EXPECT_TRUE(stays(Rel<junction>(Set(N(1)), N(2))));
    EXPECT_TRUE(stays(Rel<junction>(N(1), Set(N(2)))));
}

// a refers b holds when b is nowhere in a, at any depth; refered asks it
// the other way round.
TEST(AlgebraCalculate, RefersHoldsWhenTheGroupDoesNotMentionTheOther) {
    EXPECT_TRUE(folds(Rel<refers>(Set(N(1), N(2)), N(3)), B(true)));
    EXPECT_TRUE(folds(Rel<refers>(Set(L("x"), N(1)), L("x")), B(false)));
    EXPECT_TRUE(folds(Rel<refers>(Set(N(1), S(L("x"), N(2))), L("x")), B(false))) << "found at any depth";
    EXPECT_TRUE(folds(Rel<refers>(Set(N(1), N(2)), Set(N(2), N(1))), B(false))) << "the group itself is compared";
    EXPECT_TRUE(folds(Rel<contains>(Set(N(1), S(L("x"), N(2))), L("x")), B(false)))
        << "contains looks one level down only";
    EXPECT_TRUE(folds(Rel<refered>(L("x"), Set(N(1), S(L("x"), N(2)))), B(false)));
    EXPECT_TRUE(folds(Rel<refered>(N(3), Set(N(1), N(2))), B(true)));
    EXPECT_TRUE(stays(Rel<refers>(L("x"), Set(L("x")))));
    EXPECT_TRUE(stays(Rel<refered>(Set(L("x")), L("x"))));
}

TEST(AlgebraCalculate, RelationsBetweenNumbersAreDecided) {
    EXPECT_TRUE(folds(Line(N(3), Eq(N(3))), B(true)));
    EXPECT_TRUE(folds(Line(N(2), Eq(N(3))), B(false)));
    EXPECT_TRUE(folds(Line(N(3), Gt(N(2))), B(true)));
    EXPECT_TRUE(folds(Line(N(2), Gt(N(3))), B(false)));
    EXPECT_TRUE(folds(Line(N(2), Ne(N(3))), B(true)));
    EXPECT_TRUE(folds(Line(L("x"), Eq(L("x"))), B(true)));
    // The right side is calculated inside its relation.
    EXPECT_TRUE(folds(Line(L("x"), Eq(S(N(2), N(3)))), Eq(N(5))));
    EXPECT_TRUE(stays(Line(S(N(3), N(4)), Pass(N(7)))));
    EXPECT_TRUE(folds(Steps(Line(L("x"), Eq(L("y"))), Equiv(Line(L("x"), Eq(S(N(1), N(1)))))),
                      Equiv(Line(L("x"), Eq(N(2))))))
        << "inside a relation a line is rebuilt whole";
}

// --- committing ----------------------------------------------------------------------------------

struct Document {
    TestHost host;
    container* base = host.getBase();
    MessageRecorder messages;

    nucleo* add(nucleo* line) {
        base->linkLast(line);
        host.remeasureOn(base);
        return line;
    }
    int calculate(nucleo* focus) {
        host.focus = focus;
        results r = focus->calculate();
        if (r.changes == 0) r = static_cast<container*>(focus)->distribute();
        int done = host.chkPass(r);
        EXPECT_EQ(r.value, nullptr) << "the record still holds a value after the commit";
        return done;
    }
};

TEST(AlgebraCommit, ALineBecomesExpressionEqualsResult) {
    Document doc;
    nucleo* line = doc.add(S(N(3), N(4)));
    EXPECT_EQ(doc.calculate(line), 1);
    EXPECT_EQ(dump(doc.base->first()),
              "simplification\n"
              "  sum\n"
              "    nominal \"3\"\n"
              "    nominal \"4\"\n"
              "  passEqual\n"
              "    nominal \"7\" <caret 1>\n");
    EXPECT_TRUE(doc.host.modified);
    // Again: nothing folds and nothing distributes, so nothing changes.
    owned before(shapeOf(doc.base));
    EXPECT_EQ(doc.calculate(doc.base->first()), 0);
    EXPECT_TRUE(sameTree(shapeOf(doc.base), before.release()));
}

TEST(AlgebraCommit, ANegativeResultStaysANumber) {
    Document doc;
    nucleo* line = doc.add(S(N(3), Neg(N(5))));
    EXPECT_EQ(doc.calculate(line), 1);
    EXPECT_EQ(dump(static_cast<container*>(doc.base->first())->last()), "passEqual\n  nominal \"-2\" <caret 2>\n");
}

TEST(AlgebraCommit, AStepLineGrowsIntoAResolution) {
    Document doc;
    nucleo* line = doc.add(Line(L("x"), Eq(S(N(2), N(3)))));
    EXPECT_EQ(doc.calculate(line), 1);
    EXPECT_EQ(dump(doc.base->first()),
              "resolution\n"
              "  simplification\n"
              "    literal \"x\"\n"
              "    equal\n"
              "      sum\n"
              "        nominal \"2\"\n"
              "        nominal \"3\"\n"
              "  equivalence <caret 2>\n"
              "    simplification\n"
              "      literal \"x\"\n"
              "      equal\n"
              "        nominal \"5\"\n");
    // The next step is calculated from the last one and appended.
    container* steps = static_cast<container*>(doc.base->first());
    EXPECT_EQ(doc.calculate(steps), 0);
}

TEST(AlgebraCommit, ADecidedLineGetsItsTruthAsTheNextStep) {
    Document doc;
    nucleo* line = doc.add(Line(N(3), Eq(N(3))));
    EXPECT_EQ(doc.calculate(line), 1);
    EXPECT_EQ(dump(static_cast<container*>(doc.base->first())->last()), "equivalence <caret 2>\n  booleano \"True\"\n");
}

TEST(AlgebraCommit, AnInnerResultKeepsItsMeaningInItsNewPlace) {
    // x + a·(b + c): the distributed product joins the sum.
    Document doc;
    container* product = M_(L("a"), Par(S(L("b"), L("c"))));
    doc.add(S(L("x"), product));
    EXPECT_EQ(doc.calculate(product), 1);
    EXPECT_TRUE(sameTree(shapeOf(doc.base->first()), S(L("x"), M_(L("a"), L("b")), M_(L("a"), L("c")))));
}

TEST(AlgebraCommit, ResultsThatBindLooselyAreParenthesisedNotLifted) {
    {
        // -(a·(b + c)) is -(a·b + a·c), not -(a·b) + a·c.
        Document doc;
        container* product = M_(L("a"), Par(S(L("b"), L("c"))));
        doc.add(Neg(product));
        EXPECT_EQ(doc.calculate(product), 1);
        EXPECT_TRUE(sameTree(shapeOf(doc.base->first()), Neg(Par(S(M_(L("a"), L("b")), M_(L("a"), L("c")))))));
    }
    {
        // The parentheses of a·(2 + 3 + x) stay around 5 + x.
        Document doc;
        container* group = Par(S(N(2), N(3), L("x")));
        doc.add(M_(L("a"), group));
        EXPECT_EQ(doc.calculate(group), 1);
        EXPECT_TRUE(sameTree(shapeOf(doc.base->first()), M_(L("a"), Par(S(N(5), L("x"))))));
    }
}

TEST(AlgebraCommit, NothingToCommitDisposesOfTheValue) {
    Document doc;
    nucleo* line = doc.add(S(L("a"), L("b")));
    results r(new nominal(1.0), nullptr, 0);
    doc.host.focus = line;
    EXPECT_EQ(doc.host.chkPass(r), 0);
    EXPECT_EQ(r.value, nullptr);
    EXPECT_TRUE(sameTree(shapeOf(doc.base->first()), S(L("a"), L("b"))));
}

}  // namespace
}  // namespace tovimat
