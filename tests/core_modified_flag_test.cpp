// The modified flag says whether saving would write anything new: changes
// set it, keys and commands that change nothing leave it alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>

#include <random>
#include <string>
#include <vector>

#include "core/linear_text.h"
#include "core/script.h"
#include "core/velmor_doc.h"
#include "platform/messages.h"
#include "random_actions.h"
#include "store/stream.h"

namespace {

void play(velmor::HeadlessSession& s, const std::string& script) {
    std::vector<velmor::ScriptAction> actions;
    std::string error;
    ASSERT_TRUE(velmor::parseScript(script, actions, error)) << error;
    s.play(actions, error);
}

// A document with one line, saved: nothing is modified yet.
struct SavedLine : ::testing::Test {
    void SetUp() override {
        s.newDocument();
        play(s, "{Click 10 10}a+b");
        s.doc().setModifiedFlag(false);
    }
    velmor::HeadlessSession s;
};

TEST_F(SavedLine, AFontChangesTheDocument) {
    play(s, "{Font Arial 30}");
    EXPECT_TRUE(s.doc().isModified());
}

TEST_F(SavedLine, RefusedCharactersAndCaretMovesChangeNothing) {
    play(s, ")");  // no parentheses around the caret: a beep
    EXPECT_FALSE(s.doc().isModified());
    play(s, "{Left}{Right}");
    EXPECT_FALSE(s.doc().isModified());
    play(s, "c");
    EXPECT_TRUE(s.doc().isModified());
}

TEST(ModifiedFlag, KeysWithoutACaretBeepAndChangeNothing) {
    velmor::HeadlessSession s;
    tovimat::MessageRecorder events;  // after the session, which has a sink of its own
    s.newDocument();
    play(s, "{EditTool}xy");
    EXPECT_FALSE(s.doc().isModified());
    EXPECT_EQ(events.beeps(), 2);
}

// The bytes a save would write now, pending edits as they stand.
std::vector<std::uint8_t> savedBytes(velmor::HeadlessSession& s) {
    tovimat::memStor bytes;
    s.doc().base()->save(bytes);
    return bytes.bytes();
}

// Random sessions, saved now and then as a user saves: from a saved state,
// an action sets the flag exactly when it changes what a save would write.
// A failing session is reported and the next one goes on, so a longer run
// (VELMOR_MODIFIED_SEEDS=N plays seeds 1..N) lists every session that fails.
TEST(ModifiedFlag, FollowsWhetherTheSavedBytesChange) {
    static const char* const commands[] = {"NewItemTool", "EditTool", "SelectorTool", "True",
                                           "sin",         "power",    "root",         "union"};
    static const tovimat::testing::ActionMix mix{"ab12x+-*/^=<(),. \r", commands};
    const char* count = std::getenv("VELMOR_MODIFIED_SEEDS");
    std::vector<unsigned> seeds(count ? std::strtoul(count, nullptr, 10) : 300);
    std::iota(seeds.begin(), seeds.end(), 1u);
    seeds.push_back(1108);  // ends with a drag whose drop puts the nodes back as they were
    seeds.push_back(1111);  // a `)` validates a name and lays the line out again, bytes unchanged
    seeds.push_back(1141);
    for (unsigned seed : seeds) {
        std::mt19937 rng(seed);
        velmor::HeadlessSession s;
        tovimat::MessageRecorder quiet;
        s.newDocument();
        std::string history;
        for (int i = 0; i < 80; ++i) {
            if (rng() % 4 == 0) {
                tovimat::memStor file;
                ASSERT_TRUE(s.doc().root()->save(file));
                history += "{save}";
            }
            const bool clean = !s.doc().isModified();
            const std::vector<std::uint8_t> before = savedBytes(s);
            const std::string textBefore = velmor::linearLines(*s.doc().base());
            const velmor::ScriptAction a = tovimat::testing::randomAction(rng, mix);
            history += tovimat::testing::scriptOf(a);
            s.play(a);
            const bool changed = savedBytes(s) != before;
            // Taking the caret into another place of a shared value writes
            // the value under that place: other bytes, the same formulas.
            const bool sameFormulas = velmor::linearLines(*s.doc().base()) == textBefore;
            if (clean && s.doc().isModified() != changed && !(changed && sameFormulas && !s.doc().isModified())) {
                ADD_FAILURE() << "seed " << seed << ": " << history;
                break;
            }
        }
        s.doc().onCloseDocument();
    }
}

}  // namespace
