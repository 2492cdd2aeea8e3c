#pragma once
// What a key or button can be told to do, and the lists the assignment panel
// offers. A key-function code is three bytes: type, parameter 1, parameter 2.
// Keyboards keep one per key in their key table, mice one per button, and
// profiles keep them as "Assignment" integers (profile_records.h).
//
//   type  function          parameter 1                     parameter 2
//   0x00  none              -                               -
//   0x10  mouse button      button bit (kButton...)          0
//   0x11  mouse swing       count << 4 | delay               speed, bit 7 = direction
//   0x12  mouse wheel       count << 4 | delay               signed amount
//   0x13  DPI function      1, 2 or 3                        0
//   0x14  fire              interval                         count
//   0x20  keyboard key      HID modifier bits (kMod...)      HID keyboard usage, 0 = none
//   0x30  consumer control  usage, low byte                  usage, high byte
//   0x40  system control    0x01 power, 0x02 sleep, 0x04 wake  0
//   0x70  macro             macro number                     run mode 0..3
//   0x71  macro, repeated   macro number                     repeat count
//   0x72  gun key           gun-key index                    0
//   0xA0  special           0x00 disabled, 0x01 FN, 0x1B GM, 0x24 COLOR   0
//   0xD0  macro key         0xA2                             1..5 (M1..M5)
//
// The tables list their rows in the order the panel's combo boxes show them,
// so a row's index is also its combo position.

#include "profile/profile_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace talven::keyfn {

// --- function types (byte 0 of a code) --------------------------------------

inline constexpr uint8_t kTypeNone = 0x00;
inline constexpr uint8_t kTypeMouseButton = 0x10;
inline constexpr uint8_t kTypeMouseSwing = 0x11;
inline constexpr uint8_t kTypeMouseWheel = 0x12;
inline constexpr uint8_t kTypeDpi = 0x13;
inline constexpr uint8_t kTypeFire = 0x14;
inline constexpr uint8_t kTypeKey = 0x20;
inline constexpr uint8_t kTypeConsumer = 0x30;
inline constexpr uint8_t kTypeSystem = 0x40;
inline constexpr uint8_t kTypeMacro = 0x70;
inline constexpr uint8_t kTypeMacroRepeat = 0x71;
inline constexpr uint8_t kTypeGunKey = 0x72;
inline constexpr uint8_t kTypeSpecial = 0xA0;
inline constexpr uint8_t kTypeMacroKey = 0xD0;

// HID modifier bits (parameter 1 of a keyboard-key code).
inline constexpr uint8_t kModLCtrl = 0x01;
inline constexpr uint8_t kModLShift = 0x02;
inline constexpr uint8_t kModLAlt = 0x04;
inline constexpr uint8_t kModLWin = 0x08;
inline constexpr uint8_t kModRCtrl = 0x10;
inline constexpr uint8_t kModRShift = 0x20;
inline constexpr uint8_t kModRAlt = 0x40;
inline constexpr uint8_t kModRWin = 0x80;

// Mouse button bits (parameter 1 of a mouse-button code).
inline constexpr uint8_t kButtonLeft = 0x01;
inline constexpr uint8_t kButtonRight = 0x02;
inline constexpr uint8_t kButtonMiddle = 0x04;
inline constexpr uint8_t kButtonBack = 0x08;
inline constexpr uint8_t kButtonForward = 0x10;

// Parameter 1 of the macro-key code.
inline constexpr uint8_t kMacroKeyMarker = 0xA2;

constexpr KeyCode keyCode(uint8_t modifiers, uint8_t usage) { return {kTypeKey, modifiers, usage}; }
constexpr KeyCode consumerCode(uint16_t usage) {
    return {kTypeConsumer, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)};
}
constexpr uint16_t consumerUsage(const KeyCode& code) {
    return static_cast<uint16_t>(code[1] | code[2] << 8);
}

// --- records and rows ---------------------------------------------------------

// The virtual key of a row whose key has none of its own.
inline constexpr uint16_t kNoVirtualKey = 0x0000;
// Marks keys of national layouts that have no virtual key either; several
// rows share it, so it never identifies a row.
inline constexpr uint16_t kUnmappedVirtualKey = 0x00FF;

// A code as assignments hold it: with the Windows-style virtual-key code of
// the key it came from (kNoVirtualKey where none). The key-capture box fills
// the virtual key; the device only ever sees the code.
struct KeyRecord {
    uint16_t virtualKey = kNoVirtualKey;
    KeyCode code{};

    friend bool operator==(const KeyRecord&, const KeyRecord&) = default;
};

// One row of a function table. `name` is a language key; rows of the tables
// whose combo items the skin names itself carry an empty one.
struct KeyFunction {
    std::string_view name;
    KeyRecord record;
};

inline constexpr size_t kKeyboardKeyCount = 142;
inline constexpr size_t kModifierRows = 8;  // rows 0..7: LCtrl ... RWin, usage 0

// Modifiers, ordinary keys, consumer controls, system controls, macro keys
// M1..M5 and the special keys FN, GM and COLOR; names "keyboard_key_" + key.
extern const std::array<KeyFunction, kKeyboardKeyCount> kKeyboardKeys;
// Left, middle, right, forward, back.
extern const std::array<KeyFunction, 5> kMouseButtons;
// DPI functions 1, 2 and 3.
extern const std::array<KeyFunction, 3> kDpiFunctions;
// Consumer controls of the media and web combo, named "media_..." / "web_...".
extern const std::array<KeyFunction, 18> kMediaFunctions;
// Power, sleep, wake.
extern const std::array<KeyFunction, 3> kSystemFunctions;
// Ctrl + O, N, Z, S, C, X, V, F, A, -, =.
extern const std::array<KeyFunction, 11> kKeyCombinations;

// --- lookups --------------------------------------------------------------------
// Each gives the index of the first matching row, or nothing.

// All three bytes must match.
std::optional<size_t> findCode(std::span<const KeyFunction> table, const KeyCode& code);
// Exact, case-sensitive match of the language key; an empty name matches nothing.
std::optional<size_t> findName(std::span<const KeyFunction> table, std::string_view name);
// kNoVirtualKey and kUnmappedVirtualKey match nothing.
std::optional<size_t> findVirtualKey(std::span<const KeyFunction> table, uint16_t virtualKey);

// The keyboard row of a code, or nullptr; the name is what the keyboard page
// shows for a key whose code this is.
const KeyFunction* keyboardKey(const KeyCode& code);

}  // namespace talven::keyfn
