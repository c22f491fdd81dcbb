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
#pragma once

#include <QAbstractScrollArea>
#include <QRegion>
#include <QTimer>
#include <QVector>

#include "core/velmor_view.h"
#include "key_map.h"
#include "qt_dc.h"

class CVelmorDoc;
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

    // --- state, for the status bar and the tests -----------------------------------------
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

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QPoint scroll() const;
    QRect toDocument(const tovimat::RECT& clientRect) const;
    void updateScrollBars();
    void updateDocumentRect(const QRect& docRect);
    void blink();
    void type(const TranslatedKey& keys);
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
