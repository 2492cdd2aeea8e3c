#include "device/lighting/lighting_engine.h"

#include <algorithm>

namespace talven::lighting {

void LightingEngine::setLedCount(int count) {
    ledFrame_.assign(static_cast<size_t>(std::max(count, 0)), 0);
}

void LightingEngine::setLedColour(int index, uint32_t colour) {
    if (index < 0 || index >= ledCount()) return;
    ledFrame_[static_cast<size_t>(index)] = colour;
}

uint32_t LightingEngine::getLedColour(int index) const {
    if (index < 0 || index >= ledCount()) return 0;
    return ledFrame_[static_cast<size_t>(index)];
}

}  // namespace talven::lighting
