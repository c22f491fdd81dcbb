// Reading formulas written in LaTeX: what latexOf writes, and the usual
// hand-written variants of it.
//
//   numbers and letters   2, 3.5, x (each letter its own name), \mathit{ab},
//                         \mathrm{True}, \mathrm{False}, \infty, -\infty, ?
//   brackets              (…) and \left( … \right) make a parenthesis node,
//                         [a, b] a list, \{a, b\} a set, {…} only groups
//   operators, loosest    \Rightarrow \Leftrightarrow (\implies \iff),
//   first                 \lor, \land, = \ne < > \le \ge (\neq \leq \geq),
//                         \subset \supset \subseteq \supseteq \in \notin
//                         \cup \cap, + - \pm, unary - \pm \neg,
//                         \cdot \times * / and juxtaposition (2x), ^
//   structures            \frac{a}{b} (\dfrac, \tfrac, \frac12), \sqrt{x},
//                         \sqrt[n]{x}, x^2, x^{10}, \sin x … \arctan x,
//                         \log x, \log_{b} x, f(x, y), \operatorname{f}(x),
//                         \begin{aligned} … \end{aligned} (& and \\ ignored),
//                         \begin{gathered} a \\ b \end{gathered} (a page)
//
// Spacing commands (\, \; \quad …) are skipped, and the whole text may stand
// inside $…$, $$…$$, \[…\] or \(…\). Binary operators group to the left.
// The text is UTF-8; \text{…} names may hold any Windows-1252 character.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/nucleo.h"

namespace tovimat {

struct latexReading {
    // The tree read, with no parent, no neighbours and no root; null when
    // the text could not be read.
    std::unique_ptr<nucleo> tree;
    // Where reading stopped (line and column from 1, the column in bytes)
    // and what was expected there.
    int line = 0;
    int column = 0;
    std::string reason;

    explicit operator bool() const { return tree != nullptr; }
};

// Any bytes are accepted: text that is not a formula gets the place and the
// reason, never a partial tree.
latexReading readLatex(std::string_view text);

}  // namespace tovimat
