#include "support/headless_host.h"

#include <algorithm>

#include "platform/messages.h"
#include "store/stream.h"

using namespace tovimat;

namespace velmor::support {

HeadlessHost::HeadlessHost(container* base) : protocol(base) {}

void HeadlessHost::createCaret(int w, int h) {
    caretWidth = w;
    caretHeight = h;
}

int HeadlessHost::message(const char* text, const char* caption, UINT style) {
    return MessageBoxA(nullptr, text, caption, style);
}

void HeadlessHost::measureOn(nucleo* n) {
    NominalDC measuring;
    n->measure(&measuring);
}

void HeadlessHost::updateOn(nucleo* n) {
    NominalDC measuring;
    n->update(&measuring);
}

void HeadlessHost::remeasureOn(nucleo* n) {
    NominalDC measuring;
    n->remeasure(&measuring);
}

void HeadlessHost::caretAt(nucleo* n, int index) {
    NominalDC measuring;
    SelectObject(&measuring, n->getFont());
    SIZE size{0, 0};
    GetTextExtentPoint32A(&measuring, n->getText(), std::min(index, n->getLen()), &size);
    n->focusAt(index, size.cx);
}

void HeadlessHost::reset(container* fresh) {
    selected.clear();
    focus = nullptr;
    index = 0;
    delete releaseBase();
    base = fresh;
    if (base) {
        base->setRoot(this);
        base->setReadOnly(true);
    }
    rubberBand = aRect();
    modified = true;
    caretShown = false;
    caretWidth = caretHeight = 0;
    caretPos = POINT{0, 0};
    invalidations = focusFrames = 0;
}

void HeadlessHost::type(int vk, int ch) {
    if (focus && focus->putKey(vk))
        if (focus) focus->putChar(ch);
}

nucleo* HeadlessHost::add(nucleo* line) {
    base->linkLast(line);
    return line;
}

nucleo* HeadlessHost::calculate(nucleo* n) {
    focus = n;
    results r = n->calculate();
    if (r.changes == 0) {
        r.value.reset();
        r = static_cast<container*>(n)->distribute();
    }
    chkPass(r);
    focus = nullptr;
    return base->last();
}

std::vector<std::uint8_t> HeadlessHost::bytes() {
    int y = 10;
    for (nucleo* m = base->first(); m && m->chained(); m = m->next()) {
        remeasureOn(m);
        m->moveTo(20, y, false);
        y = m->bottom() + 12;
    }
    remeasureOn(base);
    focus = nullptr;
    memStor out;
    save(out);
    return out.bytes();
}

}  // namespace velmor::support
