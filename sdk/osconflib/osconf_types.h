#pragma once
// What the audio library shares with its callers: the device record, the
// size of the value buffers, the status codes and the feature bits. The
// program's loader states the same facts on its side (device/headset/); the
// tests load this library through dlopen, so a mismatch shows there.

#include <cstddef>
#include <cstdint>

namespace osconf {

// Every value and extra buffer a caller hands to PropertyControl is this big.
constexpr std::size_t kValueBufferBytes = 1024;

// The 16-byte device record, passed by value to every property call.
struct DeviceRecord {
    std::int32_t type;    // 0 output, 1 input
    std::int32_t kind;    // see DeviceKind
    std::int32_t index;   // position in the list of its type
    std::int32_t usable;  // 1 when the device can be controlled
};
static_assert(sizeof(DeviceRecord) == 16, "the record is four 32-bit words");

enum DeviceType : std::int32_t { kOutput = 0, kInput = 1 };

// Kinds this library hands out: the headset's own playback and microphone.
// Callers also know 12, 7 and 4 as fallback output kinds; no backend here
// produces them.
enum DeviceKind : std::int32_t { kHeadsetOutput = 1, kHeadsetMicrophone = 2 };

enum Status : int {
    kOk = 0,
    kNotInitialised = 1,
    kBadDevice = 2,        // record not in the current device list
    kUnknownProperty = 3,  // name unknown, or not a property of that side
    kBadValue = 4,         // value outside the property's range
    kNotSupported = 5,     // the device lacks the control
    kDeviceFailed = 6,     // the mixer or the settings file refused
    kTooLong = 7,          // the answer does not fit the caller's buffer
    kBadArgument = 8,      // a null pointer where a buffer was required
    kNotSet = 9,           // a kept property never written
};

// "GetSupportFeature" field 0.
enum FeatureBit : std::uint32_t {
    kFeatureInputLevel = 0x1,
    kFeatureInputMute = 0x2,
    kFeatureMonitorLevel = 0x4,
    kFeatureMonitorMute = 0x8,
    kFeatureEqualiser = 0x10,
    kFeatureSurround = 0x20,
    kFeatureNoise = 0x40,
    kFeatureVoiceChanger = 0x20000,
};

}  // namespace osconf
