// Typing into a document the way the view delivers input: the key-down goes
// to the node holding the caret, and the character follows only when the key
// was passed on. Each case checks the tree dump.
#include <gtest/gtest.h>

#include <string>

#include "model/document.h"
#include "model/dump.h"
#include "platform/vkeys.h"
#include "test_host.h"
#include "tree_checks.h"

namespace tovimat {
namespace {

using testing::TestHost;

class Typing : public ::testing::Test {
protected:
    // A new item at (10, 10): an empty name holding the caret.
    void newItem() {
        auto* item = new literal("");
        item->moveTo(10, 10);
        container* base = host.getBase();
        base->entre(item, base->last(), base->tail());
        item->update();
        item->focusLeft();
    }

    void key(int vk, int ch = -1) {
        nucleo* f = host.focused();
        ASSERT_NE(f, nullptr) << "no node holds the caret";
        bool passed = f->putKey(vk);
        if (passed && ch >= 0)
            if (nucleo* now = host.focused()) now->putChar(ch);
    }

    void type(const std::string& text) {
        for (unsigned char c : text) {
            if (c == '\r')
                key(VK_RETURN, 13);
            else
                key(keyForChar(c).vk, c);
        }
    }

    std::string dump() { return dumpTree(*host.getBase()); }

    TestHost host;
    MessageRecorder messages;
};

TEST_F(Typing, DigitThenLetterMakesAnImplicitProduct) {
    newItem();
    type("2x");
    EXPECT_EQ(dump(),
              "container\n"
              "  multiplication\n"
              "    nominal \"2\"\n"
              "    literal \"x\" <caret 1>\n");
}

TEST_F(Typing, PlusBetweenNamesMakesASum) {
    newItem();
    type("a+b");
    EXPECT_EQ(dump(),
              "container\n"
              "  sum\n"
              "    literal \"a\"\n"
              "    literal \"b\" <caret 1>\n");
}

TEST_F(Typing, PlusAfterAProductLiftsItIntoASum) {
    newItem();
    type("a*b+");
    EXPECT_EQ(dump(),
              "container\n"
              "  sum\n"
              "    multiplication\n"
              "      literal \"a\"\n"
              "      literal \"b\"\n"
              "    field \"\" <caret 0>\n");
}

TEST_F(Typing, PlusInsideATermAddsATermToTheSameSum) {
    newItem();
    type("a+bc");
    key(VK_LEFT);
    type("+");
    EXPECT_EQ(dump(),
              "container\n"
              "  sum\n"
              "    literal \"a\"\n"
              "    literal \"b\"\n"
              "    literal \"c\" <caret 0>\n");
}

TEST_F(Typing, MinusBetweenTermsMakesANegatedTerm) {
    newItem();
    type("a-b");
    EXPECT_EQ(dump(),
              "container\n"
              "  sum\n"
              "    literal \"a\"\n"
              "    negation\n"
              "      literal \"b\" <caret 1>\n");
}

TEST_F(Typing, EqualsAfterANameStartsASimplification) {
    newItem();
    type("x=");
    EXPECT_EQ(dump(),
              "container\n"
              "  simplification\n"
              "    literal \"x\"\n"
              "    equal\n"
              "      field \"\" <caret 0>\n");
}

TEST_F(Typing, LessBeforeTheEqualsSignMakesLessOrEqual) {
    newItem();
    type("x=3");
    key(VK_LEFT);  // to the start of 3
    key(VK_LEFT);  // before the "=" relation
    type("<");
    EXPECT_EQ(dump(),
              "container\n"
              "  simplification\n"
              "    literal \"x\"\n"
              "    lessOrEqual\n"
              "      nominal \"3\" <caret 0>\n");
}

TEST_F(Typing, GreaterAfterEqualsMakesAnImplication) {
    newItem();
    type("x=>y");
    EXPECT_EQ(dump(),
              "container\n"
              "  resolution\n"
              "    literal \"x\"\n"
              "    implication\n"
              "      literal \"y\" <caret 1>\n");
}

TEST_F(Typing, FunctionNameThenSpaceMakesTheFunction) {
    newItem();
    type("sin x");
    EXPECT_EQ(dump(),
              "container\n"
              "  algSin\n"
              "    literal \"x\" <caret 1>\n");
}

TEST_F(Typing, CapitalisedNameIsNotAFunction) {
    newItem();
    type("Sin ");
    EXPECT_EQ(dump(),
              "container\n"
              "  literal \"Sin \" <caret 4>\n");
}

TEST_F(Typing, NameThenParenthesisMakesAUserFunction) {
    newItem();
    type("f(x");
    EXPECT_EQ(dump(),
              "container\n"
              "  userFunc \"f\"\n"
              "    argument\n"
              "      literal \"x\" <caret 1>\n");
}

// The exponent arrives empty after the "e" and the digit typed into it
// makes it a number.
TEST_F(Typing, ScientificNotationBecomesAPowerOfTen) {
    newItem();
    type("3e5");
    EXPECT_EQ(dump(),
              "container\n"
              "  multiplication\n"
              "    nominal \"3\"\n"
              "    power\n"
              "      nominal \"10\"\n"
              "      nominal \"5\" <caret 1>\n");
}

TEST_F(Typing, ConstantsAreRecognisedWhateverTheirCase) {
    newItem();
    type("tRUE");
    // Letting the caret go validates the text, and the caret goes.
    host.focused()->focusOut();
    EXPECT_EQ(dump(),
              "container\n"
              "  booleano \"True\"\n");
}

TEST_F(Typing, ParenthesesAroundASumInAProduct) {
    newItem();
    type("2*(a+b");
    EXPECT_EQ(dump(),
              "container\n"
              "  multiplication\n"
              "    nominal \"2\"\n"
              "    parentesis\n"
              "      sum\n"
              "        literal \"a\"\n"
              "        literal \"b\" <caret 1>\n");
}

TEST_F(Typing, StarAfterASumWrapsItInParentheses) {
    newItem();
    type("a+b");
    key(VK_RIGHT);  // leave b: after the sum
    key(VK_RIGHT);
    type("*");
    EXPECT_EQ(dump(),
              "container\n"
              "  multiplication\n"
              "    parentesis\n"
              "      sum\n"
              "        literal \"a\"\n"
              "        literal \"b\"\n"
              "    field \"\" <caret 0>\n");
}

TEST_F(Typing, BackspaceAfterTheLastDigitEmptiesTheNumberIntoASlot) {
    newItem();
    type("7");
    key(VK_BACK, 8);
    EXPECT_EQ(dump(),
              "container\n"
              "  field \"\" <caret 0>\n");
}

TEST_F(Typing, KeysInAFixedTextBeepAndChangeNothing) {
    newItem();
    type("true");
    host.focused()->focusOut();
    host.getBase()->first()->focusRight();
    messages.clear();
    type("x");
    EXPECT_EQ(messages.beeps(), 1);
}

TEST_F(Typing, CarriageReturnSplitsTheLine) {
    TestHost pageHost(new page(1, false));
    auto* item = new literal("");
    container* base = pageHost.getBase();
    base->entre(item, base->last(), base->tail());
    item->update();
    item->focusLeft();
    for (unsigned char c : std::string("ab")) {
        nucleo* f = pageHost.focused();
        if (f->putKey(keyForChar(c).vk)) pageHost.focused()->putChar(c);
    }
    pageHost.focused()->putKey(VK_LEFT);
    if (pageHost.focused()->putKey(VK_RETURN)) pageHost.focused()->putChar(13);
    EXPECT_EQ(dumpTree(*base),
              "page\n"
              "  literal \"a\"\n"
              "  literal \"b\" <caret 0>\n");
}

// --- layout after each keystroke -----------------------------------------------------------

// Typing lays out only what the keystroke changed; after every keystroke
// the tree must stand as a fresh layout of it would. The texts mix terms of
// different heights, signed terms, products, deletions in the middle and
// at the end, and moves of the caret.
TEST_F(Typing, EveryKeystrokeLeavesTheLayoutOfAFreshCopy) {
    const char* texts[] = {
        "1+2+3*4*5+x",
        "1+2/3+4-5+a^2+7",
        "a-b-c+d*e*f/g",
        "1+2+3+4+5\x08\x08\x08+6/7/8",
        "x*y*z+1/2/3+4",
        "((1+2)/(3+(4/5)))+6",
        "(((((a*b)))))",
    };
    for (const char* text : texts) {
        host.getBase()->flush();
        newItem();
        std::string typed;
        for (const char* c = text; *c; ++c) {
            typed += *c;
            if (*c == '\x08')
                key(VK_BACK, 8);
            else
                type(std::string(1, *c));
            ASSERT_EQ(testing::layoutProblems(*host.getBase()), "") << "after typing " << typed;
            // The caret follows its node to where the layout finally put it.
            if (nucleo* f = host.focused(); f && !f->isGroup()) {
                ASSERT_EQ(host.caretPos.y, f->top()) << "after typing " << typed;
            }
        }
        for (int left : {1, 2, 3}) {
            for (int i = 0; i < left; ++i) key(VK_LEFT);
            type("9");
            ASSERT_EQ(testing::layoutProblems(*host.getBase()), "") << "after " << typed << " and 9 inside";
            key(VK_BACK, 8);
            ASSERT_EQ(testing::layoutProblems(*host.getBase()), "") << "after " << typed << " and a deletion";
        }
    }
}

// Joining two lines of a page puts the longer text on one line: the joined
// text and the page around it are as wide as a fresh layout makes them,
// whichever key does the join.
TEST_F(Typing, JoiningLinesOfAPageLaysOutTheJoinedText) {
    for (int joinKey : {VK_BACK, VK_DELETE}) {
        host.getBase()->flush();
        newItem();
        type("y\ra");
        key(VK_LEFT);
        if (joinKey == VK_DELETE) {
            key(VK_UP);
            key(VK_END);
        }
        key(joinKey, joinKey == VK_BACK ? 8 : -1);
        EXPECT_EQ(testing::withoutMarks(dumpTree(*host.getBase())),
                  "container\n"
                  "  page\n"
                  "    literal \"ya\"\n")
            << "joined with key " << joinKey;
        EXPECT_EQ(testing::layoutProblems(*host.getBase()), "") << "joined with key " << joinKey;
    }
}

// Nesting has a bound that every walk over the tree can afford: typing an
// opening parenthesis at the deepest level is refused with the reason, and
// the document stays as it was.
TEST_F(Typing, NestingStopsAtItsBoundWithAMessage) {
    newItem();
    for (int i = 0; i < maxNestingDepth + 5 && host.focused(); ++i) type("(");
    int depth = 0;
    for (const nucleo* n = host.getBase(); n->isGroup() && static_cast<const container*>(n)->members() > 0;
         n = static_cast<const container*>(n)->first())
        ++depth;
    EXPECT_LE(depth, maxNestingDepth);
    EXPECT_GE(depth, maxNestingDepth - 1);
    EXPECT_NE(messages.log().find("at most 2000 levels"), std::string::npos) << messages.log();
    EXPECT_EQ(testing::chainProblems(*host.getBase(), &host), "");
}

}  // namespace
}  // namespace tovimat
