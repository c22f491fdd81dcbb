// One pane of a document window: a scrolling Qt widget that is the window of
// a CVelmorView. Mouse and keyboard events go to the view's message handlers
// (client coordinates, MK_* flags, virtual keys and Windows-1252 characters);
// the view asks back for repaints, the caret, scrolling and XOR frames.
//
// The XOR drawing of the platform is kept as an overlay: the frames that are
// "on the screen" are remembered in document coordinates and inverted over
// the painted tree, so drawing a frame twice removes it, frames scroll with
// the content, and a repaint of the area under a frame wipes it as a real
// repaint would.
//
// Each pane has its own zoom. The engine keeps laying out and answering in
// page units; the pane scales what it paints (the tree, the caret, the frames)
// and maps every mouse position back to page units, so the CViewWindow side
// of this class (client sizes, scroll positions, rectangles) speaks page
// units and only the scroll bars and Qt events speak screen pixels.
#pragma once

#include <QAbstractScrollArea>
#include <QRegion>
#include <QTimer>
#include <QVector>
#include <vector>

#include "core/velmor_view.h"
#include "key_map.h"
#include "qt_dc.h"

class CVelmorDoc;
class QPainter;
class QMimeData;

namespace velmor::gui {

class CVelmorViewWidget : public QAbstractScrollArea, public CViewWindow {
    Q_OBJECT

public:
    CVelmorViewWidget(CVelmorDoc& doc, QWidget* parent = nullptr);
    ~CVelmorViewWidget() override;

    CVelmorView& view() { return view_; }
    const CVelmorView& view() const { return view_; }

    // --- CViewWindow ----------------------------------------------------------------
    void invalidateRect(const tovimat::RECT& r, bool erase) override;
    void validateRect(const tovimat::RECT& r) override;
    void createSolidCaret(int width, int height) override;
    void showCaret() override;
    void hideCaret() override;
    void setCaretPos(tovimat::POINT p) override;
    tovimat::SIZE clientSize() const override;
    tovimat::POINT scrollPosition() const override;
    void scrollToPosition(tovimat::POINT p) override;
    tovimat::SIZE totalSize() const override { return total_; }
    void setScrollSizes(tovimat::SIZE total) override;
    void drawFocusRect(const tovimat::RECT& clientRect) override;
    void paintSelectionFrame(tovimat::HDC dc, const tovimat::RECT& docRect) override;
    void setCapture() override { captured_ = true; }
    void releaseCapture() override { captured_ = false; }
    tovimat::HDC getDC() override { return &measureDC_; }
    void releaseDC(tovimat::HDC) override {}

    // --- state, for the status bar, accessibility and the tests ------------------------------
    // The linear text of the line with the caret (every line when there is
    // no caret) and the caret's offset in it, in UTF-16 units (0 without a
    // caret).
    QString lineText(int* caretOffset = nullptr) const;
    // The same line in words, as a screen reader should say it.
    QString lineWords() const;
    bool caretVisible() const { return caretVisible_ && caretOwner_ == this; }
    // The caret in document coordinates.
    QRect caretRect() const { return QRect(caretPos_, caretSize_); }
    bool captured() const { return captured_; }
    // The XOR frames on the screen now, in document coordinates.
    const QVector<QRect>& focusFrames() const { return frames_; }
    // Shows the frames of the document's selection and nothing else. The
    // view draws and erases frames only in the pane the user works in; the
    // other panes of the document are brought in line with this.
    void showSelectionFrames();
    // Brings the shared-value tint and the accessibility clients up to date
    // after a command changed the tree.
    void refreshFeedback() {
        updateSharedPlaces();
        notifyAccessibility();
    }

    // --- zoom ---------------------------------------------------------------------------------------
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 8.0;
    // The steps of Zoom In and Zoom Out, from kMinZoom to kMaxZoom.
    static const std::vector<double>& zoomSteps();
    double zoom() const { return zoom_; }
    // Sets the zoom (clamped to the range), keeping the page point under the
    // viewport position anchor where it is; the centre of the viewport when
    // anchor is null.
    void setZoom(double zoom, const QPoint* anchor = nullptr);
    void zoomIn(const QPoint* anchor = nullptr);
    void zoomOut(const QPoint* anchor = nullptr);
    // The page point under a position of the viewport, and the same as the
    // client point the view's message handlers take.
    QPoint pagePoint(QPointF viewportPos) const;
    tovimat::POINT clientPoint(QPointF viewportPos) const;
    // Where a rectangle of the page shows on the viewport.
    QRect viewportRect(const QRect& pageRect) const;

    // --- shared values -------------------------------------------------------------------------------
    // The boxes, in page coordinates, of every place of this document that
    // shows the shared value under the pointer or holding the caret; empty
    // when neither is on one.
    const QVector<QRect>& sharedPlaces() const { return sharedPlaces_; }

    // --- drag and drop between documents (view_drag.cpp) --------------------------------
    // What a drag of this pane's selection to another document carries: the
    // formulas' records, their text, and where they came from. Null without
    // a selection. Remembers the drag as the one this program has under way.
    QMimeData* dragOutData();

signals:
    // Something happened that may change the enabling of commands, the
    // modified flag or the title.
    void changed();
    // The pane received the keyboard focus or a click.
    void activated(CVelmorViewWidget* pane);
    void zoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    // A tooltip on a step's sign tells what made the step.
    bool viewportEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // The scroll bars' position, in screen pixels.
    QPoint scroll() const;
    QRect toDocument(const tovimat::RECT& clientRect) const;
    // The page rectangle that covers a rectangle of the viewport.
    QRect pageArea(const QRect& viewportRect) const;
    void updateSharedPlaces();
    void paintSharedPlaces(QPainter& p) const;
    // Tells the accessibility clients of a new text or caret position.
    void notifyAccessibility();
    // After each input: the shared-value tint, the accessibility clients,
    // then changed().
    void afterInput();
    void updateScrollBars();
    void updateDocumentRect(const QRect& docRect);
    void blink();
    void type(const TranslatedKey& keys);
    // The status bar tells what made the step with the caret when the caret
    // comes into another step (and is cleared when it leaves one).
    void showCaretStepOrigin();
    // A selection dragged out of this pane onto another document's window,
    // or out of the program: Qt's drag and drop takes it from there.
    bool leavesForOtherDocument(const QPoint& globalPos) const;
    void dragOut();
    // How a drop of data here would go; Qt::IgnoreAction when it cannot.
    Qt::DropAction dropActionFor(const QMimeData* data, Qt::KeyboardModifiers modifiers) const;
    // The client point of the view where a drop at pos (in viewport pixels)
    // lets go.
    tovimat::POINT dropPoint(const QPointF& pos) const;

    CQtDC measureDC_;
    tovimat::SIZE total_{0, 0};
    bool captured_ = false;
    double zoom_ = 1.0;
    // Wheel turns with Ctrl held short of a notch.
    int wheelDelta_ = 0;
    QVector<QRect> sharedPlaces_;
    bool pointerInside_ = false;
    // What the accessibility clients were last told.
    QString accessibleText_;
    int accessibleCursor_ = -1;
    std::string shownOrigin_;
    bool originPending_ = false;

    // The caret: one for the whole program, like the platform's.
    static CVelmorViewWidget* caretOwner_;
    QPoint caretPos_;
    QSize caretSize_;
    bool caretVisible_ = false;
    bool blinkOn_ = true;
    QTimer blinkTimer_;

    QVector<QRect> frames_;
    // Repainted areas since the last paint, in document coordinates.
    QRegion damage_;
    // The selection frames drawn by the paint in progress.
    QVector<QRect> paintedFrames_;

    // Last: the view registers with the document and reaches this window
    // while it exists.
    CVelmorView view_;
};

}  // namespace velmor::gui
