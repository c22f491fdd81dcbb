#include "algebra/support.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "refs/reference.h"

namespace tovimat::alg {

bool isNegatedNumber(nucleo* n) {
    nucleo* m = n && n->type() == typeId::negation ? soleMember(n) : nullptr;
    return isNumber(m);
}

nucleo* soleMember(nucleo* n) {
    container* g = asGroup(n);
    return g && g->members() == 1 ? g->first() : nullptr;
}

std::optional<double> numberOf(nucleo* n) {
    // Parentheses may nest; a sign applies to a number only; a reference
    // stands for its shared value. Each node's class is asked once.
    while (n) {
        switch (n->type()) {
            case typeId::nominal:
                return numberValue(n);
            case typeId::parentesis:
                n = soleMember(n);
                break;
            case typeId::reference:
                n = cast<reference>(n)->getValue();
                break;
            case typeId::negation: {
                nucleo* m = soleMember(n);
                if (isNumber(m)) return -numberValue(m);
                return std::nullopt;
            }
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

bool isTruth(nucleo* n, bool truth) {
    auto* b = dyn_cast<booleano>(n);
    return b && b->getValue() == truth;
}

nucleo* rawCopy(const nucleo* n) {
    if (!n) return nullptr;
    // A reference shares its value: its copy is another reference.
    if (!isa<container>(n) || isa<reference>(n)) return n->copy();
    auto* g = cast<container>(n);
    container* c = g->clone();
    for (nucleo* m = g->first(); m && m->chained(); m = m->next()) c->linkLast(rawCopy(m));
    return c;
}

bool bindsLooser(const container* parent, const nucleo* n, bool first) {
    auto* g = dyn_cast<container>(n);
    if (!parent || !g || parent->isRef()) return false;
    // Self-delimiting composites and relations never need parentheses.
    if (g->envolv() || n->composition()) return false;
    switch (parent->type()) {
        case typeId::power:
            return first && n->priority() < parent->priority();
        case typeId::radical:
            return false;
        case typeId::logaritm:
            return !first;
        default:
            break;
    }
    if (parent->isFunc()) return true;
    if (parent->envolv()) return false;
    return n->priority() < parent->priority();
}

namespace {

bool associative(int type) {
    return type == typeId::sum || type == typeId::multiplication || type == typeId::logicAnd ||
           type == typeId::logicOr;
}

}  // namespace

void append(container* c, nucleo* n) {
    if (!n) return;
    if (!n->isGroup()) {
        // A leaf is never merged nor parenthesised: it is linked as it is,
        // unless the container is full.
        if (c->members() >= c->maxMembers() || !c->linkLast(n))
            if (!n->atached()) delete n;
        return;
    }
    if (container* g = asGroup(n); g && g->type() == c->type() && associative(c->type()) &&
                                   g->tail()->getLen() == 0 &&
                                   long(c->members()) + g->members() <= long(c->maxMembers())) {
        c->chainAfter(c->last(), g);
        delete g;
        return;
    }
    c->placeAt(adopt(n), c->last(), c->tail());
}

container* group(const container& like, std::initializer_list<nucleo*> members) {
    return with(like.clone(), members);
}

container* with(container* c, std::initializer_list<nucleo*> members) {
    for (nucleo* m : members) append(c, m);
    return c;
}

container* replacedCopy(const container* o, const nucleo* m, nucleo* y) {
    container* c = o->clone();
    for (nucleo* s = o->first(); s && s->chained(); s = s->next()) append(c, s == m ? y : rawCopy(s));
    return c;
}

void settle(nucleo* n) {
    if (!n) return;
    if (auto* f = dyn_cast<field>(n)) f->setChanged(false);
    if (container* g = asGroup(n); g && !g->isRef())
        for (nucleo* m = g->first(); m && m->chained(); m = m->next()) settle(m);
}

bool holds(const nucleo* n, const nucleo* ptr) {
    if (n == ptr) return true;
    auto* g = dyn_cast<container>(n);
    if (!g) return false;
    for (nucleo* m = g->first(); m && m->chained(); m = m->next())
        if (holds(m, ptr)) return true;
    return false;
}

// --- integer helpers ---------------------------------------------------------------------------

bool divides(double x, double d) {
    if (d == 0) return false;
    double q = x / d;
    return std::isfinite(q) && q == std::trunc(q);
}

bool isInteger(double x) { return std::isfinite(x) && x == std::trunc(x); }

namespace {

// Integers small enough for the integer division of the factor search.
bool searchable(double n) { return isInteger(n) && std::fabs(n) < double(INT_MAX); }

}  // namespace

double smallestFactor(double n) {
    if (!searchable(n)) return n;
    const long half = long(n) / 2;
    for (int f : factorTable) {
        if (half < f) break;
        if (divides(n, f)) return f;
    }
    return n;
}

double commonFactor(double a, double b) {
    if (!isInteger(a) || !isInteger(b)) return 1;
    // 0 / 0 has nothing to reduce.
    if (a == 0 && b == 0) return 1;
    for (int f : factorTable)
        if (divides(a, f) && divides(b, f)) return f;
    return 1;
}

void factorise(double n, container* product) {
    // Only whole numbers from 2 up have factors to list.
    if (!searchable(n) || n < 2) return;
    while (n != 1) {
        double f = smallestFactor(n);
        if (f == 1) break;
        product->linkLast(new nominal(f));
        n /= f;
    }
}

namespace {

// The face name of a node's font, read in place; empty without a font.
const char* faceOf(const nucleo* n) {
    const HFONT f = n->getFont();
    return f ? f->logfont().lfFaceName : "";
}

}  // namespace

bool sameFace(const nucleo* a, const nucleo* b) {
    if (a->getFont() == b->getFont()) return true;
    return std::strncmp(faceOf(a), faceOf(b), LF_FACESIZE - 1) == 0;
}

}  // namespace tovimat::alg

namespace tovimat {

bool container::placeAt(nucleo* n, nucleo* after, nucleo* before) {
    if (!n || !after || !before || after->parent() != this || before->parent() != this ||
        after->next() != before)
        return false;
    if (memberCount >= maxMembers()) return false;
    if (alg::bindsLooser(this, n, after == &headNode)) {
        auto* p = new parentesis();
        p->linkLast(n);
        if (_atachIt(p, after, before, false)) return true;
        p->_detachIt(n, false, false);
        delete p;
        return false;
    }
    return _atachIt(n, after, before, false);
}

placement container::placeAt(std::unique_ptr<nucleo> n, nucleo* after, nucleo* before) {
    nucleo* raw = n.release();
    return placement::of(raw, placeAt(raw, after, before));
}

}  // namespace tovimat
