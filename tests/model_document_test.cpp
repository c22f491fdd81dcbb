// The document root and what hangs off it: roots, selection, caret, moving
// boxes, the shared nodes, and fonts.
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
// model_chain_test.cpp
void expectChainSound(const container& c);
std::vector<std::string> said(const MessageRecorder& rec);
}  // namespace testing

namespace {

using testing::expectChainSound;
using testing::said;
using testing::TestHost;

std::string textOf(const nucleo* n) { return std::string(n->getText(), size_t(n->getLen())); }

LOGFONTA fontOf(const nucleo* n) {
    LOGFONTA lf{};
    GetObjectA(n->getFont(), sizeof lf, &lf);
    return lf;
}

HFONT makeFont(const char* face, LONG height) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

// Every node of a tree, delimiters and separators included.
void forEachNode(const nucleo* n, const std::function<void(const nucleo*)>& visit) {
    visit(n);
    if (!n->isGroup()) return;
    auto* c = static_cast<const container*>(n);
    visit(c->head());
    visit(c->separator());
    visit(c->tail());
    for (const nucleo* m = c->first(); m && m->chained(); m = m->next()) forEachNode(m, visit);
}

//   base
//   ├── a
//   ├── s (sum)
//   │   ├── b
//   │   └── c
//   └── g (list, empty)
struct Document : ::testing::Test {
    Document() {
        s->lput(*b);
        s->lput(*c);
        for (nucleo* n : {a, static_cast<nucleo*>(s), static_cast<nucleo*>(g)}) host.getBase()->lput(*n);
    }
    nucleo* a = new literal("abc");
    sum* s = new sum();
    nucleo* b = new literal("b");
    nucleo* c = new literal("c");
    list* g = new list();
    TestHost host{new container()};
};

// --- the root -----------------------------------------------------------------------------------------

TEST_F(Document, EveryNodeBelowTheBaseReportsToTheRoot) {
    int visited = 0;
    forEachNode(host.getBase(), [&](const nucleo* n) {
        ++visited;
        EXPECT_EQ(n->getRoot(), &host) << "node " << visited << " \"" << textOf(n) << '"';
    });
    EXPECT_EQ(visited, 15);
    EXPECT_TRUE(host.getBase()->getReadOnly());
    for (const nucleo* n : {a, static_cast<nucleo*>(s), b, c, static_cast<nucleo*>(g)}) EXPECT_FALSE(n->getReadOnly());
    expectChainSound(*host.getBase());

    // Linked nodes take the root, unlinked ones lose it.
    auto* moved = new sum(*new literal("x"), *new literal("y"));
    g->lput(*moved);
    forEachNode(moved, [&](const nucleo* n) { EXPECT_EQ(n->getRoot(), &host); });
    moved->detach();
    forEachNode(moved, [&](const nucleo* n) { EXPECT_EQ(n->getRoot(), nullptr); });
    delete moved;

    std::unique_ptr<container> base(host.releaseBase());
    EXPECT_EQ(host.getBase(), nullptr);
    forEachNode(base.get(), [&](const nucleo* n) { EXPECT_EQ(n->getRoot(), nullptr); });
}

TEST(DocumentLifetime, DeletingADocumentForgetsTheInteractionStateInsideIt) {
    auto* doomed = new TestHost(new container());
    auto* inside = new literal("in");
    doomed->getBase()->lput(*inside);
    TestHost survivor(new container());
    auto* outside = new literal("out");
    survivor.getBase()->lput(*outside);

    protocol::mouseOn = protocol::dropTarget = inside;
    delete doomed;
    EXPECT_EQ(protocol::mouseOn, nullptr) << "points into a deleted document";
    EXPECT_EQ(protocol::dropTarget, nullptr) << "points into a deleted document";

    protocol::mouseOn = protocol::dropTarget = outside;
    delete new TestHost(new container());
    EXPECT_EQ(protocol::mouseOn, outside) << "another document's node is left alone";
    EXPECT_EQ(protocol::dropTarget, outside);
    protocol::mouseOn = protocol::dropTarget = nullptr;
}

// --- selection ----------------------------------------------------------------------------------------------

std::vector<nucleo*> targets(const selection& sel) {
    std::vector<nucleo*> out;
    for (const selector& s : sel) out.push_back(s.getTarget());
    return out;
}

TEST(Selection, AddFindRemoveClearAndCount) {
    literal a("a"), b("b"), c("c"), d("d"), stranger("s");
    selection sel;
    EXPECT_TRUE(sel.empty());
    for (nucleo* n : {&a, &b, &c}) sel.add(n);
    EXPECT_EQ(sel.count(), 3);
    EXPECT_EQ(targets(sel), (std::vector<nucleo*>{&a, &b, &c}));
    ASSERT_NE(sel.find(&b), nullptr);
    EXPECT_TRUE(*sel.find(&b) == b);
    EXPECT_EQ(sel.find(&stranger), nullptr);

    EXPECT_TRUE(sel.remove(&b));  // a middle cell
    EXPECT_FALSE(sel.remove(&b));
    EXPECT_FALSE(sel.remove(&stranger));
    EXPECT_TRUE(sel.remove(&c));  // the last cell
    sel.add(&d);
    EXPECT_EQ(targets(sel), (std::vector<nucleo*>{&a, &d}));
    EXPECT_TRUE(sel.remove(&a));  // the first cell
    sel.add(&b);
    EXPECT_EQ(targets(sel), (std::vector<nucleo*>{&d, &b}));
    EXPECT_EQ(sel.count(), 2);

    sel.clear();
    EXPECT_TRUE(sel.empty());
    EXPECT_EQ(sel.count(), 0);
    sel.add(&c);
    EXPECT_EQ(targets(sel), std::vector<nucleo*>{&c});
}

TEST_F(Document, SelectorsKeepTheRectOfTheMomentTheyWereMade) {
    b->getRect() = aRect(1, 2, 3, 4);
    selector s(b);
    host.selected.add(b);
    b->getRect() = aRect(10, 20, 30, 40);
    EXPECT_EQ(s.getRect(), aRect(1, 2, 3, 4));
    EXPECT_EQ(host.selected.find(b)->getRect(), aRect(1, 2, 3, 4));
    s.slide(5, -1);
    EXPECT_EQ(s.getRect(), aRect(6, 1, 8, 3));

    EXPECT_TRUE(b->selected());
    EXPECT_FALSE(c->selected());
    EXPECT_FALSE(literal("x").selected()) << "a node without a root is never selected";
}

// --- caret ----------------------------------------------------------------------------------------------------

TEST_F(Document, FocusAtTakesTheCaretAndKillFocusGivesItBack) {
    a->getRect() = aRect(10, 20, 30, 45);
    a->focusAt(2, 7);
    EXPECT_EQ(host.focus, a);
    EXPECT_EQ(host.caretWidth, 3);
    EXPECT_EQ(host.caretHeight, 25);
    EXPECT_TRUE(host.caretShown);
    EXPECT_EQ(a->getIndex(), 2);
    EXPECT_EQ(host.caretPos.x, 17);
    EXPECT_EQ(host.caretPos.y, 20);

    // Moving within the focused node only moves the caret.
    host.caretHeight = 0;
    a->focusAt(0, 0);
    EXPECT_EQ(host.caretHeight, 0);
    EXPECT_EQ(host.caretPos.x, 10);

    // Another node takes the caret over; the host measures the offset.
    b->getRect() = aRect(40, 0, 48, 16);
    b->focusAt(1);  // 1 byte in the 16-unit stock font: 8 units
    EXPECT_EQ(host.focus, b);
    EXPECT_EQ(host.caretHeight, 16);
    EXPECT_EQ(host.index, 1);
    EXPECT_EQ(host.caretPos.x, 48);

    a->killFocus();  // not focused: nothing happens
    EXPECT_EQ(host.focus, b);
    b->killFocus();
    EXPECT_EQ(host.focus, nullptr);
    EXPECT_FALSE(host.caretShown);
}

TEST(DocumentFocus, WithoutARootComplainsAndDoesNothing) {
    MessageRecorder rec;
    literal loose("x");
    loose.killFocus();
    EXPECT_EQ(loose.getIndex(), 0);
    loose.focusAt(1);
    loose.focusAt(1, 5);
    EXPECT_EQ(said(rec), (std::vector<std::string>{"box 16 Debug: No root!...", "box 16 Debug: no root"}));
}

//   base
//   └── s (sum)
//       ├── b
//       └── c
TEST(DocumentFocus, DeletingTheFocusedNodeClearsTheHostsFocus) {
    const std::tuple<const char*, int, int> cases[] = {
        // what, focused, deleted (0: b, 1: c, 2: s)
        {"the focused leaf", 0, 0},
        {"the focused container", 2, 2},
        {"a container around the focused leaf", 1, 2},
    };
    for (const auto& [what, focused, deleted] : cases) {
        SCOPED_TRACE(what);
        TestHost host(new container());
        nucleo* b = new literal("b");
        nucleo* c = new literal("c");
        nucleo* s = new sum(*b, *c);
        host.getBase()->lput(*s);
        nucleo* nodes[] = {b, c, s};
        nodes[focused]->focusAt(0, 0);
        ASSERT_EQ(host.focus, nodes[focused]);
        delete nodes[deleted];
        EXPECT_EQ(host.focus, nullptr);
        EXPECT_FALSE(host.caretShown);
        expectChainSound(*host.getBase());
    }
}

//   base
//   └── pw (power)
//       ├── a   (has the caret)
//       └── b   <- deleted
TEST(DocumentFocus, TheOperandLeftInAnOperatorsPlaceKeepsTheCaret) {
    TestHost host(new container());
    auto* a = new literal("abc");
    auto* b = new literal("n");
    auto* pw = new power(a);
    pw->lput(*b);
    host.getBase()->lput(*pw);
    a->focusAt(2);
    ASSERT_EQ(host.focus, a);

    delete b;
    EXPECT_EQ(a->parent(), host.getBase());
    EXPECT_EQ(host.focus, a);
    EXPECT_EQ(host.index, 2);
    EXPECT_TRUE(host.caretShown);
    expectChainSound(*host.getBase());
}

// --- moving boxes -----------------------------------------------------------------------------------------------

TEST_F(Document, SlideMovesTheContainerAndItsMembers) {
    const std::tuple<int, int, bool, int> cases[] = {
        // dx, dy, invalidate, invalidations
        {5, 7, true, 1}, {-3, -4, true, 1}, {5, 0, true, 0}, {0, 7, true, 0}, {5, 7, false, 0},
    };
    const aRect sibling = a->getRect();
    for (const auto& [dx, dy, invalidate, invalidations] : cases) {
        SCOPED_TRACE(::testing::Message() << dx << ',' << dy << (invalidate ? " invalidating" : ""));
        s->getRect() = aRect(0, 0, 50, 20);
        s->head()->getRect() = aRect(0, 0, 0, 20);
        b->getRect() = aRect(0, 0, 20, 20);
        c->getRect() = aRect(30, 0, 50, 20);
        s->tail()->getRect() = aRect(50, 0, 50, 20);
        const int before = host.invalidations;

        s->slide(dx, dy, invalidate);

        EXPECT_EQ(host.invalidations - before, invalidations);
        EXPECT_EQ(s->getRect(), aRect(dx, dy, 50 + dx, 20 + dy));
        EXPECT_EQ(s->head()->getRect(), aRect(dx, dy, dx, 20 + dy));
        EXPECT_EQ(b->getRect(), aRect(dx, dy, 20 + dx, 20 + dy));
        EXPECT_EQ(c->getRect(), aRect(30 + dx, dy, 50 + dx, 20 + dy));
        EXPECT_EQ(s->tail()->getRect(), aRect(50 + dx, dy, 50 + dx, 20 + dy));
        EXPECT_EQ(a->getRect(), sibling) << "a sibling stays put";
    }
}

// --- shared nodes -------------------------------------------------------------------------------------------------

TEST(SharedNodes, PrototypesComeInTheirFixedOrder) {
    namespace T = typeId;
    const std::vector<int> order = {
        T::literal,   T::nominal,        T::booleano,    T::infinit,    T::indefinicao, T::indeterminacao, T::preference,
        T::enumSet,   T::page,           T::logicAnd,    T::logicOr,    T::sum,         T::list,           T::multiplication,
        T::quocient,  T::parentesis,     T::negation,    T::equal,      T::passEqual,   T::greater,        T::lessThan,
        T::power,     T::radical,        T::logaritm,    T::algSin,     T::algCos,      T::algTan,         T::algCotan,
        T::algASin,   T::algACos,        T::algATan,     T::plusOrMinus, T::contained,  T::contains,       T::notContain,
        T::belongs,   T::notBelong,      T::junction,    T::intersection,
    };
    const list& protos = shared::prototypeList();
    std::vector<int> found;
    for (const nucleo* m = protos.first(); m && m->chained(); m = m->next()) found.push_back(m->type());
    EXPECT_EQ(found, order);
    expectChainSound(protos);

    EXPECT_FALSE(static_cast<const booleano*>(shared::findPrototype(T::booleano))->getValue());
    EXPECT_TRUE(static_cast<const infinit*>(shared::findPrototype(T::infinit))->isPositive());
    EXPECT_EQ(typeid(*shared::findPrototype(T::enumSet)), typeid(enumSet));
    EXPECT_EQ(shared::findPrototype(T::variable), nullptr);
    // Kept as their constructors built them: a relation is not moved into a directive.
    const nucleo* eq = shared::findPrototype(T::equal);
    EXPECT_EQ(typeid(*eq), typeid(equal));
    EXPECT_EQ(eq->parent(), &protos);
}

std::vector<const nucleo*> everySharedNode() {
    std::vector<const nucleo*> all = {
        &shared::zero(),          &shared::one(),         &shared::two(),           &shared::minusOne(),
        &shared::naturalNumbers(), &shared::evenNumbers(), &shared::oddNumbers(),    &shared::undefinedValue(),
        &shared::indeterminateValue(), &shared::prototypeList(),
    };
    for (const nucleo* m = shared::prototypeList().first(); m && m->chained(); m = m->next())
        forEachNode(m, [&](const nucleo* n) { all.push_back(n); });
    return all;
}

TEST(SharedNodes, BelongToNoDocumentAndOutliveEveryDocument) {
    const std::pair<const nominal&, double> numbers[] = {
        {shared::zero(), 0.0}, {shared::one(), 1.0}, {shared::two(), 2.0}, {shared::minusOne(), -1.0}};
    for (const auto& [n, value] : numbers) {
        EXPECT_EQ(n.getValue(), value);
        EXPECT_EQ(textOf(&n), nominal::format(value));
    }

    const std::vector<const nucleo*> all = everySharedNode();
    std::vector<std::string> texts;
    for (const nucleo* n : all) {
        EXPECT_EQ(n->getRoot(), nullptr) << textOf(n);
        texts.push_back(textOf(n));
    }
    {
        TestHost host(new container());
        for (const nucleo* m = shared::prototypeList().first(); m && m->chained(); m = m->next())
            host.getBase()->lput(*m->copy());
        host.getBase()->lput(*shared::two().copy());
        host.getBase()->lput(*shared::naturalNumbers().copy());
    }
    ASSERT_EQ(everySharedNode(), all);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->getRoot(), nullptr);
        EXPECT_EQ(textOf(all[i]), texts[i]);
    }
    expectChainSound(shared::prototypeList());
}

// --- fonts ---------------------------------------------------------------------------------------------------------

TEST(Fonts, ZoomScalesTheBoxHeight) {
    const std::tuple<int, int, LONG> cases[] = {
        // box height, percent, font height
        {25, 60, 14}, {20, 60, 11}, {5, 60, 4}, {0, 60, 4}, {20, 100, 19}, {40, 50, 19},
    };
    for (const auto& [height, percent, expected] : cases) {
        literal n("x");
        n.getRect() = aRect(0, 0, 10, height);
        n.zoom(percent);
        EXPECT_EQ(fontOf(&n).lfHeight, expected) << percent << "% of " << height;
    }
    infinit inf(true);
    inf.getRect() = aRect(0, 0, 10, 25);
    inf.zoom(60);
    EXPECT_STREQ(fontOf(&inf).lfFaceName, "SYMBOL") << "zooming keeps the face";
}

TEST(Fonts, OperatorsKeepTheirGlyphFaceAndPassTheFontDown) {
    const long start = liveFontCount();
    {
        multiplication m(*new literal("a"), *new literal("b"));
        m.setFont(makeFont("Times", 30));
        for (const nucleo* n : {static_cast<const nucleo*>(m.separator()), static_cast<const nucleo*>(m.head())}) {
            EXPECT_STREQ(fontOf(n).lfFaceName, "SYMBOL");
            EXPECT_EQ(fontOf(n).lfHeight, 30);
        }
        for (const nucleo* n : {m.first(), m.last()}) {
            EXPECT_STREQ(fontOf(n).lfFaceName, "Times");
            EXPECT_EQ(fontOf(n).lfHeight, 30);
        }

        // An exponent is drawn smaller than its base.
        power pw(new literal("x"));
        pw.lput(*new literal("n"));
        pw.setFont(makeFont("Times", 30));
        EXPECT_STREQ(fontOf(pw.first()).lfFaceName, "Times");
        EXPECT_EQ(fontOf(pw.first()).lfHeight, 30);
        EXPECT_STREQ(fontOf(pw.last()).lfFaceName, "Times");
        EXPECT_LT(std::abs(fontOf(pw.last()).lfHeight), 30);

        // Infinity keeps the face its glyph needs.
        infinit inf(false);
        inf.setFont(makeFont("Times", 30));
        EXPECT_STREQ(fontOf(&inf).lfFaceName, "SYMBOL");
        EXPECT_EQ(fontOf(&inf).lfHeight, 30);

        // Nested operators pass the font all the way down.
        sum outer(*new literal("p"), *new quocient(*new literal("q"), *new literal("r")));
        outer.setFont(makeFont("Times", 24));
        EXPECT_EQ(fontOf(static_cast<container*>(outer.last())->last()).lfHeight, 24);

        literal l("x");
        HFONT kept = makeFont("Arial", 12);
        l.copyFont(kept);  // copies, never takes over
        l.copyFont(&m);
        EXPECT_EQ(fontOf(&l).lfHeight, 30);
        DeleteObject(kept);
    }
    EXPECT_EQ(liveFontCount(), start) << "fonts leaked or freed twice";
}

TEST(Fonts, FailedCreationsComplainAndKeepTheOldFont) {
    struct BudgetGuard {
        ~BudgetGuard() { setFontCreationBudget(-1); }
    } guard;
    MessageRecorder rec;
    literal l("x");
    HFONT times = makeFont("Times", 30);
    const HFONT before = l.getFont();

    setFontCreationBudget(0);
    l.copyFont(times);
    EXPECT_EQ(l.getFont(), before);
    l.calcFont(20);
    EXPECT_EQ(l.getFont(), before);
    setFontCreationBudget(-1);

    EXPECT_EQ(said(rec), (std::vector<std::string>{"box 16 Error: Font allocation problem!",
                                                   "box 16 Error: Font resource allocation problem!"}));
    EXPECT_EQ(fontOf(&l).lfHeight, 16);
    DeleteObject(times);
}

}  // namespace
}  // namespace tovimat
