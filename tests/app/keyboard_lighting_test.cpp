// The lighting panel on the keyboard page with a simulated keyboard: edits
// made through the panel's events reach the keyboard's profile record and
// custom-light bitmap, read back from the simulator's memory; and what the
// panel shows for light parameters and modes.

#include "app/main_wnd.h"
#include "controls/color_palette.h"
#include "editors/light_control.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/option.h"
#include "ui/resource_manager.h"
#include "ui/slider_progress.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace talven {
namespace {

constexpr const char* kProfileUuid = "2024_05_06_07_08_09_010";
// The keyboard's profile record, as the keyboard lays it out.
constexpr size_t kMode = 1, kBrightness = 2, kSpeed = 3, kDirection = 4, kSpectrum = 5, kRed = 6, kGreen = 7,
                 kBlue = 8;
constexpr size_t kBitmapBytes = 21;

class KeyboardLightingTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 1350, 810));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages()) {
            if (candidate->deviceFolderName() == "keyboard") page = qobject_cast<COrvaneKeyboardDevice*>(candidate);
        }
        ASSERT_NE(page, nullptr);
        panel = qobject_cast<CLightControlUI*>(control("LightControlItem"));
        ASSERT_NE(panel, nullptr) << "the keyboard page holds its lighting panel";
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(paths::deviceDataFolder("keyboard"));
    }

    sim::FirmwareModel& model() { return sim.device("keyboard")->model(); }
    size_t writes(uint8_t command, uint8_t length) {
        size_t n = 0;
        for (const auto& r : model().requests()) n += r[3] == command && r[4] == length;
        return n;
    }
    void connect() {
        Json::Value list;
        list["profilelist"][0]["profilename"] = "Profile1";
        list["profilelist"][0]["profileUUID"] = kProfileUuid;
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile(paths::deviceDataFolder("keyboard") + "ProfileList.ini", list), 0);
        std::string error;
        ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
        // The connection sequence ends with the custom bitmap.
        ASSERT_TRUE(test::waitUntil(
            [&] { return writes(cmd::WriteShort, kBitmapBytes) > 0 && page->eventReaderRunning(); }));
    }
    uint8_t record(size_t byte) { return model().area(sim::Area::Config).at(byte); }
    ui::CControlUI* control(const char* name) {
        return window->GetPaintManager().FindSubControlByName(page, QString::fromLatin1(name));
    }
    void notify(const char* name, const char* type) {
        ui::CControlUI* c = control(name);
        ASSERT_NE(c, nullptr) << name;
        window->GetPaintManager().SendNotify(c, QString::fromLatin1(type));
    }
    static QString text(const char* key) {
        return ui::CResourceManager::GetInstance()->GetText(QString::fromLatin1(key));
    }
    void chooseMode(int mode) {
        auto* combo = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->SelectItem(mode, true));
    }
    // Where the keyboard keeps the custom-light bit of the key whose factory
    // code is `code`: its table position, then the light-position table.
    size_t lightPosition(std::array<uint8_t, 3> code) {
        const auto table = model().area(sim::Area::KeyTable);
        for (size_t k = 0; k + 2 < table.size(); k += 3) {
            if (table[k] == code[0] && table[k + 1] == code[1] && table[k + 2] == code[2])
                return model().area(sim::Area::LightPositions).at(k / 3);
        }
        ADD_FAILURE() << "no such key";
        return 0;
    }
    bool bitSet(size_t position) {
        const uint8_t byte = model().area(sim::Area::Short).at(position % kBitmapBytes);
        return (byte >> (position / kBitmapBytes)) & 1;
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneKeyboardDevice* page = nullptr;
    CLightControlUI* panel = nullptr;
};

TEST_F(KeyboardLightingTest, PanelEditsReachTheKeyboardsRecord) {
    connect();
    chooseMode(5);
    EXPECT_EQ(record(kMode), 5);

    auto* brightness = qobject_cast<ui::CSliderUI*>(control("deng_light_slider"));
    ASSERT_NE(brightness, nullptr);
    EXPECT_EQ(brightness->GetMaxValue(), 4);
    brightness->SetValue(1);
    notify("deng_light_slider", ui::kNotifyValueChanged);
    EXPECT_EQ(record(kBrightness), 1);

    qobject_cast<ui::CSliderUI*>(control("deng_speed_slider"))->SetValue(3);
    notify("deng_speed_slider", ui::kNotifyValueChanged);
    EXPECT_EQ(record(kSpeed), 4 - 3) << "the keyboard stores the speed inverted";

    chooseMode(0);
    qobject_cast<ui::COptionUI*>(control("deng_FXL_check"))->Selected(true);
    EXPECT_EQ(record(kDirection), 1);
    EXPECT_FALSE(qobject_cast<ui::COptionUI*>(control("deng_FXR_check"))->IsSelected());
    qobject_cast<ui::COptionUI*>(control("deng_FXR_check"))->Selected(true);
    EXPECT_EQ(record(kDirection), 0);

    qobject_cast<ui::COptionUI*>(control("deng_7color_check"))->Selected(true);
    EXPECT_EQ(record(kSpectrum), 1);
    // The palette's colour replaces the spectrum.
    qobject_cast<CColorPaletteUI*>(control("deng_Color_Pallet"))->SetColor(0xFF204060);
    notify("deng_Color_Pallet", "colorchanged");
    EXPECT_EQ(record(kSpectrum), 0);
    EXPECT_EQ(record(kRed), 0x20);
    EXPECT_EQ(record(kGreen), 0x40);
    EXPECT_EQ(record(kBlue), 0x60);
    EXPECT_EQ(qobject_cast<ui::CEditUI*>(control("deng_edit_G"))->GetText(), QStringLiteral("64"));
    EXPECT_EQ(control("deng_colordp_btn")->GetBkColor().rgb(), 0xFF204060u);

    // Typed above 255: kept at 255 and shown so.
    auto* red = qobject_cast<ui::CEditUI*>(control("deng_edit_R"));
    red->SetText(QStringLiteral("300"));
    notify("deng_edit_R", ui::kNotifyKillFocus);
    EXPECT_EQ(red->GetText(), QStringLiteral("255"));
    EXPECT_EQ(record(kRed), 255);
    EXPECT_EQ(record(kGreen), 0x40);

    notify("color_option_3", ui::kNotifyClick);
    const uint32_t preset = panel->presetColour(3);
    EXPECT_EQ(record(kRed), (preset >> 16) & 0xFF);
    EXPECT_EQ(record(kGreen), (preset >> 8) & 0xFF);
    EXPECT_EQ(record(kBlue), preset & 0xFF);

    const Json::Value saved = ReadJsonValue(paths::deviceDataFolder("keyboard") + kProfileUuid + ".Json");
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["SelectItem"].asInt(), 0);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["Light"].asInt(), 1);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["Speed"].asInt(), 3);
}

TEST_F(KeyboardLightingTest, CustomModeKeysReachTheKeyboardsBitmap) {
    connect();
    const size_t wholeBitmaps = writes(cmd::WriteShort, kBitmapBytes);
    chooseMode(20);
    EXPECT_EQ(record(kMode), 20);
    EXPECT_EQ(writes(cmd::WriteShort, kBitmapBytes), wholeBitmaps + 1) << "entering the mode sends the bitmap";
    const size_t keyA = lightPosition({0x20, 0x00, 0x04});
    const size_t keyB = lightPosition({0x20, 0x00, 0x05});
    ASSERT_TRUE(bitSet(keyA)) << "the factory custom set lights A";
    ASSERT_FALSE(bitSet(keyB));

    const size_t singleBits = writes(cmd::WriteShort, 1);
    notify("key_64", ui::kNotifyClick);  // A
    EXPECT_FALSE(bitSet(keyA));
    notify("key_89", ui::kNotifyClick);  // B
    EXPECT_TRUE(bitSet(keyB));
    EXPECT_EQ(writes(cmd::WriteShort, 1), singleBits + 2) << "one byte per key";

    auto* allOn = qobject_cast<ui::COptionUI*>(control("deng_on_or_off"));
    ASSERT_NE(allOn, nullptr);
    EXPECT_TRUE(allOn->IsVisible());
    allOn->Selected(true);
    const auto bitmap = model().area(sim::Area::Short);
    for (size_t i = 0; i < kBitmapBytes; ++i) EXPECT_EQ(bitmap.at(i), 0xFF) << i;

    // Outside the custom mode a click on a key edits nothing.
    chooseMode(4);
    const size_t before = writes(cmd::WriteShort, 1);
    notify("key_64", ui::kNotifyClick);
    EXPECT_EQ(writes(cmd::WriteShort, 1), before);
}

TEST_F(KeyboardLightingTest, ShowLightParamsUnpacksBothWords) {
    page->applyProfileToPage();  // the mode list
    // Mode 2, brightness 3, speed 1, direction 1; spectrum on, 128, 255, 0.
    panel->showLightParams(2 | 3 << 8 | 1 << 16 | 1u << 24, 1 | 128 << 8 | 255 << 16 | 0u << 24);
    EXPECT_EQ(panel->selectedMode(), 2);
    EXPECT_EQ(panel->brightness(), 3);
    EXPECT_EQ(panel->speed(), 1);
    EXPECT_EQ(panel->direction(), 1);
    EXPECT_TRUE(panel->spectrum());
    EXPECT_EQ(panel->editText(CLightControlUI::Component::Red), QStringLiteral("128"));
    EXPECT_EQ(panel->editText(CLightControlUI::Component::Green), QStringLiteral("255"));
    EXPECT_EQ(panel->editText(CLightControlUI::Component::Blue), QStringLiteral("0"));
    EXPECT_EQ(panel->paletteColour(), 0xFF80FF00u);
    EXPECT_EQ(control("deng_FXL_check")->GetText(), text("light_set_outside_to_inside_text"));
    panel->showLightParams(13, 0);
    EXPECT_EQ(panel->direction(), 0);
    EXPECT_FALSE(panel->spectrum());
    EXPECT_EQ(control("deng_FXR_check")->GetText(), text("light_set_up_to_down_text"));
}

TEST_F(KeyboardLightingTest, ModeRulesShowHideEnableAndDisableTheControls) {
    page->applyProfileToPage();
    ui::CControlUI* speed = control("deng_speed_layout");
    ui::CControlUI* slider = control("deng_speed_slider");
    panel->showLightParams(0, 0);
    EXPECT_TRUE(speed->IsVisible());
    panel->showLightParams(4, 0);
    EXPECT_FALSE(speed->IsVisible());
    EXPECT_FALSE(slider->IsEnabled()) << "a disabled group disables what it holds";
    EXPECT_FALSE(control("deng_same_mode")->IsVisible());
    panel->setSameModeOption(true);
    EXPECT_TRUE(control("deng_same_mode")->IsVisible());
    panel->showLightParams(0, 0);
    EXPECT_TRUE(speed->IsVisible());
    EXPECT_TRUE(slider->IsEnabled());
    EXPECT_FALSE(control("deng_same_mode")->IsVisible());
    // Shown but disabled.
    panel->showLightParams(21, 0);
    EXPECT_TRUE(speed->IsVisible());
    EXPECT_FALSE(slider->IsEnabled());
    panel->showLightParams(20, 0);
    EXPECT_TRUE(control("deng_on_or_off")->IsVisible());
    EXPECT_TRUE(control("lightcustom_layout")->IsVisible());
    // The keyboard offers no colour choice.
    EXPECT_FALSE(control("deng_Color_Pallet")->IsEnabled());
    EXPECT_FALSE(control("deng_edit_R")->IsEnabled());
}

TEST(ColorPaletteTest, NoSelectionReadsBlackThenPicksBySquareAndBar) {
    test::qtApp();
    CColorPaletteUI palette;
    EXPECT_EQ(palette.GetColor(), CColorPaletteUI::kNoSelection);
    EXPECT_FALSE(palette.HasSelection());
    palette.SetPos(QRect(0, 0, 226, 101));
    const QRect square = palette.SquareRect();
    const QRect bar = palette.HueRect();
    auto press = [&](QPoint at) {
        for (int type : {ui::UIEVENT_BUTTONDOWN, ui::UIEVENT_BUTTONUP}) {
            ui::TEventUI e;
            e.Type = type;
            e.ptMouse = at;
            palette.DoEvent(e);
        }
    };
    // Top right of the square: full saturation and value at hue 0.
    press(QPoint(square.right(), square.top()));
    EXPECT_EQ(palette.GetColor(), 0xFFFF0000u);
    // Top left: no saturation, white.
    press(QPoint(square.left(), square.top()));
    EXPECT_EQ(palette.GetColor(), 0xFFFFFFFFu);
    // Bottom: no value, black, but a selection.
    press(QPoint(square.right(), square.bottom()));
    EXPECT_EQ(palette.GetColor(), 0xFF000000u);
    EXPECT_TRUE(palette.HasSelection());
    // The middle of the hue bar is cyan at full saturation and value.
    press(QPoint(square.right(), square.top()));
    press(QPoint(bar.center().x(), bar.top() + (bar.height() - 1) / 2));
    EXPECT_EQ(palette.GetColor(), 0xFF00FFFFu);
    // A colour set from outside reads back as set.
    palette.SetColor(0x00123456);
    EXPECT_EQ(palette.GetColor(), 0xFF123456u);
    palette.SetEnabled(false);
    press(QPoint(square.left(), square.top()));
    EXPECT_EQ(palette.GetColor(), 0xFF123456u) << "disabled, it takes no pick";
}

}  // namespace
}  // namespace talven
