// A pane of the desktop program against velmor-cli: the same script played
// with real key and mouse events on the pane, and through the headless
// harness, must leave the same tree and the same log. Then what only a real
// window has: keys as a keyboard sends them, the caret, the XOR frames and
// scrolling.
#include <QScrollBar>
#include <QTest>

#include "gui_document.h"
#include "gui_test_support.h"
#include "key_map.h"

using namespace velmor;
using namespace velmor::gui;
namespace c = velmor::cmd;

class ViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<CMainFrame> frame_;

    CVelmorViewWidget& pane() { return *frame_->activePane(); }
    std::string guiDump() { return tovimat::dumpTree(*pane().view().base()); }

private slots:
    void initTestCase() { test::isolateSettings(settingsDir_); }

    void init() {
        frame_ = test::freshFrame();
        frame_->newDocument();
        QVERIFY(frame_->activePane());
        QCoreApplication::processEvents();
    }

    void cleanup() {
        // Nothing asks to be saved: the answer is No.
        for (CGuiDocument* doc : frame_->documents()) doc->core().setModifiedFlag(false);
        frame_.reset();
    }

    void sameAsCli_data() {
        QTest::addColumn<QString>("script");
        // Typing and the editing keys.
        QTest::newRow("number then name") << "{Click 10 10}2x";
        QTest::newRow("editing keys") << "{Click 10 10}12+ab{Left}{Left}{Back}{Home}{Del}{End}3";
        QTest::newRow("shifted punctuation") << "{Click 10 10}(a+b)*c";
        QTest::newRow("relation glyphs") << "{Click 10 10}x=>";
        QTest::newRow("enter starts a line") << "{Click 10 10}a{Enter}b";
        QTest::newRow("latin-1 letter") << "{Click 10 10}\xc3\xa9t\xc3\xa9";
        QTest::newRow("greek letter is refused") << "{Click 10 10}a\xce\xb1+b";
        QTest::newRow("key with the new-item tool beeps") << "a{Click 10 10}b";
        // The toolbars.
        QTest::newRow("log before a group") << "{Click 10 10}x^2{End}{End}{Home}{log}";
        QTest::newRow("sin wraps a field") << "{Click 10 10}{sin}";
        QTest::newRow("true replaces a field") << "{Click 10 10}{True}";
        QTest::newRow("minus infinity") << "{Click 10 10}{-Infinity}";
        QTest::newRow("belongs") << "{Click 10 10}a{Home}{belongs}";
        QTest::newRow("disabled on a leaf") << "{Click 10 10}ab{Calculate}{True}";
        QTest::newRow("calculate") << "{Click 10 10}3+4{End}{End}{Calculate}";
        QTest::newRow("test rule without its file") << "{Click 10 10}a+b{End}{End}{TestRule}";
        // The mouse.
        QTest::newRow("click puts the caret") << "{Click 10 10}abc{Click 300 300}x{Click @0:left}y";
        QTest::newRow("selector click") << "{Click 10 10}a+b{SelectorTool}{Click @0.0}";
        QTest::newRow("ctrl click twice")
            << "{Click 10 10}a+b{SelectorTool}{Click @0.0 ctrl}{Click @0.1 ctrl}";
        QTest::newRow("ctrl click deselects")
            << "{Click 10 10}a+b{SelectorTool}{Click @0.0 ctrl}{Click @0.0 ctrl}";
        QTest::newRow("delete the selection") << "{Click 10 10}a+b{SelectorTool}{Click @0.1}{Del}";
        QTest::newRow("rubber band") << "{Click 10 10}a+b{SelectorTool}{Drag 0 0 300 200}";
        QTest::newRow("drop on empty space")
            << "{Click 10 10}a+b{SelectorTool}{Click @0.0 ctrl}{Drag @0.0 200 200}";
        QTest::newRow("right button cancels the drop")
            << "{Click 10 10}a+b{SelectorTool}{Click @0.0 ctrl}{Drag @0.0 200 200 right}";
        QTest::newRow("shift copies")
            << "{Click 10 10}a+b{SelectorTool}{Click @0.1 ctrl}{Drag @0.1 200 200 shift}";
        QTest::newRow("alt shares the value")
            << "{Click 10 10}a+b{SelectorTool}{Drag 0 0 300 200}{Drag @0.0 200 200 alt}";
        QTest::newRow("typing in the shared place")
            << "{Click 10 10}a+b{SelectorTool}{Drag 0 0 300 200}{Drag @0.0 200 200 alt}{EditTool}{Click @1:right}*c";
        QTest::newRow("edit tool drops the selection")
            << "{Click 10 10}a+b{SelectorTool}{Click @0.0}{EditTool}{Click @0.1:right}c";
    }

    void sameAsCli() {
        QFETCH(QString, script);
        const std::string s = script.toStdString();
        const std::string expected = test::cliOutput(s);

        tovimat::protocol::mode = 0;
        tovimat::protocol::mouseOn = nullptr;
        EventLog log;
        test::GuiDriver driver(*frame_, pane());
        driver.log = &log;
        driver.play(s);
        QCOMPARE(QString::fromStdString(log.text() + guiDump()), QString::fromStdString(expected));
    }

    // A character that Windows-1252 cannot hold is refused with a beep and
    // changes nothing; keys are sent as a US keyboard's, never as bytes.
    void keyboardTranslation() {
        auto only = [](const TranslatedKey& t) {
            return t.strokes.size() == 1 ? t.strokes[0] : KeyStroke{-1, -1};
        };
        QCOMPARE(only(translateKey(Qt::Key_ParenLeft, Qt::ShiftModifier, QStringLiteral("("))),
                 (KeyStroke{'9', '('}));
        QCOMPARE(only(translateKey(Qt::Key_Period, Qt::NoModifier, QStringLiteral("."))),
                 (KeyStroke{tovimat::VK_OEM_PERIOD, '.'}));
        QCOMPARE(only(translateKey(Qt::Key_Period, Qt::KeypadModifier, QStringLiteral("."))),
                 (KeyStroke{tovimat::VK_DECIMAL, '.'}));
        QCOMPARE(only(translateKey(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"))), (KeyStroke{'A', 'a'}));
        QCOMPARE(only(translateKey(Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"))),
                 (KeyStroke{0, 0xE9}));
        QCOMPARE(only(translateKey(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"))),
                 (KeyStroke{tovimat::VK_RETURN, 13}));
        QCOMPARE(only(translateKey(Qt::Key_Delete, Qt::NoModifier, QString())),
                 (KeyStroke{tovimat::VK_DELETE, -1}));
        QCOMPARE(only(translateKey(Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"))),
                 (KeyStroke{'C', -1}));
        QVERIFY(translateKey(Qt::Key_Shift, Qt::ShiftModifier, QString()).strokes.empty());
        QVERIFY(translateKey(Qt::Key_X, Qt::AltModifier, QStringLiteral("x")).strokes.empty());
        const TranslatedKey euro = translateKey(0x20ac, Qt::NoModifier, QStringLiteral("\u20ac"));
        QCOMPARE(only(euro), (KeyStroke{0, 0x80}));
        const TranslatedKey infinity = translateKey(0x221e, Qt::NoModifier, QStringLiteral("\u221e"));
        QVERIFY(infinity.beep && infinity.strokes.empty());

        test::AnsweringSink sink;
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}ab");
        const std::string before = guiDump();
        QTest::sendKeyEvent(QTest::Click, &pane(), Qt::Key(0x221e), QStringLiteral("\u221e"), Qt::NoModifier);
        QCOMPARE(sink.beeps, 1);
        QCOMPARE(guiDump(), before);
    }

    // The caret is 3 pixels wide, as high as the node, where the node's
    // text ends, and blinks while the pane has it.
    void caret() {
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}ab");
        tovimat::nucleo* leaf = pane().view().focused();
        QVERIFY(leaf);
        QVERIFY(pane().caretVisible());
        const QRect caret = pane().caretRect();
        QCOMPARE(caret.width(), 3);
        QCOMPARE(caret.height(), int(leaf->Height()));
        QCOMPARE(caret.left(), int(leaf->right()));
        QCOMPARE(caret.top(), int(leaf->top()));

        // A second pane that makes a caret takes it from the first.
        CChildFrame* f = frame_->activeFrame();
        f->split(1, 2);
        CVelmorViewWidget* other = f->panes().last();
        test::GuiDriver(*frame_, *other).play("{Click @0:left}");
        QVERIFY(other->caretVisible());
        QVERIFY(!f->panes().first()->caretVisible());
    }

    // Selection frames are XOR frames: the selector draws them, switching
    // to the edit tool takes them all away, and drawing one twice leaves
    // nothing.
    void xorFrames() {
        test::GuiDriver driver(*frame_, pane());
        driver.play("{Click 10 10}a+b{SelectorTool}{Click @0.0 ctrl}{Click @0.1 ctrl}");
        QCOMPARE(pane().focusFrames().size(), 2);
        const QRect a = pane().focusFrames().first();
        tovimat::RECT r{a.left(), a.top(), a.right() + 1, a.bottom() + 1};
        pane().drawFocusRect(r);
        QCOMPARE(pane().focusFrames().size(), 1);
        pane().drawFocusRect(r);
        QCOMPARE(pane().focusFrames().size(), 2);
        // Other panes of the document show the same frames, and lose them
        // with the selection.
        CChildFrame* f = frame_->activeFrame();
        f->split(2, 1);
        frame_->updateUi();
        CVelmorViewWidget* below = f->panes().last();
        QCOMPARE(below->focusFrames().size(), 2);
        driver.play("{EditTool}");
        frame_->updateUi();
        QVERIFY(pane().focusFrames().isEmpty());
        QVERIFY(below->focusFrames().isEmpty());
        f->split(1, 1);

        // The rubber band shows while it is dragged, and is gone after.
        driver.play("{SelectorTool}");
        QWidget* vp = pane().viewport();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 250), vp->mapToGlobal(QPointF(300, 250)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &press);
        QVERIFY(pane().captured());
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QCOMPARE(pane().focusFrames().size(), 1);
        QCOMPARE(pane().focusFrames().first(), QRect(QPoint(5, 5), QPoint(299, 249)));
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &release);
        QVERIFY(!pane().captured());
        // The sum inside the band is selected; the paint that follows the
        // band shows its frame.
        QCOMPARE(CVelmorProtocol::sharedSelection().count(), 1);
        pane().viewport()->repaint();
        QCOMPARE(pane().focusFrames().size(), 1);
    }

    // The scroll range follows the tree; a caret past the edge scrolls the
    // pane so that it stands a fifth of the width inside.
    void scrolling() {
        frame_->resize(500, 400);
        QCoreApplication::processEvents();
        CVelmorViewWidget& p = pane();
        const tovimat::SIZE client = p.clientSize();
        test::GuiDriver(*frame_, p).play("{Click 10 10}" + std::string(120, 'w'));
        tovimat::nucleo* leaf = p.view().focused();
        QVERIFY(leaf && leaf->right() > client.cx);
        QCOMPARE(int(p.totalSize().cx), int(leaf->right()) + 80);
        QCOMPARE(p.horizontalScrollBar()->maximum(), int(p.totalSize().cx - client.cx));
        // The caret followed the typing and stayed on the screen.
        const int typedScroll = p.horizontalScrollBar()->value();
        QVERIFY(typedScroll > 0);
        QVERIFY(p.caretRect().left() - typedScroll <= client.cx);

        p.scrollToPosition(tovimat::POINT{0, 0});
        p.view().placeCaret(client.cx + 50, 12);
        QCOMPARE(p.horizontalScrollBar()->value(), client.cx / 5 + 50);
        QCOMPARE(p.caretRect().topLeft(), QPoint(client.cx + 50, 12));
        // Scrolling moves the caret with the text.
        p.scrollToPosition(tovimat::POINT{0, 0});
        QCOMPARE(p.caretRect().topLeft(), QPoint(client.cx + 50, 12));
    }
};

QTEST_MAIN(ViewTest)
#include "tst_view.moc"
