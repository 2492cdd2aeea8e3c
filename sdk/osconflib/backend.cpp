#include "sdk/osconflib/backend.h"

#include "sdk/osconflib/alsa_backend.h"
#include "sdk/osconflib/virtual_backend.h"

#include <cstdio>
#include <cstdlib>

namespace osconf {

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// $XDG_CONFIG_HOME/osConfLib/usb-vvvv-pppp.conf (default ~/.config): the
// kept properties of one headset model for this user.
std::string alsaStorePath(UsbId id) {
    std::string config = envOrEmpty("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = envOrEmpty("HOME") + "/.config";
    char name[40];
    std::snprintf(name, sizeof name, "usb-%04x-%04x.conf", id.vendor, id.product);
    return config + "/osConfLib/" + name;
}

}  // namespace

std::optional<UsbId> headsetUsbId(std::string& error) {
    std::string named = envOrEmpty("TALVEN_AUDIO_USB_ID");
    if (named.empty()) return kHeadsetUsbId;
    std::optional<UsbId> parsed = parseUsbId(named);
    if (!parsed) error = "TALVEN_AUDIO_USB_ID is not vvvv:pppp: " + named;
    return parsed;
}

std::unique_ptr<Backend> openBackend(std::string& error, bool& unusable) {
    unusable = true;
    std::string virtualDir = envOrEmpty("TALVEN_AUDIO_VIRTUAL");
    if (virtualDir.empty() && !envOrEmpty("TALVEN_SIM_DIR").empty()) {
        virtualDir = envOrEmpty("TALVEN_SIM_DIR") + "/audio/";
    }
    if (!virtualDir.empty()) return openVirtualBackend(virtualDir, error);

    std::optional<UsbId> id = headsetUsbId(error);
    if (!id) return nullptr;
    unusable = false;
    return openAlsaBackend(*id, alsaStorePath(*id), error);
}

}  // namespace osconf
