#include "render/line_index.h"

#include <algorithm>
#include <array>

namespace tovimat {

namespace {

// Below this many lines a walk along the chain is as quick as a look-up.
constexpr long indexedFrom = 32;

// The indexes of the few documents shown last; the oldest gives way.
struct Cached {
    const container* root = nullptr;
    std::uint64_t stamp = 0;
    std::uint64_t used = 0;
    lineIndex index;
};

}  // namespace

const lineIndex* lineIndex::of(const container* root) {
    if (!root || root->parent() || root->members() < indexedFrom) return nullptr;
    static std::array<Cached, 4> cache;
    static std::uint64_t clock = 0;
    Cached* slot = &cache[0];
    for (Cached& c : cache) {
        if (c.root == root) {
            slot = &c;
            break;
        }
        if (c.used < slot->used) slot = &c;
    }
    if (slot->root != root || slot->stamp != stamp) {
        slot->root = root;
        slot->stamp = stamp;
        slot->index.build(root);
    }
    slot->used = ++clock;
    return &slot->index;
}

void lineIndex::build(const container* root) {
    byTop.clear();
    tallest_ = 0;
    int order = 0;
    for (nucleo* m = root->first(); m && m->chained(); m = m->next()) {
        const aRect& r = m->getRect();
        byTop.push_back(Entry{r.top, r.bottom, order++, m});
        tallest_ = std::max(tallest_, r.Height());
    }
    std::stable_sort(byTop.begin(), byTop.end(),
                     [](const Entry& a, const Entry& b) { return a.top < b.top; });
}

void lineIndex::near(LONG top, LONG bottom, LONG reach, std::vector<nucleo*>& found) const {
    found.clear();
    // A member that reaches row top - reach starts at most its height above it.
    const LONG from = top - reach - tallest_;
    auto first =
        std::lower_bound(byTop.begin(), byTop.end(), from, [](const Entry& e, LONG y) { return e.top < y; });
    std::vector<const Entry*> hits;
    for (auto e = first; e != byTop.end() && e->top <= bottom + reach; ++e)
        if (e->bottom >= top - reach) hits.push_back(&*e);
    std::sort(hits.begin(), hits.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
    for (const Entry* e : hits) found.push_back(e->node);
}

}  // namespace tovimat
