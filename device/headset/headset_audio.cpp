#include "device/headset/headset_audio.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

namespace talven::headset {

namespace {

// Level properties carry their channel: every channel of the microphone,
// channel 0 of the monitoring path.
constexpr std::int32_t kInputChannel = -1;
constexpr std::int32_t kMonitorChannel = 0;
constexpr int kMaxPercent = 100;

struct LevelNames {
    const wchar_t* max;
    const wchar_t* min;
    const wchar_t* step;
    const wchar_t* volume;
    const wchar_t* mute;
    const wchar_t* scalar;
    std::int32_t channel;
    size_t onValue;
    size_t levelValue;
};
constexpr LevelNames kInputLevel = {L"GetMaxVol",  L"GetMinVol",           L"GetVolStep",
                                    L"VolumeControl", L"MuteControl",      L"VolumeScalarControl",
                                    kInputChannel, audio_value::InputOn,  audio_value::InputLevel};
constexpr LevelNames kMonitorLevel = {L"GetAAMaxVol",     L"GetAAMinVol",   L"GetAAVolStep",
                                      L"AAVolumeControl", L"AAMuteControl", L"AAVolumeScalarControl",
                                      kMonitorChannel,    audio_value::MonitorOn, audio_value::MonitorLevel};
const LevelNames& levelNames(bool monitor) { return monitor ? kMonitorLevel : kInputLevel; }

std::wstring bandName(size_t band) { return L"EQ_Slider" + std::to_wstring(band + 1); }

// The start-up defaults: read, and written as 0 when the read fails. The
// surround switch is read with its extra record (4, −1, 0).
struct DefaultEntry {
    AudioSide side;
    std::wstring name;
    std::vector<std::int32_t> extra;
    bool scalar;  // a 32-bit float rather than an integer
};
std::vector<DefaultEntry> defaultEntries() {
    using enum AudioSide;
    std::vector<DefaultEntry> list = {
        {Output, L"VirtualSurroundEffectControl", {4, -1, 0}, false},
        {Input, L"Enable_ENC_LFX", {}, false},
        {Input, L"VolumeControl", {kInputChannel}, false},
        {Output, L"Enable_EQ_GFX", {}, false},
    };
    for (size_t band = 0; band < kEqBandCount; ++band) list.push_back({Output, bandName(band), {}, false});
    const DefaultEntry rest[] = {
        {Output, L"Enable_RFX_GFX", {}, false},
        {Output, L"RFX_ENVIRONMENT", {}, false},
        {Output, L"RFX_ROOMSIZE", {}, false},
        {Input, L"MuteControl", {}, false},
        {Input, L"VolumeScalarControl", {kInputChannel}, true},
        {Input, L"AAVolumeControl", {kMonitorChannel}, false},
        {Input, L"AAMuteControl", {}, false},
        {Input, L"AAVolumeScalarControl", {kMonitorChannel}, true},
        {Input, L"Enable_MAGICVOICE", {}, false},
        {Input, L"MagicVoice_Selection", {}, false},
    };
    list.insert(list.end(), std::begin(rest), std::end(rest));
    return list;
}

std::optional<std::int32_t> channelOf(const std::vector<std::int32_t>& extra) {
    if (extra.size() == 1) return extra[0];
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> LibraryAudioPort::read(AudioSide side, std::wstring_view name,
                                                   const std::vector<std::int32_t>& extra) {
    return library_.read(record(side), name, extra);
}

bool LibraryAudioPort::writeInt(AudioSide side, std::wstring_view name, std::int32_t value,
                                std::optional<std::int32_t> channel) {
    return library_.writeInt(record(side), name, value, channel);
}

bool LibraryAudioPort::writeFloat(AudioSide side, std::wstring_view name, float value,
                                  std::optional<std::int32_t> channel) {
    return library_.writeFloat(record(side), name, value, channel);
}

AudioStart startAudioLibrary(AudioLibrary& library) {
    AudioStart start;
    if (!library.loaded()) {
        start.error = library.error().empty() ? "the audio library is not loaded" : library.error();
        return start;
    }
    if (library.confLibInit() != 0) {
        start.error = "ConfLibInit called failed!";
        return start;
    }
    library.createDeviceList();
    const auto outputs = library.devices(AudioDirection::Output);
    const auto inputs = library.devices(AudioDirection::Input);
    const auto out = chooseOutputDevice(outputs);
    const auto in = chooseInputDevice(inputs);
    if (!out || !in) {
        start.error = outputs.empty() ? "no headset audio device" : "the headset has no usable output and input device";
        return start;
    }
    start.output = outputs[*out];
    start.input = inputs[*in];
    const auto outFeatures = library.read(*start.output, L"GetSupportFeature");
    const auto inFeatures = library.read(*start.input, L"GetSupportFeature");
    const auto parsedOut = outFeatures ? parseSupportFeature(*outFeatures) : std::nullopt;
    const auto parsedIn = inFeatures ? parseSupportFeature(*inFeatures) : std::nullopt;
    if (!parsedOut || !parsedIn) start.error = "UpdateAPOAvailable failed!";
    start.outputFeatures = parsedOut.value_or(AudioFeatures{});
    start.inputFeatures = parsedIn.value_or(AudioFeatures{});
    return start;
}

std::optional<double> parseAudioNumber(std::wstring_view text) {
    std::wstring owned(text);
    if (owned.empty()) return std::nullopt;
    wchar_t* end = nullptr;
    const double value = std::wcstod(owned.c_str(), &end);
    if (end == owned.c_str() || *end != L'\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string volumeText(const LevelReadings& level) {
    if (!level.volume) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *level.volume);
    return text;
}

void HeadsetAudio::setStored(const HeadsetSystemRecord& values, const EqualiserState& eq) {
    values_ = values;
    eq_ = eq;
    eq_.mode = values[audio_value::EqMode];
    eq_.selectedCurve = values[audio_value::CustomCurve];
}

HeadsetSystemRecord HeadsetAudio::values() const {
    HeadsetSystemRecord out = values_;
    out[audio_value::EqMode] = eq_.mode;
    out[audio_value::CustomCurve] = eq_.selectedCurve;
    return out;
}

void HeadsetAudio::writeDefaults() {
    for (const DefaultEntry& entry : defaultEntries()) {
        if (port_.read(entry.side, entry.name, entry.extra)) continue;
        // The surround switch is written without its read record: the record
        // selects what is read, the value alone is what is set.
        const auto channel = channelOf(entry.extra);
        if (entry.scalar)
            port_.writeFloat(entry.side, entry.name, 0.0f, channel);
        else
            port_.writeInt(entry.side, entry.name, 0, channel);
    }
}

void HeadsetAudio::readLevel(bool monitor) {
    const LevelNames& n = levelNames(monitor);
    LevelReadings& level = monitor ? monitor_ : input_;
    const std::vector<std::int32_t> channel = {n.channel};
    auto number = [&](const wchar_t* name, const std::vector<std::int32_t>& extra) -> std::optional<double> {
        const auto text = port_.read(AudioSide::Input, name, extra);
        return text ? parseAudioNumber(*text) : std::nullopt;
    };
    level.max = number(n.max, {});
    if (monitor && !level.max) return;
    level.min = number(n.min, {});
    level.step = number(n.step, {});
    level.volume = number(n.volume, channel);
    if (const auto muted = number(n.mute, {})) values_[n.onValue] = *muted != 0 ? 0 : 1;
    if (const auto scalar = number(n.scalar, channel); scalar && *scalar >= 0 && *scalar <= 1)
        values_[n.levelValue] = static_cast<std::int32_t>(std::lround(*scalar * kMaxPercent));
}

void HeadsetAudio::readAll() {
    readLevel(false);
    readLevel(true);
    hasMonitoring_ = monitor_.max.has_value();
    // The bands are read whether or not the headset has monitoring: the
    // curve it plays does not depend on that path.
    for (size_t band = 0; band < eq_.bands.size(); ++band) {
        const auto text = port_.read(AudioSide::Output, bandName(band), {});
        if (const auto value = text ? parseAudioNumber(*text) : std::nullopt)
            eq_.bands[band] = static_cast<int>(std::lround(*value));
    }
    if ((inputFeatures_ & kVoiceChangerFeature) != 0) {
        const auto on = port_.read(AudioSide::Input, L"Enable_MAGICVOICE", {});
        if (const auto value = on ? parseAudioNumber(*on) : std::nullopt)
            values_[audio_value::VoiceChangerOn] = *value != 0 ? 1 : 0;
    }
    const auto type = port_.read(AudioSide::Input, L"MagicVoice_Selection", {});
    if (const auto value = type ? parseAudioNumber(*type) : std::nullopt; value && *value >= 0 && *value <= 3)
        values_[audio_value::VoiceType] = static_cast<std::int32_t>(*value) + 1;
}

bool HeadsetAudio::setLevel(bool monitor, int percent) {
    if (percent < 0 || percent > kMaxPercent) return false;
    const LevelNames& n = levelNames(monitor);
    const float scalar = static_cast<float>(percent) / kMaxPercent;
    if (!port_.writeFloat(AudioSide::Input, n.scalar, scalar, n.channel)) return false;
    LevelReadings& level = monitor ? monitor_ : input_;
    if (const auto text = port_.read(AudioSide::Input, n.volume, {n.channel})) level.volume = parseAudioNumber(*text);
    values_[n.levelValue] = percent;
    return true;
}

bool HeadsetAudio::setInputLevel(int percent) { return setLevel(false, percent); }
bool HeadsetAudio::setMonitorLevel(int percent) { return setLevel(true, percent); }

// A mute the library did not take stays as it was: the panel must not show
// a microphone as muted that is still live.
bool HeadsetAudio::toggleMute(bool monitor) {
    const LevelNames& n = levelNames(monitor);
    const bool nowMuted = values_[n.onValue] != 0;
    if (!port_.writeInt(AudioSide::Input, n.mute, nowMuted ? 1 : 0, std::nullopt)) return false;
    values_[n.onValue] = nowMuted ? 0 : 1;
    return true;
}

bool HeadsetAudio::toggleInputMute() { return toggleMute(false); }
bool HeadsetAudio::toggleMonitorMute() { return toggleMute(true); }

bool HeadsetAudio::toggleVoiceChanger() {
    const bool turnOn = values_[audio_value::VoiceChangerOn] == 0;
    if (!port_.writeInt(AudioSide::Input, L"Enable_MAGICVOICE", turnOn ? 1 : 0, std::nullopt)) return false;
    values_[audio_value::VoiceChangerOn] = turnOn ? 1 : 0;
    // The echo effect and the voice changer do not play together.
    if (turnOn) port_.writeInt(AudioSide::Input, L"Enable_MICECHO", 0, std::nullopt);
    return true;
}

bool HeadsetAudio::selectVoiceType(int type) {
    if (type < 1 || type > 4) return false;
    if (!port_.writeInt(AudioSide::Input, L"MagicVoice_Selection", type - 1, std::nullopt)) return false;
    values_[audio_value::VoiceType] = type;
    return true;
}

bool HeadsetAudio::equaliserHeard() {
    const auto text = port_.read(AudioSide::Output, L"EQ_Playback", {});
    return text && *text == L"1";
}

bool HeadsetAudio::writeBands() {
    bool all = port_.writeInt(AudioSide::Output, L"Enable_EQ_GFX", 1, std::nullopt);
    for (size_t band = 0; band < eq_.bands.size(); ++band)
        all = port_.writeInt(AudioSide::Output, bandName(band), eq_.bands[band], std::nullopt) && all;
    return all;
}

bool HeadsetAudio::selectEqualiser(int mode) {
    if (mode == kCustomEqType) {
        if (switchToCustom(eq_)) writeBands();
        return true;
    }
    if (!selectPreset(eq_, mode)) return false;
    return writeBands();
}

bool HeadsetAudio::setBand(int band, int value) {
    if (!moveBand(eq_, band, value)) return false;
    return port_.writeInt(AudioSide::Output, bandName(static_cast<size_t>(band)), value, std::nullopt);
}

int HeadsetAudio::saveCurve(std::string_view name) { return headset::saveCurve(eq_, name); }

// The curve that is selected after a delete is written too, so the headset
// plays what the panel shows rather than the deleted curve.
bool HeadsetAudio::deleteCurve(const Bands& presetOneBands) {
    if (!headset::deleteCurve(eq_, presetOneBands)) return false;
    writeBands();
    return true;
}

}  // namespace talven::headset
