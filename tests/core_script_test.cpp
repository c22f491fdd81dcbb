// The script language of velmor-cli, its failure paths, and the linear text
// of `velmor-cli calc`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "core/linear_text.h"
#include "core/script.h"
#include "platform/vkeys.h"

using namespace tovimat;

namespace {

std::vector<velmor::ScriptAction> parsed(const std::string& script) {
    std::vector<velmor::ScriptAction> actions;
    std::string error;
    EXPECT_TRUE(velmor::parseScript(script, actions, error)) << error;
    return actions;
}

TEST(CoreScript, PrintableCharactersGoOutWithTheirKeysCodes) {
    auto a = parsed("(.a{{");
    ASSERT_EQ(a.size(), 4u);
    // Never the character's own byte: '(' is VK_DOWN and '.' VK_DELETE.
    EXPECT_EQ(a[0].key, '9');
    EXPECT_EQ(a[0].character, '(');
    EXPECT_EQ(a[1].key, VK_OEM_PERIOD);
    EXPECT_EQ(a[2].key, 'A');
    EXPECT_EQ(a[2].character, 'a');
    EXPECT_EQ(a[3].key, VK_OEM_4);
    EXPECT_EQ(a[3].character, '{');
}

TEST(CoreScript, NamedKeysAndTheirCharacters) {
    auto a = parsed("{Enter}{Back}{Del}{Home}");
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].kind, velmor::ScriptAction::Type);
    EXPECT_EQ(a[0].key, VK_RETURN);
    EXPECT_EQ(a[0].character, 13);
    EXPECT_EQ(a[1].character, 8);
    EXPECT_EQ(a[2].kind, velmor::ScriptAction::Key);
    EXPECT_EQ(a[2].key, VK_DELETE);
    EXPECT_EQ(a[3].key, VK_HOME);
}

TEST(CoreScript, Utf8TextIsTypedInTheDocumentCodePage) {
    auto a = parsed("\xC3\xA9\xE2\x82\xAC\xCE\xB1\xF0\x9F\x98\x80z");  // é € α 😀 z
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a[0].character, 0xE9);
    EXPECT_EQ(a[1].character, 0x80);
    // Characters the code page lacks are refused as the keyboard refuses them.
    EXPECT_EQ(a[2].kind, velmor::ScriptAction::Refused);
    EXPECT_EQ(a[2].character, 0x3B1);
    EXPECT_EQ(a[3].kind, velmor::ScriptAction::Refused);
    EXPECT_EQ(a[4].character, 'z');
}

TEST(CoreScript, InvalidUtf8IsMalformedAndNamesTheOffset) {
    const std::pair<const char*, size_t> cases[] = {
        {"ab\xFF", 2},            // a byte that never starts a character
        {"a\xCE", 1},             // a sequence cut short by the end
        {"\xCE+b", 0},            // ... or by the next character
        {"xy\xC0\xAF", 2},        // an overlong "/"
        {"\xED\xA0\x80", 0},      // a surrogate
        {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
        {"{Save \xFF}", 6},       // inside a token as well
    };
    for (auto [bad, offset] : cases) {
        std::vector<velmor::ScriptAction> actions;
        std::string error;
        EXPECT_FALSE(velmor::parseScript(bad, actions, error)) << bad;
        EXPECT_EQ(error, "invalid UTF-8 at offset " + std::to_string(offset));
    }
    velmor::RunOptions options;
    options.script = "{Click 10 10}\xCE";
    velmor::RunResult r = velmor::runScript(options);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.error, "malformed script: invalid UTF-8 at offset 13");
}

TEST(CoreScript, MouseTokensCarryPointsAndModifiers) {
    auto a = parsed("{Drag 1 2 -3 4 ctrl right}{Move 5 6}");
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(a[0].points.size(), 2u);
    EXPECT_EQ(a[0].points[1].x, -3);
    EXPECT_EQ(a[0].modifiers, velmor::MK_CONTROL);
    EXPECT_TRUE(a[0].rightAtRelease);
    EXPECT_TRUE(a[0].press);
    EXPECT_FALSE(a[1].press);
}

TEST(CoreScript, MalformedScriptsAreRefused) {
    for (const char* bad :
         {"{", "ab{Click 1 2", "{}", "{Frobnicate}", "{Click 1}", "{Click 1 x}", "{Click 1 2 meta}",
          "{Move 1 2 ctrl}", "{Drag 1 2 3}", "{Enter now}", "{Font Arial}", "{Font Arial big}",
          "{Font Arial 12 wide}", "{Save}", "{Save a b}", "{sin x}", "{Click\n 10 er}", "{No\x01pe\xff\r}"}) {
        std::vector<velmor::ScriptAction> actions;
        std::string error;
        EXPECT_FALSE(velmor::parseScript(bad, actions, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        // One printable line, whatever bytes the bad token holds.
        EXPECT_TRUE(std::all_of(error.begin(), error.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
            << "one line: " << error;
    }
}

TEST(CoreScript, RunFailsWithExitTwoOnBadInput) {
    velmor::RunOptions options;
    options.script = "{Nope}";
    EXPECT_EQ(velmor::runScript(options).exitCode, 2);
    options.script = "x";
    options.openPath = "/nonexistent/velmor/file.vlm";
    velmor::RunResult r = velmor::runScript(options);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    options.openPath.clear();
    options.savePath = "/nonexistent/velmor/out.vlm";
    EXPECT_EQ(velmor::runScript(options).exitCode, 2);
    options.savePath.clear();
    options.script = "{Click 10 10}x{Save /nonexistent/velmor/out.vlm}y";
    r = velmor::runScript(options);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("\"x\""), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("xy"), std::string::npos) << "nothing is played after a failed save:\n" << r.out;
    EXPECT_EQ(velmor::dumpFile("/nonexistent/velmor/file.vlm", false).exitCode, 2);
}

// The script is played as it is read, but only once all of it was read
// well: a malformed token at the end leaves the earlier saves undone.
TEST(CoreScript, AMalformedScriptPlaysNothing) {
    const std::string path = ::testing::TempDir() + "velmor_not_saved.vlm";
    std::remove(path.c_str());
    velmor::RunOptions options;
    options.script = "{Click 10 10}x{Save " + path + "}{Nope}";
    EXPECT_EQ(velmor::runScript(options).exitCode, 2);
    EXPECT_FALSE(std::ifstream(path).good()) << "the save before the bad token was played";
}

// --- linear text ---------------------------------------------------------------------------

// Types each line into a new item of one document and answers its lines.
std::string linear(std::initializer_list<const char*> lines) {
    velmor::HeadlessSession s;
    s.newDocument();
    int y = 10;
    for (const char* line : lines) {
        std::vector<velmor::ScriptAction> actions;
        std::string error;
        std::string script = "{NewItemTool}{Click 10 " + std::to_string(y) + "}" + line;
        EXPECT_TRUE(velmor::parseScript(script, actions, error)) << error;
        s.play(actions, error);
        y += 40;
    }
    return velmor::linearLines(*s.doc().base());
}

TEST(CoreLinearText, OperatorsReadAsTheyAreTyped) {
    EXPECT_EQ(linear({"a+b", "a-b", "2x", "a/b", "x^2", "x=3", "sin x", "-y"}),
              "a + b\n"
              "a - b\n"
              "2 * x\n"
              "a / b\n"
              "x^2\n"
              "x = 3\n"
              "sin x\n"
              "-y\n");
}

TEST(CoreLinearText, LooserOperandsGetParentheses) {
    EXPECT_EQ(linear({"a+b{End}*c", "f(x", "{{1,2", "[a,b"}),
              "(a + b) * c\n"
              "f(x)\n"
              "{1, 2}\n"
              "[a, b]\n");
}

TEST(CoreLinearText, SymbolGlyphsComeOutAsUnicode) {
    // The minus of the Symbol face is U+2212.
    EXPECT_EQ(linear({"{-Infinity}", "A{union}B"}),
              "\u2212\u221e\n"
              "A \u222a B\n");
}

// The caret's place in the text of its line, in bytes: inside a name, past
// a multi-byte glyph, and nowhere when the caret is on another line.
TEST(CoreLinearText, CaretOffsetFollowsTheCaret) {
    struct Case {
        const char* script;
        std::string text;
        int offset;
    };
    const Case cases[] = {
        {"12+ab", "12 + ab", 7},
        {"12+ab{Left}", "12 + ab", 6},
        {"12+ab{Home}", "12 + ab", 5},  // the start of the name
        {"A{union}B", "A \u222a B", 7},
        {"A{union}B{Left}", "A \u222a B", 6},
    };
    for (const Case& c : cases) {
        velmor::HeadlessSession s;
        s.newDocument();
        std::string error;
        ASSERT_TRUE(s.play(std::string("{Click 10 10}") + c.script, error)) << error;
        const tovimat::nucleo* line = s.doc().base()->first();
        int offset = -2;
        EXPECT_EQ(velmor::linearText(*line, s.view().focused(), s.view().caretIndex(), &offset), c.text)
            << c.script;
        EXPECT_EQ(offset, c.offset) << c.script;
        // The plain text is the same, and no mark is left behind.
        EXPECT_EQ(velmor::linearText(*line), c.text);
        EXPECT_EQ(velmor::linearText(*line, nullptr, 0, &offset), c.text);
        EXPECT_EQ(offset, -1);
    }
}

TEST(CoreCalc, PrintsTheTypedLine) {
    velmor::RunResult r = velmor::calculateText("3+4");
    EXPECT_EQ(r.exitCode, 0);
    // Until the algebra folds numbers the line stays as typed; then "= 7" follows.
    EXPECT_EQ(r.out.rfind("3 + 4", 0), 0u) << r.out;
}

}  // namespace
