#pragma once
// The state of the key assignment panel and its translation to and from a
// key-function record. The panel shows one function category at a time; each
// category keeps its own controls' values, so switching back and forth loses
// nothing the user typed. Encoding reads only the shown category's values.

#include "device/key_functions.h"

#include <array>
#include <cstdint>
#include <optional>

namespace talven::keyfn {

// The number each entry of the category combo carries.
enum class Category : int {
    Default = 0,
    MouseButton = 1,
    Swing = 2,
    Wheel = 3,
    Dpi = 4,
    Fire = 5,
    Key = 6,
    Media = 7,
    System = 8,
    Macro = 9,
    GunKey = 10,
    Combination = 11,
    Disable = 12,
};
inline constexpr int kCategoryCount = 13;

// Modifier options: 0 none, 1..4 LCtrl, LShift, LAlt, LWin.
inline constexpr int kModifierOptionCount = 5;
// The macro run mode that repeats the macro a given number of times.
inline constexpr int kMacroRepeatMode = 4;
inline constexpr int kMacroRunModeCount = 5;
inline constexpr int kGunKeyCount = 4;

// Swing and wheel: direction 0 or 1; count and delay fill one nibble each.
// `amount` is the swing's speed or the wheel's signed step.
struct MotionState {
    int direction = 0;
    int count = 0;
    int delay = 0;
    int amount = 0;

    friend bool operator==(const MotionState&, const MotionState&) = default;
};

// The key caught by the capture box. `modifiers` are the bits the key is
// itself (a modifier key has no usage of its own), or bits of a stored code
// that no modifier option offers.
struct CapturedKey {
    bool present = false;
    uint16_t virtualKey = kNoVirtualKey;
    uint8_t usage = 0;
    uint8_t modifiers = 0;

    friend bool operator==(const CapturedKey&, const CapturedKey&) = default;
};

// A combo with nothing selected holds -1.
struct AssignmentState {
    Category category = Category::Default;
    int mouseButton = 0;  // row of kMouseButtons
    MotionState swing;
    MotionState wheel;
    int dpi = 0;  // row of kDpiFunctions
    int fireInterval = 0;
    int fireCount = 0;
    CapturedKey key;
    int modifierOption = 0;
    int media = 0;        // row of kMediaFunctions
    int system = 0;       // row of kSystemFunctions
    int combination = 0;  // row of kKeyCombinations
    int macro = 0;        // index in the macro list
    int macroRunMode = 0;
    int macroRepeat = 0;
    int gunKey = 0;

    friend bool operator==(const AssignmentState&, const AssignmentState&) = default;
};

// The record the state stands for; the default record for category 0. Nothing
// when the shown category's combo has no row selected (or names a row its
// table lacks): there is then no function to store.
std::optional<KeyRecord> encodeAssignment(const AssignmentState& state, const KeyRecord& defaultRecord);

// The state that shows `current`: category 0 when it equals the default.
// A code whose type the panel has no category for shows category 0 too.
AssignmentState decodeAssignment(const KeyRecord& current, const KeyRecord& defaultRecord);

// A key from the capture box: a modifier key brings its own modifier bit.
CapturedKey capturedKey(uint16_t virtualKey, uint8_t usage);

// The keyboard-table row that names what a key-function code's key is (its
// usage with no modifier, or the modifier alone), or nothing.
std::optional<size_t> capturedKeyRow(const CapturedKey& key);

// A code as profiles keep it (without a virtual key) made a record: the
// virtual key is that of the keyboard row the code names, none where no row
// does. A key's current and default code get theirs the same way, so equal
// codes make equal records.
KeyRecord storedRecord(const KeyCode& code);

// The 6-byte form: virtual key (little-endian), type, parameters, 0.
using RecordBytes = std::array<uint8_t, 6>;
RecordBytes recordBytes(const KeyRecord& record);
KeyRecord recordFromBytes(const RecordBytes& bytes);

}  // namespace talven::keyfn
