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
#include "model/step_origin.h"

namespace tovimat {
class ruleMatchNote;
}

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
    // as Test Rule makes its steps; ruleFile names the rule set's file in the
    // step's origin. False when it changes nothing.
    bool applyRuleMatch(tovimat::container& ruleSet, const tovimat::container& rule,
                        const tovimat::nucleo& place, const std::string& ruleFile = {});
    // The font the Font dialog starts from: the focused node's. False
    // without a focused node.
    bool currentFont(tovimat::LOGFONTA& out) const;
    // Font: gives the chosen font to the focused node.
    void onFont(const tovimat::LOGFONTA& chosen);

    // --- origins of steps (view_origins.cpp) ----------------------------------------
    // What made the step whose sign (its "=" or "<=>") lies under the client
    // point, in UTF-8; empty when no sign is there or its step tells nothing.
    std::string stepOriginAt(tovimat::POINT clientPoint) const;
    // What made the step that holds the caret, in UTF-8; empty when none.
    std::string caretStepOrigin() const;

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

    // --- drag and drop between documents (view_edit.cpp, view_history.cpp) ----------------------------------
    // Whether the button is held on a selection being dragged.
    bool dragging() const { return dragged_ && tovimat::protocol::mode == SelectorMode; }
    // The selected nodes of this document, outermost only: what a drag takes.
    std::vector<tovimat::nucleo*> draggedNodes() const;
    // Where the pointer picked the selection up, in document coordinates.
    tovimat::POINT dragOrigin() const {
        return tovimat::POINT{dragAnchor_.x - dragShift_.x, dragAnchor_.y - dragShift_.y};
    }
    // Ends a drag that leaves for another document: the selection goes back
    // where it was picked up and nothing is dropped here.
    void cancelDrag();
    // Where nodes stand, by line and path, so that they can be found again
    // after other documents changed; false when one cannot be named.
    bool placesOf(const std::vector<tovimat::nucleo*>& nodes, std::vector<velmor::NodePlace>& places) const;
    // Formulas dragged in from another document, let go at the client point;
    // offsets[i] is where node i's top left corner stands from the pointer.
    // They take the place a drag marks there, else become new items where
    // they were let go. One step; false (after a beep) when none was placed.
    bool dropFormulas(std::vector<std::unique_ptr<tovimat::nucleo>> nodes, tovimat::POINT clientPoint,
                      const std::vector<tovimat::POINT>& offsets);
    // The other half of a move to another document: deletes the nodes at
    // places, as one step. False when one is no longer there (nothing is
    // deleted then).
    bool removeFormulas(const std::vector<velmor::NodePlace>& places);

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
    void drop(tovimat::UINT flags, tovimat::POINT docPoint);
    void deleteSelection();
    // XOR frames of every selector, at the selectors' rectangles.
    void toggleSelectionFrames();
    // Erases the selection frames and empties the shared selection.
    void dropSelection();

    // Command handlers.
    void insertConstant(int commandId);
    void wrapInFunction(int commandId);
    void insertOperator(int commandId);
    // Hands a result to the document root; the step it makes records the
    // command running, the rule that matched while it ran (with the rule file
    // in use) and detail ("distribution").
    bool commitResult(tovimat::results r, const char* detail = nullptr);
    tovimat::stepOrigin commandOrigin(const char* detail) const;
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
    // How far the selection travelled since the button went down.
    tovimat::POINT dragShift_{0, 0};
    // The rubber band while it is drawn, in client coordinates, not normalised.
    tovimat::RECT band_{0, 0, 0, 0};
    int stepDepth_ = 0;
    // Whether the document was unmodified when the outermost step began.
    bool stepFromSaved_ = false;
    // While a command runs (its outermost step): its name, the first rule
    // that matched and the rule file it read.
    const char* stepLabel_ = nullptr;
    std::unique_ptr<tovimat::ruleMatchNote> ruleMatch_;
    std::string ruleFileInUse_;
};
