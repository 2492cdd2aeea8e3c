#include "device/keyboard/keyboard_notifications.h"

namespace talven::keyboard {

KeyboardNotification decodeNotification(uint16_t code, const KeyMaps& maps) {
    switch (code) {
        case notification::Synchronise: return {NotificationKind::Synchronise};
        case notification::GameMode: return {NotificationKind::GameMode};
        case notification::Counter: return {NotificationKind::Counter};
        default: break;
    }
    const uint16_t group = code & 0xFF00;
    if (group != notification::KeyPressBase && group != notification::KeyReleaseBase) return {};
    const auto key = keyAtPosition(maps, static_cast<uint8_t>(code & 0xFF));
    if (!key) return {};
    return {NotificationKind::KeyEvent, *key, static_cast<uint8_t>(group == notification::KeyPressBase ? 1 : 2)};
}

std::optional<uint16_t> notificationCode(const std::vector<hid::DataItem>& items) {
    if (items.empty() || !items.front().hasData) return std::nullopt;
    const hid::DataItem& first = items.front();
    if (first.isButton) {
        if (first.usages.empty()) return std::nullopt;
        return first.usages.front();
    }
    return first.usage;
}

std::optional<uint16_t> readNotificationCode(hid::HidDevice& events, int timeoutMs) {
    std::vector<uint8_t>& report = events.inputReport();
    if (report.empty()) return std::nullopt;
    size_t got = 0;
    if (!events.read(report.data(), report.size(), timeoutMs, &got) || got == 0) return std::nullopt;
    if (!events.unpackInputReport()) return std::nullopt;
    return notificationCode(events.inputItems());
}

}  // namespace talven::keyboard
