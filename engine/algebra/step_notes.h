// What a rule or a constant did while a command ran, for the origin of the
// step the command makes. The algebra notes it without a word; a caller that
// wants to know (the program's step commands) keeps a note open while it
// works and reads it after. Notes nest: while one is open, the one opened
// before it notes nothing.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tovimat {

class container;
class nucleo;

// The rule that gave the result while the note was open, and what its
// pattern variables were bound to.
class ruleMatchNote {
public:
    ruleMatchNote();
    ~ruleMatchNote();
    ruleMatchNote(const ruleMatchNote&) = delete;
    ruleMatchNote& operator=(const ruleMatchNote&) = delete;

    // The rule (a node of the rule set), or null when none matched.
    const container* rule() const { return rule_; }
    // Each variable's name and a copy of the node bound to it, in the order
    // they were bound.
    const std::vector<std::pair<std::string, std::unique_ptr<nucleo>>>& bindings() const { return bindings_; }
    // Forgets the match, so that the next one is noted.
    void reset();

    // Called by the matcher on a whole match; bindings holds variables.
    static void note(const container* rule, const container& bindings);

private:
    ruleMatchNote* outer_;
    const container* rule_ = nullptr;
    std::vector<std::pair<std::string, std::unique_ptr<nucleo>>> bindings_;
};

// The constant definitions (name = value nodes of the rule set) that Use
// constants put in while the note was open, each once, in order.
class constantNote {
public:
    constantNote();
    ~constantNote();
    constantNote(const constantNote&) = delete;
    constantNote& operator=(const constantNote&) = delete;

    const std::vector<const nucleo*>& used() const { return used_; }

    static void note(const nucleo* definition);

private:
    constantNote* outer_;
    std::vector<const nucleo*> used_;
};

}  // namespace tovimat
