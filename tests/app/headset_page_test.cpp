// The headset's page with a simulated headset and the audio library's
// virtual headset: the sound and voice-changer panels' events reach the
// library and the profile alike, and the lighting reaches the headset as its
// own twelve 17-byte output reports, decoded here from the report layout.
// Without the library the page keeps its lighting and says why its audio
// controls are disabled.

#include "app/main_wnd.h"
#include "editors/magic_control.h"
#include "editors/voice6533_control.h"
#include "pages/headset/headset_device_page.h"
#include "page_test_support.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/option.h"
#include "ui/slider_progress.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace talven {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProfileUuid = "2024_05_06_07_08_09_012";

// The virtual headset's files: "name=value" lines. Its microphone level
// runs over raw steps 0..100 and its monitoring over 0..32.
std::map<std::string, long> readConf(const fs::path& path) {
    std::map<std::string, long> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = std::stol(line.substr(equals + 1));
    }
    return values;
}

// One lighting frame as the headset takes it: report ID 0xFF, a tag, a
// component command, a zero, then seven (or six) values. The order is
// (22 AA)(22 AD)(44 AA)(44 AD), then AB/AE, then AC/AF.
using Colour = std::array<int, 3>;
std::optional<std::array<Colour, 13>> decodeFrame(const std::vector<std::vector<uint8_t>>& reports, size_t at) {
    const uint8_t commands[3][2] = {{0xAA, 0xAD}, {0xAB, 0xAE}, {0xAC, 0xAF}};
    std::array<Colour, 13> leds{};
    size_t next = at;
    for (int component = 0; component < 3; ++component) {
        for (uint8_t tag : {0x22, 0x44}) {
            for (int half = 0; half < 2; ++half) {
                if (next >= reports.size()) return std::nullopt;
                const std::vector<uint8_t>& r = reports[next++];
                if (r.size() != 17 || r[0] != 0xFF || r[1] != tag || r[2] != commands[component][half] || r[3] != 0)
                    return std::nullopt;
                const int first = half == 0 ? 0 : 7, count = half == 0 ? 7 : 6;
                for (int i = 0; i < count; ++i) leds[first + i][component] = r[4 + i];
            }
        }
    }
    return leds;
}

class HeadsetPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        // The program's resources with the audio library built beside them.
        fs::create_directories(dir / "resources");
        for (const char* part : {"skin", "DefaultData"})
            fs::create_directory_symlink(fs::path(TALVEN_RESOURCES_DIR) / part, dir / "resources" / part);
        fs::create_directory_symlink(fs::path(TALVEN_BINARY_DIR) / "app" / "SDK", dir / "resources" / "SDK");
        resources.emplace("TALVEN_RESOURCE_DIR", (dir / "resources").c_str());
        audioDir = dir / "audio";
        audio.emplace("TALVEN_AUDIO_VIRTUAL", audioDir.c_str());
    }
    void open(bool withLibrary = true) {
        if (!withLibrary) fs::remove(dir / "resources" / "SDK");
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        window->setProfileDialogs({{}, {}, [this](QWidget*, const QString& key, int) {
                                       messages.push_back(key);
                                       return 1;
                                   }});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 1350, 810));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages()) {
            if (candidate->deviceFolderName() == "HD") page = qobject_cast<COrvaneHS6533Device*>(candidate);
        }
        ASSERT_NE(page, nullptr) << "the headset's tag builds the headset's own class";
        voice = qobject_cast<CVoice6533ControlUI*>(control("Voice6533ControlItem"));
        magic = qobject_cast<CMagicControlUI*>(control("MagicControlItem"));
        ASSERT_NE(voice, nullptr);
        ASSERT_NE(magic, nullptr);
    }
    void TearDown() override {
        window.reset();
        audio.reset();
        resources.reset();
        std::filesystem::remove_all(paths::deviceDataFolder("HD"));
    }
    void connect() {
        ASSERT_TRUE(test::writeSingleProfileList("HD", kProfileUuid));
        std::string error;
        ASSERT_TRUE(sim.plug("headset", &error)) << error;
        auto* modes = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
        ASSERT_NE(modes, nullptr);
        ASSERT_TRUE(test::waitUntil([&] { return modes->GetCount() == 9 && page->animating(); }));
    }
    ui::CControlUI* control(const char* name) { return test::pageControl(*window, page, name); }
    void notify(const char* name, const char* type) { test::notifyControl(*window, page, name, type); }
    void choose(const std::string& option) {
        auto* o = qobject_cast<ui::COptionUI*>(control(option.c_str()));
        ASSERT_NE(o, nullptr) << option;
        o->Selected(true);
    }
    void click(const char* name) { notify(name, ui::kNotifyClick); }
    void slide(const std::string& name, int value) {
        auto* slider = qobject_cast<ui::CSliderUI*>(control(name.c_str()));
        ASSERT_NE(slider, nullptr) << name;
        slider->SetValue(value);
        notify(name.c_str(), ui::kNotifyValueChanged);
    }
    void saveCurve(const std::string& name) {
        control("custom_eq_name_edit")->SetText(QString::fromStdString(name));
        click("hs_EQ_btn_save");
    }
    Json::Value profileEntry() {
        return ReadJsonValue(paths::deviceDataFolder("HD") + kProfileUuid + ".Json")["Device"][0];
    }
    std::map<std::string, long> properties() { return readConf(audioDir / "properties.conf"); }
    std::map<std::string, long> mixer() { return readConf(audioDir / "mixer.conf"); }
    // The ten bands as the library keeps them and as the profile stores them.
    std::vector<long> libraryBands() {
        const auto kept = properties();
        std::vector<long> bands;
        for (int i = 1; i <= 10; ++i) bands.push_back(kept.at("output.EQ_Slider" + std::to_string(i)));
        return bands;
    }
    std::vector<long> profileCurve(int slot) {
        const Json::Value entry = profileEntry();
        std::vector<long> bands;
        for (const Json::Value& band : entry["CustomEQHzValueInfo"][slot]) bands.push_back(band["value"].asInt());
        return bands;
    }

    test::TempDir dir;
    fs::path audioDir;
    std::optional<test::ScopedEnv> resources, audio;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneHS6533Device* page = nullptr;
    CVoice6533ControlUI* voice = nullptr;
    CMagicControlUI* magic = nullptr;
    std::vector<QString> messages;
};

TEST_F(HeadsetPageTest, PresetsBandsAndCurvesReachTheLibraryAndTheProfile) {
    open();
    connect();
    ASSERT_TRUE(page->audioReady()) << page->audioError();
    choose("6533_eq_option_5");
    EXPECT_EQ(properties()["output.Enable_EQ_GFX"], 1);
    EXPECT_EQ(libraryBands(), std::vector<long>(10, 0)) << "preset 5 is flat";
    EXPECT_EQ(profileEntry()["SystemSetStages"]["EqType"].asInt(), 5);

    // A band moved under preset 2 makes a custom curve of the other nine.
    choose("6533_eq_option_2");
    slide("6533_eq_hz_slider_3", 9);
    const std::vector<long> moved = {7, 11, 6, 9, -11, -1, 6, 13, 6, 13};
    EXPECT_EQ(libraryBands(), moved);
    EXPECT_EQ(profileEntry()["SystemSetStages"]["EqType"].asInt(), 13);
    EXPECT_EQ(voice->equaliserMode(), 13);
    EXPECT_TRUE(control("custom_eq_option_layout")->IsEnabled());

    saveCurve("Mine");
    Json::Value entry = profileEntry();
    ASSERT_EQ(entry["CustomEQNameInfo"].size(), 1u);
    EXPECT_EQ(entry["CustomEQNameInfo"][0]["Name"].asString(), "Mine");
    EXPECT_EQ(profileCurve(0), moved);
    EXPECT_EQ(entry["SystemSetStages"]["CustomEqSeletIndex"].asInt(), 0);
    EXPECT_EQ(voice->curveName(0), QStringLiteral("Mine"));
    EXPECT_EQ(voice->selectedCurve(), 0);

    // The same name in other letter case is refused with the user told.
    saveCurve("MINE");
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("message_text_5")});
    EXPECT_EQ(profileEntry()["CustomEQNameInfo"].size(), 1u);

    // Under a preset the curves cannot be picked; back in the custom mode
    // the selected curve plays again, and a curve picked from the list too.
    choose("6533_eq_option_7");
    EXPECT_EQ(libraryBands(), (std::vector<long>{14, 10, 4, 0, -4, -3, -1, 1, 2, 3}));
    EXPECT_FALSE(control("custom_eq_name_combo")->IsEnabled());
    choose("6533_eq_option_13");
    EXPECT_EQ(libraryBands(), moved);
    slide("6533_eq_hz_slider_0", -5);
    saveCurve("Second");
    ASSERT_EQ(voice->curveCount(), 2);
    auto* combo = qobject_cast<ui::CComboUI*>(control("custom_eq_name_combo"));
    ASSERT_TRUE(combo->SelectItem(0, true));
    EXPECT_EQ(libraryBands(), moved);
    EXPECT_EQ(profileEntry()["SystemSetStages"]["EqType"].asInt(), 13);
    EXPECT_EQ(profileEntry()["SystemSetStages"]["CustomEqSeletIndex"].asInt(), 0);
    ASSERT_TRUE(combo->SelectItem(1, true));
    EXPECT_EQ(libraryBands()[0], -5);

    // Deleting the second curve plays the first; deleting that, the last
    // one, returns to preset 1 with the profile's bands.
    click("hs_EQ_btn_delete");
    EXPECT_EQ(libraryBands(), moved);
    EXPECT_EQ(profileEntry()["CustomEQNameInfo"].size(), 1u);
    click("hs_EQ_btn_delete");
    EXPECT_EQ(libraryBands(), (std::vector<long>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    entry = profileEntry();
    EXPECT_EQ(entry["CustomEQNameInfo"].size(), 0u);
    EXPECT_EQ(entry["SystemSetStages"]["EqType"].asInt(), 1);
    EXPECT_EQ(voice->curveCount(), 0);
}

TEST_F(HeadsetPageTest, TwentyCurvesAreTheMostAndTheTwentyFirstIsTold) {
    open();
    connect();
    choose("6533_eq_option_13");
    for (int i = 0; i < 20; ++i) saveCurve("curve " + std::to_string(i));
    ASSERT_EQ(profileEntry()["CustomEQNameInfo"].size(), 20u);
    EXPECT_TRUE(messages.empty());
    saveCurve("one more");
    EXPECT_EQ(profileEntry()["CustomEQNameInfo"].size(), 20u);
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("message_text_eq_curve_limit")});
    EXPECT_EQ(voice->newCurveName(), QStringLiteral("one more")) << "the name stays for the user to reuse";
}

TEST_F(HeadsetPageTest, LevelsAndMutesReachTheLibraryAndTheProfile) {
    open();
    connect();
    slide("6533_MicIn_slider", 37);
    EXPECT_EQ(mixer()["input.raw"], 37) << "0.37 of steps 0..100";
    click("6533_MicIn_option");
    EXPECT_EQ(mixer()["input.on"], 0) << "muted";
    slide("6533_MicMoniter_slider", 25);
    EXPECT_EQ(mixer()["monitor.raw"], 8) << "0.25 of steps 0..32";
    const bool monitoringWasOn = profileEntry()["SystemSetStages"]["MicMoniterSelect"].asInt() != 0;
    click("6533_MicMoniter_option");
    EXPECT_EQ(mixer()["monitor.on"], monitoringWasOn ? 0 : 1);

    const Json::Value stages = profileEntry()["SystemSetStages"];
    EXPECT_EQ(stages["MicInValue"].asInt(), 37);
    EXPECT_EQ(stages["MicInSelect"].asInt(), 0);
    EXPECT_EQ(stages["MicMoniterValue"].asInt(), 25);
    EXPECT_EQ(stages["MicMoniterSelect"].asInt(), monitoringWasOn ? 0 : 1);
    auto* mic = qobject_cast<ui::COptionUI*>(control("6533_MicIn_option"));
    EXPECT_FALSE(mic->IsSelected()) << "the option shows the muted microphone";
}

// A profile the user picks brings its audio values to the headset, as its
// lighting goes to the settings block.
TEST_F(HeadsetPageTest, AChosenProfileBringsItsAudioValuesToTheHeadset) {
    open();
    connect();
    Json::Value other = ReadJsonValue(paths::defaultDataFolder() + "HD.Json");
    Json::Value& stages = other["Device"][0]["SystemSetStages"];
    stages["EqType"] = 3;
    stages["MicInValue"] = 60;
    stages["MicInSelect"] = 0;
    const std::string uuid = "2024_05_06_07_08_09_013";
    ASSERT_EQ(wirtejsonFile(paths::deviceDataFolder("HD") + uuid + ".Json", other), 0);
    // As the profile panel leaves the list when the user picks the profile.
    ASSERT_TRUE(test::writeSingleProfileList("HD", uuid));
    page->selectProfile(uuid);
    EXPECT_EQ(libraryBands(), (std::vector<long>{10, 4, 0, -3, -4, -3, -2, -1, 0, 0})) << "preset 3";
    EXPECT_EQ(mixer()["input.raw"], 60);
    EXPECT_EQ(mixer()["input.on"], 0);
    EXPECT_EQ(voice->equaliserMode(), 3);
    EXPECT_EQ(voice->inputLevel(), 60);
}

TEST_F(HeadsetPageTest, VoiceChangerAndTypeReachTheLibraryAndTheProfile) {
    open();
    connect();
    ASSERT_TRUE(page->audioReady()) << page->audioError();
    ASSERT_TRUE(control("magic_enable_option")->IsEnabled()) << "the virtual headset has the voice changer";
    click("magic_enable_option");
    EXPECT_EQ(properties()["input.Enable_MAGICVOICE"], 1);
    EXPECT_EQ(properties()["input.Enable_MICECHO"], 0);
    choose("magic_option_3");
    EXPECT_EQ(properties()["input.MagicVoice_Selection"], 2) << "types 1..4 are 0..3 to the library";
    const Json::Value stages = profileEntry()["SystemSetStages"];
    EXPECT_EQ(stages["MagicEnable"].asInt(), 1);
    EXPECT_EQ(stages["MagicType"].asInt(), 3);
    EXPECT_TRUE(control("magic_option_layout")->IsEnabled());
}

// The panels select at most one option of a row, and a number outside the
// row selects none and is remembered as 0.
TEST_F(HeadsetPageTest, PanelsSelectOneOptionOrNone) {
    open();
    auto selected = [&](const char* prefix, int count) {
        std::vector<int> on;
        for (int n = 1; n <= count; ++n) {
            auto* option = qobject_cast<ui::COptionUI*>(control((prefix + std::to_string(n)).c_str()));
            if (option && option->IsSelected()) on.push_back(n);
        }
        return on;
    };
    struct Case {
        int shown, remembered;
        std::vector<int> on;
    };
    for (const Case& c : {Case{5, 5, {5}}, Case{13, 13, {13}}, Case{14, 0, {}}, Case{0, 0, {}}, Case{-1, 0, {}}}) {
        voice->selectEqualiserMode(c.shown);
        EXPECT_EQ(voice->equaliserMode(), c.remembered) << c.shown;
        EXPECT_EQ(selected("6533_eq_option_", 13), c.on) << c.shown;
    }
    for (const Case& c : {Case{2, 2, {2}}, Case{4, 4, {4}}, Case{0, 0, {}}, Case{5, 0, {}}}) {
        magic->selectType(c.shown);
        EXPECT_EQ(magic->type(), c.remembered) << c.shown;
        EXPECT_EQ(selected("magic_option_", 4), c.on) << c.shown;
    }
}

// With no curve selected an empty name stores nothing and says nothing.
TEST_F(HeadsetPageTest, AnEmptyNameWithoutASelectedCurveDoesNothing) {
    open();
    connect();
    choose("6533_eq_option_13");
    EXPECT_EQ(voice->selectedCurve(), -1);
    saveCurve("");
    EXPECT_EQ(profileEntry()["CustomEQNameInfo"].size(), 0u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(HeadsetPageTest, LightingGoesOutAsTheHeadsetsOwnReports) {
    open();
    connect();
    auto* modes = qobject_cast<ui::CComboUI*>(control("light_combo_modeSelect"));
    ASSERT_TRUE(modes->SelectItem(3, true));  // static
    slide("deng_light_slider", 4);             // level 255
    for (const auto& [name, value] : {std::pair{"deng_edit_R", "255"}, {"deng_edit_G", "100"}, {"deng_edit_B", "50"}}) {
        control(name)->SetText(QString::fromLatin1(value));
        notify(name, ui::kNotifyKillFocus);
    }
    sim::FirmwareModel& model = sim.device("headset")->model();
    // The settings block of profile 0 (bytes 1 mode, 2 brightness, 6..8 the
    // colour) holds the edits.
    EXPECT_EQ(model.read(sim::Area::Config, 1, 8), (std::vector<uint8_t>{3, 4, 2, 0, 0, 255, 100, 50}));
    page->setPreview(true);
    // Each component is value x 255 / 256, and the headset takes nothing
    // above 247: red 255 goes out as 247, green 100 as 99, blue 50 as 49.
    const Colour wanted = {247, 99, 49};
    std::optional<std::array<Colour, 13>> last;
    ASSERT_TRUE(test::waitUntil([&] {
        const auto reports = model.otherReports();
        for (size_t at = 0; at + 12 <= reports.size(); ++at) {
            if (auto frame = decodeFrame(reports, at); frame && (*frame)[0] == wanted) last = frame;
        }
        return last.has_value();
    }, 5000));
    for (int led = 0; led < 13; ++led) EXPECT_EQ((*last)[led], wanted) << "LED " << led;
    for (const auto& report : model.otherReports()) EXPECT_EQ(report.size(), 17u);
    for (const auto& request : model.requests()) EXPECT_NE(request[3], 0x12) << "no command-channel lighting frame";
}

// With no PipeWire server the equaliser's values are kept, and its title
// line says where the curve would be heard.
TEST_F(HeadsetPageTest, WithoutPipeWireTheEqualiserSaysWhereItApplies) {
    test::TempDir runtime;
    test::ScopedEnv noServer("XDG_RUNTIME_DIR", runtime.str().c_str());
    test::ScopedEnv noRemote("PIPEWIRE_RUNTIME_DIR", nullptr);
    open();
    connect();
    ASSERT_TRUE(page->audioReady()) << page->audioError();
    EXPECT_TRUE(control("hs_eq_pipewire_note")->IsVisible());
    EXPECT_FALSE(control("hs_audio_unavailable_layout")->IsVisible());
    choose("6533_eq_option_6");
    EXPECT_EQ(libraryBands(), (std::vector<long>{7, 14, -13, -6, -1, 8, 13, 7, 2, 6}));
    EXPECT_TRUE(control("hs_eq_pipewire_note")->IsVisible());
}

TEST_F(HeadsetPageTest, WithoutTheLibraryTheLightingStaysAndTheAudioSaysWhy) {
    open(false);
    connect();
    EXPECT_FALSE(control("hs_eq_pipewire_note")->IsVisible()) << "one line says why, not two";
    EXPECT_FALSE(page->audioReady());
    EXPECT_NE(page->audioError().find("libosConfLib.so"), std::string::npos) << page->audioError();
    EXPECT_FALSE(control("voice_controls_layout")->IsEnabled());
    EXPECT_FALSE(control("6533_MicIn_slider")->IsEnabled());
    EXPECT_TRUE(control("hs_audio_unavailable_layout")->IsVisible());
    EXPECT_EQ(control("hs_audio_error_text")->GetText().toStdString(), page->audioError());
    EXPECT_FALSE(control("magic_enable_option")->IsEnabled());
    // The panel's events change nothing and write no audio file.
    slide("6533_MicIn_slider", 12);
    EXPECT_FALSE(fs::exists(audioDir / "mixer.conf"));
    // The lighting still reaches the headset.
    page->setPreview(true);
    auto* headset = &sim.device("headset")->model();
    EXPECT_TRUE(test::waitUntil([&] { return headset->otherReports().size() >= 12; }, 5000));
}

}  // namespace
}  // namespace talven
