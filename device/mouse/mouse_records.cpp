#include "device/mouse/mouse_records.h"

#include <algorithm>

namespace talven::mouse {

namespace {

constexpr size_t kBlockMode = 1;
constexpr size_t kBlockBrightness = 2;
constexpr size_t kBlockSpeed = 3;
constexpr size_t kBlockEffectOption = 4;
constexpr size_t kBlockMultiColour = 5;
constexpr size_t kBlockRed = 6;
constexpr size_t kBlockPollingRate = 11;
constexpr size_t kBlockActiveStage = 12;
constexpr size_t kBlockLiftOff = 13;
constexpr size_t kBlockScreenFlag = 59;
constexpr size_t kBlockScreenWidth = 60;
constexpr size_t kBlockScreenHeight = 62;
constexpr size_t kBlockCorrectMinSq = 64;
constexpr size_t kBlockCorrectPixThresh = 65;

uint16_t get16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void put16(SettingsBlock& block, size_t at, uint16_t value) {
    block[at] = static_cast<uint8_t>(value & 0xFF);
    block[at + 1] = static_cast<uint8_t>(value >> 8);
}

// An index the mouse has no setting for is sent as 0, the setting the page
// shows for it, rather than as a value the firmware would have to guess at.
uint8_t withinRange(uint8_t index, uint8_t count) { return index < count ? index : 0; }

// The speed as the mouse stores it. Over a slow link the receiver takes the
// level itself; a cabled mouse stores 4 - level. A level above 4 counts as 4
// so the stored byte cannot wrap round to a speed the mouse lacks.
uint8_t storedSpeed(uint8_t level, bool slowLink) {
    const uint8_t speed = std::min(level, kMaxLevel);
    return slowLink ? speed : static_cast<uint8_t>(kMaxLevel - speed);
}

}  // namespace

MouseCapabilities decodeCapabilities(const DeviceInfo& info) {
    MouseCapabilities caps;
    caps.keySlots = info[kInfoKeySlots];
    caps.macroCapacity = info[kInfoMacroUnits] * kMacroUnit;
    caps.dpiStep = info[kInfoDpiStep];
    caps.dpiStepCount = get16(info, kInfoDpiStepCount);
    caps.dpiBase = get16(info, kInfoDpiBase);
    return caps;
}

ButtonMap buildButtonMap(std::span<const uint8_t> table, unsigned slotCount) {
    ButtonMap map;
    map.fill(kNotPresent);
    const size_t slots = std::min<size_t>(slotCount, table.size() / 3);
    for (size_t j = 0; j < kLogicalButtons; ++j) {
        const KeyCode& code = kMouseButtons[j].factoryCode;
        for (size_t k = 0; k < slots && k < kNotPresent; ++k) {
            if (std::equal(code.begin(), code.end(), table.begin() + 3 * k)) {
                map[j] = static_cast<uint8_t>(k);
                break;
            }
        }
    }
    return map;
}

std::vector<uint8_t> buildButtonTable(const ButtonMap& map, std::span<const KeyCode> assignments,
                                      unsigned slotCount) {
    std::vector<uint8_t> table(slotCount * 3u, 0);
    for (size_t j = 0; j < kLogicalButtons; ++j) {
        const uint8_t slot = map[j];
        if (slot == kNotPresent || slot >= slotCount) continue;
        const KeyCode& code = j < assignments.size() ? assignments[j] : kMouseButtons[j].factoryCode;
        std::copy(code.begin(), code.end(), table.begin() + 3 * slot);
    }
    return table;
}

SettingsBlock encodeSettingsBlock(uint8_t first, const MouseSettings& settings, const ScreenSize& screen,
                                  bool slowLink) {
    SettingsBlock block{};
    block[0] = first;
    for (size_t i = 0; i < kDpiStages && i < settings.stages.size(); ++i) {
        const auto bytes = settings.stages[i].toBytes();
        std::copy(bytes.begin(), bytes.end(), block.begin() + kDpiStageOffset + DpiStage::kWireSize * i);
    }
    const LightSettings& light = settings.light;
    block[kBlockMode] = light.selectItem < kMouseLightModes ? light.selectItem : 0;
    block[kBlockBrightness] = light.light;
    block[kBlockSpeed] = storedSpeed(light.speed, slowLink);
    block[kBlockEffectOption] = light.fx;
    block[kBlockMultiColour] = light.multiColor;
    block[kBlockRed] = light.red;
    block[kBlockRed + 1] = light.green;
    block[kBlockRed + 2] = light.blue;
    block[kBlockPollingRate] = withinRange(settings.pollingRate, kPollingRates);
    block[kBlockActiveStage] = withinRange(settings.activeStage, kDpiStages);
    block[kBlockLiftOff] = withinRange(settings.liftOff, kLiftOffHeights);
    block[kBlockScreenFlag] = screen.flag;
    put16(block, kBlockScreenWidth, screen.width);
    put16(block, kBlockScreenHeight, screen.height);
    const auto selected = std::find_if(settings.corrections.begin(), settings.corrections.end(),
                                       [](const CorrectEntry& e) { return e.select != 0; });
    if (selected != settings.corrections.end()) {
        block[kBlockCorrectMinSq] = selected->minSq;
        block[kBlockCorrectPixThresh] = selected->pixThresh;
    }
    return block;
}

DecodedMouseSettings decodeSettingsBlock(const SettingsBlock& block, bool slowLink) {
    DecodedMouseSettings d;
    d.profile = block[0];
    d.light.selectItem = block[kBlockMode];
    d.light.light = std::min(block[kBlockBrightness], kMaxLevel);
    // Read back the way it was written: a slow link's receiver keeps the
    // level itself, and reading it inverted would flip the user's speed on
    // every read and write that follow.
    const uint8_t stored = std::min(block[kBlockSpeed], kMaxLevel);
    d.light.speed = slowLink ? stored : static_cast<uint8_t>(kMaxLevel - stored);
    d.light.fx = block[kBlockEffectOption];
    d.light.multiColor = block[kBlockMultiColour];
    d.light.red = block[kBlockRed];
    d.light.green = block[kBlockRed + 1];
    d.light.blue = block[kBlockRed + 2];
    d.pollingRate = block[kBlockPollingRate];
    d.activeStage = block[kBlockActiveStage];
    d.liftOff = block[kBlockLiftOff];
    for (size_t i = 0; i < kDpiStages; ++i) {
        std::array<uint8_t, DpiStage::kWireSize> bytes{};
        std::copy_n(block.begin() + kDpiStageOffset + DpiStage::kWireSize * i, bytes.size(), bytes.begin());
        d.stages[i] = DpiStage::fromBytes(bytes);
    }
    return d;
}

}  // namespace talven::mouse
