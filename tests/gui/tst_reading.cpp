// What helps a person read the formulas of a pane: the zoom (painting,
// caret and hit-testing scaled, the page untouched), the tint over every
// place of a shared value, and what a screen reader is told.
#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <cmath>

#include "gui_document.h"
#include "gui_test_support.h"
#include "refs/reference.h"

using namespace velmor;
using namespace velmor::gui;

// Qt tells accessibility clients of changes only while a screen reader is
// active, which no test platform reports. Qt's own platform accessibility
// (QtGui's private API) is switched on the way a screen reader's bridge
// switches it on.
class QPlatformAccessibility {
public:
    void setActive(bool active);
};
class QPlatformIntegration {
public:
    QPlatformAccessibility* accessibility() const;
};
class QGuiApplicationPrivate {
public:
    static QPlatformIntegration* platform_integration;
};

namespace {

bool activateAccessibility() {
    if (!QAccessible::isActive() && QGuiApplicationPrivate::platform_integration)
        if (QPlatformAccessibility* a = QGuiApplicationPrivate::platform_integration->accessibility())
            a->setActive(true);
    return QAccessible::isActive();
}

struct Heard {
    QAccessible::Event type;
    QObject* object;
    QString value;
    int cursor;
};
std::vector<Heard> heard;

QObject* listenedTo = nullptr;

void listen(QAccessibleEvent* e) {
    if (e->object() != listenedTo) return;
    Heard h{e->type(), e->object(), QString(), -1};
    if (e->type() == QAccessible::ValueChanged)
        h.value = static_cast<QAccessibleValueChangeEvent*>(e)->value().toString();
    if (e->type() == QAccessible::TextCaretMoved)
        h.cursor = static_cast<QAccessibleTextCursorEvent*>(e)->cursorPosition();
    heard.push_back(h);
}

void collectLeaves(tovimat::nucleo* n, std::vector<tovimat::nucleo*>& out) {
    if (!n) return;
    if (!n->isGroup()) {
        out.push_back(n);
        return;
    }
    auto* c = static_cast<tovimat::container*>(n);
    for (tovimat::nucleo* m = c->first(); m && m->chained(); m = m->next()) collectLeaves(m, out);
}

void collectReferences(tovimat::nucleo* n, std::vector<tovimat::nucleo*>& out) {
    if (!n || !n->isGroup()) return;
    if (n->isRef()) out.push_back(n);
    auto* c = static_cast<tovimat::container*>(n);
    for (tovimat::nucleo* m = c->first(); m && m->chained(); m = m->next()) collectReferences(m, out);
}

QRect boxOf(const tovimat::nucleo* n) {
    const tovimat::aRect& r = n->getRect();
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// Pixels that differ from their left or upper neighbour inside a 2 by 2
// block: an image drawn at twice the pixels has them, one scaled up has none.
int detailWithinBlocks(const QImage& image) {
    int detail = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p)
                ++detail;
        }
    return detail;
}

}  // namespace

class ReadingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<CMainFrame> frame_;

    CVelmorViewWidget& pane() { return *frame_->activePane(); }
    void play(const std::string& script) { test::GuiDriver(*frame_, pane()).play(script); }

    void send(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* vp = pane().viewport();
        QMouseEvent e(type, at, vp->mapToGlobal(at), button, buttons, mods);
        QApplication::sendEvent(vp, &e);
    }
    void clickAt(QPointF at) {
        send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    // Where page point p shows on the viewport now.
    QPointF onScreen(QPoint p) {
        const double z = pane().zoom();
        return QPointF(p.x() * z - pane().horizontalScrollBar()->value(),
                       p.y() * z - pane().verticalScrollBar()->value());
    }
    QAction* frameAction(const char* name) { return frame_->findChild<QAction*>(QLatin1String(name)); }
    QString zoomShown() {
        frame_->updateUi();
        return frame_->findChild<QLabel*>(QStringLiteral("zoomIndicator"))->text();
    }

private slots:
    void initTestCase() { test::isolateSettings(settingsDir_); }

    void init() {
        frame_ = test::freshFrame();
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        frame_->newDocument();
        QVERIFY(frame_->activePane());
        QCoreApplication::processEvents();
    }

    void cleanup() {
        for (CGuiDocument* doc : frame_->documents()) doc->core().setModifiedFlag(false);
        frame_.reset();
    }

    // A click at a zoomed point puts the caret where a click at the same
    // page point does at 100 %: in the same node, at the same index, at
    // the same place on the page.
    void zoomedClicksHitTheSamePlace_data() {
        QTest::addColumn<double>("zoom");
        QTest::newRow("50 %") << 0.5;
        QTest::newRow("200 %") << 2.0;
        QTest::newRow("300 %") << 3.0;
    }
    void zoomedClicksHitTheSamePlace() {
        QFETCH(double, zoom);
        play("{Click 10 10}123+ab/cd{Right}-x^2{Right}*yz{End}");
        // Even page coordinates show on whole screen pixels at every zoom.
        std::vector<QPoint> points;
        std::vector<tovimat::nucleo*> leaves;
        collectLeaves(pane().view().base(), leaves);
        QVERIFY(leaves.size() >= 6);
        for (const tovimat::nucleo* leaf : leaves) {
            const QRect box = boxOf(leaf);
            const int y = (box.center().y() / 2) * 2;
            for (int x : {box.left() + 2, box.center().x(), box.right() - 2})
                points.push_back(QPoint(x / 2 * 2, y));
        }
        struct Hit {
            tovimat::nucleo* node;
            int index;
            QRect caret;
        };
        auto hits = [&] {
            std::vector<Hit> out;
            for (const QPoint& p : points) {
                clickAt(onScreen(p));
                out.push_back({pane().view().focused(), pane().view().caretIndex(), pane().caretRect()});
            }
            return out;
        };
        const std::vector<Hit> actual = hits();
        // Clicks move the caret and change nothing else.
        const std::string before = tovimat::dumpTree(*pane().view().base());

        pane().setZoom(zoom);
        QCOMPARE(pane().zoom(), zoom);
        // Somewhere other than the top-left corner: the scroll position is
        // mapped as well.
        pane().horizontalScrollBar()->setValue(7);
        const std::vector<Hit> zoomed = hits();
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), before);
        for (size_t i = 0; i < points.size(); ++i) {
            const QString where = QStringLiteral("page point %1,%2").arg(points[i].x()).arg(points[i].y());
            QVERIFY2(zoomed[i].node == actual[i].node, qPrintable(where));
            QVERIFY2(zoomed[i].index == actual[i].index, qPrintable(where));
            QVERIFY2(zoomed[i].caret == actual[i].caret, qPrintable(where));
        }

        // The rubber band: a band around the line on the screen selects it,
        // and its frame lies around the line on the page.
        play("{SelectorTool}");
        const QRect line = boxOf(pane().view().base()->first());
        const QPointF from = onScreen(line.topLeft() - QPoint(4, 4));
        const QPointF to = onScreen(line.bottomRight() + QPoint(6, 6));
        send(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(pane().focusFrames().size(), 1);
        QVERIFY(pane().focusFrames().first().contains(line));
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(CVelmorProtocol::sharedSelection().count(), 1);
        QCOMPARE((*CVelmorProtocol::sharedSelection().begin()).getTarget(), pane().view().base()->first());
    }

    // The shortcuts and menu entries, the steps and their limits, and the
    // zoom in the status bar. Ctrl++ zooms: it types nothing.
    void zoomCommands() {
        play("{Click 10 10}" + std::string(60, 'w'));
        const std::string typed = tovimat::dumpTree(*pane().view().base());
        QCOMPARE(zoomShown(), QStringLiteral("100 %"));
        QTest::keyClick(&pane(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(pane().zoom(), 1.1);
        QCOMPARE(zoomShown(), QStringLiteral("110 %"));
        QTest::keyClick(&pane(), Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(&pane(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(pane().zoom(), 0.9);
        QTest::keyClick(&pane(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(pane().zoom(), 1.0);
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), typed);

        // From one end of the steps to the other.
        for (int i = 0; i < 30; ++i) frameAction("viewZoomIn")->trigger();
        QCOMPARE(pane().zoom(), CVelmorViewWidget::kMaxZoom);
        QCOMPARE(zoomShown(), QStringLiteral("800 %"));  // brings the enabling up to date
        QVERIFY(!frameAction("viewZoomIn")->isEnabled());
        // The key of a disabled zoom types nothing either.
        QTest::keyClick(&pane(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), typed);
        for (int i = 0; i < 30; ++i) frameAction("viewZoomOut")->trigger();
        QCOMPARE(pane().zoom(), CVelmorViewWidget::kMinZoom);
        QCOMPARE(zoomShown(), QStringLiteral("25 %"));
        QVERIFY(!frameAction("viewZoomOut")->isEnabled());
        QVERIFY(frameAction("viewZoomIn")->isEnabled());
        // A zoom between steps goes to the next step.
        pane().setZoom(1.05);
        frameAction("viewZoomIn")->trigger();
        QCOMPARE(pane().zoom(), 1.1);
        pane().setZoom(20);
        QCOMPARE(pane().zoom(), CVelmorViewWidget::kMaxZoom);

        // The scroll range is the page's, zoomed; the client size the
        // engine sees is the viewport's, in page units.
        pane().setZoom(4.0);
        const QSize viewport = pane().viewport()->size();
        QCOMPARE(pane().horizontalScrollBar()->maximum(), int(pane().totalSize().cx) * 4 - viewport.width());
        QCOMPARE(int(pane().clientSize().cx), viewport.width() / 4);
        QCOMPARE(int(pane().clientSize().cy), viewport.height() / 4);
        // A new pane starts at the zoom of the pane it is split from, and
        // looks at the same page point; from then on each has its own zoom.
        pane().scrollToPosition(tovimat::POINT{100, 0});
        const tovimat::POINT looked = pane().scrollPosition();
        CVelmorViewWidget* first = &pane();
        frame_->activeFrame()->split(1, 2);
        CVelmorViewWidget* second = frame_->activeFrame()->panes().last();
        QCOMPARE(second->zoom(), 4.0);
        QCOMPARE(second->scrollPosition().x, looked.x);
        second->zoomIn();
        QCOMPARE(second->zoom(), 5.0);
        QCOMPARE(first->zoom(), 4.0);
    }

    // Ctrl and the wheel zoom about the pointer: the page point under it
    // stays there (across: the page is too short to scroll down). The
    // wheel alone scrolls.
    void ctrlWheel() {
        play("{Click 10 10}" + std::string(80, 'w'));
        pane().scrollToPosition(tovimat::POINT{0, 0});
        const QPointF at(200, 30);
        const QPoint under = pane().pagePoint(at);
        QWheelEvent in(at, pane().viewport()->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                       Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pane().viewport(), &in);
        QCOMPARE(pane().zoom(), 1.25);
        QVERIFY(std::abs(pane().pagePoint(at).x() - under.x()) <= 1);
        QVERIFY(pane().horizontalScrollBar()->value() > 0);
        QWheelEvent out(at, pane().viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pane().viewport(), &out);
        QCOMPARE(pane().zoom(), 1.1);
        // A touchpad's small steps add up to a notch.
        for (int i = 0; i < 4; ++i) {
            QWheelEvent step(at, pane().viewport()->mapToGlobal(at), QPoint(0, 10), QPoint(0, 30),
                             Qt::NoButton, Qt::ControlModifier, Qt::ScrollUpdate, false);
            QApplication::sendEvent(pane().viewport(), &step);
            QCOMPARE(pane().zoom(), i < 3 ? 1.1 : 1.25);
        }

        pane().setZoom(3.0);
        const int scrolled = pane().horizontalScrollBar()->value() + pane().verticalScrollBar()->value();
        QWheelEvent plain(at, pane().viewport()->mapToGlobal(at), QPoint(), QPoint(-120, 0), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pane().viewport(), &plain);
        QCOMPARE(pane().zoom(), 3.0);
        QVERIFY(pane().horizontalScrollBar()->value() + pane().verticalScrollBar()->value() != scrolled);
    }

    // The pane at 100 % and 200 %, and at 100 % on a screen of twice the
    // pixels: that one has the detail of the 200 % picture, not its pixels
    // doubled. The pictures stay in the test's folder.
    void screenshots() {
        play("{Click 10 10}(a+b)/2=x^2{Right}-1");
        pane().hideCaret();
        QWidget* vp = pane().viewport();
        const QImage normal = vp->grab().toImage();
        pane().setZoom(2.0);
        pane().scrollToPosition(tovimat::POINT{0, 0});
        const QImage doubled = vp->grab().toImage();
        pane().setZoom(1.0);
        QImage dense(vp->size() * 2, QImage::Format_ARGB32_Premultiplied);
        dense.setDevicePixelRatio(2.0);
        dense.fill(Qt::white);
        vp->render(&dense);
        QVERIFY(normal.save(QStringLiteral("velmor-zoom-100.png")));
        QVERIFY(doubled.save(QStringLiteral("velmor-zoom-200.png")));
        QVERIFY(dense.save(QStringLiteral("velmor-zoom-100-at-2x.png")));
        qInfo("screenshots: %s/velmor-zoom-*.png", qPrintable(QDir::currentPath()));

        const QRect line = boxOf(pane().view().base()->first());
        const QRect atTwice(line.topLeft() * 2, line.size() * 2);
        const QImage big = doubled.copy(atTwice);
        const QImage crisp = dense.copy(atTwice);
        QVERIFY(detailWithinBlocks(big) > 20);
        QVERIFY(detailWithinBlocks(crisp) > detailWithinBlocks(big) / 2);
        // Something of the formula is drawn at 200 % where it is drawn at
        // 100 %: the fraction's bar spans twice the pixels.
        auto darkPixels = [](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) n += qGray(image.pixel(x, y)) < 128;
            return n;
        };
        const int small = darkPixels(normal.copy(line));
        const int large = darkPixels(big);
        QVERIFY2(large > 3 * small && large < 5 * small,
                 qPrintable(QStringLiteral("%1 %2").arg(small).arg(large)));
    }

    // Every place of a shared value is tinted while the pointer or the
    // caret is on one of them, and only then.
    void sharedValueTint() {
        play(
            "{Click 10 10}a+b{NewItemTool}{Click 10 60}c*d{SelectorTool}{Drag 0 0 200 40}{Drag 12 12 17 66 "
            "alt}"
            "{EditTool}");
        std::vector<tovimat::nucleo*> places;
        collectReferences(pane().view().base(), places);
        QCOMPARE(places.size(), size_t(2));
        QVERIFY(pane().sharedPlaces().isEmpty());

        auto tinted = [this](const QRect& place) {
            const QImage shot = pane().viewport()->grab().toImage();
            const QRect r = pane().viewportRect(place);
            const QColor under = shot.pixelColor(r.center().x(), r.bottom());
            return under.blue() > under.red() + 60;
        };
        for (double zoom : {1.0, 2.0}) {
            pane().setZoom(zoom);
            pane().scrollToPosition(tovimat::POINT{0, 0});
            send(QEvent::MouseMove, onScreen(boxOf(places[1]).center()), Qt::NoButton, Qt::NoButton);
            QCOMPARE(pane().sharedPlaces().size(), 2);
            for (tovimat::nucleo* place : places) {
                QVERIFY(pane().sharedPlaces().contains(boxOf(place)));
                QVERIFY(tinted(boxOf(place)));
            }
            if (zoom == 2.0)
                QVERIFY(pane().viewport()->grab().save(QStringLiteral("velmor-shared-value.png")));
            send(QEvent::MouseMove, onScreen(QPoint(400, 300)), Qt::NoButton, Qt::NoButton);
            QVERIFY(pane().sharedPlaces().isEmpty());
            QVERIFY(!tinted(boxOf(places[0])));
        }

        // The caret in one place: the tint stays when the pointer leaves.
        pane().setZoom(1.0);
        clickAt(onScreen(boxOf(places[0]).topLeft() + QPoint(3, boxOf(places[0]).height() / 2)));
        QVERIFY(pane().view().focused());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&pane(), &leave);
        QCOMPARE(pane().sharedPlaces().size(), 2);
        // A plain formula under the pointer and the caret: no tint.
        clickAt(QPointF(600, 400));
        play("{NewItemTool}{Click 10 120}q");
        QVERIFY(pane().sharedPlaces().isEmpty());
    }

    // A screen reader finds an editable text whose value is the line with
    // the caret, whose description is that line in words, and whose cursor
    // is the caret, and hears of each change.
    void accessibility() {
        if (!activateAccessibility()) QSKIP("the platform's accessibility cannot be switched on");
        heard.clear();
        listenedTo = &pane();
        QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(listen);
        play("{Click 10 10}x+1/2");

        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&pane());
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::EditableText);
        QVERIFY(a->state().editable);
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("x + 1 / 2"));
        QCOMPARE(a->text(QAccessible::Description), QStringLiteral("x plus 1 over 2"));
        QAccessibleTextInterface* text = a->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), 9);
        QCOMPARE(text->cursorPosition(), 9);
        QCOMPARE(text->text(4, 9), QStringLiteral("1 / 2"));

        // Each character typed changed the value; the last change is the
        // whole formula.
        std::vector<QString> values;
        for (const Heard& h : heard)
            if (h.type == QAccessible::ValueChanged) values.push_back(h.value);
        QVERIFY(values.size() >= 4);
        QCOMPARE(values.back(), QStringLiteral("x + 1 / 2"));

        // The caret moving tells the new offset, and nothing of the value.
        heard.clear();
        play("{Left}");
        QCOMPARE(text->cursorPosition(), 8);
        QCOMPARE(heard.size(), size_t(1));
        QCOMPARE(heard.front().type, QAccessible::TextCaretMoved);
        QCOMPARE(heard.front().cursor, 8);
        heard.clear();
        play("{Home}");
        QVERIFY(!heard.empty());
        QCOMPARE(heard.back().cursor, text->cursorPosition());
        QVERIFY(text->cursorPosition() < 8);

        // A second line: the value is that line alone.
        play("{NewItemTool}{Click 10 80}y");
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("y"));
        QCOMPARE(a->text(QAccessible::Description), QStringLiteral("y"));
        QCOMPARE(text->cursorPosition(), 1);

        // The focus coming back to the pane is announced.
        heard.clear();
        frame_->statusBar()->setFocusPolicy(Qt::StrongFocus);
        frame_->statusBar()->setFocus();
        pane().setFocus();
        QCoreApplication::processEvents();
        bool focused = false;
        for (const Heard& h : heard) focused |= h.type == QAccessible::Focus;
        QVERIFY(focused);

        QAccessible::installUpdateHandler(previous);
    }
};

QTEST_MAIN(ReadingTest)
#include "tst_reading.moc"
