// Numeric evaluation: calculate walks a node and answers a new tree, eval
// combines two operands under an operator, calc is an operator's numeric
// kernel. Nothing here changes the tree it reads.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "algebra/refusal.h"
#include "algebra/support.h"
#include "model/shared.h"

namespace tovimat {

using alg::asGroup;
using alg::isNumber;
using alg::numberOf;
using alg::numberValue;
using alg::record;
using alg::unchanged;

namespace {

// The classes whose eval folds two numbers with their kernel. The others
// (argument lists, user functions, directives, number sets) only hold values.
bool hasKernel(int type) {
    switch (type) {
        case typeId::sum:
        case typeId::multiplication:
        case typeId::quocient:
        case typeId::power:
        case typeId::radical:
        case typeId::logaritm:
            return true;
        default:
            return type >= typeId::algSin && type <= typeId::algATan;
    }
}

}  // namespace

// --- exact decimal results ---------------------------------------------------------------------

namespace alg {

namespace {

// isInteger without a call to trunc: from 2^52 up every finite double is whole.
inline bool whole(double d) {
    return std::fabs(d) < 0x1p52 ? double(static_cast<long long>(d)) == d : std::isfinite(d);
}

}  // namespace

int decimalPlacesByText(double d) {
    char buf[64];
    const std::string_view text(buf, size_t(std::to_chars(buf, buf + sizeof buf, d).ptr - buf));
    const size_t e = text.find('e');
    int exponent = 0;
    if (e != std::string_view::npos) {
        const char* from = text.data() + e + 1;
        if (*from == '+') ++from;
        std::from_chars(from, text.data() + text.size(), exponent);
    }
    const std::string_view mantissa = text.substr(0, e);
    const size_t dot = mantissa.find('.');
    const int fraction = dot == std::string_view::npos ? 0 : int(mantissa.size() - dot - 1);
    return std::max(0, fraction - exponent);
}

// A whole number is its own shortest text: no digit after the point.
int decimalPlaces(double d) { return whole(d) ? 0 : decimalPlacesByText(d); }

std::optional<double> decimalRoundingByText(double v, int places, double magnitude) {
    if (places > 30 || magnitude * std::pow(10.0, places) >= 1e15) return std::nullopt;
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, places);
    if (ec != std::errc()) return std::nullopt;
    double r = v;
    if (std::from_chars(buf, end, r).ec != std::errc()) return std::nullopt;
    return r;
}

// Whole numbers rounded to no places stay as they are (-0 included), which
// is what the text round trip gives them: the common case of sums and
// products of integers costs no text at all.
std::optional<double> decimalRounding(double v, int places, double magnitude) {
    if (places == 0 && std::fabs(v) < 1e15 && whole(v)) {
        if (magnitude >= 1e15) return std::nullopt;
        return v;
    }
    return decimalRoundingByText(v, places, magnitude);
}

}  // namespace alg

namespace {

using alg::decimalPlaces;
using alg::decimalRounding;

std::optional<double> decimalProduct(double a, double b, double v) {
    return decimalRounding(v, decimalPlaces(a) + decimalPlaces(b), std::fabs(v));
}

double exactProduct(double a, double b, double v) { return decimalProduct(a, b, v).value_or(v); }

// The numbers as the user reads them are decimals: 0.1 + 0.2 is 0.3, not the
// binary sum 0.30000000000000004. A sum of decimals has as many places as
// its longer operand, a product as both together, a whole power n of a
// decimal n times its places; a quotient is the 15-digit decimal that gives
// the dividend back when multiplied by the divisor, when there is one.
double exactDecimal(int type, double a, double b, double v) {
    switch (type) {
        case typeId::sum:
            return decimalRounding(v, std::max(decimalPlaces(a), decimalPlaces(b)),
                                   std::max({std::fabs(a), std::fabs(b), std::fabs(v)}))
                .value_or(v);
        case typeId::multiplication:
            return exactProduct(a, b, v);
        case typeId::power:
            if (b >= 0 && b <= 30 && b == std::floor(b))
                return decimalRounding(v, decimalPlaces(a) * int(b), std::fabs(v) * (b + 2) / 3).value_or(v);
            return v;
        case typeId::quocient: {  // fracao too
            char buf[64];
            auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15).ptr;
            double c = v;
            std::from_chars(buf, end, c);
            return decimalProduct(c, b, c * b) == a ? c : v;
        }
        default:
            return v;
    }
}

// The number a kernel gives for two operands. A kernel result that is not a
// finite number means the operation is not defined there (asin 2, the
// square root of -1, log 0) or overflows: the pair stays as written, as a
// division by zero does, and the reason is noted.
std::optional<double> kernelResult(operat* op, double a, double b) {
    const double v = op->calc(a, b);
    if (std::isnan(v) || (std::isinf(v) && (a == 0 || b == 0))) {
        refusalNote::note(refusalNote::undefined);
        return std::nullopt;
    }
    if (std::isinf(v)) {
        refusalNote::note(refusalNote::tooLarge);
        return std::nullopt;
    }
    return exactDecimal(op->type(), a, b, v);
}

nucleo* numberOrNothing(std::optional<double> v) { return v ? new nominal(*v) : nullptr; }

bool dividesByZero(std::optional<double> divisor) {
    if (!divisor || *divisor != 0) return false;
    refusalNote::note(refusalNote::divisionByZero);
    return true;
}

}  // namespace

// --- kernels -------------------------------------------------------------------------------------

double sum::calc(double a, double b) { return a + b; }
double multiplication::calc(double a, double b) { return a * b; }
double quocient::calc(double a, double b) { return a / b; }
double fracao::calc(double a, double b) { return a / b; }
double power::calc(double base, double exponent) { return std::pow(base, exponent); }

double radical::calc(double index, double radicand) {
    // An odd whole index has a real root of a negative number.
    const bool oddIndex = alg::isInteger(index) && std::fmod(std::fabs(index), 2.0) == 1.0;
    double root = radicand < 0 && oddIndex ? -std::pow(-radicand, 1.0 / index) : std::pow(radicand, 1.0 / index);
    double r = std::nearbyint(root);
    if (std::isfinite(r) && alg::isInteger(index) && std::pow(r, index) == radicand) return r;
    return root;
}

double logaritm::calc(double base, double x) {
    double v = std::log(x) / std::log(base);
    double r = std::nearbyint(v);
    if (std::isfinite(r) && std::pow(base, r) == x) return r;
    return v;
}

double algSin::calc(double a, double) { return std::sin(a); }
double algCos::calc(double a, double) { return std::cos(a); }
double algTan::calc(double a, double) { return std::tan(a); }
double algCotan::calc(double a, double) { return 1.0 / std::tan(a); }
double algASin::calc(double a, double) { return std::asin(a); }
double algACos::calc(double a, double) { return std::acos(a); }
double algATan::calc(double a, double) { return std::atan2(a, 1.0); }

// --- eval ----------------------------------------------------------------------------------------

// Two numbers (a number may be parenthesised or negated) folded with the
// kernel; null when either operand is not a number.
nucleo* operat::eval(nucleo* a, nucleo* b) {
    if (!hasKernel(type())) return nullptr;
    auto x = numberOf(a), y = numberOf(b);
    if (!x || !y) return nullptr;
    return numberOrNothing(kernelResult(this, *x, *y));
}

// Division by zero is never evaluated.
nucleo* quocient::eval(nucleo* a, nucleo* b) {
    if (dividesByZero(numberOf(b))) return nullptr;
    return operat::eval(a, b);
}

nucleo* fracao::eval(nucleo* a, nucleo* b) {
    auto y = numberOf(b);
    if (!y || dividesByZero(y)) return nullptr;
    auto x = numberOf(a);
    return x ? numberOrNothing(kernelResult(this, *x, *y)) : nullptr;
}

// 10 raised to anything stays as written (2e3 is typed as 2·10^3); for a
// radical the first operand is the index.
nucleo* power::eval(nucleo* a, nucleo* b) {
    auto x = numberOf(a);
    if (x && *x == 10) return nullptr;
    return operat::eval(a, b);
}

nucleo* algCotan::eval(nucleo* a, nucleo* b) {
    auto x = numberOf(a);
    if (x && *x == 0) return new infinit(true);
    return operat::eval(a, b);
}

nucleo* logicOr::eval(nucleo* a, nucleo* b) {
    if (alg::isTruth(a, true) || alg::isTruth(b, true)) return new booleano(true);
    if (alg::isTruth(a, false)) return alg::rawCopy(b);
    if (alg::isTruth(b, false) || *a == *b) return alg::rawCopy(a);
    return nullptr;
}

nucleo* logicAnd::eval(nucleo* a, nucleo* b) {
    if (alg::isTruth(a, false) || alg::isTruth(b, false)) return new booleano(false);
    if (alg::isTruth(a, true)) return alg::rawCopy(b);
    if (alg::isTruth(b, true) || *a == *b) return alg::rawCopy(a);
    return nullptr;
}

nucleo* compos::eval(nucleo*, nucleo*) { return nullptr; }

nucleo* equal::eval(nucleo* a, nucleo* b) {
    if (a && b && a->type() == b->type() && a->igualA(b)) return new booleano(true);
    return nullptr;
}

nucleo* groupRel::eval(nucleo* a, nucleo* b) {
    if (!a || !b) return nullptr;
    container* ga = asGroup(a);
    container* gb = asGroup(b);
    switch (type()) {
        case typeId::contains:
            return ga ? new booleano(ga->contem(b)) : nullptr;
        case typeId::notContain:
            return ga ? new booleano(!ga->contem(b)) : nullptr;
        // a refers b holds when b is nowhere in a: a is not b and no node at
        // any depth below a is b. It is the negation of refere ("a mentions
        // b"), which contains and belongs do not share: they look one level
        // down only. refered asks the same with the operands swapped.
        case typeId::refers:
            return ga ? new booleano(!ga->refere(b)) : nullptr;
        case typeId::contained:
        case typeId::belongs:
            return gb ? new booleano(gb->contem(a)) : nullptr;
        case typeId::notBelong:
            return gb ? new booleano(!gb->contem(a)) : nullptr;
        case typeId::refered:
            return gb ? new booleano(!gb->refere(a)) : nullptr;
        case typeId::junction:
            // Two groups of one class stay in that class; any other pair of
            // groups gives a set. Either way each member is listed once.
            if (!ga || !gb) return nullptr;
            return ga->uniao(gb, a->type() == b->type() ? ga->clone() : new enumSet());
        case typeId::intersection:
            return ga && gb ? ga->intercepcao(gb, ga->clone()) : nullptr;
        default:
            return nullptr;
    }
}

// --- calculate -----------------------------------------------------------------------------------

// Every member calculated in order; the members that did not change are
// copied. Nothing is built when no member changes.
results container::calculate() {
    std::vector<results> done;
    done.reserve(size_t(memberCount));
    int total = 0;
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        // A leaf never changes under calculate.
        results r = m->isGroup() ? m->calculate() : unchanged();
        if (r.changes == 0) r.value.reset();
        total += r.changes;
        done.push_back(std::move(r));
    }
    if (total == 0) return unchanged();
    container* out = clone();
    size_t i = 0;
    for (nucleo* m = first(); m && m->chained(); m = m->next(), ++i)
        alg::append(out, done[i].changes ? done[i].value.release() : alg::rawCopy(m));
    return record(total, this, out);
}

namespace {

// Two numbers combined by a kernel operator, with its guards: a divisor 0,
// a base (or root index) 10. Nothing when the pair stays as written.
std::optional<double> combined(operat* op, double a, double b) {
    switch (op->type()) {
        case typeId::quocient:
            if (dividesByZero(b)) return std::nullopt;
            break;
        case typeId::power:
        case typeId::radical:
            if (a == 10) return std::nullopt;
            break;
        default:
            break;
    }
    return kernelResult(op, a, b);
}

// The n-ary fold of an operator: each member in turn, when still there, is
// the accumulator of the members after it, which it absorbs one by one
// whenever the operator combines the pair. The members of a quotient after
// the first are all divisors, so two of them combine by multiplication.
//
// A numeric operator combines numbers only, so a member that is not a
// number absorbs nothing and a number is only offered numbers. The first
// number meets every later number in one walk along the chain; only the
// numbers it leaves behind are kept, to be offered in turn to the
// accumulators among them. Numbers are folded as values, with one new node
// for each accumulator that absorbed something.
class Fold {
public:
    explicit Fold(operat* op) : op_(op), numeric_(hasKernel(op->type())) {}

    int run() { return numeric_ ? numbers() : nodes(); }

    // The members after the fold, in order: the new accumulators and copies
    // of the members that stayed.
    void emit(container* out) {
        auto made = made_.begin();
        for (const Kept& k : kept_) {
            if (k.gone) continue;
            if (made != made_.end() && made->first == k.index) {
                alg::append(out, made->second.release());
                ++made;
            } else {
                alg::append(out, alg::rawCopy(k.member));
            }
        }
    }

private:
    // A member not absorbed by the first accumulator (absorbed later, when gone).
    struct Kept {
        size_t index;  // its place in the chain
        nucleo* member;
        bool gone;
    };
    struct Number {
        size_t index;  // the member's place in the chain
        size_t slot;   // its place in kept_
        double value;
    };

    // acc absorbing value when the operator combines the pair; the
    // accumulator at member index i.
    std::optional<double> combine(size_t i, double acc, double value) const {
        if (op_->type() == typeId::quocient && i > 0) {
            const double v = acc * value;
            if (!std::isfinite(v)) return std::nullopt;
            return exactProduct(acc, value, v);
        }
        return combined(op_, acc, value);
    }

    int numbers() {
        int changes = 0;
        // The first number against all the others, along the chain.
        std::vector<Number> left;  // the numbers it did not absorb, in order
        std::optional<Number> first;
        size_t i = 0;
        for (nucleo* m = op_->first(); m && m->chained(); m = m->next(), ++i) {
            auto v = numberOf(m);
            if (v && first) {
                if (auto sum = combine(first->index, first->value, *v)) {
                    first->value = *sum;
                    ++changes;
                    continue;
                }
                left.push_back({i, kept_.size(), *v});
            } else if (v) {
                first = Number{i, kept_.size(), *v};
            }
            kept_.push_back({i, m, false});
        }
        if (changes) made_.emplace_back(first->index, std::make_unique<nominal>(first->value));
        return changes + rest(left);
    }

    // The numbers the first one left, each in turn the accumulator of those
    // after it.
    int rest(std::vector<Number>& alive) {
        int changes = 0;
        for (size_t a = 0; a < alive.size(); ++a) {
            Number acc = alive[a];
            bool absorbed = false;
            size_t stay = a + 1;
            for (size_t b = a + 1; b < alive.size(); ++b) {
                if (auto v = combine(acc.index, acc.value, alive[b].value)) {
                    acc.value = *v;
                    kept_[alive[b].slot].gone = true;
                    absorbed = true;
                    ++changes;
                } else {
                    alive[stay++] = alive[b];
                }
            }
            alive.resize(stay);
            if (absorbed) made_.emplace_back(acc.index, std::make_unique<nominal>(acc.value));
        }
        return changes;
    }

    int nodes() {
        int changes = 0;
        size_t place = 0;
        for (nucleo* m = op_->first(); m && m->chained(); m = m->next(), ++place)
            kept_.push_back({place, m, false});
        std::vector<std::unique_ptr<nucleo>> made(kept_.size());
        for (size_t i = 0; i < kept_.size(); ++i) {
            if (kept_[i].gone) continue;
            nucleo* current = kept_[i].member;
            for (size_t j = i + 1; j < kept_.size(); ++j) {
                if (kept_[j].gone) continue;
                nucleo* v = op_->eval(current, kept_[j].member);
                if (!v) continue;
                kept_[j].gone = true;
                made[i].reset(v);
                current = v;
                ++changes;
            }
        }
        for (size_t i = 0; i < made.size(); ++i)
            if (made[i]) made_.emplace_back(i, std::move(made[i]));
        return changes;
    }

    operat* op_;
    const bool numeric_;
    std::vector<Kept> kept_;
    // The new accumulators by member index, in order.
    std::vector<std::pair<size_t, std::unique_ptr<nucleo>>> made_;
};

}  // namespace

results operat::calculate() {
    Fold fold(this);
    const int changes = fold.run();
    if (changes == 0) return container::calculate();
    container* out = clone();
    fold.emit(out);
    if (out->members() < minMembers() && out->members() > 0) {
        nucleo* only = out->first();
        out->_detachIt(only, false, false);
        delete out;
        return record(changes, this, only);
    }
    return record(changes, this, out);
}

results unaryOp::calculate() { return container::calculate(); }

results binaryOp::calculate() {
    if (memberCount == 2)
        if (nucleo* v = eval(first(), last())) return record(1, this, v);
    return container::calculate();
}

results radical::calculate() {
    if (memberCount == 2) {
        // A zero index is never evaluated, nor is anything under it.
        auto index = numberOf(first());
        if (isNumber(first()) && index && *index == 0) {
            refusalNote::note(refusalNote::zeroIndex);
            return unchanged();
        }
        return binaryOp::calculate();
    }
    if (memberCount == 1) {
        nominal two(2.0);
        if (nucleo* v = eval(&two, first())) return record(1, this, v);
    }
    return container::calculate();
}

results trig::calculate() {
    if (memberCount == 1) {
        nominal zero(0.0);
        if (nucleo* v = eval(first(), &zero)) return record(1, this, v);
    }
    return operat::calculate();
}

// A double minus disappears; for plus-or-minus the sign stays a double sign.
results negation::calculate() {
    nucleo* inner = alg::soleMember(this);
    if (inner && inner->type() == typeId::negation) {
        nucleo* x = alg::rawCopy(alg::soleMember(inner));
        if (!x) return container::calculate();
        if (isa<plusOrMinus>(this)) return record(1, this, alg::group(*this, {x}));
        return record(1, this, x);
    }
    return container::calculate();
}

results parentesis::calculate() {
    nucleo* member = alg::soleMember(this);
    if (!member) return container::calculate();
    results r = member->isGroup() ? member->calculate() : unchanged();
    if (r.changes == 0) r.value.reset();
    nucleo* inner = r.changes ? r.value.get() : member;
    container* p = parentNode;
    const bool needed = inner->isGroup() && p && (!p->envolv() || p->type() == typeId::power) &&
                        inner->priority() < p->priority();
    if (needed) return r;
    if (!r.changes) r.value.reset(alg::rawCopy(member));
    r.changes += 1;
    if (!r.source) r.source = member;
    return r;
}

results resolution::calculate() {
    if (memberCount == 0) return unchanged();
    results r = last()->isGroup() ? last()->calculate() : unchanged();
    if (r.changes) return r;
    return unchanged();
}

namespace {

bool holdsBetween(int relation, double a, double b) {
    switch (relation) {
        case typeId::equal:
            return a == b;
        case typeId::greater:
            return a > b;
        case typeId::lessThan:
            return a < b;
        case typeId::greatOrEqual:
            return a >= b;
        case typeId::lessOrEqual:
            return a <= b;
        case typeId::notEqual:
            return a != b;
        default:
            return false;
    }
}

}  // namespace

results simplification::calculate() {
    if (memberCount == 0) return unchanged();
    nucleo* lhs = first();
    container* rel = asGroup(last());
    if (memberCount == 2 && rel && !isa<passEqual>(rel) && rel->members() > 0) {
        if (nucleo* v = rel->eval(lhs, rel->first())) return record(1, this, v);
        // Two numbers decide the relation between them.
        if (isNumber(lhs) && isNumber(rel->first()))
            return record(1, this, new booleano(holdsBetween(rel->type(), numberValue(lhs), numberValue(rel->first()))));
    }
    const bool insideRelation = parentNode && parentNode->composition();
    results r = rel ? rel->calculate() : unchanged();
    if (r.changes) {
        if (!insideRelation) {
            // The change is made in the relation and its right side.
            r.source = rel;
            return r;
        }
        return record(r.changes, this, alg::group(*this, {alg::rawCopy(lhs), r.value.release()}));
    }
    if (memberCount == 2) {
        if (isa<passEqual>(rel)) return unchanged();
        results l = lhs->isGroup() ? lhs->calculate() : unchanged();
        if (l.changes == 0) return unchanged();
        if (!insideRelation) {
            l.source = lhs;
            return l;
        }
        return record(l.changes, this, alg::group(*this, {l.value.release(), alg::rawCopy(last())}));
    }
    return unchanged();
}

// --- refusal notes -------------------------------------------------------------------------------

namespace {
thread_local refusalNote* openNote = nullptr;
}

refusalNote::refusalNote() : outer_(openNote) { openNote = this; }

refusalNote::~refusalNote() { openNote = outer_; }

void refusalNote::note(const char* reason) {
    if (openNote && !openNote->reason_) openNote->reason_ = reason;
}

}  // namespace tovimat
