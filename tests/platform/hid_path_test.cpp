#include "platform/hid/hid_path.h"

#include <gtest/gtest.h>

namespace talven::hid {
namespace {

struct PathCase {
    std::string path;
    uint16_t vid, pid, mi, col;
};

TEST(HidPath, ParsesIdentityTokens) {
    const std::vector<PathCase> cases = {
        {R"(\\?\hid#VID_320F&PID_5029&MI_01&Col04#7&1a2b&0&0003#{4d1e55b2-f16f-11cf-88cb-001111000030})",
         0x320F, 0x5029, 1, 4},
        {R"(\\?\hid#vid_0c45&pid_6627&mi_01&col03#8&2c3d&0&0002#{4d1e55b2-f16f-11cf-88cb-001111000030})",
         0x0C45, 0x6627, 1, 3},
        {"/dev/hidraw3#vid_0d8c&pid_01da&mi_03", 0x0D8C, 0x01DA, 3, 0},
        {"/dev/hidraw3#VID_0D8C&PID_01DA&MI_0A&COL10", 0x0D8C, 0x01DA, 0x0A, 0x10},
        // Missing tokens, and tokens without digits, read as 0.
        {"/dev/hidraw0", 0, 0, 0, 0},
        {"/dev/hidraw0#vid_&pid_zz&mi_", 0, 0, 0, 0},
        {R"(\\?\hid#x&mi_02&col01#whatever)", 0, 0, 2, 1},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(parseVendorId(c.path), c.vid);
        EXPECT_EQ(parseProductId(c.path), c.pid);
        EXPECT_EQ(parseInterfaceNumber(c.path), c.mi);
        EXPECT_EQ(parseCollectionNumber(c.path), c.col);
    }
}

// What the enumerator writes must read back the same through the parsers
// the rest of the program uses, with or without a collection number.
TEST(HidPath, BuiltPathsParseBack) {
    for (PathIdentity id : {PathIdentity{0x320F, 0x5029, 1, 4}, PathIdentity{0xFFFF, 0x0001, 0, 0},
                            PathIdentity{0x0D8C, 0x01DA, 3, 0x1F}}) {
        std::string path = makeInterfacePath("/tmp/sim/kbd/node", id);
        SCOPED_TRACE(path);
        EXPECT_EQ(parseVendorId(path), id.vendorId);
        EXPECT_EQ(parseProductId(path), id.productId);
        EXPECT_EQ(parseInterfaceNumber(path), id.interfaceNumber);
        EXPECT_EQ(parseCollectionNumber(path), id.collectionNumber);
        EXPECT_EQ(path.find("&col") != std::string::npos, id.collectionNumber != 0);
        EXPECT_EQ(pathNode(path), "/tmp/sim/kbd/node");
    }
    EXPECT_EQ(makeInterfacePath("/dev/hidraw3", {0x320F, 0x5029, 1, 4}), "/dev/hidraw3#vid_320f&pid_5029&mi_01&col04");
    EXPECT_EQ(pathNode("/dev/hidraw7"), "/dev/hidraw7");
}

// A folder name that happens to hold a token must not be read as one.
TEST(HidPath, TokensInTheNodeFolderAreNotIdentity) {
    std::string path = makeInterfacePath("/home/david_x/&mi_7/&col9/node", {0x320F, 0x5029, 1, 0});
    EXPECT_EQ(parseVendorId(path), 0x320F);
    EXPECT_EQ(parseInterfaceNumber(path), 1);
    EXPECT_EQ(parseCollectionNumber(path), 0);
}

}  // namespace
}  // namespace talven::hid
