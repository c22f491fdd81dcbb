// Comparison and containment: structural equality, the order of the
// relational operators, group membership and mention. No predicate changes a
// node or leaves anything allocated behind.
#include <cmath>
#include <cstring>
#include <vector>

#include "algebra/support.h"
#include "model/shared.h"

namespace tovimat {

using alg::isNumber;
using alg::numberValue;

// --- equality ------------------------------------------------------------------------------------

bool literal::igualA(nucleo* x) {
    if (!x) return false;
    if (x->type() != type() && x->type() != typeId::variable) return false;
    if (x->getLen() != getLen()) return false;
    if (std::memcmp(x->getText(), getText(), size_t(getLen())) != 0) return false;
    // The same letter in another face is another name.
    return alg::sameFace(this, x);
}

bool nominal::igualA(nucleo* x) {
    if (isNumber(x)) return numberValue(x) == number;
    // -3 on the left equals a negation of 3.
    if (number < 0 && alg::isNegatedNumber(x)) return numberValue(alg::soleMember(x)) == -number;
    return false;
}

bool booleano::igualA(nucleo* x) { return alg::isTruth(x, truth); }

bool infinit::igualA(nucleo* x) {
    auto* other = dyn_cast<infinit>(x);
    return other && other->isPositive() == positive;
}

bool container::igualA(nucleo* x) {
    if (x == this) return true;
    if (!x || x->type() != type()) return false;
    auto* g = cast<container>(x);
    if (g->members() != members()) return false;
    bool inOrder = true;
    for (nucleo *a = first(), *b = g->first(); a && a->chained(); a = a->next(), b = b->next()) {
        if (*a != *b) {
            inOrder = false;
            break;
        }
    }
    if (inOrder) return true;
    // The members of a commutative group may come in any order.
    return comut() && contem(g) && g->contem(this);
}

// --- order ---------------------------------------------------------------------------------------

bool nucleo::menorQue(nucleo* x) {
    if (!x) return false;
    if (type() != x->type()) return type() < x->type();
    return this < x;
}

bool literal::menorQue(nucleo* x) {
    if (!x) return false;
    if (type() != x->type()) return type() < x->type();
    const int n = std::min(getLen(), x->getLen());
    return std::memcmp(getText(), x->getText(), size_t(n)) < 0;
}

bool nominal::menorQue(nucleo* x) { return isNumber(x) && number < numberValue(x); }

bool preference::menorQue(nucleo* x) { return !igualA(x) && nucleo::menorQue(x); }

// --- mention -------------------------------------------------------------------------------------

bool nucleo::refere(nucleo* x) { return x && *this == *x; }

bool container::refere(nucleo* x) {
    if (!x) return false;
    if (*this == *x) return true;
    for (nucleo* m = first(); m && m->chained(); m = m->next())
        if (m->refere(x)) return true;
    return false;
}

// --- membership ----------------------------------------------------------------------------------

bool nucleo::contem(nucleo* x) { return x && igualA(x); }

// A member equal to x, or, for a group x, every member of x matched by a
// distinct member of this group (so {1, 2, 2} holds {2, 2} but not {2, 2, 2}).
// The search only marks members as taken; nothing is copied or changed.
bool container::contem(nucleo* x) {
    if (!x) return false;
    for (nucleo* m = first(); m && m->chained(); m = m->next())
        if (*m == *x) return true;
    auto* g = dyn_cast<container>(x);
    if (!g) return false;
    if (g->members() > members()) return false;
    std::vector<nucleo*> mine;
    mine.reserve(size_t(members()));
    for (nucleo* m = first(); m && m->chained(); m = m->next()) mine.push_back(m);
    std::vector<bool> taken(mine.size(), false);
    for (nucleo* y = g->first(); y && y->chained(); y = y->next()) {
        bool found = false;
        for (size_t i = 0; i < mine.size(); ++i) {
            if (!taken[i] && *y == *mine[i]) {
                taken[i] = found = true;
                break;
            }
        }
        if (!found) return false;
    }
    return true;
}

namespace {

// A whole number: no fractional part (infinities and NaN are not numbers of a set).
bool wholeNumber(nucleo* x) { return isNumber(x) && alg::isInteger(numberValue(x)); }

}  // namespace

bool naturals::contem(nucleo* x) { return wholeNumber(x); }

bool conjunto_pares::contem(nucleo* x) {
    return isNumber(x) && std::isfinite(numberValue(x)) && std::fmod(numberValue(x), 2.0) == 0.0;
}

bool conjunto_impares::contem(nucleo* x) {
    return !shared::evenNumbers().contem(x) && shared::naturalNumbers().contem(x);
}

}  // namespace tovimat
