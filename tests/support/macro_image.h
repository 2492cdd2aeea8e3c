#pragma once
// Reads a keyboard's macro memory back into macros, the way the keyboard's
// firmware walks it, so tests can say what a download left in the simulated
// keyboard without trusting the encoder that built it.
//
// Layout (16-bit words little-endian):
//   0   signature AA 55
//   2   length of the whole image in bytes
//   4   macro count n
//   6   ten bytes 0
//   16  n offsets, each from the start of the image to a macro's record
//   ... records in the same order: event count e, two bytes 0, e events of
//       four bytes: delay (16 bits), type with bit 7 for a press, button.
// Nothing else may sit between or after the records: the length is
// 16 + 6n + 4 x (all events).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talven::test {

struct ImageEvent {
    uint16_t delay = 0;
    uint8_t type = 0;  // bit 7 cleared
    bool down = false;
    uint8_t button = 0;

    friend bool operator==(const ImageEvent&, const ImageEvent&) = default;
};

using ImageMacro = std::vector<ImageEvent>;

struct MacroImage {
    size_t length = 0;             // as the header says
    std::vector<ImageMacro> macros;  // in offset-table order
};

// The image at the start of `memory` (which may be longer: the rest of the
// keyboard's macro memory). nullopt, with `why` saying what is wrong, for
// anything the layout above does not allow.
std::optional<MacroImage> decodeMacroImage(std::span<const uint8_t> memory, std::string* why);

// "delay:type:d|u:button" per event, for readable failure messages.
std::string describe(const ImageMacro& macro);

}  // namespace talven::test
