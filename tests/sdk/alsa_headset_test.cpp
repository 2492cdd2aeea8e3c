// On a machine with a USB sound card attached, the library really changes
// its microphone level through ALSA and puts it back.

#include "device/headset/audio_library.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace talven::test {
namespace {

using headset::AudioDirection;

// "vvvv:pppp" of the first USB sound card in sysfs, or empty.
std::string firstUsbSoundCard() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/sound", ec)) {
        if (entry.path().filename().string().rfind("card", 0) != 0) continue;
        std::ifstream vendor(entry.path() / "device/../idVendor");
        std::ifstream product(entry.path() / "device/../idProduct");
        std::string v, p;
        if (vendor >> v && product >> p) return v + ":" + p;
    }
    return "";
}

TEST(AlsaHeadset, ChangesTheMicrophoneLevelAndRestoresIt) {
    std::string id = firstUsbSoundCard();
    if (id.empty()) GTEST_SKIP() << "no USB sound card attached to this machine";
    TempDir config;
    ScopedEnv noVirtual("TALVEN_AUDIO_VIRTUAL", nullptr);
    ScopedEnv noSim("TALVEN_SIM_DIR", nullptr);
    ScopedEnv usb("TALVEN_AUDIO_USB_ID", id.c_str());
    ScopedEnv configHome("XDG_CONFIG_HOME", config.str().c_str());
    headset::AudioLibrary library;
    ASSERT_TRUE(library.load(TALVEN_OSCONFLIB_PATH)) << library.error();
    ASSERT_EQ(library.confLibInit(), 0);
    library.createDeviceList();
    auto inputs = library.devices(AudioDirection::Input);
    ASSERT_EQ(inputs.size(), 1u) << id;
    auto before = library.read(inputs[0], L"VolumeScalarControl", {-1});
    if (!before) GTEST_SKIP() << "USB sound card " << id << " has no microphone level";
    float original = std::stof(*before);
    float other = original < 0.5f ? 1.0f : 0.0f;
    ASSERT_TRUE(library.writeFloat(inputs[0], L"VolumeScalarControl", other, -1));
    EXPECT_EQ(library.read(inputs[0], L"VolumeScalarControl", {-1}), other == 1.0f ? L"1.000000" : L"0.000000");
    ASSERT_TRUE(library.writeFloat(inputs[0], L"VolumeScalarControl", original, -1));
    EXPECT_EQ(library.read(inputs[0], L"VolumeScalarControl", {-1}), *before);
}

}  // namespace
}  // namespace talven::test
