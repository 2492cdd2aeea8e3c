#pragma once
// The audio library loaded through dlopen as the program loads it, started
// on a virtual headset in a fresh folder.

#include "device/headset/audio_library.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace talven::test {

using headset::AudioDeviceRecord;
using headset::AudioDirection;
using headset::AudioLibrary;

class VirtualAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.load(TALVEN_OSCONFLIB_PATH)) << library.error();
        start();
    }
    void TearDown() override { uninit(); }

    // ConfLibInit and CreateDeviceList, and the two records.
    void start() {
        ASSERT_EQ(library.confLibInit(), 0);
        library.createDeviceList();
        auto outputs = library.devices(AudioDirection::Output);
        auto inputs = library.devices(AudioDirection::Input);
        ASSERT_EQ(outputs.size(), 1u);
        ASSERT_EQ(inputs.size(), 1u);
        output = outputs[0];
        input = inputs[0];
    }
    void uninit() {
        if (auto* fn = reinterpret_cast<int (*)()>(symbol("ConfLibUnInit"))) fn();
    }
    // Entry points the loader does not resolve, looked up on the same handle.
    void* symbol(const char* name) {
        void* handle = ::dlopen(TALVEN_OSCONFLIB_PATH, RTLD_NOW | RTLD_NOLOAD);
        void* found = handle ? ::dlsym(handle, name) : nullptr;
        if (handle) ::dlclose(handle);
        return found;
    }
    std::wstring readText(const AudioDeviceRecord& device, const wchar_t* name,
                          const std::vector<std::int32_t>& extra = {}) {
        return library.read(device, name, extra).value_or(L"(failed)");
    }

    TempDir dir;
    TempDir config;
    ScopedEnv virtualDir{"TALVEN_AUDIO_VIRTUAL", dir.str().c_str()};
    ScopedEnv simDir{"TALVEN_SIM_DIR", nullptr};
    ScopedEnv usbId{"TALVEN_AUDIO_USB_ID", nullptr};
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.str().c_str()};
    AudioLibrary library;
    AudioDeviceRecord output;
    AudioDeviceRecord input;
};

}  // namespace talven::test
