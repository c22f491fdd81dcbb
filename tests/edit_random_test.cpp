// Random editing: characters and keys in random order must never break the
// tree, lose the caret into a deleted node, or crash. A short run belongs to
// the suite; set VELMOR_RANDOM_EDITS to a number of edits per seed for a
// long one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "model/document.h"
#include "model/dump.h"
#include "platform/vkeys.h"
#include "test_host.h"
#include "tree_checks.h"

namespace tovimat {
namespace {

using testing::TestHost;

int editsPerSeed() {
    if (const char* n = std::getenv("VELMOR_RANDOM_EDITS")) return std::max(1, std::atoi(n));
    return 400;
}

class RandomEditor {
public:
    explicit RandomEditor(unsigned seed, container* base) : rng_(seed), host_(base) {}

    void newItem(int x, int y) {
        auto* item = new literal("");
        item->moveTo(x, y);
        container* base = host_.getBase();
        base->entre(item, base->last(), base->tail());
        item->update();
        item->focusLeft();
    }

    // One random keystroke; answers a description of it.
    std::string step() {
        static const std::string chars = "ab xy12.e+-*/^@&|()[]{},=<>?\r";
        static const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_BACK, VK_DELETE};
        nucleo* f = host_.focused();
        if (!f) {
            newItem(10 + int(rng_() % 200), 10 + int(rng_() % 200));
            return "new item";
        }
        if (rng_() % 3 == 0) {
            int k = keys[rng_() % std::size(keys)];
            int ch = k == VK_BACK ? 8 : -1;
            if (f->putKey(k) && ch >= 0)
                if (nucleo* now = host_.focused()) now->putChar(ch);
            return "key " + std::to_string(k);
        }
        unsigned char c = chars[rng_() % chars.size()];
        int vk = c == '\r' ? VK_RETURN : keyForChar(c).vk;
        if (f->putKey(vk))
            if (nucleo* now = host_.focused()) now->putChar(c);
        return std::string("char ") + char(c == '\r' ? 'R' : c);
    }

    std::string problems() {
        container* base = host_.getBase();
        std::string p = testing::chainProblems(*base, &host_);
        if (!p.empty()) return p;
        nucleo* f = host_.focused();
        if (f && !testing::inTree(f, base)) return "the caret is in a node outside the document";
        return {};
    }

    TestHost& host() { return host_; }

private:
    std::mt19937 rng_;
    TestHost host_;
};

void runSeed(unsigned seed, container* base) {
    MessageRecorder quiet;
    RandomEditor editor(seed, base);
    std::string history;
    const bool trace = std::getenv("VELMOR_TRACE_EDITS") != nullptr;
    for (int i = 0; i < editsPerSeed(); ++i) {
        if (trace) std::fprintf(stderr, "seed %u step %d\n%s", seed, i, dumpTree(*editor.host().getBase()).c_str());
        history += editor.step() + "; ";
        if (trace) std::fprintf(stderr, "did %s\n", history.substr(history.rfind(';', history.size() - 3) + 1).c_str());
        std::string p = editor.problems();
        ASSERT_TRUE(p.empty()) << "seed " << seed << " after " << history << "\n" << p << "\n"
                               << dumpTree(*editor.host().getBase());
    }
}

TEST(RandomEditing, TreeStaysSoundInAPlainDocument) {
    for (unsigned seed = 1; seed <= 12; ++seed) runSeed(seed, new container("", "", ""));
}

TEST(RandomEditing, TreeStaysSoundInAPage) {
    for (unsigned seed = 100; seed <= 106; ++seed) runSeed(seed, new page(1, false));
}

}  // namespace
}  // namespace tovimat
