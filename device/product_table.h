#pragma once
// The supported products, one page each, in the order the pages are built.

#include "device/hid_records.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace talven {

struct ProductRow {
    std::string_view entryLayout;  // selector entry layout below the skin folder
    std::string_view kindName;     // shown on the selector entry; also the device folder name
    uint16_t vendorId;
    uint16_t productId;
    uint16_t kind;
    uint16_t subKind;
    int pageOrder;
    std::string_view pageLayout;
    int keyCount;
    int ledCount;
    int powerMode;
};

inline constexpr std::string_view kSelectorGroup = "tab_header_device";
inline constexpr std::string_view kPowerLayoutName = "device_power_switch";
inline constexpr std::string_view kLightingPrefix = "velko_light";

inline constexpr std::array<ProductRow, 5> kProductTable = {{
    {"common\\device_ico\\7351\\DeviceOption.xml", "mouse", 0x0000, 0x0000, kind::Mouse, 0, 1,
     "XML\\DeviceXml\\mousedevice1.xml", 6, 8, 0},
    {"common\\device_ico\\7340\\DeviceOption.xml", "keyboard", 0x320F, 0x5029, kind::Keyboard, 0, 0,
     "XML\\DeviceXml\\keyboarddevice.xml", 126, 126, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "MousePad", 0x0C45, 0x6627, kind::MousePad, 0, 2,
     "XML\\DeviceXml\\mousepaddevice.xml", 15, 0, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "HD", 0x0D8C, 0x01DA, kind::Headset, 0, 3,
     "XML\\DeviceXml\\hs6533device.xml", 13, 0, 0},
    {"common\\device_ico\\7440\\DeviceOption.xml", "keyboard7440", 0x0000, 0x0000, kind::Keyboard, 0, 4,
     "XML\\DeviceXml\\keyboarddevice1.xml", 126, 126, 0},
}};

// The product a recognition slot belongs to (same vendor, product and kind;
// a wireless mouse counts as a mouse), or nullptr.
inline const ProductRow* productForSlot(const InterfaceEntry& slot) {
    const uint16_t k = slot.kind == kind::WirelessMouse ? kind::Mouse : slot.kind;
    for (const auto& row : kProductTable)
        if (row.vendorId == slot.vendorId && row.productId == slot.productId && row.kind == k)
            return &row;
    return nullptr;
}

}  // namespace talven
