#pragma once
// The mouse's transactions over its command channel, and the copies of the
// mouse's capability record, button table and settings kept between them.
//
// A mouse behind a wireless receiver (the channel's slow-link flag) may be
// switched off or out of range while the receiver still answers: every
// command to it is preceded by its own link check, and a failed check ends
// the transaction there. Nothing is sent while the channel is not connected.

#include "device/command_channel.h"
#include "device/keyboard/keyboard_records.h"
#include "device/mouse/mouse_records.h"

#include <array>
#include <cstdint>
#include <span>

namespace talven::mouse {

// attach: the slot count asks for a button table longer than the channel
// can move (slots x 3 above 512); the previous copies stay.
inline constexpr int kTableTooLarge = -202;
// writeMacros: the macro memory did not reach the mouse (link check failed,
// not connected, or the image was refused).
inline constexpr int kMacrosNotWritten = -1;

// The mouse's macro memory has the keyboard's layout.
using keyboard::EncodedMacro;

struct SettingsReading {
    int result = channel_result::Refused;  // of the reads; the copies below are the last good ones
    uint8_t activeProfile = 0;
    DecodedMouseSettings decoded;
};

class MouseProtocol {
public:
    static constexpr size_t kCopySize = CommandChannel::kMaxTableSize;

    explicit MouseProtocol(CommandChannel& channel) : channel_(channel) {}
    MouseProtocol(const MouseProtocol&) = delete;
    MouseProtocol& operator=(const MouseProtocol&) = delete;

    // Capability record and factory button table inside one begin/end, then
    // the button map. 1 on success; a failed link check or a refused channel
    // gives 0; kTableTooLarge when the table cannot be read; otherwise the
    // first failed command's result (begin and end included), copies kept.
    int attach();
    bool attached() const { return attached_; }

    // Clears the channel's pause flag; then the active profile number (byte
    // 0 of configuration memory) and that profile's 75-byte block, whose
    // byte 0 becomes the number. Both are kept, or neither.
    SettingsReading readSettings();

    // `size` bytes of configuration memory at `offset`, read as they are
    // (after the link check). The result of the read; Refused unreached.
    int readConfiguration(uint8_t* data, size_t size, uint16_t offset);

    // The eleven assignments into the button table, sent for profile 0 (the
    // mouse keeps one table; another index sends begin and end alone and
    // gives BadTableIndex). 1 on success, 0 when a link check fails or
    // before a successful attach (a table built without the button map
    // would switch every button off), else the first failed command's result.
    int writeButtons(int profileIndex, std::span<const KeyCode> assignments);

    // Bytes 0..69 of profile `profileIndex`'s block. 1, 0 when a link check
    // fails, or the first failed command's result.
    int writeSettings(int profileIndex, uint8_t first, const MouseSettings& settings, const ScreenSize& screen);

    // 0 when sent, and when there is nothing to send; when the image does not
    // fit the mouse's macro memory nothing is sent and the result is how many
    // events are too many, plus one; kMacrosNotWritten otherwise.
    int writeMacros(std::span<const EncodedMacro> macros);

    CommandChannel& channel() { return channel_; }
    const DeviceInfo& info() const { return info_; }
    MouseCapabilities capabilities() const { return decodeCapabilities(info_); }
    const std::array<uint8_t, kCopySize>& buttonTableCopy() const { return buttonTable_; }
    const ButtonMap& buttonMap() const { return map_; }
    uint8_t activeProfile() const { return activeProfile_; }
    const SettingsBlock& settingsBlock() const { return block_; }

private:
    // False when the channel is not connected, or when it is a slow link and
    // the mouse does not answer the link check.
    bool reachable();
    // readInfo into the copy; the copy changes only on success.
    int refreshInfo();

    CommandChannel& channel_;
    DeviceInfo info_{};
    std::array<uint8_t, kCopySize> buttonTable_{};
    ButtonMap map_ = [] {
        ButtonMap m;
        m.fill(kNotPresent);
        return m;
    }();
    bool attached_ = false;
    uint8_t activeProfile_ = 0;
    SettingsBlock block_{};
};

}  // namespace talven::mouse
