// COrvaneKeyboardDevice: the two worker threads — the lighting preview (the
// base's animation thread stepping the keyboard's preview) and the reader of
// the keyboard's notification interface — and what the notifications do.

#include "pages/keyboard/keyboard_device_page.h"

#include "pages/entry_timers.h"
#include "device/keyboard/keyboard_notifications.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "ui/paint_manager.h"
#include "ui/queued_call.h"

#include <QMetaObject>

namespace talven {

namespace {

// While the keyboard is away the preview only looks now and then.
constexpr int kDisconnectedPeriodMs = 100;
// The keyboard's request to synchronise is answered this much later.
constexpr uint kSynchroniseDelayMs = 100;
constexpr uint8_t kCounterLimit = 4;

}  // namespace

// ---- lighting preview ------------------------------------------------------------------

void COrvaneKeyboardDevice::startLightingThread() {
    stopLightingThread();
    writeCustomBitmap();
    startAnimation();
}

void COrvaneKeyboardDevice::stopLightingThread() {
    if (!animating()) return;
    stopAnimation();
    debugOutput("KB灯光线程设定退出");
}

// One pass of the preview: whatever ticks have passed by `nowMs`, each
// running the mode's generator when its period is due. Passes fall due one
// tick apart.
void COrvaneKeyboardDevice::animationStep(uint32_t nowMs) {
    if (!commandChannel_.isConnected() || commandChannel_.paused()) return;
    std::lock_guard<std::mutex> lock(frameLock_);
    keyPreview_.advance(nowMs);
}

int COrvaneKeyboardDevice::animationPeriodMs() const {
    return commandChannel_.isConnected() ? static_cast<int>(keyboard::kPreviewTickMs) : kDisconnectedPeriodMs;
}

// ---- event interface ------------------------------------------------------------------

// Each notification goes to the UI thread, which owns the page, the key maps
// and the preview; a notification still queued when the page goes is dropped
// with it. An interface already being read is kept as it is.
void COrvaneKeyboardDevice::onEventInterfaceArrived(const DeviceSlot& slot) {
    if (slot.kind != kind::Keyboard || events_.running()) return;
    events_.open(slot.path, [this](uint16_t code) {
        debugOutput("接收到自动添加设备的同步信息要求  TEST");
        if (code == keyboard::notification::Synchronise) debugOutput("接收到自动添加设备的同步信息要求");
        ui::queueCall(this, [this, code] { onNotification(code); });
    });
}

void COrvaneKeyboardDevice::onEventInterfaceRemoved(const DeviceSlot&) { events_.close(); }

void COrvaneKeyboardDevice::onNotification(uint16_t code) {
    const keyboard::KeyboardNotification n = keyboard::decodeNotification(code, protocol_.maps());
    switch (n.kind) {
    case keyboard::NotificationKind::Synchronise:
        if (optionEntry_ && optionEntry_->GetManager())
            optionEntry_->GetManager()->SetTimer(optionEntry_, entryTimer::kReadSettings, kSynchroniseDelayMs);
        break;
    // The notification only says that the game mode changed; the status
    // report says how it is now.
    case keyboard::NotificationKind::GameMode: readDeviceStatus(); break;
    case keyboard::NotificationKind::Counter:
        notificationCounter_ = static_cast<uint8_t>((notificationCounter_ + 1) % kCounterLimit);
        break;
    case keyboard::NotificationKind::KeyEvent: onKeyEvent(n.key, n.keyEventKind); break;
    case keyboard::NotificationKind::Ignored: break;
    }
}

void COrvaneKeyboardDevice::onKeyEvent(int key, int kind) {
    if (key < 0 || key >= static_cast<int>(keyboard::kOnScreenKeys)) return;
    std::lock_guard<std::mutex> lock(frameLock_);
    keyPreview_.keyEvent(static_cast<uint8_t>(key), static_cast<uint8_t>(kind), tickCount());
}

}  // namespace talven
