#include "platform/event.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/clock.h"

namespace talven {

Event::Event(bool manualReset, bool initiallySet) : manual_(manualReset) {
    fd_ = eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("eventfd failed");
}

Event::~Event() {
    if (fd_ >= 0) ::close(fd_);
}

void Event::set() {
    // The counter only needs to be non-zero; keep it at 1 so that one read
    // always drains it.
    if (isSet()) return;
    uint64_t one = 1;
    ssize_t n = ::write(fd_, &one, sizeof one);
    (void)n;
}

void Event::reset() {
    uint64_t value;
    while (::read(fd_, &value, sizeof value) > 0) {
    }
}

bool Event::consume() {
    uint64_t value;
    return ::read(fd_, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

bool Event::isSet() const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

bool Event::wait(int timeoutMs) {
    const uint32_t start = tickCount();
    for (;;) {
        int remaining = -1;
        if (timeoutMs >= 0) {
            uint32_t elapsed = tickCount() - start;
            remaining = elapsed >= static_cast<uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
        }
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, remaining);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        if (manual_) return true;
        // Two waiters may both wake; only the one that takes the count wins.
        if (consume()) return true;
        if (remaining == 0) return false;
    }
}

}  // namespace talven
