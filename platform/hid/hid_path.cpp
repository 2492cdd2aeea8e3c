#include "platform/hid/hid_path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace talven::hid {

namespace {

// Case-insensitive search, as the paths may come in either case.
size_t findToken(std::string_view text, std::string_view token) {
    auto it = std::search(text.begin(), text.end(), token.begin(), token.end(),
                          [](char a, char b) {
                              return std::tolower(static_cast<unsigned char>(a)) ==
                                     std::tolower(static_cast<unsigned char>(b));
                          });
    return it == text.end() ? std::string_view::npos : static_cast<size_t>(it - text.begin());
}

// Reads hexadecimal digits after the token the way "%x" does: leading blanks
// and an optional "0x" are accepted, reading stops at the first non-digit.
uint16_t hexAfter(std::string_view path, std::string_view token) {
    // Our own paths put the node first; a folder such as "/home/david_x" must
    // not be read as a vendor token, so only the identity after the '#' counts.
    size_t hash = path.rfind('#');
    if (hash != std::string_view::npos && findToken(path.substr(hash + 1), "vid_") == 0)
        path = path.substr(hash + 1);
    size_t at = findToken(path, token);
    if (at == std::string_view::npos) return 0;
    std::string rest(path.substr(at + token.size()));
    unsigned value = 0;
    if (std::sscanf(rest.c_str(), "%x", &value) != 1) return 0;
    return static_cast<uint16_t>(value);
}

}  // namespace

std::string makeInterfacePath(std::string_view node, const PathIdentity& id) {
    char tail[64];
    std::snprintf(tail, sizeof tail, "#vid_%04x&pid_%04x&mi_%02x", id.vendorId, id.productId,
                  id.interfaceNumber);
    std::string path(node);
    path += tail;
    if (id.collectionNumber != 0) {
        std::snprintf(tail, sizeof tail, "&col%02x", id.collectionNumber);
        path += tail;
    }
    return path;
}

std::string pathNode(std::string_view path) {
    size_t hash = path.rfind('#');
    return std::string(hash == std::string_view::npos ? path : path.substr(0, hash));
}

uint16_t parseVendorId(std::string_view path) { return hexAfter(path, "vid_"); }
uint16_t parseProductId(std::string_view path) { return hexAfter(path, "pid_"); }
uint16_t parseInterfaceNumber(std::string_view path) { return hexAfter(path, "&mi_"); }
uint16_t parseCollectionNumber(std::string_view path) { return hexAfter(path, "&col"); }

}  // namespace talven::hid
