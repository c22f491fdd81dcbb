// MathML out: the elements each kind of node becomes, and, for every
// document the random session types, output that is well-formed XML made
// only of MathML elements with the right number of arguments and balanced
// table rows.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/document.h"
#include "random_editor.h"
#include "text/latex_reader.h"
#include "text/mathml_writer.h"

namespace tovimat {
namespace {

// --- a small XML reader, enough to check the structure ------------------------------------------------

struct element {
    std::string name;
    std::vector<element> children;
    bool hasText = false;
};

class xmlReader {
public:
    explicit xmlReader(const std::string& s) : s_(s) {}

    // The root element, or an empty name with problem() set.
    element document() {
        if (s_.compare(0, 5, "<?xml") == 0) {
            const size_t end = s_.find("?>");
            if (end == std::string::npos) return fail("unterminated declaration");
            pos_ = end + 2;
        }
        skipSpace();
        element root = parse();
        skipSpace();
        if (problem_.empty() && pos_ != s_.size()) fail("text after the root element");
        return root;
    }

    const std::string& problem() const { return problem_; }

private:
    element fail(const std::string& why) {
        if (problem_.empty()) problem_ = why + " at byte " + std::to_string(pos_);
        return {};
    }

    void skipSpace() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }

    std::string name() {
        const size_t from = pos_;
        while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == ':')) ++pos_;
        return s_.substr(from, pos_ - from);
    }

    bool entity() {
        for (const char* e : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
            if (s_.compare(pos_, std::strlen(e), e) == 0) {
                pos_ += std::strlen(e);
                return true;
            }
        fail("unknown entity");
        return false;
    }

    element parse() {
        if (pos_ >= s_.size() || s_[pos_] != '<') return fail("element expected");
        ++pos_;
        element e;
        e.name = name();
        if (e.name.empty()) return fail("element name expected");
        for (;;) {
            skipSpace();
            if (pos_ >= s_.size()) return fail("unterminated start tag");
            if (s_[pos_] == '>') break;
            if (s_.compare(pos_, 2, "/>") == 0) {
                pos_ += 2;
                return e;
            }
            if (name().empty() || pos_ >= s_.size() || s_[pos_] != '=') return fail("attribute expected");
            ++pos_;
            if (pos_ >= s_.size() || s_[pos_] != '"') return fail("quoted value expected");
            const size_t end = s_.find('"', pos_ + 1);
            if (end == std::string::npos || s_.substr(pos_, end - pos_).find('<') != std::string::npos)
                return fail("bad attribute value");
            pos_ = end + 1;
        }
        ++pos_;
        for (;;) {
            if (pos_ >= s_.size()) return fail("</" + e.name + "> expected");
            if (s_.compare(pos_, 2, "</") == 0) {
                pos_ += 2;
                if (name() != e.name || pos_ >= s_.size() || s_[pos_] != '>') return fail("</" + e.name + "> expected");
                ++pos_;
                return e;
            }
            if (s_[pos_] == '<') {
                e.children.push_back(parse());
                if (!problem_.empty()) return {};
                continue;
            }
            if (s_[pos_] == '&') {
                if (!entity()) return {};
            } else {
                if (static_cast<unsigned char>(s_[pos_]) < 0x20 && s_[pos_] != '\n' && s_[pos_] != '\t')
                    return fail("control character");
                ++pos_;
            }
            e.hasText = true;
        }
    }

    const std::string& s_;
    size_t pos_ = 0;
    std::string problem_;
};

// The first way in which e is not presentation MathML as the writer must
// make it, or an empty string.
std::string mathmlProblem(const element& e) {
    static const std::set<std::string> kTokens = {"mi", "mn", "mo", "mtext"};
    static const std::set<std::string> kLayout = {"math", "mrow", "mfrac", "msqrt", "mroot",
                                                 "msup", "msub", "mtable", "mtr", "mtd"};
    const size_t n = e.children.size();
    if (kTokens.count(e.name)) return n == 0 ? "" : "<" + e.name + "> holds elements";
    if (!kLayout.count(e.name)) return "<" + e.name + "> is not a MathML element";
    if (e.hasText) return "text directly inside <" + e.name + ">";
    if ((e.name == "mfrac" || e.name == "msup" || e.name == "msub" || e.name == "mroot") && n != 2)
        return "<" + e.name + "> with " + std::to_string(n) + " arguments";
    if (e.name == "msqrt" && n == 0) return "empty <msqrt>";
    if (e.name == "mtable") {
        size_t cells = 0;
        for (const element& r : e.children) {
            if (r.name != "mtr") return "<" + r.name + "> in a table";
            for (const element& d : r.children)
                if (d.name != "mtd") return "<" + d.name + "> in a table row";
            if (cells != 0 && r.children.size() != cells) return "rows of different lengths";
            cells = r.children.size();
        }
    }
    for (const element& c : e.children) {
        if ((c.name == "mtr") != (e.name == "mtable")) return "<mtr> outside a table or a table without rows";
        if ((c.name == "mtd") != (e.name == "mtr")) return "<mtd> outside a row";
        if (std::string p = mathmlProblem(c); !p.empty()) return p;
    }
    return "";
}

std::string structureProblem(const std::string& xml) {
    xmlReader reader(xml);
    element root = reader.document();
    if (!reader.problem().empty()) return reader.problem();
    if (root.name != "math") return "the root is <" + root.name + ">";
    return mathmlProblem(root);
}

std::string mathmlOfLatex(const std::string& latex) {
    latexReading r = readLatex(latex);
    return r ? mathmlOf(*r.tree) : "unreadable: " + r.reason;
}

constexpr const char* kMath = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\" display=\"block\">";

TEST(MathmlWriter, ElementsOfEachKindOfNode) {
    EXPECT_EQ(mathmlOfLatex("x^{2} + 1"),
              std::string(kMath) + "<mrow><msup><mi>x</mi><mn>2</mn></msup><mo>+</mo><mn>1</mn></mrow></math>");
    EXPECT_EQ(mathmlOfLatex("\\frac{a}{b - c}"),
              std::string(kMath) +
                  "<mfrac><mi>a</mi><mrow><mi>b</mi><mo>\u2212</mo><mi>c</mi></mrow></mfrac></math>");
    EXPECT_EQ(mathmlOfLatex("\\sqrt[3]{x}"), std::string(kMath) + "<mroot><mi>x</mi><mn>3</mn></mroot></math>");
    EXPECT_EQ(mathmlOfLatex("\\sin \\left( x \\right)"),
              std::string(kMath) + "<mrow><mi>sin</mi><mo>\u2061</mo><mrow><mo>(</mo><mi>x</mi><mo>)</mo></mrow>"
                                   "</mrow></math>");
    EXPECT_EQ(mathmlOfLatex("a < b"),
              std::string(kMath) + "<mrow><mi>a</mi><mrow><mo>&lt;</mo><mi>b</mi></mrow></mrow></math>");
    // A chain of steps: a table of two columns aligned on the relations.
    const std::string chain = mathmlOfLatex("a = b = c");
    EXPECT_NE(chain.find("<mtable columnalign=\"right left\"><mtr><mtd><mi>a</mi></mtd><mtd>"), std::string::npos)
        << chain;
    EXPECT_EQ(structureProblem(chain), "");
}

TEST(MathmlWriter, StructureCheckCatchesBrokenOutput) {
    EXPECT_NE(structureProblem("<math><mrow></math>"), "");
    EXPECT_NE(structureProblem("<math><mfrac><mi>a</mi></mfrac></math>"), "");
    EXPECT_NE(structureProblem("<math><div/></math>"), "");
    EXPECT_NE(structureProblem("<math><mi>a & b</mi></math>"), "");
    EXPECT_NE(structureProblem("<math><mtable><mtr><mtd/></mtr><mtr></mtr></mtable></math>"), "");
    EXPECT_EQ(structureProblem("<math><mtable><mtr><mtd/></mtr></mtable></math>"), "");
}

TEST(MathmlWriter, NamesAreEscaped) {
    literal odd("a<b&\"c\x01");
    EXPECT_EQ(mathmlOf(odd), std::string(kMath) + "<mi>a&lt;b&amp;&quot;c</mi></math>");
    EXPECT_EQ(structureProblem(mathmlOf(odd)), "");
}

TEST(MathmlWriter, EveryTypedDocumentIsWellFormedMathml) {
    int checked = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        MessageRecorder quiet;
        testing::RandomEditor editor(new container("", "", ""));
        editor.newItem(10, 10);
        for (int i = 0; i < 120; ++i) {
            editor.step(rng());
            if (i % 4 != 3) continue;
            const std::string xml = mathmlDocument(*editor.host().getBase());
            ASSERT_EQ(structureProblem(xml), "") << "seed " << seed << ":\n" << xml;
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);
}

}  // namespace
}  // namespace tovimat
