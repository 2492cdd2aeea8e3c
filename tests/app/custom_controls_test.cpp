// The program's own controls, built from layout text in an offscreen window
// and driven with real mouse and key events.

#include "controls/circle_progress.h"
#include "app/custom_controls.h"
#include "controls/hand_buttons.h"
#include "controls/key_button.h"
#include "controls/list_rows.h"
#include "controls/select_panel.h"
#include "ui/control_factory.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

using ui::test::SendMouse;

class ControlWindow : public ui::test::TestWindow {
public:
    using TestWindow::TestWindow;
    ui::CControlUI* CreateControl(const QString& tag) override { return createShellControl(tag); }
};

// Three keys in a row with a gap, and a fourth far below.
const char* kPanelLayout = R"(<Window size="400,300"><VerticalLayout name="root">
  <SelectPanel name="panel" height="300">
    <DeviceKeyButton name="key_0" float="true" pos="10,10,50,50"/>
    <DeviceKeyButton name="key_1" float="true" pos="60,10,100,50"/>
    <DeviceKeyButton name="key_2" float="true" pos="110,10,150,50"/>
    <DeviceKeyButton name="key_3" float="true" pos="10,200,50,240"/>
  </SelectPanel>
</VerticalLayout></Window>)";

class SelectPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create(nullptr, QStringLiteral("panel"), ui::WS_POPUP));
        window.show();
        panel = window.Find<CSelectPanelUI>(QStringLiteral("panel"));
        ASSERT_NE(panel, nullptr);
    }
    CDeviceKeyButtonUI* key(int i) { return window.Find<CDeviceKeyButtonUI>(QStringLiteral("key_%1").arg(i)); }
    // A drag in window coordinates, pressed on whatever lies under `from`.
    void drag(QPoint from, QPoint to) {
        QWidget* target = window.childAt(from);
        ASSERT_NE(target, nullptr);
        const QPoint offset = target->mapTo(&window, QPoint(0, 0));
        SendMouse(target, QEvent::MouseButtonPress, from - offset);
        SendMouse(target, QEvent::MouseMove, (from + to) / 2 - offset);
        SendMouse(target, QEvent::MouseMove, to - offset);
        SendMouse(target, QEvent::MouseButtonRelease, to - offset);
    }
    std::vector<bool> selection() {
        std::vector<bool> out;
        for (int i = 0; i < 4; ++i) out.push_back(key(i)->IsSelected());
        return out;
    }

    ControlWindow window{QString::fromLatin1(kPanelLayout)};
    CSelectPanelUI* panel = nullptr;
};

TEST_F(SelectPanelTest, ADragSelectsExactlyTheKeysItTouches) {
    struct Case {
        QPoint from, to;
        std::vector<bool> selected;
    };
    const Case cases[] = {
        {{5, 60}, {55, 5}, {true, false, false, false}},       // from empty panel over key 0 only
        {{55, 60}, {105, 30}, {false, true, false, false}},    // touches key 1, ends in the gap before key 2
        {{5, 5}, {160, 260}, {true, true, true, true}},        // everything
        {{200, 100}, {300, 150}, {false, false, false, false}},  // nothing: clears the selection
        {{30, 30}, {120, 30}, {true, true, true, false}},      // started on a key
    };
    for (const Case& c : cases) {
        const int before = window.recorder.Count(QStringLiteral("click_select_end"));
        drag(c.from, c.to);
        EXPECT_EQ(selection(), c.selected) << c.from.x() << "," << c.from.y() << " -> " << c.to.x() << "," << c.to.y();
        EXPECT_EQ(window.recorder.Count(QStringLiteral("click_select_end")), before + 1);
    }
}

TEST_F(SelectPanelTest, AClickWithoutMovingIsNoDrag) {
    drag({5, 5}, {160, 260});
    const int ends = window.recorder.Count(QStringLiteral("click_select_end"));
    ui::test::Click(key(1), {5, 5});
    EXPECT_EQ(window.recorder.Count(QStringLiteral("click_select_end")), ends);
    EXPECT_EQ(selection(), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(window.recorder.TypesFrom(QStringLiteral("key_1")), QStringList{QStringLiteral("click")});
}

TEST_F(SelectPanelTest, ADoubleClickOnAKeySendsDbclick) {
    SendMouse(key(2), QEvent::MouseButtonDblClick, {5, 5});
    EXPECT_TRUE(window.recorder.TypesFrom(QStringLiteral("key_2")).contains(QStringLiteral("dbclick")));
}

const char* kButtonsLayout = R"(<Window size="300,200"><VerticalLayout name="root">
  <HandImgButton name="hand" width="120" height="80" deletenormalimage="file='a.svg'" deletehotimage="file='b.svg'"/>
  <CircleProgress name="circle" width="60" height="60" min="0" max="100" value="25"
                  bkcolor="#FF202020" forecolor="#FFFF0000"/>
  <RedioMacroButton name="record" width="40" height="40" redioimage="common/icons/lighting.svg"/>
</VerticalLayout></Window>)";

TEST(ShellControlsTest, TheDeleteIconSendsClickHanddeleteAndNoClick) {
    ControlWindow window{QString::fromLatin1(kButtonsLayout)};
    ASSERT_TRUE(window.Create(nullptr, QStringLiteral("buttons"), ui::WS_POPUP));
    window.show();
    auto* hand = window.Find<CHandImgButtonUI>(QStringLiteral("hand"));
    ASSERT_NE(hand, nullptr);
    const QPoint icon = hand->DeleteRect().center() - hand->GetPos().topLeft();
    SendMouse(hand, QEvent::MouseMove, icon);
    EXPECT_EQ(hand->CurrentDeleteImage(), QStringLiteral("file='b.svg'"));
    ui::test::Click(hand, icon);
    ui::test::Click(hand, {5, 5});
    EXPECT_EQ(window.recorder.TypesFrom(QStringLiteral("hand")),
              (QStringList{QStringLiteral("click_handdelete"), QStringLiteral("click")}));
}

TEST(ShellControlsTest, TheCircleProgressDrawsARingAroundAWhiteCentre) {
    ControlWindow window{QString::fromLatin1(kButtonsLayout)};
    ASSERT_TRUE(window.Create(nullptr, QStringLiteral("buttons"), ui::WS_POPUP));
    window.show();
    auto* circle = window.Find<CCircleProgressUI>(QStringLiteral("circle"));
    ASSERT_NE(circle, nullptr);
    const QImage image = circle->grab().toImage();
    const int w = image.width(), h = image.height();
    EXPECT_EQ(QColor(image.pixel(w / 2, h / 2)), QColor(Qt::white));
    // A quarter from the bottom, clockwise: the lower-left of the ring is red.
    EXPECT_EQ(QColor(image.pixel(w / 4 - 2, h * 3 / 4 + 2)).red(), 255);
    EXPECT_EQ(QColor(image.pixel(w * 3 / 4 + 2, h / 4 - 2)), QColor(0x20, 0x20, 0x20));  // not yet filled
    circle->SetValue(0);
    const QImage empty = circle->grab().toImage();
    EXPECT_EQ(QColor(empty.pixel(w / 4 - 2, h * 3 / 4 + 2)), QColor(0x20, 0x20, 0x20));
}

TEST(ShellControlsTest, TheRecordButtonPulsesBetweenItsFadesWhileRecording) {
    ControlWindow window{QString::fromLatin1(kButtonsLayout)};
    ASSERT_TRUE(window.Create(nullptr, QStringLiteral("buttons"), ui::WS_POPUP));
    auto* record = window.Find<CRedioMacroButtonUI>(QStringLiteral("record"));
    ASSERT_NE(record, nullptr);
    record->SetRecording(true);
    int lowest = 255;
    ui::test::WaitUntil([&] {
        lowest = std::min(lowest, record->Fade());
        return lowest == 80;
    }, 3000);
    EXPECT_EQ(lowest, 80);
    EXPECT_TRUE(record->GetForeImage().contains(QStringLiteral("fade='")));
    record->SetRecording(false);
    EXPECT_TRUE(record->GetForeImage().isEmpty());
}

}  // namespace
}  // namespace talven
