// The example documents and the default rule file: the committed files are
// exactly what the generator writes, and the rule file does its work.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "../examples/example_docs.h"
#include "algebra_trees.h"
#include "store/loader.h"

namespace tovimat {
namespace {

using namespace testing::trees;
namespace fs = std::filesystem;

std::vector<std::uint8_t> readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AlgebraExamples, CommittedFilesAreWhatTheGeneratorWrites) {
    const fs::path dir = fs::temp_directory_path() / ("velmor-examples-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_TRUE(velmor::examples::writeAll(dir.string()));
    for (const char* file : {"rules.vlm", "quadratic.vlm", "fractions.vlm", "steps.vlm", "sets_logic.vlm"}) {
        const auto made = readFile(dir / file);
        const auto committed = readFile(fs::path(VELMOR_SOURCE_DIR) / "examples" / file);
        EXPECT_FALSE(made.empty()) << file;
        EXPECT_TRUE(made == committed) << file << " differs from the generator's output: rebuild the examples target";
    }
    fs::remove_all(dir);
}

// The rule file loaded as Test Rule and Use constants load it.
std::unique_ptr<container> ruleFile() {
    for (auto& [file, bytes] : velmor::examples::allFiles()) {
        if (file != "rules.vlm") continue;
        memStor s(bytes);
        if (!chkAlgFile(s)) return nullptr;
        nucleo* n = algLoad(s);
        if (!n || !n->isGroup()) {
            delete n;
            return nullptr;
        }
        return std::unique_ptr<container>(static_cast<container*>(n));
    }
    return nullptr;
}

TEST(AlgebraExamples, TheRuleFileRewritesAndDefinesConstants) {
    MessageRecorder quiet;
    auto rules = ruleFile();
    ASSERT_NE(rules, nullptr);
    auto rewrite = [&](nucleo* target, nucleo* expected) {
        owned t(target);
        results r = static_cast<container*>(t.get())->applyRules(rules.get(), nullptr);
        if (r.changes == 0) {
            delete expected;
            return ::testing::AssertionFailure() << "no rule applied to\n" << dump(t.get());
        }
        return sameTree(r.value.release(), expected);
    };
    EXPECT_TRUE(rewrite(S(L("a"), N(0)), L("a")));
    EXPECT_TRUE(rewrite(M_(L("a"), L("a")), P(L("a"), N(2))));
    EXPECT_TRUE(rewrite(M_(P(L("a"), N(2)), P(L("a"), N(3))), P(L("a"), S(N(2), N(3)))));
    EXPECT_TRUE(rewrite(M_(L("k"), Par(S(L("u"), L("v")))), S(M_(L("k"), L("u")), M_(L("k"), L("v")))));
    EXPECT_TRUE(rewrite(S(P(Sin(L("t")), N(2)), P(Cos(L("t")), N(2))), N(1)));
    EXPECT_TRUE(rewrite(Cos(Par(Neg(L("t")))), Cos(L("t"))));
    owned expr(M_(L("g"), L("t"), L("pi")));
    static_cast<container*>(expr.get())->useConstants(rules.get());
    EXPECT_TRUE(sameTree(shapeOf(expr.get()), M_(N(9.81), L("t"), N(3.14159265358979))));
}

}  // namespace
}  // namespace tovimat
