// The main window's tool group and shortcuts, the tips that say why a
// command is off, Help > Typing Formulas and the window title.
#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <functional>

#include "child_frame.h"
#include "command_ids.h"
#include "command_tips.h"
#include "core/commands.h"
#include "core/velmor_view.h"
#include "gui_document.h"
#include "help.h"
#include "main_frame.h"
#include "platform/messages.h"
#include "render.h"
#include "view_widget.h"

namespace velmor::gui {

namespace {

namespace c = velmor::cmd;

int toolCommand(int mode) {
    switch (mode) {
        case CVelmorView::NewItemMode:
            return c::NewItemTool;
        case CVelmorView::EditMode:
            return c::EditTool;
        default:
            return c::SelectorTool;
    }
}

// The platform's keys for a standard action, or fallback where it has none.
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, const QKeySequence& fallback) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty()) keys << fallback;
    return keys;
}

// Counts the messages and status lines given while it exists, passing
// everything on to the sink it replaced.
class SaidSomething : public tovimat::MessageSink {
public:
    SaidSomething() : previous_(tovimat::setMessageSink(this)) {}
    ~SaidSomething() override { tovimat::setMessageSink(previous_); }
    SaidSomething(const SaidSomething&) = delete;
    SaidSomething& operator=(const SaidSomething&) = delete;

    void beep(tovimat::UINT code) override { previous_->beep(code); }
    int messageBox(const char* text, const char* caption, tovimat::UINT style) override {
        ++count;
        return previous_->messageBox(text, caption, style);
    }
    void status(const char* text) override {
        ++count;
        previous_->status(text);
    }

    int count = 0;

private:
    tovimat::MessageSink* previous_;
};

QString withReason(const QString& prompt, const QString& reason) {
    if (reason.isEmpty()) return prompt;
    if (prompt.isEmpty()) return reason.left(1).toUpper() + reason.mid(1);
    return QStringLiteral("%1 (%2)").arg(prompt, reason);
}

}  // namespace

QString aboutDetails() {
    const QString licence = QStringLiteral(VELMOR_LICENSE);
    const QString address = QStringLiteral(VELMOR_HOMEPAGE);
    const QString shownLicence = licence.isEmpty() ? QStringLiteral("not stated in this build") : licence;
    const QString shownAddress = address.isEmpty()
                                     ? QStringLiteral("not stated in this build")
                                     : QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped());
    return QStringLiteral("Desktop editor for mathematical expressions<br>Licence: %1<br>Project: %2")
        .arg(shownLicence.toHtmlEscaped(), shownAddress);
}

void CMainFrame::createWindowActions() {
    toolGroup_ = new QActionGroup(this);
    toolGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int tool : {c::SelectorTool, c::NewItemTool, c::EditTool}) toolGroup_->addAction(action(tool));

    // Keys that type nothing in a formula: a function key or Control held.
    action(c::NewItemTool)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    action(c::EditTool)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    action(c::SelectorTool)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
    action(c::Calculate)->setShortcuts({QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    action(c::CalculateAll)->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
    action(c::TestRule)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    action(c::UseConstants)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));

    const struct {
        int id;
        QKeySequence::StandardKey key;
        QKeySequence fallback;
    } standard[] = {
        {id::FileNew, QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {id::FileOpen, QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {id::FileSave, QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {id::FileSaveAs, QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {id::FileClose, QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W)},
        {id::FilePrint, QKeySequence::Print, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {id::AppExit, QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {id::EditCut, QKeySequence::Cut, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {id::EditCopy, QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {id::EditPaste, QKeySequence::Paste, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {id::ContextHelp, QKeySequence::WhatsThis, QKeySequence(Qt::SHIFT | Qt::Key_F1)},
    };
    for (const auto& s : standard) action(s.id)->setShortcuts(standardKeys(s.key, s.fallback));
    // Undo, Redo and Select All have theirs from the Edit menu.

    // Buttons without a command still say what they are.
    const CommandText spare = commandText(c::MainToolbarSpare);
    if (spare.prompt.isEmpty()) {
        const QString tip = QStringLiteral("Spare button: no command yet");
        for (QAction* a : {action(c::MainToolbarSpare)}) {
            a->setToolTip(tip);
            a->setStatusTip(tip);
            a->setWhatsThis(tip);
        }
    }

    // Help > Typing Formulas, before What's This.
    auto* help = new QAction(QStringLiteral("&Typing Formulas"), this);
    help->setObjectName(QStringLiteral("helpTypingFormulas"));
    help->setStatusTip(QStringLiteral("How to type formulas, with the keyboard shortcuts"));
    help->setWhatsThis(help->statusTip());
    help->setShortcuts(standardKeys(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    connect(help, &QAction::triggered, this, &CMainFrame::showHelp);
    for (QObject* o : action(id::ContextHelp)->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o)) menu->insertAction(action(id::ContextHelp), help);
    addAction(help);
}

void CMainFrame::updateWindowState(const CVelmorView* view) {
    // The tools: the current one checked and never grey, as long as there is
    // a document for them to act on.
    for (QAction* tool : toolGroup_->actions()) tool->setEnabled(view != nullptr);
    action(toolCommand(CVelmorView::mode()))->setChecked(true);

    for (const c::Command& command : c::commands()) {
        if (command.kind == c::Kind::Tool) continue;
        QAction* a = action(command.id);
        const CommandText text = commandText(command.id);
        if (text.prompt.isEmpty()) continue;
        const QString reason = a->isEnabled() ? QString() : whyDisabled(command.id, view);
        const QString tip = withReason(text.prompt, reason);
        a->setToolTip(tip);
        a->setStatusTip(tip);
        a->setWhatsThis(tip);
    }

    // The title names the active document, with the one modified mark.
    QString title = QStringLiteral("Velmor[*]");
    CChildFrame* frame = activeFrame();
    if (auto* sw = frame ? qobject_cast<QMdiSubWindow*>(frame->parentWidget()) : nullptr)
        if (!sw->windowTitle().isEmpty()) title = sw->windowTitle() + QStringLiteral(" - Velmor");
    title_ = title;
    if (windowTitle() != title_) setWindowTitle(title_);
}

void CMainFrame::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowTitleChange && !title_.isEmpty() && windowTitle() != title_)
        setWindowTitle(title_);
}

void CMainFrame::runViewCommand(CVelmorViewWidget* pane, int commandId) {
    CVelmorView& view = pane->view();
    // The command acts where the user works, whatever took the focus on the
    // way to the menu.
    view.onSetFocus();
    if (view.isEnabled(commandId)) {
        const QString unchanged = unchangedMessage(commandId);
        CVelmorDoc* doc = view.document();
        const bool watch = !unchanged.isEmpty() && doc && doc->base();
        const std::vector<std::uint8_t> before = watch ? documentBytes(*doc) : std::vector<std::uint8_t>();
        SaidSomething said;
        view.execute(commandId);
        // A message or status line of the command's own says more.
        if (watch && !said.count && doc->base() && documentBytes(*doc) == before)
            statusBar()->showMessage(unchanged);
    }
    pane->setFocus();
}

QList<QAction*> CMainFrame::shortcutActions() const {
    QList<QAction*> out;
    auto take = [&out](QAction* a) {
        if (a && !a->isSeparator() && !a->shortcuts().isEmpty() && !out.contains(a)) out << a;
    };
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->menu())
                walk(a->menu());
            else
                take(a);
        }
    };
    for (QAction* a : menuBar()->actions())
        if (a->menu()) walk(a->menu());
    for (QAction* a : findChildren<QAction*>()) take(a);
    return out;
}

void CMainFrame::showHelp() {
    QDialog* dialog = findChild<QDialog*>(QStringLiteral("helpDialog"));
    if (!dialog) {
        dialog = createHelpDialog(this, shortcutActions());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace velmor::gui
