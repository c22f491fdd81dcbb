// Reading the linear form of an expression, the one-line text that the
// linear text writer produces and that people type: "2 + 3 * 4",
// "sin (0) + 1", "f(x, y)", "log_2 8", "sqrt(x)", "[1, 2]", "x = 3".
//
// Ordinary precedence, loosest first: the directive relations => and <=>,
// |, &, the comparisons = > < >= <= !=, one set relation (⊂ ⊃ ⊄ ⊆ ⊇ ∈ ∉ ∪ ∩),
// + and -, unary - and ±, * and /, ^, then the atoms: numbers, names,
// True, False, ?, ∞ and −∞, (…), […], {…}, the functions sin cos tan cotan
// asin acos atan (followed by one atom), sqrt(x), root(n, x), log x and
// log_b x (the base one atom, the argument a power or an atom), and user
// functions name(arguments). Binary operators group to
// the left, ^ to the right. Every pair of parentheses becomes a parenthesis
// node. The text is UTF-8; names and numbers are ASCII.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/nucleo.h"

namespace tovimat {

struct linearReading {
    // The tree read, with no parent, no neighbours and no root; null when
    // the text could not be read.
    std::unique_ptr<nucleo> tree;
    // Where reading stopped (1 = the first byte of the text) and why.
    int column = 0;
    std::string reason;

    explicit operator bool() const { return tree != nullptr; }
};

// Any bytes are accepted: text that is not an expression gets the column
// and the reason, never a partial tree.
linearReading readLinear(std::string_view text);

}  // namespace tovimat
