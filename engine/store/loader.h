// Reading records back into nodes.
#pragma once

#include <cstdint>

#include "model/nucleo.h"
#include "platform/wintypes.h"
#include "store/stream.h"

namespace tovimat {

class nucleo;

// Records nest no deeper than this (the base record and the levels below it);
// a deeper file is an abandoned load.
constexpr int maxRecordDepth = maxNestingDepth + 1;

// Stored positions are page coordinates; larger ones are brought back to
// this bound so that layout arithmetic on them cannot overflow.
constexpr std::int32_t maxStoredCoordinate = 1 << 26;

// The in-line fraction answers the stacked fraction's type id; its record
// carries this id instead, so that it reads back in line. No file written
// before held it, and a stacked fraction's record is unchanged.
constexpr std::int32_t inlineFractionRecordId = typeId::quocient | 0x100;

// Reads one whole record and builds its node. Answers null when the load is
// abandoned (a short read, an unknown type id, nesting too deep); an unknown
// type id has been reported to the user by then.
nucleo* algLoad(algStor& s);

namespace loader {

// Thrown through the record readers when a load is abandoned; it never
// leaves the store.
struct aborted {};

// algLoad without the catch: throws loader::aborted. With a position, the
// node is put there before its members are read, since their records carry
// positions of their own.
nucleo* readRecord(algStor& s, const POINT* at = nullptr);
std::int32_t readInt(algStor& s);
std::uint8_t readByte(algStor& s);
void readExact(algStor& s, void* buffer, int count);

}  // namespace loader

}  // namespace tovimat
