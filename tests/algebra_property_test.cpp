// Calculate agrees with plain double arithmetic: random numeric expression
// trees are calculated until nothing changes, and the number left must be
// what a direct evaluation of the same tree gives, wherever every operation
// in it is defined.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

#include "algebra_trees.h"

namespace tovimat {
namespace {

using namespace testing::trees;

class TreeMaker {
public:
    explicit TreeMaker(unsigned seed) : rng_(seed) {}

    nucleo* make(int depth) {
        if (depth == 0 || pick(10) < 3) return leaf();
        switch (pick(14)) {
            case 0:
            case 1:
                return gather(new sum(), 2 + pick(3), depth);
            case 2:
            case 3:
                return gather(new multiplication(), 2 + pick(2), depth);
            case 4:
                return gather(new quocient(), 2 + pick(2), depth);
            case 5:
                return gather(new fracao(), 2, depth);
            case 6:
                return place(new power(), {make(depth - 1), N(double(pick(4)))});
            case 7:
                return pick(2) ? place(new radical(), {make(depth - 1)})
                               : place(new radical(), {N(double(2 + pick(3))), make(depth - 1)});
            case 8:
                return place(new logaritm(), {N(double(2 + pick(4))), make(depth - 1)});
            case 9:
                return place(new algSin(), {make(depth - 1)});
            case 10:
                return place(new algCos(), {make(depth - 1)});
            case 11:
                return place(pick(2) ? static_cast<container*>(new algTan()) : new algATan(), {make(depth - 1)});
            case 12:
                return place(pick(2) ? static_cast<container*>(new algASin()) : new algACos(), {make(depth - 1)});
            default:
                return place(new negation(), {make(depth - 1)});
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    nucleo* leaf() {
        switch (pick(4)) {
            case 0:
                return N(pick(20) / 4.0);
            case 1:
                return Neg(N(double(1 + pick(9))));
            default:
                return N(double(pick(10)));
        }
    }

    container* gather(container* c, int count, int depth) {
        for (int i = 0; i < count; ++i) put(c, make(depth - 1));
        return c;
    }

    container* place(container* c, std::initializer_list<nucleo*> members) {
        for (nucleo* m : members) put(c, m);
        return c;
    }

    // As the editor would hold it: a looser composite in parentheses.
    static void put(container* c, nucleo* m) {
        if (alg::bindsLooser(c, m, c->members() == 0)) m = Par(m);
        c->linkLast(m);
    }

    std::mt19937 rng_;
};

// The value of a tree in double arithmetic, or nothing where an operation is
// not defined (or is one that calculate leaves as written on purpose: 10 as
// a base or index, a zero index, the cotangent of 0). Scale is the largest
// magnitude met on the way, for the tolerance.
struct Direct {
    double scale = 1;

    std::optional<double> of(nucleo* n) {
        auto v = value(n);
        if (v && !std::isfinite(*v)) return std::nullopt;
        if (v) scale = std::max(scale, std::fabs(*v));
        return v;
    }

    std::optional<double> value(nucleo* n) {
        if (alg::isNumber(n)) return alg::numberValue(n);
        auto* g = static_cast<container*>(n);
        std::vector<double> v;
        for (nucleo* m = g->first(); m && m->chained(); m = m->next()) {
            auto x = of(m);
            if (!x) return std::nullopt;
            v.push_back(*x);
        }
        switch (n->type()) {
            case typeId::parentesis:
                return v[0];
            case typeId::negation:
                return -v[0];
            case typeId::sum: {
                double s = 0;
                for (double x : v) s += x;
                return s;
            }
            case typeId::multiplication: {
                double p = 1;
                for (double x : v) p *= x;
                return p;
            }
            case typeId::quocient: {
                double d = 1;
                for (size_t i = 1; i < v.size(); ++i) {
                    if (v[i] == 0) return std::nullopt;
                    d *= v[i];
                }
                return v[0] / d;
            }
            case typeId::power:
                if (v[0] == 10) return std::nullopt;
                return std::pow(v[0], v[1]);
            case typeId::radical: {
                double index = v.size() == 2 ? v[0] : 2, x = v.back();
                if (index == 0 || index == 10) return std::nullopt;
                if (x < 0) return std::nullopt;
                return std::pow(x, 1 / index);
            }
            case typeId::logaritm:
                if (v[0] <= 0 || v[0] == 1 || v[1] <= 0) return std::nullopt;
                return std::log(v[1]) / std::log(v[0]);
            case typeId::algSin:
                return std::sin(v[0]);
            case typeId::algCos:
                return std::cos(v[0]);
            case typeId::algTan:
                return std::tan(v[0]);
            case typeId::algATan:
                return std::atan(v[0]);
            case typeId::algASin:
                if (std::fabs(v[0]) > 1) return std::nullopt;
                return std::asin(v[0]);
            case typeId::algACos:
                if (std::fabs(v[0]) > 1) return std::nullopt;
                return std::acos(v[0]);
            default:
                return std::nullopt;
        }
    }
};

TEST(AlgebraProperty, CalculateAgreesWithDirectEvaluation) {
    TreeMaker maker(20261206);
    int checked = 0;
    for (int round = 0; round < 600; ++round) {
        owned tree(maker.make(4));
        Direct direct;
        auto expected = direct.of(tree.get());
        owned current(alg::rawCopy(tree.get()));
        for (int pass = 0; pass < 200; ++pass) {
            const std::string before = dump(current.get());
            results r = current->calculate();
            ASSERT_EQ(before, dump(current.get())) << "calculate changed the tree it read";
            if (r.changes == 0) break;
            ASSERT_NE(r.value, nullptr);
            current = std::move(r.value);
        }
        if (!expected) continue;
        auto got = alg::numberOf(current.get());
        ASSERT_TRUE(got.has_value()) << "not folded to a number:\n" << dump(tree.get()) << "left:\n" << dump(current.get());
        EXPECT_NEAR(*got, *expected, 1e-9 * direct.scale) << dump(tree.get());
        ++checked;
    }
    EXPECT_GT(checked, 200) << "too few trees had every operation defined";
}

}  // namespace
}  // namespace tovimat
