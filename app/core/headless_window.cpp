#include "core/headless_window.h"

#include <algorithm>
#include <utility>

using namespace tovimat;

namespace {

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

CHeadlessWindow::CHeadlessWindow(int width, int height, std::unique_ptr<DeviceContext> measuring)
    : measuring_(std::move(measuring)), client_{width, height} {}

void CHeadlessWindow::record(std::vector<RECT>& areas, const RECT& r) {
    if (areas.size() < maxDamageRecord) {
        areas.push_back(r);
        return;
    }
    RECT all = r;
    for (const RECT& a : areas) {
        all.left = std::min(all.left, a.left);
        all.top = std::min(all.top, a.top);
        all.right = std::max(all.right, a.right);
        all.bottom = std::max(all.bottom, a.bottom);
    }
    areas.assign(1, all);
}

void CHeadlessWindow::invalidateRect(const RECT& r, bool) { record(invalidated_, r); }

void CHeadlessWindow::validateRect(const RECT& r) { record(validated_, r); }

void CHeadlessWindow::createSolidCaret(int width, int height) {
    // A new caret starts hidden, as on the desktop.
    caretExists_ = true;
    caretVisible_ = false;
    caretSize_ = SIZE{width, height};
}

// Like a scrolling window: the position stays between 0 and the part of the
// scroll range that does not fit in the client area.
void CHeadlessWindow::scrollToPosition(POINT p) {
    LONG maxX = std::max<LONG>(0, total_.cx - client_.cx);
    LONG maxY = std::max<LONG>(0, total_.cy - client_.cy);
    scroll_.x = std::clamp<LONG>(p.x, 0, maxX);
    scroll_.y = std::clamp<LONG>(p.y, 0, maxY);
}

void CHeadlessWindow::setScrollSizes(SIZE total) {
    total_ = total;
    ++scrollSizeChanges_;
    scrollToPosition(scroll_);
}

void CHeadlessWindow::drawFocusRect(const RECT& r) {
    auto same = std::find_if(frames_.begin(), frames_.end(), [&](const RECT& f) { return sameRect(f, r); });
    if (same != frames_.end())
        frames_.erase(same);
    else
        frames_.push_back(r);
}

void CHeadlessWindow::paintSelectionFrame(HDC, const RECT& docRect) { painted_.push_back(docRect); }

void CHeadlessWindow::clearDamage() {
    invalidated_.clear();
    validated_.clear();
    painted_.clear();
}
