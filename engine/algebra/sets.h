// Set operations on the member lists of two groups, beside the two that the
// set relations use (container::intercepcao and container::uniao). Internal
// to the engine: not installed with the library.
#pragma once

#include "model/document.h"

namespace tovimat::alg {

// Symmetric difference: in a new clone of a, a copy of every member of
// either group that the other does not contain, each once. Null without a.
container* disjuncao(container* a, container* b);

// Adds to out the members of a and of b that have no equal partner in the
// other group (a member pairs with one partner only): {1, 2, 2} and
// {2, 3} leave 1, 2 and 3.
void nonCommon(container* a, container* b, refCol& out);

}  // namespace tovimat::alg
