#pragma once
// The typed records a device object exchanges with its profile-data object,
// and the packings of the words it hands over. The profile file keeps plain
// JSON integers; these records are what the device code works with.

#include <array>
#include <cstdint>
#include <string>

namespace talven {

// Key function codes travel as three bytes (type, parameter 1, parameter 2);
// the profile file keeps them as one integer byte1 << 16 | byte2 << 8 | byte3.
using KeyCode = std::array<uint8_t, 3>;

constexpr uint32_t keyCodeValue(const KeyCode& code) {
    return static_cast<uint32_t>(code[0]) << 16 | static_cast<uint32_t>(code[1]) << 8 | code[2];
}
constexpr KeyCode keyCodeFromValue(uint32_t value) {
    return {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

// The profile's main lighting: mode, brightness level, speed level, effect
// option (the direction on keyboards), spectrum flag and colour. The last two
// fields belong to the device object; the file does not carry them.
struct LightSettings {
    uint8_t selectItem = 0;
    uint8_t light = 0;
    uint8_t speed = 0;
    uint8_t fx = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint16_t extraWord = 0;
    uint8_t extraByte = 0;

    // word 1 = SelectItem | Light << 8 | Speed << 16 | Fx << 24;
    // word 2 = MultiColor | Red << 8 | Green << 16 | Blue << 24;
    // word 3 = extraWord | extraByte << 16.
    static LightSettings fromWords(uint32_t word1, uint32_t word2, uint32_t word3);
    uint32_t word1() const;
    uint32_t word2() const;
    uint32_t word3() const;

    friend bool operator==(const LightSettings&, const LightSettings&) = default;
};

// One light zone of the "LightList" (read only, from the factory entry).
struct LedEntry {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t present = 0;  // 0 when the element was null

    friend bool operator==(const LedEntry&, const LedEntry&) = default;
};

// One step of a user light effect file.
struct LedEffect {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    int32_t time = 0;
    int32_t cycle = 0;

    friend bool operator==(const LedEffect&, const LedEffect&) = default;
};

// One key slot of the "KeyList": the slot number twice (as the device's key
// records carry it), the current and the factory function code.
struct KeySlot {
    uint16_t slot = 0;
    KeyCode assignment{};
    uint16_t defaultSlot = 0;
    KeyCode defaultAssignment{};

    friend bool operator==(const KeySlot&, const KeySlot&) = default;
};

// One key colour of the keyboard's custom lighting mode.
struct CustomLightColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    friend bool operator==(const CustomLightColor&, const CustomLightColor&) = default;
};

// One mouse DPI stage. dpiX and dpiY are slider step indices, not DPI.
struct DpiStage {
    uint8_t enabled = 0;
    uint8_t xyFlag = 0;
    uint16_t dpiX = 0;
    uint16_t dpiY = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    // The 9-byte form the mouse keeps in memory and sends: enabled, xyFlag,
    // dpiX and dpiY little-endian, red, green, blue.
    static constexpr size_t kWireSize = 9;
    std::array<uint8_t, kWireSize> toBytes() const;
    static DpiStage fromBytes(const std::array<uint8_t, kWireSize>& bytes);

    friend bool operator==(const DpiStage&, const DpiStage&) = default;
};

// One sensor correction preset of the mouse (read only, from the factory
// entry). The name is UTF-8.
struct CorrectEntry {
    uint8_t pixThresh = 0;
    uint8_t minSq = 0;
    uint8_t select = 0;
    std::string name;

    friend bool operator==(const CorrectEntry&, const CorrectEntry&) = default;
};

// The halves of a system word: its low and its high 16 bits.
constexpr uint16_t lowHalf(uint32_t word) { return static_cast<uint16_t>(word & 0xFFFF); }
constexpr uint16_t highHalf(uint32_t word) { return static_cast<uint16_t>(word >> 16); }
constexpr uint32_t packHalves(uint16_t low, uint16_t high) { return low | static_cast<uint32_t>(high) << 16; }

// Keyboard system words: Repeat | RepeatDelay << 16, Key6Flag | PollingRate
// << 16, WFlag | WinFlag << 16.
using KeyboardSystemWords = std::array<uint32_t, 3>;

// Mouse system words: DoubleClickTime | MouseSpeed << 16, PointerPrecision |
// ScorllPage << 16, WheelScorlllinse | report-rate stage << 16, lift-height
// stage.
using MouseSystemWords = std::array<uint32_t, 4>;

// Headset settings in file order: MagicEnable, MagicType, EqType,
// CustomEqSeletIndex, MicInSelect, MicInValue, MicMoniterSelect,
// MicMoniterValue.
using HeadsetSystemRecord = std::array<int32_t, 8>;

// The desktop's input settings that the keyboard and mouse pages show next to
// the device's own. The platform layer fills it; the profile only converts.
struct SystemInputValues {
    uint32_t keyboardSpeed = 0;        // repeat rate, 0..31
    uint32_t keyboardDelay = 0;        // repeat delay index, 0..3
    uint32_t doubleClickTimeMs = 500;  // milliseconds
    uint32_t mouseSpeed = 10;          // pointer speed, 1..20
    uint32_t wheelScrollLines = 3;     // kWheelPageScroll means "one page"
    uint32_t mouseAcceleration = 0;    // pointer precision on (1) or off (0)
};

inline constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;

// The double-click slider level of a double-click time: 10 - (ms - 200) / 70
// (200 ms gives 10, 900 ms gives 0). The time is first kept to 200..900 ms:
// the slider's own ends write 100 and 1100 ms (below), which the bare formula
// would wrap round to levels in the tens of thousands.
constexpr uint16_t doubleClickLevel(uint32_t milliseconds) {
    const uint32_t ms = milliseconds < 200u ? 200u : milliseconds > 900u ? 900u : milliseconds;
    return static_cast<uint16_t>(10u - (ms - 200u) / 70u);
}

// The double-click time of a slider level: (maximum - level + 1) x 100 ms,
// the level first capped at the maximum.
constexpr uint32_t doubleClickMsFromLevel(uint32_t maximum, uint32_t level) {
    return (maximum - (level < maximum ? level : maximum) + 1u) * 100u;
}

}  // namespace talven
