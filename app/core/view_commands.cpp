// The Tools, Format and insertion commands of a view: when each is enabled
// and what it asks of the tree.
#include <cstring>
#include <memory>

#include "algebra/step_notes.h"
#include "core/commands.h"
#include "core/linear_text.h"
#include "core/rule_check.h"
#include "core/rule_explain.h"
#include "core/rule_file.h"
#include "core/velmor_doc.h"
#include "core/velmor_view.h"
#include "platform/messages.h"

using namespace tovimat;
namespace cmd = velmor::cmd;

namespace {

constexpr const char* kRuleFileCaption = "Error opening file";

int toolMode(int id) {
    switch (id) {
        case cmd::SelectorTool:
            return CVelmorView::SelectorMode;
        case cmd::EditTool:
            return CVelmorView::EditMode;
        default:
            return CVelmorView::NewItemMode;
    }
}

nucleo* makeConstant(int id) {
    switch (id) {
        case cmd::InsertTrue:
            return new booleano(true);
        case cmd::InsertFalse:
            return new booleano(false);
        case cmd::InsertPlusInfinity:
            return new infinit(true);
        case cmd::InsertMinusInfinity:
            return new infinit(false);
        default:
            return nullptr;
    }
}

container* makeFunction(int id) {
    switch (id) {
        case cmd::InsertSin:
            return new algSin();
        case cmd::InsertCos:
            return new algCos();
        case cmd::InsertTan:
            return new algTan();
        case cmd::InsertASin:
            return new algASin();
        case cmd::InsertACos:
            return new algACos();
        case cmd::InsertATan:
            return new algATan();
        default:
            return nullptr;
    }
}

container* makeOperator(int id) {
    switch (id) {
        case cmd::InsertLog:
            return new logaritm();
        case cmd::InsertRoot:
            return new radical();
        case cmd::InsertPower:
            return new power();
        case cmd::InsertIntersection:
            return new intersection();
        case cmd::InsertUnion:
            return new junction();
        case cmd::InsertContained:
            return new contained();
        case cmd::InsertNotContain:
            return new notContain();
        case cmd::InsertBelongs:
            return new belongs();
        case cmd::InsertNotBelong:
            return new notBelong();
        case cmd::InsertContains:
            return new contains();
        default:
            return nullptr;
    }
}

// Loads the rule set of the rule file in use for the document; path receives
// the file. On a missing or unusable file shows which file and what is wrong
// (caption "Error opening file") and answers null.
std::unique_ptr<container> loadRuleSet(const CVelmorDoc* doc, std::string& path) {
    std::string error;
    std::unique_ptr<container> rules =
        velmor::loadRuleFile(velmor::RuleFileSearch::forDocument(doc ? doc->pathName() : ""), path, error);
    if (!rules) MessageBoxA(nullptr, error.c_str(), kRuleFileCaption, MB_ICONERROR);
    return rules;
}

}  // namespace

// --- enabling ------------------------------------------------------------------------------------

bool CVelmorView::isEnabled(int id) const {
    if (cmd::findEditCommand(id)) return editEnabled(id);
    const cmd::Command* c = cmd::findCommand(id);
    if (!c) return false;
    nucleo* f = focused_;
    switch (c->kind) {
        case cmd::Kind::Tool:
            return mode() != toolMode(id);
        case cmd::Kind::GroupCommand:
            return f && f->isGroup();
        case cmd::Kind::Constant:
            return f && !f->isGroup() && f->getLen() == 0;
        case cmd::Kind::Function:
            return f && f->parent() && caretIndex_ == 0;
        case cmd::Kind::Operator:
            return f && f->parent() && f->previous() && f->next();
        case cmd::Kind::Font:
            return true;
        case cmd::Kind::NoHandler:
        case cmd::Kind::Edit:
            return false;
    }
    return false;
}

bool CVelmorView::execute(int id) {
    if (cmd::findEditCommand(id)) return executeEdit(id);
    Step step(*this, stepLabel(id));
    switch (id) {
        case cmd::SelectorTool:
        case cmd::NewItemTool:
            setMode(toolMode(id));
            if (focused_) focused_->hideFocus();
            return true;
        case cmd::EditTool:
            setMode(EditMode);
            return true;
        case cmd::Calculate:
            onCalculate();
            return true;
        case cmd::CalculateAll:
            onCalculateAll();
            return true;
        case cmd::Simplify:
            onSimplify();
            return true;
        case cmd::TestRule:
            onTestRule();
            return true;
        case cmd::UseConstants:
            onUseConstants();
            return true;
        default:
            break;
    }
    const cmd::Command* c = cmd::findCommand(id);
    if (!c) return false;
    // An insertion marks the document only when it changed the tree (every
    // change moves some node's box); a refused one leaves the flag alone.
    const std::uint64_t before = nucleo::layoutEpoch();
    switch (c->kind) {
        case cmd::Kind::Constant:
            insertConstant(id);
            break;
        case cmd::Kind::Function:
            wrapInFunction(id);
            break;
        case cmd::Kind::Operator:
            insertOperator(id);
            break;
        default:
            return false;
    }
    if (nucleo::layoutEpoch() != before && root()) root()->setModified(true);
    return true;
}

// --- Tools menu ------------------------------------------------------------------------------------

// Hands a result to the document root, which puts its value in the
// document when it has changes; a value that finds no place goes with r.
// The rule set the result came from must still be alive: the origin of the
// step names its rule.
bool CVelmorView::commitResult(results r, const char* detail) {
    CVelmorProtocol* doc = root();
    if (!doc) return false;
    stepOriginScope origin(commandOrigin(detail));
    const bool placed = doc->chkPass(r) != 0;
    // A later commit of the same command (Calculate All) matched no rule.
    if (ruleMatch_) ruleMatch_->reset();
    return placed;
}

stepOrigin CVelmorView::commandOrigin(const char* detail) const {
    stepOrigin o;
    o.command = stepLabel_ ? stepLabel_ : "Calculate";
    if (detail) o.detail = detail;
    const container* rule = ruleMatch_ ? ruleMatch_->rule() : nullptr;
    if (!rule) return o;
    o.ruleFile = ruleFileInUse_;
    o.rule = velmor::linearText(*rule);
    // Items are numbered through the whole rule set, nested sets included.
    container* set = const_cast<container*>(rule);
    while (set->parent()) set = set->parent();
    for (const velmor::NumberedRule& n : velmor::numberedRules(*set))
        if (n.rule == rule) o.ruleItem = n.item;
    for (const auto& [name, value] : ruleMatch_->bindings())
        o.bindings.emplace_back(name, value ? velmor::linearText(*value) : std::string());
    return o;
}

void CVelmorView::onTestRule() {
    if (!focused_ || !focused_->isGroup()) return;
    std::unique_ptr<container> rules = loadRuleSet(doc_, ruleFileInUse_);
    if (!rules) return;
    results r = cast<container>(focused_)->applyRules(rules.get(), nullptr);
    commitResult(std::move(r));
}

bool CVelmorView::applyRuleMatch(container& ruleSet, const container& rule, const nucleo& place,
                                 const std::string& ruleFile) {
    if (!focused_ || !focused_->isGroup()) return false;
    Step step(*this, stepLabel(cmd::TestRule));
    ruleFileInUse_ = ruleFile;
    results r = velmor::applyRuleAt(ruleSet, *cast<container>(focused_), rule, place);
    return commitResult(std::move(r));
}

// The constants go in where they stand; the step that holds the group (or,
// outside any step, its line) records which ones.
void CVelmorView::onUseConstants() {
    if (!focused_ || !focused_->isGroup()) return;
    std::unique_ptr<container> rules = loadRuleSet(doc_, ruleFileInUse_);
    if (!rules) return;
    constantNote used;
    cast<container>(focused_)->useConstants(rules.get());
    if (used.used().empty()) return;
    stepOrigin what;
    what.command = useConstantsCommand;
    what.ruleFile = ruleFileInUse_;
    for (const nucleo* definition : used.used()) what.constants.push_back(velmor::linearText(*definition));
    noteChangeIn(focused_, base(), std::move(what));
}

// --- Format menu ------------------------------------------------------------------------------------

bool CVelmorView::currentFont(LOGFONTA& out) const {
    if (!focused_) return false;
    return GetObjectA(focused_->getFont(), sizeof out, &out) == int(sizeof out);
}

// The font is saved with the node, so a different one is a change of the
// document.
void CVelmorView::onFont(const LOGFONTA& chosen) {
    nucleo* n = focused_;
    if (!n) return;
    Step step(*this, "Font");
    LOGFONTA now{};
    const bool same = currentFont(now) && std::memcmp(&now, &chosen, sizeof now) == 0;
    HFONT f = CreateFontIndirectA(&chosen);
    if (!f) return;
    n->setFont(f);
    n->refocus();
    n->update();
    if (!same && root()) root()->setModified(true);
}

// --- insertion toolbars -------------------------------------------------------------------------------

// True, False, +infinity, -infinity take the place of the empty focused leaf;
// the caret goes after the new node.
void CVelmorView::insertConstant(int id) {
    nucleo* f = focused_;
    if (!f || !f->parent()) return;
    std::unique_ptr<nucleo> made(makeConstant(id));
    if (!made) return;
    nucleo* before = f->previous();
    if (!f->replaceWith(std::move(made))) return;
    if (before && before->next()) before->next()->focusRight();
}

// sin x: the focused node becomes the argument of a new function in its place.
void CVelmorView::wrapInFunction(int id) {
    nucleo* f = focused_;
    if (!f) return;
    container* owner = f->parent();
    // A delimiter (the editable name of a user function) is part of its
    // container and cannot become an argument.
    if (!owner || !f->chained()) {
        MessageBeep(MB_ICONERROR);
        return;
    }
    container* fn = makeFunction(id);
    if (!fn) return;
    fn->moveTo(f->left(), f->top(), true);
    nucleo* following = f->next();
    owner->detachIt(f, false);
    // f moves: whatever the function's rules make of it, it is never lost.
    if (!fn->lput(*f) && !f->atached()) {
        delete fn;
        owner->entre(f, following->previous(), following);
        return;
    }
    fn->fill();
    if (!fn->putBefore(following)) {
        // The owner refused the function: the node goes back where it was.
        if (f->parent() == fn) fn->_detachIt(f, false, false);
        delete fn;
        if (!f->atached()) owner->entre(f, following->previous(), following);
        return;
    }
    // The wrapped node may have been validated into another one on the way in.
    fn->remeasure();
    if (fn->members() > 0) fn->first()->focusLeft();
}

namespace {

// After an insertion the caret waits in the first empty place of the new
// node, so that what is typed next fills it. False when it has none.
bool focusFirstEmpty(container* n) {
    for (nucleo* m = n->first(); m && m->chained(); m = m->next()) {
        if (m->isReadOnly()) continue;
        if (!m->isGroup()) {
            if (m->getLen() > 0) continue;
            m->focusLeft();
            return true;
        }
        auto* group = cast<container>(m);
        if (group->members() == 0) {
            group->focusAt(1);
            return true;
        }
        if (focusFirstEmpty(group)) return true;
    }
    return false;
}

}  // namespace

// log, root, power and the set relations. The focused node F becomes an
// operand of the new operator N; where the caret was decides which one, and
// the caret waits in the new empty operand.
void CVelmorView::insertOperator(int id) {
    nucleo* f = focused_;
    if (!f || !f->parent() || !f->previous() || !f->next()) return;
    std::unique_ptr<container> made(makeOperator(id));
    if (!made) return;
    container* n = made.get();
    const int most = n->maxMembers();
    const field empty("");

    auto replaceFocused = [&]() { return bool(f->replaceWith(std::move(made))); };

    if (!f->isGroup()) {
        if (n->members() > most - 2) {
            n->lput(adopt(f->copy()));
        } else if (auto* text = dyn_cast<field>(f)) {
            // The text splits at the caret: both halves become operands.
            splited halves = f->parent()->split(text);
            n->lput(std::move(halves.left));
            n->lput(std::move(halves.right));
        } else {
            n->lput(adopt(f->copy()));
        }
        n->fill();
        if (!replaceFocused()) return;
        n->remeasure();
        if (!focusFirstEmpty(n)) n->focusRight();
        return;
    }

    switch (caretIndex_) {
        case 0:  // before F: the new operand goes in front of it
            n->fill(most - 1, empty);
            n->lput(adopt(f->copy()));
            if (!replaceFocused()) return;
            n->remeasure();
            if (focusFirstEmpty(n))
                break;
            if (n->members() < 2)
                n->first()->focusLeft();
            else
                n->last()->previous()->focusRight();
            break;
        case 1: {  // inside the empty F
            auto* group = cast<container>(f);
            n->fill(1, empty);
            if (!group->lput(std::move(made))) return;
            n->remeasure();
            if (!focusFirstEmpty(n)) n->focusRight();
            break;
        }
        default:  // after F: the new operand follows it
            n->lput(adopt(f->copy()));
            n->fill(most - 1, empty);
            if (!replaceFocused()) return;
            n->remeasure();
            if (focusFirstEmpty(n))
                break;
            if (n->members() < 2)
                n->first()->focusRight();
            else
                n->first()->next()->focusLeft();
            break;
    }
}
