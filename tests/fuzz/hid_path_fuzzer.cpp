// The texts the program reads identities and file names out of: interface
// paths, the uevent text of a HID node, and the profile and macro file names
// a list names.
//
// Input: a selector byte (which routine gets the text) and the text.
// Besides not crashing, the results keep their promises: a path made from
// an identity reads back as that identity, and a file name taken from a list
// never leaves its data folder.

#include "fuzz_support.h"
#include "platform/hid/hid_enumerator.h"
#include "platform/hid/hid_path.h"
#include "profile/macro_files.h"
#include "profile/profile_list.h"

#include <cstdlib>
#include <string>

using namespace talven;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void parseIdentity(std::string_view text) {
    hid::parseVendorId(text);
    hid::parseProductId(text);
    hid::parseInterfaceNumber(text);
    hid::parseCollectionNumber(text);
    hid::pathNode(text);
}

// A node without '#' and any identity: the path reads back as made.
void roundTrip(fuzz::InputReader& input) {
    hid::PathIdentity id;
    id.vendorId = input.word();
    id.productId = input.word();
    id.interfaceNumber = input.word();
    id.collectionNumber = input.word();
    std::string node(input.restAsText());
    if (node.find('#') != std::string::npos) return;
    const std::string path = hid::makeInterfacePath(node, id);
    require(hid::pathNode(path) == node);
    require(hid::parseVendorId(path) == id.vendorId);
    require(hid::parseProductId(path) == id.productId);
    require(hid::parseInterfaceNumber(path) == id.interfaceNumber);
    require(hid::parseCollectionNumber(path) == id.collectionNumber);
}

// What follows the folder must be one plain name: no separator, no "." or
// "..", no NUL.
void checkInsideFolder(const std::string& folder, const std::string& path, const std::string& extension) {
    if (path.empty()) return;
    require(path.compare(0, folder.size(), folder) == 0);
    const std::string name = path.substr(folder.size(), path.size() - folder.size() - extension.size());
    require(path.size() >= folder.size() + extension.size() + 1);
    require(name.find('/') == std::string::npos && name.find('\0') == std::string::npos);
    require(name != "." && name != "..");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    const uint8_t selector = input.byte();
    const std::string folder = "/data/";
    switch (selector % 4) {
        case 0: parseIdentity(input.restAsText()); break;
        case 1: hid::parseHidUevent(std::string(input.restAsText())); break;
        case 2: roundTrip(input); break;
        default: {
            const std::string name(input.restAsText());
            checkInsideFolder(folder, profileFilePath(folder, name), kProfileFileExtension);
            checkInsideFolder(folder, macroFilePath(folder, name), kMacroFileExtension);
            break;
        }
    }
    return 0;
}
