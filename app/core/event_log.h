// The event log of velmor-cli: every beep and message box the program shows,
// and every command a script asked for while it was disabled, one line each
// in the order they happened:
//
//   ! beep 0
//   ! message "Error opening file" "rules.vlm: not a Velmor document"
//   ! disabled Calculate
//   ! status "Cannot calculate: division by zero"
//
// Texts are written byte by byte as escapeBytes writes them.
#pragma once

#include <string>
#include <string_view>

#include "platform/messages.h"

namespace velmor {

// Receives the beeps, message boxes and status lines of the whole process while it exists,
// then gives them back to the sink that was there before.
class EventLog : public tovimat::MessageSink {
public:
    EventLog();
    ~EventLog() override;
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    void beep(tovimat::UINT code) override;
    // Answers OK, as a user who reads the message and closes it.
    int messageBox(const char* text, const char* caption, tovimat::UINT style) override;
    // The line the desktop program shows in its status bar.
    void status(const char* text) override;
    void disabled(std::string_view commandName);

    const std::string& text() const { return text_; }

private:
    tovimat::MessageSink* previous_;
    std::string text_;
};

}  // namespace velmor
