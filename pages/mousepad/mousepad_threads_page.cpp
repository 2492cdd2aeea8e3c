// COrvaneMousePadDevice: the two worker threads — the lighting thread (the
// base's animation thread stepping the pad's effects) and the reader of the
// pad's notification interface.

#include "pages/mousepad/mousepad_device_page.h"

#include "pages/entry_timers.h"
#include "platform/clock.h"
#include "ui/paint_manager.h"
#include "ui/queued_call.h"

#include <QMetaObject>

namespace talven {

namespace {

// While the pad is away the lighting thread only looks now and then.
constexpr int kDisconnectedPeriodMs = 100;
// The pad's request to read its settings again is answered this much later.
constexpr uint kSynchroniseDelayMs = 500;

}  // namespace

// ---- lighting thread -------------------------------------------------------------------

// One step of the current mode, then the area settings over it. Nothing is
// computed while the pad is away or another page holds its lighting.
void COrvaneMousePadDevice::animationStep(uint32_t now) {
    if (!commandChannel_.isConnected() || commandChannel_.paused()) return;
    std::lock_guard<std::mutex> lock(frameLock_);
    const lighting::LightParams params = lighting_.lightParams();
    const mousepad::PadEffect effect = mousepad::effectForMode(params.selectItem);
    if (effect == mousepad::PadEffect::Custom)
        customPlayer_.step(lighting_.ledFrame(), now);
    else
        mousepad::stepPadEffect(effect, lighting_.ledFrame(), params, lighting_.animation(), lighting_.ripple(), now,
                                shapes_);
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

// The pad's request to read its settings again goes to the UI thread, which
// owns the selector entry's timer. An interface already being read is kept.
void COrvaneMousePadDevice::onEventInterfaceArrived(const DeviceSlot& slot) {
    if (slot.kind != kind::MousePad || events_.running()) return;
    events_.open(slot.path, [this](uint16_t code) {
        if (code != mousepad::kSynchroniseNotification) return;
        ui::queueCall(this, [this] { requestSettingsRead(); });
    });
}

void COrvaneMousePadDevice::onEventInterfaceRemoved(const DeviceSlot&) { events_.close(); }

void COrvaneMousePadDevice::requestSettingsRead() {
    if (optionEntry_ && optionEntry_->GetManager())
        optionEntry_->GetManager()->SetTimer(optionEntry_, entryTimer::kReadSettings, kSynchroniseDelayMs);
}

}  // namespace talven
