#include <gtest/gtest.h>

#include <array>

#include "ui/dialog_builder.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

// A layout file built under a manager without a window and laid out on a
// 400x300 area.
struct BuiltLayout {
    explicit BuiltLayout(int dpi = 96) {
        pm.SetDPI(dpi);
        CDialogBuilder builder;
        root = builder.Create(QStringLiteral("XML_LAYOUT"), {}, nullptr, &pm);
        if (!root) return;
        pm.AttachDialog(root);
        root->SetPos(QRect(0, 0, pm.GetDPIObj()->Scale(400), pm.GetDPIObj()->Scale(300)));
    }
    ~BuiltLayout() { delete root; }
    CControlUI* Get(const char* name) const { return pm.FindControl(QString::fromLatin1(name)); }

    CPaintManagerUI pm;
    CControlUI* root = nullptr;
};

TEST(Layout, FileBuildsTheExpectedTree) {
    BuiltLayout l;
    ASSERT_NE(l.root, nullptr);
    const struct {
        const char* name;
        const char* cls;
        QRect rect;  // window coordinates
    } expected[] = {
        {"root", "VerticalLayout", {0, 0, 400, 300}},
        // inset 10 on every side, childpadding 5 between rows
        {"top", "HorizontalLayout", {10, 10, 380, 40}},
        // b1 fixed 100; b3 fixed 50 inside padding 3,2,7,0; b2 takes the rest
        {"b1", "Button", {10, 10, 100, 40}},
        {"b2", "Control", {114, 10, 212, 40}},
        {"b3", "Label", {333, 12, 50, 38}},
        // "hidden" takes no space: the stack follows the top row directly
        {"stack", "Container", {10, 55, 380, 60}},
        {"fixedInStack", "Control", {12, 58, 20, 10}},
        // float: pos 5,6,25,16 from the container's top-left
        {"floater", "Control", {15, 61, 20, 10}},
        {"tabs", "TabLayout", {10, 120, 380, 50}},
        {"page1", "Control", {10, 120, 380, 50}},
        // 280 high inside the inset; 40 + 60 + 50 + 3 gaps of 5 are taken
        {"fill", "Control", {10, 175, 380, 115}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        CControlUI* c = l.Get(e.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->GetClass(), QLatin1String(e.cls));
        EXPECT_EQ(c->GetPos(), e.rect);
    }
    EXPECT_EQ(l.Get("b1")->GetFixedWidth(), 100);
    EXPECT_EQ(l.Get("b1")->GetText(), QStringLiteral("One"));
    EXPECT_EQ(l.Get("b1")->GetParent(), l.Get("top"));
}

TEST(Layout, ShowingAHiddenChildMakesRoomForIt) {
    BuiltLayout l;
    ASSERT_NE(l.root, nullptr);
    l.Get("hidden")->SetVisible(true);
    l.pm.UpdateLayout();
    EXPECT_EQ(l.Get("hidden")->GetPos(), QRect(10, 55, 380, 30));
    EXPECT_EQ(l.Get("stack")->GetPos().top(), 90);
    EXPECT_EQ(l.Get("fill")->GetPos(), QRect(10, 210, 380, 80));
}

TEST(Layout, TabLayoutShowsOneChild) {
    BuiltLayout l;
    ASSERT_NE(l.root, nullptr);
    auto* tabs = qobject_cast<CTabLayoutUI*>(l.Get("tabs"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(l.Get("page0")->IsVisible());
    EXPECT_TRUE(l.Get("page1")->IsVisible());
    EXPECT_FALSE(l.Get("page2")->IsVisible());

    test::Recorder recorder;
    l.pm.AddNotifier(&recorder);
    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_FALSE(tabs->SelectItem(3));
    l.pm.UpdateLayout();
    EXPECT_FALSE(l.Get("page1")->IsVisible());
    EXPECT_EQ(l.Get("page2")->GetPos(), QRect(10, 120, 380, 50));
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0].type, QStringLiteral("tabselect"));
    EXPECT_EQ(recorder.seen[0].wParam, 2u);
    EXPECT_EQ(recorder.seen[0].lParam, 1);

    // Removing the shown page shows a neighbour instead of nothing.
    EXPECT_TRUE(tabs->Remove(l.Get("page2")));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_TRUE(tabs->GetItemAt(1)->IsVisible());
}

TEST(Layout, FloatControlKeepsAPlaceGivenByCode) {
    BuiltLayout l;
    ASSERT_NE(l.root, nullptr);
    CControlUI* floater = l.Get("floater");
    floater->SetPos(QRect(30, 70, 20, 10));
    l.Get("stack")->NeedUpdate();
    l.pm.UpdateLayout();
    EXPECT_EQ(floater->GetPos(), QRect(30, 70, 20, 10));
    EXPECT_EQ(floater->GetFixedXY(), QPoint(20, 15));
}

TEST(Layout, DpiScalesSizesPaddingAndFonts) {
    BuiltLayout l;
    ASSERT_NE(l.root, nullptr);
    l.pm.AddFont(3, QStringLiteral("DejaVu Sans"), 14, false, false, false);
    l.pm.SetDPI(144);
    EXPECT_EQ(l.root->GetPos(), QRect(0, 0, 600, 450));
    EXPECT_EQ(l.Get("b1")->GetFixedWidth(), 150);
    EXPECT_EQ(l.Get("b1")->GetPos(), QRect(15, 15, 150, 60));
    EXPECT_EQ(l.Get("floater")->GetPos(), QRect(23, 92, 30, 15));
    EXPECT_EQ(l.pm.GetFont(3).pixelSize(), 21);

    BuiltLayout scaled(144);
    ASSERT_NE(scaled.root, nullptr);
    EXPECT_EQ(scaled.Get("b3")->GetPos(), QRect(499, 18, 75, 57));
}

struct ShareCase {
    int available;
    std::vector<std::array<int, 3>> children;  // fixed width, min, max (0: none)
    std::vector<int> widths;
};

TEST(Layout, RowSharesFreeSpaceWithinLimits) {
    const ShareCase cases[] = {
        {300, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {100, 100, 100}},
        {100, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {33, 33, 34}},
        {300, {{50, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {50, 125, 125}},
        {300, {{0, 200, 0}, {0, 0, 0}, {0, 0, 0}}, {200, 50, 50}},
        {300, {{0, 0, 40}, {0, 0, 0}, {0, 0, 0}}, {40, 130, 130}},
        {100, {{80, 0, 0}, {0, 30, 0}}, {80, 30}},
        {300, {{500, 0, 100}, {0, 0, 0}}, {100, 200}},
        {300, {{0, 0, 50}, {0, 0, 50}}, {50, 50}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const ShareCase& c = cases[i];
        CHorizontalLayoutUI row;
        std::vector<CControlUI*> children;
        for (const auto& limits : c.children) {
            auto* child = new CControlUI;
            child->SetFixedWidth(limits[0]);
            if (limits[1]) child->SetMinWidth(limits[1]);
            if (limits[2]) child->SetMaxWidth(limits[2]);
            row.Add(child);
            children.push_back(child);
        }
        row.SetPos(QRect(0, 0, c.available, 10));
        for (size_t k = 0; k < children.size(); ++k) EXPECT_EQ(children[k]->width(), c.widths[k]) << "child " << k;
    }
}

TEST(Layout, OverflowingColumnScrolls) {
    CPaintManagerUI pm;
    auto* column = new CVerticalLayoutUI;
    column->EnableScrollBar(true);
    column->SetAttribute(QStringLiteral("scrollbarwidth"), QStringLiteral("8"));
    pm.AttachDialog(column);
    for (int i = 0; i < 5; ++i) {
        auto* row = new CControlUI;
        row->SetFixedHeight(40);
        column->Add(row);
    }
    column->SetPos(QRect(0, 0, 100, 100));
    EXPECT_EQ(column->GetScrollRange(), QSize(0, 100));
    EXPECT_EQ(column->GetItemAt(0)->GetPos(), QRect(0, 0, 92, 40));
    column->SetScrollPos(QSize(0, 30));
    EXPECT_EQ(column->GetItemAt(0)->GetPos().top(), -30);
    EXPECT_EQ(column->GetItemAt(4)->GetPos().top(), 130);
    column->SetScrollPos(QSize(0, 1000));
    EXPECT_EQ(column->GetScrollPos(), QSize(0, 100));
    // Content that fits again needs no bar and no offset.
    column->SetPos(QRect(0, 0, 100, 300));
    EXPECT_EQ(column->GetScrollRange(), QSize(0, 0));
    EXPECT_EQ(column->GetItemAt(0)->GetPos(), QRect(0, 0, 100, 40));
    delete column;
}

TEST(Layout, ContainerApiKeepsOrderAndRejectsCycles) {
    CPaintManagerUI pm;
    auto* outer = new CVerticalLayoutUI;
    pm.AttachDialog(outer);
    auto* inner = new CHorizontalLayoutUI;
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    EXPECT_TRUE(outer->Add(inner));
    EXPECT_TRUE(outer->Add(a));
    EXPECT_TRUE(outer->AddAt(b, 0));
    EXPECT_EQ(outer->GetItemIndex(b), 0);
    EXPECT_EQ(outer->GetItemIndex(a), 2);
    EXPECT_FALSE(inner->Add(outer));  // would make a cycle
    EXPECT_TRUE(inner->Add(a));       // moves it
    EXPECT_EQ(outer->GetCount(), 2);
    EXPECT_EQ(a->GetParent(), inner);
    EXPECT_TRUE(outer->Remove(b, true));
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(outer->GetCount(), 1);
    delete b;
    delete outer;
}

}  // namespace
}  // namespace talven::ui
