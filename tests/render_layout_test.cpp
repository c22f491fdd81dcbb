// Layout rules, checked with nominal metrics: a font of height h gives texts
// h high and h / 2 per byte (the default font is 16 high, 8 per byte).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/document.h"
#include "test_host.h"

namespace tovimat {
namespace {

using testing::TestHost;

HFONT fontOfHeight(int h, const char* face = "System") {
    LOGFONTA lf{};
    lf.lfHeight = h;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

int heightOf(HFONT f) {
    LOGFONTA lf{};
    GetObjectA(f, sizeof lf, &lf);
    return lf.lfHeight;
}

// A leaf whose box has a chosen size: a text of n bytes in a font of height h
// is n * h/2 wide and h high.
nucleo* box(int width, int height) {
    // Width = bytes * (height / 2): pick the bytes for the wanted width.
    int advance = std::max(1, height / 2);
    auto* f = new literal(std::string(size_t(width / advance), 'w').c_str());
    f->setFont(fontOfHeight(height));
    return f;
}

class Layout : public ::testing::Test {
protected:
    // Attaches n to the document and lays the whole tree out.
    template <typename T>
    T* place(T* n, int x = 0, int y = 0) {
        n->moveTo(x, y);
        host.getBase()->lput(*n);
        host.remeasureOn(host.getBase());
        return n;
    }
    TestHost host;
};

TEST_F(Layout, EmptySlotIsAThirdOfTheFontHeightWideAndAtLeast15High) {
    auto* small = new field("");
    small->setFont(fontOfHeight(8));
    place(small);
    EXPECT_EQ(small->Height(), 15);
    EXPECT_EQ(small->Width(), 5);

    auto* large = new field("");
    large->setFont(fontOfHeight(-30));
    place(large);
    EXPECT_EQ(large->Height(), 30);
    EXPECT_EQ(large->Width(), 10);
}

TEST_F(Layout, TextTakesItsExtentAndAlignsOnItsMiddle) {
    auto* t = place(new literal("abc"), 7, 9);
    EXPECT_EQ(t->getRect(), aRect(7, 9, 31, 25));
    EXPECT_EQ(t->getAscent(), 8);
}

//   list [ a(10 high) , b(20 high) ]
TEST_F(Layout, ListIsBottomAlignedAndItsBracketsGrowWithTheContent) {
    auto* l = new list();
    nucleo* a = box(10, 10);
    nucleo* b = box(20, 20);
    l->lput(*a);
    l->lput(*b);
    place(l, 0, 0);
    EXPECT_EQ(l->Height(), 21);
    EXPECT_EQ(a->bottom(), l->bottom());
    EXPECT_EQ(b->bottom(), l->bottom());
    EXPECT_EQ(heightOf(l->head()->getFont()), 21);
    EXPECT_EQ(heightOf(l->tail()->getFont()), 21);
    // "[" then a, the separator's width, b, then "]".
    EXPECT_EQ(a->left(), l->head()->right());
    EXPECT_GT(b->left(), a->right());
    EXPECT_EQ(l->right(), l->tail()->right());
}

//   sum[a, negation[b]]  and  sum[a, b, c]
TEST_F(Layout, SumLeavesNoGapBeforeASignedTerm) {
    auto* signedSum = new sum(*new literal("a"), *new negation(new literal("b")));
    place(signedSum);
    EXPECT_EQ(signedSum->first()->next()->left(), signedSum->first()->right());

    auto* plain = new sum(*new literal("a"), *new literal("b"));
    plain->lput(*new literal("c"));
    place(plain, 0, 40);
    // "+" is one byte of the default font: 8 wide.
    EXPECT_EQ(plain->Width(), 3 * 8 + 2 * 8);
}

//   quocient[n(10 high), d(12 high)]
TEST_F(Layout, StackedFractionLeavesRoomForTheBarAndAlignsBelowTheNumerator) {
    nucleo* n = box(10, 10);
    nucleo* d = box(12, 12);
    auto* q = place(new quocient(*n, *d), 0, 0);
    EXPECT_EQ(q->Height(), 25);
    EXPECT_EQ(q->getAscent(), 11);
    EXPECT_EQ(d->top(), n->bottom() + 3);
    // Members are centred on the widest.
    EXPECT_EQ(n->left(), q->left() + 12 / 2 - 10 / 2);
}

//   power[base(20 high), exponent(12 high)]
TEST_F(Layout, ExponentOverlapsTheUpperHalfOfTheBase) {
    nucleo* base = box(10, 20);
    auto* p = new power(base);
    nucleo* e = box(6, 12);
    p->lput(*e);
    place(p, 0, 0);
    EXPECT_EQ(base->top(), p->top() + 6);
    EXPECT_EQ(p->Height(), 26);
    EXPECT_EQ(e->top(), p->top());
    EXPECT_EQ(e->left(), base->right());
    EXPECT_EQ(p->getAscent(), 6 + base->getAscent());
}

//   power[algSin[x], 2]: the exponent follows the name, the argument moves right
TEST_F(Layout, FunctionAsBaseMakesRoomForTheExponentAfterItsName) {
    auto* s = new algSin();
    nucleo* x = new literal("x");
    s->lput(*x);
    auto* p = new power(s);
    nucleo* e = new nominal(2.0);
    p->lput(*e);
    place(p, 0, 0);
    EXPECT_EQ(e->left(), s->head()->right());
    EXPECT_EQ(x->left(), s->head()->right() + 3 + e->Width());
    EXPECT_EQ(p->right(), s->right());
}

TEST_F(Layout, SquareRootHasASlantProportionalToTheRadicand) {
    nucleo* r = box(30, 20);
    auto* root = place(new radical(r), 0, 0);
    // k = 5 + 0.2 * 20 = 9
    EXPECT_EQ(root->Width(), 30 + 11);
    EXPECT_EQ(root->Height(), 23);
    EXPECT_EQ(r->left(), root->left() + 9);
    EXPECT_EQ(r->top(), root->top() + 2);
    EXPECT_EQ(root->getIndexOffset(), 0);
}

TEST_F(Layout, RootWithAnIndexPlacesTheIndexTopLeft) {
    nucleo* index = box(8, 16);
    nucleo* r = box(16, 16);
    auto* root = place(new radical(index, r), 0, 0);
    const int k = 5 + 3;  // 0.2 * 16 = 3.2
    EXPECT_EQ(index->left(), 1);
    EXPECT_EQ(index->top(), 1);
    EXPECT_EQ(root->getAscent(), std::max(16, 16 / 2 + 1) + 1);
    EXPECT_EQ(root->getIndexOffset(), 8 - k / 2);
    EXPECT_EQ(r->right(), root->right() - 1);
}

TEST_F(Layout, LogarithmHangsItsBaseBelowTheLineAndNeedsBothMembers) {
    auto* lonely = new logaritm();
    lonely->lput(*new literal("x"));
    place(lonely, 0, 0);
    EXPECT_EQ(lonely->getRect(), aRect(0, 0, 0, 0)) << "one member: not laid out at all";

    auto* log = new logaritm();
    nucleo* b = new nominal(2.0);
    nucleo* x = new literal("x");
    log->lput(*b);
    log->lput(*x);
    place(log, 0, 40);
    EXPECT_EQ(b->left(), log->head()->right());
    EXPECT_EQ(b->top(), log->top() + log->getAscent());
    EXPECT_EQ(x->left(), b->right() + 3);
    EXPECT_EQ(log->bottom(), std::max(b->bottom(), x->bottom()));
}

TEST_F(Layout, PageStacksItsLinesIndentedAndThreeApart) {
    TestHost doc(new page(1, false));
    nucleo* a = box(50, 4);
    nucleo* b = box(60, 4);
    doc.getBase()->lput(*a);
    doc.getBase()->lput(*b);
    doc.remeasureOn(doc.getBase());
    container* pg = doc.getBase();
    EXPECT_EQ(pg->Width(), 66);
    EXPECT_EQ(a->left(), pg->left() + 5);
    EXPECT_EQ(b->top(), a->bottom() + 3);
}

TEST_F(Layout, EmptyDocumentMeasuresAsAnEmptyUnion) {
    host.remeasureOn(host.getBase());
    // Right and bottom stay 0, so a host's scroll range comes out at its minimum.
    EXPECT_EQ(host.getBase()->right(), 0);
    EXPECT_EQ(host.getBase()->bottom(), 0);
}

TEST_F(Layout, AnEditClimbsToTheRootAndMovesTheSiblings) {
    auto* s = new sum(*new literal("a"), *new literal("b"));
    place(s, 0, 0);
    auto* a = static_cast<field*>(s->first());
    nucleo* b = a->next();
    const LONG before = b->left();
    a->setText("aaa", 3);
    a->update();
    EXPECT_EQ(b->left(), before + 16);
    EXPECT_EQ(s->right(), b->right());
}

TEST_F(Layout, ZoomedExponentFollowsTheBoxHeightOfTheFullSizeFont) {
    auto* p = new power(new literal("x"));
    p->lput(*new literal("n"));
    place(p, 0, 0);
    p->setFont(fontOfHeight(25));
    // The exponent was measured 25 high with the full font, then zoomed: 60 % of 25 is 14.
    EXPECT_EQ(heightOf(p->last()->getFont()), 14);
    EXPECT_EQ(heightOf(p->first()->getFont()), 25);
}

}  // namespace
}  // namespace tovimat
