// How deep the rules of the text readers may call themselves. A bracket or
// an operator nests the text by one level of the tree and passes through at
// most three of those rules; deeper text could not be placed in a document
// anyway. AddressSanitizer makes every frame several times larger, and a
// reader that nests as deep as a document may would overflow the stack
// before it could refuse the text. GCC names that build by a macro, clang by
// a feature.
#pragma once

#include "model/nucleo.h"

#if defined(__SANITIZE_ADDRESS__)
#define TOVIMAT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVIMAT_ADDRESS_SANITIZER 1
#endif
#endif

namespace tovimat {

#if defined(TOVIMAT_ADDRESS_SANITIZER)
inline constexpr int maxReaderDepth = 3 * maxNestingDepth / 5;
#else
inline constexpr int maxReaderDepth = 3 * maxNestingDepth;
#endif

}  // namespace tovimat
