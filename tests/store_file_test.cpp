// Document files on the disk: a save replaces the old file whole or not at
// all, damaged files are told apart from good ones, and pipes read like files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/script.h"
#include "store/file_io.h"

using namespace tovimat;
namespace fs = std::filesystem;

namespace {

const fs::path kExample = fs::path(VELMOR_SOURCE_DIR) / "examples" / "example.vlm";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh folder for one test, removed with everything in it.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmor-files-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        tovimat::testing::setWriteBudget(-1);
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    bool replace(const fs::path& p, const std::string& bytes) {
        reason_.clear();
        return replaceFile(p.string(), bytes.data(), bytes.size(), reason_);
    }

    fs::path dir_;
    std::string reason_;
};

using Names = std::vector<std::string>;

TEST_F(FileTest, ReplacingKeepsPermissionsAndWritesThroughLinks) {
    const fs::path doc = dir_ / "doc.vlm";
    writeFile(doc, "old");
    ::chmod(doc.c_str(), 0640);
    ASSERT_TRUE(replace(doc, "new bytes")) << reason_;
    EXPECT_EQ(readFile(doc), "new bytes");
    struct stat st {};
    ASSERT_EQ(::stat(doc.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new file gets what the umask leaves of rw-rw-rw-.
    const mode_t previous = ::umask(027);
    ASSERT_TRUE(replace(dir_ / "fresh.vlm", "x")) << reason_;
    ::umask(previous);
    ASSERT_EQ(::stat((dir_ / "fresh.vlm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A link, relative to its own folder, stays a link to the replaced file.
    fs::create_directories(dir_ / "sub");
    fs::create_symlink("../doc.vlm", dir_ / "sub" / "link.vlm");
    ASSERT_TRUE(replace(dir_ / "sub" / "link.vlm", "through the link")) << reason_;
    EXPECT_TRUE(fs::is_symlink(dir_ / "sub" / "link.vlm"));
    EXPECT_EQ(readFile(doc), "through the link");
    EXPECT_EQ(names(), (Names{"doc.vlm", "fresh.vlm", "sub"}));

    // A device stays the device.
    ASSERT_TRUE(replace("/dev/null", "discarded")) << reason_;
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(FileTest, FailedWriteLeavesTheOldFileAndNoTemporary) {
    const fs::path doc = dir_ / "doc.vlm";
    const std::string old = readFile(kExample);
    writeFile(doc, old);
    const std::string bigger(3 << 20, 'n');
    for (long long budget : {0LL, 10LL, 1LL << 20, (3LL << 20) - 1}) {
        tovimat::testing::setWriteBudget(budget);
        EXPECT_FALSE(replace(doc, bigger)) << budget;
        EXPECT_EQ(reason_, "No space left on device");
        EXPECT_EQ(readFile(doc), old) << budget;
        EXPECT_EQ(names(), Names{"doc.vlm"}) << budget;
    }
    tovimat::testing::setWriteBudget(-1);
    EXPECT_TRUE(replace(doc, bigger)) << reason_;
    EXPECT_EQ(readFile(doc), bigger);
}

TEST_F(FileTest, TargetsThatCannotBeReplacedSayWhy) {
    fs::create_directories(dir_ / "folder.vlm" / "inside");
    EXPECT_FALSE(replace(dir_ / "folder.vlm", "x"));
    EXPECT_EQ(reason_, "Is a directory");
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.vlm" / "inside"));

    EXPECT_FALSE(replace(dir_ / "missing" / "doc.vlm", "x"));
    EXPECT_EQ(reason_, "No such file or directory");

    fs::create_symlink("loop.vlm", dir_ / "loop.vlm");
    EXPECT_FALSE(replace(dir_ / "loop.vlm", "x"));
    EXPECT_EQ(reason_, "Too many levels of symbolic links");
    EXPECT_EQ(names(), (Names{"folder.vlm", "loop.vlm"}));
}

TEST_F(FileTest, ReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    writeFile(dir_ / "doc.vlm", "old");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(replace(dir_ / "doc.vlm", "new"));
    EXPECT_EQ(reason_, "Permission denied");
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(readFile(dir_ / "doc.vlm"), "old");
}

// The save of a session names the file and the reason, and keeps the
// document marked modified.
TEST_F(FileTest, FailedSaveOfADocumentNamesTheFileAndStaysModified) {
    const fs::path doc = dir_ / "doc.vlm";
    writeFile(doc, "old");
    velmor::HeadlessSession s;
    s.newDocument();
    std::vector<velmor::ScriptAction> actions;
    std::string error;
    ASSERT_TRUE(velmor::parseScript("{Click 10 10}x+1", actions, error));
    s.play(actions, error);
    s.doc().setModifiedFlag(true);
    tovimat::testing::setWriteBudget(20);
    EXPECT_FALSE(s.save(doc.string()));
    EXPECT_EQ(s.error(), "cannot write " + doc.string() + ": No space left on device");
    EXPECT_TRUE(s.doc().isModified());
    EXPECT_EQ(readFile(doc), "old");
    EXPECT_EQ(names(), Names{"doc.vlm"});
    tovimat::testing::setWriteBudget(-1);
    EXPECT_TRUE(s.save(doc.string())) << s.error();
    EXPECT_FALSE(s.doc().isModified());
}

// --- damaged files ---------------------------------------------------------------------------------

TEST_F(FileTest, CutFilesFailTheCommandsAndNameTheFile) {
    const std::string whole = readFile(kExample);
    const fs::path cut = dir_ / "cut.vlm";
    writeFile(cut, whole.substr(0, whole.size() / 2));

    velmor::RunResult dumped = velmor::dumpFile(cut.string(), false);
    EXPECT_EQ(dumped.exitCode, 2);
    EXPECT_NE(dumped.error.find(cut.string()), std::string::npos) << dumped.error;
    EXPECT_NE(dumped.error.find("damaged"), std::string::npos) << dumped.error;
    EXPECT_NE(dumped.out.find("Loader aborted!"), std::string::npos) << dumped.out;

    // Nothing is played on, or saved over, a damaged document.
    velmor::RunOptions options;
    options.openPath = cut.string();
    options.savePath = cut.string();
    options.script = "{Click 10 10}x";
    velmor::RunResult run = velmor::runScript(options);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.error, dumped.error);
    EXPECT_EQ(readFile(cut), whole.substr(0, whole.size() / 2));

    // A whole file still opens cleanly.
    EXPECT_EQ(velmor::dumpFile(kExample.string(), false).exitCode, 0);
    EXPECT_EQ(velmor::dumpFile((dir_ / "none.vlm").string(), false).error,
              "cannot read " + (dir_ / "none.vlm").string() + ": No such file or directory");
}

// --- pipes -----------------------------------------------------------------------------------------

// Standard input reads from a pipe fed with bytes for as long as it lives.
class PipedStdin {
public:
    explicit PipedStdin(std::string bytes) {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        saved_ = ::dup(0);
        ::dup2(ends[0], 0);
        ::close(ends[0]);
        feeder_ = std::thread([fd = ends[1], bytes = std::move(bytes)] {
            for (size_t done = 0; done < bytes.size();) {
                const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n <= 0) break;
                done += size_t(n);
            }
            ::close(fd);
        });
    }
    ~PipedStdin() {
        feeder_.join();
        ::dup2(saved_, 0);
        ::close(saved_);
    }

private:
    int saved_ = -1;
    std::thread feeder_;
};

TEST(DocumentPipes, DashAndDevStdinReadAPipeToItsEnd) {
    const std::string expected = velmor::dumpFile(kExample.string(), false).out;
    {
        PipedStdin in(readFile(kExample));
        velmor::RunResult r = velmor::dumpFile("-", false);
        EXPECT_EQ(r.exitCode, 0) << r.error;
        EXPECT_EQ(r.out, expected);
    }
    {
        PipedStdin in(readFile(kExample));
        velmor::RunResult r = velmor::dumpFile("/dev/stdin", false);
        EXPECT_EQ(r.exitCode, 0) << r.error;
        EXPECT_EQ(r.out, expected);
    }
    // More than a pipe holds at once, so the reading must wait for the rest.
    const std::string big(1 << 20, 'z');
    {
        PipedStdin in(big);
        std::vector<std::uint8_t> bytes;
        std::string reason;
        ASSERT_TRUE(readWholeDescriptor(0, bytes, reason)) << reason;
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), big);
    }
    {
        PipedStdin in(readFile(kExample).substr(0, 300));
        velmor::RunResult r = velmor::dumpFile("-", false);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.error.find("standard input is damaged"), std::string::npos) << r.error;
    }
}

}  // namespace
