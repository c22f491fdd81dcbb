// From Qt key events to what the view expects: a key-down with the
// virtual-key code that a US keyboard gives for the key, then the typed
// character as a Windows-1252 byte. A printable key is never sent as its
// character's own code ('(' is key 9 with Shift, '.' is VK_OEM_PERIOD).
#pragma once

#include <QString>
#include <Qt>
#include <vector>

namespace velmor::gui {

struct KeyStroke {
    int vk = 0;          // the virtual-key code of the key-down
    int character = -1;  // the character that follows when the key is passed on; -1: none
    bool operator==(const KeyStroke&) const = default;
};

struct TranslatedKey {
    std::vector<KeyStroke> strokes;
    // Part of the text has no Windows-1252 byte: it is not typed, and the
    // keyboard beeps instead.
    bool beep = false;
};

// A key press as Qt reports it. Modifier keys alone, keys pressed with Alt
// and keys the view has no use for give no stroke.
TranslatedKey translateKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// Text committed by an input method or a compose sequence, typed character
// by character as a keyboard would.
TranslatedKey translateText(const QString& text);

}  // namespace velmor::gui
