#include "core/line_table.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <memory>
#include <numeric>

#include "refs/reference.h"
#include "store/loader.h"
#include "store/origin_records.h"
#include "store/stream.h"

using namespace tovimat;

namespace velmor {

namespace {

// The shared values that the references inside n show.
std::vector<const bulk*> valuesIn(const nucleo* n) {
    std::vector<const bulk*> out;
    std::vector<const nucleo*> todo{n};
    while (!todo.empty()) {
        const nucleo* m = todo.back();
        todo.pop_back();
        if (m->isRef())
            if (const bulk* b = static_cast<const reference*>(m)->getBulk()) out.push_back(b);
        if (!m->isGroup()) continue;
        const auto* c = static_cast<const container*>(m);
        for (const nucleo* k = c->first(); k && k->chained(); k = k->next()) todo.push_back(k);
    }
    return out;
}

// The references of the lines in a fixed order, the same for the lines and
// for those read back from their records: each line's in chain order, and a
// shared value's own after the first place that shows it.
std::vector<reference*> referencesIn(const std::vector<nucleo*>& lines) {
    std::vector<reference*> out;
    std::unordered_set<const bulk*> seen;
    std::vector<const nucleo*> todo;
    for (auto l = lines.rbegin(); l != lines.rend(); ++l) todo.push_back(*l);
    while (!todo.empty()) {
        const nucleo* m = todo.back();
        todo.pop_back();
        if (m->isRef()) {
            auto* r = const_cast<reference*>(static_cast<const reference*>(m));
            out.push_back(r);
            if (const bulk* b = r->getBulk(); b && b->getCore() && seen.insert(b).second)
                todo.push_back(b->getCore());
            continue;
        }
        if (!m->isGroup()) continue;
        const auto* c = static_cast<const container*>(m);
        std::vector<const nucleo*> members;
        for (const nucleo* k = c->first(); k && k->chained(); k = k->next()) members.push_back(k);
        todo.insert(todo.end(), members.rbegin(), members.rend());
    }
    return out;
}

}  // namespace

void LineTable::clear() {
    base_ = nullptr;
    ids_.clear();
    lines_.clear();
    groups_.clear();
    order_.clear();
    touched_.clear();
    members_ = 0;
    structure_ = all_ = inStep_ = false;
}

LineId LineTable::number(nucleo* line) {
    const LineId id = ++next_;
    ids_[line] = id;
    lines_[id] = line;
    return id;
}

void LineTable::start(container* base) {
    clear();
    base_ = base;
    std::vector<nucleo*> lines;
    for (nucleo* m = base->first(); m && m->chained(); m = m->next()) {
        order_.push_back(number(m));
        lines.push_back(m);
    }
    members_ = base->members();
    // Every line is its own group unless it shares a value with others.
    all_ = true;
    inStep_ = true;
    endStep({});
}

nucleo* LineTable::lineOf(const nucleo* n) const {
    if (!base_ || !n || n == base_) return nullptr;
    while (n && n->parent() != base_) n = n->parent();
    return const_cast<nucleo*>(n);
}

LineId LineTable::idOf(const nucleo* line) const {
    auto it = ids_.find(line);
    return it == ids_.end() ? 0 : it->second;
}

nucleo* LineTable::line(LineId id) const {
    auto it = lines_.find(id);
    return it == lines_.end() ? nullptr : it->second;
}

void LineTable::touched(nucleo* node) {
    if (!inStep_ || !base_ || !node) return;
    if (node == base_) {
        structure_ = true;
        return;
    }
    if (nucleo* l = lineOf(node)) touched_.insert(l);
}

std::vector<LineId> LineTable::order() const {
    std::vector<LineId> out;
    out.reserve(std::size_t(base_->members()));
    for (nucleo* m = base_->first(); m && m->chained(); m = m->next()) out.push_back(idOf(m));
    return out;
}

// A line that shares a value with another is stored with it; so is every
// line that was stored with it before, since the stored group is replaced
// as a whole.
void LineTable::closeOver(std::vector<nucleo*>& lines, std::vector<LineId>& gone,
                          const std::unordered_set<LineId>* present) const {
    std::unordered_set<const nucleo*> seen(lines.begin(), lines.end());
    std::unordered_set<LineId> seenGone(gone.begin(), gone.end());
    auto addId = [&](LineId id) {
        auto it = lines_.find(id);
        if (it != lines_.end() && (!present || present->count(id))) {
            if (seen.insert(it->second).second) lines.push_back(it->second);
        } else if (seenGone.insert(id).second) {
            gone.push_back(id);
        }
    };
    auto addGroupOf = [&](LineId id) {
        auto g = groups_.find(id);
        if (g == groups_.end()) return;
        for (LineId other : g->second->ids) addId(other);
    };
    for (std::size_t i = 0, j = 0; i < lines.size() || j < gone.size();) {
        if (j < gone.size()) {
            addGroupOf(gone[j++]);
            continue;
        }
        nucleo* l = lines[i++];
        addGroupOf(idOf(l));
        for (const bulk* b : valuesIn(l))
            for (nucleo* r : b->references())
                if (nucleo* other = lineOf(r); other && seen.insert(other).second) lines.push_back(other);
    }
}

GroupPtr LineTable::store(const std::vector<nucleo*>& lines) const {
    memStor s;
    // The record of a plain container holding the lines, as the base holds them.
    const container holder;
    holder.nucleo::save(s);
    writeInt(s, std::int32_t(lines.size()));
    auto group = std::make_shared<LineGroup>();
    for (nucleo* l : lines) {
        writeInt(s, l->left());
        writeInt(s, l->top());
        l->save(s);
        group->ids.push_back(idOf(l));
    }
    writeOrigins(s, std::vector<const nucleo*>(lines.begin(), lines.end()));
    group->bytes = s.bytes();
    const std::vector<reference*> refs = referencesIn(lines);
    for (std::size_t i = 0; i < refs.size(); ++i)
        if (refs[i]->present() == refs[i]) group->presenting.push_back(std::int32_t(i));
    return group;
}

LinesChange LineTable::endStep(const std::vector<nucleo*>& alsoTouched) {
    LinesChange change;
    inStep_ = false;
    if (!base_) return change;
    for (nucleo* n : alsoTouched)
        if (nucleo* l = lineOf(n)) touched_.insert(l);

    // Lines that came or went are found by walking the line chain; otherwise
    // the touched lines are all there is to look at.
    bool walk = all_ || structure_ || base_->members() != members_;
    for (const nucleo* l : touched_) walk = walk || !ids_.count(l);
    std::vector<nucleo*> lines;
    std::vector<LineId> gone;
    std::vector<LineId> now;
    std::unordered_set<LineId> present;
    if (walk) {
        for (nucleo* m = base_->first(); m && m->chained(); m = m->next()) {
            const bool known = ids_.count(m) > 0;
            const LineId id = known ? ids_[m] : number(m);
            now.push_back(id);
            present.insert(id);
            if (!known || all_ || touched_.count(m)) lines.push_back(m);
        }
        for (LineId id : order_)
            if (!present.count(id)) gone.push_back(id);
        change.reordered = now != order_;
    } else {
        for (const nucleo* l : touched_) lines.push_back(const_cast<nucleo*>(l));
    }
    touched_.clear();
    structure_ = all_ = false;
    members_ = base_->members();

    closeOver(lines, gone, walk ? &present : nullptr);

    // Lines sharing a value form one group, in their order in the document.
    std::vector<std::size_t> group(lines.size());
    std::iota(group.begin(), group.end(), std::size_t(0));
    std::function<std::size_t(std::size_t)> find = [&](std::size_t i) {
        return group[i] == i ? i : group[i] = find(group[i]);
    };
    std::unordered_map<const bulk*, std::size_t> holder;
    bool shared = false;
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (const bulk* b : valuesIn(lines[i])) {
            auto [it, first] = holder.try_emplace(b, i);
            if (!first) {
                group[find(i)] = find(it->second);
                shared = true;
            }
        }
    if (shared) {
        std::unordered_map<const nucleo*, std::size_t> position;
        std::size_t p = 0;
        for (nucleo* m = base_->first(); m && m->chained(); m = m->next()) position[m] = p++;
        std::vector<std::size_t> byPlace(lines.size());
        std::iota(byPlace.begin(), byPlace.end(), std::size_t(0));
        std::sort(byPlace.begin(), byPlace.end(),
                  [&](std::size_t a, std::size_t b) { return position[lines[a]] < position[lines[b]]; });
        std::vector<nucleo*> sorted;
        std::vector<std::size_t> sortedGroup;
        for (std::size_t i : byPlace) {
            sorted.push_back(lines[i]);
            sortedGroup.push_back(find(i));
        }
        lines = std::move(sorted);
        group = std::move(sortedGroup);
    } else {
        for (std::size_t i = 0; i < group.size(); ++i) group[i] = find(i);
    }
    std::unordered_map<std::size_t, std::vector<nucleo*>> members;
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto& list = members[group[i]];
        if (list.empty()) roots.push_back(group[i]);
        list.push_back(lines[i]);
    }

    // The before side: the stored groups of every line concerned.
    for (nucleo* l : lines)
        if (auto g = groups_.find(idOf(l));
            g != groups_.end() &&
            std::find(change.before.begin(), change.before.end(), g->second) == change.before.end())
            change.before.push_back(g->second);
    for (LineId id : gone)
        if (auto g = groups_.find(id);
            g != groups_.end() &&
            std::find(change.before.begin(), change.before.end(), g->second) == change.before.end())
            change.before.push_back(g->second);
    for (std::size_t r : roots) change.after.push_back(store(members[r]));

    // A group stored again as it was is no change.
    std::erase_if(change.after, [&](const GroupPtr& g) {
        auto same = std::find_if(change.before.begin(), change.before.end(),
                                 [&](const GroupPtr& b) { return b->ids == g->ids && b->bytes == g->bytes; });
        if (same == change.before.end()) return false;
        (*same)->presenting = g->presenting;
        change.before.erase(same);
        return true;
    });

    for (const GroupPtr& g : change.before)
        for (LineId id : g->ids) groups_.erase(id);
    for (LineId id : gone) forgetLine(id);
    for (const GroupPtr& g : change.after)
        for (LineId id : g->ids) groups_[id] = g;
    if (change.reordered) {
        change.orderBefore = std::move(order_);
        change.orderAfter = now;
    }
    if (walk) order_ = std::move(now);
    change.baseBefore = baseAt_;
    baseAt_ = {base_->left(), base_->top()};
    change.baseAfter = baseAt_;
    return change;
}

bool LineTable::upToDate() const {
    if (!base_) return true;
    if (order() != order_) return false;
    std::unordered_set<const LineGroup*> checked;
    for (nucleo* m = base_->first(); m && m->chained(); m = m->next()) {
        auto g = groups_.find(idOf(m));
        if (g == groups_.end()) return false;
        if (!checked.insert(g->second.get()).second) continue;
        std::vector<nucleo*> lines;
        for (LineId id : g->second->ids) lines.push_back(line(id));
        if (std::find(lines.begin(), lines.end(), nullptr) != lines.end()) return false;
        if (store(lines)->bytes != g->second->bytes) return false;
    }
    return true;
}

void LineTable::forgetLine(LineId id) {
    auto it = lines_.find(id);
    if (it == lines_.end()) return;
    if (auto p = ids_.find(it->second); p != ids_.end() && p->second == id) ids_.erase(p);
    lines_.erase(it);
    groups_.erase(id);
}

void LineTable::apply(const LinesChange& change, bool backward) {
    if (!base_) return;
    const std::vector<GroupPtr>& from = backward ? change.after : change.before;
    const std::vector<GroupPtr>& to = backward ? change.before : change.after;

    // The lines of the side put in place, read back with their positions.
    struct Loaded {
        nucleo* node;
        POINT at;
        GroupPtr group;
    };
    std::unordered_map<LineId, Loaded> loaded;
    for (const GroupPtr& g : to) {
        memStor s(g->bytes.data(), g->bytes.size());
        std::unique_ptr<nucleo> read;
        try {
            read.reset(loader::readRecord(s));
        } catch (const loader::aborted&) {
            assert(false && "lines the history stored do not read back");
            continue;
        }
        assert(read && read->isGroup() && "lines the history stored do not read back as a group");
        if (!read || !read->isGroup()) continue;
        auto* holder = static_cast<container*>(read.get());
        assert(std::size_t(holder->members()) == g->ids.size() && "a stored group holds another number of lines");
        std::vector<nucleo*> lines;
        for (nucleo* m = holder->first(); m && m->chained(); m = m->next()) lines.push_back(m);
        readOrigins(s, lines);
        for (LineId id : g->ids) {
            nucleo* m = holder->first();
            if (!m || !m->chained()) break;
            holder->_detachIt(m, false, false);
            loaded[id] = Loaded{m, POINT{m->left(), m->top()}, g};
        }
    }

    std::vector<LineId> fromIds;
    for (const GroupPtr& g : from) fromIds.insert(fromIds.end(), g->ids.begin(), g->ids.end());
    // The values the lines going away share are let go of first: deleting one
    // of their places would otherwise hand a value back to another.
    std::unordered_set<const bulk*> values;
    for (LineId id : fromIds)
        if (nucleo* l = line(id))
            for (const bulk* b : valuesIn(l)) values.insert(b);
    for (const bulk* b : values) {
        auto* v = const_cast<bulk*>(b);
        v->sever();
        v->unpin();
    }
    if (change.reordered) {
        // Every line is let go and linked again in the recorded order.
        std::vector<nucleo*> chain;
        for (nucleo* m = base_->first(); m && m->chained(); m = m->next()) chain.push_back(m);
        for (nucleo* m : chain) base_->_detachIt(m, false, false);
        for (LineId id : fromIds) {
            delete line(id);
            forgetLine(id);
        }
        for (LineId id : backward ? change.orderBefore : change.orderAfter) {
            auto l = loaded.find(id);
            nucleo* m = l != loaded.end() ? l->second.node : line(id);
            if (m) base_->linkLast(m);
        }
    } else {
        for (auto& [id, l] : loaded) {
            nucleo* old = line(id);
            if (old) {
                forgetLine(id);
                base_->_replace(old, l.node, true);
            } else {
                base_->linkLast(l.node);
            }
        }
        for (LineId id : fromIds) {
            if (loaded.count(id)) continue;
            delete line(id);
            forgetLine(id);
        }
    }
    for (auto& [id, l] : loaded) {
        ids_[l.node] = id;
        lines_[id] = l.node;
        groups_[id] = l.group;
        l.node->moveTo(l.at.x, l.at.y);
        l.node->remeasure();
    }
    // Each value is shown where it was.
    for (const GroupPtr& g : to) {
        std::vector<nucleo*> lines;
        for (LineId id : g->ids)
            if (nucleo* l = line(id)) lines.push_back(l);
        const std::vector<reference*> refs = referencesIn(lines);
        for (std::int32_t i : g->presenting)
            if (std::size_t(i) < refs.size()) refs[std::size_t(i)]->recall();
    }
    if (change.reordered) {
        order_ = backward ? change.orderBefore : change.orderAfter;
        base_->update();
    }
    baseAt_ = backward ? change.baseBefore : change.baseAfter;
    if (base_->members() == 0) base_->moveTo(int(baseAt_[0]), int(baseAt_[1]));
    members_ = base_->members();
}

}  // namespace velmor
