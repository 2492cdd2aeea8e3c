#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include "ui/label_button.h"
#include "ui/tray_icon.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

class MappedWindow : public test::TestWindow {
public:
    MappedWindow() : TestWindow(QStringLiteral("XML_WINDOW")) {}
    void OnClick(TNotifyUI& msg) override { onClick << msg.pSender->GetName(); }
    void OnFinalMessage() override { finalMessages++; }
    QStringList onClick;
    int finalMessages = 0;
};

TEST(WindowBehaviour, MessageMapPrefersTheNamedEntryThenFallsBackToOnClick) {
    MappedWindow w;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("map"), UI_WNDSTYLE_DIALOG));
    QStringList handled;
    w.AddMessageMapEntry(QStringLiteral("click"), QStringLiteral("closebtn"),
                         [&](TNotifyUI&) { handled << QStringLiteral("closebtn entry"); });
    w.AddMessageMapEntry(QStringLiteral("selectchanged"), [&](TNotifyUI& m) { handled << m.pSender->GetName(); });
    test::Click(w.Find<CButtonUI>(QStringLiteral("closebtn")), QPoint(3, 3));
    test::Click(w.Find<CButtonUI>(QStringLiteral("tabbtn")), QPoint(3, 3));
    test::Click(w.Find<CControlUI>(QStringLiteral("check")), QPoint(3, 3));
    EXPECT_EQ(handled, QStringList({"closebtn entry", "check"}));
    EXPECT_EQ(w.onClick, QStringList({"tabbtn", "check"}));
    // The base does not close a window because a button is called "closebtn".
    EXPECT_FALSE(w.Received(WM_DESTROY));
}

TEST(WindowBehaviour, NotificationsForAVirtualWindowSkipTheWindowsMap) {
    MappedWindow w;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("virtual"), UI_WNDSTYLE_DIALOG));
    test::Recorder page;
    w.GetPaintManager().AddVirtualWnd(QStringLiteral("page"), &page);
    w.Find<CControlUI>(QStringLiteral("caption"))->SetVirtualWnd(QStringLiteral("page"));
    test::Click(w.Find<CButtonUI>(QStringLiteral("tabbtn")), QPoint(3, 3));
    EXPECT_TRUE(w.onClick.isEmpty());
    ASSERT_EQ(page.seen.size(), 1u);
    EXPECT_EQ(page.seen[0].sender, QStringLiteral("tabbtn"));
    EXPECT_EQ(w.recorder.Count(QStringLiteral("click")), 1);  // the window's own Notify still sees it
}

TEST(WindowBehaviour, FinalMessageComesFromTheLoopAndMayDeleteTheWindow) {
    struct OwnWindow : test::TestWindow {
        OwnWindow() : TestWindow(QStringLiteral("XML_WINDOW")) {}
        void OnFinalMessage() override { delete this; }
    };
    QPointer<OwnWindow> w = new OwnWindow;
    ASSERT_TRUE(w->Create(nullptr, QStringLiteral("own"), UI_WNDSTYLE_DIALOG));
    w->Close(0);
    ASSERT_FALSE(w.isNull());
    EXPECT_TRUE(w->Received(WM_DESTROY));
    EXPECT_TRUE(test::WaitUntil([&] { return w.isNull(); }));
}

TEST(WindowBehaviour, ActivationArrivesAsWmActivate) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("active"), UI_WNDSTYLE_DIALOG));
    w.show();
    w.activateWindow();
    auto activated = [&] {
        for (const test::Message& m : w.messages) {
            if (m.msg == WM_ACTIVATE && m.wParam == WA_ACTIVE) return true;
        }
        return false;
    };
    EXPECT_TRUE(test::WaitUntil(activated));
}

TEST(WindowBehaviour, DpiScalesTheWindowWithItsContent) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("dpi"), UI_WNDSTYLE_DIALOG));
    w.GetPaintManager().SetDPI(144);
    EXPECT_EQ(w.size(), QSize(750, 600));
    EXPECT_EQ(w.minimumSize(), QSize(300, 225));
    EXPECT_EQ(w.GetPaintManager().GetRoot()->GetPos(), QRect(0, 0, 750, 600));
    EXPECT_EQ(w.Find<CButtonUI>(QStringLiteral("closebtn"))->GetPos(), QRect(0, 0, 45, 36));  // its height of 24 comes from <Default>
    EXPECT_EQ(w.GetPaintManager().GetCaptionRect(), QRect(0, 0, 750, 45));
    EXPECT_EQ(w.GetPaintManager().GetFont(0).pixelSize(), 21);
}

TEST(WindowBehaviour, TrayClicksMapToMouseMessages) {
    EXPECT_EQ(CTrayIcon::MouseMessageFor(QSystemTrayIcon::Trigger), static_cast<qintptr>(WM_LBUTTONUP));
    EXPECT_EQ(CTrayIcon::MouseMessageFor(QSystemTrayIcon::Context), static_cast<qintptr>(WM_RBUTTONUP));
    EXPECT_EQ(CTrayIcon::MouseMessageFor(QSystemTrayIcon::DoubleClick), static_cast<qintptr>(WM_LBUTTONDBLCLK));
    EXPECT_EQ(CTrayIcon::MouseMessageFor(QSystemTrayIcon::MiddleClick), 0);
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a notification area exists here";
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("tray"), UI_WNDSTYLE_DIALOG));
    CTrayIcon tray;
    EXPECT_FALSE(tray.CreateTrayIcon(&w, QStringLiteral("common/icon.svg"), QStringLiteral("tip"), 0));
    EXPECT_FALSE(tray.IsCreated());
    tray.DeleteTrayIcon();  // harmless without an icon
}

}  // namespace
}  // namespace talven::ui
