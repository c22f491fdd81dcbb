#include "core/linear_text.h"

#include <vector>

#include "model/document.h"
#include "platform/codepages.h"
#include "refs/reference.h"

using namespace tovimat;

namespace velmor {

namespace {

// A node's own text in UTF-8, read in the encoding of its face.
std::string textOf(const nucleo& n) {
    LOGFONTA lf{};
    const bool symbol =
        GetObjectA(n.getFont(), sizeof lf, &lf) == int(sizeof lf) && isSymbolFace(lf.lfFaceName);
    return symbol ? symbolToUtf8(n.getText(), n.getLen()) : cp1252ToUtf8(n.getText(), n.getLen());
}

std::vector<const nucleo*> membersOf(const container& c) {
    std::vector<const nucleo*> out;
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) out.push_back(m);
    return out;
}

// Nodes whose text needs no parentheses wherever it stands.
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

// An operand of an operator of the given priority: in parentheses when it
// binds less tightly (or as tightly, with orEqual).
std::string operand(const nucleo& m, Priority priority, bool orEqual = false) {
    std::string text = linearText(m);
    if (selfDelimiting(m)) return text;
    const bool looser = orEqual ? m.priority() <= priority : m.priority() < priority;
    return looser ? "(" + text + ")" : text;
}

// Sums, products and the logic operators take any number of operands, so
// one of them nested as an operand of its own kind is shown as such.
bool nestedInItsKind(const container& c, const nucleo& m) {
    switch (c.type()) {
        case typeId::sum:
        case typeId::multiplication:
        case typeId::logicAnd:
        case typeId::logicOr:
            return m.type() == c.type();
        default:
            return false;
    }
}

// Between brackets nothing needs parentheses: nothing binds more loosely
// than a bare container.
constexpr Priority inBrackets = Priority::container;

// Operators group to the left, so an operand after the first that binds as
// tightly as the operator goes in parentheses: a * (b / c), not a * b / c.
std::string joined(const container& c, const std::string& separator, Priority priority,
                   bool orEqual = false) {
    std::string out;
    bool first = true;
    for (const nucleo* m : membersOf(c)) {
        if (!first) out += separator;
        out += operand(*m, priority, orEqual || !first || nestedInItsKind(c, *m));
        first = false;
    }
    return out;
}

std::string sumText(const container& c) {
    std::string out;
    bool first = true;
    for (const nucleo* m : membersOf(c)) {
        if (!first && m->type() == typeId::negation) {
            // a + (-b) reads a - b.
            const auto& neg = static_cast<const container&>(*m);
            const nucleo* term = neg.first();
            out += " - ";
            out += term && term->chained() ? operand(*term, Priority::negation) : std::string();
        } else {
            if (!first) out += " + ";
            out += operand(*m, c.priority(), !first || nestedInItsKind(c, *m));
        }
        first = false;
    }
    return out;
}

// A relation prefixes its right-hand side: "= 7".
std::string relationText(const container& c, const char* op) {
    std::string rhs = joined(c, " ", c.priority());
    return rhs.empty() ? std::string(op) : std::string(op) + " " + rhs;
}

std::string functionText(const container& c, const std::string& name) {
    std::string arg = joined(c, ", ", c.priority());
    return name + " " + arg;
}

std::string groupText(const container& c) {
    const Priority p = c.priority();
    switch (c.type()) {
        case typeId::container:
            return joined(c, "; ", p);
        case typeId::page:
            return joined(c, "\n", p);
        case typeId::sentence:
        case typeId::resolution:
        case typeId::simplification:
            return joined(c, " ", p);
        case typeId::sum:
            return sumText(c);
        case typeId::multiplication:
            return joined(c, " * ", p);
        case typeId::quocient:  // and fracao
            return joined(c, " / ", p, true);
        case typeId::power:
            return joined(c, "^", p, true);
        case typeId::radical: {
            auto m = membersOf(c);
            if (m.size() == 1) return "sqrt(" + linearText(*m[0]) + ")";
            return "root(" + joined(c, ", ", inBrackets) + ")";
        }
        case typeId::logaritm: {
            auto m = membersOf(c);
            if (m.size() != 2) return "log " + joined(c, " ", p);
            std::string base = linearText(*m[0]);
            std::string arg = operand(*m[1], p);
            return base.empty() ? "log " + arg : "log_" + operand(*m[0], p, true) + " " + arg;
        }
        case typeId::negation:
            return "-" + joined(c, "", p);
        case typeId::plusOrMinus:
            return "\u00b1" + joined(c, "", p);
        case typeId::parentesis:
            return "(" + joined(c, "", inBrackets) + ")";
        case typeId::list:
            return "[" + joined(c, ", ", inBrackets) + "]";
        case typeId::enumSet:
            return "{" + joined(c, ", ", inBrackets) + "}";
        case typeId::argument:
            return "(" + joined(c, ", ", inBrackets) + ")";
        case typeId::logicAnd:
            return joined(c, " & ", p);
        case typeId::logicOr:
            return joined(c, " | ", p);
        case typeId::algSin:
            return functionText(c, "sin");
        case typeId::algCos:
            return functionText(c, "cos");
        case typeId::algTan:
            return functionText(c, "tan");
        case typeId::algCotan:
            return functionText(c, "cotan");
        case typeId::algASin:
            return functionText(c, "asin");
        case typeId::algACos:
            return functionText(c, "acos");
        case typeId::algATan:
            return functionText(c, "atan");
        case typeId::userFunc: {
            std::string name = textOf(*c.head());
            auto m = membersOf(c);
            if (m.size() == 1 && isa<argument>(m[0])) return name + linearText(*m[0]);
            return name + "(" + joined(c, ", ", inBrackets) + ")";
        }
        case typeId::equal:
        case typeId::passEqual:
            return relationText(c, "=");
        case typeId::greater:
            return relationText(c, ">");
        case typeId::lessThan:
            return relationText(c, "<");
        case typeId::greatOrEqual:
            return relationText(c, ">=");
        case typeId::lessOrEqual:
            return relationText(c, "<=");
        case typeId::notEqual:
            return relationText(c, "!=");
        case typeId::implication:
            return relationText(c, "=>");
        case typeId::equivalence:
            return relationText(c, "<=>");
        case typeId::contains:
        case typeId::contained:
        case typeId::notContain:
        case typeId::refers:
        case typeId::refered:
        case typeId::belongs:
        case typeId::notBelong:
        case typeId::junction:
        case typeId::intersection:
            // Infix, with the relation's own glyph.
            return joined(c, " " + textOf(*c.separator()) + " ", p, true);
        case typeId::reference: {
            // The shared value, wherever it stands now, in the place's own
            // parentheses if it has any.
            const nucleo* value = static_cast<const reference&>(c).getValue();
            return textOf(*c.head()) + (value ? linearText(*value) : "") + textOf(*c.tail());
        }
        default:
            // Any other composite: its delimiters around its members.
            return textOf(*c.head()) + joined(c, textOf(*c.separator()), p) + textOf(*c.tail());
    }
}

}  // namespace

std::string linearText(const nucleo& n) {
    if (n.isGroup()) return groupText(static_cast<const container&>(n));
    return textOf(n);
}

std::string linearLines(const container& base) {
    std::string out;
    for (const nucleo* m : membersOf(base)) {
        out += linearText(*m);
        out += '\n';
    }
    return out;
}

}  // namespace velmor
