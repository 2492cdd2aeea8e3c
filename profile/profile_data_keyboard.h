#pragma once
// Keyboard profile: the basic entry plus the keyboard's system settings
// ("SystemStages") and the per-key colours of the custom lighting mode
// ("CustomLightMode").

#include "profile/profile_data_basic.h"

#include <vector>

namespace talven {

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // Words: Repeat | RepeatDelay << 16, Key6Flag | PollingRate << 16,
    // WFlag | WinFlag << 16. Each variant keeps the words as current.
    void WriteSystemStages(uint32_t word1, uint32_t word2, uint32_t word3);
    KeyboardSystemWords ReadSystemStages();
    // As ReadSystemStages, but Repeat and RepeatDelay are the desktop's.
    KeyboardSystemWords ReadSystemStagesFromSystem(const SystemInputValues& system);

    // Sets "LightColorInfo"[group][i] for every colour of the list. A group
    // outside 0..kMaxProfileIndex is ignored.
    void WriteCustomLightColors(const std::vector<CustomLightColor>& colors, int group);
    // `count` colours of the group. Slots missing from the file are filled
    // in memory with black, and a fresh group gets the factory red keys
    // (kFactoryRedKeys); those read as black until the profile is read again.
    std::vector<CustomLightColor> ReadCustomLightColors(int group, int count);
    void SetCustomLightGroup(int group);
    // The stored group; 0 (and stored as 0) when there is none.
    int GetCustomLightGroup();

    const KeyboardSystemWords& systemWords() const { return systemWords_; }
    const std::vector<CustomLightColor>& customLightColors() const { return customColors_; }

    // Keys that a fresh custom-light group lights red: A, S, D, W and the
    // four arrow keys.
    static constexpr int kFactoryRedKeys[] = {64, 65, 66, 44, 96, 113, 114, 115};

private:
    KeyboardSystemWords systemWords_{};
    std::vector<CustomLightColor> customColors_;
    int customGroup_ = 0;
};

}  // namespace talven
