#include "device/lighting/light_change.h"

#include <charconv>

namespace talven::lighting {

LightParams applyLightChange(LightParams params, const LightChange& change) {
    if (change.mode) params.selectItem = *change.mode;
    if (change.brightness) params.light = *change.brightness;
    if (change.speed) params.speed = *change.speed;
    if (change.direction) params.fx = *change.direction;
    if (change.colour) {
        params.red = change.colour->red;
        params.green = change.colour->green;
        params.blue = change.colour->blue;
        params.multiColor = 0;
    }
    if (change.spectrum) params.multiColor = *change.spectrum ? 1 : 0;
    return params;
}

uint8_t colourComponentFromText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    // Digits only: a long number is still above 255 however many digits.
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0) return 0;
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + digits, value);
    if (error == std::errc::result_out_of_range || value > 255) return 255;
    return static_cast<uint8_t>(value);
}

}  // namespace talven::lighting
