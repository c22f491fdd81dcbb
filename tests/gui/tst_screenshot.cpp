// The program as a person sees it, on a real X server (ctest runs this under
// xvfb-run): the main window with the example document. The screenshot is
// kept as velmor-screenshot.png in the test's folder. Every text the
// document draws must show ink on the screen where it is drawn, and no glyph
// may be the empty box of a missing character.
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include "gui_document.h"
#include "gui_test_support.h"
#include "render.h"

using namespace velmor;
using namespace velmor::gui;

namespace {

bool hasInk(const QImage& shot, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (shot.rect().contains(x, y) && qGray(shot.pixel(x, y)) < 160) return true;
    return false;
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;

private slots:
    void initTestCase() { test::isolateSettings(settingsDir_); }

    void exampleDrawsItsGlyphs() {
        test::AnsweringSink sink;
        CMainFrame frame;
        frame.resize(1100, 760);
        frame.move(0, 0);
        frame.show();
        QVERIFY(frame.openDocument(QStringLiteral(VELMOR_SOURCE_DIR "/examples/example.vlm")));
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTest::qWait(500);
        frame.updateUi();
        QTest::qWait(200);

        CVelmorViewWidget* pane = frame.activePane();
        QVERIFY(pane);
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(QStringLiteral("velmor-screenshot.png")));
        qInfo("screenshot: %s/velmor-screenshot.png", qPrintable(QDir::currentPath()));
        const QImage image = shot.toImage();
        const QPoint origin = pane->viewport()->mapToGlobal(QPoint(0, 0));

        // What the pane draws, drawn again on a recording context.
        QImage scratch(pane->viewport()->size(), QImage::Format_ARGB32);
        QPainter p(&scratch);
        test::RecordingDC dc(&p);
        const tovimat::SIZE size = pane->view().document()->getDocSize();
        tovimat::aRect area(0, 0, size.cx, size.cy);
        pane->view().root()->paint(&dc, area);
        p.end();
        QVERIFY(dc.drawn.size() > 10);

        for (const test::RecordingDC::Drawn& d : dc.drawn) {
            if (d.text.trimmed().isEmpty()) continue;
            QVERIFY2(test::missingGlyphs(d.text, d.font) == 0,
                     qPrintable(QStringLiteral("no glyph for \"%1\" in %2").arg(d.text, d.font.family())));
            const QRect onScreen =
                d.box.translated(origin - QPoint(pane->scrollPosition().x, pane->scrollPosition().y));
            if (!QRect(origin, pane->viewport()->size()).contains(onScreen)) continue;
            QVERIFY2(hasInk(image, onScreen), qPrintable(QStringLiteral("\"%1\" left no ink at %2,%3")
                                                             .arg(d.text)
                                                             .arg(onScreen.x())
                                                             .arg(onScreen.y())));
        }
        for (CGuiDocument* doc : frame.documents()) doc->core().setModifiedFlag(false);
    }
};

QTEST_MAIN(ScreenshotTest)
#include "tst_screenshot.moc"
