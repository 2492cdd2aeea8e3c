// Saving the chosen language reports its success once in the debug output.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "qt_test_support.h"
#include "support/debug_capture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven {
namespace {

TEST(LanguageSaveTest, OneSaveLogsItsSuccessOnce) {
    test::qtApp();
    registerAppMessages();
    test::TempDir devices;
    CMainWnd window(std::vector<hid::HidRoot>{{devices.str(), devices.str()}});
    ASSERT_TRUE(window.Create(nullptr, applicationTitle(), ui::WS_POPUP, 0, 0, 0, 800, 572));
    ASSERT_TRUE(test::waitUntil([&] { return window.firstScanDone(); }));
    const int other = window.currentLanguage() == 1 ? 0 : 1;

    test::DebugCapture log;
    window.ApplyLanguage(other);
    ASSERT_EQ(window.currentLanguage(), other);
    EXPECT_EQ(log.count("写成功！"), 1);
}

}  // namespace
}  // namespace talven
