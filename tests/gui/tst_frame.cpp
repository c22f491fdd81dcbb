// The main window: toolbars and menus as described, commands enabled by
// their rules, the toolbar toggles, titles with the modified mark, the
// recent-file list, opening and closing documents, and the split panes.
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstring>
#include <initializer_list>

#include "core/rule_file.h"
#include "gui_document.h"
#include "gui_test_support.h"
#include "message_sink.h"
#include "model/dump.h"
#include "qt_dc.h"

using namespace velmor;
using namespace velmor::gui;
namespace c = velmor::cmd;

namespace {

// The ids of a toolbar's buttons in order, 0 for a separator.
QList<int> buttonsOf(QToolBar* bar) {
    QList<int> out;
    for (QAction* a : bar->actions()) out << (a->isSeparator() ? 0 : a->data().toInt());
    return out;
}

// The ids of groups of buttons with a separator (0) between groups.
QList<int> grouped(std::initializer_list<std::initializer_list<int>> groups) {
    QList<int> out;
    for (const auto& group : groups) {
        if (!out.isEmpty()) out << 0;
        for (int id : group) out << id;
    }
    return out;
}

QMenu* menuNamed(CMainFrame& frame, const QString& title) {
    for (QAction* a : frame.menuBar()->actions())
        if (a->menu() && a->text().remove(QLatin1Char('&')) == title) return a->menu();
    return nullptr;
}

// The entries of a menu without the & marks, separators as "-".
QStringList entriesOf(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            out << QStringLiteral("-");
        else if (a->isVisible())
            out << a->text().remove(QLatin1Char('&'));
    }
    return out;
}

QString example() { return QStringLiteral(VELMOR_SOURCE_DIR "/examples/example.vlm"); }

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    QTemporaryDir scratch_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<test::AnsweringSink> sink_;

    CVelmorViewWidget& pane() { return *frame_->activePane(); }
    bool enabled(int id) {
        frame_->updateUi();
        return frame_->action(id)->isEnabled();
    }

private slots:
    void initTestCase() { test::isolateSettings(settingsDir_); }

    void init() {
        QSettings().clear();
        sink_ = std::make_unique<test::AnsweringSink>();
        frame_ = test::freshFrame();
    }

    void cleanup() {
        for (CGuiDocument* doc : frame_->documents()) doc->core().setModifiedFlag(false);
        frame_.reset();
        sink_.reset();
    }

    void toolbarsHoldTheirButtonsInOrder() {
        const QList<int> main = grouped({
            {id::FileNew, id::FileOpen, id::FileSave},
            {id::EditCut, id::EditCopy, id::EditPaste},
            {id::FilePrint, id::AppAbout, id::ContextHelp},
            {c::SelectorTool, c::NewItemTool, c::EditTool},
            {c::Calculate, c::UseConstants, c::TestRule, c::MainToolbarSpare, c::Isolate},
        });
        const QList<int> functions = grouped({
            {c::InsertTrue, c::InsertFalse},
            {c::InsertPlusInfinity, c::InsertMinusInfinity},
            {c::InsertRoot, c::InsertPower, c::InsertLog},
            {c::InsertSin, c::InsertCos, c::InsertTan},
            {c::InsertASin, c::InsertACos, c::InsertATan},
        });
        const QList<int> groupRelations = grouped({
            {c::InsertIntersection, c::InsertUnion},
            {c::InsertContains, c::InsertNotContain, c::InsertContained},
            {c::Refers, c::Refered},
            {c::InsertBelongs, c::InsertNotBelong},
        });
        QCOMPARE(buttonsOf(frame_->mainToolBar()), main);
        QCOMPARE(buttonsOf(frame_->functionsToolBar()), functions);
        QCOMPARE(buttonsOf(frame_->groupRelationsToolBar()), groupRelations);

        QCOMPARE(frame_->toolBarArea(frame_->mainToolBar()), Qt::TopToolBarArea);
        QCOMPARE(frame_->toolBarArea(frame_->functionsToolBar()), Qt::TopToolBarArea);
        QCOMPARE(frame_->toolBarArea(frame_->groupRelationsToolBar()), Qt::LeftToolBarArea);
        QCOMPARE(frame_->functionsToolBar()->iconSize(), QSize(30, 15));
        for (QToolBar* bar :
             {frame_->mainToolBar(), frame_->functionsToolBar(), frame_->groupRelationsToolBar()}) {
            QCOMPARE(bar->allowedAreas(), Qt::AllToolBarAreas);
            for (QAction* a : bar->actions()) {
                if (a->isSeparator()) continue;
                QVERIFY2(!a->icon().isNull(), qPrintable(QString::number(a->data().toInt())));
            }
        }
    }

    void buttonsCarryTheirPrompts_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prompt");
        // One or two of each toolbar, the button without a command, and the
        // menu-only Font.
        QTest::newRow("calculate") << c::Calculate << "Calculates hilited expression";
        QTest::newRow("use constants") << c::UseConstants << "Use constants defined on \"rules.vlm\" file";
        QTest::newRow("edit") << c::EditTool << "Edit tool, click to positionate cursor";
        QTest::newRow("isolate") << c::Isolate << "Isolate member on hilited expression";
        QTest::newRow("false") << c::InsertFalse << "Inserts boolean 'False'";
        QTest::newRow("log") << c::InsertLog << "Inserts logaritm operator";
        QTest::newRow("not contain") << c::InsertNotContain << "Not contain";
        QTest::newRow("refered") << c::Refered << "Refered";
        QTest::newRow("font") << c::Font << "Define font of hilited expression";
    }

    void buttonsCarryTheirPrompts() {
        QFETCH(int, id);
        QFETCH(QString, prompt);
        QAction* a = frame_->action(id);
        QVERIFY(a);
        // The tip starts with the prompt; a command that is off adds why.
        frame_->updateUi();
        QVERIFY2(a->statusTip().startsWith(prompt), qPrintable(a->statusTip()));
        QCOMPARE(a->toolTip(), a->statusTip());
        // Pointing at the button, or at the menu entry, shows the tip in
        // the status bar.
        QWidget* button = nullptr;
        for (QToolBar* bar :
             {frame_->mainToolBar(), frame_->functionsToolBar(), frame_->groupRelationsToolBar()})
            if (!button) button = bar->widgetForAction(a);
        if (button) {
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(button, &enter);
        } else {
            a->showStatusText(frame_.get());
        }
        QCOMPARE(frame_->statusBar()->currentMessage(), a->statusTip());
    }

    void menusListTheirEntries() {
        const QStringList bar = [&] {
            QStringList out;
            for (QAction* a : frame_->menuBar()->actions()) out << a->text().remove(QLatin1Char('&'));
            return out;
        }();
        QCOMPARE(bar, (QStringList{"File", "Edit", "View", "Tools", "Insert", "Format", "Window", "Help"}));
        QCOMPARE(
            entriesOf(menuNamed(*frame_, "File")),
            (QStringList{"New", "Open...", "Close", "Save", "Save As...", "Import...", "Export...", "-",
                         "Print...", "Print Preview", "Print Setup...", "-", "Recent File", "-", "Exit"}));
        QCOMPARE(entriesOf(menuNamed(*frame_, "View")),
                 (QStringList{"Toolbar", "Functions Toolbar", "Group Relations Toolbar", "Status Bar",
                              "Rules Panel", "-", "Zoom In", "Zoom Out", "Actual Size"}));
        QCOMPARE(entriesOf(menuNamed(*frame_, "Tools")),
                 (QStringList{"Calculate", "Calculate All", "Simplify", "Test Rule", "Use constants",
                              "Edit Rules...", "-", "Selector tool", "New item tool", "Edit tool", "-",
                              "Isolate"}));
        QCOMPARE(entriesOf(menuNamed(*frame_, "Format")), QStringList{"Font..."});
        const QStringList edit = entriesOf(menuNamed(*frame_, "Edit"));
        QCOMPARE(edit.mid(edit.indexOf("Copy"), 3), (QStringList{"Copy", "Copy as LaTeX", "Copy as MathML"}));
        QVERIFY(entriesOf(menuNamed(*frame_, "Help")).contains("About Velmor..."));
        QCOMPARE(entriesOf(menuNamed(*frame_, "Window")).mid(0, 4),
                 (QStringList{"New Window", "Cascade", "Tile", "Split"}));
        const QStringList insert = entriesOf(menuNamed(*frame_, "Insert"));
        for (int id :
             {c::InsertTrue,       c::InsertFalse,        c::InsertPlusInfinity, c::InsertMinusInfinity,
              c::InsertSin,        c::InsertCos,          c::InsertTan,          c::InsertASin,
              c::InsertACos,       c::InsertATan,         c::InsertLog,          c::InsertRoot,
              c::InsertPower,      c::InsertIntersection, c::InsertUnion,        c::InsertContained,
              c::InsertNotContain, c::InsertBelongs,      c::InsertNotBelong,    c::InsertContains})
            QVERIFY2(menuNamed(*frame_, "Insert")->actions().contains(frame_->action(id)),
                     qPrintable(QString::number(id)));
        QCOMPARE(insert.first(), QStringLiteral("True"));

        std::unique_ptr<QDialog> about(createAboutDialog(frame_.get()));
        QCOMPARE(about->windowTitle(), QStringLiteral("About Velmor"));
        QCOMPARE(about->findChild<QLabel*>("versionLabel")->text(), QStringLiteral("Velmor Version 1.0.39"));
    }

    // Each command follows its rule as the caret moves through a formula.
    void enablingFollowsTheRules() {
        // Without a document nothing acts on a view.
        QVERIFY(!enabled(c::Calculate));
        QVERIFY(!enabled(c::Font));
        QVERIFY(!enabled(id::FileSave));
        QVERIFY(enabled(id::FileNew));

        frame_->newDocument();
        // New-item tool current: checked, and like the other tools it can
        // be pressed; Font is always on.
        QVERIFY(enabled(c::NewItemTool) && frame_->action(c::NewItemTool)->isChecked());
        QVERIFY(enabled(c::EditTool) && enabled(c::SelectorTool) && enabled(c::Font));
        for (int id : {c::Calculate, c::TestRule, c::UseConstants, c::InsertTrue, c::InsertSin, c::InsertLog})
            QVERIFY2(!enabled(id), qPrintable(QString::number(id)));

        test::GuiDriver driver(*frame_, pane());
        driver.play("{Click 10 10}");
        // An empty name between the line's delimiters: constants, functions
        // and operators, no group commands.
        QVERIFY(enabled(c::InsertTrue) && enabled(c::InsertMinusInfinity));
        QVERIFY(enabled(c::InsertSin) && enabled(c::InsertATan));
        QVERIFY(enabled(c::InsertLog) && enabled(c::InsertBelongs));
        QVERIFY(!enabled(c::Calculate));
        QVERIFY(frame_->action(c::EditTool)->isChecked() && !frame_->action(c::NewItemTool)->isChecked());

        driver.play("a+b");
        // The caret inside "b", past its text: no constant, no function.
        QVERIFY(!enabled(c::InsertTrue) && !enabled(c::InsertSin));
        // Between neighbours: the operators.
        QVERIFY(enabled(c::InsertPower) && enabled(c::InsertUnion));
        driver.play("{End}{End}");
        // After the sum, a group: the group commands.
        QVERIFY(enabled(c::Calculate) && enabled(c::TestRule) && enabled(c::UseConstants) &&
                enabled(c::Simplify) && enabled(c::CalculateAll));
        // Never handled: always off.
        for (int id : {c::Isolate, c::MainToolbarSpare, c::Refers, c::Refered})
            QVERIFY2(!enabled(id), qPrintable(QString::number(id)));
        QVERIFY(enabled(id::EditCopy) && enabled(id::FileSave) && enabled(id::FilePrint));

        // The rules are the view's, whatever the state; a tool is checked
        // where the view would refuse it as current.
        for (const c::Command& command : c::commands()) {
            if (command.kind == c::Kind::Tool)
                QCOMPARE(frame_->action(command.id)->isChecked(), !pane().view().isEnabled(command.id));
            else
                QCOMPARE(enabled(command.id), pane().view().isEnabled(command.id));
        }
    }

    // Undo and Redo name their step and follow the history; Cut, Paste and
    // Select All need something to act on; the standard shortcuts.
    void editMenuUndoRedoCutPaste() {
        QCOMPARE(entriesOf(menuNamed(*frame_, "Edit")),
                 (QStringList{"Undo", "Redo", "-", "Cut", "Copy", "Copy as LaTeX", "Copy as MathML", "Paste", "-",
                              "Select All"}));
        QVERIFY(frame_->action(id::EditUndo)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
        QVERIFY(frame_->action(id::EditRedo)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
        QVERIFY(frame_->action(id::EditRedo)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QCOMPARE(frame_->action(id::EditSelectAll)->shortcut(), QKeySequence(QKeySequence::SelectAll));

        frame_->newDocument();
        QVERIFY(!enabled(id::EditUndo) && !enabled(id::EditRedo) && !enabled(id::EditCut));
        QVERIFY(!enabled(id::EditSelectAll));
        test::GuiDriver driver(*frame_, pane());
        driver.play("{Click 10 10}a+b");
        QVERIFY(enabled(id::EditUndo) && !enabled(id::EditRedo));
        QCOMPARE(frame_->action(id::EditUndo)->text(), QStringLiteral("&Undo Typing"));
        const std::string typed = tovimat::dumpTree(*pane().view().base());

        frame_->action(id::EditUndo)->trigger();
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), std::string("container\n"));
        QVERIFY(!enabled(id::EditUndo) && enabled(id::EditRedo));
        QCOMPARE(frame_->action(id::EditRedo)->text(), QStringLiteral("&Redo Typing"));
        QVERIFY(!frame_->activeDocument()->isModified());
        frame_->action(id::EditRedo)->trigger();
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), typed);

        // Cut takes the line with the caret onto the system clipboard, with
        // its records; Paste puts it back as a new item.
        QVERIFY(enabled(id::EditCut));
        frame_->action(id::EditCut)->trigger();
        QCOMPARE(tovimat::dumpTree(*pane().view().base()), std::string("container\n"));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat(QStringLiteral("application/x-velmor")));
        QCOMPARE(data->text(), QStringLiteral("a + b"));
        frame_->updateUi();
        QCOMPARE(frame_->action(id::EditUndo)->text(), QStringLiteral("&Undo Cut"));
        QVERIFY(enabled(id::EditPaste));
        frame_->action(id::EditPaste)->trigger();
        QCOMPARE(pane().view().base()->members(), 1);
        QVERIFY(tovimat::dumpTree(*pane().view().base()).find("sum") != std::string::npos);

        // Plain text is read as a formula.
        QGuiApplication::clipboard()->setText(QStringLiteral("2*x"));
        frame_->action(id::EditPaste)->trigger();
        QCOMPARE(pane().view().base()->members(), 2);
        QVERIFY(tovimat::dumpTree(*pane().view().base()).find("multiplication") != std::string::npos);
        QVERIFY(enabled(id::EditSelectAll));
        frame_->action(id::EditSelectAll)->trigger();
        QCOMPARE(CVelmorProtocol::sharedSelection().count(), 2);
        frame_->action(id::EditUndo)->trigger();
        QCOMPARE(pane().view().base()->members(), 1);
    }

    void toolbarTogglesHideAndDisable() {
        QToolBar* bar = frame_->functionsToolBar();
        QAction* toggle = frame_->action(c::ToggleFunctionsBar);
        frame_->updateUi();
        QVERIFY(toggle->isChecked() && bar->isEnabled() && bar->isVisible());
        toggle->trigger();
        frame_->updateUi();
        QVERIFY(!toggle->isChecked() && !bar->isEnabled() && !bar->isVisible());
        toggle->trigger();
        frame_->updateUi();
        QVERIFY(toggle->isChecked() && bar->isEnabled() && bar->isVisible());

        frame_->action(c::ToggleGroupRelationsBar)->trigger();
        frame_->updateUi();
        QVERIFY(!frame_->groupRelationsToolBar()->isVisible());
        QVERIFY(!frame_->action(c::ToggleGroupRelationsBar)->isChecked());
    }

    void titleShowsTheModifiedMark() {
        CGuiDocument* doc = frame_->newDocument();
        frame_->updateUi();
        // The only window is maximized: its title joins the main window's.
        QCOMPARE(frame_->windowTitle(), QStringLiteral("Untitled 1[*] - Velmor"));
        QVERIFY(!frame_->isWindowModified());
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}x");
        frame_->updateUi();
        QVERIFY(doc->isModified());
        QVERIFY(frame_->isWindowModified());
        QVERIFY(frame_->activeFrame()->parentWidget()->isWindowModified());

        const QString path = scratch_.filePath("saved.vlm");
        QVERIFY(frame_->saveDocumentAs(doc, path));
        frame_->updateUi();
        QCOMPARE(frame_->windowTitle(), QStringLiteral("saved.vlm[*] - Velmor"));
        QVERIFY(!frame_->isWindowModified());
        QCOMPARE(frame_->recentFiles().value(0), QFileInfo(path).canonicalFilePath());
    }

    void recentFilesKeepSix() {
        QStringList written;
        CGuiDocument* doc = nullptr;
        for (int i = 0; i < 8; ++i) {
            doc = frame_->newDocument();
            written << scratch_.filePath(QStringLiteral("r%1.vlm").arg(i));
            QVERIFY(frame_->saveDocumentAs(doc, written.last()));
        }
        const QStringList recent = frame_->recentFiles();
        QCOMPARE(recent.size(), 6);
        QCOMPARE(recent.first(), QFileInfo(written.last()).canonicalFilePath());
        QCOMPARE(recent.last(), QFileInfo(written[2]).canonicalFilePath());
        // The File menu shows them, numbered, most recent first.
        QStringList file = entriesOf(menuNamed(*frame_, "File"));
        QVERIFY(file.contains("1 " + QDir::toNativeSeparators(recent.first())));
        QVERIFY(file.contains("6 " + QDir::toNativeSeparators(recent.last())));
        // A recent file that is gone leaves the list when chosen.
        QVERIFY(frame_->closeDocument(doc));
        QFile::remove(recent.first());
        frame_->updateUi();
        frame_->action(id::FileMru1)->trigger();
        QCOMPARE(frame_->recentFiles().size(), 5);
    }

    // Edit Rules opens the rule file Test Rule would read; without one it
    // says where it looked.
    void editRulesOpensTheRuleFileInUse() {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(scratch_.path());
        qputenv("XDG_DATA_HOME", QByteArray("/nonexistent/velmor-gui-test"));
        velmor::setInstalledRuleFileForTesting("/nonexistent/velmor-gui-test/rules.vlm");
        QVERIFY(QFile::copy(QStringLiteral(VELMOR_SOURCE_DIR "/examples/rules.vlm"),
                            scratch_.filePath("rules.vlm")));
        frame_->action(id::ToolsEditRules)->trigger();
        QCOMPARE(frame_->documents().size(), 1);
        QCOMPARE(frame_->documents()[0]->path(),
                 QFileInfo(scratch_.filePath("rules.vlm")).canonicalFilePath());

        QVERIFY(QFile::remove(scratch_.filePath("rules.vlm")));
        sink_->boxes.clear();
        frame_->action(id::ToolsEditRules)->trigger();
        QDir::setCurrent(previous);
        QCOMPARE(frame_->documents().size(), 1);
        QCOMPARE(sink_->boxes.size(), size_t(1));
        QVERIFY2(sink_->boxes[0].text.starts_with(
                     "no rule file: looked in rules.vlm, /nonexistent/velmor-gui-test/velmor/rules.vlm"),
                 sink_->boxes[0].text.c_str());
    }

    void openingDocuments() {
        QVERIFY(frame_->openDocument(example()));
        QCOMPARE(frame_->frames().size(), 1);
        // The same file again brings its window forward.
        QVERIFY(frame_->openDocument(example()));
        QCOMPARE(frame_->frames().size(), 1);
        QVERIFY(pane().view().base()->first());

        // Not a document: the engine says so and no window remains.
        const QString bogus = scratch_.filePath("bogus.vlm");
        QFile f(bogus);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a formula");
        f.close();
        sink_->boxes.clear();
        QVERIFY(!frame_->openDocument(bogus));
        QCOMPARE(frame_->frames().size(), 1);
        QCOMPARE(frame_->documents().size(), 1);
        QVERIFY(!sink_->boxes.empty());

        // A missing file says so too.
        sink_->boxes.clear();
        QVERIFY(!frame_->openDocument(scratch_.filePath("missing.vlm")));
        QCOMPARE(sink_->boxes.size(), size_t(1));
        QCOMPARE(sink_->boxes[0].style & 0xF0, tovimat::MB_ICONERROR);

        // Files dropped on the window open.
        const QString copy = scratch_.filePath("dropped.vlm");
        QVERIFY(QFile::copy(example(), copy));
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(copy)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame_.get(), &drop);
        QCOMPARE(frame_->documents().size(), 2);
        QCOMPARE(frame_->activeDocument()->title(), QStringLiteral("dropped.vlm"));
        delete data;
    }

    // Closing a changed document asks first: Cancel keeps it, No drops the
    // changes, Yes saves them.
    void closingAsksToSave() {
        CGuiDocument* doc = frame_->newDocument();
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}x");
        sink_->answers = {IDCANCEL};
        QVERIFY(!frame_->closeDocument(doc));
        QCOMPARE(sink_->boxes.back().text, std::string("Save changes to Untitled 1?"));
        QCOMPARE(frame_->documents().size(), 1);

        // A second window closes without asking; the last one asks.
        frame_->newWindow(doc);
        QCOMPARE(frame_->frames().size(), 2);
        sink_->boxes.clear();
        QVERIFY(frame_->activeFrame()->parentWidget()->close());
        QVERIFY(sink_->boxes.empty());
        QTRY_COMPARE(frame_->frames().size(), 1);
        sink_->answers = {IDCANCEL};
        QVERIFY(!frame_->activeFrame()->parentWidget()->close());
        QCOMPARE(frame_->frames().size(), 1);

        sink_->answers = {IDNO};
        QVERIFY(frame_->closeDocument(doc));
        QTRY_COMPARE(frame_->documents().size(), 0);

        // Yes with a file: saved, then closed.
        const QString path = scratch_.filePath("closing.vlm");
        CGuiDocument* named = frame_->newDocument();
        QVERIFY(frame_->saveDocumentAs(named, path));
        test::GuiDriver(*frame_, pane()).play("{NewItemTool}{Click 10 10}y");
        const qint64 before = QFileInfo(path).size();
        sink_->answers = {IDYES};
        QVERIFY(frame_->closeDocument(named));
        QVERIFY(QFileInfo(path).size() > before);
        QTRY_COMPARE(frame_->documents().size(), 0);
    }

    // The engine's boxes show its caption and text, with the error icon for
    // style 16; the program's question answers as the button pressed.
    void messageBoxes() {
        sink_.reset();
        CQtMessageSink sink;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        auto answer = [&](QMessageBox::StandardButton button) {
            QTimer::singleShot(0, this, [&, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                box->button(button)->click();
            });
        };
        answer(QMessageBox::Ok);
        QCOMPARE(tovimat::MessageBoxA(nullptr, "Problem loading file\r\nLoader aborted!", "Error", 16),
                 tovimat::IDOK);
        QCOMPARE(title, QStringLiteral("Error"));
        QCOMPARE(text, QStringLiteral("Problem loading file\nLoader aborted!"));
        QCOMPARE(icon, QMessageBox::Critical);

        // Texts are Windows-1252 bytes.
        answer(QMessageBox::Ok);
        tovimat::MessageBoxA(nullptr, "Indetermina\xe7\xe3o", "Warning", 0x30);
        QCOMPARE(text, QStringLiteral("Indetermina\u00e7\u00e3o"));
        QCOMPARE(icon, QMessageBox::Warning);

        answer(QMessageBox::No);
        QCOMPARE(ask("Save changes to Velmor1?"), IDNO);
        QCOMPARE(title, QStringLiteral("Velmor"));
        answer(QMessageBox::Cancel);
        QCOMPARE(ask("Save changes to Velmor1?"), IDCANCEL);

        // A status line goes to the main window's status bar.
        tovimat::SetMessageText("Cannot calculate: division by zero \xb1");
        QCOMPARE(frame_->statusBar()->currentMessage(),
                 QStringLiteral("Cannot calculate: division by zero \u00b1"));
        sink_ = std::make_unique<test::AnsweringSink>();
    }

    // The font dialog works in points, the engine in pixels: what the
    // dialog starts from and what it answers convert both ways.
    void fontDialogConversions() {
        tovimat::LOGFONTA system{};
        system.lfHeight = 16;
        system.lfWeight = 400;
        std::memcpy(system.lfFaceName, "System", 6);
        const QFont start = dialogFont(system);
        QCOMPARE(start.family(), systemFamily());
        QVERIFY(start.pointSizeF() > 6 && start.pointSizeF() < 14);

        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSize(12);
        chosen.setBold(true);
        chosen.setItalic(true);
        const tovimat::LOGFONTA lf = chosenLogfont(chosen, system);
        QCOMPARE(QByteArray(lf.lfFaceName), QByteArray("DejaVu Serif"));
        QCOMPARE(lf.lfHeight, -16);  // 12 points on a 96 dpi screen
        QCOMPARE(lf.lfWeight, 700);
        QCOMPARE(int(lf.lfItalic), 1);
        QCOMPARE(int(lf.lfUnderline), 0);

        // Given to the node with the caret, as the Font command does.
        frame_->newDocument();
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}ab");
        tovimat::nucleo* leaf = pane().view().focused();
        pane().view().onFont(lf);
        tovimat::LOGFONTA now{};
        QVERIFY(pane().view().currentFont(now));
        QCOMPARE(QByteArray(now.lfFaceName), QByteArray("DejaVu Serif"));
        // Laid out with the new font: 16 pixels of character height make a
        // taller box than the 16-pixel cell of the default font.
        QVERIFY(leaf->Height() > 16);
    }

    // Up to two by two panes on one document; each pane is a view of its own.
    void splitPanes() {
        CGuiDocument* doc = frame_->newDocument();
        CChildFrame* f = frame_->activeFrame();
        frame_->updateUi();
        frame_->action(id::WindowSplit)->trigger();
        QCOMPARE(f->rows(), 2);
        QCOMPARE(f->columns(), 2);
        QCOMPARE(f->panes().size(), 4);
        QCOMPARE(int(doc->core().views().size()), 4);
        for (CVelmorViewWidget* p : f->panes()) QCOMPARE(p->minimumSize(), QSize(10, 10));

        // Typing in one pane shows in the others: one tree.
        CVelmorViewWidget* last = f->panes().last();
        test::GuiDriver(*frame_, *last).play("{Click 10 10}ab");
        QCOMPARE(f->activePane(), last);
        QCOMPARE(f->panes().first()->view().base()->first(), last->view().base()->first());

        frame_->updateUi();
        frame_->action(id::WindowSplit)->trigger();
        QCOMPARE(f->panes().size(), 1);
        QCOMPARE(int(doc->core().views().size()), 1);
        f->split(2, 1);
        QCOMPARE(f->panes().size(), 2);
    }
};

QTEST_MAIN(FrameTest)
#include "tst_frame.moc"
