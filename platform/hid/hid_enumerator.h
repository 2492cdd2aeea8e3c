#pragma once
// Enumeration of HID interfaces through sysfs.
//
// A class directory holds one entry per hidraw node (/sys/class/hidraw/hidrawN)
// with the HID device's uevent and report descriptor below "device/". The node
// itself is <devDir>/<entry name>, unless the entry holds a "node" of its own:
// that is how the device simulator's sockets are found by the same code.

#include "platform/hid/hid_path.h"
#include "platform/hid/report_descriptor.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talven::hid {

struct HidRoot {
    std::string classDir;  // e.g. /sys/class/hidraw
    std::string devDir;    // e.g. /dev
};

// What one uevent file says about a HID device.
struct HidUevent {
    uint16_t bus = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;  // from HID_PHYS ".../inputN"
    std::string name;
};

// Parses the KEY=value lines of a HID uevent file ("HID_ID=0003:0000320F:00005029",
// "HID_PHYS=usb-0000:00:14.0-1/input1", "HID_NAME=..."). nullopt without HID_ID.
std::optional<HidUevent> parseHidUevent(const std::string& text);

// One top-level collection of one interface.
struct HidInterfaceInfo {
    std::string path;   // in the form of hid_path.h
    std::string node;
    std::string sysfsDir;  // the entry's "device" directory (uevent, report_descriptor)
    HidUevent uevent;
    uint16_t collectionNumber = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
};

// The real system (/sys/class/hidraw, /dev) and, when TALVEN_SIM_DIR is set,
// the simulator directory after it.
std::vector<HidRoot> defaultHidRoots();

// Every top-level collection of every entry below the roots, entries in name
// order (hidraw2 before hidraw10). Entries whose uevent or descriptor cannot
// be read or parsed are skipped.
std::vector<HidInterfaceInfo> enumerateHidInterfaces(const std::vector<HidRoot>& roots);

// Reads the descriptor of the sysfs entry that belongs to a node, wherever it
// lives: a hidraw node is looked up under /sys/class/hidraw, a simulator node
// next to itself ("<dir>/node" -> "<dir>/device/report_descriptor").
std::optional<std::vector<uint8_t>> readDescriptorForNode(const std::string& node);
std::optional<HidUevent> readUeventForNode(const std::string& node);
// The USB release number (bcdDevice) of the device behind a node: the first
// "bcdDevice" at or above its sysfs "device" directory, which for a real
// hidraw node is the USB device two levels above the HID device. nullopt when
// there is none or it is not a 16-bit hexadecimal number.
std::optional<uint16_t> readReleaseNumber(const std::filesystem::path& deviceDir);
std::optional<uint16_t> readReleaseNumberForNode(const std::string& node);

// The result of one enumeration, handed out one path at a time.
struct HidPathList {
    std::vector<std::string> items;
    size_t cursor = 0;
};

// Fills the list with every present interface path (default roots); the
// cursor goes back to 0.
bool enumerate(HidPathList& list);
bool enumerate(HidPathList& list, const std::vector<HidRoot>& roots);
// The next path, or nullptr after the last.
const std::string* nextPath(HidPathList& list);
void freeList(HidPathList& list);

}  // namespace talven::hid
