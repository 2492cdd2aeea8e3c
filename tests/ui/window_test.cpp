#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>
#include <set>
#include <thread>

#include "platform/event.h"
#include "ui/label_button.h"
#include "ui/registered_messages.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

constexpr uint kPrivate = WM_USER + 0x100;

TEST(Window, CreateBuildsTheSkinAndSendsWindowInitOnce) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    int initCallsAtWindowInit = -1;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("title"), UI_WNDSTYLE_DIALOG));
    EXPECT_EQ(w.initWindowCalls, 1);
    EXPECT_EQ(w.size(), QSize(500, 400));
    EXPECT_EQ(w.minimumSize(), QSize(200, 150));
    EXPECT_EQ(w.GetPaintManager().GetCaptionRect(), QRect(0, 0, 500, 30));
    EXPECT_EQ(w.recorder.Count(QStringLiteral("windowinit")), 0);  // from the loop, not from Create
    EXPECT_FALSE(w.isVisible());
    ASSERT_TRUE(test::WaitUntil([&] { return w.recorder.Count(QStringLiteral("windowinit")) == 1; }));
    initCallsAtWindowInit = w.initWindowCalls;
    w.show();
    test::Spin(20);
    EXPECT_EQ(w.recorder.Count(QStringLiteral("windowinit")), 1);
    EXPECT_EQ(initCallsAtWindowInit, 1);
    // <Default name="Button"> applies before the button's own attributes.
    auto* close = w.Find<CButtonUI>(QStringLiteral("closebtn"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->GetFixedHeight(), 24);
    EXPECT_EQ(close->GetTextColor(), QColor(0xE6, 0xE8, 0xEC));
}

TEST(Window, ASkinThatCannotBeBuiltFailsCreate) {
    test::TestWindow broken(QStringLiteral("xml/broken.xml"));
    EXPECT_FALSE(broken.Create(nullptr, QStringLiteral("broken")));
    test::TestWindow missing(QStringLiteral("xml/nothing_here.xml"));
    EXPECT_FALSE(missing.Create(nullptr, QStringLiteral("missing")));
}

TEST(Window, ResizeSendsWindowSizeFromTheRoot) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), UI_WNDSTYLE_DIALOG));
    w.show();
    test::Spin(20);
    w.recorder.seen.clear();
    w.resize(600, 450);
    ASSERT_TRUE(test::WaitUntil([&] { return w.recorder.Count(QStringLiteral("windowsize")) == 1; }));
    EXPECT_EQ(w.recorder.seen.back().sender, QStringLiteral("root"));
    EXPECT_EQ(w.GetPaintManager().GetRoot()->GetPos(), QRect(0, 0, 600, 450));
}

TEST(Window, WindowTimersArriveAsWmTimer) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), UI_WNDSTYLE_DIALOG));
    int ticks = 0;
    w.onMessage = [&](uint msg, quintptr wParam, qintptr, bool& handled) -> qintptr {
        if (msg == WM_TIMER && wParam == 1011 && ++ticks == 2) w.KillTimer(1011);
        handled = false;
        return 0;
    };
    ASSERT_TRUE(w.SetTimer(1011, 5));
    ASSERT_TRUE(test::WaitUntil([&] { return ticks == 2; }));
    test::Spin(30);
    EXPECT_EQ(ticks, 2);  // killed from its own handler
}

TEST(Window, SendAndPostReachHandleCustomMessage) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), UI_WNDSTYLE_DIALOG));
    w.onMessage = [](uint msg, quintptr wParam, qintptr lParam, bool& handled) -> qintptr {
        handled = msg == kPrivate;
        return handled ? static_cast<qintptr>(wParam) + lParam : 0;
    };
    EXPECT_EQ(w.SendMessage(kPrivate, 40, 2), 42);
    w.PostMessage(kPrivate, 1, 1);
    EXPECT_EQ(w.messages.size(), 1u);
    test::Spin(10);
    EXPECT_EQ(w.messages.size(), 2u);

    // From another thread SendMessage waits for the UI thread's answer.
    auto answer = std::async(std::launch::async, [&] { return w.SendMessage(kPrivate, 5, 6); });
    ASSERT_TRUE(test::WaitUntil([&] { return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), 11);
}

TEST(Window, WorkerSendReturnsWhenStopIsSetEvenIfNeverHandled) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), UI_WNDSTYLE_DIALOG));
    test::Spin(10);
    w.messages.clear();
    w.onMessage = [](uint msg, quintptr, qintptr, bool& handled) -> qintptr {
        handled = msg == kPrivate;
        return 7;
    };
    Event stop(true);
    auto result = std::async(std::launch::async, [&] { return w.SendMessageFromWorker(kPrivate, 0, 0, stop); });
    // The UI thread is busy (it does not run the loop); only stop can end the wait.
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    stop.set();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    // The abandoned message is not run later: its arguments may be gone.
    test::Spin(20);
    EXPECT_FALSE(w.Received(kPrivate));

    // Handled normally, the worker gets the answer.
    Event noStop(true);
    auto handledResult = std::async(std::launch::async, [&] { return w.SendMessageFromWorker(kPrivate, 0, 0, noStop); });
    ASSERT_TRUE(test::WaitUntil(
        [&] { return handledResult.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(handledResult.get(), 7);
}

TEST(Window, ShowModalReturnsTheCloseResult) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("modal"), UI_WNDSTYLE_DIALOG));
    bool vetoOnce = true;
    w.onMessage = [&](uint msg, quintptr, qintptr, bool& handled) -> qintptr {
        handled = msg == WM_CLOSE && vetoOnce;
        if (handled) vetoOnce = false;
        return 0;
    };
    QTimer::singleShot(10, &w, [&] { w.Close(3); });  // refused by WM_CLOSE
    QTimer::singleShot(40, &w, [&] { w.Close(5); });
    EXPECT_EQ(w.ShowModal(), 5);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Received(WM_DESTROY));
    EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
}

TEST(Window, SysCommandsMinimiseAndRestore) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), UI_WNDSTYLE_DIALOG));
    EXPECT_FALSE(w.isVisible());
    w.SendMessage(WM_SYSCOMMAND, SC_RESTORE);  // restores a hidden window into view
    EXPECT_TRUE(w.isVisible());
    w.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(w.isMinimized());
    w.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(w.isMinimized());
}

TEST(RegisteredMessages, OneNumberPerNameForTheWholeProcess) {
    const uint a = RegisterWindowMessage(QStringLiteral("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"));
    const uint b = RegisterWindowMessage(QStringLiteral("TALVEN  K88  Gaming Keyboard"));
    EXPECT_GE(a, kFirstRegisteredMessage);
    EXPECT_GE(b, kFirstRegisteredMessage);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage(QStringLiteral("{4695579f-999a-41D4-9faf-effce93ebf15}")), a);
    EXPECT_NE(RegisterWindowMessage(QStringLiteral("TALVEN K88 Gaming Keyboard")), b);  // one space is another name
    EXPECT_EQ(RegisterWindowMessage(QString()), 0u);

    // Threads registering the same names agree.
    std::vector<std::thread> threads;
    std::vector<std::vector<uint>> results(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &results] {
            for (int i = 0; i < 50; ++i) results[t].push_back(RegisterWindowMessage(QStringLiteral("WM_HOOK_%1").arg(i)));
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 1; t < 4; ++t) EXPECT_EQ(results[t], results[0]);
    EXPECT_EQ(std::set<uint>(results[0].begin(), results[0].end()).size(), 50u);
}

}  // namespace
}  // namespace talven::ui
