#include "editors/power_indicator.h"

#include "device/hid_records.h"
#include "qt_test_support.h"
#include "ui/dialog_builder.h"
#include "ui/paint_manager.h"
#include "ui/slider_progress.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace talven {
namespace {

class NoCustomTags : public ui::IDialogBuilderCallback {
public:
    ui::CControlUI* CreateControl(const QString& tag) override {
        return tag.compare(QLatin1String("MpDevicePower"), Qt::CaseInsensitive) == 0 ? new CMpDevicePowerUI : nullptr;
    }
};

class PowerIndicatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        manager.Init(&host);
        ui::CDialogBuilder builder;
        indicator = qobject_cast<CMpDevicePowerUI*>(
            builder.Create(QStringLiteral("XML\\CustomControlXML\\MpDevicePower.xml"), {}, &tags, &manager));
        ASSERT_NE(indicator, nullptr) << "the skin builds the indicator";
        manager.AttachDialog(indicator);
    }
    ui::CControlUI* find(const char* name) { return manager.FindControl(QString::fromLatin1(name)); }
    bool show(int kind, std::array<uint8_t, 6> report) {
        indicator->SetKind(kind, 0);
        return indicator->ShowPower(report);
    }

    QWidget host;
    ui::CPaintManagerUI manager;
    NoCustomTags tags;
    CMpDevicePowerUI* indicator = nullptr;
};

TEST_F(PowerIndicatorTest, FullBatteryShowsOneHundredPercentAndAnEmptyBar) {
    ASSERT_TRUE(show(kind::Mouse, {100, 2, 0, 0, 0, 0}));
    EXPECT_EQ(find("device_power_value")->GetText(), QStringLiteral("100%"));
    EXPECT_EQ(qobject_cast<ui::CProgressUI*>(find("device_Power_progress"))->GetValue(), 0);
    EXPECT_EQ(find("device_power_status")->GetBkImage(), QStringLiteral("file='power/power.png'"));
}

TEST_F(PowerIndicatorTest, ChargingPicturesFollowTheLink) {
    ASSERT_TRUE(show(kind::Mouse, {40, 1, 0, 1, 0, 0}));
    EXPECT_EQ(find("device_power_status")->GetBkImage(), QStringLiteral("file='power/wuxian_powering.png'"));
    EXPECT_FALSE(find("device_Power_progress")->IsVisible());
    EXPECT_TRUE(find("device_wuxian_logo")->IsVisible());
    ASSERT_TRUE(show(kind::Mouse, {40, 1, 0, 0, 0, 0}));
    EXPECT_EQ(find("device_power_status")->GetBkImage(), QStringLiteral("file='power/powering.png'"));
    EXPECT_TRUE(find("device_Power_progress")->IsVisible());
    EXPECT_FALSE(find("device_wuxian_logo")->IsVisible());
}

TEST_F(PowerIndicatorTest, AnUnknownPhoneOnThePadShowsTheNoDevicePicture) {
    ASSERT_TRUE(show(kind::MousePad, {80, 0, 0, 0, 0, 1}));
    EXPECT_EQ(find("device_phone_type")->GetBkImage(), QStringLiteral("file='power/Phone_type_iphone.png'"));
    ASSERT_TRUE(show(kind::MousePad, {80, 0, 0, 0, 0, 7}));
    EXPECT_EQ(find("device_phone_type")->GetBkImage(), QStringLiteral("file='power/Phone_type_no_device.png'"));
    EXPECT_EQ(find("device_phone_type")->GetToolTip(), QStringLiteral("Phone_type_no_device"));
}

}  // namespace
}  // namespace talven
