// Printable form of raw bytes, used wherever the engine writes text bytes into
// a line-oriented log or dump: printable ASCII stays as it is, `"` and `\` get
// a backslash, and every other byte becomes `\x` and two lowercase hex digits.
#pragma once

#include <string>

namespace tovimat {

std::string escapeBytes(const char* p, int n);
std::string escapeBytes(const std::string& s);

}  // namespace tovimat
