// Every property the headset page reads and writes, round trip through the
// loaded library on the virtual headset: microphone 0..100 steps over
// -20..+10 dB (step 80, on, at start), monitoring 0..32 steps over -32..0 dB
// (step 16, off, at start), both mono.

#include "sdk/osconflib/wide_text.h"
#include "sdk/virtual_audio_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace talven::test {
namespace {

TEST_F(VirtualAudioTest, LevelRangesAndStartingValues) {
    EXPECT_EQ(readText(input, L"GetMaxVol"), L"10.00");
    EXPECT_EQ(readText(input, L"GetMinVol"), L"-20.00");
    EXPECT_EQ(readText(input, L"GetVolStep"), L"0.30");
    EXPECT_EQ(readText(input, L"VolumeControl", {-1}), L"4.00");
    EXPECT_EQ(readText(input, L"VolumeScalarControl", {-1}), L"0.800000");
    EXPECT_EQ(readText(input, L"MuteControl"), L"0");
    EXPECT_EQ(readText(input, L"GetAAMaxVol"), L"0.00");
    EXPECT_EQ(readText(input, L"GetAAMinVol"), L"-32.00");
    EXPECT_EQ(readText(input, L"GetAAVolStep"), L"1.00");
    EXPECT_EQ(readText(input, L"AAVolumeControl", {0}), L"-16.00");
    EXPECT_EQ(readText(input, L"AAVolumeScalarControl", {0}), L"0.500000");
    EXPECT_EQ(readText(input, L"AAMuteControl"), L"1");
}

TEST_F(VirtualAudioTest, ScalarLevelsLandOnTheNearestStep) {
    // 37 % of 100 steps is step 37 exactly; of 32 steps it is 11.84 -> 12.
    ASSERT_TRUE(library.writeFloat(input, L"VolumeScalarControl", 0.37f, -1));
    EXPECT_EQ(readText(input, L"VolumeScalarControl", {-1}), L"0.370000");
    EXPECT_EQ(readText(input, L"VolumeControl", {-1}), L"-8.90");
    ASSERT_TRUE(library.writeFloat(input, L"AAVolumeScalarControl", 0.37f, 0));
    EXPECT_EQ(readText(input, L"AAVolumeScalarControl", {0}), L"0.375000");
    EXPECT_EQ(readText(input, L"AAVolumeControl", {0}), L"-20.00");
}

TEST_F(VirtualAudioTest, VolumeInDecibelsAndMutes) {
    ASSERT_TRUE(library.writeInt(input, L"VolumeControl", -5, -1));  // step 50
    EXPECT_EQ(readText(input, L"VolumeScalarControl", {-1}), L"0.500000");
    ASSERT_TRUE(library.writeInt(input, L"AAVolumeControl", -8, 0));  // step 24
    EXPECT_EQ(readText(input, L"AAVolumeScalarControl", {0}), L"0.750000");
    ASSERT_TRUE(library.writeInt(input, L"MuteControl", 1, -1));
    ASSERT_TRUE(library.writeInt(input, L"AAMuteControl", 0, 0));
    EXPECT_EQ(readText(input, L"MuteControl"), L"1");
    EXPECT_EQ(readText(input, L"AAMuteControl"), L"0");
}

TEST_F(VirtualAudioTest, BadLevelWritesAreRefusedAndChangeNothing) {
    struct Case {
        const wchar_t* name;
        bool asFloat;
        float value;
        std::optional<std::int32_t> channel;
    };
    const Case cases[] = {
        {L"VolumeScalarControl", true, 1.5f, -1},
        {L"VolumeScalarControl", true, -0.1f, -1},
        {L"VolumeScalarControl", true, std::nanf(""), -1},
        {L"VolumeScalarControl", true, 0.5f, 1},  // the microphone is mono
        {L"AAVolumeScalarControl", true, 0.5f, -2},
        {L"VolumeControl", false, 11, -1},       // above +10 dB
        {L"AAVolumeControl", false, -33, 0},     // below -32 dB
        {L"MuteControl", false, 2, -1},
        {L"GetMaxVol", false, 3, std::nullopt},  // answers only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.name).size() * 1000 + int(c.value * 10));
        bool written = c.asFloat ? library.writeFloat(input, c.name, c.value, c.channel)
                                 : library.writeInt(input, c.name, std::int32_t(c.value), c.channel);
        EXPECT_FALSE(written);
    }
    EXPECT_EQ(readText(input, L"VolumeScalarControl", {-1}), L"0.800000");
    EXPECT_EQ(readText(input, L"AAVolumeScalarControl", {0}), L"0.500000");
    EXPECT_EQ(readText(input, L"MuteControl"), L"0");
}

TEST_F(VirtualAudioTest, PropertiesBelongToTheirRecord) {
    EXPECT_FALSE(library.read(output, L"MuteControl"));
    EXPECT_FALSE(library.writeInt(output, L"Enable_MAGICVOICE", 1));
    EXPECT_FALSE(library.writeInt(input, L"EQ_Slider1", 1));
    EXPECT_FALSE(library.read(input, L"NoSuchProperty"));
}

TEST_F(VirtualAudioTest, KeptPropertiesReadBackWhatWasWritten) {
    struct Case {
        bool onOutput;
        const wchar_t* name;
        std::int32_t value;
        const wchar_t* text;
    };
    // Preset 2's bands, then the other kept values at ends of their ranges.
    const Case cases[] = {
        {true, L"EQ_Slider1", 7, L"7"},           {true, L"EQ_Slider2", 11, L"11"},
        {true, L"EQ_Slider3", 6, L"6"},           {true, L"EQ_Slider4", -3, L"-3"},
        {true, L"EQ_Slider5", -11, L"-11"},       {true, L"EQ_Slider6", -1, L"-1"},
        {true, L"EQ_Slider7", 6, L"6"},           {true, L"EQ_Slider8", 13, L"13"},
        {true, L"EQ_Slider9", 6, L"6"},           {true, L"EQ_Slider10", 13, L"13"},
        {true, L"Enable_EQ_GFX", 1, L"1"},        {true, L"VirtualSurroundEffectControl", 1, L"1"},
        {true, L"Enable_RFX_GFX", 1, L"1"},       {true, L"RFX_ENVIRONMENT", 25, L"25"},
        {true, L"RFX_ROOMSIZE", 100, L"100"},     {false, L"Enable_MAGICVOICE", 1, L"1"},
        {false, L"MagicVoice_Selection", 3, L"3"}, {false, L"Enable_MICECHO", 1, L"1"},
        {false, L"Enable_ENC_LFX", 1, L"1"},
    };
    for (const Case& c : cases) {
        const AudioDeviceRecord& device = c.onOutput ? output : input;
        EXPECT_FALSE(library.read(device, c.name)) << "never written yet";
        ASSERT_TRUE(library.writeInt(device, c.name, c.value));
        EXPECT_EQ(readText(device, c.name), c.text);
    }
    // Surround is read with an extra record; it does not change the answer.
    EXPECT_EQ(readText(output, L"VirtualSurroundEffectControl", {4, -1, 0}), L"1");
    // ... and all of it survives a restart of the library.
    uninit();
    start();
    for (const Case& c : cases) EXPECT_EQ(readText(c.onOutput ? output : input, c.name), c.text);
}

TEST_F(VirtualAudioTest, KeptValuesOutsideTheirRangeAreRefused) {
    ASSERT_TRUE(library.writeInt(input, L"MagicVoice_Selection", 2));
    EXPECT_FALSE(library.writeInt(input, L"MagicVoice_Selection", 4));
    EXPECT_FALSE(library.writeInt(input, L"Enable_MAGICVOICE", -1));
    EXPECT_FALSE(library.writeInt(output, L"EQ_Slider4", 25));
    EXPECT_EQ(readText(input, L"MagicVoice_Selection"), L"2");
    EXPECT_FALSE(library.read(output, L"EQ_Slider4"));
}

TEST_F(VirtualAudioTest, LevelsSurviveARestart) {
    ASSERT_TRUE(library.writeFloat(input, L"VolumeScalarControl", 0.25f, -1));
    ASSERT_TRUE(library.writeInt(input, L"AAMuteControl", 0, 0));
    uninit();
    start();
    EXPECT_EQ(readText(input, L"VolumeScalarControl", {-1}), L"0.250000");
    EXPECT_EQ(readText(input, L"AAMuteControl"), L"0");
}

TEST_F(VirtualAudioTest, UnwritableSettingsFileKeepsTheOldValue) {
    ASSERT_TRUE(library.writeInt(output, L"EQ_Slider1", 3));
    // A folder where the file should be: the rename over it fails.
    std::filesystem::remove(dir / "properties.conf");
    std::filesystem::create_directory(dir / "properties.conf");
    EXPECT_FALSE(library.writeInt(output, L"EQ_Slider1", 5));
    EXPECT_EQ(readText(output, L"EQ_Slider1"), L"3");
}

TEST_F(VirtualAudioTest, HandEditedSettingsFileYieldsOnlyValidValues) {
    uninit();
    writeFile(dir / "properties.conf",
              "output.EQ_Slider1=4\noutput.EQ_Slider2=99\ninput.EQ_Slider3=1\noutput.Enable_EQ_GFX=1x\n"
              "garbage\ninput.MagicVoice_Selection=3\n");
    start();
    EXPECT_EQ(readText(output, L"EQ_Slider1"), L"4");
    EXPECT_FALSE(library.read(output, L"EQ_Slider2"));   // out of range
    EXPECT_FALSE(library.read(output, L"EQ_Slider3"));   // wrong record
    EXPECT_FALSE(library.read(output, L"Enable_EQ_GFX")); // not a number
    EXPECT_EQ(readText(input, L"MagicVoice_Selection"), L"3");
}

// Reads straight through PropertyControl with guard bytes after the
// 1024-byte buffer: no answer may touch them.
TEST_F(VirtualAudioTest, AnswersStayInsideTheBuffer) {
    using PropertyFn = int (*)(AudioDeviceRecord, const wchar_t*, void**, void**, int);
    auto property = reinterpret_cast<PropertyFn>(symbol("PropertyControl"));
    ASSERT_TRUE(property);
    const wchar_t* names[] = {L"GetSupportFeature", L"GetMaxVol", L"GetMinVol", L"GetVolStep",
                              L"VolumeControl", L"VolumeScalarControl", L"MuteControl", L"AAVolumeControl"};
    for (const wchar_t* name : names) {
        unsigned char memory[1024 + 64];
        std::memset(memory, 0, 1024);
        std::memset(memory + 1024, 0xAA, 64);
        void* value = memory;
        ASSERT_EQ(property(input, name, &value, nullptr, 0), 0);
        for (int i = 1024; i < 1024 + 64; ++i) ASSERT_EQ(memory[i], 0xAA);
    }
    void* null = nullptr;
    EXPECT_EQ(property(input, L"MuteControl", &null, nullptr, 0), 8);  // no buffer: refused
}

TEST(WideText, TooLongIsRefusedNotCut) {
    alignas(wchar_t) unsigned char buffer[1024];
    std::memset(buffer, 0x55, sizeof buffer);
    // 1024 bytes hold 255 wide characters and the terminator.
    EXPECT_EQ(osconf::writeWideText(buffer, std::string(256, '7')), osconf::kTooLong);
    EXPECT_EQ(buffer[0], 0x55);
    EXPECT_EQ(osconf::writeWideText(buffer, std::string(255, '7')), osconf::kOk);
    auto* text = reinterpret_cast<wchar_t*>(buffer);
    EXPECT_EQ(std::wstring(text), std::wstring(255, L'7'));
}

}  // namespace
}  // namespace talven::test
