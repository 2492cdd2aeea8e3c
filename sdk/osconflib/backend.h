#pragma once
// Where the headset's levels live: its ALSA card, or the virtual device the
// demo and the tests use. The library asks a backend for the two level
// controls and for the file its kept properties go to.

#include "sdk/osconflib/level_control.h"
#include "sdk/osconflib/usb_card.h"

#include <memory>
#include <string>

namespace osconf {

enum class BackendKind { Virtual = 0, Alsa = 1 };

class Backend {
public:
    virtual ~Backend() = default;
    virtual BackendKind kind() const = 0;
    // Null when the card has no such control.
    virtual LevelControl* input() = 0;
    virtual LevelControl* monitor() = 0;
    // ALSA card number, -1 for the virtual device.
    virtual int cardNumber() const = 0;
    // Path of the kept-properties file.
    virtual std::string storePath() const = 0;
    // Whether the device reports a voice changer (feature bit 0x20000). The
    // virtual device stands in for a headset that has one; on the ALSA path
    // nothing alters the microphone's sound, so it does not report one.
    virtual bool offersVoiceChanger() const = 0;
};

// The headset's USB ID: TALVEN_AUDIO_USB_ID=vvvv:pppp when set, else the
// product line's own. Empty with `error` set when the variable is no ID.
std::optional<UsbId> headsetUsbId(std::string& error);

// The backend the environment asks for: TALVEN_AUDIO_VIRTUAL=<dir>, else
// the virtual device in $TALVEN_SIM_DIR/audio/ when the simulator runs,
// else the ALSA card of the headset (TALVEN_AUDIO_USB_ID=vvvv:pppp names
// another USB card). Null with `error` saying why when there is none;
// `unusable` is then set when the environment itself is wrong (a folder
// that cannot be made, an ID that is no ID), rather than the card absent.
std::unique_ptr<Backend> openBackend(std::string& error, bool& unusable);

}  // namespace osconf
