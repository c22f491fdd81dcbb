// The built-in rewrite rules of the operator classes: rule(a, b) rewrites two
// operands joined by the operator into one new node, or answers null. The
// operands are never changed; every node answered is new.
#include <cmath>
#include <memory>
#include <vector>

#include "algebra/search.h"
#include "algebra/support.h"
#include "model/shared.h"
#include "platform/messages.h"

namespace tovimat {

using alg::asGroup;
using alg::isNumber;
using alg::numberValue;
using alg::rawCopy;
using alg::soleMember;
using alg::with;

namespace {

bool is(nucleo* n, const nominal& constant) { return n && *n == const_cast<nominal&>(constant); }
bool isZero(nucleo* n) { return is(n, shared::zero()); }
bool isOne(nucleo* n) { return is(n, shared::one()); }
bool isTwo(nucleo* n) { return is(n, shared::two()); }

nucleo* number(double v) { return new nominal(v); }

container* membersOf(nucleo* n, int type) {
    container* g = asGroup(n);
    return g && g->type() == type && g->members() == 2 ? g : nullptr;
}
container* powerOf(nucleo* n) { return membersOf(n, typeId::power); }
container* fractionOf(nucleo* n) { return membersOf(n, typeId::quocient); }
container* productOf(nucleo* n) {
    auto* g = dyn_cast<multiplication>(n);
    return g && g->members() > 0 ? g : nullptr;
}

std::vector<nucleo*> factors(container* product) {
    std::vector<nucleo*> out;
    for (nucleo* m = product->first(); m && m->chained(); m = m->next()) out.push_back(m);
    return out;
}

// A product of the nodes (or of copies); one node stands alone, none is 1.
nucleo* multiply(const std::vector<nucleo*>& nodes, bool copies) {
    if (nodes.empty()) return number(1);
    if (nodes.size() == 1) return copies ? rawCopy(nodes[0]) : nodes[0];
    auto* p = new multiplication();
    for (nucleo* n : nodes) alg::append(p, copies ? rawCopy(n) : n);
    return p;
}

nucleo* powerNode(nucleo* base, nucleo* exponent) { return with(new power(), {base, exponent}); }
nucleo* sumNode(nucleo* a, nucleo* b) { return with(new sum(), {a, b}); }
nucleo* productNode(nucleo* a, nucleo* b) { return with(new multiplication(), {a, b}); }
// A fraction of the class of `like` (stacked or in line), stacked by default.
nucleo* fractionNode(const container* like, nucleo* a, nucleo* b) {
    return with(like ? like->clone() : new quocient(), {a, b});
}
nucleo* rootNode(nucleo* index, nucleo* radicand) {
    // Index 2 is the plain square root.
    if (!index || isTwo(index)) {
        delete index;
        return with(new radical(), {radicand});
    }
    return with(new radical(), {index, radicand});
}

// --- the product rule ----------------------------------------------------------------------------

nucleo* productRule(nucleo* a, nucleo* b) {
    if (isZero(a) || isZero(b)) return number(0);
    if (isOne(a)) return rawCopy(b);
    if (isOne(b)) return rawCopy(a);
    container* pa = powerOf(a);
    // x^n · x is x^(n + 1).
    if (pa && *pa->first() == *b) return powerNode(rawCopy(b), sumNode(rawCopy(pa->last()), number(1)));
    if (container* fa = fractionOf(a)) {
        nucleo* p = fa->first();
        nucleo* q = fa->last();
        if (container* fb = fractionOf(b))
            return fractionNode(fa, productNode(rawCopy(p), rawCopy(fb->first())),
                                productNode(rawCopy(q), rawCopy(fb->last())));
        nucleo* t = productRule(p, b);
        if (!t) t = productNode(rawCopy(p), rawCopy(b));
        return fractionNode(fa, t, rawCopy(q));
    }
    if (a->type() == typeId::negation && b->type() == typeId::negation && soleMember(a) && soleMember(b))
        return productNode(rawCopy(soleMember(a)), rawCopy(soleMember(b)));
    if (a->type() != b->type()) return nullptr;
    if (container* pb = powerOf(b); pa && pb) {
        if (*pa->first() == *pb->first())
            return powerNode(rawCopy(pa->first()), sumNode(rawCopy(pa->last()), rawCopy(pb->last())));
        if (*pa->last() == *pb->last())
            return powerNode(productNode(rawCopy(pa->first()), rawCopy(pb->first())), rawCopy(pa->last()));
    }
    if (*a == *b) return powerNode(rawCopy(a), number(2));
    return nullptr;
}

// --- the quotient rule ---------------------------------------------------------------------------

// Answers null for no rewrite.
nucleo* quotientRule(nucleo* a, nucleo* b);

// Both operands products: factor against factor, each factor used once.
nucleo* cancelFactors(container* num, container* den) {
    std::vector<nucleo*> n = factors(num), d = factors(den);
    std::vector<bool> nUsed(n.size(), false), dUsed(d.size(), false);
    std::vector<nucleo*> results;
    bool any = false;
    for (size_t i = 0; i < n.size(); ++i) {
        for (size_t j = 0; j < d.size(); ++j) {
            if (dUsed[j]) continue;
            nucleo* r = quotientRule(n[i], d[j]);
            if (!r) continue;
            any = nUsed[i] = dUsed[j] = true;
            if (isOne(r))
                delete r;
            else
                results.push_back(r);
            break;
        }
    }
    if (!any) return nullptr;
    std::vector<nucleo*> restN, restD;
    for (size_t i = 0; i < n.size(); ++i)
        if (!nUsed[i]) restN.push_back(n[i]);
    for (size_t j = 0; j < d.size(); ++j)
        if (!dUsed[j]) restD.push_back(d[j]);
    if (!restD.empty()) {
        nucleo* q = fractionNode(nullptr, multiply(restN, true), multiply(restD, true));
        if (results.empty()) return q;
        results.push_back(q);
        return multiply(results, false);
    }
    if (results.empty()) return multiply(restN, true);
    for (nucleo* f : restN) results.push_back(rawCopy(f));
    return multiply(results, false);
}

nucleo* quotientRule(nucleo* a, nucleo* b) {
    if (isZero(b)) return new indeterminacao();
    if (isNumber(a) && isNumber(b)) {
        const double c = alg::commonFactor(numberValue(a), numberValue(b));
        if (c != 1) return fractionNode(nullptr, number(numberValue(a) / c), number(numberValue(b) / c));
    }
    if (*a == *b) return number(1);
    if (isZero(a)) return number(0);
    if (isOne(b)) return rawCopy(a);
    container* pa = productOf(a);
    container* pb = productOf(b);
    if (pa && pb)
        if (nucleo* r = cancelFactors(pa, pb)) return r;
    // x^n / x is x^(n + (-1)); x / x^n is 1 / x^(n + (-1)).
    if (container* w = powerOf(a); w && *w->first() == *b)
        return powerNode(rawCopy(b), sumNode(rawCopy(w->last()), number(-1)));
    if (container* w = powerOf(b); w && *w->first() == *a)
        return fractionNode(nullptr, number(1), powerNode(rawCopy(a), sumNode(rawCopy(w->last()), number(-1))));
    // A product over a single term: the term cancels against one factor.
    if (pa && !b->isGroup()) {
        std::vector<nucleo*> fs = factors(pa);
        for (size_t i = 0; i < fs.size(); ++i) {
            nucleo* r = quotientRule(fs[i], b);
            if (!r) continue;
            std::vector<nucleo*> out;
            if (isOne(r))
                delete r;
            else
                out.push_back(r);
            for (size_t k = 0; k < fs.size(); ++k)
                if (k != i) out.push_back(rawCopy(fs[k]));
            return multiply(out, false);
        }
    }
    // A single term over a product: it cancels against one factor, and the
    // result is divided by the other factors.
    if (pb && !a->isGroup()) {
        std::vector<nucleo*> fs = factors(pb);
        for (size_t i = 0; i < fs.size(); ++i) {
            nucleo* r = quotientRule(a, fs[i]);
            if (!r) continue;
            std::vector<nucleo*> rest;
            for (size_t k = 0; k < fs.size(); ++k)
                if (k != i) rest.push_back(fs[k]);
            return fractionNode(nullptr, r, multiply(rest, true));
        }
    }
    if (isNumber(a) && isNumber(b)) {
        nominal q(numberValue(a) / numberValue(b));
        if (shared::naturalNumbers().contem(&q)) return number(q.getValue());
    }
    return nullptr;
}

// --- the sum rule --------------------------------------------------------------------------------

// The factors of a less one factor equal to each factor of b (or to b).
std::vector<nucleo*> withoutFactors(container* a, nucleo* b) {
    std::vector<nucleo*> rest = factors(a);
    std::vector<nucleo*> gone;
    bool whole = false;
    for (nucleo* f : rest)
        if (*f == *b) whole = true;
    if (whole || !productOf(b))
        gone.push_back(b);
    else
        gone = factors(cast<container>(b));
    for (nucleo* g : gone) {
        for (auto it = rest.begin(); it != rest.end(); ++it) {
            if (**it == *g) {
                rest.erase(it);
                break;
            }
        }
    }
    return rest;
}

nucleo* sumRule(nucleo* a, nucleo* b) {
    if (isZero(a)) return rawCopy(b);
    if (isZero(b)) return rawCopy(a);
    if (isNumber(a)) {
        const double x = numberValue(a);
        if (isNumber(b)) return number(x + numberValue(b));
        if (alg::isNegatedNumber(b)) return number(x - numberValue(soleMember(b)));
        // n + p/q is (n q + p)/q.
        if (container* f = fractionOf(b); f && isNumber(f->first()) && isNumber(f->last()) && numberValue(f->last()) != 0) {
            const double p = numberValue(f->first()), q = numberValue(f->last());
            return fractionNode(f, number(x * q + p), number(q));
        }
        return nullptr;
    }
    if (a->type() == typeId::literal || a->type() == typeId::variable) {
        if (*a == *b) return productNode(number(2), rawCopy(a));
        return nullptr;
    }
    if (a->type() == typeId::negation && soleMember(a)) {
        nucleo* x = soleMember(a);
        if (b->type() == typeId::negation && soleMember(b))
            return with(new negation(), {sumNode(rawCopy(x), rawCopy(soleMember(b)))});
        if (x->type() == b->type()) {
            if (isNumber(x)) return number(numberValue(b) - numberValue(x));
            if (*x == *b) return number(0);
        }
    } else if (isa<sum>(a)) {
        container* s = cast<container>(rawCopy(a));
        alg::append(s, rawCopy(b));
        return s;
    } else if (container* p = productOf(a); p && p->contem(b)) {
        // x y + x is x (y + 1).
        std::vector<nucleo*> rest = withoutFactors(p, b);
        if (rest.empty()) {
            MessageBoxA(nullptr, "a+b sendo a typeMultiplication", "Estranho!!", MB_OK);
            return nullptr;
        }
        return productNode(rawCopy(b), sumNode(multiply(rest, true), number(1)));
    }
    if (*a == *b) return productNode(number(2), rawCopy(a));
    return nullptr;
}

// --- the power and root rules --------------------------------------------------------------------

nucleo* powerRule(nucleo* a, nucleo* b) {
    if (isOne(a)) return number(1);
    if (isOne(b)) return rawCopy(a);
    if (isZero(a)) {
        // 0 raised to a negative number divides by zero.
        if (isNumber(b) && numberValue(b) < 0) return nullptr;
        return number(0);
    }
    if (isZero(b)) return number(1);
    container* f = fractionOf(b);
    if (!f) return nullptr;
    // x^(p/q) is the q-th root of x^p.
    nucleo* p = f->first();
    nucleo* q = f->last();
    nucleo* radicand = isOne(p) ? rawCopy(a) : powerNode(rawCopy(a), rawCopy(p));
    return rootNode(rawCopy(q), radicand);
}

nucleo* rootRule(nucleo* a, nucleo* b) {
    if (isZero(a)) return new indeterminacao();
    if (isZero(b)) return number(0);
    if (isOne(b)) return number(1);
    if (isOne(a)) return rawCopy(b);
    if (auto* inner = dyn_cast<radical>(b)) {
        // The m-th root of the n-th root is the (n m)-th root.
        nucleo* innerIndex = inner->members() == 2 ? inner->first() : nullptr;
        nucleo* index;
        if (isNumber(a) && (!innerIndex || isNumber(innerIndex)))
            index = number(numberValue(a) * (innerIndex ? numberValue(innerIndex) : 2.0));
        else
            index = productNode(rawCopy(a), innerIndex ? rawCopy(innerIndex) : number(2));
        return rootNode(index, rawCopy(inner->last()));
    }
    if (isNumber(a) && isNumber(b)) {
        // An exact root first; otherwise the radicand's prime factors.
        radical kernel;
        nominal root(kernel.calc(numberValue(a), numberValue(b)));
        if (shared::naturalNumbers().contem(&root)) return number(root.getValue());
        auto* product = new multiplication();
        alg::factorise(numberValue(b), product);
        if (product->members() > 1) return rootNode(rawCopy(a), product);
        delete product;
    }
    if (container* p = productOf(b)) {
        typeProbe powers(typeId::power);
        if (p->contem(&powers)) {
            std::vector<nucleo*> outside, inside;
            for (nucleo* f : factors(p)) {
                container* w = powerOf(f);
                nucleo* e = w ? w->last() : nullptr;
                if (e && isNumber(e) && *e == *a) {
                    outside.push_back(rawCopy(w->first()));
                } else if (e && isNumber(e) && isNumber(a) && numberValue(e) > numberValue(a)) {
                    outside.push_back(rawCopy(w->first()));
                    const double left = numberValue(e) - numberValue(a);
                    inside.push_back(left == 1 ? rawCopy(w->first()) : powerNode(rawCopy(w->first()), number(left)));
                } else {
                    inside.push_back(rawCopy(f));
                }
            }
            if (!outside.empty()) {
                if (!inside.empty()) outside.push_back(rootNode(rawCopy(a), multiply(inside, false)));
                return multiply(outside, false);
            }
            for (nucleo* n : inside) delete n;
            typeProbe roots(typeId::radical);
            if (p->contem(&roots)) MessageBoxA(nullptr, "radical Contem radical", "Debug", MB_OK);
        }
    }
    if (container* w = powerOf(b)) {
        nucleo* e = w->last();
        if (*e == *a) return rawCopy(w->first());
        if (isNumber(a) && isNumber(e) && numberValue(a) < numberValue(e)) {
            const double left = numberValue(e) - numberValue(a);
            nucleo* inner = left == 1 ? rawCopy(w->first()) : powerNode(rawCopy(w->first()), number(left));
            return productNode(rawCopy(w->first()), rootNode(rawCopy(a), inner));
        }
    }
    if (isNumber(a) && isNumber(b)) {
        nominal root(std::pow(numberValue(b), 1.0 / numberValue(a)));
        if (shared::naturalNumbers().contem(&root)) return number(root.getValue());
    }
    return nullptr;
}

}  // namespace

nucleo* container::rule(nucleo*, nucleo*) { return nullptr; }

nucleo* multiplication::rule(nucleo* a, nucleo* b) { return a && b ? productRule(a, b) : nullptr; }
nucleo* quocient::rule(nucleo* a, nucleo* b) { return a && b ? quotientRule(a, b) : nullptr; }
nucleo* sum::rule(nucleo* a, nucleo* b) { return a && b ? sumRule(a, b) : nullptr; }
nucleo* power::rule(nucleo* a, nucleo* b) { return a && b ? powerRule(a, b) : nullptr; }
nucleo* radical::rule(nucleo* a, nucleo* b) { return a && b ? rootRule(a, b) : nullptr; }

nucleo* equal::rule(nucleo* a, nucleo* b) {
    if (!a || !b) return nullptr;
    if (*a == *b) return new booleano(true);
    if (isNumber(a) && isNumber(b)) return new booleano(false);
    return nullptr;
}

nucleo* simplification::rule(nucleo* lhs, nucleo* rel) {
    container* r = asGroup(rel);
    return lhs && r && r->members() > 0 ? r->rule(lhs, r->first()) : nullptr;
}

}  // namespace tovimat
