#include "view_widget.h"

#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "accessible_view.h"
#include "core/linear_text.h"
#include "core/spoken_text.h"
#include "core/velmor_doc.h"
#include "core/velmor_protocol.h"
#include "platform/messages.h"
#include "refs/reference.h"

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

// The innermost shared value that n stands in, if any.
reference* sharedValueOf(nucleo* n) {
    for (; n; n = n->parent())
        if (n->isRef()) return static_cast<reference*>(n);
    return nullptr;
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
    installAccessibleViews();
}

CVelmorViewWidget::~CVelmorViewWidget() {
    if (caretOwner_ == this) caretOwner_ = nullptr;
}

QPoint CVelmorViewWidget::scroll() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

// Client rectangles of the engine are in page units, from the page point
// at the scroll position.
QRect CVelmorViewWidget::toDocument(const RECT& r) const {
    const POINT s = scrollPosition();
    return fromRECT(r).translated(s.x, s.y);
}

QPoint CVelmorViewWidget::pagePoint(QPointF at) const {
    const QPoint s = scroll();
    return QPoint(int(std::floor((at.x() + s.x()) / zoom_)), int(std::floor((at.y() + s.y()) / zoom_)));
}

POINT CVelmorViewWidget::clientPoint(QPointF at) const {
    const QPoint page = pagePoint(at);
    const POINT s = scrollPosition();
    return POINT{page.x() - s.x, page.y() - s.y};
}

// Page pixel (x, y) covers the screen from x * zoom up to (x + 1) * zoom.
QRect CVelmorViewWidget::viewportRect(const QRect& r) const {
    const QPoint s = scroll();
    const int left = int(std::floor(r.left() * zoom_));
    const int top = int(std::floor(r.top() * zoom_));
    const int right = std::max(left + 1, int(std::ceil((r.right() + 1) * zoom_)));
    const int bottom = std::max(top + 1, int(std::ceil((r.bottom() + 1) * zoom_)));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).translated(-s);
}

QRect CVelmorViewWidget::pageArea(const QRect& r) const {
    const QPoint topLeft = pagePoint(r.topLeft());
    const QPoint bottomRight = pagePoint(QPointF(r.right() + 1, r.bottom() + 1));
    return QRect(topLeft, bottomRight);
}

void CVelmorViewWidget::updateDocumentRect(const QRect& docRect) {
    viewport()->update(viewportRect(docRect).adjusted(-1, -1, 1, 1));
}

// --- repainting ---------------------------------------------------------------------------------

void CVelmorViewWidget::invalidateRect(const RECT& r, bool) {
    const QRect client = fromRECT(r);
    if (client.isEmpty()) return;
    const QRect doc = toDocument(r);
    damage_ += doc;
    viewport()->update(viewportRect(doc));
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
    p.scale(zoom_, zoom_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect area = pageArea(e->rect());
    paintedFrames_.clear();
    {
        CQtDC dc(&p);
        view_.onDraw(&dc, aRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1));
    }
    p.restore();
    paintSharedPlaces(p);
    // The selection frames that this paint drew are on the screen now.
    QRegion painted;
    for (const QRect& r : e->region()) painted += pageArea(r);
    for (const QRect& f : paintedFrames_)
        if (!frames_.contains(f) && painted.intersects(f)) frames_.append(f);

    p.setCompositionMode(QPainter::CompositionMode_Difference);
    for (const QRect& f : frames_) invertFrame(p, viewportRect(f));
    if (caretVisible() && blinkOn_ && isActiveWindow()) p.fillRect(viewportRect(caretRect()), Qt::white);
}

// --- accessibility ------------------------------------------------------------------------------

QString CVelmorViewWidget::lineText(int* caretOffset) const {
    if (caretOffset) *caretOffset = 0;
    container* base = view_.base();
    if (!base) return QString();
    nucleo* line = view_.focused();
    while (line && line->parent() != base) line = line->parent();
    if (!line) {
        std::string all = velmor::linearLines(*base);
        if (!all.empty() && all.back() == '\n') all.pop_back();
        return QString::fromStdString(all);
    }
    int offset = -1;
    const std::string text = velmor::linearText(*line, view_.focused(), view_.caretIndex(), &offset);
    if (caretOffset && offset > 0) *caretOffset = int(QString::fromUtf8(text.data(), offset).size());
    return QString::fromStdString(text);
}

QString CVelmorViewWidget::lineWords() const {
    container* base = view_.base();
    if (!base) return QString();
    nucleo* line = view_.focused();
    while (line && line->parent() != base) line = line->parent();
    return QString::fromStdString(velmor::spokenText(line ? *line : static_cast<nucleo&>(*base)));
}

void CVelmorViewWidget::notifyAccessibility() {
    if (!QAccessible::isActive()) return;
    int cursor = 0;
    const QString text = lineText(&cursor);
    if (text != accessibleText_) {
        QAccessibleTextUpdateEvent update(this, 0, accessibleText_, text);
        QAccessible::updateAccessibility(&update);
        QAccessibleValueChangeEvent value(this, text);
        QAccessible::updateAccessibility(&value);
        accessibleText_ = text;
    }
    if (cursor != accessibleCursor_) {
        QAccessibleTextCursorEvent moved(this, cursor);
        QAccessible::updateAccessibility(&moved);
        accessibleCursor_ = cursor;
    }
}

// --- shared values ------------------------------------------------------------------------------

void CVelmorViewWidget::updateSharedPlaces() {
    QVector<QRect> places;
    CVelmorProtocol* root = view_.root();
    reference* on = nullptr;
    if (root && caretVisible()) on = sharedValueOf(view_.focused());
    if (root && !on && pointerInside_ && protocol::mouseOn && protocol::mouseOn->getRoot() == root)
        on = sharedValueOf(protocol::mouseOn);
    if (on && on->getBulk())
        for (nucleo* place : on->getBulk()->references())
            if (place->getRoot() == root && place->chained()) {
                const aRect& r = place->getRect();
                places.append(QRect(r.left, r.top, r.Width(), r.Height()));
            }
    if (places == sharedPlaces_) return;
    for (const QRect& r : sharedPlaces_) updateDocumentRect(r);
    sharedPlaces_ = places;
    for (const QRect& r : sharedPlaces_) updateDocumentRect(r);
}

// A light tint over each place and a line under it: the tree stays legible
// through it.
void CVelmorViewWidget::paintSharedPlaces(QPainter& p) const {
    if (sharedPlaces_.size() < 2) return;
    const QColor tint(40, 120, 220);
    for (const QRect& r : sharedPlaces_) {
        const QRect box = viewportRect(r);
        QColor fill = tint;
        fill.setAlpha(36);
        p.fillRect(box, fill);
        p.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), tint);
    }
}

void CVelmorViewWidget::paintSelectionFrame(HDC, const RECT& docRect) {
    paintedFrames_.append(fromRECT(docRect));
}

void CVelmorViewWidget::showSelectionFrames() {
    QVector<QRect> wanted;
    if (CVelmorProtocol* root = view_.root())
        for (selector& s : CVelmorProtocol::sharedSelection())
            if (s.getTarget()->getRoot() == root) wanted.append(fromRECT(s.getRect()));
    updateSharedPlaces();
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
    const POINT s = scrollPosition();
    caretPos_ = QPoint(p.x + s.x, p.y + s.y);
    // Once the command or key that moved the caret is done.
    if (!originPending_) {
        originPending_ = true;
        QTimer::singleShot(0, this, [this] { showCaretStepOrigin(); });
    }
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

SIZE CVelmorViewWidget::clientSize() const {
    return SIZE{LONG(std::floor(viewport()->width() / zoom_)),
                LONG(std::floor(viewport()->height() / zoom_))};
}

// The page point at the viewport's top-left corner.
POINT CVelmorViewWidget::scrollPosition() const {
    const QPoint page = pagePoint(QPointF(0, 0));
    return POINT{page.x(), page.y()};
}

void CVelmorViewWidget::scrollToPosition(POINT p) {
    horizontalScrollBar()->setValue(int(std::lround(p.x * zoom_)));
    verticalScrollBar()->setValue(int(std::lround(p.y * zoom_)));
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
    const int width = int(std::ceil(total_.cx * zoom_));
    const int height = int(std::ceil(total_.cy * zoom_));
    h->setRange(0, std::max(0, width - page.width()));
    h->setPageStep(std::max(1, page.width()));
    h->setSingleStep(std::max(1, page.width() / 10));
    v->setRange(0, std::max(0, height - page.height()));
    v->setPageStep(std::max(1, page.height()));
    v->setSingleStep(std::max(1, page.height() / 10));
}

void CVelmorViewWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void CVelmorViewWidget::scrollContentsBy(int, int) { viewport()->update(); }

// --- zoom ---------------------------------------------------------------------------------------

const std::vector<double>& CVelmorViewWidget::zoomSteps() {
    static const std::vector<double> steps = {0.25, 1.0 / 3, 0.5, 2.0 / 3, 0.75, 0.9, 1.0, 1.1, 1.25,
                                              1.5,  1.75,    2.0, 2.5,     3.0,  4.0, 5.0, 6.0, 8.0};
    return steps;
}

void CVelmorViewWidget::setZoom(double zoom, const QPoint* anchor) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (std::abs(zoom - zoom_) < 1e-9) return;
    const QPointF at =
        anchor ? QPointF(*anchor) : QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const QPoint s = scroll();
    const QPointF page((at.x() + s.x()) / zoom_, (at.y() + s.y()) / zoom_);
    zoom_ = zoom;
    updateScrollBars();
    horizontalScrollBar()->setValue(int(std::lround(page.x() * zoom_ - at.x())));
    verticalScrollBar()->setValue(int(std::lround(page.y() * zoom_ - at.y())));
    viewport()->update();
    emit zoomChanged(zoom_);
}

// A zoom between two steps goes to the next step in the direction asked.
void CVelmorViewWidget::zoomIn(const QPoint* anchor) {
    for (double step : zoomSteps())
        if (step > zoom_ + 1e-6) return setZoom(step, anchor);
}

void CVelmorViewWidget::zoomOut(const QPoint* anchor) {
    const std::vector<double>& steps = zoomSteps();
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        if (*it < zoom_ - 1e-6) return setZoom(*it, anchor);
}

// Ctrl and the wheel zoom about the pointer, a step for each notch; the
// finer steps of a touchpad add up to notches.
void CVelmorViewWidget::wheelEvent(QWheelEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    e->accept();
    constexpr int kNotch = 120;
    wheelDelta_ += e->angleDelta().y();
    const QPoint at = e->position().toPoint();
    for (; wheelDelta_ >= kNotch; wheelDelta_ -= kNotch) zoomIn(&at);
    for (; wheelDelta_ <= -kNotch; wheelDelta_ += kNotch) zoomOut(&at);
}

// --- mouse -----------------------------------------------------------------------------------------

void CVelmorViewWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    emit activated(this);
    view_.onLButtonDown(mouseFlags(e->buttons(), e->modifiers()), clientPoint(e->position()));
    afterInput();
}

// The second press of a double click is a press like the first.
void CVelmorViewWidget::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void CVelmorViewWidget::mouseMoveEvent(QMouseEvent* e) {
    pointerInside_ = true;
    view_.onMouseMove(mouseFlags(e->buttons(), e->modifiers()), clientPoint(e->position()));
    if ((e->buttons() & Qt::LeftButton) && view_.dragging() &&
        leavesForOtherDocument(e->globalPosition().toPoint()))
        return dragOut();
    updateSharedPlaces();
    if (e->buttons() & Qt::LeftButton) afterInput();
}

// The flags tell the buttons still held: the right one cancels a drop.
void CVelmorViewWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    view_.onLButtonUp(mouseFlags(e->buttons(), e->modifiers()), clientPoint(e->position()));
    afterInput();
}

// --- origins of steps ---------------------------------------------------------------------------------

bool CVelmorViewWidget::viewportEvent(QEvent* e) {
    if (e->type() != QEvent::ToolTip) return QAbstractScrollArea::viewportEvent(e);
    auto* help = static_cast<QHelpEvent*>(e);
    const std::string what = view_.stepOriginAt(clientPoint(help->pos()));
    if (what.empty()) {
        QToolTip::hideText();
        e->ignore();
    } else {
        QToolTip::showText(help->globalPos(), QString::fromUtf8(what.data(), qsizetype(what.size())), viewport());
    }
    return true;
}

void CVelmorViewWidget::showCaretStepOrigin() {
    originPending_ = false;
    std::string what = view_.caretStepOrigin();
    if (what == shownOrigin_) return;
    auto* frame = qobject_cast<QMainWindow*>(window());
    // Leaving a step clears only what this pane put there.
    if (frame && (!what.empty() || frame->statusBar()->currentMessage() == QString::fromUtf8(shownOrigin_.c_str())))
        frame->statusBar()->showMessage(QString::fromUtf8(what.data(), qsizetype(what.size())));
    shownOrigin_ = std::move(what);
}

// --- keyboard ---------------------------------------------------------------------------------------

void CVelmorViewWidget::type(const TranslatedKey& keys) {
    for (const KeyStroke& k : keys.strokes) {
        view_.onKeyDown(k.vk);
        if (k.character >= 0 && view_.keyPassed()) view_.onChar(k.character);
    }
    if (keys.beep) MessageBeep(0);
}

namespace {

// The zoom keys type nothing, even when their commands are disabled at the
// ends of the zoom range.
bool isZoomKey(const QKeyEvent* e) {
    return e->matches(QKeySequence::ZoomIn) || e->matches(QKeySequence::ZoomOut) ||
           (e->key() == Qt::Key_0 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier);
}

}  // namespace

void CVelmorViewWidget::keyPressEvent(QKeyEvent* e) {
    if (isZoomKey(e)) {
        e->ignore();
        return;
    }
    const TranslatedKey keys = translateKey(e->key(), e->modifiers(), e->text());
    if (keys.strokes.empty() && !keys.beep) {
        e->ignore();
        return;
    }
    e->accept();
    type(keys);
    afterInput();
}

void CVelmorViewWidget::inputMethodEvent(QInputMethodEvent* e) {
    if (!e->commitString().isEmpty()) {
        type(translateText(e->commitString()));
        afterInput();
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
    afterInput();
}

// An open menu leaves the focus where it was: its commands act on this pane.
void CVelmorViewWidget::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) view_.onKillFocus();
    updateDocumentRect(caretRect());
    updateSharedPlaces();
}

void CVelmorViewWidget::leaveEvent(QEvent* e) {
    QAbstractScrollArea::leaveEvent(e);
    pointerInside_ = false;
    updateSharedPlaces();
}

void CVelmorViewWidget::afterInput() {
    updateSharedPlaces();
    notifyAccessibility();
    emit changed();
}

}  // namespace velmor::gui
