// Rectangles, the behaviour every node shares, and the leaf classes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include "model/document.h"
#include "model/shared.h"
#include "platform/messages.h"
#include "test_host.h"

namespace tovimat {
namespace testing {
std::vector<std::string> said(const MessageRecorder& rec);  // model_chain_test.cpp
}

namespace {

using testing::said;

std::string textOf(const nucleo* n) { return std::string(n->getText(), size_t(n->getLen())); }

std::string faceOf(const nucleo* n) {
    LOGFONTA lf{};
    GetObjectA(n->getFont(), sizeof lf, &lf);
    return lf.lfFaceName;
}

// The smallest concrete node. nucleo itself is abstract, so this borrows a
// leaf's drawing and otherwise answers with nucleo's own defaults.
class bareNode : public literal {
public:
    bareNode() : literal("") {}
    int type() const override { return typeId::nucleo; }
    bool igualA(nucleo* x) override { return nucleo::igualA(x); }
    nucleo* copy() const override { return new bareNode(); }
    void setAscentTo(int a) { setAscent(a); }
};

// Answers the type id of comparison probes and records what it is compared with.
class equalityProbe : public bareNode {
public:
    explicit equalityProbe(bool answer_) : answer(answer_) {}
    int type() const override { return typeId::typeProbe; }
    bool igualA(nucleo* x) override {
        asked.push_back(x);
        return answer;
    }
    bool answer;
    std::vector<nucleo*> asked;
};

// --- rectangles ----------------------------------------------------------------------------

TEST(RectGeometry, ContainsTouchesIsEmptyAndOffset) {
    struct Case {
        aRect a, b;
        bool aContainsB, aTouchesB;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {0, 0, 10, 10}, true, false},    // same box: borders count, shared edges do not touch
        {{2, 2, 5, 5}, {0, 0, 10, 10}, false, true},      // inside
        {{0, 0, 10, 10}, {2, 2, 5, 5}, true, false},      // enclosing is not touching
        {{5, 5, 15, 15}, {0, 0, 10, 10}, false, true},    // overlapping corner
        {{10, 0, 20, 10}, {0, 0, 10, 10}, false, false},  // side by side
        {{2, 20, 5, 30}, {0, 0, 10, 10}, false, false},   // overlap on x only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a.left << ',' << c.a.top << ',' << c.a.right << ',' << c.a.bottom);
        EXPECT_EQ(c.a.contains(c.b), c.aContainsB);
        EXPECT_EQ(c.a.touches(c.b), c.aTouchesB);
    }
    EXPECT_TRUE(aRect(3, 4, 3, 4).isEmpty());
    EXPECT_FALSE(aRect(0, 0, 0, 5).isEmpty());  // no area, but not a single point

    aRect r(1, 2, 11, 22);
    r.OffsetRect(POINT{-3, 5});
    EXPECT_EQ(r, aRect(-2, 7, 8, 27));
}

// --- what every node does ----------------------------------------------------------------------

TEST(NodeBasics, AFreshNodeStandsAlone) {
    bareNode n;
    EXPECT_FALSE(n.chained());
    EXPECT_FALSE(n.atached());
    EXPECT_EQ(n.level(), 0);
    EXPECT_EQ(n.expression(), &n);
    EXPECT_EQ(n.getRoot(), nullptr);
    EXPECT_FALSE(n.getReadOnly());

    n.getRect() = aRect(0, 10, 30, 35);
    n.setAscentTo(18);
    EXPECT_EQ(n.getDescent(), 7);
}

//   outer
//   ├── mid
//   │   └── leaf
//   └── other
TEST(NodeBasics, ReadOnlySpreadsUpWhenSetAndDownWhenCleared) {
    container outer;
    auto* mid = new container();
    auto* leaf = new literal("x");
    auto* other = new literal("y");
    mid->linkLast(leaf);
    outer.linkLast(mid);
    outer.linkLast(other);

    leaf->setReadOnly(true);
    EXPECT_TRUE(mid->getReadOnly());
    EXPECT_TRUE(outer.getReadOnly());
    EXPECT_FALSE(other->getReadOnly()) << "siblings are not affected";

    leaf->setReadOnly(false);
    EXPECT_FALSE(leaf->getReadOnly());
    EXPECT_TRUE(mid->getReadOnly()) << "clearing does not spread upward";

    leaf->setReadOnly(true);
    other->setReadOnly(true);
    outer.setReadOnly(false);
    for (const nucleo* n : {static_cast<nucleo*>(&outer), static_cast<nucleo*>(mid), static_cast<nucleo*>(leaf),
                            static_cast<nucleo*>(other)})
        EXPECT_FALSE(n->getReadOnly()) << "a container clears everything below it";
}

//   line
//   ├── a
//   ├── g
//   │   ├── b
//   │   ├── e   (empty group)
//   │   └── h
//   │       └── c
//   └── d
struct DocumentOrder : ::testing::Test {
    // Linked as drawn: the insertion rules would merge nested plain containers.
    DocumentOrder() {
        h->linkLast(c);
        for (nucleo* n : {b, static_cast<nucleo*>(e), static_cast<nucleo*>(h)}) g->linkLast(n);
        for (nucleo* n : {a, static_cast<nucleo*>(g), d}) line.linkLast(n);
    }
    container line;
    nucleo* a = new literal("a");
    container* g = new container();
    nucleo* b = new literal("b");
    container* e = new container();
    container* h = new container();
    nucleo* c = new literal("c");
    nucleo* d = new literal("d");
};

TEST_F(DocumentOrder, SuccessorAndPredecessorVisitTheLeavesInReadingOrder) {
    const std::vector<nucleo*> leaves = {a, b, c, d};
    for (size_t i = 0; i < leaves.size(); ++i) {
        SCOPED_TRACE(textOf(leaves[i]));
        EXPECT_EQ(leaves[i]->successor(), i + 1 < leaves.size() ? leaves[i + 1] : nullptr);
        EXPECT_EQ(leaves[i]->predecessor(), i > 0 ? leaves[i - 1] : nullptr);
    }
    // From a group: the next leaf after it, the last leaf before it.
    EXPECT_EQ(g->successor(), d);
    EXPECT_EQ(g->predecessor(), a);
    EXPECT_EQ(e->successor(), c);
    EXPECT_EQ(e->predecessor(), b);
}

TEST_F(DocumentOrder, LevelAndExpressionFollowTheParents) {
    EXPECT_EQ(a->level(), 1);
    EXPECT_EQ(b->level(), 2);
    EXPECT_EQ(c->level(), 3);
    // The expression is the member of the top container the node lies in.
    EXPECT_EQ(c->expression(), g);
    EXPECT_EQ(g->expression(), g);
    EXPECT_EQ(d->expression(), d);
    EXPECT_EQ(line.expression(), &line);
}

TEST(NodeEquality, IdentityUnlessAProbeIsOnEitherSide) {
    bareNode a, b;
    EXPECT_TRUE(a == a);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    for (bool answer : {true, false}) {
        equalityProbe probe(answer);
        EXPECT_EQ(a == probe, answer);
        EXPECT_EQ(probe == a, answer);
        EXPECT_EQ(probe.asked, (std::vector<nucleo*>{&a, &a})) << "the probe is asked both times";
    }
}

// --- leaves ------------------------------------------------------------------------------------------

TEST(Leaves, EmptyAndZappedFieldsHoldNothing) {
    field empty("");
    EXPECT_EQ(empty.getLen(), 0);
    EXPECT_EQ(empty.getZoneSize(), 0);

    field f("hello");
    f.zap();
    EXPECT_EQ(f.getLen(), 0);
    EXPECT_EQ(f.getZoneSize(), 0);
    EXPECT_STREQ(f.getText(), "");

    // Refilled after a zap, then given part of its own text.
    f = "abcdef";
    f.setText(f.getText() + 2, 3);
    EXPECT_EQ(textOf(&f), "cde");
}

// Short texts live in the node and longer ones on the heap; the text and
// the zone sizes stay the same whichever side of the border an edit crosses.
TEST(Leaves, TextKeepsItsBytesAcrossTheInlineBorder) {
    field f("abcdefgh");
    EXPECT_EQ(f.getZoneSize(), 8);
    f.insert("XYZ", 3, 4);
    EXPECT_EQ(textOf(&f), "abcdXYZefgh");
    EXPECT_EQ(f.getZoneSize(), 11);
    f.setText(f.getText() + 1, 9);  // from its own heap zone
    EXPECT_EQ(textOf(&f), "bcdXYZefg");
    f.insert(f.getText(), 9, 0);  // its own text again, growing
    EXPECT_EQ(textOf(&f), "bcdXYZefgbcdXYZefg");

    field g("ab");
    g.insert(g.getText(), 2, 1);  // the inline text into itself
    EXPECT_EQ(textOf(&g), "aabb");
    const std::string longText(300, 'q');
    g = longText.c_str();
    EXPECT_EQ(textOf(&g), longText);
    g = "z";
    EXPECT_EQ(textOf(&g), "z");
    EXPECT_EQ(g.getZoneSize(), 300) << "the zone only grows by assignment";
    g.zap();
    EXPECT_EQ(g.getZoneSize(), 0);
    EXPECT_STREQ(g.getText(), "");
    g = "0123456789";
    EXPECT_EQ(textOf(&g), "0123456789");

    std::unique_ptr<nucleo> copy(g.copy());
    EXPECT_EQ(textOf(copy.get()), "0123456789");
}

TEST(Leaves, ChkTextIgnoresLetterCaseOnly) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"abc", "abc", true}, {"abc", "ABC", true},  {"aBc", "AbC", true}, {"abc", "abcd", false},
        {"abc", "ab", false}, {"abc", "abd", false}, {"", "", true},       {"\xE7", "\xC7", false},
    };
    for (const auto& [text, probe, same] : cases) EXPECT_EQ(field(text).chkText(probe), same) << text << " vs " << probe;
}

TEST(Leaves, NominalTextIsTheShortestThatReadsBack) {
    const std::pair<std::function<nucleo*()>, const char*> cases[] = {
        {[] { return nominal("2.50", 4).copy(); }, "2.5"},
        {[] { return new nominal("2.50", 4); }, "2.50"},  // typed text is kept as typed
        {[] { return new nominal(3.0); }, "3"},
        {[] { return new nominal(9.81); }, "9.81"},
        {[] { return new nominal(-1.0); }, "-1"},
    };
    for (const auto& [make, text] : cases) {
        std::unique_ptr<nucleo> n(make());
        EXPECT_EQ(textOf(n.get()), text);
        EXPECT_EQ(static_cast<nominal*>(n.get())->getValue(), std::strtod(text, nullptr)) << text;
    }
    const double awkward = 0.1 + 0.2;
    nominal n(awkward);
    EXPECT_EQ(nominal::parse(n.getText(), n.getLen()), awkward) << textOf(&n);
}

TEST(Leaves, NominalReadsTextLikeTheCLibrary) {
    for (const char* s : {"2.50", "  -3", "+4", ".5", "1e3", "12abc", "abc", "", "-", "--5", "+-5", "1e999", "-1e999"})
        EXPECT_EQ(nominal::parse(s, int(std::strlen(s))), std::strtod(s, nullptr)) << '"' << s << '"';
}

TEST(Leaves, OverlongNumberIsCutWithOneWarning) {
    MessageRecorder rec;
    const std::string digits = "1234567890123456789012345678901234567890";
    nominal n(digits.c_str(), int(digits.size()));
    EXPECT_EQ(textOf(&n), digits.substr(0, 34));
    EXPECT_EQ(said(rec), (std::vector<std::string>{"beep 0", "box 16 Warning: Number is to large. use cientific notation"}));

    rec.clear();
    nominal fits(digits.c_str(), 34);
    EXPECT_TRUE(said(rec).empty());
}

TEST(Leaves, FixedTexts) {
    EXPECT_EQ(textOf(std::unique_ptr<nucleo>(preference("x").copy()).get()), "?");

    infinit minus(false);
    EXPECT_EQ(textOf(&minus), std::string("\x2D\xA5", 2));
    EXPECT_EQ(faceOf(&minus), "SYMBOL");
    EXPECT_TRUE(minus.isStatic());
    std::unique_ptr<nucleo> plus(infinit(true).copy());
    EXPECT_EQ(textOf(plus.get()), std::string("\x2B\xA5", 2));
    EXPECT_EQ(faceOf(plus.get()), "SYMBOL");

    booleano yes(true);
    EXPECT_EQ(textOf(&yes), "True");
    EXPECT_TRUE(yes.isStatic());
    EXPECT_EQ(textOf(&shared::undefinedValue()), "Indefinido");
    EXPECT_EQ(textOf(std::unique_ptr<nucleo>(indeterminacao().copy()).get()), "Indetermina\xE7\xE3o");
}

TEST(Leaves, VariableCopiesAndRefersThroughItsValue) {
    variable bare("x", nullptr);
    std::unique_ptr<nucleo> bareCopy(bare.copy());
    EXPECT_EQ(textOf(bareCopy.get()), "x");
    EXPECT_EQ(static_cast<variable*>(bareCopy.get())->getValue(), nullptr);
    EXPECT_TRUE(bare.refers(&bare));

    auto* value = new nominal(2.0);
    variable bound("y", value);
    std::unique_ptr<nucleo> copy(bound.copy());
    const nucleo* copiedValue = static_cast<variable*>(copy.get())->getValue();
    ASSERT_NE(copiedValue, nullptr);
    EXPECT_NE(copiedValue, value);
    EXPECT_EQ(textOf(copiedValue), "2");

    literal stranger("y");
    EXPECT_TRUE(bound.refers(value));
    EXPECT_FALSE(bound.refers(&stranger));
    EXPECT_FALSE(bound.refers(&bound)) << "a bound variable answers for its value, not itself";
}

TEST(Leaves, CopyKeepsClassAndTextAndDropsEveryLink) {
    struct Case {
        std::function<nucleo*()> make;
        const std::type_info& copyClass;
    };
    const Case cases[] = {
        {[] { return new field("ab"); }, typeid(field)},
        {[] { return new literal("name"); }, typeid(literal)},
        {[] { return new extremo("("); }, typeid(literal)},  // a delimiter copies as plain text
        {[] { return new preference(); }, typeid(preference)},
        {[] { return new variable("v", new nominal(1.0)); }, typeid(variable)},
        {[] { return new nominal("7", 1); }, typeid(nominal)},
        {[] { return new booleano(false); }, typeid(booleano)},
        {[] { return new infinit(true); }, typeid(infinit)},
        {[] { return new indefinicao(); }, typeid(indefinicao)},
        {[] { return new indeterminacao(); }, typeid(indeterminacao)},
    };
    testing::TestHost host(new container());
    for (const Case& c : cases) {
        nucleo* original = c.make();
        SCOPED_TRACE(typeid(*original).name());
        // Linked as it is: the typing rules would turn some of these texts into other nodes.
        ASSERT_TRUE(host.getBase()->linkLast(original));
        std::unique_ptr<nucleo> copy(original->copy());
        EXPECT_EQ(typeid(*copy), c.copyClass);
        EXPECT_EQ(copy->type(), original->type());
        EXPECT_EQ(textOf(copy.get()), textOf(original));
        EXPECT_EQ(copy->getRoot(), nullptr);
        EXPECT_FALSE(copy->atached() || copy->previous() || copy->next());
    }
}

}  // namespace
}  // namespace tovimat
