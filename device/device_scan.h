#pragma once
// Discovery and removal of supported interfaces.
//
// While a slot is free, each pass enumerates the HID interfaces, matches each
// against the recognition table and gives a newly found interface the first
// free slot of its identity. Every pass also checks that the interfaces in
// occupied slots are still present. Changes are reported through callbacks
// that the caller runs synchronously (the main window answers them on its UI
// thread before the scan goes on).

#include "device/hid_records.h"
#include "platform/event.h"
#include "platform/hid/hid_enumerator.h"

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace talven {

// Probes one interface path: when its identity, attributes and usages match a
// recognition-table row, the row (with the path) is returned.
std::optional<InterfaceEntry> recognizeInterface(const std::string& path);

class DeviceScanner {
public:
    struct Callbacks {
        std::function<void(int slot)> occupied;
        std::function<void(int slot)> vacated;
        std::function<void()> firstPassDone;
    };

    DeviceScanner(Callbacks callbacks, std::vector<hid::HidRoot> roots = hid::defaultHidRoots());

    // Runs until `stop` is signalled, at once. Hot-plug events wake it; the
    // regular pass runs every 100 ms when some source of changes has no
    // event to wake it, else once a second as a safety net.
    void run(Event& stop);
    // One discovery pass and one removal pass, without waiting.
    void scanOnce();

    std::vector<DeviceSlot> slotList() const;
    DeviceSlot slot(int index) const;

    static constexpr int kPollMs = 100;
    static constexpr int kWatchedPollMs = 1000;

private:
    void discover();
    void checkRemovals();
    bool anySlotFree() const;
    bool pathHeld(const std::string& path) const;
    int claimSlot(const InterfaceEntry& entry);

    Callbacks callbacks_;
    std::vector<hid::HidRoot> roots_;
    mutable std::mutex lock_;
    std::vector<DeviceSlot> slots_;
    bool firstPassReported_ = false;
};

}  // namespace talven
