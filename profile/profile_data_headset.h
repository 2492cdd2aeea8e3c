#pragma once
// Headset profile: the basic entry plus the audio settings
// ("SystemSetStages"), the equaliser rows of the presets ("EQHzValueInfo")
// and the user's named equaliser curves ("CustomEQNameInfo",
// "CustomEQHzValueInfo").

#include "profile/profile_data_basic.h"

#include <string>
#include <vector>

namespace talven {

// Every equaliser curve has ten bands.
inline constexpr int kEqBandCount = 10;
// The custom equaliser type: it has no preset row.
inline constexpr int kCustomEqType = 13;

// The "EQHzValueInfo" row of an equaliser type: the type itself for 1..12,
// row 1 for 0 and for anything above 13, none (-1) for the custom type.
int eqRowForType(int eqType);

class CHs6533Profiledata : public CBasicProfiledata {
public:
    void WriteSystemSetStages(const HeadsetSystemRecord& values);
    // All zero when the entry holds none.
    HeadsetSystemRecord ReadSystemSetStages();

    // Writes the first ten values into the type's row; fewer than ten values
    // or the custom type change nothing.
    void WriteEqValues(int eqType, const std::vector<int>& values);
    // Ten values of the type's row (a missing row is filled with zeros in
    // memory); empty for the custom type.
    std::vector<int> ReadEqValues(int eqType);

    void WriteCustomEqNames(const std::vector<std::string>& names);
    std::vector<std::string> ReadCustomEqNames();
    // As the EQ rows, on "CustomEQHzValueInfo"[slot]; slots outside
    // 0..kMaxProfileIndex are ignored (reads give ten zeros).
    void WriteCustomEqValues(int slot, const std::vector<int>& values);
    std::vector<int> ReadCustomEqValues(int slot);

    const HeadsetSystemRecord& systemRecord() const { return systemRecord_; }

private:
    HeadsetSystemRecord systemRecord_{};
};

}  // namespace talven
