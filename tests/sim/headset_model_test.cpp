// The simulated headset from the outside: its settings block written in
// 64-byte windows, and its lighting reports built here byte by byte and
// decoded back into thirteen LEDs.

#include "device/command_frame.h"
#include "sim/headset_model.h"
#include "sim/sim_products.h"

#include <gtest/gtest.h>

namespace talven::sim {
namespace {

std::unique_ptr<FirmwareModel> makeHeadset() {
    const ProductSpec* spec = findSimProduct("headset");
    return spec->makeModel(spec->firmware());
}

HeadsetModel& asHeadset(FirmwareModel& model) { return dynamic_cast<HeadsetModel&>(model); }

Report lightReport(uint8_t tag, uint8_t command, std::vector<uint8_t> values) {
    Report r(17, 0);
    r[0] = 0xFF;
    r[1] = tag;
    r[2] = command;
    std::copy(values.begin(), values.end(), r.begin() + 4);
    return r;
}

// LED i gets red i, green 100 + i, blue 200 + i; the reports in their order.
std::vector<Report> frameReports() {
    std::vector<Report> out;
    const uint8_t commands[3][2] = {{0xAA, 0xAD}, {0xAB, 0xAE}, {0xAC, 0xAF}};
    for (int c = 0; c < 3; ++c) {
        std::vector<uint8_t> low, high;
        for (int led = 0; led < 13; ++led) (led < 7 ? low : high).push_back(static_cast<uint8_t>(100 * c + led));
        for (uint8_t tag : {0x22, 0x44}) {
            out.push_back(lightReport(tag, commands[c][0], low));
            out.push_back(lightReport(tag, commands[c][1], high));
        }
    }
    return out;
}

Frame replyTo(FirmwareModel& model, const talven::Frame& request) {
    ModelResponse r = model.handleOutputReport(request);
    Frame f{};
    if (!r.reports.empty()) std::copy_n(r.reports[0].begin(), kFrameSize, f.begin());
    return f;
}

TEST(HeadsetModelTest, SettingsWritesLandInTheirWindowsBlock) {
    auto headset = makeHeadset();
    const std::vector<uint8_t> head = {0, 6, 3, 3, 1, 0, 10, 20, 30};
    for (auto [offset, block] : {std::pair{0, 0}, std::pair{64, 25}, std::pair{2 * 64, 50}}) {
        EXPECT_EQ(frameStatus(replyTo(*headset, talven::makeFrame(0x06, head.size(), offset, head))), status::Ok);
        EXPECT_EQ(headset->read(Area::Config, block, head.size()), head) << offset;
    }
    const auto before = headset->area(Area::Config);
    const std::vector<uint8_t> long26(26, 0xEE);
    EXPECT_EQ(frameStatus(replyTo(*headset, talven::makeFrame(0x06, 26, 0, long26))), status::Failed);
    EXPECT_EQ(headset->area(Area::Config), before);
}

TEST(HeadsetModelTest, TwelveReportsMakeOneFrame) {
    auto headset = makeHeadset();
    for (const Report& r : frameReports()) EXPECT_TRUE(headset->handleOutputReport(r).reports.empty());
    HeadsetModel& model = asHeadset(*headset);
    EXPECT_EQ(model.framesReceived(), 1u);
    EXPECT_EQ(model.framesBroken(), 0u);
    const auto leds = model.lastFrame();
    for (uint8_t led = 0; led < 13; ++led)
        EXPECT_EQ(leds[led], (HeadsetModel::Colour{led, static_cast<uint8_t>(100 + led), static_cast<uint8_t>(200 + led)}))
            << int(led);
    ModelResponse out;
    const auto line = headset->control({"frames", "headset"}, out);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->rfind("ok frames 1 broken 0 leds 0064c8 0165c9 ", 0), 0u) << *line;
    EXPECT_EQ(line->substr(line->size() - 7), " 0c70d4");
}

TEST(HeadsetModelTest, OutOfOrderOrDisagreeingFramesAreNotTaken) {
    struct Case {
        const char* what;
        void (*spoil)(std::vector<Report>&);
    };
    const Case cases[] = {
        {"two reports swapped", [](std::vector<Report>& r) { std::swap(r[4], r[5]); }},
        {"the 0x44 copy differs", [](std::vector<Report>& r) { r[2][5] ^= 1; }},
        {"a short report", [](std::vector<Report>& r) { r[7].pop_back(); }},
        {"a report missing", [](std::vector<Report>& r) { r.erase(r.begin() + 9); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto headset = makeHeadset();
        std::vector<Report> reports = frameReports();
        c.spoil(reports);
        for (const Report& r : reports) headset->handleOutputReport(r);
        EXPECT_EQ(asHeadset(*headset).framesReceived(), 0u);
        EXPECT_GT(asHeadset(*headset).framesBroken(), 0u);
        // The next good frame is taken whole.
        for (const Report& r : frameReports()) headset->handleOutputReport(r);
        EXPECT_EQ(asHeadset(*headset).framesReceived(), 1u);
    }
}

}  // namespace
}  // namespace talven::sim
