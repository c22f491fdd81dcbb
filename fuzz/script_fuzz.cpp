// Reads the input as a velmor-cli script and plays it on a new document in a
// headless session, as `velmor-cli run` does. A malformed script must be
// refused with a reason; a script that parses must leave a sound document:
// after every action the tree is linked both ways, every shared value is
// consistent with its references, the caret and the selection are in the
// document; at the end the document saves and loads back with the same
// sharing, and closing it frees every shared value.
//
// {Save FILE} is skipped: a fuzzer must not write files where the input says.
// The run works in a folder of its own that holds a copy of the example rule
// file, so {TestRule} and {UseConstants} have rules to apply.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/tree_checks.h"
#include "core/script.h"
#include "model/dump.h"
#include "refs/reference.h"
#include "store/loader.h"
#include "store/stream.h"

using namespace tovimat;
using velmor::HeadlessSession;
using velmor::ScriptAction;

namespace {

// Longer scripts mostly make longer lines, which the fuzzer already reaches
// in pieces; the cap keeps one input well under a second.
constexpr size_t kMaxScript = 2048;

[[noreturn]] void fail(const std::string& what, HeadlessSession& s) {
    std::fprintf(stderr, "script_fuzz: %s\n%s", what.c_str(), s.output(false).c_str());
    std::abort();
}

std::string problems(HeadlessSession& s) {
    container* base = s.doc().base();
    protocol* root = s.doc().root();
    if (!base) return "the document lost its root";
    if (std::string p = testing::chainProblems(*base, root); !p.empty()) return p;
    if (nucleo* f = s.view().focused(); f && !testing::inTree(f, base))
        return "the caret is in a node outside the document";
    for (selector& sel : *root->selectionList())
        if (!testing::inTree(sel.getTarget(), base)) return "a selected node is not in the document";
    return {};
}

std::string roundTripProblems(HeadlessSession& s) {
    container* base = s.doc().base();
    memStor bytes;
    if (!base->save(bytes)) return "the document could not be saved";
    bytes.rewind();
    std::unique_ptr<nucleo> loaded(algLoad(bytes));
    if (!loaded) return "the saved document does not load";
    if (bytes.position() != bytes.bytes().size()) return "the saved document has bytes left over";
    if (testing::sharingOf(*base) != testing::sharingOf(*loaded))
        return "the loaded document shares differently";
    return {};
}

bool playable(const ScriptAction& a) { return a.kind != ScriptAction::Save; }

}  // namespace

// Give the fuzzer absolute paths for itself, the corpus and the artifacts:
// they are used after this changes the current folder. The folder is the same
// for every run, so a crashing run leaves nothing new behind.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ignored) / "velmor_script_fuzz";
    std::filesystem::create_directories(folder, ignored);
    std::filesystem::copy_file(VELMOR_SOURCE_DIR "/examples/rules.vlm", folder / "rules.vlm",
                               std::filesystem::copy_options::overwrite_existing, ignored);
    if (chdir(folder.c_str()) != 0) std::perror(folder.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxScript) return 0;
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::vector<ScriptAction> actions;
    std::string error;
    if (!velmor::parseScript(script, actions, error)) {
        // The reason is one printable line.
        if (error.empty()) std::abort();
        for (char c : error)
            if (c < 0x20 || c > 0x7E) std::abort();
        return 0;
    }

    {
        HeadlessSession session;
        session.newDocument();
        for (const ScriptAction& a : actions) {
            if (!playable(a)) continue;
            session.play(a);
            if (std::string p = problems(session); !p.empty()) fail(p, session);
        }
        if (std::string p = roundTripProblems(session); !p.empty()) fail(p, session);
        session.output(true);
        session.doc().onCloseDocument();
        if (bulk::alive() != 0) fail("a shared value outlived its document", session);
    }
    return 0;
}
