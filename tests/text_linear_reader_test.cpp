// Reading the linear form: what each text becomes, where malformed text is
// refused, and that the linear text of a typed tree reads back as that tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/linear_text.h"
#include "model/document.h"
#include "model/dump.h"
#include "platform/messages.h"
#include "random_editor.h"
#include "text/linear_reader.h"
#include "text/reader_support.h"

namespace tovimat {
namespace {

std::string readAsDump(const std::string& text) {
    linearReading r = readLinear(text);
    if (!r) return "error at " + std::to_string(r.column) + ": " + r.reason;
    return dumpTree(*r.tree);
}

TEST(LinearReader, OrdinaryPrecedenceAndLeftGrouping) {
    // 2 + 3 * 4
    EXPECT_EQ(readAsDump("2+3*4"),
              "sum\n  nominal \"2\"\n  multiplication\n    nominal \"3\"\n    nominal \"4\"\n");
    // 10 - 2 - 3: one sum with negated terms, as typing makes it.
    EXPECT_EQ(readAsDump("10 - 2 - 3"),
              "sum\n  nominal \"10\"\n  negation\n    nominal \"2\"\n  negation\n    nominal \"3\"\n");
    // 8 / 2 * 2 multiplies the quotient.
    EXPECT_EQ(readAsDump("8/2*2"),
              "multiplication\n  quocient\n    nominal \"8\"\n    nominal \"2\"\n  nominal \"2\"\n");
    EXPECT_EQ(readAsDump("a*b*c"), "multiplication\n  literal \"a\"\n  literal \"b\"\n  literal \"c\"\n");
    EXPECT_EQ(readAsDump("2*3^2"),
              "multiplication\n  nominal \"2\"\n  power\n    nominal \"3\"\n    nominal \"2\"\n");
    EXPECT_EQ(
        readAsDump("(1+2)*3"),
        "multiplication\n  parentesis\n    sum\n      nominal \"1\"\n      nominal \"2\"\n  nominal \"3\"\n");
    EXPECT_EQ(readAsDump("-a*b"), "negation\n  multiplication\n    literal \"a\"\n    literal \"b\"\n");
    EXPECT_EQ(readAsDump("a & b | c"),
              "logicOr\n  logicAnd\n    literal \"a\"\n    literal \"b\"\n  literal \"c\"\n");
    // The steps of a chain join whole equations, as the linear text of a
    // chain writes them ("<=" is not the start of "<=>").
    EXPECT_EQ(
        readAsDump("a = b <=> a <= c"),
        "resolution\n  simplification\n    literal \"a\"\n    equal\n      literal \"b\"\n"
        "  equivalence\n    simplification\n      literal \"a\"\n      lessOrEqual\n        literal \"c\"\n");
    EXPECT_EQ(readAsDump("p => q"), "resolution\n  literal \"p\"\n  implication\n    literal \"q\"\n");
}

// Comparisons bind more tightly than & and |, as the tree's priorities have
// it; the directive relations => and <=> more loosely; a set relation sits
// between the comparisons and the sums.
TEST(LinearReader, RelationsLogicAndSetsBindAsTheTreeDoes) {
    EXPECT_EQ(
        readAsDump("x = 7 & y"),
        "logicAnd\n  simplification\n    literal \"x\"\n    equal\n      nominal \"7\"\n  literal \"y\"\n");
    EXPECT_EQ(
        readAsDump("a | b => c"),
        "resolution\n  logicOr\n    literal \"a\"\n    literal \"b\"\n  implication\n    literal \"c\"\n");
    EXPECT_EQ(readAsDump("x <=> y = 1"),
              "resolution\n  literal \"x\"\n  equivalence\n    simplification\n"
              "      literal \"y\"\n      equal\n        nominal \"1\"\n");
    EXPECT_EQ(
        readAsDump("{1, 2} \u222a {2} = {1, 2}"),
        "simplification\n  junction\n    enumSet\n      nominal \"1\"\n      nominal \"2\"\n"
        "    enumSet\n      nominal \"2\"\n  equal\n    enumSet\n      nominal \"1\"\n      nominal \"2\"\n");
    EXPECT_EQ(readAsDump("x + 1 \u2208 S"),
              "belongs\n  sum\n    literal \"x\"\n    nominal \"1\"\n  literal \"S\"\n");
    EXPECT_EQ(readAsDump("A \u2229 B \u2229 C"), "error at 9: unexpected character U+2229");
}

// Where the linear text would write parentheses that the text read has not,
// the reading holds them, so that the text written reads back the same.
TEST(LinearReader, ParenthesesTheLinearTextWouldWriteAreRead) {
    const char* texts[] = {"a*b/c", "8/2*28/2*2", "8/2/2",   "2^3^4",
                           "2^-1",  "log x^2",    "-a - -b", "x = 7 & y != 2 | z >= 0"};
    for (const char* text : texts) {
        linearReading first = readLinear(text);
        ASSERT_TRUE(first) << text;
        const std::string written = velmor::linearText(*first.tree);
        linearReading again = readLinear(written);
        ASSERT_TRUE(again) << written;
        EXPECT_EQ(dumpTree(*again.tree), dumpTree(*first.tree)) << text << " written as " << written;
    }
    EXPECT_EQ(velmor::linearText(*readLinear("a*b/c").tree), "(a * b) / c");
    EXPECT_EQ(velmor::linearText(*readLinear("2^3^4").tree), "2^(3^4)");
}

TEST(LinearReader, NamesFunctionsAndBrackets) {
    EXPECT_EQ(readAsDump("sin (0) + 1"),
              "sum\n  algSin\n    parentesis\n      nominal \"0\"\n  nominal \"1\"\n");
    EXPECT_EQ(readAsDump("f(x, y)"), "userFunc \"f\"\n  argument\n    literal \"x\"\n    literal \"y\"\n");
    EXPECT_EQ(readAsDump("sqrt(x)"), "radical\n  literal \"x\"\n");
    EXPECT_EQ(readAsDump("root(3, x)"), "radical\n  nominal \"3\"\n  literal \"x\"\n");
    EXPECT_EQ(readAsDump("log_2 8"), "logaritm\n  nominal \"2\"\n  nominal \"8\"\n");
    EXPECT_EQ(readAsDump("[1, 2]"), "list\n  nominal \"1\"\n  nominal \"2\"\n");
    EXPECT_EQ(readAsDump("{a}"), "enumSet\n  literal \"a\"\n");
    EXPECT_EQ(readAsDump("True"), "booleano \"True\"\n");
    EXPECT_EQ(readAsDump("x >= 3"), "simplification\n  literal \"x\"\n  greatOrEqual\n    nominal \"3\"\n");
    EXPECT_EQ(readAsDump("\u2212\u221e"), "infinit \"-\\xa5\"\n");
    EXPECT_EQ(readAsDump("+\u221e"), readAsDump("\u221e"));
    EXPECT_EQ(readAsDump("1 + +\u221e"), "sum\n  nominal \"1\"\n  infinit \"+\\xa5\"\n");
}

TEST(LinearReader, MalformedTextNamesTheColumn) {
    EXPECT_EQ(readAsDump(""), "error at 1: operand expected");
    EXPECT_EQ(readAsDump("2*(3+"), "error at 6: operand expected");
    EXPECT_EQ(readAsDump("(1+2"), "error at 5: ')' expected");
    EXPECT_EQ(readAsDump("1 ++ 2"), "error at 4: operand expected");
    EXPECT_EQ(readAsDump("2x"), "error at 2: unexpected 'x'");
    EXPECT_EQ(readAsDump("a)"), "error at 2: unexpected ')'");
    // Characters outside printable ASCII are named by code point, or by byte
    // where the text is not UTF-8, so the reason stays one plain line.
    EXPECT_EQ(readAsDump("{1, 2} \u2261 [a, b]"), "error at 8: unexpected character U+2261");
    EXPECT_EQ(readAsDump("1 \xe2\x88"), "error at 3: unexpected byte 0xE2");
    EXPECT_EQ(readAsDump(std::string("1\0", 3)), "error at 2: unexpected byte 0x00");
    EXPECT_EQ(readAsDump("1\x07"), "error at 2: unexpected character U+0007");
    EXPECT_EQ(readAsDump(std::string(1000, '(') + "1").substr(0, 9), "error at ");
}

// Text that nests deeper than a document may is refused whole, without a
// message: no member is dropped to make it fit.
TEST(LinearReader, TextNestedTooDeeplyIsRefusedWhole) {
    MessageRecorder messages;
    for (const std::string& text : {std::string(2100, '-') + "True", std::string(2100, '-') + "x^2"}) {
        const linearReading r = readLinear(text);
        EXPECT_FALSE(r) << dumpTree(*r.tree).substr(0, 200);
        EXPECT_EQ(r.reason, "nested too deeply");
    }
    EXPECT_EQ(messages.boxes(), 0) << messages.log();
    // Nearly as deep as a document may be, where the reader's own recursion
    // allows it (less under AddressSanitizer).
    const size_t signs = size_t(std::min(maxNestingDepth - 10, maxReaderDepth / 3));
    const linearReading fits = readLinear(std::string(signs, '-') + "True");
    ASSERT_TRUE(fits) << fits.reason;
    EXPECT_EQ(velmor::linearText(*fits.tree), std::string(signs, '-') + "True");
}

TEST(LinearReader, AnyBytesAreReadOrRefusedWithoutHarm) {
    std::mt19937 rng(7);
    const std::string alphabet = "ab12.+-*/^&|()[]{},=<>!?_ \xe2\x88\x9e\xb1";
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (int n = int(rng() % 24); n > 0; --n) text += alphabet[rng() % alphabet.size()];
        linearReading r = readLinear(text);
        EXPECT_TRUE(r || (r.column >= 1 && r.column <= int(text.size()) + 1 && !r.reason.empty())) << text;
    }
}

// --- reading back what was typed ----------------------------------------------------------------------

bool isWord(std::string_view s) {
    if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

bool isNumber(std::string_view s) {
    if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
    return true;
}

// A tree with every place filled, made only of what the linear form names.
bool complete(const nucleo& n) {
    const std::string_view text(n.getText(), size_t(n.getLen()));
    switch (n.type()) {
        case typeId::nominal:
            return isNumber(text);
        case typeId::literal:
            return isWord(text) && text != "True" && text != "False" && text != "log" && text != "sqrt" &&
                   text != "root";
        case typeId::booleano:
            return true;
        case typeId::preference:
            return text == "?";
        default:
            break;
    }
    if (!n.isGroup()) return false;
    const auto& c = static_cast<const container&>(n);
    const int count = c.members();
    switch (n.type()) {
        case typeId::sum:
        case typeId::multiplication:
        case typeId::logicAnd:
        case typeId::logicOr:
            if (count < 2) return false;
            break;
        case typeId::quocient:
        case typeId::power:
            if (count != 2) return false;
            break;
        case typeId::negation:
        case typeId::parentesis:
        case typeId::algSin:
        case typeId::algCos:
        case typeId::algTan:
        case typeId::algCotan:
        case typeId::algASin:
        case typeId::algACos:
        case typeId::algATan:
            if (count != 1) return false;
            break;
        case typeId::argument:
            // Written as a parenthesis unless it follows a function's name.
            if (count < 1 || !c.parent() || !c.parent()->isFunc()) return false;
            break;
        case typeId::list:
        case typeId::enumSet:
            if (count < 1) return false;
            break;
        case typeId::userFunc:
            if (count != 1 || c.first()->type() != typeId::argument || !isWord(c.head()->view()))
                return false;
            break;
        default:
            return false;
    }
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next())
        if (!complete(*m)) return false;
    return true;
}

// The linear text puts a looser operand in parentheses whether or not the
// tree has a parenthesis node there, and the reader makes one for every pair:
// the tree read back is the tree written with a parenthesis node around each
// such operand. This is that tree's dump, the way the writer decides.
bool writerWraps(const nucleo& m, int priority, bool orEqual) {
    if (!m.isGroup()) return false;
    switch (m.type()) {
        case typeId::parentesis:
        case typeId::list:
        case typeId::enumSet:
        case typeId::argument:
        case typeId::userFunc:
            return false;
        default:
            return orEqual ? m.priority() <= priority : m.priority() < priority;
    }
}

void expectedDump(const nucleo& n, int depth, std::string& out) {
    const std::string self = dumpTree(n);
    out += std::string(size_t(depth) * 2, ' ') + testing::withoutCaret(self.substr(0, self.find('\n') + 1));
    if (!n.isGroup()) return;
    const auto& c = static_cast<const container&>(n);
    int priority = c.priority();
    bool orEqual = c.type() == typeId::quocient || c.type() == typeId::power;
    switch (c.type()) {
        case typeId::parentesis:
        case typeId::list:
        case typeId::enumSet:
        case typeId::argument:
        case typeId::userFunc:
        case typeId::radical:
            priority = 0;
            break;
        default:
            break;
    }
    bool first = true;
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next(), first = false) {
        int p = priority;
        const bool flattening = c.type() == typeId::sum || c.type() == typeId::multiplication ||
                                c.type() == typeId::logicAnd || c.type() == typeId::logicOr;
        bool eq = orEqual || !first || (flattening && m->type() == c.type());
        if (c.type() == typeId::logaritm) eq = m == c.first() && c.members() == 2;
        if (c.type() == typeId::sum && !first && m->type() == typeId::negation) {
            // a - b: the negated term is written as the sum's operand.
            out += std::string(size_t(depth + 1) * 2, ' ') + "negation\n";
            const nucleo* term = static_cast<const container*>(m)->first();
            if (writerWraps(*term, 14, false)) {
                out += std::string(size_t(depth + 2) * 2, ' ') + "parentesis\n";
                expectedDump(*term, depth + 3, out);
            } else {
                expectedDump(*term, depth + 2, out);
            }
            continue;
        }
        if (writerWraps(*m, p, eq)) {
            out += std::string(size_t(depth + 1) * 2, ' ') + "parentesis\n";
            expectedDump(*m, depth + 2, out);
        } else {
            expectedDump(*m, depth + 1, out);
        }
    }
}

std::string expectedDump(const nucleo& n) {
    std::string out;
    expectedDump(n, 0, out);
    return out;
}

// Every complete composite of the document, the lines and the pieces
// inside lines that are not complete themselves.
void completeGroups(nucleo* n, std::vector<const nucleo*>& out) {
    if (!n->isGroup()) return;
    // An argument list reads as one only after its function's name.
    if (complete(*n) && n->type() != typeId::argument) {
        out.push_back(n);
        return;
    }
    auto* c = static_cast<container*>(n);
    for (nucleo* m = c->first(); m && m->chained(); m = m->next()) completeGroups(m, out);
}

TEST(LinearReader, TypedTreesReadBackFromTheirLinearText) {
    const char* env = std::getenv("VELMOR_RANDOM_EDITS");
    const int steps = env ? std::max(1, std::atoi(env)) : 120;
    int compared = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        MessageRecorder quiet;
        testing::RandomEditor editor(new container("", "", ""));
        editor.newItem(10, 10);
        for (int i = 0; i < steps; ++i) {
            editor.step(rng());
            std::vector<const nucleo*> pieces;
            completeGroups(editor.host().getBase(), pieces);
            for (const nucleo* piece : pieces) {
                const std::string text = velmor::linearText(*piece);
                linearReading back = readLinear(text);
                ASSERT_TRUE(back) << "seed " << seed << ": \"" << text << "\" at " << back.column << ": "
                                  << back.reason;
                ASSERT_EQ(dumpTree(*back.tree), expectedDump(*piece))
                    << "seed " << seed << ": \"" << text << "\"";
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
    RecordProperty("compared", compared);
}

}  // namespace
}  // namespace tovimat
