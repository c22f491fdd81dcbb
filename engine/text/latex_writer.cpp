#include "text/latex_writer.h"

#include <cctype>
#include <string>
#include <vector>

#include "model/document.h"
#include "refs/reference.h"
#include "text/node_text.h"

namespace tovimat {

namespace {

std::vector<const nucleo*> membersOf(const container& c) {
    std::vector<const nucleo*> out;
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) out.push_back(m);
    return out;
}

// UTF-8 text for \text{…}: the characters TeX treats specially escaped.
std::string textEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\textbackslash{}";
                break;
            case '^':
                out += "\\textasciicircum{}";
                break;
            case '~':
                out += "\\textasciitilde{}";
                break;
            case '{':
            case '}':
            case '$':
            case '&':
            case '#':
            case '%':
            case '_':
                out += '\\';
                out += c;
                break;
            default:
                // A control character would end the line (or the paragraph)
                // inside the text, so it goes by its number.
                if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
                    out += "\\char" + std::to_string(int(c)) + "{}";
                else
                    out += c;
        }
    }
    return out;
}

bool isWord(const std::string& s) {
    if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

bool isNumber(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
    return true;
}

// A name: one letter as it is, a word in \mathit, anything else as text.
std::string nameText(const std::string& name, const char* wordCommand = "\\mathit") {
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) return name;
    if (isWord(name)) return std::string(wordCommand) + "{" + name + "}";
    return "\\text{" + textEscaped(name) + "}";
}

std::string leafText(const nucleo& n) {
    const std::string text = utf8TextOf(n);
    switch (n.type()) {
        case typeId::nominal:
            return isNumber(text) ? text : "\\text{" + textEscaped(text) + "}";
        case typeId::booleano:
            return "\\mathrm{" + textEscaped(text) + "}";
        case typeId::infinit:
            return n.getLen() > 0 && n.getText()[0] == '-' ? "-\\infty" : "\\infty";
        case typeId::preference:
            return text == "?" ? "?" : nameText(text);
        case typeId::indeterminacao:
        case typeId::indefinicao:
            return "\\text{" + textEscaped(text) + "}";
        default:
            // An empty place still leaves a well-formed formula.
            return text.empty() ? "{}" : nameText(text);
    }
}

std::string write(const nucleo& n);

bool isStacked(const nucleo& n) { return n.type() == typeId::quocient && !dynamic_cast<const fracao*>(&n); }

bool isDirective(const nucleo& n) {
    return n.type() == typeId::simplification || n.type() == typeId::resolution;
}

// A directive with two or more relations is written as an aligned block.
bool isAligned(const nucleo& n) {
    return isDirective(n) && static_cast<const container&>(n).members() > 2;
}

// Nodes whose LaTeX shows their extent by itself, wherever they stand.
bool delimitsItself(const nucleo& n) {
    if (!n.isGroup()) return true;
    switch (n.type()) {
        case typeId::parentesis:
        case typeId::list:
        case typeId::enumSet:
        case typeId::argument:
        case typeId::userFunc:
        case typeId::radical:
        case typeId::container:
        case typeId::page:
            return true;
        default:
            return isStacked(n) || isAligned(n);
    }
}

// An operand of an operator of the given priority: in braces when it binds
// less tightly (or as tightly, with orEqual).
std::string operand(const nucleo& m, int priority, bool orEqual = false) {
    std::string text = write(m);
    if (delimitsItself(m)) return text;
    const bool looser = orEqual ? m.priority() <= priority : m.priority() < priority;
    return looser ? "{" + text + "}" : text;
}

// Sums, products and the logic operators take any number of operands, so
// one of them nested as an operand of its own kind must show its extent.
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

// Operators group to the left, so an operand after the first that binds as
// tightly as the operator is braced.
std::string joined(const container& c, const std::string& separator, int priority, bool orEqual = false) {
    std::string out;
    bool first = true;
    for (const nucleo* m : membersOf(c)) {
        if (!first) out += separator;
        out += operand(*m, priority, orEqual || !first || nestedInItsKind(c, *m));
        first = false;
    }
    return out;
}

// Members inside brackets of their own need no grouping.
std::string listed(const container& c, const char* separator = ", ") {
    std::string out;
    for (const nucleo* m : membersOf(c)) {
        if (!out.empty()) out += separator;
        out += write(*m);
    }
    return out;
}

std::string braced(const nucleo& n) { return "{" + write(n) + "}"; }

std::string sumText(const container& c) {
    std::string out;
    bool first = true;
    for (const nucleo* m : membersOf(c)) {
        const bool sign = m->type() == typeId::negation || m->type() == typeId::plusOrMinus;
        if (!first && sign) {
            // a + (-b) reads a - b, a + (±b) reads a ± b.
            const auto& neg = static_cast<const container&>(*m);
            const nucleo* term = neg.first();
            out += m->type() == typeId::negation ? " - " : " \\pm ";
            out += term && term->chained() ? operand(*term, neg.priority()) : std::string("{}");
        } else {
            if (!first) out += " + ";
            out += operand(*m, c.priority(), !first || nestedInItsKind(c, *m));
        }
        first = false;
    }
    return out;
}

// A sign before its operand. The sign of an infinity leaf is braced apart,
// since -\infty is the minus-infinity leaf itself.
std::string signText(const container& c, const char* sign) {
    const nucleo* term = c.first();
    if (!term || !term->chained()) return std::string(sign) + "{}";
    if (term->type() == typeId::infinit) return std::string(sign) + "{" + write(*term) + "}";
    return std::string(sign) + operand(*term, c.priority());
}

const char* relationSymbol(int type) {
    switch (type) {
        case typeId::equal:
        case typeId::passEqual:
            return "=";
        case typeId::greater:
            return ">";
        case typeId::lessThan:
            return "<";
        case typeId::greatOrEqual:
            return "\\ge";
        case typeId::lessOrEqual:
            return "\\le";
        case typeId::notEqual:
            return "\\ne";
        case typeId::implication:
            return "\\Rightarrow";
        case typeId::equivalence:
            return "\\Leftrightarrow";
        default:
            return nullptr;
    }
}

// A relation prefixes its right-hand side: "= 7".
std::string relationText(const container& c) {
    std::string rhs = joined(c, " ", c.priority(), true);
    const std::string op = relationSymbol(c.type());
    return rhs.empty() ? op : op + " " + rhs;
}

// a = b, or a chain of steps, one per row of an aligned block.
std::string directiveText(const container& c) {
    const auto m = membersOf(c);
    if (!isAligned(c)) return joined(c, " ", c.priority(), true);
    std::string out = "\\begin{aligned}\n" + operand(*m[0], c.priority(), true);
    for (size_t i = 1; i < m.size(); ++i) out += (i == 1 ? " &" : " \\\\\n&") + write(*m[i]);
    return out + "\n\\end{aligned}";
}

const char* setSymbol(int type) {
    switch (type) {
        case typeId::contains:
            return " \\subset ";
        case typeId::contained:
            return " \\supset ";
        case typeId::notContain:
            return " \\not\\subset ";
        case typeId::refers:
            return " \\subseteq ";
        case typeId::refered:
            return " \\supseteq ";
        case typeId::belongs:
            return " \\in ";
        case typeId::notBelong:
            return " \\notin ";
        case typeId::junction:
            return " \\cup ";
        case typeId::intersection:
            return " \\cap ";
        default:
            return nullptr;
    }
}

const char* trigCommand(int type) {
    switch (type) {
        case typeId::algSin:
            return "\\sin";
        case typeId::algCos:
            return "\\cos";
        case typeId::algTan:
            return "\\tan";
        case typeId::algCotan:
            return "\\cot";
        case typeId::algASin:
            return "\\arcsin";
        case typeId::algACos:
            return "\\arccos";
        case typeId::algATan:
            return "\\arctan";
        default:
            return nullptr;
    }
}

std::string userFuncText(const container& c) {
    const std::string name = utf8TextOf(*c.head());
    std::string out = nameText(name, "\\operatorname");
    const auto m = membersOf(c);
    if (m.size() == 1 && m[0]->type() == typeId::argument) return out + write(*m[0]);
    return out + "\\left( " + listed(c) + " \\right)";
}

std::string radicalText(const container& c) {
    const auto m = membersOf(c);
    if (m.size() == 1) return "\\sqrt{" + write(*m[0]) + "}";
    if (m.size() == 2) {
        // A ] in the index would end TeX's optional argument early, and the
        // argument loses its outer braces before an aligned block inside it
        // is laid out, so such an index gets two pairs.
        std::string index = write(*m[0]);
        if (index.find(']') != std::string::npos || index.find("\\begin") != std::string::npos)
            index = "{{" + index + "}}";
        return "\\sqrt[" + index + "]{" + write(*m[1]) + "}";
    }
    return "\\sqrt{" + listed(c) + "}";
}

std::string logText(const container& c) {
    const auto m = membersOf(c);
    if (m.size() != 2) return "\\log " + joined(c, " ", c.priority());
    return "\\log_" + braced(*m[0]) + " " + operand(*m[1], c.priority());
}

std::string groupText(const container& c) {
    const int p = c.priority();
    if (relationSymbol(c.type())) return relationText(c);
    if (const char* set = setSymbol(c.type())) return joined(c, set, p);
    if (const char* trig = trigCommand(c.type())) return std::string(trig) + " " + joined(c, ", ", p);
    switch (c.type()) {
        case typeId::container:
        case typeId::page:
            // Lines under one another, each centred.
            return "\\begin{gathered}\n" + listed(c, " \\\\\n") + "\n\\end{gathered}";
        case typeId::sentence:
            return listed(c, " \\quad ");
        case typeId::resolution:
        case typeId::simplification:
            return directiveText(c);
        case typeId::sum:
            return sumText(c);
        case typeId::multiplication:
            return joined(c, " \\cdot ", p);
        case typeId::quocient: {
            const auto m = membersOf(c);
            if (isStacked(c) && m.size() == 2) return "\\frac" + braced(*m[0]) + braced(*m[1]);
            return joined(c, " / ", p, true);
        }
        case typeId::power: {
            const auto m = membersOf(c);
            if (m.size() != 2) return joined(c, "^", p, true);
            return operand(*m[0], p, true) + "^" + braced(*m[1]);
        }
        case typeId::radical:
            return radicalText(c);
        case typeId::logaritm:
            return logText(c);
        case typeId::negation:
            return signText(c, "-");
        case typeId::plusOrMinus:
            return signText(c, "\\pm ");
        case typeId::parentesis:
        case typeId::argument:
            return "\\left( " + listed(c) + " \\right)";
        case typeId::list:
            return "\\left[ " + listed(c) + " \\right]";
        case typeId::enumSet:
            return "\\left\\{ " + listed(c) + " \\right\\}";
        case typeId::logicAnd:
            return joined(c, " \\land ", p);
        case typeId::logicOr:
            return joined(c, " \\lor ", p);
        case typeId::userFunc:
            return userFuncText(c);
        case typeId::reference: {
            // The shared value, wherever it stands now.
            const nucleo* value = static_cast<const reference&>(c).getValue();
            return value ? "{" + write(*value) + "}" : "{}";
        }
        default:
            // Any other composite: its members in a row.
            return listed(c, " \\; ");
    }
}

std::string write(const nucleo& n) {
    if (n.isGroup()) return groupText(static_cast<const container&>(n));
    return leafText(n);
}

}  // namespace

std::string latexOf(const nucleo& n) { return write(n); }

std::string latexLines(const container& base) {
    std::string out;
    for (const nucleo* m : membersOf(base)) out += "\\[ " + write(*m) + " \\]\n";
    return out;
}

std::string latexDocument(const container& base) {
    return "\\documentclass{article}\n\\usepackage{amsmath}\n\\begin{document}\n" + latexLines(base) +
           "\\end{document}\n";
}

std::string latexSelection(const selection& selected) {
    std::string out;
    for (const selector& s : selected) {
        if (!out.empty()) out += '\n';
        out += write(*s.getTarget());
    }
    return out;
}

}  // namespace tovimat
