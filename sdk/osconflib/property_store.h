#pragma once
// The properties this library keeps rather than sets in hardware: the
// equaliser, surround and room on the output record, the voice changer, echo
// and noise option on the input record. Each write goes to a small text file
// ("output.EQ_Slider1=7" per line), replaced atomically, so the values
// survive a restart; a read answers exactly what was last written.

#include "sdk/osconflib/osconf_types.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace osconf {

class PropertyStore {
public:
    // Reads `path` when it exists. Lines that are not a known property with
    // a value in its range are ignored (the file is ours, but a hand edit
    // must not make a wrong value readable).
    explicit PropertyStore(std::string path);

    // Whether `name` is a kept property, and on which record.
    static bool isKeptProperty(std::string_view name, DeviceType& side);

    Status read(DeviceType side, std::string_view name, std::string& text) const;
    // Refuses values outside the property's range; when the file cannot be
    // written the value in memory stays as it was too.
    Status write(DeviceType side, std::string_view name, std::int32_t value);

    const std::string& path() const { return path_; }

private:
    std::string serialise() const;

    std::string path_;
    std::map<std::string, std::int32_t> values_;  // "output.NAME" / "input.NAME"
};

}  // namespace osconf
