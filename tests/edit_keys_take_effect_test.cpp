// Every printable key does something: it changes the document (or the
// caret), or it beeps. A key that is silently lost is a fault.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "model/dump.h"
#include "random_editor.h"

namespace tovimat {
namespace {

TEST(KeysTakeEffect, APrintableKeyChangesTheDocumentOrBeeps) {
    const char* env = std::getenv("VELMOR_RANDOM_EDITS");
    const int steps = env ? std::max(1, std::atoi(env)) : 150;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        MessageRecorder messages;
        testing::RandomEditor editor(new container("", "", ""));
        editor.newItem(10, 10);
        std::string history;
        for (int i = 0; i < steps; ++i) {
            const std::string before = dumpTree(*editor.host().getBase());
            const int beeps = messages.beeps();
            const std::string what = editor.step(rng());
            history += what + "; ";
            if (!what.starts_with("char ")) continue;
            const std::string after = dumpTree(*editor.host().getBase());
            ASSERT_TRUE(after != before || messages.beeps() > beeps)
                << "seed " << seed << ": " << what << " was lost after " << history << "\n" << before;
        }
    }
}

}  // namespace
}  // namespace tovimat
