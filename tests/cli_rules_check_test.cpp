// velmor-cli rules check on purpose-built rule files, one per kind of
// finding, and on the example rule file.
//
// A case NAME in tests/rules/ is made of
//   NAME.rules     the rule file's items, one formula per line in linear form
//   NAME.expected  what `velmor-cli rules check rules.vlm` prints, then a
//                  line "exit N" with its exit status
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include "algebra_trees.h"
#include "core/linear_text.h"
#include "core/rule_check.h"
#include "core/rule_explain.h"
#include "core/script.h"
#include "text/linear_reader.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCaseDir = fs::path(VELMOR_SOURCE_DIR) / "tests" / "rules";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    if (!fs::is_directory(kCaseDir)) return names;
    for (const auto& e : fs::directory_iterator(kCaseDir))
        if (e.path().extension() == ".rules") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Writes a document holding each line of text as an item of its own, one
// below the other, as a user types a rule file.
::testing::AssertionResult writeRuleFile(const std::string& text, const fs::path& out) {
    velmor::HeadlessSession s;
    s.newDocument();
    std::istringstream lines(text);
    int y = 10;
    for (std::string line; std::getline(lines, line); y += 40) {
        tovimat::linearReading reading = tovimat::readLinear(line);
        if (!reading) return ::testing::AssertionFailure() << line << ": " << reading.reason;
        s.view().setMode(CVelmorView::NewItemMode);
        s.click(tovimat::POINT{10, y});
        tovimat::nucleo* item = s.view().focused();
        if (!item || !item->replaceWith(reading.tree.get()))
            return ::testing::AssertionFailure() << line << ": cannot be placed";
        reading.tree.release()->update();
    }
    if (!s.save(out.string())) return ::testing::AssertionFailure() << s.error();
    return ::testing::AssertionSuccess();
}

class RulesCheckCase : public ::testing::TestWithParam<std::string> {};

TEST_P(RulesCheckCase, PrintsTheExpectedFindings) {
    const std::string name = GetParam();
    const fs::path dir =
        fs::temp_directory_path() / ("velmor-rules-check-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_TRUE(writeRuleFile(readFile(kCaseDir / (name + ".rules")), dir / "rules.vlm"));

    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    std::string out, error;
    const int status = velmor::checkRuleFile("rules.vlm", out, error);
    fs::current_path(previous);
    fs::remove_all(dir);

    EXPECT_EQ(error, "");
    EXPECT_EQ(out + "exit " + std::to_string(status) + "\n", readFile(kCaseDir / (name + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Rules, RulesCheckCase, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(RulesCheck, FindsNothingInTheExampleRuleFile) {
    const std::string file = (fs::path(VELMOR_SOURCE_DIR) / "examples" / "rules.vlm").string();
    std::string out, error;
    EXPECT_EQ(velmor::checkRuleFile(file, out, error), 0) << out;
    EXPECT_EQ(out, file + ": 17 rules, 3 constants, nothing to report\n");
}

// Shapes the editor cannot make, built as trees.
TEST(RulesCheck, PatternsNoFormulaCanHaveNeverMatch) {
    using namespace tovimat::testing::trees;
    // -x / y with the negation a bare member of the quotient: the matcher
    // takes the sign off the members of a quotient, so none ever shows it.
    owned set(Box(Rule(Q(Neg(L("x")), L("y")), Neg(Q(L("x"), L("y")))),
                  Rule(S(L("x"), new tovimat::field("")), L("x")), Rule(S(L("x"), N(0)), L("x"))));
    const velmor::RuleCheck check = velmor::checkRules(*static_cast<tovimat::container*>(set.get()));
    ASSERT_EQ(check.findings.size(), 2u) << (check.findings.empty() ? "" : check.findings[0].text);
    EXPECT_EQ(check.findings[0].kind, velmor::RuleDiagnostic::NeverMatches);
    EXPECT_EQ(check.findings[0].item, 1);
    EXPECT_NE(check.findings[0].text.find("no formula can have the shape"), std::string::npos);
    EXPECT_EQ(check.findings[1].item, 2);
    EXPECT_NE(check.findings[1].text.find("empty place"), std::string::npos);
}

// Items are numbered in the order Test Rule tries them, nested sets where
// they stand; a name that refuses numbers (?) does not cover one that takes
// them, so it shadows nothing that uses plain names.
TEST(RulesCheck, NestedSetsInOrderAndNamesThatRefuseNumbers) {
    using namespace tovimat::testing::trees;
    owned set(Box(Pg(Rule(S(Any(), L("y")), L("y"))), Rule(S(L("x"), N(0)), L("x")),
                  Pg(Rule(S(L("a"), N(0)), L("a")))));
    const velmor::RuleCheck check = velmor::checkRules(*static_cast<tovimat::container*>(set.get()));
    EXPECT_EQ(check.rules, 3);
    ASSERT_EQ(check.findings.size(), 1u) << check.findings[0].text;
    EXPECT_EQ(check.findings[0].kind, velmor::RuleDiagnostic::Shadowed);
    EXPECT_EQ(check.findings[0].item, 3);
    EXPECT_NE(check.findings[0].text.find("shadowed by item 2"), std::string::npos) << check.findings[0].text;
}

// A case NAME in tests/rules/explain/ is made of
//   NAME.lines     a document's lines, one formula per line in linear form
//   NAME.expected  what `velmor-cli rules explain doc.vlm` prints with the
//                  example rule file beside it, then a line "exit N"
std::vector<std::string> explainCaseNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kCaseDir / "explain"))
        if (e.path().extension() == ".lines") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class RulesExplainCase : public ::testing::TestWithParam<std::string> {};

TEST_P(RulesExplainCase, PrintsTheDryRunOfEveryLine) {
    const std::string name = GetParam();
    const fs::path dir =
        fs::temp_directory_path() / ("velmor-rules-explain-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "examples" / "rules.vlm", dir / "rules.vlm");
    ASSERT_TRUE(writeRuleFile(readFile(kCaseDir / "explain" / (name + ".lines")), dir / "doc.vlm"));

    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    std::string out, error;
    const int status = velmor::explainRuleFile("doc.vlm", out, error);
    fs::current_path(previous);
    fs::remove_all(dir);

    EXPECT_EQ(error, "");
    EXPECT_EQ(out + "exit " + std::to_string(status) + "\n",
              readFile(kCaseDir / "explain" / (name + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Rules, RulesExplainCase, ::testing::ValuesIn(explainCaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(RulesExplain, ADocumentOrRuleFileThatCannotBeUsedIsNamed) {
    std::string out, error;
    EXPECT_EQ(velmor::explainRuleFile("/nonexistent/doc.vlm", out, error), 2);
    EXPECT_TRUE(error.starts_with("/nonexistent/doc.vlm: cannot be read: ")) << error;
}

TEST(RulesCheck, AFileThatCannotBeUsedIsNamedWithTheReason) {
    std::string out, error;
    EXPECT_EQ(velmor::checkRuleFile("/nonexistent/rules.vlm", out, error), 2);
    EXPECT_EQ(out, "");
    EXPECT_TRUE(error.starts_with("/nonexistent/rules.vlm: cannot be read: ")) << error;
}

}  // namespace
