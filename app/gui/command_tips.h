// What the tips and the status bar say about a command beyond its prompt:
// why it is off right now, and what to say when it ran and changed nothing.
#pragma once

#include <QString>

class CVelmorView;

namespace velmor::gui {

// Why the command cannot run in view (null: no document is open), as an
// instruction the user can follow; empty when the command can run or there
// is nothing useful to say.
QString whyDisabled(int commandId, const CVelmorView* view);

// The status-bar line for a command that ran and left the document as it
// was; empty for commands that are not meant to change it (the tools, Font).
QString unchangedMessage(int commandId);

}  // namespace velmor::gui
