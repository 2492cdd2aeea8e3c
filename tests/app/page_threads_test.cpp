// A page's animation thread stops the one way every worker thread stops,
// and says so once.

#include "pages/usb_device_page.h"
#include "qt_test_support.h"
#include "support/debug_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talven {
namespace {

TEST(PageThreadsTest, StoppingTheAnimationLogsThatItEndedAndAStoppedPageStaysQuiet) {
    test::qtApp();
    COrvaneUSBDevice page;
    page.startAnimation();
    ASSERT_TRUE(page.animating());
    test::DebugCapture log;
    page.stopAnimation();
    page.stopAnimation();  // nothing runs any more: nothing to wait for
    EXPECT_FALSE(page.animating());
    EXPECT_EQ(log.lines(), std::vector<std::string>{"线程退出：：对象处于激发状态\n"});
}

}  // namespace
}  // namespace talven
