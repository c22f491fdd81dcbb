// Random use of the whole program core: typing, editing keys, clicks and
// drags with every modifier (Alt shares the dragged values), the three tools
// and the insertion commands, in random order on a headless view. After every
// action the tree must be sound (every reference consistent with its shared
// value), the caret and every selected node must be live nodes of the
// document, nothing may crash, and the document must load back from its
// saved bytes with the same shape and sharing.
// VELMOR_RANDOM_EDITS sets the actions per document, VELMOR_RANDOM_SEED one
// session to play again and VELMOR_RANDOM_SEEDS=first-last a range of them
// (tests/random_campaign.sh runs a long campaign that way).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "core/commands.h"
#include "core/script.h"
#include "model/dump.h"
#include "platform/vkeys.h"
#include "random_actions.h"
#include "refs/reference.h"
#include "store/loader.h"
#include "store/stream.h"
#include "tree_checks.h"

namespace {

using namespace tovimat;
using velmor::ScriptAction;

int actionsPerDocument() {
    if (const char* n = std::getenv("VELMOR_RANDOM_EDITS")) return std::max(1, std::atoi(n));
    return 100;
}

const char* const sessionCommands[] = {"NewItemTool", "EditTool", "SelectorTool", "True",  "sin",      "power",
                                       "root",        "log",      "union",        "belongs", "-Infinity"};
const tovimat::testing::ActionMix sessionMix{"ab12x+-*/^=<(),. \r", sessionCommands};

// Shared values alive before the session began: those a failed session left
// behind must not fail the next one too.
int bulksBefore = 0;

std::string problems(velmor::HeadlessSession& s) {
    container* base = s.doc().base();
    protocol* root = s.doc().root();
    if (!base) return "the document lost its root";
    if (std::string p = tovimat::testing::chainProblems(*base, root); !p.empty()) return p;
    if (nucleo* f = s.view().focused(); f && !tovimat::testing::inTree(f, base))
        return "the caret is in a node outside the document";
    for (selector& sel : *s.doc().root()->selectionList())
        if (!tovimat::testing::inTree(sel.getTarget(), base)) return "a selected node is not in the document";
    std::vector<bulk*> shown;
    tovimat::testing::collectBulks(*base, shown);
    if (int(shown.size()) != bulk::alive() - bulksBefore) return "a shared value is no longer shown anywhere";
    // Every reference of a shared value stands in the document.
    std::map<const bulk*, int> places;
    std::vector<const nucleo*> todo{base};
    for (bulk* b : shown)
        if (b->getCore()) todo.push_back(b->getCore());
    while (!todo.empty()) {
        const nucleo* n = todo.back();
        todo.pop_back();
        if (n->isRef()) ++places[static_cast<const reference*>(n)->getBulk()];
        if (!n->isGroup() || n->isRef()) continue;
        auto* c = static_cast<const container*>(n);
        for (const nucleo* m = c->first(); m && m->chained(); m = m->next()) todo.push_back(m);
    }
    for (bulk* b : shown)
        if (places[b] != b->count()) return "a reference of a shared value is lost outside the document";
    return {};
}

// The saved document loads back as it is: the same nodes in the same places,
// sharing the same values.
std::string roundTripProblems(velmor::HeadlessSession& s) {
    container* base = s.doc().base();
    memStor bytes;
    if (!base->save(bytes)) return "the document could not be saved";
    bytes.rewind();
    std::unique_ptr<nucleo> loaded(algLoad(bytes));
    if (!loaded) return "the saved document does not load";
    const std::string before = tovimat::testing::sharedForm(*base, true);
    const std::string after = tovimat::testing::sharedForm(*loaded);
    if (before != after)
        return "the document loads back differently:\n" + before + "--- loaded as ---\n" + after;
    return {};
}

struct SessionResult {
    std::string problem;  // empty when every action kept the document sound
    std::string history;  // the actions played, in the script language
    int failedAt = -1;    // the index of the action that broke it
};

// Plays `actions` random actions of session `seed`, checking after each;
// stops at the first problem, or after action `stopAfter` when it is given.
SessionResult playSession(unsigned seed, int actions, std::string* dumpAtStop = nullptr, int stopAfter = -1) {
    SessionResult r;
    std::mt19937 rng(seed);
    bulksBefore = bulk::alive();
    velmor::HeadlessSession session;
    session.newDocument();
    for (int i = 0; i < actions && i != stopAfter; ++i) {
        ScriptAction a = tovimat::testing::randomAction(rng, sessionMix);
        r.history += tovimat::testing::scriptOf(a);
        session.play(a);
        r.problem = problems(session);
        if (r.problem.empty()) r.problem = roundTripProblems(session);
        if (!r.problem.empty()) {
            r.failedAt = i;
            break;
        }
    }
    if (dumpAtStop) *dumpAtStop = dumpTree(*session.doc().base());
    session.doc().onCloseDocument();
    if (r.problem.empty() && bulk::alive() != bulksBefore) {
        r.problem = "a shared value outlived its document";
        r.failedAt = actions;
    }
    return r;
}

// The seeds to play: VELMOR_RANDOM_SEED plays one session, VELMOR_RANDOM_SEEDS
// a range "first-last" (a long campaign); by default many short sessions.
std::pair<unsigned, unsigned> seedRange() {
    if (const char* one = std::getenv("VELMOR_RANDOM_SEED")) {
        const unsigned seed = unsigned(std::strtoul(one, nullptr, 10));
        return {seed, seed};
    }
    if (const char* range = std::getenv("VELMOR_RANDOM_SEEDS")) {
        char* dash = nullptr;
        const unsigned first = unsigned(std::strtoul(range, &dash, 10));
        const unsigned last = dash && *dash == '-' ? unsigned(std::strtoul(dash + 1, nullptr, 10)) : first;
        return {first, std::max(first, last)};
    }
    return {1, 1000};
}

TEST(RandomSession, EditingWithMouseAndCommandsKeepsTheDocumentSound) {
    const auto [firstSeed, lastSeed] = seedRange();
    const int actions = actionsPerDocument();
    int failed = 0;
    long long played = 0;
    for (unsigned seed = firstSeed; seed <= lastSeed; ++seed) {
        const SessionResult r = playSession(seed, actions);
        played += r.failedAt < 0 ? actions : r.failedAt + 1;
        if (r.problem.empty()) continue;
        ++failed;
        // The document as it stood before the failing action, from a replay.
        std::string before, after;
        playSession(seed, actions, &before, r.failedAt);
        playSession(seed, actions, &after, r.failedAt + 1);
        ADD_FAILURE() << "seed " << seed << " action " << r.failedAt + 1 << " after " << r.history << "\n"
                      << r.problem << "\nbefore the last action:\n"
                      << before << "after it:\n"
                      << after;
    }
    std::printf("random sessions: seeds %u-%u, %d actions each: %lld actions played, %d of %u sessions failed\n",
                firstSeed, lastSeed, actions, played, failed, lastSeed - firstSeed + 1);
}

}  // namespace
