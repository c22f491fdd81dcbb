// The undo history over random sessions of the whole program core: after
// every action, undoing the steps it made gives back the document as it
// was before (records, dump with carets and selections) and redoing them the
// document as it was after; at the end, undoing everything gives the empty
// document. The session mix adds the Edit commands to the random session's.
// VELMOR_HISTORY_SEEDS=first-last and VELMOR_HISTORY_EDITS run it long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>

#include "core/clipboard.h"
#include "core/commands.h"
#include "core/headless_window.h"
#include "core/script.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "model/dump.h"
#include "random_actions.h"

namespace {

using namespace tovimat;
using velmor::ScriptAction;
namespace cmd = velmor::cmd;

const char* const historyCommands[] = {
    "NewItemTool", "EditTool", "SelectorTool", "True", "sin",  "power", "root",  "log",      "union",
    "Undo",        "Undo",     "Redo",         "Cut",  "Copy", "Paste", "Paste", "SelectAll"};
const tovimat::testing::ActionMix historyMix{"ab12x+-*/^=<(),. \r", historyCommands};

ScriptAction historyAction(std::mt19937& rng) { return tovimat::testing::randomAction(rng, historyMix); }

struct Shot {
    std::vector<std::uint8_t> bytes;
    std::string dump;
    bool operator==(const Shot& o) const { return bytes == o.bytes && dump == o.dump; }
};

Shot shot(velmor::HeadlessSession& s) {
    DumpOptions geometry;
    geometry.geometry = true;
    return {s.doc().currentBytes(), dumpTree(*s.doc().base(), geometry)};
}

// Whether the tree its records hold, laid out afresh, is the tree that wrote
// them. Some trees the editor builds are not: reading applies the insertion
// rules, which may add parentheses the tree did not have, and a tree edited
// in place may stand laid out otherwise than the same tree laid out anew.
// Undo cannot give such a tree back from its records.
bool readsBack(velmor::HeadlessSession& s) {
    DumpOptions geometry;
    geometry.geometry = true;
    const std::regex markers(" <(caret [0-9]+|selected)>");
    const std::string live = std::regex_replace(dumpTree(*s.doc().base(), geometry), markers, "");
    CVelmorDoc doc;
    CHeadlessWindow window;
    CVelmorView view(doc, window);
    return doc.onOpenBytes(s.doc().currentBytes(), "state") &&
           std::regex_replace(dumpTree(*doc.base(), geometry), markers, "") == live;
}

std::string describe(const Shot& expected, const Shot& got) {
    if (expected.dump != got.dump) return "expected:\n" + expected.dump + "got:\n" + got.dump;
    return "same dump, different records (" + std::to_string(expected.bytes.size()) + " / " +
           std::to_string(got.bytes.size()) + " bytes)";
}

std::pair<unsigned, unsigned> seeds(unsigned first, unsigned last) {
    if (const char* range = std::getenv("VELMOR_HISTORY_SEEDS")) {
        char* dash = nullptr;
        first = unsigned(std::strtoul(range, &dash, 10));
        last = dash && *dash == '-' ? unsigned(std::strtoul(dash + 1, nullptr, 10)) : first;
    }
    return {first, std::max(first, last)};
}

int editsPerSession(int fallback) {
    if (const char* n = std::getenv("VELMOR_HISTORY_EDITS")) return std::max(1, std::atoi(n));
    return fallback;
}

struct Tally {
    long long checked = 0;
    int unstable = 0;  // sessions stopped at a tree its records do not give back
};

// Plays one session; answers the first problem, with the script that led to it.
std::string playSession(unsigned seed, int actions, Tally& tally) {
    long long& checked = tally.checked;
    std::mt19937 rng(seed);
    velmor::Clipboard::instance().clear();
    velmor::HeadlessSession session;
    session.newDocument();
    velmor::History& history = session.doc().history();
    const Shot empty = shot(session);
    std::string script;
    Shot before = empty;
    bool beforeReadsBack = true;
    for (int i = 0; i < actions; ++i) {
        const ScriptAction a = historyAction(rng);
        script += tovimat::testing::scriptOf(a);
        const std::size_t doneBefore = history.done();
        bool afterReadsBack = true;
        auto fail = [&](const std::string& what) -> std::string {
            if (!beforeReadsBack || !afterReadsBack) {
                ++tally.unstable;
                return {};
            }
            return "seed " + std::to_string(seed) + " action " + std::to_string(i + 1) + " after " + script +
                   "\n" + what;
        };
        const bool undoing =
            a.kind == ScriptAction::Command && (a.command == cmd::Undo || a.command == cmd::Redo);
        session.play(a);
        const Shot after = shot(session);
        afterReadsBack = readsBack(session);
        if (!session.doc().lines().upToDate()) return fail("the history missed a change of the lines");
        // A change that made no step would be lost to Undo.
        if (!undoing && history.done() == doneBefore && after.bytes != before.bytes) {
            const bool extended = history.canUndo() && !history.canRedo();
            if (!extended) return fail("the document changed without a step");
        }
        const std::size_t made = undoing || history.done() < doneBefore ? 0 : history.done() - doneBefore;
        for (std::size_t k = 0; k < made; ++k) session.view().onUndo();
        if (made > 0 && history.done() == doneBefore) {
            const Shot undone = shot(session);
            if (undone.bytes != before.bytes) return fail("Undo: " + describe(before, undone));
            ++checked;
        }
        if (history.canUndo()) {
            const std::size_t at = history.done();
            session.view().onUndo();
            session.view().onRedo();
            if (history.done() != at) return fail("Undo and Redo moved the history");
        }
        for (std::size_t k = 0; k < made; ++k) session.view().onRedo();
        const Shot redone = shot(session);
        if (redone != after) return fail("Redo: " + describe(after, redone));
        ++checked;
        before = after;
        beforeReadsBack = afterReadsBack;
    }
    while (session.doc().history().canUndo()) session.view().onUndo();
    const Shot first = shot(session);
    if (first.bytes != empty.bytes && history.steps() < velmor::History::kMaxSteps)
        return "seed " + std::to_string(seed) + ": undoing everything left " + first.dump;
    return {};
}

TEST(HistorySession, UndoAndRedoGiveBackEachStateOfARandomSession) {
    const auto [first, last] = seeds(1, 40);
    const int actions = editsPerSession(150);
    Tally tally;
    int failed = 0;
    for (unsigned seed = first; seed <= last; ++seed) {
        const std::string problem = playSession(seed, actions, tally);
        if (problem.empty()) continue;
        ++failed;
        ADD_FAILURE() << problem;
        if (failed >= 5) break;
    }
    std::printf(
        "history sessions: seeds %u-%u, %d actions each: %lld states checked, %d sessions stopped at a tree "
        "its "
        "records do not give back, %d sessions failed\n",
        first, last, actions, tally.checked, tally.unstable, failed);
}

}  // namespace

namespace {

void playScript(velmor::HeadlessSession& s, std::string_view script) {
    std::string error;
    ASSERT_TRUE(s.play(script, error)) << error;
}

std::vector<std::uint8_t> savedBytes(velmor::HeadlessSession& s, const std::string& path) {
    EXPECT_TRUE(s.save(path)) << s.error();
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each kind of step, after a first line: undoing it, then saving, writes the
// bytes saved before it.
TEST(HistorySteps, UndoThenSaveWritesTheBytesSavedBeforeTheStep) {
    const std::string path = ::testing::TempDir() + "history_saved.vlm";
    const char* const steps[] = {
        "{Calculate}",
        "{Back}",
        "{Font Arial 20}",
        "{power}",
        "{NewItemTool}{Click 10 60}c*d",
        "{SelectorTool}{Drag 0 0 200 40}{Del}",
        "{SelectorTool}{Drag 0 0 200 40}{Drag 12 12 60 80 alt}",
        "{SelectorTool}{Drag 0 0 200 40}{Drag 12 12 60 80 shift}",
        "{SelectorTool}{Drag 0 0 200 40}{Drag 12 12 60 80}",
        "{Cut}",
        "{Copy}{Paste}",
        "{PasteText (x+1)/2}",
    };
    // Saving validates the pending edit and takes the caret, so the bytes
    // before the step come from a session of their own.
    const std::string prefix = "{Click 10 10}1+2{End}";
    velmor::HeadlessSession first;
    first.newDocument();
    playScript(first, prefix);
    const std::vector<std::uint8_t> before = savedBytes(first, path);
    for (const char* step : steps) {
        velmor::HeadlessSession s;
        s.newDocument();
        playScript(s, prefix);
        const std::size_t done = s.doc().history().done();
        playScript(s, step);
        ASSERT_EQ(s.doc().history().done(), done + 1) << step;
        s.view().onUndo();
        EXPECT_EQ(savedBytes(s, path), before) << step;
    }
}

// The modified mark is off exactly at the state in the file.
TEST(HistorySteps, ModifiedFlagIsCleanExactlyAtTheSavedState) {
    const std::string path = ::testing::TempDir() + "history_modified.vlm";
    velmor::HeadlessSession s;
    s.newDocument();
    auto play = [&](const char* script) { playScript(s, script); };
    play("{Click 10 10}ab");
    ASSERT_TRUE(s.save(path));
    play("{Click 20 12}c");
    EXPECT_TRUE(s.doc().isModified());
    s.view().onUndo();
    EXPECT_FALSE(s.doc().isModified());
    s.view().onUndo();
    EXPECT_TRUE(s.doc().isModified());
    s.view().onRedo();
    EXPECT_FALSE(s.doc().isModified());
    s.view().onRedo();
    EXPECT_TRUE(s.doc().isModified());
}

velmor::LinesChange changeOf(std::size_t bytes) {
    auto g = std::make_shared<velmor::LineGroup>();
    g->ids = {1};
    g->bytes.assign(bytes, 0);
    velmor::LinesChange c;
    c.after.push_back(g);
    return c;
}

// At most 1,000 steps and 64 MiB: the oldest go first, and what is left
// still undoes and redoes.
TEST(HistorySteps, HistoryIsBounded) {
    velmor::History h;
    h.clear();
    h.start({});
    for (int i = 0; i < 1005; ++i) h.record("Typing", changeOf(10), {}, false);
    EXPECT_EQ(h.steps(), velmor::History::kMaxSteps);
    EXPECT_EQ(h.done(), velmor::History::kMaxSteps);

    h.clear();
    h.start({});
    for (int i = 0; i < 70; ++i) h.record("Calculate", changeOf(std::size_t(1) << 20), {}, false);
    EXPECT_LE(h.bytesHeld(), velmor::History::kMaxBytes);
    EXPECT_LT(h.steps(), 70u);
    EXPECT_GT(h.steps(), 50u);
    while (h.canUndo()) ASSERT_NE(h.undo(), nullptr);
    EXPECT_FALSE(h.atSavedState());  // the saved state was dropped with its steps
    EXPECT_EQ(h.redoLabel(), "Calculate");
}

// Typing in one place is one step; moving the caret starts another.
TEST(HistorySteps, TypingMergesUntilTheCaretMoves) {
    velmor::HeadlessSession s;
    s.newDocument();
    playScript(s, "{Click 10 10}abc{Left}{Left}xy");
    EXPECT_EQ(s.doc().history().done(), 2u);
    EXPECT_EQ(s.doc().history().undoLabel(), "Typing");
    s.view().onUndo();
    EXPECT_EQ(dumpTree(*s.doc().base()), "container\n  literal \"abc\" <caret 1>\n");
}

}  // namespace
