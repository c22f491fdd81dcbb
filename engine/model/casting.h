// Class tests over the type ids, in the manner of LLVM's:
//   isa<T>(n)       n is a T, or of a class derived from T
//   cast<T>(n)      n as a T; n must be one
//   dyn_cast<T>(n)  n as a T, or null when it is not one
// Unlike LLVM's, isa and dyn_cast accept null (and answer false or null).
//
// kindOf<T> says which nodes are Ts. A class has an entry only when its type
// ids tell its nodes apart from every other class: operat, unaryOp, compos
// and the other groups without an id of their own answer typeId::list like a
// plain list, and fracao answers typeId::quocient like quocient, so none of
// these has one. A test between two ids a class shares, or of the exact id
// where a subclass has another (negation and plusOrMinus, literal and
// variable), is written with type().
//
// Included at the end of nucleo.h: every node header sees it.
#pragma once

#include <cassert>
#include <initializer_list>

namespace tovimat {

class argument;
class booleano;
class container;
class enumSet;
class equal;
class equivalence;
class field;
class implication;
class indefinicao;
class indeterminacao;
class infinit;
class list;
class literal;
class logaritm;
class logicAnd;
class logicOr;
class multiplication;
class negation;
class nominal;
class page;
class parentesis;
class passEqual;
class plusOrMinus;
class power;
class preference;
class radical;
class reference;
class resolution;
class sentence;
class simplification;
class sum;
class userFunc;
class variable;

template <class T>
struct kindOf;

namespace detail {
constexpr bool oneOf(int id, std::initializer_list<int> ids) {
    for (int i : ids)
        if (id == i) return true;
    return false;
}
}  // namespace detail

template <class T>
bool isa(const nucleo* n) {
    return n && kindOf<T>::holds(*n);
}

template <class T>
T* cast(nucleo* n) {
    assert(isa<T>(n) && "cast to a class the node does not belong to");
    return static_cast<T*>(n);
}

template <class T>
const T* cast(const nucleo* n) {
    assert(isa<T>(n) && "cast to a class the node does not belong to");
    return static_cast<const T*>(n);
}

template <class T>
T* dyn_cast(nucleo* n) {
    return isa<T>(n) ? static_cast<T*>(n) : nullptr;
}

template <class T>
const T* dyn_cast(const nucleo* n) {
    return isa<T>(n) ? static_cast<const T*>(n) : nullptr;
}

// Every group is a container.
template <>
struct kindOf<container> {
    static bool holds(const nucleo& n) { return n.isGroup(); }
};

// Every container but a bare one, a page and a matcher's frame is a list.
template <>
struct kindOf<list> {
    static bool holds(const nucleo& n) {
        return n.isGroup() &&
               !detail::oneOf(n.type(), {typeId::container, typeId::page, typeId::matcherFrame});
    }
};

#define TOVIMAT_KIND(CLASS, ...)                                                              \
    template <>                                                                               \
    struct kindOf<CLASS> {                                                                    \
        static bool holds(const nucleo& n) { return detail::oneOf(n.type(), {__VA_ARGS__}); } \
    };

// Leaves.
TOVIMAT_KIND(field, typeId::field, typeId::nominal, typeId::literal, typeId::booleano, typeId::variable,
             typeId::infinit, typeId::indeterminacao, typeId::indefinicao, typeId::preference)
TOVIMAT_KIND(literal, typeId::literal, typeId::variable, typeId::preference)  // extremo answers literal
TOVIMAT_KIND(variable, typeId::variable)
TOVIMAT_KIND(preference, typeId::preference)
TOVIMAT_KIND(nominal, typeId::nominal)
TOVIMAT_KIND(booleano, typeId::booleano)
TOVIMAT_KIND(infinit, typeId::infinit)
TOVIMAT_KIND(indefinicao, typeId::indefinicao)
TOVIMAT_KIND(indeterminacao, typeId::indeterminacao)

// Groups.
TOVIMAT_KIND(page, typeId::page)
TOVIMAT_KIND(sentence, typeId::sentence)
TOVIMAT_KIND(reference, typeId::reference)
TOVIMAT_KIND(enumSet, typeId::enumSet)
TOVIMAT_KIND(argument, typeId::argument)
TOVIMAT_KIND(parentesis, typeId::parentesis)
TOVIMAT_KIND(negation, typeId::negation, typeId::plusOrMinus)
TOVIMAT_KIND(plusOrMinus, typeId::plusOrMinus)
TOVIMAT_KIND(sum, typeId::sum)
TOVIMAT_KIND(multiplication, typeId::multiplication)
TOVIMAT_KIND(power, typeId::power, typeId::radical)
TOVIMAT_KIND(radical, typeId::radical)
TOVIMAT_KIND(logaritm, typeId::logaritm)
TOVIMAT_KIND(logicAnd, typeId::logicAnd)
TOVIMAT_KIND(logicOr, typeId::logicOr)
TOVIMAT_KIND(userFunc, typeId::userFunc)
TOVIMAT_KIND(equal, typeId::equal, typeId::passEqual)
TOVIMAT_KIND(passEqual, typeId::passEqual)
TOVIMAT_KIND(equivalence, typeId::equivalence)
TOVIMAT_KIND(implication, typeId::implication)
TOVIMAT_KIND(resolution, typeId::resolution, typeId::simplification)
TOVIMAT_KIND(simplification, typeId::simplification)

#undef TOVIMAT_KIND

}  // namespace tovimat
