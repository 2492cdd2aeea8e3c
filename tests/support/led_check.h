#pragma once
// One LED of a lighting frame as its four bytes, for comparing frames with
// the colours and levels of the lighting tables and printing them readably.

#include "device/lighting/led_frame.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace talven::test {

struct Led {
    uint8_t r, g, b, level;
    friend bool operator==(const Led&, const Led&) = default;
};

inline Led ledAt(const std::vector<uint32_t>& frame, size_t i) {
    return {lighting::ledRed(frame[i]), lighting::ledGreen(frame[i]), lighting::ledBlue(frame[i]),
            lighting::ledBrightness(frame[i])};
}

inline void PrintTo(const Led& l, std::ostream* os) {
    *os << int(l.r) << "," << int(l.g) << "," << int(l.b) << " @" << int(l.level);
}

}  // namespace talven::test
