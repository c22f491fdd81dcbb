// Integer geometry in page units, laid out as the platform's POINT, SIZE and
// RECT.
#pragma once

#include "platform/wintypes.h"

namespace tovimat {

struct aPoint {
    LONG x;
    LONG y;

    aPoint() = default;  // members left unset, like the platform POINT
    aPoint(const POINT& p) : x(p.x), y(p.y) {}
    aPoint(long x_, long y_) : x(LONG(x_)), y(LONG(y_)) {}
    operator POINT() const { return POINT{x, y}; }
};

struct aSize {
    LONG cx;
    LONG cy;

    aSize() = default;
    aSize(int cx_, int cy_) : cx(cx_), cy(cy_) {}
};

// A node's box on the page; y grows downward.
struct aRect {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;

    aRect() : left(0), top(0), right(0), bottom(0) {}
    aRect(LONG l, LONG t, LONG r, LONG b) : left(l), top(t), right(r), bottom(b) {}
    aRect(const RECT& r) : left(r.left), top(r.top), right(r.right), bottom(r.bottom) {}
    operator RECT() const { return RECT{left, top, right, bottom}; }

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }

    // r lies inside this rectangle, borders included.
    bool contains(const aRect& r) const {
        return left <= r.left && top <= r.top && right >= r.right && bottom >= r.bottom;
    }
    // On each axis, one of this rectangle's edges lies strictly inside r's
    // span: enclosing r or sharing an edge with it does not count.
    bool touches(const aRect& r) const {
        auto strictlyIn = [](LONG v, LONG lo, LONG hi) { return lo < v && v < hi; };
        bool onX = strictlyIn(left, r.left, r.right) || strictlyIn(right, r.left, r.right);
        bool onY = strictlyIn(top, r.top, r.bottom) || strictlyIn(bottom, r.top, r.bottom);
        return onX && onY;
    }
    // A single point, not merely a zero area.
    bool isEmpty() const { return left == right && top == bottom; }
    void setEmpty() { left = top = right = bottom = 0; }

    bool operator==(const RECT& r) const {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    bool operator==(const aRect& r) const { return *this == RECT(r); }
    bool operator!=(const aRect& r) const { return !(*this == r); }

    void OffsetRect(const POINT& d) {
        left += d.x;
        right += d.x;
        top += d.y;
        bottom += d.y;
    }
};

}  // namespace tovimat
