// The macro panel of the keyboard page in a main window with a simulated
// keyboard, driven through the window's routes as clicks reach it: the macro
// list and its files, the steps by hand, and recordings from synthetic X
// input under an Xvfb of the suite's own.

#include "app/main_wnd.h"
#include "editors/key_set_control.h"
#include "editors/macro_control.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "platform/app_paths.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/menu_wnd.h"
#include "ui/messages.h"
#include "ui/option.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace talven {
namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A file as JSON, read here rather than through the program's reader.
Json::Value readJson(const std::string& path) {
    const std::string text = fileBytes(path);
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    reader->parse(text.data(), text.data() + text.size(), &value, nullptr);
    return value;
}

class MacroEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        std::filesystem::remove_all(paths::deviceDataFolder("keyboard"));
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ProfileDialogs dialogs;
        dialogs.message = [this](QWidget*, const QString& key, int) {
            messages.push_back(key.toStdString());
            return answer;
        };
        window->setProfileDialogs(std::move(dialogs));
        window->setMacroFileDialog([this](QWidget*, bool save) { return save ? exportPath : importPath; });
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 1400, 900));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages()) {
            if (candidate->deviceFolderName() == "keyboard") page = qobject_cast<COrvaneKeyboardDevice*>(candidate);
        }
        ASSERT_NE(page, nullptr);
        panel = page->macroPanel();
        ASSERT_NE(panel, nullptr) << "the macro tab hosts the panel";
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(paths::deviceDataFolder("keyboard"));
    }

    ui::CControlUI* control(const char* name) {
        return window->GetPaintManager().FindSubControlByName(page, QString::fromLatin1(name));
    }
    void click(const char* name) {
        ui::CControlUI* c = control(name);
        ASSERT_NE(c, nullptr) << name;
        window->GetPaintManager().SendNotify(c, QString::fromLatin1(ui::kNotifyClick));
    }
    void setText(const char* name, const char* text) { control(name)->SetText(QString::fromLatin1(text)); }
    std::vector<std::string> listTexts(const char* name) {
        std::vector<std::string> out;
        auto* list = qobject_cast<ui::CContainerUI*>(control(name));
        for (int i = 0; list && i < list->GetCount(); ++i) out.push_back(list->GetItemAt(i)->GetText().toStdString());
        return out;
    }
    // "Action Type Button Delay" of each step the panel holds, delays as shown.
    std::vector<std::string> shownSteps() {
        std::vector<std::string> out;
        const MacroStepList& list = panel->steps();
        for (size_t i = 0; i < list.steps.size(); ++i) {
            const Json::Value& e = list.steps[i].event;
            out.push_back(e["Action"].asString() + " " + std::to_string(e["Type"].asInt()) + " " +
                          std::to_string(e["Button"].asInt()) + " " + std::to_string(panel->shownDelay(static_cast<int>(i))));
        }
        return out;
    }
    std::string folder() { return paths::deviceDataFolder("keyboard"); }
    Json::Value macroList() { return readJson(folder() + "macro.config"); }
    std::string macroFile(int index) { return folder() + macroList()["MacroInfo"][index]["Guid"].asString() + ".mac"; }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneKeyboardDevice* page = nullptr;
    CMacroControlUI* panel = nullptr;
    std::vector<std::string> messages;
    int answer = 0;
    QString importPath, exportPath;
};

TEST_F(MacroEditorTest, MacroNamesAreAddedRenamedAndDeletedAndReachTheKeyAssignmentCombo) {
    click("macro_btn_name_add");
    click("macro_btn_name_add");
    EXPECT_EQ(listTexts("macro_name_list"), (std::vector<std::string>{"macro_1", "macro_2"}));
    EXPECT_EQ(listTexts("keyset_macro_combo"), (std::vector<std::string>{"macro_1", "macro_2"}));
    EXPECT_TRUE(control("macro_action_layout")->IsVisible());
    EXPECT_TRUE(control("macro_btn_starredio")->IsEnabled());

    setText("macro_edit_macroname", "Jump");
    click("macro_btn_name_edit");
    EXPECT_EQ(macroList()["MacroInfo"][1]["MacroName"].asString(), "Jump");
    EXPECT_EQ(listTexts("keyset_macro_combo"), (std::vector<std::string>{"macro_1", "Jump"}));
    // Letter case does not make a name new; an empty one is no name.
    for (const char* refused : {"MACRO_1", "jump", "  "}) {
        setText("macro_edit_macroname", refused);
        click("macro_btn_name_edit");
        EXPECT_EQ(messages.back(), "message_text_5") << refused;
    }
    EXPECT_EQ(listTexts("macro_name_list"), (std::vector<std::string>{"macro_1", "Jump"}));

    answer = 0;  // the user declines
    click("macro_btn_name_sub");
    EXPECT_EQ(messages.back(), "message_text_4");
    EXPECT_EQ(listTexts("macro_name_list").size(), 2u);
    answer = 1;
    click("macro_btn_name_sub");
    click("macro_btn_name_sub");
    EXPECT_TRUE(listTexts("macro_name_list").empty());
    EXPECT_TRUE(listTexts("keyset_macro_combo").empty());
    EXPECT_FALSE(control("macro_btn_starredio")->IsEnabled());
    EXPECT_EQ(macroList()["MacroInfo"].size(), 0u);
}

TEST_F(MacroEditorTest, ImportOfAnExportedMacroIsByteIdenticalAndFiftyMacrosRefuseIt) {
    click("macro_btn_name_add");
    // Hand-written, with spacing and key order no writer of ours produces.
    const std::string original =
        "{\"Version\":64,\"MacroName\":\"x\",\"Guid\":\"g\",\n \"Events\":[\n"
        "  {\"Type\":10,\"Button\":4,\"Action\":\"down\",\"Delay\":\"70000\"},\n"
        "  {\"Type\":1,\"Button\":16,\"Action\":\"Down\",\"Delay\":\"12\"}]}\n";
    const std::string source = dir.str() + "/source.mac";
    std::ofstream(source, std::ios::binary) << original;
    importPath = QString::fromStdString(source);
    click("macro_btn_import");
    EXPECT_EQ(listTexts("macro_name_list"), (std::vector<std::string>{"macro_1", "macro_2"}));
    EXPECT_EQ(fileBytes(macroFile(1)), original);
    // Shown as loaded: 65535 for a delay beyond it, "Down" is a release.
    EXPECT_EQ(shownSteps(), (std::vector<std::string>{"down 10 4 65535", "Down 1 16 12"}));
    auto* actions = qobject_cast<ui::CListUI*>(control("macro_action_list"));
    ASSERT_EQ(actions->GetCount(), 2);

    exportPath = QString::fromStdString(dir.str() + "/exported.mac");
    click("macro_btn_export");
    EXPECT_EQ(fileBytes(exportPath.toStdString()), original);
    importPath = exportPath;
    click("macro_btn_import");
    EXPECT_EQ(fileBytes(macroFile(2)), original);

    while (listTexts("macro_name_list").size() < 50) click("macro_btn_name_add");
    messages.clear();
    click("macro_btn_import");
    click("macro_btn_name_add");
    EXPECT_EQ(messages, (std::vector<std::string>{"macro_text_limit", "macro_text_limit"}));
    EXPECT_EQ(listTexts("macro_name_list").size(), 50u);
    EXPECT_EQ(macroList()["MacroInfo"].size(), 50u);
}

TEST_F(MacroEditorTest, ImportWithoutASelectedMacroDoesNothing) {
    const std::string source = dir.str() + "/source.mac";
    std::ofstream(source, std::ios::binary) << "{}";
    importPath = QString::fromStdString(source);
    click("macro_btn_import");
    EXPECT_TRUE(listTexts("macro_name_list").empty());
    EXPECT_FALSE(std::filesystem::exists(folder() + "macro.config"));
}

TEST_F(MacroEditorTest, TheStepMenuOpens) {
    ui::CMenuWnd menu;
    EXPECT_TRUE(menu.Init(QStringLiteral("XML\\Menus\\macro_action_menu.xml"), QPoint(10, 10), &window->GetPaintManager()));
    EXPECT_TRUE(menu.IsOpen());
    menu.Close();
}

TEST_F(MacroEditorTest, StepsByHandAreMovedDeletedAndSavedOnlyWhenAsked) {
    click("macro_btn_name_add");
    panel->runMenuCommand(QStringLiteral("left_click"));
    panel->runMenuCommand(QStringLiteral("back_down"));
    setText("mouse_y_down_edit", "300");
    click("macro_inset_movedownkey_btn");  // saved at once
    // Each after the one selected before; a click is press then release.
    const std::vector<std::string> inserted{"down 1 1 50", "up 1 1 50", "down 1 8 50", "up 5 44 50"};
    EXPECT_EQ(shownSteps(), inserted);
    const Json::Value saved = readJson(macroFile(0));
    ASSERT_EQ(saved["Events"].size(), 4u);
    EXPECT_EQ(saved["Events"][3]["Type"].asInt(), 5);
    EXPECT_EQ(saved["Events"][3]["Button"].asInt(), 44);  // low 8 bits of 300
    EXPECT_EQ(saved["Version"].asInt(), 64);

    auto* actions = qobject_cast<ui::CListUI*>(control("macro_action_list"));
    actions->SelectItem(2, false);
    click("macro_btn_uptop");
    EXPECT_EQ(actions->GetCurSel(), 0);
    click("macro_btn_up");  // at the top already
    click("macro_btn_downbottom");
    click("macro_btn_up");
    EXPECT_EQ(actions->GetCurSel(), 2);
    EXPECT_EQ(shownSteps(), (std::vector<std::string>{"down 1 1 50", "up 1 1 50", "down 1 8 50", "up 5 44 50"}));
    click("macro_btn_down");
    EXPECT_EQ(shownSteps(), (std::vector<std::string>{"down 1 1 50", "up 1 1 50", "up 5 44 50", "down 1 8 50"}));
    click("macro_btn_delete");
    EXPECT_EQ(shownSteps().size(), 3u);
    // Dropped unsaved: the file still holds the four steps.
    click("macro_btn_cancel");
    EXPECT_EQ(shownSteps(), inserted);
    click("macro_btn_deleteall");
    EXPECT_TRUE(shownSteps().empty());
    click("macro_btn_save");
    const Json::Value empty = readJson(macroFile(0));
    EXPECT_TRUE(!empty.isMember("Events") || empty["Events"].empty());
}

#if defined(TALVEN_HAVE_X11_CAPTURE) && defined(TALVEN_TEST_HAVE_XTEST)

constexpr unsigned kXKeyA = 38;
constexpr unsigned kXKeyB = 56;

class MacroRecordingXTest : public MacroEditorTest {
protected:
    // As large as a desktop, so the pointer can reach every control where
    // the window happens to be.
    static void SetUpTestSuite() { server_ = new test::XvfbServer("1600x1000x24"); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        test::qtApp();
        if (server_->display().empty()) GTEST_SKIP() << "no Xvfb to run an X server";
        other_ = std::make_unique<test::FocusedXClient>(server_->display());
        input_ = std::make_unique<test::XTestInput>(server_->display());
        ASSERT_TRUE(other_->ok() && input_->ok());
        MacroEditorTest::SetUp();
        input::InputCaptureOptions options;
        options.display = server_->display();
        options.tryEvdev = false;
        window->deviceHook().setCaptureOptions(options);
        // The keyboard shows its page with the macro tab open, as the user
        // finds it.
        std::string error;
        ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return page->IsVisible() && page->isVisible(); }));
        if (auto* tab = qobject_cast<ui::COptionUI*>(control("macro_Op_tab"))) tab->Selected(true);
        click("macro_btn_name_add");
    }
    bool waitForSteps(size_t count) {
        return test::waitUntil([&] { return panel->steps().steps.size() >= count; }, 3000);
    }
    static void pause(int ms) { test::waitUntil([] { return false; }, ms); }
    // With TALVEN_TEST_SHOTS set, the window as it is now, for a look.
    void shot(const char* name) {
        const char* folder = std::getenv("TALVEN_TEST_SHOTS");
        if (!folder) return;
        pause(100);  // laid out and painted as the user would see it
        window->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QString::fromLatin1(name));
    }

    static test::XvfbServer* server_;
    std::unique_ptr<test::FocusedXClient> other_;
    std::unique_ptr<test::XTestInput> input_;
};

test::XvfbServer* MacroRecordingXTest::server_ = nullptr;

TEST_F(MacroRecordingXTest, AKeyHeldAHundredMillisecondsGivesTwoStepsTimedByTheRecording) {
    click("macro_btn_starredio");
    ASSERT_TRUE(window->deviceHook().installed());
    EXPECT_EQ(window->deviceHook().mode(), hookmode::kMacro);
    EXPECT_FALSE(control("macro_action_list")->IsEnabled());
    EXPECT_TRUE(control("macro_btn_stopredio")->IsVisible());
    input_->key(kXKeyA, true);
    ASSERT_TRUE(waitForSteps(1));
    EXPECT_EQ(panel->shownDelay(0), 0);
    pause(100);
    input_->key(kXKeyA, false);
    ASSERT_TRUE(waitForSteps(2));
    shot("macro_recording.png");
    click("macro_btn_stopredio");
    EXPECT_FALSE(window->deviceHook().installed());
    EXPECT_TRUE(control("macro_action_list")->IsEnabled());
    EXPECT_TRUE(other_->takePresses().empty()) << "recorded keys reach no other program";

    const std::vector<std::string> steps = shownSteps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].substr(0, 9), "down 10 4");
    EXPECT_EQ(steps[1], "up 10 4 0");
    EXPECT_GE(panel->shownDelay(0), 95);
    EXPECT_LE(panel->shownDelay(0), 400);
    // Stopping saved the recording.
    const Json::Value saved = readJson(macroFile(0));
    ASSERT_EQ(saved["Events"].size(), 2u);
    EXPECT_EQ(saved["Events"][0]["Delay"].asString(), std::to_string(panel->shownDelay(0)));
    shot("macro_recorded.png");
}

// The keyboard unplugged mid-recording: the keys are given back, and what was
// recorded is kept and saved as Stop would.
TEST_F(MacroRecordingXTest, UnpluggingWhileRecordingEndsTheCaptureAndKeepsTheSteps) {
    click("macro_btn_starredio");
    ASSERT_TRUE(window->deviceHook().installed());
    input_->key(kXKeyA, true);
    input_->key(kXKeyA, false);
    ASSERT_TRUE(waitForSteps(2));
    sim.unplug("keyboard");
    ASSERT_TRUE(test::waitUntil([&] { return !window->deviceHook().installed(); }, 3000));
    EXPECT_FALSE(panel->capturing());
    EXPECT_EQ(readJson(macroFile(0))["Events"].size(), 2u);
}

TEST_F(MacroRecordingXTest, TheConstantTimeOptionTimesEveryStepAndCapsTheBox) {
    qobject_cast<ui::COptionUI*>(control("macro_check_time"))->Selected(true, false);
    setText("macro_fixed_time_edit", "99999");
    click("macro_btn_starredio");
    EXPECT_EQ(control("macro_fixed_time_edit")->GetText(), QStringLiteral("65535"));
    click("macro_btn_stopredio");

    setText("macro_fixed_time_edit", "250");
    click("macro_btn_starredio");
    input_->key(kXKeyA, true);
    ASSERT_TRUE(waitForSteps(1));
    EXPECT_EQ(panel->shownDelay(0), 0) << "a lone step waits for nothing yet";
    input_->key(kXKeyA, false);
    input_->tap(kXKeyB);
    ASSERT_TRUE(waitForSteps(4));
    click("macro_btn_stopredio");
    EXPECT_EQ(shownSteps(), (std::vector<std::string>{"down 10 4 250", "up 10 4 250", "down 10 5 250", "up 10 5 250"}));
}

TEST_F(MacroRecordingXTest, AClickOnStopLeavesNoStep) {
    click("macro_btn_starredio");
    input_->tap(kXKeyA);
    ASSERT_TRUE(waitForSteps(2));
    ui::CControlUI* stop = control("macro_btn_stopredio");
    const QPoint centre = stop->mapToGlobal(QPoint(stop->width() / 2, stop->height() / 2));
    // A right click on Stop is recorded; the left click that stops is not.
    input_->movePointer(centre.x(), centre.y());
    input_->button(3, true);
    input_->button(3, false);
    ASSERT_TRUE(waitForSteps(4));
    input_->button(1, true);
    input_->button(1, false);
    pause(200);
    click("macro_btn_stopredio");
    EXPECT_EQ(shownSteps(), (std::vector<std::string>{"down 10 4 " + std::to_string(panel->shownDelay(0)),
                                                      "up 10 4 " + std::to_string(panel->shownDelay(1)),
                                                      "down 1 2 " + std::to_string(panel->shownDelay(2)), "up 1 2 0"}));
}

TEST_F(MacroRecordingXTest, ReplacingTakesTheNextKeyKeepsActionAndDelayAndEndsWithItsRelease) {
    click("macro_btn_starredio");
    input_->tap(kXKeyA);
    ASSERT_TRUE(waitForSteps(2));
    click("macro_btn_stopredio");
    qobject_cast<ui::CListUI*>(control("macro_action_list"))->SelectItem(1, false);
    const uint16_t delay = panel->shownDelay(0);
    // The step menu, then its item as the menu window sends it.
    click("macro_btn_menu");
    window->SendMessage(ui::UIMSG_MENUCLICK, reinterpret_cast<quintptr>(new ui::MenuCmd{QStringLiteral("macro_action_edit")}), 0);
    ASSERT_TRUE(window->deviceHook().installed());
    EXPECT_EQ(window->deviceHook().mode(), hookmode::kMacroSingle);
    input_->key(kXKeyB, true);
    ASSERT_TRUE(test::waitUntil([&] { return shownSteps().back().rfind("up 10 5", 0) == 0; }, 3000));
    input_->key(kXKeyB, false);
    ASSERT_TRUE(test::waitUntil([&] { return !window->deviceHook().installed(); }, 3000));
    EXPECT_EQ(shownSteps(), (std::vector<std::string>{"down 10 4 " + std::to_string(delay), "up 10 5 0"}));
    EXPECT_TRUE(other_->takePresses().empty());
}

#endif

}  // namespace
}  // namespace talven
