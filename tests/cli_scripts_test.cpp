// Plays every script case of tests/scripts through the code behind
// `velmor-cli run` and compares the event log and dump byte for byte.
//
// A case NAME is made of
//   NAME.script    the script, as `velmor-cli run -f` reads it
//   NAME.expected  what `velmor-cli run` prints
//   NAME.flags     optional: `--geometry`, `--steps` and/or `--open FILE` (FILE relative
//                  to tests/scripts)
//   NAME.files/    optional: files put in the current directory of the run
//                  (a rules.vlm, for instance)
// Every case runs in a fresh, empty current directory. The cases in
// tests/scripts/pending/ have the same form; they describe behaviour the
// engine does not show yet and are not run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include "core/script.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCaseDir = fs::path(VELMOR_SOURCE_DIR) / "tests" / "scripts";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    if (!fs::is_directory(kCaseDir)) return names;
    for (const auto& e : fs::directory_iterator(kCaseDir))
        if (e.is_regular_file() && e.path().extension() == ".script")
            names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs in a new temporary directory for as long as it lives.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name) : previous_(fs::current_path()) {
        path_ = fs::temp_directory_path() / ("velmor-script-" + name + "-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
        fs::current_path(path_);
    }
    ~ScratchDirectory() {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path previous_;
    fs::path path_;
};

class ScriptCase : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptCase, PrintsTheExpectedLogAndDump) {
    const std::string name = GetParam();
    velmor::RunOptions options;
    ASSERT_TRUE(velmor::readScriptFile((kCaseDir / (name + ".script")).string(), options.script));
    const fs::path flagsFile = kCaseDir / (name + ".flags");
    if (fs::exists(flagsFile)) {
        std::istringstream flags(readFile(flagsFile));
        for (std::string flag; flags >> flag;) {
            if (flag == "--geometry") {
                options.geometry = true;
            } else if (flag == "--steps") {
                options.steps = true;
            } else if (flag == "--open") {
                ASSERT_TRUE(flags >> flag) << "--open needs a file";
                options.openPath = (kCaseDir / flag).string();
            } else {
                FAIL() << "unknown flag " << flag << " in " << flagsFile;
            }
        }
    }
    const std::string expected = readFile(kCaseDir / (name + ".expected"));

    ScratchDirectory scratch(name);
    const fs::path files = kCaseDir / (name + ".files");
    if (fs::is_directory(files)) fs::copy(files, scratch.path(), fs::copy_options::recursive);

    velmor::RunResult result = velmor::runScript(options);
    EXPECT_EQ(result.exitCode, 0) << result.error;
    EXPECT_EQ(result.out, expected) << "script: " << options.script;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptCase, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(ScriptCases, AreFound) { EXPECT_GE(caseNames().size(), 20u) << "no cases in " << kCaseDir; }

}  // namespace
