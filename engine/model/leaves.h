// Leaf nodes: the nodes that hold text rather than members.
//
//   field            an editable slot the user types into
//   literal          plain text: a name or a delimiter
//     extremo        a container's read-only opening or closing delimiter
//     preference     a placeholder, "?"
//     variable       a name that may stand for a value
//   nominal          a number, kept as its text and as a double
//   booleano         True / False
//   infinit          plus or minus infinity, drawn in the Symbol face
//   indefinicao      the undefined result
//   indeterminacao   the indeterminate result
#pragma once

#include <string_view>

#include "model/nucleo.h"
#include "model/refcol.h"

namespace tovimat {

class field : public nucleo {
public:
    field();
    explicit field(const char* s);
    field(const char* s, int n);
    explicit field(const nucleo& n);
    ~field() override;

    int type() const override { return typeId::field; }
    const char* getText() const override { return length > 0 ? bytes() : ""; }
    int getLen() const override { return length; }
    std::string_view view() const { return {getText(), size_t(length)}; }

    // Replaces the whole text; answers the buffer.
    const char* setText(const char* s, int n);
    field& operator=(const char* s);
    field& operator=(const field* f);
    // Empties the text and frees its buffer.
    void zap();
    // The whole text is s, ignoring the case of ASCII letters.
    bool chkText(const char* s) const;

    // The text has not changed since it was last validated.
    bool same() const { return !changed; }
    bool isChanged() const { return changed; }
    void setChanged(bool c) { changed = c; }
    bool isStatic() const { return staticText; }
    int getZoneSize() const { return zoneSize; }

    nucleo* copy() const override;
    bool save(algStor& s) const override;
    bool load(algStor& s) override;
    using nucleo::measure;
    void measure(HDC dc) override;

    // --- editing -------------------------------------------------------------------
    bool putKey(int key) override;
    bool putChar(int c) override;
    bool focusOut() override;
    using nucleo::click;
    bool click(aPoint& point) override;
    bool drop(nucleo* n) override;
    nucleo* revalidate() override;
    // The parent's validation of this field: the node now in its place, or
    // nullptr when a refused replacement left nothing there.
    nucleo* validate();
    // Inserts at the caret, moves the caret behind the text and validates.
    void insert(const char* s);
    void insert(const char* s, int n);
    void insert(const nucleo* n) { insert(n->getText(), n->getLen()); }
    // Inserts at a position; no caret movement, no validation.
    void insert(const char* s, int n, int pos);
    // Types one character at the caret.
    void insertChar(char c);
    void overstrike(char c);
    void delKey();
    void backSpace();
    // The keys and characters of a fixed text, edited only as a whole.
    bool staticKeys(int key);
    bool staticChars(int c);

protected:
    // Changes the allocated size by delta bytes. On failure the text empties
    // and "Memory allocation problem!" is shown.
    bool resize(int delta);
    // Stores n bytes at s as the text, growing the zone to exactly fit.
    void assign(const char* s, int n);

    // A zone of up to inlineZone bytes (most names and numbers, every
    // delimiter) lives in the node itself; a larger one on the heap.
    static constexpr int inlineZone = 8;
    char* bytes() { return zoneSize > inlineZone ? zone.heap : zone.local; }
    const char* bytes() const { return zoneSize > inlineZone ? zone.heap : zone.local; }

    bool changed = true;
    bool staticText = false;
    int length = 0;
    int zoneSize = 0;

private:
    union Zone {
        char* heap;
        char local[inlineZone];
    };
    Zone zone{};
};

class literal : public field {
public:
    literal() = default;
    explicit literal(const char* s) : field(s) {}
    literal(const char* s, int n) : field(s, n) {}
    explicit literal(const nucleo& n) : field(n) {}

    int type() const override { return typeId::literal; }
    nucleo* copy() const override;

    // --- algebra ---
    // Same text in the same face; a literal also equals a variable of its name.
    bool igualA(nucleo* x) override;
    bool menorQue(nucleo* x) override;
    bool chkRule(nucleo* target, container& bindings, nucleo* exclude) override;
};

class extremo : public literal {
public:
    extremo() : extremo("") {}
    explicit extremo(const char* s);
    extremo(const char* s, int n);

    // A read-only delimiter passes the caret on to its container.
    void focusLeft() override;
    void focusRight() override;
};

class preference : public literal {
public:
    explicit preference(const char* s = "?");

    int type() const override { return typeId::preference; }
    nucleo* copy() const override;
    bool save(algStor& s) const override;
    bool load(algStor& s) override;

    // --- algebra ---
    bool menorQue(nucleo* x) override;
    bool chkRule(nucleo* target, container& bindings, nucleo* exclude) override;
};

class variable : public literal {
public:
    variable() = default;
    variable(const char* name, nucleo* value);
    variable(const char* name, int n, nucleo* value);
    variable(const nucleo& name, nucleo* value);
    ~variable() override;

    int type() const override { return typeId::variable; }
    nucleo* getValue() const { return value; }
    refCol& where() { return whereList; }

    nucleo* copy() const override;
    bool refers(nucleo* x) override;
    bool save(algStor& s) const override;
    bool load(algStor& s) override;

private:
    nucleo* value = nullptr;
    refCol whereList;
};

class nominal : public field {
public:
    // The longest number text kept; longer input is cut with a warning.
    static constexpr int maxDigits = 34;

    nominal(const char* s, int n);
    explicit nominal(double d);

    int type() const override { return typeId::nominal; }
    double getValue() const { return number; }
    explicit operator double() const { return number; }
    // True when the text it was made from was longer than maxDigits and cut,
    // with a warning.
    bool wasCut() const { return cut; }

    nucleo* copy() const override;
    bool load(algStor& s) override;

    // --- algebra ---
    bool igualA(nucleo* x) override;
    bool menorQue(nucleo* x) override;

    // The shortest decimal text that reads back to d ("2.5", "3", "9.81").
    static std::string format(double d);
    // Reads a number the way the C library reads a decimal float; text that
    // is not a number reads as 0.
    static double parse(const char* s, int n);

private:
    double number = 0.0;
    bool cut = false;
};

class booleano : public field {
public:
    explicit booleano(bool b);

    int type() const override { return typeId::booleano; }
    bool getValue() const { return truth; }

    // --- algebra ---
    bool igualA(nucleo* x) override;

    void setFont(HFONT f) override { setStaticFont(f); }
    nucleo* copy() const override;
    bool save(algStor& s) const override;
    bool load(algStor& s) override;
    bool putKey(int key) override { return staticKeys(key); }
    bool putChar(int c) override { return staticChars(c); }

private:
    void showState();
    bool truth;
};

class infinit : public field {
public:
    explicit infinit(bool positive);

    int type() const override { return typeId::infinit; }
    bool isPositive() const { return positive; }

    // --- algebra ---
    bool igualA(nucleo* x) override;

    void setFont(HFONT f) override { setStaticFont(f); }
    nucleo* copy() const override;
    bool save(algStor& s) const override;
    bool load(algStor& s) override;
    bool putKey(int key) override { return staticKeys(key); }
    bool putChar(int c) override { return staticChars(c); }

private:
    void showState();
    bool positive;
};

class indefinicao : public field {
public:
    indefinicao();
    int type() const override { return typeId::indefinicao; }
    nucleo* copy() const override;
};

class indeterminacao : public field {
public:
    indeterminacao();
    int type() const override { return typeId::indeterminacao; }
    nucleo* copy() const override;
};

}  // namespace tovimat
