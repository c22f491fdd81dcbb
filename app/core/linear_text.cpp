#include "core/linear_text.h"

#include <algorithm>
#include <vector>

#include "core/member_text.h"
#include "model/document.h"
#include "refs/reference.h"
#include "text/linear_syntax.h"
#include "text/node_text.h"

using namespace tovimat;

namespace velmor {

namespace {


// While a text with the caret is written: the caret's node and index, and
// the mark left in the text where the caret stands (a noncharacter, which no
// node's text holds).
struct CaretMark {
    const nucleo* node = nullptr;
    int index = 0;
};
thread_local CaretMark caretMark;
constexpr const char* kCaretMark = "\xEF\xBF\xBF";

std::string withCaretMark(const nucleo& n, std::string text) {
    if (n.isGroup()) return caretMark.index == 0 ? kCaretMark + text : text + kCaretMark;
    const int at = std::clamp(caretMark.index, 0, int(n.getLen()));
    const std::string before = utf8TextOf(n, at);
    return before + kCaretMark + text.substr(std::min(before.size(), text.size()));
}

std::vector<const nucleo*> membersOf(const container& c) {
    std::vector<const nucleo*> out;
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) out.push_back(m);
    return out;
}

// A member of c, in parentheses where its binding needs them.
std::string operand(const container& c, const nucleo& m, bool first) {
    std::string text = linearText(m);
    return writtenInParentheses(c, m, first) ? "(" + text + ")" : text;
}

std::string joined(const container& c, const std::string& separator) { return joinedMembers(c, separator, operand); }

std::string sumText(const container& c) { return sumMembers(c, " + ", " - ", operand); }

// A relation prefixes its right-hand side: "= 7".
std::string relationText(const container& c, const char* op) {
    std::string rhs = joined(c, " ");
    return rhs.empty() ? std::string(op) : std::string(op) + " " + rhs;
}

std::string functionText(const container& c, const std::string& name) {
    std::string arg = joined(c, ", ");
    return name + " " + arg;
}

std::string groupText(const container& c) {
    switch (c.type()) {
        case typeId::container:
            return joined(c, "; ");
        case typeId::page:
            return joined(c, "\n");
        case typeId::sentence:
        case typeId::resolution:
        case typeId::simplification:
            return joined(c, " ");
        case typeId::sum:
            return sumText(c);
        case typeId::multiplication:
            return joined(c, " * ");
        case typeId::quocient:  // and fracao
            return joined(c, " / ");
        case typeId::power:
            return joined(c, "^");
        case typeId::radical: {
            auto m = membersOf(c);
            if (m.size() == 1) return "sqrt(" + linearText(*m[0]) + ")";
            return "root(" + joined(c, ", ") + ")";
        }
        case typeId::logaritm: {
            auto m = membersOf(c);
            if (m.size() != 2) return "log " + joined(c, " ");
            std::string arg = operand(c, *m[1], false);
            return linearText(*m[0]).empty() ? "log " + arg : "log_" + operand(c, *m[0], true) + " " + arg;
        }
        case typeId::negation:
            return "-" + joined(c, "");
        case typeId::plusOrMinus:
            return "\u00b1" + joined(c, "");
        case typeId::parentesis:
            return "(" + joined(c, "") + ")";
        case typeId::list:
            return "[" + joined(c, ", ") + "]";
        case typeId::enumSet:
            return "{" + joined(c, ", ") + "}";
        case typeId::argument:
            return "(" + joined(c, ", ") + ")";
        case typeId::logicAnd:
            return joined(c, " & ");
        case typeId::logicOr:
            return joined(c, " | ");
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
            std::string name = utf8TextOf(*c.head());
            auto m = membersOf(c);
            if (m.size() == 1 && m[0]->type() == typeId::argument) return name + linearText(*m[0]);
            return name + "(" + joined(c, ", ") + ")";
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
            return joined(c, " " + utf8TextOf(*c.separator()) + " ");
        case typeId::reference: {
            // The shared value, wherever it stands now, in the place's own
            // parentheses if it has any.
            const nucleo* value = static_cast<const reference&>(c).getValue();
            return utf8TextOf(*c.head()) + (value ? linearText(*value) : "") + utf8TextOf(*c.tail());
        }
        default:
            // Any other composite: its delimiters around its members.
            return utf8TextOf(*c.head()) + joined(c, utf8TextOf(*c.separator())) + utf8TextOf(*c.tail());
    }
}

}  // namespace

std::string linearText(const nucleo& n) {
    std::string text = n.isGroup() ? groupText(static_cast<const container&>(n)) : utf8TextOf(n);
    return &n == caretMark.node ? withCaretMark(n, std::move(text)) : text;
}

std::string linearText(const nucleo& n, const nucleo* caretNode, int caretIndex, int* caretOffset) {
    const CaretMark previous = caretMark;
    caretMark = CaretMark{caretNode, caretIndex};
    std::string text = linearText(n);
    caretMark = previous;
    const size_t at = text.find(kCaretMark);
    if (caretOffset) *caretOffset = at == std::string::npos ? -1 : int(at);
    if (at != std::string::npos) text.erase(at, std::char_traits<char>::length(kCaretMark));
    return text;
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
