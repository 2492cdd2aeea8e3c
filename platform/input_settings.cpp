#include "platform/input_settings.h"

#include "platform/debug_output.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace talven {

namespace {

constexpr unsigned kDelayStepMs = 250;
// Interval = kIntervalScale / (kSlowest + kPerStep * speed), see the header.
constexpr double kIntervalScale = 12400.0;
constexpr double kSlowest = 31.0;
constexpr double kPerStep = 11.0;

}  // namespace

unsigned repeatIntervalMs(uint32_t speed) {
    speed = std::min(speed, kMaxKeyboardSpeed);
    return static_cast<unsigned>(std::lround(kIntervalScale / (kSlowest + kPerStep * speed)));
}

uint32_t repeatSpeedFromInterval(unsigned intervalMs) {
    if (intervalMs == 0) return kMaxKeyboardSpeed;
    const double steps = (kIntervalScale / intervalMs - kSlowest) / kPerStep;
    return static_cast<uint32_t>(std::clamp<long>(std::lround(steps), 0, kMaxKeyboardSpeed));
}

unsigned repeatDelayMs(uint32_t delay) {
    return (std::min(delay, kMaxKeyboardDelay) + 1) * kDelayStepMs;
}

uint32_t repeatDelayFromMs(unsigned delayMs) {
    const unsigned steps = (delayMs + kDelayStepMs / 2) / kDelayStepMs;  // nearest multiple of 250 ms
    return std::clamp(steps, 1u, kMaxKeyboardDelay + 1) - 1;
}

bool InputSettings::setKeyboardSpeed(uint32_t speed) {
    if (speed > kMaxKeyboardSpeed) {
        debugOutputf("input settings: repeat speed %u is beyond 0..%u", speed, kMaxKeyboardSpeed);
        return false;
    }
    return writeKeyboardSpeed(speed);
}

bool InputSettings::setKeyboardDelay(uint32_t delay) {
    if (delay > kMaxKeyboardDelay) {
        debugOutputf("input settings: repeat delay %u is beyond 0..%u", delay, kMaxKeyboardDelay);
        return false;
    }
    return writeKeyboardDelay(delay);
}

// --- stored backend --------------------------------------------------------------

std::optional<KeyboardRepeat> StoredInputSettings::keyboardRepeat() const {
    KeyboardRepeat repeat;
    const auto speedText = store_.get(kKeyboardSpeedSetting);
    if (const auto speed = parseStoredNumber(speedText, kMaxKeyboardSpeed)) {
        repeat.speed = *speed;
    } else if (speedText) {
        debugOutputf("input settings: ignoring stored %s \"%s\"", kKeyboardSpeedSetting.data(), speedText->c_str());
    }
    const auto delayText = store_.get(kKeyboardDelaySetting);
    if (const auto delay = parseStoredNumber(delayText, kMaxKeyboardDelay)) {
        repeat.delay = *delay;
    } else if (delayText) {
        debugOutputf("input settings: ignoring stored %s \"%s\"", kKeyboardDelaySetting.data(), delayText->c_str());
    }
    return repeat;
}

bool StoredInputSettings::writeKeyboardSpeed(uint32_t speed) {
    return store_.set(kKeyboardSpeedSetting, std::to_string(speed));
}

bool StoredInputSettings::writeKeyboardDelay(uint32_t delay) {
    return store_.set(kKeyboardDelaySetting, std::to_string(delay));
}

// --- choice of backend -------------------------------------------------------------

std::unique_ptr<InputSettings> openInputSettings() {
#ifdef TALVEN_HAVE_X11
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') {
        if (auto x11 = openX11InputSettings(display)) return x11;
        debugOutputf("input settings: display %s does not answer; keeping values in the settings file", display);
    }
#endif
    return std::make_unique<StoredInputSettings>(SettingsStore());
}

}  // namespace talven
