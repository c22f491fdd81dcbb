// The window behind a CVelmorView. The view logic is toolkit-free; it asks
// its window for the few things only a real window can do: areas to repaint,
// the caret, scrolling, XOR frames, mouse capture and a device context. The
// desktop program adapts a Qt widget to this interface; velmor-cli, the tests
// and the desktop program's offscreen documents use CHeadlessWindow.
//
// Client coordinates are the window's own; document coordinates are client
// coordinates plus the scroll position.
#pragma once

#include "platform/gdi.h"

namespace velmor {

// Mouse message flags: buttons and modifier keys held during the message.
constexpr tovimat::UINT MK_LBUTTON = 0x0001;
constexpr tovimat::UINT MK_RBUTTON = 0x0002;
constexpr tovimat::UINT MK_SHIFT = 0x0004;
constexpr tovimat::UINT MK_CONTROL = 0x0008;
constexpr tovimat::UINT MK_ALT = 0x0100;

}  // namespace velmor

class CViewWindow {
public:
    CViewWindow() = default;
    CViewWindow(const CViewWindow&) = delete;
    CViewWindow& operator=(const CViewWindow&) = delete;
    virtual ~CViewWindow() = default;

    // --- repainting (client coordinates) ----------------------------------------
    virtual void invalidateRect(const tovimat::RECT& r, bool erase) = 0;
    virtual void validateRect(const tovimat::RECT& r) = 0;

    // --- the caret (client coordinates) ------------------------------------------
    virtual void createSolidCaret(int width, int height) = 0;
    virtual void showCaret() = 0;
    virtual void hideCaret() = 0;
    virtual void setCaretPos(tovimat::POINT p) = 0;

    // --- scrolling ------------------------------------------------------------------
    virtual tovimat::SIZE clientSize() const = 0;
    virtual tovimat::POINT scrollPosition() const = 0;
    // Scrolls so that document point p is at the client's top-left corner, as
    // far as the scroll range allows.
    virtual void scrollToPosition(tovimat::POINT p) = 0;
    // The size of the whole scrollable area.
    virtual tovimat::SIZE totalSize() const = 0;
    virtual void setScrollSizes(tovimat::SIZE total) = 0;

    // --- feedback --------------------------------------------------------------------
    // Inverts a dotted frame on the screen; drawing the same frame again
    // erases it.
    virtual void drawFocusRect(const tovimat::RECT& clientRect) = 0;
    // Draws a selection frame while painting, on the paint device context,
    // in document coordinates.
    virtual void paintSelectionFrame(tovimat::HDC dc, const tovimat::RECT& docRect) = 0;

    // --- mouse capture -----------------------------------------------------------------
    virtual void setCapture() = 0;
    virtual void releaseCapture() = 0;

    // --- measuring ---------------------------------------------------------------------
    // A device context of the window for measuring; give it back with
    // releaseDC.
    virtual tovimat::HDC getDC() = 0;
    virtual void releaseDC(tovimat::HDC dc) = 0;
};
