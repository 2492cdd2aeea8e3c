#include "ui/dpi.h"

#include <gtest/gtest.h>

namespace talven::ui {
namespace {

// The window scales are the seven steps of 24 dpi from 48 to 192; nothing
// in between or beyond is one.
TEST(Dpi, WindowScalesAreTheSevenStepsFrom48To192) {
    for (int dpi : {48, 72, 96, 120, 144, 168, 192}) EXPECT_TRUE(CDPI::IsWindowScale(dpi)) << dpi;
    for (int dpi : {0, -96, 24, 47, 95, 97, 100, 150, 216, 240, 960}) EXPECT_FALSE(CDPI::IsWindowScale(dpi)) << dpi;
}

}  // namespace
}  // namespace talven::ui
