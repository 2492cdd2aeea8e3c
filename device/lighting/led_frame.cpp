#include "device/lighting/led_frame.h"

#include <algorithm>

namespace talven::lighting {

LightFrameBuffer encodeLightFrame(std::span<const uint32_t> frame) {
    LightFrameBuffer out;
    const size_t leds = std::min(frame.size(), kMaxFrameLeds);
    for (size_t i = 0; i < leds; ++i) {
        if (i == kDarkLed) continue;
        const uint32_t led = frame[i];
        const uint8_t brightness = ledBrightness(led);
        uint8_t* bytes = out.bytes.data() + i * kBytesPerLed;
        bytes[0] = scaleChannel(ledRed(led), brightness);
        bytes[1] = scaleChannel(ledGreen(led), brightness);
        bytes[2] = scaleChannel(ledBlue(led), brightness);
    }
    out.length = leds * kBytesPerLed;
    return out;
}

}  // namespace talven::lighting
