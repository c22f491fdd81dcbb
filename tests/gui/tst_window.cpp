// What a new user meets first: the tool group and the shortcuts, tips that
// say why a command is off, the status line of a command that changed
// nothing, the help page, the About box, the window titles, and export from
// the command line (scale, messages).
#include <QActionGroup>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "core/rule_file.h"
#include "gui_document.h"
#include "gui_test_support.h"
#include "help.h"
#include "message_sink.h"
#include "model/dump.h"
#include "render.h"

using namespace velmor;
using namespace velmor::gui;
namespace c = velmor::cmd;

namespace {

QString example() { return QStringLiteral(VELMOR_SOURCE_DIR "/examples/example.vlm"); }

// Keys that type into a formula when no modifier is held.
bool typesACharacter(const QKeyCombination& k) {
    const Qt::KeyboardModifiers typing = k.keyboardModifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (typing != Qt::NoModifier) return false;
    const int key = k.key();
    return key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis;
}

struct ExportRun {
    int exitCode = -1;
    QString err;
};

ExportRun runExport(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(VELMOR_PROGRAM), QStringList{QStringLiteral("--export")} + args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    QTemporaryDir scratch_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<test::AnsweringSink> sink_;

    CVelmorViewWidget& pane() { return *frame_->activePane(); }
    QAction* act(int id) {
        frame_->updateUi();
        return frame_->action(id);
    }

private slots:
    void initTestCase() { test::isolateSettings(settingsDir_); }

    void init() {
        QSettings().clear();
        sink_ = std::make_unique<test::AnsweringSink>();
        frame_ = test::freshFrame();
        QApplication::setActiveWindow(frame_.get());
    }

    void cleanup() {
        for (CGuiDocument* doc : frame_->documents()) doc->core().setModifiedFlag(false);
        frame_.reset();
        sink_.reset();
    }

    // One tool is checked, the current one, and none of them looks off;
    // the keys and the buttons switch it; every new document starts with
    // the tool whose click places a formula.
    void toolGroupFollowsTheTool() {
        QActionGroup* group = frame_->toolGroup();
        QCOMPARE(group->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
        QCOMPARE(group->actions().size(), 3);
        frame_->newDocument();
        QCOMPARE(act(c::NewItemTool)->isChecked(), true);
        for (QAction* tool : group->actions()) QVERIFY(tool->isEnabled());

        test::GuiDriver driver(*frame_, pane());
        driver.play("{Click 10 10}x");
        QCOMPARE(group->checkedAction(), act(c::EditTool));
        QVERIFY(act(c::EditTool)->isEnabled());

        act(c::SelectorTool)->trigger();
        QCOMPARE(CVelmorView::mode(), int(CVelmorView::SelectorMode));
        QCOMPARE(group->checkedAction(), act(c::SelectorTool));
        // Pressing the current tool again keeps it.
        act(c::SelectorTool)->trigger();
        QCOMPARE(group->checkedAction(), act(c::SelectorTool));

        QTest::keyClick(&pane(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(CVelmorView::mode(), int(CVelmorView::EditMode));
        QCOMPARE(act(c::EditTool)->isChecked(), true);

        // A second document starts with the new-item tool although the
        // first one left the edit tool on: its first click and typing make
        // a formula.
        frame_->newDocument();
        QCOMPARE(CVelmorView::mode(), int(CVelmorView::NewItemMode));
        QCOMPARE(group->checkedAction(), act(c::NewItemTool));
        // Choosing the tool is no change to the document.
        QVERIFY(!frame_->activeDocument()->isModified());
        QVERIFY(!act(id::EditUndo)->isEnabled());
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}y");
        QCOMPARE(tovimat::dumpTree(*pane().view().base()),
                 std::string("container\n  literal \"y\" <caret 1>\n"));
        QCOMPARE(sink_->beeps, 0);
    }

    // Each command has its keys, and no two actions share one; none of
    // them is a key that types into a formula.
    void shortcutTable() {
        const auto keys = [&](int id) { return act(id)->shortcuts(); };
        QCOMPARE(keys(c::Calculate),
                 (QList<QKeySequence>{QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
        QCOMPARE(keys(c::TestRule), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_R)});
        QCOMPARE(keys(c::UseConstants), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_K)});
        QCOMPARE(keys(c::NewItemTool), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_1)});
        QCOMPARE(keys(c::EditTool), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_2)});
        QCOMPARE(keys(c::SelectorTool), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_3)});
        const struct {
            int id;
            QKeySequence::StandardKey key;
        } standard[] = {{id::FileNew, QKeySequence::New},     {id::FileOpen, QKeySequence::Open},
                        {id::FileSave, QKeySequence::Save},   {id::FileSaveAs, QKeySequence::SaveAs},
                        {id::FileClose, QKeySequence::Close}, {id::FilePrint, QKeySequence::Print},
                        {id::EditUndo, QKeySequence::Undo},   {id::EditRedo, QKeySequence::Redo},
                        {id::EditCut, QKeySequence::Cut},     {id::EditCopy, QKeySequence::Copy},
                        {id::EditPaste, QKeySequence::Paste}, {id::EditSelectAll, QKeySequence::SelectAll},
                        {id::AppExit, QKeySequence::Quit},    {id::ContextHelp, QKeySequence::WhatsThis}};
        for (const auto& s : standard) {
            const QList<QKeySequence> bound = QKeySequence::keyBindings(s.key);
            QVERIFY2(!keys(s.id).isEmpty(), qPrintable(act(s.id)->text()));
            for (const QKeySequence& k : bound)
                QVERIFY2(keys(s.id).contains(k), qPrintable(act(s.id)->text() + " " + k.toString()));
        }
        auto* help = frame_->findChild<QAction*>(QStringLiteral("helpTypingFormulas"));
        QVERIFY(help);
        QVERIFY(help->shortcuts().contains(QKeySequence(Qt::Key_F1)));

        QHash<QKeySequence, QString> owner;
        for (QAction* a : frame_->findChildren<QAction*>()) {
            for (const QKeySequence& k : a->shortcuts()) {
                const QString name = a->text();
                QVERIFY2(!owner.contains(k),
                         qPrintable(k.toString() + ": " + owner.value(k) + " and " + name));
                owner.insert(k, name);
                QVERIFY2(!typesACharacter(k[0]), qPrintable(k.toString() + " of " + name));
            }
        }
        // The table of the help page lists them all.
        const QList<QAction*> listed = frame_->shortcutActions();
        QCOMPARE(listed.size(), qsizetype(QSet<QAction*>(listed.begin(), listed.end()).size()));
        for (QAction* a : frame_->findChildren<QAction*>())
            if (!a->shortcuts().isEmpty()) QVERIFY2(listed.contains(a), qPrintable(a->text()));
    }

    // A command that is off says in its tip what turns it on; every button
    // has a tip and a What's This text.
    void disabledTipsSayWhy() {
        QVERIFY(act(c::Calculate)->toolTip().contains(QStringLiteral("open or create a document")));
        frame_->newDocument();
        test::GuiDriver driver(*frame_, pane());
        driver.play("{Click 10 10}a+b");
        const QString why = QStringLiteral("put the caret after the part to calculate, for example with End");
        for (int id : {c::Calculate, c::TestRule, c::UseConstants}) {
            QVERIFY(!act(id)->isEnabled());
            QVERIFY2(act(id)->toolTip().contains(why), qPrintable(act(id)->toolTip()));
            QCOMPARE(act(id)->statusTip(), act(id)->toolTip());
        }
        driver.play("{End}{End}");
        QVERIFY(act(c::Calculate)->isEnabled());
        QCOMPARE(act(c::Calculate)->toolTip(), commandText(c::Calculate).prompt);

        for (QToolBar* bar :
             {frame_->mainToolBar(), frame_->functionsToolBar(), frame_->groupRelationsToolBar()}) {
            for (QAction* a : bar->actions()) {
                if (a->isSeparator()) continue;
                QWidget* button = bar->widgetForAction(a);
                QVERIFY2(!button->toolTip().isEmpty(), qPrintable(QString::number(a->data().toInt())));
                QVERIFY2(!button->whatsThis().isEmpty(), qPrintable(QString::number(a->data().toInt())));
            }
        }
        QVERIFY(act(c::Isolate)->toolTip().contains(QStringLiteral("not available")));
    }

    // A command that runs and leaves the document as it was says so, unless
    // it said something itself.
    void unchangedCommandSaysSo() {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(scratch_.path());
        qputenv("XDG_DATA_HOME", QByteArray("/nonexistent/velmor-gui-test"));
        velmor::setInstalledRuleFileForTesting("/nonexistent/velmor-gui-test/rules.vlm");
        QFile::remove(scratch_.filePath("rules.vlm"));
        QVERIFY(QFile::copy(QStringLiteral(VELMOR_SOURCE_DIR "/examples/rules.vlm"),
                            scratch_.filePath("rules.vlm")));
        frame_->newDocument();
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}a+b{End}{End}");
        const std::string before = tovimat::dumpTree(*pane().view().base());
        frame_->statusBar()->clearMessage();
        act(c::UseConstants)->trigger();
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), before);
        QVERIFY2(
            frame_->statusBar()->currentMessage().startsWith(QStringLiteral("Use constants changed nothing")),
            qPrintable(frame_->statusBar()->currentMessage()));

        // Calculate says why itself (through the sink), so no line of ours.
        frame_->statusBar()->clearMessage();
        act(c::Calculate)->trigger();
        QVERIFY2(frame_->statusBar()->currentMessage().isEmpty(),
                 qPrintable(frame_->statusBar()->currentMessage()));
        QDir::setCurrent(previous);
    }

    // F1 opens the page; it loads, shows formulas drawn by the program and
    // names every shortcut of the window.
    void helpPageLoadsAndNamesEveryShortcut() {
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        QTest::keyClick(frame_.get(), Qt::Key_F1);
        auto* dialog = frame_->findChild<QDialog*>(QStringLiteral("helpDialog"));
        QVERIFY(dialog);
        auto* browser = dialog->findChild<CHelpBrowser*>();
        QVERIFY(browser);
        const QString text = browser->toPlainText();
        for (const char* topic : {"Right", "new item tool", "Alt", "rules.vlm", "Selector tool", "@", "{"})
            QVERIFY2(text.contains(QLatin1String(topic)), topic);
        for (QAction* a : frame_->shortcutActions())
            for (const QKeySequence& k : a->shortcuts())
                QVERIFY2(text.contains(k.toString(QKeySequence::NativeText)),
                         qPrintable(a->text() + " " + k.toString()));

        // The fraction is drawn: wider than a character, taller than a line.
        const QImage fraction =
            browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("formula:1/2")))
                .value<QImage>();
        const QImage one = formulaImage(QStringLiteral("1"), 1);
        QVERIFY(!fraction.isNull() && !one.isNull());
        QVERIFY(fraction.height() > one.height() * 3 / 2);
        QVERIFY(formulaImage(QStringLiteral("1 +"), 1).isNull());
        // At twice the pixel density the picture has twice the pixels.
        QCOMPARE(formulaImage(QStringLiteral("1/2"), 2).size(), fraction.size() * 2);
        // Kept beside the test for a look at the page.
        dialog->resize(700, 1800);
        dialog->grab().save(QStringLiteral("velmor-help.png"));
        delete dialog;
    }

    void aboutShowsVersionLicenceAndAddress() {
        std::unique_ptr<QDialog> about(createAboutDialog(frame_.get()));
        QCOMPARE(about->findChild<QLabel*>("versionLabel")->text(),
                 QStringLiteral("Velmor Version " VELMOR_VERSION));
        const QString details = about->findChild<QLabel*>("detailsLabel")->text();
        QVERIFY(details.contains(QStringLiteral("Licence: ")));
        QVERIFY(details.contains(QStringLiteral("Project: ")));
    }

    // "Untitled 1", "Untitled 2"; the main title is the active document's,
    // with one modified mark.
    void titlesNameTheActiveDocument() {
        CGuiDocument* first = frame_->newDocument();
        CGuiDocument* second = frame_->newDocument();
        QCOMPARE(first->title(), QStringLiteral("Untitled 1"));
        QCOMPARE(second->title(), QStringLiteral("Untitled 2"));
        frame_->updateUi();
        QCOMPARE(frame_->windowTitle(), QStringLiteral("Untitled 2[*] - Velmor"));

        auto* mdi = qobject_cast<QMdiArea*>(frame_->centralWidget());
        QMdiSubWindow* firstWindow = nullptr;
        for (QMdiSubWindow* sw : mdi->subWindowList())
            if (qobject_cast<CChildFrame*>(sw->widget())->document() == first) firstWindow = sw;
        mdi->setActiveSubWindow(firstWindow);
        QTRY_COMPARE(frame_->windowTitle(), QStringLiteral("Untitled 1[*] - Velmor"));
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}x");
        frame_->updateUi();
        QVERIFY(frame_->isWindowModified());
        QCOMPARE(frame_->windowTitle().count(QStringLiteral("[*]")), 1);

        // Maximizing and restoring a window leaves the title as it is.
        firstWindow->showNormal();
        QTRY_COMPARE(frame_->windowTitle(), QStringLiteral("Untitled 1[*] - Velmor"));
        firstWindow->showMaximized();
        QTRY_COMPARE(frame_->windowTitle(), QStringLiteral("Untitled 1[*] - Velmor"));

        // An opened file takes no number; the next new document goes on.
        QVERIFY(frame_->openDocument(example()));
        QTRY_COMPARE(frame_->windowTitle(), QStringLiteral("example.vlm[*] - Velmor"));
        QVERIFY(!frame_->isWindowModified());
        QCOMPARE(frame_->newDocument()->title(), QStringLiteral("Untitled 3"));
        sink_->answers = {IDCANCEL};
        frame_->closeDocument(first);
        QCOMPARE(sink_->boxes.back().text, std::string("Save changes to Untitled 1?"));
    }

    // File > Export asks for the scale of a PNG and draws it so.
    void exportDialogOffersTheScale() {
        QVERIFY(frame_->openDocument(example()));
        const QString out = scratch_.filePath("dialog.png");
        int answered = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                // The dialog fills its name field with the suggested name
                // once its folder is read: type the path over it, then accept
                // before the dialog runs again.
                auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (!name) return;
                name->setText(out);
                QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
                ++answered;
            } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
                QCOMPARE(input->doubleValue(), 1.0);
                input->setDoubleValue(2);
                input->accept();
                ++answered;
            }
        });
        answer.start(20);
        frame_->updateUi();
        frame_->findChild<QAction*>(QStringLiteral("fileExport"))->trigger();
        answer.stop();
        QCOMPARE(answered, 2);
        COffscreenDocument doc;
        QVERIFY(doc.open(example()));
        QCOMPARE(QImage(out).size(), documentPicture(doc.doc()).size * 2);
    }

    // velmor --export: a PNG doubles with --scale 2; what the engine says on
    // the way is a warning line, never a log line.
    void exportScaleAndMessages() {
        const QString one = scratch_.filePath("one.png");
        const QString two = scratch_.filePath("two.png");
        ExportRun r = runExport({example(), one});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        r = runExport({example(), two, QStringLiteral("--scale"), QStringLiteral("2")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(QImage(two).size(), QImage(one).size() * 2);

        const QString bogus = scratch_.filePath("bogus.vlm");
        {
            QFile f(bogus);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a formula");
        }
        r = runExport({bogus, one});
        QCOMPARE(r.exitCode, 2);
        for (const QString& line : r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(!line.startsWith(QLatin1Char('!')), qPrintable(line));
        QVERIFY2(r.err.contains(QStringLiteral("velmor: warning: Bad file format")), qPrintable(r.err));
        QVERIFY2(r.err.contains(bogus + QStringLiteral(" is not a Velmor document")), qPrintable(r.err));
        QCOMPARE(CWarningSink::warningLine("Problem loading file\r\nLoader aborted!"),
                 QByteArray("velmor: warning: Problem loading file: Loader aborted!\n"));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
