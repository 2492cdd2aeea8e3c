#include "device/lighting/lighting_sync.h"

#include "device/hid_records.h"

#include <array>
#include <span>

namespace talven::lighting {

namespace {

struct ModePair {
    uint8_t mode;      // the page's own mode number
    uint8_t syncMode;  // the shared one
};

// One table per kind serves both directions. The keyboard has no colour
// cycle, so a sync started in one never reaches a keyboard.
constexpr std::array<ModePair, 4> kKeyboardModes = {{{5, 0}, {4, 1}, {17, 2}, {22, 4}}};
constexpr std::array<ModePair, 5> kMouseModes = {{{6, 0}, {4, 1}, {3, 2}, {1, 3}, {7, 4}}};
constexpr std::array<ModePair, 5> kPadAndHeadsetModes = {{{2, 0}, {3, 1}, {4, 2}, {1, 3}, {8, 4}}};

std::span<const ModePair> modesOf(uint16_t productKind) {
    switch (productKind) {
        case kind::Keyboard: return kKeyboardModes;
        case kind::Mouse:
        case kind::WirelessMouse: return kMouseModes;
        case kind::MousePad:
        case kind::Headset: return kPadAndHeadsetModes;
        default: return {};
    }
}

// Counted ticks between two sync steps, by speed level 0..4: breathing, then
// every other mode. The thread counts changes of the tick count, one per
// system tick (kSystemTickMs), as the mouse's lighting thread does.
constexpr std::array<uint8_t, 5> kBreathingTicks = {5, 4, 3, 2, 1};
constexpr std::array<uint8_t, 5> kOtherTicks = {28, 23, 18, 13, 7};
constexpr uint8_t kBlinkWheelStride = 14;

size_t speedIndex(uint8_t speed) { return std::min<size_t>(speed, kBreathingTicks.size() - 1); }

}  // namespace

std::optional<uint8_t> syncModeOf(uint16_t productKind, uint8_t mode) {
    for (const ModePair& pair : modesOf(productKind))
        if (pair.mode == mode) return pair.syncMode;
    return std::nullopt;
}

std::optional<uint8_t> pageModeOf(uint16_t productKind, uint8_t syncMode) {
    for (const ModePair& pair : modesOf(productKind))
        if (pair.syncMode == syncMode) return pair.mode;
    return std::nullopt;
}

uint32_t syncStepPeriodMs(uint8_t mode, uint8_t speed) {
    const auto& ticks = mode == sync_mode::Breathing ? kBreathingTicks : kOtherTicks;
    return ticks[speedIndex(speed)] * kSystemTickMs;
}

void SyncAnimator::restart(const SyncSettings& settings, uint32_t nowMs) {
    breathLevel_ = static_cast<uint8_t>(settings.breathStep % kBreathingCurve.size());
    wheel_ = 0;
    blinkOn_ = false;
    lastBlinkMs_ = nowMs;
}

uint32_t SyncAnimator::blinkStep(const SyncSettings& settings, uint32_t nowMs) {
    const uint32_t toggleMs = kBreathingTicks[speedIndex(settings.speed)] * kBlinkPeriodUnitMs;
    if (nowMs - lastBlinkMs_ >= toggleMs) {
        lastBlinkMs_ = nowMs;
        blinkOn_ = !blinkOn_;
        const int next = wheel_ + kBlinkWheelStride;
        wheel_ = next >= static_cast<int>(kSpectrumSize) ? 0 : static_cast<uint8_t>(next);
    }
    if (!blinkOn_) return 0;
    const Rgb colour = settings.wheel ? spectrumColour(wheel_) : settings.colour;
    return packSyncColour(colour, brightnessForLevel(settings.brightness));
}

uint32_t SyncAnimator::step(const SyncSettings& settings, uint32_t nowMs) {
    const uint8_t brightness = brightnessForLevel(settings.brightness);
    switch (settings.mode) {
        case sync_mode::Breathing: {
            breathLevel_ = static_cast<uint8_t>((breathLevel_ + 1) % kBreathingCurve.size());
            const auto level = static_cast<uint8_t>(brightness * breath(breathLevel_) / 256);
            return packSyncColour({255, 0, 0}, level);
        }
        case sync_mode::Static: return packSyncColour(settings.colour, brightness);
        case sync_mode::Blink: return blinkStep(settings, nowMs);
        case sync_mode::ColourCycle:
            wheel_ = static_cast<uint8_t>((wheel_ + 1) % kSpectrumSize);
            return packSyncColour(spectrumColour(wheel_), brightness);
        default: return 0;
    }
}

}  // namespace talven::lighting
