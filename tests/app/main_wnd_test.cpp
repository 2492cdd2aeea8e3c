#include "app/main_wnd.h"

#include "app/app_messages.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace talven {
namespace {

// Records each time the window is shown, with whether the first device scan
// had finished by then.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(CMainWnd& window) : window_(window) { window.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) shownBeforeScan_ |= !window_.firstScanDone(), ++shows_;
        return false;
    }
    int shows_ = 0;
    bool shownBeforeScan_ = false;

private:
    CMainWnd& window_;
};

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        registerAppMessages();
        // An empty device folder: the scan finds nothing.
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        watcher = std::make_unique<ShowWatcher>(*window);
        ASSERT_TRUE(window->Create(nullptr, applicationTitle(), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone() && window->isVisible(); }));
    }
    void TearDown() override {
        watcher.reset();
        window.reset();
    }
    ui::CControlUI* find(const char* name) { return window->GetPaintManager().FindControl(QString::fromLatin1(name)); }
    void click(const char* name) { window->GetPaintManager().SendNotify(find(name), QStringLiteral("click")); }

    test::TempDir dir;
    std::unique_ptr<CMainWnd> window;
    std::unique_ptr<ShowWatcher> watcher;
};

TEST_F(MainWndTest, ComesUpAfterTheFirstScanWithTheNoDeviceOverlayAtDesignSize) {
    EXPECT_FALSE(watcher->shownBeforeScan_);
    EXPECT_GE(watcher->shows_, 1);
    EXPECT_TRUE(find("No_device_Link")->IsVisible());
    EXPECT_TRUE(window->initialised());
    EXPECT_EQ(window->deviceSlots().size(), 9u);
    EXPECT_TRUE(test::waitUntil([&] { return window->size() == QSize(1350, 810); }));
}

// Stands in for the notification area: whether there is one, and the
// balloon messages shown at its icon.
struct FakeTray {
    bool available = true;
    std::vector<std::pair<QString, QString>> messages;
    CMainWnd::TrayAccess access() {
        return {[this] { return available; },
                [this](const QString& title, const QString& text) { messages.emplace_back(title, text); }};
    }
};

TEST_F(MainWndTest, CloseButtonHidesToTheTrayAndATrayClickBringsItBack) {
    FakeTray tray;
    window->setTrayAccess(tray.access());
    EXPECT_EQ(find("talven_footer")->GetText(),
              ui::CResourceManager::GetInstance()->GetText(QStringLiteral("footer_text")));
    int quits = 0;
    QObject::connect(window.get(), &CMainWnd::quitRequested, [&] { ++quits; });
    for (const char* closer : {"closebtn", "nodevice_ok_btn", "closebtn"}) {
        click(closer);
        EXPECT_FALSE(window->isVisible()) << closer;
        window->SendMessage(ui::UIMSG_TRAYICON, 0, ui::WM_LBUTTONUP);
        EXPECT_TRUE(window->isVisible()) << closer;
    }
    window->SendMessage(ui::UIMSG_TRAYICON, 0, ui::WM_LBUTTONUP);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(quits, 0);
    // Told once per run where the program went, in the current language.
    ASSERT_EQ(tray.messages.size(), 1u);
    ui::CResourceManager* texts = ui::CResourceManager::GetInstance();
    EXPECT_EQ(tray.messages[0].first, texts->GetText(QStringLiteral("tray_notice_title")));
    EXPECT_EQ(tray.messages[0].second, texts->GetText(QStringLiteral("tray_notice_text")));
}

// Hidden with no tray icon to bring it back, the program would run on unseen.
TEST_F(MainWndTest, WithoutANotificationAreaTheCloseButtonEndsTheProgram) {
    FakeTray tray;
    tray.available = false;
    window->setTrayAccess(tray.access());
    // The footer must not promise a tray that is not there.
    EXPECT_EQ(find("talven_footer")->GetText(),
              ui::CResourceManager::GetInstance()->GetText(QStringLiteral("footer_text_notray")));
    int quits = 0;
    QObject::connect(window.get(), &CMainWnd::quitRequested, [&] { ++quits; });
    click("closebtn");
    EXPECT_TRUE(test::waitUntil([&] { return quits == 1; }, 2000)) << "the exit path ran";
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(tray.messages.empty());
}

// Start-up must not hand the keyboard to an edit: typing would rename the
// profile (or, in the key capture edit, start the input hook).
TEST_F(MainWndTest, NothingEditableHasTheFocusAfterStartUp) {
    QWidget* focus = QApplication::focusWidget();
    EXPECT_EQ(qobject_cast<QLineEdit*>(focus), nullptr) << focus->metaObject()->className();
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(focus), nullptr);
    std::vector<QLineEdit*> edits;
    std::vector<QString> before;
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) edits.push_back(edit), before.push_back(edit->text());
    ASSERT_FALSE(edits.empty());
    QWidget* target = focus ? focus : window.get();
    for (const QChar c : QStringLiteral("xyz")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X + (c.unicode() - 'x'), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &press);
    }
    for (size_t i = 0; i < edits.size(); ++i) EXPECT_EQ(edits[i]->text(), before[i]) << edits[i]->objectName().toStdString();
}

TEST_F(MainWndTest, TheInstanceMessageRestoresAMinimisedWindow) {
    window->SendMessage(ui::WM_SYSCOMMAND, ui::SC_MINIMIZE);
    window->SendMessage(appMessages().instance, 0, 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(MainWndTest, BothLightingPathsAgreeOnTheCaption) {
    auto caption = [&] { return find("control_light_status")->GetText(); };
    ui::CResourceManager* resources = ui::CResourceManager::GetInstance();
    const QString on = resources->GetText(QStringLiteral("控制灯光"));
    const QString off = resources->GetText(QStringLiteral("不控制灯光"));
    ASSERT_NE(on, off);
    EXPECT_TRUE(window->lightingControl());
    EXPECT_EQ(caption(), on);
    click("control_light_status");
    EXPECT_FALSE(window->lightingControl());
    EXPECT_EQ(caption(), off);
    window->SendMessage(appMessages().lightControl, 1, 1);
    EXPECT_TRUE(window->lightingControl());
    EXPECT_EQ(caption(), on);
    window->SendMessage(appMessages().lightControl, 1, 0);
    EXPECT_EQ(caption(), off);
    window->SendMessage(appMessages().lightControl, 0, 1);  // not a request: ignored
    EXPECT_FALSE(window->lightingControl());
}

TEST_F(MainWndTest, WhileSuspendedEverythingAfterThePowerCaseIsIgnored) {
    window->SendMessage(ui::WM_POWERBROADCAST, ui::PBT_APMSUSPEND);
    EXPECT_FALSE(window->awake());
    find("setting_progress")->SetVisible(false);
    window->SendMessage(mainmsg::kShowProgress);
    EXPECT_FALSE(find("setting_progress")->IsVisible());
    window->SendMessage(ui::WM_POWERBROADCAST, ui::PBT_APMRESUMEAUTOMATIC);
    window->SendMessage(mainmsg::kShowProgress);
    EXPECT_TRUE(find("setting_progress")->IsVisible());
}

TEST_F(MainWndTest, ApplyingALanguageSwitchesTextsAndIsStored) {
    window->ApplyLanguage(0);
    const QString english = find("control_light_status")->GetText();
    window->SendMessage(mainmsg::kApplyLanguage, 1);
    EXPECT_EQ(window->currentLanguage(), 1);
    EXPECT_NE(find("control_light_status")->GetText(), english);
    window->ApplyLanguage(0);
    EXPECT_EQ(find("control_light_status")->GetText(), english);
}

TEST_F(MainWndTest, TheTrayMenusExitItemClosesTheWindow) {
    auto command = std::make_unique<ui::MenuCmd>();
    command->szName = QStringLiteral("exit");
    window->SendMessage(ui::UIMSG_MENUCLICK, reinterpret_cast<quintptr>(command.release()));
    EXPECT_TRUE(test::waitUntil([&] { return !window->isVisible(); }));
}

}  // namespace
}  // namespace talven
