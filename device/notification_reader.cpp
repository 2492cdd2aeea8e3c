#include "device/notification_reader.h"

#include "device/keyboard/keyboard_notifications.h"
#include "platform/clock.h"
#include "platform/debug_output.h"

namespace talven {

namespace {

// After a read that ends at once without a code (a report without one, a
// device that went away) the reader pauses this long rather than spin.
constexpr int kEmptyReadPauseMs = 10;

}  // namespace

bool NotificationReader::open(const std::string& path, Handler handler) {
    close();
    if (!device_.open(path, true, true, true, false)) {
        debugOutputf("cannot open %s", path.c_str());
        return false;
    }
    handler_ = std::move(handler);
    reader_.start([this](Event&) {
        nameThisThread("device events");
        loop();
    });
    return true;
}

// The read waits without a time limit; the device's stop event ends it. The
// thread's stop is set first, so the reader does not start another read.
void NotificationReader::close() {
    if (reader_.started()) {
        reader_.stopEvent().set();
        device_.stopEvent().set();
        reader_.stop();
        device_.stopEvent().reset();
    }
    device_.close();
}

void NotificationReader::loop() {
    Event& stop = reader_.stopEvent();
    while (!stop.isSet()) {
        const uint32_t start = tickCount();
        const std::optional<uint16_t> code = keyboard::readNotificationCode(device_, -1);
        if (!code) {
            if (tickCount() - start < static_cast<uint32_t>(kEmptyReadPauseMs)) stop.wait(kEmptyReadPauseMs);
            continue;
        }
        if (handler_) handler_(*code);
    }
    debugOutput(exitMessage_);
}

}  // namespace talven
