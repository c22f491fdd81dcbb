#include "command_ids.h"

#include "core/commands.h"

namespace velmor::gui {

namespace {

namespace c = velmor::cmd;

constexpr int kMainToolbar[] = {
    id::FileNew,     id::FileOpen,    id::FileSave,    0,
    id::EditCut,     id::EditCopy,    id::EditPaste,   0,
    id::FilePrint,   id::AppAbout,    id::ContextHelp, 0,
    c::SelectorTool, c::NewItemTool,  c::EditTool,     0,
    c::Calculate,    c::UseConstants, c::TestRule,     c::MainToolbarSpare,
    c::Isolate,
};

constexpr int kFunctionsToolbar[] = {
    c::InsertTrue,
    c::InsertFalse,
    0,
    c::InsertPlusInfinity,
    c::InsertMinusInfinity,
    0,
    c::InsertRoot,
    c::InsertPower,
    c::InsertLog,
    0,
    c::InsertSin,
    c::InsertCos,
    c::InsertTan,
    0,
    c::InsertASin,
    c::InsertACos,
    c::InsertATan,
};

constexpr int kGroupRelationsToolbar[] = {
    c::InsertIntersection,
    c::InsertUnion,
    0,
    c::InsertContains,
    c::InsertNotContain,
    c::InsertContained,
    0,
    c::Refers,
    c::Refered,
    0,
    c::InsertBelongs,
    c::InsertNotBelong,
};

struct FrameworkText {
    int id;
    const char* menuText;
    const char* prompt;
    const char* toolTip;
};

constexpr FrameworkText kFramework[] = {
    {id::FileNew, "&New", "Create a new document", "New"},
    {id::FileOpen, "&Open...", "Open an existing document", "Open"},
    {id::FileClose, "&Close", "Close the active document", "Close"},
    {id::FileSave, "&Save", "Save the active document", "Save"},
    {id::FileSaveAs, "Save &As...", "Save the active document with a new name", "Save As"},
    {id::FilePrintSetup, "P&rint Setup...", "Change the printer and printing options", "Print Setup"},
    {id::FilePrint, "&Print...", "Print the active document", "Print"},
    {id::FilePrintPreview, "Print Pre&view", "Display full pages", "Print Preview"},
    {id::EditUndo, "&Undo", "Undo the last action", "Undo"},
    {id::EditRedo, "&Redo", "Redo the previously undone action", "Redo"},
    {id::EditSelectAll, "Select &All", "Select every formula of the document", "Select All"},
    {id::EditCut, "Cu&t", "Cut the selection and put it on the Clipboard", "Cut"},
    {id::EditCopy, "&Copy", "Copy the selection and put it on the Clipboard", "Copy"},
    {id::EditPaste, "&Paste", "Insert Clipboard contents", "Paste"},
    {id::ViewToolbar, "&Toolbar", "Show or hide the toolbar", "Toggle Toolbar"},
    {id::ViewStatusBar, "&Status Bar", "Show or hide the status bar", "Toggle Status Bar"},
    {c::ToggleFunctionsBar, "&Functions Toolbar", "Show or hide the functions toolbar", "Functions Toolbar"},
    {c::ToggleGroupRelationsBar, "&Group Relations Toolbar", "Show or hide the group relations toolbar",
     "Group Relations Toolbar"},
    {id::WindowNew, "&New Window", "Open another window for the active document", "New Window"},
    {id::WindowCascade, "&Cascade", "Arrange windows so they overlap", "Cascade Windows"},
    {id::WindowTile, "&Tile", "Arrange windows as non-overlapping tiles", "Tile Windows"},
    {id::WindowSplit, "&Split", "Split the active window into panes", "Split"},
    {id::AppAbout, "&About Velmor...", "Display program information, version number and copyright", "About"},
    {id::AppExit, "E&xit", "Quit the application; prompts to save documents", "Exit"},
    {id::ContextHelp, "&What's This?", "Display help for clicked buttons, menus and windows", "Help"},
    {id::ToolsEditRules, "Edit &Rules...", "Open the rule file that Test Rule and Use constants read",
     "Edit Rules"},
};

// Menu texts of the program's own commands; their prompts come from the
// core's table.
struct OwnText {
    int id;
    const char* menuText;
};

constexpr OwnText kOwn[] = {
    {c::Calculate, "&Calculate"},
    {c::CalculateAll, "Calculate &All"},
    {c::Simplify, "&Simplify"},
    {c::TestRule, "&Test Rule"},
    {c::UseConstants, "&Use constants"},
    {c::SelectorTool, "Se&lector tool"},
    {c::NewItemTool, "&New item tool"},
    {c::EditTool, "&Edit tool"},
    {c::MainToolbarSpare, ""},
    {c::Isolate, "&Isolate"},
    {c::InsertTrue, "&True"},
    {c::InsertFalse, "&False"},
    {c::InsertPlusInfinity, "+&infinity"},
    {c::InsertMinusInfinity, "\u2212i&nfinity"},
    {c::InsertSin, "&sin"},
    {c::InsertCos, "&cos"},
    {c::InsertTan, "&tan"},
    {c::InsertASin, "as&in"},
    {c::InsertACos, "aco&s"},
    {c::InsertATan, "ata&n"},
    {c::InsertLog, "&log"},
    {c::InsertRoot, "&root"},
    {c::InsertPower, "&power"},
    {c::InsertIntersection, "&intersection"},
    {c::InsertUnion, "&union"},
    {c::InsertContained, "con&tained"},
    {c::InsertNotContain, "not c&ontain"},
    {c::InsertBelongs, "&belongs"},
    {c::InsertNotBelong, "not b&elongs"},
    {c::InsertContains, "&contains"},
    {c::Refers, "re&fers"},
    {c::Refered, "refere&d"},
    {c::Font, "&Font..."},
};

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

CommandText commandText(int commandId) {
    for (const FrameworkText& t : kFramework)
        if (t.id == commandId)
            return CommandText{QString::fromUtf8(t.menuText), QString::fromUtf8(t.prompt),
                               QString::fromUtf8(t.toolTip)};
    if (commandId >= id::FileMru1 && commandId < id::FileMru1 + id::RecentFileCount)
        return CommandText{QString(), QStringLiteral("Open this document"), QString()};
    for (const OwnText& t : kOwn) {
        if (t.id != commandId) continue;
        const cmd::Command* core = cmd::findCommand(commandId);
        const QString prompt = core ? fromView(core->prompt) : QString();
        // The tool tip shows the prompt: it says more than the name.
        return CommandText{QString::fromUtf8(t.menuText), prompt, prompt.isEmpty() ? QString() : prompt};
    }
    return {};
}

std::span<const int> mainToolbarButtons() { return kMainToolbar; }
std::span<const int> functionsToolbarButtons() { return kFunctionsToolbar; }
std::span<const int> groupRelationsToolbarButtons() { return kGroupRelationsToolbar; }

}  // namespace velmor::gui
