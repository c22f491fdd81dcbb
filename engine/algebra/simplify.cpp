// Simplification: the structural counterpart of calculate. It reduces
// fractions of integers, joins nested fractions, removes double signs and
// needless parentheses, pulls signs out of products, takes exact roots and
// moves the right side of an equation to the left. The budget limits how
// many members are rewritten in one call.
#include <cmath>
#include <memory>

#include "algebra/support.h"
#include "model/shared.h"

namespace tovimat {

using alg::asGroup;
using alg::isNumber;
using alg::numberValue;
using alg::rawCopy;
using alg::record;
using alg::soleMember;
using alg::unchanged;
using alg::with;

namespace {

// The classes a sign can leave as a whole: products and quotients,
// parentheses, and the odd functions (sin(-x) = -sin x). A power, a
// logarithm or an even function keeps the sign of its operand.
bool signLeaves(int type) {
    switch (type) {
        case typeId::multiplication:
        case typeId::quocient:
        case typeId::parentesis:
        case typeId::algSin:
        case typeId::algTan:
        case typeId::algCotan:
        case typeId::algASin:
        case typeId::algATan:
            return true;
        default:
            return false;
    }
}

// The operand of a sign: -x, or (-x) as a product or a function holds it.
nucleo* signedOperand(nucleo* m) {
    if (isa<parentesis>(m)) m = soleMember(m);
    return m && m->type() == typeId::negation ? soleMember(m) : nullptr;
}

}  // namespace

results container::simplify(int budget) {
    container* out = clone();
    int total = 0;
    int signs = 0;
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        if (total < budget) {
            results r = m->simplify(budget);
            nucleo* v = r.value ? r.value.release() : rawCopy(m);
            if (r.changes && signedOperand(v)) ++signs;
            total += r.changes;
            alg::append(out, v);
        } else {
            if (signedOperand(m)) ++signs;
            alg::append(out, rawCopy(m));
        }
    }
    if (total > budget) return record(total, this, out);
    if (signs && priority() >= Priority::product && signLeaves(type())) {
        // (-a)(-b) is ab, (-a)b is -(ab).
        int count = 0;
        container* unsigned_ = clone();
        for (nucleo* m = out->first(); m && m->chained(); m = m->next()) {
            nucleo* operand = signedOperand(m);
            if (operand) ++count;
            alg::append(unsigned_, rawCopy(operand ? operand : m));
        }
        delete out;
        if (count % 2 == 0) return record(1, this, unsigned_);
        return record(1, this, with(new negation(), {unsigned_}));
    }
    if (total < budget) {
        delete out;
        return distribute();
    }
    return record(total, this, out);
}

results unaryOp::simplify(int budget) {
    nucleo* member = memberCount > 0 ? first() : nullptr;
    if (!member) return record(0, this, clone());
    results r = member->simplify(budget);
    nucleo* v = r.value ? r.value.release() : rawCopy(member);
    return record(r.changes, this, alg::group(*this, {v}));
}

results parentesis::simplify(int budget) {
    nucleo* member = soleMember(this);
    if (!member) return unaryOp::simplify(budget);
    const Priority outer = parentNode ? parentNode->priority() : Priority::container;
    if (member->isGroup() && member->priority() < outer) return unaryOp::simplify(budget);
    return record(1, this, rawCopy(member));
}

results negation::simplify(int budget) {
    nucleo* member = soleMember(this);
    if (member && *member == const_cast<nominal&>(shared::zero())) return record(1, this, new nominal(0.0));
    if (member && member->type() == typeId::negation && soleMember(member)) {
        nucleo* x = rawCopy(soleMember(member));
        // Plus-or-minus of a negation is still plus-or-minus.
        if (isa<plusOrMinus>(this)) return record(1, this, alg::group(*this, {x}));
        return record(1, this, x);
    }
    return unaryOp::simplify(budget);
}

results radical::simplify(int budget) {
    nominal two(2.0);
    nucleo* index;
    nucleo* radicand;
    if (memberCount == 1) {
        radicand = first();
        if (isNumber(radicand)) {
            nominal root(std::sqrt(numberValue(radicand)));
            if (shared::naturalNumbers().contem(&root)) return record(1, this, new nominal(root.getValue()));
        }
        index = &two;
    } else if (memberCount == 2) {
        index = first();
        radicand = last();
    } else {
        return container::simplify(budget);
    }
    if (nucleo* v = rule(index, radicand)) return record(1, this, v);
    return container::simplify(budget);
}

results quocient::simplify(int budget) {
    if (memberCount >= 3) {
        // a / b / c is a / (b c).
        auto* divisors = new multiplication();
        for (nucleo* m = first()->next(); m && m->chained(); m = m->next()) alg::append(divisors, rawCopy(m));
        return record(1, this, alg::group(*this, {rawCopy(first()), divisors}));
    }
    if (memberCount < 2) return container::simplify(budget);
    nucleo* n = first();
    nucleo* d = last();
    if (isNumber(n) && isNumber(d)) {
        const double c = alg::commonFactor(numberValue(n), numberValue(d));
        if (c != 1)
            return record(1, this,
                          alg::group(*this, {new nominal(numberValue(n) / c), new nominal(numberValue(d) / c)}));
    }
    const bool nFraction = n->type() == typeId::quocient && cast<container>(n)->members() == 2;
    const bool dFraction = d->type() == typeId::quocient && cast<container>(d)->members() == 2;
    if (!nFraction && !dFraction) return container::simplify(budget);
    if (!dFraction) {
        // (p / q) / d is p / (q d).
        auto* f = cast<container>(n);
        return record(1, this,
                      alg::group(*this, {rawCopy(f->first()), with(new multiplication(), {rawCopy(f->last()), rawCopy(d)})}));
    }
    auto* f = cast<container>(d);
    if (*n == const_cast<nominal&>(shared::one()))
        // 1 / (p / q) is q / p.
        return record(1, this, alg::group(*this, {rawCopy(f->last()), rawCopy(f->first())}));
    // n / (p / q) is (q n) / p.
    return record(1, this,
                  alg::group(*this, {with(new multiplication(), {rawCopy(f->last()), rawCopy(n)}), rawCopy(f->first())}));
}

// An equation whose left side is an expression moves its right side over:
// x + 1 = 3 becomes x + 1 + (-3) = 0.
results simplification::simplify(int budget) {
    results r = container::simplify(budget);
    if (r.changes || memberCount != 2 || !first()->isGroup()) return r;
    container* rel = asGroup(last());
    nucleo* rhs = rel ? soleMember(rel) : nullptr;
    if (!rhs || (isNumber(rhs) && std::trunc(numberValue(rhs)) == 0)) return r;
    auto* moved = with(new sum(), {rawCopy(first()), with(new negation(), {rawCopy(rhs)})});
    return record(r.changes + 1, this, alg::group(*this, {moved, alg::group(*rel, {new nominal(0.0)})}));
}

}  // namespace tovimat
