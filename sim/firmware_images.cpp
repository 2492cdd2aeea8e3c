#include "sim/firmware_images.h"

namespace talven::sim {

namespace {
constexpr size_t kInfoVersionMajor = 0;
constexpr size_t kInfoVersionMinor = 1;
constexpr size_t kInfoDeviceType = 2;
constexpr size_t kInfoLedCount = 4;
constexpr size_t kInfoBuild = 32;
constexpr uint16_t kFirmwareBuild = 0x0231;
}  // namespace

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

std::array<uint8_t, kInfoSize> baseInfo(uint8_t versionMajor, uint8_t versionMinor, DeviceType type,
                                        uint8_t ledCount, uint8_t keyCount, uint8_t macroUnits) {
    std::array<uint8_t, kInfoSize> info{};
    info[kInfoVersionMajor] = versionMajor;
    info[kInfoVersionMinor] = versionMinor;
    info[kInfoDeviceType] = static_cast<uint8_t>(type);
    info[kInfoLedCount] = ledCount;
    info[kInfoKeyCount] = keyCount;
    info[kInfoMacroUnits] = macroUnits;
    info[kInfoProfileCount] = kOnboardProfiles;
    info[kInfoBuild] = static_cast<uint8_t>(kFirmwareBuild & 0xFF);
    info[kInfoBuild + 1] = static_cast<uint8_t>(kFirmwareBuild >> 8);
    return info;
}

std::vector<uint8_t> lightingRecords(uint8_t w, uint8_t sixKey, uint8_t winLock, uint8_t polling) {
    std::vector<uint8_t> config(kOnboardProfiles * kLightingRecordSize, 0);
    for (size_t p = 0; p < kOnboardProfiles; ++p) {
        uint8_t* r = config.data() + p * kLightingRecordSize;
        r[0] = 0;                             // active profile (meaningful in record 0)
        r[1] = static_cast<uint8_t>(p + 1);  // lighting mode
        r[2] = 4;                             // brightness
        r[3] = 4 - 2;                         // speed level 2, stored inverted
        r[4] = 0;                             // direction
        r[5] = 1;                             // colours from the spectrum
        r[6] = 0xFF;
        r[7] = static_cast<uint8_t>(0x40 * p);
        r[8] = 0x00;
        r[19] = w;
        r[20] = sixKey;
        r[21] = winLock;
        r[22] = polling;
    }
    return config;
}

}  // namespace talven::sim
