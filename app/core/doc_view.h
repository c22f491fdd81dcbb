// How a document, its root and its views talk without knowing each other's
// classes. The document keeps a list of CDocView and sends each a hint when
// something changes; the document root (the engine's host) carries out the
// host operations with the window and editing position of one CDocView, and
// reaches its document only as a CDocSite. So the document and its root know
// no view class, and a view knows the document but is known to it only as a
// CDocView.
#pragma once

#include <vector>

#include "core/view_window.h"
#include "model/document.h"

namespace velmor::hint {

// What updateAllViews asks of each view.
constexpr int Invalidate = 1997;   // repaint the node's rectangle
constexpr int Validate = 1998;     // the node's rectangle needs no repaint
constexpr int FocusFrame = 1999;   // XOR the node's frame
constexpr int Closing = 2000;      // the document is closing
constexpr int ScrollRange = 2001;  // recompute the scroll range

}  // namespace velmor::hint

// A view as its document and the document's root see it.
class CDocView {
public:
    // --- from the document ----------------------------------------------------------
    // A hint (velmor::hint) about node.
    virtual void onUpdate(int hint, tovimat::nucleo* node) = 0;
    // Drops every pointer into the document's tree (the tree is going away).
    virtual void forgetEditingPosition() = 0;
    // The document is gone before this view.
    virtual void detachDocument() = 0;

    // --- from the document root -------------------------------------------------------
    virtual CViewWindow& window() const = 0;
    // Scrolls so that the document point is visible, then puts the caret there.
    virtual void placeCaret(int x, int y) = 0;
    // The editing position: the node with the caret and the caret index.
    virtual tovimat::nucleo* focused() const = 0;
    virtual void setFocused(tovimat::nucleo* node) = 0;
    virtual int caretIndex() const = 0;
    virtual int* caretIndexRef() = 0;
    // The rubber band of the selector tool, in document coordinates.
    virtual tovimat::aRect* selectionRect() = 0;

protected:
    virtual ~CDocView() = default;
};

namespace velmor {
class LineTable;
}

// A document as its root sees it: the views to work with, the modified flag
// and the table of lines its history keeps up with.
class CDocSite {
public:
    virtual const std::vector<CDocView*>& views() const = 0;
    // Sends a hint (velmor::hint) about node to every view but sender.
    virtual void updateAllViews(int hint, tovimat::nucleo* node, CDocView* sender = nullptr) = 0;
    virtual void setModifiedFlag(bool modified) = 0;
    virtual velmor::LineTable& lines() = 0;

protected:
    virtual ~CDocSite() = default;
};
