#pragma once
// The main window's worker threads: a fixed set of slots, each a worker
// thread with its manual-reset stop event. Slot 0 runs the device scan;
// others are taken by the features that need a thread. Stopping signals
// every event at once, then waits for each thread up to a limit.

#include "platform/worker_thread.h"

#include <array>
#include <functional>

namespace talven {

class WorkerSlots {
public:
    static constexpr int kSlotCount = 20;
    static constexpr int kScanSlot = 0;
    static constexpr int kLightingSyncSlot = 8;

    WorkerSlots() = default;
    ~WorkerSlots() { stopAll(WorkerThread::kStopWaitMs); }
    WorkerSlots(const WorkerSlots&) = delete;
    WorkerSlots& operator=(const WorkerSlots&) = delete;

    // Runs body(stop) on a new thread in the slot; false when the slot is
    // taken or out of range.
    bool start(int slot, std::function<void(Event& stop)> body);
    // The slot's stop event; it stays the same across starts.
    Event& stopEvent(int slot) { return slots_.at(slot).stopEvent(); }
    bool running(int slot) const;

    // Sets every stop event, then stops each started thread in slot order
    // (waiting up to timeoutMs for each). Returns the number of threads that
    // overstayed the limit. Slots never started are passed over.
    int stopAll(int timeoutMs);

private:
    std::array<WorkerThread, kSlotCount> slots_;
};

}  // namespace talven
