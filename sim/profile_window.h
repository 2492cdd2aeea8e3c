#pragma once
// Settings blocks packed in configuration memory and written through
// 64-byte windows, one per onboard profile: a write at p × 64 + n lands in
// block p at byte n. The mouse pad and the headset keep their blocks so.

#include "sim/sim_protocol.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace talven::sim {

inline constexpr size_t kProfileWindow = 64;

// Copies the write command's data into its block; false (nothing written)
// when it runs past the block or names no profile.
bool writeProfileWindow(std::vector<uint8_t>& config, const Frame& request, size_t blockSize, size_t profiles);

}  // namespace talven::sim
