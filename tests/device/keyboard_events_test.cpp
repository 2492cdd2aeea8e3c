// Notifications from the simulated keyboard's event interface, read and
// decoded as the page's event reader does.

#include "device/keyboard/keyboard_notifications.h"
#include "device/keyboard/keyboard_protocol.h"

#include "support/sim_fixture.h"

#include <gtest/gtest.h>

namespace talven::keyboard {
namespace {

using test::SimulatedProduct;

class KeyboardEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        product.bind(channel);
        ASSERT_EQ(kb.readKeyboardData(), channel_result::Success);
        ASSERT_TRUE(events.open(product.eventPath(), true, true, true, false));
    }
    // The next report that carries a code, decoded; releases carry none.
    KeyboardNotification next() {
        for (int i = 0; i < 4; ++i) {
            if (auto code = readNotificationCode(events, 1000)) return decodeNotification(*code, kb.maps());
        }
        ADD_FAILURE() << "no notification";
        return {};
    }
    std::string control(const std::string& line) { return product.simulator().runCommand(line); }

    SimulatedProduct product;
    CommandChannel channel;
    KeyboardProtocol kb{channel};
    hid::HidDevice events;
};

TEST_F(KeyboardEventsTest, KeyEventsNameOnScreenKeys) {
    // Table position 6 is F1 (key 1) on the column-ordered keyboard.
    ASSERT_EQ(control("key keyboard 6"), "ok");
    EXPECT_EQ(next(), (KeyboardNotification{NotificationKind::KeyEvent, 1, 1}));
    EXPECT_EQ(next(), (KeyboardNotification{NotificationKind::KeyEvent, 1, 2}));
    // Position 114 holds a blank that no key maps to (they share 108).
    ASSERT_EQ(control("key keyboard 114 press"), "ok");
    EXPECT_EQ(next().kind, NotificationKind::Ignored);
}

TEST_F(KeyboardEventsTest, OnboardProfileSwitchAsksForASync) {
    ASSERT_EQ(control("profile keyboard 2"), "ok");
    EXPECT_EQ(next().kind, NotificationKind::Synchronise);
    EXPECT_EQ(kb.readProfileRecord().activeProfile, 2);
    ASSERT_EQ(control("notify keyboard 0403"), "ok");
    EXPECT_EQ(next().kind, NotificationKind::GameMode);
}

TEST_F(KeyboardEventsTest, NothingToReadTimesOut) {
    EXPECT_EQ(readNotificationCode(events, 50), std::nullopt);
}

}  // namespace
}  // namespace talven::keyboard
