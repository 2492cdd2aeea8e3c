#include "platform/input/evdev_devices.h"

#include <linux/input-event-codes.h>

namespace talven::input {

namespace {

bool hasBit(std::span<const uint8_t> bits, unsigned n) {
    return n / 8 < bits.size() && (bits[n / 8] >> (n % 8) & 1) != 0;
}

}  // namespace

EvdevKind classifyEvdevDevice(std::span<const uint8_t> keyBits) {
    EvdevKind kind;
    // Power buttons and headset controls report keys too; a keyboard is
    // what can type.
    kind.keyboard = hasBit(keyBits, KEY_A) && hasBit(keyBits, KEY_Z) && hasBit(keyBits, KEY_SPACE);
    kind.mouse = hasBit(keyBits, BTN_LEFT);
    return kind;
}

}  // namespace talven::input
