#include "model/relations.h"

namespace tovimat {

compos::compos(const char* opening, const char* separator, const char* closing)
    : unaryOp(opening, separator, closing) {
    fixedFont("SYMBOL");
    color = 0x8000FF;
    init();
}

void compos::attachSide(nucleo* n) {
    if (n) entre(n, head(), first());
}

container* compos::conjugacao() const { return new simplification(); }

equal::equal() : compos("=", "", "") {}
equal::equal(nucleo* n) : equal() { attachSide(n); }

greater::greater() : compos(">", "", "") {}
greater::greater(nucleo* n) : greater() { attachSide(n); }

lessThan::lessThan() : compos("<", "", "") {}
lessThan::lessThan(nucleo* n) : lessThan() { attachSide(n); }

greatOrEqual::greatOrEqual() : compos("\xB3", "", "") {}
greatOrEqual::greatOrEqual(nucleo* n) : greatOrEqual() { attachSide(n); }

lessOrEqual::lessOrEqual() : compos("\xA3", "", "") {}
lessOrEqual::lessOrEqual(nucleo* n) : lessOrEqual() { attachSide(n); }

notEqual::notEqual() : compos("\xB9", "", "") {}
notEqual::notEqual(nucleo* n) : notEqual() { attachSide(n); }

relation::relation(const char* opening, const char* separator, const char* closing)
    : compos(opening, separator, closing) {}

container* relation::conjugacao() const { return new resolution(); }

implication::implication() : relation("\xDE", "", "") {}
implication::implication(nucleo* n) : implication() { attachSide(n); }

equivalence::equivalence() : relation("\xDB", "", "") {}
equivalence::equivalence(nucleo* n) : equivalence() { attachSide(n); }

groupRel::groupRel(const char* separator) : binaryOp("", separator, "") {
    fixedFont("SYMBOL");
    color = 0x800080;
    init();
}

resolution::resolution() : operat("", "", "") {}

resolution::resolution(nucleo* n) : resolution() { attachFirst(n); }

void resolution::attachFirst(nucleo* n) {
    if (n) entre(n, head(), first());
}

bool resolution::canDelete(nucleo* n) { return n && n->chained() && n != first(); }

container* resolution::getDefConjugat() const { return new equivalence(); }

container* simplification::getDefConjugat() const { return new equal(); }

}  // namespace tovimat
