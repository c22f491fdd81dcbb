// The desktop program's commands: the framework's standard ids (File, Edit,
// View, Window and Help menus) beside the program's own ids of
// core/commands.h, their menu texts, prompts and tool tips, and the buttons of
// the three toolbars.
#pragma once

#include <QString>
#include <span>

namespace velmor::gui::id {

constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintPreview = 57609;
constexpr int FileMru1 = 57616;  // to FileMru1 + 5
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
constexpr int EditSelectAll = 57642;
constexpr int EditUndo = 57643;
constexpr int EditRedo = 57644;
constexpr int WindowNew = 57648;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int WindowSplit = 57653;
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int ContextHelp = 57670;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
// Tools > Edit Rules: opens the rule file in use as a document.
constexpr int ToolsEditRules = 32831;

constexpr int RecentFileCount = 6;

}  // namespace velmor::gui::id

namespace velmor::gui {

struct CommandText {
    QString menuText;  // with its & mnemonic; empty for a toolbar-only button
    QString prompt;    // the status-bar text
    QString toolTip;   // the short name a tool tip shows
};

// The texts of a command, framework or program; empty texts for unknown ids.
CommandText commandText(int id);

// Button ids of each toolbar in order, 0 for a separator.
std::span<const int> mainToolbarButtons();
std::span<const int> functionsToolbarButtons();
std::span<const int> groupRelationsToolbarButtons();

}  // namespace velmor::gui
