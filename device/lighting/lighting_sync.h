#pragma once
// Lighting sync: one lighting spread over every connected product and then
// driven from the computer. The same-mode operation maps the current page's
// mode to one of five shared sync modes and back to each kind's own mode;
// the sync animator computes the colour the computer hands to every page
// while the sync runs.

#include "device/lighting/light_tables.h"

#include <cstdint>
#include <mutex>
#include <optional>

namespace talven::lighting {

namespace sync_mode {
inline constexpr uint8_t Breathing = 0;
inline constexpr uint8_t Static = 1;
inline constexpr uint8_t Blink = 2;
inline constexpr uint8_t ColourCycle = 3;
inline constexpr uint8_t Off = 4;
inline constexpr uint8_t Count = 5;
}  // namespace sync_mode

// The sync mode of a page's lighting mode, by the page's product kind (a
// wireless mouse counts as a mouse); nothing for a mode (or kind) with none.
std::optional<uint8_t> syncModeOf(uint16_t kind, uint8_t mode);
// The page mode a sync mode becomes on a product of this kind; nothing when
// the kind has no such mode (a keyboard has no colour cycle).
std::optional<uint8_t> pageModeOf(uint16_t kind, uint8_t syncMode);

// What the same-mode operation stores for the sync thread.
struct SyncSettings {
    uint8_t mode = sync_mode::Static;
    uint8_t brightness = 0;  // brightness level 0..4
    uint8_t speed = 0;       // speed level 0..4
    uint8_t breathStep = 0;  // where the current page's breathing was
    bool wheel = false;      // blink through the colour wheel instead of the colour
    Rgb colour;

    friend bool operator==(const SyncSettings&, const SyncSettings&) = default;
};

// Written on the UI thread, read by the sync thread.
class SyncState {
public:
    void store(const SyncSettings& settings) {
        std::lock_guard lock(mutex_);
        settings_ = settings;
        ++generation_;
    }
    SyncSettings load() const {
        std::lock_guard lock(mutex_);
        return settings_;
    }
    // Changes with every store: the thread restarts its animation then.
    uint32_t generation() const {
        std::lock_guard lock(mutex_);
        return generation_;
    }

private:
    mutable std::mutex mutex_;
    SyncSettings settings_;
    uint32_t generation_ = 0;
};

// Milliseconds between two steps of a sync mode at a speed level.
uint32_t syncStepPeriodMs(uint8_t mode, uint8_t speed);

// An LED value as the pages keep them: red lowest, brightness highest.
constexpr uint32_t packSyncColour(Rgb colour, uint8_t brightness) {
    return colour.red | colour.green << 8 | colour.blue << 16 | static_cast<uint32_t>(brightness) << 24;
}

// The sync thread's counters and its step: each step gives the value every
// page shows.
class SyncAnimator {
public:
    // Starts over from the stored settings (their breathing step).
    void restart(const SyncSettings& settings, uint32_t nowMs);
    uint32_t step(const SyncSettings& settings, uint32_t nowMs);

    uint8_t breathLevel() const { return breathLevel_; }
    uint8_t wheelPosition() const { return wheel_; }
    bool blinkOn() const { return blinkOn_; }

private:
    uint32_t blinkStep(const SyncSettings& settings, uint32_t nowMs);

    uint8_t breathLevel_ = 0;
    uint8_t wheel_ = 0;
    bool blinkOn_ = false;
    uint32_t lastBlinkMs_ = 0;
};

}  // namespace talven::lighting
