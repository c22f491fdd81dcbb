#include "text/node_text.h"

#include "model/nucleo.h"
#include "platform/codepages.h"
#include "platform/gdi.h"

namespace tovimat {

std::string utf8TextOf(const nucleo& node, int n) {
    const HFONT font = node.getFont();
    const bool symbol = font && isSymbolFace(font->logfont().lfFaceName);
    return symbol ? symbolToUtf8(node.getText(), n) : cp1252ToUtf8(node.getText(), n);
}

std::string utf8TextOf(const nucleo& node) { return utf8TextOf(node, node.getLen()); }

}  // namespace tovimat
