// The settings window: opened once from "setbtn", the language list and its
// 0xC11 round trip through the main window, the start-up entry, and closing
// when a device comes or goes.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "app/sdk_bridge.h"
#include "app/set_wnd.h"
#include "platform/app_paths.h"
#include "platform/settings_store.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/resource_manager.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;

int openSettingsWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<CSetWnd*>(widget) && widget->isVisible()) ++count;
    }
    return count;
}

ui::CControlUI* findIn(ui::WindowImplBase& wnd, const char* name) {
    return wnd.GetPaintManager().FindControl(QString::fromLatin1(name));
}

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        registerAppMessages();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, applicationTitle(), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone() && window->isVisible(); }));
    }
    void TearDown() override { window.reset(); }

    // Clicks "setbtn"; once the modal window is up, runs each step in turn
    // (a step returns false to be tried again on the next tick). The click
    // returns when the window has closed.
    void runModal(std::vector<std::function<bool(CSetWnd&)>> steps) {
        size_t next = 0;
        // A window that never closes fails instead of hanging: the guard
        // closes it after 15 s without a step done. It counts from the last
        // step, as a step that switches the language reloads both windows'
        // skins, which takes seconds in a sanitized build on a busy machine.
        QTimer guard;
        guard.setSingleShot(true);
        guard.setInterval(15000);
        bool forced = false;
        QObject::connect(&guard, &QTimer::timeout, [&] {
            forced = true;
            if (CSetWnd* wnd = window->settingsWindow()) wnd->Close(0);
        });
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            CSetWnd* wnd = window->settingsWindow();
            if (!wnd || !wnd->isVisible() || next >= steps.size()) return;
            if (!steps[next](*wnd)) return;
            ++next;
            guard.start();
        });
        ticker.start();
        guard.start();
        window->GetPaintManager().SendNotify(findIn(*window, "setbtn"), QStringLiteral("click"));
        EXPECT_EQ(next, steps.size()) << "every step ran before the window closed";
        EXPECT_FALSE(forced) << "the window did not close by itself";
        EXPECT_EQ(window->settingsWindow(), nullptr);
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
};

TEST_F(SettingsWindowTest, OpensOnceModalAtItsSizeAndASecondOpenOnlyRaisesIt) {
    CSetWnd* first = nullptr;
    runModal({[&](CSetWnd& wnd) {
                  first = &wnd;
                  EXPECT_EQ(wnd.size(), QSize(595, 380));
                  EXPECT_TRUE(wnd.isModal());
                  window->OpenSettingsWindow(false);
                  window->PostMessage(mainmsg::kOpenSettingsUpdate, 0, 0);
                  return true;
              },
              [&](CSetWnd& wnd) {
                  EXPECT_EQ(&wnd, first);
                  EXPECT_EQ(openSettingsWindows(), 1);
                  wnd.GetPaintManager().SendNotify(findIn(wnd, "closebtn"), QStringLiteral("click"));
                  return true;
              }});
    // Opened again after closing: a new window, and "laterbtn" closes it too.
    runModal({[&](CSetWnd& wnd) {
        wnd.GetPaintManager().SendNotify(findIn(wnd, "laterbtn"), QStringLiteral("click"));
        return true;
    }});
    EXPECT_TRUE(test::waitUntil([] { return openSettingsWindows() == 0; }));
}

TEST_F(SettingsWindowTest, DesktopCloseEndsOnlyTheSettingsWindow) {
    int quits = 0;
    QObject::connect(window.get(), &CMainWnd::quitRequested, [&] { ++quits; });
    runModal({[&](CSetWnd& wnd) {
        wnd.SendMessage(ui::WM_SYSCOMMAND, ui::SC_CLOSE);
        return true;
    }});
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsWindowTest, ADeviceArrivingOrLeavingClosesTheWindow) {
    std::string error;
    runModal({[&](CSetWnd&) {
        EXPECT_TRUE(sim.plug("mousepad", &error)) << error;
        return true;
    }});
    ASSERT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() != nullptr; }));
    runModal({[&](CSetWnd&) {
        sim.unplug("mousepad");
        return true;
    }});
    EXPECT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() == nullptr; }));
}

TEST_F(SettingsWindowTest, LanguageListFollowsLanguageConfigAndAChoiceSwitchesTheProgram) {
    auto* texts = ui::CResourceManager::GetInstance();
    window->SendMessage(mainmsg::kApplyLanguage, 0, 0);  // English first
    SettingsStore settings;
    runModal({[&](CSetWnd& wnd) {
                  auto* list = qobject_cast<ui::CListUI*>(findIn(wnd, "Language_combox_info"));
                  EXPECT_NE(list, nullptr);
                  if (!list) return true;
                  // Each language named in itself, in the order of the file.
                  EXPECT_EQ(list->GetCount(), 16);
                  EXPECT_EQ(list->GetItemAt(0)->GetText(), QStringLiteral("English"));
                  EXPECT_EQ(list->GetItemAt(1)->GetText(), QStringLiteral("简体中文"));
                  EXPECT_EQ(list->GetItemAt(5)->GetText(), QStringLiteral("Deutsch"));
                  EXPECT_EQ(list->GetItemAt(15)->GetText(), QStringLiteral("ไทย"));
                  EXPECT_EQ(list->GetCurSel(), 0);
                  EXPECT_EQ(findIn(wnd, "set_title")->GetText(), QStringLiteral("Settings"));
                  list->SelectItem(1);
                  return true;
              },
              [&](CSetWnd& wnd) {
                  EXPECT_EQ(window->currentLanguage(), 1);
                  EXPECT_EQ(wnd.currentLanguage(), 1);
                  EXPECT_EQ(settings.get(kLanguageSetting).value_or(""), "2052");
                  EXPECT_EQ(texts->GetLanguage(), QStringLiteral("zh-CN"));
                  // The open window follows at once.
                  EXPECT_EQ(findIn(wnd, "set_title")->GetText(), QStringLiteral("设置"));
                  qobject_cast<ui::CListUI*>(findIn(wnd, "Language_combox_info"))->SelectItem(0);
                  return true;
              },
              [&](CSetWnd& wnd) {
                  EXPECT_EQ(window->currentLanguage(), 0);
                  EXPECT_EQ(settings.get(kLanguageSetting).value_or(""), "1033");
                  EXPECT_EQ(findIn(wnd, "set_title")->GetText(), QStringLiteral("Settings"));
                  wnd.Close(0);
                  return true;
              }});
    // Opened again, the list shows the language in use.
    window->SendMessage(mainmsg::kApplyLanguage, 1, 0);
    runModal({[&](CSetWnd& wnd) {
        EXPECT_EQ(qobject_cast<ui::CListUI*>(findIn(wnd, "Language_combox_info"))->GetCurSel(), 1);
        wnd.Close(0);
        return true;
    }});
    window->SendMessage(mainmsg::kApplyLanguage, 0, 0);
}

// ---- the start-up entry, on a window of its own ----------------------------

// The lighting server's option: ticking starts the main window's server
// and keeps the choice in settings.ini; a server that cannot start (its port
// taken) is told, and the option and the stored choice stay off.
TEST_F(SettingsWindowTest, SdkServerOptionStartsAndStopsTheServerAndKeepsTheChoice) {
    SettingsStore settings;
    ASSERT_TRUE(settings.set(kSdkServerPortSetting, "0"));  // any free port
    std::vector<QString> told;
    runModal({[&](CSetWnd& wnd) {
        wnd.setTell([&](const QString& key) { told.push_back(key); });
        auto* option = qobject_cast<ui::COptionUI*>(findIn(wnd, "sdk_server_check"));
        EXPECT_NE(option, nullptr);
        if (!option) return true;
        EXPECT_FALSE(option->IsSelected());
        option->Selected(true);
        EXPECT_TRUE(option->IsSelected());
        EXPECT_TRUE(window->sdkBridge() && window->sdkBridge()->port() != 0);
        EXPECT_EQ(settings.get(kSdkServerSetting), "1");
        option->Selected(false);
        EXPECT_EQ(window->sdkBridge(), nullptr);
        EXPECT_EQ(settings.get(kSdkServerSetting), "0");

        rgbsdk::SdkServer taken({rgbsdk::kDefaultAddress, 0}, nullptr);
        EXPECT_TRUE(taken.start());
        EXPECT_TRUE(settings.set(kSdkServerPortSetting, std::to_string(taken.port())));
        option->Selected(true);
        EXPECT_FALSE(option->IsSelected());
        EXPECT_EQ(window->sdkBridge(), nullptr);
        EXPECT_EQ(settings.get(kSdkServerSetting), "0");
        EXPECT_EQ(told, std::vector<QString>{QStringLiteral("set_sdk_server_failed")});
        wnd.Close(0);
        return true;
    }});
    EXPECT_TRUE(settings.set(kSdkServerPortSetting, ""));
}

class AutostartOptionTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtApp(); }
    void TearDown() override {
        if (wnd) wnd->Close(0);
        delete wnd.data();
    }
    void open(const fs::path& entry) {
        wnd = new CSetWnd(nullptr, 0);
        wnd->setAutostart(entry.string(), "/opt/talven k88/talven-k88");
        wnd->setTell([this](const QString& key) { told.push_back(key); });
        ASSERT_TRUE(wnd->Create(nullptr, QStringLiteral("SetWnd"), ui::WS_POPUP, ui::WS_EX_TOOLWINDOW));
        option = qobject_cast<ui::COptionUI*>(findIn(*wnd, "device_launch_app"));
        ASSERT_NE(option, nullptr);
    }

    test::TempDir dir;
    QPointer<CSetWnd> wnd;
    ui::COptionUI* option = nullptr;
    std::vector<QString> told;
};

TEST_F(AutostartOptionTest, TickingWritesTheEntryAndUntickingRemovesIt) {
    const fs::path entry = dir / "config/autostart/talven-k88.desktop";
    open(entry);
    EXPECT_FALSE(option->IsSelected());
    option->Selected(true);
    ASSERT_TRUE(fs::is_regular_file(entry));
    const std::string text = test::readFile(entry);
    // The folder has a space: the path is quoted, then the tray option.
    EXPECT_NE(text.find("\nExec=\"/opt/talven k88/talven-k88\" --tray\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_TRUE(option->IsSelected());
    option->Selected(false);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(option->IsSelected());
    EXPECT_TRUE(told.empty());
}

TEST_F(AutostartOptionTest, TheOptionShowsWhetherTheEntryIsThere) {
    const fs::path entry = dir / "talven-k88.desktop";
    test::writeFile(entry, "[Desktop Entry]\nType=Application\nExec=/usr/bin/talven-k88 --tray\n");
    open(entry);
    EXPECT_TRUE(option->IsSelected());
    option->Selected(false);
    EXPECT_FALSE(fs::exists(entry));
}

TEST_F(AutostartOptionTest, AnEntryThatCannotBeWrittenIsToldAndTheOptionStaysOff) {
    test::writeFile(dir / "not-a-folder", "x");
    const fs::path entry = dir / "not-a-folder/autostart/talven-k88.desktop";
    open(entry);
    option->Selected(true);
    EXPECT_FALSE(option->IsSelected());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], QStringLiteral("set_autostart_failed"));
}

}  // namespace
}  // namespace talven
