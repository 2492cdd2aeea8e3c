#include "device/power_status.h"

#include "device/hid_records.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven {
namespace {

std::vector<uint8_t> report(uint8_t level, uint8_t state, uint8_t link, uint8_t phone = 0) {
    return {level, state, 0, link, 0, phone};
}

TEST(PowerStatus, LevelGivesTextAndBar) {
    struct Case {
        uint8_t level;
        const char* text;
        int bar;
    };
    const Case cases[] = {{100, "100%", 0}, {0, "0%", 100}, {37, "37%", 63}, {255, "100%", 0}};
    for (const Case& c : cases) {
        const PowerView view = powerView(kind::Keyboard, report(c.level, 2, 0));
        EXPECT_EQ(view.text, c.text);
        EXPECT_EQ(view.barValue, c.bar);
    }
}

TEST(PowerStatus, StatePicksPictureAndBar) {
    struct Case {
        uint8_t state, link;
        PowerPicture picture;
        std::optional<bool> bar;
        const char* image;
    };
    const Case cases[] = {
        {0, 0, PowerPicture::Powered, true, "file='power/powered.png'"},
        {1, 1, PowerPicture::WirelessCharging, false, "file='power/wuxian_powering.png'"},
        {1, 0, PowerPicture::Charging, true, "file='power/powering.png'"},
        {2, 1, PowerPicture::OnBattery, true, "file='power/power.png'"},
        {3, 0, PowerPicture::Unchanged, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.state) * 10 + c.link);
        const PowerView view = powerView(kind::Mouse, report(50, c.state, c.link));
        EXPECT_EQ(view.picture, c.picture);
        EXPECT_EQ(view.barVisible, c.bar);
        EXPECT_EQ(powerPictureImage(view.picture), c.image);
    }
}

TEST(PowerStatus, WirelessMarkOnlyForMice) {
    EXPECT_EQ(powerView(kind::Mouse, report(50, 2, 1)).wirelessMarkVisible, true);
    EXPECT_EQ(powerView(kind::Mouse, report(50, 2, 0)).wirelessMarkVisible, false);
    EXPECT_EQ(powerView(kind::WirelessMouse, report(50, 2, 1)).wirelessMarkVisible, true);
    EXPECT_EQ(powerView(kind::Keyboard, report(50, 2, 1)).wirelessMarkVisible, std::nullopt);
}

TEST(PowerStatus, MousePadShowsThePhoneOnIt) {
    struct Case {
        uint8_t byte;
        PhoneType phone;
        const char* tooltip;
        const char* image;
    };
    const Case cases[] = {
        {1, PhoneType::IPhone, "Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
        {2, PhoneType::Samsung, "Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
        {3, PhoneType::Other, "Phone_type_other", "file='power/Phone_type_other.png'"},
        {7, PhoneType::NoDevice, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
        {0, PhoneType::NoDevice, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.byte));
        const PowerView view = powerView(kind::MousePad, report(80, 0, 0, c.byte));
        ASSERT_EQ(view.phone, c.phone);
        EXPECT_EQ(phonePicture(*view.phone).tooltip, c.tooltip);
        EXPECT_EQ(phonePicture(*view.phone).image, c.image);
    }
    EXPECT_EQ(powerView(kind::Mouse, report(80, 0, 0, 1)).phone, std::nullopt);
}

TEST(PowerStatus, ShortReportsReadMissingBytesAsZero) {
    const std::vector<uint8_t> levelOnly = {42};
    const PowerView view = powerView(kind::MousePad, levelOnly);
    EXPECT_EQ(view.text, "42%");
    EXPECT_EQ(view.picture, PowerPicture::Powered);  // state byte 0: on cable
    EXPECT_EQ(view.phone, PhoneType::NoDevice);
}

TEST(PowerStatus, IndicatorReportTakesTheLinkFromTheChannel) {
    const std::vector<uint8_t> read = {90, 1, 2, 77, 4, 3, 99, 99};
    EXPECT_EQ(indicatorReport(read, true), (std::array<uint8_t, 6>{90, 1, 2, 1, 4, 3}));
    EXPECT_EQ(indicatorReport(read, false), (std::array<uint8_t, 6>{90, 1, 2, 0, 4, 3}));
    const std::vector<uint8_t> shortRead = {90, 1};
    EXPECT_EQ(indicatorReport(shortRead, true), (std::array<uint8_t, 6>{90, 1, 0, 1, 0, 0}));
}

}  // namespace
}  // namespace talven
