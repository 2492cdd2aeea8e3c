#include "sim/profile_window.h"

#include <algorithm>

namespace talven::sim {

bool writeProfileWindow(std::vector<uint8_t>& config, const Frame& request, size_t blockSize, size_t profiles) {
    const size_t length = frameLength(request);
    const size_t profile = frameOffset(request) / kProfileWindow;
    const size_t within = frameOffset(request) % kProfileWindow;
    const size_t at = profile * blockSize + within;
    if (profile >= profiles || within + length > blockSize || at + length > config.size()) return false;
    std::copy_n(request.begin() + kFrameDataOffset, length, config.begin() + static_cast<long>(at));
    return true;
}

}  // namespace talven::sim
