#include "rules_panel.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "core/linear_text.h"
#include "core/rule_check.h"
#include "core/rule_file.h"
#include "gui_document.h"
#include "main_frame.h"
#include "render.h"
#include "view_widget.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

// How often the panel looks whether the caret, the document or the rule
// file changed.
constexpr int kPollMs = 300;
// Pictures of rules wider or higher than this are scaled down.
constexpr int kMaxPictureWidth = 360;
constexpr int kMaxPictureHeight = 80;
// A long line may hold thousands of matches; the list shows the first ones.
constexpr size_t kMaxMatchRows = 500;

QString utf8(const std::string& s) { return QString::fromStdString(s); }

QString localPath(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QMenu* viewMenu(CMainFrame& frame) {
    for (QAction* a : frame.menuBar()->actions())
        if (a->menu() && a->text().remove(QLatin1Char('&')) == QLatin1String("View")) return a->menu();
    return nullptr;
}

QPixmap pictureOf(CVelmorDoc& doc, nucleo* node) {
    QPixmap p = QPixmap::fromImage(renderImage(nodePicture(doc, node)));
    if (p.width() > kMaxPictureWidth || p.height() > kMaxPictureHeight)
        p = p.scaled(kMaxPictureWidth, kMaxPictureHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return p;
}

}  // namespace

CRulesPanel::CRulesPanel(CMainFrame& frame) : QDockWidget(tr("Rules"), &frame), frame_(frame) {
    setObjectName(QStringLiteral("rulesPanel"));
    file_ = new QLabel;
    file_->setWordWrap(true);
    rules_ = new QListWidget;
    rules_->setObjectName(QStringLiteral("rulesList"));
    rules_->setSelectionMode(QAbstractItemView::NoSelection);
    formula_ = new QLabel;
    formula_->setWordWrap(true);
    matches_ = new QListWidget;
    matches_->setObjectName(QStringLiteral("matchesList"));
    matches_->setWordWrap(true);
    apply_ = new QPushButton(tr("&Apply"));
    apply_->setToolTip(tr("Apply the chosen rule at the chosen place as a step"));
    apply_->setEnabled(false);

    auto* top = new QWidget;
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(file_);
    topLayout->addWidget(rules_);
    auto* bottom = new QWidget;
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(formula_);
    bottomLayout->addWidget(matches_);
    bottomLayout->addWidget(apply_);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(bottom);
    setWidget(split);

    frame.addDockWidget(Qt::RightDockWidgetArea, this);
    hide();
    QAction* toggle = toggleViewAction();
    toggle->setText(tr("&Rules Panel"));
    toggle->setStatusTip(tr("Show or hide the rules and what they match in the formula with the caret"));
    if (QMenu* menu = viewMenu(frame)) menu->addAction(toggle);

    connect(matches_, &QListWidget::currentRowChanged, this, [this](int) {
        QListWidgetItem* it = matches_->currentItem();
        apply_->setEnabled(it && it->data(Qt::UserRole).toInt() >= 0);
    });
    connect(matches_, &QListWidget::itemDoubleClicked, this, [this] { applySelected(); });
    connect(apply_, &QPushButton::clicked, this, [this] { applySelected(); });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) refresh();
    });
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (isVisible()) refresh();
    });
    timer_.start();
}

CRulesPanel::~CRulesPanel() = default;

void CRulesPanel::refresh() {
    CGuiDocument* doc = frame_.activeDocument();
    std::string error;
    const std::string path =
        findRuleFile(RuleFileSearch::forDocument(doc ? doc->core().pathName() : std::string()), error);
    const QDateTime time = path.empty() ? QDateTime() : QFileInfo(localPath(path)).lastModified();
    const bool reload = path != rulesPath_ || time != rulesTime_ || (path.empty() && error != rulesError_);
    if (reload) {
        rulesPath_ = path;
        rulesTime_ = time;
        rulesError_ = error;
        loadRules(path);
        showRules();
    }
    Key now;
    if (CVelmorViewWidget* pane = frame_.activePane()) {
        now.view = &pane->view();
        now.focused = pane->view().focused();
        now.caret = pane->view().caretIndex();
    }
    now.epoch = nucleo::layoutEpoch();
    if (reload || !(now == shown_)) {
        showMatches();
        // Showing may lay out nothing of the document, but read the epoch
        // after it all the same so that a repaint does not count as a change.
        now.epoch = nucleo::layoutEpoch();
        shown_ = now;
    }
}

void CRulesPanel::loadRules(const std::string& path) {
    ruleSet_.reset();
    rulesDoc_.reset();
    if (path.empty()) return;
    ruleSet_ = readRuleFile(path, rulesError_);
    if (!ruleSet_) return;
    rulesDoc_ = std::make_unique<COffscreenDocument>();
    if (!rulesDoc_->open(localPath(path)) || !rulesDoc_->doc().base()) rulesDoc_.reset();
}

void CRulesPanel::showRules() {
    rules_->clear();
    if (!ruleSet_) {
        file_->setText(utf8(rulesError_));
        return;
    }
    file_->setText(tr("Rules from %1").arg(localPath(rulesPath_)));
    const RuleCheck check = checkRules(*ruleSet_);
    const std::vector<RuleItem> items = ruleItems(*ruleSet_);
    std::vector<RuleItem> drawn;
    if (rulesDoc_) drawn = ruleItems(*rulesDoc_->doc().base());
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QSize iconSize(16, 16);
    for (size_t i = 0; i < items.size(); ++i) {
        const RuleItem& item = items[i];
        const QString text = utf8(linearText(*item.node));
        QStringList lines;
        lines << tr("%1. %2").arg(item.item).arg(text);
        if (item.kind == RuleItem::Other) lines << tr("neither a rule nor a constant");
        bool warned = false;
        for (const RuleDiagnostic& d : check.findings) {
            if (d.item != item.item) continue;
            lines << QStringLiteral("\u26a0 ") + utf8(d.text);
            warned = true;
        }
        auto* row = new QListWidgetItem(lines.join(QLatin1Char('\n')), rules_);
        row->setData(Qt::UserRole, text);
        row->setToolTip(lines.join(QLatin1Char('\n')));
        // The picture only when the document holds the same items.
        if (drawn.size() == items.size()) {
            const QPixmap picture = pictureOf(rulesDoc_->doc(), drawn[i].node);
            row->setData(Qt::DecorationRole, picture);
            iconSize = iconSize.expandedTo(picture.size());
        } else if (warned) {
            row->setIcon(warning);
        }
        if (warned) row->setForeground(palette().brush(QPalette::Link));
    }
    rules_->setIconSize(iconSize);
}

container* CRulesPanel::formula() const {
    CVelmorViewWidget* pane = frame_.activePane();
    nucleo* f = pane ? pane->view().focused() : nullptr;
    return f && f->isGroup() ? static_cast<container*>(f) : nullptr;
}

void CRulesPanel::showMatches() {
    matches_->clear();
    run_ = {};
    apply_->setEnabled(false);
    container* f = formula();
    if (!ruleSet_) {
        formula_->setText(tr("No rule file"));
        return;
    }
    if (!f) {
        formula_->setText(
            tr("Put the caret on a formula (End takes the whole formula) to see which rules match"));
        return;
    }
    formula_->setText(tr("In %1:").arg(utf8(linearText(*f))));
    run_ = dryRunRules(*ruleSet_, *f);
    const size_t shown = std::min(run_.matches.size(), kMaxMatchRows);
    for (size_t i = 0; i < shown; ++i) {
        auto* row = new QListWidgetItem(utf8(matchLine(run_.matches[i])), matches_);
        row->setData(Qt::UserRole, int(i));
        if (i == 0) {
            // The one Test Rule takes.
            QFont bold = row->font();
            bold.setBold(true);
            row->setFont(bold);
            row->setToolTip(tr("Test Rule applies this one"));
        }
    }
    if (shown < run_.matches.size()) {
        auto* row =
            new QListWidgetItem(tr("... and %1 more matches").arg(run_.matches.size() - shown), matches_);
        row->setData(Qt::UserRole, -1);
        row->setFlags(Qt::NoItemFlags);
    }
    for (const ConstantUse& c : run_.constants) {
        auto* row =
            new QListWidgetItem(tr("constant %1 (Use Constants)").arg(utf8(constantLine(c))), matches_);
        row->setData(Qt::UserRole, -1);
    }
    if (run_.matches.empty() && run_.constants.empty()) {
        auto* row = new QListWidgetItem(tr("No rule matches"), matches_);
        row->setData(Qt::UserRole, -1);
        row->setFlags(Qt::NoItemFlags);
    }
}

bool CRulesPanel::applySelected() {
    QListWidgetItem* row = matches_->currentItem();
    const int i = row ? row->data(Qt::UserRole).toInt() : -1;
    if (i < 0 || size_t(i) >= run_.matches.size() || !ruleSet_) return false;
    const int item = run_.matches[size_t(i)].item;
    const std::vector<int> path = run_.matches[size_t(i)].path;
    CVelmorViewWidget* pane = frame_.activePane();
    container* f = formula();
    if (!pane || !f) return false;
    // The list may be older than the document: the same rule at the same
    // place of the formula as it is now.
    const RuleDryRun now = dryRunRules(*ruleSet_, *f);
    auto same = std::find_if(now.matches.begin(), now.matches.end(),
                             [&](const RuleMatch& m) { return m.item == item && m.path == path; });
    if (same == now.matches.end()) {
        refresh();
        return false;
    }
    CVelmorView& view = pane->view();
    view.onSetFocus();
    const bool done = view.applyRuleMatch(*ruleSet_, *same->rule, *same->place, rulesPath_);
    pane->setFocus();
    frame_.updateUi();
    refresh();
    return done;
}

}  // namespace velmor::gui
