#include "text/linear_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

#include "model/document.h"
#include "text/linear_syntax.h"
#include "text/reader_support.h"

namespace tovimat {

namespace {

using node = std::unique_ptr<nucleo>;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

template <typename Leaf>
node leaf(Leaf* made) {
    made->setChanged(false);
    return node(made);
}

// The depth of the deepest node below n, n itself at depth 1.
int treeDepth(const nucleo& n) {
    int deepest = 0;
    std::vector<std::pair<const nucleo*, int>> todo{{&n, 1}};
    while (!todo.empty()) {
        auto [at, depth] = todo.back();
        todo.pop_back();
        deepest = std::max(deepest, depth);
        if (!at->isGroup()) continue;
        const auto& c = static_cast<const container&>(*at);
        for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) todo.emplace_back(m, depth + 1);
    }
    return deepest;
}

struct relationOp {
    std::string_view text;
    nucleo* (*make)();
    // Joins statements into a directive (=> and <=>) rather than comparing.
    bool directive = false;
};

// Longest first, so that ">=" is not read as ">" and "=", nor "<=>" as "<=".
const relationOp kRelations[] = {
    {"<=>", [] { return static_cast<nucleo*>(new equivalence()); }, true},
    {"=>", [] { return static_cast<nucleo*>(new implication()); }, true},
    {">=", [] { return static_cast<nucleo*>(new greatOrEqual()); }},
    {"<=", [] { return static_cast<nucleo*>(new lessOrEqual()); }},
    {"!=", [] { return static_cast<nucleo*>(new notEqual()); }},
    {"=", [] { return static_cast<nucleo*>(new equal()); }},
    {">", [] { return static_cast<nucleo*>(new greater()); }},
    {"<", [] { return static_cast<nucleo*>(new lessThan()); }},
};

struct setOp {
    std::string_view text;
    container* (*make)();
};

// The set relations by the signs the linear text writer gives them.
const setOp kSetRelations[] = {
    {"\u2282", [] { return static_cast<container*>(new contains()); }},
    {"\u2283", [] { return static_cast<container*>(new contained()); }},
    {"\u2284", [] { return static_cast<container*>(new notContain()); }},
    {"\u2286", [] { return static_cast<container*>(new refers()); }},
    {"\u2287", [] { return static_cast<container*>(new refered()); }},
    {"\u2208", [] { return static_cast<container*>(new belongs()); }},
    {"\u2209", [] { return static_cast<container*>(new notBelong()); }},
    {"\u222a", [] { return static_cast<container*>(new junction()); }},
    {"\u2229", [] { return static_cast<container*>(new intersection()); }},
};

struct trigName {
    std::string_view name;
    container* (*make)();
};

const trigName kTrig[] = {
    {"sin", [] { return static_cast<container*>(new algSin()); }},
    {"cos", [] { return static_cast<container*>(new algCos()); }},
    {"tan", [] { return static_cast<container*>(new algTan()); }},
    {"cotan", [] { return static_cast<container*>(new algCotan()); }},
    {"asin", [] { return static_cast<container*>(new algASin()); }},
    {"acos", [] { return static_cast<container*>(new algACos()); }},
    {"atan", [] { return static_cast<container*>(new algATan()); }},
};

constexpr std::string_view kInfinity = "\u221e";
constexpr std::string_view kMinusInfinity = "\u2212\u221e";
// How the linear text writes positive infinity.
constexpr std::string_view kPlusInfinity = "+\u221e";
constexpr std::string_view kPlusMinus = "\u00b1";

class reader {
public:
    explicit reader(std::string_view text) : text_(text) {}

    linearReading read() {
        linearReading out;
        node tree = line();
        skipSpaces();
        if (tree && pos_ < text_.size()) fail("unexpected " + characterAt(pos_));
        // The parentheses the reading adds can nest the tree more deeply
        // than the text; no document holds more than this.
        if (tree && !failed_ && treeDepth(*tree) > maxNestingDepth) {
            pos_ = 0;
            fail("nested too deeply");
        }
        if (!failed_) {
            out.tree = std::move(tree);
            return out;
        }
        out.column = int(failedAt_) + 1;
        out.reason = reason_;
        return out;
    }

private:
    // --- the text ---------------------------------------------------------------------------

    void skipSpaces() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }

    bool ahead(std::string_view s) {
        skipSpaces();
        return text_.substr(pos_).starts_with(s);
    }

    bool accept(std::string_view s) {
        if (!ahead(s)) return false;
        pos_ += s.size();
        return true;
    }

    node fail(std::string why) {
        if (!failed_) {
            failed_ = true;
            failedAt_ = pos_;
            reason_ = std::move(why);
        }
        return nullptr;
    }

    // Appends m as the last member of c, without the insertion rules, in a
    // parenthesis node where the linear text of c would write parentheses
    // around it: so "a * b / c" reads as "(a * b) / c" and is written so.
    // False, with the reading failed, where c cannot take it.
    bool place(container& c, node& m) {
        if (writtenInParentheses(c, *m, c.members() == 0)) {
            m = group(new parentesis(), std::move(m));
            if (!m) return false;
        }
        if (const char* refused = linkRead(c, m)) {
            fail(refused);
            return false;
        }
        return true;
    }

    // Appends the members in order; null when one cannot be placed.
    node group(container* made, node a = nullptr, node b = nullptr) {
        std::unique_ptr<container> owner(made);
        for (node* m : {&a, &b})
            if (*m && !place(*owner, *m)) return nullptr;
        return node(owner.release());
    }

    // The character at `at` as a message shows it: printable ASCII quoted,
    // anything else by its code point (or its byte, when the text is not
    // UTF-8 there), so that a reason stays one plain line.
    std::string characterAt(size_t at) const {
        const auto c = static_cast<unsigned char>(text_[at]);
        if (c >= 0x20 && c < 0x7F) return "'" + std::string(1, char(c)) + "'";
        char buf[32];
        if (char32_t cp = codePointAt(at)) {
            std::snprintf(buf, sizeof buf, "character U+%04X", unsigned(cp));
        } else {
            std::snprintf(buf, sizeof buf, "byte 0x%02X", unsigned(c));
        }
        return buf;
    }

    // The code point of a well-formed UTF-8 sequence at `at`, or 0.
    char32_t codePointAt(size_t at) const {
        const auto lead = static_cast<unsigned char>(text_[at]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                           : lead >= 0xE0                ? 3
                           : lead >= 0xC2                ? 2
                                                         : 0;
        if (length == 0 || at + length > text_.size()) return 0;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text_[at + i]);
            if ((next & 0xC0) != 0x80) return 0;
            cp = (cp << 6) | (next & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
        return cp;
    }

    bool expect(std::string_view s) {
        if (accept(s)) return true;
        fail("'" + std::string(s) + "' expected");
        return false;
    }

    std::string_view word() {
        const size_t from = pos_;
        while (pos_ < text_.size() && (isLetter(text_[pos_]) || isDigit(text_[pos_]))) ++pos_;
        return text_.substr(from, pos_ - from);
    }

    // Counts the nesting of the rules that call themselves.
    struct deeper {
        explicit deeper(reader& r) : r(r) { ++r.depth_; }
        ~deeper() { --r.depth_; }
        bool tooDeep() const { return r.depth_ > maxReaderDepth; }
        reader& r;
    };

    // --- the rules, loosest first ---------------------------------------------------------------

    // a => b, a <=> b: the loosest relations join whole statements into a
    // directive, each relation with its right side.
    node line() { return relationChain(&reader::logicalOr, true); }

    // a = b, a < b, …: comparisons bind more tightly than & and |, so
    // "x = 1 & y = 2" is the conjunction of two comparisons.
    node comparison() { return relationChain(&reader::setRelation, false); }

    // The left side and each relation of the wanted kind with its right
    // side, in the container the first relation asks for.
    node relationChain(node (reader::*side)(), bool directives) {
        node left = (this->*side)();
        if (!left) return nullptr;
        std::unique_ptr<container> line;
        while (const relationOp* op = relationAhead(directives)) {
            pos_ += op->text.size();
            node right = (this->*side)();
            if (!right) return nullptr;
            auto* rel = cast<container>(op->make());
            node made = group(rel, std::move(right));
            if (!line) {
                line.reset(rel->conjugacao());
                place(*line, left);
            }
            place(*line, made);
        }
        return line ? node(line.release()) : std::move(left);
    }

    const relationOp* relationAhead(bool directives) {
        for (const relationOp& op : kRelations)
            if (ahead(op.text)) return op.directive == directives ? &op : nullptr;
        return nullptr;
    }

    // a ∪ b, x ∈ S, …: one set relation between two sums; a chain of them
    // needs parentheses, as the linear text writes it.
    node setRelation() {
        node left = additive();
        if (!left) return nullptr;
        for (const setOp& op : kSetRelations) {
            if (!accept(op.text)) continue;
            node right = additive();
            if (!right) return nullptr;
            return group(op.make(), std::move(left), std::move(right));
        }
        return left;
    }

    template <typename Group>
    node chain(node (reader::*operand)(), std::string_view op) {
        node first = (this->*operand)();
        if (!first || !ahead(op)) return first;
        auto made = std::make_unique<Group>();
        place(*made, first);
        while (accept(op)) {
            node next = (this->*operand)();
            if (!next) return nullptr;
            place(*made, next);
        }
        return node(made.release());
    }

    node logicalOr() { return chain<logicOr>(&reader::logicalAnd, "|"); }
    node logicalAnd() { return chain<logicAnd>(&reader::comparison, "&"); }

    // a - b is the sum of a and the negation of b.
    node additive() {
        node first = signedTerm();
        if (!first) return nullptr;
        std::unique_ptr<sum> made;
        for (;;) {
            const bool plus = ahead("+");
            if (!plus && !ahead("-")) break;
            ++pos_;
            node term = signedTerm();
            if (!term) return nullptr;
            if (!plus) term = group(new negation(), std::move(term));
            if (!made) {
                made = std::make_unique<sum>();
                place(*made, first);
            }
            place(*made, term);
        }
        return made ? node(made.release()) : std::move(first);
    }

    // -a * b is the negation of the product.
    node signedTerm() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        if (accept("-")) {
            node term = signedTerm();
            return term ? group(new negation(), std::move(term)) : nullptr;
        }
        if (accept(kPlusMinus)) {
            node term = signedTerm();
            return term ? group(new plusOrMinus(), std::move(term)) : nullptr;
        }
        return product();
    }

    // a * b * c is one product; a / b is a quotient of two, so a / b * c
    // multiplies the quotient.
    node product() {
        node result = powerOf();
        if (!result) return nullptr;
        bool extendable = false;
        for (;;) {
            const bool times = ahead("*");
            if (!times && !ahead("/")) break;
            ++pos_;
            node right = powerOf();
            if (!right) return nullptr;
            if (times && extendable) {
                place(*cast<container>(result.get()), right);
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

    node powerOf() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        node base = atom();
        if (!base || !accept("^")) return base;
        node exponent = ahead("-") || ahead(kPlusMinus) ? signedTerm() : powerOf();
        return exponent ? group(new power(), std::move(base), std::move(exponent)) : nullptr;
    }

    // --- atoms ----------------------------------------------------------------------------------------

    node atom() {
        deeper d(*this);
        if (d.tooDeep()) return fail("nested too deeply");
        skipSpaces();
        if (pos_ >= text_.size()) return fail("operand expected");
        const char c = text_[pos_];
        if (isDigit(c)) return number();
        if (isLetter(c)) return named();
        if (accept("(")) return enclosed(new parentesis(), ")");
        if (accept("[")) return listOf(new list(), "]");
        if (accept("{")) return listOf(new enumSet(), "}");
        if (accept("?")) return leaf(new preference("?"));
        if (accept(kInfinity) || accept(kPlusInfinity)) return leaf(new infinit(true));
        if (accept(kMinusInfinity)) return leaf(new infinit(false));
        return fail("operand expected");
    }

    node number() {
        const size_t from = pos_;
        while (pos_ < text_.size() && (isDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        return leaf(new nominal(text_.data() + from, int(pos_ - from)));
    }

    node named() {
        const size_t from = pos_;
        const std::string_view name = word();
        if (name == "True" || name == "False") return leaf(new booleano(name == "True"));
        for (const trigName& t : kTrig)
            if (name == t.name) return group(t.make(), atom());
        if (name == "sqrt" && ahead("(")) {
            std::unique_ptr<container> r(new radical());
            return arguments(std::move(r), 1);
        }
        if (name == "root" && ahead("(")) {
            std::unique_ptr<container> r(new radical());
            return arguments(std::move(r), 2);
        }
        if (name == "log") return logarithm();
        // A name right before "(" is a user function.
        if (pos_ < text_.size() && text_[pos_] == '(') {
            ++pos_;
            auto* fn = new userFunc(text_.data() + from, int(name.size()));
            node args = listOf(new argument(), ")");
            return args ? group(fn, std::move(args)) : (delete fn, nullptr);
        }
        return leaf(new literal(text_.data() + from, int(name.size())));
    }

    // log x, or log_b x with the base first.
    node logarithm() {
        auto made = std::make_unique<logaritm>();
        if (pos_ < text_.size() && text_[pos_] == '_') {
            ++pos_;
            node base = atom();
            if (!base) return nullptr;
            place(*made, base);
        }
        node arg = powerOf();
        if (!arg) return nullptr;
        place(*made, arg);
        return node(made.release());
    }

    // sqrt(x) and root(n, x): exactly `count` members, in parentheses.
    node arguments(std::unique_ptr<container> made, int count) {
        if (!expect("(")) return nullptr;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && !expect(",")) return nullptr;
            node m = line();
            if (!m) return nullptr;
            place(*made, m);
        }
        if (!expect(")")) return nullptr;
        return node(made.release());
    }

    node enclosed(container* made, std::string_view closing) {
        std::unique_ptr<container> owner(made);
        node inside = line();
        if (!inside || !expect(closing)) return nullptr;
        place(*owner, inside);
        return node(owner.release());
    }

    // Members separated by commas; the opening bracket has been read.
    node listOf(container* made, std::string_view closing) {
        std::unique_ptr<container> owner(made);
        if (accept(closing)) return node(owner.release());
        do {
            node m = line();
            if (!m) return nullptr;
            place(*owner, m);
        } while (accept(","));
        if (!expect(closing)) return nullptr;
        return node(owner.release());
    }

    std::string_view text_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool failed_ = false;
    size_t failedAt_ = 0;
    std::string reason_;
};

}  // namespace

linearReading readLinear(std::string_view text) {
    linearReading out = reader(text).read();
    if (!out.tree && out.reason.empty()) {
        out.column = 1;
        out.reason = "nothing to read";
    }
    return out;
}

}  // namespace tovimat
