#pragma once
// Report descriptors of the simulated products.

#include <cstdint>
#include <vector>

namespace talven::sim {

// Report IDs the simulated devices use.
namespace report {
inline constexpr uint8_t Pointer = 0x01;        // keyboard keys or mouse motion (col1)
inline constexpr uint8_t SystemControl = 0x02;  // col2
inline constexpr uint8_t Consumer = 0x03;       // notifications (col3)
inline constexpr uint8_t Command = 0x04;        // 64-byte command frames (col4)
inline constexpr uint8_t HeadsetButtons = 0x01;
inline constexpr uint8_t HeadsetLight = 0xFF;   // 16 data bytes
}  // namespace report

// The configurable devices (keyboards, mouse, mouse pad) share one interface
// layout with four top-level collections: a boot-style keyboard (or a mouse
// when `mouse` is set), system control, consumer control (the notification
// channel) and the vendor-defined command collection.
std::vector<uint8_t> configurableDeviceDescriptor(bool mouse);

// The headset's interface: one consumer-control collection holding the
// volume/mute buttons, the command reports and the lighting output report.
std::vector<uint8_t> headsetDescriptor();

}  // namespace talven::sim
