// An editor that types what a source of choices tells it, the way the view
// delivers input: the key-down to the node holding the caret, then the
// character when the key was passed on. Shared by the random-editing test
// and the editing fuzz target; after every keystroke problems() says whether
// the tree is still sound and loads back from its saved bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "model/document.h"
#include "model/dump.h"
#include "platform/vkeys.h"
#include "store/stream.h"
#include "test_host.h"
#include "tree_checks.h"

namespace tovimat::testing {

inline std::string withoutCaret(std::string dump) {
    for (size_t at; (at = dump.find(" <caret ")) != std::string::npos;) dump.erase(at, dump.find('>', at) - at + 1);
    return dump;
}

class RandomEditor {
public:
    explicit RandomEditor(container* base) : host_(base) {}

    void newItem(int x, int y) {
        auto* item = new literal("");
        item->moveTo(x, y);
        container* base = host_.getBase();
        base->entre(item, base->last(), base->tail());
        item->update();
        item->focusLeft();
    }

    // Starts again on a new document with base as its root container.
    void reset(container* base) { host_.reset(base); }

    // One keystroke chosen by the number `choice`; answers what it was.
    std::string step(unsigned choice) {
        static const std::string chars = "ab xy12.e+-*/^@&|()[]{},=<>?\r";
        static const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_BACK, VK_DELETE};
        nucleo* f = host_.focused();
        if (!f) {
            newItem(10 + int(choice % 200), 10 + int((choice / 200) % 200));
            return "new item";
        }
        if (choice % 3 == 0) {
            int k = keys[(choice / 3) % std::size(keys)];
            if (f->putKey(k) && k == VK_BACK)
                if (nucleo* now = host_.focused()) now->putChar(8);
            return "key " + std::to_string(k);
        }
        unsigned char c = chars[(choice / 3) % chars.size()];
        int vk = c == '\r' ? VK_RETURN : keyForChar(c).vk;
        if (f->putKey(vk))
            if (nucleo* now = host_.focused()) now->putChar(c);
        return std::string("char ") + (c == '\r' ? std::string("CR") : std::string(1, char(c)));
    }

    // An empty string when all is well: the tree is sound, then it saves
    // and loads back to the same tree.
    std::string problems() {
        if (std::string p = treeProblems(); !p.empty()) return p;
        return roundTripProblem();
    }

    // The checks of problems() that do not save: the tree is linked both
    // ways, the caret is in the document, the base's box is up to date.
    std::string treeProblems() {
        container* base = host_.getBase();
        std::string p = chainProblems(*base, &host_);
        if (!p.empty()) return p;
        nucleo* f = host_.focused();
        if (f && !inTree(f, base)) return "the caret is in a node outside the document";
        if (std::string u = unionProblem(); !u.empty()) return u;
        return layoutProblems(*base, host_.focused());
    }

    TestHost& host() { return host_; }

private:
    // A plain document container's box, kept up to date from the one member
    // each edit changes, must be the union a walk over all members gives.
    std::string unionProblem() {
        container* base = host_.getBase();
        if (base->type() != typeId::container || base->members() == 0) return {};
        aRect all(INT32_MAX, INT32_MAX, 0, 0);
        for (nucleo* m = base->first(); m && m->chained(); m = m->next()) {
            const aRect& r = m->getRect();
            all = aRect(std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                        std::max(all.bottom, r.bottom));
        }
        if (base->getRect() == all) return {};
        return "the document's box is not the union of its lines";
    }

    // Saving validates a pending edit first, so the tree is compared after
    // the save.
    std::string roundTripProblem() {
        memStor first;
        if (!host_.save(first)) return "the document could not be saved";
        std::string before = withoutCaret(dumpTree(*host_.getBase()));
        memStor saved(first.bytes());
        TestHost loaded;
        if (!loaded.load(saved)) return "the saved document was refused";
        std::string after = withoutCaret(dumpTree(*loaded.getBase()));
        if (before != after) return "the document loads back differently:\n" + before + "--- loaded as ---\n" + after;
        return {};
    }

    TestHost host_;
};

}  // namespace tovimat::testing
