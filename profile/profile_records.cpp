#include "profile/profile_records.h"

namespace talven {

LightSettings LightSettings::fromWords(uint32_t word1, uint32_t word2, uint32_t word3) {
    LightSettings s;
    s.selectItem = static_cast<uint8_t>(word1);
    s.light = static_cast<uint8_t>(word1 >> 8);
    s.speed = static_cast<uint8_t>(word1 >> 16);
    s.fx = static_cast<uint8_t>(word1 >> 24);
    s.multiColor = static_cast<uint8_t>(word2);
    s.red = static_cast<uint8_t>(word2 >> 8);
    s.green = static_cast<uint8_t>(word2 >> 16);
    s.blue = static_cast<uint8_t>(word2 >> 24);
    s.extraWord = static_cast<uint16_t>(word3);
    s.extraByte = static_cast<uint8_t>(word3 >> 16);
    return s;
}

uint32_t LightSettings::word1() const {
    return selectItem | static_cast<uint32_t>(light) << 8 | static_cast<uint32_t>(speed) << 16 |
           static_cast<uint32_t>(fx) << 24;
}

uint32_t LightSettings::word2() const {
    return multiColor | static_cast<uint32_t>(red) << 8 | static_cast<uint32_t>(green) << 16 |
           static_cast<uint32_t>(blue) << 24;
}

uint32_t LightSettings::word3() const { return extraWord | static_cast<uint32_t>(extraByte) << 16; }

std::array<uint8_t, DpiStage::kWireSize> DpiStage::toBytes() const {
    return {enabled,
            xyFlag,
            static_cast<uint8_t>(dpiX),
            static_cast<uint8_t>(dpiX >> 8),
            static_cast<uint8_t>(dpiY),
            static_cast<uint8_t>(dpiY >> 8),
            red,
            green,
            blue};
}

DpiStage DpiStage::fromBytes(const std::array<uint8_t, kWireSize>& b) {
    DpiStage s;
    s.enabled = b[0];
    s.xyFlag = b[1];
    s.dpiX = static_cast<uint16_t>(b[2] | b[3] << 8);
    s.dpiY = static_cast<uint16_t>(b[4] | b[5] << 8);
    s.red = b[6];
    s.green = b[7];
    s.blue = b[8];
    return s;
}

}  // namespace talven
