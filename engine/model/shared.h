// Nodes that exist once per process, outside every document: the numbers the
// algebra compares against, the three infinite number sets, the two special
// values, and the prototype list of every class that can be typed or loaded.
// They are built when the library is loaded and deleted when it is unloaded;
// documents only ever hold copies of them.
#pragma once

#include "model/relations.h"

namespace tovimat::shared {

const nominal& zero();
const nominal& one();
const nominal& two();
const nominal& minusOne();

naturals& naturalNumbers();
conjunto_pares& evenNumbers();
conjunto_impares& oddNumbers();

// The no-rewrite marker of the quotient and sum rules, and the indeterminate value.
const indefinicao& undefinedValue();
const indeterminacao& indeterminateValue();

// One instance of every typeable class, in the order in which typed
// characters are offered to them and in which the loader searches type ids.
const list& prototypeList();

// The first prototype whose type() is id, or null.
const nucleo* findPrototype(int id);

}  // namespace tovimat::shared
