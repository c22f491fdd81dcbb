#include "text/linear_reader.h"

#include <cctype>
#include <utility>

#include "model/document.h"

namespace tovimat {

namespace {

using node = std::unique_ptr<nucleo>;

// A bracket or an operator nests the text by one level of the tree and
// passes through at most three of the rules that call themselves; deeper
// text could not be placed in a document anyway. AddressSanitizer makes
// every frame several times larger, and a reader that nests as deep as a
// document may would overflow the stack before it could refuse the text.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kMaxDepth = 3 * maxNestingDepth / 5;
#else
constexpr int kMaxDepth = 3 * maxNestingDepth;
#endif

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

template <typename Leaf>
node leaf(Leaf* made) {
    made->setChanged(false);
    return node(made);
}

// Appends the members in order, as they are, without the insertion rules.
template <typename Group>
node group(Group* made, node a = nullptr, node b = nullptr) {
    std::unique_ptr<Group> owner(made);
    for (node* m : {&a, &b})
        if (*m && owner->linkLast(m->get())) m->release();
    return node(owner.release());
}

struct relationOp {
    std::string_view text;
    nucleo* (*make)();
};

// The steps of a chain: looser than the other relations, so that
// "a = b <=> a = c" is two equations in one chain.
const relationOp kSteps[] = {
    {"<=>", [] { return static_cast<nucleo*>(new equivalence()); }},
    {"=>", [] { return static_cast<nucleo*>(new implication()); }},
};

// Longest first, so that ">=" is not read as ">" and "=".
const relationOp kRelations[] = {
    {">=", [] { return static_cast<nucleo*>(new greatOrEqual()); }},
    {"<=", [] { return static_cast<nucleo*>(new lessOrEqual()); }},
    {"!=", [] { return static_cast<nucleo*>(new notEqual()); }},
    {"=", [] { return static_cast<nucleo*>(new equal()); }},
    {">", [] { return static_cast<nucleo*>(new greater()); }},
    {"<", [] { return static_cast<nucleo*>(new lessThan()); }},
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
constexpr std::string_view kPlusMinus = "\u00b1";

class reader {
public:
    explicit reader(std::string_view text) : text_(text) {}

    linearReading read() {
        linearReading out;
        node tree = line();
        skipSpaces();
        if (tree && pos_ < text_.size()) fail("unexpected '" + std::string(1, text_[pos_]) + "'");
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
        bool tooDeep() const { return r.depth_ > kMaxDepth; }
        reader& r;
    };

    // --- the rules, loosest first ---------------------------------------------------------------

    // a = b <=> a = c: equations joined by the steps of a chain.
    node line() { return directive(&reader::equation, &reader::stepAhead); }
    node equation() { return directive(&reader::logicalOr, &reader::relationAhead); }

    // a = b: the left side and each relation with its right side, in the
    // container the first relation asks for.
    node directive(node (reader::*side)(), const relationOp* (reader::*opAhead)()) {
        node left = (this->*side)();
        if (!left) return nullptr;
        std::unique_ptr<container> line;
        while (const relationOp* op = (this->*opAhead)()) {
            pos_ += op->text.size();
            node right = (this->*side)();
            if (!right) return nullptr;
            auto* rel = static_cast<container*>(op->make());
            node made = group(rel, std::move(right));
            if (!line) {
                line.reset(rel->conjugacao());
                if (line->linkLast(left.get())) left.release();
            }
            if (line->linkLast(made.get())) made.release();
        }
        return line ? node(line.release()) : std::move(left);
    }

    const relationOp* stepAhead() {
        for (const relationOp& op : kSteps)
            if (ahead(op.text)) return &op;
        return nullptr;
    }

    // "<=" and "=" begin the steps "<=>" and "=>", which end an equation.
    const relationOp* relationAhead() {
        if (stepAhead()) return nullptr;
        for (const relationOp& op : kRelations)
            if (ahead(op.text)) return &op;
        return nullptr;
    }

    template <typename Group>
    node chain(node (reader::*operand)(), std::string_view op) {
        node first = (this->*operand)();
        if (!first || !ahead(op)) return first;
        auto made = std::make_unique<Group>();
        if (made->linkLast(first.get())) first.release();
        while (accept(op)) {
            node next = (this->*operand)();
            if (!next) return nullptr;
            if (made->linkLast(next.get())) next.release();
        }
        return node(made.release());
    }

    node logicalOr() { return chain<logicOr>(&reader::logicalAnd, "|"); }
    node logicalAnd() { return chain<logicAnd>(&reader::additive, "&"); }

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
                if (made->linkLast(first.get())) first.release();
            }
            if (made->linkLast(term.get())) term.release();
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
                if (static_cast<container*>(result.get())->linkLast(right.get())) right.release();
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
        if (accept(kInfinity)) return leaf(new infinit(true));
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
            if (made->linkLast(base.get())) base.release();
        }
        node arg = powerOf();
        if (!arg) return nullptr;
        if (made->linkLast(arg.get())) arg.release();
        return node(made.release());
    }

    // sqrt(x) and root(n, x): exactly `count` members, in parentheses.
    node arguments(std::unique_ptr<container> made, int count) {
        if (!expect("(")) return nullptr;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && !expect(",")) return nullptr;
            node m = line();
            if (!m) return nullptr;
            if (made->linkLast(m.get())) m.release();
        }
        if (!expect(")")) return nullptr;
        return node(made.release());
    }

    node enclosed(container* made, std::string_view closing) {
        std::unique_ptr<container> owner(made);
        node inside = line();
        if (!inside || !expect(closing)) return nullptr;
        if (owner->linkLast(inside.get())) inside.release();
        return node(owner.release());
    }

    // Members separated by commas; the opening bracket has been read.
    node listOf(container* made, std::string_view closing) {
        std::unique_ptr<container> owner(made);
        if (accept(closing)) return node(owner.release());
        do {
            node m = line();
            if (!m) return nullptr;
            if (owner->linkLast(m.get())) m.release();
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
