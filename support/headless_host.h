// A document root without windows, for everything that drives the engine
// without a screen: the tests, the example generator, the benchmarks and the
// fuzz targets. Nominal metrics, one caret, one selection, and a record of
// every host operation the engine asked for. Each measuring operation gets a
// fresh device context, as a window's would.
#pragma once

#include <cstdint>
#include <vector>

#include "model/document.h"
#include "platform/nominal_dc.h"

namespace velmor::support {

class HeadlessHost : public tovimat::protocol {
public:
    explicit HeadlessHost(tovimat::container* base = new tovimat::container("", "", ""));

    void invalidate(tovimat::nucleo*) override { ++invalidations; }
    void createCaret(int w, int h) override;
    void setCaretPos(int x, int y) override { caretPos = tovimat::POINT{x, y}; }
    void hideCaret() override { caretShown = false; }
    void showCaret() override { caretShown = true; }
    void drawFocusFrame(tovimat::nucleo*) override { ++focusFrames; }
    void setModified(bool m) override { modified = m; }
    int message(const char* text, const char* caption, tovimat::UINT style) override;
    void measureOn(tovimat::nucleo* n) override;
    void updateOn(tovimat::nucleo* n) override;
    void remeasureOn(tovimat::nucleo* n) override;
    void caretAt(tovimat::nucleo* n, int index) override;
    tovimat::selection* selectionList() override { return &selected; }
    bool clickOn(tovimat::nucleo*, tovimat::aPoint&) override { return false; }
    void setFocused(tovimat::nucleo* n) override { focus = n; }
    int caretIndex() override { return index; }
    tovimat::nucleo* focused() override { return focus; }
    int* caretIndexRef() override { return &index; }
    tovimat::aRect* selectionRect() override { return &rubberBand; }

    // Deletes the tree and puts fresh (or nothing) in its place, with the
    // caret, the selection and the counters as a new host has them: what one
    // document did leaves nothing behind for the next.
    void reset(tovimat::container* fresh);

    // One keystroke as the view delivers it: the key-down to the node with
    // the caret, then the character when the key was passed on.
    void type(int vk, int ch);

    // --- building documents -------------------------------------------------------
    // Adds a line to the document and answers it.
    tovimat::nucleo* add(tovimat::nucleo* line);
    // The Calculate command on a node: calculate, else distribute, then
    // commit. Answers the line the node belongs to afterwards.
    tovimat::nucleo* calculate(tovimat::nucleo* n);
    // The lines one under the other, laid out, then the file's bytes.
    std::vector<std::uint8_t> bytes();

    tovimat::NominalDC dc;
    tovimat::selection selected;
    tovimat::nucleo* focus = nullptr;
    int index = 0;
    tovimat::aRect rubberBand;
    bool modified = true;
    bool caretShown = false;
    int caretWidth = 0, caretHeight = 0;
    tovimat::POINT caretPos{0, 0};
    int invalidations = 0;
    int focusFrames = 0;
};

}  // namespace velmor::support
