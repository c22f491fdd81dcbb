#include "platform/codepages.h"

#include <algorithm>

namespace tovimat {

namespace {

constexpr char32_t kNone = 0xFFFD;

// Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char32_t kCp1252High[32] = {
    0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kNone,  0x017D, kNone,   // 88
    kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178,  // 98
};

// Adobe Symbol encoding, bytes 0x20..0xFF. Where Adobe's published table uses
// private-use code points (the radical and bracket extension pieces, the
// serif and sans-serif copyright signs) the standard Unicode character of the
// same glyph is used instead, so any Unicode font can draw it. Delta, Omega and
// mu are the Greek letters, not the INCREMENT / OHM / MICRO signs, and the
// angle brackets are the mathematical ones (U+27E8, U+27E9).
// Bytes 0x7F..0x9F, 0xF0 and 0xFF are unassigned.
constexpr char32_t kSymbol[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B,  // 20
    0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,  // 28
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 30
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 38
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,  // 40
    0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,  // 48
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,  // 50
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,  // 58
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,  // 60
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,  // 68
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,  // 70
    0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, kNone,   // 78
    kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,   // 80
    kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,   // 88
    kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,   // 90
    kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,  kNone,   // 98
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,  // A0
    0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,  // A8
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,  // B0
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,  // B8
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,  // C0
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,  // C8
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,  // D0
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,  // D8
    0x25CA, 0x27E8, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,  // E0
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,  // E8
    kNone,  0x27E9, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,  // F0
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, kNone,   // F8
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

template <typename Map>
std::string toUtf8(const char* bytes, int n, Map map) {
    std::string out;
    if (!bytes || n <= 0) return out;
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) appendUtf8(out, map(static_cast<unsigned char>(bytes[i])));
    return out;
}

}  // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char32_t(byte);
}

char32_t symbolToUnicode(unsigned char byte) { return byte < 0x20 ? kNone : kSymbol[byte - 0x20]; }

int unicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    if (cp == kNone) return -1;
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == cp) return 0x80 + i;
    }
    return -1;
}

int utf8Sequence(const char* s, size_t n, char32_t& cp) {
    if (!s || n == 0) return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    const int length = b0 >= 0xC2 && b0 < 0xE0   ? 2
                       : b0 >= 0xE0 && b0 < 0xF0 ? 3
                       : b0 >= 0xF0 && b0 < 0xF5 ? 4
                                                 : 0;
    if (length == 0 || n < size_t(length)) return 0;
    char32_t value = b0 & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        value = (value << 6) | (b & 0x3F);
    }
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    cp = value;
    return length;
}

std::string cp1252ToUtf8(const char* bytes, int n) {
    // Plain ASCII, the usual text of a name or a number, is the same in both.
    if (bytes && n > 0 && std::all_of(bytes, bytes + n, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes, size_t(n));
    return toUtf8(bytes, n, cp1252ToUnicode);
}

std::string utf8ToCp1252(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const int n = utf8Sequence(utf8.data() + i, utf8.size() - i, cp);
        if (n <= 0) {
            out += '?';
            ++i;
            continue;
        }
        const int byte = unicodeToCp1252(cp);
        out += byte >= 0 ? char(byte) : '?';
        i += size_t(n);
    }
    return out;
}

std::string symbolToUtf8(const char* bytes, int n) { return toUtf8(bytes, n, symbolToUnicode); }

}  // namespace tovimat
