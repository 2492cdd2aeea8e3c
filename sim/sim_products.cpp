#include "sim/sim_products.h"

#include "sim/firmware_images.h"
#include "sim/keyboard_firmware.h"
#include "sim/keyboard_model.h"
#include "sim/report_descriptors.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace talven::sim {

namespace {

constexpr size_t kMouseBlockStride = 128;

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
    image.info = baseInfo(1, 4, DeviceType::Mouse, 8, sizeof kMouseButtons / 3, 16);
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
    image.info = baseInfo(1, 1, DeviceType::MousePad, 15, 0, 0);
    image.config = lightingRecords(0, 0, 0, 0);
    image.status = {100, 0, 0, 0, 0, 0};
    return image;
}

FirmwareImage headsetImage() {
    FirmwareImage image;
    image.info = baseInfo(2, 3, DeviceType::Headset, 13, 0, 0);
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

using namespace usb;

const ProductSpec kProducts[] = {
    {"mouse", 0, kNoId, kNoId, DeviceType::Mouse, kConfigInterface, kCommandCollection, kNotificationCollection,
     "TALVEN Gaming Mouse", mouseDescriptor, mouseImage, make<FirmwareModel>},
    {"keyboard", 1, kKeyboardVendorId, kKeyboardProductId, DeviceType::Keyboard, kConfigInterface,
     kCommandCollection, kNotificationCollection, "TALVEN K88 Keyboard", keyboardDescriptor, keyboardK88Image,
     makeKeyboardModel},
    {"mousepad", 2, kMousePadVendorId, kMousePadProductId, DeviceType::MousePad, kConfigInterface,
     kCommandCollection, kNotificationCollection, "TALVEN RGB Mouse Pad", keyboardDescriptor, mousePadImage,
     make<FirmwareModel>},
    {"headset", 3, kHeadsetVendorId, kHeadsetProductId, DeviceType::Headset, kHeadsetInterface, kOnlyCollection,
     kNoCollection, "TALVEN USB Headset", headsetDescriptor, headsetImage, make<HeadsetModel>},
    {"keyboard7440", 4, kNoId, kNoId, DeviceType::Keyboard, kConfigInterface, kCommandCollection,
     kNotificationCollection, "TALVEN 7440 Keyboard", keyboardDescriptor, keyboard7440Image, makeKeyboardModel},
};

// The compact keyboard is sold under the flagship's IDs; only its
// information record tells it apart.
const ProductSpec kVariants[] = {
    {"keyboard-compact", 1, kKeyboardVendorId, kKeyboardProductId, DeviceType::Keyboard, kConfigInterface,
     kCommandCollection, kNotificationCollection, "TALVEN K88 Compact Keyboard", keyboardDescriptor,
     compactKeyboardImage, makeKeyboardModel},
};

std::string namesOf(std::span<const ProductSpec> products) {
    std::string names;
    for (const ProductSpec& p : products) {
        if (!names.empty()) names += ", ";
        names += p.name;
    }
    return names;
}

}  // namespace

std::span<const ProductSpec> simProducts() { return kProducts; }
std::span<const ProductSpec> simVariants() { return kVariants; }

const ProductSpec* findSimProduct(std::string_view name) {
    for (std::span<const ProductSpec> list : {simProducts(), simVariants()}) {
        for (const ProductSpec& p : list) {
            if (p.name == name) return &p;
        }
    }
    return nullptr;
}

std::string simProductNames() { return namesOf(kProducts); }
std::string simVariantNames() { return namesOf(kVariants); }
std::string simKnownNames() { return simProductNames() + ", " + simVariantNames(); }

std::string simEntryName(const ProductSpec& product) {
    return "row" + std::to_string(product.row) + "-" + std::string(product.name) + "-if" +
           std::to_string(product.interfaceNumber);
}

}  // namespace talven::sim
