#pragma once
// What the simulated keyboards are made with: their key matrix and the
// function code each key ships with, their light bits, the keyboard bytes of
// the information record and the codes they send unasked.
//
// Information record, beyond the bytes every product fills (firmware_images.h):
//   8..9   layout code, little-endian: the board the firmware drives.
//          0 on the full-size boards; kCompactLayoutCode on the compact
//          board, which has no number pad, navigation block or extra keys.
//
// Matrix: six rows of 21 key places, numbered row * 21 + column. A key's
// light bit in the custom-light bitmap is its number. The key table lists
// the keys in the firmware's scan order, each entry the 3-byte function code
// (type, two parameters; 0x20 = an ordinary key: HID modifier bits, HID usage).

#include "sim/firmware_model.h"
#include "sim/sim_notifications.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace talven::sim {

inline constexpr size_t kInfoLayoutCode = 8;
inline constexpr uint16_t kCompactLayoutCode = 4216;

inline constexpr size_t kMatrixRows = 6;
inline constexpr size_t kMatrixColumns = 21;
inline constexpr size_t kMatrixKeys = kMatrixRows * kMatrixColumns;

using KeyCodeBytes = std::array<uint8_t, 3>;

// The function code each key place ships with, by key number. Places without
// a key hold the empty code 20 00 00.
extern const std::array<KeyCodeBytes, kMatrixKeys> kFactoryKeyCodes;


// The flagship: all 126 places, scanned column by column.
FirmwareImage keyboardK88Image();
// The second full-size board: all 126 places, scanned row by row.
FirmwareImage keyboard7440Image();
// The compact board: 84 keys scanned row by row, layout code 4216.
FirmwareImage compactKeyboardImage();

}  // namespace talven::sim
