// Formulas moved between two documents as a drag does (the desktop program's
// Qt drag calls these: the target places the records, the source deletes its
// nodes), the documents that copied pictures carry, and the names of the
// insertion commands' steps.
#include <gtest/gtest.h>

#include <string>

#include "core/clipboard.h"
#include "core/linear_text.h"
#include "core/script.h"
#include "core/velmor_doc.h"
#include "core/velmor_protocol.h"
#include "core/velmor_view.h"
#include "model/dump.h"
#include "model/nucleo.h"
#include "store/picture_document.h"

namespace {

using namespace tovimat;

void play(velmor::HeadlessSession& s, std::string_view script) {
    std::string error;
    ASSERT_TRUE(s.play(script, error)) << error;
}

std::string dump(velmor::HeadlessSession& s) { return dumpTree(*s.doc().base()); }

std::vector<std::string> linesOf(const std::vector<std::uint8_t>& records) {
    std::vector<std::string> out;
    for (const auto& n : velmor::readFormulas(records)) out.push_back(velmor::linearText(*n));
    return out;
}

// The first empty leaf below n, depth first.
nucleo* emptyPlaceIn(nucleo* n) {
    if (!n->isGroup()) return n->getLen() == 0 ? n : nullptr;
    auto* c = static_cast<container*>(n);
    for (nucleo* m = c->first(); m && m->chained(); m = m->next())
        if (nucleo* e = emptyPlaceIn(m)) return e;
    return nullptr;
}

class CrossDocument : public ::testing::Test {
protected:
    void SetUp() override {
        source.newDocument();
        target.newDocument();
        play(source, "{Click 10 10}a+b{NewItemTool}{Click 10 60}2*x{SelectorTool}");
    }

    // Drags the first line of source into target, let go at the point.
    bool move(POINT at, bool copy) {
        std::vector<nucleo*> nodes{source.doc().base()->first()};
        std::vector<velmor::NodePlace> places;
        EXPECT_TRUE(source.view().placesOf(nodes, places));
        const auto records = velmor::writeFormulas({nodes.front()});
        if (!target.view().dropFormulas(velmor::readFormulas(records), at, {POINT{0, 0}})) return false;
        return copy || source.view().removeFormulas(places);
    }

    velmor::HeadlessSession source, target;
};

// A move is one step in each document, each undone and redone on its own.
TEST_F(CrossDocument, MoveIsOneStepInEachDocument) {
    const std::string sourceBefore = dump(source);
    const std::size_t sourceSteps = source.doc().history().done();
    ASSERT_TRUE(move(POINT{40, 30}, false));

    EXPECT_EQ(target.doc().base()->members(), 1);
    EXPECT_EQ(velmor::linearText(*target.doc().base()->first()), "a + b");
    EXPECT_EQ(target.doc().base()->first()->left(), 40);
    EXPECT_EQ(target.doc().base()->first()->top(), 30);
    EXPECT_EQ(source.doc().base()->members(), 1);
    EXPECT_EQ(velmor::linearText(*source.doc().base()->first()), "2 * x");
    EXPECT_EQ(target.doc().history().done(), 1u);
    EXPECT_EQ(source.doc().history().done(), sourceSteps + 1);
    EXPECT_EQ(target.doc().history().undoLabel(), "Drag and Drop");
    EXPECT_EQ(source.doc().history().undoLabel(), "Drag and Drop");
    EXPECT_TRUE(target.doc().isModified());

    const std::string targetAfter = dump(target), sourceAfter = dump(source);
    source.view().onUndo();
    EXPECT_EQ(dump(source), sourceBefore);
    target.view().onUndo();
    EXPECT_EQ(target.doc().base()->members(), 0);
    EXPECT_FALSE(target.doc().isModified());
    source.view().onRedo();
    target.view().onRedo();
    EXPECT_EQ(dump(source), sourceAfter);
    EXPECT_EQ(dump(target), targetAfter);
}

TEST_F(CrossDocument, CopyLeavesTheSourceAlone) {
    const std::string sourceBefore = dump(source);
    const std::size_t sourceSteps = source.doc().history().done();
    ASSERT_TRUE(move(POINT{40, 30}, true));
    EXPECT_EQ(dump(source), sourceBefore);
    EXPECT_EQ(source.doc().history().done(), sourceSteps);
    EXPECT_EQ(velmor::linearText(*target.doc().base()->first()), "a + b");
}

// Let go over an empty place, the formula takes it, as a drop in one
// document does; let go over the blank page, it is a new item there.
TEST_F(CrossDocument, DropTakesTheEmptyPlaceUnderThePointer) {
    play(target, "{NewItemTool}{Click 10 10}y={Click 200 200}");
    nucleo* place = emptyPlaceIn(target.doc().base()->first());
    ASSERT_NE(place, nullptr);
    const aRect r = place->getRect();
    ASSERT_TRUE(move(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, false));
    EXPECT_EQ(target.doc().base()->members(), 1);
    EXPECT_EQ(velmor::linearText(*target.doc().base()->first()), "y = a + b") << dump(target);

    ASSERT_TRUE(move(POINT{300, 300}, false));
    EXPECT_EQ(target.doc().base()->members(), 2);
    EXPECT_EQ(source.doc().base()->members(), 0);
}

// Several formulas let go over one empty place: the first takes it, the
// others follow it, and nothing is lost.
TEST_F(CrossDocument, SeveralFormulasShareOneDrop) {
    play(target, "{NewItemTool}{Click 10 10}y={Click 200 200}");
    const std::string before = dump(target);
    nucleo* place = emptyPlaceIn(target.doc().base()->first());
    ASSERT_NE(place, nullptr);
    const aRect r = place->getRect();
    nucleo* first = source.doc().base()->first();
    const auto records = velmor::writeFormulas({first, first->next()});
    ASSERT_TRUE(target.view().dropFormulas(velmor::readFormulas(records),
                                           POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, {}));
    std::string all;
    for (nucleo* m = target.doc().base()->first(); m && m->chained(); m = m->next())
        all += velmor::linearText(*m) + "\n";
    EXPECT_NE(all.find("a + b"), std::string::npos) << all;
    EXPECT_NE(all.find("2"), std::string::npos) << all;
    EXPECT_EQ(target.doc().history().undoLabel(), "Drag and Drop");
    target.view().onUndo();
    EXPECT_EQ(dump(target), before);
}

// The source's half of a move finds its nodes by place; when they are not
// there any more it deletes nothing.
TEST_F(CrossDocument, StalePlacesDeleteNothing) {
    std::vector<velmor::NodePlace> places;
    ASSERT_TRUE(source.view().placesOf({source.doc().base()->first()}, places));
    play(source, "{SelectAll}{Del}");
    play(source, "{Undo}");  // the lines come back with their ids
    EXPECT_TRUE(source.view().removeFormulas(places));
    EXPECT_FALSE(source.view().removeFormulas(places));
    EXPECT_EQ(source.doc().base()->members(), 1);
    EXPECT_FALSE(source.view().removeFormulas({}));
}

// Closing a document drops its own selected nodes from the selection that
// every document shares, and only those: Copy makes a document of its own
// for the pictures, and that must not take the user's selection away.
TEST_F(CrossDocument, ClosingADocumentKeepsTheOthersSelection) {
    play(target, "{NewItemTool}{Click 10 10}c");
    play(source, "{SelectAll}");
    ASSERT_EQ(CVelmorProtocol::sharedSelection().count(), 2);
    {
        CVelmorDoc scratch;
        scratch.onNewDocument();
    }
    target.doc().onCloseDocument();
    EXPECT_EQ(CVelmorProtocol::sharedSelection().count(), 2);
    EXPECT_EQ(source.view().draggedNodes().size(), 2u);
}

// Delete deletes the selected nodes of the document it is pressed in; those
// selected in another document stay there, selected, and the deletion is
// one step of this document's own.
TEST_F(CrossDocument, DeleteTakesOnlyThisDocumentsSelection) {
    play(target, "{NewItemTool}{Click 10 10}c{NewItemTool}{Click 10 60}d{SelectorTool}");
    const std::string targetBefore = dump(target);
    play(source, "{SelectAll}");
    const std::string sourceBefore = dump(source);
    play(target, "{Del}");
    EXPECT_EQ(dump(source), sourceBefore);
    EXPECT_EQ(dump(target), targetBefore) << "nothing of the target was selected";
    play(target, "{Click 12 12 ctrl}");
    const std::string targetSelected = dump(target);
    play(target, "{Del}");
    EXPECT_EQ(dump(source), sourceBefore);
    EXPECT_EQ(CVelmorProtocol::sharedSelection().count(), 2);
    EXPECT_EQ(target.doc().base()->members(), 1);
    EXPECT_EQ(target.doc().history().undoLabel(), "Delete");
    target.view().onUndo();
    EXPECT_EQ(dump(target), targetSelected);
}

// A copied picture carries a document of the copied formulas only, which
// reads back as those formulas, where the picture shows them.
TEST(CopiedPicture, CarriesOnlyTheCopiedFormulas) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{Click 30 40}a+b{NewItemTool}{Click 30 90}2*x{NewItemTool}{Click 30 140}c");
    nucleo* second = s.doc().base()->first()->next();
    nucleo* third = second->next();
    const auto records = velmor::writeFormulas({second, third});
    const auto document = velmor::documentOfFormulas(records, {{0, 0}, {5, 50}});
    ASSERT_FALSE(document.empty());

    velmor::HeadlessSession opened;
    ASSERT_TRUE(opened.doc().onOpenBytes(document, "copied"));
    ASSERT_EQ(opened.doc().base()->members(), 2);
    nucleo* first = opened.doc().base()->first();
    EXPECT_EQ(velmor::linearText(*first), "2 * x");
    EXPECT_EQ(first->left(), 0);
    EXPECT_EQ(first->top(), 0);
    EXPECT_EQ(first->next()->left(), 5);
    EXPECT_EQ(first->next()->top(), 50);

    std::string reason;
    EXPECT_EQ(linesOf(velmor::formulasOfDocument(document, reason)), (std::vector<std::string>{"2 * x", "c"}))
        << reason;
    std::string svg = "<?xml version=\"1.0\"?>\n<svg width=\"10\" height=\"10\"></svg>\n";
    ASSERT_TRUE(embedInSvg(svg, document));
    EXPECT_EQ(linesOf(velmor::formulasOfDocument(std::vector<std::uint8_t>(svg.begin(), svg.end()), reason)),
              (std::vector<std::string>{"2 * x", "c"}));
}

TEST(CopiedPicture, PicturesWithoutFormulasGiveNone) {
    std::string reason;
    const std::string svg = "<?xml version=\"1.0\"?>\n<svg width=\"10\" height=\"10\"></svg>\n";
    EXPECT_TRUE(
        velmor::formulasOfDocument(std::vector<std::uint8_t>(svg.begin(), svg.end()), reason).empty());
    EXPECT_FALSE(reason.empty());
    // An empty document holds no formula.
    velmor::HeadlessSession s;
    s.newDocument();
    reason.clear();
    EXPECT_TRUE(velmor::formulasOfDocument(s.doc().currentBytes(), reason).empty());
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(velmor::documentOfFormulas({1, 2, 3}, {}).empty());
}

// Each insertion command's step has the command's name.
TEST(StepLabels, InsertionsAreNamedAfterTheirCommand) {
    const std::pair<const char*, const char*> cases[] = {
        {"{NewItemTool}{Click 10 10}{sin}", "Insert Sin"},
        {"{NewItemTool}{Click 10 10}{True}", "Insert True"},
        {"{Click 10 10}a+b{Left}{root}", "Insert Root"},
        {"{Click 10 10}a+b{Left}{notBelong}", "Insert Not Belongs"},
    };
    for (const auto& [script, label] : cases) {
        velmor::HeadlessSession s;
        s.newDocument();
        play(s, script);
        EXPECT_EQ(s.doc().history().undoLabel(), label) << script;
    }
}

}  // namespace

