#include "device/headset/headset_frame.h"

#include "device/lighting/led_frame.h"

#include <algorithm>

namespace talven::headset {

namespace {

uint8_t component(uint32_t led, size_t which) {
    const uint8_t raw = which == 0 ? lighting::ledRed(led) : which == 1 ? lighting::ledGreen(led) : lighting::ledBlue(led);
    return std::min(lighting::scaleChannel(raw, lighting::ledBrightness(led)), kComponentCap);
}

FrameReport report(uint8_t tag, uint8_t command, std::span<const uint32_t> leds, size_t which, int firstLed) {
    FrameReport out{};
    out[0] = kFrameReportId;
    out[1] = tag;
    out[2] = command;
    const int lastLed = firstLed == 0 ? kLedsInFirstCommand : kHeadsetLeds;
    for (int led = firstLed; led < lastLed; ++led) {
        const uint32_t value = static_cast<size_t>(led) < leds.size() ? leds[static_cast<size_t>(led)] : 0;
        out[kValuesAt + static_cast<size_t>(led - firstLed)] = component(value, which);
    }
    return out;
}

}  // namespace

FrameReports buildFrameReports(std::span<const uint32_t> leds) {
    FrameReports reports{};
    size_t next = 0;
    for (size_t which = 0; which < kComponentCommands.size(); ++which) {
        for (uint8_t tag : kFrameTags) {
            reports[next++] = report(tag, kComponentCommands[which][0], leds, which, 0);
            reports[next++] = report(tag, kComponentCommands[which][1], leds, which, kLedsInFirstCommand);
        }
    }
    return reports;
}

}  // namespace talven::headset
