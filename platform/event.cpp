#include "platform/event.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/clock.h"

namespace talven {

Event::Event(bool manualReset, bool initiallySet) : manual_(manualReset), set_(initiallySet) {
    fd_ = eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("eventfd failed");
}

Event::~Event() {
    if (fd_ >= 0) ::close(fd_);
}

void Event::set() {
    if (isSet()) return;
    std::lock_guard guard(lock_);
    if (set_.load(std::memory_order_relaxed)) return;
    // The flag goes first. The write wakes a waiter, which may run at once on
    // this CPU before this thread is back from the write: it must then find
    // the event set and wait on the lock for the write to complete, rather
    // than spin on a readable descriptor whose flag still says "not set".
    set_.store(true, std::memory_order_release);
    // The counter only needs to be non-zero; keep it at 1 so that one read
    // always drains it.
    uint64_t one = 1;
    ssize_t n = ::write(fd_, &one, sizeof one);
    (void)n;
}

void Event::reset() { (void)consume(); }

bool Event::consume() {
    if (!isSet()) return false;
    std::lock_guard guard(lock_);
    // Two waiters may both have seen the event; only one takes it.
    if (!set_.load(std::memory_order_relaxed)) return false;
    uint64_t value;
    ssize_t n = ::read(fd_, &value, sizeof value);
    (void)n;
    set_.store(false, std::memory_order_release);
    return true;
}

bool Event::wait(int timeoutMs) {
    const uint32_t start = tickCount();
    for (;;) {
        if (manual_ ? isSet() : consume()) return true;
        int remaining = -1;
        if (timeoutMs >= 0) {
            uint32_t elapsed = tickCount() - start;
            if (elapsed >= static_cast<uint32_t>(timeoutMs)) return false;
            remaining = timeoutMs - static_cast<int>(elapsed);
        }
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, remaining);
        if (r < 0 && errno != EINTR) return false;
    }
}

int waitAny(std::initializer_list<Event*> events, int timeoutMs) {
    constexpr size_t kMaxEvents = 4;
    if (events.size() == 0 || events.size() > kMaxEvents) return -1;
    const uint32_t start = tickCount();
    for (;;) {
        int index = 0;
        for (Event* event : events) {
            if (event->manualReset() ? event->isSet() : event->consume()) return index;
            ++index;
        }
        int remaining = -1;
        if (timeoutMs >= 0) {
            const uint32_t elapsed = tickCount() - start;
            if (elapsed >= static_cast<uint32_t>(timeoutMs)) return -1;
            remaining = timeoutMs - static_cast<int>(elapsed);
        }
        pollfd fds[kMaxEvents];
        nfds_t count = 0;
        for (Event* event : events) fds[count++] = pollfd{event->fd(), POLLIN, 0};
        if (::poll(fds, count, remaining) < 0 && errno != EINTR) return -1;
    }
}

}  // namespace talven
