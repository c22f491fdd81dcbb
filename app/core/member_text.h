// A group's members written in a row, as the linear and the spoken forms of
// a formula both write them; each form says how one operand is written.
#pragma once

#include <string>
#include <string_view>

#include "model/document.h"

namespace velmor {

// Appends the members of c to out with `between` before every one but the
// first; operand(out, c, member, first) appends one.
template <class Operand>
void appendMembers(std::string& out, const tovimat::container& c, std::string_view between, Operand operand) {
    bool first = true;
    for (const tovimat::nucleo* m = c.first(); m && m->chained(); m = m->next()) {
        if (!first) out += between;
        operand(out, c, *m, first);
        first = false;
    }
}

// Appends the terms of a sum: a negated term after the first reads as a
// difference, a + (-b) as a - b, with `minus` before what it negates; `plus`
// stands between the others.
template <class Operand>
void appendSumMembers(std::string& out, const tovimat::container& c, std::string_view plus, std::string_view minus,
                      Operand operand) {
    bool first = true;
    for (const tovimat::nucleo* m = c.first(); m && m->chained(); m = m->next()) {
        if (!first && m->type() == tovimat::typeId::negation) {
            const auto& neg = static_cast<const tovimat::container&>(*m);
            const tovimat::nucleo* term = neg.first();
            out += minus;
            if (term && term->chained()) operand(out, neg, *term, true);
        } else {
            if (!first) out += plus;
            operand(out, c, *m, first);
        }
        first = false;
    }
}

}  // namespace velmor
