// The example documents and the default rule file, built node by node and,
// where a document shows worked steps, calculated by the engine itself. The
// make_examples program writes them; a test rebuilds them and compares the
// bytes with the committed files, so both always come from this one source.
//
//   rules.vlm        rules a student wants (neutral elements, powers,
//                    distribution, trigonometry) and the constants pi, e, g
//   quadratic.vlm    x² - 5x + 6 = 0, its factors, its roots
//   fractions.vlm    sums and reductions of fractions
//   steps.vlm        chains of calculated steps
//   sets_logic.vlm   set operations and logic, decided
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/document.h"
#include "platform/messages.h"
#include "platform/nominal_dc.h"
#include "store/file_io.h"
#include "store/stream.h"

namespace velmor::examples {

using namespace tovimat;

// A document root without windows: nominal metrics and one caret.
class ExampleHost : public protocol {
public:
    ExampleHost() : protocol(new container("", "", "")) {}

    void invalidate(nucleo*) override {}
    void createCaret(int, int) override {}
    void setCaretPos(int, int) override {}
    void hideCaret() override {}
    void showCaret() override {}
    void drawFocusFrame(nucleo*) override {}
    void setModified(bool) override {}
    int message(const char* text, const char* caption, UINT style) override {
        return MessageBoxA(nullptr, text, caption, style);
    }
    void measureOn(nucleo* n) override {
        NominalDC dc;
        n->measure(&dc);
    }
    void updateOn(nucleo* n) override {
        NominalDC dc;
        n->update(&dc);
    }
    void remeasureOn(nucleo* n) override {
        NominalDC dc;
        n->remeasure(&dc);
    }
    void caretAt(nucleo* n, int index) override { n->focusAt(index, 0); }
    selection* selectionList() override { return &selected_; }
    bool clickOn(nucleo*, aPoint&) override { return false; }
    void setFocused(nucleo* n) override { focus_ = n; }
    int caretIndex() override { return index_; }
    nucleo* focused() override { return focus_; }
    int* caretIndexRef() override { return &index_; }
    aRect* selectionRect() override { return &band_; }

    // Adds a line to the document and answers it.
    nucleo* add(nucleo* line) {
        base->linkLast(line);
        return line;
    }

    // The Calculate command on a node: calculate, else distribute, then commit.
    // Answers the line the node belongs to afterwards.
    nucleo* calculate(nucleo* n) {
        focus_ = n;
        results r = n->calculate();
        if (r.changes == 0) r = static_cast<container*>(n)->distribute();
        chkPass(r);
        focus_ = nullptr;
        return base->last();
    }

    // The lines one under the other, laid out, then the file's bytes.
    std::vector<std::uint8_t> bytes() {
        int y = 10;
        for (nucleo* m = base->first(); m && m->chained(); m = m->next()) {
            remeasureOn(m);
            m->moveTo(20, y, false);
            y = m->bottom() + 12;
        }
        remeasureOn(base);
        focus_ = nullptr;
        memStor out;
        save(out);
        return out.bytes();
    }

private:
    selection selected_;
    nucleo* focus_ = nullptr;
    int index_ = 0;
    aRect band_;
};

// --- building blocks -----------------------------------------------------------------------------

inline nucleo* num(double v) { return new nominal(v); }
inline nucleo* name(const char* s) {
    auto* l = new literal(s);
    l->setChanged(false);
    return l;
}
template <typename C, typename... M>
C* node(M*... members) {
    auto* c = new C();
    (c->linkLast(members), ...);
    return c;
}
template <typename... M> container* plus(M*... m) { return node<sum>(m...); }
template <typename... M> container* times(M*... m) { return node<multiplication>(m...); }
inline container* over(nucleo* a, nucleo* b) { return node<quocient>(a, b); }
inline container* raised(nucleo* a, nucleo* b) { return node<power>(a, b); }
inline container* minus(nucleo* x) { return node<negation>(x); }
inline container* paren(nucleo* x) { return node<parentesis>(x); }
inline container* is(nucleo* lhs, nucleo* rhs) { return node<simplification>(lhs, node<equal>(rhs)); }
template <typename... M> container* set(M*... m) { return node<enumSet>(m...); }
template <typename F> container* fn(nucleo* x) { return node<F>(x); }
template <typename... M> container* sheet(M*... lines) {
    auto* p = new page(1, false);
    (p->linkLast(lines), ...);
    return p;
}

// x, y, z... as pattern variables.
inline nucleo* x() { return name("x"); }
inline nucleo* y() { return name("y"); }
inline nucleo* z() { return name("z"); }

// --- the documents -------------------------------------------------------------------------------

inline std::vector<std::uint8_t> rulesFile() {
    ExampleHost doc;
    // Neutral and absorbing elements.
    doc.add(sheet(is(plus(x(), num(0)), x()), is(times(x(), num(1)), x()), is(times(x(), num(0)), num(0)),
                  is(raised(x(), num(1)), x()), is(raised(x(), num(0)), num(1)), is(plus(x(), minus(x())), num(0)),
                  is(over(x(), num(1)), x())));
    // Powers of equal bases.
    doc.add(sheet(is(times(x(), x()), raised(x(), num(2))),
                  is(times(raised(x(), name("m")), raised(x(), name("n"))), raised(x(), plus(name("m"), name("n")))),
                  is(times(x(), raised(x(), name("n"))), raised(x(), plus(name("n"), num(1)))),
                  is(over(raised(x(), name("m")), raised(x(), name("n"))),
                     raised(x(), plus(name("m"), minus(name("n")))))));
    // Distribution.
    doc.add(sheet(is(times(x(), paren(plus(y(), z()))), plus(times(x(), y()), times(x(), z()))),
                  is(times(paren(plus(x(), y())), z()), plus(times(x(), z()), times(y(), z())))));
    // Trigonometry.
    doc.add(sheet(is(plus(raised(fn<algSin>(x()), num(2)), raised(fn<algCos>(x()), num(2))), num(1)),
                  is(fn<algTan>(x()), over(fn<algSin>(x()), fn<algCos>(x()))),
                  is(fn<algSin>(paren(minus(x()))), minus(fn<algSin>(x()))),
                  is(fn<algCos>(paren(minus(x()))), fn<algCos>(x())),
                  is(fn<algSin>(paren(times(num(2), x()))), times(num(2), fn<algSin>(x()), fn<algCos>(x())))));
    // Constants.
    doc.add(sheet(is(name("pi"), num(3.14159265358979)), is(name("e"), num(2.71828182845905)),
                  is(name("g"), num(9.81))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> quadraticFile() {
    ExampleHost doc;
    doc.add(is(plus(raised(x(), num(2)), minus(times(num(5), x())), num(6)), num(0)));
    doc.add(is(times(paren(plus(x(), minus(num(2)))), paren(plus(x(), minus(num(3))))), num(0)));
    doc.add(is(x(), over(plus(num(5), node<plusOrMinus>(node<radical>(plus(raised(num(5), num(2)),
                                                                             minus(times(num(4), num(6))))))),
                         num(2))));
    // The discriminant, calculated step by step.
    nucleo* line = doc.calculate(doc.add(plus(raised(num(5), num(2)), minus(times(num(4), num(6))))));
    doc.calculate(line);
    // The two roots.
    doc.calculate(doc.calculate(doc.add(over(plus(num(5), num(1)), num(2)))));
    doc.calculate(doc.calculate(doc.add(over(plus(num(5), minus(num(1))), num(2)))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> fractionsFile() {
    ExampleHost doc;
    nucleo* line = doc.calculate(doc.add(plus(over(num(3), num(4)), over(num(1), num(4)))));
    doc.calculate(line);
    doc.calculate(doc.add(plus(over(num(1), num(2)), over(num(1), num(3)))));
    doc.calculate(doc.add(over(num(12), num(8))));
    doc.calculate(doc.add(over(plus(name("a"), name("b")), name("c"))));
    doc.add(is(over(num(1), over(name("p"), name("q"))), over(name("q"), name("p"))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> stepsFile() {
    ExampleHost doc;
    nucleo* line = doc.calculate(doc.add(plus(times(num(2), paren(plus(num(3), num(4)))), minus(num(5)))));
    line = doc.calculate(line);
    doc.calculate(line);
    line = doc.calculate(doc.add(is(name("y"), plus(raised(num(2), num(3)), times(num(3), num(4))))));
    doc.calculate(line);
    doc.calculate(doc.add(times(name("a"), paren(plus(name("b"), name("c"), name("d"))))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> setsLogicFile() {
    ExampleHost doc;
    doc.calculate(doc.add(node<intersection>(set(num(1), num(2), num(3)), set(num(2), num(3), num(4)))));
    doc.calculate(doc.add(node<junction>(set(num(1), num(2)), set(num(2), num(3)))));
    doc.calculate(doc.add(node<belongs>(num(2), set(num(1), num(2), num(3)))));
    doc.calculate(doc.add(node<notBelong>(num(5), set(num(1), num(2), num(3)))));
    doc.calculate(doc.add(node<logicOr>(new booleano(true), name("x"))));
    doc.calculate(doc.add(node<logicAnd>(name("x"), new booleano(false))));
    doc.calculate(doc.add(node<logicOr>(name("p"), name("p"))));
    return doc.bytes();
}

// Every file by name, in a fixed order.
inline std::vector<std::pair<std::string, std::vector<std::uint8_t>>> allFiles() {
    // The engine's beeps and message boxes are not wanted here.
    struct Quiet : MessageSink {
        void beep(UINT) override {}
        int messageBox(const char*, const char*, UINT) override { return IDOK; }
    } quiet;
    MessageSink* previous = setMessageSink(&quiet);
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
        {"rules.vlm", rulesFile()},         {"quadratic.vlm", quadraticFile()}, {"fractions.vlm", fractionsFile()},
        {"steps.vlm", stepsFile()},         {"sets_logic.vlm", setsLogicFile()},
    };
    setMessageSink(previous);
    return files;
}

// Writes every file into dir; answers false when one could not be written.
inline bool writeAll(const std::string& dir) {
    for (const auto& [file, bytes] : allFiles()) {
        std::string reason;
        if (!tovimat::replaceFile(dir + "/" + file, bytes.data(), bytes.size(), reason)) return false;
    }
    return true;
}

}  // namespace velmor::examples
