// The modified flag says whether saving would write anything new: changes
// set it, keys and commands that change nothing leave it alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/script.h"
#include "core/velmor_doc.h"

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

TEST(ModifiedFlag, KeysWithoutACaretChangeNothing) {
    velmor::HeadlessSession s;
    s.newDocument();
    play(s, "{EditTool}xy");
    EXPECT_FALSE(s.doc().isModified());
}

}  // namespace
