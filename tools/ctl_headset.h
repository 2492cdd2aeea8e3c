#pragma once
// talvenctl's headset commands: the selected profile's lighting and audio
// values applied, an equaliser preset, the microphone's input level. The
// audio goes through the headset's audio library (SDK/ below the resource
// folder), whose calls --trace prints like reports.

#include "device/headset/headset_session.h"

#include <memory>
#include <string>
#include <vector>

namespace talven::ctl {

struct HeadsetRequest {
    std::string device;             // --device; empty = the first headset found
    bool trace = false;             // --trace
    std::vector<std::string> args;  // after "headset"
};

// Runs "headset apply [--data-dir DIR]", "headset eq PRESET" or
// "headset mic LEVEL"; the exit status.
int runHeadsetCommand(const HeadsetRequest& request);

// The audio library started on the headset, its state read (--trace prints
// the library's calls). Null with `error` set when the library or the
// headset's audio devices are missing.
std::unique_ptr<headset::HeadsetAudioSession> openHeadsetAudio(bool trace, std::string* error);

}  // namespace talven::ctl
