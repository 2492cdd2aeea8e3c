#pragma once
// What a client learns about one controller (a connected product) and the
// requests that change it. A controller's data block is laid out by the
// protocol version the client speaks: version 1 adds the vendor, 3 the
// modes' brightness, 4 the zones' segments, 5 zone flags, alternative LED
// names and controller flags.

#include "rgbsdk/sdk_packet.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talven::rgbsdk {

// Colours travel as 32-bit values: red lowest, then green and blue.
inline constexpr uint32_t rgbColour(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16;
}
inline constexpr uint8_t colourRed(uint32_t c) { return static_cast<uint8_t>(c); }
inline constexpr uint8_t colourGreen(uint32_t c) { return static_cast<uint8_t>(c >> 8); }
inline constexpr uint8_t colourBlue(uint32_t c) { return static_cast<uint8_t>(c >> 16); }

namespace device_type {
inline constexpr int32_t Keyboard = 5;
inline constexpr int32_t Mouse = 6;
inline constexpr int32_t MouseMat = 7;
inline constexpr int32_t Headset = 8;
}  // namespace device_type

namespace mode_flag {
inline constexpr uint32_t HasSpeed = 1u << 0;
inline constexpr uint32_t HasDirectionLR = 1u << 1;
inline constexpr uint32_t HasBrightness = 1u << 4;
inline constexpr uint32_t HasPerLedColour = 1u << 5;
inline constexpr uint32_t HasModeSpecificColour = 1u << 6;
inline constexpr uint32_t HasRandomColour = 1u << 7;
}  // namespace mode_flag

namespace colour_mode {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t PerLed = 1;
inline constexpr uint32_t ModeSpecific = 2;
inline constexpr uint32_t Random = 3;
}  // namespace colour_mode

namespace direction {
inline constexpr uint32_t Left = 0;
inline constexpr uint32_t Right = 1;
}  // namespace direction

inline constexpr int32_t kZoneLinear = 1;

struct SdkMode {
    std::string name;
    int32_t value = 0;
    uint32_t flags = 0;
    uint32_t speedMin = 0;
    uint32_t speedMax = 0;
    uint32_t brightnessMin = 0;
    uint32_t brightnessMax = 0;
    uint32_t coloursMin = 0;
    uint32_t coloursMax = 0;
    uint32_t speed = 0;
    uint32_t brightness = 0;
    uint32_t direction = 0;
    uint32_t colourMode = 0;
    std::vector<uint32_t> colours;
    friend bool operator==(const SdkMode&, const SdkMode&) = default;
};

struct SdkZone {
    std::string name;
    int32_t type = kZoneLinear;
    uint32_t ledCount = 0;
};

struct SdkController {
    int32_t type = 0;
    std::string name;
    std::string vendor;
    std::string description;
    std::string version;
    std::string serial;
    std::string location;
    int32_t activeMode = 0;
    std::vector<SdkMode> modes;
    std::vector<SdkZone> zones;
    std::vector<std::string> ledNames;
    std::vector<uint32_t> colours;  // one per LED
};

// The data block for REQUEST_CONTROLLER_DATA, its leading size included.
std::vector<uint8_t> encodeControllerData(const SdkController& controller, uint32_t version);
// One mode as the data block and UPDATEMODE carry it.
void encodeMode(ByteWriter& w, const SdkMode& mode, uint32_t version);

// ---- requests --------------------------------------------------------------
// Each decoder takes a whole payload and gives nothing when it is short,
// when a count runs past it or when a field contradicts another.

struct ModeUpdate {
    int32_t index = 0;
    SdkMode mode;
    uint32_t version = 0;  // it was read by; modes carry a brightness from 3 on
};
std::optional<ModeUpdate> decodeModeUpdate(std::span<const uint8_t> payload, uint32_t version);

// UPDATELEDS: the colours of all LEDs from LED 0 on.
std::optional<std::vector<uint32_t>> decodeUpdateLeds(std::span<const uint8_t> payload);

struct ZoneLeds {
    uint32_t zone = 0;
    std::vector<uint32_t> colours;
};
std::optional<ZoneLeds> decodeZoneLeds(std::span<const uint8_t> payload);

struct SingleLed {
    int32_t led = 0;
    uint32_t colour = 0;
};
std::optional<SingleLed> decodeSingleLed(std::span<const uint8_t> payload);

}  // namespace talven::rgbsdk
