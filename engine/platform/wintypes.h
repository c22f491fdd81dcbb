// Value types of the drawing platform the engine was designed against, with
// the platform's exact memory layouts: document files store LOGFONT byte for
// byte, so its size and field offsets are checked at compile time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovimat {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using COLORREF = std::uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTA;

static_assert(sizeof(POINT) == 8 && sizeof(SIZE) == 8 && sizeof(RECT) == 16,
              "geometry records must match the platform layout");
static_assert(sizeof(LOGFONTA) == 60, "LOGFONT is stored byte for byte: it must be 60 bytes");
static_assert(offsetof(LOGFONTA, lfHeight) == 0 && offsetof(LOGFONTA, lfWidth) == 4 &&
                  offsetof(LOGFONTA, lfEscapement) == 8 && offsetof(LOGFONTA, lfOrientation) == 12 &&
                  offsetof(LOGFONTA, lfWeight) == 16,
              "LOGFONT integer fields out of place");
static_assert(offsetof(LOGFONTA, lfItalic) == 20 && offsetof(LOGFONTA, lfUnderline) == 21 &&
                  offsetof(LOGFONTA, lfStrikeOut) == 22 && offsetof(LOGFONTA, lfCharSet) == 23 &&
                  offsetof(LOGFONTA, lfOutPrecision) == 24 && offsetof(LOGFONTA, lfClipPrecision) == 25 &&
                  offsetof(LOGFONTA, lfQuality) == 26 && offsetof(LOGFONTA, lfPitchAndFamily) == 27,
              "LOGFONT byte fields out of place");
static_assert(offsetof(LOGFONTA, lfFaceName) == 28, "LOGFONT face name out of place");

// Font weights and pitch/family values the engine uses.
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE FF_DECORATIVE_DEFAULT_PITCH = 0x50;

}  // namespace tovimat
