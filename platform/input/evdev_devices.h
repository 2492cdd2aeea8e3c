#pragma once
// What the evdev capture needs to know about an event device, from its
// key capability bits, kept apart from the device I/O so it can be tested.

#include <cstdint>
#include <span>

namespace talven::input {

struct EvdevKind {
    bool keyboard = false;  // has letter keys and Space: its keys are grabbed
    bool mouse = false;     // has a left button: its buttons are watched
};

// `keyBits`: the EV_KEY capability bitmap as EVIOCGBIT gives it (bit n of
// byte n / 8 set when key code n is supported).
EvdevKind classifyEvdevDevice(std::span<const uint8_t> keyBits);

}  // namespace talven::input
