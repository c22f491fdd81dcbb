// Distribution, the set operations on member lists, and named constants.
#include <gtest/gtest.h>

#include "algebra/sets.h"
#include "algebra_trees.h"
#include "test_host.h"

namespace tovimat {
namespace {

using namespace testing::trees;

::testing::AssertionResult distributes(nucleo* n, nucleo* expected) {
    owned t(n);
    results r = static_cast<container*>(t.get())->distribute();
    if (r.changes == 0) {
        delete expected;
        return ::testing::AssertionFailure() << "nothing distributed";
    }
    return sameTree(r.value.release(), expected);
}

::testing::AssertionResult staysUndistributed(nucleo* n) {
    owned t(n);
    results r = static_cast<container*>(t.get())->distribute();
    if (r.changes == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "distributed into:\n" << dump(r.value.get());
}

TEST(AlgebraDistribute, ProductsAndNumeratorsDistributeOverSums) {
    EXPECT_TRUE(distributes(M_(L("a"), Par(S(L("x"), L("y")))), S(M_(L("a"), L("x")), M_(L("a"), L("y")))));
    EXPECT_TRUE(distributes(Q(S(L("x"), L("y")), L("z")), S(Q(L("x"), L("z")), Q(L("y"), L("z")))));
    EXPECT_TRUE(staysUndistributed(Q(L("z"), S(L("x"), L("y")))));
    EXPECT_TRUE(staysUndistributed(P(Par(S(L("x"), L("y"))), N(2))));
    EXPECT_TRUE(staysUndistributed(M_(L("a"), L("b"))));
    // A negated term keeps its sign in its product.
    EXPECT_TRUE(distributes(M_(L("a"), Par(S(L("x"), Neg(L("y"))))),
                            S(M_(L("a"), L("x")), M_(L("a"), Par(Neg(L("y")))))));
}

TEST(AlgebraDistribute, InnerDistributionsRebuildTheirContainers) {
    EXPECT_TRUE(distributes(S(L("x"), M_(L("a"), Par(S(L("b"), L("c"))))),
                            S(L("x"), M_(L("a"), L("b")), M_(L("a"), L("c")))));
    EXPECT_TRUE(distributes(Neg(M_(L("a"), Par(S(L("b"), L("c"))))),
                            Neg(Par(S(M_(L("a"), L("b")), M_(L("a"), L("c")))))));
    // A group of several members keeps all of them.
    EXPECT_TRUE(distributes(Lst(M_(L("a"), Par(S(L("b"), L("c")))), L("d")),
                            Lst(S(M_(L("a"), L("b")), M_(L("a"), L("c"))), L("d"))));
}

TEST(AlgebraDistribute, LinesSpreadOverTheMembersOfAGroup) {
    // (x, y) = 0 is the two lines x = 0 and y = 0.
    EXPECT_TRUE(distributes(Line(Par(Lst(L("x"), L("y"))), Eq(N(0))),
                            Lst(Line(L("x"), Eq(N(0))), Line(L("y"), Eq(N(0))))));
    EXPECT_TRUE(distributes(Line(L("x"), Eq(Lst(N(1), N(2)))), Lst(Line(L("x"), Eq(N(1))), Line(L("x"), Eq(N(2))))));
    EXPECT_TRUE(distributes(Line(L("x"), Eq(M_(L("a"), Par(S(L("b"), L("c")))))),
                            Eq(S(M_(L("a"), L("b")), M_(L("a"), L("c"))))));
    EXPECT_TRUE(staysUndistributed(Line(S(N(3), N(4)), Pass(N(7)))));
}

// Intersection and union are covered through Calculate (AlgebraCalculate);
// these two have no relation of their own.
TEST(AlgebraSets, SymmetricDifferenceAndUnpairedMembers) {
    owned c(Set(N(1), N(2))), d(Set(N(2), N(3)));
    auto* gc = static_cast<container*>(c.get());
    auto* gd = static_cast<container*>(d.get());
    EXPECT_TRUE(sameTree(alg::disjuncao(gc, gd), Set(N(1), N(3))));
    EXPECT_TRUE(sameTree(alg::disjuncao(gc, gc), Set())) << "nothing is left of a group against itself";
    owned a(Set(N(1), N(2), N(2), N(3))), b(Set(N(2), N(3), N(4)));
    refCol unpaired;
    alg::nonCommon(static_cast<container*>(a.get()), static_cast<container*>(b.get()), unpaired);
    auto* kept = new enumSet();
    unpaired.copyTo(kept);
    EXPECT_TRUE(sameTree(kept, Set(N(1), N(2), N(4))));
}

TEST(AlgebraConstants, DefinitionsReplaceNamesInPlace) {
    testing::TestHost host;
    container* expr = M_(L("g"), L("t"));
    container* other = S(L("c"), L("g"));
    host.getBase()->linkLast(expr);
    host.getBase()->linkLast(other);
    owned constants(Box(Line(L("g"), Eq(N(9.81))), Line(L("h"), Pass(N(2))),
                        Pg(Line(L("c"), Eq(S(L("a"), L("b")))))));
    auto* set = static_cast<container*>(constants.get());
    expr->useConstants(set);
    EXPECT_TRUE(sameTree(shapeOf(expr), M_(N(9.81), L("t"))));
    // A value that binds more loosely than its new place is parenthesised;
    // a definition written with the calculated equals sign is no definition.
    owned product(M_(L("c"), L("h")));
    auto* p = static_cast<container*>(product.get());
    p->useConstants(set);
    EXPECT_TRUE(sameTree(shapeOf(p), M_(Par(S(L("a"), L("b"))), L("h"))));
    other->useConstants(set);
    EXPECT_TRUE(sameTree(shapeOf(other), S(S(L("a"), L("b")), N(9.81))));
}

}  // namespace
}  // namespace tovimat
