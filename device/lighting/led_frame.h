#pragma once
// A lighting frame: one 32-bit value per LED holding red, green, blue and
// brightness bytes (low byte first). The brightness scales the colour only
// when the frame is previewed or sent, so effects can fade a colour without
// losing it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace talven::lighting {

using LedFrame = std::vector<uint32_t>;

constexpr uint32_t makeLed(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness) {
    return red | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16 |
           static_cast<uint32_t>(brightness) << 24;
}
constexpr uint8_t ledRed(uint32_t led) { return static_cast<uint8_t>(led); }
constexpr uint8_t ledGreen(uint32_t led) { return static_cast<uint8_t>(led >> 8); }
constexpr uint8_t ledBlue(uint32_t led) { return static_cast<uint8_t>(led >> 16); }
constexpr uint8_t ledBrightness(uint32_t led) { return static_cast<uint8_t>(led >> 24); }

// One colour channel at a brightness, the way the devices dim: c × b / 256.
constexpr uint8_t scaleChannel(uint8_t channel, uint8_t brightness) {
    return static_cast<uint8_t>(channel * brightness / 256);
}

// How the page paints an LED control: the colour red | green << 8 |
// blue << 16 and the LED's brightness, handed over separately.
struct LedPreview {
    uint32_t colour = 0;
    uint8_t brightness = 0;

    friend constexpr bool operator==(const LedPreview&, const LedPreview&) = default;
};
constexpr LedPreview ledPreview(uint32_t led) { return {led & 0xFFFFFFu, ledBrightness(led)}; }

// A preview colour (red | green << 8 | blue << 16) dimmed as the device would
// show it.
constexpr uint32_t scaledColour(uint32_t colour, uint8_t brightness) {
    return scaleChannel(static_cast<uint8_t>(colour), brightness) |
           static_cast<uint32_t>(scaleChannel(static_cast<uint8_t>(colour >> 8), brightness)) << 8 |
           static_cast<uint32_t>(scaleChannel(static_cast<uint8_t>(colour >> 16), brightness))
               << 16;
}

// The bytes of one frame as they go to the device: three per LED (red,
// green, blue, already dimmed by the LED's brightness), LED order, in a
// zero-filled buffer of at most 512 bytes.
inline constexpr size_t kLightFrameCapacity = 512;
inline constexpr size_t kBytesPerLed = 3;
// A frame longer than the buffer sends its first 170 LEDs; the rest cannot
// travel in one frame.
inline constexpr size_t kMaxFrameLeds = kLightFrameCapacity / kBytesPerLed;
// Position 126 always goes out dark, whatever the frame holds there.
inline constexpr size_t kDarkLed = 126;

struct LightFrameBuffer {
    std::array<uint8_t, kLightFrameCapacity> bytes{};
    size_t length = 0;  // LED count × 3, capped to whole LEDs in the buffer

    const uint8_t* data() const { return bytes.data(); }
    std::span<const uint8_t> view() const { return {bytes.data(), length}; }
};

LightFrameBuffer encodeLightFrame(std::span<const uint32_t> frame);

}  // namespace talven::lighting
