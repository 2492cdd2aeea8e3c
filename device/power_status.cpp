#include "device/power_status.h"

#include "device/hid_records.h"

#include <algorithm>

namespace talven {
namespace {

struct PowerPictureEntry {
    PowerPicture picture;
    std::string_view image;
};

constexpr std::array<PowerPictureEntry, 4> kPowerPictures = {{
    {PowerPicture::Powered, "file='power/powered.png'"},
    {PowerPicture::Charging, "file='power/powering.png'"},
    {PowerPicture::WirelessCharging, "file='power/wuxian_powering.png'"},
    {PowerPicture::OnBattery, "file='power/power.png'"},
}};

// Indexed by PhoneType.
constexpr std::array<PhonePicture, 4> kPhonePictures = {{
    {"Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
    {"Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {"Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {"Phone_type_other", "file='power/Phone_type_other.png'"},
}};

constexpr int kFullLevel = 100;

bool isMouse(uint16_t deviceKind) {
    return deviceKind == kind::Mouse || deviceKind == kind::WirelessMouse;
}

}  // namespace

std::string_view powerPictureImage(PowerPicture picture) {
    for (const auto& entry : kPowerPictures)
        if (entry.picture == picture) return entry.image;
    return {};
}

PhonePicture phonePicture(PhoneType phone) { return kPhonePictures[static_cast<size_t>(phone)]; }

PhoneType phoneTypeFromByte(uint8_t value) {
    switch (value) {
        case 1: return PhoneType::IPhone;
        case 2: return PhoneType::Samsung;
        case 3: return PhoneType::Other;
        default: return PhoneType::NoDevice;
    }
}

PowerView powerView(uint16_t deviceKind, std::span<const uint8_t> report) {
    const auto byteAt = [&](size_t i) -> uint8_t { return i < report.size() ? report[i] : 0; };
    const bool wireless = byteAt(power_byte::Link) != 0;
    const int level = std::min<int>(byteAt(power_byte::Level), kFullLevel);

    PowerView view;
    view.text = std::to_string(level) + "%";
    view.barValue = kFullLevel - level;
    if (isMouse(deviceKind)) view.wirelessMarkVisible = wireless;
    switch (byteAt(power_byte::State)) {
        case power_state::Cable:
            view.barVisible = true;
            view.picture = PowerPicture::Powered;
            break;
        case power_state::Charging:
            view.barVisible = !wireless;
            view.picture = wireless ? PowerPicture::WirelessCharging : PowerPicture::Charging;
            break;
        case power_state::Battery:
            view.barVisible = true;
            view.picture = PowerPicture::OnBattery;
            break;
        default: break;
    }
    if (deviceKind == kind::MousePad) view.phone = phoneTypeFromByte(byteAt(power_byte::Phone));
    return view;
}

std::array<uint8_t, kPowerReportSize> indicatorReport(std::span<const uint8_t> read,
                                                      bool slowLink) {
    std::array<uint8_t, kPowerReportSize> report{};
    std::copy_n(read.begin(), std::min(read.size(), report.size()), report.begin());
    report[power_byte::Link] = slowLink ? 1 : 0;
    return report;
}

}  // namespace talven
