// Linear text of an expression tree, the way one would type it on one line:
// "3 + 4 = 7", "sin x", "a / (b + c)", "x^2". Texts come out in UTF-8.
#pragma once

#include <string>

namespace tovimat {
class container;
class nucleo;
}  // namespace tovimat

namespace velmor {

// One node and everything below it.
std::string linearText(const tovimat::nucleo& n);

// The same with the caret's place in it: caretOffset receives the byte offset
// in the text where the caret, at caretIndex in caretNode, stands; -1 when
// caretNode is not n or below it.
std::string linearText(const tovimat::nucleo& n, const tovimat::nucleo* caretNode, int caretIndex,
                       int* caretOffset);

// Every line (member) of a document's root container, each followed by a
// newline.
std::string linearLines(const tovimat::container& base);

}  // namespace velmor
