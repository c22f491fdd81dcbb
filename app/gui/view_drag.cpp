// Formulas dragged from one document's window to another's. Within its own
// document a drag is the view's (the selection slides, the drop moves,
// copies or shares it); once the pointer reaches another document's window,
// or leaves the program, the drag becomes Qt's, carrying the formulas'
// records. The window that takes them places them where the view's own drag
// would, as one step, and on a move asks the pane they came from to delete
// them, as one step there. Only this program's own drags move: a drop from
// another program, or into one, copies.
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>

#include "core/clipboard.h"
#include "core/linear_text.h"
#include "formula_mime.h"
#include "platform/messages.h"
#include "view_widget.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

// Where a drag's formulas came from: "PID SERIAL" and, for each formula,
// where its top left corner stood from the pointer ("DX DY").
QString sourceType() { return QStringLiteral("application/x-velmor-drag-source"); }

// The drag this program has under way.
struct OutgoingDrag {
    QPointer<CVelmorViewWidget> source;
    quint64 serial = 0;
    std::vector<velmor::NodePlace> places;
};

OutgoingDrag& outgoing() {
    static OutgoingDrag drag;
    return drag;
}

struct DragSource {
    // The pane the formulas came from, in this program; null for a drop
    // from elsewhere or a copy that cannot move.
    CVelmorViewWidget* pane = nullptr;
    std::vector<POINT> offsets;
};

DragSource sourceOf(const QMimeData* data) {
    DragSource out;
    if (!data || !data->hasFormat(sourceType())) return out;
    const QList<QByteArray> fields = data->data(sourceType()).split(' ');
    if (fields.size() < 2 || fields.size() % 2 != 0) return out;
    for (qsizetype i = 2; i + 1 < fields.size(); i += 2)
        out.offsets.push_back(POINT{fields[i].toInt(), fields[i + 1].toInt()});
    const OutgoingDrag& drag = outgoing();
    if (fields[0].toLongLong() == QCoreApplication::applicationPid() &&
        fields[1].toULongLong() == drag.serial)
        out.pane = drag.source;
    return out;
}

CVelmorViewWidget* paneAt(const QPoint& globalPos) {
    for (QWidget* w = QApplication::widgetAt(globalPos); w; w = w->parentWidget())
        if (auto* pane = qobject_cast<CVelmorViewWidget*>(w)) return pane;
    return nullptr;
}

}  // namespace

QMimeData* CVelmorViewWidget::dragOutData() {
    const std::vector<nucleo*> nodes = view_.draggedNodes();
    if (nodes.empty()) return nullptr;
    const std::vector<std::uint8_t> records =
        writeFormulas(std::vector<const nucleo*>(nodes.begin(), nodes.end()));
    if (records.empty()) return nullptr;
    std::vector<velmor::NodePlace> places;
    const bool movable = view_.placesOf(nodes, places);

    auto* data = new QMimeData;
    data->setData(velmorMimeType(),
                  QByteArray(reinterpret_cast<const char*>(records.data()), qsizetype(records.size())));
    QStringList text;
    for (const nucleo* n : nodes) text << QString::fromStdString(velmor::linearText(*n));
    data->setText(text.join(QLatin1Char('\n')));

    OutgoingDrag& drag = outgoing();
    drag.source = movable ? this : nullptr;
    drag.places = std::move(places);
    ++drag.serial;
    const POINT origin = view_.dragOrigin();
    QByteArrayList fields{QByteArray::number(QCoreApplication::applicationPid()),
                          QByteArray::number(drag.serial)};
    for (const nucleo* n : nodes)
        fields << QByteArray::number(qlonglong(n->left() - origin.x))
               << QByteArray::number(qlonglong(n->top() - origin.y));
    data->setData(sourceType(), fields.join(' '));
    return data;
}

bool CVelmorViewWidget::leavesForOtherDocument(const QPoint& globalPos) const {
    if (viewport()->rect().contains(viewport()->mapFromGlobal(globalPos))) return false;
    if (CVelmorViewWidget* pane = paneAt(globalPos)) return pane->view().document() != view_.document();
    // Off every window of the program: another program may take a copy.
    return !QApplication::widgetAt(globalPos);
}

void CVelmorViewWidget::dragOut() {
    QMimeData* data = dragOutData();
    // The selection goes back where it was picked up: from here on Qt
    // carries the drag, and this pane sees no button release.
    view_.cancelDrag();
    viewport()->update();
    emit changed();
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    outgoing() = OutgoingDrag{nullptr, outgoing().serial, {}};
    viewport()->update();
    emit changed();
}

// Shift copies, as in a drag within one document; a drop that cannot take
// the formulas away from where they came from copies too. A drag of this
// document's own formulas is the view's business, not Qt's.
Qt::DropAction CVelmorViewWidget::dropActionFor(const QMimeData* data,
                                                Qt::KeyboardModifiers modifiers) const {
    if (!view_.document() || !view_.base() || !offersFormulas(data)) return Qt::IgnoreAction;
    const DragSource source = sourceOf(data);
    if (source.pane && source.pane->view().document() == view_.document()) return Qt::IgnoreAction;
    return (modifiers & Qt::ShiftModifier) || !source.pane ? Qt::CopyAction : Qt::MoveAction;
}

POINT CVelmorViewWidget::dropPoint(const QPointF& pos) const { return clientPoint(pos); }

void CVelmorViewWidget::dragEnterEvent(QDragEnterEvent* e) {
    const Qt::DropAction action = dropActionFor(e->mimeData(), e->modifiers());
    if (action == Qt::IgnoreAction) return e->ignore();
    e->setDropAction(action);
    e->accept();
}

void CVelmorViewWidget::dragMoveEvent(QDragMoveEvent* e) {
    const Qt::DropAction action = dropActionFor(e->mimeData(), e->modifiers());
    if (action == Qt::IgnoreAction) return e->ignore();
    e->setDropAction(action);
    e->accept();
}

void CVelmorViewWidget::dropEvent(QDropEvent* e) {
    const Qt::DropAction action = dropActionFor(e->mimeData(), e->modifiers());
    std::vector<std::unique_ptr<nucleo>> nodes;
    if (action != Qt::IgnoreAction) nodes = readFormulas(formulasIn(e->mimeData()));
    if (nodes.empty()) {
        if (action != Qt::IgnoreAction) MessageBeep(0);
        return e->ignore();
    }
    const DragSource source = sourceOf(e->mimeData());
    setFocus(Qt::OtherFocusReason);
    emit activated(this);
    if (!view_.dropFormulas(std::move(nodes), dropPoint(e->position()), source.offsets)) {
        emit changed();
        return e->ignore();
    }
    if (action == Qt::MoveAction && source.pane) {
        // The places name the formulas once: they are gone now.
        std::vector<velmor::NodePlace> places = std::move(outgoing().places);
        outgoing().source = nullptr;
        source.pane->view().removeFormulas(places);
        source.pane->viewport()->update();
        emit source.pane->changed();
    }
    e->setDropAction(action);
    e->accept();
    viewport()->update();
    emit changed();
}

}  // namespace velmor::gui
