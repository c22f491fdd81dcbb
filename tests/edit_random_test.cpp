// Random editing: characters and keys in random order must never break the
// tree, leave the caret on a node outside the document, or crash; and after
// every keystroke the document must save and load back to the same tree.
// The suite runs 100,000 keystrokes over many short documents; set
// VELMOR_RANDOM_EDITS to change the number of keystrokes per document, and
// fuzz/editing_fuzz.cpp runs the same editor for as long as wanted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "random_editor.h"

namespace tovimat {
namespace {

int editsPerDocument() {
    if (const char* n = std::getenv("VELMOR_RANDOM_EDITS")) return std::max(1, std::atoi(n));
    return 200;
}

void runDocument(unsigned seed, container* base) {
    MessageRecorder quiet;
    std::mt19937 rng(seed);
    testing::RandomEditor editor(base);
    std::string history;
    for (int i = 0; i < editsPerDocument(); ++i) {
        history += editor.step(rng()) + "; ";
        std::string p = editor.problems();
        ASSERT_TRUE(p.empty()) << "seed " << seed << " after " << history << "\n" << p;
    }
}

TEST(RandomEditing, PlainDocumentsStaySoundAndLoadBack) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        runDocument(seed, new container("", "", ""));
        if (HasFatalFailure()) return;
    }
}

TEST(RandomEditing, PagesStaySoundAndLoadBack) {
    for (unsigned seed = 1000; seed < 1200; ++seed) {
        runDocument(seed, new page(1, false));
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace tovimat
