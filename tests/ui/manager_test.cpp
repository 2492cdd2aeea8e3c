#include <gtest/gtest.h>

#include "ui/dialog_builder.h"
#include "ui/label_button.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

// Counts the timer events it gets, per id; the counts outlive the control.
class TimerProbe : public CControlUI {
public:
    explicit TimerProbe(QHash<quintptr, int>* counts) : counts_(counts) {}
    void DoEvent(TEventUI& event) override {
        if (event.Type == UIEVENT_TIMER && event.pSender == this) (*counts_)[event.wParam]++;
        CControlUI::DoEvent(event);
    }

private:
    QHash<quintptr, int>* counts_;
};

struct Tree {
    Tree() {
        root = new CVerticalLayoutUI;
        root->SetName(QStringLiteral("root"));
        pm.AttachDialog(root);
    }
    ~Tree() { delete root; }
    CPaintManagerUI pm;
    CVerticalLayoutUI* root;
};

TEST(Manager, ControlTimersFireOnTheirControlAndDieWithIt) {
    Tree t;
    test::Recorder recorder;
    t.pm.AddNotifier(&recorder);
    QHash<quintptr, int> counts;
    auto* probe = new TimerProbe(&counts);
    probe->SetName(QStringLiteral("probe"));
    t.root->Add(probe);
    ASSERT_TRUE(t.pm.SetTimer(probe, 7, 5));
    ASSERT_TRUE(t.pm.SetTimer(probe, 8, 5));
    ASSERT_TRUE(test::WaitUntil([&] { return counts.value(7) >= 2 && counts.value(8) >= 1; }));
    // The default handling turns a control timer into a "timer" notification.
    EXPECT_GE(recorder.Count(QStringLiteral("timer")), 3);
    EXPECT_EQ(recorder.seen.front().sender, QStringLiteral("probe"));

    EXPECT_TRUE(t.pm.KillTimer(probe, 8));
    EXPECT_FALSE(t.pm.KillTimer(probe, 8));
    const int eightSeen = counts.value(8);
    delete probe;
    const int sevenSeen = counts.value(7);
    test::Spin(40);
    EXPECT_EQ(counts.value(7), sevenSeen);
    EXPECT_EQ(counts.value(8), eightSeen);
    EXPECT_FALSE(t.pm.KillTimer(probe, 7));  // nothing left to kill
}

TEST(Manager, FindsControlsByNameAndClass) {
    Tree t;
    CDialogBuilder builder;
    CControlUI* part = builder.Create(
        QStringLiteral("<HorizontalLayout name=\"page\"><Label name=\"dup\"/><VerticalLayout>"
                       "<Button name=\"dup\"/><Button name=\"key_12\"/></VerticalLayout></HorizontalLayout>"),
        {}, nullptr, &t.pm, t.root);
    ASSERT_NE(part, nullptr);
    auto* other = new CLabelUI;
    other->SetName(QStringLiteral("dup"));
    t.root->AddAt(other, 0);

    // First in document order wins.
    EXPECT_EQ(t.pm.FindControl(QStringLiteral("dup")), other);
    CControlUI* inPart = t.pm.FindSubControlByName(part, QStringLiteral("dup"));
    ASSERT_NE(inPart, nullptr);
    EXPECT_NE(inPart, other);
    EXPECT_EQ(inPart->GetParent(), part);
    EXPECT_EQ(t.pm.FindSubControlByName(part, QStringLiteral("page")), nullptr);  // not the parent itself
    EXPECT_EQ(t.pm.FindControl(QStringLiteral("missing")), nullptr);
    EXPECT_EQ(t.pm.FindSubControlByClass(part, QStringLiteral("Button"), 1)->GetName(), QStringLiteral("key_12"));
    EXPECT_EQ(t.pm.FindSubControlsByClass(t.root, QStringLiteral("Label")).size(), 2);
    EXPECT_EQ(qobject_cast<CContainerUI*>(part)->FindSubControl(QStringLiteral("key_12")),
              t.pm.FindControl(QStringLiteral("key_12")));
}

TEST(Manager, VirtualWindowsGetTheirControlsNotifications) {
    Tree t;
    test::Recorder window;
    test::Recorder page;
    t.pm.AddNotifier(&window);
    t.pm.AddVirtualWnd(QStringLiteral("mainpage"), &page);
    auto* group = new CVerticalLayoutUI;
    group->SetVirtualWnd(QStringLiteral("mainpage"));
    auto* inside = new CButtonUI;
    inside->SetName(QStringLiteral("inside"));
    group->Add(inside);
    t.root->Add(group);
    t.pm.SendNotify(inside, QStringLiteral("click"));
    t.pm.SendNotify(t.root, QStringLiteral("click"));
    EXPECT_EQ(window.seen.size(), 2u);
    ASSERT_EQ(page.seen.size(), 1u);
    EXPECT_EQ(page.seen[0].sender, QStringLiteral("inside"));
    EXPECT_TRUE(t.pm.RemoveVirtualWnd(QStringLiteral("mainpage")));
    t.pm.SendNotify(inside, QStringLiteral("click"));
    EXPECT_EQ(page.seen.size(), 1u);
}

TEST(Manager, QueuedNotificationIsDroppedWhenItsSenderIsGone) {
    Tree t;
    test::Recorder recorder;
    t.pm.AddNotifier(&recorder);
    auto* doomed = new CControlUI;
    t.root->Add(doomed);
    t.pm.SendNotify(doomed, QStringLiteral("click"), 0, 0, true);
    t.pm.SendNotify(t.root, QStringLiteral("click"), 0, 0, true);
    EXPECT_TRUE(recorder.seen.empty());  // nothing before the loop turns
    delete doomed;
    test::Spin(20);
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0].sender, QStringLiteral("root"));
}

TEST(Manager, FontSlotsAndDefaultsReachControls) {
    Tree t;
    auto* label = new CLabelUI;
    t.root->Add(label);
    EXPECT_EQ(label->GetFontObject().pixelSize(), 12);  // no slots at all
    t.pm.SetDefaultFont(QStringLiteral("DejaVu Sans"), 13, false, false, false);
    t.pm.AddFont(2, QStringLiteral("DejaVu Sans"), 18, true, false, true);
    EXPECT_EQ(label->GetFontObject().pixelSize(), 13);
    label->SetFont(2);
    EXPECT_EQ(label->GetFontObject().pixelSize(), 18);
    EXPECT_TRUE(label->GetFontObject().bold());
    EXPECT_TRUE(label->GetFontObject().italic());
    label->SetFont(9);  // a slot nobody defined: the default font
    EXPECT_EQ(label->GetFontObject().pixelSize(), 13);

    // Shared slots serve windows that lack their own.
    CPaintManagerUI other;
    other.AddFont(5, QStringLiteral("DejaVu Sans"), 20, false, false, false, true);
    EXPECT_EQ(t.pm.GetFont(5).pixelSize(), 20);
    t.pm.AddFont(5, QStringLiteral("DejaVu Sans"), 10, false, false, false);
    EXPECT_EQ(t.pm.GetFont(5).pixelSize(), 10);
    other.RemoveAllFonts(true);
    t.pm.RemoveAllFonts();
    EXPECT_EQ(t.pm.GetFont(5).pixelSize(), 13);
}

TEST(Manager, SetAllDpiReachesEveryLiveManager) {
    CPaintManagerUI a;
    CPaintManagerUI b;
    CPaintManagerUI::SetAllDPI(120);
    EXPECT_EQ(a.GetDPI(), 120);
    EXPECT_EQ(b.GetDPIObj()->Scale(96), 120);
    CPaintManagerUI::SetAllDPI(96);
    a.SetDPI(5000);  // refused
    EXPECT_EQ(a.GetDPI(), 96);
}

}  // namespace
}  // namespace talven::ui
