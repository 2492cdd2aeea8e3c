#pragma once
// Which of a USB headset's mixer elements carry the microphone's level and
// its monitoring. Pure, so it can be checked against the control lists real
// headsets show.

#include <optional>
#include <string>
#include <vector>

namespace osconf {

// One simple mixer element as ALSA groups the card's controls ("Mic" for
// "Mic Capture Volume", "Mic Playback Volume", ...).
struct MixerElementInfo {
    std::string name;
    unsigned index = 0;
    bool captureVolume = false;
    bool captureSwitch = false;
    bool playbackVolume = false;
    bool playbackSwitch = false;
};

struct ElementChoice {
    std::optional<std::size_t> input;    // capture volume of the microphone
    std::optional<std::size_t> monitor;  // the microphone played back into the ear
};

// Input: the capture-volume element named "Mic", else one whose name holds
// "Mic" or "Headset", else "Capture", else the first with a capture volume.
// Monitor: a playback-volume element named like "Sidetone", else one whose
// name holds "Mic" (the card's playback of its microphone); never the
// speaker's own level, so a card without either has no monitoring.
ElementChoice chooseElements(const std::vector<MixerElementInfo>& elements);

}  // namespace osconf
