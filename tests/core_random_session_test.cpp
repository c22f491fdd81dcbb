// Random use of the whole program core: typing, editing keys, clicks and
// drags with every modifier, the three tools and the insertion commands, in
// random order on a headless view. After every action the tree must be sound,
// the caret and every selected node must be live nodes of the document, and
// nothing may crash. VELMOR_RANDOM_EDITS sets the actions per document.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "core/commands.h"
#include "core/script.h"
#include "platform/vkeys.h"
#include "tree_checks.h"

namespace {

using namespace tovimat;
using velmor::ScriptAction;

int actionsPerDocument() {
    if (const char* n = std::getenv("VELMOR_RANDOM_EDITS")) return std::max(1, std::atoi(n));
    return 150;
}

ScriptAction randomAction(std::mt19937& rng) {
    static const std::string chars = "ab12x+-*/^=<(),. \r";
    static const char* const commands[] = {"NewItemTool", "EditTool", "SelectorTool", "True", "sin", "power",
                                           "root", "log", "union", "belongs", "-Infinity"};
    static const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_DELETE, VK_BACK};
    ScriptAction a;
    auto point = [&] { return POINT{LONG(rng() % 160), LONG(rng() % 120)}; };
    switch (rng() % 10) {
        case 0:
        case 1: {
            a.kind = ScriptAction::Mouse;
            a.press = true;
            a.points = {point()};
            if (rng() % 2) a.points.push_back(point());  // a drag
            const unsigned m = rng() % 8;
            if (m == 1) a.modifiers = velmor::MK_CONTROL;
            if (m == 2) a.modifiers = velmor::MK_SHIFT;
            a.rightAtRelease = m == 3;
            return a;
        }
        case 2: {
            a.kind = ScriptAction::Command;
            a.word = commands[rng() % std::size(commands)];
            a.command = velmor::cmd::findCommand(a.word)->id;
            return a;
        }
        case 3:
            a.kind = ScriptAction::Key;
            a.key = keys[rng() % std::size(keys)];
            return a;
        default: {
            unsigned char c = chars[rng() % chars.size()];
            a.kind = ScriptAction::Type;
            a.character = c;
            a.key = c == '\r' ? VK_RETURN : keyForChar(c).vk;
            return a;
        }
    }
}

std::string problems(velmor::HeadlessSession& s) {
    container* base = s.doc().base();
    protocol* root = s.doc().root();
    if (!base) return "the document lost its root";
    if (std::string p = tovimat::testing::chainProblems(*base, root); !p.empty()) return p;
    if (nucleo* f = s.view().focused(); f && !tovimat::testing::inTree(f, base))
        return "the caret is in a node outside the document";
    for (selector& sel : *s.doc().root()->selectionList())
        if (!tovimat::testing::inTree(sel.getTarget(), base)) return "a selected node is not in the document";
    return {};
}

TEST(RandomSession, EditingWithMouseAndCommandsKeepsTheDocumentSound) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        velmor::HeadlessSession session;
        session.newDocument();
        std::string history;
        for (int i = 0; i < actionsPerDocument(); ++i) {
            ScriptAction a = randomAction(rng);
            history += a.kind == ScriptAction::Command ? "{" + a.word + "}" : std::to_string(int(a.kind)) + " ";
            session.play(a);
            std::string p = problems(session);
            ASSERT_TRUE(p.empty()) << "seed " << seed << " after " << history << "\n" << p;
        }
    }
}

}  // namespace
