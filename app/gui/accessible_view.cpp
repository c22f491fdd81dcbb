#include "accessible_view.h"

#include <QAccessibleWidget>
#include <QScrollBar>

#include "view_widget.h"

namespace velmor::gui {

namespace {

class CAccessibleView : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CAccessibleView(CVelmorViewWidget* pane) : QAccessibleWidget(pane, QAccessible::EditableText) {}

    CVelmorViewWidget* pane() const { return static_cast<CVelmorViewWidget*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return pane()->lineText();
        if (t == QAccessible::Description) return pane()->lineWords();
        if (t == QAccessible::Name && pane()->accessibleName().isEmpty()) return QStringLiteral("Formula");
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.focusable = true;
        s.selectableText = true;
        return s;
    }

    // --- the text -------------------------------------------------------------------------------
    // The tree's selection is made of whole nodes, which the line's text
    // does not mark: it offers no text selection.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override {
        int offset = 0;
        pane()->lineText(&offset);
        return offset;
    }
    // The caret moves with the keys of the tree only.
    void setCursorPosition(int) override {}

    QString text(int start, int end) const override {
        const QString line = pane()->lineText();
        start = std::clamp(start, 0, int(line.size()));
        end = end < 0 ? int(line.size()) : std::clamp(end, start, int(line.size()));
        return line.mid(start, end - start);
    }
    int characterCount() const override { return int(pane()->lineText().size()); }

    // Only the caret's place is known on the screen.
    QRect characterRect(int offset) const override {
        if (offset != cursorPosition() || !pane()->caretVisible()) return QRect();
        const QRect r = pane()->viewportRect(pane()->caretRect());
        return QRect(pane()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return QString();
    }
};

QAccessibleInterface* viewFactory(const QString&, QObject* object) {
    if (auto* pane = qobject_cast<CVelmorViewWidget*>(object)) return new CAccessibleView(pane);
    return nullptr;
}

}  // namespace

void installAccessibleViews() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(viewFactory);
}

}  // namespace velmor::gui
