#include "text/latex_reader.h"

#include <cctype>
#include <initializer_list>
#include <utility>

#include "model/document.h"
#include "platform/codepages.h"
#include "text/reader_support.h"

namespace tovimat {

namespace {

using node = std::unique_ptr<nucleo>;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

template <typename Leaf>
node leaf(Leaf* made) {
    made->setChanged(false);
    return node(made);
}

struct spelling {
    std::string_view text;
    nucleo* (*make)();
};

template <typename T>
nucleo* make() {
    return new T();
}

// Steps of reasoning, the loosest relations.
const spelling kSteps[] = {
    {"\\Rightarrow", make<implication>},     {"\\implies", make<implication>},
    {"\\Leftrightarrow", make<equivalence>}, {"\\iff", make<equivalence>},
};

const spelling kRelations[] = {
    {"=", make<equal>},          {"\\neq", make<notEqual>},       {"\\ne", make<notEqual>},
    {"<", make<lessThan>},       {">", make<greater>},            {"\\leqslant", make<lessOrEqual>},
    {"\\leq", make<lessOrEqual>}, {"\\le", make<lessOrEqual>},     {"\\geqslant", make<greatOrEqual>},
    {"\\geq", make<greatOrEqual>}, {"\\ge", make<greatOrEqual>},
};

const spelling kSetOperators[] = {
    {"\\not\\subset", make<notContain>}, {"\\subseteq", make<refers>},  {"\\supseteq", make<refered>},
    {"\\subset", make<contains>},        {"\\supset", make<contained>}, {"\\not\\in", make<notBelong>},
    {"\\notin", make<notBelong>},        {"\\in", make<belongs>},       {"\\cup", make<junction>},
    {"\\cap", make<intersection>},
};

const spelling kTrig[] = {
    {"\\sin", make<algSin>},       {"\\cos", make<algCos>},       {"\\tan", make<algTan>},
    {"\\cot", make<algCotan>},     {"\\arcsin", make<algASin>},   {"\\arccos", make<algACos>},
    {"\\arctan", make<algATan>},
};

// Commands that take nothing and mean nothing but space.
constexpr std::string_view kSpacing[] = {"\\quad", "\\qquad", "\\displaystyle", "\\textstyle", "\\,",
                                         "\\;",    "\\:",     "\\!",            "\\ "};

// Commands that start an operand, so that one right after another operand
// multiplies it.
constexpr std::string_view kOperandCommands[] = {
    "\\left",    "\\{",   "\\frac",       "\\dfrac",  "\\tfrac",  "\\cfrac",  "\\sqrt",
    "\\sin",     "\\cos", "\\tan",        "\\cot",    "\\arcsin", "\\arccos", "\\arctan",
    "\\log",     "\\infty", "\\mathit",   "\\mathrm", "\\text",   "\\textit", "\\operatorname",
    "\\begin",
};

class reader {
public:
    explicit reader(std::string_view text) : text_(text) {}

    latexReading read() {
        std::string_view closing;
        skipSpaces();
        for (auto [open, close] : {std::pair{"$$", "$$"}, {"$", "$"}, {"\\[", "\\]"}, {"\\(", "\\)"}})
            if (accept(open)) {
                closing = close;
                break;
            }
        node tree = line();
        if (tree && !closing.empty()) expect(closing);
        skipSpaces();
        if (tree && !failed_ && pos_ < text_.size()) fail("unexpected " + quotedToken());
        latexReading out;
        if (!failed_) {
            out.tree = std::move(tree);
            return out;
        }
        out.line = 1;
        size_t lineStart = 0;
        for (size_t i = 0; i < failedAt_; ++i)
            if (text_[i] == '\n') {
                ++out.line;
                lineStart = i + 1;
            }
        out.column = int(failedAt_ - lineStart) + 1;
        out.reason = reason_;
        return out;
    }

private:
    // --- the text ---------------------------------------------------------------------------

    bool startsWith(std::string_view s) const { return text_.substr(pos_).starts_with(s); }

    // A control word ends where its letters end: \in is not the start of \infty.
    bool commandAt(std::string_view s) const {
        if (!startsWith(s)) return false;
        const size_t end = pos_ + s.size();
        return !isLetter(s.back()) || end >= text_.size() || !isLetter(text_[end]);
    }

    void skipSpaces() {
        for (;;) {
            if (pos_ >= text_.size()) return;
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '~') {
                ++pos_;
                continue;
            }
            if (aligned_ > 0 && c == '&') {
                ++pos_;
                continue;
            }
            if (aligned_ > 0 && startsWith("\\\\")) {
                pos_ += 2;
                continue;
            }
            bool spacing = false;
            for (std::string_view s : kSpacing)
                if (commandAt(s)) {
                    pos_ += s.size();
                    spacing = true;
                    break;
                }
            if (!spacing) return;
        }
    }

    bool ahead(std::string_view s) {
        skipSpaces();
        return commandAt(s);
    }

    bool accept(std::string_view s) {
        if (!ahead(s)) return false;
        pos_ += s.size();
        return true;
    }

    bool acceptAny(std::initializer_list<std::string_view> spellings) {
        for (std::string_view s : spellings)
            if (accept(s)) return true;
        return false;
    }

    template <size_t N>
    const spelling* aheadOf(const spelling (&table)[N]) {
        for (const spelling& s : table)
            if (ahead(s.text)) return &s;
        return nullptr;
    }

    // The token at the reading position, for messages.
    std::string quotedToken() const {
        if (pos_ >= text_.size()) return "end of text";
        if (!isPrintable(text_[pos_])) return byteName(text_[pos_]);
        size_t end = pos_ + 1;
        if (text_[pos_] == '\\') {
            while (end < text_.size() && isLetter(text_[end])) ++end;
            // A control symbol: \] \{ \\ …
            if (end == pos_ + 1 && end < text_.size() && isPrintable(text_[end])) ++end;
        }
        return "'" + std::string(text_.substr(pos_, end - pos_)) + "'";
    }

    // Messages stay one printable line: other bytes go by their number.
    static bool isPrintable(char c) { return c >= 0x20 && c < 0x7f; }
    static std::string byteName(char c) {
        static const char kHex[] = "0123456789ABCDEF";
        const auto b = static_cast<unsigned char>(c);
        return std::string("byte 0x") + kHex[b >> 4] + kHex[b & 15];
    }

    node fail(std::string why) {
        if (!failed_) {
            failed_ = true;
            failedAt_ = pos_;
            reason_ = std::move(why);
        }
        return nullptr;
    }

    // Appends m to c as it is, without the insertion rules; where c cannot
    // take it the reading fails instead of leaving it out.
    void link(container& c, node& m) {
        if (!m) return;
        if (const char* refused = linkRead(c, m)) fail(refused);
    }

    // Appends the members in order.
    template <typename Group>
    node group(Group* made, node a = nullptr, node b = nullptr) {
        std::unique_ptr<Group> owner(made);
        link(*owner, a);
        link(*owner, b);
        return node(owner.release());
    }

    node expected(std::string_view what) {
        skipSpaces();
        return fail(std::string(what) + " expected, found " + quotedToken());
    }

    bool expect(std::string_view s) {
        if (accept(s)) return true;
        expected("'" + std::string(s) + "'");
        return false;
    }

    // Counts the nesting of the rules that call themselves.
    struct deeper {
        explicit deeper(reader& r) : r(r) { ++r.depth_; }
        ~deeper() { --r.depth_; }
        bool tooDeep() const { return r.depth_ > maxReaderDepth; }
        reader& r;
    };

    // --- the rules, loosest first ---------------------------------------------------------------

    node line() { return directive<&reader::logicalOr>(kSteps); }

    // a = b: the left side and each relation with its right side, in the
    // directive the first relation asks for.
    template <node (reader::*side)(), size_t N>
    node directive(const spelling (&table)[N]) {
        node left = (this->*side)();
        if (!left) return nullptr;
        std::unique_ptr<container> made;
        while (const spelling* op = aheadOf(table)) {
            pos_ += op->text.size();
            node right = (this->*side)();
            if (!right) return nullptr;
            auto* rel = static_cast<container*>(op->make());
            node step = group(rel, std::move(right));
            if (!made) {
                made.reset(rel->conjugacao());
                link(*made, left);
            }
            link(*made, step);
        }
        return made ? node(made.release()) : std::move(left);
    }

    template <typename Group>
    node chain(node (reader::*operand)(), std::initializer_list<std::string_view> ops) {
        node first = (this->*operand)();
        if (!first) return nullptr;
        std::unique_ptr<Group> made;
        while (acceptAny(ops)) {
            node next = (this->*operand)();
            if (!next) return nullptr;
            if (!made) {
                made = std::make_unique<Group>();
                link(*made, first);
            }
            link(*made, next);
        }
        return made ? node(made.release()) : std::move(first);
    }

    node logicalOr() { return chain<logicOr>(&reader::logicalAnd, {"\\lor", "\\vee"}); }
    node logicalAnd() { return chain<logicAnd>(&reader::relations, {"\\land", "\\wedge"}); }
    node relations() { return directive<&reader::setExpression>(kRelations); }

    // A \cup B: set operators take two operands and group to the left.
    node setExpression() {
        node result = additive();
        while (result) {
            const spelling* op = aheadOf(kSetOperators);
            if (!op) break;
            pos_ += op->text.size();
            node right = additive();
            if (!right) return nullptr;
            result = group(static_cast<container*>(op->make()), std::move(result), std::move(right));
        }
        return result;
    }

    // a - b is the sum of a and the negation of b, a \pm b the sum of a and
    // plus-or-minus b.
    node additive() {
        node first = signedTerm();
        if (!first) return nullptr;
        std::unique_ptr<sum> made;
        for (;;) {
            container* sign = nullptr;
            if (accept("-"))
                sign = new negation();
            else if (accept("\\pm"))
                sign = new plusOrMinus();
            else if (!accept("+"))
                break;
            node term = signedTerm();
            if (!term) {
                delete sign;
                return nullptr;
            }
            if (sign) term = group(sign, std::move(term));
            if (!made) {
                made = std::make_unique<sum>();
                link(*made, first);
            }
            link(*made, term);
        }
        return made ? node(made.release()) : std::move(first);
    }

    // -a \cdot b is the negation of the product; -\infty is one leaf.
    node signedTerm() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        if (minusInfinityAhead()) return product();
        if (acceptAny({"-", "\\neg", "\\lnot"})) {
            node term = signedTerm();
            return term ? group(new negation(), std::move(term)) : nullptr;
        }
        if (accept("\\pm")) {
            node term = signedTerm();
            return term ? group(new plusOrMinus(), std::move(term)) : nullptr;
        }
        return product();
    }

    bool minusInfinityAhead() {
        if (!ahead("-")) return false;
        const size_t at = pos_;
        ++pos_;
        const bool infinity = ahead("\\infty");
        pos_ = at;
        return infinity;
    }

    // a \cdot b \cdot c is one product, and so is 2x; a / b is a quotient of
    // two, so a / b \cdot c multiplies the quotient.
    node product() {
        node result = powerOf();
        if (!result) return nullptr;
        bool extendable = false;
        for (;;) {
            const bool times = acceptAny({"\\cdot", "\\times", "*"}) || operandAhead();
            if (!times && !acceptAny({"/", "\\div"})) break;
            node right = powerOf();
            if (!right) return nullptr;
            if (times && extendable) {
                link(*static_cast<container*>(result.get()), right);
                continue;
            }
            if (times)
                result = group(new multiplication(), std::move(result), std::move(right));
            else
                result = group(new quocient(), std::move(result), std::move(right));
            extendable = times;
        }
        return result;
    }

    bool operandAhead() {
        skipSpaces();
        if (pos_ >= text_.size()) return false;
        const char c = text_[pos_];
        if (isDigit(c) || isLetter(c) || c == '{' || c == '(' || c == '[' || c == '?') return true;
        for (std::string_view s : kOperandCommands)
            if (commandAt(s)) return true;
        return false;
    }

    node powerOf() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        node base = atom();
        if (!base || !accept("^")) return base;
        node exponent = script();
        return exponent ? group(new power(), std::move(base), std::move(exponent)) : nullptr;
    }

    // The argument of ^, _ and \frac: a group in braces or one token (x^2,
    // \frac12).
    node script() {
        skipSpaces();
        if (accept("{")) return enclosed("}");
        if (pos_ < text_.size() && isDigit(text_[pos_])) {
            ++pos_;
            return leaf(new nominal(text_.data() + pos_ - 1, 1));
        }
        if (pos_ < text_.size() && isLetter(text_[pos_])) {
            ++pos_;
            return leaf(new literal(text_.data() + pos_ - 1, 1));
        }
        if (pos_ < text_.size() && text_[pos_] == '\\') return atom();
        return expected("'{' or a digit, letter or command");
    }

    // --- atoms ----------------------------------------------------------------------------------------

    node atom() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        skipSpaces();
        if (pos_ >= text_.size()) return expected("operand");
        const char c = text_[pos_];
        if (isDigit(c)) return number();
        if (isLetter(c)) {
            ++pos_;
            return named(std::string(1, c));
        }
        if (accept("{")) return enclosed("}");
        if (accept("(")) return parenthesized(")");
        if (accept("\\left(")) return parenthesized("\\right)");
        if (accept("[")) return listOf(new list(), "]");
        if (accept("\\left[")) return listOf(new list(), "\\right]");
        if (accept("\\{")) return listOf(new enumSet(), "\\}");
        if (accept("\\left\\{")) return listOf(new enumSet(), "\\right\\}");
        if (accept("?")) return leaf(new preference("?"));
        if (accept("\\infty")) return leaf(new infinit(true));
        if (minusInfinityAhead()) {
            accept("-");
            accept("\\infty");
            return leaf(new infinit(false));
        }
        if (acceptAny({"\\frac", "\\dfrac", "\\tfrac", "\\cfrac"})) return fraction();
        if (accept("\\sqrt")) return root();
        if (accept("\\log")) return logarithm();
        for (const spelling& t : kTrig)
            if (accept(t.text)) {
                node arg = atom();
                return arg ? group(static_cast<container*>(t.make()), std::move(arg)) : nullptr;
            }
        if (accept("\\begin")) return accept("{gathered}") ? gatheredBlock() : alignedBlock();
        return namedCommand();
    }

    node parenthesized(std::string_view closing) {
        node inside = enclosed(closing);
        return inside ? group(new parentesis(), std::move(inside)) : nullptr;
    }

    node enclosed(std::string_view closing) {
        node inside = line();
        if (!inside || !expect(closing)) return nullptr;
        return inside;
    }

    node number() {
        const size_t from = pos_;
        while (pos_ < text_.size() && (isDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        return leaf(new nominal(text_.data() + from, int(pos_ - from)));
    }

    // A name; right before a parenthesis, the name of a user function.
    node named(const std::string& name) {
        if (startsWith("(")) {
            ++pos_;
            return userFunction(name, ")");
        }
        if (startsWith("\\left(")) {
            pos_ += 6;
            return userFunction(name, "\\right)");
        }
        return leaf(new literal(name.data(), int(name.size())));
    }

    node userFunction(const std::string& name, std::string_view closing) {
        std::unique_ptr<container> fn(new userFunc(name.data(), int(name.size())));
        node args = listOf(new argument(), closing);
        if (!args) return nullptr;
        link(*fn, args);
        return node(fn.release());
    }

    // \mathit{name}, \text{name}, \operatorname{name}; \mathrm{True} and
    // \mathrm{False} are the truth values.
    node namedCommand() {
        const bool upright = acceptAny({"\\mathrm", "\\text", "\\operatorname"});
        if (!upright && !acceptAny({"\\mathit", "\\textit", "\\mathnormal"})) return expected("operand");
        std::string name;
        if (!bracedName(name)) return nullptr;
        if (upright && (name == "True" || name == "False")) return leaf(new booleano(name == "True"));
        return named(name);
    }

    // The text of {…} as Windows-1252 bytes, with TeX's escapes undone.
    bool bracedName(std::string& out) {
        if (!expect("{")) return false;
        const size_t from = pos_;
        static const std::pair<std::string_view, char> kEscapes[] = {
            {"\\textbackslash{}", '\\'}, {"\\textasciicircum{}", '^'}, {"\\textasciitilde{}", '~'},
            {"\\{", '{'}, {"\\}", '}'}, {"\\$", '$'}, {"\\&", '&'}, {"\\#", '#'}, {"\\%", '%'},
            {"\\_", '_'}, {"\\ ", ' '},
        };
        while (pos_ < text_.size() && text_[pos_] != '}') {
            bool escaped = false;
            for (auto [spelled, c] : kEscapes)
                if (startsWith(spelled)) {
                    out += c;
                    pos_ += spelled.size();
                    escaped = true;
                    break;
                }
            if (escaped || controlCharacter(out)) continue;
            const char c = text_[pos_];
            if (c == '\\' || c == '{' || c == '$' || c == '&' || c == '#' || c == '%' || c == '_' || c == '^' ||
                c == '~') {
                fail("a plain name expected, found '" + std::string(1, c) + "'");
                return false;
            }
            char32_t cp = 0;
            const int length = utf8Sequence(text_.data() + pos_, text_.size() - pos_, cp);
            const int byte = length > 0 ? (cp < 0x80 ? int(cp) : unicodeToCp1252(cp)) : -1;
            if (byte < 0 || byte == 0) {
                fail("a character of Windows-1252 expected");
                return false;
            }
            out += char(byte);
            pos_ += size_t(length);
        }
        if (!expect("}")) return false;
        if (out.empty()) {
            pos_ = from;
            fail("a name expected");
            return false;
        }
        return true;
    }

    // \charN{} for a control character, the way the writer spells one.
    bool controlCharacter(std::string& out) {
        if (!startsWith("\\char")) return false;
        size_t at = pos_ + 5;
        int code = 0;
        while (at < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at])) && code < 1000)
            code = code * 10 + (text_[at++] - '0');
        if (at == pos_ + 5 || code == 0 || (code >= 0x20 && code != 0x7f) || text_.substr(at, 2) != "{}")
            return false;
        out += char(code);
        pos_ = at + 2;
        return true;
    }

    node fraction() {
        node numerator = script();
        if (!numerator) return nullptr;
        node denominator = script();
        if (!denominator) return nullptr;
        return group(new quocient(), std::move(numerator), std::move(denominator));
    }

    // \sqrt{x} or \sqrt[n]{x}: the index first.
    node root() {
        node index;
        if (accept("[")) {
            index = enclosed("]");
            if (!index) return nullptr;
        }
        node radicand = script();
        if (!radicand) return nullptr;
        return group(new radical(), std::move(index), std::move(radicand));
    }

    // \log x, or \log_{b} x with the base first.
    node logarithm() {
        auto made = std::make_unique<logaritm>();
        if (accept("_")) {
            node base = script();
            if (!base) return nullptr;
            link(*made, base);
        }
        node arg = powerOf();
        if (!arg) return nullptr;
        link(*made, arg);
        return node(made.release());
    }

    // \begin{aligned} … \end{aligned}: a chain of steps whose rows and
    // alignment marks only lay it out.
    node alignedBlock() {
        if (!expect("{aligned}")) return nullptr;
        ++aligned_;
        node inside = line();
        --aligned_;
        if (!inside) return nullptr;
        if (!expect("\\end") || !expect("{aligned}")) return nullptr;
        return inside;
    }

    // \begin{gathered} … \end{gathered}: lines under one another, one page
    // of them; a \\ inside ends a line even within an aligned block.
    node gatheredBlock() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        const int outerAligned = aligned_;
        aligned_ = 0;
        std::unique_ptr<container> made(new page(1, false));
        do {
            node row = line();
            if (!row) return nullptr;
            link(*made, row);
        } while (accept("\\\\"));
        aligned_ = outerAligned;
        if (!expect("\\end") || !expect("{gathered}")) return nullptr;
        return node(made.release());
    }

    // Members separated by commas; the opening bracket has been read.
    node listOf(container* made, std::string_view closing) {
        std::unique_ptr<container> owner(made);
        if (accept(closing)) return node(owner.release());
        do {
            node m = line();
            if (!m) return nullptr;
            link(*owner, m);
        } while (accept(","));
        if (!expect(closing)) return nullptr;
        return node(owner.release());
    }

    std::string_view text_;
    size_t pos_ = 0;
    int depth_ = 0;
    int aligned_ = 0;
    bool failed_ = false;
    size_t failedAt_ = 0;
    std::string reason_;
};

}  // namespace

latexReading readLatex(std::string_view text) {
    latexReading out = reader(text).read();
    if (!out.tree && out.reason.empty()) {
        out.line = 1;
        out.column = 1;
        out.reason = "nothing to read";
    }
    return out;
}

}  // namespace tovimat
