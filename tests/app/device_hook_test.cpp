// CDeviceHook against a real X server (an Xvfb of the suite's own) with a
// second, focused X program and synthetic input: the mode's message reaches
// our window synchronously with the key's record, the other program gets no
// key but the lock keys, one capture at a time, and Uninstall gives the keys
// back. Without any system-wide capture the hook watches our own windows.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "editors/device_hook.h"
#include "qt_test_support.h"
#include "support/debug_capture.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"
#include "ui/registered_messages.h"
#include "ui/window_impl_base.h"

#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <vector>

namespace talven {
namespace {

struct Delivered {
    uint msg;
    quintptr wParam;
    KeyHookRecord key;
    MouseHookRecord mouse;
};

// Keeps a copy of every hook message; the records live only for the call.
class RecordingWindow : public ui::WindowImplBase {
public:
    QString GetSkinFile() override { return {}; }
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override {
        Delivered d{msg, wParam, {}, {}};
        if (msg >= ui::kFirstRegisteredMessage && lParam != 0) {
            if (wParam >= 0x200) {
                d.mouse = *reinterpret_cast<const MouseHookRecord*>(lParam);
            } else {
                d.key = *reinterpret_cast<const KeyHookRecord*>(lParam);
            }
            delivered.push_back(d);
        }
        handled = true;
        return 0;
    }
    std::vector<Delivered> delivered;
};

#if defined(TALVEN_HAVE_X11_CAPTURE) && defined(TALVEN_TEST_HAVE_XTEST)

constexpr unsigned kXKeyA = 38;
constexpr unsigned kXKeyQ = 24;
constexpr unsigned kXCapsLock = 66;

class DeviceHookXTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new test::XvfbServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        test::qtApp();
        if (server_->display().empty()) GTEST_SKIP() << "no Xvfb to run an X server";
        other_ = std::make_unique<test::FocusedXClient>(server_->display());
        input_ = std::make_unique<test::XTestInput>(server_->display());
        ASSERT_TRUE(other_->ok() && input_->ok());
        input::InputCaptureOptions options;
        options.display = server_->display();
        options.tryEvdev = false;
        hook_.setCaptureOptions(options);
        ASSERT_TRUE(hook_.systemWide());
    }
    static void pumpEvents() { test::waitUntil([] { return false; }, 200); }
    bool waitForMessages(size_t count) {
        return test::waitUntil([&] { return window_.delivered.size() >= count; }, 3000);
    }

    static test::XvfbServer* server_;
    std::unique_ptr<test::FocusedXClient> other_;
    std::unique_ptr<test::XTestInput> input_;
    RecordingWindow window_;
    CDeviceHook hook_;
};

test::XvfbServer* DeviceHookXTest::server_ = nullptr;

TEST_F(DeviceHookXTest, ModeOneKeysReachOurWindowAndNoOtherProgram) {
    ASSERT_EQ(hook_.Install(7, hookmode::kSingleKey, &window_, true, true), 1);
    input_->tap(kXKeyA);
    ASSERT_TRUE(waitForMessages(2));
    const uint single = hookKeyboardMessage(hookmode::kSingleKey);
    EXPECT_EQ(single, ui::RegisterWindowMessage(QStringLiteral("WM_HOOK_KEY_SINGLEKEY_MSG")));
    EXPECT_EQ(window_.delivered[0].msg, single);
    EXPECT_EQ(window_.delivered[0].wParam, 256u);
    EXPECT_EQ(window_.delivered[0].key.vkCode, 0x41u);
    EXPECT_EQ(window_.delivered[0].key.scanCode, 0x1Eu);
    EXPECT_EQ(window_.delivered[0].key.flags, 0u);
    EXPECT_EQ(window_.delivered[1].wParam, 257u);
    EXPECT_TRUE(other_->takePresses().empty());

    // The keyboard waits for our event loop to decide about each key.
    input_->tap(kXCapsLock);
    input_->tap(kXCapsLock);
    pumpEvents();
    EXPECT_EQ(other_->takePresses(), (std::vector<unsigned>{kXCapsLock, kXCapsLock}));

    EXPECT_EQ(hook_.Uninstall(), 1);
    const size_t before = window_.delivered.size();
    input_->tap(kXKeyQ);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyQ});
    pumpEvents();
    EXPECT_EQ(window_.delivered.size(), before);
}

TEST_F(DeviceHookXTest, ModeFourThenEightLeavesOneCaptureSendingModeEightMessages) {
    ASSERT_EQ(hook_.Install(0, hookmode::kMacro, &window_, true, true), 1);
    ASSERT_EQ(hook_.Install(0, hookmode::kMacroPrevious, &window_, true, true), 1);
    EXPECT_EQ(hook_.mode(), hookmode::kMacroPrevious);
    input_->tap(kXKeyA);
    ASSERT_TRUE(waitForMessages(2));
    input_->movePointer(12, 34);
    input_->button(8, true);
    input_->button(8, false);
    ASSERT_TRUE(waitForMessages(4));
    const uint keys = ui::RegisterWindowMessage(QStringLiteral("WM_HOOK_KEY_KBMACROPREVIOUS_MSG"));
    const uint mouse = ui::RegisterWindowMessage(QStringLiteral("WM_HOOK_KEY_MSMACROPREVIOUS_MSG"));
    ASSERT_EQ(window_.delivered.size(), 4u);
    EXPECT_EQ(window_.delivered[0].msg, keys);
    EXPECT_EQ(window_.delivered[1].msg, keys);
    EXPECT_EQ(window_.delivered[2].msg, mouse);
    EXPECT_EQ(window_.delivered[2].wParam, 523u);
    EXPECT_EQ(window_.delivered[2].mouse.mouseData >> 16, 1u);
    EXPECT_EQ(window_.delivered[2].mouse.x, 12);
    EXPECT_EQ(window_.delivered[2].mouse.y, 34);
    EXPECT_EQ(window_.delivered[3].wParam, 524u);
    EXPECT_TRUE(other_->takePresses().empty());

    // One uninstall is enough: there was only ever one grab.
    EXPECT_EQ(hook_.Uninstall(), 1);
    input_->tap(kXKeyQ);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyQ});
    EXPECT_EQ(hook_.Uninstall(), 0);
}

// A mode outside the table sends nothing, but the keys are still taken.
TEST_F(DeviceHookXTest, AnUnknownModeTakesKeysAndSendsNothing) {
    ASSERT_EQ(hook_.Install(0, 3, &window_, true, false), 1);
    input_->tap(kXKeyA);
    pumpEvents();
    EXPECT_TRUE(window_.delivered.empty());
    EXPECT_TRUE(other_->takePresses().empty());
    hook_.Uninstall();
}

TEST_F(DeviceHookXTest, TheMainWindowInstallsModeOneOnItsMessageAndHandsOnTheKey) {
    test::ScopedEnv display("DISPLAY", server_->display().c_str());
    test::ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    test::TempDir dir;
    registerAppMessages();
    CMainWnd window(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
    std::vector<KeyHookRecord> keys;
    window.setCapturedKeyHandler([&](quintptr message, const KeyHookRecord& record) {
        if (message == 256) keys.push_back(record);
    });
    window.SendMessage(mainmsg::kInputHook, 1, 0);
    EXPECT_TRUE(window.deviceHook().installed());
    input_->tap(kXKeyA);
    ASSERT_TRUE(test::waitUntil([&] { return !keys.empty(); }, 3000));
    EXPECT_EQ(keys[0].vkCode, 0x41u);
    EXPECT_EQ(keys[0].scanCode, 0x1Eu);
    EXPECT_TRUE(other_->takePresses().empty());

    window.SendMessage(mainmsg::kInputHook, 0, 0);
    EXPECT_FALSE(window.deviceHook().installed());
    input_->tap(kXKeyQ);
    EXPECT_EQ(other_->takePresses(), std::vector<unsigned>{kXKeyQ});
}

#endif

TEST(DeviceHookTest, UninstallWithoutInstallReturnsZero) {
    CDeviceHook hook;
    EXPECT_EQ(hook.Uninstall(), 0);
    EXPECT_EQ(hookKeyboardMessage(64), 0u);
    EXPECT_EQ(hookMouseMessage(hookmode::kSingleKey), 0u);
    EXPECT_EQ(hookMouseMessage(hookmode::kMacroLater),
              ui::RegisterWindowMessage(QStringLiteral("WM_HOOK_KEY_MSMACROLATER_MSG")));
}

// No X server and no event devices: keys typed into our own widgets are the
// capture; they are taken from the widget, except the lock keys.
TEST(DeviceHookTest, WithoutASystemWideCaptureOurOwnWindowsAreWatchedAndTheLogSaysSo) {
    test::qtApp();
    test::TempDir empty;
    input::InputCaptureOptions options;
    options.tryX11 = false;
    options.inputDir = empty.str();
    options.uinputPath = empty.str() + "/uinput";
    CDeviceHook hook;
    hook.setCaptureOptions(options);
    {
        test::DebugCapture log;
        EXPECT_FALSE(hook.systemWide());
        EXPECT_EQ(log.count("input capture: no X server and no readable event devices, own windows only"), 1);
    }
    RecordingWindow window;
    QLineEdit edit;
    ASSERT_EQ(hook.Install(0, hookmode::kSingleKey, &window, true, true), 1);
    auto press = [&](int key, quint32 native, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, native, 0, 0, text);
        QApplication::sendEvent(&edit, &event);
    };
    press(Qt::Key_A, 38, QStringLiteral("a"));
    ASSERT_EQ(window.delivered.size(), 1u);
    EXPECT_EQ(window.delivered[0].msg, hookKeyboardMessage(hookmode::kSingleKey));
    EXPECT_EQ(window.delivered[0].wParam, 256u);
    EXPECT_EQ(window.delivered[0].key.vkCode, 0x41u);
    EXPECT_EQ(window.delivered[0].key.scanCode, 0x1Eu);
    EXPECT_TRUE(edit.text().isEmpty());
    // Num Lock (native 77) is reported and still reaches the widget's window.
    press(Qt::Key_NumLock, 77, QString());
    ASSERT_EQ(window.delivered.size(), 2u);
    EXPECT_EQ(window.delivered[1].key.vkCode, 0x90u);
    EXPECT_EQ(window.delivered[1].key.flags, kKeyHookExtended);

    EXPECT_EQ(hook.Uninstall(), 1);
    press(Qt::Key_B, 56, QStringLiteral("b"));
    EXPECT_EQ(edit.text(), QStringLiteral("b"));
    EXPECT_EQ(window.delivered.size(), 2u);
}

TEST(DeviceHookTest, TheOwnWindowsLineIsInBothLanguages) {
    for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
        QFile language(QStringLiteral(TALVEN_RESOURCES_DIR "/skin/") + QString::fromLatin1(file));
        ASSERT_TRUE(language.open(QIODevice::ReadOnly)) << file;
        const QByteArray id = QByteArray("id=\"") + CDeviceHook::kOwnWindowsOnlyText + '"';
        EXPECT_TRUE(language.readAll().contains(id)) << file;
    }
}

}  // namespace
}  // namespace talven
