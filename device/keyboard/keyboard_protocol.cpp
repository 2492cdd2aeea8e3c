#include "device/keyboard/keyboard_protocol.h"

#include <algorithm>

namespace talven::keyboard {

using namespace channel_result;

int KeyboardProtocol::refreshInfo() {
    DeviceInfo fresh{};
    const int result = channel_.readInfo(fresh);
    if (result == Success) info_ = fresh;
    return result;
}

template <typename Write>
int KeyboardProtocol::inTransaction(Write write) {
    FirstFailure first;
    if (channel_.isConnected()) first(channel_.begin());
    first(write());
    first(channel_.end());
    return first.result();
}

int KeyboardProtocol::readKeyboardData() {
    if (!channel_.isConnected()) return Refused;
    // A refused begin or end counts: a keyboard that did not open the
    // transaction may have answered from the wrong place.
    FirstFailure first;
    first(channel_.begin());
    // Without the information the key count is unknown: keep the old maps
    // rather than rebuilding them from nothing. The transaction is still
    // closed, or the keyboard would be left waiting inside it.
    if (first(refreshInfo()) != Success) {
        channel_.end();
        return first.result();
    }
    // A transaction once begun is always ended, even when the tables are
    // too long to read, so the keyboard does not wait for more.
    if (!channel_.setTableSize(static_cast<uint16_t>(keyCount() * 3))) {
        channel_.end();
        return kTableTooLarge;
    }
    std::array<uint8_t, kCopySize> table{};
    if (first(channel_.readTable(table.data())) == Success) keyTable_ = table;
    std::array<uint8_t, kCopySize> light{};
    if (first(channel_.readThirdTable(light.data())) == Success) lightTable_ = light;
    first(channel_.end());

    maps_ = buildKeyMaps(std::span(keyTable_).first(keyCount() * 3u), std::span(lightTable_).first(keyCount()),
                         keyCount());
    return first.result();
}

ProfileReading KeyboardProtocol::readProfileRecord() {
    previousRecord_ = record_;
    channel_.setPaused(false);
    ProfileReading reading;
    if (channel_.isConnected()) {
        uint8_t index = 0;
        ProfileRecord record{};
        reading.result = channel_.readBlock(&index, 1, 0);
        if (reading.result == Success)
            reading.result = channel_.readBlock(record.data(), record.size(), static_cast<uint16_t>(index * kRecordSize));
        // The index and the record belong together: keep both or neither.
        if (reading.result == Success) {
            activeProfile_ = index;
            record_ = record;
        }
    }
    reading.activeProfile = activeProfile_;
    reading.decoded = decodeProfileRecord(record_);
    return reading;
}

int KeyboardProtocol::readStatus(StatusRecord& status) {
    if (!channel_.isConnected()) return Refused;
    StatusRecord fresh{};
    const int result = channel_.readShort(fresh.data(), static_cast<uint8_t>(fresh.size()), 0);
    if (result != Success) return result;
    fresh[kStatusLinkByte] = channel_.slowLink() ? 1 : 0;
    status_ = fresh;
    status = fresh;
    return result;
}

int KeyboardProtocol::writeKeyTable(int profileIndex, std::span<const KeyCode> assignments) {
    FirstFailure first;
    if (channel_.isConnected()) first(refreshInfo());
    const unsigned count = keyCount();
    std::array<uint8_t, kCopySize> buffer{};
    // A key count whose table the channel cannot carry sends no table.
    const bool fits = count * 3 <= kCopySize && channel_.setTableSize(static_cast<uint16_t>(count * 3));
    if (fits) {
        const std::vector<uint8_t> table = buildKeyTable(maps_, assignments, count);
        std::copy(table.begin(), table.end(), buffer.begin());
    }
    // Every command's result reaches the caller: a table the keyboard did
    // not take must not be told as saved.
    first(inTransaction([&] { return fits ? channel_.writeTable(buffer.data(), profileIndex) : kTableTooLarge; }));
    return first.result();
}

int KeyboardProtocol::writeMacros(std::span<const EncodedMacro> macros) {
    const int refreshed = channel_.isConnected() ? refreshInfo() : Refused;
    if (macros.empty()) return 0;
    // A download that did not reach the keyboard is told as such: the key
    // table that follows it would play macros the keyboard does not hold,
    // and the user would be told the keys were saved. Without a fresh
    // information record the capacity is a guess (all zero before the first
    // read, which would ask the user to remove every event): nothing is sent.
    if (refreshed != Success) return kMacrosNotWritten;
    const size_t total = macroBlobLength(macros);
    if (total > macroCapacity()) return macroEventsToRemove(total, macroCapacity());
    const auto blob = buildMacroBlob(macros);
    if (!blob) return kMacrosNotWritten;  // cannot happen below the largest capacity, 255 x 128
    const int result = inTransaction([&] { return channel_.writeBuffer(blob->data(), blob->size()); });
    return result == Success ? 0 : kMacrosNotWritten;
}

int KeyboardProtocol::writeProfileRecord(int profileIndex, uint8_t first, const LightSettings& light,
                                         const KeyboardSwitches& switches) {
    const ProfileRecord record = encodeProfileRecord(first, light, switches);
    const long offset = static_cast<long>(profileIndex) * static_cast<long>(kRecordSize);
    // The offset field has 16 bits; an index past it addresses no record.
    const bool addressable = offset >= 0 && offset + static_cast<long>(kRecordSize) <= 0xFFFF;
    return inTransaction([&] {
        return addressable ? channel_.writeBlock(record.data(), record.size(), static_cast<uint16_t>(offset))
                           : BadTableIndex;
    });
}

int KeyboardProtocol::writeCustomBitmap(const CustomBitmap& bitmap) {
    bitmap_ = bitmap;
    return channel_.writeShort(bitmap_.data(), static_cast<uint8_t>(bitmap_.size()), 0);
}

int KeyboardProtocol::writeCustomBit(uint8_t position, bool on) {
    if (!setCustomBit(bitmap_, position, on)) return Refused;
    const size_t byte = customBitByte(position);
    return channel_.writeShort(&bitmap_[byte], 1, static_cast<uint16_t>(byte));
}

int KeyboardProtocol::setAllCustomBits(bool on) {
    bitmap_.fill(on ? 0xFF : 0x00);
    return channel_.writeShort(bitmap_.data(), static_cast<uint8_t>(bitmap_.size()), 0);
}

}  // namespace talven::keyboard
