// The mouse pad's page with a simulated pad: the lighting panel sits on the
// page in the pad's variant, its edits reach the pad's settings memory (read
// back from the pad's side: blocks at p x 25, speed stored as 4 - speed),
// frames reach the pad, and the pad's profile button makes the page read
// its settings again.

#include "app/main_wnd.h"
#include "app/sdk_bridge.h"
#include "editors/light_control.h"
#include "pages/mousepad/mousepad_device_page.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "platform/settings_store.h"
#include "qt_test_support.h"
#include "rgbsdk/sdk_test_bytes.h"
#include "sim/mousepad_model.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/combo.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace talven {
namespace {

constexpr const char* kProfileUuid = "2024_05_06_07_08_09_011";
constexpr size_t kMode = 1, kBrightness = 2, kSpeed = 3, kOption = 4, kSpectrum = 5;

class MousePadPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 1350, 810));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages()) {
            if (candidate->deviceFolderName() == "MousePad") page = qobject_cast<COrvaneMousePadDevice*>(candidate);
        }
        ASSERT_NE(page, nullptr) << "the pad's tag builds the pad's own class";
        EXPECT_TRUE(page->drivesDevice());
        panel = qobject_cast<CLightControlUI*>(control("LightControlItem"));
        ASSERT_NE(panel, nullptr) << "the pad page holds its lighting panel";
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(paths::deviceDataFolder("MousePad"));
    }
    void connect() {
        Json::Value list;
        list["profilelist"][0]["profilename"] = "Profile1";
        list["profilelist"][0]["profileUUID"] = kProfileUuid;
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile(paths::deviceDataFolder("MousePad") + "ProfileList.ini", list), 0);
        std::string error;
        ASSERT_TRUE(sim.plug("mousepad", &error)) << error;
        // The connection sequence ends with the mode list on the panel.
        auto* modes = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
        ASSERT_NE(modes, nullptr);
        ASSERT_TRUE(test::waitUntil([&] { return modes->GetCount() == 9 && page->eventReaderRunning(); }));
    }
    sim::FirmwareModel& model() { return sim.device("mousepad")->model(); }
    uint8_t memory(size_t at) { return model().area(sim::Area::Config).at(at); }
    ui::CControlUI* control(const char* name) {
        return window->GetPaintManager().FindSubControlByName(page, QString::fromLatin1(name));
    }
    void notify(const char* name, const char* type) {
        ui::CControlUI* c = control(name);
        ASSERT_NE(c, nullptr) << name;
        window->GetPaintManager().SendNotify(c, QString::fromLatin1(type));
    }
    void chooseMode(int mode) {
        auto* combo = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->SelectItem(mode, true));
    }
    void slide(const char* name, int value) {
        auto* slider = qobject_cast<ui::CSliderUI*>(control(name));
        ASSERT_NE(slider, nullptr) << name;
        slider->SetValue(value);
        notify(name, ui::kNotifyValueChanged);
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneMousePadDevice* page = nullptr;
    CLightControlUI* panel = nullptr;
};

TEST_F(MousePadPageTest, PanelEditsReachThePadsSettingsMemory) {
    // Bytes 9..20 are the pad's own: every write sends them back as read.
    const std::vector<uint8_t> own = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(model().write(sim::Area::Config, 9, own));
    connect();
    chooseMode(6);
    EXPECT_EQ(memory(kMode), 6);
    slide("deng_speed_slider", 1);
    EXPECT_EQ(memory(kSpeed), 3) << "speed 1 is stored as 4 - 1";
    slide("deng_light_slider", 2);
    EXPECT_EQ(memory(kBrightness), 2);
    chooseMode(0);
    qobject_cast<ui::COptionUI*>(control("deng_FXL_check"))->Selected(true);
    EXPECT_EQ(memory(kOption), 1);
    qobject_cast<ui::COptionUI*>(control("deng_7color_check"))->Selected(false);
    EXPECT_EQ(memory(kSpectrum), 0);
    EXPECT_EQ(page->settingsBlock()[kSpeed], 1) << "the copy keeps the level";
    EXPECT_EQ(model().read(sim::Area::Config, 9, 12), own);
}

TEST_F(MousePadPageTest, ModesFollowThePadsPanelRules) {
    connect();
    chooseMode(8);
    EXPECT_TRUE(control("lighteffect_layout")->IsEnabled());
    EXPECT_FALSE(control("deng_light_layout")->IsEnabled());
    EXPECT_FALSE(control("deng_fx_layout")->IsEnabled());
    chooseMode(0);
    EXPECT_TRUE(control("deng_speed_layout")->IsEnabled());
    EXPECT_TRUE(control("deng_fx_layout")->IsEnabled());
}

TEST_F(MousePadPageTest, FramesReachThePad) {
    connect();
    auto* pad = dynamic_cast<sim::MousePadModel*>(&model());
    ASSERT_NE(pad, nullptr);
    page->setPreview(true);
    EXPECT_TRUE(test::waitUntil([&] { return pad->framesReceived() >= 2; }));
}

// A lighting program's mode change through the SDK server is a change on the
// page: the panel shows it and the pad's settings memory holds it.
TEST_F(MousePadPageTest, AClientsModeChangeShowsOnThePanelAndReachesThePad) {
    connect();
    SettingsStore settings;
    ASSERT_TRUE(settings.set(kSdkServerPortSetting, "0"));
    QString error;
    const bool started = window->SetSdkServer(true, &error);
    settings.set(kSdkServerPortSetting, "");
    ASSERT_TRUE(started) << error.toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return window->sdkBridge()->controllerPages().size() == 1; }));

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(window->sdkBridge()->port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    // Version 3, then mode 4 of the list (Direct, Wave, Spectrum cycle,
    // Spectrum breathing, Static): value 3, brightness 2, colour 10 20 30.
    using rgbsdk::test::Bytes;
    Bytes mode;
    mode.u32(4).str("Static").u32(3).u32(0x50).u32(0).u32(0).u32(0).u32(4).u32(1).u32(1).u32(0).u32(2).u32(0);
    mode.u32(2).u16(1).raw({0x10, 0x20, 0x30, 0});
    Bytes stream;
    stream.append(rgbsdk::test::packet(0, 40, Bytes().u32(3).v));
    stream.append(rgbsdk::test::packet(0, 1101, Bytes().u32(static_cast<uint32_t>(mode.v.size() + 4)).append(mode.v).v));
    ASSERT_EQ(::send(fd, stream.v.data(), stream.v.size(), 0), static_cast<ssize_t>(stream.v.size()));
    EXPECT_TRUE(test::waitUntil([&] { return panel->selectedMode() == 3; }));
    ::close(fd);
    EXPECT_EQ(memory(kMode), 3);
    EXPECT_EQ(memory(kBrightness), 2);
    EXPECT_EQ(model().read(sim::Area::Config, 6, 3), (std::vector<uint8_t>{0x10, 0x20, 0x30}));
    EXPECT_EQ(panel->editText(CLightControlUI::Component::Green), QStringLiteral("32"));
}

TEST_F(MousePadPageTest, TheProfileButtonMakesThePageReadTheSettings) {
    connect();
    const std::vector<uint8_t> record = {0, 7, 1, 4 - 3};
    ASSERT_TRUE(model().write(sim::Area::Config, 2 * 25, record));
    ASSERT_EQ(sim.device("mousepad")->control({"profile", "mousepad", "2"}), "ok");
    ASSERT_TRUE(test::waitUntil([&] { return page->settingsBlock()[0] == 2; }, 5000));
    const mousepad::SettingsBlock block = page->settingsBlock();
    EXPECT_EQ(block[kMode], 7);
    EXPECT_EQ(block[kSpeed], 3);
}

}  // namespace
}  // namespace talven
