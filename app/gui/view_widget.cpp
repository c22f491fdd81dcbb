#include "view_widget.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "core/velmor_doc.h"
#include "core/velmor_protocol.h"
#include "platform/messages.h"

using namespace tovimat;

namespace velmor::gui {

CVelmorViewWidget* CVelmorViewWidget::caretOwner_ = nullptr;

namespace {

UINT mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    if (modifiers & Qt::AltModifier) flags |= MK_ALT;
    return flags;
}

POINT clientPoint(const QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    return POINT{p.x(), p.y()};
}

QRect fromRECT(const RECT& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

// A dotted frame that inverts what is under it, the look of a focus frame.
void invertFrame(QPainter& p, const QRect& r) {
    if (r.width() <= 0 || r.height() <= 0) return;
    QPen pen(Qt::white);
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setDashPattern({1.0, 1.0});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (r.width() == 1 || r.height() == 1)
        p.drawLine(r.topLeft(), r.bottomRight());
    else
        p.drawRect(r.adjusted(0, 0, -1, -1));
}

}  // namespace

CVelmorViewWidget::CVelmorViewWidget(CVelmorDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), view_(doc, *this) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::ArrowCursor);
    viewport()->setAcceptDrops(true);
    setMinimumSize(10, 10);
    setFrameShape(QFrame::NoFrame);
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) blinkTimer_.setInterval(flash / 2);
    connect(&blinkTimer_, &QTimer::timeout, this, &CVelmorViewWidget::blink);
    view_.onInitialUpdate();
    view_.recalcScrollRange();
}

CVelmorViewWidget::~CVelmorViewWidget() {
    if (caretOwner_ == this) caretOwner_ = nullptr;
}

QPoint CVelmorViewWidget::scroll() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect CVelmorViewWidget::toDocument(const RECT& r) const { return fromRECT(r).translated(scroll()); }

void CVelmorViewWidget::updateDocumentRect(const QRect& docRect) {
    viewport()->update(docRect.translated(-scroll()).adjusted(-1, -1, 1, 1));
}

// --- repainting ---------------------------------------------------------------------------------

void CVelmorViewWidget::invalidateRect(const RECT& r, bool) {
    const QRect client = fromRECT(r);
    if (client.isEmpty()) return;
    damage_ += client.translated(scroll());
    viewport()->update(client);
}

// Qt cannot take back an update it was asked for; painting an area twice
// costs time but shows the same.
void CVelmorViewWidget::validateRect(const RECT&) {}

void CVelmorViewWidget::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    const QPoint s = scroll();
    p.fillRect(e->rect(), Qt::white);

    // A frame whose whole area was repainted is gone, as its pixels are.
    frames_.erase(std::remove_if(frames_.begin(), frames_.end(),
                                 [this](const QRect& f) { return (QRegion(f) - damage_).isEmpty(); }),
                  frames_.end());
    damage_ = QRegion();

    p.save();
    p.translate(-s);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect area = e->rect().translated(s);
    paintedFrames_.clear();
    {
        CQtDC dc(&p);
        view_.onDraw(&dc, aRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1));
    }
    p.restore();
    // The selection frames that this paint drew are on the screen now.
    const QRegion painted = e->region().translated(s);
    for (const QRect& f : paintedFrames_)
        if (!frames_.contains(f) && painted.intersects(f)) frames_.append(f);

    p.setCompositionMode(QPainter::CompositionMode_Difference);
    for (const QRect& f : frames_) invertFrame(p, f.translated(-s));
    if (caretVisible() && blinkOn_ && isActiveWindow()) p.fillRect(caretRect().translated(-s), Qt::white);
}

void CVelmorViewWidget::paintSelectionFrame(HDC, const RECT& docRect) {
    paintedFrames_.append(fromRECT(docRect));
}

void CVelmorViewWidget::showSelectionFrames() {
    QVector<QRect> wanted;
    if (CVelmorProtocol* root = view_.root())
        for (selector& s : CVelmorProtocol::sharedSelection())
            if (s.getTarget()->getRoot() == root) wanted.append(fromRECT(s.getRect()));
    if (wanted == frames_) return;
    frames_ = wanted;
    viewport()->update();
}

void CVelmorViewWidget::drawFocusRect(const RECT& clientRect) {
    const QRect f = toDocument(clientRect);
    if (int i = frames_.indexOf(f); i >= 0)
        frames_.removeAt(i);
    else
        frames_.append(f);
    updateDocumentRect(f);
}

// --- the caret ------------------------------------------------------------------------------------

void CVelmorViewWidget::createSolidCaret(int width, int height) {
    // One caret for the program: a new one takes it from the pane that had it.
    if (caretOwner_ && caretOwner_ != this) {
        CVelmorViewWidget* previous = caretOwner_;
        previous->caretVisible_ = false;
        previous->blinkTimer_.stop();
        previous->updateDocumentRect(previous->caretRect());
    }
    updateDocumentRect(caretRect());
    caretOwner_ = this;
    caretSize_ = QSize(width, height);
    caretVisible_ = false;
}

void CVelmorViewWidget::showCaret() {
    if (caretOwner_ != this) return;
    caretVisible_ = true;
    blinkOn_ = true;
    if (blinkTimer_.interval() > 0) blinkTimer_.start();
    updateDocumentRect(caretRect());
}

void CVelmorViewWidget::hideCaret() {
    if (caretOwner_ != this) return;
    caretVisible_ = false;
    blinkTimer_.stop();
    updateDocumentRect(caretRect());
}

void CVelmorViewWidget::setCaretPos(POINT p) {
    // Kept in document coordinates: the caret scrolls with the content.
    updateDocumentRect(caretRect());
    caretPos_ = QPoint(p.x, p.y) + scroll();
    blinkOn_ = true;
    if (blinkTimer_.isActive()) blinkTimer_.start();
    updateDocumentRect(caretRect());
}

void CVelmorViewWidget::blink() {
    if (!caretVisible()) {
        blinkTimer_.stop();
        return;
    }
    blinkOn_ = !blinkOn_;
    updateDocumentRect(caretRect());
}

// --- scrolling -----------------------------------------------------------------------------------

SIZE CVelmorViewWidget::clientSize() const { return SIZE{viewport()->width(), viewport()->height()}; }

POINT CVelmorViewWidget::scrollPosition() const {
    const QPoint s = scroll();
    return POINT{s.x(), s.y()};
}

void CVelmorViewWidget::scrollToPosition(POINT p) {
    horizontalScrollBar()->setValue(p.x);
    verticalScrollBar()->setValue(p.y);
}

void CVelmorViewWidget::setScrollSizes(SIZE total) {
    total_ = total;
    updateScrollBars();
    viewport()->update();
}

void CVelmorViewWidget::updateScrollBars() {
    const QSize page = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, int(total_.cx) - page.width()));
    h->setPageStep(std::max(1, page.width()));
    h->setSingleStep(std::max(1, page.width() / 10));
    v->setRange(0, std::max(0, int(total_.cy) - page.height()));
    v->setPageStep(std::max(1, page.height()));
    v->setSingleStep(std::max(1, page.height() / 10));
}

void CVelmorViewWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void CVelmorViewWidget::scrollContentsBy(int, int) { viewport()->update(); }

// --- mouse -----------------------------------------------------------------------------------------

void CVelmorViewWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    emit activated(this);
    view_.onLButtonDown(mouseFlags(e->buttons(), e->modifiers()), clientPoint(e));
    emit changed();
}

// The second press of a double click is a press like the first.
void CVelmorViewWidget::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void CVelmorViewWidget::mouseMoveEvent(QMouseEvent* e) {
    view_.onMouseMove(mouseFlags(e->buttons(), e->modifiers()), clientPoint(e));
    if ((e->buttons() & Qt::LeftButton) && view_.dragging() &&
        leavesForOtherDocument(e->globalPosition().toPoint()))
        return dragOut();
    if (e->buttons() & Qt::LeftButton) emit changed();
}

// The flags tell the buttons still held: the right one cancels a drop.
void CVelmorViewWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    view_.onLButtonUp(mouseFlags(e->buttons(), e->modifiers()), clientPoint(e));
    emit changed();
}

// --- keyboard ---------------------------------------------------------------------------------------

void CVelmorViewWidget::type(const TranslatedKey& keys) {
    for (const KeyStroke& k : keys.strokes) {
        view_.onKeyDown(k.vk);
        if (k.character >= 0 && view_.keyPassed()) view_.onChar(k.character);
    }
    if (keys.beep) MessageBeep(0);
}

void CVelmorViewWidget::keyPressEvent(QKeyEvent* e) {
    const TranslatedKey keys = translateKey(e->key(), e->modifiers(), e->text());
    if (keys.strokes.empty() && !keys.beep) {
        e->ignore();
        return;
    }
    e->accept();
    type(keys);
    emit changed();
}

void CVelmorViewWidget::inputMethodEvent(QInputMethodEvent* e) {
    if (!e->commitString().isEmpty()) {
        type(translateText(e->commitString()));
        emit changed();
    }
    e->accept();
}

// Tab is a key of the tree, not a move to the next widget.
bool CVelmorViewWidget::focusNextPrevChild(bool) { return false; }

void CVelmorViewWidget::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    view_.onSetFocus();
    emit activated(this);
    updateDocumentRect(caretRect());
    emit changed();
}

// An open menu leaves the focus where it was: its commands act on this pane.
void CVelmorViewWidget::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) view_.onKillFocus();
    updateDocumentRect(caretRect());
}

}  // namespace velmor::gui
