// The dry run of a rule file on the formula with the caret, and applying one
// of its matches as a step: the first match listed is exactly the step Test
// Rule makes, every match applies as one undoable step, and the dry run
// itself changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "core/commands.h"
#include "core/linear_text.h"
#include "core/rule_explain.h"
#include "core/rule_file.h"
#include "core/script.h"
#include "core/velmor_doc.h"

namespace fs = std::filesystem;
namespace cmd = velmor::cmd;

namespace {

// A document saved in a folder of its own beside a copy of the example rule
// file, so that Test Rule finds that file.
class RuleDryRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmor-dry-run-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "examples" / "rules.vlm", dir_ / "rules.vlm");
        std::string error;
        rules_ = velmor::readRuleFile((dir_ / "rules.vlm").string(), error);
        ASSERT_TRUE(rules_) << error;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A new document holding what is typed, with the caret on the whole
    // formula.
    void start(velmor::HeadlessSession& s, const std::string& typed) {
        s.newDocument();
        // Saved first: a save takes the caret away.
        ASSERT_TRUE(s.save((dir_ / "doc.vlm").string())) << s.error();
        std::string error;
        ASSERT_TRUE(s.play("{Click 10 10}" + typed + "{End}{End}", error)) << error;
        ASSERT_TRUE(formula(s)) << "no formula has the caret";
    }

    tovimat::container* formula(velmor::HeadlessSession& s) {
        tovimat::nucleo* f = s.view().focused();
        return f && f->isGroup() ? static_cast<tovimat::container*>(f) : nullptr;
    }

    std::string text(velmor::HeadlessSession& s) { return velmor::linearLines(*s.doc().base()); }

    fs::path dir_;
    std::unique_ptr<tovimat::container> rules_;
};

// Test Rule, then the same step from the dry run's first match after an
// Undo, on each formula and again on the line each step makes.
TEST_F(RuleDryRun, TheFirstMatchIsTheStepTestRuleMakes) {
    int compared = 0;
    for (const char* typed : {"a+0+b*1", "a*(b+c+d)", "p^m*p^n+q^0", "x*x+y/1", "u+0-u", "(a+0)*1"}) {
        SCOPED_TRACE(typed);
        velmor::HeadlessSession s;
        start(s, typed);
        for (int step = 0; step < 3 && formula(s); ++step) {
            SCOPED_TRACE(step);
            const std::string before = text(s);
            const velmor::RuleDryRun run = velmor::dryRunRules(*rules_, *formula(s));
            EXPECT_EQ(text(s), before) << "the dry run changed the document";
            if (run.matches.empty()) break;
            const int item = run.matches[0].item;
            const std::vector<int> path = run.matches[0].path;

            ASSERT_TRUE(s.view().execute(cmd::TestRule));
            const std::string byTestRule = text(s);
            ASSERT_NE(byTestRule, before);
            std::string error;
            ASSERT_TRUE(s.play("{Undo}", error)) << error;
            ASSERT_EQ(text(s), before);

            // Undo rebuilt the line: the same match, found again.
            const velmor::RuleDryRun again = velmor::dryRunRules(*rules_, *formula(s));
            ASSERT_FALSE(again.matches.empty());
            ASSERT_EQ(again.matches[0].item, item);
            ASSERT_EQ(again.matches[0].path, path);
            ASSERT_TRUE(s.view().applyRuleMatch(*rules_, *again.matches[0].rule, *again.matches[0].place));
            EXPECT_EQ(text(s), byTestRule);
            ++compared;
        }
    }
    // Lines with steps were compared too, not only fresh formulas.
    EXPECT_GE(compared, 10);
}

// Every match listed applies, as one step that one Undo takes back.
TEST_F(RuleDryRun, EveryMatchAppliesAsOneUndoableStep) {
    velmor::HeadlessSession s;
    start(s, "(a+0)*1+b*(c+d)");
    const std::string before = text(s);
    const size_t count = velmor::dryRunRules(*rules_, *formula(s)).matches.size();
    ASSERT_GE(count, 3u);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(formula(s));
        const velmor::RuleDryRun run = velmor::dryRunRules(*rules_, *formula(s));
        ASSERT_EQ(run.matches.size(), count);
        const velmor::RuleMatch& m = run.matches[i];
        ASSERT_TRUE(s.view().applyRuleMatch(*rules_, *m.rule, *m.place, "rules.vlm"));
        // The step tells which rule made it, not the first that matched.
        EXPECT_NE(s.view().caretStepOrigin().find("rules.vlm item " + std::to_string(m.item) + " ("),
                  std::string::npos)
            << s.view().caretStepOrigin();
        // The new step holds what the rule gives at that place.
        const std::string after = text(s);
        EXPECT_NE(after.find(" = "), std::string::npos) << after;
        EXPECT_NE(after.substr(after.find(" = ")).find(m.resultText), std::string::npos)
            << after << " lacks " << m.resultText;
        std::string error;
        ASSERT_TRUE(s.play("{Undo}", error)) << error;
        ASSERT_EQ(text(s), before);
    }
}

// Where each rule matches and what its names stand for there.
TEST_F(RuleDryRun, ListsPlacesAndBindings) {
    velmor::HeadlessSession s;
    start(s, "a*(b+c+d)+e*1");
    const velmor::RuleDryRun run = velmor::dryRunRules(*rules_, *formula(s));
    ASSERT_EQ(run.matches.size(), 2u);
    // x * 1 = x on the second term.
    EXPECT_EQ(run.matches[0].item, 2);
    EXPECT_EQ(run.matches[0].path, std::vector<int>{2});
    EXPECT_EQ(run.matches[0].placeText, "e * 1");
    ASSERT_EQ(run.matches[0].bindings.size(), 1u);
    EXPECT_EQ(run.matches[0].bindings[0].name, "x");
    EXPECT_EQ(run.matches[0].bindings[0].value, "e");
    EXPECT_EQ(run.matches[0].resultText, "e");
    // x * (y + z): the sum has more members than the pattern, so z takes
    // the rest.
    const velmor::RuleMatch& spread = run.matches[1];
    EXPECT_EQ(velmor::matchLine(spread),
              "item 12 (x * (y + z) = x * y + x * z) at 1 (a * (b + c + d)) with x = a, y = b, z = c + d "
              "gives a * b + a * (c + d)");
}

// A rule that does not match at the place given changes nothing, and a
// place outside the formula is no place.
TEST_F(RuleDryRun, ApplyingARuleWhereItDoesNotMatchChangesNothing) {
    velmor::HeadlessSession s;
    start(s, "a+0+b*1");
    const velmor::RuleDryRun run = velmor::dryRunRules(*rules_, *formula(s));
    ASSERT_EQ(run.matches.size(), 2u);
    const std::string before = text(s);
    // x + 0 = x where only x * 1 = x matches.
    EXPECT_FALSE(s.view().applyRuleMatch(*rules_, *run.matches[0].rule, *run.matches[1].place));
    EXPECT_EQ(text(s), before);
    tovimat::results r =
        velmor::applyRuleAt(*rules_, *run.matches[1].place, *run.matches[0].rule, *run.matches[0].place);
    EXPECT_EQ(r.changes, 0);
}

}  // namespace
