// A group's members written in a row, as the linear and the spoken forms of
// a formula both write them; each form says how one operand is written.
#pragma once

#include <string>

#include "model/document.h"

namespace velmor {

// The members of c with `between` before every one but the first;
// operand(c, member, first) writes one.
template <class Operand>
std::string joinedMembers(const tovimat::container& c, const std::string& between, Operand operand) {
    std::string out;
    bool first = true;
    for (const tovimat::nucleo* m = c.first(); m && m->chained(); m = m->next()) {
        if (!first) out += between;
        out += operand(c, *m, first);
        first = false;
    }
    return out;
}

// The terms of a sum: a negated term after the first reads as a difference,
// a + (-b) as a - b, with `minus` before what it negates; `plus` stands
// between the others.
template <class Operand>
std::string sumMembers(const tovimat::container& c, const std::string& plus, const std::string& minus,
                       Operand operand) {
    std::string out;
    bool first = true;
    for (const tovimat::nucleo* m = c.first(); m && m->chained(); m = m->next()) {
        if (!first && m->type() == tovimat::typeId::negation) {
            const auto& neg = static_cast<const tovimat::container&>(*m);
            const tovimat::nucleo* term = neg.first();
            out += minus;
            if (term && term->chained()) out += operand(neg, *term, true);
        } else {
            if (!first) out += plus;
            out += operand(c, *m, first);
        }
        first = false;
    }
    return out;
}

}  // namespace velmor
