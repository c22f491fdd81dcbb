#include "core/velmor_protocol.h"

#include <algorithm>

#include "core/line_table.h"
#include "platform/messages.h"

using namespace tovimat;

CVelmorProtocol::CVelmorProtocol(CDocSite* owner, container* base) : protocol(base), owner_(owner) {}

CVelmorProtocol::~CVelmorProtocol() = default;

selection& CVelmorProtocol::sharedSelection() {
    static selection shared;
    return shared;
}

void CVelmorProtocol::forgetView(CDocView* view) {
    if (activeView_ == view) activeView_ = nullptr;
}

CDocView* CVelmorProtocol::currentView() const {
    if (activeView_) return activeView_;
    if (owner_ && !owner_->views().empty()) return owner_->views().front();
    return nullptr;
}

// --- screen -------------------------------------------------------------------------------

void CVelmorProtocol::invalidate(nucleo* node) {
    // The root container's box follows its lines: a change of it alone
    // changes no line.
    if (owner_ && node != getBase()) owner_->lines().touched(node);
    if (owner_ && node) owner_->updateAllViews(velmor::hint::Invalidate, node);
}

void CVelmorProtocol::createCaret(int width, int height) {
    if (CDocView* v = currentView()) v->window().createSolidCaret(width, height);
}

void CVelmorProtocol::setCaretPos(int x, int y) {
    if (CDocView* v = currentView()) v->placeCaret(x, y);
}

void CVelmorProtocol::hideCaret() {
    if (CDocView* v = currentView()) v->window().hideCaret();
}

void CVelmorProtocol::showCaret() {
    if (CDocView* v = currentView()) v->window().showCaret();
}

void CVelmorProtocol::drawFocusFrame(nucleo* node) {
    if (owner_ && node) owner_->updateAllViews(velmor::hint::FocusFrame, node);
}

void CVelmorProtocol::setModified(bool modified) {
    if (owner_) owner_->setModifiedFlag(modified);
}

int CVelmorProtocol::message(const char* text, const char* caption, UINT style) {
    if (!currentView()) return 0;
    return MessageBoxA(nullptr, text, caption, style);
}

// --- measuring ---------------------------------------------------------------------------

template <typename Step>
void CVelmorProtocol::layoutOn(nucleo* node, Step step) {
    CDocView* v = currentView();
    if (!v || !node) return;
    CViewWindow& w = v->window();
    HDC dc = w.getDC();
    step(dc);
    w.releaseDC(dc);
    if (owner_) owner_->updateAllViews(velmor::hint::ScrollRange, node);
}

void CVelmorProtocol::measureOn(nucleo* node) {
    if (owner_) owner_->lines().touched(node);
    layoutOn(node, [node](HDC dc) { node->measure(dc); });
}

void CVelmorProtocol::updateOn(nucleo* node) {
    if (owner_) owner_->lines().touched(node);
    layoutOn(node, [node](HDC dc) { node->update(dc); });
}

void CVelmorProtocol::remeasureOn(nucleo* node) {
    if (owner_ && node == getBase()) owner_->lines().laidOutAll();
    if (owner_) owner_->lines().touched(node);
    layoutOn(node, [node](HDC dc) { node->remeasure(dc); });
}

void CVelmorProtocol::caretAt(nucleo* node, int index) {
    CDocView* v = currentView();
    if (!v || !node) return;
    CViewWindow& w = v->window();
    HDC dc = w.getDC();
    HGDIOBJ old = SelectObject(dc, node->getFont());
    SIZE extent{0, 0};
    const int n = std::clamp(index, 0, node->getLen());
    GetTextExtentPoint32A(dc, node->getText(), n, &extent);
    if (old) SelectObject(dc, old);
    w.releaseDC(dc);
    node->focusAt(index, extent.cx);
}

bool CVelmorProtocol::clickOn(nucleo* node, aPoint& point) {
    CDocView* v = currentView();
    if (!v || !node) return false;
    CViewWindow& w = v->window();
    HDC dc = w.getDC();
    bool handled = node->click(dc, point);
    w.releaseDC(dc);
    return handled;
}

// --- editing position -----------------------------------------------------------------------

selection* CVelmorProtocol::selectionList() { return currentView() ? &sharedSelection() : nullptr; }

void CVelmorProtocol::setFocused(nucleo* node) {
    if (CDocView* v = currentView()) v->setFocused(node);
}

int CVelmorProtocol::caretIndex() {
    CDocView* v = currentView();
    return v ? v->caretIndex() : 0;
}

nucleo* CVelmorProtocol::focused() {
    CDocView* v = currentView();
    return v ? v->focused() : nullptr;
}

int* CVelmorProtocol::caretIndexRef() {
    CDocView* v = currentView();
    return v ? v->caretIndexRef() : nullptr;
}

aRect* CVelmorProtocol::selectionRect() {
    CDocView* v = currentView();
    return v ? v->selectionRect() : nullptr;
}
