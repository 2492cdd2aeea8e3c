// The profile panel of a device page in a main window with a simulated
// keyboard: the actions reach the files through the window's routes, the
// page follows the profile in use, and a new window finds what was left.

#include "editors/device_profile.h"
#include "app/main_wnd.h"
#include "pages/usb_device_page.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/option.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace talven {
namespace {

namespace fs = std::filesystem;

class ProfilePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        openWindow();
        std::string error;
        ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() == page; }));
    }
    void TearDown() override { window.reset(); }

    void openWindow() {
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ProfileDialogs dialogs;
        dialogs.openFile = [this](QWidget*) { return chosenFile; };
        dialogs.saveFile = [this](QWidget*, const QString& suggested) {
            suggestedName = suggested;
            return chosenFile;
        };
        dialogs.message = [this](QWidget*, const QString& key, int) {
            messages.push_back(key.toStdString());
            return answer;
        };
        window->setProfileDialogs(std::move(dialogs));
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        page = pageOf("keyboard");
        ASSERT_NE(page, nullptr);
        panel = page->profilePanel();
        ASSERT_NE(panel, nullptr) << "the keyboard layout holds a profile panel";
    }
    COrvaneUSBDevice* pageOf(const std::string& folder) {
        for (COrvaneUSBDevice* candidate : window->selector()->pages())
            if (candidate->deviceFolderName() == folder) return candidate;
        return nullptr;
    }
    ui::CControlUI* control(CDeviceProfileUI* owner, const char* name) {
        ui::CControlUI* c = window->GetPaintManager().FindSubControlByName(owner, QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void click(const char* name) {
        if (ui::CControlUI* c = control(panel, name))
            window->GetPaintManager().SendNotify(c, QString::fromLatin1(ui::kNotifyClick));
    }
    void rename(const char* name) {
        qobject_cast<ui::CEditUI*>(control(panel, "device_profile_name_edit"))->SetText(QString::fromUtf8(name));
        click("device_profile_edit_save_btn");
    }
    ui::CComboUI* combo() { return qobject_cast<ui::CComboUI*>(control(panel, "device_profile_combo")); }
    // The names in the combo, which must be the list's in the same order.
    std::vector<std::string> shown() {
        std::vector<std::string> names;
        for (int i = 0; i < combo()->GetCount(); ++i) names.push_back(combo()->GetItemAt(i)->GetText().toStdString());
        std::vector<std::string> listed;
        for (const ProfileEntry& e : panel->profiles().entries()) listed.push_back(e.name);
        EXPECT_EQ(names, listed);
        return names;
    }
    // The combo, the list file and the page all agree on the profile in use.
    void expectInUse(const std::string& name) {
        EXPECT_EQ(combo()->GetText().toStdString(), name);
        EXPECT_EQ(panel->GetNameEditText().toStdString(), name);
        const Json::Value list = ReadJsonValue(folder() + kProfileListFileName);
        const int selected = list["profileselect"].asInt();
        EXPECT_EQ(selected, combo()->GetCurSel());
        EXPECT_EQ(list["profilelist"][selected]["profilename"].asString(), name);
        EXPECT_EQ(page->profilePath(), panel->GetCurrentProfilePath()) << "the page loaded the profile";
        EXPECT_EQ(ReadJsonValue(page->profilePath())["profilename"].asString(), name);
    }
    std::string folder() { return paths::deviceDataFolder("keyboard"); }

    test::TempDir dir;
    test::TempDir home;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", home.str().c_str()};
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneUSBDevice* page = nullptr;
    CDeviceProfileUI* panel = nullptr;
    QString chosenFile;
    QString suggestedName;
    std::vector<std::string> messages;
    int answer = 1;
};

TEST_F(ProfilePanelTest, ActionsChangeTheFilesAndANewWindowFindsThem) {
    EXPECT_EQ(shown(), std::vector<std::string>{"Profile1"});
    expectInUse("Profile1");

    click("device_add_btn");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Profile1", "Profile2"}));
    expectInUse("Profile2");

    rename("Gaming");
    click("device_copy_btn");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Profile1", "Gaming", "Gaming copy"}));
    expectInUse("Gaming copy");

    rename("gaming");
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_5"});
    EXPECT_EQ(shown(), (std::vector<std::string>{"Profile1", "Gaming", "Gaming copy"}));
    EXPECT_EQ(combo()->GetText(), QStringLiteral("Gaming copy"));
    EXPECT_EQ(panel->GetNameEditText(), QStringLiteral("gaming")) << "the refused name stays for correcting";

    const std::string exported = (dir / "Game.old.json").string();
    chosenFile = QString::fromStdString(exported);
    click("device_export_btn");
    EXPECT_EQ(suggestedName, QStringLiteral("Gaming copy.json"));
    EXPECT_EQ(ReadJsonValue(exported)["profilename"], "Gaming copy");

    const std::string deleted = panel->GetCurrentProfilePath();
    click("device_sub_btn");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Profile1", "Gaming"}));
    expectInUse("Gaming");
    EXPECT_FALSE(fs::exists(deleted));

    click("device_import_btn");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Profile1", "Gaming", "Game.old"}));
    expectInUse("Game.old");

    // A mouse profile does not fit a keyboard.
    const std::string mouseProfile = (dir / "mouse.json").string();
    test::writeFile(mouseProfile, R"({"profilename": "m", "profileUUID": "u",
                                      "Device": [{"DPIStages": {"StageDPIs": [{"StageDPIX": 800}]}}]})");
    chosenFile = QString::fromStdString(mouseProfile);
    click("device_import_btn");
    EXPECT_EQ(messages.back(), "message_text_9");
    EXPECT_EQ(shown().size(), 3u);

    // The user picks a profile in the combo.
    ASSERT_TRUE(combo()->SelectItem(0, true));
    expectInUse("Profile1");

    window.reset();
    openWindow();
    EXPECT_EQ(shown(), (std::vector<std::string>{"Profile1", "Gaming", "Game.old"}));
    EXPECT_EQ(combo()->GetCurSel(), 0);
    EXPECT_EQ(page->profilePath(), panel->GetCurrentProfilePath());
}

TEST_F(ProfilePanelTest, ResetAsksFirstAndPutsTheFactoryProfileOnThePage) {
    const std::string path = panel->GetCurrentProfilePath();
    const Json::Value factory = ReadJsonValue(page->defaultProfilePath());
    Json::Value changed = ReadJsonValue(path);
    changed["Device"][0]["LightInfo"]["SelectItem"] = 9;
    ASSERT_EQ(wirtejsonFile(path, changed), 0);

    answer = 0;
    click("device_reset_btn");
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_profile_reset"});
    EXPECT_EQ(ReadJsonValue(path), changed) << "cancelled: nothing reset";

    answer = 1;
    click("default_btn");
    EXPECT_EQ(messages.back(), "message_text_22");
    EXPECT_EQ(ReadJsonValue(path)["Device"], factory["Device"]);
    EXPECT_EQ(ReadJsonValue(path)["profilename"], "Profile1");
}

TEST_F(ProfilePanelTest, TheMenuButtonTogglesTheActionsAndTheTabsFollowTheKind) {
    ASSERT_FALSE(panel->IsProfileMenuShown());
    click("profile_fun_spread_btn");
    EXPECT_TRUE(panel->IsProfileMenuShown());
    click("profile_fun_spread_btn");
    EXPECT_FALSE(panel->IsProfileMenuShown());

    // Choosing a tab shows that editor on the page.
    qobject_cast<ui::COptionUI*>(control(panel, "system_Op_tab"))->Selected(true);
    EXPECT_EQ(page->getFunctionPage(), 4);
    panel->SelectTab(2);
    EXPECT_TRUE(qobject_cast<ui::COptionUI*>(control(panel, "key_Op_tab"))->IsSelected());
    EXPECT_FALSE(qobject_cast<ui::COptionUI*>(control(panel, "system_Op_tab"))->IsSelected());

    struct Case {
        const char* folder;
        const char* tab;
        bool visible;
    };
    const Case cases[] = {
        {"keyboard", "cursor_Op_tab", false}, {"keyboard", "macro_Op_tab", true},
        {"mouse", "macro_Op_tab", true},     {"mouse", "cursor_Op_tab", true},
        {"MousePad", "key_Op_tab", false},    {"MousePad", "deng_Op_tab", true},
        {"HD", "6533_voice_Op_tab", true},    {"HD", "system_Op_tab", false},
    };
    for (const Case& c : cases) {
        COrvaneUSBDevice* owner = pageOf(c.folder);
        ASSERT_NE(owner, nullptr);
        ASSERT_NE(owner->profilePanel(), nullptr) << c.folder;
        EXPECT_EQ(control(owner->profilePanel(), c.tab)->IsVisible(), c.visible) << c.folder << " " << c.tab;
    }
    // Each panel's tabs are a group of their own.
    auto* mouseLighting = qobject_cast<ui::COptionUI*>(control(pageOf("mouse")->profilePanel(), "deng_Op_tab"));
    EXPECT_TRUE(mouseLighting->IsSelected());
}

}  // namespace
}  // namespace talven
