// Help > Typing Formulas: a page bundled with the program, shown in a
// browser inside it. The formulas it shows are drawn by the program from
// their linear text ("formula:1/2" in the page), and its table of keyboard
// shortcuts is made from the window's actions when the page opens.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QTextBrowser>

class QAction;
class QDialog;
class QWidget;

namespace velmor::gui {

class CHelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit CHelpBrowser(QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;
};

// The formula written as linear text, drawn as a document draws it at
// devicePixelRatio; a null image when the text is not a formula.
QImage formulaImage(const QString& linear, qreal devicePixelRatio);

// An HTML table of the actions that have shortcuts: each action's name and
// its keys, in the order given.
QString shortcutTable(const QList<QAction*>& actions);

// The help page with its shortcut table filled in from actions.
QString helpPage(const QList<QAction*>& actions);

// A dialog showing the help page; the caller owns it.
QDialog* createHelpDialog(QWidget* parent, const QList<QAction*>& actions);

}  // namespace velmor::gui
