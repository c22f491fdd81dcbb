#include "core/velmor_protocol.h"

#include "core/velmor_doc.h"
#include "platform/messages.h"

using namespace tovimat;

CVelmorProtocol::CVelmorProtocol(CVelmorDoc* owner, container* base) : protocol(base), owner_(owner) {}

CVelmorProtocol::~CVelmorProtocol() = default;

selection& CVelmorProtocol::sharedSelection() {
    static selection shared;
    return shared;
}

// The document has no view yet: nothing is drawn, no caret exists, and
// nothing can be measured without a device context.
void CVelmorProtocol::invalidate(nucleo*) {}
void CVelmorProtocol::createCaret(int, int) {}
void CVelmorProtocol::setCaretPos(int, int) {}
void CVelmorProtocol::hideCaret() {}
void CVelmorProtocol::showCaret() {}
void CVelmorProtocol::drawFocusFrame(nucleo*) {}
void CVelmorProtocol::measureOn(nucleo*) {}
void CVelmorProtocol::updateOn(nucleo*) {}
void CVelmorProtocol::remeasureOn(nucleo*) {}
void CVelmorProtocol::caretAt(nucleo*, int) {}
bool CVelmorProtocol::clickOn(nucleo*, aPoint&) { return false; }
void CVelmorProtocol::setFocused(nucleo*) {}
int CVelmorProtocol::caretIndex() { return 0; }
nucleo* CVelmorProtocol::focused() { return nullptr; }
int* CVelmorProtocol::caretIndexRef() { return nullptr; }
aRect* CVelmorProtocol::selectionRect() { return nullptr; }

void CVelmorProtocol::setModified(bool modified) {
    if (owner_) owner_->setModifiedFlag(modified);
}

int CVelmorProtocol::message(const char* text, const char* caption, UINT style) {
    return MessageBoxA(nullptr, text, caption, style);
}

selection* CVelmorProtocol::selectionList() { return &sharedSelection(); }
