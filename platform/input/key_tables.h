#pragma once
// Linux key codes and what the capture reports for them. A key code is the
// kernel's input code (KEY_*); X servers number the same keys 8 higher.
// Captured keys are reported the way the recorder stores them: a
// Windows-style virtual key, the keyboard's set-1 scan code and whether the
// key sends the E0 prefix (the "extended" flag), and the HID keyboard usage
// the device tables use.

#include <cstdint>
#include <optional>

namespace talven::input {

inline constexpr uint16_t kXKeycodeOffset = 8;

struct WinKey {
    uint16_t virtualKey = 0;
    uint16_t scanCode = 0;
    bool extended = false;

    friend bool operator==(const WinKey&, const WinKey&) = default;
};

// Nothing for keys without a virtual key of their own.
std::optional<WinKey> winKeyForLinuxKey(uint16_t linuxKey);
// The key whose set-1 scan code and E0 flag these are (the way a recorded
// key is identified); nothing for a pair no key of the table sends.
std::optional<uint16_t> linuxKeyForScanCode(uint16_t scanCode, bool extended);

// The kernel's own table from HID keyboard usages (page 0x07) to key codes:
// 0 where the usage produces no key, KEY_UNKNOWN (240) where it has none.
uint16_t linuxKeyForHidUsage(uint8_t usage);
// The lowest usage that produces the key, or nothing.
std::optional<uint8_t> hidUsageForLinuxKey(uint16_t linuxKey);

// Caps Lock, Num Lock and Scroll Lock: they keep working during a capture.
inline constexpr uint16_t kVkCapsLock = 0x14;
inline constexpr uint16_t kVkNumLock = 0x90;
inline constexpr uint16_t kVkScrollLock = 0x91;
bool isLockKey(uint16_t virtualKey);
// The same test on key codes, for backends that pass keys on before
// translating them.
bool isLockLinuxKey(uint16_t linuxKey);

}  // namespace talven::input
