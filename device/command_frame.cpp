#include "device/command_frame.h"

#include <algorithm>

namespace talven {

uint16_t frameChecksum(std::span<const uint8_t, kFrameSize> frame) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kFrameSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

void sealFrame(Frame& frame) {
    uint16_t sum = frameChecksum(frame);
    frame[1] = static_cast<uint8_t>(sum & 0xFF);
    frame[2] = static_cast<uint8_t>(sum >> 8);
}

bool checksumValid(const Frame& frame) {
    uint16_t sum = frameChecksum(frame);
    return frame[1] == (sum & 0xFF) && frame[2] == (sum >> 8);
}

Frame makeFrame(uint8_t command, uint8_t length, uint16_t offset, std::span<const uint8_t> data) {
    Frame f{};
    f[0] = kCommandReportId;
    f[3] = command;
    f[4] = length;
    f[5] = static_cast<uint8_t>(offset & 0xFF);
    f[6] = static_cast<uint8_t>(offset >> 8);
    f[7] = status::Ok;
    std::copy_n(data.begin(), std::min(data.size(), kFrameMaxData), f.begin() + kFrameDataOffset);
    sealFrame(f);
    return f;
}

}  // namespace talven
