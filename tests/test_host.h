// A small document root for tests: nominal metrics, one caret, a selection,
// and a record of every host operation the engine asked for.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "model/document.h"
#include "platform/messages.h"
#include "platform/nominal_dc.h"

namespace tovimat::testing {

class TestHost : public protocol {
public:
    explicit TestHost(container* base = new container("", "", "")) : protocol(base) {}

    void invalidate(nucleo*) override { ++invalidations; }
    void createCaret(int w, int h) override {
        caretWidth = w;
        caretHeight = h;
    }
    void setCaretPos(int x, int y) override { caretPos = POINT{x, y}; }
    void hideCaret() override { caretShown = false; }
    void showCaret() override { caretShown = true; }
    void drawFocusFrame(nucleo*) override { ++focusFrames; }
    void setModified(bool m) override { modified = m; }
    int message(const char* text, const char* caption, UINT style) override {
        return MessageBoxA(nullptr, text, caption, style);
    }
    // Like a window's device context, each operation gets a fresh one.
    void measureOn(nucleo* n) override {
        NominalDC measuring;
        n->measure(&measuring);
    }
    void updateOn(nucleo* n) override {
        NominalDC measuring;
        n->update(&measuring);
    }
    void remeasureOn(nucleo* n) override {
        NominalDC measuring;
        n->remeasure(&measuring);
    }
    void caretAt(nucleo* n, int index) override {
        NominalDC measuring;
        SelectObject(&measuring, n->getFont());
        SIZE size{0, 0};
        GetTextExtentPoint32A(&measuring, n->getText(), std::min(index, n->getLen()), &size);
        n->focusAt(index, size.cx);
    }
    selection* selectionList() override { return &selected; }
    bool clickOn(nucleo*, aPoint&) override { return false; }
    void setFocused(nucleo* n) override { focus = n; }
    int caretIndex() override { return index; }
    nucleo* focused() override { return focus; }
    int* caretIndexRef() override { return &index; }
    aRect* selectionRect() override { return &rubberBand; }

    // Deletes the tree and puts fresh (or nothing) in its place, with the
    // caret, the selection and the counters as a new host has them: what one
    // document did leaves nothing behind for the next.
    void reset(container* fresh) {
        selected.clear();
        focus = nullptr;
        index = 0;
        delete releaseBase();
        base = fresh;
        if (base) {
            base->setRoot(this);
            base->setReadOnly(true);
        }
        rubberBand = aRect();
        modified = true;
        caretShown = false;
        caretWidth = caretHeight = 0;
        caretPos = POINT{0, 0};
        invalidations = focusFrames = 0;
    }

    // One keystroke as the view delivers it: the key-down to the node with
    // the caret, then the character when the key was passed on.
    void type(int vk, int ch) {
        if (focus && focus->putKey(vk))
            if (focus) focus->putChar(ch);
    }

    NominalDC dc;
    selection selected;
    nucleo* focus = nullptr;
    int index = 0;
    aRect rubberBand;
    bool modified = true;
    bool caretShown = false;
    int caretWidth = 0, caretHeight = 0;
    POINT caretPos{0, 0};
    int invalidations = 0;
    int focusFrames = 0;
};

}  // namespace tovimat::testing
