// The program core without a toolkit: the document, its host operations and
// the view, driven through a headless window.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "core/commands.h"
#include "core/script.h"
#include "model/dump.h"
#include "store/stream.h"

using namespace tovimat;
namespace cmd = velmor::cmd;
namespace fs = std::filesystem;

namespace {

// Plays a script on the session; the script must be well formed.
void play(velmor::HeadlessSession& s, const std::string& script) {
    std::vector<velmor::ScriptAction> actions;
    std::string error;
    ASSERT_TRUE(velmor::parseScript(script, actions, error)) << error;
    ASSERT_TRUE(s.play(actions, error)) << error;
}

std::string dump(velmor::HeadlessSession& s) { return dumpTree(*s.doc().base()); }

fs::path scratchFile(const std::string& name) {
    return fs::temp_directory_path() / ("velmor-core-" + std::to_string(::getpid()) + "-" + name);
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// --- scrolling with the caret --------------------------------------------------------------

class CoreScroll : public ::testing::Test {
protected:
    void SetUp() override {
        s.newDocument();
        // Room to scroll in both directions.
        s.window().setScrollSizes(SIZE{5000, 5000});
    }
    velmor::HeadlessSession s;
};

TEST_F(CoreScroll, CaretPastTheRightEdgeStandsAFifthOfTheWidthInside) {
    s.view().placeCaret(1000, 100);
    // 640 wide: the caret ends 128 pixels left of the right edge.
    EXPECT_EQ(s.window().scrollPosition().x, 1000 - (640 - 128));
    EXPECT_EQ(s.window().scrollPosition().y, 0);
    EXPECT_EQ(s.window().caretPos().x, 640 - 128);
    EXPECT_EQ(s.window().caretPos().y, 100);
}

TEST_F(CoreScroll, CaretLeftOfTheViewOrBelowItScrollsBack) {
    s.window().scrollToPosition(POINT{488, 0});
    s.view().placeCaret(300, 10);
    EXPECT_EQ(s.window().scrollPosition().x, 300 - 128);
    EXPECT_EQ(s.window().caretPos().x, 128);

    s.view().placeCaret(300, 700);
    // 480 high: the caret stands 96 pixels above the bottom edge.
    EXPECT_EQ(s.window().scrollPosition().y, 700 - (480 - 96));
    EXPECT_EQ(s.window().caretPos().y, 480 - 96);
}

TEST_F(CoreScroll, CaretInsideTheViewDoesNotScroll) {
    s.window().scrollToPosition(POINT{100, 50});
    s.view().placeCaret(740, 530);  // exactly on the far edges
    EXPECT_EQ(s.window().scrollPosition().x, 100);
    EXPECT_EQ(s.window().scrollPosition().y, 50);
    EXPECT_EQ(s.window().caretPos().x, 640);
    EXPECT_EQ(s.window().caretPos().y, 480);
}

TEST_F(CoreScroll, TypingPastTheRightEdgeKeepsTheCaretInView) {
    play(s, "{Click 10 10}" + std::string(100, 'a'));
    EXPECT_GT(s.window().scrollPosition().x, 0);
    EXPECT_GE(s.window().caretPos().x, 0);
    EXPECT_LE(s.window().caretPos().x, 640);
}

TEST(CoreScrollRange, EmptyDocumentMeasuresTo180By100) {
    velmor::HeadlessSession s;
    s.newDocument();
    s.doc().root()->measureOn(s.doc().base());
    EXPECT_EQ(s.window().totalSize().cx, 180);
    EXPECT_EQ(s.window().totalSize().cy, 100);
}

TEST(CoreScrollRange, FollowsTheRootAndIsOnlyResetWhenItChanges) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 500 200}x");
    container* base = s.doc().base();
    EXPECT_EQ(s.window().totalSize().cx, base->right() + 80);
    EXPECT_EQ(s.window().totalSize().cy, base->bottom());
    const int changes = s.window().scrollSizeChanges();
    s.doc().root()->measureOn(base);
    EXPECT_EQ(s.window().scrollSizeChanges(), changes);
}

// --- the document ---------------------------------------------------------------------------

TEST(CoreDocument, SizeWithoutRootIs150By50) {
    CVelmorDoc doc;
    EXPECT_EQ(doc.getDocSize().cx, 150);
    EXPECT_EQ(doc.getDocSize().cy, 50);
    CHeadlessWindow window;
    CVelmorView view(doc, window);
    view.onInitialUpdate();
    EXPECT_EQ(window.totalSize().cx, 150);
    EXPECT_EQ(window.totalSize().cy, 50);
}

TEST(CoreDocument, ClosingWithASelectionEmptiesTheSharedList) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 10 10}a+b{SelectorTool}{Click 12 12 ctrl}{Move 28 12}");
    ASSERT_EQ(CVelmorProtocol::sharedSelection().count(), 1);
    ASSERT_NE(protocol::mouseOn, nullptr);
    s.doc().onCloseDocument();
    EXPECT_TRUE(CVelmorProtocol::sharedSelection().empty());
    EXPECT_EQ(protocol::mouseOn, nullptr);
    EXPECT_EQ(s.doc().root(), nullptr);
    EXPECT_EQ(s.view().focused(), nullptr);
}

TEST(CoreDocument, RefusedHeaderKeepsTheCurrentDocument) {
    const fs::path bad = scratchFile("not-a-document.vlm");
    std::ofstream(bad) << "plain text";
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 10 10}x");
    container* before = s.doc().base();
    EXPECT_FALSE(s.doc().onOpenDocument(bad.string()));
    EXPECT_EQ(s.doc().base(), before);
    EXPECT_EQ(dump(s), "container\n  literal \"x\" <caret 1>\n");
    EXPECT_EQ(s.log().text(), "! beep 16\n! message \"Error\" \"Bad file format\"\n");
    fs::remove(bad);
}

TEST(CoreDocument, UnreadableRecordsOpenAnEmptyDocumentAfterTheLoaderMessages) {
    const fs::path odd = scratchFile("unknown-type.vlm");
    {
        algStream out(odd.c_str(), std::ios::out | std::ios::trunc);
        setAlgFile(out);
        writeInt(out, 99);  // no class has this type id
    }
    velmor::HeadlessSession s;
    // The session refuses to go on with it; the document still opened.
    EXPECT_FALSE(s.open(odd.string()));
    EXPECT_TRUE(s.doc().openedDamaged());
    EXPECT_EQ(s.error(), odd.string() + " is damaged: the loader aborted, nothing of it could be read");
    ASSERT_NE(s.doc().base(), nullptr);
    EXPECT_EQ(s.doc().base()->members(), 0);
    EXPECT_NE(s.log().text().find("Loader aborted!"), std::string::npos) << s.log().text();
    fs::remove(odd);
}

TEST(CoreDocument, SavedDocumentOpensAsItWasSaved) {
    const fs::path file = scratchFile("saved.vlm");
    velmor::RunOptions options;
    options.script = "{Click 10 10}x=3{NewItemTool}{Click 40 60}a+b";
    options.savePath = file.string();
    velmor::RunResult saved = velmor::runScript(options);
    ASSERT_EQ(saved.exitCode, 0) << saved.error;
    EXPECT_EQ(saved.out,
              "container\n"
              "  simplification\n"
              "    literal \"x\"\n"
              "    equal\n"
              "      nominal \"3\"\n"
              "  sum\n"
              "    literal \"a\"\n"
              "    literal \"b\"\n");
    velmor::HeadlessSession s;
    ASSERT_TRUE(s.open(file.string()));
    EXPECT_EQ(dump(s), saved.out);
    // Members keep their places on the page.
    ASSERT_EQ(s.doc().base()->members(), 2);
    EXPECT_EQ(s.doc().base()->last()->left(), 40);
    EXPECT_EQ(s.doc().base()->last()->top(), 60);
    EXPECT_FALSE(s.doc().isModified());
    fs::remove(file);
}

// --- host operations -----------------------------------------------------------------------

TEST(CoreHost, FocusFrameDrawnTwiceLeavesNothing) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 30 40}abc");
    s.window().scrollToPosition(POINT{0, 0});
    nucleo* n = s.view().focused();
    ASSERT_NE(n, nullptr);
    s.doc().root()->drawFocusFrame(n);
    ASSERT_EQ(s.window().focusFrames().size(), 1u);
    EXPECT_TRUE(sameRect(s.window().focusFrames()[0], n->getRect()));
    s.doc().root()->drawFocusFrame(n);
    EXPECT_TRUE(s.window().focusFrames().empty());
}

TEST(CoreHost, WithoutAViewWindowOperationsDoNothingAndQueriesAnswerNothing) {
    velmor::EventLog log;
    CVelmorDoc doc;
    doc.onNewDocument();
    CVelmorProtocol* root = doc.root();
    EXPECT_EQ(root->currentView(), nullptr);
    EXPECT_EQ(root->message("text", "caption", 16), 0);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(root->focused(), nullptr);
    EXPECT_EQ(root->caretIndex(), 0);
    EXPECT_EQ(root->caretIndexRef(), nullptr);
    EXPECT_EQ(root->selectionRect(), nullptr);
    EXPECT_EQ(root->selectionList(), nullptr);
    aPoint p(0, 0);
    EXPECT_FALSE(root->clickOn(doc.base(), p));
    root->measureOn(doc.base());
    root->createCaret(3, 16);
    root->setCaretPos(10, 10);
}

TEST(CoreHost, OperationsGoToTheActiveViewElseTheFirstOne) {
    velmor::EventLog log;
    CVelmorDoc doc;
    doc.onNewDocument();
    CHeadlessWindow firstWindow, secondWindow;
    CVelmorView first(doc, firstWindow), second(doc, secondWindow);
    CVelmorProtocol* root = doc.root();
    EXPECT_EQ(root->currentView(), &first);
    second.onSetFocus();
    EXPECT_EQ(root->currentView(), &second);
    root->createCaret(3, 20);
    EXPECT_TRUE(secondWindow.caretExists());
    EXPECT_FALSE(firstWindow.caretExists());
    second.onKillFocus();
    EXPECT_EQ(root->currentView(), &first);
    second.onSetFocus();
    second.onDestroy();
    EXPECT_EQ(root->currentView(), &first);
}

TEST(CoreHost, InvalidationIsInClientCoordinates) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 300 300}x");
    s.window().setScrollSizes(SIZE{5000, 5000});
    s.window().scrollToPosition(POINT{100, 40});
    s.window().clearDamage();
    nucleo* n = s.view().focused();
    s.doc().root()->invalidate(n);
    ASSERT_EQ(s.window().invalidated().size(), 1u);
    const RECT r = s.window().invalidated()[0];
    EXPECT_EQ(r.left, n->left() - 100);
    EXPECT_EQ(r.top, n->top() - 40);
}

// A window merges what it must repaint; the headless one keeps the areas in
// order up to a bound and then their bounding box, so a long session does
// not grow its record without end.
TEST(CoreHost, TheRepaintRecordStaysBoundedAndCoversEveryArea) {
    CHeadlessWindow w;
    const size_t n = CHeadlessWindow::maxDamageRecord;
    for (size_t i = 0; i < 10 * n; ++i) {
        const LONG x = LONG(i % 500);
        w.invalidateRect(RECT{x, 2, x + 3, 40}, true);
        ASSERT_LE(w.invalidated().size(), n);
    }
    w.invalidateRect(RECT{-7, 1, 0, 2}, true);
    LONG left = 1 << 30, top = 1 << 30, right = -(1 << 30), bottom = -(1 << 30);
    for (const RECT& r : w.invalidated()) {
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
    }
    EXPECT_EQ(left, -7);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(right, 502);
    EXPECT_EQ(bottom, 40);
    w.clearDamage();
    w.invalidateRect(RECT{1, 2, 3, 4}, true);
    ASSERT_EQ(w.invalidated().size(), 1u);
    EXPECT_EQ(w.invalidated()[0].right, 3);
}

TEST(CoreHost, PaintingDrawsTheTreeAndTheSelectionFrames) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 10 10}a+b{SelectorTool}{Click 12 12 ctrl}");
    s.window().clearDamage();
    s.window().dc().clearRecord();
    s.view().onDraw(&s.window().dc(), aRect(0, 0, 640, 480));
    EXPECT_FALSE(s.window().dc().texts().empty());
    ASSERT_EQ(s.window().paintedFrames().size(), 1u);
    s.window().clearDamage();
    s.view().onDraw(&s.window().dc(), aRect(0, 0, 640, 480), true);
    EXPECT_TRUE(s.window().paintedFrames().empty()) << "no selection frames on paper";
}

// --- tools and commands ----------------------------------------------------------------------

TEST(CoreTools, EachToolIsEnabledUnlessItIsCurrent) {
    velmor::HeadlessSession s;
    s.newDocument();
    CVelmorView& v = s.view();
    EXPECT_FALSE(v.isEnabled(cmd::NewItemTool));
    EXPECT_TRUE(v.isEnabled(cmd::EditTool));
    EXPECT_TRUE(v.isEnabled(cmd::SelectorTool));
    v.execute(cmd::SelectorTool);
    EXPECT_EQ(CVelmorView::mode(), CVelmorView::SelectorMode);
    EXPECT_FALSE(v.isEnabled(cmd::SelectorTool));
    EXPECT_TRUE(v.isEnabled(cmd::NewItemTool));
    v.execute(cmd::EditTool);
    EXPECT_FALSE(v.isEnabled(cmd::EditTool));
    // The rubber-band states belong to the selector tool but are not it.
    v.setMode(CVelmorView::RegionMode);
    EXPECT_TRUE(v.isEnabled(cmd::SelectorTool));
}

TEST(CoreTools, SelectorAndNewItemToolsHideTheCaret) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 10 10}x");
    EXPECT_TRUE(s.window().caretVisible());
    s.view().execute(cmd::NewItemTool);
    EXPECT_FALSE(s.window().caretVisible());
    play(s, "{Click 10 40}y");
    EXPECT_TRUE(s.window().caretVisible());
    s.view().execute(cmd::SelectorTool);
    EXPECT_FALSE(s.window().caretVisible());
}

TEST(CoreCommands, EnablingFollowsTheFocusedNode) {
    velmor::HeadlessSession s;
    s.newDocument();
    CVelmorView& v = s.view();
    auto enabled = [&](int id) { return v.isEnabled(id); };
    // No caret at all: only the font and the other tools.
    EXPECT_FALSE(enabled(cmd::Calculate));
    EXPECT_FALSE(enabled(cmd::InsertTrue));
    EXPECT_FALSE(enabled(cmd::InsertSin));
    EXPECT_FALSE(enabled(cmd::InsertPower));
    EXPECT_TRUE(enabled(cmd::Font));

    play(s, "{Click 10 10}");  // an empty name, caret at 0
    EXPECT_TRUE(enabled(cmd::InsertTrue));
    EXPECT_TRUE(enabled(cmd::InsertSin));
    EXPECT_TRUE(enabled(cmd::InsertPower));
    EXPECT_FALSE(enabled(cmd::Calculate));

    play(s, "x");  // text, caret at 1
    EXPECT_FALSE(enabled(cmd::InsertTrue));
    EXPECT_FALSE(enabled(cmd::InsertSin));
    EXPECT_TRUE(enabled(cmd::InsertPower));

    play(s, "+y{End}");  // the whole sum, caret after it
    ASSERT_TRUE(v.focused() && v.focused()->isGroup());
    EXPECT_TRUE(enabled(cmd::Calculate));
    EXPECT_TRUE(enabled(cmd::TestRule));
    EXPECT_TRUE(enabled(cmd::UseConstants));
    EXPECT_FALSE(enabled(cmd::InsertFalse));
    EXPECT_FALSE(enabled(cmd::InsertCos));

    // The name of a user function is not a member of any chain.
    play(s, "{Home}{Home}f");
    ASSERT_NE(v.focused(), nullptr);
    ASSERT_EQ(v.focused()->previous(), nullptr);
    EXPECT_FALSE(enabled(cmd::InsertLog));
    EXPECT_FALSE(enabled(cmd::InsertUnion));
}

TEST(CoreCommands, CommandsWithoutHandlerStayDisabled) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 10 10}a+b{End}");
    for (int id : {cmd::Isolate, cmd::Refers, cmd::Refered, cmd::MainToolbarSpare}) {
        EXPECT_FALSE(s.view().isEnabled(id)) << id;
        EXPECT_FALSE(s.view().execute(id)) << id;
    }
    EXPECT_FALSE(s.view().isEnabled(12345));
}

TEST(CoreCommands, OperatorInsideAnEmptyCompositeBecomesItsMember) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 10 10}");
    container* base = s.doc().base();
    auto* brackets = new tovimat::list();
    ASSERT_TRUE(s.view().focused()->replaceWith(brackets));
    brackets->update();
    brackets->focusAt(1);
    ASSERT_EQ(s.view().caretIndex(), 1);
    ASSERT_TRUE(s.view().isEnabled(cmd::InsertPower));
    s.view().execute(cmd::InsertPower);
    ASSERT_EQ(base->members(), 1);
    ASSERT_EQ(brackets->members(), 1);
    EXPECT_EQ(brackets->first()->type(), typeId::power);
    // The caret waits in the power's empty place.
    auto* power = static_cast<container*>(brackets->first());
    ASSERT_GT(power->members(), 0);
    EXPECT_EQ(s.view().focused(), power->first());
    EXPECT_EQ(s.view().caretIndex(), 0);
}

TEST(CoreCommands, FontStartsFromTheFocusedNodesFont) {
    velmor::HeadlessSession s;
    s.newDocument();
    LOGFONTA lf{};
    EXPECT_FALSE(s.view().currentFont(lf));
    play(s, "{Click 10 10}x{Font Courier 40 italic}");
    ASSERT_TRUE(s.view().currentFont(lf));
    EXPECT_EQ(lf.lfHeight, 40);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_STREQ(lf.lfFaceName, "Courier");
    // The caret follows the node's new height.
    EXPECT_EQ(s.window().caretSize().cy, 40);
}

}  // namespace
