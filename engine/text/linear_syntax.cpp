#include "text/linear_syntax.h"

#include "model/type_ids.h"

namespace tovimat {

bool selfDelimiting(const nucleo& n) {
    if (!n.isGroup()) return true;
    switch (n.type()) {
        case typeId::parentesis:
        case typeId::list:
        case typeId::enumSet:
        case typeId::argument:
        case typeId::userFunc:
            return true;
        default:
            return false;
    }
}

namespace {

// Sums, products and the logic operators take any number of operands, so
// one of them nested as an operand of its own kind is shown as such.
bool nestedInItsKind(const container& parent, const nucleo& member) {
    switch (parent.type()) {
        case typeId::sum:
        case typeId::multiplication:
        case typeId::logicAnd:
        case typeId::logicOr:
            return member.type() == parent.type();
        default:
            return false;
    }
}

bool looser(const nucleo& member, int priority, bool orEqual) {
    return orEqual ? member.priority() <= priority : member.priority() < priority;
}

}  // namespace

bool writtenInParentheses(const container& parent, const nucleo& member, bool first) {
    if (selfDelimiting(member)) return false;
    const int p = parent.priority();
    switch (parent.type()) {
        // Written between their own brackets, or as the value they share.
        case typeId::parentesis:
        case typeId::list:
        case typeId::enumSet:
        case typeId::argument:
        case typeId::userFunc:
        case typeId::radical:
        case typeId::reference:
            return false;
        case typeId::sum:
            // A later negated term is written "a - b": the negation's own
            // rule decides about b.
            if (!first && member.type() == typeId::negation) return false;
            break;
        case typeId::quocient:  // and fracao
        case typeId::power:
        case typeId::contains:
        case typeId::contained:
        case typeId::notContain:
        case typeId::refers:
        case typeId::refered:
        case typeId::belongs:
        case typeId::notBelong:
        case typeId::junction:
        case typeId::intersection:
            return looser(member, p, true);
        case typeId::logaritm:
            // log_b x: the base, written first, groups like an exponent; the
            // argument after it like the operand of a function.
            return looser(member, p, first);
        default:
            break;
    }
    return looser(member, p, !first || nestedInItsKind(parent, member));
}

}  // namespace tovimat
