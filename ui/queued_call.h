#pragma once
// Calls handed to the thread of a QObject through Qt's event queue, for
// threads that are not that object's.
//
// Qt is not built with ThreadSanitizer: the queue's own lock and wake-up are
// invisible to it. It sees the call's captured values written on one thread
// (where Qt's template copies them into the queued call) and read on the
// other with nothing in between, and reports a race that is not there. In a
// ThreadSanitizer build the hand-over therefore also crosses a lock it can
// see: the posting thread holds it while Qt queues the call, and the call
// takes it once before it reads anything. Queueing cannot block on the
// receiving thread, so holding the lock meanwhile cannot deadlock. Other
// builds queue the call directly.

#include <QObject>

#include <mutex>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define TALVEN_QUEUED_CALL_LOCK 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TALVEN_QUEUED_CALL_LOCK 1
#endif
#endif

namespace talven::ui {

#ifdef TALVEN_QUEUED_CALL_LOCK
std::mutex& queuedCallLock();
#endif

// Runs `call` on `target`'s thread from its event loop; dropped, unrun, when
// `target` is destroyed first. False when `target` is null.
template <typename Call>
bool queueCall(QObject* target, Call&& call) {
#ifdef TALVEN_QUEUED_CALL_LOCK
    std::lock_guard queueing(queuedCallLock());
    return QMetaObject::invokeMethod(
        target,
        [call = std::forward<Call>(call)]() mutable {
            { std::lock_guard handedOver(queuedCallLock()); }
            call();
        },
        Qt::QueuedConnection);
#else
    return QMetaObject::invokeMethod(target, std::forward<Call>(call), Qt::QueuedConnection);
#endif
}

}  // namespace talven::ui
