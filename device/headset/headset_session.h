#pragma once
// The headset's audio side as the program and talvenctl start it: the
// library loaded and started, its two devices chosen, the start-up defaults
// written and every value read; and the profile's audio values moved
// between the profile and the headset.

#include "device/headset/headset_audio.h"
#include "profile/profile_data_headset.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace talven::headset {

struct HeadsetAudioSession {
    AudioLibrary library;
    std::unique_ptr<AudioPort> port;
    std::unique_ptr<HeadsetAudio> audio;
    // Set when the session works without something (the devices' features).
    std::string warning;
};

// Lets a caller watch the library's calls by wrapping the port.
using PortWrapper = std::function<std::unique_ptr<AudioPort>(std::unique_ptr<AudioPort>)>;

// Null with `error` set (one line) when the library cannot be loaded or
// started, or the headset's audio devices are missing.
std::unique_ptr<HeadsetAudioSession> openHeadsetAudio(const std::string& libraryPath, std::string* error,
                                                      const PortWrapper& wrap = {});

// The profile's named curves (at most twenty) with their bands.
std::vector<CustomCurve> readCurves(CHs6533Profiledata& profile);
// The eight audio values and the named curves into the profile (in memory;
// the caller saves).
void writeAudioState(CHs6533Profiledata& profile, const HeadsetSystemRecord& values,
                     const std::vector<CustomCurve>& curves);

// The profile's audio values pushed to the headset: equaliser mode (with
// its custom curve), input and monitoring levels and mutes, voice changer.
void applyAudioValues(HeadsetAudio& audio, const HeadsetSystemRecord& wanted, std::vector<CustomCurve> curves);

}  // namespace talven::headset
