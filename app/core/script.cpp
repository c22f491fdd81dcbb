#include "core/script.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/clipboard.h"
#include "core/commands.h"
#include "core/linear_text.h"
#include "model/dump.h"
#include "platform/codepages.h"
#include "platform/escape.h"
#include "platform/vkeys.h"
#include "store/file_io.h"
#include "text/linear_reader.h"

using namespace tovimat;

namespace velmor {

// --- parsing ------------------------------------------------------------------------------------

namespace {

struct NamedKey {
    std::string_view name;
    int key;
    int character;  // 0: the key only
};

constexpr NamedKey kNamedKeys[] = {
    {"Enter", VK_RETURN, 13}, {"Back", VK_BACK, 8},   {"Del", VK_DELETE, 0},
    {"Left", VK_LEFT, 0},     {"Right", VK_RIGHT, 0}, {"Up", VK_UP, 0},
    {"Down", VK_DOWN, 0},     {"Home", VK_HOME, 0},   {"End", VK_END, 0},
};

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        size_t start = i;
        while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

bool number(std::string_view w, int& out) {
    const char* end = w.data() + w.size();
    auto [p, ec] = std::from_chars(w.data(), end, out);
    return ec == std::errc() && p == end;
}

// Offset of the first byte that is not well-formed UTF-8, or npos.
size_t firstInvalidUtf8(std::string_view text) {
    char32_t cp = 0;
    for (size_t i = 0; i < text.size();) {
        const int n = utf8Sequence(text.data() + i, text.size() - i, cp);
        if (n == 0) return i;
        i += size_t(n);
    }
    return std::string_view::npos;
}

ScriptAction typed(unsigned char c) {
    ScriptAction a;
    a.kind = ScriptAction::Type;
    a.key = keyForChar(c).vk;
    a.character = c;
    return a;
}

// Parses the inside of one pair of braces.
bool parseToken(std::string_view inside, ScriptAction& a, std::string& error) {
    std::vector<std::string_view> w = words(inside);
    if (w.empty()) {
        error = "empty {}";
        return false;
    }
    const std::string_view name = w[0];
    // The token is quoted byte by byte as the dump writes texts, so a
    // newline or a control byte inside it cannot break the one-line error.
    auto bad = [&](const char* why) {
        error = "{" + escapeBytes(std::string(inside)) + "}: " + why;
        return false;
    };

    for (const NamedKey& k : kNamedKeys) {
        if (name != k.name) continue;
        if (w.size() != 1) return bad("takes no arguments");
        a.kind = k.character ? ScriptAction::Type : ScriptAction::Key;
        a.key = k.key;
        a.character = k.character;
        return true;
    }

    if (name == "Click" || name == "Drag" || name == "Move") {
        const size_t count = name == "Drag" ? 4 : 2;
        if (w.size() < 1 + count) return bad("needs its coordinates");
        int v[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < count; ++i)
            if (!number(w[1 + i], v[i])) return bad("coordinates are integers");
        a.kind = ScriptAction::Mouse;
        a.press = name != "Move";
        a.points.push_back(POINT{v[0], v[1]});
        if (count == 4) a.points.push_back(POINT{v[2], v[3]});
        for (size_t i = 1 + count; i < w.size(); ++i) {
            if (!a.press) return bad("a move takes no modifiers");
            if (w[i] == "ctrl")
                a.modifiers |= MK_CONTROL;
            else if (w[i] == "shift")
                a.modifiers |= MK_SHIFT;
            else if (w[i] == "alt")
                a.modifiers |= MK_ALT;
            else if (w[i] == "right")
                a.rightAtRelease = true;
            else
                return bad("unknown modifier");
        }
        return true;
    }

    if (name == "Font") {
        if (w.size() < 3) return bad("needs a face and a height");
        if (w[1].size() >= LF_FACESIZE) return bad("face name too long");
        if (!number(w[2], a.height)) return bad("the height is an integer");
        a.kind = ScriptAction::Font;
        a.word = std::string(w[1]);
        for (size_t i = 3; i < w.size(); ++i) {
            if (w[i] == "bold")
                a.bold = true;
            else if (w[i] == "italic")
                a.italic = true;
            else
                return bad("unknown font style");
        }
        return true;
    }

    if (name == "Save") {
        if (w.size() != 2) return bad("needs one file name");
        a.kind = ScriptAction::Save;
        a.word = std::string(w[1]);
        return true;
    }

    if (name == "PasteText") {
        // The text is the rest of the token after the first space, as it is.
        const size_t end = size_t(name.data() - inside.data()) + name.size();
        a.kind = ScriptAction::PasteText;
        a.command = cmd::PasteText;
        a.word = end < inside.size() ? std::string(inside.substr(end + 1)) : std::string();
        return true;
    }

    const cmd::Command* c = cmd::findCommand(name);
    if (!c) c = cmd::findEditCommand(name);
    if (!c || c->kind == cmd::Kind::Font) return bad("unknown token");
    if (w.size() != 1) return bad("takes no arguments");
    a.kind = ScriptAction::Command;
    a.command = c->id;
    a.word = std::string(name);
    return true;
}

}  // namespace

bool readScriptFile(const std::string& path, std::string& script) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    if (script.ends_with("\r\n"))
        script.resize(script.size() - 2);
    else if (script.ends_with('\n'))
        script.pop_back();
    return true;
}

bool forEachScriptAction(std::string_view text, const std::function<bool(const ScriptAction&)>& visit,
                         std::string& error) {
    if (size_t bad = firstInvalidUtf8(text); bad != std::string_view::npos) {
        error = "invalid UTF-8 at offset " + std::to_string(bad);
        return false;
    }
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '{') {
            if (i + 1 < text.size() && text[i + 1] == '{') {
                if (!visit(typed('{'))) return false;
                i += 2;
                continue;
            }
            size_t close = text.find('}', i + 1);
            if (close == std::string_view::npos) {
                error = "unclosed { at offset " + std::to_string(i);
                return false;
            }
            ScriptAction a;
            if (!parseToken(text.substr(i + 1, close - i - 1), a, error)) return false;
            if (!visit(a)) return false;
            i = close + 1;
            continue;
        }
        char32_t cp = 0;
        const int n = utf8Sequence(text.data() + i, text.size() - i, cp);
        const int byte = unicodeToCp1252(cp);
        if (byte < 0) {
            ScriptAction refused;
            refused.kind = ScriptAction::Refused;
            refused.character = int(cp);
            if (!visit(refused)) return false;
        } else if (!visit(typed(static_cast<unsigned char>(byte)))) {
            return false;
        }
        i += size_t(n);
    }
    return true;
}

bool parseScript(std::string_view text, std::vector<ScriptAction>& actions, std::string& error) {
    actions.clear();
    return forEachScriptAction(
        text,
        [&](const ScriptAction& a) {
            actions.push_back(a);
            return true;
        },
        error);
}

// --- the session -------------------------------------------------------------------------------

// A session starts like the program does: with nothing on its clipboard.
HeadlessSession::HeadlessSession() : view_(std::make_unique<CVelmorView>(doc_, window_)) {
    velmor::Clipboard::instance().clear();
}

HeadlessSession::~HeadlessSession() {
    doc_.onCloseDocument();
    view_.reset();
}

void HeadlessSession::start() {
    // The tool and the pointers into trees are the process's, not a
    // document's: a session starts them afresh.
    protocol::mouseOn = nullptr;
    protocol::dropTarget = nullptr;
    view_->onInitialUpdate();
    view_->onSetFocus();
    view_->setMode(CVelmorView::NewItemMode);
}

void HeadlessSession::newDocument() {
    doc_.onNewDocument();
    start();
}

bool HeadlessSession::open(const std::string& path) {
    error_.clear();
    bool opened = false;
    if (path == "-") {
        std::vector<std::uint8_t> bytes;
        std::string reason;
        if (readWholeDescriptor(0, bytes, reason))
            opened = doc_.onOpenBytes(std::move(bytes), "standard input");
        else
            error_ = "cannot read standard input: " + reason;
    } else {
        opened = doc_.onOpenDocument(path);
    }
    if (opened && doc_.openedDamaged()) error_ = doc_.lastError();
    if (!opened && error_.empty()) error_ = doc_.lastError();
    start();
    return opened && !doc_.openedDamaged();
}

bool HeadlessSession::save(const std::string& path) {
    if (doc_.onSaveDocument(path)) return true;
    error_ = doc_.lastError();
    return false;
}

POINT HeadlessSession::toClient(POINT p) const {
    const POINT s = window_.scrollPosition();
    return POINT{p.x - s.x, p.y - s.y};
}

void HeadlessSession::type(unsigned char c) { play(typed(c)); }

void HeadlessSession::click(POINT p) {
    ScriptAction a;
    a.kind = ScriptAction::Mouse;
    a.press = true;
    a.points.push_back(p);
    play(a);
}

void HeadlessSession::mouse(const ScriptAction& a) {
    const UINT held = a.modifiers;
    const UINT release = held | (a.rightAtRelease ? MK_RBUTTON : 0);
    const POINT first = a.points.front();
    const POINT last = a.points.back();
    view_->onMouseMove(held, toClient(first));
    if (!a.press) return;
    view_->onLButtonDown(held | MK_LBUTTON, toClient(first));
    if (a.points.size() > 1) view_->onMouseMove(held | MK_LBUTTON, toClient(last));
    view_->onLButtonUp(release, toClient(last));
}

void HeadlessSession::play(const ScriptAction& a) {
    switch (a.kind) {
        case ScriptAction::Type:
            view_->onKeyDown(a.key);
            if (view_->keyPassed()) view_->onChar(a.character);
            break;
        case ScriptAction::Key:
            view_->onKeyDown(a.key);
            break;
        case ScriptAction::Refused:
            MessageBeep(0);
            break;
        case ScriptAction::Mouse:
            mouse(a);
            break;
        case ScriptAction::Command:
            if (view_->isEnabled(a.command))
                view_->execute(a.command);
            else
                log_.disabled(a.word);
            break;
        case ScriptAction::Font: {
            // As if the font dialog, opened on the focused node's font,
            // answered this face and height.
            LOGFONTA lf{};
            view_->currentFont(lf);
            std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
            std::memcpy(lf.lfFaceName, a.word.data(), std::min(a.word.size(), size_t(LF_FACESIZE - 1)));
            lf.lfHeight = a.height;
            lf.lfWeight = a.bold ? FW_BOLD : FW_NORMAL;
            lf.lfItalic = a.italic ? 1 : 0;
            view_->onFont(lf);
            break;
        }
        case ScriptAction::Save:
            save(a.word);
            break;
        case ScriptAction::PasteText:
            if (view_->isEnabled(cmd::PasteText))
                view_->onPasteText(a.word);
            else
                log_.disabled("PasteText");
            break;
    }
}

bool HeadlessSession::playChecked(const ScriptAction& a, std::string& error) {
    if (a.kind != ScriptAction::Save) {
        play(a);
        return true;
    }
    if (save(a.word)) return true;
    error = error_;
    return false;
}

bool HeadlessSession::play(const std::vector<ScriptAction>& actions, std::string& error) {
    for (const ScriptAction& a : actions)
        if (!playChecked(a, error)) return false;
    return true;
}

bool HeadlessSession::play(std::string_view script, std::string& error) {
    return forEachScriptAction(script, [&](const ScriptAction& a) { return playChecked(a, error); }, error);
}

std::string HeadlessSession::output(bool geometry, bool steps) const {
    std::string out = log_.text();
    if (container* b = doc_.base()) {
        DumpOptions options;
        options.geometry = geometry;
        options.steps = steps;
        out += dumpTree(*b, options);
    }
    return out;
}

// --- the three commands of velmor-cli ------------------------------------------------------------------

namespace {

RunResult failure(std::string error, std::string out = {}) {
    RunResult r;
    r.exitCode = 2;
    r.out = std::move(out);
    r.error = std::move(error);
    return r;
}

}  // namespace

RunResult runScript(const RunOptions& options) {
    // The script is checked whole before anything is played, then read
    // again action by action: a long script is never held as actions.
    std::string error;
    if (!forEachScriptAction(options.script, [](const ScriptAction&) { return true; }, error))
        return failure("malformed script: " + error);

    HeadlessSession session;
    if (options.openPath.empty()) {
        session.newDocument();
    } else if (!session.open(options.openPath)) {
        // A damaged document is not played on: a save would put the empty
        // stand-in in place of what is left of the file.
        return failure(session.error(), session.log().text());
    }
    if (!session.play(options.script, error)) return failure(error, session.output(options.geometry, options.steps));
    if (!options.savePath.empty() && !session.save(options.savePath))
        return failure(session.error(), session.output(options.geometry, options.steps));
    RunResult r;
    r.out = session.output(options.geometry, options.steps);
    return r;
}

RunResult dumpFile(const std::string& path, bool geometry, bool steps) {
    HeadlessSession session;
    if (!session.open(path)) return failure(session.error(), session.log().text());
    RunResult r;
    r.out = session.output(geometry, steps);
    return r;
}

// The line of the document's last item whose value Calculate works on next:
// the right side of the last relation of its chain, or the whole line.
nucleo* lastValue(container* base) {
    nucleo* line = base->members() > 0 ? base->last() : nullptr;
    while (auto* group = dyn_cast<container>(line)) {
        if (!group->composed() || group->members() == 0) break;
        auto* last = dyn_cast<container>(group->last());
        if (!last || !last->composition() || last->members() == 0) break;
        line = last->last();
    }
    return line;
}

RunResult calculateText(const std::string& text) {
    RunResult r;
    linearReading reading = readLinear(text);
    if (!reading) {
        r.exitCode = 2;
        r.error = "cannot read the text at column " + std::to_string(reading.column) + ": " + reading.reason;
        return r;
    }
    HeadlessSession session;
    session.newDocument();
    session.click(POINT{10, 10});
    CVelmorView& view = session.view();
    container* base = session.doc().base();
    nucleo* item = view.focused();
    if (!base || !item || !item->replaceWith(reading.tree.get())) {
        r.exitCode = 2;
        r.error = "cannot place the text in a new document";
        return r;
    }
    nucleo* tree = reading.tree.release();
    tree->update();
    // Calculate All with the caret after the whole line, as the user would.
    if (nucleo* value = lastValue(base)) value->focusRight();
    if (view.isEnabled(cmd::CalculateAll))
        view.execute(cmd::CalculateAll);
    else
        session.log().disabled("Calculate");
    r.out = linearLines(*base);
    r.error = session.log().text();
    return r;
}

}  // namespace velmor
