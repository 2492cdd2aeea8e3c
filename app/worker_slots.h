#pragma once
// The main window's worker threads: a fixed set of slots, each with a
// manual-reset stop event. Slot 0 runs the device scan; others are taken by
// the features that need a thread. Stopping signals every event and waits
// for each thread up to a limit.

#include "platform/event.h"

#include <array>
#include <functional>
#include <memory>
#include <thread>

namespace talven {

class WorkerSlots {
public:
    static constexpr int kSlotCount = 20;
    static constexpr int kScanSlot = 0;
    static constexpr int kLightingSyncSlot = 8;

    WorkerSlots();
    ~WorkerSlots();
    WorkerSlots(const WorkerSlots&) = delete;
    WorkerSlots& operator=(const WorkerSlots&) = delete;

    // Runs body(stop) on a new thread in the slot; false when the slot is
    // taken or out of range.
    bool start(int slot, std::function<void(Event& stop)> body);
    Event& stopEvent(int slot) { return *slots_.at(slot).stop; }
    bool running(int slot) const;

    // Sets every stop event, then waits for each running thread up to
    // timeoutMs. Returns the number of threads that did not end in time
    // (they are left detached: there is no safe way to kill a thread).
    int stopAll(int timeoutMs);

private:
    struct Slot {
        std::unique_ptr<Event> stop;
        std::unique_ptr<Event> finished;
        std::thread thread;
    };
    std::array<Slot, kSlotCount> slots_;
};

}  // namespace talven
