#include "core/rule_explain.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "algebra/rule_watch.h"
#include "core/linear_text.h"
#include "core/rule_check.h"
#include "core/rule_file.h"
#include "platform/messages.h"

using namespace tovimat;

namespace velmor {

namespace {

// Filling in a rule's names beeps for every one; a dry run is silent.
class Silence : public MessageSink {
public:
    Silence() : previous_(setMessageSink(this)) {}
    ~Silence() override { setMessageSink(previous_); }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;
    void beep(UINT) override {}
    int messageBox(const char*, const char*, UINT) override { return IDOK; }

private:
    MessageSink* previous_;
};

// Member positions of nodes. The search comes to the members of a group in
// their order, so each group remembers the member it was last asked about
// and counts on from there.
class Positions {
public:
    // The path from formula down to n; false when n is not below formula.
    bool path(const container& formula, const nucleo& n, std::vector<int>& out) {
        out.clear();
        const nucleo* at = &n;
        while (at != &formula) {
            const container* p = at->parent();
            if (!p) return false;
            out.push_back(position(*p, *at));
            at = p;
        }
        std::reverse(out.begin(), out.end());
        return true;
    }

private:
    struct Cursor {
        const nucleo* member = nullptr;
        int index = 0;
    };

    int position(const container& g, const nucleo& member) {
        Cursor& c = cursors_[&g];
        if (!c.member) c = Cursor{g.first(), 1};
        for (int pass = 0; pass < 2; ++pass) {
            for (const nucleo* m = c.member; m && m->chained(); m = m->next(), ++c.index) {
                c.member = m;
                if (m == &member) return c.index;
            }
            c = Cursor{g.first(), 1};
        }
        return 0;
    }

    std::unordered_map<const container*, Cursor> cursors_;
};

// Lets every match go, writing each down.
class DryRunWatch : public ruleWatch {
public:
    DryRunWatch(container& formula, container& ruleSet) : formula_(formula) {
        for (const NumberedRule& r : numberedRules(ruleSet)) items_[r.rule] = r.item;
    }

    void bound(container& bindings) override {
        bindings_.clear();
        for (nucleo* v = bindings.first(); v && v->chained(); v = v->next()) {
            const nucleo* value = cast<variable>(v)->getValue();
            bindings_.push_back({linearText(*v), value ? linearText(*value) : std::string()});
        }
    }

    void chose(const container& choice) override { choice_ = linearText(choice); }

    bool take(container& rule, container& target, const results& r) override {
        std::string choice = std::move(choice_);
        choice_.clear();
        std::vector<RuleBinding> bindings = std::move(bindings_);
        bindings_.clear();
        RuleMatch m;
        auto item = items_.find(&rule);
        m.item = item == items_.end() ? 0 : item->second;
        m.rule = &rule;
        m.place = &target;
        positions_.path(formula_, target, m.path);
        // A long line is the place of several matches: its text is made once.
        m.ruleText = textOf(rule);
        m.placeText = placeTextOf(target);
        m.choiceText = std::move(choice);
        m.bindings = std::move(bindings);
        m.resultText = r.value ? linearText(*r.value) : std::string();
        matches.push_back(std::move(m));
        return false;
    }

    // What a rule makes of a few members of a long group is enough to show.
    bool wholeValues() const override { return false; }

    std::vector<RuleMatch> matches;

private:
    container& formula_;
    std::unordered_map<const container*, int> items_;
    const std::string& textOf(const container& n) {
        auto [it, fresh] = texts_.try_emplace(&n);
        if (fresh) it->second = linearText(n);
        return it->second;
    }
    // A place with few members is written afresh; a long one (the line
    // itself, where several rules match) once.
    std::string placeTextOf(const container& n) { return n.members() <= 16 ? linearText(n) : textOf(n); }

    std::vector<RuleBinding> bindings_;
    std::string choice_;
    std::unordered_map<const container*, std::string> texts_;
    Positions positions_;
};

// The search may come to a place twice (a line with steps tries its last
// step, then itself and its members again): each match stays where it was
// first found, and its repeats go.
void dropRepeats(std::vector<RuleMatch>& matches) {
    std::vector<size_t> order(matches.size());
    std::iota(order.begin(), order.end(), size_t(0));
    auto key = [&](size_t i) { return std::pair(matches[i].rule, matches[i].place); };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
    std::vector<bool> repeat(matches.size(), false);
    for (size_t k = 1; k < order.size(); ++k)
        if (key(order[k]) == key(order[k - 1])) repeat[order[k]] = true;
    size_t kept = 0;
    for (size_t i = 0; i < matches.size(); ++i) {
        if (repeat[i]) continue;
        if (kept != i) matches[kept] = std::move(matches[i]);
        ++kept;
    }
    matches.resize(kept);
}

// Takes the one match asked for and no other.
class OneMatchWatch : public ruleWatch {
public:
    OneMatchWatch(const container& rule, const nucleo& place) : rule_(rule), place_(place) {}
    void bound(container&) override {}
    bool take(container& rule, container& target, const results&) override {
        return &rule == &rule_ && &target == &place_;
    }

private:
    const container& rule_;
    const nucleo& place_;
};

// Where Use constants would put the value of each name: every leaf equal to
// it below g (a name is one letter or word, so no group equals it), all
// names in one walk.
void constantPlaces(const container& g, std::vector<int>& path, std::vector<ConstantUse>& uses) {
    int i = 0;
    for (nucleo* m = g.first(); m && m->chained(); m = m->next()) {
        path.push_back(++i);
        if (m->isGroup()) {
            constantPlaces(*static_cast<const container*>(m), path, uses);
        } else {
            for (ConstantUse& c : uses)
                if (*m == *c.definition->first()) c.places.push_back(path);
        }
        path.pop_back();
    }
}

std::vector<ConstantUse> constantUses(container& ruleSet, const container& formula) {
    std::vector<ConstantUse> uses;
    for (const RuleItem& i : ruleItems(ruleSet)) {
        if (i.kind != RuleItem::Constant) continue;
        ConstantUse c;
        c.item = i.item;
        c.definition = i.node;
        uses.push_back(std::move(c));
    }
    std::vector<int> path;
    constantPlaces(formula, path, uses);
    std::erase_if(uses, [](const ConstantUse& c) { return c.places.empty(); });
    for (ConstantUse& c : uses) {
        c.name = linearText(*c.definition->first());
        const container& rel = *static_cast<const container*>(c.definition->last());
        c.value = rel.first() ? linearText(*rel.first()) : std::string();
    }
    return uses;
}

std::string itemText(int item, const std::string& text) {
    return "item " + std::to_string(item) + " (" + text + ")";
}

// What Test Rule does with the whole line in focus; the search changes
// nothing in the line.
std::string testRuleOutcome(container& rules, nucleo& line) {
    if (!line.isGroup()) return "nothing: the line is not a formula";
    results r = cast<container>(&line)->applyRules(&rules, nullptr);
    std::unique_ptr<nucleo> value = std::move(r.value);
    if (r.changes == 0 || !value) return "no rule matches";
    for (const NumberedRule& n : numberedRules(rules))
        if (n.rule == r.source) return itemText(n.item, linearText(*n.rule)) + " gives " + linearText(*value);
    return "gives " + linearText(*value);
}

}  // namespace

RuleDryRun dryRunRules(container& ruleSet, container& formula) {
    Silence quiet;
    RuleDryRun run;
    {
        DryRunWatch watch(formula, ruleSet);
        formula.applyRules(&ruleSet, nullptr);
        run.matches = std::move(watch.matches);
    }
    dropRepeats(run.matches);
    run.constants = constantUses(ruleSet, formula);
    return run;
}

results applyRuleAt(container& ruleSet, container& formula, const container& rule, const nucleo& place) {
    OneMatchWatch watch(rule, place);
    return formula.applyRules(&ruleSet, nullptr);
}

std::string pathText(const std::vector<int>& path) {
    if (path.empty()) return "the formula";
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) out += (i ? "." : "") + std::to_string(path[i]);
    return out;
}

std::string matchLine(const RuleMatch& m) {
    std::string out = itemText(m.item, m.ruleText) + " at " + pathText(m.path) + " (" + m.placeText + ")";
    if (!m.choiceText.empty()) out += " on " + m.choiceText;
    for (size_t i = 0; i < m.bindings.size(); ++i)
        out += (i ? ", " : " with ") + m.bindings[i].name + " = " + m.bindings[i].value;
    return out + " gives " + m.resultText;
}

std::string constantLine(const ConstantUse& c) {
    std::string out = itemText(c.item, c.name + " = " + c.value) + " at ";
    for (size_t i = 0; i < c.places.size(); ++i) out += (i ? ", " : "") + pathText(c.places[i]);
    return out;
}

std::string explainRules(container& ruleSet, container& base) {
    Silence quiet;
    std::string out;
    int number = 0;
    for (nucleo* line = base.first(); line && line->chained(); line = line->next()) {
        out += "line " + std::to_string(++number) + ": " + linearText(*line) + "\n";
        out += "  Test Rule: " + testRuleOutcome(ruleSet, *line) + "\n";
        if (!line->isGroup()) continue;
        const RuleDryRun run = dryRunRules(ruleSet, *static_cast<container*>(line));
        for (const RuleMatch& m : run.matches) out += "  " + matchLine(m) + "\n";
        for (const ConstantUse& c : run.constants) out += "  constant " + constantLine(c) + "\n";
    }
    return out;
}

int explainRuleFile(const std::string& path, std::string& out, std::string& error) {
    // A document is read as a rule file is: its root holds its lines.
    std::unique_ptr<container> doc = readRuleFile(path, error);
    if (!doc) return 2;
    std::string rulesPath;
    std::unique_ptr<container> rules = loadRuleFile(RuleFileSearch::forDocument(path), rulesPath, error);
    if (!rules) return 2;
    out += "rules from " + rulesPath + "\n" + explainRules(*rules, *doc);
    return 0;
}

}  // namespace velmor
