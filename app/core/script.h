// The scripts of velmor-cli and the headless session that plays them.
//
// A script is typed text with commands in braces:
//
//   {Click 10 10}2x{Left}{Back}{Calculate}
//
// Every character other than "{" is typed: a key-down with its virtual-key
// code, then the character when the focused node passes the key on. "{{"
// types "{". Inside braces, whitespace separates words; the tokens are
//
//   {Enter} {Back}                         the key, then its character when passed on
//   {Del} {Left} {Right} {Up} {Down} {Home} {End}   the key only
//   {Click X Y [mods]}                     move, left button down and up at (X, Y)
//   {Drag X1 Y1 X2 Y2 [mods]}              move, down at (X1, Y1), move, up at (X2, Y2)
//   {Move X Y}                             a mouse move
//       mods: ctrl shift alt (held), right (right button held at the release)
//   {NewItemTool} {EditTool} {SelectorTool}
//   {Calculate} {CalculateAll} {Simplify} {TestRule} {UseConstants}
//   {True} {False} {+Infinity} {-Infinity}
//   {sin} {cos} {tan} {asin} {acos} {atan} {log} {root} {power}
//   {intersection} {union} {contains} {notContain} {contained} {belongs} {notBelong}
//   {Font FACE HEIGHT [bold] [italic]}     the Font command with that font
//   {Save FILE}                            saves the document
//   {Undo} {Redo} {Cut} {Copy} {Paste} {SelectAll}   the Edit commands; the
//                                          clipboard is the process's own
//   {PasteText TEXT}                       Paste with TEXT (the rest of the
//                                          token after the first space) read
//                                          as linear text
//
// Points are document coordinates. A script is UTF-8 text (anything else is
// malformed); every character is typed as its Windows-1252 byte, and one
// that has none is refused with a beep, as the keyboard of the desktop
// program refuses it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/event_log.h"
#include "core/headless_window.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"

namespace velmor {

struct ScriptAction {
    enum Kind {
        Type,     // a character: key-down, then the character when passed on
        Key,      // a key-down only
        Mouse,    // Click, Drag or Move
        Command,  // a command by id
        Font,     // the Font command
        Save,     // saves the document
        Refused,  // a character without a Windows-1252 byte: a beep, nothing typed
        PasteText,  // Paste as if the clipboard held the text in word
    };
    Kind kind = Type;
    int key = 0;        // Type, Key: the virtual-key code
    int character = 0;  // Type: the character byte; Refused: the character's code point
    // Mouse: the points, one for Click and Move, two for Drag.
    std::vector<tovimat::POINT> points;
    bool press = false;           // Mouse: a Click or Drag, not a plain Move
    tovimat::UINT modifiers = 0;  // Mouse: MK_CONTROL, MK_SHIFT, MK_ALT
    bool rightAtRelease = false;  // Mouse: the right button held at the release
    int command = 0;              // Command: the id
    std::string word;             // Command: the name as written; Font: the face; Save: the file
    int height = 0;               // Font
    bool bold = false, italic = false;
};

// Reads a script file: the script as it is typed, without the newline that
// ends the file's last line. False when the file cannot be read.
bool readScriptFile(const std::string& path, std::string& script);

// Parses a script; on a malformed script answers false with a one-line
// reason in error.
bool parseScript(std::string_view text, std::vector<ScriptAction>& actions, std::string& error);
// Reads a script one action at a time, handing each to visit in order; stops
// when visit answers false. False on a malformed script (with the reason in
// error) or when visit stopped the reading.
bool forEachScriptAction(std::string_view text, const std::function<bool(const ScriptAction&)>& visit,
                         std::string& error);

// A document in a headless view, with the event log of everything it shows.
// Starts like the desktop program: the new-item tool active, nothing
// selected, the view holding the keyboard focus.
class HeadlessSession {
public:
    HeadlessSession();
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    void newDocument();
    // Opens a document file, "-" standard input. False when the file cannot
    // be read, its header is refused, or its records broke off (the
    // document is then the empty stand-in); error() names the file and why.
    bool open(const std::string& path);
    // Replaces the file with the document; false (see error()) leaves the
    // file as it was.
    bool save(const std::string& path);
    // Why the last open or save failed.
    const std::string& error() const { return error_; }
    // Plays the actions; false (with error) when a Save fails.
    bool play(const std::vector<ScriptAction>& actions, std::string& error);
    // Plays a well-formed script as it is read, without holding its actions.
    bool play(std::string_view script, std::string& error);
    void play(const ScriptAction& action);

    // Types one character the way a keyboard does.
    void type(unsigned char c);
    void click(tovimat::POINT docPoint);

    // The event log, then the tree.
    // steps: each step's line tells what made it.
    std::string output(bool geometry, bool steps = false) const;

    EventLog& log() { return log_; }
    CVelmorDoc& doc() { return doc_; }
    CHeadlessWindow& window() { return window_; }
    CVelmorView& view() { return *view_; }

private:
    void start();
    void mouse(const ScriptAction& a);
    bool playChecked(const ScriptAction& a, std::string& error);
    tovimat::POINT toClient(tovimat::POINT docPoint) const;

    EventLog log_;
    std::string error_;
    CVelmorDoc doc_;
    CHeadlessWindow window_;
    std::unique_ptr<CVelmorView> view_;
};

struct RunOptions {
    std::string openPath;  // empty: a new document
    bool geometry = false;
    bool steps = false;  // the dump tells what made each step
    std::string savePath;  // empty: not saved
    std::string script;
};

struct RunResult {
    int exitCode = 0;
    std::string out;    // the event log and the dump
    std::string error;  // one line for standard error, when the run failed
};

// velmor-cli run: plays the script on a new or opened document, saves when
// asked, and answers the event log and the dump.
RunResult runScript(const RunOptions& options);

// velmor-cli dump: opens the file and answers the event log and the dump.
RunResult dumpFile(const std::string& path, bool geometry, bool steps = false);

// velmor-cli calc: reads the text as a formula on one line, places it as a
// new item, calculates until a step changes nothing and answers the
// document's lines in linear form; the event log goes to error. Text that is
// not a formula: exit code 2 and the column in error.
RunResult calculateText(const std::string& text);

}  // namespace velmor
