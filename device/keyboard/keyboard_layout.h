#pragma once
// The keyboard as the page shows it: 126 keys, numbered row by row in six
// rows of 21, each with the key-function code the keyboard ships with. The
// key table the keyboard reports lists its keys in its own order; these codes
// are how the key numbers are found in it.

#include "profile/profile_records.h"

#include <array>
#include <cstddef>

namespace talven::keyboard {

inline constexpr size_t kRows = 6;
inline constexpr size_t kColumns = 21;
inline constexpr size_t kOnScreenKeys = kRows * kColumns;  // also the LED count

// The code of a key position without a key behind it.
inline constexpr KeyCode kEmptyCode = {0x20, 0x00, 0x00};

// Factory codes by key number: function type, then two parameter bytes
// (0x20 = an ordinary key: HID modifier bits, HID keyboard usage).
extern const std::array<KeyCode, kOnScreenKeys> kDefaultCodes;

}  // namespace talven::keyboard
