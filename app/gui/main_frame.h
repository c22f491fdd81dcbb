// The main window: a multi-document frame with the menus, the main,
// functions and group-relations toolbars and the status bar. It creates,
// opens, saves and closes documents, keeps the recent-file list, prints, and
// passes the Tools, Insert and Format commands to the active pane's view.
#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPrinter>
#include <QTimer>
#include <functional>
#include <memory>
#include <span>

#include "lock_keys.h"

class QAction;
class QActionGroup;
class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class CVelmorDoc;
class CVelmorView;

namespace velmor::gui {

class CChildFrame;
class CGuiDocument;
class CVelmorViewWidget;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- documents -------------------------------------------------------------------
    CGuiDocument* newDocument();
    // Opens a file in a new window, or brings forward the window that shows
    // it already. Null when the file cannot be read or is not a document.
    CGuiDocument* openDocument(const QString& path);
    // File > Import: the formulas of a LaTeX (.tex) or linear text file as
    // a new untitled document. Null, after saying why, when any of them
    // cannot be read.
    CGuiDocument* importDocument(const QString& path);
    // Saves under the document's own file, or asks for one.
    bool saveDocument(CGuiDocument* doc);
    // Saves under path, which becomes the document's file.
    bool saveDocumentAs(CGuiDocument* doc, const QString& path);
    // Closes every window of the document, asking to save it first when it
    // has changes. False when the user cancels.
    bool closeDocument(CGuiDocument* doc);
    // A second window on the document.
    CChildFrame* newWindow(CGuiDocument* doc);
    QList<CGuiDocument*> documents() const { return documents_; }

    // --- what commands act on -----------------------------------------------------------
    CChildFrame* activeFrame() const;
    CVelmorViewWidget* activePane() const;
    CGuiDocument* activeDocument() const;
    QList<CChildFrame*> frames() const;

    // --- commands ----------------------------------------------------------------------------
    // The action of a command id (core/commands.h or command_ids.h).
    QAction* action(int id) const { return actions_.value(id); }
    QToolBar* mainToolBar() const { return mainBar_; }
    QToolBar* functionsToolBar() const { return functionsBar_; }
    QToolBar* groupRelationsToolBar() const { return groupBar_; }
    // Runs a command on the active pane, as its menu item or button does.
    void runCommand(int id);
    // Brings enabling, checks, titles and indicators up to date; runs by
    // itself after every input and command.
    void updateUi();

    QStringList recentFiles() const;
    QPrinter& printer() { return *printer_; }

    // The three tool commands as one exclusive group: the active tool's
    // action is the checked one.
    QActionGroup* toolGroup() const { return toolGroup_; }
    // Every action of the window that has a shortcut, menus first, in menu
    // order (the help page lists them).
    QList<QAction*> shortcutActions() const;
    // Help > Typing Formulas (F1): the help page in a dialog.
    void showHelp();

protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    QMenu* createPopupMenu() override;
    // Keeps the title this window gives itself when a maximized document
    // window would add its own.
    void changeEvent(QEvent* e) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    // Edit > Copy as LaTeX and Copy as MathML, placed after Edit > Copy.
    void createCopyAsActions();
    // File > Import and Export, placed after File > Save As.
    void createImportExportActions();
    // View > Zoom In, Zoom Out and Actual Size, and the zoom in the status
    // bar (view_actions.cpp).
    void createZoomActions();
    void updateViewActions(CVelmorViewWidget* pane);
    void onImport();
    void onExport();
    // A new window whose document load fills; null (and no window) when
    // load fails.
    CChildFrame* loadIntoNewWindow(const std::function<bool(CVelmorDoc&)>& load);
    // The tool group, the shortcuts, the tips of buttons without a command,
    // and Help > Typing Formulas (frame_ui.cpp).
    void createWindowActions();
    // The tools' checks, the tips that say why a command is off, and the
    // window title: "Untitled 1[*] - Velmor".
    void updateWindowState(const CVelmorView* view);
    // Runs a command of the active pane; when it leaves the document as it
    // was and said nothing, the status bar says so.
    void runViewCommand(CVelmorViewWidget* pane, int id);
    void readSettings();
    void writeSettings();

    QAction* makeAction(int id);
    QToolBar* makeToolBar(const QString& title, const QString& name, std::span<const int> buttons,
                          QSize iconSize);
    CChildFrame* addFrame(CGuiDocument* doc);
    // untitled: a new document, numbered "Untitled N"; an opened one gets
    // a number only when it turns out to be untitled.
    CGuiDocument* makeDocument(bool untitled = false);
    bool askToSave(CGuiDocument* doc);
    bool canCloseFrame(CChildFrame* frame);
    void frameGone(CGuiDocument* doc);
    void scheduleUpdate();

    void onOpen();
    void onSaveAs();
    void onPrint();
    void onPrintPreview();
    void onPrintSetup();
    void onCopy();
    // Puts text on the clipboard as plain text and as mimeType.
    void copyAs(const QString& text, const QString& mimeType);
    // The Edit menu's Undo, Redo, Cut, Paste and Select All (edit_commands.cpp).
    void createEditActions();
    void updateEditActions(const CVelmorView* view);
    void runEditCommand(int id);
    void onFont();
    void onEditRules();
    void onAbout();
    void toggleToolBar(QToolBar* bar);
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);
    void rebuildRecentMenu();
    void rebuildWindowMenu();
    void showLockKeys(LockKeys keys);

    QMdiArea* mdi_;
    QHash<int, QAction*> actions_;
    QToolBar* mainBar_ = nullptr;
    QToolBar* functionsBar_ = nullptr;
    QToolBar* groupBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    QList<QAction*> windowListActions_;
    QLabel* readyLabel_ = nullptr;
    QLabel* capLabel_ = nullptr;
    QLabel* numLabel_ = nullptr;
    QLabel* scrlLabel_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    QAction* zoomIn_ = nullptr;
    QAction* zoomOut_ = nullptr;
    QAction* zoomActual_ = nullptr;
    CLockKeyWatcher lockKeys_;
    std::unique_ptr<QPrinter> printer_;

    QList<CGuiDocument*> documents_;
    int untitledCount_ = 0;
    bool closingAll_ = false;
    QTimer uiTimer_;
    QActionGroup* toolGroup_ = nullptr;
    // The title updateWindowState gave the window.
    QString title_;
};

// The About box: "About Velmor", the version, the licence, the project's
// address, an OK button.
QDialog* createAboutDialog(QWidget* parent);
// The About box's lines under the version (rich text).
QString aboutDetails();

}  // namespace velmor::gui
