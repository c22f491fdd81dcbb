// CVelmorView: the logic of a window that edits a document. It turns mouse
// and keyboard messages into calls on the document's tree according to the
// current tool, keeps the editing position (the node with the caret and the
// caret index), drags and drops the selection, scrolls with the caret and
// runs the Tools, Format and insertion commands. It reaches its window only
// through CViewWindow; its document knows it only as a CDocView.
//
// Message handlers take client coordinates; the tree works in document
// coordinates (client plus scroll position).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/doc_view.h"
#include "core/history.h"
#include "core/view_window.h"
#include "model/document.h"

class CVelmorDoc;
class CVelmorProtocol;

class CVelmorView : public CDocView {
public:
    // Tool modes, kept in protocol::mode and shared by every view.
    enum Mode {
        NewItemMode = 0,     // a click creates an empty item
        EditMode = 1,        // clicks and keys go to the tree
        SelectorMode = 2,    // clicks select, drags move the selection
        RubberBandMode = 3,  // a rubber band is being drawn
        RegionMode = 4,      // a rubber band has just selected a region
    };

    // The view registers with doc and draws into window; both outlive it or
    // let it know (detachDocument).
    CVelmorView(CVelmorDoc& doc, CViewWindow& window);
    CVelmorView(const CVelmorView&) = delete;
    CVelmorView& operator=(const CVelmorView&) = delete;
    ~CVelmorView() override;

    CVelmorDoc* document() const { return doc_; }
    CViewWindow& window() const override { return window_; }
    CVelmorProtocol* root() const;
    tovimat::container* base() const;

    // --- editing position -------------------------------------------------------
    tovimat::nucleo* focused() const override { return focused_; }
    void setFocused(tovimat::nucleo* node) override { focused_ = node; }
    int caretIndex() const override { return caretIndex_; }
    int* caretIndexRef() override { return &caretIndex_; }
    // Whether the last key-down may be followed by its character.
    bool keyPassed() const { return keyPassed_; }
    // The rubber band of the selector tool, in document coordinates.
    tovimat::aRect* selectionRect() override { return &selRect_; }
    tovimat::aPoint dragAnchor() const { return dragAnchor_; }
    // Drops every pointer into the document's tree (the tree is going away).
    void forgetEditingPosition() override;
    // The document is gone before this view.
    void detachDocument() override;

    // --- what the document root asks of the view -------------------------------------
    // Scrolls so that the document point is visible, then puts the caret there.
    void placeCaret(int x, int y) override;
    // Resets the scroll sizes from the root container's extent.
    void recalcScrollRange();
    // A hint from the document (velmor::hint).
    void onUpdate(int hint, tovimat::nucleo* node) override;

    // --- messages -----------------------------------------------------------------------
    // flags are velmor::MK_* bits.
    void onLButtonDown(tovimat::UINT flags, tovimat::POINT clientPoint);
    void onLButtonUp(tovimat::UINT flags, tovimat::POINT clientPoint);
    void onMouseMove(tovimat::UINT flags, tovimat::POINT clientPoint);
    void onKeyDown(int virtualKey);
    void onChar(int c);
    void onSetFocus();
    void onKillFocus();
    void onDestroy();
    // Paints the tree on dc, which draws in document coordinates; area is the
    // part to repaint. On the screen the selection frames follow.
    void onDraw(tovimat::HDC dc, const tovimat::aRect& area, bool printing = false);
    void onInitialUpdate();

    // --- tools --------------------------------------------------------------------------
    static int mode() { return tovimat::protocol::mode; }
    // Switches the tool: 0 and 1 drop the selection, 2 takes the caret away.
    void setMode(int m);

    // --- commands (ids in core/commands.h) ----------------------------------------------
    bool isEnabled(int commandId) const;
    // Runs the command's handler; false when the id has none here (Font needs
    // its font: see onFont).
    bool execute(int commandId);
    void onCalculate();
    void onCalculateAll();
    void onSimplify();
    void onTestRule();
    void onUseConstants();
    // Test Rule with a match chosen from the dry run of ruleSet on the
    // focused formula (velmor::dryRunRules): rule at place, as one step made
    // as Test Rule makes its steps. False when it changes nothing.
    bool applyRuleMatch(tovimat::container& ruleSet, const tovimat::container& rule,
                        const tovimat::nucleo& place);
    // The font the Font dialog starts from: the focused node's. False
    // without a focused node.
    bool currentFont(tovimat::LOGFONTA& out) const;
    // Font: gives the chosen font to the focused node.
    void onFont(const tovimat::LOGFONTA& chosen);

    // --- Edit menu (view_edit.cpp; Undo and Redo in view_history.cpp) ----------------
    void onUndo();
    void onRedo();
    // Copy puts the selected formulas of this document, or the line with the
    // caret, on the clipboard; Cut then deletes them, in one step.
    void onCopy();
    void onCut();
    // Paste puts the clipboard's formulas where a drop would put them: in
    // the empty place that holds the caret, else as new items after the
    // caret's line. What cannot go there beeps and changes nothing.
    void onPaste();
    // Paste as if the clipboard held text (read as linear text).
    void onPasteText(std::string_view text);
    void onSelectAll();
    // Puts formulas where Paste puts them; false (after a beep) when none
    // found a place. Used by Paste and by drops from other documents.
    bool placeFormulas(std::vector<std::unique_ptr<tovimat::nucleo>> nodes);

    // --- history (view_history.cpp) -----------------------------------------------------
    // Every handler that may change the document runs inside one step: when
    // the outermost one ends, the document's history records the change as
    // one undoable step named label, or notes where the caret went.
    class Step {
    public:
        Step(CVelmorView& view, const char* label, bool typing = false);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        CVelmorView& view_;
        const char* label_;
        bool typing_;
        bool outer_;
    };
    velmor::EditingState editingState() const;

private:
    tovimat::POINT toDocument(tovimat::POINT clientPoint) const;
    tovimat::RECT toClient(const tovimat::RECT& docRect) const;
    tovimat::selection& selectionList() const;
    void makeActive();

    // Mouse steps.
    void clickAt(tovimat::POINT docPoint);
    void newItemAt(tovimat::POINT docPoint);
    void selectAt(tovimat::UINT flags, tovimat::POINT docPoint);
    void startRubberBand(tovimat::POINT clientPoint);
    void endRubberBand();
    void dragStep(tovimat::POINT docPoint);
    // A drop that leaves a saved document byte for byte as saved (the nodes
    // put back where they were) does not mark it modified.
    void drop(tovimat::UINT flags, tovimat::POINT docPoint);
    void moveSelectionTo(tovimat::UINT flags, tovimat::POINT docPoint);
    void deleteSelection();
    // XOR frames of every selector, at the selectors' rectangles.
    void toggleSelectionFrames();
    // Erases the selection frames and empties the shared selection.
    void dropSelection();

    // Command handlers.
    void insertConstant(int commandId);
    void wrapInFunction(int commandId);
    void insertOperator(int commandId);
    bool commitResult(tovimat::results r);
    enum class StepOutcome { Committed, NothingToDo, NotPlaced };
    // One Calculate: the calculation, or the distribution when nothing folds.
    StepOutcome calculateStep();
    bool editEnabled(int commandId) const;
    bool executeEdit(int commandId);
    static const char* stepLabel(int commandId);
    void beginStep();
    void endStep(const char* label, bool typing);
    std::vector<tovimat::nucleo*> editingNodes() const;
    // Lets go of the caret of every view of the document and of its
    // selection, before Undo or Redo rebuilds lines; restoreEditing puts
    // back those of a state of the history, and its tool.
    void releaseEditing();
    void restoreEditing(const velmor::EditingState& state);
    // The nodes Copy takes: the selected ones of this document, outermost
    // only, else the line with the caret.
    std::vector<tovimat::nucleo*> copiedNodes() const;

    CVelmorDoc* doc_;
    CViewWindow& window_;

    tovimat::nucleo* focused_ = nullptr;
    int caretIndex_ = 0;
    bool keyPassed_ = false;
    tovimat::aRect selRect_;
    tovimat::aPoint dragAnchor_{0, 0};
    // Whether the selection was dragged since the button went down: a
    // release without a drag is a click and moves nothing.
    bool dragged_ = false;
    // The rubber band while it is drawn, in client coordinates, not normalised.
    tovimat::RECT band_{0, 0, 0, 0};
    int stepDepth_ = 0;
};
