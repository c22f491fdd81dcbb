// Feeds arbitrary bytes through the byte escaper and the code page
// converters, checking that each output is well formed and loses nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/codepages.h"
#include "platform/escape.h"
#include "platform/nominal_dc.h"

namespace {

using namespace tovimat;

void check(bool ok) {
    if (!ok) std::abort();
}

bool isLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
int hexValue(char c) { return c >= 'a' ? c - 'a' + 10 : c - '0'; }

// Inverse of escapeBytes; aborts on anything escapeBytes cannot produce.
std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        check(c >= 0x20 && c <= 0x7E);
        if (c != '\\') {
            check(c != '"');
            out += c;
            continue;
        }
        check(i + 1 < s.size());
        char e = s[++i];
        if (e == '"' || e == '\\') {
            out += e;
        } else {
            check(e == 'x' && i + 2 < s.size());
            char h = s[i + 1], l = s[i + 2];
            i += 2;
            check(isLowerHex(h) && isLowerHex(l));
            int byte = hexValue(h) * 16 + hexValue(l);
            check(byte < 0x20 || byte > 0x7E);  // printable bytes are never hex-escaped
            out += char(byte);
        }
    }
    return out;
}

// Decodes UTF-8, aborting on malformed input, and answers the code points.
std::u32string decodeUtf8(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80             ? 0
                    : (b & 0xE0) == 0xC0 ? 1
                    : (b & 0xF0) == 0xE0 ? 2
                    : (b & 0xF8) == 0xF0 ? 3
                                         : -1;
        check(extra >= 0 && i + size_t(extra) < s.size());
        char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(s[i + size_t(k)]);
            check((c & 0xC0) == 0x80);
            cp = (cp << 6) | (c & 0x3F);
        }
        static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        check(cp >= kMin[extra] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF));
        out += cp;
        i += size_t(extra) + 1;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    int n = int(size);

    check(unescape(escapeBytes(bytes, n)) == std::string(bytes, size));

    std::u32string latin = decodeUtf8(cp1252ToUtf8(bytes, n));
    std::u32string symbol = decodeUtf8(symbolToUtf8(bytes, n));
    check(latin.size() == size && symbol.size() == size);
    for (size_t i = 0; i < size; ++i) {
        check(latin[i] == cp1252ToUnicode(data[i]) && symbol[i] == symbolToUnicode(data[i]));
        int back = unicodeToCp1252(latin[i]);
        check(latin[i] == U'\uFFFD' ? back == -1 : back == data[i]);
    }

    NominalDC dc;
    SIZE s = dc.textExtent(bytes, n);
    check(s.cx == 8 * n && s.cy == 16);
    return 0;
}
