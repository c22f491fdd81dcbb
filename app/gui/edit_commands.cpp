// The Edit menu's Undo, Redo, Cut, Paste and Select All. The program core
// keeps the history and its own clipboard; here the system clipboard is
// mirrored into it before Paste, and filled from it after Cut, with the
// Velmor records under their own type and the formulas as linear text.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "child_frame.h"
#include "command_ids.h"
#include "core/clipboard.h"
#include "core/commands.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "formula_mime.h"
#include "gui_document.h"
#include "main_frame.h"
#include "platform/messages.h"
#include "view_widget.h"

namespace velmor::gui {

namespace {

QString velmorType() { return velmorMimeType(); }

// The system clipboard's formulas or text, into the core's clipboard. A
// picture that Velmor drew gives back the formulas it carries.
void takeSystemClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    Clipboard& clip = Clipboard::instance();
    if (!data) return clip.clear();
    std::vector<std::uint8_t> records = formulasIn(data);
    if (!records.empty())
        clip.setFormulas(std::move(records), data->text().toStdString());
    else if (data->hasText())
        clip.setText(data->text().toStdString());
    else
        clip.clear();
}

// The core's clipboard, onto the system clipboard.
void giveSystemClipboard() {
    const Clipboard& clip = Clipboard::instance();
    auto* data = new QMimeData;
    if (clip.hasFormulas()) {
        const std::vector<std::uint8_t>& records = clip.formulas();
        data->setData(velmorType(),
                      QByteArray(reinterpret_cast<const char*>(records.data()), qsizetype(records.size())));
    }
    if (clip.hasText()) data->setText(QString::fromStdString(clip.text()));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool systemClipboardHasSomething() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && (offersFormulas(data) || (data->hasText() && !data->text().isEmpty()));
}

}  // namespace

void CMainFrame::createEditActions() {
    makeAction(id::EditRedo);
    makeAction(id::EditSelectAll);
    action(id::EditUndo)->setShortcuts(QKeySequence::Undo);
    QList<QKeySequence> redo = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& k :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!redo.contains(k)) redo << k;
    action(id::EditRedo)->setShortcuts(redo);
    action(id::EditSelectAll)->setShortcuts(QKeySequence::SelectAll);
}

// Undo and Redo name the step they take back or make again.
void CMainFrame::updateEditActions(const CVelmorView* view) {
    const CVelmorDoc* doc = view ? view->document() : nullptr;
    const std::string undo = doc ? doc->history().undoLabel() : std::string();
    const std::string redo = doc ? doc->history().redoLabel() : std::string();
    action(id::EditUndo)
        ->setText(undo.empty() ? QStringLiteral("&Undo")
                               : QStringLiteral("&Undo %1").arg(QString::fromStdString(undo)));
    action(id::EditRedo)
        ->setText(redo.empty() ? QStringLiteral("&Redo")
                               : QStringLiteral("&Redo %1").arg(QString::fromStdString(redo)));
    action(id::EditUndo)->setEnabled(view && view->isEnabled(cmd::Undo));
    action(id::EditRedo)->setEnabled(view && view->isEnabled(cmd::Redo));
    action(id::EditCut)->setEnabled(view && view->isEnabled(cmd::Cut));
    action(id::EditPaste)
        ->setEnabled(view && view->document() && view->base() && systemClipboardHasSomething());
    action(id::EditSelectAll)->setEnabled(view && view->isEnabled(cmd::SelectAll));
}

void CMainFrame::runEditCommand(int commandId) {
    CVelmorViewWidget* pane = activePane();
    if (!pane) return;
    CVelmorView& view = pane->view();
    // The command acts where the user works, whatever took the focus on the
    // way to the menu.
    view.onSetFocus();
    if (commandId == id::EditPaste) takeSystemClipboard();
    if (view.isEnabled(commandId)) {
        view.execute(commandId);
        if (commandId == id::EditCut) giveSystemClipboard();
    } else if (commandId == id::EditPaste) {
        // The clipboard offered a picture that carries no formulas.
        tovimat::MessageBeep(0);
    }
    pane->setFocus();
    pane->update();
}

}  // namespace velmor::gui
