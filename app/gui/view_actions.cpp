// The View menu's zoom commands and the zoom shown in the status bar.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <cmath>

#include "command_ids.h"
#include "main_frame.h"
#include "view_widget.h"

namespace velmor::gui {

void CMainFrame::createZoomActions() {
    auto make = [this](const char* name, const QString& text, const QString& tip, QList<QKeySequence> keys,
                       void (CVelmorViewWidget::*zoom)(const QPoint*)) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setStatusTip(tip);
        a->setWhatsThis(tip);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, [this, zoom] {
            if (CVelmorViewWidget* pane = activePane()) (pane->*zoom)(nullptr);
        });
        return a;
    };
    zoomIn_ = make("viewZoomIn", QStringLiteral("Zoom &In"), QStringLiteral("Show the formulas larger"),
                   QKeySequence::keyBindings(QKeySequence::ZoomIn), &CVelmorViewWidget::zoomIn);
    zoomOut_ = make("viewZoomOut", QStringLiteral("Zoom &Out"), QStringLiteral("Show the formulas smaller"),
                    QKeySequence::keyBindings(QKeySequence::ZoomOut), &CVelmorViewWidget::zoomOut);
    zoomActual_ = new QAction(QStringLiteral("&Actual Size"), this);
    zoomActual_->setObjectName(QStringLiteral("viewZoomActual"));
    zoomActual_->setStatusTip(QStringLiteral("Show the formulas at their size on paper"));
    zoomActual_->setWhatsThis(zoomActual_->statusTip());
    zoomActual_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(zoomActual_, &QAction::triggered, this, [this] {
        if (CVelmorViewWidget* pane = activePane()) pane->setZoom(1.0);
    });

    // After the toolbar and status bar toggles of the View menu.
    QMenu* view = nullptr;
    for (QObject* o : action(id::ViewStatusBar)->associatedObjects())
        if ((view = qobject_cast<QMenu*>(o))) break;
    if (view) {
        view->addSeparator();
        view->addActions({zoomIn_, zoomOut_, zoomActual_});
    } else {
        addActions({zoomIn_, zoomOut_, zoomActual_});
    }

    zoomLabel_ = new QLabel;
    zoomLabel_->setObjectName(QStringLiteral("zoomIndicator"));
    zoomLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    zoomLabel_->setAlignment(Qt::AlignCenter);
    zoomLabel_->setMinimumWidth(zoomLabel_->fontMetrics().horizontalAdvance(QStringLiteral("800 %")) + 12);
    zoomLabel_->setToolTip(QStringLiteral("Zoom of the active window (Ctrl and the wheel)"));
    statusBar()->addPermanentWidget(zoomLabel_);
}

void CMainFrame::updateViewActions(CVelmorViewWidget* pane) {
    const double zoom = pane ? pane->zoom() : 1.0;
    zoomIn_->setEnabled(pane && zoom < CVelmorViewWidget::kMaxZoom);
    zoomOut_->setEnabled(pane && zoom > CVelmorViewWidget::kMinZoom);
    zoomActual_->setEnabled(pane != nullptr);
    zoomLabel_->setText(pane ? QStringLiteral("%1 %").arg(std::lround(zoom * 100)) : QString());
    if (pane) pane->refreshFeedback();
}

}  // namespace velmor::gui
