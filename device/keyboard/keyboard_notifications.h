#pragma once
// What the keyboard says unasked, on its consumer-control collection: each
// input report carries one 16-bit code.
//
//   0x0401          synchronise: read the device settings again
//   0x0403          the game mode was changed on the keyboard
//   0x0404          a counter tick (no other meaning)
//   0x0500-0x05FF   key event of kind 1 (press) at table position code & 0xFF
//   0x0600-0x06FF   key event of kind 2 (release) at table position code & 0xFF

#include "device/keyboard/keyboard_records.h"
#include "platform/hid/hid_device.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace talven::keyboard {

namespace notification {
inline constexpr uint16_t Synchronise = 0x0401;
inline constexpr uint16_t GameMode = 0x0403;
inline constexpr uint16_t Counter = 0x0404;
inline constexpr uint16_t KeyPressBase = 0x0500;
inline constexpr uint16_t KeyReleaseBase = 0x0600;
}  // namespace notification

enum class NotificationKind { Ignored, Synchronise, GameMode, Counter, KeyEvent };

struct KeyboardNotification {
    NotificationKind kind = NotificationKind::Ignored;
    uint8_t key = 0;           // on-screen key number (KeyEvent only)
    uint8_t keyEventKind = 0;  // 1 press, 2 release (KeyEvent only)

    friend bool operator==(const KeyboardNotification&, const KeyboardNotification&) = default;
};

// A key event names a table position; it becomes the first on-screen key at
// that position, and is ignored when no key is there. Unknown codes are
// ignored too.
KeyboardNotification decodeNotification(uint16_t code, const KeyMaps& maps);

// The code a report carries: the first usage of the first input data item,
// as the unpacked report gives it; nullopt when the item holds none.
std::optional<uint16_t> notificationCode(const std::vector<hid::DataItem>& items);

// Reads one report from the opened event interface and returns its code.
// nullopt on a time-out, a stop, a failed read or a report without a code.
std::optional<uint16_t> readNotificationCode(hid::HidDevice& events, int timeoutMs);

}  // namespace talven::keyboard
