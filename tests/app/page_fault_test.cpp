// The mouse, pad and headset pages when the device fails a write half way
// through: unplugged, a request refused (status 0xFF) or left unanswered.
// The user is told once, the program goes on within one wait of the
// channel, the next write goes through, and a device unplugged half way
// holds what the page shows once it is back. What the device holds is read
// from the simulator's side.

#include "app/main_wnd.h"
#include "pages/headset/headset_device_page.h"
#include "pages/mouse/mouse_device_page.h"
#include "pages/mousepad/mousepad_device_page.h"
#include "platform/app_paths.h"
#include "platform/clock.h"
#include "profile/json_file.h"
#include "page_test_support.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/combo.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace talven {
namespace {

using sim::Area;
using sim::FaultKind;

constexpr const char* kNotWritten = "message_text_device_not_written";
constexpr const char* kMacrosNotWritten = "message_text_7";
constexpr FaultKind kFaults[] = {FaultKind::Remove, FaultKind::StatusFF, FaultKind::NoReply};

class PageFaultTest : public ::testing::Test {
protected:
    void open() {
        test::qtApp();
        sim.addAllProducts();
        window = test::openMainWindow(dir.str(), &messages);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        window.reset();
        for (const char* folder : {"mouse", "MousePad", "HD"}) std::filesystem::remove_all(paths::deviceDataFolder(folder));
    }
    COrvaneUSBDevice* pageFor(const std::string& folder) {
        for (COrvaneUSBDevice* candidate : window->selector()->pages())
            if (candidate->deviceFolderName() == folder) return candidate;
        return nullptr;
    }
    sim::FirmwareModel& model() { return sim.device(product)->model(); }
    // Runs `write` with `fault` aimed at request `step` of it; the page must
    // be done within one wait of the channel, and the fault reached.
    void failWrite(FaultKind fault, size_t step, const std::function<void()>& write) {
        model().setFault(fault, 1, static_cast<unsigned>(step));
        const uint32_t started = tickCount();
        write();
        EXPECT_LT(tickCount() - started, static_cast<uint32_t>(CommandChannel::kTimeoutMs + 500));
        EXPECT_EQ(model().fault().kind, FaultKind::None) << "the fault was reached";
    }
    // The one message the failure gave, once the action is over.
    void expectTold(const std::vector<std::string>& allowed) {
        ASSERT_TRUE(test::waitUntil([&] { return !messages.empty(); }));
        test::idle(50);  // a second message would come now
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), messages[0]), allowed.end()) << messages[0];
        messages.clear();
    }
    void expectQuiet() {
        test::idle(50);
        EXPECT_TRUE(messages.empty()) << messages.front();
        messages.clear();
    }
    // After an unplug: the page lets the device go, which comes back and
    // is sent the settings again (one transaction at least, then none open).
    void replug(COrvaneUSBDevice* page, const std::function<bool()>& ready) {
        ASSERT_TRUE(test::waitUntil([&] { return !page->commandChannel().isConnected(); }));
        ASSERT_TRUE(test::waitUntil([&] { return !sim.device(product)->plugged(); }));
        const unsigned ends = model().endCount();
        std::string error;
        ASSERT_TRUE(sim.plug(product, &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] {
            return page->commandChannel().isConnected() && ready() && model().endCount() > ends &&
                   !model().inTransaction();
        }));
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    std::vector<std::string> messages;
    std::string product;
};

// ---- the mouse: a profile the user picks ------------------------------------

// Two profiles that differ in the first DPI stage and the first two buttons
// (swapped in "first"); the buttons as profile integers, high byte first.
constexpr uint32_t kFactory[] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                 0x130200, 0xD00000, 0x130300, 0xA01B00, 0x169001};

Json::Value mouseProfile(int dpi, bool swapped) {
    Json::Value e;
    e["LightInfo"]["SelectItem"] = 3, e["LightInfo"]["Light"] = 3, e["LightInfo"]["Speed"] = 1;
    e["DPIStages"]["StageActive"] = 0;
    for (Json::ArrayIndex i = 0; i < 2; ++i) {
        Json::Value& s = e["DPIStages"]["StageDPIs"][i];
        s["StageActive"] = 1, s["StageXY"] = 0, s["StageDPIX"] = dpi + 8 * static_cast<int>(i);
        s["StageDPIY"] = dpi + 8 * static_cast<int>(i), s["StageColorR"] = 255, s["StageColorG"] = 0, s["StageColorB"] = 0;
    }
    for (Json::ArrayIndex j = 0; j < 11; ++j) {
        e["KeyList"][j]["DefaultAssignment"] = kFactory[j];
        e["KeyList"][j]["Assignment"] = kFactory[swapped && j < 2 ? 1 - j : j];
    }
    Json::Value profile;
    profile["Device"][0] = e;
    return profile;
}

class MouseFaultTest : public PageFaultTest {
protected:
    void SetUp() override {
        product = "mouse";
        const std::string folder = paths::deviceDataFolder("mouse");
        std::filesystem::create_directories(folder);
        Json::Value list;
        list["profilelist"][0]["profileUUID"] = "first";
        list["profilelist"][1]["profileUUID"] = "second";
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile(folder + "ProfileList.ini", list), 0);
        ASSERT_EQ(wirtejsonFile(folder + "first.Json", mouseProfile(6, true)), 0);
        ASSERT_EQ(wirtejsonFile(folder + "second.Json", mouseProfile(30, false)), 0);
        open();
        page = qobject_cast<COrvaneMouseDevice*>(pageFor("mouse"));
        ASSERT_NE(page, nullptr);
        std::string error;
        ASSERT_TRUE(sim.plug("mouse", &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return attached(); }));
        messages.clear();
    }
    bool attached() { return page->protocol().attached() && page->animating(); }
    // The mouse holds what the page shows: its first DPI stage (bytes 16
    // and 17 of the settings block, x low first), the first two buttons
    // (three bytes each, the profile's integer read high byte first), and
    // the page's copies of the mouse's records are the mouse's own.
    void expectMouseShowsPage() {
        const auto config = model().read(Area::Config, 14 + 2, 2).value();
        EXPECT_EQ(config[0] | config[1] << 8, page->dpiStages().at(0).dpiX);
        const auto buttons = model().read(Area::KeyAssignments, 0, 6).value();
        for (size_t j = 0; j < 2; ++j) {
            const KeyCode shown = page->keySlots().at(j).assignment;
            EXPECT_TRUE(std::equal(shown.begin(), shown.end(), buttons.begin() + 3 * j)) << "button " << j;
        }
        const auto info = model().area(Area::Info);
        EXPECT_TRUE(std::equal(info.begin(), info.end(), page->protocol().info().begin()));
    }
    COrvaneMouseDevice* page = nullptr;
};

TEST_F(MouseFaultTest, AProfileCutShortIsToldAndTheMouseGetsItWhole) {
    model().clearRequests();
    page->selectProfile("first");
    const size_t clean = model().requests().size();
    ASSERT_GT(clean, 6u);
    expectQuiet();
    expectMouseShowsPage();
    for (FaultKind fault : kFaults) {
        for (size_t step : {size_t{1}, clean / 2, clean - 1}) {
            SCOPED_TRACE(std::string(sim::faultName(fault)) + " at request " + std::to_string(step));
            failWrite(fault, step, [&] { page->selectProfile("second"); });
            // Half way through may be the macro download, which has its own text.
            expectTold({kNotWritten, kMacrosNotWritten});
            if (fault == FaultKind::Remove) {
                replug(page, [&] { return attached(); });
                expectQuiet();
                expectMouseShowsPage();
            }
            // The next pick goes through whole and quietly.
            model().clearRequests();
            page->selectProfile("first");
            EXPECT_EQ(model().requests().size(), clean);
            expectQuiet();
            expectMouseShowsPage();
        }
    }
}

TEST_F(MouseFaultTest, ButtonsTheMouseDidNotTakeLeaveTheApplyButtonOn) {
    page->selectProfile("first");
    auto* apply = window->GetPaintManager().FindSubControlByName(page, QStringLiteral("key_butt_prosave"));
    ASSERT_NE(apply, nullptr);
    model().clearRequests();
    page->saveKeysToMouse();
    const size_t clean = model().requests().size();
    EXPECT_FALSE(apply->IsEnabled());
    apply->SetEnabled(true);
    // The button table is the last write: its end, refused.
    failWrite(FaultKind::StatusFE, clean - 1, [&] { page->saveKeysToMouse(); });
    expectTold({kNotWritten});
    EXPECT_TRUE(apply->IsEnabled()) << "the mouse still lacks the buttons";
    page->saveKeysToMouse();
    EXPECT_FALSE(apply->IsEnabled());
    expectQuiet();
}

// ---- the pad and the headset: their lighting from the panel -------------------

struct LitProduct {
    const char* product;
    const char* folder;
};

class LightingFaultTest : public PageFaultTest, public ::testing::WithParamInterface<LitProduct> {
protected:
    void SetUp() override {
        product = GetParam().product;
        ASSERT_TRUE(test::writeSingleProfileList(GetParam().folder, "2024_05_06_07_08_09_011"));
        open();
        page = qobject_cast<COrvaneMousePadDevice*>(pageFor(GetParam().folder));
        ASSERT_NE(page, nullptr);
        std::string error;
        ASSERT_TRUE(sim.plug(product, &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return ready(); }));
        test::idle(100);
        messages.clear();  // the headset's audio library may have had its say
    }
    bool ready() {
        auto* modes = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
        return modes && modes->GetCount() == 9 && page->animating();
    }
    ui::CControlUI* control(const char* name) {
        return window->GetPaintManager().FindSubControlByName(page, QString::fromLatin1(name));
    }
    void chooseMode(int mode) {
        auto* combo = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->SelectItem(mode, true));
    }
    uint8_t deviceMode() {
        const auto config = model().area(Area::Config);
        return config[config[0] * 25u + 1];
    }
    // The device's active block (packed at p x 25) is the page's copy:
    // bytes 0..20, the speed stored as 4 - speed.
    void expectDeviceShowsPage() {
        const auto config = model().area(Area::Config);
        const size_t at = config[0] * 25u;
        const mousepad::SettingsBlock shown = page->settingsBlock();
        for (size_t i = 0; i <= 20; ++i) {
            const int held = config[at + i];
            EXPECT_EQ(i == 3 ? 4 - held : held, shown[i]) << "byte " << i;
        }
    }
    COrvaneMousePadDevice* page = nullptr;
};

TEST_P(LightingFaultTest, AModeChangeCutShortIsToldAndTheDeviceGetsItWhole) {
    model().clearRequests();
    chooseMode(2);
    const size_t clean = model().requests().size();
    ASSERT_EQ(clean, 3u) << "begin, the block, end";
    expectQuiet();
    int mode = 2;
    for (FaultKind fault : kFaults) {
        for (size_t step = 0; step < clean; ++step) {
            SCOPED_TRACE(std::string(sim::faultName(fault)) + " at request " + std::to_string(step));
            mode = mode == 4 ? 3 : 4;
            failWrite(fault, step, [&] { chooseMode(mode); });
            expectTold({kNotWritten});
            if (fault == FaultKind::Remove) {
                replug(page, [&] { return ready(); });
                expectQuiet();
                EXPECT_EQ(deviceMode(), mode) << "the user's choice reached the device";
                expectDeviceShowsPage();
            }
            // The next change goes through quietly.
            chooseMode(2);
            expectQuiet();
            EXPECT_EQ(deviceMode(), 2);
            expectDeviceShowsPage();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, LightingFaultTest,
                         ::testing::Values(LitProduct{"mousepad", "MousePad"}, LitProduct{"headset", "HD"}),
                         [](const auto& info) { return std::string(info.param.product); });

}  // namespace
}  // namespace talven
