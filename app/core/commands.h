// Command ids of the Tools and Format menus and of the insertion toolbars,
// with their status-bar prompts. Both programs use these: the desktop program
// builds its actions from the table, velmor-cli finds commands by the names
// its scripts use.
#pragma once

#include <span>
#include <string_view>

namespace velmor::cmd {

constexpr int Calculate = 32771;
constexpr int Simplify = 32772;
constexpr int TestRule = 32773;
constexpr int SelectorTool = 32775;
constexpr int NewItemTool = 32776;
constexpr int EditTool = 32777;
constexpr int MainToolbarSpare = 32779;
constexpr int Isolate = 32780;
constexpr int UseConstants = 32782;
constexpr int InsertTrue = 32784;
constexpr int InsertSin = 32786;
constexpr int InsertCos = 32787;
constexpr int InsertTan = 32788;
constexpr int InsertLog = 32789;
constexpr int InsertRoot = 32790;
constexpr int InsertPower = 32791;
constexpr int InsertPlusInfinity = 32792;
constexpr int InsertMinusInfinity = 32793;
constexpr int InsertASin = 32794;
constexpr int InsertACos = 32795;
constexpr int InsertATan = 32796;
constexpr int ToggleFunctionsBar = 32797;
constexpr int InsertFalse = 32798;
constexpr int InsertIntersection = 32799;
constexpr int InsertUnion = 32800;
constexpr int InsertContained = 32801;
constexpr int InsertNotContain = 32802;
constexpr int InsertBelongs = 32804;
constexpr int InsertNotBelong = 32805;
constexpr int InsertContains = 32806;
constexpr int ToggleGroupRelationsBar = 32807;
constexpr int Refers = 32808;
constexpr int Refered = 32809;
constexpr int CalculateAll = 32830;
constexpr int Font = 57696;

// The Edit menu, with the framework's standard ids.
constexpr int Copy = 57634;
constexpr int Cut = 57635;
constexpr int Paste = 57637;
constexpr int SelectAll = 57642;
constexpr int Undo = 57643;
constexpr int Redo = 57644;
// Paste with a given text on the clipboard (velmor-cli's {PasteText TEXT}).
constexpr int PasteText = 32810;

// What a command does, which decides its enabling rule.
enum class Kind {
    Tool,          // enabled unless its tool is already current
    GroupCommand,  // needs a focused group
    Constant,      // needs an empty focused leaf
    Function,      // needs a focused node with an owner, the caret at 0
    Operator,      // needs a focused node with neighbours on both sides
    Font,          // always enabled
    NoHandler,     // shown but never enabled
    Edit,          // the Edit menu: each has its own rule
};

struct Command {
    int id;
    Kind kind;
    // The name a velmor-cli script uses in braces; empty when scripts cannot
    // reach the command.
    std::string_view scriptName;
    // The status-bar prompt; empty when the command has none.
    std::string_view prompt;
};

// Every command of the Tools and Format menus and of the toolbars, in id order.
std::span<const Command> commands();

// The command with that id or script name; null when there is none.
const Command* findCommand(int id);
const Command* findCommand(std::string_view scriptName);

// The Edit commands: Undo, Redo, Cut, Copy, Paste, PasteText, SelectAll. The
// desktop program builds their actions itself.
std::span<const Command> editCommands();
const Command* findEditCommand(int id);
const Command* findEditCommand(std::string_view scriptName);

}  // namespace velmor::cmd
