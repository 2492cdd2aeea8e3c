#pragma once
// Answers go back to the caller as wide text in its 1024-byte buffer.

#include "sdk/osconflib/osconf_types.h"

#include <string_view>

namespace osconf {

// Writes `text` and a terminating NUL as wide characters into `buffer`
// (kValueBufferBytes long). Text that would not fit with its terminator is
// refused with kTooLong and the buffer is left as it was: a cut value would
// read back as a different number.
Status writeWideText(void* buffer, std::string_view text);

// The first 32 bits of a caller's buffer, as the integer or the float the
// caller put there for a write.
std::int32_t bufferInt(const void* buffer);
float bufferFloat(const void* buffer);

}  // namespace osconf
