#include "device/mouse/mouse_protocol.h"

#include <algorithm>

namespace talven::mouse {

using namespace channel_result;

bool MouseProtocol::reachable() {
    if (!channel_.isConnected()) return false;
    return !channel_.slowLink() || channel_.isOnline();
}

int MouseProtocol::refreshInfo() {
    DeviceInfo fresh{};
    const int result = channel_.readInfo(fresh);
    if (result == Success) info_ = fresh;
    return result;
}

int MouseProtocol::attach() {
    if (!reachable()) return Refused;
    // A refused begin or end counts like a refused read: the mouse may have
    // answered from outside the transaction.
    FirstFailure first;
    first(channel_.begin());
    if (!reachable()) return Refused;
    first(refreshInfo());
    // A transaction once begun is ended, even when there is nothing more to
    // read, so the mouse does not wait inside it.
    auto close = [&](int outcome) {
        first(outcome);
        if (!reachable()) return static_cast<int>(Refused);
        first(channel_.end());
        return first.result();
    };
    if (first.result() != Success) return close(Success);
    const unsigned slots = capabilities().keySlots;
    if (!channel_.setTableSize(static_cast<uint16_t>(std::min(slots * 3u, 0xFFFFu)))) return close(kTableTooLarge);
    if (!reachable()) return Refused;
    std::array<uint8_t, kCopySize> table{};
    const int closed = close(channel_.readTable(table.data()));
    if (closed != Success) return closed;
    buttonTable_ = table;
    map_ = buildButtonMap(std::span(buttonTable_).first(slots * 3u), slots);
    attached_ = true;
    return Success;
}

SettingsReading MouseProtocol::readSettings() {
    channel_.setPaused(false);
    SettingsReading reading;
    if (reachable()) {
        uint8_t index = 0;
        SettingsBlock block{};
        reading.result = channel_.readBlock(&index, 1, 0);
        if (reading.result == Success)
            reading.result = reachable() ? channel_.readBlock(block.data(), block.size(),
                                                              static_cast<uint16_t>(index * kProfileStride))
                                         : Refused;
        // The number and the block belong together: keep both or neither.
        if (reading.result == Success) {
            block[0] = index;
            activeProfile_ = index;
            block_ = block;
        }
    }
    reading.activeProfile = activeProfile_;
    reading.decoded = decodeSettingsBlock(block_, channel_.slowLink());
    return reading;
}

int MouseProtocol::readConfiguration(uint8_t* data, size_t size, uint16_t offset) {
    if (!reachable()) return Refused;
    return channel_.readBlock(data, size, offset);
}

int MouseProtocol::writeButtons(int profileIndex, std::span<const KeyCode> assignments) {
    if (!attached_ || !reachable()) return Refused;
    // Every command's result reaches the caller: a table the mouse did not
    // take must not be told as saved.
    FirstFailure first;
    first(refreshInfo());
    const unsigned slots = capabilities().keySlots;
    if (slots * 3u > kCopySize) return kTableTooLarge;
    std::array<uint8_t, kCopySize> buffer{};
    const std::vector<uint8_t> table = buildButtonTable(map_, assignments, slots);
    std::copy(table.begin(), table.end(), buffer.begin());
    if (!reachable()) return Refused;
    first(channel_.begin());
    if (!reachable()) return Refused;
    if (channel_.setTableSize(static_cast<uint16_t>(slots * 3u))) first(channel_.writeTable(buffer.data(), profileIndex));
    if (!reachable()) return Refused;
    first(channel_.end());
    return first.result();
}

int MouseProtocol::writeSettings(int profileIndex, uint8_t first, const MouseSettings& settings,
                                 const ScreenSize& screen) {
    const long offset = static_cast<long>(profileIndex) * static_cast<long>(kProfileStride);
    // The offset field has 16 bits; an index past it addresses no block.
    if (offset < 0 || offset + static_cast<long>(kSettingsWriteSize) > 0xFFFF) return Refused;
    const SettingsBlock block = encodeSettingsBlock(first, settings, screen, channel_.slowLink());
    if (!reachable()) return Refused;
    // A refused begin sends nothing more; once data went out the transaction
    // is closed whatever happened.
    FirstFailure failure;
    if (failure(channel_.begin()) != Success) return failure.result();
    if (!reachable()) return Refused;
    failure(channel_.writeBlock(block.data(), kSettingsWriteSize, static_cast<uint16_t>(offset)));
    if (!reachable()) return Refused;
    failure(channel_.end());
    return failure.result();
}

int MouseProtocol::writeMacros(std::span<const EncodedMacro> macros) {
    if (macros.empty()) return 0;
    if (!reachable()) return kMacrosNotWritten;
    // Without a fresh capability record the memory size is a guess: an
    // image that might not fit is not sent.
    if (refreshInfo() != Success) return kMacrosNotWritten;
    const size_t total = keyboard::macroBlobLength(macros);
    const size_t capacity = capabilities().macroCapacity;
    if (total > capacity) return keyboard::macroEventsToRemove(total, capacity);
    const auto image = keyboard::buildMacroBlob(macros);
    if (!image) return kMacrosNotWritten;
    if (!reachable()) return kMacrosNotWritten;
    FirstFailure first;
    first(channel_.begin());
    if (!reachable()) return kMacrosNotWritten;
    first(channel_.writeBuffer(image->data(), image->size()));
    if (!reachable()) return kMacrosNotWritten;
    first(channel_.end());
    return first.result() == Success ? 0 : kMacrosNotWritten;
}

}  // namespace talven::mouse
