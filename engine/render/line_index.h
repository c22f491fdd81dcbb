// The lines of a long document by vertical extent: painting a screenful and
// finding the line under the pointer look up the few lines near a row instead
// of walking every member of the document's root.
#pragma once

#include <cstdint>
#include <vector>

#include "model/container.h"

namespace tovimat {

class lineIndex {
public:
    // The index of the members of root, a container without parent, built
    // again when a root's chain or layout changed since it was last built;
    // null when root has too few members for an index to pay.
    static const lineIndex* of(const container* root);
    // Told whenever the member chain or the layout of a container without
    // parent changes: every index built before is out of date.
    static void rootChanged() { ++stamp; }

    // The members whose boxes reach from at least row `top` down to at least
    // row `bottom` with `reach` rows to spare on either side, in chain order.
    // A member not answered lies wholly above top - reach or below
    // bottom + reach.
    void near(LONG top, LONG bottom, LONG reach, std::vector<nucleo*>& found) const;
    // The tallest member's height.
    LONG tallest() const { return tallest_; }

private:
    struct Entry {
        LONG top;
        LONG bottom;
        int order;  // place in the chain
        nucleo* node;
    };

    void build(const container* root);

    std::vector<Entry> byTop;
    LONG tallest_ = 0;

    static inline std::uint64_t stamp = 0;
};

}  // namespace tovimat
