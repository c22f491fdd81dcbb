// Spoken text of an expression tree: the words a screen reader says for it,
// where the linear text would leave it to spell out signs. "x + 1/2" reads
// "x plus 1 over 2", "x^2" reads "x squared", "sqrt(x)" reads "the square
// root of x". Texts come out in UTF-8.
#pragma once

#include <string>

namespace tovimat {
class nucleo;
}  // namespace tovimat

namespace velmor {

std::string spokenText(const tovimat::nucleo& n);

}  // namespace velmor
