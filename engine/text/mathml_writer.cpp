#include "text/mathml_writer.h"

#include <cctype>
#include <vector>

#include "model/document.h"
#include "refs/reference.h"
#include "text/node_text.h"

namespace tovimat {

namespace {

constexpr const char* kMathOpen = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\" display=\"block\">";
// U+2061 FUNCTION APPLICATION, between a function's name and its argument.
constexpr const char* kApply = "<mo>\u2061</mo>";

bool isNumber(const std::string& s) {
    if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
    return true;
}

const char* relationSymbol(int type) {
    switch (type) {
        case typeId::equal:
        case typeId::passEqual:
            return "=";
        case typeId::greater:
            return "&gt;";
        case typeId::lessThan:
            return "&lt;";
        case typeId::greatOrEqual:
            return "\u2265";
        case typeId::lessOrEqual:
            return "\u2264";
        case typeId::notEqual:
            return "\u2260";
        case typeId::implication:
            return "\u21d2";
        case typeId::equivalence:
            return "\u21d4";
        default:
            return nullptr;
    }
}

const char* setSymbol(int type) {
    switch (type) {
        case typeId::contains:
            return "\u2282";
        case typeId::contained:
            return "\u2283";
        case typeId::notContain:
            return "\u2284";
        case typeId::refers:
            return "\u2286";
        case typeId::refered:
            return "\u2287";
        case typeId::belongs:
            return "\u2208";
        case typeId::notBelong:
            return "\u2209";
        case typeId::junction:
            return "\u222a";
        case typeId::intersection:
            return "\u2229";
        default:
            return nullptr;
    }
}

const char* trigName(int type) {
    switch (type) {
        case typeId::algSin:
            return "sin";
        case typeId::algCos:
            return "cos";
        case typeId::algTan:
            return "tan";
        case typeId::algCotan:
            return "cot";
        case typeId::algASin:
            return "arcsin";
        case typeId::algACos:
            return "arccos";
        case typeId::algATan:
            return "arctan";
        default:
            return nullptr;
    }
}

// Appends the MathML of a tree to one string, so that writing is linear in
// the size of the tree however deep it is.
class writer {
public:
    explicit writer(std::string& out) : out_(out) {}

    void node(const nucleo& n) {
        if (n.isGroup())
            group(static_cast<const container&>(n));
        else
            leafOf(n);
    }

    // A table with one row per node, or the node itself when there is one.
    void rows(const std::vector<const nucleo*>& nodes) {
        if (nodes.size() == 1) return node(*nodes[0]);
        out_ += "<mtable columnalign=\"left\">";
        for (const nucleo* n : nodes) {
            out_ += "<mtr><mtd>";
            node(*n);
            out_ += "</mtd></mtr>";
        }
        out_ += "</mtable>";
    }

private:
    void text(const std::string& s) {
        for (char c : s) {
            switch (c) {
                case '&':
                    out_ += "&amp;";
                    break;
                case '<':
                    out_ += "&lt;";
                    break;
                case '>':
                    out_ += "&gt;";
                    break;
                case '"':
                    out_ += "&quot;";
                    break;
                default:
                    // Control characters cannot stand in XML at all.
                    if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out_ += c;
            }
        }
    }

    void token(const char* element, const std::string& s, const char* attributes = "") {
        out_ += '<';
        out_ += element;
        out_ += attributes;
        out_ += '>';
        text(s);
        out_ += "</";
        out_ += element;
        out_ += '>';
    }

    void op(const char* symbol) {
        out_ += "<mo>";
        out_ += symbol;
        out_ += "</mo>";
    }

    void leafOf(const nucleo& n) {
        const std::string s = utf8TextOf(n);
        switch (n.type()) {
            case typeId::nominal:
                return isNumber(s) ? token("mn", s) : token("mi", s);
            case typeId::booleano:
            case typeId::indeterminacao:
            case typeId::indefinicao:
                return token("mi", s, " mathvariant=\"normal\"");
            case typeId::infinit:
                if (n.getLen() > 0 && n.getText()[0] == '-') {
                    out_ += "<mrow><mo>\u2212</mo><mi>\u221e</mi></mrow>";
                    return;
                }
                out_ += "<mi>\u221e</mi>";
                return;
            default:
                // An empty place shows as an empty row.
                if (s.empty()) {
                    out_ += "<mrow></mrow>";
                    return;
                }
                token("mi", s);
        }
    }

    void members(const container& c, const char* separator = nullptr) {
        bool first = true;
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) {
            if (!first && separator) op(separator);
            node(*m);
            first = false;
        }
    }

    void row(const container& c, const char* separator = nullptr) {
        out_ += "<mrow>";
        members(c, separator);
        out_ += "</mrow>";
    }

    void bracketed(const container& c, const char* open, const char* close) {
        out_ += "<mrow>";
        op(open);
        members(c, ",");
        op(close);
        out_ += "</mrow>";
    }

    // Exactly `count` members, each its own argument of `element`; empty
    // rows stand in for missing ones.
    void fixed(const char* element, const container& c, int count, bool reversed = false) {
        std::vector<const nucleo*> m;
        for (const nucleo* k = c.first(); k && k->chained(); k = k->next()) m.push_back(k);
        if (int(m.size()) != count) return row(c);
        out_ += '<';
        out_ += element;
        out_ += '>';
        if (reversed)
            for (auto it = m.rbegin(); it != m.rend(); ++it) node(**it);
        else
            for (const nucleo* k : m) node(*k);
        out_ += "</";
        out_ += element;
        out_ += '>';
    }

    void sumOf(const container& c) {
        out_ += "<mrow>";
        bool first = true;
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next(), first = false) {
            const bool sign = m->type() == typeId::negation || m->type() == typeId::plusOrMinus;
            const auto* term = sign ? static_cast<const container*>(m)->first() : nullptr;
            if (!first && sign && term && term->chained()) {
                // a + (-b) reads a - b.
                op(m->type() == typeId::negation ? "\u2212" : "\u00b1");
                node(*term);
                continue;
            }
            if (!first) op("+");
            node(*m);
        }
        out_ += "</mrow>";
    }

    void prefixed(const char* sign, const container& c) {
        out_ += "<mrow>";
        op(sign);
        members(c);
        out_ += "</mrow>";
    }

    // a = b, or a chain of steps, one per row of a table aligned on the
    // relations.
    void directive(const container& c) {
        if (c.members() <= 2) return row(c);
        out_ += "<mtable columnalign=\"right left\">";
        bool first = true;
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) {
            if (first) {
                out_ += "<mtr><mtd>";
                node(*m);
                out_ += "</mtd>";
                first = false;
                continue;
            }
            if (m != c.first()->next()) out_ += "<mtr><mtd></mtd>";
            out_ += "<mtd>";
            node(*m);
            out_ += "</mtd></mtr>";
        }
        out_ += "</mtable>";
    }

    void function(const char* name, const container& c) {
        out_ += "<mrow>";
        token("mi", name);
        out_ += kApply;
        members(c, ",");
        out_ += "</mrow>";
    }

    void logarithm(const container& c) {
        out_ += "<mrow>";
        if (c.members() == 2) {
            out_ += "<msub><mi>log</mi>";
            node(*c.first());
            out_ += "</msub>";
            out_ += kApply;
            node(*c.first()->next());
        } else {
            out_ += "<mi>log</mi>";
            out_ += kApply;
            members(c);
        }
        out_ += "</mrow>";
    }

    void userFunction(const container& c) {
        out_ += "<mrow>";
        token("mi", utf8TextOf(*c.head()));
        out_ += kApply;
        const nucleo* only = c.members() == 1 ? c.first() : nullptr;
        if (only && only->type() == typeId::argument)
            node(*only);
        else
            bracketed(c, "(", ")");
        out_ += "</mrow>";
    }

    void group(const container& c) {
        const int type = c.type();
        if (const char* rel = relationSymbol(type)) return prefixed(rel, c);
        if (const char* set = setSymbol(type)) return row(c, set);
        if (const char* trig = trigName(type)) return function(trig, c);
        switch (type) {
            case typeId::container:
            case typeId::page:
                return rows(membersOf(c));
            case typeId::resolution:
            case typeId::simplification:
                return directive(c);
            case typeId::sum:
                return sumOf(c);
            case typeId::multiplication:
                return row(c, "\u22c5");
            case typeId::quocient:
                if (dynamic_cast<const fracao*>(&c)) return row(c, "/");
                return fixed("mfrac", c, 2);
            case typeId::power:
                return fixed("msup", c, 2);
            case typeId::radical:
                if (c.members() == 1) {
                    out_ += "<msqrt>";
                    node(*c.first());
                    out_ += "</msqrt>";
                    return;
                }
                return fixed("mroot", c, 2, true);
            case typeId::logaritm:
                return logarithm(c);
            case typeId::negation:
                return prefixed("\u2212", c);
            case typeId::plusOrMinus:
                return prefixed("\u00b1", c);
            case typeId::parentesis:
            case typeId::argument:
                return bracketed(c, "(", ")");
            case typeId::list:
                return bracketed(c, "[", "]");
            case typeId::enumSet:
                return bracketed(c, "{", "}");
            case typeId::logicAnd:
                return row(c, "\u2227");
            case typeId::logicOr:
                return row(c, "\u2228");
            case typeId::userFunc:
                return userFunction(c);
            case typeId::reference: {
                const nucleo* value = static_cast<const reference&>(c).getValue();
                if (value) return node(*value);
                out_ += "<mrow></mrow>";
                return;
            }
            default:
                return row(c);
        }
    }

    static std::vector<const nucleo*> membersOf(const container& c) {
        std::vector<const nucleo*> out;
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) out.push_back(m);
        return out;
    }

    std::string& out_;
};

std::string math(const std::vector<const nucleo*>& nodes) {
    std::string out = kMathOpen;
    writer(out).rows(nodes);
    out += "</math>";
    return out;
}

}  // namespace

std::string mathmlOf(const nucleo& n) { return math({&n}); }

std::string mathmlDocument(const container& base) {
    std::vector<const nucleo*> lines;
    for (const nucleo* m = base.first(); m && m->chained(); m = m->next()) lines.push_back(m);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (lines.empty()) return out + kMathOpen + "<mrow></mrow></math>\n";
    return out + math(lines) + "\n";
}

std::string mathmlSelection(const selection& selected) {
    std::vector<const nucleo*> nodes;
    for (const selector& s : selected) nodes.push_back(s.getTarget());
    return mathmlOf(nodes);
}

std::string mathmlOf(const std::vector<const nucleo*>& nodes) {
    if (nodes.empty()) return std::string(kMathOpen) + "<mrow></mrow></math>";
    return math(nodes);
}

}  // namespace tovimat
