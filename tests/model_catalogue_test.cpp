// The catalogue of composite classes: what each one answers, and how it
// clones and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "model/document.h"
#include "model/relations.h"

namespace tovimat {
namespace testing {
void expectChainSound(const container& c);  // model_chain_test.cpp
}

namespace {

constexpr int none = -1;
constexpr int many = INT_MAX;

enum Trait : unsigned {
    Comut = 1u << 0,
    Envolv = 1u << 1,
    Func = 1u << 2,
    Sign = 1u << 3,
    Logic = 1u << 4,
    Composition = 1u << 5,
    Composed = 1u << 6,
    SymbolFace = 1u << 7,   // separator and head drawn in the Symbol face
    Distributive = 1u << 8,
    ClonesAsList = 1u << 9,  // no clone of its own: clone() answers an empty list
};

struct Entry {
    const char* name;
    std::function<container*()> make;
    int type, priority;
    std::string opening, separator, closing;
    COLORREF colour;
    int minMembers, maxMembers;
    unsigned traits;
    int openingKey;
    int neutralType = none;  // class of neutral(); its value below
    double neutralValue = 0;
    int conjugate = none;                     // class of conjugacao()
    int conjugateFrom = 0, conjugateTo = -1;  // the relation types canConjugate accepts
    int defConjugat = none;                   // class of getDefConjugat(), directives only

    bool has(unsigned t) const { return (traits & t) != 0; }
};

template <class T>
container* make() {
    return new T();
}

const std::vector<Entry>& entries() {
    namespace T = typeId;
    constexpr unsigned D = Distributive;
    static const std::vector<Entry> table = {
        // name, factory, type, priority, opening, separator, closing, colour, min, max, traits, key [, neutral [, conjugation]]
        {"container", make<container>, T::container, 0, "", "", "", 0x0000FF, 0, many, Comut | D, 0},
        {"list", make<list>, T::list, 4, "[", ",", "]", 0x00C000, 0, many, Comut | Envolv | D, ','},
        {"enumSet", make<enumSet>, T::enumSet, 4, "{", ",", "}", 0x0000FF, 0, many, Comut | Envolv | D, ','},
        {"page(1)", [] { return new tovimat::page(1, false); }, T::page, 2, "", "\r", "", 0x0000FF, 1, many, Comut | D, '\r'},
        {"page(3)", [] { return new tovimat::page(3, false); }, T::page, 2, "", "\r", "", 0x0000FF, 3, many, Comut | D, '\r'},
        {"sentence", make<sentence>, T::sentence, 3, "", " ", "", 0xFFC6C6, 1, many, Comut | Envolv | D, ' '},
        {"parentesis", make<parentesis>, T::parentesis, 17, "(", "", ")", 0xFF80FF, 1, 1, Envolv | D, 0},
        {"power", make<power>, T::power, 16, "", "^", "", 0xFF0000, 2, 2, Envolv, '^'},
        {"radical", make<radical>, T::radical, 16, "", "@", "", 0xFF0000, 1, 2, Envolv, '@'},
        {"sum", make<sum>, T::sum, 13, "", "+", "", 0x008000, 2, many, Comut | D, '+', T::nominal, 0},
        {"multiplication", make<multiplication>, T::multiplication, 15, "", "\xD7", "", 0x808000, 2, many,
         Comut | SymbolFace | D, '*', T::nominal, 1},
        {"fracao", make<fracao>, T::quocient, 15, "", "/", "", 0x400000, 2, many, 0, '/'},
        {"quocient", make<quocient>, T::quocient, 15, "", "/", "", 0x800000, 2, many, Envolv, '/'},
        {"negation", make<negation>, T::negation, 14, "-", "", "", 0x0000FF, 1, 1, Sign, 0, none, 0, T::sum},
        {"negation(x)", [] { return new tovimat::negation(new literal("x")); }, T::negation, 14, "-", "", "", 0xFF80FF, 1, 1,
         Sign, 0, none, 0, T::sum},
        {"plusOrMinus", make<plusOrMinus>, T::plusOrMinus, 14, "\xB1", "", "", 0xC88080, 1, 1, Sign | SymbolFace, 0,
         none, 0, T::sum},
        {"logaritm", make<logaritm>, T::logaritm, 16, "log", " ", "", 0x0000FF, 2, 2, Envolv, ' '},
        {"logicAnd", make<logicAnd>, T::logicAnd, 9, "", "\xD9", "", 0x008000, 2, many, Logic | SymbolFace | D, '&',
         T::booleano, 1},
        {"logicOr", make<logicOr>, T::logicOr, 8, "", "\xDA", "", 0x008000, 2, many, Logic | SymbolFace | D, '|',
         T::booleano, 0},
        {"argument", make<argument>, T::argument, 20, "(", ",", ")", 0xFF0000, 2, many, Envolv, ','},
        {"algSin", make<algSin>, T::algSin, 19, "sin", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"algCos", make<algCos>, T::algCos, 19, "cos", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"algTan", make<algTan>, T::algTan, 19, "tan", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"algCotan", make<algCotan>, T::algCotan, 19, "cotan", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"algASin", make<algASin>, T::algASin, 19, "asin", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"algACos", make<algACos>, T::algACos, 19, "acos", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"algATan", make<algATan>, T::algATan, 19, "atan", " ", "", 0xFF0000, 1, 1, Func | Envolv, ' '},
        {"userFunc", [] { return new tovimat::userFunc("f"); }, T::userFunc, 18, "f", "", "", 0xFF0000, 1, 1, Func | Envolv, 0},
        // relations: prefixes of their right-hand side
        {"equal", make<equal>, T::equal, 11, "=", "", "", 0x8000FF, 1, 1, Composition | SymbolFace | D, 0, none, 0,
         T::simplification},
        {"passEqual", make<passEqual>, T::passEqual, 11, "=", "", "", 0x8000FF, 1, 1, Composition | SymbolFace | D, 0,
         none, 0, T::simplification},
        {"greater", make<greater>, T::greater, 11, ">", "", "", 0x8000FF, 1, 1, Composition | SymbolFace | D, 0, none,
         0, T::simplification},
        {"lessThan", make<lessThan>, T::lessThan, 11, "<", "", "", 0x8000FF, 1, 1, Composition | SymbolFace | D, 0,
         none, 0, T::simplification},
        {"greatOrEqual", make<greatOrEqual>, T::greatOrEqual, 11, "\xB3", "", "", 0x8000FF, 1, 1,
         Composition | SymbolFace | D, 0, none, 0, T::simplification},
        {"lessOrEqual", make<lessOrEqual>, T::lessOrEqual, 11, "\xA3", "", "", 0x8000FF, 1, 1,
         Composition | SymbolFace | D, 0, none, 0, T::simplification},
        {"notEqual", make<notEqual>, T::notEqual, 11, "\xB9", "", "", 0x8000FF, 1, 1, Composition | SymbolFace | D, 0,
         none, 0, T::simplification},
        {"implication", make<implication>, T::implication, 7, "\xDE", "", "", 0x8000FF, 1, 2,
         Composition | Composed | SymbolFace | D, 0, none, 0, T::resolution},
        {"equivalence", make<equivalence>, T::equivalence, 7, "\xDB", "", "", 0x8000FF, 1, 2,
         Composition | Composed | SymbolFace | D, 0, none, 0, T::resolution},
        // set relations: infix
        {"contains", make<contains>, T::contains, 12, "", "\xCC", "", 0x800080, 2, 2, SymbolFace | D, -52},
        {"contained", make<contained>, T::contained, 12, "", "\xC9", "", 0x800080, 2, 2, SymbolFace | D, -55},
        {"notContain", make<notContain>, T::notContain, 12, "", "\xCB", "", 0x800080, 2, 2, SymbolFace | D, -53},
        {"refers", make<refers>, T::refers, 12, "", "\xCD", "", 0x800080, 2, 2, SymbolFace | D, -51},
        {"refered", make<refered>, T::refered, 12, "", "\xCA", "", 0x800080, 2, 2, SymbolFace | D, -54},
        {"belongs", make<belongs>, T::belongs, 12, "", "\xCE", "", 0x800080, 2, 2, SymbolFace | D, -50},
        {"notBelong", make<notBelong>, T::notBelong, 12, "", "\xCF", "", 0x800080, 2, 2, SymbolFace | D, -49},
        {"junction", make<junction>, T::junction, 12, "", "\xC8", "", 0x800080, 2, 2, Comut | SymbolFace | D, -56},
        {"intersection", make<intersection>, T::intersection, 12, "", "\xC7", "", 0x800080, 2, 2,
         Comut | SymbolFace | D, -57},
        // directives
        {"resolution", make<resolution>, T::resolution, 6, "", "", "", 0xFF0000, 2, many, Composed | D, 0, none, 0,
         none, T::implication, T::equivalence, T::equivalence},
        {"simplification", make<simplification>, T::simplification, 10, "", "", "", 0xFF0000, 2, many, Composed | D,
         0, none, 0, none, T::equal, T::notEqual, T::equal},
        // operators without a class id or clone of their own
        {"infinitGroup", make<infinitGroup>, T::list, 4, "", "", "", 0xFF0000, 2, many, ClonesAsList | D, 0},
        {"naturals", make<naturals>, T::list, 4, "", "", "", 0xFF0000, 2, many, ClonesAsList | D, 0},
        {"conjunto_pares", make<conjunto_pares>, T::list, 4, "", "", "", 0xFF0000, 2, many, ClonesAsList | D, 0},
        {"conjunto_impares", make<conjunto_impares>, T::list, 4, "", "", "", 0xFF0000, 2, many, ClonesAsList | D, 0},
        {"sequencia", make<sequencia>, T::list, 4, "", "", "", 0xFF0000, 2, many, ClonesAsList | D, 0},
    };
    return table;
}

std::string textOf(const nucleo* n) { return std::string(n->getText(), size_t(n->getLen())); }

bool inSymbolFace(const nucleo* n) {
    LOGFONTA lf{};
    GetObjectA(n->getFont(), sizeof lf, &lf);
    return isSymbolFace(lf.lfFaceName);
}

TEST(Catalogue, EveryClassAnswersItsEntry) {
    for (const Entry& e : entries()) {
        SCOPED_TRACE(e.name);
        std::unique_ptr<container> c(e.make());

        EXPECT_EQ(c->type(), e.type);
        EXPECT_EQ(c->priority(), e.priority);
        EXPECT_TRUE(c->isGroup());
        EXPECT_EQ(textOf(c->head()), e.opening);
        EXPECT_EQ(textOf(c->separator()), e.separator);
        EXPECT_EQ(textOf(c->tail()), e.closing);
        EXPECT_EQ(c->getColor(), e.colour);
        for (const nucleo* inner : {static_cast<const nucleo*>(c->head()), static_cast<const nucleo*>(c->separator()),
                                    static_cast<const nucleo*>(c->tail())})
            EXPECT_EQ(inner->getColor(), e.colour) << "delimiters take the container's colour";
        EXPECT_EQ(inSymbolFace(c->separator()), e.has(SymbolFace));
        EXPECT_EQ(inSymbolFace(c->head()), e.has(SymbolFace));
        // Only a user function's name can be edited.
        EXPECT_EQ(c->head()->getReadOnly(), e.type != typeId::userFunc);
        EXPECT_TRUE(c->tail()->getReadOnly());

        EXPECT_EQ(c->minMembers(), e.minMembers);
        EXPECT_EQ(c->maxMembers(), e.maxMembers);
        EXPECT_EQ(c->comut(), e.has(Comut));
        EXPECT_EQ(c->envolv(), e.has(Envolv));
        EXPECT_EQ(c->isFunc(), e.has(Func));
        EXPECT_EQ(c->isSign(), e.has(Sign));
        EXPECT_EQ(c->isLogic(), e.has(Logic));
        EXPECT_EQ(c->composition(), e.has(Composition));
        EXPECT_EQ(c->composed(), e.has(Composed));
        EXPECT_EQ(c->distributive(), e.has(Distributive) ? 1 : 0);
        EXPECT_EQ(c->openingKey(), e.openingKey);

        std::unique_ptr<nucleo> neutral(c->neutral());
        if (e.neutralType == none) {
            EXPECT_EQ(neutral, nullptr);
        } else if (neutral) {
            EXPECT_EQ(neutral->type(), e.neutralType);
            if (auto* n = dynamic_cast<nominal*>(neutral.get())) {
                EXPECT_EQ(n->getValue(), e.neutralValue);
            }
            if (auto* b = dynamic_cast<booleano*>(neutral.get())) {
                EXPECT_EQ(b->getValue(), e.neutralValue != 0);
            }
        } else {
            ADD_FAILURE() << "no neutral element";
        }

        std::unique_ptr<container> k(c->conjugacao());
        if (e.conjugate == none) {
            EXPECT_EQ(k, nullptr);
        } else if (k) {
            EXPECT_EQ(k->type(), e.conjugate);
            EXPECT_EQ(k->members(), 0);
            if (e.conjugate == typeId::sum) {
                EXPECT_EQ(textOf(k->separator()), "+");
            }
        } else {
            ADD_FAILURE() << "no conjugate";
        }

        for (int t = 0; t <= 64; ++t)
            EXPECT_EQ(c->canConjugate(t), t >= e.conjugateFrom && t <= e.conjugateTo) << "type " << t;

        auto* directive = dynamic_cast<resolution*>(c.get());
        if (e.defConjugat == none) {
            EXPECT_EQ(directive, nullptr);
        } else if (directive) {
            std::unique_ptr<container> d(directive->getDefConjugat());
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->type(), e.defConjugat);
            EXPECT_EQ(d->members(), 0);
        } else {
            ADD_FAILURE() << "not a directive";
        }
    }
}

TEST(Catalogue, CloneIsEmptyAndCopyIsDeep) {
    for (const Entry& e : entries()) {
        SCOPED_TRACE(e.name);
        std::unique_ptr<container> c(e.make());
        const int wanted = std::max(c->minMembers(), std::min(c->maxMembers(), 2));
        for (int i = c->members(); i < wanted; ++i) c->lput(*new literal(i == 0 ? "p" : "q"));
        ASSERT_EQ(c->members(), wanted);

        const std::type_info& cloneClass = e.has(ClonesAsList) ? typeid(list) : typeid(*c);
        const std::string open = e.has(ClonesAsList) ? "[" : e.opening;
        const std::string sep = e.has(ClonesAsList) ? "," : e.separator;
        const std::string close = e.has(ClonesAsList) ? "]" : e.closing;

        std::unique_ptr<container> clone(c->clone());
        EXPECT_EQ(typeid(*clone), cloneClass);
        EXPECT_EQ(clone->members(), 0);
        EXPECT_EQ(textOf(clone->head()), open);
        EXPECT_EQ(textOf(clone->separator()), sep);
        EXPECT_EQ(textOf(clone->tail()), close);

        std::unique_ptr<nucleo> copy(c->copy());
        EXPECT_EQ(typeid(*copy), cloneClass);
        auto* cc = static_cast<container*>(copy.get());
        EXPECT_EQ(textOf(cc->head()), open);
        ASSERT_EQ(cc->members(), c->members());
        for (int i = 0; i < c->members(); ++i) {
            EXPECT_NE((*cc)[i], (*c)[i]);
            EXPECT_EQ(textOf((*cc)[i]), textOf((*c)[i]));
        }
        testing::expectChainSound(*cc);
        testing::expectChainSound(*c);
    }
}

//   res
//   ├── a
//   └── equivalence
//       └── b
TEST(Catalogue, ADirectiveNeverLosesItsStatement) {
    for (container* d : {static_cast<container*>(new resolution()), static_cast<container*>(new simplification())}) {
        SCOPED_TRACE(d->type());
        std::unique_ptr<container> owner(d);
        d->lput(*new literal("a"));
        d->lput(*new literal("b"));
        d->lput(*new literal("c"));
        EXPECT_FALSE(d->canDelete(d->first()));
        EXPECT_TRUE(d->canDelete((*d)[1]));
        EXPECT_TRUE(d->canDelete(d->last()));
        EXPECT_FALSE(d->canDelete(nullptr));
        literal stranger("s");
        EXPECT_FALSE(d->canDelete(&stranger));
    }
    resolution r(new literal("a"));
    r.lput(*new equivalence(new literal("b")));
    EXPECT_EQ(r.members(), 2);
    EXPECT_EQ(r.last()->type(), typeId::equivalence) << "an equivalence goes into a resolution as it is";
    EXPECT_FALSE(r.canDelete(r.first()));
    EXPECT_TRUE(r.canDelete(r.last()));
}

TEST(Catalogue, UserFunctionNameSurvivesCloneAndCopy) {
    userFunc f("gamma");
    f.lput(*new literal("x"));
    EXPECT_EQ(f.name(), "gamma");
    std::unique_ptr<container> clone(f.clone());
    EXPECT_EQ(static_cast<userFunc*>(clone.get())->name(), "gamma");
    EXPECT_FALSE(clone->head()->getReadOnly());
    std::unique_ptr<nucleo> copy(f.copy());
    EXPECT_EQ(static_cast<userFunc*>(copy.get())->name(), "gamma");
    EXPECT_EQ(static_cast<userFunc*>(copy.get())->members(), 1);
}

}  // namespace
}  // namespace tovimat
