#pragma once
// The headset's HID side: its settings block, kept exactly as the mouse
// pad keeps its own (read packed at p × 25, written in 64-byte windows at
// profile × 64, the speed stored as 4 − speed), and its lighting frames.
//
// Frames go out as plain output reports written to the node. On a real
// headset the kernel sends a hidraw write as a SET_REPORT(Output) on the
// control pipe when the interface has no interrupt OUT endpoint, and on the
// OUT endpoint otherwise; both deliver the report as an output report, so
// no HIDIOCSOUTPUT ioctl is needed, and the write also reaches the
// simulator's socket nodes and the --trace hook like every other report.

#include "device/command_channel.h"
#include "device/headset/headset_frame.h"
#include "device/mousepad/mousepad_protocol.h"

#include <span>

namespace talven::headset {

using mousepad::SettingsBlock;
using mousepad::SettingsReading;

class HeadsetProtocol {
public:
    explicit HeadsetProtocol(CommandChannel& channel) : channel_(channel), block_(channel) {}
    HeadsetProtocol(const HeadsetProtocol&) = delete;
    HeadsetProtocol& operator=(const HeadsetProtocol&) = delete;

    // The active profile's block, as the pad's.
    SettingsReading readSettings() { return block_.readSettings(); }
    // Bytes 0..20 at profile × 64; every caller writes profile 0.
    int writeSettings(uint8_t profile, const SettingsBlock& block) { return block_.writeSettings(profile, block); }

    // The twelve reports of one frame. Refused without I/O when the channel
    // is not connected or refusing; WriteFailed at the first report the
    // node did not take (the rest of that frame is not sent).
    int sendFrame(std::span<const uint32_t> leds);

    CommandChannel& channel() { return channel_; }

private:
    CommandChannel& channel_;
    mousepad::MousePadProtocol block_;
};

}  // namespace talven::headset
