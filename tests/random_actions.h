// Random actions of the whole program core for the random session tests:
// typing, editing keys, clicks and drags with modifiers, and commands, each
// as velmor-cli's script language writes it, so that a failing history can
// be played again with `velmor-cli run`.
#pragma once

#include <iterator>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "core/commands.h"
#include "core/script.h"
#include "platform/vkeys.h"

namespace tovimat::testing {

// What a session draws from. Of every ten actions, two are mouse actions,
// one a command, keySlots editing keys and the rest typed characters.
struct ActionMix {
    std::string_view chars;
    std::span<const char* const> commands;
    int keySlots = 1;
    bool alt = true;          // Alt drags share the dragged values
    bool rightButton = true;  // a right button held at the release
};

inline velmor::ScriptAction randomAction(std::mt19937& rng, const ActionMix& mix) {
    using velmor::ScriptAction;
    static const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_DELETE, VK_BACK};
    ScriptAction a;
    auto point = [&] { return POINT{LONG(rng() % 160), LONG(rng() % 120)}; };
    const unsigned slot = rng() % 10;
    if (slot < 2) {
        a.kind = ScriptAction::Mouse;
        a.press = true;
        a.points = {point()};
        if (rng() % 2) a.points.push_back(point());  // a drag
        const unsigned m = rng() % 8;
        if (m == 1) a.modifiers = velmor::MK_CONTROL;
        if (m == 2) a.modifiers = velmor::MK_SHIFT;
        if (mix.alt && (m == 4 || m == 5)) a.modifiers = velmor::MK_ALT;
        a.rightAtRelease = mix.rightButton && m == 3;
    } else if (slot == 2) {
        a.kind = ScriptAction::Command;
        a.word = mix.commands[rng() % mix.commands.size()];
        const velmor::cmd::Command* c = velmor::cmd::findCommand(a.word);
        if (!c) c = velmor::cmd::findEditCommand(a.word);
        a.command = c->id;
    } else if (slot < 3u + unsigned(mix.keySlots)) {
        a.kind = ScriptAction::Key;
        a.key = keys[rng() % std::size(keys)];
    } else {
        unsigned char c = mix.chars[rng() % mix.chars.size()];
        a.kind = ScriptAction::Type;
        a.character = c;
        a.key = c == '\r' ? VK_RETURN : keyForChar(c).vk;
    }
    return a;
}

inline std::string scriptOf(const velmor::ScriptAction& a) {
    using velmor::ScriptAction;
    switch (a.kind) {
        case ScriptAction::Type:
            if (a.character == '\r') return "{Enter}";
            if (a.character == '{') return "{{";
            return std::string(1, char(a.character));
        case ScriptAction::Key: {
            static const std::pair<int, const char*> names[] = {
                {VK_LEFT, "Left"}, {VK_RIGHT, "Right"}, {VK_UP, "Up"},      {VK_DOWN, "Down"},
                {VK_HOME, "Home"}, {VK_END, "End"},     {VK_DELETE, "Del"}, {VK_BACK, "Back"}};
            for (auto [key, name] : names)
                if (key == a.key) return std::string("{") + name + "}";
            return "{?}";
        }
        case ScriptAction::Mouse: {
            std::string out = a.points.size() == 2 ? "{Drag" : "{Click";
            for (const POINT& p : a.points) out += " " + std::to_string(p.x) + " " + std::to_string(p.y);
            if (a.modifiers & velmor::MK_CONTROL) out += " ctrl";
            if (a.modifiers & velmor::MK_SHIFT) out += " shift";
            if (a.modifiers & velmor::MK_ALT) out += " alt";
            if (a.rightAtRelease) out += " right";
            return out + "}";
        }
        default:
            return "{" + a.word + "}";
    }
}

}  // namespace tovimat::testing
