// Distribution of an operator over a group member, the set operations on the
// member lists of groups, and the substitution of named constants.
#include <algorithm>
#include <vector>

#include "algebra/sets.h"
#include "algebra/step_notes.h"
#include "algebra/support.h"

namespace tovimat {

using alg::asGroup;
using alg::record;
using alg::unchanged;

// --- distribution --------------------------------------------------------------------------------

container* container::distributeIt() { return distributeIt(this); }

// For each member x of group: a copy of this node's parent with x in this
// node's place, gathered in a clone of group.
container* container::distributeIt(container* g) {
    container* o = parentNode;
    if (!o || !g) return nullptr;
    container* out = g->clone();
    for (nucleo* x = g->first(); x && x->chained(); x = x->next())
        alg::append(out, alg::replacedCopy(o, this, alg::rawCopy(x)));
    return out;
}

namespace {

// O may distribute into its member m.
bool mayDistributeInto(const container* o, const nucleo* m) {
    return o->distributive() || (o->type() == typeId::quocient && o->first() == m);
}

}  // namespace

results operat::distribute() {
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        container* g = asGroup(m);
        if (!g) continue;
        results r = g->distribute();
        if (r.changes) return record(r.changes, r.source, alg::replacedCopy(this, g, r.value.release()));
        if (g->priority() < Priority::sum || (g->priority() < priority() && mayDistributeInto(this, g))) {
            if (container* made = g->distributeIt()) return record(1, this, made);
        }
        if (isa<parentesis>(g)) {
            container* inner = asGroup(alg::soleMember(g));
            if (inner && (inner->priority() < Priority::sum ||
                          (inner->priority() < priority() && mayDistributeInto(this, g)))) {
                if (container* made = g->distributeIt(inner)) return record(1, this, made);
            }
        }
    }
    return unchanged();
}

results unaryOp::distribute() {
    container* g = asGroup(alg::soleMember(this));
    if (!g) return unchanged();
    results r = g->distribute();
    if (!r.changes) return unchanged();
    r.value.reset(alg::group(*this, {r.value.release()}));
    return r;
}

results compos::distribute() { return unaryOp::distribute(); }

results logic::distribute() { return unchanged(); }

results groupRel::distribute() { return unchanged(); }

results resolution::distribute() {
    container* g = memberCount > 0 ? asGroup(last()) : nullptr;
    return g ? g->distribute() : unchanged();
}

results container::distribute() { return distributeSub(); }

// The first member that distributes, in a copy of this group. A group of one
// member gives the distributed member itself; with more members the whole
// copy is the result, so that no member is lost.
results container::distributeSub() {
    if (parentNode && parentNode->composition()) return unchanged();
    for (nucleo* m = first(); m && m->chained(); m = m->next()) {
        container* g = asGroup(m);
        if (!g) continue;
        results r = g->distribute();
        if (!r.changes) continue;
        if (memberCount == 1) return r;
        return record(r.changes, this, alg::replacedCopy(this, g, r.value.release()));
    }
    return unchanged();
}

results simplification::distribute() {
    container* rel = memberCount > 0 ? asGroup(last()) : nullptr;
    if (!rel) return unchanged();
    nucleo* lhs = first();
    const bool insideRelation = parentNode && parentNode->composition();
    results r = rel->distribute();
    if (r.changes) {
        if (insideRelation)
            return record(r.changes, this, alg::group(*this, {alg::rawCopy(lhs), r.value.release()}));
        r.source = rel;
        return r;
    }
    if (memberCount != 2) return unchanged();
    if (container* l = asGroup(lhs)) {
        results s = l->distribute();
        if (s.changes) {
            if (insideRelation)
                return record(s.changes, this, alg::group(*this, {s.value.release(), alg::rawCopy(rel)}));
            s.source = lhs;
            return s;
        }
        // (x, y) = 0: one line for each member, gathered in the class of the group.
        if (isa<parentesis>(l)) {
            container* inner = asGroup(alg::soleMember(l));
            if (inner && inner->priority() < Priority::sum)
                if (container* made = l->distributeIt(inner)) return record(1, this, made);
        }
    }
    nucleo* rhs = alg::soleMember(rel);
    container* s = asGroup(rhs);
    if (!s) return unchanged();
    container* spread = nullptr;
    if (rhs->priority() >= Priority::sum) {
        container* inner = isa<parentesis>(s) ? asGroup(alg::soleMember(s)) : nullptr;
        if (!inner || inner->priority() >= Priority::sum) return unchanged();
        spread = s->distributeIt(inner);
    } else {
        spread = s->distributeIt();
    }
    if (!spread) return unchanged();
    // x = [1, 2]: the lines x = 1 and x = 2, gathered in the class of the group.
    container* out = spread->clone();
    while (spread->members() > 0) {
        nucleo* relCopy = spread->first();
        spread->_detachIt(relCopy, false, false);
        alg::append(out, alg::group(*this, {alg::rawCopy(lhs), relCopy}));
    }
    delete spread;
    return record(1, this, out);
}

// --- set operations ------------------------------------------------------------------------------

// The members of the smaller group that the larger contains, each once.
container* container::intercepcao(container* b, container* out) {
    if (!b || !out) return out;
    container* small = b->members() < members() ? b : this;
    container* large = small == this ? b : this;
    for (nucleo* m = small->first(); m && m->chained(); m = m->next())
        if (!out->contem(m) && large->contem(m)) out->linkLast(alg::rawCopy(m));
    return out;
}

}  // namespace tovimat

namespace tovimat::alg {

namespace {

// Appends to out a copy of each member of a that neither out nor b contains.
void appendUnshared(container* a, container* b, container* out) {
    for (nucleo* m = a->first(); m && m->chained(); m = m->next())
        if (!out->contem(m) && !b->contem(m)) out->linkLast(rawCopy(m));
}

}  // namespace

container* disjuncao(container* a, container* b) {
    if (!a) return nullptr;
    container* out = a->clone();
    if (!b) return out;
    appendUnshared(a, b, out);
    appendUnshared(b, a, out);
    return out;
}

// Each member of the smaller group takes away one equal member of the
// larger; what is left of a, then what is left of b, each in its order.
void nonCommon(container* a, container* b, refCol& out) {
    if (!a || !b) return;
    container* small = b->members() < a->members() ? b : a;
    container* large = small == a ? b : a;
    std::vector<nucleo*> smallMembers, largeMembers;
    for (nucleo* m = small->first(); m && m->chained(); m = m->next()) smallMembers.push_back(m);
    for (nucleo* m = large->first(); m && m->chained(); m = m->next()) largeMembers.push_back(m);
    std::vector<bool> smallPaired(smallMembers.size(), false), largePaired(largeMembers.size(), false);
    for (size_t i = 0; i < smallMembers.size(); ++i) {
        for (size_t j = 0; j < largeMembers.size(); ++j) {
            if (!largePaired[j] && *smallMembers[i] == *largeMembers[j]) {
                smallPaired[i] = largePaired[j] = true;
                break;
            }
        }
    }
    auto keep = [&](container* g) {
        auto& ms = g == small ? smallMembers : largeMembers;
        auto& paired = g == small ? smallPaired : largePaired;
        for (size_t i = 0; i < ms.size(); ++i)
            if (!paired[i]) out.add(ms[i]);
    };
    keep(a);
    if (b != a) keep(b);
}

}  // namespace tovimat::alg

namespace tovimat {

namespace {

// Appends to out a copy of each member of g that out does not hold yet (a
// group member is looked for as one member, never as a part of out).
void appendNew(container* g, container* out) {
    for (nucleo* m = g->first(); m && m->chained(); m = m->next())
        if (!out->contains(m)) out->linkLast(alg::rawCopy(m));
}

}  // namespace

// A union: the members of this group, then those of b, each member once
// (members are the same when they are equal expressions).
container* container::uniao(container* b, container* out) {
    if (!out) return out;
    appendNew(this, out);
    if (b) appendNew(b, out);
    return out;
}

// --- constants -----------------------------------------------------------------------------------

namespace {

// name = value, written as a simplification of a literal and an equal.
bool definition(nucleo* c, nucleo*& name, nucleo*& value) {
    auto* s = dyn_cast<simplification>(c);
    if (!s || s->members() != 2) return false;
    container* rel = asGroup(s->last());
    if (s->first()->type() != typeId::literal || !rel || rel->type() != typeId::equal || rel->members() != 1)
        return false;
    name = s->first();
    value = rel->first();
    return true;
}

// Every member equal to name, at any depth, is replaced by a copy of value;
// a replaced member is not searched further. The copy goes exactly in the
// name's place, in parentheses when it binds more loosely there.
int substitute(container* n, nucleo* name, nucleo* value) {
    int count = 0;
    nucleo* m = n->first();
    while (m && m->chained()) {
        nucleo* following = m->next();
        if (*m == *name) {
            nucleo* before = m->previous();
            n->_detachIt(m, false, false);
            delete m;
            std::unique_ptr<nucleo> v(alg::rawCopy(value));
            alg::settle(v.get());
            n->placeAt(std::move(v), before, following);
            ++count;
        } else if (container* g = asGroup(m)) {
            count += substitute(g, name, value);
        }
        m = following;
    }
    return count;
}

int useConstantsIn(container* n, container* constants) {
    int count = 0;
    for (nucleo* c = constants->first(); c && c->chained(); c = c->next()) {
        nucleo *name = nullptr, *value = nullptr;
        if (isa<container>(c) && c->priority() < Priority::sentence)
            count += useConstantsIn(n, cast<container>(c));
        else if (definition(c, name, value)) {
            const int put = substitute(n, name, value);
            if (put > 0) constantNote::note(c);
            count += put;
        }
    }
    return count;
}

}  // namespace

void container::useConstants(container* constants) {
    if (!constants) return;
    if (useConstantsIn(this, constants) > 0 && rootDoc) {
        rootDoc->setModified(true);
        remeasure();
    }
}

}  // namespace tovimat
