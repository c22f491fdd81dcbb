// What made each step: recorded by the step commands, kept through save and
// load, copy and paste, undo and redo, and read back from damaged files as
// far as they go.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "core/clipboard.h"
#include "core/script.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "model/dump.h"
#include "model/step_origin.h"

namespace fs = std::filesystem;
using namespace tovimat;

namespace {

const fs::path kSource = fs::path(VELMOR_SOURCE_DIR);

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

// Runs in a new directory holding the example rule file.
class StepOriginTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("velmor-origins-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::copy_file(kSource / "examples" / "rules.vlm", dir_ / "rules.vlm");
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    fs::path previous_, dir_;
};

// Four lines: a calculation, a rule applied to the line and then to a part
// of its result, constants put into a calculated step, a distribution.
const char* const kMade =
    "{Click 10 10}2+3{End}{Calculate}"
    "{NewItemTool}{Click 10 60}a*1+0{End}{TestRule}{TestRule}"
    "{NewItemTool}{Click 10 110}2*g+3+4{End}{Calculate}";
const char* const kThen = "{UseConstants}{NewItemTool}{Click 10 160}(a+b)*c{End}{Calculate}";

// Every node below n that tells its origin, with its class, depth first.
void collect(const nucleo& n, std::string& out) {
    if (const stepOrigin* o = originOf(&n)) out += className(n) + ": " + describe(*o) + "\n";
    if (auto* g = dyn_cast<container>(&n))
        for (const nucleo* m = g->first(); m && m->chained(); m = m->next()) collect(*m, out);
}

std::string stepsOf(velmor::HeadlessSession& s) {
    std::string out;
    collect(*s.doc().base(), out);
    return out;
}

std::string play(velmor::HeadlessSession& s, const std::string& script) {
    std::string error;
    EXPECT_TRUE(s.play(script, error)) << error;
    return stepsOf(s);
}

TEST_F(StepOriginTest, CommandsRecordWhatMadeEachStep) {
    velmor::HeadlessSession s;
    s.newDocument();
    EXPECT_EQ(play(s, std::string(kMade) + kThen),
              "passEqual: Calculate\n"
              "passEqual: Test Rule: rules.vlm item 1 (x + 0 = x) with x = a * 1; "
              "then Test Rule: rules.vlm item 2 (x * 1 = x) with x = a\n"
              "passEqual: Calculate; then Use Constants: g = 9.81 from rules.vlm\n"
              "passEqual: Calculate (distribution)\n");
}

// The desktop program's tooltip and status line.
TEST_F(StepOriginTest, TheViewTellsTheOriginOfTheSignUnderThePointAndOfTheCaretsStep) {
    velmor::HeadlessSession s;
    s.newDocument();
    // 2 + 3 = 5 at (10, 10), 8 wide per character: the "=" spans 34..42.
    play(s, "{Click 10 10}2+3{End}{Calculate}");
    EXPECT_EQ(s.view().stepOriginAt(POINT{37, 15}), "Calculate");
    EXPECT_EQ(s.view().stepOriginAt(POINT{46, 15}), "") << "the 5 is no sign";
    EXPECT_EQ(s.view().stepOriginAt(POINT{12, 15}), "");
    EXPECT_EQ(s.view().caretStepOrigin(), "Calculate");
    play(s, "{Click 12 15}");
    EXPECT_EQ(s.view().caretStepOrigin(), "") << "the caret left the step";
}

TEST_F(StepOriginTest, SurviveSaveAndLoadByteForByte) {
    velmor::HeadlessSession s;
    s.newDocument();
    const std::string made = play(s, std::string(kMade) + kThen);
    ASSERT_TRUE(s.save("a.vlm")) << s.error();

    velmor::HeadlessSession t;
    ASSERT_TRUE(t.open("a.vlm")) << t.error();
    EXPECT_EQ(stepsOf(t), made);
    ASSERT_TRUE(t.save("b.vlm")) << t.error();
    EXPECT_EQ(readFile("b.vlm"), readFile("a.vlm"));
}

// Documents written before steps told their origin, and documents without
// such steps, read and save as they always did.
TEST_F(StepOriginTest, DocumentsWithoutOriginsSaveAsBefore) {
    for (const char* name : {"example.vlm", "rules.vlm"}) {
        velmor::HeadlessSession s;
        ASSERT_TRUE(s.open((kSource / "examples" / name).string())) << s.error();
        EXPECT_EQ(stepsOf(s), "");
        ASSERT_TRUE(s.save("copy.vlm")) << s.error();
        EXPECT_EQ(readFile("copy.vlm"), readFile(kSource / "examples" / name)) << name;
    }
}

TEST_F(StepOriginTest, UndoAndRedoBringOriginsBack) {
    velmor::HeadlessSession s;
    s.newDocument();
    const std::string withoutConstants = play(s, kMade);
    const std::string withConstants = play(s, "{UseConstants}");
    ASSERT_NE(withConstants, withoutConstants);
    EXPECT_EQ(play(s, "{Undo}"), withoutConstants);
    EXPECT_EQ(play(s, "{Redo}"), withConstants);

    // Every step taken back and made again.
    const std::string made = play(s, kThen + std::string("{SelectorTool}"));
    std::string back, again;
    for (int i = 0; i < 20; ++i) {
        back += "{Undo}";
        again += "{Redo}";
    }
    EXPECT_EQ(play(s, back), "");
    EXPECT_EQ(play(s, again), made);
}

TEST_F(StepOriginTest, CopyAndPasteKeepOrigins) {
    velmor::HeadlessSession s;
    s.newDocument();
    const std::string made = play(s, kMade);

    // The clipboard's records of the lines read back with their origins.
    std::vector<const nucleo*> lines;
    for (const nucleo* m = s.doc().base()->first(); m && m->chained(); m = m->next()) lines.push_back(m);
    std::string copied;
    for (const auto& n : velmor::readFormulas(velmor::writeFormulas(lines))) collect(*n, copied);
    EXPECT_EQ(copied, made);

    // And through the commands.
    EXPECT_EQ(play(s, "{SelectAll}{Copy}{NewItemTool}{Click 10 300}{Paste}"), made + made);
}

// The document as saved without its origins: the same records, nothing after.
std::string withoutOrigins(const std::string& path) {
    velmor::HeadlessSession s;
    EXPECT_TRUE(s.open(path));
    for (const nucleo* n : nodesWithOrigins()) dropOrigin(n);
    EXPECT_TRUE(s.save("plain.vlm"));
    return readFile("plain.vlm");
}

TEST_F(StepOriginTest, DamagedOriginsLeaveTheDocumentWhole) {
    velmor::HeadlessSession s;
    s.newDocument();
    const std::string made = play(s, kMade);
    ASSERT_TRUE(s.save("a.vlm"));
    const std::string full = readFile("a.vlm");
    const std::string plain = withoutOrigins("a.vlm");
    ASSERT_LT(plain.size(), full.size());
    ASSERT_EQ(full.compare(0, plain.size(), plain), 0) << "the origins follow the records";
    const std::string plainDump = velmor::dumpFile("plain.vlm", false).out;

    // Cut anywhere in the section: the tree is whole, the origins are left
    // out, and the user is told so.
    for (size_t cut = plain.size() + 1; cut < full.size(); ++cut) {
        writeFile("cut.vlm", full.substr(0, cut));
        velmor::RunResult r = velmor::dumpFile("cut.vlm", false, true);
        ASSERT_EQ(r.exitCode, 0) << cut;
        const std::string warning =
            "! message \"Warning\" \"The origins of the steps are damaged; the document is read without them.\"\n";
        ASSERT_EQ(r.out, warning + plainDump) << cut;
    }

    // A section this reader does not know is skipped; so is a later version
    // of the steps section.
    writeFile("more.vlm", full + std::string("XTRA\x03\0\0\0abc", 11));
    velmor::HeadlessSession more;
    ASSERT_TRUE(more.open("more.vlm"));
    EXPECT_EQ(stepsOf(more), made);
    EXPECT_EQ(more.log().text(), "");
    std::string later = full;
    later[plain.size() + 8] = 2;  // the section's version
    writeFile("later.vlm", later);
    EXPECT_EQ(velmor::dumpFile("later.vlm", false, true).out, plainDump);

    // An origin whose place holds a node of another class is left out alone.
    std::string moved = full;
    // version, count, then the first entry: place length, place, class.
    const size_t entry = plain.size() + 16;
    const size_t length = size_t(std::uint8_t(moved[entry]));
    moved[entry + 4 + 4 * length] = 99;
    writeFile("moved.vlm", moved);
    velmor::HeadlessSession m;
    ASSERT_TRUE(m.open("moved.vlm"));
    EXPECT_EQ(m.log().text(), "");
    EXPECT_EQ(stepsOf(m), made.substr(made.find('\n') + 1));
}

}  // namespace
