// Painting rules, checked on the display list of the nominal device context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "model/document.h"
#include "test_host.h"

namespace tovimat {
namespace {

using testing::TestHost;

class Paint : public ::testing::Test {
protected:
    template <typename T>
    T* place(T* n, int x = 0, int y = 0) {
        n->moveTo(x, y);
        host.getBase()->lput(*n);
        host.remeasureOn(host.getBase());
        return n;
    }
    const NominalDC& paint() {
        host.dc.clearRecord();
        aRect all(0, 0, 10000, 10000);
        host.paint(&host.dc, all);
        return host.dc;
    }
    int textsDrawn(const std::string& bytes) {
        const auto& t = host.dc.texts();
        return int(std::count_if(t.begin(), t.end(), [&](const DrawnText& d) { return d.bytes == bytes; }));
    }
    TestHost host;
};

TEST_F(Paint, EmptySlotIsFramedInBlackAndTextIsNot) {
    auto* empty = new field("");
    LOGFONTA lf{};
    lf.lfHeight = 8;
    empty->setFont(CreateFontIndirectA(&lf));
    place(empty, 10, 10);
    place(new literal("x"), 50, 10);
    const NominalDC& dc = paint();
    ASSERT_EQ(dc.frames().size(), 1u);
    EXPECT_EQ(dc.frames()[0], (DrawnFrame{RECT(empty->getRect()), 0}));
    EXPECT_EQ(empty->Width(), 5);
    EXPECT_EQ(empty->Height(), 15);
}

TEST_F(Paint, TextIsDrawnAtTheTopLeftInTheNodesFaceAndColour) {
    auto* n = place(new nominal(42.0), 3, 4);
    paint();
    ASSERT_EQ(host.dc.texts().size(), 1u);
    EXPECT_EQ(host.dc.texts()[0], (DrawnText{3, 4, "42", "System", 16, n->getColor()}));
}

//   sum[a, negation[b], c]
TEST_F(Paint, SumDrawsAPlusOnlyBeforeUnsignedTerms) {
    auto* s = new sum(*new literal("a"), *new negation(new literal("b")));
    s->lput(*new literal("c"));
    place(s);
    paint();
    EXPECT_EQ(textsDrawn("+"), 1);
    EXPECT_EQ(textsDrawn("-"), 1);
    // The "+" stands right after the negation.
    auto plus = std::find_if(host.dc.texts().begin(), host.dc.texts().end(),
                             [](const DrawnText& d) { return d.bytes == "+"; });
    EXPECT_EQ(plus->x, s->first()->next()->right());
}

TEST_F(Paint, ListDrawsBothBracketsAndBottomAlignedSeparators) {
    auto* l = new list();
    l->lput(*new literal("a"));
    l->lput(*new literal("b"));
    l->lput(*new literal("c"));
    place(l);
    paint();
    EXPECT_EQ(textsDrawn(","), 2);
    EXPECT_EQ(textsDrawn("["), 1);
    EXPECT_EQ(textsDrawn("]"), 1);
    for (const DrawnText& t : host.dc.texts())
        if (t.bytes == ",") { EXPECT_EQ(t.y + NominalDC::cellHeight(t.height), l->bottom()); }
}

TEST_F(Paint, PowerDrawsNoGlyph) {
    auto* p = new power(new literal("x"));
    p->lput(*new nominal(2.0));
    place(p);
    paint();
    EXPECT_EQ(textsDrawn("^"), 0);
    EXPECT_EQ(host.dc.texts().size(), 2u);
}

TEST_F(Paint, MultiplicationDotIsASymbolByteOnTheAlignmentLine) {
    auto* m = place(new multiplication(*new literal("a"), *new literal("b")));
    paint();
    auto dot = std::find_if(host.dc.texts().begin(), host.dc.texts().end(),
                            [](const DrawnText& d) { return d.bytes == "\xD7"; });
    ASSERT_NE(dot, host.dc.texts().end());
    EXPECT_EQ(dot->face, "SYMBOL");
    EXPECT_EQ(dot->color, 0x808000u);
    EXPECT_EQ(dot->x, m->first()->right());
}

TEST_F(Paint, FocusedContainerIsFramedInItsOwnColourAndThePageAlways) {
    auto* m = place(new multiplication(*new literal("a"), *new literal("b")));
    paint();
    EXPECT_TRUE(host.dc.frames().empty());
    m->focusAt(0, 0);
    paint();
    ASSERT_EQ(host.dc.frames().size(), 1u);
    EXPECT_EQ(host.dc.frames()[0].color, 0x808000u);

    TestHost doc(new page(1, false));
    doc.remeasureOn(doc.getBase());
    aRect all(0, 0, 100, 100);
    doc.paint(&doc.dc, all);
    ASSERT_EQ(doc.dc.frames().size(), 1u);
    EXPECT_EQ(doc.dc.frames()[0].color, doc.getBase()->getColor());
}

TEST_F(Paint, FractionBarSpansTheWidthInTheGapAboveTheDenominator) {
    auto* q = place(new quocient(*new literal("abc"), *new literal("d")), 0, 0);
    paint();
    ASSERT_EQ(host.dc.lines().size(), 1u);
    const DrawnLine& bar = host.dc.lines()[0];
    EXPECT_EQ(bar.x1, q->left());
    EXPECT_EQ(bar.x2, q->right());
    EXPECT_EQ(bar.y1, q->first()->bottom() + 2);
    EXPECT_EQ(bar.y1, bar.y2);
    EXPECT_EQ(bar.color, q->getColor());
}

TEST_F(Paint, SquareRootSignIsOnePolylineOfFiveSegments) {
    auto* r = place(new radical(new literal("ab")), 0, 0);
    paint();
    const auto& lines = host.dc.lines();
    ASSERT_EQ(lines.size(), 5u);
    const nucleo* x = r->first();
    const int w = x->left() - r->left();  // the slant width: 5 + 0.2 * 16 = 8
    EXPECT_EQ(w, 8);
    const int y0 = r->top() + r->getAscent();
    EXPECT_EQ(lines[0].x1, 1);
    EXPECT_EQ(lines[0].y1, y0);
    EXPECT_EQ(lines[0].x2, int(0.1 * w + 2));
    EXPECT_EQ(lines[1].x2, int(0.6 * w));
    EXPECT_EQ(lines[1].y2, r->bottom() - 1);
    EXPECT_EQ(lines[2].x2, x->left() - 1);
    EXPECT_EQ(lines[2].y2, x->top() - 1);
    EXPECT_EQ(lines[3].x2, r->right() - 2);
    EXPECT_EQ(lines[4].y2, int(x->top() + 0.1 * w));
}

TEST_F(Paint, SetRelationDrawsItsGlyphBetweenTheOperands) {
    auto* rel = new contains();
    rel->lput(*new literal("A"));
    rel->lput(*new literal("B"));
    place(rel);
    paint();
    EXPECT_EQ(textsDrawn("\xCC"), 1);
}

TEST_F(Paint, PaintingRestoresTheDeviceContextAndReleasesEveryPen) {
    place(new sum(*new literal("a"), *new quocient(*new literal("b"), *new literal("c"))));
    paint();
    HFONT fontBefore = host.dc.currentFont();
    HPEN penBefore = host.dc.currentPen();
    paint();
    EXPECT_EQ(host.dc.currentFont(), fontBefore);
    EXPECT_EQ(host.dc.currentPen(), penBefore);
}

// A device context without the Symbol face, as a real one may lack a font.
class NoSymbolDC : public NominalDC {
protected:
    bool acceptFont(HFONT f) override { return !isSymbolFace(f->logfont().lfFaceName); }
};

//   multiplication (its own font takes the Symbol face of its dot)
//   ├── a
//   └── quocient[b, c]
TEST_F(Paint, NodeWhoseFontCannotBeSelectedDrawsNothingBelowIt) {
    auto* m = place(new multiplication(*new literal("a"), *new quocient(*new literal("b"), *new literal("c"))));
    LOGFONTA lf{};
    lf.lfHeight = 16;
    std::strncpy(lf.lfFaceName, "System", LF_FACESIZE - 1);
    m->setFont(CreateFontIndirectA(&lf));
    NoSymbolDC dc;
    aRect all(0, 0, 1000, 1000);
    m->paintIt(&dc, all);
    EXPECT_TRUE(dc.texts().empty());
    EXPECT_TRUE(dc.lines().empty()) << "not even the fraction bar below it";
}

TEST_F(Paint, SelectionFrameIsDrawnThroughTheRootAndErasedByTheSameCall) {
    auto* n = place(new literal("x"));
    n->drawSelection();
    n->clearSelection();
    EXPECT_EQ(host.focusFrames, 2);
}

}  // namespace
}  // namespace tovimat
