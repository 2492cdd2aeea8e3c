#pragma once
// One edit of a device's light parameters, as the lighting panel and the
// command-line tool make it: the fields given replace those of the current
// parameters, the others stay.

#include "device/lighting/base_effects.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace talven::lighting {

// Brightness and speed are levels 0..4 on every device.
inline constexpr uint8_t kMaxLightLevel = 4;

struct LightChange {
    std::optional<uint8_t> mode;
    std::optional<uint8_t> brightness;
    std::optional<uint8_t> speed;
    std::optional<uint8_t> direction;  // 1 = FXL, 0 = FXR
    // A colour picked is shown as that colour: it clears the spectrum flag
    // unless the same change sets the flag.
    std::optional<Rgb> colour;
    std::optional<bool> spectrum;
};

LightParams applyLightChange(LightParams params, const LightChange& change);

// A colour component typed as text: decimal, above 255 kept at 255; text
// that is no number (or negative) gives 0.
uint8_t colourComponentFromText(std::string_view text);

}  // namespace talven::lighting
