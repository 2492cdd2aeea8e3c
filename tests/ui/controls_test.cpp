#include <QLineEdit>

#include <gtest/gtest.h>

#include "ui/combo.h"
#include "ui/edit.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/slider_progress.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

using test::Click;
using test::SendMouse;

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(w.Create(nullptr, QStringLiteral("controls"), UI_WNDSTYLE_DIALOG));
        w.show();
        ASSERT_TRUE(test::WaitUntil([&] { return w.recorder.Count(QStringLiteral("windowinit")) == 1; }));
        w.recorder.seen.clear();
    }

    QStringList From(const char* name) const { return w.recorder.TypesFrom(QString::fromLatin1(name)); }

    test::TestWindow w{QStringLiteral("XML_WINDOW")};
};

TEST_F(Controls, OptionsInAGroupStayExclusive) {
    auto* a = w.Find<COptionUI>(QStringLiteral("opt_a"));
    auto* b = w.Find<COptionUI>(QStringLiteral("opt_b"));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->IsSelected());  // from the layout, without a notification
    Click(b, QPoint(5, 5));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());
    EXPECT_EQ(From("opt_b"), QStringList({"click", "selectchanged"}));
    EXPECT_TRUE(From("opt_a").isEmpty());
    // A second click on the selected option of a group changes nothing.
    Click(b, QPoint(5, 5));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(From("opt_b"), QStringList({"click", "selectchanged", "click"}));

    auto* check = w.Find<CCheckBoxUI>(QStringLiteral("check"));
    Click(check, QPoint(5, 5));
    EXPECT_TRUE(check->GetCheck());
    Click(check, QPoint(5, 5));
    EXPECT_FALSE(check->GetCheck());
    EXPECT_EQ(From("check").count(QStringLiteral("selectchanged")), 2);
}

TEST_F(Controls, OptionGroupsBelongToTheirWindow) {
    test::TestWindow other(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(other.Create(nullptr, QStringLiteral("other"), UI_WNDSTYLE_DIALOG));
    other.Find<COptionUI>(QStringLiteral("opt_b"))->Selected(true);
    EXPECT_TRUE(w.Find<COptionUI>(QStringLiteral("opt_a"))->IsSelected());
    EXPECT_FALSE(other.Find<COptionUI>(QStringLiteral("opt_a"))->IsSelected());
    EXPECT_TRUE(other.recorder.TypesFrom(QStringLiteral("opt_b")).contains(QStringLiteral("selectchanged")));
    EXPECT_TRUE(From("opt_b").isEmpty());
}

TEST_F(Controls, ButtonClicksOnlyWhenReleasedInside) {
    auto* button = w.Find<CButtonUI>(QStringLiteral("closebtn"));
    ASSERT_NE(button, nullptr);
    SendMouse(button, QEvent::MouseButtonPress, QPoint(5, 5));
    SendMouse(button, QEvent::MouseMove, QPoint(60, 5));
    EXPECT_FALSE(button->IsPushed());
    SendMouse(button, QEvent::MouseButtonRelease, QPoint(60, 5));
    EXPECT_TRUE(From("closebtn").isEmpty());
    Click(button, QPoint(5, 5));
    EXPECT_EQ(From("closebtn"), QStringList({"click"}));

    // A button bound to a tab layout selects its page.
    Click(w.Find<CButtonUI>(QStringLiteral("tabbtn")), QPoint(5, 5));
    EXPECT_EQ(w.Find<CTabLayoutUI>(QStringLiteral("pages"))->GetCurSel(), 1);
}

TEST_F(Controls, SliderSendsMoveWhileDraggingAndValueAtTheEnd) {
    auto* slider = w.Find<CSliderUI>(QStringLiteral("slider"));
    ASSERT_NE(slider, nullptr);
    ASSERT_EQ(slider->width(), 200);
    // value 10 of 0..100 with a 10-pixel thumb: the thumb starts at x 19
    EXPECT_EQ(slider->GetThumbRect(), QRect(19, 5, 10, 10));
    SendMouse(slider, QEvent::MouseButtonPress, QPoint(24, 10));
    EXPECT_EQ(slider->GetValue(), 10);  // grabbing the thumb does not move it
    SendMouse(slider, QEvent::MouseMove, QPoint(105, 10));
    EXPECT_EQ(slider->GetValue(), 53);
    SendMouse(slider, QEvent::MouseMove, QPoint(150, 10));
    SendMouse(slider, QEvent::MouseButtonRelease, QPoint(150, 10));
    EXPECT_EQ(slider->GetValue(), 76);
    EXPECT_EQ(From("slider"), QStringList({"movevaluechanged", "movevaluechanged", "valuechanged"}));

    // A click on the track jumps there and reports once, on release.
    w.recorder.seen.clear();
    Click(slider, QPoint(195, 10));
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_EQ(From("slider"), QStringList({"valuechanged"}));

    w.recorder.seen.clear();
    test::Key(slider, Qt::Key_Right);  // already at the end: nothing to report
    test::Key(slider, Qt::Key_Left);
    EXPECT_EQ(slider->GetValue(), 99);
    EXPECT_EQ(From("slider"), QStringList({"valuechanged"}));

    // Code sets values silently.
    w.recorder.seen.clear();
    slider->SetValue(500);
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_TRUE(From("slider").isEmpty());
}

TEST_F(Controls, ComboSelectsFromItsDropList) {
    auto* combo = w.Find<CComboUI>(QStringLiteral("combo"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_TRUE(combo->SelectItem(2));
    EXPECT_EQ(combo->GetText(), QStringLiteral("two"));
    ASSERT_EQ(From("combo"), QStringList({"itemselect"}));
    EXPECT_EQ(w.recorder.seen.back().wParam, 2u);
    EXPECT_EQ(w.recorder.seen.back().lParam, -1);

    w.recorder.seen.clear();
    Click(combo, QPoint(10, 10));
    ASSERT_TRUE(combo->IsDropped());
    CControlUI* row = combo->GetItemAt(1);
    EXPECT_NE(row->parentWidget(), combo);  // shown in the drop list
    Click(row, QPoint(5, 5));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), QStringLiteral("one"));
    ASSERT_TRUE(test::WaitUntil([&] { return !combo->IsDropped(); }));
    EXPECT_EQ(row->parentWidget(), combo);  // back home
    EXPECT_FALSE(row->isVisibleTo(combo));
    const QStringList types = From("combo");
    EXPECT_EQ(types, QStringList({"dropdown", "itemselect"}));
    EXPECT_EQ(w.recorder.seen.back().wParam, 1u);
    EXPECT_EQ(w.recorder.seen.back().lParam, 2);
    EXPECT_EQ(w.recorder.Count(QStringLiteral("itemclick")), 1);
}

TEST_F(Controls, EditReportsTypingReturnAndFocus) {
    auto* edit = w.Find<CEditUI>(QStringLiteral("edit"));
    auto* slider = w.Find<CSliderUI>(QStringLiteral("slider"));
    ASSERT_TRUE(edit && slider);
    w.activateWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return w.isActiveWindow(); }));
    // Activation may hand the edit the focus; that is not the user's doing.
    slider->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return slider->hasFocus(); }));
    w.recorder.seen.clear();
    edit->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return edit->GetLineEdit()->hasFocus(); }));
    QLineEdit* line = edit->GetLineEdit();
    for (const char* ch : {"1", "2", "a", "3", "4", "5"}) {
        test::Key(line, ch[0] >= 'a' ? Qt::Key_A + (ch[0] - 'a') : Qt::Key_0 + (ch[0] - '0'), QString::fromLatin1(ch));
    }
    EXPECT_EQ(edit->GetText(), QStringLiteral("1234"));  // digits only, at most 4
    test::Key(line, Qt::Key_Return);
    slider->SetFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return From("edit").contains(QStringLiteral("killfocus")); }));
    EXPECT_EQ(From("edit"),
              QStringList({"setfocus", "textchanged", "textchanged", "textchanged", "textchanged", "return", "killfocus"}));

    // Text set by code is not an edit by the user.
    w.recorder.seen.clear();
    edit->SetText(QStringLiteral("77"));
    EXPECT_EQ(line->text(), QStringLiteral("77"));
    EXPECT_TRUE(From("edit").isEmpty());
}

TEST_F(Controls, ListRowsClickSelectAndActivate) {
    auto* list = w.Find<CListUI>(QStringLiteral("list"));
    ASSERT_NE(list, nullptr);
    CControlUI* row2 = list->GetItemAt(2);
    Click(row2, QPoint(5, 5));
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_TRUE(From("row2").contains(QStringLiteral("itemclick")));
    ASSERT_EQ(From("list"), QStringList({"itemselect"}));
    EXPECT_EQ(w.recorder.seen.back().wParam, 2u);

    SendMouse(row2, QEvent::MouseButtonDblClick, QPoint(5, 5));
    EXPECT_TRUE(From("row2").contains(QStringLiteral("itemactivate")));

    // Keys reaching a row go on to its list, which moves the selection and
    // scrolls the new row into view.
    test::Key(row2, Qt::Key_Down);
    EXPECT_EQ(list->GetCurSel(), 3);
    const QRect rowRect = list->GetItemAt(3)->GetPos();
    EXPECT_LE(rowRect.bottom(), list->GetPos().bottom());
    EXPECT_EQ(list->GetScrollPos(), QSize(0, 20));
    EXPECT_TRUE(dynamic_cast<IListItemUI*>(list->GetItemAt(3))->IsSelected());
    EXPECT_FALSE(dynamic_cast<IListItemUI*>(row2)->IsSelected());
}

}  // namespace
}  // namespace talven::ui
