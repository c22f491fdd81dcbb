// Simplification and the built-in rewrite rules of the operator classes.
#include <gtest/gtest.h>

#include "algebra_trees.h"
#include "platform/messages.h"

namespace tovimat {
namespace {

using namespace testing::trees;

::testing::AssertionResult simplifies(nucleo* n, nucleo* expected, int budget = 1) {
    owned t(n);
    results r = t->simplify(budget);
    if (r.changes == 0) {
        delete expected;
        return ::testing::AssertionFailure() << "nothing simplified";
    }
    return sameTree(r.value.release(), expected);
}

::testing::AssertionResult staysAsItIs(nucleo* n, int budget = 1) {
    owned t(n);
    results r = t->simplify(budget);
    owned value = std::move(r.value);
    if (r.changes == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "simplified into:\n" << dump(value.get());
}

// rule(a, b) of an operator class; a and b are deleted.
::testing::AssertionResult rewritesPair(container* op, nucleo* a, nucleo* b, nucleo* expected) {
    owned o(op), x(a), y(b);
    return sameTree(op->rule(a, b), expected);
}

TEST(AlgebraSimplify, FractionsOfIntegersLoseOneCommonFactorPerCall) {
    EXPECT_TRUE(simplifies(Q(N(6), N(4)), Q(N(3), N(2))));
    EXPECT_TRUE(simplifies(Q(N(12), N(8)), Q(N(6), N(4))));
    EXPECT_TRUE(staysAsItIs(Q(N(7), N(5))));
    EXPECT_TRUE(staysAsItIs(Q(N(2.5), N(5))));
    EXPECT_TRUE(staysAsItIs(Q(N(37), N(74)))) << "37 is above the factor table";
    EXPECT_TRUE(staysAsItIs(Q(N(0), N(0))));
}

TEST(AlgebraSimplify, NestedFractionsJoin) {
    EXPECT_TRUE(simplifies(Q(L("a"), L("b"), L("c")), Q(L("a"), M_(L("b"), L("c")))));
    EXPECT_TRUE(simplifies(Q(Q(L("p"), L("q")), L("d")), Q(L("p"), M_(L("q"), L("d")))));
    EXPECT_TRUE(simplifies(Q(N(1), Q(L("p"), L("q"))), Q(L("q"), L("p"))));
    EXPECT_TRUE(simplifies(Q(L("n"), Q(L("p"), L("q"))), Q(M_(L("q"), L("n")), L("p"))));
}

TEST(AlgebraSimplify, SignsAndParentheses) {
    EXPECT_TRUE(simplifies(Neg(Neg(L("x"))), L("x")));
    EXPECT_TRUE(simplifies(Neg(N(0)), N(0)));
    EXPECT_TRUE(simplifies(M_(Neg(L("a")), Neg(L("b"))), M_(L("a"), L("b")), 0));
    EXPECT_TRUE(simplifies(M_(Neg(L("a")), L("b")), Neg(M_(L("a"), L("b"))), 0));
    EXPECT_TRUE(simplifies(M_(Par(Neg(L("a"))), L("b")), Neg(M_(L("a"), L("b"))), 0)) << "as a product holds it";
    EXPECT_TRUE(staysAsItIs(S(Neg(L("a")), L("b")), 0)) << "a sum keeps its negative members";
    EXPECT_TRUE(staysAsItIs(P(Neg(L("a")), N(2)), 0)) << "(-a)^2 is not -(a^2)";
    EXPECT_TRUE(staysAsItIs(Cos(Neg(L("a"))), 0)) << "cos(-a) is not -cos a";
    EXPECT_TRUE(simplifies(Sin(Neg(L("a"))), Neg(Sin(L("a"))), 0));
    EXPECT_TRUE(simplifies(S(Par(M_(L("a"), L("b"))), L("c")), S(M_(L("a"), L("b")), L("c"))));
    EXPECT_TRUE(simplifies(M_(Par(S(L("a"), Neg(Neg(L("b"))))), L("c")), M_(Par(S(L("a"), L("b"))), L("c"))));
}

TEST(AlgebraSimplify, RootsAndTheBudget) {
    EXPECT_TRUE(simplifies(R(N(16)), N(4)));
    EXPECT_TRUE(staysAsItIs(R(N(2))));
    EXPECT_TRUE(simplifies(R(N(12)), R(M_(N(2), N(2), N(3)))));
    // With a budget of 1 one member is rewritten per call.
    EXPECT_TRUE(simplifies(S(Neg(Neg(L("a"))), Neg(Neg(L("b")))), S(L("a"), Neg(Neg(L("b"))))));
    // A call that rewrites nothing answers the distribution.
    EXPECT_TRUE(simplifies(M_(L("a"), Par(S(L("x"), L("y")))), S(M_(L("a"), L("x")), M_(L("a"), L("y")))));
}

TEST(AlgebraSimplify, EquationsMoveTheRightSideOver) {
    EXPECT_TRUE(simplifies(Line(S(L("x"), N(1)), Eq(N(3))), Line(S(L("x"), N(1), Neg(N(3))), Eq(N(0)))));
    EXPECT_TRUE(simplifies(Line(S(L("x"), N(1)), Gt(L("y"))), Line(S(L("x"), N(1), Neg(L("y"))), Gt(N(0)))));
    EXPECT_TRUE(staysAsItIs(Line(L("x"), Eq(N(0)))));
    EXPECT_TRUE(staysAsItIs(Line(S(L("x"), N(1)), Eq(N(0.5)))));
    EXPECT_TRUE(staysAsItIs(Line(N(2), Eq(N(3)))));
}

TEST(AlgebraRewrite, Products) {
    EXPECT_TRUE(rewritesPair(new multiplication(), L("x"), L("x"), P(L("x"), N(2))));
    EXPECT_TRUE(rewritesPair(new multiplication(), P(L("x"), N(2)), L("x"), P(L("x"), S(N(2), N(1)))));
    EXPECT_TRUE(rewritesPair(new multiplication(), P(L("x"), N(2)), P(L("x"), N(3)), P(L("x"), S(N(2), N(3)))));
    EXPECT_TRUE(rewritesPair(new multiplication(), P(L("x"), N(2)), P(L("y"), N(2)),
                             P(Par(M_(L("x"), L("y"))), N(2))));
    EXPECT_TRUE(rewritesPair(new multiplication(), N(0), L("x"), N(0)));
    EXPECT_TRUE(rewritesPair(new multiplication(), N(1), L("x"), L("x")));
    EXPECT_TRUE(rewritesPair(new multiplication(), Neg(L("x")), Neg(L("y")), M_(L("x"), L("y"))));
    EXPECT_TRUE(rewritesPair(new multiplication(), Q(L("p"), L("q")), L("b"), Q(M_(L("p"), L("b")), L("q"))));
    EXPECT_TRUE(rewritesPair(new multiplication(), Q(L("x"), L("q")), L("x"), Q(P(L("x"), N(2)), L("q"))));
    EXPECT_TRUE(rewritesPair(new multiplication(), L("x"), L("y"), nullptr));
}

TEST(AlgebraRewrite, Quotients) {
    EXPECT_TRUE(rewritesPair(new quocient(), N(6), N(4), Q(N(3), N(2))));
    EXPECT_TRUE(rewritesPair(new quocient(), N(12), N(4), Q(N(6), N(2))));
    EXPECT_TRUE(rewritesPair(new quocient(), N(5), N(0), new indeterminacao()));
    EXPECT_TRUE(rewritesPair(new quocient(), L("x"), L("x"), N(1)));
    EXPECT_TRUE(rewritesPair(new quocient(), P(L("x"), N(3)), L("x"), P(L("x"), S(N(3), N(-1)))));
    EXPECT_TRUE(rewritesPair(new quocient(), L("x"), P(L("x"), N(3)), Q(N(1), P(L("x"), S(N(3), N(-1))))));
    EXPECT_TRUE(rewritesPair(new quocient(), M_(L("x"), L("y"), L("z")), M_(L("y"), L("w")), Q(M_(L("x"), L("z")), L("w"))));
    EXPECT_TRUE(rewritesPair(new quocient(), M_(L("x"), L("y")), M_(L("y"), L("x")), N(1)));
    // A factor cancels once: (x·x)/x is x, x/(x·y) is 1/y.
    EXPECT_TRUE(rewritesPair(new quocient(), M_(L("x"), L("x")), L("x"), L("x")));
    EXPECT_TRUE(rewritesPair(new quocient(), L("x"), M_(L("x"), L("y")), Q(N(1), L("y"))));
    EXPECT_TRUE(rewritesPair(new quocient(), L("x"), L("y"), nullptr));
}

TEST(AlgebraRewrite, Sums) {
    EXPECT_TRUE(rewritesPair(new sum(), L("x"), L("x"), M_(N(2), L("x"))));
    EXPECT_TRUE(rewritesPair(new sum(), N(3), Neg(N(5)), N(-2)));
    EXPECT_TRUE(rewritesPair(new sum(), Neg(L("x")), L("x"), N(0)));
    EXPECT_TRUE(rewritesPair(new sum(), Neg(L("x")), Neg(L("y")), Neg(Par(S(L("x"), L("y"))))));
    EXPECT_TRUE(rewritesPair(new sum(), M_(L("x"), L("y")), L("x"), M_(L("x"), Par(S(L("y"), N(1))))));
    EXPECT_TRUE(rewritesPair(new sum(), M_(L("x"), L("x"), L("y")), L("x"),
                             M_(L("x"), Par(S(M_(L("x"), L("y")), N(1))))));
    EXPECT_TRUE(rewritesPair(new sum(), N(1), Q(N(1), N(2)), Q(N(3), N(2)))) << "a number plus a fraction";
    EXPECT_TRUE(rewritesPair(new sum(), S(L("a"), L("b")), L("c"), S(L("a"), L("b"), L("c"))));
    MessageRecorder boxes;
    EXPECT_TRUE(rewritesPair(new sum(), M_(L("x"), L("y")), M_(L("y"), L("x")), nullptr));
    EXPECT_EQ(boxes.boxes(), 1);
}

TEST(AlgebraRewrite, PowersAndRoots) {
    EXPECT_TRUE(rewritesPair(new power(), L("x"), Q(N(1), N(2)), R(L("x"))));
    EXPECT_TRUE(rewritesPair(new power(), L("x"), Q(N(3), N(4)), R(N(4), P(L("x"), N(3)))));
    EXPECT_TRUE(rewritesPair(new power(), N(0), N(0), N(0)));
    EXPECT_TRUE(rewritesPair(new power(), N(1), L("x"), N(1)));
    EXPECT_TRUE(rewritesPair(new power(), N(0), N(-1), nullptr)) << "0^-1 divides by zero";
    EXPECT_TRUE(rewritesPair(new radical(), N(2), N(16), N(4)));
    EXPECT_TRUE(rewritesPair(new radical(), N(3), N(27), N(3)));
    EXPECT_TRUE(rewritesPair(new radical(), N(3), M_(P(L("x"), N(3)), L("y")), M_(L("x"), R(N(3), L("y")))));
    EXPECT_TRUE(rewritesPair(new radical(), N(2), P(L("x"), N(2)), L("x")));
    EXPECT_TRUE(rewritesPair(new radical(), N(2), P(L("x"), N(3)), M_(L("x"), R(L("x")))));
    EXPECT_TRUE(rewritesPair(new radical(), N(3), R(L("x")), R(N(6), L("x")))) << "root of a root multiplies";
    EXPECT_TRUE(rewritesPair(new radical(), N(0), L("x"), new indeterminacao()));
    EXPECT_TRUE(rewritesPair(new equal(), L("x"), L("x"), B(true)));
    EXPECT_TRUE(rewritesPair(new equal(), N(2), N(3), B(false)));
}

}  // namespace
}  // namespace tovimat
