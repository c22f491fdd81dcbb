// Structural invariants of a document tree, for tests that change trees in
// many ways: every chain is linked both ways between its delimiters, every
// member knows its container and shares its root, the member count matches.
#pragma once

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/dump.h"
#include "refs/reference.h"
#include "test_host.h"

namespace tovimat::testing {

// A reference is listed by its shared value, and holds that value exactly
// when it is the place presenting it.
inline std::string referenceProblems(const reference& r) {
    const bulk* b = r.getBulk();
    if (!b) return "a reference without a shared value";
    // A value taken away leaves every place empty until one is filled.
    if (!b->getCore() && (r.members() != 0 || !b->present())) return "a shared value lost its value";
    bool listed = false;
    for (const nucleo* x : b->references()) listed = listed || x == &r;
    if (!listed) return "a reference is not listed by its shared value";
    if (b->count() != b->references().count()) return "a shared value miscounts its references";
    if (b->present() == &r && b->getCore()) {
        if (r.members() != 1 || r.first() != b->getCore())
            return "the presenting reference does not hold the value";
    } else if (r.members() != 0) {
        return "a reference that does not present the value holds a member";
    }
    if (b->present() && b->getCore() && b->getCore()->parent() != b->present())
        return "the value is not in its presenting reference";
    return {};
}

inline void collectBulks(const nucleo& n, std::vector<bulk*>& out) {
    if (n.isRef()) {
        if (bulk* b = static_cast<const reference&>(n).getBulk();
            b && std::find(out.begin(), out.end(), b) == out.end()) {
            out.push_back(b);
            if (b->getCore()) collectBulks(*b->getCore(), out);
        }
        return;
    }
    if (!n.isGroup()) return;
    const auto& c = static_cast<const container&>(n);
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next()) collectBulks(*m, out);
}

// An empty string when the subtree is sound, otherwise what is wrong.
inline std::string chainProblems(const nucleo& n, const protocol* root, bool top = true) {
    if (top) {
        std::vector<bulk*> bulks;
        collectBulks(n, bulks);
        if (reference::anyLoop(bulks)) return "a shared value is shown inside itself";
    }
    if (n.getRoot() != root) return "a node does not share its document root";
    if (!n.isGroup()) return {};
    if (n.isRef())
        if (std::string p = referenceProblems(static_cast<const reference&>(n)); !p.empty()) return p;
    const auto& c = static_cast<const container&>(n);
    if (c.head()->previous() != nullptr) return "the head delimiter has a previous node";
    if (c.tail()->next() != nullptr) return "the tail delimiter has a next node";
    int counted = 0;
    const nucleo* prev = c.head();
    for (const nucleo* m = c.head()->next(); m != c.tail(); m = m->next()) {
        if (!m) return "the chain ends before the tail delimiter";
        if (m->previous() != prev) return "a backward link is broken";
        if (m->parent() != &c) return "a member does not know its container";
        if (std::string inner = chainProblems(*m, root, false); !inner.empty()) return inner;
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

// The tree as a file keeps it: class names and texts, every reference
// numbered by its shared value in order of first appearance, the value
// listed once under the first reference to it, wherever it is shown now.
// With asSaved, a value taken away is listed as the empty field a file
// keeps in its place.
inline void sharedForm(const nucleo& n, int depth, std::map<const bulk*, int>& numbers, std::string& out,
                       bool asSaved = false) {
    out.append(size_t(depth) * 2, ' ');
    out += className(n);
    if (!n.isGroup()) out += " \"" + std::string(n.getText(), size_t(n.getLen())) + "\"";
    if (n.isRef()) {
        const auto& r = static_cast<const reference&>(n);
        const auto [entry, first] = numbers.emplace(r.getBulk(), int(numbers.size()));
        out += " #" + std::to_string(entry->second) + "\n";
        if (first && r.core()) sharedForm(*r.core(), depth + 1, numbers, out, asSaved);
        if (first && !r.core() && asSaved) out.append(size_t(depth + 1) * 2, ' ') += "field \"\"\n";
        return;
    }
    out += '\n';
    if (!n.isGroup()) return;
    const auto& c = static_cast<const container&>(n);
    for (const nucleo* m = c.first(); m && m->chained(); m = m->next())
        sharedForm(*m, depth + 1, numbers, out, asSaved);
}

inline std::string sharedForm(const nucleo& n, bool asSaved = false) {
    std::map<const bulk*, int> numbers;
    std::string out;
    sharedForm(n, 0, numbers, out, asSaved);
    return out;
}

// Only the references of sharedForm, in order: "#0 #1 #0".
inline std::string sharingOf(const nucleo& n) {
    std::string out;
    std::istringstream lines(sharedForm(n));
    for (std::string l; std::getline(lines, l);)
        if (auto at = l.find(" #"); at != std::string::npos) out += l.substr(at);
    return out;
}

// A dump without the caret and selection marks.
inline std::string withoutMarks(std::string dump) {
    for (size_t at; (at = dump.find(" <")) != std::string::npos;) dump.erase(at, dump.find('>', at) - at + 1);
    return dump;
}

// Boxes and alignment lines of two subtrees, node by node (a shared value's
// places are not entered).
inline bool sameLayout(const nucleo& a, const nucleo& b) {
    if (a.getRect() != b.getRect() || a.getAscent() != b.getAscent()) return false;
    if (!a.isGroup() || a.isRef() || !b.isGroup()) return true;
    const auto& x = static_cast<const container&>(a);
    const auto& y = static_cast<const container&>(b);
    const nucleo* m = x.first();
    const nucleo* n = y.first();
    for (; m && m->chained() && n && n->chained(); m = m->next(), n = n->next())
        if (!sameLayout(*m, *n)) return false;
    return !(m && m->chained()) && !(n && n->chained());
}

// Layout follows each edit along the path that changed; every line must
// stand exactly as a copy of it laid out from nothing does. (A line whose
// copy reads differently, as a number being typed does, is passed over.)
// With `only`, the line holding that node alone is checked.
inline std::string layoutProblems(const container& base, nucleo* only = nullptr) {
    DumpOptions geometry;
    geometry.geometry = true;
    for (nucleo* line = base.first(); line && line->chained(); line = line->next()) {
        if (only && only->expression() != line) continue;
        TestHost fresh;
        nucleo* copy = line->copy();
        fresh.getBase()->linkLast(copy);
        copy->moveTo(line->left(), line->top());
        fresh.remeasureOn(copy);
        if (withoutMarks(dumpTree(*line)) != withoutMarks(dumpTree(*copy))) continue;
        if (!sameLayout(*line, *copy))
            return "a line is laid out unlike a fresh copy of it:\n" + dumpTree(base, geometry) + "--- the copy ---\n" +
                   dumpTree(*fresh.getBase(), geometry);
    }
    return {};
}

}  // namespace tovimat::testing
