// The origins of steps in stored records.
//
// Records have no room for them, so a stream of records may be followed by
// sections: a 4-byte tag, a 4-byte length L and L bytes. The steps section
// (tag "STEP") names each step by its place below the records written
// before it and holds its origin (model/step_origin.h). A reader that knows
// no sections stops after the records and never sees them; one that does
// not know a tag skips its L bytes.
#pragma once

#include <vector>

#include "store/stream.h"

namespace tovimat {

class nucleo;

// Writes the steps section for the trees whose records were just written,
// in that order; writes nothing when none of their nodes has an origin, so
// that such records stay as they always were.
void writeOrigins(algStor& s, const std::vector<const nucleo*>& roots);

enum class originsRead {
    none,     // nothing follows the records (or a section this reader does not know)
    read,     // the origins went to the nodes of roots
    damaged,  // the section breaks off or does not make sense: no origin was given
};

// Reads the sections that follow the records of roots, as far as the stream
// goes, and gives the origins to the nodes they name. An origin whose place
// holds no node, or a node of another class, is left out.
originsRead readOrigins(algStor& s, const std::vector<nucleo*>& roots);

}  // namespace tovimat
