#include "core/linear_text.h"

#include <algorithm>
#include <string_view>

#include "core/member_text.h"
#include "model/document.h"
#include "refs/reference.h"
#include "text/linear_syntax.h"
#include "text/node_text.h"

using namespace tovimat;

namespace velmor {

namespace {

// Writes a tree at the end of one text, and notes where in it the caret
// stands when asked to.
class LinearWriter {
public:
    LinearWriter(std::string& out, const nucleo* caretNode, int caretIndex)
        : out_(out), caretNode_(caretNode), caretIndex_(caretIndex) {}

    // The byte offset of the caret in the text, -1 while it has not been met.
    long caretOffset() const { return caretOffset_; }

    void node(const nucleo& n) {
        const size_t start = out_.size();
        if (n.isGroup())
            group(static_cast<const container&>(n));
        else
            appendUtf8TextOf(out_, n);
        if (&n == caretNode_ && caretOffset_ < 0) noteCaret(n, start);
    }

private:
    // A group's caret stands before it at index 0 and after it otherwise; a
    // leaf's after the characters before its index.
    void noteCaret(const nucleo& n, size_t start) {
        if (n.isGroup()) {
            caretOffset_ = long(caretIndex_ == 0 ? start : out_.size());
            return;
        }
        const int at = std::clamp(caretIndex_, 0, int(n.getLen()));
        caretOffset_ = long(start + std::min(utf8TextOf(n, at).size(), out_.size() - start));
    }

    // Whether the caret stands in n or below it.
    bool holdsCaret(const nucleo& n) const {
        for (const nucleo* at = caretNode_; at; at = at->parent())
            if (at == &n) return true;
        return false;
    }

    // A member of c, in parentheses where its binding needs them.
    void operand(const container& c, const nucleo& m, bool first) {
        if (!writtenInParentheses(c, m, first)) return node(m);
        out_ += '(';
        node(m);
        out_ += ')';
    }

    auto operandWriter() {
        return [this](std::string&, const container& c, const nucleo& m, bool first) { operand(c, m, first); };
    }

    void joined(const container& c, std::string_view between) { appendMembers(out_, c, between, operandWriter()); }

    void around(std::string_view open, const container& c, std::string_view between, std::string_view close) {
        out_ += open;
        joined(c, between);
        out_ += close;
    }

    // A relation prefixes its right-hand side: "= 7".
    void relation(const container& c, std::string_view op) {
        out_ += op;
        const size_t space = out_.size();
        out_ += ' ';
        joined(c, " ");
        const bool nothingAfter = out_.size() == space + 1 && !(caretOffset_ > long(space));
        if (nothingAfter) out_.resize(space);
    }

    void function(const container& c, std::string_view name) {
        out_ += name;
        out_ += ' ';
        joined(c, ", ");
    }

    void logarithm(const container& c) {
        const nucleo* base = c.first();
        const nucleo* argument = base && base->chained() ? base->next() : nullptr;
        if (c.members() != 2 || !argument || !argument->chained()) {
            out_ += "log ";
            return joined(c, " ");
        }
        const bool noBase = !holdsCaret(*base) && linearText(*base).empty();
        if (noBase) {
            out_ += "log ";
        } else {
            out_ += "log_";
            operand(c, *base, true);
            out_ += ' ';
        }
        operand(c, *argument, false);
    }

    void userFunction(const container& c) {
        out_ += utf8TextOf(*c.head());
        const nucleo* only = c.members() == 1 ? c.first() : nullptr;
        if (only && only->type() == typeId::argument) return node(*only);
        around("(", c, ", ", ")");
    }

    // The shared value, wherever it stands now, in the place's own
    // parentheses if it has any.
    void sharedValue(const container& c) {
        const nucleo* value = static_cast<const reference&>(c).getValue();
        out_ += utf8TextOf(*c.head());
        if (value) node(*value);
        out_ += utf8TextOf(*c.tail());
    }

    void group(const container& c) {
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
                return appendSumMembers(out_, c, " + ", " - ", operandWriter());
            case typeId::multiplication:
                return joined(c, " * ");
            case typeId::quocient:  // and fracao
                return joined(c, " / ");
            case typeId::power:
                return joined(c, "^");
            case typeId::radical:
                return c.members() == 1 ? around("sqrt(", c, "", ")") : around("root(", c, ", ", ")");
            case typeId::logaritm:
                return logarithm(c);
            case typeId::negation:
                return around("-", c, "", "");
            case typeId::plusOrMinus:
                return around("\u00b1", c, "", "");
            case typeId::parentesis:
                return around("(", c, "", ")");
            case typeId::list:
                return around("[", c, ", ", "]");
            case typeId::enumSet:
                return around("{", c, ", ", "}");
            case typeId::argument:
                return around("(", c, ", ", ")");
            case typeId::logicAnd:
                return joined(c, " & ");
            case typeId::logicOr:
                return joined(c, " | ");
            case typeId::algSin:
                return function(c, "sin");
            case typeId::algCos:
                return function(c, "cos");
            case typeId::algTan:
                return function(c, "tan");
            case typeId::algCotan:
                return function(c, "cotan");
            case typeId::algASin:
                return function(c, "asin");
            case typeId::algACos:
                return function(c, "acos");
            case typeId::algATan:
                return function(c, "atan");
            case typeId::userFunc:
                return userFunction(c);
            case typeId::equal:
            case typeId::passEqual:
                return relation(c, "=");
            case typeId::greater:
                return relation(c, ">");
            case typeId::lessThan:
                return relation(c, "<");
            case typeId::greatOrEqual:
                return relation(c, ">=");
            case typeId::lessOrEqual:
                return relation(c, "<=");
            case typeId::notEqual:
                return relation(c, "!=");
            case typeId::implication:
                return relation(c, "=>");
            case typeId::equivalence:
                return relation(c, "<=>");
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
            case typeId::reference:
                return sharedValue(c);
            default:
                // Any other composite: its delimiters around its members.
                return around(utf8TextOf(*c.head()), c, utf8TextOf(*c.separator()), utf8TextOf(*c.tail()));
        }
    }

    std::string& out_;
    const nucleo* caretNode_;
    int caretIndex_;
    long caretOffset_ = -1;
};

}  // namespace

std::string linearText(const nucleo& n) {
    std::string text;
    LinearWriter(text, nullptr, 0).node(n);
    return text;
}

std::string linearText(const nucleo& n, const nucleo* caretNode, int caretIndex, int* caretOffset) {
    std::string text;
    LinearWriter writer(text, caretNode, caretIndex);
    writer.node(n);
    if (caretOffset) *caretOffset = int(writer.caretOffset());
    return text;
}

std::string linearLines(const container& base) {
    std::string out;
    for (const nucleo* m = base.first(); m && m->chained(); m = m->next()) {
        LinearWriter(out, nullptr, 0).node(*m);
        out += '\n';
    }
    return out;
}

}  // namespace velmor
