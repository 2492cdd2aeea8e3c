#pragma once
// The keyboard's records and tables as bytes: pure functions, no I/O.
//
//   information   34 bytes; byte 5 key count, byte 6 macro capacity / 128,
//                 bytes 8-9 layout code (little-endian): the board the
//                 firmware drives, 4216 on the compact board, 0 on full ones
//   key table     3 bytes per table position: the key-function code
//   light table   1 byte per table position: its bit in the custom bitmap
//   profile       25 bytes per onboard profile at index x 25
//   custom bitmap 21 bytes; light position p is bit p / 21 of byte p % 21
//   macro memory  one blob (signature, length, count, offsets, records)

#include "device/command_channel.h"
#include "device/keyboard/keyboard_layout.h"
#include "profile/macro_files.h"
#include "profile/profile_records.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace talven::keyboard {

inline constexpr uint8_t kNoPosition = 255;
inline constexpr size_t kInfoKeyCount = 5;
inline constexpr size_t kInfoMacroUnits = 6;
inline constexpr size_t kInfoLayoutCode = 8;  // and 9
inline constexpr size_t kMacroUnit = 128;
inline constexpr size_t kRecordSize = 25;
inline constexpr size_t kBitmapSize = 21;
inline constexpr size_t kStatusSize = 6;
inline constexpr size_t kStatusLinkByte = 3;
// Modes above the custom mode exist only in the application's preview; the
// keyboard is told mode 0 for them.
inline constexpr uint8_t kCustomLightMode = 20;
inline constexpr uint8_t kMaxLevel = 4;  // brightness and speed levels run 0..4

inline uint8_t infoKeyCount(const DeviceInfo& info) { return info[kInfoKeyCount]; }
inline size_t infoMacroCapacity(const DeviceInfo& info) { return info[kInfoMacroUnits] * kMacroUnit; }
inline uint16_t infoLayoutCode(const DeviceInfo& info) {
    return static_cast<uint16_t>(info[kInfoLayoutCode] | info[kInfoLayoutCode + 1] << 8);
}

// --- key and light maps --------------------------------------------------------

// By on-screen key number: the key's position in the keyboard's key table
// and its bit in the custom-light bitmap; kNoPosition when it has none.
struct KeyMaps {
    std::array<uint8_t, kOnScreenKeys> keyPosition;
    std::array<uint8_t, kOnScreenKeys> lightPosition;

    KeyMaps() {
        keyPosition.fill(kNoPosition);
        lightPosition.fill(kNoPosition);
    }
    friend bool operator==(const KeyMaps&, const KeyMaps&) = default;
};

// Each key takes the first table position (below keyCount) holding its
// default code, so the blank keys all share the first empty entry. A key
// numbered below keyCount gets the light table's entry for its position as
// its light bit; keys numbered from keyCount on get none. Key 103 always
// uses light bit 100. Positions past the end of either span count as absent.
KeyMaps buildKeyMaps(std::span<const uint8_t> keyTable, std::span<const uint8_t> lightTable,
                     unsigned keyCount);

// The first on-screen key at table position `position`, if any.
std::optional<uint8_t> keyAtPosition(const KeyMaps& maps, uint8_t position);

// A key table of `keyCount` entries: every key's code at its position, in
// key number order (the blank keys share one position; the last one wins).
// Positions no key maps to are 00 00 00. A key missing from a short list
// goes out with its default code: a damaged profile must not leave a key
// of the keyboard without any function.
std::vector<uint8_t> buildKeyTable(const KeyMaps& maps, std::span<const KeyCode> codes, unsigned keyCount);

// --- profile record --------------------------------------------------------------

// The profile's system settings that live in the keyboard.
struct KeyboardSwitches {
    uint8_t wKey = 0;
    uint8_t sixKey = 0;
    uint8_t winLock = 0;
    uint8_t pollingRate = 0;

    friend bool operator==(const KeyboardSwitches&, const KeyboardSwitches&) = default;
};

// From the profile's words (Key6Flag | PollingRate << 16, WFlag | WinFlag << 16).
KeyboardSwitches switchesFromSystemWords(const KeyboardSystemWords& words);
// The words with the three flags replaced; repeat settings and polling rate kept.
KeyboardSystemWords withFlags(KeyboardSystemWords words, const KeyboardSwitches& switches);

using ProfileRecord = std::array<uint8_t, kRecordSize>;

// Byte 0 = `first`; the light parameters (mode, brightness, speed stored
// inverted, direction, spectrum flag, colour) in bytes 1-8; the switches in
// bytes 19-22. A mode above 20 is stored as 0; a speed above 4 counts as 4,
// so the inverted byte cannot wrap round to a speed the keyboard lacks.
ProfileRecord encodeProfileRecord(uint8_t first, const LightSettings& light, const KeyboardSwitches& switches);

struct DecodedProfileRecord {
    LightSettings light;         // extra fields 0
    KeyboardSwitches switches;   // polling rate is not read back: 0
};
// Brightness and speed are kept within 0..4 whatever the keyboard holds, so
// they can index the level tables.
DecodedProfileRecord decodeProfileRecord(const ProfileRecord& record);

// --- custom-light bitmap -------------------------------------------------------

using CustomBitmap = std::array<uint8_t, kBitmapSize>;

inline constexpr size_t customBitByte(uint8_t position) { return position % kBitmapSize; }
inline constexpr uint8_t customBitMask(uint8_t position) {
    return static_cast<uint8_t>(1u << (position / kBitmapSize));
}
inline constexpr bool validLightPosition(uint8_t position) { return position < kOnScreenKeys; }

// False, and nothing changed, for a position outside the bitmap.
bool setCustomBit(CustomBitmap& bitmap, uint8_t position, bool on);
// The bits of the lit LEDs (LED number = key number; `lit` may be shorter).
CustomBitmap buildCustomBitmap(const KeyMaps& maps, const std::vector<bool>& lit);

// --- macro memory ----------------------------------------------------------------

using EncodedMacro = std::vector<MacroEventBytes>;

inline constexpr uint16_t kMacroSignature = 0x55AA;
inline constexpr size_t kMacroHeaderSize = 16;
inline constexpr size_t kMacroRecordHeaderSize = 4;

// 16 + 6 per macro + 4 per event.
size_t macroBlobLength(std::span<const EncodedMacro> macros);
// Header, offset table and records; nullopt when the blob would be longer
// than its 16-bit length and offset fields can say.
std::optional<std::vector<uint8_t>> buildMacroBlob(std::span<const EncodedMacro> macros);
// How many events must go for a blob of `total` bytes to fit `capacity`.
int macroEventsToRemove(size_t total, size_t capacity);

}  // namespace talven::keyboard
