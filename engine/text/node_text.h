// The text a node holds, in UTF-8: its bytes read in the encoding of its
// face (the Symbol face has one of its own; every other face is
// Windows-1252). Every writer of a text form reads leaves through it.
#pragma once

#include <string>

namespace tovimat {

class nucleo;

// The first n bytes of the node's own text.
std::string utf8TextOf(const nucleo& node, int n);
// All of the node's own text.
std::string utf8TextOf(const nucleo& node);
// The same, at the end of out.
void appendUtf8TextOf(std::string& out, const nucleo& node);

}  // namespace tovimat
