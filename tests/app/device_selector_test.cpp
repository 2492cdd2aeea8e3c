// The device selector with simulated devices plugged and unplugged while the
// main window runs.

#include "app/device_option.h"
#include "app/main_wnd.h"
#include "pages/usb_device_page.h"
#include "editors/power_indicator.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/layouts.h"

#include <gtest/gtest.h>

#include <map>

namespace talven {
namespace {

class SelectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        ASSERT_EQ(window->selector()->pages().size(), 5u) << "every product row gets a page";
    }
    void TearDown() override { window.reset(); }

    int visibleEntries() { return window->selector()->FirstVisibleEntry(nullptr); }
    std::string current() {
        COrvaneUSBDevice* page = window->CurrentDevicePage();
        return page ? page->deviceFolderName() : std::string();
    }
    bool plug(const char* name, int expectVisible) {
        std::string error;
        EXPECT_TRUE(sim.plug(name, &error)) << error;
        return test::waitUntil([&] { return visibleEntries() == expectVisible; });
    }
    bool unplug(const char* name, int expectVisible) {
        sim.unplug(name);
        return test::waitUntil([&] { return visibleEntries() == expectVisible; });
    }
    bool overlayShown() {
        return window->GetPaintManager().FindControl(QStringLiteral("No_device_Link"))->IsVisible();
    }
    int tabSelection(const char* name) {
        auto* tab = qobject_cast<ui::CTabLayoutUI*>(window->GetPaintManager().FindControl(QString::fromLatin1(name)));
        return tab ? tab->GetCurSel() : -2;
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
};

TEST_F(SelectorTest, EveryEntryShowsAPictureOfItsKindOfProduct) {
    const std::map<std::string, QString> pictures = {{"mouse", "mouse.svg"},       {"keyboard", "keyboard.svg"},
                                                      {"MousePad", "mousepad.svg"}, {"HD", "headset.svg"},
                                                      {"keyboard7440", "keyboard.svg"}};
    for (COrvaneUSBDevice* page : window->selector()->pages()) {
        ASSERT_NE(page->optionEntry(), nullptr);
        ui::CControlUI* icon =
            window->GetPaintManager().FindSubControlByName(page->optionEntry(), QStringLiteral("device_icon"));
        ASSERT_NE(icon, nullptr) << page->deviceFolderName();
        EXPECT_EQ(icon->GetBkImage(), QStringLiteral("common/device_ico/") + pictures.at(page->deviceFolderName()))
            << page->deviceFolderName();
    }
}

TEST_F(SelectorTest, TheFirstDeviceIsSelectedAndASecondLeavesTheSelectionAlone) {
    EXPECT_TRUE(overlayShown());
    EXPECT_EQ(window->CurrentDevicePage(), nullptr);
    ASSERT_TRUE(plug("keyboard", 1));
    EXPECT_EQ(current(), "keyboard");
    EXPECT_FALSE(overlayShown());
    ASSERT_TRUE(plug("mouse", 2));
    EXPECT_EQ(current(), "keyboard");
    for (COrvaneUSBDevice* page : window->selector()->pages()) EXPECT_TRUE(page->multiDevice());
}

TEST_F(SelectorTest, RemovingTheSelectedDeviceSelectsTheFirstOtherVisibleOne) {
    ASSERT_TRUE(plug("mousepad", 1));
    ASSERT_TRUE(plug("keyboard", 2));
    ASSERT_TRUE(plug("headset", 3));
    ASSERT_EQ(current(), "MousePad");
    ASSERT_TRUE(unplug("mousepad", 2));
    EXPECT_EQ(current(), "keyboard");  // entries follow the product table: keyboard before headset
    ASSERT_TRUE(unplug("headset", 1));  // not selected: the selection stays
    EXPECT_EQ(current(), "keyboard");
}

TEST_F(SelectorTest, RemovingTheLastDeviceShowsTheOverlayAndSelectsPageZero) {
    ASSERT_TRUE(plug("headset", 1));
    EXPECT_EQ(tabSelection("device_switch"), 3);
    ASSERT_TRUE(unplug("headset", 0));
    EXPECT_TRUE(overlayShown());
    EXPECT_EQ(current(), "");
    EXPECT_EQ(tabSelection("device_switch"), 0);
    EXPECT_EQ(tabSelection("device_power_switch"), 0);
}

TEST_F(SelectorTest, AnEventInterfaceAloneShowsNoEntry) {
    DeviceSlot eventSlot = recognitionTable()[1];  // the keyboard's notification collection
    eventSlot.occupied = 1;
    eventSlot.path = "/nonexistent#vid_320f&pid_5029&mi_01&col03";
    window->SendMessage(0xC12, 1, 0);  // the slot list has it free: ignored as well
    window->selector()->OnSlotOccupied(eventSlot);
    EXPECT_EQ(visibleEntries(), 0);
    EXPECT_TRUE(overlayShown());
}

// The keyboard draws its own lighting (its page only previews it); the mouse
// is sent every frame.
TEST_F(SelectorTest, AConnectedPageAnimatesAndSendsFramesOfItsLedCount) {
    ASSERT_TRUE(plug("mouse", 1));
    COrvaneUSBDevice* page = window->CurrentDevicePage();
    ASSERT_NE(page, nullptr);
    const auto before = page->frameSnapshot();
    ASSERT_TRUE(test::waitUntil([&] { return page->frameSnapshot() != before; }, 3000)) << "the effect steps";
    auto frames = [&] {
        int count = 0;
        for (const auto& request : sim.device("mouse")->model().requests()) count += request[3] == 0x12;
        return count;
    };
    EXPECT_TRUE(test::waitUntil([&] { return frames() > 2; }, 5000)) << "frames reach the device";
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

TEST_F(SelectorTest, APageWithAPowerModePollsTheBatteryIntoItsIndicator) {
    ASSERT_TRUE(plug("mousepad", 1));
    COrvaneUSBDevice* page = window->CurrentDevicePage();
    ASSERT_NE(page, nullptr);
    const uint8_t report[] = {85, 2, 0, 0, 0, 3};
    ASSERT_TRUE(sim.device("mousepad")->model().write(sim::Area::Status, 0, report));
    page->readDeviceStatus();  // power mode 0: no poll
    auto* value = window->GetPaintManager().FindSubControlByName(page->powerIndicator(),
                                                                 QStringLiteral("device_power_value"));
    ASSERT_NE(value, nullptr);
    EXPECT_NE(value->GetText(), QStringLiteral("85%"));
    page->setPowerMode(1);
    page->readDeviceStatus();
    EXPECT_EQ(value->GetText(), QStringLiteral("85%"));
}

}  // namespace
}  // namespace talven
