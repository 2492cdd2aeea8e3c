// COrvaneMousePadDevice: the two worker threads — the lighting thread (the
// base's animation thread stepping the pad's effects) and the reader of the
// pad's notification interface.

#include "pages/mousepad/mousepad_device_page.h"

#include "device/keyboard/keyboard_notifications.h"
#include "pages/entry_timers.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "ui/paint_manager.h"

#include <QMetaObject>

namespace talven {

namespace {

// While the pad is away the lighting thread only looks now and then.
constexpr int kDisconnectedPeriodMs = 100;
// The pad's request to read its settings again is answered this much later.
constexpr uint kSynchroniseDelayMs = 500;
// After a read that ends at once without a code the reader pauses this long
// rather than spin.
constexpr int kEmptyReadPauseMs = 10;
constexpr int kClosedPollMs = 100;

}  // namespace

// ---- lighting thread -------------------------------------------------------------------

// One step of the current mode, then the area settings over it. Nothing is
// computed while the pad is away or another page holds its lighting.
void COrvaneMousePadDevice::animationStep() {
    if (!commandChannel_.isConnected() || commandChannel_.paused()) return;
    const uint32_t now = tickCount();
    std::lock_guard<std::mutex> lock(frameLock_);
    const lighting::LightParams params = lighting_.lightParams();
    const mousepad::PadEffect effect = mousepad::effectForMode(params.selectItem);
    if (effect == mousepad::PadEffect::Custom)
        customPlayer_.step(lighting_.ledFrame(), now);
    else
        mousepad::stepPadEffect(effect, lighting_.ledFrame(), params, lighting_.animation(), lighting_.ripple(), now);
    mousepad::applyAreaSettings(lighting_.ledFrame(), areas_);
}

// The thread waits out the step's period on its stop event instead of
// counting 1 ms passes.
int COrvaneMousePadDevice::animationPeriodMs() const {
    if (!commandChannel_.isConnected()) return kDisconnectedPeriodMs;
    std::lock_guard<std::mutex> lock(frameLock_);
    const lighting::LightParams& params = lighting_.lightParams();
    if (mousepad::effectForMode(params.selectItem) == mousepad::PadEffect::Custom)
        return static_cast<int>(customPlayer_.periodMs());
    return static_cast<int>(mousepad::stepPeriodMs(params.speed));
}

// ---- event interface ------------------------------------------------------------------

void COrvaneMousePadDevice::onEventInterfaceArrived(const DeviceSlot& slot) {
    if (slot.kind != kind::MousePad) return;
    {
        std::lock_guard<std::mutex> lock(eventLock_);
        if (!eventOpen_) {
            if (!events_.open(slot.path, true, true, true, false)) {
                debugOutputf("cannot open %s", slot.path.c_str());
                return;
            }
            eventOpen_ = true;
        }
    }
    startEventReader();
}

void COrvaneMousePadDevice::onEventInterfaceRemoved(const DeviceSlot&) {
    stopEventReader();
    std::lock_guard<std::mutex> lock(eventLock_);
    eventOpen_ = false;
    events_.close();
}

void COrvaneMousePadDevice::startEventReader() { eventReader_.start([this](Event&) { eventLoop(); }); }

// The reader waits for the pad without a time limit; the device's own stop
// event ends that wait.
void COrvaneMousePadDevice::stopEventReader() {
    if (!eventReader_.started()) return;
    eventReader_.stopEvent().set();
    events_.stopEvent().set();
    eventReader_.stop();
    events_.stopEvent().reset();
}

void COrvaneMousePadDevice::eventLoop() {
    Event& stop = eventReader_.stopEvent();
    while (!stop.isSet()) {
        if (!eventOpen_) {
            stop.wait(kClosedPollMs);
            continue;
        }
        const uint32_t start = tickCount();
        const std::optional<uint16_t> code = keyboard::readNotificationCode(events_, -1);
        if (!code) {
            if (tickCount() - start < static_cast<uint32_t>(kEmptyReadPauseMs)) stop.wait(kEmptyReadPauseMs);
            continue;
        }
        if (*code != mousepad::kSynchroniseNotification) continue;
        // The selector entry's timer belongs to the UI thread.
        QMetaObject::invokeMethod(this, [this] { requestSettingsRead(); }, Qt::QueuedConnection);
    }
    debugOutput("MP设备同步线程设定退出");
}

void COrvaneMousePadDevice::requestSettingsRead() {
    if (optionEntry_ && optionEntry_->GetManager())
        optionEntry_->GetManager()->SetTimer(optionEntry_, entryTimer::kReadSettings, kSynchroniseDelayMs);
}

}  // namespace talven
