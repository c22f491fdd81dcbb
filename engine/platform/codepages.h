// Byte-to-Unicode tables for the two 8-bit encodings that texts use: the
// Windows-1252 code page for ordinary faces and the Adobe Symbol encoding for
// the face "SYMBOL". Backends convert only when they measure or draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovimat {

// Unicode code point of a Windows-1252 byte; bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+FFFD.
char32_t cp1252ToUnicode(unsigned char byte);

// Unicode code point of an Adobe Symbol byte (0xD7 is U+22C5 DOT OPERATOR,
// 0xA5 U+221E, 0xB1 U+00B1...); unassigned bytes map to U+FFFD.
char32_t symbolToUnicode(unsigned char byte);

// The Windows-1252 byte for a code point, or -1 when the code page has none.
int unicodeToCp1252(char32_t cp);

// Length (1 to 4) of the well-formed UTF-8 sequence at the start of s (n
// bytes), whose code point goes to cp; 0 when the bytes there are not UTF-8
// (a stray continuation byte, a sequence cut short, an overlong form, a
// surrogate, a code point beyond U+10FFFF).
int utf8Sequence(const char* s, size_t n, char32_t& cp);

// UTF-8 text of n bytes in the given encoding.
std::string cp1252ToUtf8(const char* bytes, int n);
std::string symbolToUtf8(const char* bytes, int n);
// Windows-1252 bytes of UTF-8 text: '?' for a character the code page lacks
// and for each byte that is not UTF-8.
std::string utf8ToCp1252(const std::string& utf8);

}  // namespace tovimat
