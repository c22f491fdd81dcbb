// Beeps, message boxes and status lines of the whole program. The engine,
// the program core and the frames all call MessageBeep, MessageBoxA and
// SetMessageText; the desktop program answers them with QApplication::beep,
// QMessageBox and the main window's status bar. Tests install a sink
// of their own and answer the questions themselves.
#pragma once

#include <QByteArray>

#include "platform/messages.h"

namespace velmor::gui {

// Button sets and answers beyond what the engine uses, for the program's own
// questions (save changes?).
constexpr tovimat::UINT MB_OKCANCEL = 0x1;
constexpr tovimat::UINT MB_YESNOCANCEL = 0x3;
constexpr tovimat::UINT MB_YESNO = 0x4;
constexpr tovimat::UINT MB_ICONQUESTION = 0x20;
constexpr tovimat::UINT MB_ICONEXCLAMATION = 0x30;
constexpr tovimat::UINT MB_ICONINFORMATION = 0x40;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The program's caption for its own messages.
constexpr const char* kAppCaption = "Velmor";

class CQtMessageSink : public tovimat::MessageSink {
public:
    // Installs itself; the previous sink comes back when it is destroyed.
    CQtMessageSink();
    ~CQtMessageSink() override;
    CQtMessageSink(const CQtMessageSink&) = delete;
    CQtMessageSink& operator=(const CQtMessageSink&) = delete;

    void beep(tovimat::UINT code) override;
    // Texts are Windows-1252 bytes, lines separated by "\r\n" or "\n".
    int messageBox(const char* text, const char* caption, tovimat::UINT style) override;
    // In the status bar of the active main window, or of the first one.
    void status(const char* text) override;

private:
    tovimat::MessageSink* previous_;
};

// The sink of the modes that run without a window (velmor --export,
// --save-as): a message becomes one line "velmor: warning: TEXT" on
// standard error; beeps and status lines are left out.
class CWarningSink : public tovimat::MessageSink {
public:
    CWarningSink();
    ~CWarningSink() override;
    CWarningSink(const CWarningSink&) = delete;
    CWarningSink& operator=(const CWarningSink&) = delete;

    void beep(tovimat::UINT) override {}
    int messageBox(const char* text, const char* caption, tovimat::UINT style) override;
    void status(const char*) override {}

    // The warning line for a message's text (Windows-1252 bytes), in UTF-8
    // with its lines joined.
    static QByteArray warningLine(const char* text);

private:
    tovimat::MessageSink* previous_;
};

// A question through the process's sink: answers IDYES, IDNO or IDCANCEL.
int ask(const char* text, tovimat::UINT style = MB_YESNOCANCEL | MB_ICONEXCLAMATION);

}  // namespace velmor::gui
