// Equality, order, membership and mention between expressions.
#include <gtest/gtest.h>

#include <cmath>

#include "algebra/search.h"
#include "algebra_trees.h"
#include "model/shared.h"

namespace tovimat {
namespace {

using namespace testing::trees;

TEST(AlgebraEquality, NumbersAndSignsCompareFromTheLeftOperand) {
    owned minus3(N(-3)), neg3(Neg(N(3)));
    EXPECT_TRUE(*minus3 == *neg3);
    EXPECT_FALSE(*neg3 == *minus3);  // a negation compares as a group
    owned two(N(2)), twoAgain(N(2.0)), three(N(3));
    EXPECT_TRUE(*two == *twoAgain);
    EXPECT_FALSE(*two == *three);
    owned t(B(true)), t2(B(true)), f(B(false));
    EXPECT_TRUE(*t == *t2);
    EXPECT_FALSE(*t == *f);
    owned plusInf(new infinit(true)), plusInf2(new infinit(true)), minusInf(new infinit(false));
    EXPECT_TRUE(*plusInf == *plusInf2);
    EXPECT_FALSE(*plusInf == *minusInf);
    owned u1(new indefinicao()), u2(new indefinicao());
    EXPECT_FALSE(*u1 == *u2);
    EXPECT_TRUE(*u1 == *u1);
}

TEST(AlgebraEquality, CommutativeGroupsIgnoreOrderOthersDoNot) {
    owned xy(M_(L("x"), L("y"))), yx(M_(L("y"), L("x")));
    EXPECT_TRUE(*xy == *yx);
    owned xOverY(Q(L("x"), L("y"))), yOverX(Q(L("y"), L("x")));
    EXPECT_FALSE(*xOverY == *yOverX);
    owned diff(S(L("x"), Neg(L("y")))), swapped(S(Neg(L("y")), L("x")));
    EXPECT_TRUE(*diff == *swapped);
    // A multiset: x·x·y is not x·y·y.
    owned xxy(M_(L("x"), L("x"), L("y"))), xyy(M_(L("x"), L("y"), L("y")));
    EXPECT_FALSE(*xxy == *xyy);
    owned f1(Fn("f", N(1))), f2(Fn("f", N(2))), g1(Fn("g", N(1)));
    EXPECT_TRUE(*f1 == *f2);
    EXPECT_FALSE(*f1 == *g1);
}

TEST(AlgebraEquality, NamesCompareTextAndFace) {
    owned x(L("x")), xSymbol(L("x")), y(L("y"));
    xSymbol->defineFont("SYMBOL");
    EXPECT_FALSE(*x == *xSymbol);
    EXPECT_FALSE(*x == *y);
    owned var(new variable("x", nullptr));
    EXPECT_TRUE(*x == *var);
    EXPECT_FALSE(*var == *x);  // a variable only equals variables
    owned xx(L("xx"));
    EXPECT_FALSE(*x == *xx);
}

TEST(AlgebraOrder, ByValueTextThenTypeOrAddress) {
    owned two(N(2)), three(N(3)), a(L("a")), b(L("b")), ab(L("ab"));
    EXPECT_TRUE(two->menorQue(three.get()));
    EXPECT_FALSE(three->menorQue(two.get()));
    EXPECT_FALSE(two->menorQue(two.get()));
    EXPECT_TRUE(a->menorQue(b.get()));
    EXPECT_FALSE(a->menorQue(ab.get()));  // compared over the shorter length only
    EXPECT_FALSE(two->menorQue(a.get())) << "a number is only smaller than numbers";
    owned t(B(true));
    EXPECT_TRUE(a->menorQue(t.get())) << "literal (id 3) against booleano (id 4) follows the ids";
    EXPECT_FALSE(t->menorQue(a.get()));
    owned s1(S(L("a"), L("b"))), s2(S(L("a"), L("b")));
    EXPECT_NE(s1->menorQue(s2.get()), s2->menorQue(s1.get()));
    EXPECT_EQ(s1->menorQue(s2.get()), s1.get() < s2.get());
    owned q(Any()), q2(Any());
    EXPECT_FALSE(q->menorQue(q2.get())) << "equal placeholders are not ordered";
}

TEST(AlgebraMembership, GroupsContainMembersAndSubMultisets) {
    owned s(Set(N(1), N(2), N(2)));
    EXPECT_TRUE(s->isGroup());
    auto* set = static_cast<container*>(s.get());
    owned two2(Set(N(2), N(2))), one2(Set(N(1), N(2))), three2(Set(N(2), N(2), N(2))), two(N(2)), five(N(5));
    EXPECT_TRUE(set->contem(two2.get()));
    EXPECT_TRUE(set->contem(one2.get()));
    EXPECT_FALSE(set->contem(three2.get()));
    EXPECT_TRUE(set->contem(two.get()));
    EXPECT_FALSE(set->contem(five.get()));
    EXPECT_EQ(dump(set), dump(owned(Set(N(1), N(2), N(2))).get())) << "containment leaves the group as it was";
}

TEST(AlgebraMembership, NumberSets) {
    auto& naturals = shared::naturalNumbers();
    auto& odd = shared::oddNumbers();
    auto& even = shared::evenNumbers();
    for (double v : {0.0, -4.0, 4.0}) {
        owned n(N(v));
        EXPECT_TRUE(naturals.contem(n.get())) << v;
    }
    owned half(N(2.5)), name(L("x")), three(N(3)), minus3(N(-3)), two(N(2)), inf(N(HUGE_VAL));
    EXPECT_FALSE(naturals.contem(half.get()));
    EXPECT_FALSE(naturals.contem(name.get()));
    EXPECT_FALSE(naturals.contem(inf.get()));
    EXPECT_TRUE(odd.contem(three.get()));
    EXPECT_TRUE(odd.contem(minus3.get()));
    EXPECT_FALSE(odd.contem(two.get()));
    EXPECT_FALSE(odd.contem(half.get()));
    EXPECT_TRUE(even.contem(two.get()));
    EXPECT_FALSE(even.contem(three.get()));
}

TEST(AlgebraMembership, TypeProbeAsksForAClassWhicheverSideItIsOn) {
    typeProbe powers(typeId::power);
    owned p(P(L("x"), N(2))), x(L("x"));
    EXPECT_TRUE(*p == powers);
    EXPECT_TRUE(powers == *p);
    EXPECT_FALSE(*x == powers);
    owned product(M_(L("y"), P(L("x"), N(3))));
    EXPECT_TRUE(static_cast<container*>(product.get())->contem(&powers));
    typeProbe roots(typeId::radical);
    EXPECT_FALSE(static_cast<container*>(product.get())->contem(&roots));
}

TEST(AlgebraMention, RefereSearchesTheWholeSubtree) {
    owned e(S(L("a"), M_(N(2), P(L("x"), N(2))))), x(L("x")), z(L("z")), inner(P(L("x"), N(2)));
    EXPECT_TRUE(e->refere(x.get()));
    EXPECT_TRUE(e->refere(inner.get()));
    EXPECT_FALSE(e->refere(z.get()));
    owned same(S(L("a"), M_(N(2), P(L("x"), N(2)))));
    EXPECT_TRUE(e->refere(same.get()));
    EXPECT_FALSE(e->refers(same.get())) << "refers looks at the members, never the group itself";
}

}  // namespace
}  // namespace tovimat
