// The device selector with simulated devices plugged and unplugged while the
// main window runs.

#include "app/app_messages.h"
#include "app/custom_controls.h"
#include "app/device_option.h"
#include "app/main_wnd.h"
#include "pages/usb_device_page.h"
#include "pages/entry_timers.h"
#include "pages/render_pulse.h"
#include "editors/power_indicator.h"
#include "platform/clock.h"
#include "qt_test_support.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/control_factory.h"
#include "ui/layouts.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace talven {
namespace {

class SelectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        ASSERT_EQ(window->selector()->pages().size(), 5u) << "every product row gets a page";
    }
    void TearDown() override { window.reset(); }

    int visibleEntries() { return window->selector()->FirstVisibleEntry(nullptr); }
    std::string current() {
        COrvaneUSBDevice* page = window->CurrentDevicePage();
        return page ? page->deviceFolderName() : std::string();
    }
    bool plug(const char* name, int expectVisible) {
        std::string error;
        EXPECT_TRUE(sim.plug(name, &error)) << error;
        return test::waitUntil([&] { return visibleEntries() == expectVisible; });
    }
    bool unplug(const char* name, int expectVisible) {
        sim.unplug(name);
        return test::waitUntil([&] { return visibleEntries() == expectVisible; });
    }
    bool overlayShown() {
        return window->GetPaintManager().FindControl(QStringLiteral("No_device_Link"))->IsVisible();
    }
    int tabSelection(const char* name) {
        auto* tab = qobject_cast<ui::CTabLayoutUI*>(window->GetPaintManager().FindControl(QString::fromLatin1(name)));
        return tab ? tab->GetCurSel() : -2;
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
};

TEST_F(SelectorTest, EveryEntryShowsAPictureOfItsKindOfProduct) {
    const std::map<std::string, QString> pictures = {{"mouse", "mouse.svg"},       {"keyboard", "keyboard.svg"},
                                                      {"MousePad", "mousepad.svg"}, {"HD", "headset.svg"},
                                                      {"keyboard7440", "keyboard.svg"}};
    for (COrvaneUSBDevice* page : window->selector()->pages()) {
        ASSERT_NE(page->optionEntry(), nullptr);
        ui::CControlUI* icon =
            window->GetPaintManager().FindSubControlByName(page->optionEntry(), QStringLiteral("device_icon"));
        ASSERT_NE(icon, nullptr) << page->deviceFolderName();
        EXPECT_EQ(icon->GetBkImage(), QStringLiteral("common/device_ico/") + pictures.at(page->deviceFolderName()))
            << page->deviceFolderName();
    }
}

TEST_F(SelectorTest, TheFirstDeviceIsSelectedAndASecondLeavesTheSelectionAlone) {
    EXPECT_TRUE(overlayShown());
    EXPECT_EQ(window->CurrentDevicePage(), nullptr);
    ASSERT_TRUE(plug("keyboard", 1));
    EXPECT_EQ(current(), "keyboard");
    EXPECT_FALSE(overlayShown());
    ASSERT_TRUE(plug("mouse", 2));
    EXPECT_EQ(current(), "keyboard");
    for (COrvaneUSBDevice* page : window->selector()->pages()) EXPECT_TRUE(page->multiDevice());
}

TEST_F(SelectorTest, RemovingTheSelectedDeviceSelectsTheFirstOtherVisibleOne) {
    ASSERT_TRUE(plug("mousepad", 1));
    ASSERT_TRUE(plug("keyboard", 2));
    ASSERT_TRUE(plug("headset", 3));
    ASSERT_EQ(current(), "MousePad");
    ASSERT_TRUE(unplug("mousepad", 2));
    EXPECT_EQ(current(), "keyboard");  // entries follow the product table: keyboard before headset
    ASSERT_TRUE(unplug("headset", 1));  // not selected: the selection stays
    EXPECT_EQ(current(), "keyboard");
}

TEST_F(SelectorTest, RemovingTheLastDeviceShowsTheOverlayAndSelectsPageZero) {
    ASSERT_TRUE(plug("headset", 1));
    EXPECT_EQ(tabSelection("device_switch"), 3);
    ASSERT_TRUE(unplug("headset", 0));
    EXPECT_TRUE(overlayShown());
    EXPECT_EQ(current(), "");
    EXPECT_EQ(tabSelection("device_switch"), 0);
    EXPECT_EQ(tabSelection("device_power_switch"), 0);
}

TEST_F(SelectorTest, AnEventInterfaceAloneShowsNoEntry) {
    DeviceSlot eventSlot = recognitionTable()[1];  // the keyboard's notification collection
    eventSlot.occupied = 1;
    eventSlot.path = "/nonexistent#vid_320f&pid_5029&mi_01&col03";
    window->SendMessage(0xC12, 1, 0);  // the slot list has it free: ignored as well
    window->selector()->OnSlotOccupied(eventSlot);
    EXPECT_EQ(visibleEntries(), 0);
    EXPECT_TRUE(overlayShown());
}

// Lighting frames (command 0x12) a simulated product received.
int framesReceived(sim::SimDevice& device) {
    int count = 0;
    for (const auto& request : device.model().requests()) count += request[3] == 0x12;
    return count;
}

// The headset's lighting is not a command frame: its page sends it as the
// headset's own 17-byte output reports (report ID 0xFF), and the command
// channel carries only the settings block, never a lighting frame.
TEST_F(SelectorTest, TheHeadsetHearsItsOwnReportsNotCommandLightingFrames) {
    ASSERT_TRUE(plug("mouse", 1));
    ASSERT_TRUE(plug("headset", 2));
    ASSERT_TRUE(window->selector()->SelectByFolder("HD"));
    COrvaneUSBDevice* page = window->CurrentDevicePage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->IsVisible());
    EXPECT_TRUE(page->drivesDevice());
    sim::SimDevice& headset = *sim.device("headset");
    ASSERT_TRUE(test::waitUntil([&] { return headset.model().otherReports().size() >= 12; }, 5000));
    EXPECT_EQ(framesReceived(headset), 0);
    for (const auto& report : headset.model().otherReports()) {
        ASSERT_EQ(report.size(), 17u);
        EXPECT_EQ(report[0], 0xFF);
    }
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// A page as a device class that drives its device would be: it sends the
// base frames and polls the power state.
class DrivingPage : public COrvaneUSBDevice {
public:
    DrivingPage() { setDrivesDevice(true); }
    // A frozen page's frame changes only when the test changes it.
    void freeze() { frozen_ = true; }
    void animationStep(uint32_t nowMs) override {
        if (frozen_) return;
        COrvaneUSBDevice::animationStep(nowMs);
        ++steps_;
        {
            std::lock_guard<std::mutex> lock(timesLock_);
            if (recording_) stepTimes_.push_back(nowMs);
        }
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) ++stepsOnUiThread_;
    }
    void renderFrame() override {
        ++renders_;
        COrvaneUSBDevice::renderFrame();
    }
    int steps() const { return steps_; }
    // While on, the time of every step is kept.
    void recordStepTimes(bool on) {
        std::lock_guard<std::mutex> lock(timesLock_);
        recording_ = on;
    }
    std::vector<uint32_t> stepTimes() const {
        std::lock_guard<std::mutex> lock(timesLock_);
        return stepTimes_;
    }
    int stepsOnUiThread() const { return stepsOnUiThread_; }
    int renders() const { return renders_; }

private:
    int renders_ = 0;  // UI thread only
    std::atomic<bool> frozen_{false};
    std::atomic<int> steps_{0};
    std::atomic<int> stepsOnUiThread_{0};
    mutable std::mutex timesLock_;
    bool recording_ = false;
    std::vector<uint32_t> stepTimes_;
};

class DrivingPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        // The mouse's layout builds such a page for this test.
        ui::CControlFactory::GetInstance()->RegistControl(QStringLiteral("OrvaneMouseDevice"),
                                                          QStringLiteral("COrvaneMouseDevice"),
                                                          [] { return new DrivingPage; });
        sim.addAllProducts();
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        ASSERT_TRUE(window->Create(nullptr, QStringLiteral("test"), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone(); }));
        for (COrvaneUSBDevice* page : window->selector()->pages()) {
            if (page->deviceFolderName() == "mouse") mousePage = page;
        }
        ASSERT_NE(mousePage, nullptr);
        ASSERT_TRUE(mousePage->drivesDevice());
    }
    void TearDown() override {
        window.reset();
        registerShellControlClasses();
    }

    bool plugMouse() {
        std::string error;
        EXPECT_TRUE(sim.plug("mouse", &error)) << error;
        return test::waitUntil([&] { return window->CurrentDevicePage() == mousePage; });
    }
    // Plugs the keyboard and shows its page, so the mouse's page is not on screen.
    bool showKeyboardInstead() {
        std::string error;
        EXPECT_TRUE(sim.plug("keyboard", &error)) << error;
        return test::waitUntil([&] { return window->selector()->SelectByFolder("keyboard"); }) &&
               test::waitUntil([&] { return window->CurrentDevicePage() != mousePage; });
    }
    // The mouse's page, not on screen, runs the spectrum cycle (mode 3) at
    // full brightness and the slowest speed: a new colour every 40 ms, eight
    // render periods; the first steps are over.
    DrivingPage* runSlowEffectOffScreen() {
        if (!plugMouse() || !showKeyboardInstead()) return nullptr;
        mousePage->setLightParams(3u | 4u << 8, 0, 0);
        test::idle(200);
        return static_cast<DrivingPage*>(mousePage);
    }
    ui::CControlUI* find(const char* name) { return window->GetPaintManager().FindControl(QString::fromLatin1(name)); }
    ui::CControlUI* powerValue() {
        return window->GetPaintManager().FindSubControlByName(mousePage->powerIndicator(),
                                                              QStringLiteral("device_power_value"));
    }

    test::TempDir dir;
    sim::Simulator sim{dir.str()};
    std::unique_ptr<CMainWnd> window;
    COrvaneUSBDevice* mousePage = nullptr;
};

TEST_F(DrivingPageTest, LightingControlStopsAndResumesTheFrames) {
    ASSERT_TRUE(plugMouse());
    sim::SimDevice& mouse = *sim.device("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > 2; }, 5000)) << "frames reach the device";

    window->GetPaintManager().SendNotify(find("control_light_status"), QStringLiteral("click"));
    ASSERT_FALSE(window->lightingControl());
    EXPECT_FALSE(mousePage->lightingControl());
    test::idle(50);
    const int whileOff = framesReceived(mouse);
    test::idle(800);  // longer than any resend of an unchanged frame
    EXPECT_EQ(framesReceived(mouse), whileOff) << "another program has the lighting";

    window->SendMessage(appMessages().lightControl, 1, 1);  // handed back
    EXPECT_TRUE(mousePage->lightingControl());
    EXPECT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > whileOff + 2; }, 3000)) << "frames resume";
}

// The last lighting frame a simulated product received, as its LED bytes.
std::vector<uint8_t> lastFrame(sim::SimDevice& device) {
    const auto& requests = device.model().requests();
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
        if ((*it)[3] == 0x12) return std::vector<uint8_t>(it->begin() + 8, it->begin() + 8 + 3);
    return {};
}

// A frame goes to the device once: an unchanged one is not sent again, a
// changed one is on the wire at the next 5 ms tick.
TEST_F(DrivingPageTest, OnlyAChangedFrameIsSentAndAtTheNextTick) {
    static_cast<DrivingPage*>(mousePage)->freeze();
    ASSERT_TRUE(plugMouse());
    sim::SimDevice& mouse = *sim.device("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > 0; }, 3000)) << "the first frame";
    EXPECT_EQ(mousePage->renderPeriodMs(), 5u);
    test::idle(100);
    const int settled = framesReceived(mouse);
    test::idle(1000);
    EXPECT_EQ(framesReceived(mouse), settled) << "an unchanged frame was sent again";

    mousePage->setLedColour(0, 0xFF0000FF);  // red at full brightness
    mousePage->renderFrame();                // what the next tick does
    ASSERT_GT(framesReceived(mouse), settled);
    EXPECT_EQ(lastFrame(mouse), (std::vector<uint8_t>{0xFE, 0x00, 0x00})) << "255 × 255 / 256";
    const int changed = framesReceived(mouse);
    mousePage->setLedColour(0, 0xFF00FF00);  // green
    const uint32_t since = tickCount();
    ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > changed; }, 1000)) << "the timer sends it";
    EXPECT_LT(tickCount() - since, 100u);
    EXPECT_EQ(lastFrame(mouse), (std::vector<uint8_t>{0x00, 0xFE, 0x00}));
}

// An unchanging frame parks the render timer (no ticks, no wake-ups); the
// next change restarts it and is on the wire at once, and the timer parks
// again after one quiet tick.
TEST_F(DrivingPageTest, AnUnchangingFrameParksTheRenderTimerUntilTheNextChange) {
    static_cast<DrivingPage*>(mousePage)->freeze();
    ASSERT_TRUE(plugMouse());
    sim::SimDevice& mouse = *sim.device("mouse");
    ui::CPaintManagerUI& manager = window->GetPaintManager();
    ui::CControlUI* entry = mousePage->optionEntry();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > 0; }, 3000)) << "the first frame";
    EXPECT_TRUE(test::waitUntil([&] { return !manager.HasTimer(entry, entryTimer::kRender); }, 1000))
        << "ticking on an unchanged frame";

    for (const uint32_t colour : {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u}) {
        const int before = framesReceived(mouse);
        mousePage->setLedColour(0, colour);
        const uint32_t since = tickCount();
        ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > before; }, 1000)) << std::hex << colour;
        EXPECT_LT(tickCount() - since, 50u) << "sent at once, not at the next animation step";
        EXPECT_EQ(framesReceived(mouse), before + 1);
        EXPECT_TRUE(test::waitUntil([&] { return !manager.HasTimer(entry, entryTimer::kRender); }, 1000))
            << "parked again";
    }
    test::idle(300);
    EXPECT_FALSE(manager.HasTimer(entry, entryTimer::kRender));
}

// A running effect keeps its frames coming while the render timer parks and
// resumes around it: the device sees them at the 5 ms rate, not one per park.
TEST_F(DrivingPageTest, ARunningEffectKeepsStreamingThroughParkedSpells) {
    ASSERT_TRUE(plugMouse());
    sim::SimDevice& mouse = *sim.device("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > 2; }, 5000));
    const int before = framesReceived(mouse);
    test::idle(1000);
    // The base effect steps every 8–40 ms: each step's frame goes out.
    EXPECT_GT(framesReceived(mouse) - before, 20);
}

// On a page that is not shown, an effect slower than the render period is
// stepped by the entry's own timer, which comes back for each step and not in
// between: the animation thread wakes the UI thread for none of them, and
// every step's frame still goes out.
TEST_F(DrivingPageTest, ASlowEffectIsSteppedByTheEntrysTimerAtEachStepOnly) {
    DrivingPage* page = runSlowEffectOffScreen();
    ASSERT_NE(page, nullptr);
    sim::SimDevice& mouse = *sim.device("mouse");
    const int frames = framesReceived(mouse), steps = page->steps(), uiSteps = page->stepsOnUiThread();
    const int renders = page->renders();
    const uint32_t wakes = mousePage->renderWakes();
    test::idle(1000);
    const int stepsTaken = page->steps() - steps;
    EXPECT_GE(stepsTaken, 15);
    EXPECT_LE(stepsTaken, 30) << "steps ran twice";  // one every 40 ms
    // A step at either end of the second may fall outside it, and on a busy
    // machine two steps may land within one late tick (the device then gets
    // the later frame, as a ticking timer would send it).
    EXPECT_GE((framesReceived(mouse) - frames) * 4, stepsTaken * 3) << "steps' frames were not sent";
    EXPECT_GE((page->stepsOnUiThread() - uiSteps) * 10, stepsTaken * 9) << "the animation thread kept stepping";
    EXPECT_LE(mousePage->renderWakes() - wakes, 2u) << "the animation thread woke the UI thread";
    // Ticking every 5 ms would be about 200.
    EXPECT_LE(page->renders() - renders, stepsTaken + 5) << "the timer ticked between the steps";
}

// Steps fall due on multiples of their period, so that pages stepping at the
// same speed share one wake-up; a step runs at its time or a little after.
TEST_F(DrivingPageTest, StepsFallDueOnMultiplesOfTheirPeriod) {
    DrivingPage* page = runSlowEffectOffScreen();  // every 40 ms
    ASSERT_NE(page, nullptr);
    page->recordStepTimes(true);
    test::idle(1000);
    page->recordStepTimes(false);
    const std::vector<uint32_t> times = page->stepTimes();
    ASSERT_GE(times.size(), 15u);
    // Steps at a random phase would land within 8 ms after a multiple of 40
    // less than one time in four.
    const auto onTime = std::count_if(times.begin(), times.end(), [](uint32_t t) { return t % 40 <= 8; });
    EXPECT_GE(onTime * 3, static_cast<long>(times.size()) * 2);
}

// The entry's timer stopped without a word (the claim on the steps is never
// given back): the animation thread finds the claim lapsed, takes the steps
// back, and its next changed step brings the entry's timer back.
TEST_F(DrivingPageTest, StepsGoOnWhenTheEntrysTimerIsStoppedFromOutside) {
    DrivingPage* page = runSlowEffectOffScreen();
    ASSERT_NE(page, nullptr);
    sim::SimDevice& mouse = *sim.device("mouse");
    ASSERT_GT(page->stepsOnUiThread(), 0) << "the entry's timer runs the steps";
    window->GetPaintManager().KillTimer(mousePage->optionEntry(), entryTimer::kRender);
    const int steps = page->steps(), frames = framesReceived(mouse);
    test::idle(1500);
    EXPECT_GE(page->steps() - steps, 15) << "the steps stopped with the timer";
    EXPECT_GE(framesReceived(mouse) - frames, 12) << "the frames stopped with the timer";
}

// On the page shown, the preview paints at most about ten times a second,
// so a slow effect's step leaves it waiting for its paint. The paint goes
// with a later step's tick instead of ticking at the device's period, or
// waking on its own, meanwhile; every step's frame is still sent.
TEST_F(DrivingPageTest, AShownSlowEffectPaintsWithItsStepsWithoutTicking) {
    ASSERT_TRUE(plugMouse());
    window->ShowWindow(true);
    auto* page = static_cast<DrivingPage*>(mousePage);
    sim::SimDevice& mouse = *sim.device("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return framesReceived(mouse) > 2; }, 5000)) << "frames reach the device";
    // Spectrum cycle at the slowest speed: a new colour every 40 ms.
    mousePage->setLightParams(3u | 4u << 8, 0, 0);
    test::idle(100);
    const int frames = framesReceived(mouse), steps = page->steps(), renders = page->renders();
    const uint32_t paints = mousePage->previewPaints();
    test::idle(1000);
    const int stepsTaken = page->steps() - steps;
    EXPECT_GE(stepsTaken, 15);
    EXPECT_GE((framesReceived(mouse) - frames) * 4, stepsTaken * 3) << "steps' frames were not sent";
    // Every other step (at 40 ms) comes at least 97 ms less half a step
    // after the last paint.
    EXPECT_GE((mousePage->previewPaints() - paints) * 3, static_cast<uint32_t>(stepsTaken)) << "the preview lags";
    EXPECT_LE((mousePage->previewPaints() - paints) * 80, 1000u + 80) << "painted more often than every 80 ms";
    // One render per step; a paint of its own would add ten, ticking every
    // 5 ms about 200.
    EXPECT_LE(page->renders() - renders, stepsTaken + 5) << "the timer ticked between the steps";
}

// While another page ticks at the device's period, those ticks run a parked
// page's steps and send its changed frames: its animation thread wakes the
// UI thread for none of them. When the ticks end, the thread steps and wakes
// the UI thread again. Each step runs once either way.
TEST_F(DrivingPageTest, AParkedPageRidesTheTicksOfAnotherPage) {
    // Not on screen, the page has no preview paint to wait for between steps.
    DrivingPage* page = runSlowEffectOffScreen();  // a new colour every 40 ms
    ASSERT_NE(page, nullptr);
    sim::SimDevice& mouse = *sim.device("mouse");
    ui::CControlUI* entry = mousePage->optionEntry();
    ASSERT_NE(entry, nullptr);
    RenderPulse& pulse = RenderPulse::pages();
    const int ticker = 0;  // stands for a page whose effect steps faster than 5 ms
    const int frames = framesReceived(mouse), steps = page->steps(), uiSteps = page->stepsOnUiThread();
    const uint32_t wakes = mousePage->renderWakes();
    int beats = 0, ticking = 0;
    for (const uint32_t start = tickCount(); tickCount() - start < 1000; ++beats) {
        pulse.beat(&ticker, tickCount());
        test::idle(static_cast<int>(entryTimer::kRenderMs));
        if (window->GetPaintManager().HasTimer(entry, entryTimer::kRender)) ++ticking;
    }
    pulse.stop(&ticker);
    const int stepsTaken = page->steps() - steps;
    EXPECT_GE(stepsTaken, 15);
    EXPECT_LE(stepsTaken, 30) << "steps ran twice";  // one every 40 ms
    EXPECT_GE((page->stepsOnUiThread() - uiSteps) * 10, stepsTaken * 9) << "the animation thread kept stepping";
    EXPECT_GE((framesReceived(mouse) - frames) * 4, stepsTaken * 3) << "steps' frames were not sent";
    // A beat that came late on a busy machine leaves the page to wake the
    // UI thread itself for that step.
    EXPECT_LT((mousePage->renderWakes() - wakes) * 4, static_cast<uint32_t>(stepsTaken)) << "woke the UI thread";
    EXPECT_LT(ticking * 4, beats) << "its own timer ticked";

    // No beats: the thread takes the steps back, and its first changed step
    // brings the entry's own timer back for the steps after it.
    const int stepsAfter = page->steps(), framesAfter = framesReceived(mouse);
    test::idle(300);
    EXPECT_GE(page->steps() - stepsAfter, 4) << "the steps stopped with the beats";
    EXPECT_GE(framesReceived(mouse) - framesAfter, 3) << "the frames stopped with the beats";
}

// An animation that starts while another page already beats is stepped by
// the beats from its first step on: it must not wait for the beats to end,
// nor make up at once for the steps of the time it was stopped.
TEST_F(DrivingPageTest, AnAnimationThatStartsDuringTheBeatsIsSteppedByThem) {
    ASSERT_TRUE(plugMouse());
    ASSERT_TRUE(showKeyboardInstead());
    auto* page = static_cast<DrivingPage*>(mousePage);
    mousePage->setLightParams(3u | 4u << 8, 0, 0);  // a new colour every 40 ms
    RenderPulse& pulse = RenderPulse::pages();
    const int ticker = 0;
    const auto beatFor = [&](uint32_t ms) {
        for (const uint32_t start = tickCount(); tickCount() - start < ms;) {
            pulse.beat(&ticker, tickCount());
            test::idle(static_cast<int>(entryTimer::kRenderMs));
        }
    };
    beatFor(100);
    mousePage->stopAnimation();
    beatFor(300);
    const int steps = page->steps();
    mousePage->startAnimation();
    beatFor(600);
    pulse.stop(&ticker);
    const int taken = page->steps() - steps;  // 15 due
    EXPECT_GE(taken, 10) << "no steps while the beats went on";
    EXPECT_LE(taken, 20) << "the stopped time was made up";
}

// Hidden, the window paints no preview and the device gets no frame; shown
// again, both resume.
TEST_F(DrivingPageTest, AHiddenWindowPaintsNothing) {
    ASSERT_TRUE(plugMouse());
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitUntil([&] { return mousePage->previewPaints() > 2; }, 3000)) << "the preview animates";
    sim::SimDevice& mouse = *sim.device("mouse");
    window->ShowWindow(false);
    ASSERT_FALSE(mousePage->preview());
    const uint32_t paints = mousePage->previewPaints();
    const int frames = framesReceived(mouse);
    test::idle(600);
    EXPECT_EQ(mousePage->previewPaints(), paints);
    EXPECT_EQ(framesReceived(mouse), frames);
    window->ShowWindow(true);
    EXPECT_TRUE(test::waitUntil([&] { return mousePage->previewPaints() > paints + 2; }, 3000)) << "shown again";
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Only LEDs whose shown colour changed are repainted; an unchanged one is not
// touched, and a frame with no visible change repaints nothing.
TEST_F(DrivingPageTest, ThePreviewRepaintsOnlyTheLedsThatChanged) {
    static_cast<DrivingPage*>(mousePage)->freeze();
    ASSERT_TRUE(plugMouse());
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitUntil([&] { return mousePage->previewPaints() > 0; }, 3000));
    ui::CControlUI* changed = find("light_0");
    ui::CControlUI* still = find("light_1");
    ASSERT_TRUE(changed && still);
    test::idle(100);
    PaintCounter changedPaints(changed), stillPaints(still);

    mousePage->setLedColour(0, 0xFF0000FF);  // red at full brightness
    test::idle(150);                               // a few preview ticks
    EXPECT_GT(changedPaints.paints, 0);
    EXPECT_EQ(stillPaints.paints, 0);

    const int before = changedPaints.paints;
    mousePage->setLedColour(0, 0xFF0000FF);  // the same again
    test::idle(150);
    EXPECT_EQ(changedPaints.paints, before);
}

// A page that streams to its device while another product's page is shown
// keeps sending frames but paints no preview: its LEDs are not on screen,
// and repainting them would repaint the page that is.
TEST_F(DrivingPageTest, APageNotShownSendsFramesButPaintsNoPreview) {
    ASSERT_TRUE(plugMouse());
    window->ShowWindow(true);
    ASSERT_TRUE(showKeyboardInstead());
    test::idle(100);
    sim::SimDevice& mouse = *sim.device("mouse");
    const uint32_t paints = mousePage->previewPaints();
    const int frames = framesReceived(mouse);
    test::idle(600);
    EXPECT_EQ(mousePage->previewPaints(), paints);
    EXPECT_GT(framesReceived(mouse), frames) << "the mouse still gets its frames";
    ASSERT_TRUE(window->selector()->SelectByFolder("mouse"));
    EXPECT_TRUE(test::waitUntil([&] { return mousePage->previewPaints() > paints; }, 3000)) << "shown again";
}

TEST_F(DrivingPageTest, ThePowerCardShowsOnlyForAConnectedProductWithPower) {
    ui::CControlUI* card = find("device_power_switch");
    ASSERT_NE(card, nullptr);
    EXPECT_FALSE(card->IsVisible()) << "no device";
    ASSERT_TRUE(plugMouse());
    EXPECT_FALSE(card->IsVisible()) << "power mode 0: the product reports no power";
    sim.unplug("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() == nullptr; }));
    EXPECT_FALSE(card->IsVisible());

    const uint8_t report[] = {85, 2, 0, 0, 0, 0};  // 85 %, on battery
    ASSERT_TRUE(sim.device("mouse")->model().write(sim::Area::Status, 0, report));
    mousePage->setPowerMode(1);
    ASSERT_TRUE(plugMouse());
    EXPECT_TRUE(card->IsVisible());
    EXPECT_TRUE(test::waitUntil([&] { return powerValue()->GetText() == QStringLiteral("85%"); }, 2000))
        << "the value comes with the card, not a poll period later";
    sim.unplug("mouse");
    ASSERT_TRUE(test::waitUntil([&] { return window->CurrentDevicePage() == nullptr; }));
    EXPECT_FALSE(card->IsVisible()) << "the device is gone";
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// Each indicator keeps its product's slot: the place of the product's command
// interface in the recognition table.
TEST_F(SelectorTest, EachPowerIndicatorKnowsItsProductsSlot) {
    const std::map<std::string, int> slotOf = {
        {"keyboard", 0}, {"mouse", 2}, {"MousePad", 4}, {"HD", 6}, {"keyboard7440", 7}};
    for (COrvaneUSBDevice* page : window->selector()->pages()) {
        ASSERT_NE(page->powerIndicator(), nullptr);
        EXPECT_EQ(page->powerIndicator()->Slot(), slotOf.at(page->deviceFolderName())) << page->deviceFolderName();
        EXPECT_EQ(page->powerIndicator()->Kind(), page->kind()) << page->deviceFolderName();
    }
}

}  // namespace
}  // namespace talven
