// The headset's audio library through dlopen, as the headset page uses it:
// loading, the device list and choice, and the features it reports.

#include "sdk/virtual_audio_fixture.h"

#include <gtest/gtest.h>

namespace talven::test {
namespace {

using headset::chooseInputDevice;
using headset::chooseOutputDevice;
using headset::parseSupportFeature;

AudioDeviceRecord record(std::int32_t kind, std::int32_t usable) { return {{0, kind, 0, usable}}; }

TEST(AudioLibraryLoad, MissingFileIsNamed) {
    AudioLibrary library;
    EXPECT_FALSE(library.load("/nonexistent/SDK/libosConfLib.so"));
    EXPECT_FALSE(library.loaded());
    EXPECT_NE(library.error().find("/nonexistent/SDK/libosConfLib.so"), std::string::npos) << library.error();
}

TEST(AudioLibraryLoad, MissingEntryPointIsNamed) {
    AudioLibrary library;
    EXPECT_FALSE(library.load("libm.so.6"));  // a real library without our entry points
    EXPECT_FALSE(library.loaded());
    EXPECT_EQ(library.error(), "libm.so.6: no entry point ConfLibInit");
    EXPECT_NE(library.confLibInit(), 0);
}

TEST(AudioLibraryLoad, DefaultPathIsTheSdkFolder) {
    ScopedEnv root("TALVEN_RESOURCE_DIR", "/opt/talven/");
    EXPECT_EQ(AudioLibrary::defaultPath(), "/opt/talven/SDK/libosConfLib.so");
}

TEST(AudioDeviceChoice, OutputByKindPreferenceAndUsable) {
    struct Case {
        const char* what;
        std::vector<AudioDeviceRecord> devices;
        std::optional<std::size_t> chosen;
    };
    const Case cases[] = {
        {"kind 1 wins over earlier kinds", {record(4, 1), record(7, 1), record(12, 1), record(1, 1)}, 3},
        {"then 12", {record(4, 1), record(7, 1), record(12, 1)}, 2},
        {"then 7", {record(4, 1), record(7, 1)}, 1},
        {"then 4", {record(3, 1), record(4, 1)}, 1},
        {"an unusable kind 1 is passed over", {record(1, 0), record(7, 1)}, 1},
        {"the first of two of a kind", {record(12, 1), record(12, 1)}, 0},
        {"nothing usable", {record(1, 0), record(2, 1)}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(chooseOutputDevice(c.devices), c.chosen);
    }
}

TEST(AudioDeviceChoice, InputIsFirstOfKindTwo) {
    EXPECT_EQ(chooseInputDevice({record(1, 1), record(2, 0), record(2, 1)}), 1u);
    EXPECT_EQ(chooseInputDevice({record(1, 1), record(4, 1)}), std::nullopt);
}

TEST(AudioSupportFeature, SevenFieldsOrMore) {
    auto features = parseSupportFeature(L"131151,2,1,1,9,0,-3");
    ASSERT_TRUE(features);
    EXPECT_EQ(features->mask, 131151u);
    EXPECT_EQ(features->field4, 9);
    EXPECT_EQ(features->field6, -3);
    EXPECT_TRUE(parseSupportFeature(L"1,2,3,4,5,6,7,8"));
    for (const wchar_t* bad : {L"", L"1,2,3,4,5,6", L"1,2,3,x,5,6,7", L"1,2,3,,5,6,7", L"1;2;3;4;5;6;7"}) {
        EXPECT_FALSE(parseSupportFeature(bad)) << std::wstring(bad).size();
    }
}

TEST_F(VirtualAudioTest, OneOutputAndOneInputDevice) {
    EXPECT_EQ(output.word, (std::array<std::int32_t, 4>{0, 1, 0, 1}));
    EXPECT_EQ(input.word, (std::array<std::int32_t, 4>{1, 2, 0, 1}));
    EXPECT_EQ(chooseOutputDevice({output}), 0u);
    EXPECT_EQ(chooseInputDevice({input}), 0u);
    EXPECT_FALSE(library.deviceById(AudioDirection::Output, 1));
}

TEST_F(VirtualAudioTest, SupportFeatureOfBothDevices) {
    // Output: equaliser 0x10 and surround 0x20. Input: level, mute,
    // monitoring level and mute (0xF), noise 0x40 and the voice changer.
    EXPECT_EQ(readText(output, L"GetSupportFeature"), L"48,1,0,0,1,0,-1");
    std::wstring text = readText(input, L"GetSupportFeature");
    EXPECT_EQ(text, L"131151,2,1,1,1,0,-1");
    auto features = parseSupportFeature(text);
    ASSERT_TRUE(features);
    EXPECT_TRUE(features->mask & headset::kVoiceChangerFeature);
}

TEST_F(VirtualAudioTest, RecordsNotInTheListAreRefused) {
    AudioDeviceRecord stranger{{0, 1, 5, 1}};
    AudioDeviceRecord wrongKind{{1, 1, 0, 1}};
    EXPECT_FALSE(library.read(stranger, L"Enable_EQ_GFX"));
    EXPECT_FALSE(library.read(wrongKind, L"MuteControl"));
}

TEST_F(VirtualAudioTest, EntryPointsNeverCalledByThePageAnswerSensibly) {
    auto show = reinterpret_cast<int (*)()>(symbol("ShowAsioPanel"));
    auto play = reinterpret_cast<int (*)(AudioDeviceRecord)>(symbol("PlayTestSound"));
    ASSERT_TRUE(show && play && symbol("StopTestSound") && symbol("CloseTestSound") &&
                symbol("RegisterCallbackFunction") && symbol("ConfLibUnInit"));
    EXPECT_EQ(show(), 5);         // no control panel here
    EXPECT_EQ(play(output), 5);   // no test tone of its own
    EXPECT_EQ(play(input), 2);    // not an output device
}

int callbackEvents = 0;
void countEvent(int event, void*) { callbackEvents += event == 1 ? 1 : 100; }

TEST_F(VirtualAudioTest, CallbackHearsOnlyAChangedDeviceList) {
    auto registerFn = reinterpret_cast<int (*)(void (*)(int, void*), void*)>(symbol("RegisterCallbackFunction"));
    ASSERT_TRUE(registerFn);
    callbackEvents = 0;
    ASSERT_EQ(registerFn(&countEvent, nullptr), 0);
    library.createDeviceList();  // same list
    EXPECT_EQ(callbackEvents, 0);
    uninit();
    start();  // empty list, then the two devices again
    EXPECT_EQ(callbackEvents, 1);
    registerFn(nullptr, nullptr);
}

TEST_F(VirtualAudioTest, UninitialisedCallsFail) {
    uninit();
    EXPECT_FALSE(library.deviceCount(AudioDirection::Output));
    EXPECT_FALSE(library.read(input, L"MuteControl"));
}

TEST_F(VirtualAudioTest, SimulatorFolderHoldsTheVirtualDevice) {
    uninit();
    TempDir sim;
    ScopedEnv noVirtual("TALVEN_AUDIO_VIRTUAL", nullptr);
    ScopedEnv simDir("TALVEN_SIM_DIR", sim.str().c_str());
    start();
    ASSERT_TRUE(library.writeInt(input, L"MuteControl", 1, -1));
    EXPECT_NE(readFile(sim / "audio/mixer.conf").find("input.on=0"), std::string::npos);
}

TEST_F(VirtualAudioTest, AbsentHeadsetGivesAnEmptyListAndBadIdFailsInit) {
    uninit();
    ScopedEnv noVirtual("TALVEN_AUDIO_VIRTUAL", nullptr);
    {
        ScopedEnv nowhere("TALVEN_AUDIO_USB_ID", "ffff:fffe");
        ASSERT_EQ(library.confLibInit(), 0);
        library.createDeviceList();
        EXPECT_EQ(library.deviceCount(AudioDirection::Output), 0);
        EXPECT_EQ(library.deviceCount(AudioDirection::Input), 0);
    }
    ScopedEnv nonsense("TALVEN_AUDIO_USB_ID", "headset");
    EXPECT_NE(library.confLibInit(), 0);
}

}  // namespace
}  // namespace talven::test
