#include "editors/device_hook.h"

#include "platform/debug_output.h"
#include "platform/input/key_tables.h"
#include "ui/registered_messages.h"
#include "ui/window_impl_base.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <chrono>

namespace talven {

namespace {

struct HookMessageNames {
    int mode;
    const char* keyboard;
    const char* mouse;  // nullptr: the mode has no mouse message
};

constexpr std::array<HookMessageNames, 9> kHookMessages = {{
    {hookmode::kSingleKey, "WM_HOOK_KEY_SINGLEKEY_MSG", nullptr},
    {hookmode::kHitKey, "WM_HOOK_KEY_HITKEY_MSG", nullptr},
    {hookmode::kMacro, "WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG"},
    {hookmode::kMacroPrevious, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
    {hookmode::kMacroLater, "WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"},
    {hookmode::kMacroSingle, "WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
    {hookmode::kMouseSingleKey, "WM_HOOK_MOU_SINGLEKEY_MSG", nullptr},
    {hookmode::kMouseHitKey, "WM_HOOK_MOU_HITKEY_MSG", nullptr},
    {hookmode::kMouseMacro, "WM_HOOK_MOU_KBMACRO_MSG", nullptr},
}};

struct HookMessageNumbers {
    uint keyboard = 0;
    uint mouse = 0;
};

// Registered on first use, once: the main window asks for every message it
// is sent.
const HookMessageNumbers* numbersOf(int mode) {
    static const std::array<HookMessageNumbers, kHookMessages.size()> numbers = [] {
        std::array<HookMessageNumbers, kHookMessages.size()> table{};
        for (size_t i = 0; i < kHookMessages.size(); ++i) {
            table[i].keyboard = ui::RegisterWindowMessage(QString::fromLatin1(kHookMessages[i].keyboard));
            if (kHookMessages[i].mouse) {
                table[i].mouse = ui::RegisterWindowMessage(QString::fromLatin1(kHookMessages[i].mouse));
            }
        }
        return table;
    }();
    for (size_t i = 0; i < kHookMessages.size(); ++i) {
        if (kHookMessages[i].mode == mode) return &numbers[i];
    }
    return nullptr;
}

uint32_t nowMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::optional<input::MouseButton> qtButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return input::MouseButton::Left;
    case Qt::RightButton: return input::MouseButton::Right;
    case Qt::MiddleButton: return input::MouseButton::Middle;
    case Qt::BackButton: return input::MouseButton::Back;
    case Qt::ForwardButton: return input::MouseButton::Forward;
    default: return std::nullopt;
    }
}

}  // namespace

uint hookKeyboardMessage(int mode) {
    const HookMessageNumbers* numbers = numbersOf(mode);
    return numbers ? numbers->keyboard : 0;
}

uint hookMouseMessage(int mode) {
    const HookMessageNumbers* numbers = numbersOf(mode);
    return numbers ? numbers->mouse : 0;
}

// Turns captured events into hook messages. With a system-wide capture it
// watches the capture's descriptor on the UI thread's event loop; without
// one it filters the application's own key and mouse events.
class CDeviceHook::Receiver : public QObject, public input::InputSink {
public:
    explicit Receiver(std::unique_ptr<input::InputCapture> capture) : capture_(std::move(capture)) {
        if (!capture_) return;
        notifier_ = new QSocketNotifier(capture_->eventFd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { capture_->dispatch(*this); });
    }
    ~Receiver() override { stop(); }

    bool systemWide() const { return capture_ != nullptr; }
    bool keyboardTaken() const { return keyboard_; }

    bool start(int mode, ui::WindowImplBase* target, bool keyboard, bool mouse) {
        stop();
        if (capture_ && !capture_->start(keyboard, mouse)) return false;
        if (!capture_) qApp->installEventFilter(this);
        keyboard_ = keyboard;
        mouse_ = mouse;
        keyMessage_ = hookKeyboardMessage(mode);
        mouseMessage_ = hookMouseMessage(mode);
        target_ = target;
        return true;
    }

    void stop() {
        if (capture_) capture_->stop();
        if (qApp) qApp->removeEventFilter(this);
        keys_.reset();
        keyboard_ = mouse_ = false;
        target_ = nullptr;
    }

    void key(const input::KeyEvent& event) override {
        KeyHookRecord record;
        record.vkCode = event.virtualKey;
        record.scanCode = event.scanCode;
        record.flags = event.extended ? kKeyHookExtended : 0;
        record.time = nowMs();
        // A mode outside the table sends nothing; its keys are still taken.
        if (target_ && keyMessage_ != 0) target_->SendMessage(keyMessage_, event.message, reinterpret_cast<qintptr>(&record));
    }

    void button(const input::ButtonEvent& event) override {
        MouseHookRecord record;
        const QPoint point = event.hasPoint ? QPoint(event.x, event.y) : QCursor::pos();
        record.x = point.x();
        record.y = point.y();
        record.mouseData = static_cast<uint32_t>(event.xButton) << 16;
        if (target_ && mouseMessage_ != 0) {
            target_->SendMessage(mouseMessage_, event.message, reinterpret_cast<qintptr>(&record));
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return keyboard_ && ownWindowKey(static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // Only events of widgets: Qt hands each click to the window
            // first, which would report it twice.
            if (mouse_ && watched->isWidgetType()) ownWindowButton(static_cast<QMouseEvent*>(event));
            return false;
        default:
            return false;
        }
    }

private:
    // The platform's native scan code is the X (or XKB) key code, the Linux
    // key code plus 8. Returns whether the event is taken.
    bool ownWindowKey(QKeyEvent* event) {
        const quint32 native = event->nativeScanCode();
        const bool lock = native > input::kXKeycodeOffset &&
                          input::isLockLinuxKey(static_cast<uint16_t>(native - input::kXKeycodeOffset));
        // A held key repeats as presses, as from the other backends.
        if (event->isAutoRepeat() && event->type() == QEvent::KeyRelease) return !lock;
        if (native > input::kXKeycodeOffset) {
            const auto linuxKey = static_cast<uint16_t>(native - input::kXKeycodeOffset);
            if (const auto key = keys_.translate(linuxKey, event->type() == QEvent::KeyPress)) this->key(*key);
        }
        return !lock;
    }

    void ownWindowButton(QMouseEvent* event) {
        const auto which = qtButton(event->button());
        if (!which) return;
        input::ButtonEvent captured = input::buttonEvent(*which, event->type() == QEvent::MouseButtonPress);
        const QPoint global = event->globalPosition().toPoint();
        captured.x = global.x();
        captured.y = global.y();
        captured.hasPoint = true;
        button(captured);
    }

    std::unique_ptr<input::InputCapture> capture_;
    QSocketNotifier* notifier_ = nullptr;
    QPointer<ui::WindowImplBase> target_;
    input::KeyMessageState keys_;
    uint keyMessage_ = 0;
    uint mouseMessage_ = 0;
    bool keyboard_ = false;
    bool mouse_ = false;
};

CDeviceHook::CDeviceHook() = default;

CDeviceHook::~CDeviceHook() { Uninstall(); }

void CDeviceHook::ensureCapture() {
    if (!receiver_) receiver_ = std::make_unique<Receiver>(input::openInputCapture(options_));
}

int CDeviceHook::Install(int callerValue, int mode, ui::WindowImplBase* target, bool keyboard, bool library) {
    ensureCapture();
    // One capture at a time: whatever was installed goes first, also when
    // the new one then fails, so a refused install never leaves the old
    // grab with nobody expecting its keys.
    if (!receiver_->start(mode, target, keyboard, library)) {
        debugOutputf("input hook: mode %d not installed", mode);
        return 0;
    }
    callerValue_ = callerValue;
    mode_ = mode;
    return 1;
}

int CDeviceHook::Uninstall() {
    if (!receiver_) return 0;
    const bool hadKeys = receiver_->keyboardTaken();
    receiver_->stop();
    return hadKeys ? 1 : 0;
}

bool CDeviceHook::installed() const { return receiver_ && receiver_->keyboardTaken(); }

bool CDeviceHook::systemWide() {
    ensureCapture();
    return receiver_->systemWide();
}

}  // namespace talven
