// The shoot panel on the mouse page's macro tab, working on the guns' files
// in the mouse's data folder: bullets chosen and clamped, saved as their
// four events, reset to the factory copy, exported and imported unchanged,
// and damaged files told without anything lost. The mouse page's macro
// panel feeds the key assignment panel's macro combo.

#include "app/main_wnd.h"
#include "editors/macro_control.h"
#include "editors/shoot_control.h"
#include "pages/mouse/mouse_device_page.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/option.h"
#include "ui/paint_manager.h"

#include <json/reader.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace talven {
namespace {

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ShootPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        std::filesystem::remove_all(folder());
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ProfileDialogs dialogs;
        dialogs.message = [this](QWidget*, const QString& key, int) {
            messages.push_back(key.toStdString());
            return answer;
        };
        window->setProfileDialogs(std::move(dialogs));
        window->setShootFileDialog([this](QWidget*, bool save) { return save ? exportPath : importPath; });
        window->setMacroFileDialog([](QWidget*, bool) { return QString(); });
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 1400, 900));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* candidate : window->selector()->pages())
            if (candidate->deviceFolderName() == "mouse") page = qobject_cast<COrvaneMouseDevice*>(candidate);
        ASSERT_NE(page, nullptr);
        panel = page->shootPanel();
        ASSERT_NE(panel, nullptr) << "the mouse's macro tab hosts the shoot panel";
        ASSERT_TRUE(panel->usable());
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(folder());
    }

    static std::string folder() { return paths::deviceDataFolder("mouse"); }
    static std::string gunFile(int gun) { return folder() + "ShootData_" + std::to_string(gun) + ".Shoot"; }
    static std::string factoryFile(int gun) {
        return paths::defaultDataFolder() + "ShootData_" + std::to_string(gun) + ".Shoot";
    }
    ui::CControlUI* control(const QString& name) { return window->GetPaintManager().FindSubControlByName(page, name); }
    ui::CControlUI* control(const char* name) { return control(QString::fromLatin1(name)); }
    ui::COptionUI* option(const QString& name) { return qobject_cast<ui::COptionUI*>(control(name)); }
    void click(const char* name) { window->GetPaintManager().SendNotify(control(name), QString::fromLatin1(ui::kNotifyClick)); }
    // As the user picks an option: selected, with its notification.
    void pick(const QString& name) { option(name)->Selected(true); }
    // Captions are shown in the window's language, English here.
    QString text(const char* name) { return control(name)->GetText(); }
    void setEdits(const char* x, const char* y, const char* delay) {
        control("bullet_x_eidt")->SetText(QString::fromLatin1(x));
        control("bullet_y_eidt")->SetText(QString::fromLatin1(y));
        control("bullet_delay_eidt")->SetText(QString::fromLatin1(delay));
    }
    Json::Value events(int gun) { return ReadJsonValue(gunFile(gun))["Events"]; }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneMouseDevice* page = nullptr;
    CShootControlUI* panel = nullptr;
    std::vector<std::string> messages;
    int answer = 1;
    QString importPath, exportPath;
};

TEST_F(ShootPanelTest, WorkingCopiesStartAsTheFactoryFiles) {
    for (int gun = 0; gun < 4; ++gun) EXPECT_EQ(bytesOf(gunFile(gun)), bytesOf(factoryFile(gun))) << gun;
    EXPECT_EQ(panel->selectedGun(), 0);
    EXPECT_EQ(panel->selectedBullet(), 0);
    EXPECT_EQ(text("bullet_select_index"), QStringLiteral("1"));
}

TEST_F(ShootPanelTest, BulletsAreClampedAndStepped) {
    struct Case {
        std::function<void()> act;
        int bullet;
        const char* shown;
    };
    const Case cases[] = {
        {[&] { panel->selectBullet(-1); }, 0, "1"},
        {[&] { panel->selectBullet(30); }, 29, "30"},
        {[&] { click("bullet_selected_next"); }, 29, "30"},
        {[&] { click("bullet_selected_prev"); }, 28, "29"},
        {[&] { pick(QStringLiteral("bullet_op_4")); }, 4, "5"},
        {[&] { panel->selectBullet(0); click("bullet_selected_prev"); }, 0, "1"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        cases[i].act();
        EXPECT_EQ(panel->selectedBullet(), cases[i].bullet) << i;
        EXPECT_EQ(text("bullet_select_index"), QString::fromLatin1(cases[i].shown)) << i;
        EXPECT_TRUE(option(QStringLiteral("bullet_op_") + QString::number(cases[i].bullet))->IsSelected()) << i;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShootPanelTest, ASavedBulletIsItsFourEventsAndReadsBack) {
    pick(QStringLiteral("shoot_gun_op_2"));
    EXPECT_EQ(panel->selectedGun(), 2);
    EXPECT_FALSE(option(QStringLiteral("shoot_gun_op_0"))->IsSelected());
    const Json::Value before = events(2);
    pick(QStringLiteral("bullet_op_2"));
    setEdits("17", "255", "120");
    option(QStringLiteral("bullet_x_check"))->Selected(true);   // left
    option(QStringLiteral("bullet_y_check"))->Selected(false);  // down
    EXPECT_EQ(text("bullet_x_check"), QStringLiteral("Left"));
    EXPECT_EQ(text("bullet_y_check"), QStringLiteral("Down"));
    click("shootdate_save_btn");
    EXPECT_TRUE(messages.empty());

    const Json::Value after = events(2);
    const char* const expected[] = {R"({"Action":"down","Button":1,"Delay":"10","Type":1})",
                                    R"({"Action":"up","Button":1,"Delay":"0","Type":1})",
                                    R"({"Action":"down","Button":17,"Delay":"5","Type":4})",
                                    R"({"Action":"up","Button":255,"Delay":"120","Type":5})"};
    for (int i = 0; i < 4; ++i) {
        Json::Value want;
        ASSERT_TRUE(Json::Reader().parse(expected[i], want));
        EXPECT_EQ(after[8 + i], want) << 8 + i;
    }
    for (Json::ArrayIndex i = 0; i < before.size(); ++i) {
        if (i < 8 || i > 11) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(bytesOf(gunFile(0)), bytesOf(factoryFile(0))) << "other guns untouched";

    // Read back after another bullet, and gone from view on another gun.
    pick(QStringLiteral("bullet_op_3"));
    pick(QStringLiteral("bullet_op_2"));
    EXPECT_EQ(text("bullet_x_eidt"), QStringLiteral("17"));
    EXPECT_EQ(text("bullet_y_eidt"), QStringLiteral("255"));
    EXPECT_EQ(text("bullet_delay_eidt"), QStringLiteral("120"));
    EXPECT_TRUE(option(QStringLiteral("bullet_x_check"))->IsSelected());
    pick(QStringLiteral("shoot_gun_op_1"));
    EXPECT_EQ(text("bullet_y_eidt").toInt(), ReadJsonValue(gunFile(1))["Events"][11]["Button"].asInt());
}

TEST_F(ShootPanelTest, ADirectionOtherThanDownReadsAsRightAndDown) {
    Json::Value doc = ReadJsonValue(gunFile(0));
    doc["Events"][2]["Action"] = "Down ";
    doc["Events"][3]["Action"] = "DOWN";
    ASSERT_EQ(wirtejsonFile(gunFile(0), doc), 0);
    panel->selectBullet(0);
    EXPECT_FALSE(option(QStringLiteral("bullet_x_check"))->IsSelected());
    EXPECT_EQ(text("bullet_x_check"), QStringLiteral("Right"));
    EXPECT_TRUE(option(QStringLiteral("bullet_y_check"))->IsSelected());
    EXPECT_EQ(text("bullet_y_check"), QStringLiteral("Up"));
}

TEST_F(ShootPanelTest, NumbersTheMouseCannotTakeAreToldAndNotSaved) {
    const std::string before = bytesOf(gunFile(0));
    for (auto [x, y, delay] : {std::tuple{"256", "1", "1"}, {"1", "", "1"}, {"1", "2", "65536"}, {"-1", "2", "3"},
                               {"1x", "2", "3"}}) {
        messages.clear();
        setEdits(x, y, delay);
        click("shootdate_save_btn");
        EXPECT_EQ(messages, std::vector<std::string>{"shoot_text_bad_value"}) << x << " " << y << " " << delay;
    }
    EXPECT_EQ(bytesOf(gunFile(0)), before);
}

TEST_F(ShootPanelTest, ResetRestoresTheFactoryCopyOnlyWhenTheUserAgrees) {
    pick(QStringLiteral("shoot_gun_op_3"));
    pick(QStringLiteral("bullet_op_7"));
    setEdits("9", "9", "9");
    click("shootdate_save_btn");
    ASSERT_NE(bytesOf(gunFile(3)), bytesOf(factoryFile(3)));
    const std::string edited = bytesOf(gunFile(3));

    answer = 0;
    click("shootdate_reset_btn");
    EXPECT_EQ(messages.back(), "shoot_text_reset_ask");
    EXPECT_EQ(bytesOf(gunFile(3)), edited);
    answer = 1;
    click("shootdate_reset_btn");
    EXPECT_EQ(bytesOf(gunFile(3)), bytesOf(factoryFile(3)));
    EXPECT_EQ(text("bullet_delay_eidt"), QString::fromStdString(ReadJsonValue(factoryFile(3))["Events"][31]["Delay"].asString()));
}

TEST_F(ShootPanelTest, AnExportImportedAgainIsByteIdentical) {
    pick(QStringLiteral("shoot_gun_op_1"));
    setEdits("3", "4", "77");
    click("shootdate_save_btn");
    const std::string saved = bytesOf(gunFile(1));
    exportPath = QString::fromStdString(dir.str() + "/gun.Shoot");
    click("shootdate_export_btn");
    EXPECT_EQ(bytesOf(exportPath.toStdString()), saved);

    pick(QStringLiteral("shoot_gun_op_2"));
    importPath = exportPath;
    click("shootdate_import_btn");
    EXPECT_EQ(bytesOf(gunFile(2)), saved);
    EXPECT_EQ(text("bullet_delay_eidt"), QStringLiteral("77"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShootPanelTest, DamagedFilesAreToldAndLoseNothing) {
    // An import that is not a whole shoot file replaces nothing.
    const std::string gun0 = bytesOf(gunFile(0));
    for (const char* bad : {"{\"Events\": [", "{\"Events\": []}", "not json"}) {
        messages.clear();
        importPath = QString::fromStdString(dir.str() + "/bad.Shoot");
        writeBytes(importPath.toStdString(), bad);
        click("shootdate_import_btn");
        EXPECT_EQ(messages, std::vector<std::string>{"shoot_text_import_invalid"}) << bad;
        EXPECT_EQ(bytesOf(gunFile(0)), gun0) << bad;
    }
    // A damaged working file is told on every use and never written over.
    const std::string damaged = "{\"Events\": [ {\"Action\": \"down\"";
    writeBytes(gunFile(1), damaged);
    messages.clear();
    pick(QStringLiteral("shoot_gun_op_1"));
    setEdits("1", "2", "3");
    click("shootdate_save_btn");
    exportPath = QString::fromStdString(dir.str() + "/out.Shoot");
    click("shootdate_export_btn");
    EXPECT_EQ(messages, (std::vector<std::string>{"shoot_text_damaged", "shoot_text_damaged", "shoot_text_damaged"}));
    EXPECT_EQ(bytesOf(gunFile(1)), damaged);
    EXPECT_FALSE(std::filesystem::exists(exportPath.toStdString()));
    // Reset is the way back.
    click("shootdate_reset_btn");
    EXPECT_EQ(bytesOf(gunFile(1)), bytesOf(factoryFile(1)));
}

TEST_F(ShootPanelTest, AMacroAddedOnTheMouseReachesItsButtonMacroCombo) {
    CMacroControlUI* macros = page->macroPanel();
    ASSERT_NE(macros, nullptr) << "the mouse's macro tab hosts the macro panel";
    click("macro_btn_name_add");
    auto* combo = qobject_cast<ui::CContainerUI*>(control("keyset_macro_combo"));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->GetCount(), 1);
    EXPECT_EQ(combo->GetItemAt(0)->GetText(), QStringLiteral("macro_1"));
    EXPECT_EQ(ReadJsonValue(folder() + "macro.config")["MacroInfo"][0]["MacroName"].asString(), "macro_1");
}

}  // namespace
}  // namespace talven
