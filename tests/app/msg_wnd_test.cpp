#include "app/msg_wnd.h"

#include "qt_test_support.h"
#include "ui/control.h"
#include "ui/resource_manager.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace talven {
namespace {

CMsgWnd* openBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<CMsgWnd*>(widget); box && box->isVisible()) return box;
    }
    return nullptr;
}

struct Seen {
    QString title;
    QString text;
    bool confirmShown = false;
    bool cancelShown = false;
};

// Opens a box, and once it is up records what it shows and clicks `button`.
int runBox(const char* button, int mode, Seen* seen = nullptr, const QString& title = QStringLiteral("Title"),
           const QString& text = QStringLiteral("message_text_5")) {
    QTimer clicker;
    clicker.setInterval(10);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        CMsgWnd* box = openBox();
        if (!box) return;
        clicker.stop();
        ui::CPaintManagerUI& pm = box->GetPaintManager();
        if (seen) {
            seen->title = pm.FindControl(QStringLiteral("MessageTitle"))->GetText();
            seen->text = pm.FindControl(QStringLiteral("MessageText"))->GetText();
            seen->confirmShown = pm.FindControl(QStringLiteral("confirm_btn"))->IsVisible();
            seen->cancelShown = pm.FindControl(QStringLiteral("cancel_btn"))->IsVisible();
        }
        pm.SendNotify(pm.FindControl(QString::fromLatin1(button)), QStringLiteral("click"));
    });
    clicker.start();
    return ShowMessageBox(nullptr, title, text, 96, true, mode);
}

TEST(MessageWindowTest, ConfirmGivesOneAndEveryOtherWayOutGivesZero) {
    test::qtApp();
    EXPECT_EQ(runBox("confirm_btn", kMsgButtonsConfirmCancel), 1);
    EXPECT_EQ(runBox("cancel_btn", kMsgButtonsConfirmCancel), 0);
    EXPECT_EQ(runBox("closebtn", kMsgButtonsConfirmCancel), 0);
}

TEST(MessageWindowTest, ButtonModesChooseTheButtonsShown) {
    test::qtApp();
    Seen seen;
    runBox("confirm_btn", kMsgButtonsConfirm, &seen);
    EXPECT_TRUE(seen.confirmShown);
    EXPECT_FALSE(seen.cancelShown);
    runBox("confirm_btn", kMsgButtonsConfirmCancel, &seen);
    EXPECT_TRUE(seen.confirmShown);
    EXPECT_TRUE(seen.cancelShown);
}

TEST(MessageWindowTest, ResourceTextShowsTheLanguageTextAndEmptyTextsKeepTheLayouts) {
    test::qtApp();
    ui::CResourceManager::GetInstance()->LoadLanguage(QStringLiteral("lan_en.xml"));
    Seen keyed;
    runBox("confirm_btn", kMsgButtonsConfirm, &keyed);
    EXPECT_NE(keyed.text, QStringLiteral("message_text_5"));  // the key's text, not the key
    EXPECT_FALSE(keyed.text.isEmpty());

    Seen layout;
    runBox("confirm_btn", kMsgButtonsConfirm, &layout, QString(), QString());
    EXPECT_FALSE(layout.title.isEmpty());
    EXPECT_NE(layout.title, QStringLiteral("Title"));
}

}  // namespace
}  // namespace talven
