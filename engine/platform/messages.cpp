#include "platform/messages.h"

#include <atomic>
#include <cstdio>

#include "platform/escape.h"

namespace tovimat {

namespace {

std::string beepLine(UINT code) { return "! beep " + std::to_string(code) + "\n"; }

std::string messageLine(const std::string& caption, const std::string& text) {
    return "! message \"" + escapeBytes(caption) + "\" \"" + escapeBytes(text) + "\"\n";
}

std::string statusLine(const std::string& text) { return "! status \"" + escapeBytes(text) + "\"\n"; }

std::string orEmpty(const char* s) { return s ? std::string(s) : std::string(); }

class StderrSink final : public MessageSink {
public:
    void beep(UINT code) override { std::fputs(beepLine(code).c_str(), stderr); }
    int messageBox(const char* text, const char* caption, UINT) override {
        std::fputs(messageLine(orEmpty(caption), orEmpty(text)).c_str(), stderr);
        return IDOK;
    }
    void status(const char* text) override { std::fputs(statusLine(orEmpty(text)).c_str(), stderr); }
};

// Never destroyed, so beeps from static destructors still have somewhere to go.
MessageSink* defaultSink() {
    static MessageSink* const sink = new StderrSink();
    return sink;
}

std::atomic<MessageSink*> installed{nullptr};

}  // namespace

MessageSink* setMessageSink(MessageSink* sink) {
    MessageSink* previous = installed.exchange(sink);
    return previous ? previous : defaultSink();
}

MessageSink* messageSink() {
    MessageSink* sink = installed.load();
    return sink ? sink : defaultSink();
}

void MessageBeep(UINT code) { messageSink()->beep(code); }

int MessageBoxA(void* /*owner*/, const char* text, const char* caption, UINT style) {
    return messageSink()->messageBox(text, caption, style);
}

void SetMessageText(const char* text) { messageSink()->status(text); }

// ---------------------------------------------------------------------------
// MessageRecorder

MessageRecorder::MessageRecorder() : previous_(setMessageSink(this)) {}

MessageRecorder::~MessageRecorder() { setMessageSink(previous_); }

void MessageRecorder::beep(UINT code) { events_.push_back(MessageEvent{MessageEvent::Beep, code, {}, {}}); }

int MessageRecorder::messageBox(const char* text, const char* caption, UINT style) {
    events_.push_back(MessageEvent{MessageEvent::Box, style, orEmpty(text), orEmpty(caption)});
    return IDOK;
}

void MessageRecorder::status(const char* text) {
    events_.push_back(MessageEvent{MessageEvent::Status, 0, orEmpty(text), {}});
}

int MessageRecorder::beeps() const {
    int n = 0;
    for (const auto& e : events_) n += e.kind == MessageEvent::Beep;
    return n;
}

int MessageRecorder::boxes() const {
    int n = 0;
    for (const auto& e : events_) n += e.kind == MessageEvent::Box;
    return n;
}

std::string MessageRecorder::log() const {
    std::string out;
    for (const auto& e : events_) {
        switch (e.kind) {
            case MessageEvent::Beep:
                out += beepLine(e.code);
                break;
            case MessageEvent::Box:
                out += messageLine(e.caption, e.text);
                break;
            case MessageEvent::Status:
                out += statusLine(e.text);
                break;
        }
    }
    return out;
}

}  // namespace tovimat
