#pragma once
// Finding the headset's sound card by its USB vendor and product ID: card
// numbers change with plugging order, the IDs do not.

#include <cstdint>
#include <optional>
#include <string>

namespace osconf {

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

// The headset of this product line.
constexpr UsbId kHeadsetUsbId{0x0D8C, 0x01DA};

// "vvvv:pppp" in hexadecimal, as lsusb prints it.
std::optional<UsbId> parseUsbId(const std::string& text);

// The lowest card number N under `soundClass` (normally /sys/class/sound)
// whose cardN/device/../idVendor and idProduct match `id`.
std::optional<int> findUsbSoundCard(const std::string& soundClass, UsbId id);

}  // namespace osconf
