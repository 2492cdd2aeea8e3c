#pragma once
// The keyboard's settings page in numbers: the six system settings a
// keyboard profile keeps, and which control of the page shows each value.

#include "device/keyboard/keyboard_records.h"

#include <array>
#include <cstdint>
#include <optional>

namespace talven::keyboard {

// Key repeat (a desktop setting the page shows beside the keyboard's own),
// then the keyboard's switches.
struct KeyboardSystemSettings {
    uint16_t repeatRate = 0;   // 0..31
    uint16_t repeatDelay = 0;  // 0..3: 250, 500, 750, 1000 ms
    uint16_t sixKey = 0;
    uint16_t pollingRate = 0;  // 0..3
    uint16_t wKey = 0;
    uint16_t winLock = 0;

    // The profile's words: Repeat | RepeatDelay << 16, Key6Flag |
    // PollingRate << 16, WFlag | WinFlag << 16.
    static KeyboardSystemSettings fromWords(const KeyboardSystemWords& words);
    KeyboardSystemWords toWords() const;
    KeyboardSwitches switches() const;

    friend bool operator==(const KeyboardSystemSettings&, const KeyboardSystemSettings&) = default;
};

inline constexpr int kSettingOptions = 4;  // polling, repeat-rate and repeat-delay rows have four each

// "polling_rate_option_" N: N = the index, 0 for anything outside 0..3.
int pollingRateOption(uint16_t index);
// "repeat_delay_check_" N: the same rule.
int repeatDelayCheck(uint16_t delay);
// "repeat_rate_check_" N: eight rates per check; none above 31.
std::optional<int> repeatRateCheck(uint16_t rate);
// The rate a repeat-rate check stands for; it reads back as the same check.
uint16_t repeatRateForCheck(int check);
// The delay the label spells out: 250 ms per step, from 250.
unsigned repeatDelayLabelMs(int check);

}  // namespace talven::keyboard
