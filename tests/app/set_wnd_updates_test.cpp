// The settings window's update rows: how each state looks, ticking, the
// confirmation, one transfer after another driven by the UpdateStatus
// messages, and the window refusing to close while a download runs.

#include "app/app_messages.h"
#include "app/set_wnd.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/label_button.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/resource_manager.h"
#include "update/update_check.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <vector>

namespace talven {
namespace {

using update::CheckResult;

// Stands in for the main window: records the messages it is sent. Built
// from the main window's skin, it gives the settings window the shared fonts
// and list looks it has in the program.
class MessageRecorder : public ui::WindowImplBase {
public:
    QString GetSkinFile() override { return QStringLiteral("XML_MAIN"); }
    qintptr HandleCustomMessage(uint msg, quintptr, qintptr, bool& handled) override {
        messages.push_back(msg);
        handled = true;
        return 0;
    }
    std::vector<uint> messages;
};

CheckResult reply(int status, const char* newLabel, const char* path = "https://updates.invalid/f.bin") {
    CheckResult result;
    result.reachable = true;
    result.info.status = status;
    result.info.displayName = "Product :";
    result.info.currentLabel = "V0100";
    result.info.newLabel = newLabel;
    result.info.path = path;
    return result;
}

class UpdateRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        registerAppMessages();
        ui::CResourceManager::GetInstance()->LoadLanguage(QStringLiteral("lan_en.xml"));
        ASSERT_TRUE(main.Create(nullptr, QStringLiteral("main"), ui::WS_POPUP));
        wnd = new CSetWnd(&main, 0);
        // Mouse and keyboard release 1.00, the program 0.1.0; no server is asked.
        wnd->setUpdateRecords({update::makeUpdateRecord(0, 0x0100), update::makeUpdateRecord(1, 0x0100),
                               update::makeUpdateRecord(update::kApplicationRow, 100)});
        wnd->setUpdateService({});
        wnd->setTransferStarter([this](const update::TransferCommand& command) {
            started.push_back(command);
            return startSucceeds;
        });
        wnd->setAutostart((dir / "a.desktop").string(), "/usr/bin/t");
        ASSERT_TRUE(wnd->Create(nullptr, QStringLiteral("SetWnd"), ui::WS_POPUP | ui::WS_VISIBLE, ui::WS_EX_TOOLWINDOW));
        // Without a server every row is unreachable.
        ASSERT_TRUE(test::waitUntil([&] { return wnd->updateStatus() == update::kStatusNoServer; }));
    }
    void TearDown() override {
        if (wnd) {
            wnd->setTransferStarter([](const update::TransferCommand&) { return false; });
            delete wnd.data();
        }
    }

    ui::CControlUI* find(const char* name) { return wnd->GetPaintManager().FindControl(QString::fromLatin1(name)); }
    ui::CControlUI* rowPart(int row, const char* name) {
        auto* list = qobject_cast<ui::CListUI*>(find("device_update_list_info"));
        return wnd->GetPaintManager().FindSubControlByName(list->GetItemAt(row), QString::fromLatin1(name));
    }
    ui::COptionUI* tick(int row) { return qobject_cast<ui::COptionUI*>(rowPart(row, "check_name_select")); }
    void click(const char* name) { wnd->GetPaintManager().SendNotify(find(name), QStringLiteral("click")); }
    QString statusText() { return find("Update_Status_text")->GetText(); }
    QString text(const char* key) { return ui::CResourceManager::GetInstance()->GetText(QString::fromLatin1(key)); }
    int page() { return qobject_cast<ui::CTabLayoutUI*>(find("get_update_tab_layout"))->GetCurSel(); }
    void status(quintptr code, qintptr value = 0) { wnd->SendMessage(appMessages().updateStatus, code, value); }
    // With TALVEN_SCREENSHOT_DIR set, keeps a picture of the window at this step.
    void picture(const char* name) {
        const QString folder = qEnvironmentVariable("TALVEN_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        wnd->GetPaintManager().UpdateLayout();
        EXPECT_TRUE(wnd->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }

    test::TempDir dir;
    MessageRecorder main;
    QPointer<CSetWnd> wnd;
    std::vector<update::TransferCommand> started;
    bool startSucceeds = true;
};

TEST_F(UpdateRowsTest, EveryRowIsListedFirstWithItsStartingLabels) {
    auto* list = qobject_cast<ui::CListUI*>(find("device_update_list_info"));
    ASSERT_EQ(list->GetCount(), 3);
    EXPECT_EQ(rowPart(0, "OldRev")->GetText(), QStringLiteral("V0100"));
    EXPECT_EQ(rowPart(2, "OldRev")->GetText(), QStringLiteral("V0100"));  // decimal 100 as "V0%d"
    EXPECT_EQ(tick(2)->GetText(), QStringLiteral("TALVEN  K88  Gaming Keyboard :"));
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(tick(row)->IsEnabled()) << row;
        EXPECT_FALSE(tick(row)->IsSelected()) << row;
        EXPECT_TRUE(rowPart(row, "updateRev")->GetText().isEmpty()) << row;
    }
    EXPECT_EQ(statusText(), text("NoUpdateInfoText"));
    EXPECT_TRUE(find("Update_Status_text")->IsResourceText());
    EXPECT_FALSE(find("update_status_ring")->IsVisible());
    EXPECT_TRUE(find("update_status_image")->IsVisible());
    EXPECT_FALSE(find("update_fw_and_ap")->IsVisible());
}

TEST_F(UpdateRowsTest, AFoundUpdateIsTickedInBlueAndUpToDateRowsAreGreyAndFixed) {
    wnd->OnCheckFinished({reply(1, "V0102"), reply(7, "V0100"), CheckResult{}});
    EXPECT_EQ(tick(0)->GetTextColor(), QColor::fromRgba(0xFF0078C8u));
    EXPECT_TRUE(tick(0)->IsSelected());
    EXPECT_TRUE(tick(0)->IsEnabled());
    EXPECT_EQ(rowPart(0, "updateRev")->GetText(), QStringLiteral("V0102"));
    EXPECT_EQ(tick(1)->GetTextColor(), QColor::fromRgba(0xFF666666u));
    EXPECT_FALSE(tick(1)->IsEnabled());
    EXPECT_FALSE(tick(2)->IsEnabled()) << "unreachable: left as it was";
    EXPECT_EQ(statusText(), text("HaveUpdateInfoText"));
    EXPECT_TRUE(find("update_fw_and_ap")->IsVisible());
    EXPECT_TRUE(find("update_fw_and_ap")->IsEnabled());

    tick(0)->Selected(false);  // the user's click
    EXPECT_FALSE(find("update_fw_and_ap")->IsVisible());
    EXPECT_EQ(wnd->updateList().rows()[0].state, update::kAvailableUnticked);
    tick(1)->Selected(true);  // a fixed row takes no tick
    EXPECT_FALSE(tick(1)->IsSelected());
    tick(0)->Selected(true);
    EXPECT_TRUE(find("update_fw_and_ap")->IsVisible());
}

TEST_F(UpdateRowsTest, AllUpToDateSaysSoWithTheDateAndClearsTheBadge) {
    wnd->OnCheckFinished({reply(7, "V0100"), reply(7, "V0100"), reply(7, "V0100")});
    EXPECT_FALSE(find("Update_Status_text")->IsResourceText());
    EXPECT_TRUE(statusText().startsWith(text("UpdateIsLastText")));
    EXPECT_GT(statusText().size(), text("UpdateIsLastText").size()) << "followed by the date";
    EXPECT_NE(std::find(main.messages.begin(), main.messages.end(), mainmsg::kClearUpdateBadge), main.messages.end());
}

TEST_F(UpdateRowsTest, ConfirmedRowsDownloadOneAfterAnotherAndTheWindowStaysMeanwhile) {
    wnd->OnCheckFinished({reply(1, "V0102", "https://updates.invalid/m.bin"),
                          reply(1, "V0103", "https://updates.invalid/k.bin"), reply(7, "V0100")});
    picture("updates_found");
    click("update_fw_and_ap");
    EXPECT_EQ(page(), 1) << "asks first";
    EXPECT_FALSE(find("update_fw_and_ap")->IsVisible());
    picture("updates_confirm");
    click("update_back_btn");
    EXPECT_EQ(page(), 0);
    EXPECT_TRUE(find("update_fw_and_ap")->IsVisible());
    EXPECT_TRUE(started.empty());
    click("update_fw_and_ap");
    EXPECT_TRUE(started.empty());
    click("update_OK_btn");
    EXPECT_EQ(page(), 0);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(started[0].program).endsWith(QStringLiteral("/talven-update")));
    const auto& args = started[0].arguments;
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ(args[0], "--url");
    EXPECT_EQ(args[1], "https://updates.invalid/m.bin");
    EXPECT_EQ(statusText(), text("ISUpdateINGText"));
    EXPECT_FALSE(find("update_fw_and_ap")->IsEnabled());
    EXPECT_TRUE(rowPart(0, "update_status_ing")->IsVisible());
    EXPECT_FALSE(tick(1)->IsEnabled()) << "requested rows wait";

    status(4, 42);
    EXPECT_EQ(rowPart(0, "update_progress_value")->GetText(), QStringLiteral("42%"));
    picture("updates_running");
    wnd->Close(0);
    EXPECT_TRUE(wnd->isVisible()) << "a download is running";

    status(1);  // the first row is done, the second starts
    EXPECT_TRUE(rowPart(0, "update_status_ok")->IsVisible());
    EXPECT_FALSE(rowPart(0, "update_status_ing")->IsVisible());
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].arguments[1], "https://updates.invalid/k.bin");
    EXPECT_TRUE(rowPart(1, "update_status_ing")->IsVisible());
    picture("updates_done_and_next");
    // The second program ends without its final message: that row failed.
    wnd->OnTransferExited();
    EXPECT_EQ(wnd->updateList().rows()[1].state, update::kFailed) << "the second program has ended without a word";
    EXPECT_EQ(tick(1)->GetTextColor(), QColor::fromRgba(0xFF0078C8u)) << "failed rows look like available ones";
    EXPECT_EQ(statusText(), text("HaveUpdateInfoText"));
    EXPECT_TRUE(tick(1)->IsEnabled()) << "to try again";
    picture("updates_failed");
    wnd->Close(0);
    EXPECT_TRUE(test::waitUntil([&] { return wnd.isNull() || !wnd->isVisible(); }));
}

TEST_F(UpdateRowsTest, AProgramThatEndsBeforeItsLastMessageEndsTheRowAsItsExitCodeSays) {
    wnd->OnCheckFinished({reply(1, "V0102"), reply(1, "V0103"), reply(7, "V0100")});
    click("update_OK_btn");
    wnd->OnTransferExited(0);  // done, the message still on its way
    EXPECT_EQ(wnd->updateList().rows()[0].state, update::kDone);
    EXPECT_TRUE(rowPart(0, "update_status_ok")->IsVisible());
    ASSERT_EQ(started.size(), 2u) << "the next row starts";
    wnd->OnTransferExited(1);  // the download failed
    EXPECT_EQ(wnd->updateList().rows()[1].state, update::kFailed);
    EXPECT_FALSE(rowPart(1, "update_status_ing")->IsVisible());
}

TEST_F(UpdateRowsTest, AFailedOrUnstartableTransferMarksTheRowFailed) {
    wnd->OnCheckFinished({reply(1, "V0102"), reply(7, "V0100"), reply(7, "V0100")});
    click("update_OK_btn");
    status(2);
    EXPECT_EQ(wnd->updateList().rows()[0].state, update::kFailed);
    EXPECT_FALSE(rowPart(0, "update_status_ing")->IsVisible());
    EXPECT_FALSE(rowPart(0, "update_status_ok")->IsVisible());

    startSucceeds = false;
    tick(0)->Selected(true);
    click("update_OK_btn");
    EXPECT_EQ(started.size(), 2u);
    EXPECT_EQ(wnd->updateList().rows()[0].state, update::kFailed);
    wnd->Close(0);
    EXPECT_TRUE(test::waitUntil([&] { return wnd.isNull() || !wnd->isVisible(); }));
}

}  // namespace
}  // namespace talven
