// The X server capture against a real server (an Xvfb of the test's own):
// keys typed through XTEST while the keyboard is captured come to us and
// not to a second, focused program, except the lock keys; releasing, and a
// capturing process that dies, give the keys back.

#if defined(TALVEN_HAVE_X11_CAPTURE) && defined(TALVEN_TEST_HAVE_XTEST)

#include "platform/input/input_capture.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <csignal>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace talven::input {
namespace {

constexpr unsigned kXKeyA = 38;      // KEY_A + 8
constexpr unsigned kXKeyQ = 24;      // KEY_Q + 8
constexpr unsigned kXCapsLock = 66;  // KEY_CAPSLOCK + 8
constexpr unsigned kCapsLockBit = 0x02;

struct RecordingSink : InputSink {
    std::vector<KeyEvent> keys;
    std::vector<ButtonEvent> buttons;
    void key(const KeyEvent& event) override { keys.push_back(event); }
    void button(const ButtonEvent& event) override { buttons.push_back(event); }
};

// Dispatches whatever arrives within `ms`.
// Dispatches events for `ms`, or, given `done`, until it holds (at most five
// seconds, as a loaded machine can be slow to deliver) and then a little
// longer, so an event too many is still seen.
void pump(InputCapture& capture, InputSink& sink, int ms = 150, const std::function<bool()>& done = {}) {
    const auto dispatchFor = [&](std::chrono::milliseconds span, const std::function<bool()>& stop) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end && !(stop && stop())) {
            pollfd p{capture.eventFd(), POLLIN, 0};
            ::poll(&p, 1, 10);
            capture.dispatch(sink);
        }
    };
    if (!done) return dispatchFor(std::chrono::milliseconds(ms), {});
    dispatchFor(std::chrono::seconds(5), done);
    dispatchFor(std::chrono::milliseconds(50), {});
}

class X11CaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new test::XvfbServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (server_->display().empty()) GTEST_SKIP() << "no Xvfb to run an X server";
        other_ = std::make_unique<test::FocusedXClient>(server_->display());
        input_ = std::make_unique<test::XTestInput>(server_->display());
        ASSERT_TRUE(other_->ok() && input_->ok());
        capture_ = openX11Capture(server_->display());
        ASSERT_NE(capture_, nullptr);
        other_->takePresses(0);
    }
    static test::XvfbServer* server_;
    std::unique_ptr<test::FocusedXClient> other_;
    std::unique_ptr<test::XTestInput> input_;
    std::unique_ptr<InputCapture> capture_;
    RecordingSink sink_;
};

test::XvfbServer* X11CaptureTest::server_ = nullptr;

TEST_F(X11CaptureTest, CapturedKeysComeToUsAndOnlyLockKeysReachTheOtherProgram) {
    ASSERT_TRUE(capture_->start(true, true));
    EXPECT_TRUE(capture_->keyboardCaptured());
    const unsigned lockedBefore = input_->lockedModifiers() & kCapsLockBit;

    input_->tap(kXKeyA);
    pump(*capture_, sink_, 0, [&] { return sink_.keys.size() >= 2; });
    ASSERT_EQ(sink_.keys.size(), 2u);
    EXPECT_EQ(sink_.keys[0].message, kWmKeyDown);
    EXPECT_EQ(sink_.keys[0].virtualKey, 0x41);
    EXPECT_EQ(sink_.keys[0].scanCode, 0x1E);
    EXPECT_FALSE(sink_.keys[0].extended);
    EXPECT_EQ(sink_.keys[1].message, kWmKeyUp);
    EXPECT_TRUE(other_->takePresses().empty());

    // Caps Lock is reported, reaches the other program and toggles once.
    sink_.keys.clear();
    input_->tap(kXCapsLock);
    pump(*capture_, sink_, 0, [&] { return sink_.keys.size() >= 2; });
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXCapsLock});
    EXPECT_NE(input_->lockedModifiers() & kCapsLockBit, lockedBefore);
    ASSERT_EQ(sink_.keys.size(), 2u);
    EXPECT_EQ(sink_.keys[0].virtualKey, 0x14);
    EXPECT_EQ(sink_.keys[1].message, kWmKeyUp);
    input_->tap(kXCapsLock);  // back as it was
    pump(*capture_, sink_);
    other_->takePresses(0);

    capture_->stop();
    input_->tap(kXKeyQ);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyQ});
    sink_.keys.clear();
    pump(*capture_, sink_);
    EXPECT_TRUE(sink_.keys.empty());
}

TEST_F(X11CaptureTest, MouseButtonsAreReportedWithThePointerPosition) {
    ASSERT_TRUE(capture_->start(false, true));
    EXPECT_FALSE(capture_->keyboardCaptured());
    input_->movePointer(40, 30);
    input_->button(8, true);
    input_->button(8, false);
    input_->button(1, true);
    pump(*capture_, sink_, 0, [&] { return sink_.buttons.size() >= 3; });
    input_->button(1, false);
    ASSERT_EQ(sink_.buttons.size(), 3u);
    EXPECT_EQ(sink_.buttons[0].message, kWmXButtonDown);
    EXPECT_EQ(sink_.buttons[0].xButton, kXButtonBack);
    EXPECT_EQ(sink_.buttons[1].message, kWmXButtonUp);
    EXPECT_EQ(sink_.buttons[2].message, kWmLButtonDown);
    EXPECT_TRUE(sink_.buttons[2].hasPoint);
    EXPECT_EQ(sink_.buttons[2].x, 40);
    EXPECT_EQ(sink_.buttons[2].y, 30);
    // Keys were not asked for: they go where they always go.
    input_->tap(kXKeyA);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyA});
}

TEST_F(X11CaptureTest, StartingAgainReplacesTheCapture) {
    ASSERT_TRUE(capture_->start(true, true));
    ASSERT_TRUE(capture_->start(true, false));
    input_->tap(kXKeyA);
    input_->button(1, true);
    input_->button(1, false);
    pump(*capture_, sink_);
    EXPECT_EQ(sink_.keys.size(), 2u);
    EXPECT_TRUE(sink_.buttons.empty());
    capture_->stop();
    capture_->stop();
    input_->tap(kXKeyA);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyA});
}

// Where another program holds keys of the root window, the whole keyboard
// is grabbed instead: keys still come to us only, and Caps Lock still
// toggles, although no program sees it.
TEST_F(X11CaptureTest, ATakenRootWindowFallsBackToTheWholeKeyboard) {
    auto first = openX11Capture(server_->display());
    ASSERT_TRUE(first->start(true, false));
    ASSERT_TRUE(capture_->start(true, false));
    EXPECT_TRUE(capture_->keyboardCaptured());
    const unsigned lockedBefore = input_->lockedModifiers() & kCapsLockBit;
    input_->tap(kXKeyA);
    input_->tap(kXCapsLock);
    pump(*capture_, sink_);
    ASSERT_EQ(sink_.keys.size(), 4u);
    EXPECT_EQ(sink_.keys[0].virtualKey, 0x41);
    EXPECT_EQ(sink_.keys[2].virtualKey, 0x14);
    EXPECT_NE(input_->lockedModifiers() & kCapsLockBit, lockedBefore);
    EXPECT_TRUE(other_->takePresses().empty());
    input_->tap(kXCapsLock);
    capture_->stop();
    first.reset();
    other_->takePresses(0);
    input_->tap(kXKeyQ);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyQ});
}

// The grabs belong to the connection: a process killed while it captures
// leaves nothing behind.
TEST_F(X11CaptureTest, KilledWhileCapturingTheKeysComeBack) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const std::string display = server_->display();
    const pid_t child = ::fork();
    if (child == 0) {
        auto capture = openX11Capture(display);
        const char ok = capture && capture->start(true, true) ? '1' : '0';
        [[maybe_unused]] auto written = ::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(ok, '1');
    input_->tap(kXKeyA);
    EXPECT_TRUE(other_->takePresses().empty());

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    input_->tap(kXKeyQ);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyQ});
}

}  // namespace
}  // namespace talven::input

#endif
