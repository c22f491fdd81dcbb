// Rule sets: the matcher, choices of members, padding, substitution, and
// where in an expression a rule applies.
#include <gtest/gtest.h>

#include "algebra_trees.h"
#include "platform/messages.h"
#include "test_host.h"

namespace tovimat {
namespace {

using namespace testing::trees;

// Applies a rule set (a box of rules) to a target; both are deleted.
results apply(container* rules, nucleo* target) {
    owned set(rules), t(target);
    const std::string before = dump(t.get());
    results r = static_cast<container*>(t.get())->applyRules(rules, nullptr);
    EXPECT_EQ(before, dump(t.get())) << "applying rules changed the target";
    return r;
}

::testing::AssertionResult rewrites(container* rules, nucleo* target, nucleo* expected) {
    results r = apply(rules, target);
    if (r.changes == 0) {
        delete expected;
        return ::testing::AssertionFailure() << "no rule applied";
    }
    return sameTree(r.value.release(), expected);
}

::testing::AssertionResult noRule(container* rules, nucleo* target) {
    results r = apply(rules, target);
    if (r.changes == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rewritten into:\n" << dump(r.value.get());
}

TEST(AlgebraRules, NeutralElementMatchesInEitherArrangement) {
    MessageRecorder quiet;
    auto rule = [] { return Box(Rule(S(L("x"), N(0)), L("x"))); };
    EXPECT_TRUE(rewrites(rule(), S(L("a"), N(0)), L("a")));
    EXPECT_TRUE(rewrites(rule(), S(N(0), L("a")), L("a")));
    EXPECT_TRUE(rewrites(rule(), S(N(0), Par(M_(L("a"), L("b")))), M_(L("a"), L("b"))));
    EXPECT_TRUE(noRule(rule(), S(L("a"), N(1))));
    EXPECT_TRUE(noRule(rule(), M_(L("a"), N(0)))) << "a sum pattern never matches a product";
}

TEST(AlgebraRules, AVariableStandsForTheSameExpressionEverywhere) {
    MessageRecorder quiet;
    auto square = [] { return Box(Rule(M_(L("x"), L("x")), P(L("x"), N(2)))); };
    EXPECT_TRUE(rewrites(square(), M_(L("a"), L("a")), P(L("a"), N(2))));
    EXPECT_TRUE(noRule(square(), M_(L("a"), L("b"))));
    EXPECT_TRUE(rewrites(square(), M_(Par(S(L("a"), L("b"))), Par(S(L("b"), L("a")))),
                         P(Par(S(L("a"), L("b"))), N(2))))
        << "equal up to the order of a commutative group";
}

TEST(AlgebraRules, FewerPatternMembersChooseTargetMembersInOrder) {
    MessageRecorder quiet;
    auto swap = [] { return Box(Rule(S(L("x"), L("y")), S(L("y"), L("x")))); };
    EXPECT_TRUE(rewrites(swap(), S(L("a"), L("b"), L("c")), S(S(L("b"), L("a")), L("c"))));
    // x + 0 = x on a + b + 0 + c: the first choice that can hold 0 is {a, 0}.
    auto zero = [] { return Box(Rule(S(L("x"), N(0)), L("x"))); };
    EXPECT_TRUE(rewrites(zero(), S(L("a"), L("b"), N(0), L("c")), S(L("a"), L("b"), L("c"))));
    EXPECT_TRUE(rewrites(zero(), S(L("a"), N(0), L("b"), N(0)), S(L("a"), L("b"), N(0))));
    // Choices that cannot hold the 0 are skipped, the others tried in order:
    // {a, b, 0} fails on x = x, {a, 0, a} is the first that matches.
    auto twice = [] { return Box(Rule(S(L("x"), L("x"), N(0)), M_(N(2), L("x")))); };
    EXPECT_TRUE(rewrites(twice(), S(L("a"), L("b"), N(0), L("a")), S(M_(N(2), L("a")), L("b"))));
    // Many terms and no zero: no choice can match, and none is tried one by one.
    auto* many = new sum();
    for (int i = 0; i < 3000; ++i) many->linkLast(L(("a" + std::to_string(i)).c_str()));
    EXPECT_TRUE(noRule(zero(), many));
}

TEST(AlgebraRules, NestedGroupsTakeTheRestAndValuesKeepTheirMeaning) {
    MessageRecorder quiet;
    auto distribute = [] {
        return Box(Rule(M_(L("x"), Par(S(L("y"), L("z")))), S(M_(L("x"), L("y")), M_(L("x"), L("z")))));
    };
    EXPECT_TRUE(rewrites(distribute(), M_(L("a"), Par(S(L("b"), L("c"), L("d")))),
                         S(M_(L("a"), L("b")), M_(L("a"), Par(S(L("c"), L("d")))))));
    auto powers = [] { return Box(Rule(M_(L("x"), P(L("x"), L("n"))), P(L("x"), S(L("n"), N(1))))); };
    EXPECT_TRUE(rewrites(powers(), M_(L("a"), P(L("a"), N(3))), P(L("a"), S(N(3), N(1)))));
    // A leaf against a product pattern counts as that product with 1.
    auto factor = [] { return Box(Rule(S(M_(L("x"), L("y")), L("x")), M_(L("x"), Par(S(L("y"), N(1)))))); };
    EXPECT_TRUE(rewrites(factor(), S(L("a"), L("a")), M_(L("a"), Par(S(N(1), N(1))))));
    EXPECT_TRUE(rewrites(factor(), S(M_(L("a"), L("b")), L("a")), M_(L("a"), Par(S(L("b"), N(1))))));
}

TEST(AlgebraRules, ATargetWithFewerMembersIsPaddedWithTheNeutralElement) {
    MessageRecorder quiet;
    auto rule = [] { return Box(Rule(S(L("x"), L("y"), L("z")), L("z"))); };
    EXPECT_TRUE(rewrites(rule(), S(L("a"), L("b")), N(0)));
    auto product = [] { return Box(Rule(M_(L("x"), L("y"), L("z")), L("z"))); };
    EXPECT_TRUE(rewrites(product(), M_(L("a"), L("b")), N(1)));
}

TEST(AlgebraRules, SignsOfFactorsTravelWithTheLastPatternMember) {
    MessageRecorder quiet;
    auto swap = [] { return Box(Rule(M_(L("x"), L("y")), M_(L("y"), L("x")))); };
    EXPECT_TRUE(rewrites(swap(), M_(L("a"), Neg(L("b"))), M_(Par(Neg(L("b"))), L("a"))));
    EXPECT_TRUE(rewrites(swap(), M_(Neg(L("a")), Neg(L("b"))), M_(L("b"), L("a"))));
}

// The matcher rules out arrangements in which a constant of the pattern
// meets an unequal member, or a group meets an operator of another class,
// before it binds anything; what it may still match must come through.
TEST(AlgebraRules, ConstantsAndGroupsOfThePatternMatchThroughSignsParenthesesAndOrder) {
    MessageRecorder quiet;
    auto twice = [] { return Box(Rule(M_(N(2), L("x")), L("x"))); };
    EXPECT_TRUE(rewrites(twice(), M_(L("a"), N(2)), L("a")));
    EXPECT_TRUE(rewrites(twice(), M_(L("a"), Par(N(2))), L("a")));
    EXPECT_TRUE(rewrites(twice(), M_(Neg(N(2)), L("a")), Neg(L("a")))) << "the sign travels with x";
    EXPECT_TRUE(noRule(twice(), M_(L("a"), N(3))));
    auto zeroth = [] { return Box(Rule(P(L("x"), N(0)), N(1))); };
    EXPECT_TRUE(rewrites(zeroth(), P(L("a"), N(0)), N(1)));
    EXPECT_TRUE(noRule(zeroth(), P(N(0), L("a")))) << "a power keeps its members' order";
    // -(2 * a) against 2 * x: the sign goes inside, and on to x.
    auto term = [] { return Box(Rule(S(M_(N(2), L("x")), L("z")), L("x"))); };
    EXPECT_TRUE(rewrites(term(), S(Neg(M_(N(2), L("a"))), L("b")), Neg(L("a"))));
    EXPECT_TRUE(noRule(term(), S(Neg(P(L("a"), N(2))), L("b"))));
    // A leaf stands for a product pattern, but not for a sum inside a product.
    auto factor = [] { return Box(Rule(S(M_(L("x"), L("y")), L("x")), L("y"))); };
    EXPECT_TRUE(rewrites(factor(), S(L("a"), L("a")), N(1)));
    auto spread = [] { return Box(Rule(M_(L("x"), Par(S(L("y"), L("z")))), L("x"))); };
    EXPECT_TRUE(noRule(spread(), M_(L("a"), N(1))));
}

// A name that leads two members (x * x, x^m * x^n) takes equal nodes in
// both. The matcher compares them before it binds anything; what may match
// must still come through factors' signs, parentheses, another order, and a
// name bound before by another member.
TEST(AlgebraRules, ANameLeadingTwoMembersTakesEqualNodesInBoth) {
    MessageRecorder quiet;
    auto square = [] { return Box(Rule(M_(L("x"), L("x")), L("x"))); };
    EXPECT_TRUE(rewrites(square(), M_(Par(L("a")), L("a")), L("a")));
    EXPECT_TRUE(rewrites(square(), M_(Neg(L("a")), Neg(L("a"))), L("a")));
    EXPECT_TRUE(noRule(square(), M_(L("a"), N(1))));
    auto powers = [] { return Box(Rule(M_(P(L("x"), L("m")), P(L("x"), L("n"))), L("n"))); };
    EXPECT_TRUE(rewrites(powers(), M_(P(L("a"), N(2)), P(L("a"), N(3))), N(3)));
    EXPECT_TRUE(rewrites(powers(), M_(P(L("b"), N(3)), Par(P(L("b"), N(1)))), N(1)));
    EXPECT_TRUE(rewrites(powers(), M_(Neg(P(L("a"), N(2))), Neg(P(L("a"), N(3)))), N(3)));
    EXPECT_TRUE(noRule(powers(), M_(P(L("a"), N(2)), P(L("b"), N(2)))));
    auto ratio = [] { return Box(Rule(Q(P(L("x"), L("m")), P(L("x"), L("n"))), L("m"))); };
    EXPECT_TRUE(rewrites(ratio(), Q(P(L("a"), N(5)), P(L("a"), N(2))), N(5)));
    EXPECT_TRUE(rewrites(ratio(), Q(P(L("a"), N(5)), Par(P(L("a"), N(2)))), N(5)));
    EXPECT_TRUE(noRule(ratio(), Q(P(L("a"), N(5)), P(L("b"), N(2)))));
    auto thrice = [] { return Box(Rule(M_(L("x"), P(L("x"), L("m")), P(L("x"), L("n"))), L("n"))); };
    EXPECT_TRUE(rewrites(thrice(), M_(P(L("a"), N(2)), L("a"), P(L("a"), N(3))), N(3)));
    EXPECT_TRUE(noRule(thrice(), M_(P(L("a"), N(2)), L("b"), P(L("a"), N(3)))));
    auto inExponent = [] { return Box(Rule(M_(P(L("m"), L("x")), P(L("x"), L("n"))), L("n"))); };
    EXPECT_TRUE(rewrites(inExponent(), M_(P(N(2), L("a")), P(L("a"), N(3))), N(3)));
}

TEST(AlgebraRules, PlaceholdersNeverBindNumbers) {
    MessageRecorder quiet;
    auto rule = [] { return Box(Rule(S(Any(), N(0)), Any())); };
    EXPECT_TRUE(noRule(rule(), S(N(3), N(0))));
    EXPECT_TRUE(noRule(rule(), S(Neg(N(3)), N(0))));
    EXPECT_TRUE(rewrites(rule(), S(L("a"), N(0)), L("a")));
    auto named = [] { return Box(Rule(S(L("x"), N(0)), L("x"))); };
    EXPECT_TRUE(rewrites(named(), S(N(3), N(0)), N(3)));
    EXPECT_TRUE(rewrites(named(), S(Neg(N(3)), N(0)), Neg(N(3))));
}

TEST(AlgebraRules, AllOccurrencesAreFoundBeforeAnyIsReplaced) {
    MessageRecorder beeps;
    // x takes y and y takes x: the result swaps them once, not twice.
    auto swap = [] { return Box(Rule(S(L("x"), L("y")), S(L("y"), L("x")))); };
    EXPECT_TRUE(rewrites(swap(), S(L("y"), L("x")), S(L("x"), L("y"))));
    EXPECT_EQ(beeps.beeps(), 2) << "one beep per occurrence found";
}

TEST(AlgebraRules, RulesAreTriedAtTheNodeThenInItsMembersInOrder) {
    MessageRecorder quiet;
    auto rules = [] {
        return Box(Rule(M_(L("x"), N(1)), L("x")), Pg(Rule(S(L("x"), N(0)), L("x"))));
    };
    // The nested page of rules applies like the top-level rules.
    EXPECT_TRUE(rewrites(rules(), M_(Par(S(L("a"), N(0))), L("b")), M_(Par(L("a")), L("b"))));
    EXPECT_TRUE(rewrites(rules(), S(M_(L("a"), N(1)), M_(L("b"), N(1))), S(L("a"), M_(L("b"), N(1)))));
    EXPECT_TRUE(noRule(rules(), S(L("a"), M_(L("b"), L("c")))));
    // A nested rule set searches the whole place before the rules after it.
    auto mixed = [] {
        return Box(Rule(P(L("x"), N(1)), L("x")), Pg(Rule(M_(L("x"), N(1)), L("x"))),
                   Rule(M_(N(1), L("x")), M_(L("x"), L("x"))));
    };
    EXPECT_TRUE(rewrites(mixed(), M_(L("a"), N(1)), L("a")));
    EXPECT_TRUE(rewrites(mixed(), S(P(L("b"), N(1)), M_(L("a"), N(1))), S(P(L("b"), N(1)), L("a"))));
    EXPECT_TRUE(rewrites(mixed(), S(P(L("b"), N(1)), M_(N(1), L("a"))), S(P(L("b"), N(1)), L("a"))));
    // Not a rule: the pattern must be a group, and a line of names is skipped.
    EXPECT_TRUE(noRule(Box(Rule(L("x"), N(0)), S(L("a"), L("b"))), S(L("a"), N(0))));
}

TEST(AlgebraRules, ALineThatHoldsTheCaretGetsTheRewriteAsANextStep) {
    MessageRecorder quiet;
    testing::TestHost host;
    container* line = Line(S(L("a"), N(0)), Eq(L("b")));
    host.getBase()->linkLast(line);
    host.focus = line;
    owned rules(Box(Rule(S(L("x"), N(0)), L("x"))));
    results r = line->applyRules(static_cast<container*>(rules.get()), nullptr);
    ASSERT_EQ(r.changes, 1);
    EXPECT_TRUE(sameTree(r.value.release(), Equiv(Line(L("a"), Eq(L("b"))))));
}

TEST(AlgebraRules, ACommittedRewriteOfAResolutionIsItsNextStep) {
    MessageRecorder quiet;
    testing::TestHost host;
    container* steps = Steps(Line(L("y"), Eq(S(L("a"), N(0)))), Equiv(Line(L("y"), Eq(S(L("a"), N(0))))));
    host.getBase()->linkLast(steps);
    host.focus = steps;
    owned rules(Box(Rule(S(L("x"), N(0)), L("x"))));
    results r = steps->applyRules(static_cast<container*>(rules.get()), nullptr);
    ASSERT_EQ(r.changes, 1);
    EXPECT_EQ(host.chkPass(r), 1);
    EXPECT_TRUE(sameTree(shapeOf(host.getBase()->first()),
                         Steps(Line(L("y"), Eq(S(L("a"), N(0)))), Equiv(Line(L("y"), Eq(S(L("a"), N(0))))),
                               Equiv(Line(L("y"), Eq(L("a")))))));
}

}  // namespace
}  // namespace tovimat
