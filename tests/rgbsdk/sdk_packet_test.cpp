#include "rgbsdk/sdk_controller.h"
#include "rgbsdk/sdk_packet.h"
#include "rgbsdk/sdk_test_bytes.h"

#include <gtest/gtest.h>

namespace talven::rgbsdk {
namespace {

using test::Bytes;

TEST(SdkPacketTest, HeadersAreAcceptedOnlyWhenWholeAndOfThisProtocol) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        HeaderStatus status;
    };
    const std::vector<Case> cases = {
        {"nothing yet", {}, HeaderStatus::Incomplete},
        {"half a magic", {'O', 'R'}, HeaderStatus::Incomplete},
        {"a wrong first byte is refused at once", {'G'}, HeaderStatus::BadMagic},
        {"wrong case", {'o', 'r', 'g', 'b'}, HeaderStatus::BadMagic},
        {"magic and part of the fields", {'O', 'R', 'G', 'B', 1, 0, 0}, HeaderStatus::Incomplete},
        {"largest payload allowed", test::header(0, 0, 65536), HeaderStatus::Ok},
        {"one byte more", test::header(0, 0, 65537), HeaderStatus::TooLarge},
        {"a length of 4 GiB", test::header(0, 0, 0xFFFFFFFF), HeaderStatus::TooLarge},
    };
    for (const Case& c : cases) EXPECT_EQ(parseHeader(c.bytes).status, c.status) << c.what;
    const HeaderResult h = parseHeader(test::header(0x01020304, 1050, 0x0A0B));
    ASSERT_EQ(h.status, HeaderStatus::Ok);
    EXPECT_EQ(h.header, (PacketHeader{0x01020304, 1050, 0x0A0B}));
}

TEST(SdkPacketTest, PacketsCarryMagicIndexIdAndSizeLittleEndian) {
    const std::vector<uint8_t> payload = {0xAA, 0xBB};
    EXPECT_EQ(encodePacket(3, 1101, payload),
              (std::vector<uint8_t>{'O', 'R', 'G', 'B', 3, 0, 0, 0, 0x4D, 0x04, 0, 0, 2, 0, 0, 0, 0xAA, 0xBB}));
}

TEST(SdkPacketTest, ReaderNeverStepsPastItsBytes) {
    const std::vector<uint8_t> bytes = {5, 0, 'a', 'b'};  // a string claiming 5 bytes, 2 there
    ByteReader r(bytes);
    EXPECT_FALSE(r.string());
    EXPECT_TRUE(r.failed());
    EXPECT_FALSE(r.u8()) << "a failed reader stays failed";
    EXPECT_EQ(r.remaining(), 0u);
}

// One small controller, written out field by field at protocol version 1.
TEST(SdkPacketTest, ControllerDataAtVersionOneMatchesTheDocumentedLayout) {
    SdkController c;
    c.type = device_type::MouseMat;
    c.name = "Pad";
    c.vendor = "V";
    c.location = "L";
    c.activeMode = 0;
    SdkMode m;
    m.name = "Static";
    m.value = 3;
    m.flags = mode_flag::HasBrightness | mode_flag::HasModeSpecificColour;
    m.brightnessMax = 4;  // not sent before version 3
    m.coloursMin = 1;
    m.coloursMax = 1;
    m.colourMode = colour_mode::ModeSpecific;
    m.colours = {rgbColour(0x10, 0x20, 0x30)};
    c.modes = {m};
    c.zones = {{"Edge", kZoneLinear, 2}};
    c.ledNames = {"LED 1", "LED 2"};
    c.colours = {rgbColour(1, 2, 3), rgbColour(4, 5, 6)};

    Bytes body;
    body.u32(7).str("Pad").str("V").str("").str("").str("").str("L");
    body.u16(1).u32(0);
    body.str("Static").u32(3).u32(0x50).u32(0).u32(0).u32(1).u32(1).u32(0).u32(0).u32(2);
    body.u16(1).raw({0x10, 0x20, 0x30, 0});
    body.u16(1).str("Edge").u32(1).u32(2).u32(2).u32(2).u16(0);
    body.u16(2).str("LED 1").u32(0).str("LED 2").u32(1);
    body.u16(2).raw({1, 2, 3, 0, 4, 5, 6, 0});
    const std::vector<uint8_t> expected = Bytes().u32(static_cast<uint32_t>(body.v.size() + 4)).append(body.v).v;
    EXPECT_EQ(encodeControllerData(c, 1), expected);

    // Version 0 has no vendor; 5 adds brightness (8 + 4 bytes per mode),
    // segments and zone flags (2 + 4 per zone), alternative names and flags (6).
    EXPECT_EQ(encodeControllerData(c, 0).size(), expected.size() - 4);
    EXPECT_EQ(encodeControllerData(c, 5).size(), expected.size() + 12 + 6 + 6);
    const std::vector<uint8_t> v5 = encodeControllerData(c, 5);
    EXPECT_EQ(std::vector<uint8_t>(v5.end() - 6, v5.end()), (std::vector<uint8_t>{0, 0, 1, 0, 0, 0}));
}

TEST(SdkPacketTest, LedUpdatesDecodeOnlyWhenSizeAndCountAgreeWithThePayload) {
    const auto leds = [](uint32_t size, uint16_t count, size_t colours) {
        Bytes b;
        b.u32(size).u16(count);
        for (size_t i = 0; i < colours; ++i) b.raw({static_cast<uint8_t>(i), 0x22, 0x33, 0xFF});
        return b.v;
    };
    const auto good = decodeUpdateLeds(leds(14, 2, 2));
    ASSERT_TRUE(good);
    EXPECT_EQ(*good, (std::vector<uint32_t>{0x332200, 0x332201})) << "the fourth byte is padding";
    EXPECT_FALSE(decodeUpdateLeds(leds(14, 3, 2))) << "count beyond the payload";
    EXPECT_FALSE(decodeUpdateLeds(leds(99, 2, 2))) << "size field disagrees";
    EXPECT_FALSE(decodeUpdateLeds(Bytes().u32(4).v)) << "no count at all";

    const auto zone = decodeZoneLeds(Bytes().u32(14).u32(0).u16(1).raw({9, 8, 7, 0}).v);
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->colours, std::vector<uint32_t>{0x070809});
    EXPECT_FALSE(decodeZoneLeds(Bytes().u32(10).u32(0).u16(1).v));

    const auto single = decodeSingleLed(Bytes().u32(0xFFFFFFFF).raw({1, 2, 3, 4}).v);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->led, -1);
    EXPECT_EQ(single->colour, 0x030201u);
    EXPECT_FALSE(decodeSingleLed(Bytes().u32(1).v));
}

TEST(SdkPacketTest, ModeUpdatesFollowTheAgreedVersion) {
    // Index 2, "Wave", value 6, flags speed, speed 0..4, brightness 0..4 (v3),
    // colours 0..0, speed 3, brightness 4 (v3), direction 1, colour mode 0.
    const auto mode = [](bool v3) {
        Bytes b;
        b.u32(2).str("Wave").u32(6).u32(1).u32(0).u32(4);
        if (v3) b.u32(0).u32(4);
        b.u32(0).u32(0).u32(3);
        if (v3) b.u32(4);
        b.u32(1).u32(0).u16(0);
        return Bytes().u32(static_cast<uint32_t>(b.v.size() + 4)).append(b.v).v;
    };
    for (const bool v3 : {false, true}) {
        const auto u = decodeModeUpdate(mode(v3), v3 ? 3 : 2);
        ASSERT_TRUE(u) << v3;
        EXPECT_EQ(u->index, 2);
        EXPECT_EQ(u->mode.name, "Wave");
        EXPECT_EQ(u->mode.value, 6);
        EXPECT_EQ(u->mode.speed, 3u);
        EXPECT_EQ(u->mode.brightness, v3 ? 4u : 0u);
        EXPECT_EQ(u->mode.direction, 1u);
    }
    EXPECT_FALSE(decodeModeUpdate(mode(true), 2)) << "read as version 2 the fields run out of step";
    std::vector<uint8_t> cut = mode(true);
    cut.resize(cut.size() - 3);
    cut[0] = static_cast<uint8_t>(cut.size());
    EXPECT_FALSE(decodeModeUpdate(cut, 3));
}

}  // namespace
}  // namespace talven::rgbsdk
