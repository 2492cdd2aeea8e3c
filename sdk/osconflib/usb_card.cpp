#include "sdk/osconflib/usb_card.h"

#include <charconv>
#include <filesystem>
#include <fstream>

namespace osconf {

namespace fs = std::filesystem;

namespace {

std::optional<std::uint16_t> parseHex16(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    if (text.empty() || text.size() > 4) return std::nullopt;
    std::uint16_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::uint16_t> readHexFile(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    return parseHex16(line);
}

// "card12" -> 12; other entries (controlC0, pcmC0D0p, seq, timer) -> none.
std::optional<int> cardNumber(const std::string& entry) {
    if (entry.rfind("card", 0) != 0 || entry.size() == 4) return std::nullopt;
    int number = 0;
    auto [end, error] = std::from_chars(entry.data() + 4, entry.data() + entry.size(), number);
    if (error != std::errc() || end != entry.data() + entry.size()) return std::nullopt;
    return number;
}

}  // namespace

std::optional<UsbId> parseUsbId(const std::string& text) {
    std::size_t colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    auto vendor = parseHex16(std::string_view(text).substr(0, colon));
    auto product = parseHex16(std::string_view(text).substr(colon + 1));
    if (!vendor || !product) return std::nullopt;
    return UsbId{*vendor, *product};
}

std::optional<int> findUsbSoundCard(const std::string& soundClass, UsbId id) {
    std::optional<int> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(soundClass, ec)) {
        std::optional<int> number = cardNumber(entry.path().filename().string());
        if (!number || (found && *found < *number)) continue;
        // device/ is the card's USB interface; its parent is the USB device.
        fs::path usbDevice = entry.path() / "device" / "..";
        if (readHexFile(usbDevice / "idVendor") == id.vendor &&
            readHexFile(usbDevice / "idProduct") == id.product) {
            found = number;
        }
    }
    return found;
}

}  // namespace osconf
