#include "command_tips.h"

#include "core/commands.h"
#include "core/velmor_view.h"
#include "model/nucleo.h"

namespace velmor::gui {

namespace {

namespace c = velmor::cmd;

const char* const kNoDocument = "open or create a document first, with File > New or File > Open";

QString groupCommandReason(const CVelmorView& view) {
    const tovimat::nucleo* f = view.focused();
    if (!f)
        return QStringLiteral(
            "click in a formula with the edit tool, then put the caret after the part to calculate, for "
            "example with End");
    return QStringLiteral(
        "put the caret after the part to calculate, for example with End: the caret is inside a name or "
        "a number now");
}

}  // namespace

QString whyDisabled(int commandId, const CVelmorView* view) {
    const c::Command* command = c::findCommand(commandId);
    if (!command || (view && view->isEnabled(commandId))) return {};
    if (command->kind == c::Kind::NoHandler) return QStringLiteral("not available in this version");
    if (!view) return QString::fromLatin1(kNoDocument);
    const tovimat::nucleo* f = view->focused();
    switch (command->kind) {
        case c::Kind::GroupCommand:
            return groupCommandReason(*view);
        case c::Kind::Constant:
            return QStringLiteral("put the caret in an empty place, for example after typing an operator");
        case c::Kind::Function:
            return f ? QStringLiteral("put the caret at the start of the argument, for example with Home")
                     : QStringLiteral("click in a formula with the edit tool first");
        case c::Kind::Operator:
            return f ? QStringLiteral(
                           "put the caret on a part of a formula that has neighbours on both sides")
                     : QStringLiteral("click in a formula with the edit tool first");
        default:
            return {};
    }
}

QString unchangedMessage(int commandId) {
    switch (commandId) {
        case c::Calculate:
            return QStringLiteral("Calculate changed nothing: there is nothing to calculate here");
        case c::CalculateAll:
            return QStringLiteral("Calculate All changed nothing: there is nothing to calculate here");
        case c::Simplify:
            return QStringLiteral("Simplify changed nothing: the formula is as simple as it gets");
        case c::TestRule:
            return QStringLiteral("Test Rule changed nothing: no rule of the rule file matches here");
        case c::UseConstants:
            return QStringLiteral("Use constants changed nothing: no constant of the rule file occurs here");
        default:
            break;
    }
    const c::Command* command = c::findCommand(commandId);
    if (!command) return {};
    switch (command->kind) {
        case c::Kind::Constant:
        case c::Kind::Function:
        case c::Kind::Operator:
            return QStringLiteral("The insertion changed nothing: it does not fit here");
        default:
            return {};
    }
}

}  // namespace velmor::gui
