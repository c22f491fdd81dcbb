// The program's document root: implements the host operations for the views
// of one document. Operations that need a window use the active view, or the
// document's first view when no view is active; with no view at all they do
// nothing and the queries answer 0 or null. It reaches its document and the
// views only through the interfaces in core/doc_view.h.
#pragma once

#include "core/doc_view.h"
#include "model/document.h"

class CVelmorProtocol : public tovimat::protocol {
public:
    CVelmorProtocol(CDocSite* owner, tovimat::container* base);
    ~CVelmorProtocol() override;

    CDocSite* owner() const { return owner_; }

    // The view that last received input; null when none.
    CDocView* activeView() const { return activeView_; }
    void setActiveView(CDocView* view) { activeView_ = view; }
    // Clears the active view when it is view.
    void forgetView(CDocView* view);
    // The view the host operations use: the active one, else the document's
    // first view, else null.
    CDocView* currentView() const;

    // The process-wide selection, shared by every document and view.
    static tovimat::selection& sharedSelection();

    void invalidate(tovimat::nucleo* node) override;
    void createCaret(int width, int height) override;
    void setCaretPos(int x, int y) override;
    void hideCaret() override;
    void showCaret() override;
    void drawFocusFrame(tovimat::nucleo* node) override;
    void setModified(bool modified) override;
    int message(const char* text, const char* caption, tovimat::UINT style) override;
    void measureOn(tovimat::nucleo* node) override;
    void updateOn(tovimat::nucleo* node) override;
    void remeasureOn(tovimat::nucleo* node) override;
    void caretAt(tovimat::nucleo* node, int index) override;
    tovimat::selection* selectionList() override;
    bool clickOn(tovimat::nucleo* node, tovimat::aPoint& point) override;
    void setFocused(tovimat::nucleo* node) override;
    int caretIndex() override;
    tovimat::nucleo* focused() override;
    int* caretIndexRef() override;
    tovimat::aRect* selectionRect() override;

private:
    // Runs a layout step on node with a device context of the current view,
    // then has every view recompute its scroll range.
    template <typename Step>
    void layoutOn(tovimat::nucleo* node, Step step);

    CDocSite* owner_;
    CDocView* activeView_ = nullptr;
};
