#pragma once
// The library's state behind its C entry points: the backend, the device
// list and the kept properties. One instance per process; every call takes
// its lock, so callers on different threads see whole answers.

#include "sdk/osconflib/backend.h"
#include "sdk/osconflib/osconf_types.h"
#include "sdk/osconflib/pipewire_equaliser.h"
#include "sdk/osconflib/property_store.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace osconf {

using ChangeCallback = void (*)(int event, void* context);
// Event passed to a registered callback when CreateDeviceList finds a
// different device list than the call before.
constexpr int kEventDeviceListChanged = 1;

class ConfLibrary {
public:
    static ConfLibrary& instance();

    // Opens the backend the environment names (backend.h). A headset that is
    // not attached is no failure: the device list is then empty. Fails only
    // when the virtual device's folder or the named USB ID is unusable.
    // With a backend, the equaliser's kept values also go to PipeWire
    // (pipewire_equaliser.h); without a server they are only kept, and
    // "EQ_Playback" (read-only, output record) answers 0 instead of 1.
    Status init();
    void uninit();
    Status createDeviceList();
    Status deviceCount(int type, int* count);
    Status deviceById(int type, int index, DeviceRecord* record);
    Status property(const DeviceRecord& record, const wchar_t* name, void** value, void** extra, int set);
    // Output records only; this library makes no sound of its own.
    Status testSound(const DeviceRecord& record);
    void registerCallback(ChangeCallback callback, void* context);

private:
    bool knownRecord(const DeviceRecord& record) const;
    Status supportFeature(const DeviceRecord& record, std::string& text);
    Status levelProperty(const DeviceRecord& record, const std::string& name, void* value, void** extra, int set);
    Status keptProperty(const DeviceRecord& record, const std::string& name, void* value, int set);
    // The kept equaliser values, and PipeWire's equaliser started on them.
    void startEqualiser(UsbId headset);
    void forwardToEqualiser(const std::string& name, std::int32_t value);

    std::mutex mutex_;
    bool initialised_ = false;
    std::unique_ptr<Backend> backend_;
    std::unique_ptr<PropertyStore> store_;
    std::unique_ptr<PipewireEqualiser> equaliser_;  // null without a PipeWire server
    std::vector<DeviceRecord> devices_;
    ChangeCallback callback_ = nullptr;
    void* callbackContext_ = nullptr;
};

}  // namespace osconf
