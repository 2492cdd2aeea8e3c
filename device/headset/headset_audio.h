#pragma once
// The headset's audio side: microphone input and monitoring levels and
// mutes, the voice changer and the equaliser, kept as the eight audio values
// of the profile plus the equaliser state, and written through the audio
// library. Every call runs on the caller's thread (the UI thread).

#include "device/headset/audio_library.h"
#include "device/headset/headset_equaliser.h"
#include "profile/profile_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talven::headset {

enum class AudioSide { Output, Input };

// The library's property calls on the two chosen devices. An interface so
// the order of calls can be watched.
class AudioPort {
public:
    virtual ~AudioPort() = default;
    virtual std::optional<std::wstring> read(AudioSide side, std::wstring_view name,
                                             const std::vector<std::int32_t>& extra) = 0;
    virtual bool writeInt(AudioSide side, std::wstring_view name, std::int32_t value,
                          std::optional<std::int32_t> channel) = 0;
    virtual bool writeFloat(AudioSide side, std::wstring_view name, float value,
                            std::optional<std::int32_t> channel) = 0;
};

class LibraryAudioPort : public AudioPort {
public:
    LibraryAudioPort(AudioLibrary& library, AudioDeviceRecord output, AudioDeviceRecord input)
        : library_(library), output_(output), input_(input) {}
    std::optional<std::wstring> read(AudioSide side, std::wstring_view name,
                                     const std::vector<std::int32_t>& extra) override;
    bool writeInt(AudioSide side, std::wstring_view name, std::int32_t value,
                  std::optional<std::int32_t> channel) override;
    bool writeFloat(AudioSide side, std::wstring_view name, float value,
                    std::optional<std::int32_t> channel) override;

private:
    const AudioDeviceRecord& record(AudioSide side) const { return side == AudioSide::Output ? output_ : input_; }
    AudioLibrary& library_;
    AudioDeviceRecord output_;
    AudioDeviceRecord input_;
};

// The library started and its two devices chosen, or why not.
struct AudioStart {
    std::optional<AudioDeviceRecord> output;
    std::optional<AudioDeviceRecord> input;
    AudioFeatures outputFeatures;
    AudioFeatures inputFeatures;
    std::string error;  // one line for the page; empty when all went well
    bool ready() const { return output && input; }
};
// ConfLibInit, CreateDeviceList, the device choice and their features. A
// device whose features cannot be read is still used, with no features
// (so no voice changer), and the error says so.
AudioStart startAudioLibrary(AudioLibrary& library);

// Positions in the profile's eight audio values ("SystemSetStages").
namespace audio_value {
inline constexpr size_t VoiceChangerOn = 0;
inline constexpr size_t VoiceType = 1;     // 1..4
inline constexpr size_t EqMode = 2;
inline constexpr size_t CustomCurve = 3;
inline constexpr size_t InputOn = 4;       // 1 when not muted
inline constexpr size_t InputLevel = 5;    // percent
inline constexpr size_t MonitorOn = 6;
inline constexpr size_t MonitorLevel = 7;
}  // namespace audio_value

// What a level control reports about itself, as read at start-up.
struct LevelReadings {
    std::optional<double> max, min, step, volume;
};
// The volume as the panel shows it ("%.2f"); empty when unread.
std::string volumeText(const LevelReadings& level);

// A library answer as a number: integer or floating-point text.
std::optional<double> parseAudioNumber(std::wstring_view text);

class HeadsetAudio {
public:
    HeadsetAudio(AudioPort& port, std::uint32_t inputFeatureMask) : port_(port), inputFeatures_(inputFeatureMask) {}

    // The stored values (from the profile) the headset starts from.
    void setStored(const HeadsetSystemRecord& values, const EqualiserState& eq);
    // The eight values with the equaliser's mode and curve in their places.
    HeadsetSystemRecord values() const;
    const EqualiserState& equaliser() const { return eq_; }
    const LevelReadings& inputLevels() const { return input_; }
    const LevelReadings& monitorLevels() const { return monitor_; }
    bool hasMonitoring() const { return hasMonitoring_; }
    bool hasVoiceChanger() const { return (inputFeatures_ & kVoiceChangerFeature) != 0; }
    // Whether the library says the bands reach the headset's sound
    // ("EQ_Playback" is 1); a library that cannot say counts as no.
    bool equaliserHeard();

    // Each property read at start-up; a failed read is followed by a write
    // of its default.
    void writeDefaults();
    // Levels, mutes, bands and the voice changer from the library.
    void readAll();

    // Percent 0..100; false (nothing stored) when refused or the write failed.
    bool setInputLevel(int percent);
    bool setMonitorLevel(int percent);
    bool toggleInputMute();
    bool toggleMonitorMute();
    bool toggleVoiceChanger();
    // 1..4; 0 and others do nothing.
    bool selectVoiceType(int type);
    // 1..12 a preset, 13 custom, 0 and others nothing.
    bool selectEqualiser(int mode);
    bool setBand(int band, int value);
    int saveCurve(std::string_view name);
    bool deleteCurve(const Bands& presetOneBands);

private:
    bool writeBands();
    bool setLevel(bool monitor, int percent);
    bool toggleMute(bool monitor);
    void readLevel(bool monitor);

    AudioPort& port_;
    std::uint32_t inputFeatures_;
    HeadsetSystemRecord values_{};
    EqualiserState eq_;
    LevelReadings input_;
    LevelReadings monitor_;
    bool hasMonitoring_ = false;
};

}  // namespace talven::headset
