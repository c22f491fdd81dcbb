// What screen readers and other accessibility clients see of a pane: an
// editable text whose value is the linear text of the line with the caret
// ("x + 1 / 2"), with the caret as the text cursor. The pane tells them when
// the text or the caret changes.
#pragma once

namespace velmor::gui {

// Makes Qt's accessibility ask for the panes' interface; safe to call
// more than once.
void installAccessibleViews();

}  // namespace velmor::gui
