#pragma once
// How the simulated products present themselves on the bus, as their USB
// and report descriptors state it: vendor and product IDs, the interface
// that carries the configuration collections, those collections' numbers
// and usages, and the device-type byte of the information record.

#include <cstdint>

namespace talven::sim {

namespace usb {
inline constexpr uint16_t kKeyboardVendorId = 0x320F;
inline constexpr uint16_t kKeyboardProductId = 0x5029;
inline constexpr uint16_t kMousePadVendorId = 0x0C45;
inline constexpr uint16_t kMousePadProductId = 0x6627;
inline constexpr uint16_t kHeadsetVendorId = 0x0D8C;
inline constexpr uint16_t kHeadsetProductId = 0x01DA;
// Products built without their own IDs report 0 for both.
inline constexpr uint16_t kNoId = 0x0000;

// Keyboards, the mouse and the mouse pad: interface 1 with four top-level
// collections; the third carries notifications, the fourth command frames.
inline constexpr uint16_t kConfigInterface = 1;
inline constexpr uint16_t kNotificationCollection = 3;
inline constexpr uint16_t kCommandCollection = 4;
// The headset: interface 3 with one collection, which paths number 0.
inline constexpr uint16_t kHeadsetInterface = 3;
inline constexpr uint16_t kOnlyCollection = 0;
// No such collection on this product.
inline constexpr int kNoCollection = -1;

inline constexpr uint16_t kVendorUsagePage = 0xFF1C;
inline constexpr uint16_t kCommandUsage = 0x92;
inline constexpr uint16_t kConsumerUsagePage = 0x000C;
inline constexpr uint16_t kConsumerControlUsage = 0x01;
}  // namespace usb

// Byte 2 of the information record: what kind of product answers.
enum class DeviceType : uint8_t { Keyboard = 1, Mouse = 2, MousePad = 3, Headset = 7 };

// The collections a host opens, by the role numbers its recognition uses.
namespace role {
inline constexpr uint16_t Command = 0;
inline constexpr uint16_t Event = 0xFF;
}  // namespace role

}  // namespace talven::sim
