#pragma once
// What a device's power indicator shows for the six-byte power report the
// device answers to the status read: the level as text and bar, a picture
// for how the device is powered, the wireless mark of a mouse and the phone
// lying on a mouse pad. The indicator control applies this to its controls.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace talven {

inline constexpr size_t kPowerReportSize = 6;

// Byte positions in the power report.
namespace power_byte {
inline constexpr size_t Level = 0;       // battery level in percent
inline constexpr size_t State = 1;       // power_state
inline constexpr size_t Link = 3;        // set by the host: 1 on the wireless link
inline constexpr size_t MainWindow = 4;  // handed to the main window
inline constexpr size_t Phone = 5;       // 1 iPhone, 2 Samsung, 3 other phone, else none
}  // namespace power_byte

namespace power_state {
inline constexpr uint8_t Cable = 0;
inline constexpr uint8_t Charging = 1;
inline constexpr uint8_t Battery = 2;
}  // namespace power_state

enum class PowerPicture { Unchanged, Powered, Charging, WirelessCharging, OnBattery };
enum class PhoneType { NoDevice, IPhone, Samsung, Other };

// The state picture's image attribute ("" for Unchanged).
std::string_view powerPictureImage(PowerPicture picture);

struct PhonePicture {
    std::string_view tooltip;
    std::string_view image;
};
PhonePicture phonePicture(PhoneType phone);
PhoneType phoneTypeFromByte(uint8_t value);

struct PowerView {
    std::string text;                // "85%"
    int barValue = 0;                // 100 − level
    std::optional<bool> barVisible;  // empty: leave as it is
    PowerPicture picture = PowerPicture::Unchanged;
    std::optional<bool> wirelessMarkVisible;  // mice only
    std::optional<PhoneType> phone;           // mouse pads only

    friend bool operator==(const PowerView&, const PowerView&) = default;
};

// The view for a device kind and a power report. Missing bytes count as 0;
// a level above 100 shows as 100.
PowerView powerView(uint16_t deviceKind, std::span<const uint8_t> report);

// The report as the indicator gets it: the first six bytes read (zero-filled
// when fewer came) with byte 3 replaced by the channel's link: 1 on the
// wireless link, else 0.
std::array<uint8_t, kPowerReportSize> indicatorReport(std::span<const uint8_t> read, bool slowLink);

// The status poll runs only for connected devices with a power mode.
constexpr bool powerPollActive(int powerMode, bool connected) {
    return powerMode != 0 && connected;
}

}  // namespace talven
