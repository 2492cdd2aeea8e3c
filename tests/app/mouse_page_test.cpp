// The mouse page in a main window with a simulated mouse: a profile chosen
// on the page lands in the mouse's memory, the DPI stage rules, a button
// reassigned through the key assignment panel, and a wireless mouse out of
// reach. What the mouse holds is read from the simulator's side.

#include "app/main_wnd.h"
#include "device/key_assignment.h"
#include "editors/key_set_control.h"
#include "pages/mouse/mouse_device_page.h"
#include "platform/app_paths.h"
#include "platform/pointer_settings.h"
#include "profile/json_file.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/resource_manager.h"
#include "ui/slider_progress.h"
#include "ui/paint_manager.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace talven {
namespace {

using sim::Area;

// The factory codes of the eleven buttons as profile integers.
constexpr uint32_t kFactory[] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                 0x130200, 0xD00000, 0x130300, 0xA01B00, 0x169001};

Json::Value stage(int on, int xy, int x, int y, int r, int g, int b) {
    Json::Value s;
    s["StageActive"] = on, s["StageXY"] = xy, s["StageDPIX"] = x, s["StageDPIY"] = y;
    s["StageColorR"] = r, s["StageColorG"] = g, s["StageColorB"] = b;
    return s;
}

class MousePageTest : public ::testing::Test {
protected:
    void start(const char* product, const std::function<void()>& beforePlug = {}) {
        test::qtApp();
        ASSERT_TRUE(sim.addProduct(product));
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        // The message box answers without opening: what it was asked is kept.
        window->setProfileDialogs({{}, {}, [this](QWidget*, const QString& key, int) {
                                       messages.push_back(key.toStdString());
                                       return 1;
                                   }});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages())
            if (candidate->deviceFolderName() == "mouse") page = qobject_cast<COrvaneMouseDevice*>(candidate);
        ASSERT_NE(page, nullptr) << "the mouse row gets a mouse page";
        if (beforePlug) beforePlug();
        std::string error;
        ASSERT_TRUE(sim.plug(product, &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return page->protocol().attached() && page->animating(); }));
        name = product;
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(paths::deviceDataFolder("mouse"));
    }
    sim::FirmwareModel& model() { return sim.device(name)->model(); }
    ui::COptionUI* option(const QString& n) {
        return qobject_cast<ui::COptionUI*>(window->GetPaintManager().FindSubControlByName(page, n));
    }
    // The profile of the command-line tool's tests: three stages, stage 2
    // active, mode 9, speed 1, the second correction, left and right swapped.
    void writeProfile() {
        const std::string f = paths::deviceDataFolder("mouse");
        Json::Value list;
        list["profilelist"][0]["profileUUID"] = "only";
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile(f + "ProfileList.ini", list), 0);
        Json::Value e;
        e["LightInfo"]["SelectItem"] = 9, e["LightInfo"]["Light"] = 3, e["LightInfo"]["Speed"] = 1;
        e["LightInfo"]["Fx"] = 1, e["LightInfo"]["MultiColor"] = 0;
        e["DPIStages"]["StageActive"] = 2;
        e["DPIStages"]["StageDPIs"][0] = stage(1, 0, 6, 6, 255, 0, 0);
        e["DPIStages"]["StageDPIs"][1] = stage(1, 1, 14, 20, 0, 255, 0);
        e["DPIStages"]["StageDPIs"][2] = stage(0, 0, 30, 30, 0, 0, 255);
        e["SystemStages"]["DoubleClickTime"] = 6, e["SystemStages"]["MouseSpeed"] = 10;
        e["SystemStages"]["WheelScorlllinse"] = 3;
        e["ReportStages"]["StageActive"] = 2;
        e["HeightStages"]["StageActive"] = 1;
        for (int i = 0; i < 2; ++i) {
            e["CorrectInfo"][i]["CorrectSelect"] = i;
            e["CorrectInfo"][i]["CorrectMinSq"] = 2 + 6 * i;
            e["CorrectInfo"][i]["CorrectPixThresh"] = 4 + 8 * i;
        }
        for (Json::ArrayIndex j = 0; j < 11; ++j) {
            e["KeyList"][j]["DefaultAssignment"] = kFactory[j];
            e["KeyList"][j]["Assignment"] = kFactory[j < 2 ? 1 - j : j];
        }
        Json::Value profile;
        profile["Device"][0] = e;
        ASSERT_EQ(wirtejsonFile(f + "only.Json", profile), 0);
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneMouseDevice* page = nullptr;
    std::string name;
    std::vector<std::string> messages;
};

// The same block `talvenctl --trace mouse apply` leaves for this profile,
// with the screen this window runs on.
TEST_F(MousePageTest, AProfileChosenOnThePageGivesTheToolsSettingsBlockAndButtons) {
    start("mouse");
    writeProfile();
    page->selectProfile("only");
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const auto w = static_cast<uint16_t>(screen.width()), h = static_cast<uint16_t>(screen.height());
    const std::vector<uint8_t> block = {
        0, 0, 3, 3, 1, 0, 0xFF, 0, 0, 0, 0, 2, 2, 1,  // mode 9 sent as 0, speed 1 as 3
        1, 0, 6, 0, 6, 0, 255, 0, 0,                  // stage 0
        1, 1, 14, 0, 20, 0, 0, 255, 0,                // stage 1
        0, 0, 30, 0, 30, 0, 0, 0, 255,                // stage 2
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // stages 3 and 4
        1, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(h),
        static_cast<uint8_t>(h >> 8),                 // the screen
        8, 12, 0, 0, 0, 0,                            // the chosen correction
    };
    EXPECT_EQ(model().read(Area::Config, 0, 70), block);
    EXPECT_EQ(model().read(Area::KeyAssignments, 0, 6), (std::vector<uint8_t>{0x10, 0x02, 0x00, 0x10, 0x01, 0x00}));
    // The page shows it: stage 2 active but off, polling option 2, lift-off 1.
    EXPECT_TRUE(option(QStringLiteral("polling_rate_option_2"))->IsSelected());
    EXPECT_TRUE(option(QStringLiteral("Height_rate_option_1"))->IsSelected());
    EXPECT_FALSE(page->stageEnabled(2));
    EXPECT_EQ(page->stageEditValue(1), 14 * 50 + 100);
}

TEST_F(MousePageTest, TheLastEnabledStageKeepsItsCheckAndTypedDpiGoesToTheSlider) {
    start("mouse");
    for (int i = 0; i < 3; ++i) page->chooseStageEnabled(i, false);
    auto* last = option(QStringLiteral("DPI_enable_check_3"));
    EXPECT_TRUE(last->IsEnabled()) << "two stages still on";
    page->chooseStageEnabled(4, false);
    EXPECT_FALSE(last->IsEnabled()) << "stage 3 is the last one on";
    page->chooseStageEnabled(3, false);
    EXPECT_TRUE(page->stageEnabled(3)) << "the last stage cannot be switched off";
    EXPECT_EQ(model().read(Area::Config, 14 + 3 * 9, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(model().read(Area::Config, 14 + 4 * 9, 1), std::vector<uint8_t>{0});
    page->chooseStageEnabled(1, true);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(option(QStringLiteral("DPI_enable_check_%1").arg(i))->IsEnabled()) << i;

    // Typed DPI to slider: (DPI / 50) - 1, the DPI at least 100.
    const std::pair<int, int> typed[] = {{50, 1}, {100, 1}, {1600, 31}, {999999, 519}};
    for (const auto& [dpi, index] : typed) {
        window->GetPaintManager().FindSubControlByName(page, QStringLiteral("DPI_edit_1"))->SetText(QString::number(dpi));
        page->commitStageEdit(1);
        EXPECT_EQ(page->stageSlider(1), index) << dpi;
        EXPECT_EQ(page->stageEditValue(1), index * 50 + 100) << dpi;
    }
    EXPECT_EQ(model().read(Area::Config, 14 + 9 + 2, 2), (std::vector<uint8_t>{0x07, 0x02}));  // 519
}

TEST_F(MousePageTest, AButtonReassignedInThePanelReachesTheButtonTable) {
    start("mouse");
    page->selectKey(4);  // back
    CKeySetControlUI* panel = page->keySetPanel();
    ASSERT_NE(panel, nullptr);
    // Shown as the keyboard key Enter (usage 0x28), then saved and applied.
    const keyfn::KeyRecord enter{0x0D, {0x20, 0x00, 0x28}};
    panel->showAssignment(enter, keyfn::storedRecord({0x10, 0x08, 0x00}));
    page->saveKeyAssignment();
    page->saveKeysToMouse();
    EXPECT_EQ(model().read(Area::KeyAssignments, 9, 3), (std::vector<uint8_t>{0x20, 0x00, 0x28}));
    EXPECT_EQ(model().read(Area::KeyAssignments, 0, 3), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
    EXPECT_FALSE(window->GetPaintManager().FindSubControlByName(page, QStringLiteral("key_butt_prosave"))->IsEnabled());

    // The button list: one row per button, its name and what it does now.
    auto* list = qobject_cast<ui::CListUI*>(
        window->GetPaintManager().FindSubControlByName(page, QStringLiteral("device_setkeyinfo_list")));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), 11);
    auto* back = qobject_cast<ui::CContainerUI*>(list->GetItemAt(4));
    ASSERT_NE(back, nullptr);
    auto* res = ui::CResourceManager::GetInstance();
    EXPECT_EQ(back->GetItemAt(0)->GetText(), res->GetText(QStringLiteral("mouse_key_back_g")));
    EXPECT_EQ(back->GetItemAt(1)->GetText(), res->GetText(QStringLiteral("keyboard_key_Enter")));
    EXPECT_EQ(back->GetItemAt(1)->GetTextColor(), QColor(0x45, 0xD5, 0xBC));
}

// The DPI button: the mouse announces 0x0401 and the page reads it again.
TEST_F(MousePageTest, TheMousesRequestToBeReadMakesThePageShowItsActiveStage) {
    start("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return page->eventReaderRunning(); }));
    ASSERT_FALSE(option(QStringLiteral("DPI_rank_check_4"))->IsSelected());
    ASSERT_EQ(sim.runCommand("dpi mouse 4"), "ok");
    EXPECT_TRUE(test::waitUntil([&] { return option(QStringLiteral("DPI_rank_check_4"))->IsSelected(); }, 3000));
    EXPECT_EQ(page->profileData().GetDpiStageActive(), 4);
}

TEST_F(MousePageTest, AWirelessMouseOutOfReachGetsOnlyTheLinkCheck) {
    start("mouse-wireless");
    // The simulated receiver enumerates as a wired mouse; its page's channel
    // is told it is a slow link, as a recognised wireless slot is.
    page->commandChannel().setSlowLink(true);
    const auto before = model().area(Area::Config);
    ASSERT_EQ(sim.device(name)->control({"link", name, "down"}), std::optional<std::string>("ok"));
    model().clearRequests();
    page->choosePollingRate(1);
    const auto requests = model().requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0][3], 0xAA);
    EXPECT_EQ(model().area(Area::Config), before);
    EXPECT_TRUE(option(QStringLiteral("polling_rate_option_1"))->IsSelected()) << "the choice is kept for later";
    // The user learns that the mouse did not take it, once.
    ASSERT_TRUE(test::waitUntil([&] { return !messages.empty(); }));
    test::idle(50);
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_device_not_written"});
}

// The desktop's pointer settings (here a settings file with no desktop
// behind it) become the profile's system record when the mouse arrives; an
// edit on the page reaches them, the profile and this program's own widgets,
// and the control says that the desktop did not take it.
TEST_F(MousePageTest, PointerSettingsAreReadAtArrivalAndEditsReachDesktopProfileAndProgram) {
    test::TempDir settingsDir;
    const std::string file = settingsDir.str() + "/settings.ini";
    {
        SettingsStore store(file);
        ASSERT_TRUE(store.set(kPointerSpeedSetting, "7"));
        ASSERT_TRUE(store.set(kPointerPrecisionSetting, "0"));
        ASSERT_TRUE(store.set(kWheelLinesSetting, "5"));
        ASSERT_TRUE(store.set(kDoubleClickSetting, "410"));
    }
    start("mouse", [&] { page->setPointerSettings(std::make_unique<PointerSettings>(nullptr, SettingsStore(file))); });
    // Word A: double-click level 10 - (410 - 200) / 70 = 7, speed 7; word B:
    // precision 0, no page scrolling; word C: 5 lines.
    EXPECT_EQ(page->systemRecord()[0], 7u | 7u << 16);
    EXPECT_EQ(page->systemRecord()[1], 0u);
    EXPECT_EQ(page->systemRecord()[2] & 0xFFFF, 5u);
    EXPECT_EQ(QGuiApplication::styleHints()->wheelScrollLines(), 5);

    auto* speed = qobject_cast<ui::CSliderUI*>(window->GetPaintManager().FindSubControlByName(page, QStringLiteral("pointer_speed_slider")));
    ASSERT_NE(speed, nullptr);
    speed->SetValue(15);
    window->GetPaintManager().SendNotify(speed, QString::fromLatin1(ui::kNotifyValueChanged));
    EXPECT_EQ(SettingsStore(file).get(kPointerSpeedSetting), std::optional<std::string>("15"));
    EXPECT_EQ(page->systemRecord()[0] >> 16, 15u);
    EXPECT_EQ(ReadJsonValue(page->profileData().GetProfilePath())["Device"][0]["SystemStages"]["MouseSpeed"].asInt(), 15);
    EXPECT_EQ(speed->GetToolTip(), ui::CResourceManager::GetInstance()->GetText(QStringLiteral("mouse_pointer_program_only")));

    // The double-click slider's level 2 of 10 is (10 - 2 + 1) x 100 ms.
    auto* doubleClick = qobject_cast<ui::CSliderUI*>(window->GetPaintManager().FindSubControlByName(page, QStringLiteral("double_click_slider")));
    ASSERT_NE(doubleClick, nullptr);
    doubleClick->SetValue(2);
    window->GetPaintManager().SendNotify(doubleClick, QString::fromLatin1(ui::kNotifyValueChanged));
    EXPECT_EQ(SettingsStore(file).get(kDoubleClickSetting), std::optional<std::string>("900"));
    EXPECT_EQ(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 900);
}

}  // namespace
}  // namespace talven
