#include "main_frame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "child_frame.h"
#include "command_ids.h"
#include "core/commands.h"
#include "core/rule_file.h"
#include "core/interchange.h"
#include "gui_document.h"
#include "icons.h"
#include "message_sink.h"
#include "platform/codepages.h"
#include "print.h"
#include "qt_dc.h"
#include "render.h"
#include "rules_panel.h"
#include "view_widget.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

namespace c = velmor::cmd;

const QString kFileFilter = QStringLiteral("Velmor Files (*.vlm)");
const QString kRecentGroup = QStringLiteral("Recent File List");

// The program's own messages go through the same sink as the engine's, in
// the engine's code page.
QByteArray cp1252(const QString& s) {
    QByteArray out;
    for (char32_t cp : s.toUcs4()) {
        const int byte = tovimat::unicodeToCp1252(cp);
        out += byte < 0 ? '?' : char(byte);
    }
    return out;
}

void report(const QString& text) {
    MessageBoxA(nullptr, cp1252(text).constData(), kAppCaption, MB_ICONERROR);
}

QMdiSubWindow* subWindowOf(CChildFrame* frame) {
    return frame ? qobject_cast<QMdiSubWindow*>(frame->parentWidget()) : nullptr;
}

QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? info.absoluteFilePath() : c;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(QStringLiteral("Velmor[*]"));
    setWindowIcon(appIcon());
    setObjectName(QStringLiteral("mainFrame"));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    setAcceptDrops(true);

    uiTimer_.setSingleShot(true);
    uiTimer_.setInterval(0);
    connect(&uiTimer_, &QTimer::timeout, this, &CMainFrame::updateUi);

    createActions();
    createMenus();
    createCopyAsActions();
    createImportExportActions();
    createWindowActions();
    createToolBars();
    createStatusBar();
    new CRulesPanel(*this);
    createZoomActions();
    readSettings();

    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::scheduleUpdate);
    connect(&lockKeys_, &CLockKeyWatcher::stateChanged, this, &CMainFrame::showLockKeys);
    updateUi();
}

CMainFrame::~CMainFrame() {
    // The windows go before the documents they show.
    closingAll_ = true;
    for (QMdiSubWindow* sw : mdi_->subWindowList()) delete sw;
    qDeleteAll(documents_);
    documents_.clear();
}

// --- building the window ------------------------------------------------------------------------

QAction* CMainFrame::makeAction(int commandId) {
    const CommandText text = commandText(commandId);
    auto* a = new QAction(text.menuText, this);
    a->setData(commandId);
    a->setStatusTip(text.prompt);
    a->setWhatsThis(text.prompt);
    if (!text.toolTip.isEmpty()) a->setToolTip(text.toolTip);
    connect(a, &QAction::triggered, this, [this, commandId] { runCommand(commandId); });
    actions_.insert(commandId, a);
    return a;
}

void CMainFrame::createActions() {
    const int framework[] = {id::FileNew,
                             id::FileOpen,
                             id::FileClose,
                             id::FileSave,
                             id::FileSaveAs,
                             id::FilePrint,
                             id::FilePrintPreview,
                             id::FilePrintSetup,
                             id::AppExit,
                             id::EditUndo,
                             id::EditCut,
                             id::EditCopy,
                             id::EditPaste,
                             id::ViewToolbar,
                             id::ViewStatusBar,
                             c::ToggleFunctionsBar,
                             c::ToggleGroupRelationsBar,
                             id::WindowNew,
                             id::WindowCascade,
                             id::WindowTile,
                             id::WindowSplit,
                             id::AppAbout,
                             id::ContextHelp,
                             id::ToolsEditRules};
    for (int commandId : framework) makeAction(commandId);
    createEditActions();
    for (const c::Command& command : c::commands()) makeAction(command.id);
    for (int i = 0; i < id::RecentFileCount; ++i) recentActions_ << makeAction(id::FileMru1 + i);

    action(id::FileNew)->setShortcut(QKeySequence::New);
    action(id::FileOpen)->setShortcut(QKeySequence::Open);
    action(id::FileSave)->setShortcut(QKeySequence::Save);
    action(id::FilePrint)->setShortcut(QKeySequence::Print);
    action(id::EditCut)->setShortcut(QKeySequence::Cut);
    action(id::EditCopy)->setShortcut(QKeySequence::Copy);
    action(id::EditPaste)->setShortcut(QKeySequence::Paste);
    action(id::ContextHelp)->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    action(id::AppExit)->setMenuRole(QAction::QuitRole);
    action(id::AppAbout)->setMenuRole(QAction::AboutRole);

    for (int checkable : {int(id::ViewToolbar), int(id::ViewStatusBar), int(c::ToggleFunctionsBar),
                          int(c::ToggleGroupRelationsBar), int(c::SelectorTool), int(c::NewItemTool),
                          int(c::EditTool), int(id::WindowSplit)})
        action(checkable)->setCheckable(true);
}

void CMainFrame::createMenus() {
    auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int commandId : ids) {
            if (commandId == 0)
                menu->addSeparator();
            else
                menu->addAction(action(commandId));
        }
    };
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    add(fileMenu_, {id::FileNew, id::FileOpen, id::FileClose, id::FileSave, id::FileSaveAs, 0, id::FilePrint,
                    id::FilePrintPreview, id::FilePrintSetup, 0});
    for (QAction* a : recentActions_) fileMenu_->addAction(a);
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addAction(action(id::AppExit));

    add(menuBar()->addMenu(QStringLiteral("&Edit")),
        {id::EditUndo, id::EditRedo, 0, id::EditCut, id::EditCopy, id::EditPaste, 0, id::EditSelectAll});
    add(menuBar()->addMenu(QStringLiteral("&View")),
        {id::ViewToolbar, c::ToggleFunctionsBar, c::ToggleGroupRelationsBar, id::ViewStatusBar});
    add(menuBar()->addMenu(QStringLiteral("&Tools")),
        {c::Calculate, c::CalculateAll, c::Simplify, c::TestRule, c::UseConstants, id::ToolsEditRules, 0,
         c::SelectorTool, c::NewItemTool, c::EditTool, 0, c::Isolate});
    add(menuBar()->addMenu(QStringLiteral("&Insert")), {c::InsertTrue,
                                                        c::InsertFalse,
                                                        c::InsertPlusInfinity,
                                                        c::InsertMinusInfinity,
                                                        0,
                                                        c::InsertRoot,
                                                        c::InsertPower,
                                                        c::InsertLog,
                                                        0,
                                                        c::InsertSin,
                                                        c::InsertCos,
                                                        c::InsertTan,
                                                        c::InsertASin,
                                                        c::InsertACos,
                                                        c::InsertATan,
                                                        0,
                                                        c::InsertIntersection,
                                                        c::InsertUnion,
                                                        c::InsertContains,
                                                        c::InsertNotContain,
                                                        c::InsertContained,
                                                        0,
                                                        c::Refers,
                                                        c::Refered,
                                                        0,
                                                        c::InsertBelongs,
                                                        c::InsertNotBelong});
    add(menuBar()->addMenu(QStringLiteral("F&ormat")), {c::Font});
    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    add(windowMenu_, {id::WindowNew, id::WindowCascade, id::WindowTile, id::WindowSplit});
    connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::rebuildWindowMenu);
    add(menuBar()->addMenu(QStringLiteral("&Help")), {id::ContextHelp, 0, id::AppAbout});

    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateUi);
    rebuildRecentMenu();
}

QToolBar* CMainFrame::makeToolBar(const QString& title, const QString& name, std::span<const int> buttons,
                                  QSize iconSize) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(name);
    bar->setIconSize(iconSize);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int commandId : buttons) {
        if (commandId == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* a = action(commandId);
        a->setIcon(commandIcon(commandId, iconSize));
        bar->addAction(a);
    }
    return bar;
}

// The main bar where toolbars go by default, the functions bar below it at
// the top, the group-relations bar on the left.
void CMainFrame::createToolBars() {
    mainBar_ = makeToolBar(QStringLiteral("Toolbar"), QStringLiteral("mainToolBar"), mainToolbarButtons(),
                           QSize(16, 15));
    functionsBar_ = makeToolBar(QStringLiteral("Functions"), QStringLiteral("functionsToolBar"),
                                functionsToolbarButtons(), QSize(30, 15));
    groupBar_ = makeToolBar(QStringLiteral("Group Relations"), QStringLiteral("groupRelationsToolBar"),
                            groupRelationsToolbarButtons(), QSize(16, 15));
    addToolBar(Qt::TopToolBarArea, mainBar_);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, functionsBar_);
    addToolBar(Qt::LeftToolBarArea, groupBar_);
}

void CMainFrame::createStatusBar() {
    readyLabel_ = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(readyLabel_, 1);
    auto indicator = [this](const QString& longest) {
        auto* label = new QLabel;
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(longest) + 12);
        statusBar()->addPermanentWidget(label);
        return label;
    };
    capLabel_ = indicator(QStringLiteral("CAP"));
    numLabel_ = indicator(QStringLiteral("NUM"));
    scrlLabel_ = indicator(QStringLiteral("SCRL"));
    showLockKeys(lockKeys_.state());
}

void CMainFrame::showLockKeys(LockKeys keys) {
    capLabel_->setText(keys.caps ? QStringLiteral("CAP") : QString());
    numLabel_->setText(keys.num ? QStringLiteral("NUM") : QString());
    scrlLabel_->setText(keys.scroll ? QStringLiteral("SCRL") : QString());
}

void CMainFrame::readSettings() {
    QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("MainFrame/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("MainFrame/state")).toByteArray());
    if (settings.value(QStringLiteral("MainFrame/geometry")).isNull()) resize(1000, 700);
    // A toolbar put away last time stays off until its command brings it back.
    for (QToolBar* bar : {functionsBar_, groupBar_})
        if (bar->isHidden()) bar->setEnabled(false);
}

void CMainFrame::writeSettings() {
    QSettings settings;
    settings.setValue(QStringLiteral("MainFrame/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("MainFrame/state"), saveState());
}

QMenu* CMainFrame::createPopupMenu() {
    auto* menu = new QMenu(this);
    for (int commandId : {int(id::ViewToolbar), int(c::ToggleFunctionsBar), int(c::ToggleGroupRelationsBar),
                          int(id::ViewStatusBar)})
        menu->addAction(action(commandId));
    return menu;
}

// --- enabling -----------------------------------------------------------------------------------

void CMainFrame::scheduleUpdate() {
    if (!uiTimer_.isActive()) uiTimer_.start();
}

void CMainFrame::updateUi() {
    CGuiDocument* doc = activeDocument();
    CVelmorViewWidget* pane = activePane();
    const CVelmorView* view = pane ? &pane->view() : nullptr;

    for (const c::Command& command : c::commands())
        action(command.id)->setEnabled(view && view->isEnabled(command.id));

    for (int commandId : {id::FileClose, id::FileSave, id::FileSaveAs, id::FilePrint, id::FilePrintPreview,
                          id::EditCopy, id::WindowNew, id::WindowCascade, id::WindowTile, id::WindowSplit})
        action(commandId)->setEnabled(doc != nullptr);
    updateEditActions(view);
    updateViewActions(pane);

    for (CChildFrame* f : frames())
        for (CVelmorViewWidget* p : f->panes())
            if (p != pane) p->showSelectionFrames();

    CChildFrame* frame = activeFrame();
    action(id::WindowSplit)->setChecked(frame && (frame->rows() > 1 || frame->columns() > 1));
    action(id::ViewToolbar)->setChecked(!mainBar_->isHidden());
    action(id::ViewStatusBar)->setChecked(!statusBar()->isHidden());
    action(c::ToggleFunctionsBar)->setChecked(functionsBar_->isEnabled());
    action(c::ToggleGroupRelationsBar)->setChecked(groupBar_->isEnabled());

    // Titles: "name" or "name:2" for a second window, with the modified mark.
    for (CChildFrame* f : frames()) {
        QList<CChildFrame*> siblings;
        for (CChildFrame* g : frames())
            if (g->document() == f->document()) siblings << g;
        QString title = f->document()->title();
        if (siblings.size() > 1) title += QStringLiteral(":%1").arg(siblings.indexOf(f) + 1);
        if (QMdiSubWindow* sw = subWindowOf(f)) {
            sw->setWindowTitle(title + QStringLiteral("[*]"));
            sw->setWindowModified(f->document()->isModified());
        }
    }
    // The mark follows the active document.
    setWindowModified(doc && doc->isModified());
    updateWindowState(view);
}

// --- what commands act on --------------------------------------------------------------------------

QList<CChildFrame*> CMainFrame::frames() const {
    QList<CChildFrame*> out;
    for (QMdiSubWindow* sw : mdi_->subWindowList())
        if (auto* f = qobject_cast<CChildFrame*>(sw->widget())) out << f;
    return out;
}

CChildFrame* CMainFrame::activeFrame() const {
    QMdiSubWindow* sw = mdi_->currentSubWindow();
    if (!sw) {
        const QList<QMdiSubWindow*> order = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (!order.isEmpty()) sw = order.last();
    }
    return sw ? qobject_cast<CChildFrame*>(sw->widget()) : nullptr;
}

CVelmorViewWidget* CMainFrame::activePane() const {
    CChildFrame* f = activeFrame();
    return f ? f->activePane() : nullptr;
}

CGuiDocument* CMainFrame::activeDocument() const {
    CChildFrame* f = activeFrame();
    return f ? f->document() : nullptr;
}

// --- commands ------------------------------------------------------------------------------------------

void CMainFrame::runCommand(int commandId) {
    if (commandId >= id::FileMru1 && commandId < id::FileMru1 + id::RecentFileCount) {
        const QStringList recent = recentFiles();
        const int i = commandId - id::FileMru1;
        if (i < recent.size() && !openDocument(recent[i])) removeRecentFile(recent[i]);
        scheduleUpdate();
        return;
    }
    CChildFrame* frame = activeFrame();
    switch (commandId) {
        case id::FileNew:
            newDocument();
            break;
        case id::FileOpen:
            onOpen();
            break;
        case id::FileClose:
            if (CGuiDocument* doc = activeDocument()) closeDocument(doc);
            break;
        case id::FileSave:
            if (CGuiDocument* doc = activeDocument()) saveDocument(doc);
            break;
        case id::FileSaveAs:
            onSaveAs();
            break;
        case id::FilePrint:
            onPrint();
            break;
        case id::FilePrintPreview:
            onPrintPreview();
            break;
        case id::FilePrintSetup:
            onPrintSetup();
            break;
        case id::AppExit:
            close();
            break;
        case id::EditCopy:
            onCopy();
            break;
        case id::EditUndo:
        case id::EditRedo:
        case id::EditCut:
        case id::EditPaste:
        case id::EditSelectAll:
            runEditCommand(commandId);
            break;
        case id::ViewToolbar:
            mainBar_->setVisible(mainBar_->isHidden());
            break;
        case id::ViewStatusBar:
            statusBar()->setVisible(statusBar()->isHidden());
            break;
        case c::ToggleFunctionsBar:
            toggleToolBar(functionsBar_);
            break;
        case c::ToggleGroupRelationsBar:
            toggleToolBar(groupBar_);
            break;
        case id::WindowNew:
            if (CGuiDocument* doc = activeDocument()) newWindow(doc);
            break;
        case id::WindowCascade:
            mdi_->cascadeSubWindows();
            break;
        case id::WindowTile:
            mdi_->tileSubWindows();
            break;
        case id::WindowSplit:
            if (frame)
                frame->split(frame->rows() > 1 || frame->columns() > 1 ? 1 : 2,
                             frame->rows() > 1 || frame->columns() > 1 ? 1 : 2);
            break;
        case id::AppAbout:
            onAbout();
            break;
        case id::ContextHelp:
            QWhatsThis::enterWhatsThisMode();
            break;
        case c::Font:
            onFont();
            break;
        case id::ToolsEditRules:
            onEditRules();
            break;
        default:
            if (CVelmorViewWidget* pane = activePane()) runViewCommand(pane, commandId);
            break;
    }
    scheduleUpdate();
}

// Hides an enabled toolbar and disables it, or enables and shows it again.
void CMainFrame::toggleToolBar(QToolBar* bar) {
    if (bar->isEnabled()) {
        bar->hide();
        bar->setEnabled(false);
    } else {
        bar->setEnabled(true);
        bar->show();
    }
}

// The rule file Test Rule would read for the active document opens as a
// document of its own; saving it changes the rules.
void CMainFrame::onEditRules() {
    CGuiDocument* doc = activeDocument();
    std::string error;
    const std::string path = velmor::findRuleFile(
        velmor::RuleFileSearch::forDocument(doc ? doc->core().pathName() : std::string()), error);
    if (path.empty()) {
        report(QString::fromLocal8Bit(error));
        return;
    }
    openDocument(QFile::decodeName(QByteArray::fromStdString(path)));
}

void CMainFrame::onFont() {
    CVelmorViewWidget* pane = activePane();
    if (!pane) return;
    CVelmorView& view = pane->view();
    LOGFONTA lf{};
    if (!view.currentFont(lf)) return;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, dialogFont(lf), this, QStringLiteral("Font"));
    if (!ok) return;
    view.onSetFocus();
    view.onFont(chosenLogfont(chosen, lf));
    pane->setFocus();
}

QDialog* createAboutDialog(QWidget* parent) {
    auto* dialog = new QDialog(parent);
    dialog->setWindowTitle(QStringLiteral("About Velmor"));
    auto* icon = new QLabel;
    icon->setPixmap(appIcon().pixmap(48, 48));
    auto* text = new QLabel(QStringLiteral("Velmor Version %1").arg(QStringLiteral(VELMOR_VERSION)));
    text->setObjectName(QStringLiteral("versionLabel"));
    auto* details = new QLabel(aboutDetails());
    details->setObjectName(QStringLiteral("detailsLabel"));
    details->setTextFormat(Qt::RichText);
    details->setOpenExternalLinks(true);
    details->setTextInteractionFlags(Qt::TextBrowserInteraction);
    auto* column = new QVBoxLayout;
    column->addWidget(text);
    column->addWidget(details);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addLayout(column, 1);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    return dialog;
}

void CMainFrame::onAbout() {
    QDialog* dialog = createAboutDialog(this);
    dialog->exec();
    delete dialog;
}

void CMainFrame::onCopy() {
    CGuiDocument* doc = activeDocument();
    if (!doc) return;
    if (QMimeData* data = clipboardData(doc->core())) QGuiApplication::clipboard()->setMimeData(data);
}

// Own actions rather than command ids: they act on the clipboard alone and
// follow Edit > Copy in being enabled.
void CMainFrame::createCopyAsActions() {
    QAction* copy = action(id::EditCopy);
    QMenu* edit = nullptr;
    for (QObject* o : copy->associatedObjects())
        if ((edit = qobject_cast<QMenu*>(o))) break;
    if (!edit) return;
    struct Entry {
        const char* name;
        const char* text;
        const char* tip;
        const char* mimeType;
        QString (*written)(CVelmorDoc&);
    };
    static const Entry kEntries[] = {
        {"editCopyAsLatex", "Copy as &LaTeX", "Copy the selection, or every line, as LaTeX text",
         "text/x-tex", copiedLatex},
        {"editCopyAsMathml", "Copy as &MathML", "Copy the selection, or every line, as MathML text",
         "application/mathml+xml", copiedMathml},
    };
    const QList<QAction*> items = edit->actions();
    const qsizetype at = items.indexOf(copy);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    for (const Entry& e : kEntries) {
        auto* a = new QAction(QString::fromLatin1(e.text), this);
        a->setObjectName(QLatin1String(e.name));
        a->setStatusTip(QString::fromLatin1(e.tip));
        a->setEnabled(copy->isEnabled());
        connect(copy, &QAction::enabledChanged, a, &QAction::setEnabled);
        connect(a, &QAction::triggered, this, [this, e] {
            if (CGuiDocument* doc = activeDocument(); doc && doc->core().base())
                copyAs(e.written(doc->core()), QLatin1String(e.mimeType));
        });
        edit->insertAction(before, a);
    }
}

void CMainFrame::copyAs(const QString& text, const QString& mimeType) {
    auto* data = new QMimeData;
    data->setData(mimeType, text.toUtf8());
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

void CMainFrame::onPrint() {
    CGuiDocument* doc = activeDocument();
    if (!doc) return;
    printer_->setDocName(doc->title());
    QPrintDialog dialog(printer_.get(), this);
    dialog.setMinMax(1, pageCount(*printer_, doc->core()));
    if (dialog.exec() != QDialog::Accepted) return;
    if (!printDocument(*printer_, doc->core())) report(QStringLiteral("The document could not be printed."));
}

void CMainFrame::onPrintPreview() {
    CGuiDocument* doc = activeDocument();
    if (!doc) return;
    printer_->setDocName(doc->title());
    QPrintPreviewDialog dialog(printer_.get(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [doc](QPrinter* printer) { printDocument(*printer, doc->core()); });
    dialog.exec();
}

void CMainFrame::onPrintSetup() {
    QPageSetupDialog dialog(printer_.get(), this);
    dialog.exec();
}

// --- documents
// -----------------------------------------------------------------------------------------------

CGuiDocument* CMainFrame::makeDocument(bool untitled) {
    auto* doc = new CGuiDocument(untitled ? ++untitledCount_ : 0);
    documents_ << doc;
    return doc;
}

CChildFrame* CMainFrame::addFrame(CGuiDocument* doc) {
    auto* frame = new CChildFrame(doc);
    frame->canClose = [this](CChildFrame* f) { return canCloseFrame(f); };
    connect(frame, &CChildFrame::changed, this, &CMainFrame::scheduleUpdate);
    QMdiSubWindow* sw = mdi_->addSubWindow(frame);
    sw->setAttribute(Qt::WA_DeleteOnClose);
    sw->setWindowIcon(appIcon());
    sw->resize(560, 400);
    connect(sw, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::scheduleUpdate);
    connect(sw, &QObject::destroyed, this,
            [this, doc] { QTimer::singleShot(0, this, [this, doc] { frameGone(doc); }); });
    return frame;
}

namespace {

void showFrame(QMdiArea* mdi, CChildFrame* frame) {
    QMdiSubWindow* sw = subWindowOf(frame);
    QMdiSubWindow* current = mdi->currentSubWindow();
    const bool alone = mdi->subWindowList().size() == 1;
    if (alone || (current && current != sw && current->isMaximized()))
        sw->showMaximized();
    else
        sw->show();
    mdi->setActiveSubWindow(sw);
    frame->activePane()->setFocus();
}

}  // namespace

CGuiDocument* CMainFrame::newDocument() {
    CGuiDocument* doc = makeDocument(true);
    CChildFrame* frame = addFrame(doc);
    doc->core().onNewDocument();
    frame->initialUpdate();
    showFrame(mdi_, frame);
    // The tool is shared by every window: a new page starts with the one
    // whose click places a formula, whatever the last window used.
    CVelmorView& view = frame->activePane()->view();
    if (view.isEnabled(c::NewItemTool)) view.execute(c::NewItemTool);
    statusBar()->showMessage(QStringLiteral("Click on the page where the formula should go, then type it"));
    scheduleUpdate();
    return doc;
}

CChildFrame* CMainFrame::newWindow(CGuiDocument* doc) {
    CChildFrame* frame = addFrame(doc);
    frame->initialUpdate();
    showFrame(mdi_, frame);
    scheduleUpdate();
    return frame;
}

CGuiDocument* CMainFrame::openDocument(const QString& path) {
    const QString file = canonical(path);
    // A document whose last window has just closed is on its way out.
    for (CChildFrame* f : frames()) {
        if (f->document()->path() != file) continue;
        mdi_->setActiveSubWindow(subWindowOf(f));
        return f->document();
    }
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable()) {
        report(QStringLiteral("%1\nThe file cannot be read.").arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    CChildFrame* frame = loadIntoNewWindow(
        [&file](CVelmorDoc& core) { return core.onOpenDocument(QFile::encodeName(file).toStdString()); });
    // The engine has said why.
    if (!frame) return nullptr;
    CGuiDocument* doc = frame->document();
    if (doc->core().openedDamaged()) {
        // What could be read opens untitled, so that no Save writes over
        // the damaged file unless the user picks it in the Save As dialog.
        doc->setNumber(++untitledCount_);
        doc->setRecoveredFrom(info.fileName());
    } else if (doc->core().openedPicture()) {
        // The same for a picture: a Save would put the document's bytes
        // where the picture was.
        doc->setNumber(++untitledCount_);
        doc->setImportedFrom(file);
    } else {
        doc->setPath(file);
        addRecentFile(file);
    }
    frame->initialUpdate();
    showFrame(mdi_, frame);
    if (doc->core().openedDamaged())
        report(QStringLiteral("%1\nThe file is damaged and could not be read. What could be read opens as "
                              "a new untitled document; the file is left as it is.")
                   .arg(QDir::toNativeSeparators(file)));
    scheduleUpdate();
    return doc;
}

CChildFrame* CMainFrame::loadIntoNewWindow(const std::function<bool(CVelmorDoc&)>& load) {
    // The window comes first: the document is measured in it as it loads.
    CGuiDocument* doc = makeDocument();
    CChildFrame* frame = addFrame(doc);
    if (load(doc->core())) return frame;
    QMdiSubWindow* sw = subWindowOf(frame);
    sw->disconnect(this);
    delete sw;
    documents_.removeAll(doc);
    delete doc;
    scheduleUpdate();
    return nullptr;
}

CGuiDocument* CMainFrame::importDocument(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("%1\nThe file cannot be read.").arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    const QByteArray text = in.readAll();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const TextFormat format = suffix == QLatin1String("tex") || suffix == QLatin1String("ltx")
                                  ? TextFormat::latex
                                  : TextFormat::text;
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!formulasDocument(format, std::string_view(text.constData(), size_t(text.size())), bytes, error)) {
        report(QStringLiteral("%1\nThe formulas could not be read: %2.")
                   .arg(QDir::toNativeSeparators(path), QString::fromStdString(error)));
        return nullptr;
    }
    const std::string name = QFile::encodeName(path).toStdString();
    CChildFrame* frame =
        loadIntoNewWindow([&](CVelmorDoc& core) { return core.onOpenBytes(std::move(bytes), name); });
    if (!frame) return nullptr;
    CGuiDocument* doc = frame->document();
    doc->setNumber(++untitledCount_);
    doc->setImportedFrom(canonical(path));
    frame->initialUpdate();
    showFrame(mdi_, frame);
    scheduleUpdate();
    return doc;
}

// Own actions, like Copy as: the file formats are not commands of a view.
void CMainFrame::createImportExportActions() {
    QAction* saveAs = action(id::FileSaveAs);
    const QList<QAction*> items = fileMenu_->actions();
    const qsizetype at = items.indexOf(saveAs);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;

    auto* importAction = new QAction(QStringLiteral("&Import..."), this);
    importAction->setObjectName(QStringLiteral("fileImport"));
    importAction->setStatusTip(
        QStringLiteral("Open the formulas of a LaTeX or linear text file as a new document"));
    connect(importAction, &QAction::triggered, this, &CMainFrame::onImport);
    auto* exportAction = new QAction(QStringLiteral("&Export..."), this);
    exportAction->setObjectName(QStringLiteral("fileExport"));
    exportAction->setStatusTip(
        QStringLiteral("Write the active document as a picture (SVG, PNG, PDF), LaTeX or MathML"));
    exportAction->setEnabled(saveAs->isEnabled());
    connect(saveAs, &QAction::enabledChanged, exportAction, &QAction::setEnabled);
    connect(exportAction, &QAction::triggered, this, &CMainFrame::onExport);
    fileMenu_->insertAction(before, importAction);
    fileMenu_->insertAction(before, exportAction);
}

void CMainFrame::onImport() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import"), QString(),
        QStringLiteral("LaTeX (*.tex *.ltx);;Linear text (*.txt);;All Files (*)"));
    if (!path.isEmpty()) importDocument(path);
}

void CMainFrame::onExport() {
    CGuiDocument* doc = activeDocument();
    if (!doc) return;
    static const QStringList kFilters = {QStringLiteral("SVG picture (*.svg)"),
                                         QStringLiteral("PNG picture (*.png)"), QStringLiteral("PDF (*.pdf)"),
                                         QStringLiteral("LaTeX (*.tex)"), QStringLiteral("MathML (*.mml)")};
    const QFileInfo suggested(doc->suggestedFileName());
    QString filter = kFilters[0];
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export"),
        suggested.dir().filePath(suggested.completeBaseName() + QStringLiteral(".svg")),
        kFilters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) return;
    // A name without an extension takes the chosen filter's.
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + filter.section(QLatin1String("*."), 1).chopped(1);
    // A PNG is drawn at a resolution the user picks: 1 is the screen's.
    double scale = 1.0;
    if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        bool ok = false;
        scale = QInputDialog::getDouble(
            this, QStringLiteral("Export PNG"),
            QStringLiteral("Scale (1 = the screen's resolution, 96 dpi; 2 = 192 dpi):"), 1.0, kMinExportScale,
            kMaxExportScale, 2, &ok);
        if (!ok) return;
    }
    QString error;
    if (!writeExport(doc->core(), path, suggested.completeBaseName(), &error, scale))
        report(QStringLiteral("%1\nThe document could not be exported: %2.")
                   .arg(QDir::toNativeSeparators(path), error));
}

void CMainFrame::onOpen() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Open"), QString(),
        kFileFilter + QStringLiteral(";;Pictures from Velmor (*.svg *.png);;All Files (*)"));
    for (const QString& f : files) openDocument(f);
}

bool CMainFrame::saveDocument(CGuiDocument* doc) {
    if (!doc) return false;
    QString path = doc->path();
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), doc->suggestedFileName(),
                                            kFileFilter);
        if (path.isEmpty()) return false;
    }
    return saveDocumentAs(doc, path);
}

void CMainFrame::onSaveAs() {
    CGuiDocument* doc = activeDocument();
    if (!doc) return;
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), doc->suggestedFileName(), kFileFilter);
    if (!path.isEmpty()) saveDocumentAs(doc, path);
}

bool CMainFrame::saveDocumentAs(CGuiDocument* doc, const QString& path) {
    QString target = path;
    if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".vlm");
    QString error;
    if (!doc->save(target, &error)) {
        report(QStringLiteral("%1\nThe document could not be saved: %2.")
                   .arg(QDir::toNativeSeparators(target), error));
        return false;
    }
    doc->setPath(canonical(target));
    addRecentFile(doc->path());
    scheduleUpdate();
    return true;
}

bool CMainFrame::askToSave(CGuiDocument* doc) {
    if (!doc->isModified()) return true;
    switch (ask(cp1252(QStringLiteral("Save changes to %1?").arg(doc->title())).constData())) {
        case IDYES:
            return saveDocument(doc);
        case IDNO:
            return true;
        default:
            return false;
    }
}

bool CMainFrame::canCloseFrame(CChildFrame* frame) {
    if (closingAll_) return true;
    int shown = 0;
    for (CChildFrame* f : frames())
        if (f->document() == frame->document()) ++shown;
    return shown > 1 || askToSave(frame->document());
}

bool CMainFrame::closeDocument(CGuiDocument* doc) {
    if (!askToSave(doc)) return false;
    for (CChildFrame* f : frames())
        if (f->document() == doc) delete subWindowOf(f);
    return true;
}

// A window has gone; its document goes with its last window.
void CMainFrame::frameGone(CGuiDocument* doc) {
    if (!documents_.contains(doc)) return;
    for (CChildFrame* f : frames())
        if (f->document() == doc) return;
    documents_.removeAll(doc);
    delete doc;
    updateUi();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    for (CGuiDocument* doc : documents_) {
        if (!askToSave(doc)) {
            e->ignore();
            return;
        }
    }
    writeSettings();
    closingAll_ = true;
    mdi_->closeAllSubWindows();
    e->accept();
}

// --- files dropped on the window --------------------------------------------------------------------------

void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
    if (!e->mimeData()->hasUrls()) return;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) {
            e->acceptProposedAction();
            return;
        }
}

void CMainFrame::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) openDocument(url.toLocalFile());
    e->acceptProposedAction();
}

// --- recent files
// ---------------------------------------------------------------------------------------------

QStringList CMainFrame::recentFiles() const {
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    QStringList out;
    for (int i = 1; i <= id::RecentFileCount; ++i) {
        const QString f = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!f.isEmpty()) out << f;
    }
    return out;
}

namespace {

void storeRecent(const QStringList& files) {
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    for (int i = 1; i <= id::RecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, files[i - 1]);
        else
            settings.remove(key);
    }
}

}  // namespace

void CMainFrame::addRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > id::RecentFileCount) files.removeLast();
    storeRecent(files);
    rebuildRecentMenu();
}

void CMainFrame::removeRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    storeRecent(files);
    rebuildRecentMenu();
}

void CMainFrame::rebuildRecentMenu() {
    const QStringList files = recentFiles();
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* a = recentActions_[i];
        if (i < files.size()) {
            QString shown = QDir::toNativeSeparators(files[i]);
            shown.replace(QLatin1Char('&'), QLatin1String("&&"));
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            a->setVisible(true);
            a->setEnabled(true);
        } else if (i == 0) {
            a->setText(QStringLiteral("Recent File"));
            a->setVisible(true);
            a->setEnabled(false);
        } else {
            a->setVisible(false);
        }
    }
}

void CMainFrame::rebuildWindowMenu() {
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    windowListActions_ << windowMenu_->addSeparator();
    int n = 0;
    for (QMdiSubWindow* sw : windows) {
        QString title = sw->windowTitle();
        title.replace(QLatin1String("[*]"), sw->isWindowModified() ? QStringLiteral("*") : QString());
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(title));
        a->setCheckable(true);
        a->setChecked(sw == mdi_->currentSubWindow());
        connect(a, &QAction::triggered, this, [this, sw] { mdi_->setActiveSubWindow(sw); });
        windowListActions_ << a;
    }
}

}  // namespace velmor::gui
