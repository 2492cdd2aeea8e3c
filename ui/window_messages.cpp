// WindowImplBase: message dispatch, cross-thread sends and window timers.

#include <QThread>
#include <QTimer>

#include <cerrno>
#include <future>
#include <memory>
#include <mutex>
#include <poll.h>

#include "platform/event.h"
#include "ui/queued_call.h"
#include "ui/window_impl_base.h"

namespace talven::ui {

qintptr WindowImplBase::HandleCustomMessage(uint, quintptr, qintptr, bool& handled) {
    handled = false;
    return 0;
}

qintptr WindowImplBase::OnSysCommand(uint, quintptr wParam, qintptr, bool& handled) {
    handled = true;
    switch (wParam & 0xFFF0) {
    case SC_MINIMIZE: showMinimized(); return 0;
    case SC_MAXIMIZE: showMaximized(); return 0;
    case SC_RESTORE: showNormal(); return 0;  // also shows a hidden window
    case SC_CLOSE: Close(0); return 0;
    default: handled = false; return 0;
    }
}

qintptr WindowImplBase::HandleMessage(uint msg, quintptr wParam, qintptr lParam) {
    bool handled = false;
    const qintptr result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    switch (msg) {
    case WM_SYSCOMMAND:
        return OnSysCommand(msg, wParam, lParam, handled);
    case WM_CLOSE:
        if (destroyed_) return 0;
        // HandleCustomMessage has had its say already.
        closeResult_ = static_cast<int>(wParam);
        closeApproved_ = true;
        QWidget::close();
        return 0;
    default:
        return 0;
    }
}

// The answer comes back through a promise the queued call owns: a window
// destroyed before the call ran drops the call, which breaks the promise, and
// the sender gets 0 instead of waiting for ever.
qintptr WindowImplBase::SendMessage(uint msg, quintptr wParam, qintptr lParam) {
    if (QThread::currentThread() == thread()) return HandleMessage(msg, wParam, lParam);
    auto answer = std::make_shared<std::promise<qintptr>>();
    std::future<qintptr> result = answer->get_future();
    const bool queued =
        queueCall(this, [this, answer, msg, wParam, lParam] { answer->set_value(HandleMessage(msg, wParam, lParam)); });
    if (!queued) return 0;
    answer.reset();
    try {
        return result.get();
    } catch (const std::future_error&) {
        return 0;
    }
}

void WindowImplBase::PostMessage(uint msg, quintptr wParam, qintptr lParam) {
    queueCall(this, [this, msg, wParam, lParam] { HandleMessage(msg, wParam, lParam); });
}

namespace {

// What a worker and the UI thread share about one message.
struct WorkerCall {
    std::mutex lock;
    bool cancelled = false;
    bool running = false;
    qintptr result = 0;
    Event done{true};
};

enum class Woken { Done, Stop };

Woken WaitForEither(Event& done, Event& stop) {
    for (;;) {
        pollfd fds[2] = {{done.fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (fds[0].revents & POLLIN)) return Woken::Done;
        if (fds[1].revents & POLLIN) return Woken::Stop;
    }
}

}  // namespace

qintptr WindowImplBase::SendMessageFromWorker(uint msg, quintptr wParam, qintptr lParam, Event& stop) {
    if (QThread::currentThread() == thread()) return HandleMessage(msg, wParam, lParam);
    if (stop.isSet()) return 0;
    auto call = std::make_shared<WorkerCall>();
    queueCall(this, [this, call, msg, wParam, lParam] {
        {
            std::lock_guard guard(call->lock);
            if (call->cancelled) return;
            call->running = true;
        }
        const qintptr result = HandleMessage(msg, wParam, lParam);
        {
            std::lock_guard guard(call->lock);
            call->result = result;
        }
        call->done.set();
    });
    if (WaitForEither(call->done, stop) == Woken::Stop) {
        std::unique_lock guard(call->lock);
        if (!call->running) {
            call->cancelled = true;
            return 0;
        }
        // The UI thread is inside the handler; it uses our wParam and lParam.
        guard.unlock();
        call->done.wait(-1);
    }
    std::lock_guard guard(call->lock);
    return call->result;
}

bool WindowImplBase::SetTimer(uint id, uint elapseMs) {
    if (destroyed_) return false;
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { HandleMessage(WM_TIMER, id, 0); });
    }
    timer->start(static_cast<int>(qMin<uint>(elapseMs, INT_MAX)));
    return true;
}

bool WindowImplBase::KillTimer(uint id) {
    QTimer* timer = timers_.take(id);
    if (!timer) return false;
    timer->stop();
    timer->deleteLater();
    return true;
}

}  // namespace talven::ui
