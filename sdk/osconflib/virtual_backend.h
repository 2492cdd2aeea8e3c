#pragma once
// A headset that exists only as files: one output and one input device whose
// microphone level, mute and monitoring are kept in <dir>/mixer.conf, and
// whose kept properties go to <dir>/properties.conf. The demo shows it and
// the tests drive it.

#include "sdk/osconflib/backend.h"

namespace osconf {

// Null when `dir` cannot be created; `error` says why.
std::unique_ptr<Backend> openVirtualBackend(const std::string& dir, std::string& error);

}  // namespace osconf
