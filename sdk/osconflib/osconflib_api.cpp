// The C entry points of libosConfLib.so. Every call returns 0 on success or
// a status code of osconf_types.h. Only these names leave the library; its
// inner parts are hidden, so they never meet the program's own symbols.

#include "sdk/osconflib/conf_library.h"

#define OSCONF_EXPORT extern "C" __attribute__((visibility("default")))

using osconf::ConfLibrary;
using osconf::DeviceRecord;

// Opens the backend (TALVEN_AUDIO_VIRTUAL, TALVEN_SIM_DIR, else the
// headset's ALSA card). Calling it again starts over with the environment
// as it is then.
OSCONF_EXPORT int ConfLibInit() { return ConfLibrary::instance().init(); }

// Releases the mixer and the device list; later calls need ConfLibInit.
OSCONF_EXPORT int ConfLibUnInit() {
    ConfLibrary::instance().uninit();
    return osconf::kOk;
}

// Builds the device list: the headset's output and input, or none when it
// is not attached. A registered callback hears when the list changed.
OSCONF_EXPORT int CreateDeviceList() { return ConfLibrary::instance().createDeviceList(); }

// type 0 output devices, 1 input devices.
OSCONF_EXPORT int GetDeviceCount(int type, int* count) {
    return ConfLibrary::instance().deviceCount(type, count);
}

OSCONF_EXPORT int GetDeviceById(int type, int index, DeviceRecord* record) {
    return ConfLibrary::instance().deviceById(type, index, record);
}

// value and extra point to pointers to 1024-byte buffers (extra may be
// null); set 0 reads into *value as wide text, 1 writes the 32 bits at
// *value. For the level properties *extra holds the channel.
OSCONF_EXPORT int PropertyControl(DeviceRecord record, const wchar_t* name, void** value, void** extra, int set) {
    return ConfLibrary::instance().property(record, name, value, extra, set);
}

// callback(1, context) after CreateDeviceList found a different list; a
// null callback unregisters.
OSCONF_EXPORT int RegisterCallbackFunction(osconf::ChangeCallback callback, void* context) {
    ConfLibrary::instance().registerCallback(callback, context);
    return osconf::kOk;
}

// There is no driver control panel on this system: always kNotSupported.
OSCONF_EXPORT int ShowAsioPanel() { return osconf::kNotSupported; }

// The library plays no sound of its own (the desktop's sound settings have
// a test tone): kNotSupported for the output record, kBadDevice for any
// other record, kNotInitialised before ConfLibInit.
OSCONF_EXPORT int PlayTestSound(DeviceRecord record) { return ConfLibrary::instance().testSound(record); }
OSCONF_EXPORT int StopTestSound(DeviceRecord record) { return ConfLibrary::instance().testSound(record); }
OSCONF_EXPORT int CloseTestSound(DeviceRecord record) { return ConfLibrary::instance().testSound(record); }
