// Saving the chosen language reports its success once in the debug output.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "platform/debug_output.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace talven {
namespace {

// The scan thread writes too, so the capture takes a lock.
std::mutex g_lock;
std::vector<std::string> g_lines;
void capture(std::string_view line) {
    std::lock_guard lock(g_lock);
    g_lines.emplace_back(line);
}

TEST(LanguageSaveTest, OneSaveLogsItsSuccessOnce) {
    test::qtApp();
    registerAppMessages();
    test::TempDir devices;
    CMainWnd window(std::vector<hid::HidRoot>{{devices.str(), devices.str()}});
    ASSERT_TRUE(window.Create(nullptr, applicationTitle(), ui::WS_POPUP, 0, 0, 0, 800, 572));
    ASSERT_TRUE(test::waitUntil([&] { return window.firstScanDone(); }));
    const int other = window.currentLanguage() == 1 ? 0 : 1;

    setDebugSink(&capture);
    window.ApplyLanguage(other);
    setDebugSink(nullptr);

    std::lock_guard lock(g_lock);
    ASSERT_EQ(window.currentLanguage(), other);
    EXPECT_EQ(std::count(g_lines.begin(), g_lines.end(), std::string("写成功！")), 1);
}

}  // namespace
}  // namespace talven
