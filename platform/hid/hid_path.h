#pragma once
// Interface paths. Windows gives one device path per top-level collection and
// the rest of the program reads vendor, product, interface and collection out
// of that text. We keep the same contract with paths of the form
//   <node>#vid_320f&pid_5029&mi_01&col04
// where <node> is the hidraw node (or a simulator socket) and "&colNN" is
// present only when the interface has more than one top-level collection.

#include <cstdint>
#include <string>
#include <string_view>

namespace talven::hid {

struct PathIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;  // 0 = the interface's only collection
};

std::string makeInterfacePath(std::string_view node, const PathIdentity& id);

// The node part of a path (everything before the last '#'); the whole text
// when there is no '#'.
std::string pathNode(std::string_view path);

// Each finds its token case-insensitively, skips it and reads a hexadecimal
// number; a missing token or a token without digits yields 0.
uint16_t parseVendorId(std::string_view path);
uint16_t parseProductId(std::string_view path);
uint16_t parseInterfaceNumber(std::string_view path);
uint16_t parseCollectionNumber(std::string_view path);

}  // namespace talven::hid
