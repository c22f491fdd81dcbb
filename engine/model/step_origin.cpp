#include "model/step_origin.h"

#include <unordered_map>

#include "model/container.h"

namespace tovimat {

namespace {

// Like the loader, the engine keeps its state per thread: a tree lives and
// dies on the thread that made it.
std::unordered_map<const nucleo*, stepOrigin>& table() {
    thread_local std::unordered_map<const nucleo*, stepOrigin> origins;
    return origins;
}

thread_local stepOriginScope* openScope = nullptr;

}  // namespace

const stepOrigin* originOf(const nucleo* step) {
    auto& t = table();
    if (t.empty()) return nullptr;
    auto it = t.find(step);
    return it == t.end() ? nullptr : &it->second;
}

void markOrigin(const nucleo* step) { step->originOnRecord_ = true; }

void setOrigin(const nucleo* step, stepOrigin origin) {
    markOrigin(step);
    table()[step] = std::move(origin);
}

stepOrigin& originFor(const nucleo* step) {
    markOrigin(step);
    return table()[step];
}

void dropOrigin(const nucleo* step) {
    auto& t = table();
    if (!t.empty()) t.erase(step);
}

std::vector<const nucleo*> nodesWithOrigins() {
    std::vector<const nucleo*> nodes;
    for (const auto& entry : table()) nodes.push_back(entry.first);
    return nodes;
}

namespace {

std::string describeOne(const stepOrigin& o) {
    std::string out = o.command;
    if (!o.detail.empty()) out += " (" + o.detail + ")";
    if (!o.rule.empty()) {
        out += ": ";
        if (!o.ruleFile.empty()) out += o.ruleFile + " ";
        if (o.ruleItem > 0) out += "item " + std::to_string(o.ruleItem) + " ";
        out += "(" + o.rule + ")";
        for (size_t i = 0; i < o.bindings.size(); ++i)
            out += (i == 0 ? " with " : ", ") + o.bindings[i].first + " = " + o.bindings[i].second;
    }
    if (!o.constants.empty()) {
        for (size_t i = 0; i < o.constants.size(); ++i) out += (i == 0 ? ": " : ", ") + o.constants[i];
        if (!o.ruleFile.empty()) out += " from " + o.ruleFile;
    }
    return out;
}

}  // namespace

std::string describe(const stepOrigin& o) {
    // A step that was typed tells only what changed it.
    std::string out = o.command.empty() ? std::string() : describeOne(o);
    for (const stepOrigin& then : o.later) out += (out.empty() ? "" : "; then ") + describeOne(then);
    return out;
}

void noteChangeIn(const nucleo* part, const nucleo* base, stepOrigin what) {
    const nucleo* step = nullptr;
    for (const nucleo* n = part; n && n != base; n = n->parent()) {
        step = n;
        if (n->composition()) break;
    }
    if (!step) return;
    what.later.clear();
    originFor(step).later.push_back(std::move(what));
}

stepOriginScope::stepOriginScope(stepOrigin origin) : outer_(openScope), origin_(std::move(origin)) {
    openScope = this;
}

stepOriginScope::~stepOriginScope() { openScope = outer_; }

void stepOriginScope::made(const nucleo* step) {
    if (openScope && step) setOrigin(step, openScope->origin_);
}

void stepOriginScope::changedIn(const nucleo* parent, const nucleo* base) {
    if (openScope) noteChangeIn(parent, base, openScope->origin_);
}

}  // namespace tovimat
