// Structural invariants of a document tree, for tests that change trees in
// many ways: every chain is linked both ways between its delimiters, every
// member knows its container and shares its root, the member count matches.
#pragma once

#include <sstream>
#include <string>

#include "model/document.h"

namespace tovimat::testing {

// An empty string when the subtree is sound, otherwise what is wrong.
inline std::string chainProblems(const nucleo& n, const protocol* root) {
    if (n.getRoot() != root) return "a node does not share its document root";
    if (!n.isGroup()) return {};
    const auto& c = static_cast<const container&>(n);
    if (c.head()->previous() != nullptr) return "the head delimiter has a previous node";
    if (c.tail()->next() != nullptr) return "the tail delimiter has a next node";
    int counted = 0;
    const nucleo* prev = c.head();
    for (const nucleo* m = c.head()->next(); m != c.tail(); m = m->next()) {
        if (!m) return "the chain ends before the tail delimiter";
        if (m->previous() != prev) return "a backward link is broken";
        if (m->parent() != &c) return "a member does not know its container";
        if (std::string inner = chainProblems(*m, root); !inner.empty()) return inner;
        prev = m;
        if (++counted > c.members()) break;
    }
    if (c.tail()->previous() != prev) return "the tail's backward link is broken";
    if (counted != c.members()) {
        std::ostringstream s;
        s << "a container counts " << c.members() << " members but holds " << counted;
        return s.str();
    }
    return {};
}

// True when n is the base or lies somewhere below it.
inline bool inTree(const nucleo* n, const container* base) {
    for (const nucleo* p = n; p; p = p->parent())
        if (p == base) return true;
    return false;
}

}  // namespace tovimat::testing
