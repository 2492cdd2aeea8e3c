#include "sim/sim_products.h"

#include "device/hid_records.h"
#include "device/keyboard/keyboard_layout.h"
#include "sim/keyboard_model.h"
#include "sim/report_descriptors.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace talven::sim {

namespace {

constexpr size_t kOnboardProfiles = 5;
constexpr size_t kKeyboardRecordSize = 25;
constexpr size_t kMouseBlockStride = 128;

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// The parts of the information record every product fills the same way.
std::array<uint8_t, kInfoSize> baseInfo(uint8_t versionMajor, uint8_t versionMinor, uint16_t kind,
                                        uint8_t ledCount, uint8_t keyCount, uint8_t macroUnits) {
    std::array<uint8_t, kInfoSize> info{};
    info[0] = versionMajor;
    info[1] = versionMinor;
    info[2] = static_cast<uint8_t>(kind);
    info[4] = ledCount;
    info[kInfoKeyCount] = keyCount;
    info[kInfoMacroUnits] = macroUnits;
    info[kInfoProfileCount] = kOnboardProfiles;
    info[32] = 0x31;  // firmware build number, little-endian
    info[33] = 0x02;
    return info;
}

// Onboard lighting records of 25 bytes (keyboard, mouse pad, headset): byte 0
// of the first one is the active profile.
std::vector<uint8_t> lightingRecords(uint8_t w, uint8_t sixKey, uint8_t winLock, uint8_t polling) {
    std::vector<uint8_t> config(kOnboardProfiles * kKeyboardRecordSize, 0);
    for (size_t p = 0; p < kOnboardProfiles; ++p) {
        uint8_t* r = config.data() + p * kKeyboardRecordSize;
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

enum class ScanOrder { Columns, Rows };

// The keyboard's key table lists its keys in the firmware's scan order, so
// table positions are not the key numbers the application shows; the light
// table gives each position's bit in the custom-light bitmap (row * 21 + column,
// the key number). The codes are the ones the keys ship with.
FirmwareImage keyboardImage(ScanOrder order, uint8_t versionMinor) {
    using namespace keyboard;
    constexpr auto keys = static_cast<uint8_t>(kOnScreenKeys);
    FirmwareImage image;
    image.info = baseInfo(1, versionMinor, kind::Keyboard, keys, keys, 32);
    image.keyTable.resize(kOnScreenKeys * 3);
    image.lightPositions.resize(kOnScreenKeys);
    for (size_t row = 0; row < kRows; ++row) {
        for (size_t col = 0; col < kColumns; ++col) {
            const size_t key = row * kColumns + col;
            const size_t pos = order == ScanOrder::Rows ? key : col * kRows + row;
            std::copy(kDefaultCodes[key].begin(), kDefaultCodes[key].end(), image.keyTable.begin() + pos * 3);
            image.lightPositions[pos] = static_cast<uint8_t>(key);
        }
    }
    image.config = lightingRecords(0, 0, 0, 3);
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

FirmwareImage keyboardK88Image() { return keyboardImage(ScanOrder::Columns, 7); }
FirmwareImage keyboard7440Image() { return keyboardImage(ScanOrder::Rows, 2); }

// Button slots in the mouse's own order; the last slot is unassigned.
constexpr uint8_t kMouseButtons[] = {
    0x10, 0x01, 0x00,  // left
    0x10, 0x02, 0x00,  // right
    0x10, 0x04, 0x00,  // middle
    0x10, 0x08, 0x00,  // back
    0x10, 0x10, 0x00,  // forward
    0x13, 0x01, 0x00,  // DPI up
    0x13, 0x02, 0x00,  // DPI down
    0x13, 0x03, 0x00,  // DPI cycle
    0xD0, 0x00, 0x00,  // G key
    0xA0, 0x1B, 0x00,  // game mode
    0x16, 0x90, 0x01,  // M8
    0x00, 0x00, 0x00,  // unassigned
};

FirmwareImage mouseImage() {
    constexpr uint16_t kDpiStep = 50, kDpiSteps = 519, kDpiBase = 100;
    FirmwareImage image;
    image.info = baseInfo(1, 4, kind::Mouse, 8, sizeof kMouseButtons / 3, 16);
    image.info[11] = kDpiStep;
    image.info[12] = kDpiSteps & 0xFF;
    image.info[13] = kDpiSteps >> 8;
    image.info[14] = kDpiBase & 0xFF;
    image.info[15] = kDpiBase >> 8;
    image.keyTable.assign(std::begin(kMouseButtons), std::end(kMouseButtons));

    constexpr uint16_t kStageDpi[5] = {400, 800, 1600, 3200, 6400};
    constexpr uint8_t kStageColour[5][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    image.config.assign(kOnboardProfiles * kMouseBlockStride, 0);
    for (size_t p = 0; p < kOnboardProfiles; ++p) {
        const size_t b = p * kMouseBlockStride;
        image.config[b + 0] = static_cast<uint8_t>(p);  // block 0: the active profile
        image.config[b + 1] = 1;                        // lighting mode
        image.config[b + 2] = 3;                        // brightness
        image.config[b + 3] = 4 - 2;                    // speed
        image.config[b + 5] = 1;                        // multi-colour
        image.config[b + 6] = 0xFF;
        image.config[b + 11] = 3;                       // polling-rate index
        image.config[b + 12] = 1;                       // active DPI stage
        for (size_t s = 0; s < 5; ++s) {
            const size_t at = b + 14 + 9 * s;
            const uint16_t index = (kStageDpi[s] - kDpiBase) / kDpiStep;
            image.config[at] = 1;
            put16(image.config, at + 2, index);
            put16(image.config, at + 4, index);
            std::copy_n(kStageColour[s], 3, image.config.begin() + at + 6);
        }
        image.config[b + 59] = 1;
        put16(image.config, b + 60, 1920);
        put16(image.config, b + 62, 1080);
        image.config[b + 70] = 0x33;  // sensor model, read only
    }
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

FirmwareImage mousePadImage() {
    FirmwareImage image;
    image.info = baseInfo(1, 1, kind::MousePad, 15, 0, 0);
    image.config = lightingRecords(0, 0, 0, 0);
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

FirmwareImage headsetImage() {
    FirmwareImage image;
    image.info = baseInfo(2, 3, kind::Headset, 13, 0, 0);
    image.config = lightingRecords(0, 0, 0, 0);
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

// The headset has no notification collection: its ear-cup buttons are bits
// of report 1 in its only (consumer) collection.
class HeadsetModel : public FirmwareModel {
public:
    using FirmwareModel::FirmwareModel;

    std::optional<std::vector<Report>> notificationReports(uint16_t usage) const override {
        static constexpr uint16_t kButtons[] = {0xE9, 0xEA, 0xE2};  // volume up, down, mute
        for (size_t bit = 0; bit < std::size(kButtons); ++bit) {
            if (kButtons[bit] == usage) {
                return std::vector<Report>{{report::HeadsetButtons, static_cast<uint8_t>(1u << bit)},
                                           {report::HeadsetButtons, 0x00}};
            }
        }
        return std::nullopt;
    }
};

template <typename Model>
std::unique_ptr<FirmwareModel> make(const FirmwareImage& image) {
    return std::make_unique<Model>(image);
}

std::vector<uint8_t> keyboardDescriptor() { return configurableDeviceDescriptor(false); }
std::vector<uint8_t> mouseDescriptor() { return configurableDeviceDescriptor(true); }

const ProductSpec kProducts[] = {
    {"mouse", 0, 0x0000, 0x0000, kind::Mouse, 1, "TALVEN Gaming Mouse", mouseDescriptor, mouseImage,
     make<FirmwareModel>},
    {"keyboard", 1, 0x320F, 0x5029, kind::Keyboard, 1, "TALVEN K88 Keyboard", keyboardDescriptor,
     keyboardK88Image, makeKeyboardModel},
    {"mousepad", 2, 0x0C45, 0x6627, kind::MousePad, 1, "TALVEN RGB Mouse Pad", keyboardDescriptor,
     mousePadImage, make<FirmwareModel>},
    {"headset", 3, 0x0D8C, 0x01DA, kind::Headset, 3, "TALVEN USB Headset", headsetDescriptor, headsetImage,
     make<HeadsetModel>},
    {"keyboard7440", 4, 0x0000, 0x0000, kind::Keyboard, 1, "TALVEN 7440 Keyboard", keyboardDescriptor,
     keyboard7440Image, makeKeyboardModel},
};

}  // namespace

std::span<const ProductSpec> simProducts() { return kProducts; }

const ProductSpec* findSimProduct(std::string_view name) {
    for (const ProductSpec& p : kProducts) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

std::string simProductNames() {
    std::string names;
    for (const ProductSpec& p : kProducts) {
        if (!names.empty()) names += ", ";
        names += p.name;
    }
    return names;
}

std::string simEntryName(const ProductSpec& product) {
    return "row" + std::to_string(product.row) + "-" + std::string(product.name) + "-if" +
           std::to_string(product.interfaceNumber);
}

}  // namespace talven::sim
