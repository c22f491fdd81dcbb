// Feeds arbitrary bytes to the reader of the linear form. Text that is not
// an expression must be refused with a one-line printable reason and a
// column inside the text; text that reads gives a tree that is linked both
// ways, whose linear text reads back to the same tree and is written the
// same way again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../tests/tree_checks.h"
#include "core/linear_text.h"
#include "model/dump.h"
#include "text/linear_reader.h"

using namespace tovimat;

namespace {

// Longer texts only make longer lines, which the fuzzer reaches in pieces.
constexpr size_t kMaxText = 4096;

[[noreturn]] void fail(const char* what, std::string_view text, const std::string& detail) {
    std::fprintf(stderr, "linear_reader_fuzz: %s\ntext: %.*s\n%s\n", what, int(text.size()), text.data(),
                 detail.c_str());
    std::abort();
}

void checkRefusal(const linearReading& r, std::string_view text) {
    if (r.reason.empty()) fail("a refusal without a reason", text, {});
    for (char c : r.reason)
        if (c < 0x20 || c > 0x7E) fail("a reason that is not one printable line", text, r.reason);
    if (r.column < 1 || size_t(r.column) > text.size() + 1)
        fail("a refusal outside the text", text, std::to_string(r.column));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxText) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    linearReading first = readLinear(text);
    if (!first) {
        checkRefusal(first, text);
        return 0;
    }
    if (std::string p = testing::chainProblems(*first.tree, nullptr); !p.empty()) fail("an unsound tree", text, p);

    const std::string written = velmor::linearText(*first.tree);
    linearReading second = readLinear(written);
    if (!second) fail("its own linear text is refused", text, written + "\n" + second.reason);
    if (dumpTree(*second.tree) != dumpTree(*first.tree))
        fail("its linear text reads back as another tree", text,
             written + "\n" + dumpTree(*first.tree) + "--- read back as ---\n" + dumpTree(*second.tree));
    if (velmor::linearText(*second.tree) != written) fail("the linear text is not stable", text, written);
    return 0;
}
