// Beeps and message boxes. The engine calls MessageBeep and MessageBoxA; both
// go to one installable process-wide sink: the desktop program shows dialogs,
// velmor-cli logs, tests record.
#pragma once

#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace tovimat {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;  // the error icon, style 16
constexpr UINT MB_ICONHAND = MB_ICONERROR;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr int IDOK = 1;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void beep(UINT code) = 0;
    virtual int messageBox(const char* text, const char* caption, UINT style) = 0;
    // A line for the status bar of the program's frame, shown until the
    // next one; a sink without a status bar lets it go.
    virtual void status(const char* /*text*/) {}
};

// Installs a sink and answers the previous one. Null restores the default
// sink, which writes one line per event to standard error.
MessageSink* setMessageSink(MessageSink* sink);
MessageSink* messageSink();

void MessageBeep(UINT code);
int MessageBoxA(void* owner, const char* text, const char* caption, UINT style);
// Shows text in the status bar, as the framework's frame window does.
void SetMessageText(const char* text);

// One recorded beep or message box.
struct MessageEvent {
    enum Kind { Beep, Box, Status } kind;
    UINT code;  // the beep code, or the box style
    std::string text;
    std::string caption;
    bool operator==(const MessageEvent&) const = default;
};

// Records every event; installs itself for its lifetime and restores the
// previous sink when destroyed.
class MessageRecorder : public MessageSink {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void beep(UINT code) override;
    int messageBox(const char* text, const char* caption, UINT style) override;
    void status(const char* text) override;

    const std::vector<MessageEvent>& events() const { return events_; }
    void clear() { events_.clear(); }
    int beeps() const;
    int boxes() const;

    // The log format of velmor-cli: `! beep N` / `! message "CAPTION" "TEXT"` /
    // `! status "TEXT"`, one line per event.
    std::string log() const;

private:
    MessageSink* previous_;
    std::vector<MessageEvent> events_;
};

}  // namespace tovimat
