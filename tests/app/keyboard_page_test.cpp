// The keyboard page in a main window with a simulated keyboard: what it sends
// when the keyboard arrives, the notifications it answers, its settings page
// and its threads.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "device/command_frame.h"
#include "editors/key_set_control.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "device/keyboard/keyboard_profile_apply.h"
#include "platform/app_paths.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "profile/json_fields.h"
#include "profile/json_file.h"
#include "profile/macro_store.h"
#include "profile/profile_list.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/macro_image.h"
#include "support/temp_dir.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/option.h"
#include "ui/resource_manager.h"
#include "platform/input/input_capture.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace talven {
namespace {

constexpr const char* kProfileUuid = "2024_03_07_14_05_09_042";

class KeyboardPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        // The message box answers without opening: what it was asked is kept.
        ProfileDialogs dialogs;
        dialogs.message = [this](QWidget*, const QString& key, int) {
            messages.push_back(key.toStdString());
            return answer;
        };
        window->setProfileDialogs(std::move(dialogs));
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages()) {
            if (candidate->deviceFolderName() == "keyboard") page = qobject_cast<COrvaneKeyboardDevice*>(candidate);
        }
        ASSERT_NE(page, nullptr) << "the keyboard row gets a keyboard page";
        auto settings = std::make_unique<StoredInputSettings>(SettingsStore(dir.str() + "/input.ini"));
        input = settings.get();
        page->setInputSettings(std::move(settings));
    }
    void TearDown() override {
        // The language is remembered for the next window: leave it English.
        if (window && window->currentLanguage() != kEnglish) window->SendMessage(mainmsg::kApplyLanguage, kEnglish, 0);
        window.reset();
        std::filesystem::remove_all(paths::deviceDataFolder("keyboard"));
    }

    std::vector<Frame> requests() { return sim.device("keyboard")->model().requests(); }
    size_t count(uint8_t command) {
        size_t n = 0;
        for (const Frame& r : requests()) n += r[3] == command;
        return n;
    }
    // Plugs the keyboard and waits for the connection sequence to end with
    // the custom bitmap.
    void plugAndConnect() {
        const size_t bitmaps = count(cmd::WriteShort);
        std::string error;
        ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return count(cmd::WriteShort) > bitmaps && page->eventReaderRunning(); }));
    }
    uint8_t mode() {
        std::lock_guard<std::mutex> lock(page->frameLock());
        return page->lighting().lightParams().selectItem;
    }
    uint8_t recordByte(size_t offset) { return sim.device("keyboard")->model().area(sim::Area::Config).at(offset); }
    void writeProfileList(const std::string& uuid = kProfileUuid) {
        Json::Value list;
        list["profilelist"][0]["profilename"] = "Profile1";
        list["profilelist"][0]["profileUUID"] = uuid;
        list["profileselect"] = 0;
        ASSERT_EQ(wirtejsonFile(folder() + "ProfileList.ini", list), 0);
    }
    std::string folder() { return paths::deviceDataFolder("keyboard"); }
    ui::CControlUI* control(const char* name) {
        return window->GetPaintManager().FindSubControlByName(page, QString::fromLatin1(name));
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneKeyboardDevice* page = nullptr;
    InputSettings* input = nullptr;
    std::vector<std::string> messages;
    int answer = 0;
    static constexpr int kEnglish = 0;  // positions in Language.config
    static constexpr int kChinese = 1;
};

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(KeyboardPageTest, ConnectingReadsTheTablesWritesRecordZeroAndTheBitmapAndNoFrames) {
    writeProfileList();
    // A profile that differs from the factory one in every record field.
    Json::Value profile = ReadJsonValue(page->defaultProfilePath());
    profile["profilename"] = "Profile1";
    profile["profileUUID"] = kProfileUuid;
    Json::Value& light = profile["Device"][0]["LightInfo"];
    light["SelectItem"] = 5, light["Light"] = 2, light["Speed"] = 1, light["Fx"] = 1;
    light["MultiColor"] = 0, light["Red"] = 10, light["Green"] = 20, light["Blue"] = 30;
    Json::Value& system = profile["Device"][0]["SystemStages"];
    system["PollingRate"] = 1, system["WinFlag"] = 1, system["Key6Flag"] = 1;
    ASSERT_EQ(wirtejsonFile(folder() + kProfileUuid + ".Json", profile), 0);
    ASSERT_TRUE(input->setKeyboardSpeed(5));
    ASSERT_TRUE(input->setKeyboardDelay(2));
    plugAndConnect();
    std::vector<uint8_t> order;
    for (const Frame& r : requests()) {
        if (r[3] == cmd::ReadInfo || r[3] == cmd::ReadTable || r[3] == cmd::ReadThirdTable ||
            r[3] == cmd::WriteBlock || r[3] == cmd::WriteShort) {
            if (order.empty() || order.back() != r[3]) order.push_back(r[3]);
        }
    }
    EXPECT_EQ(order, (std::vector<uint8_t>{cmd::ReadInfo, cmd::ReadTable, cmd::ReadThirdTable, cmd::WriteBlock,
                                           cmd::WriteShort}));
    for (const Frame& r : requests()) {
        if (r[3] == cmd::WriteBlock) {
            EXPECT_EQ(r[5] | r[6] << 8, 0) << "record of profile 0";
            EXPECT_EQ(r[kFrameDataOffset], 0) << "byte 0 = 0";
        }
        if (r[3] != cmd::WriteShort) continue;
        EXPECT_EQ(r[4], 21) << "the whole custom bitmap";
    }
    // The keyboard holds exactly the record the saved profile makes.
    keyboard::KeyboardProfileValues values;
    std::string error;
    ASSERT_TRUE(keyboard::loadKeyboardProfile(folder() + kProfileUuid + ".Json", page->defaultProfilePath(), folder(),
                                              values, &error))
        << error;
    EXPECT_EQ(values.light.selectItem, 5);
    const keyboard::ProfileRecord expected =
        keyboard::encodeProfileRecord(0, values.light, keyboard::switchesFromSystemWords(values.system));
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(recordByte(i), expected[i]) << "record byte " << i;
    EXPECT_EQ(recordByte(22), 1) << "the profile's polling rate";
    // The desktop's key repeat went into the profile, and the profile was saved.
    const Json::Value saved = ReadJsonValue(folder() + kProfileUuid + ".Json");
    EXPECT_EQ(saved["Device"][0]["SystemStages"]["Repeat"].asInt(), 5);
    EXPECT_EQ(saved["Device"][0]["SystemStages"]["RepeatDelay"].asInt(), 2);
    // The panels' lists: the keyboard's row of the factory names.
    EXPECT_EQ(page->nameLists().defaultLightNames.size(), 23u);
    EXPECT_EQ(page->nameLists().defaultLightVisible.size(), 23u);
    // The preview runs, but the keyboard draws its own lighting.
    const auto before = page->frameSnapshot();
    ASSERT_TRUE(test::waitUntil([&] { return page->frameSnapshot() != before; }, 3000));
    EXPECT_EQ(count(cmd::WriteLightFrame), 0u);
}

TEST_F(KeyboardPageTest, AKeyPressedOnTheKeyboardLightsItsKeyInAReactiveMode) {
    plugAndConnect();
    LightSettings ripple;
    ripple.selectItem = 7;
    ripple.light = 4;
    ripple.speed = 4;
    page->setLightParams(ripple.word1(), ripple.word2(), ripple.word3());
    page->applyProfileLighting();
    ASSERT_EQ(sim.runCommand("key keyboard 6 press"), "ok");  // F1 on this keyboard
    EXPECT_TRUE(test::waitUntil([&] { return page->previewIntensity(2) > 0; }, 3000)) << "the ripple reaches F2";
    EXPECT_EQ(page->previewIntensity(1), 255) << "F1 stays lit while held";
    EXPECT_EQ(lighting::ledBrightness(page->frameSnapshot()[1]), 255 * 255 / 256);
    ASSERT_EQ(sim.runCommand("key keyboard 6 release"), "ok");
    EXPECT_TRUE(test::waitUntil([&] { return page->previewIntensity(1) == 0; }, 3000)) << "and fades";
}

TEST_F(KeyboardPageTest, TheKeyboardsRequestToSynchroniseMakesThePageReadItsRecord) {
    plugAndConnect();
    ASSERT_EQ(page->activeProfile(), 0);
    const size_t reads = count(cmd::ReadBlock);
    // The onboard profile key: profile 2, whose record holds mode 3.
    ASSERT_EQ(sim.runCommand("profile keyboard 2"), "ok");
    EXPECT_TRUE(test::waitUntil([&] { return page->activeProfile() == 2; }, 3000));
    EXPECT_EQ(mode(), 3);
    EXPECT_GE(count(cmd::ReadBlock), reads + 2) << "index, then the record";
    EXPECT_EQ(page->profileData().currentLightSettings().selectItem, 3);
}

TEST_F(KeyboardPageTest, CustomModeFromTheKeyboardSendsItsBitmapAndEachKeyEditOneByte) {
    plugAndConnect();
    const uint8_t custom = keyboard::kCustomLightMode;
    ASSERT_TRUE(sim.device("keyboard")->model().write(sim::Area::Config, 3 * keyboard::kRecordSize + 1, {&custom, 1}));
    const size_t bitmaps = count(cmd::WriteShort);
    ASSERT_EQ(sim.runCommand("profile keyboard 3"), "ok");
    ASSERT_TRUE(test::waitUntil([&] { return mode() == custom; }, 3000));
    ASSERT_EQ(count(cmd::WriteShort), bitmaps + 1);
    EXPECT_EQ(requests().back()[4], keyboard::kBitmapSize);
    page->setLedColour(64, lighting::makeLed(255, 0, 0, 255));  // A on
    page->writeCustomBit(64);
    const Frame one = requests().back();
    EXPECT_EQ(one[3], cmd::WriteShort);
    EXPECT_EQ(one[4], 1) << "one byte";
    const uint8_t position = page->protocol().maps().lightPosition[64];
    EXPECT_EQ(one[5], keyboard::customBitByte(position));
    EXPECT_EQ(one[kFrameDataOffset], keyboard::customBitMask(position));
}

TEST_F(KeyboardPageTest, UnpluggingMidAnimationStopsBothThreads) {
    plugAndConnect();
    ASSERT_TRUE(page->animating());
    ASSERT_TRUE(page->eventInterfaceOpen());
    sleepMs(100);
    const uint32_t start = tickCount();
    sim.unplug("keyboard");
    EXPECT_TRUE(test::waitUntil([&] { return !page->animating() && !page->eventReaderRunning(); }, 3000));
    EXPECT_FALSE(page->eventInterfaceOpen());
    EXPECT_LT(tickCount() - start, 3000u);
    // Plugged again, it starts over.
    plugAndConnect();
    EXPECT_TRUE(page->animating());
}

TEST_F(KeyboardPageTest, SettingsPageShowsAndSendsTheSettings) {
    writeProfileList();
    plugAndConnect();
    // Through the main window's routes, as a click would.
    auto* polling = qobject_cast<ui::COptionUI*>(control("polling_rate_option_1"));
    ASSERT_NE(polling, nullptr);
    polling->Selected(true);
    EXPECT_EQ(recordByte(22), 1);
    auto* winLock = qobject_cast<ui::COptionUI*>(control("winlockflag_option"));
    ASSERT_NE(winLock, nullptr);
    winLock->Selected(true);
    EXPECT_EQ(recordByte(21), 1);
    auto* delay = qobject_cast<ui::COptionUI*>(control("repeat_delay_check_2"));
    ASSERT_NE(delay, nullptr);
    delay->Selected(true);
    EXPECT_TRUE(control("repeat_delay_time_label1")->GetText().endsWith(QStringLiteral("750ms")));
    EXPECT_EQ(input->keyboardRepeat()->delay, 2u);
    auto* fastest = qobject_cast<ui::COptionUI*>(control("repeat_rate_check_3"));
    ASSERT_NE(fastest, nullptr);
    fastest->Selected(true);
    EXPECT_EQ(input->keyboardRepeat()->speed, 31u);
    page->setRepeatRate(12);
    EXPECT_TRUE(qobject_cast<ui::COptionUI*>(control("repeat_rate_check_1"))->IsSelected());
    EXPECT_FALSE(fastest->IsSelected());
    const keyboard::KeyboardSystemSettings expected{12, 2, 0, 1, 0, 1};
    EXPECT_EQ(page->systemSettings(), expected);
    const Json::Value saved = ReadJsonValue(folder() + kProfileUuid + ".Json");
    EXPECT_EQ(saved["Device"][0]["SystemStages"]["PollingRate"].asInt(), 1);
    EXPECT_EQ(saved["Device"][0]["SystemStages"]["WinFlag"].asInt(), 1);
}

TEST_F(KeyboardPageTest, KeysShowTheirNameAndAssignmentAndFollowTheFunctionPage) {
    writeProfileList();
    Json::Value macros;
    macros["MacroInfo"][0]["MacroName"] = "Reload";
    macros["MacroInfo"][0]["Guid"] = "2024_01_01_00_00_00_000";
    ASSERT_EQ(wirtejsonFile(folder() + "macro.config", macros), 0);
    plugAndConnect();
    EXPECT_EQ(page->nameLists().macroNames, std::vector<std::string>{"Reload"});
    Json::Value profile = ReadJsonValue(folder() + kProfileUuid + ".Json");
    profile["Device"][0]["KeyList"][64]["Assignment"] = 0x200005;  // A does B
    ASSERT_EQ(wirtejsonFile(folder() + kProfileUuid + ".Json", profile), 0);
    page->reloadProfile();
    page->applyProfileToPage();
    auto text = [](const char* key) { return ui::CResourceManager::GetInstance()->GetText(QString::fromLatin1(key)); };
    ui::CControlUI* a = control("key_64");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetToolTip(), text("keyboard_key_A") + QLatin1Char('\n') + text("Key_Set") + text("keyboard_key_B"));
    EXPECT_EQ(control("key_65")->GetToolTip(),
              text("keyboard_key_S") + QLatin1Char('\n') + text("Key_Set") + text("keyboard_key_S"));
    // The COLOR and FN keys keep their functions: not offered for assignment.
    page->setFunctionPage(2);
    EXPECT_FALSE(control("key_17")->IsEnabled());
    EXPECT_FALSE(control("key_110")->IsEnabled());
    page->setFunctionPage(1);
    EXPECT_TRUE(control("key_17")->IsEnabled());
}

TEST_F(KeyboardPageTest, ChoosingAProfileAppliesItsKeyRepeatToTheDesktop) {
    writeProfileList();
    plugAndConnect();
    Json::Value profile = ReadJsonValue(folder() + kProfileUuid + ".Json");
    ASSERT_TRUE(profile.isObject());
    profile["Device"][0]["SystemStages"]["Repeat"] = 7;
    profile["Device"][0]["SystemStages"]["RepeatDelay"] = 3;
    profile["Device"][0]["LightInfo"]["SelectItem"] = 9;
    const std::string other = "2024_03_07_14_05_10_000";
    ASSERT_EQ(wirtejsonFile(folder() + other + ".Json", profile), 0);
    page->selectProfile(other);
    EXPECT_EQ(input->keyboardRepeat(), (KeyboardRepeat{7, 3}));
    EXPECT_EQ(mode(), 9);
    EXPECT_EQ(recordByte(1), 9) << "the keyboard got the profile's record";
    page->resetRepeat();
    EXPECT_EQ(input->keyboardRepeat(), (KeyboardRepeat{kDefaultKeyboardSpeed, kDefaultKeyboardDelay}));
}

TEST_F(KeyboardPageTest, ALanguageChangeRelabelsKeysRepeatDelayAndHint) {
    writeProfileList();
    plugAndConnect();
    page->setRepeatDelay(2);
    struct Texts {
        int language;
        QString tooltip, delay, hint;
    };
    // Key A keeps its own function in the factory profile.
    const Texts texts[] = {
        {kChinese, QStringLiteral("A\n当前功能：A"), QStringLiteral("重复延迟：750ms"),
         QStringLiteral("在此按住一个键，试一试重复设置")},
        {kEnglish, QStringLiteral("A\nAssigned: A"), QStringLiteral("Repeat delay: 750ms"),
         QStringLiteral("Hold a key down here to try the repeat settings")},
    };
    auto* hint = qobject_cast<ui::CRichEditUI*>(control("repeat_input_richedit"));
    ASSERT_NE(hint, nullptr);
    for (const Texts& t : texts) {
        SCOPED_TRACE(t.language);
        window->SendMessage(mainmsg::kApplyLanguage, static_cast<quintptr>(t.language), 0);
        EXPECT_EQ(control("key_64")->GetToolTip(), t.tooltip);
        EXPECT_EQ(control("repeat_delay_time_label1")->GetText(), t.delay);
        EXPECT_EQ(hint->GetTextEdit()->placeholderText(), t.hint);
    }
}

TEST_F(KeyboardPageTest, TheGameModeKeyOnTheKeyboardShowsOnThePage) {
    plugAndConnect();
    ui::CControlUI* label = control("kb_game_mode_label");
    ASSERT_NE(label, nullptr);
    // Read once on connection: the simulated keyboard starts with it off.
    EXPECT_TRUE(test::waitUntil([&] { return label->IsVisible(); }, 3000));
    EXPECT_EQ(label->GetText(), QStringLiteral("Game mode: off"));
    const size_t statusReads = count(cmd::ReadShort);
    ASSERT_EQ(sim.runCommand("gamemode keyboard on"), "ok");
    EXPECT_TRUE(test::waitUntil([&] { return label->GetText() == QStringLiteral("Game mode: on"); }, 3000));
    EXPECT_EQ(count(cmd::ReadShort), statusReads + 1);
    window->SendMessage(mainmsg::kApplyLanguage, kChinese, 0);
    EXPECT_EQ(label->GetText(), QStringLiteral("游戏模式：开启"));
    ASSERT_EQ(sim.runCommand("gamemode keyboard off"), "ok");
    EXPECT_TRUE(test::waitUntil([&] { return label->GetText() == QStringLiteral("游戏模式：关闭"); }, 3000));
}

// The selected profile's file is not JSON: the user is asked once whether to
// reset it. Declined, the keyboard keeps its record and key table and the
// file stays as it was; an edit cannot be saved, and the user hears so.
TEST_F(KeyboardPageTest, ADamagedProfileIsReportedOnceAndNothingIsSentOverTheKeyboard) {
    writeProfileList();
    page->initProfilePanel(profile_kind::Keyboard);  // as a start with this list would
    const std::string path = folder() + kProfileUuid + ".Json";
    const std::string damaged = "{ \"profilename\": \"Profile1\", \"Device\": [ {";
    std::ofstream(path, std::ios::binary) << damaged;
    const sim::FirmwareModel& model = sim.device("keyboard")->model();
    const std::vector<uint8_t> record = model.area(sim::Area::Config);
    const std::vector<uint8_t> keys = model.area(sim::Area::KeyAssignments);
    std::string error;
    ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
    ASSERT_TRUE(test::waitUntil([&] { return !messages.empty() && page->eventReaderRunning(); }));
    test::waitUntil([] { return false; }, 300);  // time for a second message, which must not come
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_profile_damaged"});
    EXPECT_EQ(count(cmd::WriteBlock) + count(cmd::WriteTable) + count(cmd::WriteShort), 0u);
    EXPECT_EQ(model.area(sim::Area::Config), record);
    EXPECT_EQ(model.area(sim::Area::KeyAssignments), keys);
    EXPECT_EQ(fileText(path), damaged);
    // Switching editor tabs reloads the profile; the user was told already.
    page->setFunctionPage(1);
    page->setPollingRate(2);
    ASSERT_TRUE(test::waitUntil([&] { return messages.size() == 2; }));
    EXPECT_EQ(messages.back(), "message_text_profile_damaged") << "the edit cannot be saved";
    EXPECT_EQ(count(cmd::WriteBlock), 0u);
    EXPECT_EQ(fileText(path), damaged);
}

// An edit saved while the disk is full: the user hears that it was not
// saved, and the profile file keeps its last good contents.
TEST_F(KeyboardPageTest, AnEditSavedOnAFullDiskIsReportedAndTheFileKept) {
    writeProfileList();
    page->initProfilePanel(profile_kind::Keyboard);
    plugAndConnect();
    const std::string path = folder() + kProfileUuid + ".Json";
    const std::string before = fileText(path);
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(messages.empty());
    armAtomicWriteFault(AtomicWriteStep::write, ENOSPC);
    page->setPollingRate(2);
    const bool told = test::waitUntil([&] { return !messages.empty(); });
    armAtomicWriteFault(AtomicWriteStep::none, 0);
    ASSERT_TRUE(told);
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_profile_not_saved"});
    EXPECT_EQ(fileText(path), before);
}

TEST_F(KeyboardPageTest, AcceptingTheResetWritesTheFactoryProfileKeepsTheDamagedTextAndSendsIt) {
    writeProfileList();
    page->initProfilePanel(profile_kind::Keyboard);  // as a start with this list would
    const std::string path = folder() + kProfileUuid + ".Json";
    const std::string damaged = "not a profile";
    std::ofstream(path, std::ios::binary) << damaged;
    answer = 1;
    std::string error;
    ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
    ASSERT_TRUE(test::waitUntil([&] { return count(cmd::WriteTable) > 0; }));
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_profile_damaged"});
    EXPECT_EQ(fileText(path + ".damaged"), damaged);
    const Json::Value factory = ReadJsonValue(page->defaultProfilePath());
    const Json::Value reset = ReadJsonValue(path);
    EXPECT_EQ(reset["Device"], factory["Device"]);
    EXPECT_EQ(reset["profilename"].asString(), "Profile1");
    EXPECT_EQ(reset["profileUUID"].asString(), kProfileUuid);
    const Json::Value& light = factory["Device"][0]["LightInfo"];
    EXPECT_EQ(recordByte(1), light["SelectItem"].asInt()) << "the factory record reached the keyboard";
    EXPECT_EQ(recordByte(2), light["Light"].asInt());
}

// A profile that cannot be written (its name is too long for the file
// system) keeps no edit: the user is told once when the keyboard connects,
// and a reload does not repeat it.
TEST_F(KeyboardPageTest, AProfileThatCannotBeWrittenIsReportedOnceOnLoading) {
    writeProfileList(std::string(300, 'p'));
    page->initProfilePanel(profile_kind::Keyboard);
    std::string error;
    ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
    ASSERT_TRUE(test::waitUntil([&] { return !messages.empty() && page->eventReaderRunning(); }));
    page->setFunctionPage(1);  // a reload finds the same problem
    test::waitUntil([] { return false; }, 300);
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_profile_not_saved"});
}

// ---- key assignment -------------------------------------------------------------------

// The key assignment panel as a click reaches it: through the window's routes.
class KeyAssignmentPageTest : public KeyboardPageTest {
protected:
    void click(const char* name) {
        ui::CControlUI* c = control(name);
        ASSERT_NE(c, nullptr) << name;
        window->GetPaintManager().SendNotify(c, QString::fromLatin1(ui::kNotifyClick));
    }
    // Picks the category combo's entry that carries `category`, as the user would.
    void chooseCategory(int category) {
        auto* combo = qobject_cast<ui::CComboUI*>(control("keyset_function_combo"));
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->GetCount(); ++i) {
            if (combo->GetItemAt(i)->GetUserData() == QString::number(category)) {
                combo->SelectItem(i, true);
                return;
            }
        }
        FAIL() << "no entry for category " << category;
    }
    int shownCategory() {
        auto* combo = qobject_cast<ui::CComboUI*>(control("keyset_function_combo"));
        return combo->GetItemAt(combo->GetCurSel())->GetUserData().toInt();
    }
    CKeySetControlUI* panel() { return qobject_cast<CKeySetControlUI*>(control("KeySetControlItem")); }
    int storedAssignment(int key) {
        return ReadJsonValue(folder() + kProfileUuid + ".Json")["Device"][0]["KeyList"][key]["Assignment"].asInt();
    }
    // The simulated keyboard's own tables: the factory one and the current one.
    std::vector<uint8_t> simArea(sim::Area area) { return sim.device("keyboard")->model().area(area); }
};

TEST_F(KeyAssignmentPageTest, AKeySavedAsBReachesTheProfileAndTheKeyboardsTable) {
    writeProfileList();
    plugAndConnect();
    ASSERT_NE(panel(), nullptr);
    click("key_64");
    EXPECT_EQ(shownCategory(), 0) << "A does A: its default";
    chooseCategory(6);
    panel()->setCapturedKey(0x42, 0x05, QStringLiteral("B"));
    click("key_butt_keysave");
    EXPECT_EQ(storedAssignment(64), 0x200005);
    EXPECT_TRUE(control("key_butt_prosave")->IsEnabled()) << "the keyboard does not have it yet";
    click("key_butt_prosave");
    EXPECT_FALSE(control("key_butt_prosave")->IsEnabled());
    // Key 64 is the A key: its table position is where the factory table holds A (20 00 04).
    const std::vector<uint8_t> factory = simArea(sim::Area::KeyTable);
    const std::vector<uint8_t> current = simArea(sim::Area::KeyAssignments);
    size_t position = factory.size();
    for (size_t p = 0; p + 2 < factory.size(); p += 3) {
        if (factory[p] == 0x20 && factory[p + 1] == 0x00 && factory[p + 2] == 0x04) {
            position = p;
            break;
        }
    }
    ASSERT_LT(position + 2, current.size());
    EXPECT_EQ(current[position], 0x20);
    EXPECT_EQ(current[position + 1], 0x00);
    EXPECT_EQ(current[position + 2], 0x05);
    EXPECT_TRUE(messages.empty());
}

TEST_F(KeyAssignmentPageTest, CtrlAndCShowsAsACombinationAndTheButtonsShowDefaultStoredAndCleared) {
    writeProfileList();
    plugAndConnect();
    click("key_64");
    chooseCategory(6);
    panel()->setCapturedKey(0x43, 0x06, QStringLiteral("C"));
    auto* ctrl = qobject_cast<ui::COptionUI*>(control("key_ComBox_check_1"));
    auto* alt = qobject_cast<ui::COptionUI*>(control("key_ComBox_check_3"));
    ASSERT_TRUE(ctrl && alt);
    alt->Selected(true);
    ctrl->Selected(true);
    EXPECT_FALSE(alt->IsSelected()) << "one modifier option at a time";
    EXPECT_EQ(panel()->selectedModifier(), 1);
    click("key_butt_keysave");
    EXPECT_EQ(storedAssignment(64), 0x200106);
    EXPECT_EQ(shownCategory(), 11) << "LCtrl + C is the key combination row";
    click("key_butt_keydefalut");
    EXPECT_EQ(shownCategory(), 0);
    EXPECT_EQ(storedAssignment(64), 0x200106) << "showing the default saves nothing";
    click("key_butt_keycancel");
    EXPECT_EQ(shownCategory(), 11);
    // Clear empties the box and saves: the option alone remains.
    chooseCategory(6);
    panel()->setCapturedKey(0x42, 0x05, QStringLiteral("B"));
    panel()->selectModifier(2);
    click("key_butt_clear");
    EXPECT_EQ(storedAssignment(64), 0x200200);
}

TEST_F(KeyAssignmentPageTest, ANumberFieldWithoutANumberSavesNothing) {
    writeProfileList();
    plugAndConnect();
    click("key_64");
    chooseCategory(5);
    auto* interval = qobject_cast<ui::CEditUI*>(control("keyset_mousefire_interval_edit"));
    ASSERT_NE(interval, nullptr);
    interval->SetText(QStringLiteral("12x"));
    click("key_butt_keysave");
    EXPECT_EQ(storedAssignment(64), 0x200004);
    EXPECT_FALSE(control("key_butt_prosave")->IsEnabled());
    interval->SetText(QStringLiteral("300"));
    click("key_butt_keysave");
    EXPECT_EQ(storedAssignment(64), 0x142C00) << "fire, interval 300 truncated to 0x2C, count 0";
}

}  // namespace
// The capture box holds the input capture while it has the focus: a key
// pressed then lands in the box, and leaving the box gives the keys back.
// Without an X server the capture is our own windows' keys.
TEST_F(KeyAssignmentPageTest, TheCaptureBoxTakesAKeyWhileFocusedAndReleasesItOnLeaving) {
    test::TempDir empty;
    input::InputCaptureOptions options;
    options.tryX11 = false;
    options.inputDir = empty.str();
    options.uinputPath = empty.str() + "/uinput";
    window->deviceHook().setCaptureOptions(options);
    writeProfileList();
    plugAndConnect();
    click("key_64");
    chooseCategory(6);
    ui::CControlUI* box = control("keyset_keyboard_text_edit");
    ASSERT_NE(box, nullptr);

    window->GetPaintManager().SendNotify(box, QString::fromLatin1(ui::kNotifySetFocus));
    ASSERT_TRUE(window->deviceHook().installed());
    EXPECT_EQ(window->deviceHook().mode(), hookmode::kSingleKey);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 56, 0, 0, QStringLiteral("b"));  // KEY_B + 8
    QApplication::sendEvent(box, &press);
    EXPECT_EQ(box->GetText(), QStringLiteral("B"));
    click("key_butt_keysave");
    EXPECT_EQ(storedAssignment(64), 0x200005) << "keyboard key, no modifier, usage 05";

    window->GetPaintManager().SendNotify(box, QString::fromLatin1(ui::kNotifyKillFocus));
    EXPECT_FALSE(window->deviceHook().installed()) << "the keys are given back";

    // Unplugged while the box holds the capture: nothing is left to release it.
    window->GetPaintManager().SendNotify(box, QString::fromLatin1(ui::kNotifySetFocus));
    ASSERT_TRUE(window->deviceHook().installed());
    sim.unplug("keyboard");
    ASSERT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() != page; }));
    EXPECT_FALSE(window->deviceHook().installed());
}


// ---- macros downloaded with the keys --------------------------------------------------

namespace {

// One recorded step: press or release, kind ("Type"), code ("Button"), delay after it.
MacroStep step(const char* action, int type, int button, uint16_t delay) {
    Json::Value event;
    event["Action"] = action;
    event["Type"] = type;
    event["Button"] = button;
    return {event, delay};
}

class MacroDownloadPageTest : public KeyAssignmentPageTest {
protected:
    // Two macros as the recorder leaves them: Shift+A, then a click and a move.
    void recordTwoMacros() {
        MacroStore store(folder());
        ASSERT_TRUE(store.add().ok());
        ASSERT_TRUE(store.add().ok());
        ASSERT_TRUE(store.save(0, {step("down", 9, 0x02, 5), step("down", 10, 0x04, 300), step("up", 10, 0x04, 0),
                                   step("up", 9, 0x02, 1000)}).ok());
        ASSERT_TRUE(store.save(1, {step("down", 1, 0x01, 20), step("up", 1, 0x01, 65535), step("down", 4, 16, 0)}).ok());
    }
    // Key `key`: category 9, macro `macro`, run mode `mode`, saved.
    void assignMacro(const char* key, int macro, int mode) {
        click(key);
        chooseCategory(9);
        auto* macros = qobject_cast<ui::CComboUI*>(control("keyset_macro_combo"));
        auto* modes = qobject_cast<ui::CComboUI*>(control("keyset_macro_over_combo"));
        ASSERT_TRUE(macros && modes);
        ASSERT_GT(macros->GetCount(), macro);
        macros->SelectItem(macro, true);
        modes->SelectItem(mode, true);
        click("key_butt_keysave");
    }
    // The table position whose factory code is `code`.
    size_t factoryPosition(std::vector<uint8_t> code) {
        const std::vector<uint8_t> factory = simArea(sim::Area::KeyTable);
        for (size_t p = 0; p + 2 < factory.size(); p += 3)
            if (std::equal(code.begin(), code.end(), factory.begin() + p)) return p;
        return factory.size();
    }
    std::vector<uint8_t> assignedAt(size_t position) {
        const std::vector<uint8_t> current = simArea(sim::Area::KeyAssignments);
        return {current.begin() + position, current.begin() + position + 3};
    }
    size_t writes() { return count(cmd::WriteBuffer) + count(cmd::WriteTable); }
};

TEST_F(MacroDownloadPageTest, TwoMacrosOnTwoKeysReachTheKeyboardsMemoryAndTable) {
    writeProfileList();
    recordTwoMacros();
    plugAndConnect();
    assignMacro("key_64", 1, 2);  // A plays the click, run mode 2
    assignMacro("key_65", 0, 0);  // S plays Shift+A, run mode 0
    EXPECT_EQ(storedAssignment(64), 0x700102);
    click("key_butt_prosave");
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(control("key_butt_prosave")->IsEnabled());

    std::string why;
    const auto image = test::decodeMacroImage(simArea(sim::Area::Macro), &why);
    ASSERT_TRUE(image) << why;
    const std::vector<test::ImageMacro> expected = {
        {{5, 9, true, 2}, {300, 10, true, 4}, {0, 10, false, 4}, {1000, 9, false, 2}},
        {{20, 1, true, 1}, {65535, 1, false, 1}, {0, 4, true, 16}},
    };
    ASSERT_EQ(image->macros.size(), expected.size());
    for (size_t m = 0; m < expected.size(); ++m)
        EXPECT_EQ(test::describe(image->macros[m]), test::describe(expected[m])) << "macro " << m;
    EXPECT_EQ(assignedAt(factoryPosition({0x20, 0x00, 0x04})), (std::vector<uint8_t>{0x70, 0x01, 0x02}));
    EXPECT_EQ(assignedAt(factoryPosition({0x20, 0x00, 0x16})), (std::vector<uint8_t>{0x70, 0x00, 0x00}));
}

TEST_F(MacroDownloadPageTest, MacrosTheKeyboardCannotHoldAreToldAndNothingIsWritten) {
    writeProfileList();
    recordTwoMacros();
    plugAndConnect();
    assignMacro("key_64", 1, 0);
    // One unit of 128 bytes against 16 + 2 x 6 + 7 x 4 = 56: fits. None: 56 / 4 + 1 to remove.
    ASSERT_TRUE(sim.device("keyboard")->model().write(sim::Area::Info, sim::kInfoMacroUnits, std::vector<uint8_t>{0}));
    const std::vector<uint8_t> table = simArea(sim::Area::KeyAssignments);
    sim.device("keyboard")->model().clearRequests();
    click("key_butt_prosave");
    const QString told = ui::CResourceManager::GetInstance()->GetText(QStringLiteral("message_text_16"));
    EXPECT_EQ(messages, std::vector<std::string>{QString(told).replace(QLatin1String("%d"), QStringLiteral("15")).toStdString()});
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(simArea(sim::Area::KeyAssignments), table);
    EXPECT_TRUE(control("key_butt_prosave")->IsEnabled()) << "the keyboard still lacks the keys";
}

TEST_F(MacroDownloadPageTest, AMacroFileThatCannotBeReadIsToldAndNothingIsWritten) {
    writeProfileList();
    recordTwoMacros();
    plugAndConnect();
    assignMacro("key_64", 1, 0);
    test::writeFile(MacroStore(folder()).macroPath(1), "{\"Events\": [");
    sim.device("keyboard")->model().clearRequests();
    click("key_butt_prosave");
    EXPECT_EQ(messages, std::vector<std::string>{
                            ui::CResourceManager::GetInstance()->GetText(QStringLiteral("message_text_7")).toStdString()});
    EXPECT_EQ(writes(), 0u);
}

}  // namespace

}  // namespace talven
