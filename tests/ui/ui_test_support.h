#pragma once
// Helpers shared by the toolkit's tests: a notification recorder, a test
// window that records its messages, synthetic mouse and key input, and a
// wait that keeps the event loop turning.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <functional>
#include <ostream>
#include <vector>

#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace talven::ui::test {

struct Seen {
    QString type;
    QString sender;
    quintptr wParam = 0;
    qintptr lParam = 0;
};

// Records every notification it is given.
class Recorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        seen.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : QString(), msg.wParam, msg.lParam});
    }
    // The types sent by `sender`, in order.
    QStringList TypesFrom(const QString& sender) const {
        QStringList out;
        for (const Seen& s : seen) {
            if (s.sender == sender) out << s.type;
        }
        return out;
    }
    int Count(const QString& type) const {
        int n = 0;
        for (const Seen& s : seen) n += s.type == type ? 1 : 0;
        return n;
    }
    std::vector<Seen> seen;
};

struct Message {
    uint msg;
    quintptr wParam;
    qintptr lParam;
};

// A window built from a skin file that records notifications and messages.
class TestWindow : public WindowImplBase {
public:
    explicit TestWindow(QString skin) : skin_(std::move(skin)) {}
    QString GetSkinFile() override { return skin_; }
    QString GetWindowClassName() const override { return QStringLiteral("TestWindow"); }
    void InitWindow() override { initWindowCalls++; }
    void Notify(TNotifyUI& msg) override {
        recorder.Notify(msg);
        WindowImplBase::Notify(msg);
    }
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override {
        messages.push_back({msg, wParam, lParam});
        if (onMessage) return onMessage(msg, wParam, lParam, handled);
        handled = false;
        return 0;
    }
    bool Received(uint msg) const {
        for (const Message& m : messages) {
            if (m.msg == msg) return true;
        }
        return false;
    }
    template <class T>
    T* Find(const QString& name) {
        return qobject_cast<T*>(m_pm.FindControl(name));
    }

    Recorder recorder;
    std::vector<Message> messages;
    std::function<qintptr(uint, quintptr, qintptr, bool&)> onMessage;
    int initWindowCalls = 0;

private:
    QString skin_;
};

// Keeps the event loop running until `done` or the time is up.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void Spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint local, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    SendMouse(w, QEvent::MouseButtonPress, local, Qt::LeftButton, modifiers);
    SendMouse(w, QEvent::MouseButtonRelease, local, Qt::LeftButton, modifiers);
}

inline void Wheel(QWidget* w, QPoint local, int delta) {
    QWheelEvent e(QPointF(local), QPointF(w->mapToGlobal(local)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

inline void Key(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

}  // namespace talven::ui::test
