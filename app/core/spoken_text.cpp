#include "core/spoken_text.h"

#include <initializer_list>
#include <utility>

#include "core/linear_text.h"
#include "core/member_text.h"
#include "model/document.h"
#include "refs/reference.h"
#include "text/linear_syntax.h"

using namespace tovimat;

namespace velmor {

namespace {

// Signs a leaf may be written with, and their words.
std::string leafWords(const nucleo& leaf) {
    std::string text = linearText(leaf);
    static const std::pair<const char*, const char*> words[] = {
        {"\u221e", "infinity"}, {"\u03c0", "pi"}, {"\u00b1", "plus or minus"}, {"\u2205", "the empty set"}};
    for (const auto& [sign, word] : words) {
        for (size_t at = text.find(sign); at != std::string::npos; at = text.find(sign, at)) {
            text.replace(at, std::char_traits<char>::length(sign), word);
            at += std::char_traits<char>::length(word);
        }
    }
    return text;
}

std::string enclosed(const std::string& words) { return "open parenthesis " + words + " close parenthesis"; }

// A member of c, enclosed where the linear text puts it in parentheses.
std::string operand(const container& c, const nucleo& m, bool first) {
    const std::string words = spokenText(m);
    return writtenInParentheses(c, m, first) ? enclosed(words) : words;
}

void appendOperand(std::string& out, const container& c, const nucleo& m, bool first) { out += operand(c, m, first); }

std::string joined(const container& c, const std::string& between) {
    std::string out;
    appendMembers(out, c, between, appendOperand);
    return out;
}

std::string sumWords(const container& c) {
    std::string out;
    appendSumMembers(out, c, " plus ", " minus ", appendOperand);
    return out;
}

std::string powerWords(const container& c) {
    const nucleo* base = c.first();
    const nucleo* exponent = base && base->chained() ? base->next() : nullptr;
    if (!base || !exponent || !exponent->chained()) return joined(c, " to the power ");
    const std::string b = operand(c, *base, true);
    const std::string e = linearText(*exponent);
    if (e == "2") return b + " squared";
    if (e == "3") return b + " cubed";
    return b + " to the power " + operand(c, *exponent, false);
}

std::string rootWords(const container& c) {
    if (c.members() == 1) return "the square root of " + spokenText(*c.first());
    const nucleo* index = c.first();
    const nucleo* radicand = index ? index->next() : nullptr;
    if (!index || !radicand || !radicand->chained()) return "the root of " + joined(c, ", ");
    return "the root of index " + spokenText(*index) + " of " + spokenText(*radicand);
}

std::string logWords(const container& c) {
    const nucleo* base = c.first();
    const nucleo* argument = base ? base->next() : nullptr;
    if (c.members() != 2 || !argument || linearText(*base).empty())
        return "the logarithm of " + joined(c, " ");
    return "the logarithm base " + spokenText(*base) + " of " + operand(c, *argument, false);
}

std::string functionWords(const container& c, const char* name) { return std::string(name) + " of " + joined(c, ", "); }

// A relation prefixes its right-hand side: "equals 7".
std::string relationWords(const container& c, const char* words) {
    const std::string rhs = joined(c, " ");
    return rhs.empty() ? std::string(words) : std::string(words) + " " + rhs;
}

// A relation between sets, or a union or intersection, in words; any other
// group reads its members one after another.
std::string infixWords(const container& c) {
    static const std::pair<int, const char*> words[] = {
        {typeId::contains, " contains "},   {typeId::contained, " is contained in "},
        {typeId::notContain, " does not contain "}, {typeId::refers, " refers to "},
        {typeId::refered, " is referred to by "},  {typeId::belongs, " belongs to "},
        {typeId::notBelong, " does not belong to "}, {typeId::junction, " union "},
        {typeId::intersection, " intersection "}};
    for (const auto& [type, between] : words)
        if (c.type() == type) return joined(c, between);
    return joined(c, " ");
}

std::string groupWords(const container& c) {
    switch (c.type()) {
        case typeId::container:
        case typeId::page:
            return joined(c, "; ");
        case typeId::sentence:
        case typeId::resolution:
        case typeId::simplification:
            return joined(c, " ");
        case typeId::sum:
            return sumWords(c);
        case typeId::multiplication:
            return joined(c, " times ");
        case typeId::quocient:  // and fracao
            return joined(c, " over ");
        case typeId::power:
            return powerWords(c);
        case typeId::radical:
            return rootWords(c);
        case typeId::logaritm:
            return logWords(c);
        case typeId::negation:
            return "minus " + joined(c, " ");
        case typeId::plusOrMinus:
            return "plus or minus " + joined(c, " ");
        case typeId::parentesis:
            return enclosed(joined(c, " "));
        case typeId::list:
            return "the list " + joined(c, ", ");
        case typeId::enumSet:
            return "the set of " + joined(c, ", ");
        case typeId::argument:
            return joined(c, ", ");
        case typeId::logicAnd:
            return joined(c, " and ");
        case typeId::logicOr:
            return joined(c, " or ");
        case typeId::algSin:
            return functionWords(c, "sine");
        case typeId::algCos:
            return functionWords(c, "cosine");
        case typeId::algTan:
            return functionWords(c, "tangent");
        case typeId::algCotan:
            return functionWords(c, "cotangent");
        case typeId::algASin:
            return functionWords(c, "arc sine");
        case typeId::algACos:
            return functionWords(c, "arc cosine");
        case typeId::algATan:
            return functionWords(c, "arc tangent");
        case typeId::userFunc:
            return linearText(*c.head()) + " of " + joined(c, ", ");
        case typeId::equal:
        case typeId::passEqual:
            return relationWords(c, "equals");
        case typeId::greater:
            return relationWords(c, "is greater than");
        case typeId::lessThan:
            return relationWords(c, "is less than");
        case typeId::greatOrEqual:
            return relationWords(c, "is greater than or equal to");
        case typeId::lessOrEqual:
            return relationWords(c, "is less than or equal to");
        case typeId::notEqual:
            return relationWords(c, "is not equal to");
        case typeId::implication:
            return relationWords(c, "implies");
        case typeId::equivalence:
            return relationWords(c, "is equivalent to");
        case typeId::reference: {
            const nucleo* value = static_cast<const reference&>(c).getValue();
            return value ? spokenText(*value) : std::string();
        }
        default:
            return infixWords(c);
    }
}

}  // namespace

std::string spokenText(const nucleo& n) {
    return n.isGroup() ? groupWords(static_cast<const container&>(n)) : leafWords(n);
}

}  // namespace velmor
