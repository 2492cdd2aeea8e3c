#include "app/worker_slots.h"

#include "platform/debug_output.h"

namespace talven {

bool WorkerSlots::start(int index, std::function<void(Event& stop)> body) {
    if (index < 0 || index >= kSlotCount) return false;
    return slots_[index].start(std::move(body));
}

bool WorkerSlots::running(int index) const {
    return index >= 0 && index < kSlotCount && slots_[index].running();
}

int WorkerSlots::stopAll(int timeoutMs) {
    for (WorkerThread& slot : slots_) slot.requestStop();
    int late = 0;
    for (int index = 0; index < kSlotCount; ++index) {
        if (!slots_[index].started()) continue;
        if (slots_[index].stop(timeoutMs) == ThreadStop::TimedOut) {
            debugOutputf("%d", index);  // which slot overstayed
            ++late;
        }
    }
    return late;
}

}  // namespace talven
