#include "message_sink.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <cstdio>
#include <cstring>

#include "qt_dc.h"

using namespace tovimat;

namespace velmor::gui {

namespace {

QString fromBytes(const char* s) {
    if (!s) return {};
    QString out = decodeText(s, int(std::strlen(s)), false);
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

QMessageBox::Icon iconFor(UINT style) {
    switch (style & 0xF0) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons buttonsFor(UINT style) {
    switch (style & 0xF) {
        case MB_OKCANCEL:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MB_YESNOCANCEL:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MB_YESNO:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

int answerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            return IDOK;
    }
}

}  // namespace

CQtMessageSink::CQtMessageSink() : previous_(setMessageSink(this)) {}

CQtMessageSink::~CQtMessageSink() { setMessageSink(previous_); }

void CQtMessageSink::beep(UINT) { QApplication::beep(); }

int CQtMessageSink::messageBox(const char* text, const char* caption, UINT style) {
    QMessageBox box(iconFor(style), fromBytes(caption), fromBytes(text), buttonsFor(style),
                    QApplication::activeWindow());
    return answerOf(box.exec());
}

void CQtMessageSink::status(const char* text) {
    auto* frame = qobject_cast<QMainWindow*>(QApplication::activeWindow());
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (frame) break;
        frame = qobject_cast<QMainWindow*>(w);
    }
    // Shown until the next status tip or line replaces it.
    if (frame) frame->statusBar()->showMessage(fromBytes(text));
}

CWarningSink::CWarningSink() : previous_(setMessageSink(this)) {}

CWarningSink::~CWarningSink() { setMessageSink(previous_); }

QByteArray CWarningSink::warningLine(const char* text) {
    QStringList lines = fromBytes(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines) line = line.trimmed();
    lines.removeAll(QString());
    return "velmor: warning: " + lines.join(QStringLiteral(": ")).toUtf8() + "\n";
}

int CWarningSink::messageBox(const char* text, const char*, UINT) {
    std::fputs(warningLine(text).constData(), stderr);
    return IDOK;
}

int ask(const char* text, UINT style) { return MessageBoxA(nullptr, text, kAppCaption, style); }

}  // namespace velmor::gui
