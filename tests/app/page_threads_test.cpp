// A page's animation thread stops the one way every worker thread stops,
// and says so once.

#include "pages/usb_device_page.h"
#include "platform/debug_output.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace talven {
namespace {

std::mutex g_lock;
std::vector<std::string> g_lines;
void capture(std::string_view line) {
    std::lock_guard lock(g_lock);
    g_lines.emplace_back(line);
}

TEST(PageThreadsTest, StoppingTheAnimationLogsThatItEndedAndAStoppedPageStaysQuiet) {
    test::qtApp();
    COrvaneUSBDevice page;
    page.startAnimation();
    ASSERT_TRUE(page.animating());
    g_lines.clear();
    setDebugSink(&capture);
    page.stopAnimation();
    page.stopAnimation();  // nothing runs any more: nothing to wait for
    setDebugSink(nullptr);
    EXPECT_FALSE(page.animating());
    std::lock_guard lock(g_lock);
    EXPECT_EQ(g_lines, std::vector<std::string>{"线程退出：：对象处于激发状态\n"});
}

}  // namespace
}  // namespace talven
