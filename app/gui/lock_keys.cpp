#include "lock_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <cstdlib>

#ifdef VELMOR_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace velmor::gui {

namespace {

#ifdef VELMOR_HAVE_XCB
// The keyboard's lights: Caps Lock is the first, Num Lock the second,
// Scroll Lock the third.
bool readLights(LockKeys& out) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    xcb_get_keyboard_control_reply_t* reply =
        xcb_get_keyboard_control_reply(connection, xcb_get_keyboard_control(connection), nullptr);
    if (!reply) return false;
    out.caps = reply->led_mask & 1;
    out.num = reply->led_mask & 2;
    out.scroll = reply->led_mask & 4;
    free(reply);
    return true;
}
#else
bool readLights(LockKeys&) { return false; }
#endif

}  // namespace

CLockKeyWatcher::CLockKeyWatcher(QObject* parent) : QObject(parent) {
    fromServer_ = readLights(state_);
    if (qGuiApp) qGuiApp->installEventFilter(this);
}

void CLockKeyWatcher::refresh() {
    LockKeys now = state_;
    if (!readLights(now)) return;
    if (now.caps != state_.caps || now.num != state_.num || now.scroll != state_.scroll) {
        state_ = now;
        emit stateChanged(state_);
    }
}

bool CLockKeyWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched != qGuiApp && event->type() != QEvent::KeyRelease) return false;
    if (event->type() == QEvent::ApplicationStateChange) {
        refresh();
    } else if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat()) return false;
        // The same release reaches the filter once for each widget it is
        // offered to.
        if (key->timestamp() == lastStamp_ && key->key() == lastKey_) return false;
        lastStamp_ = key->timestamp();
        lastKey_ = key->key();
        if (fromServer_) {
            refresh();
        } else {
            LockKeys now = state_;
            switch (key->key()) {
                case Qt::Key_CapsLock:
                    now.caps = !now.caps;
                    break;
                case Qt::Key_NumLock:
                    now.num = !now.num;
                    break;
                case Qt::Key_ScrollLock:
                    now.scroll = !now.scroll;
                    break;
                default:
                    return false;
            }
            state_ = now;
            emit stateChanged(state_);
        }
    }
    return false;
}

}  // namespace velmor::gui
