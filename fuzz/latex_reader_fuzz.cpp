// Feeds arbitrary bytes to the LaTeX reader. Text that is not a formula must
// be refused with a one-line printable reason at a line and column inside
// the text; text that reads gives a tree that is linked both ways, whose
// LaTeX reads back to the same tree and is written the same way again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../tests/tree_checks.h"
#include "model/dump.h"
#include "text/latex_reader.h"
#include "text/latex_writer.h"

using namespace tovimat;

namespace {

// Longer texts only make longer formulas, which the fuzzer reaches in pieces.
constexpr size_t kMaxText = 4096;

[[noreturn]] void fail(const char* what, std::string_view text, const std::string& detail) {
    std::fprintf(stderr, "latex_reader_fuzz: %s\ntext: %.*s\n%s\n", what, int(text.size()), text.data(),
                 detail.c_str());
    std::abort();
}

void checkRefusal(const latexReading& r, std::string_view text) {
    if (r.reason.empty()) fail("a refusal without a reason", text, {});
    for (char c : r.reason)
        if (c < 0x20 || c > 0x7E) fail("a reason that is not one printable line", text, r.reason);
    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (r.line < 1 || size_t(r.line) > lines || r.column < 1 || size_t(r.column) > text.size() + 1)
        fail("a refusal outside the text", text, std::to_string(r.line) + ":" + std::to_string(r.column));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxText) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    latexReading first = readLatex(text);
    if (!first) {
        checkRefusal(first, text);
        return 0;
    }
    if (std::string p = testing::chainProblems(*first.tree, nullptr); !p.empty())
        fail("an unsound tree", text, p);

    const std::string written = latexOf(*first.tree);
    latexReading second = readLatex(written);
    if (!second) fail("its own LaTeX is refused", text, written + "\n" + second.reason);
    if (dumpTree(*second.tree) != dumpTree(*first.tree))
        fail("its LaTeX reads back as another tree", text,
             written + "\n" + dumpTree(*first.tree) + "--- read back as ---\n" + dumpTree(*second.tree));
    if (latexOf(*second.tree) != written) fail("the LaTeX is not stable", text, written);
    return 0;
}
