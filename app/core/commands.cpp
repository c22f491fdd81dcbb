#include "core/commands.h"

#include <type_traits>

namespace velmor::cmd {

namespace {

constexpr Command kCommands[] = {
    {Calculate, Kind::GroupCommand, "Calculate", "Calculates hilited expression"},
    {Simplify, Kind::GroupCommand, "Simplify", "Simplify hilited expression"},
    {TestRule, Kind::GroupCommand, "TestRule", "Apply set of rules from \"rules.vlm\" file"},
    {SelectorTool, Kind::Tool, "SelectorTool", "Selector tool"},
    {NewItemTool, Kind::Tool, "NewItemTool", "New item tool, click to create new item"},
    {EditTool, Kind::Tool, "EditTool", "Edit tool, click to positionate cursor"},
    {MainToolbarSpare, Kind::NoHandler, "", ""},
    {Isolate, Kind::NoHandler, "", "Isolate member on hilited expression"},
    {UseConstants, Kind::GroupCommand, "UseConstants", "Use constants defined on \"rules.vlm\" file"},
    {InsertTrue, Kind::Constant, "True", "Inserts boolean 'True'"},
    {InsertSin, Kind::Function, "sin", "Insert sin function"},
    {InsertCos, Kind::Function, "cos", "Insert cos function"},
    {InsertTan, Kind::Function, "tan", "Insert tan function"},
    {InsertLog, Kind::Operator, "log", "Inserts logaritm operator"},
    {InsertRoot, Kind::Operator, "root", "Inserts root operator"},
    {InsertPower, Kind::Operator, "power", "Inserts power operator"},
    {InsertPlusInfinity, Kind::Constant, "+Infinity", "Inserts positive infinite element"},
    {InsertMinusInfinity, Kind::Constant, "-Infinity", "Inserts negative infinite element"},
    {InsertASin, Kind::Function, "asin", "Insert asin function"},
    {InsertACos, Kind::Function, "acos", "Insert acos function"},
    {InsertATan, Kind::Function, "atan", "Insert atan function"},
    {InsertFalse, Kind::Constant, "False", "Inserts boolean 'False'"},
    {InsertIntersection, Kind::Operator, "intersection", "Group intersection"},
    {InsertUnion, Kind::Operator, "union", "Group union"},
    {InsertContained, Kind::Operator, "contained", "Contained in"},
    {InsertNotContain, Kind::Operator, "notContain", "Not contain"},
    {InsertBelongs, Kind::Operator, "belongs", "Belongs"},
    {InsertNotBelong, Kind::Operator, "notBelong", "Not belongs"},
    {InsertContains, Kind::Operator, "contains", "Contains"},
    {Refers, Kind::NoHandler, "", "Refers"},
    {Refered, Kind::NoHandler, "", "Refered"},
    {CalculateAll, Kind::GroupCommand, "CalculateAll", "Calculates hilited expression until nothing changes"},
    {Font, Kind::Font, "Font", "Define font of hilited expression"},
};

constexpr Command kEditCommands[] = {
    {Undo, Kind::Edit, "Undo", "Undo the last action"},
    {Redo, Kind::Edit, "Redo", "Redo the previously undone action"},
    {Cut, Kind::Edit, "Cut", "Cut the selection and put it on the Clipboard"},
    {Copy, Kind::Edit, "Copy", "Copy the selection and put it on the Clipboard"},
    {Paste, Kind::Edit, "Paste", "Insert Clipboard contents"},
    {PasteText, Kind::Edit, "PasteText", "Insert the text as a formula"},
    {SelectAll, Kind::Edit, "SelectAll", "Select every formula of the document"},
};

template <typename Key>
const Command* findIn(std::span<const Command> table, Key key) {
    for (const Command& c : table)
        if constexpr (std::is_same_v<Key, int>) {
            if (c.id == key) return &c;
        } else if (!key.empty() && c.scriptName == key) {
            return &c;
        }
    return nullptr;
}

}  // namespace

std::span<const Command> commands() { return kCommands; }

std::span<const Command> editCommands() { return kEditCommands; }

const Command* findEditCommand(int id) { return findIn(std::span<const Command>(kEditCommands), id); }

const Command* findEditCommand(std::string_view scriptName) {
    return findIn(std::span<const Command>(kEditCommands), scriptName);
}

const Command* findCommand(int id) {
    for (const Command& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

const Command* findCommand(std::string_view scriptName) {
    if (scriptName.empty()) return nullptr;
    for (const Command& c : kCommands)
        if (c.scriptName == scriptName) return &c;
    return nullptr;
}

}  // namespace velmor::cmd
