// The same-mode operation and the lighting-sync thread in the window with
// simulated products: the current page's lighting reaches the other kinds in
// their own mode numbers, the paused pages then show the colour the thread
// supplies (read from the frames the pad receives), an edit of a page's own
// lighting takes it out of the sync, and an idle sync thread sleeps.

#include "app/device_selector.h"
#include "app/lighting_sync.h"
#include "app/main_wnd.h"
#include "editors/light_control.h"
#include "pages/usb_device_page.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>

namespace talven {
namespace {

class LightingSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 1350, 810));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
    }
    void TearDown() override { window.reset(); }

    COrvaneUSBDevice* plug(const char* product, const char* folder) {
        std::string error;
        EXPECT_TRUE(sim.plug(product, &error)) << error;
        COrvaneUSBDevice* page = nullptr;
        for (COrvaneUSBDevice* candidate : window->selector()->pages())
            if (candidate->deviceFolderName() == folder) page = candidate;
        EXPECT_NE(page, nullptr) << folder;
        // Connected once the arrival sequence has run.
        EXPECT_TRUE(test::waitUntil([&] { return page && page->commandChannel().isConnected(); }, 5000));
        test::idle(700);
        return page;
    }
    static lighting::LightParams light(COrvaneUSBDevice& page) {
        std::lock_guard<std::mutex> lock(page.frameLock());
        return page.lighting().lightParams();
    }
    static void setLight(COrvaneUSBDevice& page, uint8_t mode, lighting::Rgb colour) {
        lighting::LightParams params = light(page);
        params.selectItem = mode;
        params.light = 4;
        params.speed = 2;
        params.red = colour.red;
        params.green = colour.green;
        params.blue = colour.blue;
        page.setLightParams(params.word1(), params.word2(), params.word3());
    }
    // The LED bytes of the last lighting frame a product received: command
    // byte 0x12 at offset 3, the LEDs from offset 8, three bytes each.
    std::vector<uint8_t> lastFrameLed(const char* product) {
        const auto& requests = sim.device(product)->model().requests();
        for (auto it = requests.rbegin(); it != requests.rend(); ++it)
            if ((*it)[3] == 0x12) return std::vector<uint8_t>(it->begin() + 8, it->begin() + 11);
        return {};
    }
    LightingSync& sync() { return window->selector()->lightingSync(); }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
};

TEST_F(LightingSyncTest, TheMousesStaticLightingReachesThePadWhichThenShowsTheSyncedColour) {
    COrvaneUSBDevice* mouse = plug("mouse", "mouse");
    COrvaneUSBDevice* pad = plug("mousepad", "MousePad");
    ASSERT_TRUE(mouse && pad);
    setLight(*mouse, 4, {200, 100, 40});  // the mouse's static mode
    ASSERT_TRUE(window->selector()->SelectByFolder("mouse"));
    pad->setPreview(true);

    ASSERT_TRUE(sync().sameMode(*mouse));
    EXPECT_EQ(sync().state().load().mode, lighting::sync_mode::Static);
    EXPECT_EQ(light(*pad).selectItem, 3) << "static is the pad's mode 3";
    EXPECT_EQ(light(*pad).red, 200);
    EXPECT_TRUE(pad->commandChannel().paused());
    EXPECT_TRUE(mouse->commandChannel().paused());
    EXPECT_TRUE(sync().active());

    // Brightness level 4 is 255: each channel × 255 / 256 on the wire.
    const std::vector<uint8_t> expected = {199, 99, 39};
    EXPECT_TRUE(test::waitUntil([&] { return lastFrameLed("mousepad") == expected; }, 3000));

    // An edit of a page's own lighting resumes it and takes it out of the
    // sync; with every page out, the sync is over.
    pad->commandChannel().setPaused(false);
    EXPECT_TRUE(sync().active()) << "the mouse is still in";
    mouse->commandChannel().setPaused(false);
    EXPECT_FALSE(sync().active());
}

// Synced breathing is the computer's: red at a moving brightness, whatever
// colour the pages keep (the pad's own breathing would be blue here).
TEST_F(LightingSyncTest, SyncedBreathingSendsTheComputersRedNotThePagesOwnColour) {
    COrvaneUSBDevice* mouse = plug("mouse", "mouse");
    COrvaneUSBDevice* pad = plug("mousepad", "MousePad");
    ASSERT_TRUE(mouse && pad);
    setLight(*mouse, 6, {0, 0, 255});  // the mouse's breathing, in blue
    pad->setPreview(true);
    ASSERT_TRUE(sync().sameMode(*mouse));
    EXPECT_EQ(light(*pad).selectItem, 2) << "breathing is the pad's mode 2";
    std::set<uint8_t> reds;
    test::waitUntil([&] {
        const std::vector<uint8_t> led = lastFrameLed("mousepad");
        if (led.size() == 3 && led[1] == 0 && led[2] == 0 && led[0] > 0) reds.insert(led[0]);
        return reds.size() >= 3;
    }, 3000);
    EXPECT_GE(reds.size(), 3u) << "red frames at several brightnesses";
}

// "deng_same_mode" is offered while two products can share a lighting.
TEST_F(LightingSyncTest, TheSameModeButtonIsOfferedWhileTwoProductsAreConnected) {
    COrvaneUSBDevice* mouse = plug("mouse", "mouse");
    ASSERT_NE(mouse, nullptr);
    auto* panel = qobject_cast<CLightControlUI*>(
        window->GetPaintManager().FindSubControlByName(mouse, QStringLiteral("LightControlItem")));
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->sameModeOption()) << "nothing to share with";
    plug("mousepad", "MousePad");
    EXPECT_TRUE(panel->sameModeOption());
    std::string error;
    ASSERT_TRUE(sim.unplug("mousepad", &error)) << error;
    EXPECT_TRUE(test::waitUntil([&] { return !panel->sameModeOption(); }, 3000));
}

TEST_F(LightingSyncTest, AKeyboardModeWithoutASyncModeChangesNothing) {
    COrvaneUSBDevice* keyboard = plug("keyboard", "keyboard");
    COrvaneUSBDevice* pad = plug("mousepad", "MousePad");
    ASSERT_TRUE(keyboard && pad);
    const uint8_t padMode = light(*pad).selectItem;
    for (const uint8_t mode : {0, 1, 3, 6}) {
        setLight(*keyboard, mode, {1, 2, 3});
        EXPECT_FALSE(sync().sameMode(*keyboard)) << +mode;
    }
    EXPECT_EQ(light(*pad).selectItem, padMode);
    EXPECT_FALSE(pad->commandChannel().paused());
    EXPECT_FALSE(sync().active());
}

TEST_F(LightingSyncTest, AColourCycleOnTheMouseEndsAtTheKeyboardsBeforeAnyPageChanges) {
    COrvaneUSBDevice* mouse = plug("mouse", "mouse");
    COrvaneUSBDevice* pad = plug("mousepad", "MousePad");
    ASSERT_TRUE(mouse && pad);
    const uint8_t padMode = light(*pad).selectItem;
    setLight(*mouse, 1, {9, 9, 9});  // the mouse's colour cycle
    EXPECT_FALSE(sync().sameMode(*mouse));
    EXPECT_EQ(light(*pad).selectItem, padMode);
    EXPECT_FALSE(mouse->commandChannel().paused());
}

TEST_F(LightingSyncTest, WithNothingInTheSyncTheThreadWakesAtMostOnceASecond) {
    plug("mousepad", "MousePad");
    const uint32_t before = sync().passes();
    test::idle(2200);
    EXPECT_LE(sync().passes() - before, 3u);
}

}  // namespace
}  // namespace talven
