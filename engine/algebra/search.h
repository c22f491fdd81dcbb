// The algebra's search nodes: nodes that only ever live in memory while an
// operation runs, never in a document, and are never stored.
//
//   typeProbe      matches any node of one wanted type        (type id 58)
//   matcherFrame   one problem of the rule matcher              (type id 64)
#pragma once

#include <memory>
#include <type_traits>
#include <vector>

#include "model/document.h"

namespace tovimat {

// Stands for "any node of type t" in a search: `*member == probe` asks the
// probe, whichever side it is on, so a group can be asked whether it holds a
// member of some class (contem(&probe)).
class typeProbe : public nucleo {
public:
    explicit typeProbe(int wanted) : wanted_(wanted) {}

    int type() const override { return typeId::typeProbe; }
    int wanted() const { return wanted_; }
    bool igualA(nucleo* x) override { return x && x->type() == wanted_; }

    nucleo* copy() const override { return new typeProbe(wanted_); }
    void measure(HDC) override {}
    bool drop(nucleo*) override { return false; }

private:
    int wanted_;
};

// One matching problem: a target group against a pattern group. The pattern
// members take target members one each, through a vector of distinct target
// positions; when the counts differ (or a product carries an odd number of
// signs) the last pattern member takes the rest of the target. Pattern
// leaves check and bind through chkRule; pattern groups open nested frames.
//
// A frame hands every complete set of bindings it finds, in search order, to
// the continuation; the search stops at the first one the continuation
// accepts. Bindings added on a path that is given up are taken back, so a
// failed search leaves the bindings as they were.
//
// The temporary nodes a frame builds (the gathered rest, a leaf wrapped to
// look like a group) are its own members and go with it.
class matcherFrame : public container {
public:
    // The continuation: borrowed, never stored. It is called while the
    // callable it refers to is alive further up the stack, so handing one on
    // copies two pointers and allocates nothing.
    class accept {
    public:
        template <class F>
            requires(!std::is_same_v<std::remove_cvref_t<F>, accept>)
        accept(F&& f)  // NOLINT(google-explicit-constructor): lambdas convert as they did
            : callable_(static_cast<const void*>(std::addressof(f))),
              call_([](const void* c, container& b) -> bool {
                  return (*static_cast<const std::remove_reference_t<F>*>(c))(b);
              }) {}
        bool operator()(container& bindings) const { return call_(callable_, bindings); }

    private:
        const void* callable_;
        bool (*call_)(const void*, container&);
    };

    matcherFrame(container* target, container* pattern, nucleo* exclude);

    // A frame for one problem, lent from the frames this thread has finished
    // with (a rule is tried at every place, and each try opens frames); it
    // goes back when the lease ends.
    class lease {
    public:
        explicit lease(matcherFrame* f) : frame_(f) {}
        ~lease() { giveBack(frame_); }
        lease(const lease&) = delete;
        lease& operator=(const lease&) = delete;
        matcherFrame* operator->() const { return frame_; }

    private:
        matcherFrame* frame_;
    };
    static lease lend(container* target, container* pattern, nucleo* exclude);

    int type() const override { return typeId::matcherFrame; }

    bool run(container& bindings, accept next);

    // Matches one pattern member against one target member.
    static bool matchMember(nucleo* pattern, nucleo* target, container& bindings, nucleo* exclude, accept next);

    // False when matchMember cannot succeed whatever the bindings: a constant
    // leaf against an unequal node, a group against an operator of another
    // class or with too few members. Decided without allocating anything.
    static bool mayMatch(nucleo* pattern, nucleo* target);

    // Drops the bindings added after the first `keep` ones.
    static void truncate(container& bindings, int keep);

private:
    static void giveBack(matcherFrame* f);
    void reset(container* target, container* pattern, nucleo* exclude);
    bool slot(int i, container& bindings, accept next);
    // The target member single slot i takes, its sign set aside in a product.
    nucleo* slotTarget(int i) const;
    // Whether every single slot may take its member in the current arrangement.
    bool arrangementMayMatch() const;
    // Whether the slots that start with the same name take equal nodes there.
    bool leadsAgree() const;
    void findSharedLeads(container& bindings);
    bool advance();
    nucleo* gatherRest();

    container* target_;
    container* pattern_;
    nucleo* exclude_;
    std::vector<nucleo*> targetMembers_;
    std::vector<nucleo*> patternMembers_;
    std::vector<int> index_;  // the target position taken by each single slot
    // Pairs of single slots whose members start with the same name, which
    // the first of them binds (x * x, x^m * x^n).
    std::vector<std::pair<int, int>> sharedLeads_;
    std::vector<nucleo*> leads_;  // the name each single slot starts with, or null
    int singles_ = 0;         // pattern members that take one target member
    bool comut_ = false;
    bool stripSigns_ = false;  // a product or quotient: factors match without sign
    bool oddSign_ = false;     // ... and the sign left over travels with the rest
};

}  // namespace tovimat
