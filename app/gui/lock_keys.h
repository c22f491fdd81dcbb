// The state of Caps Lock, Num Lock and Scroll Lock for the status bar. On X11
// it is read from the keyboard's lights; elsewhere it follows the presses of
// the lock keys seen by the program.
#pragma once

#include <QObject>

class QEvent;

namespace velmor::gui {

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

class CLockKeyWatcher : public QObject {
    Q_OBJECT

public:
    explicit CLockKeyWatcher(QObject* parent = nullptr);
    LockKeys state() const { return state_; }

signals:
    void stateChanged(velmor::gui::LockKeys state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    LockKeys state_;
    bool fromServer_ = false;
    unsigned long lastStamp_ = 0;
    int lastKey_ = 0;
};

}  // namespace velmor::gui
