#include "tools/ctl_headset.h"

#include <cstdio>

namespace talven::ctl {

namespace {

using headset::AudioSide;
using namespace headset::audio_value;

std::string narrow(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return out;
}

const char* sideName(AudioSide side) { return side == AudioSide::Output ? "output" : "input"; }

std::string channelText(std::optional<std::int32_t> channel) {
    return channel ? " channel " + std::to_string(*channel) : std::string();
}

// Prints every library call: '>' a write with its value, '<' a read with
// the library's answer, "failed" when the call did not succeed.
class TracingPort : public headset::AudioPort {
public:
    explicit TracingPort(std::unique_ptr<AudioPort> inner) : inner_(std::move(inner)) {}

    std::optional<std::wstring> read(AudioSide side, std::wstring_view name,
                                     const std::vector<std::int32_t>& extra) override {
        auto value = inner_->read(side, name, extra);
        std::string extras;
        for (auto e : extra) extras += " " + std::to_string(e);
        std::printf("< %s %s%s%s = %s\n", sideName(side), narrow(name).c_str(), extra.empty() ? "" : " extra",
                    extras.c_str(), value ? narrow(*value).c_str() : "failed");
        return value;
    }
    bool writeInt(AudioSide side, std::wstring_view name, std::int32_t value,
                  std::optional<std::int32_t> channel) override {
        const bool ok = inner_->writeInt(side, name, value, channel);
        std::printf("> %s %s = %d%s%s\n", sideName(side), narrow(name).c_str(), value, channelText(channel).c_str(),
                    ok ? "" : " failed");
        return ok;
    }
    bool writeFloat(AudioSide side, std::wstring_view name, float value,
                    std::optional<std::int32_t> channel) override {
        const bool ok = inner_->writeFloat(side, name, value, channel);
        std::printf("> %s %s = %.2f%s%s\n", sideName(side), narrow(name).c_str(), static_cast<double>(value),
                    channelText(channel).c_str(), ok ? "" : " failed");
        return ok;
    }

private:
    std::unique_ptr<AudioPort> inner_;
};

// Mutes and the voice changer can only be toggled: toggled when they differ.
void matchSwitch(int current, int wanted, bool (headset::HeadsetAudio::*toggle)(), headset::HeadsetAudio& audio) {
    if ((current != 0) != (wanted != 0)) (audio.*toggle)();
}

}  // namespace

std::unique_ptr<HeadsetAudioSession> openHeadsetAudio(bool trace, std::string* error) {
    auto session = std::make_unique<HeadsetAudioSession>();
    if (!session->library.load(headset::AudioLibrary::defaultPath())) {
        *error = session->library.error();
        return nullptr;
    }
    const headset::AudioStart start = headset::startAudioLibrary(session->library);
    if (!start.ready()) {
        *error = start.error;
        return nullptr;
    }
    if (!start.error.empty()) std::fprintf(stderr, "talvenctl: %s\n", start.error.c_str());
    session->port = std::make_unique<headset::LibraryAudioPort>(session->library, *start.output, *start.input);
    if (trace) session->port = std::make_unique<TracingPort>(std::move(session->port));
    session->audio = std::make_unique<headset::HeadsetAudio>(*session->port, start.inputFeatures.mask);
    // As the program starts the headset: a property the library cannot read
    // is given its default first, so every value read afterwards is defined.
    session->audio->writeDefaults();
    session->audio->readAll();
    return session;
}

void applyAudioValues(headset::HeadsetAudio& audio, const HeadsetSystemRecord& wanted,
                      std::vector<headset::CustomCurve> curves) {
    const HeadsetSystemRecord current = audio.values();
    headset::EqualiserState eq = audio.equaliser();
    eq.curves = std::move(curves);
    HeadsetSystemRecord stored = current;
    stored[CustomCurve] = wanted[CustomCurve];
    audio.setStored(stored, eq);
    audio.selectEqualiser(wanted[EqMode]);
    audio.setInputLevel(wanted[InputLevel]);
    matchSwitch(current[InputOn], wanted[InputOn], &headset::HeadsetAudio::toggleInputMute, audio);
    if (audio.hasMonitoring()) {
        audio.setMonitorLevel(wanted[MonitorLevel]);
        matchSwitch(current[MonitorOn], wanted[MonitorOn], &headset::HeadsetAudio::toggleMonitorMute, audio);
    }
    if (audio.hasVoiceChanger()) {
        matchSwitch(current[VoiceChangerOn], wanted[VoiceChangerOn], &headset::HeadsetAudio::toggleVoiceChanger, audio);
        audio.selectVoiceType(wanted[VoiceType]);
    }
}

}  // namespace talven::ctl
