#pragma once
// Helpers of the device page tests: a data folder holding one selected
// profile, as a page finds it once the user has used it, and a page's
// controls found by name and sent notifications as the window would.

#include "app/main_wnd.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "qt_test_support.h"
#include "ui/paint_manager.h"

#include <gtest/gtest.h>

#include <json/value.h>

#include <memory>
#include <string>
#include <vector>

namespace talven::test {

// "ProfileList.ini" in the device's data folder listing "Profile1" as
// `uuid`, selected; false when the file could not be written.
inline bool writeSingleProfileList(const std::string& deviceFolder, const std::string& uuid) {
    Json::Value list;
    list["profilelist"][0]["profilename"] = "Profile1";
    list["profilelist"][0]["profileUUID"] = uuid;
    list["profileselect"] = 0;
    return wirtejsonFile(paths::deviceDataFolder(deviceFolder) + "ProfileList.ini", list) == 0;
}

// A main window over the simulated devices in `simDir`, created and past
// its first device scan; null (with a test failure) when it is not. Its
// message box never opens (a test has no one to close it): the keys it was
// asked to show go to `messages` when given, and count as confirmed.
inline std::unique_ptr<CMainWnd> openMainWindow(const std::string& simDir,
                                                std::vector<std::string>* messages = nullptr) {
    auto window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{simDir, simDir}});
    window->setProfileDialogs({{}, {}, [messages](QWidget*, const QString& key, int) {
                                   if (messages) messages->push_back(key.toStdString());
                                   return 1;
                               }});
    const bool created = window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572);
    EXPECT_TRUE(created);
    const bool scanned = created && waitUntil([&] { return window->firstScanDone(); });
    EXPECT_TRUE(scanned);
    return scanned ? std::move(window) : nullptr;
}

// The page's control called `name`, or null.
inline ui::CControlUI* pageControl(CMainWnd& window, ui::CControlUI* page, const char* name) {
    return window.GetPaintManager().FindSubControlByName(page, QString::fromLatin1(name));
}

// Sends `type` from the page's control `name` through the window's routing.
inline void notifyControl(CMainWnd& window, ui::CControlUI* page, const char* name, const char* type) {
    ui::CControlUI* control = pageControl(window, page, name);
    ASSERT_NE(control, nullptr) << name;
    window.GetPaintManager().SendNotify(control, QString::fromLatin1(type));
}

}  // namespace talven::test
