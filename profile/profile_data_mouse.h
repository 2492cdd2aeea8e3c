#pragma once
// Mouse profile: the basic entry plus DPI stages ("DPIStages"), the pointer
// settings ("SystemStages", "ReportStages", "HeightStages") and the factory
// sensor correction presets ("CorrectInfo").

#include "profile/profile_data_basic.h"

#include <vector>

namespace talven {

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Merges the stages of the entry into the held list (stage j replaces
    // held stage j or is appended; held stages beyond those read stay) and
    // takes the current stage number; returns a copy of the held list.
    std::vector<DpiStage> ReadDpiStages();
    // Replaces the held list and writes every stage into the entry.
    void WriteDpiStages(const std::vector<DpiStage>& stages);
    int GetDpiStageActive() const { return stageActive_; }
    void SetDpiStageActive(int stage);
    // The device may fill the held list before the first read.
    void setHeldDpiStages(std::vector<DpiStage> stages) { dpiStages_ = std::move(stages); }
    const std::vector<DpiStage>& heldDpiStages() const { return dpiStages_; }

    // Words: DoubleClickTime | MouseSpeed << 16, PointerPrecision |
    // ScorllPage << 16, WheelScorlllinse | report-rate stage << 16, lift
    // height stage. Each variant keeps the words as current.
    void WriteMouseSystem(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);
    MouseSystemWords ReadMouseSystem();
    // The two stage numbers from the entry, the rest from the desktop.
    MouseSystemWords ReadMouseSystemFromSystem(const SystemInputValues& system);
    const MouseSystemWords& systemWords() const { return systemWords_; }

    std::vector<CorrectEntry> ReadCorrectInfo();
    const std::vector<CorrectEntry>& correctEntries() const { return correctEntries_; }

private:
    std::vector<DpiStage> dpiStages_;
    int stageActive_ = 0;
    MouseSystemWords systemWords_{};
    std::vector<CorrectEntry> correctEntries_;
};

}  // namespace talven
