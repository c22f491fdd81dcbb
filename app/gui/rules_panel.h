// The Rules panel: the rules and constants of the rule file Test Rule would
// use for the active document, each drawn as the formula it is, with what
// rules check finds wrong with it; and the dry run of that file on the
// formula with the caret: which rules match, where, and with which values of
// their names. Applying a match makes the step Test Rule would make if that
// match came first.
//
// The panel looks at the active view on a timer and recomputes only when
// the caret, the document or the rule file changed.
#pragma once

#include <QDateTime>
#include <QDockWidget>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/rule_explain.h"

class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace tovimat {
class container;
class nucleo;
}  // namespace tovimat

namespace velmor::gui {

class CMainFrame;
class COffscreenDocument;

class CRulesPanel : public QDockWidget {
    Q_OBJECT

public:
    // Docks itself on the right of frame, hidden, and adds its show/hide
    // entry to the frame's View menu.
    explicit CRulesPanel(CMainFrame& frame);
    ~CRulesPanel() override;

    QListWidget* rulesList() const { return rules_; }
    QListWidget* matchesList() const { return matches_; }
    QPushButton* applyButton() const { return apply_; }
    // The rule file shown, or why there is none.
    QLabel* fileLabel() const { return file_; }

    // Reads the rule file again when it changed and recomputes the dry run
    // when the caret or the document changed.
    void refresh();
    // Applies the selected match as a step; false when none is selected or
    // it no longer changes anything.
    bool applySelected();

private:
    struct Key {
        const void* view = nullptr;
        const void* focused = nullptr;
        int caret = -1;
        std::uint64_t epoch = 0;
        bool operator==(const Key&) const = default;
    };

    void loadRules(const std::string& path);
    void showRules();
    void showMatches();
    tovimat::container* formula() const;

    CMainFrame& frame_;
    QLabel* file_;
    QListWidget* rules_;
    QLabel* formula_;
    QListWidget* matches_;
    QPushButton* apply_;
    QTimer timer_;

    std::string rulesPath_;
    QDateTime rulesTime_;
    std::string rulesError_;
    // The rule set as Test Rule reads it, for matching; the same file as a
    // document, for drawing its items.
    std::unique_ptr<tovimat::container> ruleSet_;
    std::unique_ptr<COffscreenDocument> rulesDoc_;
    Key shown_;
    RuleDryRun run_;
};

}  // namespace velmor::gui
