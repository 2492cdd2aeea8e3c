#pragma once
// A waitable event with manual or automatic reset. It is built on an eventfd
// so that a blocking read or write can wait on it together with a device
// node: signalling it ends such a wait at once.
//
// The state is mirrored in an atomic flag, so asking whether the event is set
// (which transfer code does on every call) costs no system call; the eventfd
// is written only when the state changes.

#include <atomic>
#include <initializer_list>
#include <mutex>

namespace talven {

class Event {
public:
    explicit Event(bool manualReset, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Waits up to timeoutMs (-1 = without limit). True when the event was set;
    // an auto-reset event is reset by the wait that sees it.
    bool wait(int timeoutMs);
    bool isSet() const { return set_.load(std::memory_order_acquire); }

    // Readable while the event is set. Use consume() after a wait that saw it.
    int fd() const { return fd_; }
    // For auto-reset events: takes the signal (true if this caller got it).
    bool consume();
    bool manualReset() const { return manual_; }

private:
    int fd_ = -1;
    bool manual_;
    // Changes of the flag and of the eventfd's counter happen together under
    // the lock, so outside set() and consume() the descriptor is readable
    // exactly while the flag is set. Within them the flag is raised before
    // the counter and lowered after it: whoever the descriptor wakes finds
    // the flag set.
    std::mutex lock_;
    std::atomic<bool> set_{false};
};

// Waits until one of `events` is set or timeoutMs (-1 = without limit) has
// passed: the index of the event seen first (an auto-reset one is taken by
// the wait), -1 on time-out. A thread that sleeps until it is either stopped
// or needed again waits on both, so it never wakes just to look.
int waitAny(std::initializer_list<Event*> events, int timeoutMs);

}  // namespace talven
