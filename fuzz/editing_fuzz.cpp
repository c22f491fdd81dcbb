// Types what the input bytes choose (two bytes a keystroke) into a fresh
// document and checks after every keystroke that the tree is sound and that
// the document saves and loads back to the same tree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../tests/random_editor.h"

using namespace tovimat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MessageRecorder quiet;
    testing::RandomEditor editor(size > 0 && data[0] & 1 ? static_cast<container*>(new page(1, false))
                                                          : new container("", "", ""));
    for (size_t i = 1; i + 1 < size; i += 2) {
        editor.step(unsigned(data[i]) | unsigned(data[i + 1]) << 8);
        std::string p = editor.problems();
        if (!p.empty()) {
            std::fprintf(stderr, "%s\n", p.c_str());
            std::abort();
        }
    }
    return 0;
}
