#include "child_frame.h"

#include <QCloseEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "gui_document.h"
#include "view_widget.h"

namespace velmor::gui {

CChildFrame::CChildFrame(CGuiDocument* doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    rowSplitter_ = new QSplitter(Qt::Vertical, this);
    rowSplitter_->setChildrenCollapsible(false);
    layout->addWidget(rowSplitter_);
    split(1, 1);
    setFocusProxy(panes_[0][0]);
}

CChildFrame::~CChildFrame() = default;

CVelmorViewWidget* CChildFrame::activePane() const { return active_ ? active_ : panes_[0][0]; }

QList<CVelmorViewWidget*> CChildFrame::panes() const {
    QList<CVelmorViewWidget*> out;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            if (panes_[r][c]) out << panes_[r][c];
    return out;
}

CVelmorViewWidget* CChildFrame::makePane() {
    auto* pane = new CVelmorViewWidget(doc_->core());
    adopt(pane);
    return pane;
}

void CChildFrame::adopt(CVelmorViewWidget* pane) {
    connect(pane, &CVelmorViewWidget::activated, this, [this](CVelmorViewWidget* p) {
        active_ = p;
        emit changed();
    });
    connect(pane, &CVelmorViewWidget::changed, this, &CChildFrame::changed);
    connect(pane, &CVelmorViewWidget::zoomChanged, this, &CChildFrame::changed);
    // A new pane looks where the active one looks, at its zoom.
    if (CVelmorViewWidget* from = activePane(); from && from != pane) {
        pane->setZoom(from->zoom());
        pane->scrollToPosition(from->scrollPosition());
    }
}

void CChildFrame::split(int rows, int columns) {
    rows = std::clamp(rows, 1, 2);
    columns = std::clamp(columns, 1, 2);
    for (int r = 0; r < 2; ++r) {
        const bool rowWanted = r < rows;
        if (!rowWanted) {
            for (int c = 0; c < 2; ++c) {
                if (panes_[r][c] == active_) active_ = nullptr;
                delete panes_[r][c];
                panes_[r][c] = nullptr;
            }
            delete columnSplitters_[r];
            columnSplitters_[r] = nullptr;
            continue;
        }
        if (!columnSplitters_[r]) {
            columnSplitters_[r] = new QSplitter(Qt::Horizontal);
            columnSplitters_[r]->setChildrenCollapsible(false);
            rowSplitter_->addWidget(columnSplitters_[r]);
            // The columns of both rows line up, as one grid.
            connect(columnSplitters_[r], &QSplitter::splitterMoved, this, [this, r] {
                if (QSplitter* other = columnSplitters_[1 - r]) other->setSizes(columnSplitters_[r]->sizes());
            });
        }
        for (int c = 0; c < 2; ++c) {
            if (c < columns && !panes_[r][c]) {
                panes_[r][c] = makePane();
                columnSplitters_[r]->addWidget(panes_[r][c]);
                panes_[r][c]->view().recalcScrollRange();
            } else if (c >= columns && panes_[r][c]) {
                if (panes_[r][c] == active_) active_ = nullptr;
                delete panes_[r][c];
                panes_[r][c] = nullptr;
            }
        }
    }
    // The panes share the frame evenly.
    rowSplitter_->setSizes(QList<int>(rows, 1 << 16));
    for (QSplitter* s : columnSplitters_)
        if (s) s->setSizes(QList<int>(columns, 1 << 16));
    rows_ = rows;
    columns_ = columns;
    emit changed();
}

void CChildFrame::initialUpdate() {
    for (CVelmorViewWidget* pane : panes()) {
        pane->view().onInitialUpdate();
        pane->view().recalcScrollRange();
        pane->viewport()->update();
    }
}

void CChildFrame::closeEvent(QCloseEvent* e) {
    if (canClose && !canClose(this)) {
        e->ignore();
        return;
    }
    e->accept();
}

}  // namespace velmor::gui
