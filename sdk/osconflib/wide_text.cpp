#include "sdk/osconflib/wide_text.h"

#include <cstring>
#include <cwchar>

namespace osconf {

Status writeWideText(void* buffer, std::string_view text) {
    if (buffer == nullptr) return kBadArgument;
    if ((text.size() + 1) * sizeof(wchar_t) > kValueBufferBytes) return kTooLong;
    auto* out = static_cast<wchar_t*>(buffer);
    for (char c : text) *out++ = static_cast<wchar_t>(static_cast<unsigned char>(c));
    *out = L'\0';
    return kOk;
}

std::int32_t bufferInt(const void* buffer) {
    std::int32_t value = 0;
    std::memcpy(&value, buffer, sizeof value);
    return value;
}

float bufferFloat(const void* buffer) {
    float value = 0;
    std::memcpy(&value, buffer, sizeof value);
    return value;
}

}  // namespace osconf
