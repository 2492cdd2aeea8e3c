#include "rgbsdk/sdk_session.h"
#include "rgbsdk/sdk_test_bytes.h"

#include <gtest/gtest.h>

namespace talven::rgbsdk {
namespace {

using test::Bytes;

ControllerList twoControllers() {
    ControllerList list(2);
    list[0].name = "Zero";
    list[1].name = "One";
    list[1].ledNames = {"a", "b"};
    list[1].colours = {0, 0};
    return list;
}

struct Exchange {
    SdkSession session{7};
    ControllerList controllers = twoControllers();
    std::vector<uint8_t> out;
    std::vector<SdkCommand> commands;
    bool send(const std::vector<uint8_t>& bytes) { return session.receive(bytes, controllers, out, commands); }
};

TEST(SdkSessionTest, VersionIsAgreedAndTheServerNamesItsOwn) {
    struct Case {
        std::vector<uint8_t> payload;
        uint32_t agreed;
    };
    for (const Case& c : std::vector<Case>{{Bytes().u32(5).v, 5}, {Bytes().u32(3).v, 3}, {Bytes().u32(99).v, 5},
                                          {{}, 0}}) {
        Exchange x;
        ASSERT_TRUE(x.send(test::packet(0, 40, c.payload)));
        EXPECT_EQ(x.session.version(), c.agreed);
        EXPECT_EQ(x.out, test::packet(0, 40, Bytes().u32(5).v));
    }
}

TEST(SdkSessionTest, CountAndDataAnswerWithTheirOwnIds) {
    Exchange x;
    ASSERT_TRUE(x.send(test::packet(0, 0, {})));
    EXPECT_EQ(x.out, test::packet(0, 0, Bytes().u32(2).v));
    x.out.clear();
    ASSERT_TRUE(x.send(test::packet(1, 1, Bytes().u32(0).v)));
    ASSERT_GE(x.out.size(), 16u + 8u);
    const std::vector<uint8_t> head = test::header(1, 1, 0);
    EXPECT_EQ(std::vector<uint8_t>(x.out.begin(), x.out.begin() + 12), std::vector<uint8_t>(head.begin(), head.begin() + 12));
    // Block: size, type 0, then the name "One" right after.
    EXPECT_EQ(std::vector<uint8_t>(x.out.begin() + 24, x.out.begin() + 30),
              (std::vector<uint8_t>{4, 0, 'O', 'n', 'e', 0}));
    x.out.clear();
    ASSERT_TRUE(x.send(test::packet(2, 1, Bytes().u32(0).v)));
    EXPECT_TRUE(x.out.empty()) << "no controller 2";
}

TEST(SdkSessionTest, PacketsSplitAnywhereAreJoinedAndUnknownOnesSkipped) {
    Exchange x;
    Bytes stream;
    stream.append(test::packet(0, 9999, {1, 2, 3}));  // unknown id, with a payload to skip
    stream.append(test::packet(0, 50, {'n', 'o', 'd', 'e', 0, 'x'}));
    stream.append(test::packet(1, 1052, Bytes().u32(1).raw({9, 8, 7, 0}).v));
    stream.append(test::packet(0, 0, {}));
    for (uint8_t byte : stream.v) ASSERT_TRUE(x.send({byte}));
    EXPECT_EQ(x.session.clientName(), "node");
    ASSERT_EQ(x.commands.size(), 1u);
    EXPECT_EQ(x.commands[0].kind, SdkCommand::Kind::UpdateSingleLed);
    EXPECT_EQ(x.commands[0].client, 7u);
    EXPECT_EQ(x.commands[0].controller, 1u);
    EXPECT_EQ(x.commands[0].led, 1);
    EXPECT_EQ(x.commands[0].colours, std::vector<uint32_t>{0x070809});
    EXPECT_EQ(x.out, test::packet(0, 0, Bytes().u32(2).v));
    EXPECT_EQ(x.session.buffered(), 0u);
}

TEST(SdkSessionTest, MalformedRequestsChangeNothingAndBadStreamsEndTheConnection) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool keep;
    };
    const std::vector<Case> cases = {
        {"LED count beyond the packet", test::packet(1, 1050, Bytes().u32(10).u16(200).raw({1, 2, 3, 4}).v), true},
        {"controller out of range", test::packet(5, 1050, Bytes().u32(10).u16(1).raw({1, 2, 3, 4}).v), true},
        {"custom mode for no controller", test::packet(2, 1100, {}), true},
        {"mode update cut short", test::packet(0, 1101, Bytes().u32(8).u32(0).v), true},
        {"single LED without colour", test::packet(0, 1052, Bytes().u32(0).v), true},
        {"another protocol", {'G', 'E', 'T', ' ', '/'}, false},
        {"payload beyond the bound", test::header(0, 1050, 1 << 20), false},
    };
    for (const Case& c : cases) {
        Exchange x;
        EXPECT_EQ(x.send(c.bytes), c.keep) << c.what;
        EXPECT_TRUE(x.commands.empty()) << c.what;
        EXPECT_TRUE(x.out.empty()) << c.what;
    }
}

TEST(SdkSessionTest, AnswersStopAtTheUnreadBound) {
    Exchange x;
    x.controllers[1].ledNames.assign(2000, std::string(100, 'n'));  // about 200 KiB a block
    x.controllers[1].colours.assign(2000, 0);
    Bytes requests;
    for (int i = 0; i < 40; ++i) requests.append(test::packet(1, 1, Bytes().u32(5).v));
    EXPECT_FALSE(x.send(requests.v));
    Exchange one;
    one.controllers = x.controllers;
    ASSERT_TRUE(one.send(test::packet(1, 1, Bytes().u32(5).v)));
    const size_t block = one.out.size();
    EXPECT_EQ(x.out.size() % block, 0u) << "whole answers only";
    EXPECT_GT(x.out.size(), SdkSession::kMaxUnread);
    EXPECT_LE(x.out.size(), SdkSession::kMaxUnread + block);
}

TEST(SdkSessionTest, ClientNameIsBounded) {
    Exchange x;
    ASSERT_TRUE(x.send(test::packet(0, 50, std::vector<uint8_t>(4000, 'a'))));
    EXPECT_EQ(x.session.clientName().size(), SdkSession::kMaxClientName);
}

}  // namespace
}  // namespace talven::rgbsdk
