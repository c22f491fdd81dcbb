#include "model/operators.h"

#include <cstring>

#include "model/relations.h"

namespace tovimat {

list::list() : list("[", ",", "]") {
    color = 0x00C000;
    init();
}

list::list(const char* opening, const char* separator, const char* closing)
    : container(opening, separator, closing) {}

operat::operat(const char* opening, const char* separator, const char* closing) : list(opening, separator, closing) {
    color = 0xFF0000;
    init();
}

operat::operat(nucleo* a, nucleo* b, const char* opening, const char* separator, const char* closing)
    : operat(opening, separator, closing) {
    if (a) entre(a, last(), tail());
    if (b) entre(b, last(), tail());
}

unaryOp::unaryOp(const char* opening, const char* separator, const char* closing)
    : operat(opening, separator, closing) {
    color = 0xFF80FF;
    init();
}

binaryOp::binaryOp(const char* opening, const char* separator, const char* closing)
    : operat(opening, separator, closing) {}

binaryOp::binaryOp(nucleo* a, nucleo* b, const char* opening, const char* separator, const char* closing)
    : operat(a, b, opening, separator, closing) {}

parentesis::parentesis() : unaryOp("(", "", ")") {}

parentesis::parentesis(nucleo* n) : parentesis() {
    if (n) entre(n, last(), tail());
}

power::power() : binaryOp("", "^", "") {}

power::power(nucleo* base) : power() {
    if (base) entre(base, last(), tail());
}

power::power(const char* opening, const char* separator, const char* closing)
    : binaryOp(opening, separator, closing) {}

power::power(nucleo* a, nucleo* b, const char* opening, const char* separator, const char* closing)
    : binaryOp(a, b, opening, separator, closing) {}

radical::radical() : power("", "@", "") {}

radical::radical(nucleo* radicand) : radical() {
    if (radicand) entre(radicand, last(), tail());
}

radical::radical(nucleo* index, nucleo* radicand) : radical() {
    if (index) entre(index, last(), tail());
    if (radicand) entre(radicand, last(), tail());
}

sum::sum() : operat("", "+", "") {
    color = 0x008000;
    init();
}

sum::sum(nucleo& a, nucleo& b) : sum() {
    entre(&a, last(), tail());
    entre(&b, last(), tail());
}

nucleo* sum::neutral() const { return new nominal(0.0); }

multiplication::multiplication() : operat("", glyph::dot, "") {
    fixedFont("SYMBOL");
    color = 0x808000;
    init();
}

multiplication::multiplication(nucleo& a, nucleo& b) : multiplication() {
    entre(&a, last(), tail());
    entre(&b, last(), tail());
}

nucleo* multiplication::neutral() const { return new nominal(1.0); }

fracao::fracao() : operat("", "/", "") {
    color = 0x400000;
    init();
}

quocient::quocient() : operat("", "/", "") {
    color = 0x800000;
    init();
}

quocient::quocient(nucleo& numerator, nucleo& denominator) : quocient() {
    entre(&numerator, last(), tail());
    entre(&denominator, last(), tail());
}

negation::negation() : negation("-") {}

negation::negation(const char* sign) : unaryOp(sign, "", "") {
    color = 0x0000FF;
    init();
}

// The sign of a negation built around an existing node keeps the colour of
// the unary operators.
negation::negation(nucleo* n) : unaryOp("-", "", "") {
    if (n) entre(n, last(), tail());
}

container* negation::conjugacao() const { return new sum(); }

plusOrMinus::plusOrMinus() : negation(glyph::plusMinus) {
    fixedFont("SYMBOL");
    color = 0xC88080;
    init();
}

logaritm::logaritm() : binaryOp("log", " ", "") {
    color = 0x0000FF;
    init();
}

logic::logic(const char* separator) : operat("", separator, "") {
    fixedFont("SYMBOL");
    color = 0x008000;
    init();
}

logicAnd::logicAnd() : logic(glyph::logicalAnd) {}

nucleo* logicAnd::neutral() const { return new booleano(true); }

logicOr::logicOr() : logic(glyph::logicalOr) {}

nucleo* logicOr::neutral() const { return new booleano(false); }

argument::argument() : operat("(", ",", ")") {}

function::function(const char* opening, const char* separator, const char* closing)
    : operat(opening, separator, closing) {}

trig::trig(const char* name) : function(name, " ", "") {}

userFunc::userFunc() : function("", "", "") { headNode.setReadOnly(false); }

userFunc::userFunc(const char* name) : userFunc() { headNode.setText(name, name ? int(std::strlen(name)) : 0); }

userFunc::userFunc(const char* name, int n) : userFunc() { headNode.setText(name, n); }

void userFunc::setReadOnly(bool b) {
    container::setReadOnly(b);
    headNode.setReadOnly(b);
}

bool userFunc::igualA(nucleo* x) {
    if (!x || x->type() != type()) return false;
    auto* other = cast<userFunc>(x);
    return other->members() == members() && other->name() == name();
}

container* userFunc::clone() const { return new userFunc(headNode.getText(), headNode.getLen()); }

enumSet::enumSet() : list("{", ",", "}") {
    color = 0x0000FF;
    init();
}

}  // namespace tovimat
