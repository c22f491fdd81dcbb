#include "core/rule_check.h"

#include <map>
#include <memory>

#include "core/linear_text.h"
#include "core/rule_file.h"
#include "model/type_ids.h"
#include "platform/messages.h"

using namespace tovimat;

namespace velmor {

namespace {

struct Item {
    int number;
    container* node;
    std::string text;
};

bool isConstantDefinition(const container& c) {
    return c.type() == typeId::simplification && c.members() == 2 && c.first()->type() == typeId::literal &&
           c.last()->type() == typeId::equal;
}

container* asGroup(nucleo* n) { return n && n->isGroup() ? static_cast<container*>(n) : nullptr; }

bool isRule(const container& g) { return g.members() > 0 && g.first()->isGroup(); }

// Every item of a rule set in the order Test Rule tries them: the composed
// members (rules, constants, lines that are neither), nested sets where
// they stand.
template <class Visit>
void forEachItem(container& set, const Visit& visit) {
    for (nucleo* m = set.first(); m && m->chained(); m = m->next()) {
        container* g = asGroup(m);
        if (!g) continue;
        if (g->priority() < 3)
            forEachItem(*g, visit);
        else if (g->composed())
            visit(*g);
    }
}

container* pattern(const Item& rule) { return static_cast<container*>(rule.node->first()); }

// Whether any leaf below n satisfies test.
template <class Test>
bool anyLeaf(nucleo* n, const Test& test) {
    container* g = asGroup(n);
    if (!g) return test(*n);
    for (nucleo* m = g->first(); m && m->chained(); m = m->next())
        if (anyLeaf(m, test)) return true;
    return false;
}

bool hasType(nucleo* n, int type) {
    return anyLeaf(n, [type](nucleo& leaf) { return leaf.type() == type; });
}

// The rule applied to a copy of target as a whole; null when it does not
// match there.
std::unique_ptr<nucleo> applyTo(const Item& rule, nucleo& target) {
    std::unique_ptr<nucleo> copy(target.copy());
    results r = rule.node->applyRule(copy.get(), nullptr);
    if (r.changes == 0) return nullptr;
    return std::move(r.value);
}

class Checker {
public:
    RuleCheck run(container& set) {
        // Trying rules on one another beeps for every name they fill in.
        MessageRecorder quiet;
        walk(set);
        checkRules();
        checkConstants();
        return std::move(result_);
    }

private:
    void walk(container& set) {
        forEachItem(set, [this](container& g) {
            Item item{++items_, &g, linearText(g)};
            if (isRule(g))
                rules_.push_back(item);
            else if (isConstantDefinition(g))
                constants_.push_back(item);
            else
                report(RuleDiagnostic::NeverMatches, item,
                       "is neither a rule nor a constant: its left side is not a formula, and a constant is "
                       "a name = its value");
        });
    }

    void report(RuleDiagnostic::Kind kind, const Item& item, const std::string& what) {
        result_.findings.push_back(
            {kind, item.number, "item " + std::to_string(item.number) + " (" + item.text + "): " + what});
    }

    static std::string name(const Item& item) {
        return "item " + std::to_string(item.number) + " (" + item.text + ")";
    }

    void checkRules() {
        result_.rules = int(rules_.size());
        std::vector<bool> usable(rules_.size(), true);
        for (size_t i = 0; i < rules_.size(); ++i) {
            const Item& r = rules_[i];
            if (anyLeaf(pattern(r), [](nucleo& l) { return l.type() == typeId::field && l.getLen() == 0; })) {
                report(RuleDiagnostic::NeverMatches, r, "never matches: its left side has an empty place");
                usable[i] = false;
            } else if (!applyTo(r, *pattern(r))) {
                // Not even its own left side: no formula can have that shape.
                report(RuleDiagnostic::NeverMatches, r,
                       "never matches: no formula can have the shape of its left side");
                usable[i] = false;
            }
        }
        for (size_t j = 0; j < rules_.size(); ++j) {
            if (!usable[j]) continue;
            for (size_t i = 0; i < j; ++i) {
                if (!usable[i]) continue;
                if (rules_[i].text == rules_[j].text) {
                    report(RuleDiagnostic::Duplicate, rules_[j], "duplicate of " + name(rules_[i]));
                    break;
                }
                if (shadows(rules_[i], rules_[j])) {
                    report(RuleDiagnostic::Shadowed, rules_[j],
                           "shadowed by " + name(rules_[i]) + ", which matches first wherever it matches");
                    break;
                }
            }
        }
        for (size_t i = 0; i < rules_.size(); ++i) {
            if (!usable[i]) continue;
            for (size_t j = i; j < rules_.size(); ++j) {
                if (!usable[j] || !undoes(rules_[i], rules_[j])) continue;
                if (i == j)
                    report(RuleDiagnostic::UndoPair, rules_[i],
                           "undoes itself: applied twice it gives back what it started from, so repeated "
                           "Test Rule goes back and forth");
                else
                    report(RuleDiagnostic::UndoPair, rules_[j],
                           "undoes " + name(rules_[i]) + ": repeated Test Rule goes back and forth");
            }
        }
    }

    // The earlier rule matches the later one's left side as it is written,
    // its names standing for whatever they match. A name that matches
    // anything in the later rule does not cover one that refuses numbers (?x)
    // in the earlier, so such pairs are not claimed.
    static bool shadows(const Item& earlier, const Item& later) {
        if (hasType(pattern(earlier), typeId::preference) && hasType(pattern(later), typeId::literal))
            return false;
        return applyTo(earlier, *pattern(later)) != nullptr;
    }

    // Rule a rewrites its own left side to something rule b turns back into it.
    static bool undoes(const Item& a, const Item& b) {
        const std::string start = linearText(*pattern(a));
        std::unique_ptr<nucleo> there = applyTo(a, *pattern(a));
        if (!there || linearText(*there) == start) return false;
        std::unique_ptr<nucleo> back = applyTo(b, *there);
        return back && linearText(*back) == start;
    }

    void checkConstants() {
        result_.constants = int(constants_.size());
        std::map<std::string, const Item*> seen;
        for (const Item& c : constants_) {
            const std::string n = linearText(*c.node->first());
            auto [it, fresh] = seen.emplace(n, &c);
            if (!fresh)
                report(RuleDiagnostic::ConstantTwice, c,
                       "constant " + n + " is defined again (first in " + name(*it->second) + ")");
        }
    }

    int items_ = 0;
    std::vector<Item> rules_;
    std::vector<Item> constants_;
    RuleCheck result_;
};

std::string counted(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

}  // namespace

RuleCheck checkRules(container& ruleSet) { return Checker().run(ruleSet); }

std::vector<NumberedRule> numberedRules(container& ruleSet) {
    std::vector<NumberedRule> rules;
    for (const RuleItem& i : ruleItems(ruleSet))
        if (i.kind == RuleItem::Rule) rules.push_back({i.item, i.node});
    return rules;
}

std::vector<RuleItem> ruleItems(container& ruleSet) {
    std::vector<RuleItem> items;
    forEachItem(ruleSet, [&](container& g) {
        const RuleItem::Kind kind = isRule(g)                 ? RuleItem::Rule
                                    : isConstantDefinition(g) ? RuleItem::Constant
                                                              : RuleItem::Other;
        items.push_back({int(items.size()) + 1, &g, kind});
    });
    return items;
}

int checkRuleFile(const std::string& path, std::string& out, std::string& error) {
    std::unique_ptr<container> rules = readRuleFile(path, error);
    if (!rules) return 2;
    const RuleCheck check = checkRules(*rules);
    for (const RuleDiagnostic& d : check.findings) out += path + ": " + d.text + "\n";
    out += path + ": " + counted(check.rules, "rule") + ", " + counted(check.constants, "constant") + ", " +
           (check.findings.empty() ? std::string("nothing to report")
                                   : counted(int(check.findings.size()), "finding")) +
           "\n";
    return check.findings.empty() ? 0 : 1;
}

}  // namespace velmor
