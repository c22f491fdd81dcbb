#include "core/event_log.h"

#include "platform/escape.h"

using namespace tovimat;

namespace velmor {

EventLog::EventLog() : previous_(setMessageSink(this)) {}

EventLog::~EventLog() { setMessageSink(previous_); }

void EventLog::beep(UINT code) { text_ += "! beep " + std::to_string(code) + "\n"; }

int EventLog::messageBox(const char* text, const char* caption, UINT) {
    text_ += "! message \"" + escapeBytes(caption ? caption : "") + "\" \"" + escapeBytes(text ? text : "") +
             "\"\n";
    return IDOK;
}

void EventLog::status(const char* text) { text_ += "! status \"" + escapeBytes(text ? text : "") + "\"\n"; }

void EventLog::disabled(std::string_view commandName) {
    text_ += "! disabled " + escapeBytes(std::string(commandName)) + "\n";
}

}  // namespace velmor
