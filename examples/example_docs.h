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
#include "store/file_io.h"
#include "support/headless_host.h"

namespace velmor::examples {

// --- building blocks -----------------------------------------------------------------------------

inline tovimat::nucleo* num(double v) { return new tovimat::nominal(v); }
inline tovimat::nucleo* name(const char* s) {
    auto* l = new tovimat::literal(s);
    l->setChanged(false);
    return l;
}
template <typename C, typename... M>
C* node(M*... members) {
    auto* c = new C();
    (c->linkLast(members), ...);
    return c;
}
template <typename... M>
tovimat::container* plus(M*... m) {
    return node<tovimat::sum>(m...);
}
template <typename... M>
tovimat::container* times(M*... m) {
    return node<tovimat::multiplication>(m...);
}
inline tovimat::container* over(tovimat::nucleo* a, tovimat::nucleo* b) {
    return node<tovimat::quocient>(a, b);
}
inline tovimat::container* raised(tovimat::nucleo* a, tovimat::nucleo* b) {
    return node<tovimat::power>(a, b);
}
inline tovimat::container* minus(tovimat::nucleo* x) { return node<tovimat::negation>(x); }
inline tovimat::container* paren(tovimat::nucleo* x) { return node<tovimat::parentesis>(x); }
inline tovimat::container* is(tovimat::nucleo* lhs, tovimat::nucleo* rhs) {
    return node<tovimat::simplification>(lhs, node<tovimat::equal>(rhs));
}
template <typename... M>
tovimat::container* set(M*... m) {
    return node<tovimat::enumSet>(m...);
}
template <typename F>
tovimat::container* fn(tovimat::nucleo* x) {
    return node<F>(x);
}
template <typename... M>
tovimat::container* sheet(M*... lines) {
    auto* p = new tovimat::page(1, false);
    (p->linkLast(lines), ...);
    return p;
}

// x, y, z... as pattern variables.
inline tovimat::nucleo* x() { return name("x"); }
inline tovimat::nucleo* y() { return name("y"); }
inline tovimat::nucleo* z() { return name("z"); }

// --- the documents -------------------------------------------------------------------------------

inline std::vector<std::uint8_t> rulesFile() {
    support::HeadlessHost doc;
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
    // Distribution. Products are matched in any order of their factors, so
    // this one rule also rewrites (x + y)·z.
    doc.add(sheet(is(times(x(), paren(plus(y(), z()))), plus(times(x(), y()), times(x(), z())))));
    // Trigonometry.
    doc.add(sheet(
        is(plus(raised(fn<tovimat::algSin>(x()), num(2)), raised(fn<tovimat::algCos>(x()), num(2))), num(1)),
        is(fn<tovimat::algTan>(x()), over(fn<tovimat::algSin>(x()), fn<tovimat::algCos>(x()))),
        is(fn<tovimat::algSin>(paren(minus(x()))), minus(fn<tovimat::algSin>(x()))),
        is(fn<tovimat::algCos>(paren(minus(x()))), fn<tovimat::algCos>(x())),
        is(fn<tovimat::algSin>(paren(times(num(2), x()))),
           times(num(2), fn<tovimat::algSin>(x()), fn<tovimat::algCos>(x())))));
    // Constants.
    doc.add(sheet(is(name("pi"), num(3.14159265358979)), is(name("e"), num(2.71828182845905)),
                  is(name("g"), num(9.81))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> quadraticFile() {
    support::HeadlessHost doc;
    doc.add(is(plus(raised(x(), num(2)), minus(times(num(5), x())), num(6)), num(0)));
    doc.add(is(times(paren(plus(x(), minus(num(2)))), paren(plus(x(), minus(num(3))))), num(0)));
    doc.add(is(x(), over(plus(num(5), node<tovimat::plusOrMinus>(node<tovimat::radical>(
                                          plus(raised(num(5), num(2)), minus(times(num(4), num(6))))))),
                         num(2))));
    // The discriminant, calculated step by step.
    tovimat::nucleo* line =
        doc.calculate(doc.add(plus(raised(num(5), num(2)), minus(times(num(4), num(6))))));
    doc.calculate(line);
    // The two roots.
    doc.calculate(doc.calculate(doc.add(over(plus(num(5), num(1)), num(2)))));
    doc.calculate(doc.calculate(doc.add(over(plus(num(5), minus(num(1))), num(2)))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> fractionsFile() {
    support::HeadlessHost doc;
    tovimat::nucleo* line = doc.calculate(doc.add(plus(over(num(3), num(4)), over(num(1), num(4)))));
    doc.calculate(line);
    doc.calculate(doc.add(plus(over(num(1), num(2)), over(num(1), num(3)))));
    doc.calculate(doc.add(over(num(12), num(8))));
    doc.calculate(doc.add(over(plus(name("a"), name("b")), name("c"))));
    doc.add(is(over(num(1), over(name("p"), name("q"))), over(name("q"), name("p"))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> stepsFile() {
    support::HeadlessHost doc;
    tovimat::nucleo* line =
        doc.calculate(doc.add(plus(times(num(2), paren(plus(num(3), num(4)))), minus(num(5)))));
    line = doc.calculate(line);
    doc.calculate(line);
    line = doc.calculate(doc.add(is(name("y"), plus(raised(num(2), num(3)), times(num(3), num(4))))));
    doc.calculate(line);
    doc.calculate(doc.add(times(name("a"), paren(plus(name("b"), name("c"), name("d"))))));
    return doc.bytes();
}

inline std::vector<std::uint8_t> setsLogicFile() {
    support::HeadlessHost doc;
    doc.calculate(
        doc.add(node<tovimat::intersection>(set(num(1), num(2), num(3)), set(num(2), num(3), num(4)))));
    doc.calculate(doc.add(node<tovimat::junction>(set(num(1), num(2)), set(num(2), num(3)))));
    doc.calculate(doc.add(node<tovimat::belongs>(num(2), set(num(1), num(2), num(3)))));
    doc.calculate(doc.add(node<tovimat::notBelong>(num(5), set(num(1), num(2), num(3)))));
    doc.calculate(doc.add(node<tovimat::logicOr>(new tovimat::booleano(true), name("x"))));
    doc.calculate(doc.add(node<tovimat::logicAnd>(name("x"), new tovimat::booleano(false))));
    doc.calculate(doc.add(node<tovimat::logicOr>(name("p"), name("p"))));
    return doc.bytes();
}

// Every file by name, in a fixed order.
inline std::vector<std::pair<std::string, std::vector<std::uint8_t>>> allFiles() {
    // The engine's beeps and message boxes are not wanted here.
    struct Quiet : tovimat::MessageSink {
        void beep(tovimat::UINT) override {}
        int messageBox(const char*, const char*, tovimat::UINT) override { return tovimat::IDOK; }
    } quiet;
    tovimat::MessageSink* previous = tovimat::setMessageSink(&quiet);
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
        {"rules.vlm", rulesFile()},         {"quadratic.vlm", quadraticFile()}, {"fractions.vlm", fractionsFile()},
        {"steps.vlm", stepsFile()},         {"sets_logic.vlm", setsLogicFile()},
    };
    tovimat::setMessageSink(previous);
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
