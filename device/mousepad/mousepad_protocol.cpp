#include "device/mousepad/mousepad_protocol.h"

namespace talven::mousepad {

int MousePadProtocol::attach() {
    if (!channel_.isConnected()) return channel_result::Refused;
    // The first command the pad did not take, begin and end included.
    FirstFailure first;
    first(channel_.begin());
    DeviceInfo info{};
    const int result = first(channel_.readInfo(info));
    first(channel_.end());
    if (result == channel_result::Success) info_ = info;
    return first.result();
}

SettingsReading MousePadProtocol::readSettings() {
    SettingsReading reading;
    uint8_t profile = 0;
    reading.result = channel_.readBlock(&profile, 1, 0);
    if (reading.result != channel_result::Success) return reading;
    std::array<uint8_t, kBlockSize> wire{};
    reading.result = channel_.readBlock(wire.data(), wire.size(), readOffset(profile));
    if (reading.result != channel_result::Success) return reading;
    reading.activeProfile = profile;
    reading.block = fromWire(wire);
    reading.block[block_byte::ActiveProfile] = profile;
    return reading;
}

// The pad's settings write has no link check: the pad is cabled.
int MousePadProtocol::writeSettings(uint8_t profile, const SettingsBlock& block) {
    const bool connected = channel_.isConnected();
    // A refused begin or end is reported like a refused write: the pad may
    // not have kept the block.
    FirstFailure first;
    if (connected) first(channel_.begin());
    const auto wire = toWire(block);
    first(channel_.writeBlock(wire.data(), wire.size(), writeOffset(profile)));
    if (connected) first(channel_.end());
    return first.result();
}

}  // namespace talven::mousepad
