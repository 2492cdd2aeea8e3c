// The simulated mouse pad, read from the outside: frames built by hand,
// memory and replies decoded here from the pad's layout (blocks packed at
// p x 25, writes in 64-byte windows), its profile button and its frames.

#include "device/command_frame.h"
#include "sim/mousepad_model.h"
#include "sim/sim_products.h"

#include <gtest/gtest.h>

namespace talven::sim {
namespace {

std::unique_ptr<FirmwareModel> makePad() {
    const ProductSpec* spec = findSimProduct("mousepad");
    return spec->makeModel(spec->firmware());
}

std::vector<std::string> words(std::initializer_list<const char*> list) { return {list.begin(), list.end()}; }

Frame replyTo(FirmwareModel& model, const talven::Frame& request) {
    ModelResponse r = model.handleOutputReport(request);
    Frame f{};
    EXPECT_EQ(r.reports.size(), 1u);
    if (!r.reports.empty()) std::copy_n(r.reports[0].begin(), kFrameSize, f.begin());
    return f;
}

TEST(MousePadModelTest, FactoryBlocksArePackedAt25WithTheSpeedInverted) {
    auto pad = makePad();
    EXPECT_EQ(pad->read(Area::Info, 2, 1), std::vector<uint8_t>{3});
    EXPECT_EQ(pad->read(Area::Info, 4, 1), std::vector<uint8_t>{15});
    // Profile 2's block: mode 2, brightness 4, stored speed 2 (level 2).
    const Frame reply = replyTo(*pad, talven::makeFrame(0x05, 4, 2 * 25));
    EXPECT_EQ(frameStatus(reply), status::Ok);
    EXPECT_EQ(std::vector<uint8_t>(reply.begin() + 8, reply.begin() + 12), (std::vector<uint8_t>{0, 2, 4, 2}));
}

TEST(MousePadModelTest, WritesLandInTheBlockOfTheirWindow) {
    auto pad = makePad();
    const std::vector<uint8_t> head = {0, 6, 3, 3, 1, 0, 10, 20, 30};
    struct Case {
        uint16_t offset;
        size_t block;
    };
    for (const Case c : {Case{0, 0}, Case{64, 25}, Case{4 * 64, 100}}) {
        EXPECT_EQ(frameStatus(replyTo(*pad, talven::makeFrame(0x06, head.size(), c.offset, head))), status::Ok);
        EXPECT_EQ(pad->read(Area::Config, c.block, head.size()), head) << c.offset;
    }
    // Bytes 0..20 of a window fit; a chunk past the block, or a window of no
    // profile, is refused and changes nothing.
    const auto before = pad->area(Area::Config);
    const std::vector<uint8_t> long26(26, 0xEE), one = {0xEE};
    EXPECT_EQ(frameStatus(replyTo(*pad, talven::makeFrame(0x06, 26, 64, long26))), status::Failed);
    EXPECT_EQ(frameStatus(replyTo(*pad, talven::makeFrame(0x06, 1, 64 + 25, one))), status::Failed);
    EXPECT_EQ(frameStatus(replyTo(*pad, talven::makeFrame(0x06, 1, 5 * 64, one))), status::Failed);
    EXPECT_EQ(pad->area(Area::Config), before);
}

TEST(MousePadModelTest, ProfileButtonSetsByteZeroAndAsksForASync) {
    auto pad = makePad();
    ModelResponse out;
    EXPECT_EQ(pad->control(words({"profile", "mousepad", "1"}), out), "ok");
    EXPECT_EQ(pad->read(Area::Config, 0, 1), std::vector<uint8_t>{1});
    // Usage 0x0401 on report 3: low byte first, then the release.
    EXPECT_EQ(out.reports, (std::vector<Report>{{3, 0x01, 0x04}, {3, 0, 0}}));
    for (auto bad : {words({"profile", "mousepad", "5"}), words({"profile", "mousepad"})}) {
        out = {};
        const auto answer = pad->control(bad, out);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->rfind("error", 0), 0u) << *answer;
        EXPECT_TRUE(out.reports.empty());
    }
}

TEST(MousePadModelTest, FramesAreCountedAndKept) {
    auto pad = makePad();
    auto* model = dynamic_cast<MousePadModel*>(pad.get());
    ASSERT_NE(model, nullptr);
    std::vector<uint8_t> frame(45);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
    replyTo(*pad, talven::makeFrame(0x12, frame.size(), 0, frame));
    replyTo(*pad, talven::makeFrame(0x12, frame.size(), 0, frame));
    EXPECT_EQ(model->framesReceived(), 2u);
    EXPECT_EQ(pad->read(Area::LightFrame, 0, 45), frame);
}

// Any product answers "memory" with an area's bytes; the pad's last frame
// and its first profile block are two of them.
TEST(MousePadModelTest, MemoryVerbShowsAreaBytesInHex) {
    auto pad = makePad();
    const std::vector<uint8_t> frame = {0xAB, 0x01, 0xFE};
    replyTo(*pad, talven::makeFrame(0x12, frame.size(), 0, frame));
    ModelResponse out;
    EXPECT_EQ(pad->control(words({"memory", "mousepad", "light-frame", "0", "4"}), out), "ok ab01fe00");
    // Profile 1's block starts at 25: mode 1, brightness 4, speed stored as 2.
    EXPECT_EQ(pad->control(words({"memory", "mousepad", "config", "25", "4"}), out), "ok 00010402");
    for (auto bad : {words({"memory", "mousepad", "light-frame", "0"}), words({"memory", "mousepad", "ram", "0", "1"}),
                     words({"memory", "mousepad", "status", "5", "2"}), words({"memory", "mousepad", "status", "-1", "1"})}) {
        const auto answer = pad->control(bad, out);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->rfind("error", 0), 0u) << *answer;
    }
}

}  // namespace
}  // namespace talven::sim
