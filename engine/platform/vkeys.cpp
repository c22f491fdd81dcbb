#include "platform/vkeys.h"

namespace tovimat {

namespace {

// Punctuation on the US layout: the unshifted and shifted character of each
// key. Digits are handled separately.
struct OemKey {
    char plain, shifted;
    int vk;
};
constexpr OemKey kOemKeys[] = {
    {';', ':', VK_OEM_1},      {'=', '+', VK_OEM_PLUS}, {',', '<', VK_OEM_COMMA}, {'-', '_', VK_OEM_MINUS},
    {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},    {'`', '~', VK_OEM_3},     {'[', '{', VK_OEM_4},
    {'\\', '|', VK_OEM_5},     {']', '}', VK_OEM_6},    {'\'', '"', VK_OEM_7},
};

// The shifted characters of the digit row, from '1' to '0'.
constexpr char kShiftedDigits[] = "!@#$%^&*()";

}  // namespace

KeyStroke keyForChar(unsigned char c) {
    if (c >= 'a' && c <= 'z') return {c - 'a' + 'A', false};
    if (c >= 'A' && c <= 'Z') return {int(c), true};
    if (c >= '0' && c <= '9') return {int(c), false};
    if (c == ' ') return {VK_SPACE, false};
    if (c == 8) return {VK_BACK, false};
    if (c == 13) return {VK_RETURN, false};
    for (int i = 0; i < 10; ++i) {
        if (c == static_cast<unsigned char>(kShiftedDigits[i])) return {i == 9 ? '0' : '1' + i, true};
    }
    for (const auto& k : kOemKeys) {
        if (c == static_cast<unsigned char>(k.plain)) return {k.vk, false};
        if (c == static_cast<unsigned char>(k.shifted)) return {k.vk, true};
    }
    return {0, false};
}

}  // namespace tovimat
