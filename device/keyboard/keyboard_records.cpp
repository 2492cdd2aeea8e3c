#include "device/keyboard/keyboard_records.h"

#include <algorithm>

namespace talven::keyboard {

namespace {

// The key behind key number 103 has no LED of its own; it lights with 100.
constexpr size_t kSharedLightKey = 103;
constexpr uint8_t kSharedLightPosition = 100;

constexpr size_t kRecordFirst = 0;
constexpr size_t kRecordMode = 1;
constexpr size_t kRecordBrightness = 2;
constexpr size_t kRecordSpeed = 3;
constexpr size_t kRecordDirection = 4;
constexpr size_t kRecordSpectrum = 5;
constexpr size_t kRecordRed = 6;
constexpr size_t kRecordGreen = 7;
constexpr size_t kRecordBlue = 8;
constexpr size_t kRecordWKey = 19;
constexpr size_t kRecordSixKey = 20;
constexpr size_t kRecordWinLock = 21;
constexpr size_t kRecordPolling = 22;

uint8_t level(uint8_t value) { return std::min(value, kMaxLevel); }

void put16(std::vector<uint8_t>& b, size_t at, size_t value) {
    b[at] = static_cast<uint8_t>(value & 0xFF);
    b[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

KeyMaps buildKeyMaps(std::span<const uint8_t> keyTable, std::span<const uint8_t> lightTable,
                     unsigned keyCount) {
    KeyMaps maps;
    const size_t positions = std::min<size_t>(keyCount, keyTable.size() / 3);
    for (size_t key = 0; key < kOnScreenKeys; ++key) {
        const KeyCode& code = kDefaultCodes[key];
        for (size_t pos = 0; pos < positions; ++pos) {
            if (std::equal(code.begin(), code.end(), keyTable.begin() + 3 * pos)) {
                maps.keyPosition[key] = static_cast<uint8_t>(pos);
                // Light bits go to the key numbers below the key count only:
                // a smaller board's higher-numbered keys stay unlit.
                if (key < keyCount && pos < lightTable.size()) maps.lightPosition[key] = lightTable[pos];
                break;
            }
        }
    }
    maps.lightPosition[kSharedLightKey] = kSharedLightPosition;
    return maps;
}

std::optional<uint8_t> keyAtPosition(const KeyMaps& maps, uint8_t position) {
    if (position == kNoPosition) return std::nullopt;
    for (size_t key = 0; key < kOnScreenKeys; ++key)
        if (maps.keyPosition[key] == position) return static_cast<uint8_t>(key);
    return std::nullopt;
}

std::vector<uint8_t> buildKeyTable(const KeyMaps& maps, std::span<const KeyCode> codes, unsigned keyCount) {
    std::vector<uint8_t> table(static_cast<size_t>(keyCount) * 3, 0);
    for (size_t key = 0; key < kOnScreenKeys; ++key) {
        const uint8_t pos = maps.keyPosition[key];
        if (pos == kNoPosition || pos >= keyCount) continue;
        const KeyCode& code = key < codes.size() ? codes[key] : kDefaultCodes[key];
        std::copy(code.begin(), code.end(), table.begin() + 3 * pos);
    }
    return table;
}

KeyboardSwitches switchesFromSystemWords(const KeyboardSystemWords& words) {
    return {static_cast<uint8_t>(words[2] & 0xFFFF), static_cast<uint8_t>(words[1] & 0xFFFF),
            static_cast<uint8_t>(words[2] >> 16), static_cast<uint8_t>(words[1] >> 16)};
}

KeyboardSystemWords withFlags(KeyboardSystemWords words, const KeyboardSwitches& s) {
    words[1] = (words[1] & 0xFFFF0000u) | s.sixKey;
    words[2] = s.wKey | static_cast<uint32_t>(s.winLock) << 16;
    return words;
}

ProfileRecord encodeProfileRecord(uint8_t first, const LightSettings& light, const KeyboardSwitches& s) {
    ProfileRecord r{};
    r[kRecordFirst] = first;
    r[kRecordMode] = light.selectItem > kCustomLightMode ? 0 : light.selectItem;
    r[kRecordBrightness] = light.light;
    r[kRecordSpeed] = static_cast<uint8_t>(kMaxLevel - level(light.speed));
    r[kRecordDirection] = light.fx;
    r[kRecordSpectrum] = light.multiColor;
    r[kRecordRed] = light.red;
    r[kRecordGreen] = light.green;
    r[kRecordBlue] = light.blue;
    r[kRecordWKey] = s.wKey;
    r[kRecordSixKey] = s.sixKey;
    r[kRecordWinLock] = s.winLock;
    r[kRecordPolling] = s.pollingRate;
    return r;
}

DecodedProfileRecord decodeProfileRecord(const ProfileRecord& r) {
    DecodedProfileRecord d;
    d.light.selectItem = r[kRecordMode];
    d.light.light = level(r[kRecordBrightness]);
    d.light.speed = static_cast<uint8_t>(kMaxLevel - level(r[kRecordSpeed]));
    d.light.fx = r[kRecordDirection];
    d.light.multiColor = r[kRecordSpectrum];
    d.light.red = r[kRecordRed];
    d.light.green = r[kRecordGreen];
    d.light.blue = r[kRecordBlue];
    d.switches = {r[kRecordWKey], r[kRecordSixKey], r[kRecordWinLock], 0};
    return d;
}

bool setCustomBit(CustomBitmap& bitmap, uint8_t position, bool on) {
    if (!validLightPosition(position)) return false;
    uint8_t& byte = bitmap[customBitByte(position)];
    byte = on ? byte | customBitMask(position) : byte & static_cast<uint8_t>(~customBitMask(position));
    return true;
}

CustomBitmap buildCustomBitmap(const KeyMaps& maps, const std::vector<bool>& lit) {
    CustomBitmap bitmap{};
    const size_t leds = std::min(lit.size(), kOnScreenKeys);
    for (size_t led = 0; led < leds; ++led)
        if (lit[led]) setCustomBit(bitmap, maps.lightPosition[led], true);
    return bitmap;
}

size_t macroBlobLength(std::span<const EncodedMacro> macros) {
    size_t total = kMacroHeaderSize;
    for (const EncodedMacro& m : macros) total += 2 + kMacroRecordHeaderSize + 4 * m.size();
    return total;
}

std::optional<std::vector<uint8_t>> buildMacroBlob(std::span<const EncodedMacro> macros) {
    const size_t total = macroBlobLength(macros);
    if (total > 0xFFFF) return std::nullopt;
    std::vector<uint8_t> blob(total, 0);
    put16(blob, 0, kMacroSignature);
    put16(blob, 2, total);
    put16(blob, 4, macros.size());
    size_t record = kMacroHeaderSize + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        put16(blob, kMacroHeaderSize + 2 * i, record);
        put16(blob, record, macros[i].size());
        size_t at = record + kMacroRecordHeaderSize;
        for (const MacroEventBytes& event : macros[i]) {
            std::copy(event.begin(), event.end(), blob.begin() + at);
            at += event.size();
        }
        record = at;
    }
    return blob;
}

int macroEventsToRemove(size_t total, size_t capacity) {
    if (total <= capacity) return 0;
    return static_cast<int>((total - capacity) / 4 + 1);
}

}  // namespace talven::keyboard
