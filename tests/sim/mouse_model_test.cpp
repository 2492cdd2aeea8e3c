// The simulated mice: the button table kept apart from the factory codes,
// the buttons on the mouse itself, and the wireless mouse going out of the
// receiver's reach.

#include "device/command_frame.h"
#include "sim/mouse_model.h"
#include "sim/sim_products.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talven::sim {
namespace {

std::unique_ptr<FirmwareModel> makeProduct(std::string_view name) {
    const ProductSpec* spec = findSimProduct(name);
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

TEST(MouseModelTest, ButtonWritesLeaveTheFactoryCodesReadable) {
    auto mouse = makeProduct("mouse");
    const std::vector<uint8_t> codes = {0x20, 0x04, 0x00, 0x20, 0x05, 0x00};
    const Frame reply = replyTo(*mouse, talven::makeFrame(0x09, 6, 0, codes));
    EXPECT_EQ(frameStatus(reply), status::Ok);
    EXPECT_EQ(mouse->read(Area::KeyAssignments, 0, 6), codes);
    const Frame read = replyTo(*mouse, talven::makeFrame(0x07, 3, 0));
    EXPECT_EQ(std::vector<uint8_t>(read.begin() + 8, read.begin() + 11), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
}

TEST(MouseModelTest, ProfileAndDpiButtonsChangeMemoryAndAskForASync) {
    auto mouse = makeProduct("mouse");
    const std::vector<Report> sync = {{3, 0x01, 0x04}, {3, 0, 0}};
    ModelResponse out;
    EXPECT_EQ(mouse->control(words({"profile", "mouse", "3"}), out), "ok");
    EXPECT_EQ(mouse->read(Area::Config, 0, 1), std::vector<uint8_t>{3});
    EXPECT_EQ(out.reports, sync);
    out = {};
    EXPECT_EQ(mouse->control(words({"dpi", "mouse", "4"}), out), "ok");
    EXPECT_EQ(mouse->read(Area::Config, 3 * 128 + 12, 1), std::vector<uint8_t>{4});
    EXPECT_EQ(out.reports, sync);

    const auto before = mouse->area(Area::Config);
    for (auto bad : {words({"profile", "mouse", "5"}), words({"profile", "mouse"}), words({"dpi", "mouse", "5"}),
                     words({"dpi", "mouse", "x"})}) {
        out = {};
        const auto answer = mouse->control(bad, out);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->rfind("error", 0), 0u) << *answer;
        EXPECT_TRUE(out.reports.empty());
    }
    EXPECT_EQ(mouse->area(Area::Config), before);
    EXPECT_FALSE(mouse->control(words({"link", "mouse", "down"}), out));  // a cabled mouse has no link
}

TEST(MouseModelTest, AWirelessMouseOutOfReachAnswersOnlyTheLinkCheck) {
    auto mouse = makeProduct("mouse-wireless");
    EXPECT_EQ(replyTo(*mouse, talven::makeFrame(0xAA, 0, 0))[8], 0xFF);
    ModelResponse out;
    EXPECT_EQ(mouse->control(words({"link", "mouse-wireless", "down"}), out), "ok");
    const Frame check = replyTo(*mouse, talven::makeFrame(0xAA, 0, 0));
    EXPECT_EQ(frameStatus(check), status::Ok);
    EXPECT_EQ(check[8], 0x00);
    const auto config = mouse->area(Area::Config);
    for (uint8_t command : {0x01, 0x03, 0x05, 0x06, 0x07, 0x09, 0x15, 0x02}) {
        const Frame reply = replyTo(*mouse, talven::makeFrame(command, 1, 0, std::vector<uint8_t>{0x5A}));
        EXPECT_EQ(frameStatus(reply), status::Failed) << int(command);
    }
    EXPECT_EQ(mouse->area(Area::Config), config);
    EXPECT_EQ(mouse->beginCount(), 0u);
    EXPECT_EQ(mouse->control(words({"link", "mouse-wireless", "sideways"}), out)->rfind("error", 0), 0u);
    EXPECT_EQ(mouse->control(words({"link", "mouse-wireless", "up"}), out), "ok");
    EXPECT_EQ(replyTo(*mouse, talven::makeFrame(0xAA, 0, 0))[8], 0xFF);
    EXPECT_EQ(frameStatus(replyTo(*mouse, talven::makeFrame(0x05, 1, 0))), status::Ok);
}

}  // namespace
}  // namespace talven::sim
