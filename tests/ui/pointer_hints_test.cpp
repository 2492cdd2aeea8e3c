#include "ui/pointer_hints.h"

#include <QGuiApplication>
#include <QStyleHints>

#include <gtest/gtest.h>

namespace talven {
namespace {

TEST(PointerHintsTest, WheelLinesAndDoubleClickReachTheApplication) {
    QStyleHints* hints = QGuiApplication::styleHints();
    const int oldLines = hints->wheelScrollLines();
    const int oldInterval = hints->mouseDoubleClickInterval();
    struct Case {
        PointerValues values;
        int lines;
        int interval;
    };
    // Page scrolling: enough lines that every scroll bar stops at its page step.
    for (const Case& c : {Case{{10, 1, 7, false, 300}, 7, 300}, Case{{10, 1, 7, true, 1100}, 10000, 1100},
                          Case{{10, 0, 1, false, 100}, 1, 100}}) {
        applyPointerHints(c.values);
        EXPECT_EQ(hints->wheelScrollLines(), c.lines);
        EXPECT_EQ(hints->mouseDoubleClickInterval(), c.interval);
    }
    hints->setWheelScrollLines(oldLines);
    hints->setMouseDoubleClickInterval(oldInterval);
}

}  // namespace
}  // namespace talven
