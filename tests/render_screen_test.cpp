// Painting and hovering that follow the screen: an update rectangle draws only
// what meets it, and the root of a long document finds the lines near a point
// through its index, which must follow lines that move, join and leave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/document.h"
#include "test_host.h"

namespace tovimat {
namespace {

using testing::TestHost;

// 60 lines "aI + bI", enough for the root to index them. Lines are placed out
// of chain order, and every tenth line lies over its neighbour, so that the
// index has to restore chain order among lines that overlap.
class Screen : public ::testing::Test {
protected:
    static constexpr int lineCount = 60;

    void SetUp() override {
        for (int i = 0; i < lineCount; ++i) {
            auto* s = new sum(*name("a" + std::to_string(i)), *name("b" + std::to_string(i)));
            host.getBase()->linkLast(s);
            lines.push_back(s);
        }
        host.remeasureOn(host.getBase());
        for (int i = 0; i < lineCount; ++i) lines[i]->moveTo(10, rowOf(i));
        host.remeasureOn(host.getBase());
    }

    static literal* name(const std::string& s) { return new literal(s.c_str()); }
    // Rows in reverse chain order, 20 apart; line 10k sits 6 below line 10k + 1.
    static int rowOf(int i) {
        return i % 10 == 0 && i + 1 < lineCount ? rowOf(i + 1) + 6 : 20 * (lineCount - i);
    }

    std::vector<DrawnText> paintOf(const aRect& area) {
        host.dc.clearRecord();
        aRect a = area;
        host.paint(&host.dc, a);
        return host.dc.texts();
    }

    // The node under p as the view finds it.
    nucleo* under(POINT p) {
        aPoint at(p.x, p.y);
        protocol::mouseOn = nullptr;
        if (!host.getBase()->mouseMove(at)) protocol::mouseOn = host.getBase();
        return protocol::mouseOn;
    }

    TestHost host;
    std::vector<nucleo*> lines;
};

bool meets(const DrawnText& t, const aRect& a) {
    const LONG w = LONG(t.bytes.size()) * NominalDC::advance(t.height);
    const LONG h = NominalDC::cellHeight(t.height);
    return t.x < a.right && t.x + w > a.left && t.y < a.bottom && t.y + h > a.top;
}

TEST_F(Screen, AWindowDrawsWhatAFullPaintDrawsThereInTheSameOrder) {
    const std::vector<DrawnText> all = paintOf(aRect(0, 0, 100000, 100000));
    for (const aRect& window : {aRect(0, 300, 200, 420), aRect(0, 195, 40, 205), aRect(30, 600, 31, 601)}) {
        const std::vector<DrawnText> part = paintOf(window);
        // Everything that shows in the window is drawn, and in the order of
        // the full paint: part is a subsequence of all.
        auto next = all.begin();
        for (const DrawnText& t : part) {
            next = std::find(next, all.end(), t);
            ASSERT_NE(next, all.end()) << t.bytes << " drawn out of order";
            ++next;
        }
        for (const DrawnText& t : all) {
            if (meets(t, window)) {
                EXPECT_NE(std::find(part.begin(), part.end(), t), part.end()) << t.bytes;
            }
        }
        EXPECT_LT(part.size(), all.size() / 4);
    }
}

TEST_F(Screen, ThePointerFindsTheFirstLineInChainOrderThatHoldsIt) {
    for (int i = 0; i < lineCount; ++i) {
        const aRect& box = lines[i]->getRect();
        nucleo* found = under(POINT{box.left + 1, box.top + 1});
        ASSERT_NE(found, host.getBase()) << "line " << i;
        // Line 10k is drawn over by nothing earlier in the chain; line 10k + 1
        // is covered at its bottom by line 10k, which comes first.
        nucleo* line = found;
        while (line->parent() != host.getBase()) line = line->parent();
        EXPECT_EQ(line, lines[i]) << "line " << i;
    }
    const aRect& overlapped = lines[11]->getRect();
    nucleo* found = under(POINT{overlapped.left + 1, overlapped.bottom - 1});
    while (found->parent() != host.getBase()) found = found->parent();
    EXPECT_EQ(found, lines[10]);
    EXPECT_EQ(under(POINT{5000, 5000}), host.getBase());
}

TEST_F(Screen, TheIndexFollowsLinesThatMoveJoinAndLeave) {
    const aRect was = lines[35]->getRect();
    const POINT old{was.left + 1, was.top + 1};
    ASSERT_NE(under(old), host.getBase());

    // Moved far down: found there, and no longer where it was.
    lines[35]->moveTo(10, 5000);
    host.remeasureOn(host.getBase());
    EXPECT_EQ(under(old), host.getBase());
    nucleo* moved = under(POINT{11, 5001});
    ASSERT_NE(moved, host.getBase());
    EXPECT_EQ(moved->parent(), lines[35]);

    // Deleted: nothing answers for it (a stale index would reach freed memory).
    delete lines[35];
    host.remeasureOn(host.getBase());
    EXPECT_EQ(under(POINT{11, 5001}), host.getBase());
    EXPECT_TRUE(paintOf(aRect(0, 4990, 200, 5030)).empty());

    // A new line where the old one stood is found and painted.
    auto* added = new sum(*name("c"), *name("d"));
    added->moveTo(was.left, was.top);
    host.getBase()->lput(*added);
    host.remeasureOn(host.getBase());
    nucleo* found = under(old);
    ASSERT_NE(found, host.getBase());
    EXPECT_EQ(found->parent(), added);
    const std::vector<DrawnText> there = paintOf(aRect(was.left, was.top, was.left + 4, was.top + 4));
    EXPECT_NE(std::find_if(there.begin(), there.end(), [](const DrawnText& t) { return t.bytes == "c"; }),
              there.end());
}

}  // namespace
}  // namespace tovimat
