#pragma once
// The interface recognition table and the main window's slots built from it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talven {

namespace kind {
inline constexpr uint16_t Keyboard = 1;
inline constexpr uint16_t Mouse = 2;
inline constexpr uint16_t MousePad = 3;
inline constexpr uint16_t WirelessMouse = 6;  // a mouse behind a slow link
inline constexpr uint16_t Headset = 7;
}  // namespace kind

namespace role {
inline constexpr uint16_t Command = 0;
inline constexpr uint16_t Event = 0xFF;
}  // namespace role

struct InterfaceEntry {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t kind = 0;
    uint16_t role = 0;
    uint16_t occupied = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    std::string path;

    bool free() const { return occupied == 0 || path.empty(); }
};

// Which interfaces belong to a supported product, and in which role. A
// product with command and event interfaces takes a pair of rows: the
// vendor-defined collection 4 for commands, the consumer-control collection 3
// for notifications. Rows with vendor and product 0 only match devices that
// report 0 for both.
inline const std::array<InterfaceEntry, 9>& recognitionTable() {
    static const std::array<InterfaceEntry, 9> table = {{
        {0x320F, 0x5029, 1, 4, kind::Keyboard, role::Command, 0, 0xFF1C, 0x92, 0, 0, {}},
        {0x320F, 0x5029, 1, 3, kind::Keyboard, role::Event, 0, 0x000C, 0x01, 0, 0, {}},
        {0x0000, 0x0000, 1, 4, kind::Mouse, role::Command, 0, 0xFF1C, 0x92, 0, 0, {}},
        {0x0000, 0x0000, 1, 3, kind::Mouse, role::Event, 0, 0x000C, 0x01, 0, 0, {}},
        {0x0C45, 0x6627, 1, 4, kind::MousePad, role::Command, 0, 0xFF1C, 0x92, 0, 0, {}},
        {0x0C45, 0x6627, 1, 3, kind::MousePad, role::Event, 0, 0x000C, 0x01, 0, 0, {}},
        {0x0D8C, 0x01DA, 3, 0, kind::Headset, role::Command, 0, 0x000C, 0x01, 0, 0, {}},
        {0x0000, 0x0000, 1, 4, kind::Keyboard, role::Command, 0, 0xFF1C, 0x92, 0, 0, {}},
        {0x0000, 0x0000, 1, 3, kind::Keyboard, role::Event, 0, 0x000C, 0x01, 0, 0, {}},
    }};
    return table;
}

// One slot per table row, in table order; the occupied flag and path say
// which present interface fills it.
using DeviceSlot = InterfaceEntry;

inline std::vector<DeviceSlot> makeDeviceSlots() {
    const auto& table = recognitionTable();
    return std::vector<DeviceSlot>(table.begin(), table.end());
}

}  // namespace talven
