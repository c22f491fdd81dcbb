// Calculate All, Simplify, and Test Rule with the rule file beside the
// document: the commands that add steps to a line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "core/commands.h"
#include "core/linear_text.h"
#include "core/script.h"

namespace fs = std::filesystem;
namespace cmd = velmor::cmd;

namespace {

std::string played(const std::string& script) {
    velmor::HeadlessSession s;
    s.newDocument();
    std::string error;
    EXPECT_TRUE(s.play(script, error)) << error;
    return s.output(false);
}

// Calculate All is Calculate repeated until a step changes nothing: the same
// lines, the same caret, and the same status at the end.
TEST(CoreCalculateAll, EqualsCalculateRepeatedUntilNothingChanges) {
    for (const std::string formula : {"(a+b)*(c+d)", "2*(3+4)-5", "x*(1+2)+1/2", "12/8*(a+b)"}) {
        const std::string start = "{Click 10 10}" + formula + "{End}{End}";
        std::string calculates = "{Calculate}";
        std::string repeated = played(start + calculates);
        for (int n = 2; n < 10; ++n) {
            calculates += "{Calculate}";
            std::string more = played(start + calculates);
            // A Calculate that changed nothing, or found no formula to work
            // on, says so: without that line the output is the one before.
            for (const char* line : {"! status \"nothing to calculate", "! disabled Calculate"}) {
                const auto cut = more.find(line);
                if (cut != std::string::npos) more.erase(cut, more.find('\n', cut) + 1 - cut);
            }
            if (more == repeated) break;
            repeated = more;
        }
        EXPECT_EQ(played(start + "{CalculateAll}"), repeated) << formula;
    }
}

TEST(CoreCalculateAll, SaysWhenThereIsNothingToCalculate) {
    EXPECT_EQ(played("{Click 10 10}x+x{End}{CalculateAll}")
                  .rfind("! status \"nothing to calculate in x + x\"\n", 0),
              0u);
    const std::string refused = played("{Click 10 10}1/0{End}{End}{CalculateAll}");
    EXPECT_EQ(refused.rfind("! status \"Cannot calculate: division by zero\"\n", 0), 0u) << refused;
    EXPECT_EQ(played("{Click 10 10}x{CalculateAll}").rfind("! disabled CalculateAll\n", 0), 0u);
}

TEST(CoreSimplify, OneRewritePerCommandCommittedAsAStep) {
    velmor::HeadlessSession s;
    s.newDocument();
    std::string error;
    ASSERT_TRUE(s.play("{Click 10 10}12/8{End}{Simplify}", error)) << error;
    EXPECT_EQ(velmor::linearLines(*s.doc().base()), "12 / 8 = 6 / 4\n");
    EXPECT_TRUE(s.doc().isModified());
    ASSERT_TRUE(s.play("{Simplify}{Simplify}", error)) << error;
    EXPECT_EQ(velmor::linearLines(*s.doc().base()), "12 / 8 = 3 / 2\n");
    EXPECT_EQ(s.log().text(), "! status \"nothing to simplify in 3 / 2\"\n");
}

TEST(CoreTestRule, ReadsTheRulesBesideTheDocument) {
    const fs::path dir = fs::temp_directory_path() / ("velmor-doc-rules-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "examples" / "rules.vlm", dir / "rules.vlm");

    velmor::HeadlessSession s;
    s.newDocument();
    std::string error;
    ASSERT_TRUE(s.play("{Click 10 10}a+0{End}{End}", error)) << error;
    // Untitled: no folder of its own, and no rule file anywhere else.
    s.view().execute(cmd::TestRule);
    EXPECT_NE(s.log().text().find("no rule file: looked in rules.vlm, /nonexistent"), std::string::npos)
        << s.log().text();
    ASSERT_TRUE(s.save((dir / "a.vlm").string())) << s.error();

    velmor::HeadlessSession opened;
    ASSERT_TRUE(opened.open((dir / "a.vlm").string())) << opened.error();
    ASSERT_TRUE(opened.play("{EditTool}{Click 12 12}{End}{End}{TestRule}", error)) << error;
    EXPECT_EQ(velmor::linearLines(*opened.doc().base()), "a + 0 = a\n");
    // The rule's replacement sounds once for the x it fills in.
    EXPECT_EQ(opened.log().text(), "! beep 16\n");
    fs::remove_all(dir);
}

}  // namespace
