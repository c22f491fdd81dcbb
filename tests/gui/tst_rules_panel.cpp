// The Rules panel: the items of the rule file in use, drawn, with the
// findings of rules check; the dry run on the formula with the caret; and a
// match picked there applied as the step Test Rule makes.
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/linear_text.h"
#include "core/rule_file.h"
#include "gui_document.h"
#include "gui_test_support.h"
#include "rules_panel.h"

using namespace velmor;
using namespace velmor::gui;
namespace c = velmor::cmd;

class RulesPanelTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    QTemporaryDir scratch_;
    QString previousDir_;
    std::unique_ptr<test::AnsweringSink> sink_;
    std::unique_ptr<CMainFrame> frame_;

    CVelmorViewWidget& pane() { return *frame_->activePane(); }
    CRulesPanel& panel() { return *frame_->findChild<CRulesPanel*>(); }
    std::string text() { return linearLines(*pane().view().base()); }

    // The rows of a list that stand for something (not "No rule matches").
    static QStringList rows(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }

private slots:
    void initTestCase() {
        test::isolateSettings(settingsDir_);
        // The example rule file in the current directory, and nothing
        // anywhere else.
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(scratch_.path());
        qputenv("XDG_DATA_HOME", QByteArray("/nonexistent/velmor-gui-test"));
        velmor::setInstalledRuleFileForTesting("/nonexistent/velmor-gui-test/rules.vlm");
        QVERIFY(QFile::copy(QStringLiteral(VELMOR_SOURCE_DIR "/examples/rules.vlm"),
                            scratch_.filePath("rules.vlm")));
    }

    void cleanupTestCase() { QDir::setCurrent(previousDir_); }

    void init() {
        sink_ = std::make_unique<test::AnsweringSink>();
        frame_ = test::freshFrame(1100, 700);
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        frame_->newDocument();
        QVERIFY(frame_->activePane());
        QVERIFY(frame_->findChild<CRulesPanel*>());
        QCoreApplication::processEvents();
    }

    void cleanup() {
        for (CGuiDocument* doc : frame_->documents()) doc->core().setModifiedFlag(false);
        frame_.reset();
        sink_.reset();
    }

    // View > Rules Panel shows and hides it.
    void viewMenuShowsAndHidesThePanel() {
        QAction* toggle = panel().toggleViewAction();
        QVERIFY(panel().isHidden());
        toggle->trigger();
        QVERIFY(panel().isVisible());
        toggle->trigger();
        QVERIFY(panel().isHidden());
    }

    // Every item of examples/rules.vlm, numbered, drawn as the formula it
    // is, and no findings on it.
    void listsTheItemsOfTheRuleFile() {
        panel().show();
        panel().refresh();
        QListWidget* rules = panel().rulesList();
        QCOMPARE(rules->count(), 20);
        QVERIFY2(rules->item(0)->text().startsWith("1. x + 0 = x"), qPrintable(rules->item(0)->text()));
        QCOMPARE(rules->item(11)->data(Qt::UserRole).toString(),
                 QStringLiteral("x * (y + z) = x * y + x * z"));
        for (int i = 0; i < rules->count(); ++i) {
            const QPixmap picture = rules->item(i)->data(Qt::DecorationRole).value<QPixmap>();
            QVERIFY2(!picture.isNull() && picture.width() > 20, qPrintable(rules->item(i)->text()));
            QVERIFY2(!rules->item(i)->text().contains(QChar(0x26a0)), qPrintable(rules->item(i)->text()));
        }
        QVERIFY(panel().fileLabel()->text().contains("rules.vlm"));
    }

    // A rule file with findings shows them next to the offending item.
    void showsWhatRulesCheckFindsBesideTheRule() {
        QTemporaryDir dir;
        const QString file = dir.filePath("doc.vlm");
        QVERIFY(frame_->saveDocumentAs(frame_->activeDocument(), file));
        // x + 0 = x twice: the second is a duplicate.
        {
            velmor::HeadlessSession s;
            s.newDocument();
            std::string error;
            QVERIFY(s.play("{Click 10 10}x+0=x{NewItemTool}{Click 10 60}x+0=x", error));
            QVERIFY(s.save(QFile::encodeName(scratch_.filePath("dup.vlm")).toStdString()));
        }
        // The document's folder comes after the current directory: the
        // current directory's file goes out of the way for the test.
        QVERIFY(QFile::rename(scratch_.filePath("rules.vlm"), scratch_.filePath("kept.vlm")));
        QVERIFY(QFile::copy(scratch_.filePath("dup.vlm"), dir.filePath("rules.vlm")));
        panel().show();
        panel().refresh();
        QVERIFY(QFile::rename(scratch_.filePath("kept.vlm"), scratch_.filePath("rules.vlm")));
        QListWidget* rules = panel().rulesList();
        QCOMPARE(rules->count(), 2);
        QVERIFY(!rules->item(0)->text().contains(QChar(0x26a0)));
        QVERIFY2(rules->item(1)->text().contains("duplicate of item 1"), qPrintable(rules->item(1)->text()));
    }

    // The matches in the formula with the caret, the first being Test
    // Rule's; picking one applies it as one step.
    void appliesTheChosenMatchAsTestRuleWould() {
        panel().show();
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}a+0+b*1{End}{End}");
        panel().refresh();
        QCOMPARE(rows(panel().matchesList()),
                 (QStringList{"item 1 (x + 0 = x) at the formula (a + 0 + b * 1) on a + 0 with x = a gives a",
                              "item 2 (x * 1 = x) at 3 (b * 1) with x = b gives b"}));
        const std::string before = text();

        // Test Rule, for comparison, then back.
        frame_->runCommand(c::TestRule);
        const std::string byTestRule = text();
        QCOMPARE(byTestRule, std::string("a + 0 + b * 1 = a + b * 1\n"));
        frame_->runCommand(id::EditUndo);
        QCOMPARE(text(), before);

        // The list still names the old tree's nodes: applying finds the
        // match again in the tree as it is now.
        panel().matchesList()->setCurrentRow(0);
        QVERIFY(panel().applyButton()->isEnabled());
        QTest::mouseClick(panel().applyButton(), Qt::LeftButton);
        QCOMPARE(text(), byTestRule);
        frame_->runCommand(id::EditUndo);
        QCOMPARE(text(), before);

        // The second match, by a double click.
        panel().refresh();
        QListWidget* matches = panel().matchesList();
        QListWidgetItem* second = matches->item(1);
        matches->setCurrentItem(second);
        QCoreApplication::processEvents();
        const QRect box = matches->visualItemRect(second);
        QVERIFY(!box.isEmpty());
        // An item view takes a double click on the item the button went down on.
        QTest::mousePress(matches->viewport(), Qt::LeftButton, {}, box.center());
        QTest::mouseDClick(matches->viewport(), Qt::LeftButton, {}, box.center());
        QCOMPARE(QString::fromStdString(text()), QStringLiteral("a + 0 + b * 1 = a + 0 + b\n"));
        QVERIFY(frame_->activeDocument()->core().isModified());
    }

    // The panel follows the caret by itself.
    void followsTheCaret() {
        panel().show();
        test::GuiDriver(*frame_, pane()).play("{Click 10 10}c*1{End}{End}");
        QTRY_COMPARE_WITH_TIMEOUT(panel().matchesList()->count(), 1, 3000);
        QVERIFY(panel().matchesList()->item(0)->text().startsWith("item 2 (x * 1 = x)"));
    }
};

QTEST_MAIN(RulesPanelTest)
#include "tst_rules_panel.moc"
