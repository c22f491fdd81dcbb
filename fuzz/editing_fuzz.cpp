// Types what the input bytes choose (two bytes a keystroke) into a fresh
// document and checks after every keystroke that the tree is sound, and at
// the end that the document saves and loads back to the same tree. (A state
// in the middle of an input is the end of a shorter input, which the fuzzer
// tries as well, so the costly round trip is done once an input.)
//
// The host and the message sink live for the whole run; each input starts
// from a new root container and a host reset to its first state, so an input
// that fails fails the same way on its own.
//
// With VELMOR_FUZZ_KEEP_GOING set, a document that loads back differently
// does not stop the run: the first input of each kind of difference is
// written to roundtrip-<n> in the current folder (the first 100
// kinds) and the run goes on, so a
// known difference does not hide the memory errors behind it.
// VELMOR_FUZZ_TRACE prints each keystroke as it is typed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "../tests/random_editor.h"

using namespace tovimat;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "editing_fuzz: %s\n", what.c_str());
    std::abort();
}

// The kind of a difference: the first line where the two dumps part.
std::string differenceKind(const std::string& report) {
    const size_t split = report.find("--- loaded as ---\n");
    if (split == std::string::npos) return report;
    const size_t start = report.find('\n') + 1;
    const std::string before = report.substr(start, split - start), after = report.substr(split + 18);
    size_t i = 0;
    while (i < before.size() && i < after.size() && before[i] == after[i]) ++i;
    auto lineAt = [](const std::string& s, size_t at) {
        const size_t from = at == 0 ? 0 : s.rfind('\n', at - 1) + 1;  // npos + 1 is 0
        return s.substr(from, s.find('\n', from) - from);
    };
    return lineAt(before, i) + " / " + lineAt(after, i);
}

void recordDifference(const std::string& report, const uint8_t* data, size_t size) {
    static std::set<std::string> seen;
    if (seen.size() >= 100 || !seen.insert(differenceKind(report)).second) return;
    const std::string name = "roundtrip-" + std::to_string(seen.size());
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    std::fprintf(stderr, "editing_fuzz: %s written to %s\n", report.c_str(), name.c_str());
}

testing::RandomEditor& editorFor(const uint8_t* data, size_t size) {
    static MessageRecorder* const quiet = new MessageRecorder();
    static testing::RandomEditor* const editor = new testing::RandomEditor(nullptr);
    quiet->clear();
    editor->reset(size > 0 && data[0] & 1 ? static_cast<container*>(new page(1, false))
                                          : new container("", "", ""));
    return *editor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool trace = std::getenv("VELMOR_FUZZ_TRACE") != nullptr;
    testing::RandomEditor& editor = editorFor(data, size);
    for (size_t i = 1; i + 1 < size; i += 2) {
        const std::string what = editor.step(unsigned(data[i]) | unsigned(data[i + 1]) << 8);
        if (trace) std::fprintf(stderr, "%s\n", what.c_str());
        if (std::string p = editor.treeProblems(); !p.empty()) fail(p);
    }
    if (std::string p = editor.problems(); !p.empty()) {
        static const bool keepGoing = std::getenv("VELMOR_FUZZ_KEEP_GOING") != nullptr;
        if (!keepGoing || !p.starts_with("the document loads back differently")) fail(p);
        recordDifference(p, data, size);
    }
    // The tree goes with this input: a run frees all it allocates, so the
    // fuzzer's leak check sees nothing left over.
    editor.reset(nullptr);
    return 0;
}
