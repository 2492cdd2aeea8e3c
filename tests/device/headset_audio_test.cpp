// The headset's audio side and equaliser: the calls it makes to the audio
// library, watched through a recording port, against the values and order
// the headset's panels depend on.

#include "device/headset/headset_audio.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace talven::headset {
namespace {

std::string narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

// Answers reads from a table and records every call as one line:
// "R I name extra..", "W O name value [channel]", "F I name value channel".
class RecordingPort : public AudioPort {
public:
    std::map<std::string, std::wstring> answers;  // "I name" / "O name"
    std::set<std::string> failingWrites;
    std::vector<std::string> calls;

    std::optional<std::wstring> read(AudioSide side, std::wstring_view name,
                                     const std::vector<std::int32_t>& extra) override {
        std::string line = "R " + key(side, name);
        for (auto e : extra) line += " " + std::to_string(e);
        calls.push_back(line);
        auto it = answers.find(key(side, name));
        if (it == answers.end()) return std::nullopt;
        return it->second;
    }
    bool writeInt(AudioSide side, std::wstring_view name, std::int32_t value,
                  std::optional<std::int32_t> channel) override {
        return record("W", side, name, std::to_string(value), channel);
    }
    bool writeFloat(AudioSide side, std::wstring_view name, float value,
                    std::optional<std::int32_t> channel) override {
        // The exact float the library gets, bit for bit.
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        return record("F", side, name, text, channel);
    }
    std::vector<std::string> writes() const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c[0] != 'R') out.push_back(c);
        return out;
    }

private:
    static std::string key(AudioSide side, std::wstring_view name) {
        return std::string(side == AudioSide::Output ? "O " : "I ") + narrow(name);
    }
    bool record(const char* kind, AudioSide side, std::wstring_view name, const std::string& value,
                std::optional<std::int32_t> channel) {
        std::string line = std::string(kind) + " " + key(side, name) + " " + value;
        if (channel) line += " " + std::to_string(*channel);
        calls.push_back(line);
        return failingWrites.count(key(side, name)) == 0;
    }
};

std::string f32(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::vector<std::string> bandWrites(const std::vector<int>& values) {
    std::vector<std::string> out = {"W O Enable_EQ_GFX 1"};
    for (size_t i = 0; i < values.size(); ++i)
        out.push_back("W O EQ_Slider" + std::to_string(i + 1) + " " + std::to_string(values[i]));
    return out;
}

// ---- equaliser presets and bands -----------------------------------------------------------

TEST(HeadsetEqualiser, PresetFiveWritesTenZerosWithTheEqualiserOn) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    ASSERT_TRUE(audio.selectEqualiser(5));
    EXPECT_EQ(port.writes(), bandWrites({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(audio.values()[audio_value::EqMode], 5);
}

TEST(HeadsetEqualiser, HeardOnlyWhenTheLibrarySaysOne) {
    const std::pair<std::optional<std::wstring>, bool> cases[] = {
        {L"1", true}, {L"0", false}, {L"", false}, {L"1.0", false}, {std::nullopt, false}};
    for (const auto& [answer, heard] : cases) {
        RecordingPort port;
        if (answer) port.answers["O EQ_Playback"] = *answer;
        HeadsetAudio audio(port, 0);
        EXPECT_EQ(audio.equaliserHeard(), heard) << (answer ? narrow(*answer) : "no answer");
        EXPECT_EQ(port.calls, std::vector<std::string>{"R O EQ_Playback"});
    }
}

TEST(HeadsetEqualiser, PresetTableRows) {
    struct Case {
        int preset;
        Bands bands;
    };
    const Case cases[] = {
        {1, {7, 11, 2, -3, -1, 4, 9, 12, 9, 5}},
        {2, {7, 11, 6, -3, -11, -1, 6, 13, 6, 13}},
        {6, {7, 14, -13, -6, -1, 8, 13, 7, 2, 6}},
        {12, {2, 1, -2, -4, -8, 4, 12, 16, 18, 15}},
    };
    for (const Case& c : cases) EXPECT_EQ(presetBands(c.preset), c.bands) << c.preset;
    for (int none : {0, 13, -1}) EXPECT_FALSE(presetBands(none)) << none;
}

TEST(HeadsetEqualiser, ZeroAndUnknownModesWriteNothing) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    EXPECT_FALSE(audio.selectEqualiser(0));
    EXPECT_FALSE(audio.selectEqualiser(14));
    EXPECT_TRUE(port.calls.empty());
}

TEST(HeadsetEqualiser, MovingOneBandUnderAPresetTurnsCustomAndKeepsTheOtherNine) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    ASSERT_TRUE(audio.selectEqualiser(3));
    port.calls.clear();
    ASSERT_TRUE(audio.setBand(3, 6));
    EXPECT_EQ(audio.values()[audio_value::EqMode], 13);
    EXPECT_EQ(audio.equaliser().selectedCurve, kNoCurve);
    EXPECT_EQ(audio.equaliser().bands, (Bands{10, 4, 0, 6, -4, -3, -2, -1, 0, 0}));
    EXPECT_EQ(port.writes(), std::vector<std::string>{"W O EQ_Slider4 6"});
    EXPECT_FALSE(audio.setBand(10, 1));
}

TEST(HeadsetEqualiser, CustomModePlaysTheSelectedCurve) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    EqualiserState eq;
    eq.curves = {{"Bass", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}};
    HeadsetSystemRecord stored{};
    stored[audio_value::EqMode] = 2;
    stored[audio_value::CustomCurve] = 0;
    audio.setStored(stored, eq);
    ASSERT_TRUE(audio.selectEqualiser(13));
    EXPECT_EQ(port.writes(), bandWrites({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(audio.values()[audio_value::EqMode], 13);
}

// ---- custom curves -------------------------------------------------------------------------

TEST(HeadsetCurves, SaveRules) {
    EqualiserState eq;
    eq.bands = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(saveCurve(eq, ""), kCurveRefused) << "nothing selected to overwrite";
    for (int i = 0; i < 20; ++i) ASSERT_EQ(saveCurve(eq, "curve" + std::to_string(i)), kCurveStored) << i;
    EXPECT_EQ(eq.selectedCurve, 19);
    EXPECT_EQ(saveCurve(eq, "one more"), -1) << "a 21st curve";
    EXPECT_EQ(eq.curves.size(), 20u);

    EqualiserState small;
    ASSERT_EQ(saveCurve(small, "Rock"), 1);
    EXPECT_EQ(saveCurve(small, "rOCK"), 0) << "names ignore case";
    EXPECT_EQ(small.curves.size(), 1u);
    small.bands[0] = 9;
    EXPECT_EQ(saveCurve(small, ""), 1);
    EXPECT_EQ(small.curves[0].bands[0], 9) << "an empty name overwrites the selected curve";
}

TEST(HeadsetCurves, NamesFoldOnlyAsciiLetters) {
    EXPECT_TRUE(sameCurveName("Night Mode", "NIGHT mode"));
    EXPECT_FALSE(sameCurveName("Night", "Nigh"));
    EXPECT_FALSE(sameCurveName("\xC3\x84", "\xC3\xA4"));  // Ä and ä stay two names
}

TEST(HeadsetCurves, DeletingSelectsTheFirstOrFallsBackToPresetOne) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    EqualiserState eq;
    eq.curves = {{"A", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}}, {"B", {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}}};
    HeadsetSystemRecord stored{};
    stored[audio_value::EqMode] = 13;
    stored[audio_value::CustomCurve] = 1;
    audio.setStored(stored, eq);
    const Bands presetOne = {5, 4, 3, 2, 1, 0, -1, -2, -3, -4};

    ASSERT_TRUE(audio.deleteCurve(presetOne));
    EXPECT_EQ(audio.equaliser().curves.size(), 1u);
    EXPECT_EQ(audio.values()[audio_value::CustomCurve], 0);
    EXPECT_EQ(port.writes(), bandWrites({1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));

    port.calls.clear();
    ASSERT_TRUE(audio.deleteCurve(presetOne));
    EXPECT_EQ(audio.values()[audio_value::EqMode], 1);
    EXPECT_EQ(audio.values()[audio_value::CustomCurve], kNoCurve);
    EXPECT_EQ(audio.equaliser().bands, presetOne);
    EXPECT_EQ(port.writes(), bandWrites({5, 4, 3, 2, 1, 0, -1, -2, -3, -4}));

    port.calls.clear();
    EXPECT_FALSE(audio.deleteCurve(presetOne)) << "nothing selected";
    EXPECT_TRUE(port.calls.empty());
}

// ---- levels, mutes, voice changer ----------------------------------------------------------

TEST(HeadsetLevels, InputThirtySevenSendsPointThreeSeven) {
    RecordingPort port;
    port.answers["I VolumeControl"] = L"-12.5";
    HeadsetAudio audio(port, 0);
    ASSERT_TRUE(audio.setInputLevel(37));
    EXPECT_EQ(port.calls, (std::vector<std::string>{"F I VolumeScalarControl " + f32(0.37f) + " -1",
                                                    "R I VolumeControl -1"}));
    EXPECT_EQ(audio.values()[audio_value::InputLevel], 37);
    EXPECT_EQ(volumeText(audio.inputLevels()), "-12.50");
}

TEST(HeadsetLevels, MonitoringUsesChannelZero) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    ASSERT_TRUE(audio.setMonitorLevel(80));
    EXPECT_EQ(port.calls.front(), "F I AAVolumeScalarControl " + f32(0.8f) + " 0");
    EXPECT_EQ(audio.values()[audio_value::MonitorLevel], 80);
}

TEST(HeadsetLevels, RefusedOrFailedLevelsKeepTheStoredPercent) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    ASSERT_TRUE(audio.setInputLevel(50));
    for (int bad : {-1, 101}) EXPECT_FALSE(audio.setInputLevel(bad)) << bad;
    port.failingWrites.insert("I VolumeScalarControl");
    EXPECT_FALSE(audio.setInputLevel(20));
    EXPECT_EQ(audio.values()[audio_value::InputLevel], 50);
}

TEST(HeadsetLevels, MuteTogglesAndAFailedWriteKeepsTheState) {
    RecordingPort port;
    HeadsetAudio audio(port, 0);
    HeadsetSystemRecord stored{};
    stored[audio_value::InputOn] = 1;
    audio.setStored(stored, {});
    ASSERT_TRUE(audio.toggleInputMute());
    EXPECT_EQ(audio.values()[audio_value::InputOn], 0);
    ASSERT_TRUE(audio.toggleInputMute());
    EXPECT_EQ(audio.values()[audio_value::InputOn], 1);
    EXPECT_EQ(port.writes(), (std::vector<std::string>{"W I MuteControl 1", "W I MuteControl 0"}));
    port.failingWrites.insert("I AAMuteControl");
    EXPECT_FALSE(audio.toggleMonitorMute());
    EXPECT_EQ(audio.values()[audio_value::MonitorOn], 0);
}

TEST(HeadsetVoice, TurningOnAlsoSwitchesEchoOffAndTypesAreZeroBased) {
    RecordingPort port;
    HeadsetAudio audio(port, kVoiceChangerFeature);
    ASSERT_TRUE(audio.toggleVoiceChanger());
    ASSERT_TRUE(audio.toggleVoiceChanger());
    EXPECT_TRUE(audio.selectVoiceType(4));
    EXPECT_FALSE(audio.selectVoiceType(0));
    EXPECT_EQ(port.writes(), (std::vector<std::string>{"W I Enable_MAGICVOICE 1", "W I Enable_MICECHO 0",
                                                       "W I Enable_MAGICVOICE 0", "W I MagicVoice_Selection 3"}));
    EXPECT_EQ(audio.values()[audio_value::VoiceType], 4);
}

// ---- start-up ------------------------------------------------------------------------------

TEST(HeadsetStartup, DefaultsAreWrittenOnlyWhereTheReadFailed) {
    RecordingPort port;
    port.answers["O Enable_EQ_GFX"] = L"1";
    port.answers["I MuteControl"] = L"0";
    HeadsetAudio audio(port, 0);
    audio.writeDefaults();
    std::vector<std::string> expected = {"W O VirtualSurroundEffectControl 0", "W I Enable_ENC_LFX 0",
                                         "W I VolumeControl 0 -1"};
    for (int band = 1; band <= 10; ++band) expected.push_back("W O EQ_Slider" + std::to_string(band) + " 0");
    for (const char* rest : {"W O Enable_RFX_GFX 0", "W O RFX_ENVIRONMENT 0", "W O RFX_ROOMSIZE 0",
                             "F I VolumeScalarControl 0 -1", "W I AAVolumeControl 0 0", "W I AAMuteControl 0",
                             "F I AAVolumeScalarControl 0 0", "W I Enable_MAGICVOICE 0",
                             "W I MagicVoice_Selection 0"})
        expected.push_back(rest);
    EXPECT_EQ(port.writes(), expected);
    EXPECT_EQ(port.calls.front(), "R O VirtualSurroundEffectControl 4 -1 0");
}

RecordingPort headsetAnswers() {
    RecordingPort port;
    port.answers = {{"I GetMaxVol", L"12.0"},          {"I GetMinVol", L"-12.0"},  {"I GetVolStep", L"0.5"},
                    {"I VolumeControl", L"3.25"},      {"I MuteControl", L"1"},    {"I VolumeScalarControl", L"0.62"},
                    {"I GetAAMaxVol", L"6"},           {"I GetAAMinVol", L"-30"},  {"I GetAAVolStep", L"1"},
                    {"I AAVolumeControl", L"-4"},      {"I AAMuteControl", L"0"},  {"I AAVolumeScalarControl", L"0.3"},
                    {"I Enable_MAGICVOICE", L"1"},     {"I MagicVoice_Selection", L"2"}};
    for (int band = 1; band <= 10; ++band) port.answers["O EQ_Slider" + std::to_string(band)] = std::to_wstring(band - 5);
    return port;
}

TEST(HeadsetStartup, ReadAllInOrder) {
    RecordingPort port = headsetAnswers();
    HeadsetAudio audio(port, kVoiceChangerFeature);
    audio.readAll();
    std::vector<std::string> expected = {"R I GetMaxVol", "R I GetMinVol", "R I GetVolStep", "R I VolumeControl -1",
                                         "R I MuteControl", "R I VolumeScalarControl -1", "R I GetAAMaxVol",
                                         "R I GetAAMinVol", "R I GetAAVolStep", "R I AAVolumeControl 0",
                                         "R I AAMuteControl", "R I AAVolumeScalarControl 0"};
    for (int band = 1; band <= 10; ++band) expected.push_back("R O EQ_Slider" + std::to_string(band));
    expected.push_back("R I Enable_MAGICVOICE");
    expected.push_back("R I MagicVoice_Selection");
    EXPECT_EQ(port.calls, expected);
    const HeadsetSystemRecord v = audio.values();
    EXPECT_EQ(v[audio_value::InputOn], 0);
    EXPECT_EQ(v[audio_value::InputLevel], 62);
    EXPECT_EQ(v[audio_value::MonitorOn], 1);
    EXPECT_EQ(v[audio_value::MonitorLevel], 30);
    EXPECT_EQ(v[audio_value::VoiceChangerOn], 1);
    EXPECT_EQ(v[audio_value::VoiceType], 3);
    EXPECT_EQ(audio.equaliser().bands, (Bands{-4, -3, -2, -1, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(volumeText(audio.inputLevels()), "3.25");
}

TEST(HeadsetStartup, WithoutTheVoiceChangerBitTheStoredStateStays) {
    for (std::uint32_t mask : {0u, 0x1FFFFu}) {
        RecordingPort port = headsetAnswers();
        HeadsetAudio audio(port, mask);
        audio.setStored({}, {});
        audio.readAll();
        EXPECT_EQ(audio.values()[audio_value::VoiceChangerOn], 0) << mask;
        for (const auto& call : port.calls) EXPECT_NE(call, "R I Enable_MAGICVOICE") << mask;
    }
}

TEST(HeadsetStartup, NoMonitoringSkipsItsReadsButNotTheBands) {
    RecordingPort port = headsetAnswers();
    port.answers.erase("I GetAAMaxVol");
    HeadsetAudio audio(port, 0);
    HeadsetSystemRecord stored{};
    stored[audio_value::MonitorLevel] = 44;
    audio.setStored(stored, {});
    audio.readAll();
    EXPECT_FALSE(audio.hasMonitoring());
    EXPECT_EQ(audio.values()[audio_value::MonitorLevel], 44);
    for (const auto& call : port.calls) EXPECT_EQ(call.find("AAVolume"), std::string::npos) << call;
    EXPECT_EQ(audio.equaliser().bands[9], 5);
}

TEST(HeadsetStartup, NumbersFromLibraryText) {
    EXPECT_EQ(parseAudioNumber(L"42"), 42.0);
    EXPECT_EQ(parseAudioNumber(L"-0.25"), -0.25);
    for (const wchar_t* bad : {L"", L"x", L"1.5dB", L"nan"}) EXPECT_FALSE(parseAudioNumber(bad)) << narrow(bad);
}

}  // namespace
}  // namespace talven::headset
