#include "sim/sim_protocol.h"

#include <numeric>

namespace talven::sim {

namespace {
constexpr size_t kChecksumFrom = 3;
}  // namespace

uint16_t frameChecksum(const Frame& frame) {
    const unsigned sum = std::accumulate(frame.begin() + kChecksumFrom, frame.end(), 0u);
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void sealFrame(Frame& frame) {
    const uint16_t sum = frameChecksum(frame);
    frame[1] = static_cast<uint8_t>(sum & 0xFF);
    frame[2] = static_cast<uint8_t>(sum >> 8);
}

bool checksumValid(const Frame& frame) {
    return (frame[1] | frame[2] << 8) == frameChecksum(frame);
}

}  // namespace talven::sim
