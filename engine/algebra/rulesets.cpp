// Rule sets: rules written as equations in a document (pattern = replacement)
// rewrite an expression. One application performs at most one rewrite: the
// first rule that matches at the first place where one matches.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include "algebra/rule_watch.h"
#include "algebra/search.h"
#include "algebra/step_notes.h"
#include "algebra/support.h"
#include "platform/messages.h"

namespace tovimat {

using alg::asGroup;
using alg::rawCopy;
using alg::record;
using alg::soleMember;
using alg::unchanged;

namespace {

// The binding of the name of a pattern variable, or null.
variable* boundTo(container& bindings, nucleo* name) {
    for (nucleo* v = bindings.first(); v && v->chained(); v = v->next())
        if (name->igualA(v)) return cast<variable>(v);
    return nullptr;
}

// Binds the name of a pattern variable, in the pattern's face, to value.
void bind(container& bindings, nucleo* name, nucleo* value) {
    auto* v = new variable(name->getText(), name->getLen(), value);
    if (!alg::sameFace(v, name)) v->copyFont(name);
    bindings.linkLast(v);
}

bool isPreferenceBinding(const nucleo* v) { return v->getLen() == 1 && v->getText()[0] == '?'; }

// A pattern leaf that only an equal node matches.
bool rigid(const nucleo* p) {
    if (p->isGroup()) return false;
    const int t = p->type();
    return t != typeId::literal && t != typeId::variable && t != typeId::preference;
}

}  // namespace

// --- pattern leaves ------------------------------------------------------------------------------

// Any other leaf matches only an equal node.
bool nucleo::chkRule(nucleo* target, container&, nucleo*) { return target && *this == *target; }

// A name matches any subexpression, the same one at each of its places.
bool literal::chkRule(nucleo* target, container& bindings, nucleo* exclude) {
    if (!target) return false;
    if (exclude && target->refers(exclude)) return false;
    for (nucleo* v = bindings.first(); v && v->chained(); v = v->next()) {
        nucleo* value = cast<variable>(v)->getValue();
        if (isPreferenceBinding(v) && value && target->refers(value)) return false;
    }
    if (variable* v = boundTo(bindings, this)) return v->getValue() && *v->getValue() == *target;
    bind(bindings, this, rawCopy(target));
    return true;
}

// "?" matches any subexpression that is not a number, nor one that another
// binding already mentions.
bool preference::chkRule(nucleo* target, container& bindings, nucleo* exclude) {
    if (!target) return false;
    if (exclude && !target->refers(exclude)) return false;
    if (variable* v = boundTo(bindings, this)) return v->getValue() && *v->getValue() == *target;
    if (alg::isNumber(target) || alg::isNegatedNumber(target)) return false;
    for (nucleo* v = bindings.first(); v && v->chained(); v = v->next())
        if (v->refers(target)) return false;
    bind(bindings, this, rawCopy(target));
    return true;
}

// --- the matcher ---------------------------------------------------------------------------------

matcherFrame::matcherFrame(container* target, container* pattern, nucleo* exclude)
    : target_(target), pattern_(pattern), exclude_(exclude) {}

namespace {

// The frames a thread has finished with, ready for the next problem.
thread_local std::vector<std::unique_ptr<matcherFrame>> spareFrames;
constexpr size_t keptFrames = 64;

}  // namespace

matcherFrame::lease matcherFrame::lend(container* target, container* pattern, nucleo* exclude) {
    if (spareFrames.empty()) return lease(new matcherFrame(target, pattern, exclude));
    matcherFrame* f = spareFrames.back().release();
    spareFrames.pop_back();
    f->reset(target, pattern, exclude);
    return lease(f);
}

void matcherFrame::giveBack(matcherFrame* f) {
    if (spareFrames.size() < keptFrames)
        spareFrames.emplace_back(f);
    else
        delete f;
}

// A frame starts a problem as a new one would; its lists keep their room.
void matcherFrame::reset(container* target, container* pattern, nucleo* exclude) {
    target_ = target;
    pattern_ = pattern;
    exclude_ = exclude;
    targetMembers_.clear();
    patternMembers_.clear();
    index_.clear();
    singles_ = 0;
    comut_ = stripSigns_ = oddSign_ = false;
}

void matcherFrame::truncate(container& bindings, int keep) {
    while (bindings.members() > keep) {
        nucleo* v = bindings.last();
        bindings._detachIt(v, false, false);
        delete v;
    }
}

bool matcherFrame::run(container& bindings, accept next) {
    if (!target_ || !pattern_ || target_->type() != pattern_->type() || target_->members() < pattern_->members())
        return false;
    for (nucleo* m = target_->first(); m && m->chained(); m = m->next()) targetMembers_.push_back(m);
    for (nucleo* m = pattern_->first(); m && m->chained(); m = m->next()) patternMembers_.push_back(m);
    const int n = int(targetMembers_.size());
    const int m = int(patternMembers_.size());
    if (m == 0) return n == 0 && next(bindings);
    // Factors are matched without their signs; an odd number of signs is
    // left over and travels with the last pattern member.
    stripSigns_ = target_->priority() == Priority::product;
    int signs = 0;
    if (stripSigns_)
        for (nucleo* t : targetMembers_)
            if (t->type() == typeId::negation) ++signs;
    oddSign_ = stripSigns_ && signs % 2 == 1;
    singles_ = n == m && !oddSign_ ? m : m - 1;
    comut_ = target_->comut();
    index_.resize(size_t(singles_));
    std::iota(index_.begin(), index_.end(), 0);
    findSharedLeads(bindings);
    do {
        if (arrangementMayMatch() && slot(0, bindings, next)) return true;
    } while (comut_ && advance());
    return false;
}

bool matcherFrame::slot(int i, container& bindings, accept next) {
    if (i == singles_) {
        if (singles_ == int(patternMembers_.size())) return next(bindings);
        std::unique_ptr<nucleo> rest(gatherRest());
        return rest && matchMember(patternMembers_.back(), rest.get(), bindings, exclude_, next);
    }
    return matchMember(patternMembers_[size_t(i)], slotTarget(i), bindings, exclude_,
                       [&](container& b) { return slot(i + 1, b, next); });
}

nucleo* matcherFrame::slotTarget(int i) const {
    nucleo* t = targetMembers_[size_t(index_[size_t(i)])];
    if (stripSigns_ && t->type() == typeId::negation && soleMember(t)) t = soleMember(t);
    return t;
}

bool matcherFrame::arrangementMayMatch() const {
    for (int i = 0; i < singles_; ++i)
        if (!mayMatch(patternMembers_[size_t(i)], slotTarget(i))) return false;
    return leadsAgree();
}

namespace {

// A pattern leaf that stands for whatever it first meets (literal::chkRule).
bool bindsByName(const nucleo* p) { return p->type() == typeId::literal || p->type() == typeId::variable; }

// The leaf a pattern member starts with: its first member, down through the
// groups whose first member always meets the target's first one (a power,
// a quotient), which the matcher binds before anything else in the member.
// Null through an operator whose members may be taken in any order.
nucleo* leadOf(nucleo* p) {
    while (p && p->isGroup()) {
        auto* g = cast<container>(p);
        if (g->comut() || g->members() < 2) return nullptr;
        p = g->first();
    }
    return p;
}

// What the lead of pattern member p takes when p matches t, as matchMember
// gets there: a leaf stands for a group padded with its neutral element,
// so it is the group's first member; a factor's sign is set aside.
nucleo* leadTaken(nucleo* p, nucleo* t) {
    for (;;) {
        if (!p || !t) return nullptr;
        if (isa<parentesis>(t) && !isa<parentesis>(p) && soleMember(t)) t = soleMember(t);
        if (!p->isGroup()) return t;
        auto* pg = cast<container>(p);
        if (t->isGroup()) {
            auto* tg = cast<container>(t);
            if (tg->type() != pg->type() || tg->members() == 0) return nullptr;
            t = tg->first();
            if (tg->priority() == Priority::product && t->type() == typeId::negation && soleMember(t))
                t = soleMember(t);
        }
        p = pg->first();
    }
}

// Whether name stands anywhere in pattern p.
bool mentions(nucleo* p, nucleo* name) {
    if (!p->isGroup()) return bindsByName(p) && name->igualA(p);
    for (nucleo* m = cast<container>(p)->first(); m && m->chained(); m = m->next())
        if (mentions(m, name)) return true;
    return false;
}

}  // namespace

// A name not bound yet that first stands as the lead of slot i is bound
// there to what that lead takes; a later slot led by the same name then asks
// for an equal node. Checking that on the arrangement spares binding and
// taking back for the common failures, x * x against a * b.
void matcherFrame::findSharedLeads(container& bindings) {
    sharedLeads_.clear();
    leads_.clear();
    if (singles_ < 2) return;
    int named = 0;
    for (int i = 0; i < singles_; ++i) {
        nucleo* lead = leadOf(patternMembers_[size_t(i)]);
        if (lead && !bindsByName(lead)) lead = nullptr;
        leads_.push_back(lead);
        named += lead != nullptr;
    }
    if (named < 2) return;
    for (int i = 0; i < singles_; ++i) {
        nucleo* name = leads_[size_t(i)];
        if (!name) continue;
        bool shared = false;
        for (int j = i + 1; j < singles_; ++j) {
            if (leads_[size_t(j)] && name->igualA(leads_[size_t(j)])) {
                sharedLeads_.emplace_back(i, j);
                shared = true;
            }
        }
        if (!shared) continue;
        bool boundBefore = boundTo(bindings, name) != nullptr;
        for (int k = 0; k < i && !boundBefore; ++k) boundBefore = mentions(patternMembers_[size_t(k)], name);
        if (boundBefore)
            std::erase_if(sharedLeads_, [i](const std::pair<int, int>& p) { return p.first == i; });
    }
}

bool matcherFrame::leadsAgree() const {
    for (auto [i, j] : sharedLeads_) {
        nucleo* first = leadTaken(patternMembers_[size_t(i)], slotTarget(i));
        nucleo* later = leadTaken(patternMembers_[size_t(j)], slotTarget(j));
        if (first && later && !(*first == *later)) return false;
    }
    return true;
}

// The next arrangement of distinct positions, the last one moving fastest.
bool matcherFrame::advance() {
    const int n = int(targetMembers_.size());
    auto usedBefore = [&](int v, int k) {
        for (int j = 0; j < k; ++j)
            if (index_[size_t(j)] == v) return true;
        return false;
    };
    for (int k = singles_ - 1; k >= 0; --k) {
        int v = index_[size_t(k)] + 1;
        while (v < n && usedBefore(v, k)) ++v;
        if (v >= n) continue;
        index_[size_t(k)] = v;
        for (int j = k + 1; j < singles_; ++j) {
            int w = 0;
            while (usedBefore(w, j)) ++w;
            index_[size_t(j)] = w;
        }
        return true;
    }
    return false;
}

// The target members no single slot took, in their order: one member as it
// is, several in a group of the target's class (the divisors of a quotient
// multiply). With an odd sign left over, the rest is negated.
nucleo* matcherFrame::gatherRest() {
    container* c = target_->type() == typeId::quocient ? new multiplication() : target_->clone();
    for (size_t j = 0; j < targetMembers_.size(); ++j) {
        if (std::find(index_.begin(), index_.end(), int(j)) != index_.end()) continue;
        nucleo* t = targetMembers_[j];
        if (stripSigns_ && t->type() == typeId::negation && soleMember(t)) t = soleMember(t);
        c->linkLast(rawCopy(t));
    }
    nucleo* rest = c;
    if (c->members() == 0) {
        delete c;
        return nullptr;
    }
    if (c->members() == 1) {
        rest = c->first();
        c->_detachIt(rest, false, false);
        delete c;
    }
    if (oddSign_) {
        auto* neg = new negation();
        neg->linkLast(rest);
        rest = neg;
    }
    return rest;
}

namespace {

// Whether a leaf may stand for the group pattern, padded with its neutral
// element (the pattern's own operator decides whether it has one).
bool wrappable(const container* pattern) {
    if (pattern->maxMembers() < 2) return false;
    const container* outer = pattern->parent();
    return !(outer && pattern->priority() < outer->priority());
}

// A leaf matched against a group pattern looks like that group padded with
// its neutral element: x against a·b is x·1.
container* wrapLike(container* pattern, const nucleo* t) {
    if (!wrappable(pattern)) return nullptr;
    std::unique_ptr<nucleo> unit(pattern->neutral());
    if (!unit) return nullptr;
    container* c = pattern->clone();
    c->linkLast(rawCopy(t));
    while (c->members() < pattern->members()) c->linkLast(unit->copy());
    return c;
}

// A negation against a product pattern: -(a·b) as (-a)·b, -x as x·(-1).
container* signInside(nucleo* t, container* pattern) {
    nucleo* inner = soleMember(t);
    if (!inner) return nullptr;
    if (auto* product = dyn_cast<multiplication>(inner); product && product->members() > 0) {
        container* c = product->clone();
        auto* neg = new negation();
        neg->linkLast(rawCopy(product->first()));
        c->linkLast(neg);
        for (nucleo* m = product->first()->next(); m && m->chained(); m = m->next()) c->linkLast(rawCopy(m));
        return c;
    }
    nucleo* unit = pattern->neutral();
    if (!unit) return nullptr;
    container* c = pattern->clone();
    c->linkLast(rawCopy(inner));
    auto* neg = new negation();
    neg->linkLast(unit);
    c->linkLast(neg);
    return c;
}

}  // namespace

bool matcherFrame::mayMatch(nucleo* p, nucleo* t) {
    if (!p || !t) return false;
    if (isa<parentesis>(t) && !isa<parentesis>(p) && soleMember(t)) t = soleMember(t);
    if (!p->isGroup()) return !rigid(p) || *p == *t;
    auto* pg = cast<container>(p);
    if (!t->isGroup()) return wrappable(pg);
    const bool signInsideProduct = t->type() == typeId::negation &&
                                   (pg->type() == typeId::multiplication || pg->type() == typeId::quocient);
    return signInsideProduct || (t->type() == pg->type() && cast<container>(t)->members() >= pg->members());
}

bool matcherFrame::matchMember(nucleo* p, nucleo* t, container& bindings, nucleo* exclude, accept next) {
    if (!p || !t) return false;
    if (isa<parentesis>(t) && !isa<parentesis>(p) && soleMember(t)) t = soleMember(t);
    if (!p->isGroup()) {
        const int keep = bindings.members();
        if (p->chkRule(t, bindings, exclude) && next(bindings)) return true;
        truncate(bindings, keep);
        return false;
    }
    auto* pg = cast<container>(p);
    if (!t->isGroup()) {
        std::unique_ptr<container> wrapped(wrapLike(pg, t));
        if (!wrapped) return false;
        return lend(wrapped.get(), pg, exclude)->run(bindings, next);
    }
    if (lend(cast<container>(t), pg, exclude)->run(bindings, next)) return true;
    if (t->type() != typeId::negation ||
        (pg->type() != typeId::multiplication && pg->type() != typeId::quocient))
        return false;
    std::unique_ptr<container> signed_(signInside(t, pg));
    if (!signed_) return false;
    if (signed_->type() != pg->type()) {
        signed_.reset(wrapLike(pg, signed_.get()));
        if (!signed_) return false;
    } else if (signed_->members() < pg->members()) {
        std::unique_ptr<nucleo> unit(pg->neutral());
        if (!unit) return false;
        while (signed_->members() < pg->members()) signed_->linkLast(unit->copy());
    }
    return lend(signed_.get(), pg, exclude)->run(bindings, next);
}

// --- substitution --------------------------------------------------------------------------------

int nucleo::colectRefs(nucleo* var, refCol& found) {
    if (!var || !(*this == *var)) return 0;
    found.add(this);
    MessageBeep(16);
    return 1;
}

int container::colectRefs(nucleo* var, refCol& found) {
    if (!var) return 0;
    if (*this == *var) return nucleo::colectRefs(var, found);
    int count = 0;
    for (nucleo* m = first(); m && m->chained(); m = m->next()) count += m->colectRefs(var, found);
    return count;
}

// Every occurrence is found before any is replaced, so a value that holds a
// variable's name is never substituted again. Each value goes exactly where
// its variable stood, in parentheses when it binds more loosely there.
void container::replaceVars(container* bindings) {
    if (!bindings) return;
    for (nucleo* b = bindings->first(); b && b->chained(); b = b->next()) {
        auto* v = dyn_cast<variable>(b);
        if (!v) continue;
        v->where().clear();
        colectRefs(v, v->where());
    }
    for (nucleo* b = bindings->first(); b && b->chained(); b = b->next()) {
        auto* v = dyn_cast<variable>(b);
        if (!v) continue;
        for (nucleo* at : v->where()) {
            container* p = at->parent();
            if (!p || !v->getValue()) continue;
            nucleo* before = at->previous();
            nucleo* after = at->next();
            p->_detachIt(at, false, false);
            delete at;
            p->placeAt(adopt(rawCopy(v->getValue())), before, after);
        }
        v->where().clear();
    }
}

// --- applying rules ------------------------------------------------------------------------------

namespace {

// The replacement with the bound values in place of its variables.
nucleo* substituted(nucleo* replacement, container& bindings) {
    if (container* g = asGroup(replacement)) {
        auto* c = cast<container>(rawCopy(g));
        c->replaceVars(&bindings);
        return c;
    }
    // A single leaf: what replaceVars would make of it alone, without a
    // holder to hold it. It stands for the binding it equals, found with a
    // beep like every occurrence.
    nucleo* value = nullptr;
    for (nucleo* b = bindings.first(); b && b->chained(); b = b->next()) {
        auto* v = dyn_cast<variable>(b);
        if (!v || !(*replacement == *v)) continue;
        MessageBeep(16);
        if (v->getValue()) value = v->getValue();
    }
    return rawCopy(value ? value : replacement);
}

// An empty box for the bindings of one match, lent from the one this thread
// keeps; a match that runs while it is out gets a box of its own.
class scratchBindings {
public:
    scratchBindings() : box_(spare ? spare.release() : new container()) {}
    ~scratchBindings() {
        matcherFrame::truncate(*box_, 0);
        if (!spare)
            spare.reset(box_);
        else
            delete box_;
    }
    scratchBindings(const scratchBindings&) = delete;
    scratchBindings& operator=(const scratchBindings&) = delete;
    container& get() { return *box_; }

private:
    static thread_local std::unique_ptr<container> spare;
    container* box_;
};

thread_local std::unique_ptr<container> scratchBindings::spare;

results matchWhole(container* rule, container* target, container* pattern, nucleo* replacement, nucleo* exclude) {
    scratchBindings scratch;
    container& bindings = scratch.get();
    matcherFrame::lease frame = matcherFrame::lend(target, pattern, exclude);
    if (!frame->run(bindings, [](container&) { return true; })) return unchanged();
    if (ruleWatch* w = ruleWatch::current()) w->bound(bindings);
    ruleMatchNote::note(rule, bindings);
    return record(1, rule, substituted(replacement, bindings));
}

// Tries the rule on every choice of as many target members as the pattern
// has, in lexicographic order of their positions, and stops at the first
// that matches. A choice that cannot hold a member equal to each constant
// leaf of the pattern is never built: the choices are walked so that such
// choices are skipped without being looked at one by one.
class Chooser {
public:
    Chooser(container* rule, container* target, container* pattern, nucleo* exclude)
        : rule_(rule), target_(target), exclude_(exclude), m_(pattern->members()) {
        for (nucleo* t = target->first(); t && t->chained(); t = t->next()) members_.push_back(t);
        n_ = int(members_.size());
        bool signs = false;
        for (nucleo* t : members_)
            if (t->type() == typeId::negation) signs = true;
        // With signs in a product, a factor may match through the sign left
        // over: no choice is ruled out beforehand.
        const bool exact = !(target->priority() == Priority::product && signs);
        std::vector<nucleo*> required;
        for (nucleo* p = pattern->first(); p && p->chained(); p = p->next())
            if (rigid(p)) required.push_back(p);
        prune_ = exact && !required.empty() && required.size() <= 64;
        if (!prune_) return;
        lists_.resize(required.size());
        mask_.assign(size_t(n_), 0);
        for (int j = 0; j < n_; ++j) {
            nucleo* t = members_[size_t(j)];
            if (isa<parentesis>(t) && soleMember(t)) t = soleMember(t);
            for (size_t r = 0; r < required.size(); ++r) {
                if (*required[r] == *t) {
                    lists_[r].push_back(j);
                    mask_[size_t(j)] |= std::uint64_t(1) << r;
                }
            }
        }
        full_ = required.size() == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << required.size()) - 1;
    }

    results run() {
        for (auto& l : lists_)
            if (l.empty()) return unchanged();
        walk(0, 0, 0);
        return std::move(found_);
    }

private:
    bool walk(int depth, int from, std::uint64_t covered) {
        const int remaining = m_ - depth;
        if (remaining == 0) return (!prune_ || covered == full_) && attempt();
        if (prune_) {
            const std::uint64_t missing = full_ & ~covered;
            const int count = std::popcount(missing);
            if (count > remaining) return false;
            if (count == remaining) {
                // Every position still to choose must meet a missing requirement.
                for (int p = candidate(missing, from); p >= 0 && p <= n_ - remaining; p = candidate(missing, p + 1))
                    if (take(depth, p, covered)) return true;
                return false;
            }
        }
        for (int p = from; p <= n_ - remaining; ++p)
            if (take(depth, p, covered)) return true;
        return false;
    }

    bool take(int depth, int p, std::uint64_t covered) {
        chosen_.push_back(p);
        if (walk(depth + 1, p + 1, prune_ ? covered | mask_[size_t(p)] : 0)) return true;
        chosen_.pop_back();
        return false;
    }

    // The first position from `from` on that meets one of the missing requirements.
    int candidate(std::uint64_t missing, int from) const {
        int best = -1;
        for (size_t r = 0; r < lists_.size(); ++r) {
            if (!(missing & (std::uint64_t(1) << r))) continue;
            auto it = std::lower_bound(lists_[r].begin(), lists_[r].end(), from);
            if (it != lists_[r].end() && (best < 0 || *it < best)) best = *it;
        }
        return best;
    }

    bool attempt() {
        std::unique_ptr<container> choice(target_->clone());
        for (int p : chosen_) choice->linkLast(rawCopy(members_[size_t(p)]));
        results r = rule_->applyRule(choice.get(), exclude_);
        if (!r.changes) return false;
        if (ruleWatch* w = ruleWatch::current()) {
            w->chose(*choice);
            if (!w->wholeValues()) {
                found_ = std::move(r);
                return true;
            }
        }
        // The rewritten choice first, then the members not chosen.
        container* out = target_->clone();
        out->placeAt(std::move(r.value), out->head(), out->tail());
        for (int j = 0; j < n_; ++j)
            if (std::find(chosen_.begin(), chosen_.end(), j) == chosen_.end())
                out->linkLast(rawCopy(members_[size_t(j)]));
        found_ = record(r.changes, r.source, out);
        return true;
    }

    container* rule_;
    container* target_;
    nucleo* exclude_;
    std::vector<nucleo*> members_;
    int n_ = 0;
    int m_;
    bool prune_ = false;
    std::vector<std::vector<int>> lists_;
    std::vector<std::uint64_t> mask_;
    std::uint64_t full_ = 0;
    std::vector<int> chosen_;
    results found_;
};

}  // namespace

// This node is a rule: its first member the pattern, the first member of its
// last member (the relation) the replacement.
results container::applyRule(nucleo* target, nucleo* exclude) {
    container* t = asGroup(target);
    if (!t || memberCount < 2) return unchanged();
    container* pattern = asGroup(first());
    container* rel = asGroup(last());
    if (!pattern || !rel || rel->members() == 0) return unchanged();
    nucleo* replacement = rel->first();
    if (pattern->type() != t->type()) return unchanged();
    if (isa<userFunc>(pattern) && cast<userFunc>(pattern)->name() != cast<userFunc>(t)->name())
        return unchanged();
    if (pattern->maxMembers() > 1 && t->members() < pattern->members()) {
        // a + b against x + y + z: the target padded with 0 up to the pattern.
        std::unique_ptr<nucleo> unit(pattern->neutral());
        if (!unit) return unchanged();
        std::unique_ptr<container> padded(cast<container>(rawCopy(t)));
        while (padded->members() < pattern->members()) padded->linkLast(unit->copy());
        return matchWhole(this, padded.get(), pattern, replacement, exclude);
    }
    if (pattern->members() < t->members() && pattern->maxMembers() > 1)
        return Chooser(this, t, pattern, exclude).run();
    return matchWhole(this, t, pattern, replacement, exclude);
}

results simplification::applyRule(nucleo* target, nucleo* exclude) {
    if (!target || memberCount == 0 || target->type() != first()->type()) return unchanged();
    return container::applyRule(target, exclude);
}

results resolution::applyRule(nucleo* target, nucleo* exclude) {
    container* t = asGroup(target);
    container* p = memberCount > 0 ? asGroup(first()) : nullptr;
    if (!t || !p || t->type() != p->type()) return unchanged();
    if (t->members() == 0 || p->members() == 0 || t->first()->type() != p->first()->type()) return unchanged();
    return container::applyRule(target, exclude);
}

// --- watching the search ------------------------------------------------------------------------

namespace {

thread_local ruleWatch* openWatch = nullptr;

// A match the open watch lets go counts as no match.
results watched(container& rule, container& target, results done) {
    if (done.changes && openWatch && !openWatch->take(rule, target, done)) return unchanged();
    return done;
}

}  // namespace

ruleWatch::ruleWatch() : outer_(openWatch) { openWatch = this; }

ruleWatch::~ruleWatch() { openWatch = outer_; }

ruleWatch* ruleWatch::current() { return openWatch; }

// --- searching a tree ----------------------------------------------------------------------------

namespace {

// The groups of a rule set in order, each read once per search: a nested
// rule set, or a rule with the class of operator its pattern is. Every kind
// of rule refuses a place of another class, so a place tries only the rules
// of its own class. The indexes live while the outermost search on this
// thread runs; rule sets do not change meanwhile.
class ruleIndex {
public:
    struct entry {
        container* group;
        bool nested;      // a rule set of its own
        int patternType;  // for a rule: the class of its pattern
    };

    ruleIndex() : root_(open ? open : this) {
        if (root_ == this) open = this;
    }
    ~ruleIndex() {
        if (root_ == this) open = nullptr;
    }
    ruleIndex(const ruleIndex&) = delete;
    ruleIndex& operator=(const ruleIndex&) = delete;

    // A nested set tried on a place has gone through the place's whole
    // subtree and found nothing there, so while the members of that place
    // are searched with the same rules it is not tried again on them.
    class searchingMembers {
    public:
        searchingMembers(ruleIndex& index, const container* rules) : covered_(index.root_->covered_) {
            covered_.push_back(rules);
        }
        ~searchingMembers() { covered_.pop_back(); }
        searchingMembers(const searchingMembers&) = delete;
        searchingMembers& operator=(const searchingMembers&) = delete;

    private:
        std::vector<const container*>& covered_;
    };

    bool nestedSearched(const container* rules) const {
        const auto& covered = root_->covered_;
        return std::find(covered.begin(), covered.end(), rules) != covered.end();
    }

    const std::vector<entry>& of(container* rules) {
        auto& built = root_->built_;
        for (const auto& [set, entries] : built)
            if (set == rules) return *entries;
        built.emplace_back(rules, std::make_unique<std::vector<entry>>(build(rules)));
        return *built.back().second;
    }

private:
    static std::vector<entry> build(container* rules) {
        std::vector<entry> out;
        for (nucleo* r = rules->first(); r && r->chained(); r = r->next()) {
            container* g = asGroup(r);
            if (!g) continue;
            if (g->priority() < Priority::sentence)
                out.push_back({g, true, 0});
            else if (g->composed() && g->members() > 0 && g->first()->isGroup())
                out.push_back({g, false, g->first()->type()});
        }
        return out;
    }

    // The index of the outermost search on this thread, which holds what
    // every search inside it has built.
    static thread_local ruleIndex* open;
    ruleIndex* root_;
    std::vector<std::pair<const container*, std::unique_ptr<std::vector<entry>>>> built_;
    std::vector<const container*> covered_;
};

thread_local ruleIndex* ruleIndex::open = nullptr;

}  // namespace

results container::applyRules(container* rules, nucleo* exclude) {
    if (!rules) return unchanged();
    ruleIndex index;
    const int here = type();
    const std::vector<ruleIndex::entry>& entries = index.of(rules);
    // A set without rules (constants only) finds nothing anywhere.
    if (entries.empty()) return unchanged();
    const bool nestedSearched = index.nestedSearched(rules);
    for (const ruleIndex::entry& e : entries) {
        results done;
        if (e.nested) {
            if (!nestedSearched) done = applyRules(e.group, exclude);
        } else if (e.patternType == here) {
            done = watched(*e.group, *this, e.group->applyRule(this, exclude));
        }
        if (done.changes) return done;
    }
    // Then the members, depth first from the first.
    ruleIndex::searchingMembers below(index, rules);
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        container* g = asGroup(m);
        if (!g) continue;
        results done = g->applyRules(rules, exclude);
        if (done.changes)
            return record(done.changes, done.source, alg::replacedCopy(this, g, done.value.release()));
    }
    return unchanged();
}

results simplification::applyRules(container* rules, nucleo* exclude) {
    if (memberCount == 0) return unchanged();
    container* rel = asGroup(last());
    results r = rel ? rel->applyRules(rules, exclude) : unchanged();
    if (r.changes) {
        if (parentNode && parentNode->composition())
            return record(r.changes, this, alg::group(*this, {rawCopy(first()), r.value.release()}));
        return r;
    }
    if (memberCount == 2 && rel && rel->type() != typeId::passEqual) {
        results s = container::applyRules(rules, exclude);
        if (s.changes) {
            if (getFocus() == this) {
                auto* step = new equivalence();
                step->placeAt(std::move(s.value), step->head(), step->tail());
                return record(s.changes, s.source, step);
            }
            return s;
        }
    }
    return unchanged();
}

results resolution::applyRules(container* rules, nucleo* exclude) {
    container* g = memberCount > 0 ? asGroup(last()) : nullptr;
    if (!g) return unchanged();
    results r = g->applyRules(rules, exclude);
    if (r.changes) return r;
    return unchanged();
}

}  // namespace tovimat
