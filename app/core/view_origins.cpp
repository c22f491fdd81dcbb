// What the view tells about the origin of a step: under the pointer resting
// on its sign, and for the step with the caret.
#include "core/velmor_view.h"

#include "core/velmor_protocol.h"

using namespace tovimat;

namespace {

bool holdsPoint(const aRect& r, const POINT& p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The relation whose sign (its head delimiter) holds p, below n.
const container* signAt(const nucleo* n, const POINT& p) {
    auto* g = dyn_cast<container>(n);
    if (!g) return nullptr;
    if (g->composition() && holdsPoint(g->head()->getRect(), p)) return g;
    for (nucleo* m = g->first(); m && m->chained(); m = m->next())
        if (holdsPoint(m->getRect(), p))
            if (const container* found = signAt(m, p)) return found;
    return nullptr;
}

}  // namespace

std::string CVelmorView::stepOriginAt(POINT clientPoint) const {
    container* b = base();
    if (!b) return {};
    const container* sign = signAt(b, toDocument(clientPoint));
    const stepOrigin* o = sign ? originOf(sign) : nullptr;
    return o ? describe(*o) : std::string();
}

std::string CVelmorView::caretStepOrigin() const {
    if (!focused_ || focused_->getRoot() != root()) return {};
    for (const nucleo* n = focused_; n && n != base(); n = n->parent())
        if (const stepOrigin* o = originOf(n)) return describe(*o);
    return {};
}
