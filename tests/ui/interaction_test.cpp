#include <QImage>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <optional>

#include "ui/combo.h"
#include "ui/dialog_builder.h"
#include "ui/edit.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/render_engine.h"
#include "ui/slider_progress.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

using test::Click;

// Layout text built into a plain widget that plays the window.
struct Host {
    Host(const char* xml, QSize size) {
        window.resize(size);
        pm.Init(&window);
        pm.AddNotifier(&recorder);
        CDialogBuilder builder;
        root = builder.Create(QString::fromLatin1(xml), {}, nullptr, &pm);
        if (root) pm.AttachDialog(root);
    }
    ~Host() { delete root; }
    template <class T = CControlUI>
    T* Get(const char* name) {
        return qobject_cast<T*>(pm.FindControl(QString::fromLatin1(name)));
    }

    QWidget window;
    CPaintManagerUI pm;
    test::Recorder recorder;
    CControlUI* root = nullptr;
};

TEST(Interaction, PressOnAPassiveChildSelectsItsRow) {
    Host h("<List name=\"list\">"
           "  <ListContainerElement name=\"r0\" height=\"20\"><Label name=\"l0\"/><Button name=\"b0\" width=\"20\"/></ListContainerElement>"
           "  <ListContainerElement name=\"r1\" height=\"20\"><Label name=\"l1\"/></ListContainerElement>"
           "</List>",
           {200, 100});
    ASSERT_NE(h.root, nullptr);
    auto* list = h.Get<CListUI>("list");
    Click(h.Get("l1"), QPoint(3, 3));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(h.recorder.TypesFrom(QStringLiteral("r1")), QStringList({"itemclick"}));
    // A button in a row handles its own click; the row stays unselected.
    Click(h.Get("b0"), QPoint(3, 3));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(h.recorder.TypesFrom(QStringLiteral("b0")), QStringList({"click"}));
}

TEST(Interaction, WheelScrollsTheInnermostContainerThatCanMove) {
    Host h("<VerticalLayout name=\"outer\" vscrollbar=\"true\">"
           "  <VerticalLayout name=\"inner\" height=\"100\" vscrollbar=\"true\"><Control name=\"deep\" height=\"150\"/></VerticalLayout>"
           "  <Control height=\"300\"/>"
           "</VerticalLayout>",
           {200, 200});
    ASSERT_NE(h.root, nullptr);
    auto* outer = h.Get<CContainerUI>("outer");
    auto* inner = h.Get<CContainerUI>("inner");
    ASSERT_EQ(inner->GetScrollRange(), QSize(0, 50));
    const int expected[][2] = {{48, 0}, {50, 0}, {50, 48}};  // inner, outer after each notch
    for (const auto& step : expected) {
        test::Wheel(h.Get("deep"), QPoint(5, 5), -120);
        EXPECT_EQ(inner->GetScrollPos().height(), step[0]);
        EXPECT_EQ(outer->GetScrollPos().height(), step[1]);
    }
}

TEST(Interaction, AControlRemovedFromItsOwnHandlerGoesSafely) {
    Host h("<VerticalLayout name=\"root\"><Button name=\"self\" height=\"20\"/><Control name=\"rest\"/></VerticalLayout>",
           {100, 100});
    ASSERT_NE(h.root, nullptr);
    struct Remover : INotifyUI {
        void Notify(TNotifyUI& msg) override {
            if (msg.sType == QLatin1String("click")) qobject_cast<CContainerUI*>(msg.pSender->GetParent())->Remove(msg.pSender);
        }
    } remover;
    h.pm.AddNotifier(&remover);
    QPointer<CControlUI> button = h.Get("self");
    Click(button, QPoint(3, 3));
    EXPECT_EQ(h.pm.FindControl(QStringLiteral("self")), nullptr);  // out of the tree at once
    EXPECT_FALSE(button.isNull());                                 // destroyed from the loop
    h.pm.UpdateLayout();
    EXPECT_EQ(h.Get("rest")->GetPos(), QRect(0, 0, 100, 100));
    test::WaitUntil([&] { return button.isNull(); });
    EXPECT_TRUE(button.isNull());
}

TEST(Interaction, FrameHitTestFindsCaptionAndResizeEdges) {
    QWidget window;
    window.resize(300, 200);
    CPaintManagerUI pm;
    pm.Init(&window);
    pm.SetCaptionRect(QMargins(0, 0, 40, 30));
    pm.SetSizeBox(QMargins(4, 4, 4, 4));
    const struct {
        QPoint at;
        std::optional<Qt::Edges> hit;
    } cases[] = {
        {{150, 10}, Qt::Edges()},
        {{270, 10}, std::nullopt},  // right of the caption strip
        {{150, 100}, std::nullopt},
        {{150, 2}, Qt::TopEdge},    // the size box wins over the caption
        {{1, 100}, Qt::LeftEdge},
        {{298, 198}, Qt::RightEdge | Qt::BottomEdge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x() << "," << c.at.y());
        EXPECT_EQ(pm.HitTestFrame(c.at), c.hit);
    }
}

TEST(Interaction, MultiSelectListTogglesWithControl) {
    Host h("<List name=\"list\" multiselect=\"true\">"
           "<ListLabelElement name=\"r0\" text=\"a\"/><ListLabelElement name=\"r1\" text=\"b\"/><ListLabelElement name=\"r2\" text=\"c\"/>"
           "</List>",
           {200, 200});
    ASSERT_NE(h.root, nullptr);
    auto* list = h.Get<CListUI>("list");
    Click(h.Get("r0"), QPoint(3, 3));
    Click(h.Get("r2"), QPoint(3, 3), Qt::ControlModifier);
    EXPECT_EQ(list->GetSelectedItems(), QList<int>({0, 2}));
    Click(h.Get("r0"), QPoint(3, 3), Qt::ControlModifier);
    EXPECT_EQ(list->GetSelectedItems(), QList<int>({2}));
    EXPECT_EQ(list->GetCurSel(), 2);
    Click(h.Get("r1"), QPoint(3, 3));
    EXPECT_EQ(list->GetSelectedItems(), QList<int>({1}));
}

TEST(Interaction, RichEditWithoutWantReturnReportsReturn) {
    Host h("<RichEdit name=\"rich\" wantreturn=\"false\"/>", {200, 100});
    ASSERT_NE(h.root, nullptr);
    auto* rich = h.Get<CRichEditUI>("rich");
    QPlainTextEdit* editor = rich->GetTextEdit();
    test::Key(editor, Qt::Key_A, QStringLiteral("a"));
    test::Key(editor, Qt::Key_B, QStringLiteral("b"));
    test::Key(editor, Qt::Key_Return);
    EXPECT_EQ(rich->GetText(), QStringLiteral("ab"));
    EXPECT_EQ(h.recorder.TypesFrom(QStringLiteral("rich")), QStringList({"textchanged", "textchanged", "return"}));
    rich->SetLimitText(3);
    test::Key(editor, Qt::Key_C, QStringLiteral("c"));
    test::Key(editor, Qt::Key_D, QStringLiteral("d"));
    EXPECT_EQ(rich->GetText(), QStringLiteral("abc"));
    h.recorder.seen.clear();
    rich->SetText(QStringLiteral("set by code"));
    EXPECT_TRUE(h.recorder.seen.empty());
}

TEST(Interaction, ComboKeysChooseAndTheWheelLeavesItAlone) {
    Host h("<VerticalLayout><Combo name=\"combo\" height=\"24\">"
           "<ListLabelElement text=\"a\"/><ListLabelElement text=\"b\" enabled=\"false\"/><ListLabelElement text=\"c\"/>"
           "</Combo></VerticalLayout>",
           {200, 100});
    ASSERT_NE(h.root, nullptr);
    auto* combo = h.Get<CComboUI>("combo");
    test::Key(combo, Qt::Key_Down);
    EXPECT_EQ(combo->GetCurSel(), 0);
    test::Key(combo, Qt::Key_Down);
    EXPECT_EQ(combo->GetCurSel(), 2);  // the disabled item is passed over
    EXPECT_EQ(h.recorder.Count(QStringLiteral("itemselect")), 2);
    test::Wheel(combo, QPoint(5, 5), 120);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_FALSE(combo->SelectItem(1));
}

TEST(Interaction, ProgressFillsFromTheStartOfItsDirection) {
    const struct {
        const char* xml;
        QSize size;
        QPoint filled, empty;
    } cases[] = {
        {"<Progress forecolor=\"#FFFF0000\" value=\"25\"/>", {100, 10}, {20, 5}, {30, 5}},
        {"<Progress forecolor=\"#FFFF0000\" value=\"25\" hor=\"false\"/>", {10, 100}, {5, 80}, {5, 70}},
        {"<Slider forecolor=\"#FFFF0000\" value=\"50\" thumbcolor=\"#00000000\" thumbsize=\"20,10\"/>", {120, 10}, {55, 5}, {65, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        Host h(c.xml, c.size);
        ASSERT_NE(h.root, nullptr);
        QImage image(c.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        h.root->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_EQ(QColor(image.pixel(c.filled)), QColor(Qt::red));
        EXPECT_EQ(qAlpha(image.pixel(c.empty)), 0);
    }
}

// Small rounded controls are painted through a mask, large ones through a
// clip: both must cut the corners and keep the inside, partial repaints too.
TEST(Interaction, RoundedControlsCutTheirCornersAtEverySize) {
    const struct {
        QSize size;
        QRect repaint;  // empty: the whole control
    } cases[] = {
        {{24, 24}, {}},
        {{24, 24}, {0, 0, 10, 10}},
        {{400, 300}, {}},
        {{400, 300}, {0, 0, 30, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height());
        Host h("<Button bkcolor=\"#FFFF0000\" borderround=\"12,12\"/>", c.size);
        ASSERT_NE(h.root, nullptr);
        QImage image(c.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const QRegion region = c.repaint.isEmpty() ? QRegion() : QRegion(c.repaint);
        h.root->render(&image, QPoint(), region, QWidget::DrawChildren);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);                    // cut corner
        EXPECT_EQ(QColor(image.pixel(8, 8)), QColor(Qt::red));      // inside the curve
        EXPECT_EQ(QColor(image.pixel(1, c.size.height() / 2)).red(), c.repaint.isEmpty() ? 255 : 0);
        bool antialiased = false;  // some pixel on the diagonal through the corner is partly covered
        for (int i = 0; i < 8; ++i) antialiased |= qAlpha(image.pixel(i, i)) > 0 && qAlpha(image.pixel(i, i)) < 255;
        EXPECT_TRUE(antialiased);
    }
}

// Controls of one size share the layer they are painted into: each paint
// starts from a clear layer, so a control shows nothing of the one before.
TEST(Interaction, RoundedControlsOfOneSizeShowNothingOfEachOther) {
    const char* const skins[] = {
        "<Button bkcolor=\"#FFFF0000\" borderround=\"12,12\"/>",
        "<Button bkcolor=\"#8000FF00\" borderround=\"12,12\"/>",
        "<Button borderround=\"12,12\"/>",
    };
    const QRgb inside[] = {qRgba(255, 0, 0, 255), qPremultiply(qRgba(0, 255, 0, 128)), qRgba(0, 0, 0, 0)};
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < std::size(skins); ++i) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", control " << i);
            Host h(skins[i], {24, 24});
            ASSERT_NE(h.root, nullptr);
            QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            h.root->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            const QRgb centre = image.pixel(12, 12);
            EXPECT_EQ(qAlpha(centre), qAlpha(inside[i]));
            EXPECT_NEAR(qRed(centre), qRed(inside[i]), 1);
            EXPECT_NEAR(qGreen(centre), qGreen(inside[i]), 1);
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // the cut corner stays clear
        }
    }
}

TEST(Interaction, AutoSizedLabelFollowsItsText) {
    Host h("<HorizontalLayout><Label name=\"l\" autocalcwidth=\"true\" text=\"Hi\" textpadding=\"4,0,4,0\"/>"
           "<Control name=\"rest\"/></HorizontalLayout>",
           {300, 20});
    ASSERT_NE(h.root, nullptr);
    auto* label = h.Get<CLabelUI>("l");
    auto widthOf = [&](const QString& text) {
        return CRenderEngine::GetTextSize(&h.pm, text, -1, label->GetTextStyle()).width() + 8;
    };
    EXPECT_EQ(label->width(), widthOf(QStringLiteral("Hi")));
    label->SetText(QStringLiteral("Hi there, a longer text"));
    h.pm.UpdateLayout();
    EXPECT_EQ(label->width(), widthOf(QStringLiteral("Hi there, a longer text")));
    EXPECT_EQ(h.Get("rest")->GetPos().left(), label->width());
}

TEST(Interaction, OptionJoiningAGroupKeepsOneSelection) {
    Host h("<VerticalLayout><Option name=\"o1\" group=\"g\" selected=\"true\"/><Option name=\"o2\" selected=\"true\"/></VerticalLayout>",
           {100, 100});
    ASSERT_NE(h.root, nullptr);
    auto* o1 = h.Get<COptionUI>("o1");
    auto* o2 = h.Get<COptionUI>("o2");
    o2->SetGroup(QStringLiteral("g"));
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_EQ(h.pm.GetOptionGroup(QStringLiteral("g")).size(), 2);
    delete o1;
    EXPECT_EQ(h.pm.GetOptionGroup(QStringLiteral("g")).size(), 1);
}

}  // namespace
}  // namespace talven::ui
