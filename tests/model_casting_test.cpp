// isa<T>, cast<T> and dyn_cast<T> decide a node's class by its type id: they
// must agree with the C++ class of every node the engine builds.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "model/document.h"
#include "model/shared.h"
#include "refs/reference.h"

namespace tovimat {
namespace {

// One node of every concrete class: the prototypes the editor completes
// names against, and the classes that have none.
std::vector<std::unique_ptr<nucleo>> everyClass() {
    std::vector<std::unique_ptr<nucleo>> all;
    const list& protos = shared::prototypeList();
    for (nucleo* p = protos.first(); p && p->chained(); p = p->next()) all.emplace_back(p->copy());
    all.emplace_back(new field(""));
    all.emplace_back(new extremo(""));
    all.emplace_back(new variable("v", nullptr));
    all.emplace_back(new container());
    all.emplace_back(new sentence());
    all.emplace_back(new reference());
    all.emplace_back(new argument());
    all.emplace_back(new fracao());
    all.emplace_back(new userFunc());
    all.emplace_back(new implication());
    all.emplace_back(new equivalence());
    all.emplace_back(new resolution());
    all.emplace_back(new simplification());
    all.emplace_back(new refers());
    all.emplace_back(new refered());
    all.emplace_back(new sequencia());
    all.emplace_back(new naturals());
    return all;
}

struct Kind {
    const char* name;
    std::function<bool(const nucleo*)> byId;    // isa<T>
    std::function<bool(const nucleo*)> byType;  // the C++ class
    std::function<bool(nucleo*)> dynAgrees;     // dyn_cast<T> answers n itself, or null
};

template <class T>
Kind kind(const char* name) {
    return {name, [](const nucleo* n) { return isa<T>(n); },
            [](const nucleo* n) { return dynamic_cast<const T*>(n) != nullptr; },
            [](nucleo* n) {
                T* t = dyn_cast<T>(n);
                return t == nullptr || static_cast<nucleo*>(t) == n;
            }};
}

TEST(Casting, EveryClassTestAgreesWithTheClassOfEveryNode) {
    const Kind kinds[] = {
        kind<field>("field"),
        kind<literal>("literal"),
        kind<variable>("variable"),
        kind<preference>("preference"),
        kind<nominal>("nominal"),
        kind<booleano>("booleano"),
        kind<infinit>("infinit"),
        kind<indefinicao>("indefinicao"),
        kind<indeterminacao>("indeterminacao"),
        kind<container>("container"),
        kind<list>("list"),
        kind<page>("page"),
        kind<sentence>("sentence"),
        kind<reference>("reference"),
        kind<enumSet>("enumSet"),
        kind<argument>("argument"),
        kind<parentesis>("parentesis"),
        kind<negation>("negation"),
        kind<plusOrMinus>("plusOrMinus"),
        kind<sum>("sum"),
        kind<multiplication>("multiplication"),
        kind<power>("power"),
        kind<radical>("radical"),
        kind<logaritm>("logaritm"),
        kind<logicAnd>("logicAnd"),
        kind<logicOr>("logicOr"),
        kind<userFunc>("userFunc"),
        kind<equal>("equal"),
        kind<passEqual>("passEqual"),
        kind<equivalence>("equivalence"),
        kind<implication>("implication"),
        kind<resolution>("resolution"),
        kind<simplification>("simplification"),
    };
    for (const auto& n : everyClass()) {
        for (const Kind& k : kinds) {
            SCOPED_TRACE(std::string(typeid(*n).name()) + " as " + k.name);
            EXPECT_EQ(k.byId(n.get()), k.byType(n.get()));
            EXPECT_TRUE(k.dynAgrees(n.get()));
        }
    }
}

TEST(Casting, NullIsNoClass) {
    const nucleo* none = nullptr;
    EXPECT_FALSE(isa<container>(none));
    EXPECT_FALSE(isa<field>(none));
    EXPECT_EQ(dyn_cast<sum>(static_cast<nucleo*>(nullptr)), nullptr);
}

// The build keeps assert() unless configured with VELMOR_ASSERTIONS=OFF.
TEST(CastingDeathTest, CastToAClassTheNodeIsNotStops) {
#ifdef NDEBUG
    GTEST_SKIP() << "built with NDEBUG: assert() is compiled out";
#endif
    literal x("x");
    nucleo* n = &x;
    EXPECT_DEATH(cast<sum>(n), "cast to a class the node does not belong to");
}

}  // namespace
}  // namespace tovimat
