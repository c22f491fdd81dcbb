// LaTeX out and in: what the writer makes of each kind of node, what the
// reader makes of written and hand-written LaTeX, where malformed text is
// refused, and that every complete tree the random session types reads back
// from its LaTeX as the same tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/dump.h"
#include "platform/messages.h"
#include "random_editor.h"
#include "text/latex_reader.h"
#include "text/latex_writer.h"
#include "text/linear_reader.h"

namespace tovimat {
namespace {

// The LaTeX of the tree the linear reader makes of `linear`.
std::string latexOfLinear(const std::string& linear) {
    linearReading r = readLinear(linear);
    if (!r) return "unreadable: " + r.reason;
    return latexOf(*r.tree);
}

std::string readAsDump(const std::string& text) {
    latexReading r = readLatex(text);
    if (!r) return "error at " + std::to_string(r.line) + ":" + std::to_string(r.column) + ": " + r.reason;
    return dumpTree(*r.tree);
}

TEST(LatexWriter, OperatorsAndStructures) {
    EXPECT_EQ(latexOfLinear("2 + 3 * 4"), "2 + 3 \\cdot 4");
    EXPECT_EQ(latexOfLinear("a - b + c"), "a - b + c");
    EXPECT_EQ(latexOfLinear("-a * b"), "-a \\cdot b");
    EXPECT_EQ(latexOfLinear("x^2 * y"), "x^{2} \\cdot y");
    EXPECT_EQ(latexOfLinear("sqrt(x) + root(3, y)"), "\\sqrt{x} + \\sqrt[3]{y}");
    EXPECT_EQ(latexOfLinear("log_2 8"), "\\log_{2} 8");
    EXPECT_EQ(latexOfLinear("sin (x) + cos y"), "\\sin \\left( x \\right) + \\cos y");
    EXPECT_EQ(latexOfLinear("atan x * cotan y"), "\\arctan x \\cdot \\cot y");
    EXPECT_EQ(latexOfLinear("f(x, y) + foo(z)"),
              "f\\left( x, y \\right) + \\operatorname{foo}\\left( z \\right)");
    EXPECT_EQ(latexOfLinear("ab * True * \u221e * \u2212\u221e"),
              "\\mathit{ab} \\cdot \\mathrm{True} \\cdot \\infty \\cdot -\\infty");
    EXPECT_EQ(latexOfLinear("[1, 2] + {a}"), "\\left[ 1, 2 \\right] + \\left\\{ a \\right\\}");
    EXPECT_EQ(latexOfLinear("a & b | c"), "a \\land b \\lor c");
    EXPECT_EQ(latexOfLinear("\u00b1x"), "\\pm x");
}

TEST(LatexWriter, ParenthesesOnlyWhereTheTreeHasThem) {
    // A fraction, a root and an exponent delimit their members themselves.
    EXPECT_EQ(latexOfLinear("(a + b) / (c - d)"),
              "\\frac{\\left( a + b \\right)}{\\left( c - d \\right)}");
    EXPECT_EQ(latexOfLinear("(a + b) * c"), "\\left( a + b \\right) \\cdot c");
    EXPECT_EQ(latexOfLinear("2^(x + 1)"), "2^{\\left( x + 1 \\right)}");

    //   multiplication          a sum as a factor with no parenthesis
    //     sum                   node: braces group it, draw nothing
    //       a, b
    //     c
    auto* product = new multiplication();
    std::unique_ptr<nucleo> owner(product);
    product->linkLast(new sum(*new literal("a"), *new literal("b")));
    product->linkLast(new literal("c"));
    EXPECT_EQ(latexOf(*product), "{a + b} \\cdot c");
    //   quocient[sum[a, b], c]: none needed at all.
    std::unique_ptr<nucleo> q(new quocient(*new sum(*new literal("a"), *new literal("b")), *new literal("c")));
    EXPECT_EQ(latexOf(*q), "\\frac{a + b}{c}");
    // Left grouping: a \cdot (b \cdot c) as a tree keeps its inner product.
    EXPECT_EQ(latexOfLinear("a * (b * c)"), "a \\cdot \\left( b \\cdot c \\right)");
    EXPECT_EQ(latexOfLinear("(x^2)^3"), "\\left( x^{2} \\right)^{3}");
    EXPECT_EQ(latexOfLinear("-(\u2212\u221e)"), "-\\left( -\\infty \\right)");
    EXPECT_EQ(latexOfLinear("-\u221e"), "-{\\infty}");
}

TEST(LatexWriter, RelationsAndChainsOfSteps) {
    EXPECT_EQ(latexOfLinear("x >= 3"), "x \\ge 3");
    EXPECT_EQ(latexOfLinear("a != b"), "a \\ne b");
    EXPECT_EQ(latexOfLinear("a = b = c"), "\\begin{aligned}\na &= b \\\\\n&= c\n\\end{aligned}");
    EXPECT_EQ(latexOfLinear("p <=> q => r"),
              "\\begin{aligned}\np &\\Leftrightarrow q \\\\\n&\\Rightarrow r\n\\end{aligned}");
}

TEST(LatexWriter, DocumentsAndOddNames) {
    container base("", "", "");
    auto* line = new literal("x");
    base.linkLast(line);
    base.linkLast(new literal("a_b%"));
    EXPECT_EQ(latexDocument(base),
              "\\documentclass{article}\n\\usepackage{amsmath}\n\\begin{document}\n"
              "\\[ x \\]\n\\[ \\text{a\\_b\\%} \\]\n\\end{document}\n");
    literal accented("\xe7\xe3o");
    EXPECT_EQ(latexOf(accented), "\\text{\xc3\xa7\xc3\xa3o}");
    EXPECT_EQ(readAsDump(latexOf(accented)), "literal \"\\xe7\\xe3o\"\n");
    EXPECT_EQ(readAsDump("\\text{a\\_b\\%}"), "literal \"a_b%\"\n");
    // Typed Enter keys inside a name: a raw line end would cut the text
    // (two make a paragraph, which TeX refuses inside a formula).
    literal lines("a\r\rb\x7f");
    EXPECT_EQ(latexOf(lines), "\\text{a\\char13{}\\char13{}b\\char127{}}");
    EXPECT_EQ(readAsDump(latexOf(lines)), "literal \"a\\x0d\\x0db\\x7f\"\n");
}

TEST(LatexReader, WhatTheWriterWritesReadsBackToTheSameText) {
    for (const char* text : {
             "2 + 3 \\cdot 4",
             "a - b + c",
             "-a \\cdot b",
             "x^{2} \\cdot y",
             "\\sqrt{x} + \\sqrt[3]{y}",
             "\\log_{2} 8",
             "\\sin \\left( x \\right) + \\cos y",
             "\\arctan x \\cdot \\cot y",
             "f\\left( x, y \\right) + \\operatorname{foo}\\left( z \\right)",
             "{a + b} \\cdot c",
             "\\frac{a + b}{c}",
             "\\mathit{ab} \\cdot \\mathrm{True} \\cdot \\infty \\cdot -\\infty",
             "\\left[ 1, 2 \\right] + \\left\\{ a \\right\\}",
             "a \\land b \\lor c",
             "\\pm x",
             "a \\pm b",
             "x \\ge 3",
             "\\begin{aligned}\na &= b \\\\\n&= c\n\\end{aligned}",
             "\\begin{aligned}\np &\\Leftrightarrow q \\\\\n&\\Rightarrow r\n\\end{aligned}",
             "\\begin{gathered}\na \\\\\nb = c\n\\end{gathered}",
             "\\begin{aligned}\n\\begin{gathered}\na \\\\\nb\n\\end{gathered} &= c \\\\\n&= "
             "d\n\\end{aligned}",
             "A \\cup B \\subseteq C",
             "x \\in A \\cap B",
             "x \\notin \\left\\{ 1, 2 \\right\\}",
             "A \\not\\subset B",
             "A \\cup B \\cup C",
             "A \\cup {B \\cup C}",
             "-{\\infty}",
             "a - -\\infty",
             "{-a}^{2}",
             "a = b \\land c",
             "a = {b \\land c}",
             "?",
             "\\log x",
             "{x^{2}}^{3}",
             "-{a + b}",
             "a \\cdot {b \\cdot c}",
             "\\frac{1}{2}^{x}",
             "{\\log_{2} x}^{2}",
             "\\sin {a + b}",
         }) {
        latexReading r = readLatex(text);
        ASSERT_TRUE(r) << text << ": " << r.column << ": " << r.reason;
        EXPECT_EQ(latexOf(*r.tree), text);
    }
}

TEST(LatexReader, HandWrittenVariants) {
    EXPECT_EQ(readAsDump("\\frac12"), "quocient\n  nominal \"1\"\n  nominal \"2\"\n");
    EXPECT_EQ(readAsDump("\\dfrac{a}{b}"), readAsDump("\\frac{a}{b}"));
    EXPECT_EQ(readAsDump("a \\times b"), "multiplication\n  literal \"a\"\n  literal \"b\"\n");
    EXPECT_EQ(readAsDump("2x"), "multiplication\n  nominal \"2\"\n  literal \"x\"\n");
    EXPECT_EQ(readAsDump("\\left( a + b \\right)"), readAsDump("(a+b)"));
    EXPECT_EQ(readAsDump("x^2"), "power\n  literal \"x\"\n  nominal \"2\"\n");
    // TeX takes one token as the exponent: x^10 is x^1 times 0.
    EXPECT_EQ(readAsDump("x^10"), "multiplication\n  power\n    literal \"x\"\n    nominal \"1\"\n  nominal \"0\"\n");
    EXPECT_EQ(readAsDump("$\\sqrt x$"), "radical\n  literal \"x\"\n");
    EXPECT_EQ(readAsDump("\\[ a \\leq b \\]"), "simplification\n  literal \"a\"\n  lessOrEqual\n    literal \"b\"\n");
    EXPECT_EQ(readAsDump("p \\implies q"), "resolution\n  literal \"p\"\n  implication\n    literal \"q\"\n");
    EXPECT_EQ(readAsDump("a\\,\\cdot\\quad b"), readAsDump("a \\cdot b"));
    EXPECT_EQ(readAsDump("\\neg a \\wedge b"),
              "logicAnd\n  negation\n    literal \"a\"\n  literal \"b\"\n");
    EXPECT_EQ(readAsDump("a/b"), "quocient\n  literal \"a\"\n  literal \"b\"\n");
    EXPECT_EQ(readAsDump("\\mathrm{False}"), "booleano \"False\"\n");
    EXPECT_EQ(readAsDump("\\{1\\}"), "enumSet\n  nominal \"1\"\n");
}

TEST(LatexReader, MalformedTextNamesThePlaceAndWhatWasExpected) {
    EXPECT_EQ(readAsDump(""), "error at 1:1: operand expected, found end of text");
    EXPECT_EQ(readAsDump("\\frac{1}"), "error at 1:9: '{' or a digit, letter or command expected, found end of text");
    EXPECT_EQ(readAsDump("\\left( a"), "error at 1:9: '\\right)' expected, found end of text");
    EXPECT_EQ(readAsDump("(a"), "error at 1:3: ')' expected, found end of text");
    EXPECT_EQ(readAsDump("a +"), "error at 1:4: operand expected, found end of text");
    EXPECT_EQ(readAsDump("\\alpha"), "error at 1:1: operand expected, found '\\alpha'");
    EXPECT_EQ(readAsDump("a)"), "error at 1:2: unexpected ')'");
    EXPECT_EQ(readAsDump("\\begin{aligned}\na &= b \\\\\n&= \n\\end{aligned}"),
              "error at 4:1: operand expected, found '\\end'");
    EXPECT_EQ(readAsDump("\\text{\xe2\x88\x9e}"), "error at 1:7: a character of Windows-1252 expected");
    EXPECT_EQ(readAsDump("$x"), "error at 1:3: '$' expected, found end of text");
    // A byte that would not print is named by its number.
    EXPECT_EQ(readAsDump("a \x7f"), "error at 1:3: unexpected byte 0x7F");
    EXPECT_EQ(readAsDump("\\sqrt\xc3\xa9"), "error at 1:6: '{' or a digit, letter or command expected, found byte 0xC3");
    EXPECT_EQ(readAsDump(std::string(100000, '{') + "1").substr(0, 9), "error at ");
}

// LaTeX that nests deeper than a document may is refused whole, without a
// message, rather than read with the part that does not fit left out.
TEST(LatexReader, TextNestedTooDeeplyIsRefusedWhole) {
    MessageRecorder messages;
    std::string exponents;
    for (int i = 0; i < 2100; ++i) exponents += "x^{";
    exponents += "2" + std::string(2100, '}');
    for (const std::string& text : {std::string(2100, '-') + "x", exponents}) {
        const std::string read = readAsDump(text);
        EXPECT_EQ(read.substr(0, 9), "error at ") << read.substr(0, 200);
        EXPECT_NE(read.find("nested too deeply"), std::string::npos) << read.substr(0, 200);
    }
    EXPECT_EQ(messages.boxes(), 0) << messages.log();
}

TEST(LatexReader, AnyBytesAreReadOrRefusedWithoutHarm) {
    std::mt19937 rng(11);
    const std::vector<std::string> alphabet = {"a", "1", "x", "+", "-", "^", "_", "{", "}", "(", ")", "[",
                                               "]", ",", "=", " ", "\\frac", "\\sqrt", "\\left(", "\\right)",
                                               "\\cdot", "\\sin", "\\log", "\\infty", "&", "\\\\", "\\{",
                                               "\\text{", "\\begin{aligned}", "\\end{aligned}", "\xe2"};
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (int n = int(rng() % 16); n > 0; --n) text += alphabet[rng() % alphabet.size()];
        latexReading r = readLatex(text);
        EXPECT_TRUE(r || (r.column >= 1 && r.line >= 1 && !r.reason.empty())) << text;
    }
}

// --- reading back what was typed ----------------------------------------------------------------------

bool isNumber(std::string_view s) {
    if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
    return true;
}

bool isDirective(const nucleo* n) {
    return n && (n->type() == typeId::simplification || n->type() == typeId::resolution);
}

bool isStep(int type) { return type >= typeId::equal && type <= typeId::equivalence && type != typeId::passEqual; }

// A tree with every place filled, made only of what the LaTeX form names.
bool complete(const nucleo& n) {
    const std::string_view text(n.getText(), size_t(n.getLen()));
    switch (n.type()) {
        case typeId::nominal:
            return isNumber(text);
        case typeId::literal:
            return !text.empty() && text.find('\0') == std::string_view::npos && !dynamic_cast<const variable*>(&n);
        case typeId::booleano:
        case typeId::infinit:
            return true;
        case typeId::preference:
            return text == "?";
        default:
            break;
    }
    if (!n.isGroup()) return false;
    const auto& c = static_cast<const container&>(n);
    const int count = c.members();
    const int type = n.type();
    if (isStep(type)) {
        if (count != 1 || !isDirective(c.parent()) || c.parent()->first() == &n) return false;
    } else {
        switch (type) {
            case typeId::sum:
            case typeId::multiplication:
            case typeId::logicAnd:
            case typeId::logicOr:
                if (count < 2) return false;
                break;
            case typeId::simplification:
            case typeId::resolution:
                if (count < 2 || isStep(c.first()->type())) return false;
                for (const nucleo* m = c.first()->next(); m && m->chained(); m = m->next())
                    if (!isStep(m->type())) return false;
                break;
            case typeId::quocient:
                if (count != 2 || dynamic_cast<const fracao*>(&n)) return false;
                break;
            case typeId::power:
            case typeId::contains:
            case typeId::contained:
            case typeId::notContain:
            case typeId::refers:
            case typeId::refered:
            case typeId::belongs:
            case typeId::notBelong:
            case typeId::junction:
            case typeId::intersection:
                if (count != 2) return false;
                break;
            case typeId::radical:
            case typeId::logaritm:
                if (count < 1 || count > 2) return false;
                break;
            case typeId::negation:
            case typeId::plusOrMinus:
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
                if (count < 1 || !c.parent() || c.parent()->type() != typeId::userFunc) return false;
                break;
            case typeId::list:
            case typeId::enumSet:
                if (count < 1) return false;
                break;
            case typeId::userFunc:
                if (count != 1 || c.first()->type() != typeId::argument || c.head()->getLen() == 0) return false;
                break;
            default:
                return false;
        }
    }
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next())
        if (!complete(*m)) return false;
    return true;
}

// Every complete composite of the document, the lines and the pieces
// inside lines that are not complete themselves.
void completeGroups(nucleo* n, std::vector<const nucleo*>& out) {
    if (!n->isGroup()) return;
    if (complete(*n) && n->type() != typeId::argument && !isStep(n->type())) {
        out.push_back(n);
        return;
    }
    auto* c = static_cast<container*>(n);
    for (nucleo* m = c->first(); m && m->chained(); m = m->next()) completeGroups(m, out);
}

TEST(LatexReader, TypedTreesReadBackFromTheirLatexAsTheSameTree) {
    const char* env = std::getenv("VELMOR_RANDOM_EDITS");
    const int steps = env ? std::max(1, std::atoi(env)) : 120;
    int compared = 0;
    int directives = 0;
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
                const std::string text = latexOf(*piece);
                latexReading back = readLatex(text);
                ASSERT_TRUE(back) << "seed " << seed << ": \"" << text << "\" at " << back.column << ": "
                                  << back.reason;
                ASSERT_EQ(dumpTree(*back.tree), testing::withoutCaret(dumpTree(*piece)))
                    << "seed " << seed << ": \"" << text << "\"";
                ++compared;
                directives += isDirective(piece);
            }
        }
    }
    EXPECT_GT(compared, 1000);
    EXPECT_GT(directives, 10);
    RecordProperty("compared", compared);
}

}  // namespace
}  // namespace tovimat
