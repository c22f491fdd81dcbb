#include "core/rule_explain.h"

#include <memory>

#include "core/linear_text.h"
#include "core/rule_check.h"
#include "core/rule_file.h"
#include "platform/messages.h"

using namespace tovimat;

namespace velmor {

namespace {

std::string itemText(const NumberedRule& r) {
    return "item " + std::to_string(r.item) + " (" + linearText(*r.rule) + ")";
}

// What Test Rule does with the whole line in focus, on a copy of it.
std::string testRuleOutcome(container& rules, const std::vector<NumberedRule>& numbered, nucleo& line) {
    if (!line.isGroup()) return "nothing: the line is not a formula";
    std::unique_ptr<nucleo> copy(line.copy());
    results r = cast<container>(copy.get())->applyRules(&rules, nullptr);
    std::unique_ptr<nucleo> value = std::move(r.value);
    if (r.changes == 0 || !value) return "no rule matches";
    for (const NumberedRule& n : numbered)
        if (n.rule == r.source) return itemText(n) + " gives " + linearText(*value);
    return "gives " + linearText(*value);
}

// Every group below and including n, a node before its members, each rule
// that matches there.
void listMatches(const std::vector<NumberedRule>& numbered, nucleo& n, std::string& out) {
    if (!n.isGroup()) return;
    for (const NumberedRule& r : numbered) {
        std::unique_ptr<nucleo> copy(n.copy());
        results done = r.rule->applyRule(copy.get(), nullptr);
        std::unique_ptr<nucleo> value = std::move(done.value);
        if (done.changes == 0 || !value) continue;
        out += "  " + itemText(r) + " at " + linearText(n) + " gives " + linearText(*value) + "\n";
    }
    auto& g = static_cast<container&>(n);
    for (nucleo* m = g.first(); m && m->chained(); m = m->next()) listMatches(numbered, *m, out);
}

}  // namespace

std::string explainRules(container& ruleSet, container& base) {
    // Filling in a rule's names beeps for every one; a dry run is silent.
    MessageRecorder quiet;
    const std::vector<NumberedRule> numbered = numberedRules(ruleSet);
    std::string out;
    int number = 0;
    for (nucleo* line = base.first(); line && line->chained(); line = line->next()) {
        out += "line " + std::to_string(++number) + ": " + linearText(*line) + "\n";
        out += "  Test Rule: " + testRuleOutcome(ruleSet, numbered, *line) + "\n";
        listMatches(numbered, *line, out);
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
