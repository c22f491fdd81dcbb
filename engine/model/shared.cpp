#include "model/shared.h"

#include <vector>

#include "model/document.h"

namespace tovimat::shared {

namespace {

struct SharedNodes {
    nominal zero{0.0};
    nominal one{1.0};
    nominal two{2.0};
    nominal minusOne{-1.0};
    naturals naturalNumbers;
    conjunto_pares evenNumbers;
    conjunto_impares oddNumbers;
    indefinicao undefinedValue;
    indeterminacao indeterminateValue;
    list prototypes;

    SharedNodes() {
        nucleo* members[] = {
            new literal(""),     new nominal(0.0),     new booleano(false),  new infinit(true),
            new indefinicao(),   new indeterminacao(), new preference("?"),  new enumSet(),
            new page(1, false),  new logicAnd(),       new logicOr(),        new sum(),
            new list(),          new multiplication(), new quocient(),       new parentesis(),
            new negation(),      new equal(),          new passEqual(),      new greater(),
            new lessThan(),      new power(),          new radical(),        new logaritm(),
            new algSin(),        new algCos(),         new algTan(),         new algCotan(),
            new algASin(),       new algACos(),        new algATan(),        new plusOrMinus(),
            new contained(),     new contains(),       new notContain(),     new belongs(),
            new notBelong(),     new junction(),       new intersection(),
        };
        // Plain links: the prototypes are kept exactly as their constructors
        // built them, whatever the insertion rules of a list would do.
        for (nucleo* m : members) prototypes.linkLast(m);
    }
};

SharedNodes& nodes() {
    static SharedNodes instance;
    return instance;
}

// Built when the library is loaded, before any document exists.
[[maybe_unused]] const bool builtAtLoad = (nodes(), true);

}  // namespace

const nominal& zero() { return nodes().zero; }
const nominal& one() { return nodes().one; }
const nominal& two() { return nodes().two; }
const nominal& minusOne() { return nodes().minusOne; }
naturals& naturalNumbers() { return nodes().naturalNumbers; }
conjunto_pares& evenNumbers() { return nodes().evenNumbers; }
conjunto_impares& oddNumbers() { return nodes().oddNumbers; }
const indefinicao& undefinedValue() { return nodes().undefinedValue; }
const indeterminacao& indeterminateValue() { return nodes().indeterminateValue; }
const list& prototypeList() { return nodes().prototypes; }

const nucleo* findPrototype(int id) {
    // The prototypes never change: each id's is looked up once.
    static const std::vector<const nucleo*> byId = [] {
        std::vector<const nucleo*> table;
        const list& protos = prototypeList();
        for (nucleo* m = protos.first(); m && m->chained(); m = m->next()) {
            const int t = m->type();
            if (t < 0) continue;
            if (size_t(t) >= table.size()) table.resize(size_t(t) + 1, nullptr);
            if (!table[size_t(t)]) table[size_t(t)] = m;
        }
        return table;
    }();
    return id >= 0 && size_t(id) < byId.size() ? byId[size_t(id)] : nullptr;
}

}  // namespace tovimat::shared
