#include "sim/sim_products.h"

#include "sim/firmware_images.h"
#include "sim/headset_model.h"
#include "sim/keyboard_firmware.h"
#include "sim/keyboard_model.h"
#include "sim/mouse_model.h"
#include "sim/mousepad_model.h"
#include "sim/report_descriptors.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace talven::sim {

namespace {

std::vector<uint8_t> keyboardDescriptor() { return configurableDeviceDescriptor(false); }
std::vector<uint8_t> mouseDescriptor() { return configurableDeviceDescriptor(true); }

using namespace usb;

const ProductSpec kProducts[] = {
    {"mouse", 0, kNoId, kNoId, DeviceType::Mouse, kConfigInterface, kCommandCollection, kNotificationCollection,
     "TALVEN Gaming Mouse", mouseDescriptor, mouseImage, makeMouseModel},
    {"keyboard", 1, kKeyboardVendorId, kKeyboardProductId, DeviceType::Keyboard, kConfigInterface,
     kCommandCollection, kNotificationCollection, "TALVEN K88 Keyboard", keyboardDescriptor, keyboardK88Image,
     makeKeyboardModel},
    {"mousepad", 2, kMousePadVendorId, kMousePadProductId, DeviceType::MousePad, kConfigInterface,
     kCommandCollection, kNotificationCollection, "TALVEN RGB Mouse Pad", keyboardDescriptor, mousePadImage,
     makeMousePadModel},
    {"headset", 3, kHeadsetVendorId, kHeadsetProductId, DeviceType::Headset, kHeadsetInterface, kOnlyCollection,
     kNoCollection, "TALVEN USB Headset", headsetDescriptor, headsetImage, makeHeadsetModel},
    {"keyboard7440", 4, kNoId, kNoId, DeviceType::Keyboard, kConfigInterface, kCommandCollection,
     kNotificationCollection, "TALVEN 7440 Keyboard", keyboardDescriptor, keyboard7440Image, makeKeyboardModel},
};

// The compact keyboard is sold under the flagship's IDs; only its
// information record tells it apart.
const ProductSpec kVariants[] = {
    {"keyboard-compact", 1, kKeyboardVendorId, kKeyboardProductId, DeviceType::Keyboard, kConfigInterface,
     kCommandCollection, kNotificationCollection, "TALVEN K88 Compact Keyboard", keyboardDescriptor,
     compactKeyboardImage, makeKeyboardModel},
    // The mouse behind its wireless receiver: the receiver shows the cabled
    // mouse's identity, and answers for the mouse only while it is in reach.
    {"mouse-wireless", 0, kNoId, kNoId, DeviceType::Mouse, kConfigInterface, kCommandCollection,
     kNotificationCollection, "TALVEN Gaming Mouse Receiver", mouseDescriptor, mouseImage, makeWirelessMouseModel},
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
