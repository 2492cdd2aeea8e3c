#include "device/lighting/light_change.h"

#include <gtest/gtest.h>

namespace talven::lighting {
namespace {

LightParams spectrumOn() {
    LightParams p;
    p.selectItem = 3;
    p.light = 2;
    p.speed = 1;
    p.fx = 1;
    p.multiColor = 1;
    p.red = 10;
    p.green = 20;
    p.blue = 30;
    p.extraWord = 0x1234;
    p.extraByte = 0x56;
    return p;
}

TEST(LightChangeTest, OnlyTheGivenFieldsChange) {
    LightParams expected = spectrumOn();
    expected.speed = 4;
    LightChange change;
    change.speed = 4;
    EXPECT_EQ(applyLightChange(spectrumOn(), change), expected);
    expected = spectrumOn();
    expected.selectItem = 20;
    expected.light = 0;
    expected.fx = 0;
    change = {};
    change.mode = 20;
    change.brightness = 0;
    change.direction = 0;
    EXPECT_EQ(applyLightChange(spectrumOn(), change), expected);
}

TEST(LightChangeTest, AColourClearsTheSpectrumUnlessTheChangeSetsIt) {
    LightChange change;
    change.colour = Rgb{128, 255, 0};
    const LightParams picked = applyLightChange(spectrumOn(), change);
    EXPECT_EQ(picked.multiColor, 0);
    EXPECT_EQ(picked.red, 128);
    EXPECT_EQ(picked.green, 255);
    EXPECT_EQ(picked.blue, 0);
    change.spectrum = true;
    EXPECT_EQ(applyLightChange(spectrumOn(), change).multiColor, 1);
    LightChange off;
    off.spectrum = false;
    EXPECT_EQ(applyLightChange(spectrumOn(), off).multiColor, 0);
}

TEST(LightChangeTest, ColourTextIsDecimalAndKeptAt255) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0},   {"128", 128}, {"255", 255},  {"256", 255}, {"999", 255},
        {"99999999999999999999", 255}, {"", 0}, {"abc", 0}, {"-5", 0}, {" 42", 42}, {"12x", 12},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(colourComponentFromText(text), value) << text;
}

}  // namespace
}  // namespace talven::lighting
