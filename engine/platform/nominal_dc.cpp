#include "platform/nominal_dc.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace tovimat {

namespace {

const LOGFONTA& selectedLogfont(const DeviceContext& dc) {
    HFONT font = dc.currentFont();
    return (font ? font : stockDefaultFont())->logfont();
}

std::string faceOf(const LOGFONTA& lf) {
    // The face name need not be NUL-terminated when it fills the field.
    return std::string(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
}

}  // namespace

int NominalDC::cellHeight(LONG h) {
    if (h == 0) return 16;
    std::int64_t a = h < 0 ? -std::int64_t(h) : std::int64_t(h);
    return a > INT_MAX ? INT_MAX : int(a);
}

int NominalDC::advance(LONG h) {
    int w = cellHeight(h) / 2;
    return w < 1 ? 1 : w;
}

SIZE NominalDC::textExtent(const char* /*text*/, int n) {
    LONG h = selectedLogfont(*this).lfHeight;
    std::int64_t width = n > 0 ? std::int64_t(n) * advance(h) : 0;
    return SIZE{width > INT32_MAX ? INT32_MAX : LONG(width), cellHeight(h)};
}

void NominalDC::drawText(const char* text, int n, const RECT& box) {
    const LOGFONTA& lf = selectedLogfont(*this);
    std::string bytes = (text && n > 0) ? std::string(text, size_t(n)) : std::string();
    texts_.push_back(DrawnText{box.left, box.top, std::move(bytes), faceOf(lf), lf.lfHeight, textColor()});
}

void NominalDC::lineTo(int x, int y) {
    POINT from = penPosition();
    HPEN pen = currentPen();
    lines_.push_back(DrawnLine{from.x, from.y, x, y, pen ? pen->color() : RGB(0, 0, 0)});
    setPenPosition(POINT{x, y});
}

void NominalDC::frameRect(const RECT& r, COLORREF color) { frames_.push_back(DrawnFrame{r, color}); }

void NominalDC::clearRecord() {
    texts_.clear();
    lines_.clear();
    frames_.clear();
}

}  // namespace tovimat
