// Watching the search of applyRules. The search stops at the first rule that
// matches; a caller that wants to see every match (a dry run), or to take
// one particular match, keeps a ruleWatch open while it calls applyRules.
// The watch is told each match as it is found, with the bindings of the
// rule's names, and decides whether the search takes it or goes on as if
// the rule had not matched there. Nothing else in the search changes, so the
// first match a watch is told of is the one applyRules takes without it.
#pragma once

namespace tovimat {

class container;
struct results;

class ruleWatch {
public:
    // Opens the watch; it sees the matches until it is destroyed, when the
    // watch that was open before sees them again.
    ruleWatch();
    virtual ~ruleWatch();
    ruleWatch(const ruleWatch&) = delete;
    ruleWatch& operator=(const ruleWatch&) = delete;

    // A rule's left side matched with these bindings (variable nodes, one per
    // name, in binding order), which live only for the call. Comes before
    // the take() of the same match; a rule that tries several choices of
    // members reports the choice that matched.
    virtual void bound(container& bindings) = 0;
    // A rule with fewer members than the group it matched took some of the
    // group's members: choice holds copies of them, and lives only for the
    // call. Comes before the take() of the same match.
    virtual void chose(const container& /*choice*/) {}
    // rule matched at target, a node of the tree searched, and gives r
    // there. True: the search returns it; false: the search goes on.
    virtual bool take(container& rule, container& target, const results& r) = 0;
    // A watch that takes no match may answer false: then, when a rule took
    // some of a group's members, r holds what those members become instead
    // of the whole group rebuilt around it, which on a long group saves a
    // copy of every member for each match let go.
    virtual bool wholeValues() const { return true; }

    // The open watch, or null.
    static ruleWatch* current();

private:
    ruleWatch* outer_;
};

}  // namespace tovimat
