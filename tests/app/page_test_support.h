#pragma once
// Helpers of the device page tests: a data folder holding one selected
// profile, as a page finds it once the user has used it, and a page's
// controls found by name and sent notifications as the window would.

#include "app/main_wnd.h"
#include "platform/app_paths.h"
#include "profile/json_file.h"
#include "ui/paint_manager.h"

#include <gtest/gtest.h>

#include <json/value.h>

#include <string>

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
