// Diagnostics of a rule file: what in it can never take effect or makes Test
// Rule misbehave.
//
// The items of a rule set are numbered in the order Test Rule tries them
// (nested sets where they stand), from 1; an item is a rule, a constant
// definition, or something else that both commands pass over.
#pragma once

#include <string>
#include <vector>

#include "model/container.h"

namespace velmor {

struct RuleDiagnostic {
    enum Kind {
        NeverMatches,   // no formula has the shape of the left side, or it is no rule at all
        Shadowed,       // an earlier rule matches wherever this one does
        UndoPair,       // A -> B and B -> A: repeated Test Rule goes back and forth
        Duplicate,      // the same rule again
        ConstantTwice,  // a constant defined again
    };
    Kind kind;
    int item;          // the item the finding is about
    std::string text;  // one line: "item 4 (x * (-1) = -x): never matches: ..."
};

struct RuleCheck {
    int rules = 0;
    int constants = 0;
    std::vector<RuleDiagnostic> findings;
};

// Checks the rule set read from a rule file. Changes nothing in it.
RuleCheck checkRules(tovimat::container& ruleSet);

struct NumberedRule {
    int item;
    tovimat::container* rule;
};
// The rules of the set with their item numbers, in the order Test Rule
// tries them.
std::vector<NumberedRule> numberedRules(tovimat::container& ruleSet);

struct RuleItem {
    enum Kind { Rule, Constant, Other };
    int item;
    tovimat::container* node;
    Kind kind;
};
// Every item of the set, numbered: rules, constant definitions (name =
// value) and the lines that are neither.
std::vector<RuleItem> ruleItems(tovimat::container& ruleSet);

// velmor-cli rules check: reads the rule file at path and writes one line per
// finding and a last line counting rules, constants and findings into out.
// Answers 0 when nothing was found, 1 when something was, 2 (with error
// naming the file and what is wrong with it) when the file cannot be used.
int checkRuleFile(const std::string& path, std::string& out, std::string& error);

}  // namespace velmor
