// A device context with nominal metrics, for headless hosts, tests and
// benchmarks. A font of height h has cell height H = |h| (16 when h is 0) and
// every byte advances W = max(1, H / 2): n bytes measure (n * W, H). Face,
// weight and italic do not change the metrics. Drawing calls are recorded as a
// display list that tests can read.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi.h"

namespace tovimat {

struct DrawnText {
    int x, y;             // top-left corner of the text box
    std::string bytes;    // the bytes drawn
    std::string face;     // face name of the selected font
    int height;           // lfHeight of the selected font
    COLORREF color;       // text colour
    bool operator==(const DrawnText&) const = default;
};

struct DrawnLine {
    int x1, y1, x2, y2;
    COLORREF color;       // colour of the selected pen
    bool operator==(const DrawnLine&) const = default;
};

struct DrawnFrame {
    RECT rect;
    COLORREF color;
    bool operator==(const DrawnFrame& o) const {
        return rect.left == o.rect.left && rect.top == o.rect.top && rect.right == o.rect.right &&
               rect.bottom == o.rect.bottom && color == o.color;
    }
};

class NominalDC : public DeviceContext {
public:
    // Cell height of a font of height h.
    static int cellHeight(LONG h);
    static int advance(LONG h);

    SIZE textExtent(const char* text, int n) override;
    void drawText(const char* text, int n, const RECT& box) override;
    void lineTo(int x, int y) override;
    void frameRect(const RECT& r, COLORREF color) override;

    const std::vector<DrawnText>& texts() const { return texts_; }
    const std::vector<DrawnLine>& lines() const { return lines_; }
    const std::vector<DrawnFrame>& frames() const { return frames_; }
    void clearRecord();

private:
    std::vector<DrawnText> texts_;
    std::vector<DrawnLine> lines_;
    std::vector<DrawnFrame> frames_;
};

}  // namespace tovimat
