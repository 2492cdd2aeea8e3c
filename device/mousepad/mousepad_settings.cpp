#include "device/mousepad/mousepad_settings.h"

#include <algorithm>

namespace talven::mousepad {

namespace {
// 4 − value in 8 bits, both ways; a level above 4 wraps as the pad would.
uint8_t invertSpeed(uint8_t value) { return static_cast<uint8_t>(kSpeedInversion - value); }
}  // namespace

SettingsBlock fromWire(std::span<const uint8_t, kBlockSize> wire) {
    SettingsBlock block{};
    std::copy(wire.begin(), wire.end(), block.begin());
    block[block_byte::Speed] = invertSpeed(block[block_byte::Speed]);
    return block;
}

std::array<uint8_t, kWrittenBytes> toWire(const SettingsBlock& block) {
    std::array<uint8_t, kWrittenBytes> wire{};
    std::copy_n(block.begin(), kWrittenBytes, wire.begin());
    wire[block_byte::Speed] = invertSpeed(block[block_byte::Speed]);
    return wire;
}

void storeLight(SettingsBlock& block, const LightSettings& light) {
    block[block_byte::Mode] = light.selectItem;
    block[block_byte::Brightness] = light.light;
    block[block_byte::Speed] = light.speed;
    // The pad's wave runs in the direction the user picked only when the
    // direction travels with the other lighting fields.
    block[block_byte::EffectOption] = light.fx;
    block[block_byte::MultiColour] = light.multiColor;
    block[block_byte::Red] = light.red;
    block[block_byte::Green] = light.green;
    block[block_byte::Blue] = light.blue;
}

LightSettings lightOf(const SettingsBlock& block) {
    LightSettings light;
    light.selectItem = block[block_byte::Mode];
    light.light = block[block_byte::Brightness];
    light.speed = block[block_byte::Speed];
    light.fx = block[block_byte::EffectOption];
    light.multiColor = block[block_byte::MultiColour];
    light.red = block[block_byte::Red];
    light.green = block[block_byte::Green];
    light.blue = block[block_byte::Blue];
    return light;
}

}  // namespace talven::mousepad
