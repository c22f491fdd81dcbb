#include "platform/escape.h"

namespace tovimat {

std::string escapeBytes(const char* p, int n) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    if (!p || n <= 0) return out;
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(p[i]);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += char(b);
        } else if (b >= 0x20 && b <= 0x7E) {
            out += char(b);
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

std::string escapeBytes(const std::string& s) { return escapeBytes(s.data(), int(s.size())); }

}  // namespace tovimat
