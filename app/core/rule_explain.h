// The dry run of a rule set on a formula: every rule that matches somewhere
// in it, where, with which values of the rule's names, and what it would
// give there, in the order Test Rule tries them; and the constants whose
// names occur in it. Nothing in the formula changes. The first match listed
// is the one Test Rule takes; applyRuleAt takes any other one the same way.
#pragma once

#include <string>
#include <vector>

#include "model/container.h"

namespace velmor {

struct RuleBinding {
    std::string name;   // the rule's name, as written in the rule
    std::string value;  // the part of the formula it stands for, linear text
};

struct RuleMatch {
    int item = 0;                         // numbered as rules check numbers items
    tovimat::container* rule = nullptr;   // in the rule set
    tovimat::container* place = nullptr;  // in the formula
    // Member positions (from 1) from the formula down to the place; empty
    // for the formula itself.
    std::vector<int> path;
    std::string ruleText;
    std::string placeText;
    // When the rule has fewer members than the place and took some of
    // them: those members (a + 0 of a + 0 + b); empty when it took the
    // place whole.
    std::string choiceText;
    std::vector<RuleBinding> bindings;
    // What the place becomes, or with a choice what the members chosen
    // become (the place's other members stay as they are).
    std::string resultText;
};

struct ConstantUse {
    int item = 0;
    tovimat::container* definition = nullptr;  // name = value, in the rule set
    std::string name;
    std::string value;
    std::vector<std::vector<int>> places;  // where the name stands, as RuleMatch::path
};

struct RuleDryRun {
    std::vector<RuleMatch> matches;
    std::vector<ConstantUse> constants;
};

// The matches of ruleSet in formula (the focused group Test Rule works on),
// in the order Test Rule comes to them: at a place the rules in their order,
// then the members of the place, the first first; a nested set of rules (a
// page of the rule file) goes through the whole formula before the rules
// after it; a line with steps is searched from its last step. Each rule is
// listed once for each place where it matches.
RuleDryRun dryRunRules(tovimat::container& ruleSet, tovimat::container& formula);

// What Test Rule would hand to the document if rule, at place, were the
// first match in formula: the record to commit. No change when rule does not
// match at place or place is not in formula.
tovimat::results applyRuleAt(tovimat::container& ruleSet, tovimat::container& formula,
                             const tovimat::container& rule, const tovimat::nucleo& place);

// "the formula" for an empty path, else the positions joined by dots: "3.1".
std::string pathText(const std::vector<int>& path);

// One line for a match, as rules explain prints it:
//   item 2 (x * 1 = x) at 3 (b * 1) with x = b gives b
//   item 1 (x + 0 = x) at the formula (a + 0 + b) on a + 0 with x = a gives a
std::string matchLine(const RuleMatch& m);
//   item 19 (e = 2.71828182845905) at 2, 4.1
std::string constantLine(const ConstantUse& c);

// The report for every line (member) of base, one block per line:
//
//   line 1: a + 0 + b * 1
//     Test Rule: item 1 (x + 0 = x) gives a + b * 1
//     item 1 (x + 0 = x) at the formula (a + 0 + b * 1) on a + 0 with x = a gives a
//     item 2 (x * 1 = x) at 3 (b * 1) with x = b gives b
//     constant item 18 (pi = 3.14159265358979) at 1.2
//
// a line for each match, then one for each constant whose name occurs in
// the line.
std::string explainRules(tovimat::container& ruleSet, tovimat::container& base);

// velmor-cli rules explain: reads the document at path and the rule file
// Test Rule would use for it, and writes the report into out. Answers 0, or
// 2 with error naming the file and what is wrong with it.
int explainRuleFile(const std::string& path, std::string& out, std::string& error);

}  // namespace velmor
