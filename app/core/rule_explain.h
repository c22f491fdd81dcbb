// The dry run of a rule set on the lines of a document: for each line, what
// Test Rule would do with the whole line in focus, and every rule that
// matches somewhere in it, where, and what it would give there. Nothing in
// the document changes.
#pragma once

#include <string>

#include "model/container.h"

namespace velmor {

// The report for every line (member) of base, one block per line:
//
//   line 1: a + 0 + b * 1
//     Test Rule: item 1 (x + 0 = x) gives a + b * 1
//     item 1 (x + 0 = x) at a + 0 + b * 1 gives a + b * 1
//     item 2 (x * 1 = x) at b * 1 gives b
//
// Items are numbered as rules check numbers them; places are listed in the
// order Test Rule visits them (a node before its members), and at each
// place the rules in the order Test Rule tries them.
std::string explainRules(tovimat::container& ruleSet, tovimat::container& base);

// velmor-cli rules explain: reads the document at path and the rule file
// Test Rule would use for it, and writes the report into out. Answers 0, or
// 2 with error naming the file and what is wrong with it.
int explainRuleFile(const std::string& path, std::string& out, std::string& error);

}  // namespace velmor
