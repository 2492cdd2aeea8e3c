#include "device/headset/headset_session.h"

#include <algorithm>

namespace talven::headset {

namespace {

// Mutes and the voice changer can only be toggled: toggled when they differ.
void matchSwitch(int current, int wanted, bool (HeadsetAudio::*toggle)(), HeadsetAudio& audio) {
    if ((current != 0) != (wanted != 0)) (audio.*toggle)();
}

}  // namespace

std::unique_ptr<HeadsetAudioSession> openHeadsetAudio(const std::string& libraryPath, std::string* error,
                                                      const PortWrapper& wrap) {
    auto session = std::make_unique<HeadsetAudioSession>();
    if (!session->library.load(libraryPath)) {
        *error = session->library.error();
        return nullptr;
    }
    const AudioStart start = startAudioLibrary(session->library);
    if (!start.ready()) {
        *error = start.error;
        return nullptr;
    }
    session->warning = start.error;
    session->port = std::make_unique<LibraryAudioPort>(session->library, *start.output, *start.input);
    if (wrap) session->port = wrap(std::move(session->port));
    session->audio = std::make_unique<HeadsetAudio>(*session->port, start.inputFeatures.mask);
    // A property the library cannot read is given its default first, so
    // every value read afterwards is defined.
    session->audio->writeDefaults();
    session->audio->readAll();
    return session;
}

std::vector<CustomCurve> readCurves(CHs6533Profiledata& profile) {
    std::vector<CustomCurve> curves;
    const auto names = profile.ReadCustomEqNames();
    for (size_t i = 0; i < names.size() && i < kMaxCustomCurves; ++i) {
        CustomCurve curve{names[i], {}};
        const auto values = profile.ReadCustomEqValues(static_cast<int>(i));
        std::copy_n(values.begin(), std::min(values.size(), curve.bands.size()), curve.bands.begin());
        curves.push_back(curve);
    }
    return curves;
}

void writeAudioState(CHs6533Profiledata& profile, const HeadsetSystemRecord& values,
                     const std::vector<CustomCurve>& curves) {
    profile.WriteSystemSetStages(values);
    std::vector<std::string> names;
    for (size_t i = 0; i < curves.size(); ++i) {
        names.push_back(curves[i].name);
        profile.WriteCustomEqValues(static_cast<int>(i), {curves[i].bands.begin(), curves[i].bands.end()});
    }
    profile.WriteCustomEqNames(names);
}

void applyAudioValues(HeadsetAudio& audio, const HeadsetSystemRecord& wanted, std::vector<CustomCurve> curves) {
    const HeadsetSystemRecord current = audio.values();
    EqualiserState eq = audio.equaliser();
    eq.curves = std::move(curves);
    HeadsetSystemRecord stored = current;
    stored[audio_value::CustomCurve] = wanted[audio_value::CustomCurve];
    audio.setStored(stored, eq);
    audio.selectEqualiser(wanted[audio_value::EqMode]);
    audio.setInputLevel(wanted[audio_value::InputLevel]);
    matchSwitch(current[audio_value::InputOn], wanted[audio_value::InputOn], &HeadsetAudio::toggleInputMute, audio);
    if (audio.hasMonitoring()) {
        audio.setMonitorLevel(wanted[audio_value::MonitorLevel]);
        matchSwitch(current[audio_value::MonitorOn], wanted[audio_value::MonitorOn], &HeadsetAudio::toggleMonitorMute, audio);
    }
    if (audio.hasVoiceChanger()) {
        matchSwitch(current[audio_value::VoiceChangerOn], wanted[audio_value::VoiceChangerOn], &HeadsetAudio::toggleVoiceChanger, audio);
        audio.selectVoiceType(wanted[audio_value::VoiceType]);
    }
}

}  // namespace talven::headset
