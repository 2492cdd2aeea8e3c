#include "platform/hid/hid_enumerator.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace talven::hid {
namespace {

using test::TempDir;
using test::writeFile;

// A vendor command collection (report 4) and a consumer-control event
// collection (report 3) on one interface, as the keyboard has them.
const std::string kTwoCollections = {
    '\x06', '\x1C', '\xFF', '\x09', '\x92', '\xA1', '\x01', '\x85', '\x04', '\x09', '\x01', '\x75', '\x08',
    '\x95', '\x3F', '\x91', '\x02', '\x09', '\x01', '\x81', '\x02', '\xC0', '\x05', '\x0C', '\x09', '\x01',
    '\xA1', '\x01', '\x85', '\x03', '\x19', '\x00', '\x2A', '\xFF', '\x02', '\x15', '\x00', '\x26', '\xFF',
    '\x02', '\x75', '\x10', '\x95', '\x01', '\x81', '\x00', '\xC0'};
// One consumer-control collection without report IDs (a headset).
const std::string kOneCollection = {'\x05', '\x0C', '\x09', '\x01', '\xA1', '\x01', '\x09', '\xE9', '\x09',
                                    '\xEA', '\x15', '\x00', '\x25', '\x01', '\x75', '\x01', '\x95', '\x02',
                                    '\x81', '\x02', '\x95', '\x06', '\x81', '\x03', '\xC0'};

std::string uevent(const std::string& id, const std::string& phys) {
    return "DRIVER=hid-generic\nHID_ID=" + id + "\nHID_NAME=Test Device\nHID_PHYS=" + phys +
           "\nHID_UNIQ=\nMODALIAS=hid:b0003g0001v0000320Fp00005029\n";
}

void addEntry(const TempDir& root, const std::string& name, const std::string& ueventText,
              const std::string& descriptor) {
    std::filesystem::path device = root / "class" / name / "device";
    if (!ueventText.empty()) writeFile(device / "uevent", ueventText);
    if (!descriptor.empty()) writeFile(device / "report_descriptor", descriptor);
}

class HidEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_ / "dev");
        addEntry(dir_, "hidraw10", uevent("0003:00000D8C:000001DA", "usb-0000:00:14.0-3/input3"), kOneCollection);
        addEntry(dir_, "hidraw2", uevent("0003:0000320F:00005029", "usb-0000:00:14.0-1/input1"), kTwoCollections);
        // Broken entries: a descriptor that does not parse, no uevent, no HID_ID.
        addEntry(dir_, "hidraw3", uevent("0003:0000320F:00005029", "x/input0"), "\xA1\x01");
        addEntry(dir_, "hidraw4", "", kOneCollection);
        addEntry(dir_, "hidraw5", "HID_NAME=nothing\n", kOneCollection);
        addEntry(dir_, ".hidraw1", uevent("0003:0000320F:00005029", "x/input1"), kOneCollection);
    }

    std::vector<HidRoot> roots() const { return {{(dir_ / "class").string(), (dir_ / "dev").string()}}; }

    TempDir dir_;
};

TEST_F(HidEnumeratorTest, OnePathPerTopLevelCollectionInNaturalOrder) {
    auto found = enumerateHidInterfaces(roots());
    std::string dev = (dir_ / "dev").string();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, dev + "/hidraw2#vid_320f&pid_5029&mi_01&col01");
    EXPECT_EQ(found[1].path, dev + "/hidraw2#vid_320f&pid_5029&mi_01&col02");
    EXPECT_EQ(found[2].path, dev + "/hidraw10#vid_0d8c&pid_01da&mi_03");
    EXPECT_EQ(found[0].usagePage, 0xFF1C);
    EXPECT_EQ(found[0].usage, 0x92);
    EXPECT_EQ(found[1].usagePage, 0x000C);
    EXPECT_EQ(found[1].collectionNumber, 2);
    EXPECT_EQ(found[2].collectionNumber, 0);
    EXPECT_EQ(found[2].node, dev + "/hidraw10");
    EXPECT_EQ(found[2].uevent.name, "Test Device");
    EXPECT_EQ(found[2].sysfsDir, (dir_ / "class" / "hidraw10" / "device").string());
}

// The simulator's socket sits in the entry itself and replaces the /dev node.
TEST_F(HidEnumeratorTest, NodeInEntryTakesPrecedence) {
    writeFile(dir_ / "class" / "hidraw10" / "node", "");
    auto found = enumerateHidInterfaces(roots());
    ASSERT_EQ(found.size(), 3u);
    std::string node = (dir_ / "class" / "hidraw10" / "node").string();
    EXPECT_EQ(found[2].node, node);
    EXPECT_EQ(found[2].path, node + "#vid_0d8c&pid_01da&mi_03");
    EXPECT_EQ(readDescriptorForNode(node), std::vector<uint8_t>(kOneCollection.begin(), kOneCollection.end()));
    ASSERT_TRUE(readUeventForNode(node));
    EXPECT_EQ(readUeventForNode(node)->productId, 0x01DA);
    EXPECT_FALSE(readDescriptorForNode((dir_ / "dev" / "other").string()));
}

TEST_F(HidEnumeratorTest, PathListHandsOutEachPathOnce) {
    HidPathList list;
    ASSERT_TRUE(enumerate(list, roots()));
    std::vector<std::string> seen;
    while (const std::string* p = nextPath(list)) seen.push_back(*p);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(nextPath(list), nullptr);
    // A second enumeration starts over rather than appending.
    ASSERT_TRUE(enumerate(list, roots()));
    EXPECT_EQ(list.items, seen);
    freeList(list);
    EXPECT_EQ(nextPath(list), nullptr);
    // A missing class directory is an empty machine, not a failure.
    ASSERT_TRUE(enumerate(list, {{(dir_ / "absent").string(), "/dev"}}));
    EXPECT_TRUE(list.items.empty());
}

TEST(HidEnumerator, DefaultRootsAddSimulatorDirectory) {
    const char* old = std::getenv("TALVEN_SIM_DIR");
    std::string saved = old ? old : "";
    ::setenv("TALVEN_SIM_DIR", "/tmp/sim", 1);
    auto withSim = defaultHidRoots();
    ::setenv("TALVEN_SIM_DIR", "", 1);
    auto emptySim = defaultHidRoots();
    if (old) ::setenv("TALVEN_SIM_DIR", saved.c_str(), 1); else ::unsetenv("TALVEN_SIM_DIR");
    ASSERT_EQ(withSim.size(), 2u);
    EXPECT_EQ(withSim[0].classDir, "/sys/class/hidraw");
    EXPECT_EQ(withSim[0].devDir, "/dev");
    EXPECT_EQ(withSim[1].classDir, "/tmp/sim");
    EXPECT_EQ(withSim[1].devDir, "/tmp/sim");
    EXPECT_EQ(emptySim.size(), 1u);
}

struct UeventCase {
    std::string text;
    bool ok;
    uint16_t bus, vid, pid, interface;
    std::string name;
};

TEST(HidEnumerator, ParsesUevent) {
    const std::vector<UeventCase> cases = {
        {uevent("0003:0000320F:00005029", "usb-0000:00:14.0-1/input1"), true, 3, 0x320F, 0x5029, 1, "Test Device"},
        {"HID_ID=0005:000005AC:00000256\nHID_PHYS=00:19:0e:11:03:8f\n", true, 5, 0x05AC, 0x0256, 0, ""},
        {"HID_PHYS=usb-1/input12\r\nHID_ID=0003:00000458:00004018\r\n", true, 3, 0x0458, 0x4018, 12, ""},
        {"HID_ID=0003:00000458:00004018\nHID_PHYS=usb-1/input\n", true, 3, 0x0458, 0x4018, 0, ""},
        {"HID_NAME=no id\n", false, 0, 0, 0, 0, ""},
        {"HID_ID=0003:0458\n", false, 0, 0, 0, 0, ""},
        {"HID_ID=0003:0001320F:00005029\n", false, 0, 0, 0, 0, ""},  // vendor beyond 16 bits
        {"HID_ID=0003:0000320G:00005029\n", false, 0, 0, 0, 0, ""},
    };
    for (const UeventCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = parseHidUevent(c.text);
        ASSERT_EQ(parsed.has_value(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(parsed->bus, c.bus);
        EXPECT_EQ(parsed->vendorId, c.vid);
        EXPECT_EQ(parsed->productId, c.pid);
        EXPECT_EQ(parsed->interfaceNumber, c.interface);
        EXPECT_EQ(parsed->name, c.name);
    }
}

}  // namespace
}  // namespace talven::hid

namespace talven::hid {
namespace {

// A real hidraw node's "device" link leads to the HID device; the USB device
// with its bcdDevice is two levels above it (the USB interface between).
TEST(HidEnumerator, TheReleaseNumberIsTheUsbDevicesBcdDevice) {
    struct Case {
        const char* text;
        std::optional<uint16_t> release;
    };
    const Case cases[] = {{"0103\n", 0x0103}, {"ffff\n", 0xFFFF}, {"0A10", 0x0A10}, {"12345\n", std::nullopt},
                          {"01x3\n", std::nullopt}, {"\n", std::nullopt}};
    for (const Case& c : cases) {
        TempDir dir;
        const std::filesystem::path usb = dir / "devices" / "usb1" / "1-4";
        const std::filesystem::path hid = usb / "1-4:1.1" / "0003:320F:5029.0007";
        writeFile(usb / "bcdDevice", c.text);
        writeFile(hid / "uevent", uevent("0003:0000320F:00005029", "usb-0000:00:14.0-4/input1"));
        std::filesystem::create_directories(dir / "class" / "hidraw7");
        std::filesystem::create_directory_symlink(hid, dir / "class" / "hidraw7" / "device");
        EXPECT_EQ(readReleaseNumber(dir / "class" / "hidraw7" / "device"), c.release) << c.text;
    }
}

TEST(HidEnumerator, NoReleaseNumberWhenNoUsbDeviceIsNear) {
    TempDir dir;
    writeFile(dir / "far" / "bcdDevice", "0103\n");
    writeFile(dir / "far" / "a" / "b" / "c" / "hid" / "uevent", "HID_ID=0003:00000001:00000002\n");
    EXPECT_EQ(readReleaseNumber(dir / "far" / "a" / "b" / "c" / "hid"), std::nullopt) << "four levels up";
    EXPECT_EQ(readReleaseNumber(dir / "missing"), std::nullopt);
}

}  // namespace
}  // namespace talven::hid
