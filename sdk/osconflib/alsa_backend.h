#pragma once
// The headset's own sound card through the ALSA mixer.

#include "sdk/osconflib/backend.h"
#include "sdk/osconflib/usb_card.h"

namespace osconf {

// Opens the mixer of the USB card with `id` and picks its microphone and
// monitoring elements (element_choice.h). Null when no such card is
// attached or its mixer cannot be opened; `error` says which.
std::unique_ptr<Backend> openAlsaBackend(UsbId id, const std::string& storePath, std::string& error);

}  // namespace osconf
