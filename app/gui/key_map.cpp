#include "key_map.h"

#include <QList>

#include "platform/codepages.h"
#include "platform/vkeys.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

constexpr int VK_F1 = 0x70;
constexpr int VK_NUMPAD0 = 0x60;

// Keys that send a key-down whatever text comes with them, and the control
// character that the keyboard types after some of them.
struct NamedKey {
    int qtKey;
    int vk;
    int character;
};

constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Backspace, VK_BACK, 8}, {Qt::Key_Return, VK_RETURN, 13}, {Qt::Key_Enter, VK_RETURN, 13},
    {Qt::Key_Tab, VK_TAB, 9},        {Qt::Key_Backtab, VK_TAB, 9},    {Qt::Key_Escape, VK_ESCAPE, 27},
    {Qt::Key_Delete, VK_DELETE, -1}, {Qt::Key_Insert, VK_INSERT, -1}, {Qt::Key_Left, VK_LEFT, -1},
    {Qt::Key_Right, VK_RIGHT, -1},   {Qt::Key_Up, VK_UP, -1},         {Qt::Key_Down, VK_DOWN, -1},
    {Qt::Key_Home, VK_HOME, -1},     {Qt::Key_End, VK_END, -1},       {Qt::Key_PageUp, VK_PRIOR, -1},
    {Qt::Key_PageDown, VK_NEXT, -1}, {Qt::Key_Clear, 0x0C, -1},
};

bool isModifierKey(int k) {
    switch (k) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
        case Qt::Key_Mode_switch:
        case Qt::Key_Dead_Grave:
        case Qt::Key_Dead_Acute:
        case Qt::Key_Dead_Circumflex:
        case Qt::Key_Dead_Tilde:
        case Qt::Key_Dead_Diaeresis:
        case Qt::Key_Dead_Cedilla:
            return true;
        default:
            return false;
    }
}

// The key of a letter or digit as Qt names it, for presses whose text says
// nothing (Control held) or a character no US key types.
int letterOrDigitKey(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    return 0;
}

// The keypad's own codes, when Num Lock makes it type.
int keypadKey(char32_t c) {
    if (c >= '0' && c <= '9') return VK_NUMPAD0 + int(c - '0');
    switch (c) {
        case '*':
            return VK_MULTIPLY;
        case '+':
            return VK_ADD;
        case '-':
            return VK_SUBTRACT;
        case '.':
        case ',':
            return VK_DECIMAL;
        case '/':
            return VK_DIVIDE;
        default:
            return 0;
    }
}

// Appends a stroke for each character of text; characters without a
// Windows-1252 byte set the beep.
void typeText(const QString& text, TranslatedKey& out) {
    for (char32_t cp : text.toUcs4()) {
        const int byte = unicodeToCp1252(cp);
        if (byte < 0) {
            out.beep = true;
            continue;
        }
        if (byte < 0x20 && byte != 8 && byte != 13) continue;
        out.strokes.push_back(KeyStroke{keyForChar(static_cast<unsigned char>(byte)).vk, byte});
    }
}

}  // namespace

TranslatedKey translateKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    TranslatedKey out;
    if (isModifierKey(qtKey)) return out;
    // Alt with a key belongs to the menus; what they leave reaches no window.
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier)) return out;

    for (const NamedKey& k : kNamedKeys) {
        if (k.qtKey != qtKey) continue;
        out.strokes.push_back(KeyStroke{k.vk, k.character});
        return out;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        out.strokes.push_back(KeyStroke{VK_F1 + (qtKey - Qt::Key_F1), -1});
        return out;
    }

    const std::vector<char32_t> chars = [&] {
        const QList<uint> ucs = text.toUcs4();
        return std::vector<char32_t>(ucs.begin(), ucs.end());
    }();
    // Control characters (Control with a letter) are not typed: the key-down
    // alone reaches the view.
    if (chars.empty() || (chars.size() == 1 && chars[0] < 0x20)) {
        if (int vk = letterOrDigitKey(qtKey)) out.strokes.push_back(KeyStroke{vk, -1});
        return out;
    }
    if (chars.size() > 1) return translateText(text);

    const int byte = unicodeToCp1252(chars[0]);
    if (byte < 0) {
        out.beep = true;
        return out;
    }
    int vk = 0;
    if (modifiers & Qt::KeypadModifier) vk = keypadKey(chars[0]);
    if (vk == 0) vk = keyForChar(static_cast<unsigned char>(byte)).vk;
    if (vk == 0) vk = letterOrDigitKey(qtKey);
    out.strokes.push_back(KeyStroke{vk, byte});
    return out;
}

TranslatedKey translateText(const QString& text) {
    TranslatedKey out;
    typeText(text, out);
    return out;
}

}  // namespace velmor::gui
