// What made a step: the command, and for a rule or a constant which one.
//
// A step is the relation node that a command put in front of its result
// (the "=" of a calculation, the "<=>" of a further step). Its origin is
// kept beside the tree, in a table keyed by the node, so that nodes that are
// no step carry nothing: a node's destructor drops its entry. Records carry
// origins in a section of their own after the nodes (store/origin_records.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tovimat {

class nucleo;

// The command that puts constants in, as origins name it.
inline constexpr const char* useConstantsCommand = "Use Constants";

struct stepOrigin {
    // The command as its undo step names it: "Calculate", "Calculate All",
    // "Test Rule", "Simplify", "Use Constants".
    std::string command;
    // How the command got there when it has more than one way: "distribution"
    // for a Calculate that distributed; empty otherwise.
    std::string detail;
    // The rule file the rule or the constants came from, as it was found.
    std::string ruleFile;
    // The rule: its item number in the rule file (as the rules commands
    // number them; 0 when unknown) and its linear text.
    int ruleItem = 0;
    std::string rule;
    // The pattern variables of the rule and the linear text each was bound to.
    std::vector<std::pair<std::string, std::string>> bindings;
    // Constants put in by Use Constants, each "name = value", in the order
    // they were put in.
    std::vector<std::string> constants;
    // What changed the step in place after it was made, oldest first: a
    // command that rewrote a part of it, or Use Constants. A step that was
    // typed has an empty command and only these.
    std::vector<stepOrigin> later;

    bool operator==(const stepOrigin&) const = default;
};

// The origin of step, or null when it has none.
const stepOrigin* originOf(const nucleo* step);
// Gives step its origin, replacing the one it had.
void setOrigin(const nucleo* step, stepOrigin origin);
// The origin of step, made empty first when it has none.
stepOrigin& originFor(const nucleo* step);
// Notes on step that it has an origin on record (the two above do it).
void markOrigin(const nucleo* step);
void dropOrigin(const nucleo* step);
// Every node that has an origin, in no particular order.
std::vector<const nucleo*> nodesWithOrigins();

// One line telling what made a step, in UTF-8: "Calculate", "Calculate
// (distribution)", "Test Rule: rules.vlm item 2 (x + 0 = x) with x = a",
// "Use Constants: g = 9.81 from rules.vlm"; what changed it later follows,
// each after "; then " (a typed step tells only these).
std::string describe(const stepOrigin& origin);

// Notes what changed a part of a tree in place: the step around the part
// (the nearest relation holding it, else its line, the member of base that
// holds it) gets what as a later change.
void noteChangeIn(const nucleo* part, const nucleo* base, stepOrigin what);

// While open, the steps that protocol::chkPass makes get this origin: the
// command committing a result opens one around its commit.
class stepOriginScope {
public:
    explicit stepOriginScope(stepOrigin origin);
    ~stepOriginScope();
    stepOriginScope(const stepOriginScope&) = delete;
    stepOriginScope& operator=(const stepOriginScope&) = delete;

    // Called with the relation node of each step made; gives it the origin
    // of the innermost open scope, if any.
    static void made(const nucleo* step);
    // Called when a result took the place of a part of the tree below
    // parent instead of making a step: noteChangeIn with the scope's origin.
    static void changedIn(const nucleo* parent, const nucleo* base);

private:
    stepOriginScope* outer_;
    stepOrigin origin_;
};

}  // namespace tovimat
