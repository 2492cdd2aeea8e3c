#include "device/keyboard/keyboard_settings.h"

#include <algorithm>

namespace talven::keyboard {

namespace {

constexpr int kRatesPerCheck = 8;
// Slow, medium, fast, fastest: each inside its own check's range of rates.
constexpr std::array<uint16_t, kSettingOptions> kRepeatRateForCheck = {0, 10, 20, 31};
constexpr unsigned kDelayStepMs = 250;

int optionOrFirst(uint16_t value) { return value < kSettingOptions ? value : 0; }

}  // namespace

KeyboardSystemSettings KeyboardSystemSettings::fromWords(const KeyboardSystemWords& words) {
    return {lowHalf(words[0]), highHalf(words[0]), lowHalf(words[1]), highHalf(words[1]), lowHalf(words[2]), highHalf(words[2])};
}

KeyboardSystemWords KeyboardSystemSettings::toWords() const {
    return {packHalves(repeatRate, repeatDelay), packHalves(sixKey, pollingRate), packHalves(wKey, winLock)};
}

KeyboardSwitches KeyboardSystemSettings::switches() const { return switchesFromSystemWords(toWords()); }

int pollingRateOption(uint16_t index) { return optionOrFirst(index); }

int repeatDelayCheck(uint16_t delay) { return optionOrFirst(delay); }

std::optional<int> repeatRateCheck(uint16_t rate) {
    const int check = rate / kRatesPerCheck;
    if (check >= kSettingOptions) return std::nullopt;
    return check;
}

uint16_t repeatRateForCheck(int check) {
    return kRepeatRateForCheck[static_cast<size_t>(std::clamp(check, 0, kSettingOptions - 1))];
}

unsigned repeatDelayLabelMs(int check) { return static_cast<unsigned>(check) * kDelayStepMs + kDelayStepMs; }

}  // namespace talven::keyboard
