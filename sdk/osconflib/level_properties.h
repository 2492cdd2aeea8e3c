#pragma once
// The level properties of the input record: the microphone's level and mute
// ("VolumeControl", "VolumeScalarControl", "MuteControl", "GetMaxVol",
// "GetMinVol", "GetVolStep") and the same for monitoring with the "AA"
// prefix, answered from a LevelControl.
//
// Units: "…VolumeControl" and the "Get…Vol"/"Get…VolStep" answers are dB
// when the control states a dB scale, else the control's raw steps;
// "…VolumeScalarControl" is 0.0 .. 1.0 of the raw range, so 0.37 lands on
// the step nearest 37 % and reads back as that step's fraction.

#include "sdk/osconflib/level_control.h"
#include "sdk/osconflib/osconf_types.h"

#include <string>
#include <string_view>

namespace osconf {

enum class LevelTarget { Input, Monitor };

// Whether `name` is a level property, and of which control.
bool isLevelProperty(std::string_view name, LevelTarget& target);

// `channel` comes from the extra buffer: -1 for all channels (reads answer
// channel 0), else one channel; anything else is kBadValue.
Status readLevelProperty(const LevelControl* control, std::string_view name, int channel,
                         std::string& text);
// `buffer` holds the caller's 32-bit integer, or float for the scalar.
Status writeLevelProperty(LevelControl* control, std::string_view name, int channel,
                          const void* buffer);

}  // namespace osconf
