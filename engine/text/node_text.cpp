#include "text/node_text.h"

#include <algorithm>

#include "model/nucleo.h"
#include "platform/codepages.h"
#include "platform/gdi.h"

namespace tovimat {

namespace {

bool inSymbolFace(const nucleo& node) {
    const HFONT font = node.getFont();
    return font && isSymbolFace(font->logfont().lfFaceName);
}

}  // namespace

std::string utf8TextOf(const nucleo& node, int n) {
    return inSymbolFace(node) ? symbolToUtf8(node.getText(), n) : cp1252ToUtf8(node.getText(), n);
}

std::string utf8TextOf(const nucleo& node) { return utf8TextOf(node, node.getLen()); }

void appendUtf8TextOf(std::string& out, const nucleo& node) {
    const char* text = node.getText();
    const int n = node.getLen();
    // Plain ASCII reads the same in every face but Symbol.
    const bool ascii = text && n > 0 && std::all_of(text, text + n, [](char c) { return (c & 0x80) == 0; });
    if (ascii && !inSymbolFace(node))
        out.append(text, size_t(n));
    else if (n > 0)
        out += utf8TextOf(node, n);
}

}  // namespace tovimat
