// Fuzzed profiles through the device encoders: a keyboard or mouse profile
// file and the macro files of its folder are loaded as the pages load them,
// then turned into the records, tables and macro image the device gets.
//
// Input: kind byte (even keyboard, odd mouse), key or slot count byte, then
// three pieces, each a 16-bit little-endian length and its bytes: the
// profile file, "macro.config" and "m.mac" (the seeds' lists name Guid "m").
// Whatever follows is ignored.
//
// Checked beyond crashes: every encoded buffer has exactly the size its
// device record has, the macro image is as long as macroBlobLength says and
// fits its 16-bit fields, and the mouse never gets more DPI stages than its
// block holds.

#include "device/keyboard/keyboard_profile_apply.h"
#include "device/keyboard/keyboard_records.h"
#include "device/mouse/mouse_profile_apply.h"
#include "device/mouse/mouse_protocol.h"
#include "device/mouse/mouse_records.h"
#include "fuzz_support.h"
#include "profile/macro_files.h"

#include <cstdlib>
#include <numeric>
#include <string>

using namespace talven;

namespace {

constexpr size_t kMaxTableBytes = CommandChannel::kMaxTableSize;

void require(bool condition) {
    if (!condition) std::abort();
}

std::string_view textOf(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// A device table whose position i holds code i: every key finds a place.
std::vector<uint8_t> sequentialTable(unsigned entries) {
    std::vector<uint8_t> table(entries * 3u, 0);
    for (unsigned i = 0; i < entries; ++i) table[i * 3u + 1] = static_cast<uint8_t>(i);
    return table;
}

void checkMacroImage(std::span<const keyboard::EncodedMacro> macros) {
    const size_t expected = keyboard::macroBlobLength(macros);
    const auto image = keyboard::buildMacroBlob(macros);
    if (!image) {
        require(expected > 0xFFFF);
        return;
    }
    require(image->size() == expected && image->size() <= 0xFFFF);
}

void encodeKeyboard(const std::string& folder, unsigned keyCount) {
    keyboard::KeyboardProfileValues values;
    std::string error;
    if (!keyboard::loadKeyboardProfile(folder + "profile.Json", folder + "factory.Json", folder, values, &error)) return;
    const auto switches = keyboard::switchesFromSystemWords(values.system);
    const auto record = keyboard::encodeProfileRecord(0, values.light, switches);
    const auto decoded = keyboard::decodeProfileRecord(record);
    require(decoded.light.light <= 4 && decoded.light.speed <= 4);
    const unsigned count = std::min<unsigned>(keyCount, kMaxTableBytes / 3);
    const auto deviceTable = sequentialTable(count);
    std::vector<uint8_t> lights(count);
    std::iota(lights.begin(), lights.end(), uint8_t{0});
    const auto maps = keyboard::buildKeyMaps(deviceTable, lights, count);
    require(keyboard::buildKeyTable(maps, values.keys, count).size() == count * 3u);
    checkMacroImage(values.macros);
}

void encodeMouse(const std::string& folder, unsigned slotCount) {
    mouse::MouseProfileValues values;
    std::string error;
    if (!mouse::loadMouseProfile(folder + "profile.Json", folder + "factory.Json", folder, values, &error)) return;
    for (bool slowLink : {false, true}) {
        const auto block = mouse::encodeSettingsBlock(0, values.settings, {1, 1920, 1080}, slowLink);
        const auto decoded = mouse::decodeSettingsBlock(block, slowLink);
        require(decoded.stages.size() == mouse::kDpiStages);
    }
    const unsigned slots = std::min<unsigned>(slotCount, kMaxTableBytes / 3);
    const auto map = mouse::buildButtonMap(sequentialTable(slots), slots);
    require(mouse::buildButtonTable(map, values.buttons, slots).size() == slots * 3u);
    checkMacroImage(values.macros);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    const bool mouse = input.byte() & 1;
    const unsigned count = input.byte();
    fuzz::clearScratchFolder();
    fuzz::writeScratchFile("profile.Json", textOf(input.take(input.word())));
    fuzz::writeScratchFile(kMacroListFileName, textOf(input.take(input.word())));
    fuzz::writeScratchFile("m.mac", textOf(input.take(input.word())));
    const std::string& folder = fuzz::scratchFolder();
    if (mouse)
        encodeMouse(folder, count);
    else
        encodeKeyboard(folder, count);
    return 0;
}
