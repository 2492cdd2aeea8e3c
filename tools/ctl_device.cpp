#include "tools/ctl_device.h"

#include "device/device_scan.h"
#include "device/product_table.h"
#include "tools/ctl_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace talven::ctl {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Names a user is likely to type, beside the product rows' own kind names.
std::string canonicalName(const std::string& name) {
    std::string n = lower(name);
    if (n == "headset") return "hd";
    if (n == "pad") return "mousepad";
    return n;
}

}  // namespace

std::vector<FoundInterface> findSupportedInterfaces() {
    DeviceScanner scanner({});
    scanner.scanOnce();
    std::vector<FoundInterface> found;
    const auto slots = scanner.slotList();
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].occupied) continue;
        const ProductRow* product = productForSlot(slots[i]);
        found.push_back({static_cast<int>(i), slots[i],
                         product ? std::string(product->kindName) : std::string()});
    }
    return found;
}

std::optional<FoundInterface> selectCommandInterface(const std::vector<FoundInterface>& found,
                                                     const std::string& selector,
                                                     std::string* error) {
    const auto slotNumber = parseNumber(selector, 64);
    for (const auto& f : found) {
        if (f.entry.role != role::Command) continue;
        if (selector.empty() || f.entry.path == selector ||
            (slotNumber && static_cast<int>(*slotNumber) == f.slot) ||
            canonicalName(f.productName) == canonicalName(selector))
            return f;
    }
    if (error)
        *error = selector.empty() ? "no supported device found"
                                  : "no supported device matches '" + selector + "'";
    return std::nullopt;
}

std::optional<FoundInterface> findInterfaceOfKind(uint16_t deviceKind, const std::string& what,
                                                  const std::string& selector, std::string* error) {
    const auto found = findSupportedInterfaces();
    if (selector.empty()) {
        for (const auto& f : found)
            if (f.entry.role == role::Command && f.entry.kind == deviceKind) return f;
        *error = "no " + what + " found";
        return std::nullopt;
    }
    auto target = selectCommandInterface(found, selector, error);
    if (target && target->entry.kind != deviceKind) {
        *error = "'" + selector + "' is not a " + what;
        return std::nullopt;
    }
    return target;
}

std::optional<FoundInterface> findKeyboardInterface(const std::string& selector, std::string* error) {
    return findInterfaceOfKind(kind::Keyboard, "keyboard", selector, error);
}

bool openChannel(CommandChannel& channel, const FoundInterface& target, bool trace,
                 std::string* error) {
    auto& device = channel.device();
    if (trace) {
        device.setTraceHook([](char direction, std::span<const uint8_t> report) {
            std::printf("%c %s\n", direction, hexBytes(report).c_str());
            std::fflush(stdout);
        });
    }
    if (!device.open(target.entry.path, true, true, true, false)) {
        if (error) *error = "cannot open " + target.entry.path;
        return false;
    }
    channel.setConnected(true);
    channel.setSlowLink(target.entry.kind == kind::WirelessMouse);
    return true;
}

}  // namespace talven::ctl
