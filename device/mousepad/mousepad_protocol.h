#pragma once
// The mouse pad's transactions over its command channel: the capability
// record at attach, the active profile's settings block, and the block
// written back. The pad has lighting only; its frames go through the
// channel's lighting stream like every device's.

#include "device/command_channel.h"
#include "device/mousepad/mousepad_settings.h"

#include <cstdint>

namespace talven::mousepad {

// The pad's event interface sends this when its own button changed the
// active profile: the host reads the settings again.
inline constexpr uint16_t kSynchroniseNotification = 0x0401;

struct SettingsReading {
    int result = channel_result::Refused;  // of the reads; nothing is kept unless both succeed
    uint8_t activeProfile = 0;
    SettingsBlock block{};
};

class MousePadProtocol {
public:
    explicit MousePadProtocol(CommandChannel& channel) : channel_(channel) {}
    MousePadProtocol(const MousePadProtocol&) = delete;
    MousePadProtocol& operator=(const MousePadProtocol&) = delete;

    // begin, the capability record, end: the first failed command's result.
    // The copy changes only when the record was read.
    int attach();

    // The active profile number (byte 0 of configuration memory), then that
    // profile's block at p × 25. The block's byte 0 becomes the number, so
    // writing the block back leaves the pad on the profile it is on.
    SettingsReading readSettings();

    // Bytes 0..20 of `block` at profile × 64, inside begin/end when the
    // channel is connected. The first failed command's result (begin and end
    // included): a refused write is not reported as written.
    int writeSettings(uint8_t profile, const SettingsBlock& block);

    const DeviceInfo& info() const { return info_; }
    CommandChannel& channel() { return channel_; }

private:
    CommandChannel& channel_;
    DeviceInfo info_{};
};

}  // namespace talven::mousepad
