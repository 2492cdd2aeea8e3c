#pragma once
// The keyboard's transactions over its command channel, and the copies of
// the keyboard's tables and records kept between them.
//
// Every transaction runs on the UI thread; the channel serialises the single
// exchanges. Reads that fail leave the previous copies in place (all zero
// before the first success). Every transaction reports the first command
// the keyboard did not take, begin and end included.

#include "device/command_channel.h"
#include "device/keyboard/keyboard_records.h"

#include <array>
#include <cstdint>
#include <span>

namespace talven::keyboard {

// readKeyboardData: the key count asks for a key table longer than the
// channel can move (key count x 3 above 512).
inline constexpr int kTableTooLarge = -202;
// writeMacros: the macro memory did not reach the keyboard.
inline constexpr int kMacrosNotWritten = -1;

using StatusRecord = std::array<uint8_t, kStatusSize>;

struct ProfileReading {
    int result = channel_result::Refused;  // of the reads; the copies below are the last good ones
    uint8_t activeProfile = 0;
    DecodedProfileRecord decoded;
};

class KeyboardProtocol {
public:
    static constexpr size_t kCopySize = CommandChannel::kMaxTableSize;

    explicit KeyboardProtocol(CommandChannel& channel) : channel_(channel) {}
    KeyboardProtocol(const KeyboardProtocol&) = delete;
    KeyboardProtocol& operator=(const KeyboardProtocol&) = delete;

    // On connection: information, key table and light-position table inside
    // one begin/end, then the key maps. Refused at once when not connected;
    // kTableTooLarge (maps kept) when the tables cannot be read; otherwise
    // the first failed command's result.
    int readKeyboardData();

    // The active profile's index (byte 0 of record 0) and record. Clears the
    // channel's pause flag. Not connected: the last known ones.
    ProfileReading readProfileRecord();

    // Six status bytes; byte 3 is replaced by the link flag (1 slow, 0 not).
    int readStatus(StatusRecord& status);

    // The key table from the assignments by key number: each code goes to
    // its key's table position; positions no key maps to are sent as
    // 00 00 00. The keyboard keeps one table, so only profile 0 is sent; any
    // other index sends begin and end alone (BadTableIndex). kTableTooLarge
    // when the key count gives no table the channel can carry; otherwise
    // the first failed command's result.
    int writeKeyTable(int profileIndex, std::span<const KeyCode> assignments);

    // Macro memory: 0 when sent or when there is nothing to send; when the
    // blob does not fit the keyboard's capacity nothing is sent and the
    // result is the number of events to remove; kMacrosNotWritten when the
    // keyboard is not connected, its information cannot be read, or any
    // command of the download fails.
    int writeMacros(std::span<const EncodedMacro> macros);

    // The record of profile `profileIndex` (byte 0 = `first`): the first
    // failed command's result; BadTableIndex for an index past the offset
    // field.
    int writeProfileRecord(int profileIndex, uint8_t first, const LightSettings& light,
                           const KeyboardSwitches& switches);

    // Custom lighting (mode 20): the whole bitmap, one bit (one byte sent),
    // or every bit. A position outside the bitmap sends nothing (result 0).
    int writeCustomBitmap(const CustomBitmap& bitmap);
    int writeCustomBit(uint8_t position, bool on);
    int setAllCustomBits(bool on);

    CommandChannel& channel() { return channel_; }
    const DeviceInfo& info() const { return info_; }
    uint8_t keyCount() const { return infoKeyCount(info_); }
    size_t macroCapacity() const { return infoMacroCapacity(info_); }
    // Which board the firmware drives (information bytes 8-9), as of the
    // last readKeyboardData; see kCompactLayoutCode.
    uint16_t layoutCode() const { return infoLayoutCode(info_); }
    // The keyboard's factory key table and light-position table as last read.
    const std::array<uint8_t, kCopySize>& keyTableCopy() const { return keyTable_; }
    const std::array<uint8_t, kCopySize>& lightTableCopy() const { return lightTable_; }
    const KeyMaps& maps() const { return maps_; }
    uint8_t activeProfile() const { return activeProfile_; }
    const ProfileRecord& record() const { return record_; }
    const ProfileRecord& previousRecord() const { return previousRecord_; }
    const CustomBitmap& customBitmap() const { return bitmap_; }
    const StatusRecord& status() const { return status_; }

private:
    // readInfo into the copy; the copy changes only on success.
    int refreshInfo();
    // writeBlock, writeBuffer or writeTable between begin and end; the
    // first failed result of the three.
    template <typename Write>
    int inTransaction(Write write);

    CommandChannel& channel_;
    DeviceInfo info_{};
    std::array<uint8_t, kCopySize> keyTable_{};
    std::array<uint8_t, kCopySize> lightTable_{};
    KeyMaps maps_;
    uint8_t activeProfile_ = 0;
    ProfileRecord record_{};
    ProfileRecord previousRecord_{};
    CustomBitmap bitmap_{};
    StatusRecord status_{};
};

}  // namespace talven::keyboard
