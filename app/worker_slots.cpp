#include "app/worker_slots.h"

#include "platform/debug_output.h"

namespace talven {

WorkerSlots::WorkerSlots() {
    for (Slot& slot : slots_) {
        slot.stop = std::make_unique<Event>(true);
        slot.finished = std::make_unique<Event>(true);
    }
}

WorkerSlots::~WorkerSlots() { stopAll(1000); }

bool WorkerSlots::start(int index, std::function<void(Event& stop)> body) {
    if (index < 0 || index >= kSlotCount) return false;
    Slot& slot = slots_[index];
    if (slot.thread.joinable()) return false;
    slot.stop->reset();
    slot.finished->reset();
    Event* stop = slot.stop.get();
    Event* finished = slot.finished.get();
    slot.thread = std::thread([body = std::move(body), stop, finished] {
        body(*stop);
        finished->set();
    });
    return true;
}

bool WorkerSlots::running(int index) const {
    if (index < 0 || index >= kSlotCount) return false;
    const Slot& slot = slots_[index];
    return slot.thread.joinable() && !slot.finished->isSet();
}

int WorkerSlots::stopAll(int timeoutMs) {
    for (Slot& slot : slots_) slot.stop->set();
    int late = 0;
    for (int index = 0; index < kSlotCount; ++index) {
        Slot& slot = slots_[index];
        if (!slot.thread.joinable()) continue;
        if (slot.finished->wait(timeoutMs)) {
            slot.thread.join();
            debugOutput("所有对象处于激发状态\n");
        } else {
            // The thread still runs and may touch its events, so they stay
            // alive with the process rather than with this object.
            debugOutput("所有对象处于非激发状态，超时\n");
            debugOutputf("%d", index);
            slot.thread.detach();
            (void)slot.stop.release();
            (void)slot.finished.release();
            slot.stop = std::make_unique<Event>(true, true);
            slot.finished = std::make_unique<Event>(true);
            ++late;
        }
    }
    return late;
}

}  // namespace talven
