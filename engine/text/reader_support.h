// What the text readers share: how deep their rules may call themselves,
// and how they link what they read.
//
// A bracket or an operator nests the text by one level of the tree and
// passes through at most three of the rules that call themselves; deeper
// text could not be placed in a document anyway. AddressSanitizer makes
// every frame several times larger, and a reader that nests as deep as a
// document may would overflow the stack before it could refuse the text.
// GCC names that build by a macro, clang by a feature.
#pragma once

#include <memory>

#include "model/container.h"

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

// Links m last in c as it is, without the insertion rules, and takes it
// over; null when it did, else why c refused it. A reader then refuses the
// whole text rather than leave the member out.
inline const char* linkRead(container& c, std::unique_ptr<nucleo>& m) {
    if (c.wouldNestTooDeep(m.get())) return "nested too deeply";
    if (!c.linkLast(m.get())) return "too many operands";
    m.release();
    return nullptr;
}

}  // namespace tovimat
