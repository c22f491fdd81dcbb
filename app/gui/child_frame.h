// The frame of one document window: a splitter of up to two rows and two
// columns of panes, each a view of the same document. The pane that last had
// the keyboard focus or a click is the active one: menu and toolbar commands
// act on it.
#pragma once

#include <QList>
#include <QWidget>
#include <functional>

class QSplitter;

namespace velmor::gui {

class CGuiDocument;
class CVelmorViewWidget;

class CChildFrame : public QWidget {
    Q_OBJECT

public:
    explicit CChildFrame(CGuiDocument* doc, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CGuiDocument* document() const { return doc_; }
    CVelmorViewWidget* activePane() const;
    QList<CVelmorViewWidget*> panes() const;
    int rows() const { return rows_; }
    int columns() const { return columns_; }

    // Shows rows by columns panes (1 or 2 each). New panes start scrolled
    // where the active pane is; removed panes go with their views.
    void split(int rows, int columns);
    // Every pane takes the document's size as its scroll range.
    void initialUpdate();

    // Asked before the frame closes; false keeps it open.
    std::function<bool(CChildFrame*)> canClose;

signals:
    void changed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    CVelmorViewWidget* makePane();
    void adopt(CVelmorViewWidget* pane);

    CGuiDocument* doc_;
    QSplitter* rowSplitter_;
    // panes_[row][column]; null where there is no pane.
    CVelmorViewWidget* panes_[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};
    QSplitter* columnSplitters_[2] = {nullptr, nullptr};
    CVelmorViewWidget* active_ = nullptr;
    int rows_ = 1;
    int columns_ = 1;
};

}  // namespace velmor::gui
