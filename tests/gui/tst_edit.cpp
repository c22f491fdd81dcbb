// The Edit menu as the user reaches it: the real shortcuts typed on the main
// window, the actions' enabling and texts, what Copy puts on the clipboard,
// Paste of a picture Velmor drew, and formulas dragged from one document's
// window into another's.
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include "core/clipboard.h"
#include "core/linear_text.h"
#include "gui_document.h"
#include "gui_test_support.h"
#include "model/dump.h"
#include "render.h"
#include "store/picture_document.h"

using namespace velmor;
using namespace velmor::gui;

namespace {

std::vector<std::uint8_t> bytesOf(const QByteArray& a) {
    return std::vector<std::uint8_t>(a.begin(), a.end());
}

// The formulas a document carried by a picture holds, as linear text.
QStringList formulasInPicture(const QByteArray& picture) {
    std::string reason;
    QStringList out;
    for (const auto& n : readFormulas(formulasOfDocument(bytesOf(picture), reason)))
        out << QString::fromStdString(linearText(*n));
    return out;
}

// The first empty leaf below n, depth first.
tovimat::nucleo* emptyPlaceIn(tovimat::nucleo* n) {
    if (!n->isGroup()) return n->getLen() == 0 ? n : nullptr;
    auto* c = static_cast<tovimat::container*>(n);
    for (tovimat::nucleo* m = c->first(); m && m->chained(); m = m->next())
        if (tovimat::nucleo* e = emptyPlaceIn(m)) return e;
    return nullptr;
}

// A drag that enters the pane and lets go at pos, as Qt delivers it: the
// entry makes the pane the drop's target. Answers the drop event's outcome
// (Qt::IgnoreAction when refused).
Qt::DropAction dropOn(CVelmorViewWidget& pane, QPointF pos, QMimeData* data,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(pos.toPoint(), offered, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(pane.viewport(), &enter);
    QDropEvent drop(pos, offered, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(pane.viewport(), &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

QStringList linesOf(CVelmorViewWidget& pane) {
    QStringList out;
    tovimat::container* base = pane.view().base();
    for (tovimat::nucleo* m = base->first(); m && m->chained(); m = m->next())
        out << QString::fromStdString(linearText(*m));
    return out;
}

}  // namespace

class EditTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<test::AnsweringSink> sink_;

    CVelmorViewWidget& pane() { return *frame_->activePane(); }
    bool enabled(int id) {
        frame_->updateUi();
        return frame_->action(id)->isEnabled();
    }
    QString text(int id) {
        frame_->updateUi();
        return frame_->action(id)->text();
    }
    // A shortcut typed where the user types: on the pane with the focus.
    void press(QKeyCombination keys) {
        QTest::keyClick(&pane(), keys.key(), keys.keyboardModifiers());
        QCoreApplication::processEvents();
    }
    std::string dump() { return tovimat::dumpTree(*pane().view().base()); }

    // A new document's pane with the lines typed, each a new item.
    CVelmorViewWidget& documentWith(const QStringList& lines) {
        frame_->newDocument();
        CVelmorViewWidget& p = pane();
        test::GuiDriver driver(*frame_, p);
        int y = 10;
        for (const QString& line : lines) {
            driver.play("{NewItemTool}{Click 10 " + std::to_string(y) + "}" + line.toStdString());
            y += 50;
        }
        return p;
    }

private slots:
    void initTestCase() { test::isolateSettings(settingsDir_); }

    void init() {
        QSettings().clear();
        sink_ = std::make_unique<test::AnsweringSink>();
        frame_ = test::freshFrame();
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    }

    void cleanup() {
        for (CGuiDocument* doc : frame_->documents()) doc->core().setModifiedFlag(false);
        frame_.reset();
        sink_.reset();
    }

    void undoRedoShortcuts() {
        documentWith({"a+b"});
        QVERIFY(enabled(id::EditUndo) && !enabled(id::EditRedo));
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo Typing"));
        const std::string typed = dump();

        press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(dump(), std::string("container\n"));
        QVERIFY(!enabled(id::EditUndo) && enabled(id::EditRedo));
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo"));
        QCOMPARE(text(id::EditRedo), QStringLiteral("&Redo Typing"));
        QVERIFY(!frame_->activeDocument()->isModified());

        press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QCOMPARE(dump(), typed);
        QVERIFY(enabled(id::EditUndo) && !enabled(id::EditRedo));
        press(Qt::CTRL | Qt::Key_Z);
        press(Qt::CTRL | Qt::Key_Y);
        QCOMPARE(dump(), typed);
        QCOMPARE(text(id::EditRedo), QStringLiteral("&Redo"));

        // Each insertion command names its step.
        test::GuiDriver(*frame_, pane()).play("{NewItemTool}{Click 10 60}{sin}");
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo Insert Sin"));
        test::GuiDriver(*frame_, pane()).play("{Click 10 110}x*y{Left}{root}");
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo Insert Root"));
        press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(text(id::EditRedo), QStringLiteral("&Redo Insert Root"));
    }

    void cutCopyPasteShortcuts() {
        documentWith({"a+b", "2*x"});
        // Cut takes the line with the caret.
        QVERIFY(enabled(id::EditCut));
        press(Qt::CTRL | Qt::Key_X);
        QCOMPARE(linesOf(pane()), QStringList{"a + b"});
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo Cut"));
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->text(), QStringLiteral("2 * x"));
        QVERIFY(enabled(id::EditPaste));
        press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(linesOf(pane()), (QStringList{"a + b", "2 * x"}));
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo Paste"));

        press(Qt::CTRL | Qt::Key_A);
        QVERIFY(enabled(id::EditCopy));
        press(Qt::CTRL | Qt::Key_C);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat(QStringLiteral("application/x-velmor")));
        QCOMPARE(formulasInPicture(data->data(QStringLiteral("image/svg+xml"))),
                 (QStringList{"a + b", "2 * x"}));
        // Selecting is no step: Undo takes the paste back.
        press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(linesOf(pane()), QStringList{"a + b"});
    }

    // The pictures of a Copy show the copied formulas and carry nothing else.
    void copiedPicturesHoldOnlyTheCopiedFormulas() {
        CVelmorViewWidget& p = documentWith({"a+b", "2*x", "c"});
        test::GuiDriver(*frame_, p).play("{SelectorTool}");
        tovimat::nucleo* second = p.view().base()->first()->next();
        CVelmorProtocol::sharedSelection().add(second);
        press(Qt::CTRL | Qt::Key_C);
        // Copying left the selection as it was.
        QCOMPARE(CVelmorProtocol::sharedSelection().count(), 1);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), QStringLiteral("2 * x"));
        QCOMPARE(formulasInPicture(data->data(QStringLiteral("image/svg+xml"))), QStringList{"2 * x"});
        QCOMPARE(formulasInPicture(data->data(QStringLiteral("image/png"))), QStringList{"2 * x"});
        QVERIFY(data->data(QStringLiteral("application/pdf")).startsWith("%PDF"));
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(image.size(), QSize(second->getRect().Width(), second->getRect().Height()));
    }

    // A picture Velmor drew pastes as the formulas it carries; one without
    // them (and without text) beeps and changes nothing.
    void pastingAPicture() {
        CVelmorViewWidget& from = documentWith({"a+b", "2*x"});
        const QByteArray svg = svgCarrying(documentPicture(*from.view().document()), QStringLiteral("t"),
                                           from.view().document()->currentBytes());
        documentWith({});
        auto* data = new QMimeData;
        data->setData(QStringLiteral("image/svg+xml"), svg);
        QGuiApplication::clipboard()->setMimeData(data);
        QVERIFY(enabled(id::EditPaste));
        press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(linesOf(pane()), (QStringList{"a + b", "2 * x"}));

        const std::string before = dump();
        auto* plain = new QMimeData;
        plain->setData(QStringLiteral("image/svg+xml"),
                       renderSvg(documentPicture(*from.view().document()), {}));
        QGuiApplication::clipboard()->setMimeData(plain);
        const int beeps = sink_->beeps;
        press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(dump(), before);
        QCOMPARE(sink_->beeps, beeps + 1);
    }

    // A formula dragged into another document's window moves there (Shift
    // copies it), where the pointer lets it go: one step in each document.
    void dragBetweenDocuments() {
        CVelmorViewWidget& a = documentWith({"a+b", "2*x"});
        CVelmorViewWidget& b = documentWith({"y="});
        test::GuiDriver(*frame_, a).play("{SelectorTool}");
        tovimat::nucleo* first = a.view().base()->first();
        CVelmorProtocol::sharedSelection().add(first);
        const tovimat::POINT origin = a.view().dragOrigin();
        const QPoint grab(first->left() - origin.x, first->top() - origin.y);

        std::unique_ptr<QMimeData> data(a.dragOutData());
        QVERIFY(data);
        QCOMPARE(dropOn(b, QPointF(300, 200), data.get()), Qt::MoveAction);
        QCOMPARE(linesOf(a), QStringList{"2 * x"});
        QCOMPARE(linesOf(b), (QStringList{"y =", "a + b"}));
        tovimat::nucleo* dropped = b.view().base()->first()->next();
        // It stands from the pointer as it stood from where it was grabbed.
        QCOMPARE(QPoint(dropped->left(), dropped->top()), QPoint(300, 200) + grab);
        QCOMPARE(&pane(), &b);
        QCOMPARE(text(id::EditUndo), QStringLiteral("&Undo Drag and Drop"));
        QCOMPARE(a.view().document()->history().undoLabel(), std::string("Drag and Drop"));

        // The same data again cannot take anything more from the source.
        QCOMPARE(dropOn(b, QPointF(300, 300), data.get()), Qt::CopyAction);
        QCOMPARE(linesOf(a), QStringList{"2 * x"});
        press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(linesOf(b), (QStringList{"y =", "a + b"}));

        // Shift copies; over an empty place the formula takes it.
        CVelmorProtocol::sharedSelection().clear();
        CVelmorProtocol::sharedSelection().add(a.view().base()->first());
        data.reset(a.dragOutData());
        tovimat::nucleo* place = emptyPlaceIn(b.view().base()->first());
        QVERIFY(place);
        const tovimat::aRect r = place->getRect();
        QCOMPARE(
            dropOn(b, QPointF((r.left + r.right) / 2, (r.top + r.bottom) / 2), data.get(), Qt::ShiftModifier),
            Qt::CopyAction);
        QCOMPARE(linesOf(a), QStringList{"2 * x"});
        QCOMPARE(linesOf(b).first(), QStringLiteral("y = 2 * x"));

        // Each document takes its own step back.
        b.view().onUndo();
        b.view().onUndo();
        QCOMPARE(linesOf(b), QStringList{"y ="});
        a.view().onUndo();
        QCOMPARE(linesOf(a), (QStringList{"a + b", "2 * x"}));
    }

    // A drag into a window of the same document is the view's own drag: Qt's
    // drop refuses it.
    void dropIntoTheSameDocumentIsRefused() {
        CVelmorViewWidget& a = documentWith({"a+b"});
        test::GuiDriver(*frame_, a).play("{SelectorTool}");
        CVelmorProtocol::sharedSelection().add(a.view().base()->first());
        std::unique_ptr<QMimeData> data(a.dragOutData());
        QCOMPARE(dropOn(a, QPointF(200, 200), data.get()), Qt::IgnoreAction);
        QCOMPARE(linesOf(a), QStringList{"a + b"});
    }
};

QTEST_MAIN(EditTest)
#include "tst_edit.moc"
