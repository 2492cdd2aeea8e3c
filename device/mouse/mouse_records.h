#pragma once
// The mouse's records and tables as bytes: pure functions, no I/O.
//
//   capability    34 bytes; byte 5 key-slot count, byte 6 macro memory / 128,
//                 byte 11 DPI per slider step, 12-13 slider step count,
//                 14-15 DPI of slider position 0 (little-endian)
//   button table  3 bytes per key slot: the slot's key-function code
//   settings      75 bytes per onboard profile at p x 128 (70 written)
//   macro memory  the keyboard's image layout (signature, length, count,
//                 offsets, records); see keyboard_records.h

#include "device/command_channel.h"
#include "profile/profile_records.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace talven::mouse {

inline constexpr size_t kInfoKeySlots = 5;
inline constexpr size_t kInfoMacroUnits = 6;
inline constexpr size_t kInfoDpiStep = 11;
inline constexpr size_t kInfoDpiStepCount = 12;  // and 13
inline constexpr size_t kInfoDpiBase = 14;       // and 15
inline constexpr size_t kMacroUnit = 128;

struct MouseCapabilities {
    unsigned keySlots = 0;
    size_t macroCapacity = 0;
    unsigned dpiStep = 0;
    unsigned dpiStepCount = 0;  // the DPI sliders' maximum
    unsigned dpiBase = 0;

    // The DPI a slider step index stands for.
    unsigned dpiForIndex(unsigned index) const { return index * dpiStep + dpiBase; }
    unsigned dpiMaximum() const { return dpiForIndex(dpiStepCount); }
};
MouseCapabilities decodeCapabilities(const DeviceInfo& info);

// --- buttons ---------------------------------------------------------------------

inline constexpr size_t kLogicalButtons = 11;
// The slot of a logical button the mouse does not have; never written.
inline constexpr uint8_t kNotPresent = 126;

struct MouseButton {
    std::string_view label;  // the button's name on the page
    KeyCode factoryCode;     // how the mouse's factory table lists it
};

// The eleven buttons the page works with, in logical order.
inline constexpr std::array<MouseButton, kLogicalButtons> kMouseButtons = {{
    {"mouse_key_left", {0x10, 0x01, 0x00}},
    {"mouse_key_right", {0x10, 0x02, 0x00}},
    {"mouse_key_middle", {0x10, 0x04, 0x00}},
    {"mouse_key_forward_g", {0x10, 0x10, 0x00}},
    {"mouse_key_back_g", {0x10, 0x08, 0x00}},
    {"mouse_key_DPI_add_g", {0x13, 0x01, 0x00}},
    {"mouse_key_DPI_sub_g", {0x13, 0x02, 0x00}},
    {"mouse_key_G_key_g", {0xD0, 0x00, 0x00}},
    {"mouse_key_DPI_loop", {0x13, 0x03, 0x00}},
    {"keyboard_key_GM", {0xA0, 0x1B, 0x00}},
    {"mouse_key_M8_key", {0x16, 0x90, 0x01}},
}};

// Logical button -> key slot, kNotPresent for a button the table lacks.
using ButtonMap = std::array<uint8_t, kLogicalButtons>;

// Each button takes the first of `slotCount` slots holding its factory code.
// Slots past the end of `table` count as absent.
ButtonMap buildButtonMap(std::span<const uint8_t> table, unsigned slotCount);

// A button table of `slotCount` slots: assignment j in button j's slot;
// slots no button maps to are 00 00 00. A button missing from a short list
// goes out with its factory code, so a damaged profile cannot leave a button
// of the mouse without any function.
std::vector<uint8_t> buildButtonTable(const ButtonMap& map, std::span<const KeyCode> assignments,
                                      unsigned slotCount);

// --- settings block ----------------------------------------------------------------

inline constexpr size_t kSettingsReadSize = 75;
inline constexpr size_t kSettingsWriteSize = 70;
inline constexpr size_t kProfileStride = 128;
inline constexpr size_t kDpiStages = 5;
inline constexpr size_t kDpiStageOffset = 14;
// Modes 0..8 are the mouse's own; anything above is the application's.
inline constexpr uint8_t kMouseLightModes = 9;
inline constexpr uint8_t kMaxLevel = 4;  // brightness and speed levels run 0..4
inline constexpr uint8_t kPollingRates = 5;
inline constexpr uint8_t kLiftOffHeights = 2;

using SettingsBlock = std::array<uint8_t, kSettingsReadSize>;

// What the profile puts into a settings block.
struct MouseSettings {
    LightSettings light;
    std::vector<DpiStage> stages;  // at most five are sent
    uint8_t activeStage = 0;
    uint8_t pollingRate = 0;
    uint8_t liftOff = 0;
    std::vector<CorrectEntry> corrections;
};

// The screen the pointer moves on; flag 0 with size 0 says "none given".
struct ScreenSize {
    uint8_t flag = 0;
    uint16_t width = 0;
    uint16_t height = 0;
};

// The block as written (bytes 70..74 stay 0). The speed goes out as
// 4 - Speed, except over a slow link, whose receiver takes it as it is.
SettingsBlock encodeSettingsBlock(uint8_t first, const MouseSettings& settings, const ScreenSize& screen,
                                  bool slowLink);

struct DecodedMouseSettings {
    uint8_t profile = 0;
    LightSettings light;  // mode, brightness, speed, multi-colour, colour
    uint8_t activeStage = 0;
    uint8_t pollingRate = 0;
    uint8_t liftOff = 0;
    std::array<DpiStage, kDpiStages> stages{};
};
DecodedMouseSettings decodeSettingsBlock(const SettingsBlock& block, bool slowLink);

}  // namespace talven::mouse
