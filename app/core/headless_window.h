// A window without a screen: 640 by 480 client pixels unless told otherwise,
// scroll position (0, 0) until something scrolls it, nominal metrics unless
// given a device context to measure with, and a record of everything it was
// asked to do. velmor-cli and the tests put their views in one, and so does
// the desktop program for a document it draws without showing it.
#pragma once

#include <memory>
#include <vector>

#include "core/view_window.h"
#include "platform/nominal_dc.h"

class CHeadlessWindow : public CViewWindow {
public:
    static constexpr int defaultWidth = 640;
    static constexpr int defaultHeight = 480;

    // measuring, when given, stands in for the nominal metrics in getDC.
    explicit CHeadlessWindow(int width = defaultWidth, int height = defaultHeight,
                             std::unique_ptr<tovimat::DeviceContext> measuring = nullptr);

    void invalidateRect(const tovimat::RECT& r, bool erase) override;
    void validateRect(const tovimat::RECT& r) override;
    void createSolidCaret(int width, int height) override;
    void showCaret() override { caretVisible_ = caretExists_; }
    void hideCaret() override { caretVisible_ = false; }
    void setCaretPos(tovimat::POINT p) override { caretPos_ = p; }
    tovimat::SIZE clientSize() const override { return client_; }
    tovimat::POINT scrollPosition() const override { return scroll_; }
    void scrollToPosition(tovimat::POINT p) override;
    tovimat::SIZE totalSize() const override { return total_; }
    void setScrollSizes(tovimat::SIZE total) override;
    void drawFocusRect(const tovimat::RECT& clientRect) override;
    void paintSelectionFrame(tovimat::HDC dc, const tovimat::RECT& docRect) override;
    void setCapture() override { captured_ = true; }
    void releaseCapture() override { captured_ = false; }
    tovimat::HDC getDC() override { return measuring_ ? measuring_.get() : &dc_; }
    void releaseDC(tovimat::HDC) override {}

    // --- what the view asked for ----------------------------------------------------
    bool caretExists() const { return caretExists_; }
    bool caretVisible() const { return caretVisible_; }
    tovimat::POINT caretPos() const { return caretPos_; }
    tovimat::SIZE caretSize() const { return caretSize_; }
    bool captured() const { return captured_; }
    int scrollSizeChanges() const { return scrollSizeChanges_; }
    // The areas asked to be repainted (validated) since the last clearDamage,
    // in order. Like a window's update region the record stays bounded: past
    // maxDamageRecord areas they are merged into one bounding box.
    static constexpr size_t maxDamageRecord = 1024;
    const std::vector<tovimat::RECT>& invalidated() const { return invalidated_; }
    const std::vector<tovimat::RECT>& validated() const { return validated_; }
    // The XOR frames on the screen now, in the order they were drawn.
    const std::vector<tovimat::RECT>& focusFrames() const { return frames_; }
    // The selection frames of the last paint, in document coordinates.
    const std::vector<tovimat::RECT>& paintedFrames() const { return painted_; }
    // Forgets the repaint record, as after a paint.
    void clearDamage();
    // The nominal device context, which records what is drawn on it.
    tovimat::NominalDC& dc() { return dc_; }

private:
    static void record(std::vector<tovimat::RECT>& areas, const tovimat::RECT& r);

    tovimat::NominalDC dc_;
    std::unique_ptr<tovimat::DeviceContext> measuring_;
    tovimat::SIZE client_;
    tovimat::SIZE total_{0, 0};
    tovimat::POINT scroll_{0, 0};
    int scrollSizeChanges_ = 0;
    bool caretExists_ = false;
    bool caretVisible_ = false;
    tovimat::POINT caretPos_{0, 0};
    tovimat::SIZE caretSize_{0, 0};
    bool captured_ = false;
    std::vector<tovimat::RECT> invalidated_;
    std::vector<tovimat::RECT> validated_;
    std::vector<tovimat::RECT> frames_;
    std::vector<tovimat::RECT> painted_;
};
