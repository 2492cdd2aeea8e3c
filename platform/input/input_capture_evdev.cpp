// Input capture on the kernel's event devices, for sessions where no X
// server sees every program (Wayland) or there is none at all. Needs read
// access to /dev/input/event* and write access to /dev/uinput.
//
// Keyboards are grabbed (EVIOCGRAB), so their keys reach this process only;
// Caps Lock, Num Lock and Scroll Lock are written again to a virtual
// keyboard of our own so the desktop still toggles them. Mice are read but
// never grabbed. A grab ends when its descriptor closes, so the kernel
// releases it when the process ends, whatever ends it. Devices plugged in
// during a capture are not part of it.

#include "platform/input/evdev_devices.h"
#include "platform/input/input_capture.h"
#include "platform/input/key_tables.h"

#include "platform/debug_output.h"

#include <linux/input.h>
#include <linux/uinput.h>

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace talven::input {

namespace {

constexpr char kPassOnName[] = "talven-k88 lock keys";

struct Fd {
    int fd = -1;
    explicit Fd(int value = -1) : fd(value) {}
    Fd(Fd&& other) noexcept : fd(other.fd) { other.fd = -1; }
    Fd& operator=(Fd&&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

struct EventDevice {
    Fd fd;
    EvdevKind kind;
    bool grabbed = false;
};

// A virtual keyboard with the three lock keys only.
Fd openPassOnKeyboard(const std::string& path) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.fd < 0) return fd;
    bool ok = ::ioctl(fd.fd, UI_SET_EVBIT, EV_KEY) == 0 && ::ioctl(fd.fd, UI_SET_EVBIT, EV_SYN) == 0;
    for (int key : {KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK}) ok = ok && ::ioctl(fd.fd, UI_SET_KEYBIT, key) == 0;
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    std::strncpy(setup.name, kPassOnName, UINPUT_MAX_NAME_SIZE - 1);
    ok = ok && ::ioctl(fd.fd, UI_DEV_SETUP, &setup) == 0 && ::ioctl(fd.fd, UI_DEV_CREATE) == 0;
    return ok ? std::move(fd) : Fd();
}

std::vector<EventDevice> openEventDevices(const std::string& folder) {
    std::vector<EventDevice> devices;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().rfind("event", 0) != 0) continue;
        Fd fd(::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.fd < 0) continue;
        char name[256] = {};
        uint8_t keyBits[KEY_MAX / 8 + 1] = {};
        if (::ioctl(fd.fd, EVIOCGNAME(sizeof name - 1), name) < 0 ||
            ::ioctl(fd.fd, EVIOCGBIT(EV_KEY, sizeof keyBits), keyBits) < 0)
            continue;
        if (std::strcmp(name, kPassOnName) == 0) continue;  // our own, of an earlier capture
        const EvdevKind kind = classifyEvdevDevice(keyBits);
        if (kind.keyboard || kind.mouse) devices.push_back({std::move(fd), kind});
    }
    return devices;
}

class EvdevCapture final : public InputCapture {
public:
    EvdevCapture(std::vector<EventDevice> devices, Fd passOn, Fd epoll)
        : devices_(std::move(devices)), passOn_(std::move(passOn)), epoll_(std::move(epoll)) {
        for (size_t i = 0; i < devices_.size(); ++i) {
            epoll_event watch{};
            watch.events = EPOLLIN;
            watch.data.u64 = i;
            ::epoll_ctl(epoll_.fd, EPOLL_CTL_ADD, devices_[i].fd.fd, &watch);
        }
    }
    ~EvdevCapture() override { stop(); }

    std::string_view name() const override { return "evdev"; }
    int eventFd() const override { return epoll_.fd; }
    bool keyboardCaptured() const override { return keyboard_; }

    bool start(bool keyboard, bool mouse) override {
        stop();
        if (keyboard && !grabKeyboards()) return false;
        keyboard_ = keyboard;
        mouse_ = mouse;
        return true;
    }

    void stop() override {
        for (EventDevice& device : devices_) {
            if (device.grabbed) ::ioctl(device.fd.fd, EVIOCGRAB, 0);
            device.grabbed = false;
        }
        keyboard_ = mouse_ = false;
        keys_.reset();
    }

    void dispatch(InputSink& sink) override {
        epoll_event ready[8];
        const int count = ::epoll_wait(epoll_.fd, ready, 8, 0);
        for (int i = 0; i < count; ++i) drain(devices_[ready[i].data.u64], sink);
    }

private:
    // All keyboards or none: a capture that lets one keyboard through is
    // no capture.
    bool grabKeyboards() {
        for (EventDevice& device : devices_) {
            if (!device.kind.keyboard) continue;
            if (::ioctl(device.fd.fd, EVIOCGRAB, 1) != 0) {
                debugOutputf("input capture: a keyboard is held by another program (%s)", std::strerror(errno));
                stop();
                return false;
            }
            device.grabbed = true;
        }
        return true;
    }

    void drain(EventDevice& device, InputSink& sink) {
        input_event events[64];
        ssize_t size = 0;
        while ((size = ::read(device.fd.fd, events, sizeof events)) > 0) {
            for (size_t i = 0; i < static_cast<size_t>(size) / sizeof(input_event); ++i) {
                if (events[i].type == EV_KEY) onKey(device, events[i], sink);
            }
        }
    }

    void onKey(const EventDevice& device, const input_event& raw, InputSink& sink) {
        const uint16_t code = raw.code;
        const bool pressed = raw.value != 0;  // 2 is a repeat: a press again
        if (mouse_ && device.kind.mouse) {
            if (const auto button = buttonForLinuxCode(code); button && raw.value != 2) {
                sink.button(buttonEvent(*button, pressed));
                return;
            }
        }
        if (!device.grabbed) return;
        if (isLockLinuxKey(code)) passOn(code, raw.value);
        if (const auto event = keys_.translate(code, pressed)) sink.key(*event);
    }

    void passOn(uint16_t code, int32_t value) {
        input_event out[2] = {};
        out[0].type = EV_KEY;
        out[0].code = code;
        out[0].value = value;
        out[1].type = EV_SYN;
        out[1].code = SYN_REPORT;
        if (::write(passOn_.fd, out, sizeof out) != static_cast<ssize_t>(sizeof out)) {
            debugOutputf("input capture: lock key not passed on (%s)", std::strerror(errno));
        }
    }

    std::vector<EventDevice> devices_;
    Fd passOn_;
    Fd epoll_;
    bool keyboard_ = false;
    bool mouse_ = false;
    KeyMessageState keys_;
};

}  // namespace

std::unique_ptr<InputCapture> openEvdevCapture(const std::string& inputDir, const std::string& uinputPath) {
    std::vector<EventDevice> devices = openEventDevices(inputDir);
    const bool anyKeyboard = std::any_of(devices.begin(), devices.end(),
                                         [](const EventDevice& d) { return d.kind.keyboard; });
    if (!anyKeyboard) return nullptr;
    // Without a way to pass the lock keys on, grabbing would take Caps Lock
    // away from the whole desktop; better not to capture at all.
    Fd passOn = openPassOnKeyboard(uinputPath);
    if (passOn.fd < 0) {
        debugOutputf("input capture: %s is not writable, event devices not used", uinputPath.c_str());
        return nullptr;
    }
    Fd epoll(::epoll_create1(EPOLL_CLOEXEC));
    if (epoll.fd < 0) return nullptr;
    return std::make_unique<EvdevCapture>(std::move(devices), std::move(passOn), std::move(epoll));
}

}  // namespace talven::input
