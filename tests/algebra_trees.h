// Building expression trees for the algebra tests exactly as written: every
// member is linked without insertion rules, so a test states the shape it
// means (a + b - c is S(a, b, Neg(c))). Leaves start as validated structure.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "algebra/support.h"
#include "model/document.h"
#include "model/dump.h"

namespace tovimat::testing::trees {

inline nucleo* N(double v) { return new nominal(v); }

inline nucleo* L(const char* name) {
    auto* l = new literal(name);
    l->setChanged(false);
    return l;
}

inline nucleo* Any() { return new preference("?"); }
inline nucleo* B(bool truth) { return new booleano(truth); }

template <typename C, typename... M>
C* make(M*... members) {
    auto* c = new C();
    (c->linkLast(members), ...);
    return c;
}

template <typename... M> container* S(M*... m) { return make<sum>(m...); }
template <typename... M> container* M_(M*... m) { return make<multiplication>(m...); }
template <typename... M> container* Set(M*... m) { return make<enumSet>(m...); }
template <typename... M> container* Lst(M*... m) { return make<list>(m...); }
template <typename... M> container* Or(M*... m) { return make<logicOr>(m...); }
template <typename... M> container* And(M*... m) { return make<logicAnd>(m...); }
template <typename... M> container* Box(M*... m) { return make<container>(m...); }
template <typename... M> container* Pg(M*... m) {
    auto* p = new page(1, false);
    (p->linkLast(m), ...);
    return p;
}
template <typename... M> container* Q(M*... m) { return make<quocient>(m...); }
template <typename... M> container* Fr(M*... m) { return make<fracao>(m...); }
template <typename... M> container* R(M*... m) { return make<radical>(m...); }
inline container* P(nucleo* base, nucleo* exponent) { return make<power>(base, exponent); }
inline container* Neg(nucleo* x) { return make<negation>(x); }
inline container* Pm(nucleo* x) { return make<plusOrMinus>(x); }
inline container* Par(nucleo* x) { return make<parentesis>(x); }
inline container* Log(nucleo* base, nucleo* x) { return make<logaritm>(base, x); }
inline container* Sin(nucleo* x) { return make<algSin>(x); }
inline container* Cos(nucleo* x) { return make<algCos>(x); }
inline container* Tan(nucleo* x) { return make<algTan>(x); }
inline container* Cot(nucleo* x) { return make<algCotan>(x); }
inline container* ASin(nucleo* x) { return make<algASin>(x); }
inline container* Eq(nucleo* x) { return make<equal>(x); }
inline container* Pass(nucleo* x) { return make<passEqual>(x); }
inline container* Gt(nucleo* x) { return make<greater>(x); }
inline container* Ne(nucleo* x) { return make<notEqual>(x); }
inline container* Equiv(nucleo* x) { return make<equivalence>(x); }
inline container* Line(nucleo* lhs, nucleo* rel) { return make<simplification>(lhs, rel); }
template <typename... M> container* Steps(M*... m) { return make<resolution>(m...); }
template <typename... M> container* Args(M*... m) { return make<argument>(m...); }
template <typename C> container* Rel(nucleo* a, nucleo* b) { return make<C>(a, b); }
inline container* Fn(const char* name, nucleo* x) {
    auto* f = new userFunc(name);
    f->linkLast(x);
    return f;
}
// A rule as a student types it: pattern = replacement.
inline container* Rule(nucleo* pattern, nucleo* replacement) { return Line(pattern, Eq(replacement)); }

using owned = std::unique_ptr<nucleo>;

inline std::string dump(const nucleo* n) { return n ? dumpTree(*n) : std::string("(none)\n"); }

// A node of a document as a tree of its own: no root, so no caret marks.
inline nucleo* shapeOf(const nucleo* n) { return alg::rawCopy(n); }

// The value of a record, compared by its dump with the tree meant; both trees
// are deleted.
inline ::testing::AssertionResult sameTree(nucleo* actual, nucleo* expected) {
    owned a(actual), e(expected);
    std::string da = dump(a.get()), de = dump(e.get());
    if (da == de) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got:\n" << da << "meant:\n" << de;
}

}  // namespace tovimat::testing::trees
