// The shortcuts of numeric folding against the slow ways they stand for: the
// decimal places and rounding of whole numbers taken without their text, and
// the one-walk fold of long sums and products against the plain pairwise
// fold, with signs, parentheses, names, -0, overflow and integers past 2^53.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "algebra/refusal.h"
#include "algebra_trees.h"
#include "platform/messages.h"
#include "refs/reference.h"

namespace tovimat {
namespace {

using namespace testing::trees;

bool sameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<double> wholeNumbers() {
    std::vector<double> v = {
        0.0,     -0.0,       1,      -1,         7,      300,  1e15 - 1, 1e15, 1e15 + 1, 999999999999999.0,
        0x1p52,  0x1p52 + 1, 0x1p53, 0x1p53 + 2, 0x1p63, 1e20, 1e22,     1e23, 1e300,    DBL_MAX,
        -DBL_MAX};
    for (double p = 1; p < 1e308; p *= 10) {
        v.push_back(p);
        v.push_back(-p);
        v.push_back(std::nearbyint(p * 1.2345678901234567));
    }
    for (double p = 1; std::isfinite(p); p *= 2) {
        v.push_back(p);
        v.push_back(-(p - 1));
    }
    std::mt19937_64 random(20);
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = double(random() >> 11);  // 53 bits
        v.push_back(std::nearbyint(std::ldexp(mantissa, int(random() % 120) - 60)));
    }
    return v;
}

TEST(AlgebraFold, DecimalShortcutsAgreeWithTheText) {
    std::vector<double> values = wholeNumbers();
    for (double d : {0.5, -0.25, 0.1, 1e-5, 123.456, 4.9e-324, 1e15 + 0.5, 0x1p52 - 0.5, HUGE_VAL, -HUGE_VAL,
                     double(NAN)})
        values.push_back(d);
    for (double d : values) {
        ASSERT_EQ(alg::decimalPlaces(d), alg::decimalPlacesByText(d)) << d;
        for (int places : {0, 1, 3}) {
            for (double magnitude : {std::fabs(d), 1.0, 1e15, 2e15, 0.0}) {
                auto fast = alg::decimalRounding(d, places, magnitude);
                auto text = alg::decimalRoundingByText(d, places, magnitude);
                ASSERT_EQ(fast.has_value(), text.has_value()) << d << " " << places << " " << magnitude;
                if (fast) {
                    ASSERT_TRUE(sameDouble(*fast, *text)) << d << " " << places << " " << magnitude;
                }
            }
        }
    }
}

// One member of a fold as generated: a number, written plain, negated or in
// parentheses, or a name.
struct Member {
    enum Kind { plain, negated, bracketed, name } kind;
    double value;  // as written under any sign

    nucleo* node() const {
        switch (kind) {
            case plain:
                return N(value);
            case negated:
                return Neg(N(value));
            case bracketed:
                return Par(N(value));
            default:
                return L("x");
        }
    }
    bool number() const { return kind != name; }
    double read() const { return kind == negated ? -value : value; }
};

// The pairwise fold: every number in turn absorbs each later number it
// combines with; whole numbers combine exactly unless the result is not finite.
struct Reference {
    int changes = 0;
    const char* reason = nullptr;
    std::vector<bool> gone;
    std::vector<std::optional<double>> made;

    Reference(const std::vector<Member>& members, bool product) : gone(members.size()), made(members.size()) {
        for (size_t i = 0; i < members.size(); ++i) {
            if (!members[i].number() || gone[i]) continue;
            double acc = members[i].read();
            for (size_t j = i + 1; j < members.size(); ++j) {
                if (!members[j].number() || gone[j]) continue;
                const double b = members[j].read();
                const double v = product ? acc * b : acc + b;
                if (std::isnan(v) || (std::isinf(v) && (acc == 0 || b == 0))) {
                    note(refusalNote::undefined);
                    continue;
                }
                if (std::isinf(v)) {
                    note(refusalNote::tooLarge);
                    continue;
                }
                acc = v;
                gone[j] = true;
                made[i] = acc;
                ++changes;
            }
        }
    }
    void note(const char* why) {
        if (!reason) reason = why;
    }
};

container* holder(bool product) {
    return product ? static_cast<container*>(new multiplication()) : new sum();
}

TEST(AlgebraFold, LongFoldsMatchThePairwiseFold) {
    const double numbers[] = {0.0,    -0.0,       1,    2,     7,     1e15 - 1, 1e15,
                              0x1p53, 0x1p53 + 2, 9e15, 1e154, 1e200, 1e308,    1.7e308};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const bool product = round % 2;
        std::vector<Member> members(1 + random() % 12);
        for (Member& m : members)
            m = {Member::Kind(random() % 4),
                 numbers[random() % std::size(numbers)] * (random() % 3 ? 1 : -1)};
        Reference expected(members, product);
        if (expected.changes == 0) continue;  // the fold has nothing to do: other rules take over

        owned tree(holder(product));
        for (const Member& m : members) cast<container>(tree.get())->linkLast(m.node());
        refusalNote why;
        results r = tree->calculate();

        container* meant = holder(product);
        for (size_t i = 0; i < members.size(); ++i) {
            if (expected.gone[i]) continue;
            alg::append(meant, expected.made[i] ? N(*expected.made[i]) : members[i].node());
        }
        nucleo* whole = meant;
        if (meant->members() < meant->minMembers()) {
            whole = meant->first();
            meant->_detachIt(whole, false, false);
            delete meant;
        }
        SCOPED_TRACE("round " + std::to_string(round) + "\n" + dump(tree.get()));
        EXPECT_EQ(r.changes, expected.changes);
        EXPECT_STREQ(why.reason(), expected.reason);
        ASSERT_TRUE(sameTree(r.value.release(), whole));
    }
}

// Numbers a later accumulator takes, after the first could not: division by
// zero leaves the zeros to the second divisor, which multiplies them.
TEST(AlgebraFold, NumbersLeftByTheFirstFoldAmongThemselves) {
    results r = owned(Q(N(6), N(0), N(2), Neg(N(0)), N(3)))->calculate();
    EXPECT_EQ(r.changes, 3);
    EXPECT_TRUE(sameTree(r.value.release(), Q(N(1), N(-0.0))));

    // The first number overflows with the second, then takes the third and
    // overflows with the fourth: the second and the fourth fold together.
    refusalNote why;
    r = owned(S(N(1e308), L("x"), N(1e308), N(-1.5e308), N(-1.7e308), L("y")))->calculate();
    EXPECT_EQ(r.changes, 2);
    EXPECT_STREQ(why.reason(), refusalNote::tooLarge);
    const double first = 1e308 + -1.5e308, second = 1e308 + -1.7e308;
    EXPECT_TRUE(sameTree(r.value.release(), S(N(first), L("x"), N(second), L("y"))));
}

// What counts as a numeric operand: a number, negated or in parentheses, or
// shared; a sign applies to a number directly, never to a bracket or a
// shared value, and plus-or-minus is no sign of a number.
TEST(AlgebraFold, NumericOperandsAreReadThroughBracketsAndSharedValues) {
    auto read = [](nucleo* n) {
        owned tree(n);
        return alg::numberOf(tree.get());
    };
    EXPECT_EQ(read(N(3)), 3);
    EXPECT_EQ(read(Neg(N(3))), -3);
    EXPECT_EQ(read(Par(Par(Neg(N(2))))), -2);
    EXPECT_EQ(read(new reference(N(5))), 5);
    EXPECT_EQ(read(Par(new reference(Neg(N(4))))), -4);
    EXPECT_TRUE(std::signbit(*read(Neg(N(0)))));
    EXPECT_EQ(read(Pm(N(3))), std::nullopt);
    EXPECT_EQ(read(Neg(Neg(N(3)))), std::nullopt);
    EXPECT_EQ(read(Neg(Par(N(3)))), std::nullopt);
    EXPECT_EQ(read(Neg(new reference(N(5)))), std::nullopt);
    EXPECT_EQ(read(make<parentesis>()), std::nullopt);
    EXPECT_EQ(read(new reference()), std::nullopt);
    EXPECT_EQ(read(L("x")), std::nullopt);
    EXPECT_EQ(read(S(N(1), N(2))), std::nullopt);
}

// A full group takes no more members: whatever is appended to it, leaf or
// group, is dropped without a word.
TEST(AlgebraFold, AFullGroupDropsWhatIsAppendedQuietly) {
    struct Count : MessageSink {
        int messages = 0;
        void beep(UINT) override {}
        int messageBox(const char*, const char*, UINT) override {
            ++messages;
            return IDOK;
        }
    } count;
    MessageSink* previous = setMessageSink(&count);
    owned bracket(Par(L("x")));
    alg::append(cast<container>(bracket.get()), L("y"));
    alg::append(cast<container>(bracket.get()), S(L("a"), L("b")));
    owned power(P(L("x"), N(2)));
    alg::append(cast<container>(power.get()), N(3));
    owned product(M_(L("a")));
    alg::append(cast<container>(product.get()), L("b"));
    alg::append(cast<container>(product.get()), Neg(N(1)));
    setMessageSink(previous);
    EXPECT_EQ(count.messages, 0);
    EXPECT_EQ(dump(bracket.get()), dump(owned(Par(L("x"))).get()));
    EXPECT_EQ(dump(power.get()), dump(owned(P(L("x"), N(2))).get()));
    EXPECT_EQ(dump(product.get()), dump(owned(M_(L("a"), L("b"), Par(Neg(N(1))))).get()));
}

}  // namespace
}  // namespace tovimat
