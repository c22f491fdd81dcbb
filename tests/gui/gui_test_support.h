// Shared pieces of the desktop program's tests: a settings folder of their
// own, a message sink that records and answers, and a driver that plays the
// scripts of velmor-cli on a real pane with real Qt key and mouse events.
//
// Script points may name a node instead of a place: "@0.1" is the second
// member of the first line, at the centre of its box; "@0.1:left" and
// "@0.1:right" are just inside its left and right edges. Each side resolves
// such points in its own layout at the moment the step is played.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "child_frame.h"
#include "command_ids.h"
#include "core/commands.h"
#include "core/event_log.h"
#include "core/script.h"
#include "main_frame.h"
#include "model/document.h"
#include "model/dump.h"
#include "platform/codepages.h"
#include "platform/messages.h"
#include "platform/vkeys.h"
#include "qt_dc.h"
#include "view_widget.h"

namespace velmor::test {

// A main window shown at the given size, with no tool or pointer state left
// over from an earlier test (both are the engine's, shared by every window).
inline std::unique_ptr<gui::CMainFrame> freshFrame(int width = 900, int height = 700) {
    tovimat::protocol::mode = 0;
    tovimat::protocol::mouseOn = nullptr;
    auto frame = std::make_unique<gui::CMainFrame>();
    frame->resize(width, height);
    frame->show();
    return frame;
}

// Settings (the recent-file list, window state) in a scratch folder.
inline void isolateSettings(const QTemporaryDir& dir) {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings().clear();
}

// A device context that remembers each text it draws, with its font and
// its box on the page.
class RecordingDC : public gui::CQtDC {
public:
    using CQtDC::CQtDC;
    struct Drawn {
        QString text;
        QFont font;
        QRect box;
    };
    void drawText(const char* text, int n, const tovimat::RECT& box) override {
        CQtDC::drawText(text, n, box);
        const tovimat::LOGFONTA& lf =
            (currentFont() ? currentFont() : tovimat::stockDefaultFont())->logfont();
        const QString s = gui::decodeText(text, n, tovimat::isSymbolFace(lf.lfFaceName));
        const QFontMetrics m(currentQFont());
        drawn.push_back({s, currentQFont(), QRect(box.left, box.top, m.horizontalAdvance(s), m.height())});
    }
    std::vector<Drawn> drawn;
};

// The glyphs of text that no installed font has: they would show as empty
// boxes.
inline int missingGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int missing = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0) ++missing;
    return missing;
}

// Records every beep and box and answers the boxes from a queue (IDOK when
// it is empty).
class AnsweringSink : public tovimat::MessageSink {
public:
    AnsweringSink() : previous_(tovimat::setMessageSink(this)) {}
    ~AnsweringSink() override { tovimat::setMessageSink(previous_); }

    void beep(tovimat::UINT) override { ++beeps; }
    int messageBox(const char* text, const char* caption, tovimat::UINT style) override {
        boxes.push_back({text ? text : "", caption ? caption : "", style});
        if (answers.empty()) return tovimat::IDOK;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }

    struct Box {
        std::string text, caption;
        tovimat::UINT style;
    };
    int beeps = 0;
    std::vector<Box> boxes;
    std::deque<int> answers;

private:
    tovimat::MessageSink* previous_;
};

// The node at a path of member indices below the base container.
inline tovimat::nucleo* nodeAt(tovimat::container* base, const QString& path) {
    tovimat::nucleo* n = base;
    for (const QString& part : path.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        if (!n || !n->isGroup()) return nullptr;
        auto* c = static_cast<tovimat::container*>(n);
        tovimat::nucleo* m = c->first();
        for (int i = part.toInt(); i > 0 && m && m->chained(); --i) m = m->next();
        n = (m && m->chained()) ? m : nullptr;
    }
    return n;
}

// Replaces every "@path[:left|:right]" of a step by "X Y" in base's layout.
inline std::string resolvePoints(const std::string& step, tovimat::container* base) {
    QString s = QString::fromStdString(step);
    static const QRegularExpression at(QStringLiteral("@([0-9.]+)(:left|:right)?"));
    QRegularExpressionMatch m;
    while ((m = at.match(s)).hasMatch()) {
        tovimat::nucleo* n = nodeAt(base, m.captured(1));
        QString xy = QStringLiteral("-1 -1");
        if (n) {
            const tovimat::aRect& r = n->getRect();
            int x = (r.left + r.right) / 2;
            if (m.captured(2) == QLatin1String(":left")) x = r.left + 1;
            if (m.captured(2) == QLatin1String(":right")) x = r.right - 1;
            xy = QStringLiteral("%1 %2").arg(x).arg((r.top + r.bottom) / 2);
        }
        s.replace(m.capturedStart(), m.capturedLength(), xy);
    }
    return s.toStdString();
}

// Splits a script into steps: one per token in braces, one per character.
inline std::vector<std::string> steps(const std::string& script) {
    std::vector<std::string> out;
    for (size_t i = 0; i < script.size();) {
        if (script[i] == '{' && i + 1 < script.size() && script[i + 1] != '{') {
            const size_t close = script.find('}', i);
            out.push_back(script.substr(i, close - i + 1));
            i = close + 1;
        } else {
            // A character is all the bytes of its UTF-8 sequence.
            char32_t cp = 0;
            const int length = tovimat::utf8Sequence(script.data() + i, script.size() - i, cp);
            const size_t n = script[i] == '{' ? 2 : size_t(std::max(length, 1));
            out.push_back(script.substr(i, n));
            i += n;
        }
    }
    return out;
}

// velmor-cli's output for a script whose points may name nodes.
inline std::string cliOutput(const std::string& script) {
    tovimat::protocol::mode = 0;
    HeadlessSession session;
    session.newDocument();
    for (const std::string& step : steps(script)) {
        std::vector<ScriptAction> actions;
        std::string error;
        if (!parseScript(resolvePoints(step, session.doc().base()), actions, error))
            return "bad step: " + error;
        if (!session.play(actions, error)) return "failed step: " + error;
    }
    return session.output(false);
}

// Plays scripts on a pane of the main frame as a person would: keys typed on
// the keyboard, the mouse moved and pressed over the pane, commands from the
// toolbar buttons.
class GuiDriver {
public:
    GuiDriver(gui::CMainFrame& frame, gui::CVelmorViewWidget& pane) : frame_(frame), pane_(pane) {}

    void play(const std::string& script) {
        for (const std::string& step : steps(script)) {
            std::vector<ScriptAction> actions;
            std::string error;
            if (!parseScript(resolvePoints(step, pane_.view().base()), actions, error)) {
                QTest::qFail(error.c_str(), __FILE__, __LINE__);
                return;
            }
            for (const ScriptAction& a : actions) play(a);
            QCoreApplication::processEvents();
        }
    }

    void play(const ScriptAction& a) {
        switch (a.kind) {
            case ScriptAction::Type:
            case ScriptAction::Key:
                key(a);
                break;
            case ScriptAction::Mouse:
                mouse(a);
                break;
            case ScriptAction::Command:
                command(a);
                break;
            case ScriptAction::Refused: {
                // A key of a keyboard layout with characters the code page lacks.
                const char32_t cp = char32_t(a.character);
                QTest::sendKeyEvent(QTest::Click, &pane_, Qt::Key_unknown, QString::fromUcs4(&cp, 1),
                                    Qt::NoModifier);
                break;
            }
            default:
                QTest::qFail("the driver plays keys, the mouse and commands only", __FILE__, __LINE__);
        }
    }

    // The Qt key that types a character on a US keyboard.
    static int qtKeyFor(int character) {
        if (character == 13) return Qt::Key_Return;
        if (character == 8) return Qt::Key_Backspace;
        if (character >= 'a' && character <= 'z') return Qt::Key_A + (character - 'a');
        return character;
    }

    void key(const ScriptAction& a) {
        int qtKey = 0;
        QString text;
        Qt::KeyboardModifiers mods;
        switch (a.key) {
            case tovimat::VK_LEFT:
                qtKey = Qt::Key_Left;
                break;
            case tovimat::VK_RIGHT:
                qtKey = Qt::Key_Right;
                break;
            case tovimat::VK_UP:
                qtKey = Qt::Key_Up;
                break;
            case tovimat::VK_DOWN:
                qtKey = Qt::Key_Down;
                break;
            case tovimat::VK_HOME:
                qtKey = Qt::Key_Home;
                break;
            case tovimat::VK_END:
                qtKey = Qt::Key_End;
                break;
            case tovimat::VK_DELETE:
                if (a.kind == ScriptAction::Key) qtKey = Qt::Key_Delete;
                break;
            default:
                break;
        }
        if (qtKey == 0) {
            qtKey = qtKeyFor(a.character);
            const char32_t cp = tovimat::cp1252ToUnicode(static_cast<unsigned char>(a.character));
            text = QString::fromUcs4(&cp, 1);
            if (tovimat::keyForChar(static_cast<unsigned char>(a.character)).shift) mods |= Qt::ShiftModifier;
        }
        QTest::sendKeyEvent(QTest::Click, &pane_, Qt::Key(qtKey), text, mods);
    }

    void mouse(const ScriptAction& a) {
        Qt::KeyboardModifiers mods;
        if (a.modifiers & MK_CONTROL) mods |= Qt::ControlModifier;
        if (a.modifiers & MK_SHIFT) mods |= Qt::ShiftModifier;
        if (a.modifiers & MK_ALT) mods |= Qt::AltModifier;
        const QPoint first = client(a.points.front());
        const QPoint last = client(a.points.back());
        send(QEvent::MouseMove, first, Qt::NoButton, Qt::NoButton, mods);
        if (!a.press) return;
        send(QEvent::MouseButtonPress, first, Qt::LeftButton, Qt::LeftButton, mods);
        if (a.points.size() > 1) send(QEvent::MouseMove, last, Qt::NoButton, Qt::LeftButton, mods);
        send(QEvent::MouseButtonRelease, last, Qt::LeftButton,
             a.rightAtRelease ? Qt::MouseButtons(Qt::RightButton) : Qt::MouseButtons(Qt::NoButton), mods);
    }

    // A disabled button cannot be pressed: the log says so, as velmor-cli's.
    // The current tool's button stays pressable (it is the checked one) and
    // changes nothing; velmor-cli logs it as disabled.
    void command(const ScriptAction& a) {
        frame_.updateUi();
        QAction* action = frame_.action(a.command);
        const cmd::Command* known = cmd::findCommand(a.command);
        if (known && known->kind == cmd::Kind::Tool && !pane_.view().isEnabled(a.command)) {
            if (action) QVERIFY(action->isEnabled() && action->isChecked());
            if (log) log->disabled(a.word);
            return;
        }
        QWidget* button = nullptr;
        for (QToolBar* bar :
             {frame_.mainToolBar(), frame_.functionsToolBar(), frame_.groupRelationsToolBar()})
            if (!button) button = bar->widgetForAction(action);
        if (!action || !action->isEnabled()) {
            if (log) log->disabled(a.word);
            return;
        }
        if (button)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            action->trigger();
    }

    EventLog* log = nullptr;

private:
    QPoint client(tovimat::POINT doc) const {
        const tovimat::POINT s = pane_.scrollPosition();
        return QPoint(doc.x - s.x, doc.y - s.y);
    }

    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods) {
        QWidget* target = pane_.viewport();
        QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons, mods);
        QApplication::sendEvent(target, &e);
    }

    gui::CMainFrame& frame_;
    gui::CVelmorViewWidget& pane_;
};

}  // namespace velmor::test
