// A profile the user picks goes to the keyboard in one run of requests; the
// keyboard failing half way through must not take the page or the program
// with it. The run is cut by an unplug (the keyboard comes back and is read
// again) and by a refused request (the next pick goes through); each time
// the user is told once that the keyboard did not take it all.

#include "app/main_wnd.h"
#include "editors/device_profile.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "platform/clock.h"
#include "page_test_support.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "ui/combo.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talven {
namespace {

class ProfileFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = test::openMainWindow(dir.str(), &messages);
        ASSERT_NE(window, nullptr);
        for (COrvaneUSBDevice* candidate : window->selector()->pages())
            if (candidate->deviceFolderName() == "keyboard") page = dynamic_cast<COrvaneKeyboardDevice*>(candidate);
        ASSERT_NE(page, nullptr);
        panel = page->profilePanel();
        ASSERT_NE(panel, nullptr);
        plugAndWait();
        // A second profile to switch between.
        ui::CControlUI* add = window->GetPaintManager().FindSubControlByName(panel, QStringLiteral("device_add_btn"));
        ASSERT_NE(add, nullptr);
        window->GetPaintManager().SendNotify(add, QString::fromLatin1(ui::kNotifyClick));
        ASSERT_EQ(combo()->GetCount(), 2);
    }
    void TearDown() override { window.reset(); }

    sim::FirmwareModel& model() { return sim.device("keyboard")->model(); }
    ui::CComboUI* combo() {
        return qobject_cast<ui::CComboUI*>(
            window->GetPaintManager().FindSubControlByName(panel, QStringLiteral("device_profile_combo")));
    }
    bool connected() { return window->CurrentDevicePage() == page && page->commandChannel().isConnected(); }
    void plugAndWait() {
        std::string error;
        ASSERT_TRUE(sim.plug("keyboard", &error)) << error;
        ASSERT_TRUE(test::waitUntil([&] { return connected() && page->eventReaderRunning(); }));
        // The arrival's reads are done when the keyboard is outside a transaction again.
        ASSERT_TRUE(test::waitUntil([&] { return !model().inTransaction() && model().endCount() > 0; }));
    }
    // Picks profile `index` as the user would; the page sends it at once.
    // Returns the command frames it took (no timer runs in between).
    size_t pick(int index) {
        model().clearRequests();
        EXPECT_TRUE(combo()->SelectItem(index, true));
        return model().requests().size();
    }
    // The page's copies of the keyboard's tables are the keyboard's own.
    void expectConsistent() {
        const keyboard::KeyboardProtocol& kb = page->protocol();
        ASSERT_GT(kb.keyCount(), 0u);
        const size_t n = kb.keyCount() * 3u;
        const auto table = model().area(sim::Area::KeyTable);
        EXPECT_TRUE(std::equal(table.begin(), table.begin() + n, kb.keyTableCopy().begin()));
        const auto info = model().area(sim::Area::Info);
        EXPECT_TRUE(std::equal(info.begin(), info.end(), kb.info().begin()));
    }
    // After a fault, the other profile is sent whole: the keys it holds end
    // in the keyboard and the transaction is closed.
    void expectUsable(size_t cleanRequests) {
        const auto before = model().endCount();
        EXPECT_EQ(pick(1), cleanRequests);
        EXPECT_GT(model().endCount(), before);
        EXPECT_FALSE(model().inTransaction());
        EXPECT_EQ(combo()->GetCurSel(), 1);
    }

    // The one message a failed pick gives, once the pick is over.
    void expectToldNotWritten() {
        ASSERT_TRUE(test::waitUntil([&] { return !messages.empty(); }));
        test::idle(50);
        EXPECT_EQ(messages, std::vector<std::string>{"message_text_device_not_written"});
        messages.clear();
    }

    std::vector<std::string> messages;
    test::TempDir dir;
    test::TempDir home;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", home.str().c_str()};
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneKeyboardDevice* page = nullptr;
    CDeviceProfileUI* panel = nullptr;
};

TEST_F(ProfileFaultTest, UnpluggedHalfWayThroughAProfileTheKeyboardComesBackWhole) {
    const size_t clean = pick(0);
    ASSERT_GT(clean, 4u);
    model().setFault(sim::FaultKind::Remove, 1, static_cast<unsigned>(clean / 2));
    const uint32_t started = tickCount();
    pick(1);
    // One wait of the channel at most, then the page lets the keyboard go.
    EXPECT_LT(tickCount() - started, static_cast<uint32_t>(CommandChannel::kTimeoutMs + 500));
    ASSERT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() != page; }));
    EXPECT_EQ(combo()->GetCurSel(), 1) << "the user's pick stands";
    expectToldNotWritten();

    plugAndWait();
    expectConsistent();
    EXPECT_TRUE(messages.empty()) << "the keyboard took everything on arrival";
    EXPECT_EQ(pick(0), clean);
    expectUsable(clean);
}

TEST_F(ProfileFaultTest, ARefusedRequestHalfWayThroughLeavesThePageWorking) {
    const size_t clean = pick(0);
    for (sim::FaultKind fault : {sim::FaultKind::StatusFF, sim::FaultKind::NoReply}) {
        SCOPED_TRACE(std::string(sim::faultName(fault)));
        ASSERT_TRUE(combo()->SelectItem(0, true));
        model().setFault(fault, 1, static_cast<unsigned>(clean / 2));
        const uint32_t started = tickCount();
        pick(1);
        EXPECT_LT(tickCount() - started, static_cast<uint32_t>(CommandChannel::kTimeoutMs + 500));
        EXPECT_EQ(model().fault().kind, sim::FaultKind::None) << "the fault was reached";
        EXPECT_TRUE(connected());
        expectToldNotWritten();
        ASSERT_TRUE(combo()->SelectItem(0, true));
        expectUsable(clean);
        expectConsistent();
    }
}

}  // namespace
}  // namespace talven
