#pragma once
// A waitable event with manual or automatic reset. It is built on an eventfd
// so that a blocking read or write can poll it together with a device node:
// signalling it ends such a wait at once.

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
    bool isSet() const;

    // Readable while the event is set. Use consume() after a poll() that saw it.
    int fd() const { return fd_; }
    // For auto-reset events: takes the signal (true if this caller got it).
    bool consume();
    bool manualReset() const { return manual_; }

private:
    int fd_ = -1;
    bool manual_;
};

}  // namespace talven
