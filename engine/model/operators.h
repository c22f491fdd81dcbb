// The operator and function classes: every composite that stands for
// arithmetic, logic, a function or a number set. They differ only in their
// three texts, colour and face, member limits and constant answers, so this
// header is their catalogue. Composite shapes are fixed:
//
//   a + b - c     sum[a, b, negation[c]]
//   a · b         multiplication[a, b]
//   a over b      quocient[a, b] (stacked); a/b in line is fracao[a, b]
//   a ^ b         power[a, b]
//   sqrt(a)       radical[a];  b-th root of a: radical[b, a]
//   log_b a       logaritm[b, a]
//   sin x         algSin[x];   f(x): userFunc "f" [x]
//   (x)           parentesis[x]; [a, b] list; {a, b} enumSet
//
// Symbol glyphs are single bytes of the Adobe Symbol encoding.
#pragma once

#include "model/container.h"

namespace tovimat {

namespace glyph {
constexpr const char* dot = "\xD7";
constexpr const char* plusMinus = "\xB1";
constexpr const char* logicalAnd = "\xD9";
constexpr const char* logicalOr = "\xDA";
constexpr const char* infinity = "\xA5";
}  // namespace glyph

class list : public container {
public:
    list();

    int type() const override { return typeId::list; }
    Priority priority() const override { return Priority::list; }
    container* clone() const override { return new list(); }
    bool save(algStor& s) const override;
    bool load(algStor& s) override;
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    bool putKey(int key) override;
    bool putChar(int c) override;
    void focusLeft() override;
    void focusRight() override;
    using container::click;
    bool click(aPoint& point) override;
    bool scanDrag(aPoint& point) override;
    bool validChar(container* child, int c) override;
    bool validChar(field* child, int c) override;

protected:
    list(const char* opening, const char* separator, const char* closing);
    // Deletes this composite on Backspace after it or Delete before it.
    bool deleteWhole(bool backspace);
};

class operat : public list {
public:
    int minMembers() const override { return 2; }
    bool comut() const override { return false; }
    // The operator's numeric kernel for two operands.
    virtual double calc(double, double) { return 0.0; }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    // --- algebra ---
    results calculate() override;
    nucleo* eval(nucleo* a, nucleo* b) override;
    results distribute() override;

protected:
    operat(const char* opening, const char* separator, const char* closing);
    operat(nucleo* a, nucleo* b, const char* opening, const char* separator, const char* closing);
};

class unaryOp : public operat {
public:
    int maxMembers() const override { return 1; }
    int minMembers() const override { return 1; }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    // --- algebra ---
    results simplify(int budget) override;
    results calculate() override;
    results distribute() override;

protected:
    unaryOp(const char* opening, const char* separator, const char* closing);
};

class binaryOp : public operat {
public:
    int maxMembers() const override { return 2; }
    void paint(HDC dc, aRect& area) override;

    // --- algebra ---
    results calculate() override;

protected:
    binaryOp(const char* opening, const char* separator, const char* closing);
    binaryOp(nucleo* a, nucleo* b, const char* opening, const char* separator, const char* closing);
};

class parentesis : public unaryOp {
public:
    parentesis();
    explicit parentesis(nucleo* n);

    int type() const override { return typeId::parentesis; }
    Priority priority() const override { return Priority::parentesis; }
    bool envolv() const override { return true; }
    container* clone() const override { return new parentesis(); }
    // Parentheses are laid out and drawn as a list: brackets that grow.
    void measure(HDC dc) override { list::measure(dc); }
    void paint(HDC dc, aRect& area) override { list::paint(dc, area); }
    using container::chkChar;
    bool chkChar(field* f, int c) const override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

    // --- algebra ---
    results simplify(int budget) override;
    results calculate() override;
};

class power : public binaryOp {
public:
    power();
    explicit power(nucleo* base);

    int type() const override { return typeId::power; }
    Priority priority() const override { return Priority::power; }
    int distributive() const override { return 0; }
    bool envolv() const override { return true; }
    container* clone() const override { return new power(); }
    void setFont(HFONT f) override;
    void measure(HDC dc) override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

    // --- algebra ---
    nucleo* rule(nucleo* base, nucleo* exponent) override;
    nucleo* eval(nucleo* a, nucleo* b) override;
    double calc(double base, double exponent) override;

protected:
    bool layoutLastFirst() const override { return true; }

    power(const char* opening, const char* separator, const char* closing);
    power(nucleo* a, nucleo* b, const char* opening, const char* separator, const char* closing);
};

class radical : public power {
public:
    radical();
    explicit radical(nucleo* radicand);
    radical(nucleo* index, nucleo* radicand);

    int type() const override { return typeId::radical; }
    int minMembers() const override { return 1; }
    container* clone() const override { return new radical(); }
    int getIndexOffset() const { return indexOffset; }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    // --- algebra ---
    results simplify(int budget) override;
    results calculate() override;
    nucleo* rule(nucleo* index, nucleo* radicand) override;
    double calc(double index, double radicand) override;

protected:
    // Horizontal room taken by the root index, written by layout.
    int indexOffset = 0;
};

class sum : public operat {
public:
    sum();
    sum(nucleo& a, nucleo& b);

    int type() const override { return typeId::sum; }
    Priority priority() const override { return Priority::sum; }
    bool comut() const override { return true; }
    nucleo* neutral() const override;
    container* clone() const override { return new sum(); }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    // --- algebra ---
    nucleo* rule(nucleo* a, nucleo* b) override;
    double calc(double a, double b) override;
};

class multiplication : public operat {
public:
    multiplication();
    multiplication(nucleo& a, nucleo& b);

    int type() const override { return typeId::multiplication; }
    Priority priority() const override { return Priority::product; }
    int openingKey() const override { return '*'; }
    bool comut() const override { return true; }
    nucleo* neutral() const override;
    container* clone() const override { return new multiplication(); }

    // --- algebra ---
    nucleo* rule(nucleo* a, nucleo* b) override;
    double calc(double a, double b) override;
};

// An in-line fraction a/b, laid out in a row.
class fracao : public operat {
public:
    fracao();

    int type() const override { return typeId::quocient; }
    Priority priority() const override { return Priority::product; }
    int distributive() const override { return 0; }
    container* clone() const override { return new fracao(); }

    // --- algebra ---
    // An in-line fraction divides like a stacked one.
    nucleo* eval(nucleo* a, nucleo* b) override;
    double calc(double a, double b) override;
};

// A stacked fraction: numerator over denominator.
class quocient : public operat {
public:
    quocient();
    quocient(nucleo& numerator, nucleo& denominator);

    int type() const override { return typeId::quocient; }
    Priority priority() const override { return Priority::product; }
    int distributive() const override { return 0; }
    bool envolv() const override { return true; }
    container* clone() const override { return new quocient(); }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

    // --- algebra ---
    results simplify(int budget) override;
    nucleo* rule(nucleo* numerator, nucleo* denominator) override;
    nucleo* eval(nucleo* a, nucleo* b) override;
    double calc(double a, double b) override;
};

class negation : public unaryOp {
public:
    negation();
    explicit negation(nucleo* n);

    int type() const override { return typeId::negation; }
    Priority priority() const override { return Priority::negation; }
    bool isSign() const override { return true; }
    int distributive() const override { return 0; }
    container* conjugacao() const override;
    container* clone() const override { return new negation(); }
    using container::chkChar;
    bool chkChar(field* f, int c) const override;
    bool validChar(container* child, int c) override;
    bool validChar(field* child, int c) override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

    // --- algebra ---
    results simplify(int budget) override;
    results calculate() override;

protected:
    explicit negation(const char* sign);
    // "/" at the start of the operand turns the sign into plus-or-minus.
    bool toPlusOrMinus(nucleo* child, int c);
};

class plusOrMinus : public negation {
public:
    plusOrMinus();

    int type() const override { return typeId::plusOrMinus; }
    container* clone() const override { return new plusOrMinus(); }
};

// log with a base: logaritm[base, argument].
class logaritm : public binaryOp {
public:
    logaritm();

    int type() const override { return typeId::logaritm; }
    Priority priority() const override { return Priority::power; }
    int distributive() const override { return 0; }
    bool envolv() const override { return true; }
    container* clone() const override { return new logaritm(); }
    void setFont(HFONT f) override;
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;

    // --- algebra ---
    double calc(double base, double x) override;
};

class logic : public operat {
public:
    bool isLogic() const override { return true; }

    // --- algebra ---
    results distribute() override;

protected:
    explicit logic(const char* separator);
};

class logicAnd : public logic {
public:
    logicAnd();

    int type() const override { return typeId::logicAnd; }
    Priority priority() const override { return Priority::logicAnd; }
    int openingKey() const override { return '&'; }
    nucleo* neutral() const override;
    container* clone() const override { return new logicAnd(); }

    // --- algebra ---
    nucleo* eval(nucleo* a, nucleo* b) override;
};

class logicOr : public logic {
public:
    logicOr();

    int type() const override { return typeId::logicOr; }
    Priority priority() const override { return Priority::logicOr; }
    int openingKey() const override { return '|'; }
    nucleo* neutral() const override;
    container* clone() const override { return new logicOr(); }

    // --- algebra ---
    nucleo* eval(nucleo* a, nucleo* b) override;
};

// The argument list of a function applied to several values: (a, b).
class argument : public operat {
public:
    argument();

    int type() const override { return typeId::argument; }
    Priority priority() const override { return Priority::argument; }
    int distributive() const override { return 0; }
    bool envolv() const override { return true; }
    container* clone() const override { return new argument(); }
    void focusLeft() override;
    void focusRight() override;
};

class function : public operat {
public:
    Priority priority() const override { return Priority::function; }
    bool isFunc() const override { return true; }
    int distributive() const override { return 0; }
    bool envolv() const override { return true; }
    int maxMembers() const override { return 1; }
    int minMembers() const override { return 1; }
    void measure(HDC dc) override;
    void paint(HDC dc, aRect& area) override;
    // Completes a function name: a known name becomes its function class.
    nucleo* validate(field* f) override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

protected:
    function(const char* opening, const char* separator, const char* closing);
};

class trig : public function {
public:
    Priority priority() const override { return Priority::trig; }

    // --- algebra ---
    results calculate() override;

protected:
    explicit trig(const char* name);
};

class algSin : public trig {
public:
    algSin() : trig("sin") {}
    int type() const override { return typeId::algSin; }
    container* clone() const override { return new algSin(); }

    // --- algebra ---
    double calc(double a, double) override;
};

class algCos : public trig {
public:
    algCos() : trig("cos") {}
    int type() const override { return typeId::algCos; }
    container* clone() const override { return new algCos(); }

    // --- algebra ---
    double calc(double a, double) override;
};

class algTan : public trig {
public:
    algTan() : trig("tan") {}
    int type() const override { return typeId::algTan; }
    container* clone() const override { return new algTan(); }

    // --- algebra ---
    double calc(double a, double) override;
};

class algCotan : public trig {
public:
    algCotan() : trig("cotan") {}
    int type() const override { return typeId::algCotan; }
    container* clone() const override { return new algCotan(); }

    // --- algebra ---
    nucleo* eval(nucleo* a, nucleo* b) override;
    double calc(double a, double) override;
};

class algASin : public trig {
public:
    algASin() : trig("asin") {}
    int type() const override { return typeId::algASin; }
    container* clone() const override { return new algASin(); }

    // --- algebra ---
    double calc(double a, double) override;
};

class algACos : public trig {
public:
    algACos() : trig("acos") {}
    int type() const override { return typeId::algACos; }
    container* clone() const override { return new algACos(); }

    // --- algebra ---
    double calc(double a, double) override;
};

class algATan : public trig {
public:
    algATan() : trig("atan") {}
    int type() const override { return typeId::algATan; }
    container* clone() const override { return new algATan(); }

    // --- algebra ---
    double calc(double a, double) override;
};

// A function the user names: the head delimiter is the editable name.
class userFunc : public function {
public:
    userFunc();
    explicit userFunc(const char* name);
    userFunc(const char* name, int n);

    int type() const override { return typeId::userFunc; }
    int openingKey() const override { return 0; }
    void setReadOnly(bool b) override;
    bool igualA(nucleo* x) override;
    container* clone() const override;
    bool save(algStor& s) const override;
    bool load(algStor& s) override;
    bool putKey(int key) override;
    bool entre(nucleo* item, nucleo* after, nucleo* before) override;

    std::string_view name() const { return headNode.view(); }
    field* nameField() { return &headNode; }
};

// A summation; no constructor builds one from the editor.
class somatorio : public operat {
protected:
    somatorio() : operat("", "", "") {}
};

class infinitGroup : public operat {
public:
    infinitGroup() : infinitGroup("", "", "") {}

protected:
    infinitGroup(const char* opening, const char* separator, const char* closing)
        : operat(opening, separator, closing) {}
};

// The natural numbers, the even and the odd integers, as shared sets.
class naturals : public infinitGroup {
public:
    // --- algebra ---
    bool contem(nucleo* x) override;
};
class conjunto_pares : public infinitGroup {
public:
    // --- algebra ---
    bool contem(nucleo* x) override;
};
class conjunto_impares : public infinitGroup {
public:
    // --- algebra ---
    bool contem(nucleo* x) override;
};

// A sequence; no constructor builds one from the editor.
class sequencia : public operat {
public:
    sequencia() : operat("", "", "") {}
};

// A set written with braces: {a, b, c}.
class enumSet : public list {
public:
    enumSet();

    int type() const override { return typeId::enumSet; }
    container* clone() const override { return new enumSet(); }
};

}  // namespace tovimat
