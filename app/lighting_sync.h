#pragma once
// Lighting sync: the same-mode operation behind "deng_same_mode", which gives
// every connected product the current page's lighting, and the thread (the
// main window's worker slot 8) that then drives that lighting from the
// computer: each step hands one colour to every page taking part.
//
// A page takes part while its channel is paused: the same-mode operation
// pauses it (its own lighting thread stops computing frames) and an edit of
// its own lighting resumes it. The thread runs while any connected page
// takes part; otherwise it sleeps until woken or for a second.

#include "device/lighting/lighting_sync.h"
#include "platform/event.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace talven {

class COrvaneUSBDevice;
class DeviceSelector;

class LightingSync {
public:
    explicit LightingSync(const DeviceSelector& selector) : selector_(selector) {}

    // UI thread. Spreads `current`'s lighting over every connected page and
    // starts the sync; false (nothing changed) when its mode has no sync mode
    // or the sync mode has no keyboard mode.
    bool sameMode(COrvaneUSBDevice& current);

    // After a product came or went: the lighting panels offer "deng_same_mode"
    // while at least two connected products could share a lighting.
    void offerSameMode();

    // The thread's body; returns when `stop` is set.
    void run(Event& stop);

    // Whether some connected page takes part.
    bool active() const;
    const lighting::SyncState& state() const { return state_; }
    // How many times the thread has woken so far.
    uint32_t passes() const { return passes_.load(std::memory_order_relaxed); }

private:
    // The pages in the order the operation walks them: keyboards, mice, mouse
    // pads, headsets.
    std::vector<COrvaneUSBDevice*> walkOrder() const;
    void broadcast(uint32_t value) const;

    const DeviceSelector& selector_;
    lighting::SyncState state_;
    Event wake_{false};
    std::atomic<uint32_t> passes_{0};
};

}  // namespace talven
