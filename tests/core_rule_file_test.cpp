// Finding the rule file (current directory, the document's folder, the
// user's copy, the installed default) and what is said when it cannot be used.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "core/rule_file.h"
#include "platform/messages.h"

namespace fs = std::filesystem;

namespace {

// No test of this program may read or make the rule files of the user who
// runs it, nor depend on what is installed on the machine: the user's folder
// and the installed default point where nothing is.
class NoUserRuleFiles : public ::testing::Environment {
public:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", "/nonexistent/velmor-tests/data", 1);
        velmor::setInstalledRuleFileForTesting("/nonexistent/velmor-tests/share/velmor/rules.vlm");
    }
};

[[maybe_unused]] const auto* const kNoUserRuleFiles =
    ::testing::AddGlobalTestEnvironment(new NoUserRuleFiles);

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

const std::string& exampleRules() {
    static const std::string bytes = readBytes(fs::path(VELMOR_SOURCE_DIR) / "examples" / "rules.vlm");
    return bytes;
}

// A scratch tree, entered as the current directory:
//   ROOT/work/                the current directory
//   ROOT/docs/a.vlm           the document (never written)
//   ROOT/data/velmor/         the user's folder
//   ROOT/share/velmor/        the installed default
class RuleFileLookup : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("velmor-rules-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "work");
        fs::create_directories(root_ / "docs");
        previous_ = fs::current_path();
        fs::current_path(root_ / "work");
        search_.documentPath = (root_ / "docs" / "a.vlm").string();
        search_.userDataDir = (root_ / "data" / "velmor").string();
        search_.installedDefaults = {installed().string()};
    }
    void TearDown() override {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path inWork() const { return root_ / "work" / "rules.vlm"; }
    fs::path inDocs() const { return root_ / "docs" / "rules.vlm"; }
    fs::path userCopy() const { return root_ / "data" / "velmor" / "rules.vlm"; }
    fs::path installed() const { return root_ / "share" / "velmor" / "rules.vlm"; }
    std::string find() {
        error_.clear();
        return velmor::findRuleFile(search_, error_);
    }

    fs::path root_, previous_;
    velmor::RuleFileSearch search_;
    std::string error_;
};

TEST_F(RuleFileLookup, TakesTheFirstOfCurrentDirectoryDocumentFolderUserCopyInstalled) {
    for (const fs::path& p : {inWork(), inDocs(), userCopy(), installed()}) writeBytes(p, exampleRules());
    EXPECT_EQ(find(), "rules.vlm");
    fs::remove(inWork());
    EXPECT_EQ(find(), inDocs().string());
    fs::remove(inDocs());
    EXPECT_EQ(find(), userCopy().string());
    // An untitled document has no folder to look in.
    writeBytes(inDocs(), exampleRules());
    search_.documentPath.clear();
    EXPECT_EQ(find(), userCopy().string());
}

TEST_F(RuleFileLookup, MakesTheUsersCopyFromTheInstalledDefaultOnFirstUse) {
    writeBytes(installed(), exampleRules());
    EXPECT_EQ(find(), userCopy().string());
    EXPECT_EQ(readBytes(userCopy()), exampleRules());
    // The user's edits are theirs: the copy is not made again.
    writeBytes(userCopy(), "edited");
    EXPECT_EQ(find(), userCopy().string());
    EXPECT_EQ(readBytes(userCopy()), "edited");
}

TEST_F(RuleFileLookup, UsesTheInstalledDefaultWhenNoCopyCanBeMade) {
    writeBytes(installed(), exampleRules());
    // A file where the user's folder should be: the folder cannot be made.
    writeBytes(root_ / "data" / "velmor", "in the way");
    EXPECT_EQ(find(), installed().string());
}

TEST_F(RuleFileLookup, NoRuleFileSaysWhereItLooked) {
    EXPECT_EQ(find(), "");
    EXPECT_EQ(error_, "no rule file: looked in rules.vlm, " + inDocs().string() + ", " + userCopy().string() +
                          ", " + installed().string());
    // The document's folder that is the current directory is looked in once.
    search_.documentPath = (root_ / "work" / "b.vlm").string();
    find();
    EXPECT_EQ(error_,
              "no rule file: looked in rules.vlm, " + userCopy().string() + ", " + installed().string());
}

TEST_F(RuleFileLookup, AnUnusableFileIsReportedNotSkipped) {
    writeBytes(userCopy(), exampleRules());
    writeBytes(inWork(), "plain text, not a document");
    std::string path, error;
    tovimat::MessageRecorder quiet;
    EXPECT_EQ(velmor::loadRuleFile(search_, path, error), nullptr);
    EXPECT_EQ(path, "rules.vlm");
    EXPECT_EQ(error, "rules.vlm: not a Velmor document");
}

TEST_F(RuleFileLookup, EveryFailureNamesTheFileAndWhatIsWrong) {
    tovimat::MessageRecorder quiet;
    std::string error;
    const std::string file = inWork().string();

    writeBytes(inWork(), "");
    EXPECT_EQ(velmor::readRuleFile(file, error), nullptr);
    EXPECT_EQ(error, file + ": not a Velmor document");

    std::string newer = exampleRules();
    newer[4] = 0;
    newer[6] = 2;  // version 2.0
    writeBytes(inWork(), newer);
    EXPECT_EQ(velmor::readRuleFile(file, error), nullptr);
    EXPECT_EQ(error, file + ": version 2.0 is not supported");

    writeBytes(inWork(), exampleRules().substr(0, exampleRules().size() / 2));
    EXPECT_EQ(velmor::readRuleFile(file, error), nullptr);
    EXPECT_EQ(error, file + ": damaged, its records break off or cannot be read");

    fs::remove(inWork());
    fs::create_directories(inWork());
    EXPECT_EQ(velmor::readRuleFile(file, error), nullptr);
    EXPECT_TRUE(error.starts_with(file + ": cannot be read: ")) << error;

    fs::remove(inWork());
    writeBytes(inWork(), exampleRules());
    auto rules = velmor::readRuleFile(file, error);
    ASSERT_NE(rules, nullptr) << error;
    EXPECT_GT(rules->members(), 0);
    EXPECT_EQ(error, "");
}

}  // namespace
