// The test-side reader of a keyboard's macro memory, against images written
// out by hand, and the simulated keyboard keeping what 0x15 frames bring.

#include "device/command_frame.h"
#include "sim/firmware_model.h"
#include "sim/sim_products.h"
#include "support/macro_image.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talven::test {
namespace {

// Two macros of 3 and 5 events: 16 + 2 x 2 + 2 x 4 + 8 x 4 = 60 bytes.
const std::vector<uint8_t> kTwoMacros = {
    0xAA, 0x55, 0x3C, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // signature, length, count, reserved
    0x14, 0x00, 0x24, 0x00,                                            // records at 20 and 36
    0x03, 0x00, 0x00, 0x00,                                            // 3 events
    0x2C, 0x01, 0x81, 0x04,  // 300 ms, mouse button 4 pressed
    0x0A, 0x00, 0x01, 0x04,  // 10 ms, released
    0x00, 0x00, 0x8A, 0x1E,  // key 1 pressed
    0x05, 0x00, 0x00, 0x00,  // 5 events
    0x05, 0x00, 0x89, 0x02,  // left Shift down
    0x10, 0x27, 0x8A, 0x04,  // 10000 ms, A down
    0x00, 0x00, 0x0A, 0x04,  // A up
    0x00, 0x00, 0x09, 0x02,  // left Shift up
    0xFF, 0xFF, 0x84, 0x10,  // 65535 ms, 16 pixels left
};

const std::vector<ImageMacro> kTwoMacrosDecoded = {
    {{300, 1, true, 4}, {10, 1, false, 4}, {0, 10, true, 0x1E}},
    {{5, 9, true, 2}, {10000, 10, true, 4}, {0, 10, false, 4}, {0, 9, false, 2}, {65535, 4, true, 16}},
};

TEST(MacroImageTest, ReadsTheMacrosOfAnImageInTableOrder) {
    std::vector<uint8_t> memory = kTwoMacros;
    memory.resize(4096, 0xEE);  // the rest of the memory is not the image's
    std::string why;
    const auto image = decodeMacroImage(memory, &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->length, 60u);
    EXPECT_EQ(image->macros, kTwoMacrosDecoded);

    const std::vector<uint8_t> none = {0xAA, 0x55, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(decodeMacroImage(none, &why)) << why;
    EXPECT_TRUE(decodeMacroImage(none, &why)->macros.empty());
}

TEST(MacroImageTest, RefusesWhatTheLayoutDoesNotAllow) {
    struct Case {
        const char* name;
        size_t at;
        uint8_t value;
    };
    const Case cases[] = {
        {"signature bytes swapped", 0, 0x55},
        {"length past the memory", 2, 0x3D},
        {"length short of the records", 2, 0x38},
        {"one macro more than recorded", 4, 0x03},
        {"reserved header byte", 9, 0x01},
        {"second record misplaced", 18, 0x28},
        {"record reserved word", 23, 0x01},
        {"event count past the image", 36, 0x06},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> memory = kTwoMacros;
        memory[c.at] = c.value;
        std::string why;
        EXPECT_FALSE(decodeMacroImage(memory, &why));
        EXPECT_FALSE(why.empty());
    }
    std::string why;
    EXPECT_FALSE(decodeMacroImage(std::span(kTwoMacros).first(15), &why)) << "no room for the header";
}

std::unique_ptr<sim::FirmwareModel> keyboard() {
    const sim::ProductSpec* spec = sim::findSimProduct("keyboard");
    return spec->makeModel(spec->firmware());
}

// `bytes` in 0x15 frames of at most 56 bytes from offset 0, as a host sends them.
void download(sim::FirmwareModel& model, std::span<const uint8_t> bytes) {
    for (size_t at = 0; at < bytes.size(); at += 56) {
        const size_t n = std::min<size_t>(56, bytes.size() - at);
        const Frame request = makeFrame(0x15, static_cast<uint8_t>(n), static_cast<uint16_t>(at), bytes.subspan(at, n));
        const sim::ModelResponse reply = model.handleOutputReport(request);
        ASSERT_EQ(reply.reports.size(), 1u);
        ASSERT_EQ(reply.reports[0][7], 0) << "chunk at " << at << " refused";
    }
}

TEST(MacroImageTest, TheSimulatedKeyboardKeepsTheImageItReceives) {
    auto model = keyboard();
    // A larger image first: the next one's length tells where it ends.
    std::vector<uint8_t> larger = kTwoMacros;
    larger.insert(larger.end(), 200, 0x77);
    download(*model, larger);
    download(*model, kTwoMacros);
    std::string why;
    const auto image = decodeMacroImage(model->area(sim::Area::Macro), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->macros, kTwoMacrosDecoded);
}

}  // namespace
}  // namespace talven::test
