#pragma once
// The desktop's input settings that the keyboard page shows beside the
// keyboard's own: key repeat speed and delay.
//
// The pages and profiles count them the way the keyboard settings page has
// always shown them:
//   repeat speed 0..31: 0 is about 2.5 repeats a second, 31 about 30, evenly
//                       spaced in between;
//   repeat delay 0..3:  250, 500, 750 or 1000 ms before the first repeat.
// The X server counts milliseconds: a delay and an interval between repeats.
// The functions below convert, so that a value set is the value read back.
//
// Two backends: the X server's keyboard extension on $DISPLAY when there is
// one, and otherwise values kept in the settings file, so that a page and a
// profile still see what they set (a console, a test, a session without X).

#include "platform/settings_store.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace talven {

inline constexpr uint32_t kMaxKeyboardSpeed = 31;
inline constexpr uint32_t kMaxKeyboardDelay = 3;
// What a desktop starts with before anyone sets them.
inline constexpr uint32_t kDefaultKeyboardSpeed = 31;
inline constexpr uint32_t kDefaultKeyboardDelay = 1;

// Setting names in the settings file of the stored backend.
inline constexpr std::string_view kKeyboardSpeedSetting = "KeyboardSpeed";
inline constexpr std::string_view kKeyboardDelaySetting = "KeyboardDelay";

struct KeyboardRepeat {
    uint32_t speed = kDefaultKeyboardSpeed;  // 0..31
    uint32_t delay = kDefaultKeyboardDelay;  // 0..3

    friend bool operator==(const KeyboardRepeat&, const KeyboardRepeat&) = default;
};

// --- conversion to and from milliseconds ---------------------------------------
// Speed s repeats (31 + 11 s) / 12.4 times a second, so its interval is
// 12400 / (31 + 11 s) ms rounded: 400 ms for 0 ... 33 ms for 31. Delay d waits
// (d + 1) x 250 ms. The way back takes the nearest step and clamps to the
// range, so any value another program set reads as the closest one we offer.

unsigned repeatIntervalMs(uint32_t speed);       // speed clamped to 0..31
uint32_t repeatSpeedFromInterval(unsigned intervalMs);
unsigned repeatDelayMs(uint32_t delay);          // delay clamped to 0..3
uint32_t repeatDelayFromMs(unsigned delayMs);

// --- backends ----------------------------------------------------------------------

class InputSettings {
public:
    virtual ~InputSettings() = default;

    // "x11" or "stored", for the log.
    virtual std::string_view backendName() const = 0;

    // The current values; nothing when the desktop could not be asked.
    virtual std::optional<KeyboardRepeat> keyboardRepeat() const = 0;

    // False, with nothing changed, for a value beyond its range or when the
    // desktop refused; each keeps the other setting as it is.
    bool setKeyboardSpeed(uint32_t speed);
    bool setKeyboardDelay(uint32_t delay);

private:
    // Called with values in range only.
    virtual bool writeKeyboardSpeed(uint32_t speed) = 0;
    virtual bool writeKeyboardDelay(uint32_t delay) = 0;
};

// Keeps the values in a settings file. Missing or unreadable values read as
// the defaults.
class StoredInputSettings final : public InputSettings {
public:
    explicit StoredInputSettings(SettingsStore store) : store_(std::move(store)) {}

    std::string_view backendName() const override { return "stored"; }
    std::optional<KeyboardRepeat> keyboardRepeat() const override;

private:
    bool writeKeyboardSpeed(uint32_t speed) override;
    bool writeKeyboardDelay(uint32_t delay) override;

    SettingsStore store_;
};

#ifdef TALVEN_HAVE_X11
// The X server's keyboard auto-repeat on `displayName` (as for XOpenDisplay;
// empty means $DISPLAY). Nothing when the display cannot be opened or has no
// keyboard extension. Each call opens its own short connection, so the
// object can be used from any thread and survives a restarted server.
std::unique_ptr<InputSettings> openX11InputSettings(const std::string& displayName);
#endif

// The X server's settings when $DISPLAY names one that answers, else the
// values kept in the user's settings file.
std::unique_ptr<InputSettings> openInputSettings();

}  // namespace talven
